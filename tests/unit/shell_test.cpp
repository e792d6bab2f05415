// The environment read and the program start: natively against the
// stand-in, built for Win32 under Wine against the real calls, where a
// program fetched from a loopback server is started and really runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "net/http_downloader.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "support/http_server.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr char kVariable[] = "SETUP_TEST_VARIABLE";

// Null unsets it.
void SetVariable(const char* value) {
#ifdef _WIN32
  SetEnvironmentVariableA(kVariable, value);
#else
  if (value) {
    setenv(kVariable, value, 1);
  } else {
    unsetenv(kVariable);
  }
#endif
}

TEST(ShellEnvironment, GivesAValueOnlyWhenItAndItsTerminatorFit) {
  struct Case {
    const char* value;
    std::size_t size;
    bool read;
  };
  const Case cases[] = {
      {nullptr, 16, false},
      {"", 16, false},
      {"C:\\Temp", 8, true},  // exactly fits
      {"C:\\Temp", 7, false},
      {"C:\\Temp\\", 16, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    SetVariable(c.value);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(platform::Shell.ReadEnvironment(kVariable, buffer, c.size), c.read);
    if (c.read) {
      EXPECT_STREQ(buffer, c.value);
    }
  }
  SetVariable(nullptr);
}

// What the server hands out: under Wine a real program, natively any bytes.
std::string ProgramBytes() {
#ifdef _WIN32
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length);
  return ReadFileBytes(path.substr(0, path.rfind('\\') + 1) + "marker.exe");
#else
  return std::string(5000, 'p');
#endif
}

// Under Wine the program leaves its mark once it has run, on its own, so it
// is waited for; the mark holds the show command (SW_SHOW is 5). Natively
// the stand-in's record is the start.
bool RanShownNormally(const std::string& path) {
#ifdef _WIN32
  for (int waited = 0; waited < 30000; waited += 100) {
    std::string mark = ReadFileBytes(path + ".ran");
    if (!mark.empty()) return mark == "shown 5";
    Sleep(100);
  }
  return false;
#else
  const auto& started = platform::StartedPrograms();
  return !started.empty() && started.back().path == path;
#endif
}

TEST(ShellStart, StartsAProgramFetchedFromTheServerShownNormally) {
  std::string program = ProgramBytes();
  ASSERT_GT(program.size(), 1000u);
  HttpTestServer server({{{"HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(program.size()) + "\r\n\r\n",
                           program}}});
  TempDir dir;
  std::string path = dir.File("mplayer_install.exe");
  ASSERT_EQ(HttpDownloader("http://127.0.0.1/mplayer_install.exe", path.c_str(), 0, server.port()), 1);
  ASSERT_EQ(ReadFileBytes(path), program);

  EXPECT_TRUE(platform::Shell.StartProgram(nullptr, path.c_str()));
  EXPECT_TRUE(RanShownNormally(path));
}

TEST(ShellStart, AMissingFileDoesNotStart) {
  TempDir dir;
  std::string path = dir.File("mplayer_install.exe");
  EXPECT_FALSE(platform::Shell.StartProgram(nullptr, path.c_str()));
#ifndef _WIN32
  for (const platform::StartedProgram& started : platform::StartedPrograms()) EXPECT_NE(started.path, path);
#endif
}

}  // namespace

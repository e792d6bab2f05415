// CreateShellLink natively against the text-file stand-in and, built for
// Win32, under Wine against the shell's real link object, each read back the
// way the shell reads it. Under Wine the COM starts and ends are counted too.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/paths.h"
#include "platform/files.h"
#include "platform/shell_link.h"
#include "support/shell_link_reader.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include "platform/win32/com.h"
#endif

namespace fs = std::filesystem;

namespace {

class ShellLinkTest : public ::testing::Test {
 protected:
  static bool Create(const std::string& target, const std::string& link, const char* description = "",
                     const char* arguments = "") {
    return platform::ShellLink.CreateShellLink(target.c_str(), link.c_str(), description, arguments);
  }
  static ShellLinkFields Read(const std::string& link) {
    ShellLinkFields fields;
    EXPECT_TRUE(ReadShellLink(link, &fields)) << link;
    return fields;
  }
  static bool Exists(const std::string& path) { return platform::Files.FileExists(path.c_str()); }

  TempDir dir_;
  const std::string folder_ = dir_.WindowsPath('L');
};

struct LinkCase {
  const char* target;
  // The shell keeps a relative target resolved against the current
  // directory; the stand-in keeps it as passed. Either way the name stays.
  bool relative;
  const char* workingDirectory;
  const char* description;
  const char* arguments;
};

TEST_F(ShellLinkTest, StoresTargetItsDirectoryAndIconAndTheGivenTexts) {
  const LinkCase cases[] = {
      {"C:\\Program Files\\Vendor\\Product\\app.exe", false, "C:\\Program Files\\Vendor\\Product\\", "", ""},
      {"app.exe", true, "", "", ""},
      {"C:app.exe", true, "C:", "", ""},
      // ソフト.exe: the second byte of ソ is 0x5C and no separator.
      {"C:\\Vendor\\\x83\x5C\x83\x74\x83\x67.exe", false, "C:\\Vendor\\", "", ""},
      {"C:\\\x83\x5C\\app.exe", false, "C:\\\x83\x5C\\", "", ""},
      // Kept apart, so that a swap of the two shows.
      {"C:\\Tools\\tool.exe", false, "C:\\Tools\\", "\x90\xE0\x96\xBE", "/s /v"},
  };
  for (const LinkCase& c : cases) {
    SCOPED_TRACE(c.target);
    std::string link = folder_ + "link.lnk";
    ASSERT_TRUE(Create(c.target, link, c.description, c.arguments));
    ShellLinkFields fields = Read(link);
    if (c.relative)
      EXPECT_EQ(FileNamePart(fields.target), FileNamePart(c.target));
    else
      EXPECT_EQ(fields.target, c.target);
    EXPECT_EQ(fields.workingDirectory, c.workingDirectory);
    EXPECT_EQ(fields.description, c.description);
    EXPECT_EQ(fields.arguments, c.arguments);
    EXPECT_EQ(fields.icon, c.target);
    EXPECT_EQ(fields.iconIndex, 0);
  }
}

TEST_F(ShellLinkTest, ReplacesAnExistingFile) {
  std::string link = folder_ + "link.lnk";
  dir_.Write("link.lnk", std::string(4096, 'x'));
  ASSERT_TRUE(Create("C:\\Old\\old.exe", link));
  ASSERT_TRUE(Create("C:\\New\\new.exe", link));
  ShellLinkFields fields = Read(link);
  EXPECT_EQ(fields.target, "C:\\New\\new.exe");
  EXPECT_EQ(fields.workingDirectory, "C:\\New\\");
}

TEST_F(ShellLinkTest, MissingFolderFailsAndWritesNothing) {
  EXPECT_FALSE(Create("C:\\Tools\\tool.exe", folder_ + "missing\\link.lnk"));
  EXPECT_FALSE(fs::exists(dir_.path() / "missing"));
}

// A link path of exactly `units` characters in an existing folder of its
// own; its name is made of double-byte characters, so it is longer in bytes.
struct SizedLink {
  std::string path;
  fs::path hostFolder;
};

class LinkPathLengthTest : public ShellLinkTest {
 protected:
  SizedLink LinkOfUnits(int units) {
    constexpr int kLetters = 40;
    std::string name;
    for (int i = 0; i < kLetters; ++i) name += "\x83\x5C";  // ソ
    name += ".lnk";
    int fill = units - static_cast<int>(folder_.size()) - 1 - kLetters - 4;
    std::string sub(static_cast<std::size_t>(fill), 'd');
    fs::create_directory(dir_.path() / sub);
    return {folder_ + sub + "\\" + name, dir_.path() / sub};
  }
};

TEST_F(LinkPathLengthTest, TakesPathsThatFitTheBufferAndRefusesLongerOnes) {
  SizedLink fits = LinkOfUnits(platform::kLinkPathUnits - 1);
  EXPECT_TRUE(Create("C:\\Tools\\tool.exe", fits.path));
  EXPECT_TRUE(Exists(fits.path));

  SizedLink tooLong = LinkOfUnits(platform::kLinkPathUnits);
  EXPECT_FALSE(Create("C:\\Tools\\tool.exe", tooLong.path));
  EXPECT_TRUE(fs::is_empty(tooLong.hostFolder));
}

#ifdef _WIN32
// Counts COM starts and ends around the real calls; creation can be made to
// fail.
struct ComLedger {
  int starts = 0;
  int ends = 0;
  HRESULT creationFailure = S_OK;
};

ComLedger* ledger = nullptr;
platform::ComApi realCom;

class ShellLinkComTest : public ShellLinkTest {
 protected:
  void SetUp() override {
    realCom = platform::Com;
    ledger = &ledger_;
    platform::Com.Initialize = [] {
      ++ledger->starts;
      return realCom.Initialize();
    };
    platform::Com.Uninitialize = [] {
      ++ledger->ends;
      realCom.Uninitialize();
    };
    platform::Com.CreateInstance = [](REFCLSID type, REFIID interfaceId, void** object) {
      if (FAILED(ledger->creationFailure)) {
        *object = nullptr;
        return ledger->creationFailure;
      }
      return realCom.CreateInstance(type, interfaceId, object);
    };
  }
  void TearDown() override {
    platform::Com = realCom;
    ledger = nullptr;
  }

  ComLedger ledger_;
};

TEST_F(ShellLinkComTest, EveryCallEndsTheComItStarted) {
  constexpr int kCalls = 50;
  for (int i = 0; i < kCalls; ++i) ASSERT_TRUE(Create("C:\\Tools\\tool.exe", folder_ + "link.lnk"));
  EXPECT_FALSE(Create("C:\\Tools\\tool.exe", folder_ + "missing\\link.lnk"));
  EXPECT_EQ(ledger_.starts, kCalls + 1);
  EXPECT_EQ(ledger_.ends, kCalls + 1);
  // Nothing is left started on this thread.
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
}

TEST_F(ShellLinkComTest, FailedCreationWritesNothingAndStillEndsCom) {
  ledger_.creationFailure = REGDB_E_CLASSNOTREG;
  EXPECT_FALSE(Create("C:\\Tools\\tool.exe", folder_ + "link.lnk"));
  EXPECT_FALSE(Exists(folder_ + "link.lnk"));
  EXPECT_EQ(ledger_.starts, 1);
  EXPECT_EQ(ledger_.ends, 1);
}

// A thread that already runs COM multithreaded refuses the start; ending COM
// anyway would end the caller's.
TEST_F(ShellLinkComTest, LeavesComThatTheCallerStartedInAnotherMode) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  // Whatever the object does across apartments: only COM's state counts.
  Create("C:\\Tools\\tool.exe", folder_ + "link.lnk");
  EXPECT_EQ(ledger_.starts, 1);
  EXPECT_EQ(ledger_.ends, 0);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  CoUninitialize();
  CoUninitialize();
}
#endif

}  // namespace

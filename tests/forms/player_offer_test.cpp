// The player offer on the main dialog, played through the scripted user:
// the question, the download from a loopback server into TEMP, and the start
// through the shell's stand-in. C: is a folder of the test's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/texts.h"
#include "form_fixture.h"
#include "forms/main_form.h"
#include "net/player_offer.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/socket.h"
#include "support/http_server.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace ui::headless;

namespace {

constexpr char kUrl[] = "http://127.0.0.1/mplayer_install.exe";
constexpr char kInstaller[] = "C:\\Temp\\mplayer_install.exe";

std::string Head(std::size_t length) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

std::string Program(std::size_t length) {
  std::string bytes;
  for (std::size_t i = 0; i < length; ++i) bytes += PatternByte(i);
  return bytes;
}

ServerAnswer Whole(std::size_t length) { return {{Head(length), Program(length)}}; }

class PlayerOfferTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    drive_.WindowsPath('C');
    fs::create_directory(drive_.path() / "Temp");
    if (const char* temp = std::getenv("TEMP")) savedTemp_ = temp;
    SetTemp("C:\\Temp");
    realShell_ = platform::Shell;
    realSockets_ = platform::Sockets;
    platform::StartedPrograms().clear();
  }
  void TearDown() override {
    platform::Shell = realShell_;
    platform::Sockets = realSockets_;
    platform::StartedPrograms().clear();
    SetTemp(savedTemp_ ? savedTemp_->c_str() : nullptr);
    platform::UnmapAllDrives();
    FormTest::TearDown();
  }

  // Null unsets it.
  static void SetTemp(const char* value) {
    if (value) {
      setenv("TEMP", value, 1);
    } else {
      unsetenv("TEMP");
    }
  }

  // The offer made from the running main dialog, the question answered.
  User& Offer(int answer, const char* url, std::uint16_t port) {
    User& user = Play({Check([url, port](ui::Form& form) { PlayerOffer(form, url, port); }), Answer(answer),
                       CloseBox()});
    ui::App.CreateForm(State.frmMain);
    ui::App.Run();
    ExpectPlayedThrough();
    return user;
  }
  User& Offer(int answer, const HttpTestServer& server) { return Offer(answer, kUrl, server.port()); }

  std::string HostFile(const std::string& windowsPath) const { return platform::HostPath(windowsPath); }
  bool Exists(const std::string& windowsPath) const { return fs::exists(HostFile(windowsPath)); }
  static std::vector<std::string> StartedPaths() {
    std::vector<std::string> paths;
    for (const platform::StartedProgram& started : platform::StartedPrograms()) paths.push_back(started.path);
    return paths;
  }

  TempDir drive_;
  std::optional<std::string> savedTemp_;
  platform::ShellApi realShell_;
  platform::SocketApi realSockets_;
};

TEST_F(PlayerOfferTest, AsksAboutTheLatestVersionOnlyWhenThePlayerFolderExists) {
  struct Case {
    const char* name;
    void (*make)(const fs::path& mplayer);
    const char* question;
  };
  const Case cases[] = {
      {"folder", [](const fs::path& p) { fs::create_directory(p); }, text::kPlayerUpdate},
      {"file", [](const fs::path& p) { std::ofstream(p) << "not a folder"; }, text::kPlayerNeeded},
      {"absent", [](const fs::path&) {}, text::kPlayerNeeded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path mplayer = drive_.path() / "mplayer";
    fs::remove_all(mplayer);
    c.make(mplayer);
    HttpTestServer server({Whole(100)});

    User& user = Offer(ui::kIdNo, server);

    ASSERT_EQ(user.MessageBoxes().size(), 1u);
    const MessageBoxRecord& box = user.MessageBoxes()[0];
    EXPECT_EQ(box.text, c.question);
    EXPECT_EQ(box.caption, text::kCaptionInformation);
    EXPECT_EQ(box.flags, 0x44u);
    EXPECT_EQ(box.owner, "frmMain");
    // No: nothing fetched, nothing started.
    EXPECT_TRUE(server.Finish().empty());
    EXPECT_TRUE(platform::StartedPrograms().empty());
    EXPECT_FALSE(Exists(kInstaller));
  }
}

TEST_F(PlayerOfferTest, YesFetchesTheInstallerIntoTempAndStartsItOwnedByTheMainDialog) {
  HttpTestServer server({Whole(30000)});

  User& user = Offer(ui::kIdYes, server);

  EXPECT_EQ(user.MessageBoxes().size(), 1u);
  const std::vector<std::string>& requests = server.Finish();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0],
            "GET /mplayer_install.exe HTTP/1.0\r\nUser-Agent: Installer Ver1.0\r\nHost: 127.0.0.1\r\n"
            "Connection: close\r\n\r\n");
  EXPECT_EQ(ReadFileBytes(HostFile(kInstaller)), Program(30000));
  EXPECT_FALSE(Exists(std::string(kInstaller) + ".part"));
  ASSERT_EQ(platform::StartedPrograms().size(), 1u);
  EXPECT_EQ(platform::StartedPrograms()[0].path, kInstaller);
  EXPECT_EQ(platform::StartedPrograms()[0].ownerWindow, State.frmMain->Handle());
}

TEST_F(PlayerOfferTest, TempIsJoinedToTheNameAsItStands) {
  struct Case {
    const char* temp;
    const char* installer;
  };
  const Case cases[] = {
      {"C:\\Temp", "C:\\Temp\\mplayer_install.exe"},
      {"C:\\Temp\\", "C:\\Temp\\\\mplayer_install.exe"},  // the file system takes the doubled backslash
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.temp);
    SetTemp(c.temp);
    platform::StartedPrograms().clear();
    fs::remove(HostFile(kInstaller));
    HttpTestServer server({Whole(2000)});

    Offer(ui::kIdYes, server);

    EXPECT_EQ(StartedPaths(), std::vector<std::string>{c.installer});
    EXPECT_EQ(ReadFileBytes(HostFile(c.installer)), Program(2000));
  }
}

TEST_F(PlayerOfferTest, AFailedDownloadNeverStartsAPartialProgramButAnEarlierCompleteOne) {
  struct Case {
    const char* name;
    bool refused;  // else the server breaks off after 3000 of 5000 bytes
    bool earlier;  // a complete installer from an earlier run is there
  };
  const Case cases[] = {
      {"broken off, none before", false, false},
      {"broken off, one before", false, true},
      {"unreachable, none before", true, false},
      {"unreachable, one before", true, true},
  };
  const std::string earlier = "an earlier complete installer";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::StartedPrograms().clear();
    fs::remove(HostFile(kInstaller));
    if (c.earlier) drive_.Write("Temp/mplayer_install.exe", earlier);
    HttpTestServer server({{{Head(5000), Program(3000)}}});

    Offer(ui::kIdYes, kUrl, c.refused ? UnusedLoopbackPort() : server.port());

    EXPECT_EQ(server.Finish().size(), c.refused ? 0u : 1u);
    EXPECT_EQ(StartedPaths(), c.earlier ? std::vector<std::string>{kInstaller} : std::vector<std::string>{});
    EXPECT_EQ(Exists(kInstaller), c.earlier);
    if (c.earlier) {
      EXPECT_EQ(ReadFileBytes(HostFile(kInstaller)), earlier);
    }
    EXPECT_FALSE(Exists(std::string(kInstaller) + ".part"));
  }
}

TEST_F(PlayerOfferTest, WithoutAUsableTempNothingIsFetchedOrStarted) {
  // The value and "\mplayer_install.exe" (20 bytes) share a 1024-byte
  // buffer with the terminator: 1003 bytes of value fit, 1004 do not.
  auto valueOf = [](std::size_t length) { return "C:\\Temp\\" + std::string(length - 8, 'a'); };
  struct Case {
    const char* name;
    std::optional<std::string> temp;
    std::size_t connections;
  };
  const Case cases[] = {
      {"unset", std::nullopt, 0},
      {"empty", std::string(), 0},
      {"1004 bytes", valueOf(1004), 0},
      {"1003 bytes", valueOf(1003), 1},  // tried; its folder is not there
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetTemp(c.temp ? c.temp->c_str() : nullptr);
    HttpTestServer server({Whole(100)});

    Offer(ui::kIdYes, server);

    EXPECT_EQ(server.Finish().size(), c.connections);
    EXPECT_TRUE(platform::StartedPrograms().empty());
  }
}

TEST_F(PlayerOfferTest, AnExceptionAfterYesIsSwallowedAndNothingIsShown) {
  platform::Shell.StartProgram = [](void*, const char*) -> bool { throw std::runtime_error("no shell"); };
  HttpTestServer server({Whole(100)});

  User& user = Offer(ui::kIdYes, server);

  EXPECT_EQ(user.MessageBoxes().size(), 1u);  // the question only
  EXPECT_EQ(server.Finish().size(), 1u);
}

// The build's own server, reached on port 80 by its name: the name resolves
// to loopback and port 80 leads to the test server.
TEST_F(PlayerOfferTest, TheBuildsServerIsAskedForTheInstallerOnPort80) {
  static std::string lookedUp;
  static std::uint16_t connectedPort;
  static std::uint16_t serverPort;
  static platform::SocketApi real;
  real = realSockets_;
  lookedUp.clear();
  connectedPort = 0;
  platform::Sockets.LookUp = [](const char* host, platform::Ipv4Address* address) {
    lookedUp = host;
    return real.LookUp("127.0.0.1", address);
  };
  platform::Sockets.Connect = [](platform::Socket s, const platform::Ipv4Address& a, std::uint16_t port) {
    connectedPort = port;
    return real.Connect(s, a, serverPort);
  };
  HttpTestServer server({Whole(100)});
  serverPort = server.port();

  Play({Check([](ui::Form& form) { PlayerOffer(form); }), Answer(ui::kIdYes), CloseBox()});
  ui::App.CreateForm(State.frmMain);
  ui::App.Run();
  ExpectPlayedThrough();

  EXPECT_EQ(lookedUp, kPlayerHost);
  EXPECT_EQ(connectedPort, 80);
  const std::vector<std::string>& requests = server.Finish();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], std::string("GET /mplayer_install.exe HTTP/1.0\r\nUser-Agent: Installer Ver1.0\r\nHost: ") +
                             kPlayerHost + "\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(StartedPaths(), std::vector<std::string>{kInstaller});
}

}  // namespace

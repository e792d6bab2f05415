// The download client against a scripted loopback server. The same cases run
// natively over BSD sockets and, built for Win32, under Wine over Windows
// Sockets, so both builds must send the same bytes and reach the same
// results. Every call is checked to leave no socket, file or buffer behind
// and to clean up the network library once per start.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "net/http_downloader.h"
#include "platform/memory.h"
#include "platform/rawfile.h"
#include "platform/socket.h"
#include "support/http_server.h"
#include "support/temp_dir.h"

namespace {

// What the client holds and has done, and the n-th call (1-based, 0: never)
// of a kind that is made to fail.
struct Ledger {
  int starts = 0;
  int cleanUps = 0;
  int liveSockets = 0;
  int mostLiveSockets = 0;
  int openFiles = 0;
  int liveBuffers = 0;
  int buffers = 0;
  std::vector<std::string> hostsLookedUp;
  bool anyHostIsLoopback = false;
  bool failBuffer = false;
  int failCreate = 0, creates = 0;
  int failLookUp = 0, lookUps = 0;
  int failConnect = 0, connects = 0;
  int failSend = 0, sends = 0;
  int failReceive = 0, receives = 0;
  int failWrite = 0, writes = 0;
};

Ledger* ledger = nullptr;

bool Fails(int* calls, int failAt) { return ++*calls == failAt; }

std::string Pattern(std::uint64_t from, std::uint64_t to) {
  std::string bytes;
  for (std::uint64_t i = from; i < to; ++i) bytes += PatternByte(i);
  return bytes;
}

std::string Request(const std::string& method, const std::string& extra, const std::string& path,
                    const std::string& host) {
  return method + " " + path + " HTTP/1.0\r\nUser-Agent: Installer Ver1.0\r\nHost: " + host + "\r\n" + extra +
         "Connection: close\r\n\r\n";
}

const char kPath[] = "/dir/file.exe";
const char kHost[] = "127.0.0.1";

std::string Head() { return Request("HEAD", "", kPath, kHost); }
std::string Get(const std::string& path = kPath, const std::string& host = kHost) {
  return Request("GET", "", path, host);
}
std::string RangeGet(std::uint32_t offset) {
  return Request("GET", "Range: bytes=" + std::to_string(offset) + "-\r\n", kPath, kHost);
}

std::string OkHead(std::uint64_t length) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

// The head and the body in two chunks.
ServerAnswer Serve(const std::string& head, const std::string& body) { return {{head, body}}; }

ServerAnswer Whole(std::uint64_t length) { return Serve(OkHead(length), Pattern(0, length)); }

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    realSockets_ = platform::Sockets;
    realFiles_ = platform::RawFile;
    realMemory_ = platform::Memory;
    static platform::SocketApi sockets;
    static platform::RawFileApi files;
    static platform::MemoryApi memory;
    sockets = realSockets_;
    files = realFiles_;
    memory = realMemory_;
    ledger = &ledger_;
    platform::Sockets.Start = [] {
      ++ledger->starts;
      sockets.Start();
    };
    platform::Sockets.CleanUp = [] {
      ++ledger->cleanUps;
      sockets.CleanUp();
    };
    platform::Sockets.Create = []() -> platform::Socket {
      if (Fails(&ledger->creates, ledger->failCreate)) return platform::kNoSocket;
      platform::Socket s = sockets.Create();
      if (s != platform::kNoSocket) {
        ++ledger->liveSockets;
        ledger->mostLiveSockets = std::max(ledger->mostLiveSockets, ledger->liveSockets);
      }
      return s;
    };
    platform::Sockets.LookUp = [](const char* host, platform::Ipv4Address* address) {
      ledger->hostsLookedUp.push_back(host);
      if (Fails(&ledger->lookUps, ledger->failLookUp)) return false;
      return sockets.LookUp(ledger->anyHostIsLoopback ? kHost : host, address);
    };
    platform::Sockets.Connect = [](platform::Socket s, const platform::Ipv4Address& a, std::uint16_t port) {
      return !Fails(&ledger->connects, ledger->failConnect) && sockets.Connect(s, a, port);
    };
    platform::Sockets.Send = [](platform::Socket s, const char* bytes, int count) {
      return Fails(&ledger->sends, ledger->failSend) ? -1 : sockets.Send(s, bytes, count);
    };
    platform::Sockets.Receive = [](platform::Socket s, char* buffer, int size) {
      return Fails(&ledger->receives, ledger->failReceive) ? -1 : sockets.Receive(s, buffer, size);
    };
    platform::Sockets.Close = [](platform::Socket s) {
      --ledger->liveSockets;
      sockets.Close(s);
    };
    platform::RawFile.Open = [](const char* path, platform::RawOpenMode mode) {
      int handle = files.Open(path, mode);
      if (handle >= 0) ++ledger->openFiles;
      return handle;
    };
    platform::RawFile.Write = [](int handle, const char* bytes, std::size_t count) {
      return !Fails(&ledger->writes, ledger->failWrite) && files.Write(handle, bytes, count);
    };
    platform::RawFile.Close = [](int handle) {
      --ledger->openFiles;
      files.Close(handle);
    };
    platform::Memory.AllocateTemp = [](std::size_t size) -> void* {
      if (ledger->failBuffer) return nullptr;
      EXPECT_EQ(size, 10240u);
      ++ledger->buffers;
      ++ledger->liveBuffers;
      return memory.AllocateTemp(size);
    };
    platform::Memory.FreeTemp = [](void* buffer) {
      --ledger->liveBuffers;
      memory.FreeTemp(buffer);
    };
  }

  void TearDown() override {
    platform::Sockets = realSockets_;
    platform::RawFile = realFiles_;
    platform::Memory = realMemory_;
    ledger = nullptr;
  }

  int Download(const std::string& url, std::uint32_t offset, std::uint16_t port) {
    int result = HttpDownloader(url.c_str(), local_.c_str(), offset, port);
    EXPECT_EQ(ledger_.liveSockets, 0) << "a socket is left open";
    EXPECT_LE(ledger_.mostLiveSockets, 1) << "two connections at once";
    EXPECT_EQ(ledger_.cleanUps, ledger_.starts) << "one network clean-up per start";
    EXPECT_EQ(ledger_.openFiles, 0) << "the local file is left open";
    EXPECT_EQ(ledger_.liveBuffers, 0) << "the transfer buffer is left allocated";
    return result;
  }

  // Downloads kPath from a server playing the answers; returns the result
  // and what the server received.
  int Fetch(std::vector<ServerAnswer> answers, std::uint32_t offset, std::vector<std::string>* requests = nullptr) {
    HttpTestServer server(std::move(answers));
    int result = Download(std::string("http://") + kHost + kPath, offset, server.port());
    if (requests) *requests = server.Finish();
    return result;
  }

  // The local file as a case starts from: with this content, or absent.
  void Place(const std::optional<std::string>& content) {
    std::filesystem::remove(local_);
    if (content) dir_.Write("file.exe", *content);
  }

  std::optional<std::string> LocalContent() const {
    if (!std::ifstream(local_, std::ios::binary)) return std::nullopt;
    return ReadFileBytes(local_);
  }

  TempDir dir_;
  std::string local_ = dir_.File("file.exe");
  Ledger ledger_;
  platform::SocketApi realSockets_;
  platform::RawFileApi realFiles_;
  platform::MemoryApi realMemory_;
};

using Requests = std::vector<std::string>;

TEST_F(DownloadTest, OffsetZeroFetchesTheWholeFileWithOneGet) {
  const std::string body = Pattern(0, 5000);
  struct Case {
    const char* name;
    std::optional<std::string> existing;
    std::vector<std::string> chunks;
  } cases[] = {
      {"head and body apart", std::nullopt, {OkHead(5000), body}},
      {"the body in the first chunk", std::nullopt, {OkHead(5000) + body}},
      {"the body in three chunks",
       std::nullopt,
       {OkHead(5000) + body.substr(0, 10), body.substr(10, 3000), body.substr(3010)}},
      {"a longer file of the same name is replaced whole", std::string(9000, 'x'), {OkHead(5000), body}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ledger_ = Ledger{};
    Place(c.existing);
    Requests requests;
    EXPECT_EQ(Fetch({{c.chunks}}, 0, &requests), 1);
    EXPECT_EQ(requests, Requests{Get()}) << "no HEAD, one connection";
    EXPECT_EQ(ledger_.starts, 1);
    EXPECT_TRUE(LocalContent() == body);
  }
}

TEST_F(DownloadTest, AnEmptyBodyOfLengthZeroGivesAnEmptyFile) {
  EXPECT_EQ(Fetch({{{OkHead(0)}}}, 0), 1);
  EXPECT_EQ(LocalContent(), "");
}

TEST_F(DownloadTest, SplitsTheUrlIntoHostAndPath) {
  struct Case {
    std::string url;
    std::string host;
    std::string path;
  } cases[] = {
      {"http://example.host/dir/file.exe", "example.host", "/dir/file.exe"},
      {"example.host/dir/file.exe", "example.host", "/dir/file.exe"},
      {"ftp://example.host/a?b=1&c=/d", "example.host", "/a?b=1&c=/d"},
      {"http://example.host:8080/f", "example.host:8080", "/f"},
      {"http://h/x://y", "h", "/x://y"},
      {"http://h/" + std::string(246, 'p'), "h", "/" + std::string(246, 'p')},  // 255 bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    ledger_ = Ledger{};
    ledger_.anyHostIsLoopback = true;
    HttpTestServer server({{{OkHead(0)}}});
    EXPECT_EQ(Download(c.url, 0, server.port()), 1);
    EXPECT_EQ(ledger_.hostsLookedUp, std::vector<std::string>{c.host});
    EXPECT_EQ(server.Finish(), Requests{Get(c.path, c.host)});
  }
}

TEST_F(DownloadTest, RefusesAUrlItCannotSplitWithoutConnecting) {
  const std::string cases[] = {
      "http://h/" + std::string(247, 'p'),  // 256 bytes: no room for the terminator
      "http://example.host",                // no path
      "",
  };
  for (const std::string& url : cases) {
    SCOPED_TRACE(url);
    EXPECT_EQ(Download(url, 0, UnusedLoopbackPort()), 0);
    EXPECT_EQ(ledger_.starts, 0);
    EXPECT_EQ(LocalContent(), std::nullopt);
  }
}

TEST_F(DownloadTest, ResumesByTheLengthTheHeadAnswerGives) {
  const std::string old1000 = Pattern(0, 1000);
  const std::string stale(6000, 'x');
  const ServerAnswer rest = Serve("HTTP/1.0 206 Partial Content\r\nContent-Length: 4000\r\n\r\n", Pattern(1000, 5000));
  struct Case {
    const char* name;
    std::optional<std::string> existing;
    std::uint32_t offset;
    std::string headAnswer;
    ServerAnswer getAnswer;
    int result;
    Requests requests;
    std::optional<std::string> content;
  } cases[] = {
      {"complete: the second connection sends nothing", old1000, 1000, OkHead(1000), {}, 1, {Head(), ""}, old1000},
      {"the rest by a range request, appended", old1000, 1000, OkHead(5000), rest, 1, {Head(), RangeGet(1000)},
       Pattern(0, 5000)},
      {"a range answered by the whole file starts the file over", old1000, 1000, OkHead(5000), Whole(5000), 1,
       {Head(), RangeGet(1000)}, Pattern(0, 5000)},
      {"offset past the length: emptied and fetched whole", stale, 6000, OkHead(5000), Whole(5000), 1,
       {Head(), Get()}, Pattern(0, 5000)},
      {"offset past the length, no file: nothing sent", std::nullopt, 6000, OkHead(5000), {}, 0, {Head(), ""},
       std::nullopt},
      {"range, no file: nothing sent", std::nullopt, 1000, OkHead(5000), {}, 0, {Head(), ""}, std::nullopt},
      {"HEAD status 206", old1000, 1000, "HTTP/1.1 206 Partial Content\r\nContent-Length: 1000\r\n\r\n", {}, 1,
       {Head(), ""}, old1000},
      {"HEAD status 299", old1000, 1000, "HTTP/1.0 299 X\r\nContent-Length: 1000\r\n\r\n", {}, 1, {Head(), ""},
       old1000},
      {"HEAD length without a blank", old1000, 1000, "HTTP/1.0 200 OK\r\nContent-Length:1000\r\n\r\n", {}, 1,
       {Head(), ""}, old1000},
      {"HEAD status 301", old1000, 1000, "HTTP/1.0 301 Moved\r\nContent-Length: 1000\r\n\r\n", {}, 0, {Head()},
       old1000},
      {"HEAD status 199", old1000, 1000, "HTTP/1.0 199 X\r\nContent-Length: 1000\r\n\r\n", {}, 0, {Head()}, old1000},
      {"HEAD status line without a blank", old1000, 1000, "HTTP/1.0\r\nContent-Length: 1000\r\n\r\n", {}, 0,
       {Head()}, old1000},
      {"HEAD answer without a length", old1000, 1000, "HTTP/1.0 200 OK\r\n\r\n", {}, 0, {Head()}, old1000},
      {"HEAD length in lower case", old1000, 1000, "HTTP/1.0 200 OK\r\ncontent-length: 1000\r\n\r\n", {}, 0,
       {Head()}, old1000},
      {"HEAD answer filling the whole buffer", old1000, 1000,
       (OkHead(1000) + "X-Pad: " + std::string(10240, 'p')).substr(0, 10240), {}, 0, {Head()}, old1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ledger_ = Ledger{};
    Place(c.existing);
    Requests requests;
    EXPECT_EQ(Fetch({{{c.headAnswer}}, c.getAnswer}, c.offset, &requests), c.result);
    EXPECT_EQ(requests, c.requests);
    EXPECT_EQ(ledger_.starts, static_cast<int>(c.requests.size()));
    EXPECT_TRUE(LocalContent() == c.content);
  }
}

TEST_F(DownloadTest, HeadAnswersThatNeverComeEndTheDownload) {
  Place("old");
  const ServerAnswer cases[] = {
      {{}, 0, 300},  // held open, then closed without a byte
      {},            // closed at once
  };
  for (const ServerAnswer& headAnswer : cases) {
    ledger_ = Ledger{};
    Requests requests;
    EXPECT_EQ(Fetch({headAnswer}, 3, &requests), 0);
    EXPECT_EQ(requests, Requests{Head()});
    EXPECT_EQ(LocalContent(), "old");
  }
}

TEST_F(DownloadTest, JudgesTheGetAnswerByItsFirstChunk) {
  const std::string hello = "hello";
  struct Case {
    const char* name;
    ServerAnswer answer;
    int result;
    std::string content;  // what the file holds afterwards
  } cases[] = {
      {"HTTP/1.1 200 OK", Serve("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", hello), 1, hello},
      {"200 Ok without 206", Serve("HTTP/1.1 200 Ok\r\nContent-Length: 5\r\n\r\n", hello), 0, ""},
      {"206 only in a header value", Serve("HTTP/1.1 404 Not Found\r\nX-Id: a206\r\nContent-Length: 5\r\n\r\n", hello),
       1, hello},
      {"Content-Length:1234", Serve("HTTP/1.0 200 OK\r\nContent-Length:1234\r\n\r\n", Pattern(0, 1234)), 1,
       Pattern(0, 1234)},
      {"Content-Length: 1234", Serve("HTTP/1.0 200 OK\r\nContent-Length: 1234\r\n\r\n", Pattern(0, 1234)), 1,
       Pattern(0, 1234)},
      {"content-length in lower case", Serve("HTTP/1.0 200 OK\r\ncontent-length: 5\r\n\r\n", hello), 0, ""},
      {"no length", Serve("HTTP/1.0 200 OK\r\n\r\n", hello), 0, ""},
      {"a length beyond 32 bits", {{"HTTP/1.0 200 OK\r\nContent-Length: 4294967296\r\n\r\n"}}, 0, ""},
      {"the head not ended in the first chunk", Serve("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n", "\r\nhello"), 0,
       ""},
      {"closed after fewer bytes than announced", Serve(OkHead(100), Pattern(0, 40)), 0, Pattern(0, 40)},
      {"more bytes than announced", Serve(OkHead(5), "hello world"), 0, "hello world"},
      {"no answer at all", {{}, 0, 300}, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ledger_ = Ledger{};
    EXPECT_EQ(Fetch({c.answer}, 0), c.result);
    EXPECT_TRUE(LocalContent() == c.content);
  }
}

TEST_F(DownloadTest, ReleasesEverythingWhenAStepFails) {
  struct Case {
    const char* name;
    void (*fail)(Ledger&);
    std::uint32_t offset;
    std::optional<std::string> content;  // of a file that held "old"
  } cases[] = {
      {"no transfer buffer", [](Ledger& l) { l.failBuffer = true; }, 0, "old"},
      {"no socket", [](Ledger& l) { l.failCreate = 1; }, 0, "old"},
      {"host not found", [](Ledger& l) { l.failLookUp = 1; }, 0, "old"},
      {"HEAD not sent", [](Ledger& l) { l.failSend = 1; }, 2, "old"},
      {"no socket for the second connection", [](Ledger& l) { l.failCreate = 2; }, 2, "old"},
      {"second connection refused", [](Ledger& l) { l.failConnect = 2; }, 2, "old"},
      {"GET not sent", [](Ledger& l) { l.failSend = 1; }, 0, ""},
      {"receive error during the body", [](Ledger& l) { l.failReceive = 2; }, 0, "he"},
      {"the file cannot be written", [](Ledger& l) { l.failWrite = 1; }, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ledger_ = Ledger{};
    c.fail(ledger_);
    Place("old");
    std::vector<ServerAnswer> answers{Serve(OkHead(5) + "he", "llo")};
    if (c.offset != 0) answers.insert(answers.begin(), ServerAnswer{{OkHead(5)}});
    EXPECT_EQ(Fetch(answers, c.offset), 0);
    EXPECT_TRUE(LocalContent() == c.content);
  }
}

TEST_F(DownloadTest, ARefusedConnectionGivesZero) {
  EXPECT_EQ(Download("http://127.0.0.1/f", 0, UnusedLoopbackPort()), 0);
  EXPECT_EQ(ledger_.starts, 1);
  EXPECT_EQ(LocalContent(), std::nullopt);
}

TEST_F(DownloadTest, ALargeFileArrivesIntactInFlatMemory) {
  constexpr std::uint64_t kSize = 64ull << 20;
  std::uint64_t peakBefore = PeakMemoryBytes();
  ServerAnswer answer{{OkHead(kSize)}, kSize};
  EXPECT_EQ(Fetch({answer}, 0), 1);
  EXPECT_LT(PeakMemoryBytes() - peakBefore, 8ull << 20) << "memory grew with the file";
  EXPECT_EQ(ledger_.buffers, 1);

  std::ifstream in(local_, std::ios::binary);
  std::vector<char> block(1 << 20);
  std::uint64_t offset = 0;
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i, ++offset) {
      if (block[static_cast<std::size_t>(i)] != PatternByte(offset)) FAIL() << "wrong byte at " << offset;
    }
  }
  EXPECT_EQ(offset, kSize);
}

}  // namespace

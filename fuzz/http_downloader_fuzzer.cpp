// HttpDownloader against arbitrary server answers. An input is a script:
//
//   OFFSET[ anything]\n ANSWER |#| ANSWER ...
//
// OFFSET is the resume offset in decimal; anything after it means the local
// file is absent, else it holds bytes from an earlier run. The n-th answer
// goes to the n-th connection (one without an answer is refused); "|~|"
// splits an answer into chunks, each of which arrives in a receive of its
// own. Each connection is one end of a socket pair whose other end holds the
// answer before the client sends its request, so every input runs the same
// way, without threads or waits; the client's own send, receive and close
// are the real ones.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "net/http_downloader.h"
#include "platform/rawfile.h"
#include "platform/socket.h"
#include "require.h"

namespace {

constexpr std::uint16_t kPort = 8080;
constexpr char kUrl[] = "http://127.0.0.1/player/setup.exe";
constexpr std::size_t kMaxConnections = 3;
constexpr std::size_t kMaxChunks = 32;
// One receive takes at most this much; a longer chunk is cut into pieces.
constexpr std::size_t kReceiveSize = 10240;
// Keeps every answer inside a socket pair's buffer, so a write never waits.
constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

using Chunks = std::vector<std::string>;

struct Script {
  std::uint32_t offset = 0;
  bool fileExists = true;
  std::vector<Chunks> answers;
};

std::vector<std::string_view> Split(std::string_view text, std::string_view separator, std::size_t most) {
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < most) {
    std::size_t at = text.find(separator);
    if (at == std::string_view::npos) break;
    parts.push_back(text.substr(0, at));
    text.remove_prefix(at + separator.size());
  }
  parts.push_back(text);
  return parts;
}

Chunks ReadAnswer(std::string_view text) {
  Chunks chunks;
  std::size_t total = 0;
  for (std::string_view chunk : Split(text, "|~|", kMaxChunks)) {
    // An empty send would read as the server closing.
    for (; !chunk.empty() && total < kMaxAnswerBytes; chunk.remove_prefix(chunks.back().size())) {
      chunks.emplace_back(chunk.substr(0, std::min(kReceiveSize, kMaxAnswerBytes - total)));
      total += chunks.back().size();
    }
  }
  return chunks;
}

Script ReadScript(std::string_view input) {
  Script script;
  std::size_t lineEnd = input.find('\n');
  std::string_view line = input.substr(0, lineEnd);
  std::size_t digits = 0;
  std::uint64_t offset = 0;
  for (; digits < line.size() && line[digits] >= '0' && line[digits] <= '9'; ++digits)
    offset = std::min<std::uint64_t>(offset * 10 + static_cast<std::uint64_t>(line[digits] - '0'), UINT32_MAX);
  script.offset = static_cast<std::uint32_t>(offset);
  script.fileExists = digits == line.size();
  if (lineEnd == std::string_view::npos) return script;
  for (std::string_view answer : Split(input.substr(lineEnd + 1), "|#|", kMaxConnections))
    script.answers.push_back(ReadAnswer(answer));
  return script;
}

// What the doubles saw during one download.
struct Session {
  const Script* script = nullptr;
  std::map<platform::Socket, int> serverEnds;     // the client's end -> the server's
  std::map<platform::Socket, std::size_t> index;  // the client's end -> its connection
  std::vector<std::string> requests;              // per connection made
  int networkStarts = 0;
  int openSockets = 0;
  int mostOpenSockets = 0;
  int openFiles = 0;
};

Session session;
const platform::SocketApi realSockets = platform::Sockets;
const platform::RawFileApi realFiles = platform::RawFile;

void Start() {
  ++session.networkStarts;
  realSockets.Start();
}

void CleanUp() {
  --session.networkStarts;
  realSockets.CleanUp();
}

platform::Socket Create() {
  int ends[2];
  Require(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) == 0, "a socket pair");
  const auto client = static_cast<platform::Socket>(ends[0]);
  session.serverEnds[client] = ends[1];
  session.mostOpenSockets = std::max(session.mostOpenSockets, ++session.openSockets);
  return client;
}

bool Connect(platform::Socket socket, const platform::Ipv4Address& address, std::uint16_t port) {
  const unsigned char loopback[4] = {127, 0, 0, 1};
  Require(std::equal(loopback, loopback + 4, address.bytes) && port == kPort, "the client connects where told");
  const std::size_t n = session.requests.size();
  session.requests.emplace_back();
  session.index[socket] = n;
  if (n >= session.script->answers.size()) return false;
  const int server = session.serverEnds.at(socket);
  for (const std::string& chunk : session.script->answers[n])
    Require(::send(server, chunk.data(), chunk.size(), MSG_DONTWAIT | MSG_NOSIGNAL) ==
                static_cast<ssize_t>(chunk.size()),
            "the answer fits the socket pair");
  ::shutdown(server, SHUT_WR);
  return true;
}

// Takes the request the client sent, then closes both ends.
void Close(platform::Socket socket) {
  Require(session.serverEnds.count(socket) == 1, "the client closes only its own sockets, once");
  const int server = session.serverEnds[socket];
  if (session.index.count(socket)) {
    char buffer[kReceiveSize];
    for (ssize_t got; (got = ::recv(server, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
      session.requests[session.index[socket]].append(buffer, static_cast<std::size_t>(got));
  }
  ::close(server);
  session.serverEnds.erase(socket);
  session.index.erase(socket);
  --session.openSockets;
  realSockets.Close(socket);
}

int OpenFile(const char* path, platform::RawOpenMode mode) {
  int handle = realFiles.Open(path, mode);
  if (handle >= 0) ++session.openFiles;
  return handle;
}

void CloseFile(int handle) {
  --session.openFiles;
  realFiles.Close(handle);
}

// The local file lives in a folder of its own, removed at exit.
const std::filesystem::path& LocalFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "http-fuzz-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr, "a folder for the local file");
    std::atexit([] { std::filesystem::remove_all(LocalFolder()); });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

std::string ReadLocal(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool StartsWith(const std::string& text, std::string_view start) { return text.compare(0, start.size(), start) == 0; }

// The body as the server sent it: everything after the end of the head in
// the first chunk. False when the first chunk holds no end of a head.
bool SentBody(const Chunks& chunks, std::string* body) {
  if (chunks.empty()) return false;
  std::size_t headEnd = chunks[0].find("\r\n\r\n");
  if (headEnd == std::string::npos) return false;
  *body = chunks[0].substr(headEnd + 4);
  for (std::size_t i = 1; i < chunks.size(); ++i) *body += chunks[i];
  return true;
}

void CheckRequests(const Script& script) {
  const std::vector<std::string>& requests = session.requests;
  Require(requests.size() <= (script.offset == 0 ? 1u : 2u), "one connection, or two when resuming");
  if (script.offset != 0 && !requests.empty())
    Require(requests[0].empty() || StartsWith(requests[0], "HEAD /player/setup.exe HTTP/1.0\r\n"),
            "a resume asks for the length first");
  for (std::size_t i = script.offset == 0 ? 0 : 1; i < requests.size(); ++i) {
    if (requests[i].empty()) continue;
    Require(StartsWith(requests[i], "GET /player/setup.exe HTTP/1.0\r\n"), "then the file is fetched");
    const bool ranged = requests[i].find("Range:") != std::string::npos;
    Require(!ranged || requests[i].find("\r\nRange: bytes=" + std::to_string(script.offset) + "-\r\n") !=
                           std::string::npos,
            "a range starts at the resume offset");
  }
}

// The index of the connection on which the file was asked for, or npos.
std::size_t GetConnection() {
  for (std::size_t i = 0; i < session.requests.size(); ++i)
    if (StartsWith(session.requests[i], "GET ")) return i;
  return std::string::npos;
}

void CheckLocalFile(const Script& script, int result, const std::string& before, const std::string& after) {
  const std::size_t get = GetConnection();
  if (get == std::string::npos) {
    Require(after == before, "the local file is untouched unless the file was asked for");
    Require(result == 0 || (script.offset != 0 && session.requests.size() == 2), "success without a GET only when complete");
    return;
  }
  if (result != 1) return;
  std::string body;
  Require(SentBody(script.answers[get], &body), "success after a complete head");
  const bool ranged = session.requests[get].find("Range:") != std::string::npos;
  Require(after == body || (ranged && after == before + body), "a successful download holds exactly the body");
}

void Download(const Script& script) {
  const std::string local = (LocalFolder() / "setup.exe").string();
  std::filesystem::remove(local);
  std::string before;
  if (script.fileExists) {
    before = script.offset == 0 ? "stale bytes of an older download" : std::string(std::min(script.offset, 100u), 'p');
    std::ofstream(local, std::ios::binary) << before;
  }

  session = Session{};
  session.script = &script;
  platform::Sockets.Start = Start;
  platform::Sockets.CleanUp = CleanUp;
  platform::Sockets.Create = Create;
  platform::Sockets.Connect = Connect;
  platform::Sockets.Close = Close;
  platform::RawFile.Open = OpenFile;
  platform::RawFile.Close = CloseFile;
  const int result = HttpDownloader(kUrl, local.c_str(), script.offset, kPort);
  platform::Sockets = realSockets;
  platform::RawFile = realFiles;

  Require(result == 0 || result == 1, "the result is 1 or 0");
  Require(session.openSockets == 0 && session.mostOpenSockets <= 1, "one connection at a time, all closed");
  Require(session.networkStarts == 0, "every network start is cleaned up");
  Require(session.openFiles == 0, "the local file is closed");
  CheckRequests(script);
  CheckLocalFile(script, result, before, script.fileExists || std::filesystem::exists(local) ? ReadLocal(local) : "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Download(ReadScript(std::string_view(reinterpret_cast<const char*>(data), size)));
  return 0;
}

#include "support/http_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#endif

namespace {

constexpr std::uint64_t kPatternPeriod = 65521;
constexpr int kChunkPauseMilliseconds = 100;
constexpr int kRequestWaitMilliseconds = 5000;
constexpr int kAcceptPollMilliseconds = 20;

#ifdef _WIN32
using RawSocket = SOCKET;
using AddressSize = int;
const RawSocket kBadSocket = INVALID_SOCKET;
constexpr int kSendFlags = 0;
void CloseSocket(RawSocket s) { closesocket(s); }
void Pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }
#else
using RawSocket = int;
using AddressSize = socklen_t;
const RawSocket kBadSocket = -1;
constexpr int kSendFlags = MSG_NOSIGNAL;
void CloseSocket(RawSocket s) { close(s); }
void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
#endif

RawSocket AsRaw(std::uintptr_t s) { return static_cast<RawSocket>(s); }

bool WaitReadable(RawSocket s, int milliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval wait = {milliseconds / 1000, (milliseconds % 1000) * 1000};
  return select(static_cast<int>(s) + 1, &readable, nullptr, nullptr, &wait) > 0;
}

bool SendAll(RawSocket s, const char* bytes, std::size_t count) {
  while (count > 0) {
    int sent = send(s, bytes, static_cast<int>(count), kSendFlags);
    if (sent <= 0) return false;
    bytes += sent;
    count -= static_cast<std::size_t>(sent);
  }
  return true;
}

// The request head: everything up to the blank line, or what came before the
// client closed or fell silent.
std::string ReadRequest(RawSocket s) {
  std::string request;
  char chunk[4096];
  while (request.find("\r\n\r\n") == std::string::npos && WaitReadable(s, kRequestWaitMilliseconds)) {
    int got = recv(s, chunk, sizeof chunk, 0);
    if (got <= 0) break;
    request.append(chunk, static_cast<std::size_t>(got));
  }
  return request;
}

// The listening socket, bound to a free loopback port; aborts the test
// program when there is none.
RawSocket Listen(std::uint16_t* port) {
  RawSocket listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  AddressSize size = sizeof address;
  if (listener == kBadSocket || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 8) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    std::abort();
  }
  *port = ntohs(address.sin_port);
  return listener;
}

// Keeps the network library started for the test server's own sockets.
struct NetworkLibrary {
#ifdef _WIN32
  NetworkLibrary() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~NetworkLibrary() { WSACleanup(); }
#endif
};

}  // namespace

#ifdef _WIN32
struct HttpTestServer::Worker {
  explicit Worker(HttpTestServer* server) : handle(CreateThread(nullptr, 0, Run, server, 0, nullptr)) {}
  ~Worker() { CloseHandle(handle); }
  void Join() { WaitForSingleObject(handle, INFINITE); }
  static DWORD WINAPI Run(void* server) {
    static_cast<HttpTestServer*>(server)->Serve();
    return 0;
  }
  HANDLE handle;
};
#else
struct HttpTestServer::Worker {
  explicit Worker(HttpTestServer* server) : thread([server] { server->Serve(); }) {}
  void Join() { thread.join(); }
  std::thread thread;
};
#endif

char PatternByte(std::uint64_t offset) {
  auto k = static_cast<std::uint32_t>(offset % kPatternPeriod);
  return static_cast<char>((k * 2654435761u) >> 24);
}

std::uint64_t PeakMemoryBytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize;
#else
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;  // Linux counts KiB
#endif
}

std::uint16_t UnusedLoopbackPort() {
  [[maybe_unused]] NetworkLibrary library;
  std::uint16_t port = 0;
  CloseSocket(Listen(&port));
  return port;
}

struct HttpTestServer::Network : NetworkLibrary {};

HttpTestServer::HttpTestServer(std::vector<ServerAnswer> answers)
    : network_(std::make_unique<Network>()), answers_(std::move(answers)) {
  for (std::uint64_t i = 0; i < kPatternPeriod; ++i) period_ += PatternByte(i);
  listener_ = static_cast<std::uintptr_t>(Listen(&port_));
  worker_ = std::make_unique<Worker>(this);
}

HttpTestServer::~HttpTestServer() {
  Finish();
  CloseSocket(AsRaw(listener_));
}

const std::vector<std::string>& HttpTestServer::Finish() {
  if (worker_) {
    stop_ = true;
    worker_->Join();
    worker_.reset();
  }
  return requests_;
}

// Connections that were made before the stop are still taken: the client has
// closed them all by the time a test stops the server.
void HttpTestServer::Serve() {
  RawSocket listener = AsRaw(listener_);
  for (;;) {
    if (!WaitReadable(listener, kAcceptPollMilliseconds)) {
      if (stop_) return;
      continue;
    }
    RawSocket client = accept(listener, nullptr, nullptr);
    if (client == kBadSocket) continue;
    std::size_t index = requests_.size();
    requests_.push_back(ReadRequest(client));
    if (!requests_.back().empty() && index < answers_.size()) {
      Play(static_cast<std::uintptr_t>(client), answers_[index]);
    }
    CloseSocket(client);
  }
}

void HttpTestServer::Play(std::uintptr_t client, const ServerAnswer& answer) const {
  RawSocket s = AsRaw(client);
  if (answer.holdMilliseconds > 0) Pause(answer.holdMilliseconds);
  for (std::size_t i = 0; i < answer.chunks.size(); ++i) {
    if (i > 0) Pause(kChunkPauseMilliseconds);
    if (!SendAll(s, answer.chunks[i].data(), answer.chunks[i].size())) return;
  }
  for (std::uint64_t sent = 0; sent < answer.patternBytes;) {
    std::uint64_t at = sent % kPatternPeriod;
    std::uint64_t run = std::min(answer.patternBytes - sent, kPatternPeriod - at);
    if (!SendAll(s, period_.data() + at, static_cast<std::size_t>(run))) return;
    sent += run;
  }
}

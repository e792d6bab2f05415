// BSD sockets. There is no network library to start, and a send to a peer
// that has gone answers an error instead of raising SIGPIPE.
#include "platform/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

void Start() {}

void CleanUp() {}

Socket Create() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return fd >= 0 ? static_cast<Socket>(fd) : kNoSocket;
}

bool LookUp(const char* host, Ipv4Address* address) {
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host, nullptr, &hints, &found) != 0) return false;
  const auto* first = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  std::memcpy(address->bytes, &first->sin_addr, sizeof address->bytes);
  ::freeaddrinfo(found);
  return true;
}

bool Connect(Socket socket, const Ipv4Address& address, std::uint16_t port) {
  sockaddr_in peer = {};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  std::memcpy(&peer.sin_addr, address.bytes, sizeof address.bytes);
  int result;
  do {
    result = ::connect(static_cast<int>(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

int Send(Socket socket, const char* bytes, int count) {
  ssize_t sent;
  do {
    sent = ::send(static_cast<int>(socket), bytes, static_cast<std::size_t>(count), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return static_cast<int>(sent);
}

int Receive(Socket socket, char* buffer, int size) {
  ssize_t got;
  do {
    got = ::recv(static_cast<int>(socket), buffer, static_cast<std::size_t>(size), 0);
  } while (got < 0 && errno == EINTR);
  return static_cast<int>(got);
}

void Close(Socket socket) { ::close(static_cast<int>(socket)); }

}  // namespace

SocketApi Sockets = {Start, CleanUp, Create, LookUp, Connect, Send, Receive, Close};

}  // namespace platform

// Blocking IPv4 stream sockets, shaped like the Windows Sockets 1.1 calls the
// download client makes. The network library's start and clean-up exist on
// Windows only; natively they do nothing, but stay in the seam so that the
// pairing of the two can be checked on both builds.
#pragma once

#include <cstdint>

namespace platform {

// Wide enough for a Windows SOCKET and a POSIX descriptor alike.
using Socket = std::uintptr_t;
// All bits set, as INVALID_SOCKET.
constexpr Socket kNoSocket = ~Socket{0};

// An IPv4 address in network byte order.
struct Ipv4Address {
  unsigned char bytes[4];
};

struct SocketApi {
  // Windows counts starts: each Start must be matched by one CleanUp.
  void (*Start)();
  void (*CleanUp)();
  // An IPv4 stream socket, or kNoSocket.
  Socket (*Create)();
  // The first IPv4 address of the host name, passed unchanged; false when
  // the name has none.
  bool (*LookUp)(const char* host, Ipv4Address* address);
  bool (*Connect)(Socket socket, const Ipv4Address& address, std::uint16_t port);
  // One send call: the bytes taken, negative on error.
  int (*Send)(Socket socket, const char* bytes, int count);
  // One receive call: the bytes received, 0 once the peer has closed,
  // negative on error.
  int (*Receive)(Socket socket, char* buffer, int size);
  void (*Close)(Socket socket);
};

// The real implementation; tests may replace entries and must restore them.
extern SocketApi Sockets;

}  // namespace platform

// Windows Sockets 1.1 calls; version 2.0 is asked for at each start.
#include "platform/socket.h"

#include <winsock2.h>

#include <cstring>

namespace platform {
namespace {

void Start() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 0), &data);
}

void CleanUp() { WSACleanup(); }

Socket Create() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  return s == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(s);
}

bool LookUp(const char* host, Ipv4Address* address) {
  const hostent* entry = gethostbyname(host);
  // The address is copied into a 4-byte field: anything but IPv4 is refused.
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != sizeof address->bytes ||
      !entry->h_addr_list[0]) {
    return false;
  }
  std::memcpy(address->bytes, entry->h_addr_list[0], sizeof address->bytes);
  return true;
}

bool Connect(Socket socket, const Ipv4Address& address, std::uint16_t port) {
  sockaddr_in peer = {};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  std::memcpy(&peer.sin_addr, address.bytes, sizeof address.bytes);
  return connect(static_cast<SOCKET>(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) !=
         SOCKET_ERROR;
}

int Send(Socket socket, const char* bytes, int count) { return send(static_cast<SOCKET>(socket), bytes, count, 0); }

int Receive(Socket socket, char* buffer, int size) { return recv(static_cast<SOCKET>(socket), buffer, size, 0); }

void Close(Socket socket) { closesocket(static_cast<SOCKET>(socket)); }

}  // namespace

SocketApi Sockets = {Start, CleanUp, Create, LookUp, Connect, Send, Receive, Close};

}  // namespace platform

// A small blocking HTTP/1.0 client that fetches one file into a local file
// and can resume a partial one: given how many bytes are already there, it
// asks for the length with HEAD and then fetches the rest with a range
// request, fetches the whole file again, or stops because nothing is missing.
// No proxy, redirect, chunked transfer or time-out; the end of the body is
// the server closing the connection.
#pragma once

#include <cstdint>

#include "platform/socket.h"

constexpr std::uint16_t kHttpPort = 80;

// A connected stream socket to host:port, or platform::kNoSocket. Each call
// starts the network library once; that start is cleaned up here on failure
// or by the CloseConnection that ends the connection.
platform::Socket OpenConnection(const char* host, std::uint16_t port);
void CloseConnection(platform::Socket socket);

// url is scheme "://" host path (the scheme may be left out), the path
// starting with "/"; a port in the URL is not recognised. Returns 1 when the
// local file is complete, 0 otherwise. The program always uses port 80;
// tests pass a loopback port.
int HttpDownloader(const char* url, const char* localPath, std::uint32_t resumeOffset,
                   std::uint16_t port = kHttpPort);

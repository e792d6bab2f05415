// A scripted HTTP server on 127.0.0.1 for the download client: it takes the
// connections one after another, records each request byte for byte and
// plays one scripted answer per connection. Every wait is bounded, so a
// client that goes wrong fails its test instead of hanging it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ServerAnswer {
  // Sent after the request has been read: each chunk in one send, with a
  // pause before the next so that the client receives them apart.
  std::vector<std::string> chunks;
  // Then this many bytes of the test pattern, streamed without pauses.
  std::uint64_t patternBytes = 0;
  // Before the chunks: keep the connection open this long, sending nothing.
  int holdMilliseconds = 0;
};

class HttpTestServer {
 public:
  // One answer per connection, in order; a connection without one, or whose
  // client sends no request, is closed without an answer.
  explicit HttpTestServer(std::vector<ServerAnswer> answers);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  std::uint16_t port() const { return port_; }
  // Serves the connections already made, stops, and returns each
  // connection's request bytes in the order the connections came ("" for
  // one on which nothing was sent).
  const std::vector<std::string>& Finish();

 private:
  struct Network;
  struct Worker;
  void Serve();
  void Play(std::uintptr_t client, const ServerAnswer& answer) const;

  std::unique_ptr<Network> network_;  // first in, last out
  std::vector<ServerAnswer> answers_;
  std::vector<std::string> requests_;
  std::string period_;
  std::uintptr_t listener_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::unique_ptr<Worker> worker_;
};

// The byte at offset of the test pattern, which repeats after a prime
// number of bytes, so that a lost, doubled or shifted run shows.
char PatternByte(std::uint64_t offset);

// A loopback port on which nothing listens, for a refused connection.
std::uint16_t UnusedLoopbackPort();

// The peak resident memory of this process so far, in bytes.
std::uint64_t PeakMemoryBytes();

#include "net/http_downloader.h"

#include <cstdio>
#include <string_view>

#include "platform/memory.h"
#include "platform/rawfile.h"

using platform::Memory;
using platform::RawFile;
using platform::RawOpenMode;
using platform::Socket;
using platform::Sockets;

namespace {

// Every request and every chunk of an answer passes through this one block.
constexpr int kTransferSize = 10240;
constexpr std::size_t kUrlTextSize = 256;
constexpr char kUserAgent[] = "Installer Ver1.0";

struct Target {
  char host[kUrlTextSize] = {};
  char path[kUrlTextSize] = {};
};

// Splits scheme "://" host path, any scheme or none. False for a URL that
// would not fit the host text with its terminator, or that has no path.
bool SplitUrl(std::string_view url, Target* target) {
  if (url.size() >= kUrlTextSize) return false;
  std::size_t scheme = url.find("://");
  if (scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
  std::size_t slash = url.find('/');
  if (slash == std::string_view::npos) return false;
  url.copy(target->host, slash);
  url.substr(slash).copy(target->path, url.size() - slash);
  return true;
}

enum class Request { Head, RangeGet, PlainGet };

// Writes the request into the transfer buffer; returns its length.
int FormatRequest(char* buffer, Request request, const Target& target, std::uint32_t resumeOffset) {
  switch (request) {
    case Request::Head:
      return std::snprintf(buffer, kTransferSize,
                           "HEAD %s HTTP/1.0\r\nUser-Agent: %s\r\nHost: %s\r\nConnection: close\r\n\r\n",
                           target.path, kUserAgent, target.host);
    case Request::RangeGet:
      return std::snprintf(buffer, kTransferSize,
                           "GET %s HTTP/1.0\r\nUser-Agent: %s\r\nHost: %s\r\nRange: bytes=%lu-\r\n"
                           "Connection: close\r\n\r\n",
                           target.path, kUserAgent, target.host, static_cast<unsigned long>(resumeOffset));
    case Request::PlainGet:
      break;
  }
  return std::snprintf(buffer, kTransferSize,
                       "GET %s HTTP/1.0\r\nUser-Agent: %s\r\nHost: %s\r\nConnection: close\r\n\r\n",
                       target.path, kUserAgent, target.host);
}

// The received bytes read as a text: up to the first zero byte among them.
std::string_view AsText(const char* bytes, int count) {
  std::string_view received(bytes, static_cast<std::size_t>(count));
  return received.substr(0, received.find('\0'));
}

bool IsSpace(char c) { return std::string_view(" \t\n\v\f\r").find(c) != std::string_view::npos; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number as the C library reads one: white space skipped, an
// optional sign, the digits up to the first non-digit, 0 without digits.
// Held far beyond 32 bits, so that an overlong number cannot wrap into a
// plausible one.
std::int64_t ReadNumber(std::string_view text) {
  constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kCeiling) value = kCeiling;
  }
  return negative ? -value : value;
}

// The number after the first blank; -1 without a blank.
std::int64_t StatusCode(std::string_view answer) {
  std::size_t blank = answer.find(' ');
  return blank == std::string_view::npos ? -1 : ReadNumber(answer.substr(blank + 1));
}

bool IsSuccessStatus(std::string_view answer) {
  std::int64_t status = StatusCode(answer);
  return status >= 200 && status <= 299;
}

// The answer to a GET is judged by its first chunk alone, anywhere in it.
bool IsAcceptedAnswer(std::string_view text) {
  return text.find("200 OK") != std::string_view::npos || text.find("206") != std::string_view::npos;
}

// The announced length, a signed 32-bit field compared as unsigned. False
// without a "Content-Length:" field or with a value no 32-bit field holds.
bool ReadLength(std::string_view head, std::uint32_t* length) {
  constexpr std::string_view kField = "Content-Length:";
  std::size_t field = head.find(kField);
  if (field == std::string_view::npos) return false;
  std::int64_t value = ReadNumber(head.substr(field + kField.size()));
  if (value < INT32_MIN || value > UINT32_MAX) return false;
  *length = static_cast<std::uint32_t>(value);
  return true;
}

class TransferBuffer {
 public:
  TransferBuffer() : bytes_(static_cast<char*>(Memory.AllocateTemp(kTransferSize))) {}
  ~TransferBuffer() {
    if (bytes_) Memory.FreeTemp(bytes_);
  }
  TransferBuffer(const TransferBuffer&) = delete;
  TransferBuffer& operator=(const TransferBuffer&) = delete;
  char* bytes() const { return bytes_; }

 private:
  char* bytes_;
};

// The current connection; opening the next one closes it first, so that at
// most one is open at any time.
class Connection {
 public:
  Connection() = default;
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Open(const char* host, std::uint16_t port) {
    Close();
    socket_ = OpenConnection(host, port);
    return socket_ != platform::kNoSocket;
  }
  void Close() {
    if (socket_ != platform::kNoSocket) CloseConnection(socket_);
    socket_ = platform::kNoSocket;
  }
  // A short send counts as failed: the server would never see the whole request.
  bool Send(const char* bytes, int count) { return Sockets.Send(socket_, bytes, count) == count; }
  int Receive(char* buffer) { return Sockets.Receive(socket_, buffer, kTransferSize); }

 private:
  Socket socket_ = platform::kNoSocket;
};

class LocalFile {
 public:
  LocalFile(const char* path, RawOpenMode mode) : path_(path), handle_(RawFile.Open(path, mode)) {}
  ~LocalFile() { Close(); }
  LocalFile(const LocalFile&) = delete;
  LocalFile& operator=(const LocalFile&) = delete;
  bool is_open() const { return handle_ >= 0; }
  // Empties the file by opening it again.
  bool Restart() {
    Close();
    handle_ = RawFile.Open(path_, RawOpenMode::Restart);
    return is_open();
  }
  bool Write(std::string_view bytes) { return bytes.empty() || RawFile.Write(handle_, bytes.data(), bytes.size()); }

 private:
  void Close() {
    if (handle_ >= 0) RawFile.Close(handle_);
    handle_ = -1;
  }

  const char* path_;
  int handle_;
};

// Sends HEAD and reads the length from its one answer.
bool AskLength(Connection& connection, const Target& target, char* buffer, std::uint32_t* length) {
  int size = FormatRequest(buffer, Request::Head, target, 0);
  if (!connection.Send(buffer, size)) return false;
  int got = connection.Receive(buffer);
  // An answer that fills the whole buffer cannot be read as one text.
  if (got <= 0 || got >= kTransferSize) return false;
  std::string_view answer = AsText(buffer, got);
  return IsSuccessStatus(answer) && ReadLength(answer, length);
}

// Reads the answer to a GET into the file until the server closes; 1 when
// exactly the announced number of body bytes arrived and was written.
int ReceiveFile(Connection& connection, char* buffer, LocalFile& file, Request request) {
  int got = connection.Receive(buffer);
  if (got <= 0) return 0;
  std::string_view text = AsText(buffer, got);
  if (!IsAcceptedAnswer(text)) return 0;
  std::string_view chunk(buffer, static_cast<std::size_t>(got));
  std::size_t headEnd = chunk.find("\r\n\r\n");
  if (headEnd == std::string_view::npos) return 0;
  std::uint32_t expected = 0;
  if (!ReadLength(chunk.substr(0, headEnd), &expected)) return 0;
  // A range request answered with anything but a part carries the whole
  // file, which must not be appended to the part already there.
  if (request == Request::RangeGet && StatusCode(text) != 206 && !file.Restart()) return 0;
  std::string_view body = chunk.substr(headEnd + 4);
  if (!file.Write(body)) return 0;
  // Wider than the announced length, so that an overlong body cannot wrap
  // around to it.
  std::uint64_t count = body.size();
  for (;;) {
    got = connection.Receive(buffer);
    if (got < 0) return 0;
    if (got == 0) return count == expected ? 1 : 0;
    if (!file.Write(std::string_view(buffer, static_cast<std::size_t>(got)))) return 0;
    count += static_cast<std::uint64_t>(got);
  }
}

}  // namespace

Socket OpenConnection(const char* host, std::uint16_t port) {
  Sockets.Start();
  Socket socket = Sockets.Create();
  if (socket == platform::kNoSocket) {
    Sockets.CleanUp();
    return platform::kNoSocket;
  }
  platform::Ipv4Address address = {};
  if (!Sockets.LookUp(host, &address) || !Sockets.Connect(socket, address, port)) {
    CloseConnection(socket);
    return platform::kNoSocket;
  }
  return socket;
}

void CloseConnection(Socket socket) {
  Sockets.Close(socket);
  Sockets.CleanUp();
}

int HttpDownloader(const char* url, const char* localPath, std::uint32_t resumeOffset, std::uint16_t port) {
  Target target;
  if (!url || !localPath || !SplitUrl(url, &target)) return 0;
  TransferBuffer buffer;
  if (!buffer.bytes()) return 0;
  Connection connection;
  if (!connection.Open(target.host, port)) return 0;

  Request request = Request::PlainGet;
  RawOpenMode mode = RawOpenMode::Fresh;
  if (resumeOffset != 0) {
    std::uint32_t length = 0;
    if (!AskLength(connection, target, buffer.bytes(), &length)) return 0;
    if (!connection.Open(target.host, port)) return 0;
    if (length == resumeOffset) return 1;  // already complete: nothing is sent
    request = length > resumeOffset ? Request::RangeGet : Request::PlainGet;
    mode = length > resumeOffset ? RawOpenMode::Append : RawOpenMode::Restart;
  }

  int size = FormatRequest(buffer.bytes(), request, target, resumeOffset);
  LocalFile file(localPath, mode);
  if (!file.is_open()) return 0;
  if (!connection.Send(buffer.bytes(), size)) return 0;
  return ReceiveFile(connection, buffer.bytes(), file, request);
}

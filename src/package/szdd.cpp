#include "package/szdd.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr unsigned char kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr char kMode = 'A';
constexpr std::size_t kWindowSize = kSzddWindowSize;
constexpr std::size_t kWindowStart = kWindowSize - 16;
constexpr std::size_t kMinMatch = 3;
// The format can say 18, but some decoders refuse matches above 16.
constexpr std::size_t kMaxMatch = 16;
// A match's source stays clear of the bytes it overwrites at the far end of
// the window, so that decoders copying in blocks agree with byte-wise ones.
constexpr std::size_t kMaxDistance = kWindowSize - kMaxMatch;
constexpr unsigned kHashBits = 14;
// Enough to find nearly every useful match; bounds the time on runs.
constexpr int kMaxChain = 256;

using Position = std::ptrdiff_t;

// Hash chains over the three bytes at each position. prev_ is a ring as long
// as the window: a slot is reused only by a position 4096 later, by when the
// old one lies beyond kMaxDistance and the walk has stopped.
class MatchFinder {
 public:
  struct Match {
    std::size_t length = 0;
    std::size_t from = 0;
  };

  explicit MatchFinder(std::string_view data)
      : data_(data), head_(std::size_t{1} << kHashBits, -1), prev_(kWindowSize, -1) {}

  void Insert(std::size_t i) {
    if (i + kMinMatch > data_.size()) return;
    std::size_t h = Hash(i);
    prev_[i % kWindowSize] = head_[h];
    head_[h] = static_cast<Position>(i);
  }

  // The longest earlier match for the bytes at i (positions before i only).
  Match Longest(std::size_t i) const {
    Match best;
    std::size_t limit = std::min(kMaxMatch, data_.size() - i);
    if (limit < kMinMatch) return best;
    Position candidate = head_[Hash(i)];
    const auto here = static_cast<Position>(i);
    for (int steps = 0;
         candidate >= 0 && here - candidate <= static_cast<Position>(kMaxDistance) && steps < kMaxChain;
         ++steps) {
      auto from = static_cast<std::size_t>(candidate);
      std::size_t length = 0;
      while (length < limit && data_[from + length] == data_[i + length]) ++length;
      if (length > best.length) {
        best = {length, from};
        if (length == limit) break;
      }
      candidate = prev_[from % kWindowSize];
    }
    if (best.length < kMinMatch) best = {};
    return best;
  }

 private:
  std::size_t Hash(std::size_t i) const {
    auto b = [&](std::size_t k) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(data_[i + k]));
    };
    std::uint32_t key = b(0) << 16 | b(1) << 8 | b(2);
    return (key * 2654435761u) >> (32 - kHashBits);
  }

  std::string_view data_;
  std::vector<Position> head_;
  std::vector<Position> prev_;
};

// Groups items eight to a flag byte.
class TokenWriter {
 public:
  explicit TokenWriter(std::string& out) : out_(out) {}

  void Literal(char b) {
    unsigned bit = Next();
    out_[flagAt_] = static_cast<char>(static_cast<unsigned char>(out_[flagAt_]) | (1u << bit));
    out_ += b;
  }

  void Match(std::size_t from, std::size_t length) {
    Next();
    std::size_t pos = (kWindowStart + from) % kWindowSize;
    out_ += static_cast<char>(pos & 0xFF);
    out_ += static_cast<char>(((pos >> 4) & 0xF0) | (length - kMinMatch));
  }

 private:
  unsigned Next() {
    if (used_ == 8) {
      flagAt_ = out_.size();
      out_ += '\0';
      used_ = 0;
    }
    return used_++;
  }

  std::string& out_;
  std::size_t flagAt_ = 0;
  unsigned used_ = 8;
};

void AppendHeader(std::string& out, char lastChar, std::uint32_t length) {
  out.append(reinterpret_cast<const char*>(kMagic), sizeof kMagic);
  out += kMode;
  out += lastChar;
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((length >> shift) & 0xFF);
}

}  // namespace

bool ParseSzddHeader(const unsigned char* bytes, std::size_t size, SzddHeader* header) {
  if (size < kSzddHeaderSize || std::memcmp(bytes, kMagic, sizeof kMagic) != 0 || bytes[8] != kMode)
    return false;
  header->lastChar = static_cast<char>(bytes[9]);
  header->expandedLength = 0;
  for (int k = 3; k >= 0; --k) header->expandedLength = header->expandedLength << 8 | bytes[10 + k];
  return true;
}

SzddExpander::SzddExpander(Source source) : source_(std::move(source)), writePos_(kWindowStart) {
  std::memset(window_, ' ', sizeof window_);
}

bool SzddExpander::NextInput(unsigned char* b) {
  if (inputPos_ == inputEnd_) {
    inputPos_ = 0;
    inputEnd_ = source_(input_, sizeof input_);
    if (inputEnd_ == 0) return false;
  }
  *b = input_[inputPos_++];
  return true;
}

bool SzddExpander::NextByte(unsigned char* b) {
  if (matchLeft_ == 0) {
    if (flags_ <= 1) {
      unsigned char f;
      if (!NextInput(&f)) return false;
      flags_ = f | 0x100u;
    }
    if (flags_ & 1) {
      if (!NextInput(b)) return false;
    } else {
      unsigned char b0, b1;
      if (!NextInput(&b0) || !NextInput(&b1)) return false;
      matchPos_ = b0 | static_cast<std::size_t>(b1 & 0xF0) << 4;
      matchLeft_ = (b1 & 0x0Fu) + kMinMatch;
    }
    flags_ >>= 1;
  }
  if (matchLeft_ > 0) {
    *b = window_[matchPos_];
    matchPos_ = (matchPos_ + 1) % kWindowSize;
    --matchLeft_;
  }
  window_[writePos_] = *b;
  writePos_ = (writePos_ + 1) % kWindowSize;
  return true;
}

std::size_t SzddExpander::Read(unsigned char* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count && NextByte(out + done)) ++done;
  return done;
}

std::string SzddCompress(std::string_view data, char lastChar) {
  std::string out;
  out.reserve(kSzddHeaderSize + data.size() + data.size() / 8 + 1);
  AppendHeader(out, lastChar, static_cast<std::uint32_t>(data.size()));
  MatchFinder finder(data);
  TokenWriter writer(out);
  std::size_t i = 0;
  while (i < data.size()) {
    MatchFinder::Match m = finder.Longest(i);
    finder.Insert(i);
    // Lazy matching: while the next position holds a longer match, this
    // byte goes out as a literal.
    while (m.length > 0 && m.length < kMaxMatch && i + 1 < data.size()) {
      MatchFinder::Match next = finder.Longest(i + 1);
      if (next.length <= m.length) break;
      writer.Literal(data[i]);
      finder.Insert(++i);
      m = next;
    }
    if (m.length == 0) {
      writer.Literal(data[i++]);
      continue;
    }
    writer.Match(m.from, m.length);
    for (std::size_t k = 1; k < m.length; ++k) finder.Insert(i + k);
    i += m.length;
  }
  return out;
}

bool SzddExpand(std::string_view file, std::string* out, SzddHeader* header) {
  SzddHeader parsed;
  if (!ParseSzddHeader(reinterpret_cast<const unsigned char*>(file.data()), file.size(), &parsed))
    return false;
  if (header) *header = parsed;
  std::string_view rest = file.substr(kSzddHeaderSize);
  SzddExpander expander([&rest](unsigned char* buffer, std::size_t size) {
    std::size_t n = std::min(size, rest.size());
    std::memcpy(buffer, rest.data(), n);
    rest.remove_prefix(n);
    return n;
  });
  out->clear();
  unsigned char chunk[4096];
  while (std::size_t n = expander.Read(chunk, sizeof chunk)) out->append(reinterpret_cast<char*>(chunk), n);
  return true;
}

char SzddReplacedChar(std::string_view inName, std::string_view outName) {
  if (inName.empty() || inName.size() != outName.size() || outName.back() != '_') return 0;
  std::size_t stem = inName.size() - 1;
  return inName.substr(0, stem) == outName.substr(0, stem) ? inName.back() : 0;
}

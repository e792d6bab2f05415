// SZDD, the format of the Windows file compression utility. A file is a
// 14-byte header followed by LZSS data:
//
//   offset  size  field
//   0       8     magic "SZDD" 0x88 0xF0 0x27 0x33
//   8       1     mode, 'A'
//   9       1     the file name's last character, replaced by "_" in the
//                 compressed file's name; 0 when unknown
//   10      4     expanded length, little-endian
//   14      ...   groups of a flag byte and eight items; flag bits from the
//                 least significant: 1 = one literal byte, 0 = a match of two
//                 bytes b0 b1, window position b0 | (b1 & 0xF0) << 4, length
//                 (b1 & 0x0F) + 3
//
// The 4096-byte window starts filled with spaces, and the first expanded byte
// goes to position 4096 - 16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

constexpr std::size_t kSzddHeaderSize = 14;
constexpr std::size_t kSzddWindowSize = 4096;

struct SzddHeader {
  char lastChar = 0;
  std::uint32_t expandedLength = 0;
};

// True when bytes start with an SZDD header of mode 'A'.
bool ParseSzddHeader(const unsigned char* bytes, std::size_t size, SzddHeader* header);

// Expands the LZSS data that follows the header, pulling compressed bytes
// from its source as it needs them.
class SzddExpander {
 public:
  // Fills up to size bytes; 0 at the end of the compressed data (or on error).
  using Source = std::function<std::size_t(unsigned char* buffer, std::size_t size)>;

  explicit SzddExpander(Source source);

  // Up to count expanded bytes; fewer only where the compressed data ends.
  // The header's expanded length is not consulted, as the Windows reader
  // does not consult it either.
  std::size_t Read(unsigned char* out, std::size_t count);

 private:
  bool NextInput(unsigned char* b);
  bool NextByte(unsigned char* b);

  Source source_;
  unsigned char window_[kSzddWindowSize];
  std::size_t writePos_;
  unsigned flags_ = 0;  // flag bits still to use, above them a 1 as end mark
  std::size_t matchPos_ = 0;
  std::size_t matchLeft_ = 0;
  unsigned char input_[2048];
  std::size_t inputPos_ = 0;
  std::size_t inputEnd_ = 0;
};

// A whole SZDD file of data. lastChar goes into the header as it is.
std::string SzddCompress(std::string_view data, char lastChar = 0);

// Expands a whole SZDD file into *out; false when file has no SZDD header.
bool SzddExpand(std::string_view file, std::string* out, SzddHeader* header = nullptr);

// The character the header records for a file compressed from inName to
// outName: inName's last character when outName is inName with that
// character replaced by "_", else 0.
char SzddReplacedChar(std::string_view inName, std::string_view outName);

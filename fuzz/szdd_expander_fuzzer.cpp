// The SZDD expander on arbitrary bytes, and the compressor on arbitrary data:
// the expansion must not depend on how the compressed bytes are handed over
// or asked for, and every compressed file must expand to its data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "package/szdd.h"
#include "require.h"

namespace {

// The expansion of the data after the header, fed and read in small, uneven
// pieces, as a file is read through the LZ reader in fields.
std::string ExpandInPieces(std::string_view file) {
  std::string_view rest = file.substr(kSzddHeaderSize);
  std::size_t feed = 0;
  SzddExpander expander([&rest, &feed](unsigned char* buffer, std::size_t size) {
    std::size_t n = std::min({size, rest.size(), feed++ % 7 + 1});
    std::memcpy(buffer, rest.data(), n);
    rest.remove_prefix(n);
    return n;
  });
  std::string out;
  unsigned char piece[13];
  for (std::size_t ask = 1;; ask = ask % sizeof piece + 1) {
    std::size_t got = expander.Read(piece, ask);
    out.append(reinterpret_cast<char*>(piece), got);
    if (got < ask) return out;
  }
}

void CheckExpansion(std::string_view file) {
  std::string whole;
  SzddHeader header;
  const bool parsed = ParseSzddHeader(reinterpret_cast<const unsigned char*>(file.data()), file.size(), &header);
  Require(SzddExpand(file, &whole) == parsed, "SzddExpand takes exactly the files with a header");
  if (parsed) Require(ExpandInPieces(file) == whole, "the expansion depends on the pieces it is read in");
}

void CheckRoundTrip(std::string_view data) {
  const char lastChar = data.empty() ? 0 : data.back();
  const std::string file = SzddCompress(data, lastChar);
  Require(file.size() <= kSzddHeaderSize + data.size() + (data.size() + 7) / 8,
          "compressed larger than the data stored as literals");
  SzddHeader header;
  std::string back;
  Require(SzddExpand(file, &back, &header), "a compressed file has a header");
  Require(header.expandedLength == data.size() && header.lastChar == lastChar, "the header records the data");
  Require(back == data, "a compressed file expands to its data");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckExpansion(bytes);
  CheckRoundTrip(bytes);
  return 0;
}

#include "cp932.h"

#include <cerrno>
#include <stdexcept>

namespace {

iconv_t OpenConversion(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
  return cd;
}

// Converts all of in; on failure, *stopped is the offset of the first byte
// that did not convert.
bool Convert(iconv_t cd, std::string_view in, std::string* out, std::size_t* stopped) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out->clear();
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out->append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      *stopped = in.size() - inLeft;
      return false;
    }
  }
  return true;
}

// The UTF-8 sequence that starts at offset (one byte if it is none).
std::string_view Utf8CharAt(std::string_view text, std::size_t offset) {
  auto lead = static_cast<unsigned char>(text[offset]);
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return text.substr(offset, length);
}

}  // namespace

Cp932::Cp932() : toCp932_(OpenConversion("CP932", "UTF-8")), toUtf8_(OpenConversion("UTF-8", "CP932")) {}

Cp932::~Cp932() {
  iconv_close(toCp932_);
  iconv_close(toUtf8_);
}

std::optional<std::string> Cp932::FromUtf8(std::string_view utf8, std::string* unmappable) const {
  std::string out;
  std::size_t stopped = 0;
  if (Convert(toCp932_, utf8, &out, &stopped)) return out;
  *unmappable = std::string(Utf8CharAt(utf8, stopped));
  return std::nullopt;
}

std::optional<std::string> Cp932::CharToUtf8(std::string_view bytes) const {
  std::string utf8, back;
  std::size_t stopped = 0;
  if (!Convert(toUtf8_, bytes, &utf8, &stopped) || !Convert(toCp932_, utf8, &back, &stopped) || back != bytes)
    return std::nullopt;
  return utf8;
}

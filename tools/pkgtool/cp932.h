// Texts between the manifest's UTF-8 and the package's code page 932, through
// glibc's iconv ("CP932", the Windows form of Shift-JIS).
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

class Cp932 {
 public:
  Cp932();
  ~Cp932();
  Cp932(const Cp932&) = delete;
  Cp932& operator=(const Cp932&) = delete;

  // The text in code page 932, or nothing with *unmappable set to the first
  // character that has no form there (or to the bytes that are not UTF-8).
  std::optional<std::string> FromUtf8(std::string_view utf8, std::string* unmappable) const;

  // The UTF-8 form of one character's bytes, when they convert there and back
  // to the same bytes; nothing otherwise.
  std::optional<std::string> CharToUtf8(std::string_view bytes) const;

 private:
  iconv_t toCp932_;
  iconv_t toUtf8_;
};

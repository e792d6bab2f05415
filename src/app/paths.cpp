#include "app/paths.h"

#include <cstring>

#include "platform/codepage.h"

bool IsTrailByteAt(const std::string& text, std::size_t index) {
  std::size_t leads = 0;
  while (leads < index &&
         platform::IsAnsiLeadByte(static_cast<unsigned char>(text[index - 1 - leads])))
    ++leads;
  return leads % 2 == 1;
}

std::size_t LastDelimiter(const std::string& text, const char* delimiters) {
  for (std::size_t i = text.size(); i-- > 0;) {
    if (std::strchr(delimiters, text[i]) && text[i] != '\0' && !IsTrailByteAt(text, i)) return i;
  }
  return std::string::npos;
}

bool EndsWithBackslash(const std::string& text) {
  return !text.empty() && text.back() == '\\' && !IsTrailByteAt(text, text.size() - 1);
}

std::string PathPart(const std::string& path) {
  std::size_t separator = LastDelimiter(path, "\\:");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string FileNamePart(const std::string& path) {
  std::size_t separator = LastDelimiter(path, "\\:");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string DirectoryPart(const std::string& path) {
  std::string part = PathPart(path);
  std::size_t n = part.size();
  if (n > 1 && part[n - 1] == '\\' && LastDelimiter(part.substr(0, n - 1), "\\:") != n - 2)
    part.pop_back();
  return part;
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  std::size_t dot = LastDelimiter(path, ".\\:");
  if (dot == std::string::npos || path[dot] != '.') return path + extension;
  return path.substr(0, dot) + extension;
}

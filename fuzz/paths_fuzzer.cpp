// The path helpers and AppendProductFolder on arbitrary bytes, under code
// page 932 and under a single-byte page, against a reference that marks the
// second bytes of double-byte characters in one forward scan.
//
// Input: one byte n, then the product name (the next n bytes, up to a zero
// byte, at most 255), then the path, which is also the base folder.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/paths.h"
#include "app/state.h"
#include "platform/codepage.h"
#include "require.h"

namespace {

// Paths in the program stay below 260 bytes; longer inputs only slow the
// quadratic reference checks down.
constexpr std::size_t kLongestPath = 1024;

// second[i]: byte i is the second byte of a double-byte character.
std::vector<bool> SecondBytes(const std::string& text) {
  std::vector<bool> second(text.size(), false);
  for (std::size_t i = 0; i < text.size(); ++i)
    if (platform::IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) second[++i] = true;
  return second;
}

// The text's last character is a lead byte with nothing after it.
bool EndsInLoneLead(const std::string& text) {
  return !text.empty() && platform::IsAnsiLeadByte(static_cast<unsigned char>(text.back())) &&
         !SecondBytes(text).back();
}

bool IsSeparatorAt(const std::string& text, const std::vector<bool>& second, std::size_t i) {
  return (text[i] == '\\' || text[i] == ':') && !second[i];
}

// One past the last separator; 0 without one.
std::size_t PathPartLength(const std::string& text) {
  const std::vector<bool> second = SecondBytes(text);
  for (std::size_t i = text.size(); i-- > 0;)
    if (IsSeparatorAt(text, second, i)) return i + 1;
  return 0;
}

void CheckPath(const std::string& path) {
  const std::vector<bool> second = SecondBytes(path);
  for (std::size_t i = 0; i < path.size(); ++i)
    Require(IsTrailByteAt(path, i) == second[i], "IsTrailByteAt agrees with a forward scan");
  Require(EndsWithBackslash(path) == (!path.empty() && path.back() == '\\' && !second.back()),
          "EndsWithBackslash");

  const std::string part = PathPart(path);
  const std::string name = FileNamePart(path);
  Require(part + name == path, "PathPart + FileNamePart is the path");
  Require(part.size() == PathPartLength(path), "PathPart ends at the last separator");
  Require(PathPartLength(name) == 0, "FileNamePart holds no separator");

  const std::string directory = DirectoryPart(path);
  const std::size_t n = part.size();
  const bool root = n < 2 || part[n - 1] != '\\' || IsSeparatorAt(path, second, n - 2);
  Require(directory == (root ? part : part.substr(0, n - 1)), "DirectoryPart drops the final backslash but at a root");

  // The extension starts at the file name's last single-byte dot.
  std::size_t stem = path.size();
  for (std::size_t i = n; i < path.size(); ++i)
    if (path[i] == '.' && !second[i]) stem = i;
  Require(ChangeFileExt(path, ".PKG") == path.substr(0, stem) + ".PKG", "ChangeFileExt replaces the file name's extension");
}

void CheckProductFolder(const std::string& base, const std::string& product) {
  const std::string folder = AppendProductFolder(base);
  const bool joined = !base.empty() && base.back() == '\\' && !SecondBytes(base).back();
  Require(folder == base + (joined ? "" : "\\") + product + "\\", "AppendProductFolder composes base, product, backslash");
  // A text that ends in half a character swallows the backslash after it;
  // with whole characters the folder ends in a separator and its last name
  // is the product's.
  if (EndsInLoneLead(base) || EndsInLoneLead(product)) return;
  Require(PathPartLength(folder) == folder.size(), "AppendProductFolder ends in a single-byte backslash");
  if (product.empty() || PathPartLength(product) != 0) return;
  Require(FileNamePart(DirectoryPart(folder)) == product, "the folder's last name is the product's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t productSize = std::min<std::size_t>(data[0], input.size());
  std::string product(input.substr(0, productSize));
  product = product.substr(0, std::min(product.find('\0'), kTextSlot - 1));
  const std::string path(input.substr(productSize, kLongestPath));

  static PackageImage image;
  std::memset(image.Header.ProductName, 0, kTextSlot);
  std::memcpy(image.Header.ProductName, product.data(), product.size());
  State.Package = &image;

  for (unsigned codePage : {932u, 1252u}) {
    platform::SelectAnsiCodePage(codePage);
    CheckPath(path);
    CheckProductFolder(path, product);
  }
  return 0;
}

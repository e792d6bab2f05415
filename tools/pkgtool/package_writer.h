// Writes package files: the loader's format, field by field, in file order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PackageItemDescription {
  std::uint32_t variantMask = 1;
  std::string sourceName;
  std::string targetName;
  std::string shortcutName;  // empty: no shortcut
};

// Texts are bytes in code page 932, as they go into the file.
struct PackageDescription {
  std::string vendorName;
  std::string productName;
  std::string versionText;
  std::string mainProgram;
  std::uint32_t selectedVariant = 0;
  std::vector<std::string> variantNames;
  std::vector<PackageItemDescription> items;
};

// The field encodings: a little-endian 32-bit integer, and a text as its
// byte count followed by its bytes.
void AppendInt(std::string& out, std::uint32_t value);
void AppendText(std::string& out, const std::string& text);

// The whole file; the counts are taken from the vectors.
std::string EncodePackage(const PackageDescription& package);

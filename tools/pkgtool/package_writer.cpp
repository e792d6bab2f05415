#include "package_writer.h"

#include "package/image.h"

void AppendInt(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendText(std::string& out, const std::string& text) {
  AppendInt(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

std::string EncodePackage(const PackageDescription& package) {
  std::string out;
  AppendInt(out, kPackageMagic);
  AppendText(out, package.vendorName);
  AppendText(out, package.productName);
  AppendText(out, package.versionText);
  AppendText(out, package.mainProgram);
  AppendInt(out, static_cast<std::uint32_t>(package.variantNames.size()));
  AppendInt(out, package.selectedVariant);
  for (const std::string& name : package.variantNames) AppendText(out, name);
  AppendInt(out, static_cast<std::uint32_t>(package.items.size()));
  for (const PackageItemDescription& item : package.items) {
    AppendInt(out, item.variantMask);
    AppendText(out, item.sourceName);
    AppendText(out, item.targetName);
    AppendText(out, item.shortcutName);
  }
  return out;
}

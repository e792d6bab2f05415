#include "package_reader.h"

#include "package/image.h"

namespace {

class FieldReader {
 public:
  explicit FieldReader(std::string_view bytes) : rest_(bytes) {}

  std::size_t Left() const { return rest_.size(); }

  bool Int(std::uint32_t* value) {
    if (rest_.size() < 4) return false;
    *value = 0;
    for (int k = 3; k >= 0; --k)
      *value = *value << 8 | static_cast<unsigned char>(rest_[static_cast<std::size_t>(k)]);
    rest_.remove_prefix(4);
    return true;
  }

  bool Text(std::string* text) {
    std::uint32_t length = 0;
    if (!Int(&length) || rest_.size() < length) return false;
    text->assign(rest_.substr(0, length));
    rest_.remove_prefix(length);
    return true;
  }

 private:
  std::string_view rest_;
};

}  // namespace

bool DecodePackage(std::string_view bytes, PackageDescription* package, std::size_t* used) {
  FieldReader in(bytes);
  PackageDescription p;
  std::uint32_t magic = 0, variantCount = 0, itemCount = 0;
  if (!in.Int(&magic) || magic != kPackageMagic || !in.Text(&p.vendorName) || !in.Text(&p.productName) ||
      !in.Text(&p.versionText) || !in.Text(&p.mainProgram) || !in.Int(&variantCount) ||
      variantCount > kMaxVariants || !in.Int(&p.selectedVariant))
    return false;
  p.variantNames.resize(variantCount);
  for (std::string& name : p.variantNames)
    if (!in.Text(&name)) return false;
  if (!in.Int(&itemCount) || itemCount > kMaxItems) return false;
  p.items.resize(itemCount);
  for (PackageItemDescription& item : p.items)
    if (!in.Int(&item.variantMask) || !in.Text(&item.sourceName) || !in.Text(&item.targetName) ||
        !in.Text(&item.shortcutName))
      return false;
  *package = std::move(p);
  *used = bytes.size() - in.Left();
  return true;
}

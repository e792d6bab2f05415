#include "package_check.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "package/image.h"
#include "package/loader.h"
#include "package_reader.h"
#include "platform/memory.h"
#include "require.h"

namespace {

// The package file, in memory: rewritten for every input and opened by its
// /proc path, so the reader opens it as it opens any file, without a disk.
class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("package", MFD_CLOEXEC)), path_("/proc/self/fd/" + std::to_string(fd_)) {
    Require(fd_ >= 0, "a memory file for the package");
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  ~MemoryFile() { ::close(fd_); }

  const std::string& Hold(std::string_view bytes) {
    Require(::ftruncate(fd_, 0) == 0, "empty the memory file");
    Require(::pwrite(fd_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()),
            "write the memory file");
    return path_;
  }

 private:
  int fd_;
  std::string path_;
};

bool Fits(const std::string& text, std::size_t slot) { return text.size() < slot; }

// "Not empty" as the loader judges it, on the text as a zero-terminated string.
bool NotEmpty(const std::string& text) { return !text.empty() && text[0] != '\0'; }

// Every rule of the format, over the fields as the file holds them (the
// decoder has already checked the counts' upper bounds and the file's end).
bool FollowsTheRules(const PackageDescription& p) {
  const std::size_t variants = p.variantNames.size();
  if (!Fits(p.vendorName, kTextSlot) || !Fits(p.productName, kTextSlot) || !Fits(p.versionText, kTextSlot) ||
      !Fits(p.mainProgram, kTextSlot))
    return false;
  if (p.selectedVariant >= variants) return false;  // also refuses 0 variants
  for (const std::string& name : p.variantNames)
    if (!Fits(name, kTextSlot)) return false;
  if (p.items.empty()) return false;
  for (const PackageItemDescription& item : p.items) {
    if (item.variantMask == 0 || item.variantMask >= (1u << variants)) return false;
    if (!Fits(item.sourceName, kTextSlot) || !NotEmpty(item.sourceName)) return false;
    if (!Fits(item.targetName, kTextSlot) || !NotEmpty(item.targetName)) return false;
    if (!Fits(item.shortcutName, kShortcutSlot)) return false;
  }
  return true;
}

bool AllZero(const char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

// The slot holds the text's bytes as they stand (zero bytes among them
// included), then zeros to its end.
void RequireSlot(const char* slot, std::size_t size, const std::string& text, const char* what) {
  Require(text.size() < size && std::memcmp(slot, text.data(), text.size()) == 0 &&
              AllZero(slot + text.size(), size - text.size()),
          what);
}

void RequireImage(PackageImage& image, const PackageDescription& p) {
  const PackageHeader& h = image.Header;
  Require(h.Magic == kPackageMagic, "the image's magic");
  RequireSlot(h.VendorName, kTextSlot, p.vendorName, "VendorName slot");
  RequireSlot(h.ProductName, kTextSlot, p.productName, "ProductName slot");
  RequireSlot(h.VersionText, kTextSlot, p.versionText, "VersionText slot");
  RequireSlot(h.MainProgram, kTextSlot, p.mainProgram, "MainProgram slot");
  Require(h.VariantCount == p.variantNames.size(), "VariantCount");
  Require(h.SelectedVariant == p.selectedVariant, "SelectedVariant");
  for (std::uint32_t v = 0; v < kMaxVariants; ++v)
    RequireSlot(h.VariantNames[v], kTextSlot, v < h.VariantCount ? p.variantNames[v] : std::string(),
                "VariantNames slot");
  Require(h.ItemCount == p.items.size(), "ItemCount");
  for (std::uint32_t i = 0; i < h.ItemCount; ++i) {
    const PackageItem& item = PackageItemAt(image, i);
    Require(item.VariantMask == p.items[i].variantMask, "VariantMask");
    RequireSlot(item.SourceName, kTextSlot, p.items[i].sourceName, "SourceName slot");
    RequireSlot(item.TargetName, kTextSlot, p.items[i].targetName, "TargetName slot");
    RequireSlot(item.ShortcutName, kShortcutSlot, p.items[i].shortcutName, "ShortcutName slot");
  }
}

}  // namespace

void CheckPackageLoad(std::string_view fileBytes, std::string_view packageBytes) {
  static MemoryFile file;
  const std::string& path = file.Hold(fileBytes);
  const int freeBefore = LowestFreeDescriptor();
  LoadFailure failure;
  platform::MemoryBlock block = LoadPackage(path, &failure);
  Require(LowestFreeDescriptor() == freeBefore, "the loader closes the package file");
  Require((failure.reason == LoadFailure::Reason::None) == (block != nullptr), "the reason given fits the result");

  PackageDescription expected;
  std::size_t used = 0;
  const bool valid = DecodePackage(packageBytes, &expected, &used) && FollowsTheRules(expected);
  Require(!valid || block, "a package that follows every rule is refused");
  Require(valid || !block, "a package that breaks a rule is accepted");
  if (!block) return;

  auto* image = static_cast<PackageImage*>(platform::Memory.Lock(block));
  Require(image != nullptr, "the loaded block locks");
  RequireImage(*image, expected);
  Require(platform::Memory.Unlock(block), "the loaded block came back unlocked");
  platform::Memory.Free(block);
}

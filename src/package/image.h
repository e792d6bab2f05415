// The package image: the validated package file laid out in one contiguous,
// zero-filled block. Integers are little-endian 32-bit; every text sits in a
// fixed slot, zero-terminated and zero-padded.
//
//   offset  size      field
//   0       4         magic 0x474B5042 ("BPKG")
//   4       256       VendorName
//   260     256       ProductName
//   516     256       VersionText
//   772     256       MainProgram
//   1028    4         VariantCount     (1 to 4)
//   1032    4         SelectedVariant  (< VariantCount)
//   1036    4 x 256   VariantNames; unused slots stay zero
//   2060    4         ItemCount        (1 to 999)
//   2064    768 x n   items:
//                       +0   4    VariantMask   (bit v = variant v)
//                       +4   256  SourceName
//                       +260 256  TargetName
//                       +516 252  ShortcutName  (no ".lnk"; empty = none)
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t kPackageMagic = 0x474B5042;
constexpr std::uint32_t kMaxVariants = 4;
constexpr std::uint32_t kMaxItems = 999;
constexpr std::size_t kTextSlot = 256;
constexpr std::size_t kShortcutSlot = 252;

struct PackageHeader {
  std::uint32_t Magic;
  char VendorName[kTextSlot];
  char ProductName[kTextSlot];
  char VersionText[kTextSlot];
  char MainProgram[kTextSlot];
  std::uint32_t VariantCount;
  std::uint32_t SelectedVariant;
  char VariantNames[kMaxVariants][kTextSlot];
  std::uint32_t ItemCount;
};

struct PackageItem {
  std::uint32_t VariantMask;
  char SourceName[kTextSlot];
  char TargetName[kTextSlot];
  char ShortcutName[kShortcutSlot];
};

static_assert(sizeof(PackageHeader) == 2064, "package header layout");
static_assert(offsetof(PackageHeader, ProductName) == 260, "package header layout");
static_assert(offsetof(PackageHeader, VariantCount) == 1028, "package header layout");
static_assert(offsetof(PackageHeader, VariantNames) == 1036, "package header layout");
static_assert(offsetof(PackageHeader, ItemCount) == 2060, "package header layout");
static_assert(sizeof(PackageItem) == 768, "package item layout");
static_assert(offsetof(PackageItem, TargetName) == 260, "package item layout");
static_assert(offsetof(PackageItem, ShortcutName) == 516, "package item layout");

// The image is the header followed by ItemCount items.
struct PackageImage {
  PackageHeader Header;
};

constexpr std::size_t PackageImageSize(std::uint32_t itemCount) {
  return sizeof(PackageHeader) + sizeof(PackageItem) * itemCount;
}

inline PackageItem& PackageItemAt(PackageImage& image, std::uint32_t index) {
  auto* items = reinterpret_cast<PackageItem*>(reinterpret_cast<unsigned char*>(&image) +
                                               sizeof(PackageHeader));
  return items[index];
}

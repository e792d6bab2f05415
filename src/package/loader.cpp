#include "package/loader.h"

#include <cstring>

#include "app/paths.h"
#include "package/image.h"
#include "platform/lzfile.h"

using platform::Lz;
using platform::Memory;
using Reason = LoadFailure::Reason;

namespace {


int ReadPackageInt(int file, std::uint32_t* destination) {
  if (file < 0 || !destination) return 0;
  unsigned char bytes[4];
  if (Lz.Read(file, bytes, 4) != 4) return 0;
  std::memcpy(destination, bytes, 4);
  return 1;
}

// Reasons for a failed text read, for the package tool's diagnosis.
int ReadPackageText(int file, char* slot, std::uint32_t slotSize, Reason* why) {
  *why = Reason::ShortRead;
  if (file < 0 || !slot || slotSize == 0) return 0;
  std::uint32_t length = 0;
  if (!ReadPackageInt(file, &length)) return 0;
  if (length >= slotSize) {
    *why = Reason::TextTooLong;
    return 0;
  }
  auto* buffer = static_cast<char*>(Memory.AllocateTemp(length + 1));
  if (!buffer) {
    *why = Reason::NoMemory;
    return 0;
  }
  bool complete = length == 0 ||
                  Lz.Read(file, buffer, static_cast<std::int32_t>(length)) ==
                      static_cast<std::int32_t>(length);
  if (complete) std::memcpy(slot, buffer, length + 1);
  Memory.FreeTemp(buffer);
  return complete ? 1 : 0;
}

// One load in progress: the open file and the image block, released on every
// way out unless the finished block is handed to the caller.
class Load {
 public:
  explicit Load(LoadFailure* failure) : failure_(failure) {}
  Load(const Load&) = delete;
  Load& operator=(const Load&) = delete;
  ~Load() {
    if (image_) Memory.Unlock(block_);
    if (block_) Memory.Free(block_);
    if (file_ >= 0) Lz.Close(file_);
  }

  bool Fail(Reason reason, const char* field, std::int32_t index = -1) {
    if (failure_) *failure_ = LoadFailure{reason, field, index};
    return false;
  }

  bool Open(const std::string& path) {
    if (path.size() >= kPathLimit) return Fail(Reason::PathTooLong, "path");
    file_ = Lz.Open(path.c_str());
    if (file_ < 0) return Fail(Reason::CannotOpen, "path");
    block_ = Memory.Allocate(sizeof(PackageHeader));
    if (!block_) return Fail(Reason::NoMemory, "image");
    return LockImage();
  }

  bool ReadHeader() {
    PackageHeader& h = image_->Header;
    if (!Int(&h.Magic, "magic")) return false;
    if (h.Magic != kPackageMagic) return Fail(Reason::BadMagic, "magic");
    if (!Text(h.VendorName, kTextSlot, "VendorName") ||
        !Text(h.ProductName, kTextSlot, "ProductName") ||
        !Text(h.VersionText, kTextSlot, "VersionText") ||
        !Text(h.MainProgram, kTextSlot, "MainProgram"))
      return false;
    if (!Int(&h.VariantCount, "VariantCount")) return false;
    if (h.VariantCount > kMaxVariants) return Fail(Reason::OutOfRange, "VariantCount");
    if (!Int(&h.SelectedVariant, "SelectedVariant")) return false;
    if (h.SelectedVariant >= h.VariantCount) return Fail(Reason::OutOfRange, "SelectedVariant");
    for (std::uint32_t v = 0; v < h.VariantCount; ++v)
      if (!Text(h.VariantNames[v], kTextSlot, "VariantNames", v)) return false;
    if (!Int(&h.ItemCount, "ItemCount")) return false;
    if (h.ItemCount < 1 || h.ItemCount > kMaxItems) return Fail(Reason::OutOfRange, "ItemCount");
    return true;
  }

  // Unlock, grow once to the full size (the block may move), lock again.
  bool GrowForItems() {
    std::uint32_t itemCount = image_->Header.ItemCount;
    if (!UnlockImage()) return false;
    platform::MemoryBlock grown = Memory.Grow(block_, PackageImageSize(itemCount));
    if (!grown) return Fail(Reason::NoMemory, "image");
    block_ = grown;
    return LockImage();
  }

  bool ReadItems() {
    const std::uint32_t count = image_->Header.ItemCount;
    const std::uint32_t variants = image_->Header.VariantCount;
    for (std::uint32_t i = 0; i < count; ++i) {
      PackageItem& item = PackageItemAt(*image_, i);
      const auto index = static_cast<std::int32_t>(i);
      if (!Int(&item.VariantMask, "VariantMask", index)) return false;
      if (item.VariantMask == 0 || item.VariantMask >= (1u << variants))
        return Fail(Reason::OutOfRange, "VariantMask", index);
      if (!Text(item.SourceName, kTextSlot, "SourceName", index)) return false;
      if (std::strlen(item.SourceName) == 0) return Fail(Reason::Empty, "SourceName", index);
      if (!Text(item.TargetName, kTextSlot, "TargetName", index)) return false;
      if (std::strlen(item.TargetName) == 0) return Fail(Reason::Empty, "TargetName", index);
      if (!Text(item.ShortcutName, kShortcutSlot, "ShortcutName", index)) return false;
    }
    return true;
  }

  // Hands the unlocked block to the caller; the file is closed by the
  // destructor.
  platform::MemoryBlock Finish() {
    if (!UnlockImage()) return nullptr;
    platform::MemoryBlock done = block_;
    block_ = nullptr;
    return done;
  }

 private:
  bool LockImage() {
    image_ = static_cast<PackageImage*>(Memory.Lock(block_));
    return image_ ? true : Fail(Reason::LockFailed, "image");
  }

  bool UnlockImage() {
    image_ = nullptr;
    return Memory.Unlock(block_) ? true : Fail(Reason::LockFailed, "image");
  }

  bool Int(std::uint32_t* slot, const char* field, std::int32_t index = -1) {
    return ReadPackageInt(file_, slot) ? true : Fail(Reason::ShortRead, field, index);
  }

  bool Text(char* slot, std::size_t size, const char* field, std::int32_t index = -1) {
    Reason why = Reason::None;
    if (ReadPackageText(file_, slot, static_cast<std::uint32_t>(size), &why)) return true;
    return Fail(why, field, index);
  }

  LoadFailure* failure_;
  int file_ = -1;
  platform::MemoryBlock block_ = nullptr;
  PackageImage* image_ = nullptr;
};

}  // namespace

const char* DescribeLoadFailure(Reason reason) {
  switch (reason) {
    case Reason::None: return "loads";
    case Reason::PathTooLong: return "the path is 260 bytes or longer";
    case Reason::CannotOpen: return "the file cannot be opened";
    case Reason::NoMemory: return "out of memory";
    case Reason::LockFailed: return "the memory block cannot be locked";
    case Reason::ShortRead: return "the file ends early";
    case Reason::BadMagic: return "not a package file (wrong magic)";
    case Reason::TextTooLong: return "the text does not fit its slot";
    case Reason::OutOfRange: return "the value is out of range";
    case Reason::Empty: return "the text is empty";
  }
  return "unknown";
}

platform::MemoryBlock LoadPackage(std::string path, LoadFailure* failure) {
  Load load(failure);
  if (!load.Open(path) || !load.ReadHeader() || !load.GrowForItems() || !load.ReadItems())
    return nullptr;
  return load.Finish();
}

// The package loader against package files built field by field. The same
// cases run natively and, built for Win32, under Wine through the real LZ and
// global memory functions, so both builds must agree on every image.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "package/image.h"
#include "package/loader.h"
#include "package/szdd.h"
#include "package_writer.h"
#include "platform/lzfile.h"
#include "platform/memory.h"
#include "support/temp_dir.h"

using Reason = LoadFailure::Reason;

namespace {

PackageDescription OneItemPackage() {
  PackageDescription p;
  p.vendorName = "Vendor";
  p.productName = "Product";
  p.versionText = "1.0";
  p.mainProgram = "bin\\app.exe";
  p.variantNames = {"Standard"};
  p.items = {{1, "app.exe", "bin\\app.exe", "App"}};
  return p;
}

void Place(std::string& image, std::size_t offset, const std::string& text) {
  image.replace(offset, text.size(), text);
}

void PlaceInt(std::string& image, std::size_t offset, std::uint32_t value) {
  std::string bytes;
  AppendInt(bytes, value);
  image.replace(offset, 4, bytes);
}

// The image the loader must produce, laid out from the table of offsets.
std::string ExpectedImage(const PackageDescription& p) {
  std::string image(2064 + 768 * p.items.size(), '\0');
  PlaceInt(image, 0, 0x474B5042);
  Place(image, 4, p.vendorName);
  Place(image, 260, p.productName);
  Place(image, 516, p.versionText);
  Place(image, 772, p.mainProgram);
  PlaceInt(image, 1028, static_cast<std::uint32_t>(p.variantNames.size()));
  PlaceInt(image, 1032, p.selectedVariant);
  for (std::size_t v = 0; v < p.variantNames.size(); ++v) Place(image, 1036 + 256 * v, p.variantNames[v]);
  PlaceInt(image, 2060, static_cast<std::uint32_t>(p.items.size()));
  for (std::size_t i = 0; i < p.items.size(); ++i) {
    std::size_t base = 2064 + 768 * i;
    PlaceInt(image, base, p.items[i].variantMask);
    Place(image, base + 4, p.items[i].sourceName);
    Place(image, base + 260, p.items[i].targetName);
    Place(image, base + 516, p.items[i].shortcutName);
  }
  return image;
}

// Counts what the loader holds, so that every refusal can be shown to leave
// nothing open or allocated, and fails the n-th call of one kind on request.
struct Ledger {
  int openFiles = 0;
  int liveBlocks = 0;
  int liveTemps = 0;
  int opens = 0;
  int failAllocation = 0;  // 1-based over blocks, grows and temps; 0: never
  int failLock = 0;        // 1-based; 0: never
  int allocations = 0;
  int locks = 0;
};

Ledger* ledger = nullptr;

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    realLz_ = platform::Lz;
    realMemory_ = platform::Memory;
    ledger = &ledger_;
    static platform::LzApi real;
    static platform::MemoryApi realMem;
    real = realLz_;
    realMem = realMemory_;
    platform::Lz.Open = [](const char* path) {
      ++ledger->opens;
      int h = real.Open(path);
      if (h >= 0) ++ledger->openFiles;
      return h;
    };
    platform::Lz.Close = [](int h) {
      --ledger->openFiles;
      real.Close(h);
    };
    platform::Memory.Allocate = [](std::size_t n) -> platform::MemoryBlock {
      if (++ledger->allocations == ledger->failAllocation) return nullptr;
      platform::MemoryBlock b = realMem.Allocate(n);
      if (b) ++ledger->liveBlocks;
      return b;
    };
    platform::Memory.Grow = [](platform::MemoryBlock b, std::size_t n) -> platform::MemoryBlock {
      if (++ledger->allocations == ledger->failAllocation) return nullptr;
      return realMem.Grow(b, n);
    };
    platform::Memory.Free = [](platform::MemoryBlock b) {
      --ledger->liveBlocks;
      realMem.Free(b);
    };
    platform::Memory.Lock = [](platform::MemoryBlock b) -> void* {
      if (++ledger->locks == ledger->failLock) return nullptr;
      return realMem.Lock(b);
    };
    platform::Memory.AllocateTemp = [](std::size_t n) -> void* {
      if (++ledger->allocations == ledger->failAllocation) return nullptr;
      void* t = realMem.AllocateTemp(n);
      if (t) ++ledger->liveTemps;
      return t;
    };
    platform::Memory.FreeTemp = [](void* t) {
      --ledger->liveTemps;
      realMem.FreeTemp(t);
    };
  }

  void TearDown() override {
    platform::Lz = realLz_;
    platform::Memory = realMemory_;
    ledger = nullptr;
  }

  // Loads bytes from a file; returns the image, or nothing with the failure.
  bool Load(const std::string& bytes, std::string* image, LoadFailure* failure) {
    std::string path = dir_.Write("test.pkg", bytes);
    platform::MemoryBlock block = LoadPackage(path, failure);
    EXPECT_EQ(ledger_.openFiles, 0) << "the file is left open";
    EXPECT_EQ(ledger_.liveTemps, 0) << "a text buffer is left allocated";
    if (!block) {
      EXPECT_EQ(ledger_.liveBlocks, 0) << "a refused load leaves a block";
      return false;
    }
    EXPECT_EQ(ledger_.liveBlocks, 1);
    auto* data = static_cast<const char*>(platform::Memory.Lock(block));
    const auto* header = reinterpret_cast<const PackageHeader*>(data);
    image->assign(data, PackageImageSize(header->ItemCount));
    EXPECT_TRUE(platform::Memory.Unlock(block)) << "the block is handed over locked";
    platform::Memory.Free(block);
    return true;
  }

  void ExpectLoads(const PackageDescription& p, const std::string& extra = "") {
    std::string image;
    LoadFailure failure;
    ASSERT_TRUE(Load(EncodePackage(p) + extra, &image, &failure))
        << failure.field << " " << failure.index << ": " << DescribeLoadFailure(failure.reason);
    EXPECT_TRUE(image == ExpectedImage(p)) << "the image differs from the layout";
  }

  void ExpectRefused(const std::string& bytes, Reason reason, const char* field, int index = -1) {
    std::string image;
    LoadFailure failure;
    ASSERT_FALSE(Load(bytes, &image, &failure));
    EXPECT_EQ(failure.reason, reason) << DescribeLoadFailure(failure.reason);
    EXPECT_STREQ(failure.field, field);
    EXPECT_EQ(failure.index, index);
  }

  TempDir dir_;
  Ledger ledger_;
  platform::LzApi realLz_;
  platform::MemoryApi realMemory_;
};

TEST_F(LoaderTest, LoadsTheImageAtItsFixedOffsets) {
  ExpectLoads(OneItemPackage());
}

TEST_F(LoaderTest, AcceptsEveryValueAtItsLimit) {
  struct Case {
    const char* name;
    std::function<void(PackageDescription&)> change;
  } cases[] = {
      {"four variants, the last preselected",
       [](PackageDescription& p) {
         p.variantNames = {"A", "B", "C", "D"};
         p.selectedVariant = 3;
         p.items[0].variantMask = 0xF;
       }},
      {"255-byte texts in the 256-byte slots",
       [](PackageDescription& p) {
         std::string t(255, 'x');
         p.vendorName = p.productName = p.versionText = p.mainProgram = t;
         p.variantNames = {t};
         p.items[0].sourceName = p.items[0].targetName = t;
       }},
      {"a 251-byte shortcut name", [](PackageDescription& p) { p.items[0].shortcutName = std::string(251, 's'); }},
      {"empty header texts and shortcut",
       [](PackageDescription& p) {
         p.vendorName = p.productName = p.versionText = p.mainProgram = "";
         p.variantNames = {""};
         p.items[0].shortcutName = "";
       }},
      {"masks 1, 2 and 3 of two variants",
       [](PackageDescription& p) {
         p.variantNames = {"A", "B"};
         p.items = {{1, "a", "a", ""}, {2, "b", "b", ""}, {3, "c", "c", ""}};
       }},
      {"Shift-JIS texts with 0x5C second bytes",
       [](PackageDescription& p) { p.productName = "\x95\x5C\x83\x5C"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageDescription p = OneItemPackage();
    c.change(p);
    ExpectLoads(p);
  }
}

TEST_F(LoaderTest, Loads999ItemsIntoAnImageOf769296Bytes) {
  PackageDescription p = OneItemPackage();
  p.items.assign(999, {1, "src", "dst", "link"});
  ExpectLoads(p);
  EXPECT_EQ(PackageImageSize(999), 769296u);
}

TEST_F(LoaderTest, IgnoresBytesAfterTheLastItem) {
  ExpectLoads(OneItemPackage(), std::string(100, '\xAB'));
}

TEST_F(LoaderTest, LoadsAnSzddCompressedPackageLikeThePlainOne) {
  PackageDescription p = OneItemPackage();
  p.variantNames = {"Standard", "Minimal"};
  for (int i = 0; i < 40; ++i) p.items.push_back({3, "data\\file" + std::to_string(i), "file", ""});
  std::string image;
  LoadFailure failure;
  ASSERT_TRUE(Load(SzddCompress(EncodePackage(p), 'G'), &image, &failure))
      << failure.field << " " << failure.index << ": " << DescribeLoadFailure(failure.reason);
  EXPECT_TRUE(image == ExpectedImage(p)) << "the image differs from the plain file's";
  // A cut compressed file fails where the plain one would.
  std::string cut = SzddCompress(EncodePackage(OneItemPackage()));
  ExpectRefused(cut.substr(0, cut.size() - 2), Reason::ShortRead, "ShortcutName", 0);
}

TEST_F(LoaderTest, RefusesEachFieldOutOfRange) {
  struct Case {
    const char* name;
    std::function<void(PackageDescription&)> change;
    Reason reason;
    const char* field;
    int index;
  } cases[] = {
      {"no variants: nothing can be preselected", [](PackageDescription& p) { p.variantNames.clear(); },
       Reason::OutOfRange, "SelectedVariant", -1},
      {"five variants", [](PackageDescription& p) { p.variantNames.assign(5, "v"); }, Reason::OutOfRange,
       "VariantCount", -1},
      {"preselected variant past the last", [](PackageDescription& p) { p.selectedVariant = 1; },
       Reason::OutOfRange, "SelectedVariant", -1},
      {"no items", [](PackageDescription& p) { p.items.clear(); }, Reason::OutOfRange, "ItemCount", -1},
      {"1000 items", [](PackageDescription& p) { p.items.assign(1000, {1, "s", "t", ""}); },
       Reason::OutOfRange, "ItemCount", -1},
      {"256-byte vendor", [](PackageDescription& p) { p.vendorName.assign(256, 'v'); }, Reason::TextTooLong,
       "VendorName", -1},
      {"256-byte main program", [](PackageDescription& p) { p.mainProgram.assign(256, 'm'); },
       Reason::TextTooLong, "MainProgram", -1},
      {"256-byte variant name",
       [](PackageDescription& p) {
         p.variantNames = {"a", std::string(256, 'b')};
       },
       Reason::TextTooLong, "VariantNames", 1},
      {"256-byte target of the second item",
       [](PackageDescription& p) { p.items.push_back({1, "s", std::string(256, 't'), ""}); },
       Reason::TextTooLong, "TargetName", 1},
      {"252-byte shortcut", [](PackageDescription& p) { p.items[0].shortcutName.assign(252, 's'); },
       Reason::TextTooLong, "ShortcutName", 0},
      {"mask 0", [](PackageDescription& p) { p.items[0].variantMask = 0; }, Reason::OutOfRange,
       "VariantMask", 0},
      {"mask 4 of two variants",
       [](PackageDescription& p) {
         p.variantNames = {"A", "B"};
         p.items[0].variantMask = 4;
       },
       Reason::OutOfRange, "VariantMask", 0},
      {"empty source", [](PackageDescription& p) { p.items[0].sourceName = ""; }, Reason::Empty, "SourceName", 0},
      {"source whose first byte is zero",
       [](PackageDescription& p) { p.items[0].sourceName = std::string("\0abc", 4); }, Reason::Empty,
       "SourceName", 0},
      {"empty target", [](PackageDescription& p) { p.items[0].targetName = ""; }, Reason::Empty, "TargetName", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageDescription p = OneItemPackage();
    c.change(p);
    ExpectRefused(EncodePackage(p), c.reason, c.field, c.index);
  }
}

TEST_F(LoaderTest, RefusesAReversedMagic) {
  std::string bytes = EncodePackage(OneItemPackage());
  bytes.replace(0, 4, "\x47\x4B\x50\x42");
  ExpectRefused(bytes, Reason::BadMagic, "magic");
}

TEST_F(LoaderTest, StopsWhereTheFileEnds) {
  const std::string whole = EncodePackage(OneItemPackage());
  struct Case {
    std::size_t keep;
    const char* field;
    int index;
  } cases[] = {
      {0, "magic", -1},
      {3, "magic", -1},
      {4, "VendorName", -1},           // no length
      {4 + 4 + 3, "VendorName", -1},   // the length promises 6 bytes
      {whole.size() - 1, "ShortcutName", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keep);
    ExpectRefused(whole.substr(0, c.keep), Reason::ShortRead, c.field, c.index);
  }
}

TEST_F(LoaderTest, RefusesATextLongerThanTheRestOfTheFile) {
  std::string bytes;
  AppendInt(bytes, kPackageMagic);
  AppendInt(bytes, 200);  // VendorName promises 200 bytes
  bytes += "only a few";
  ExpectRefused(bytes, Reason::ShortRead, "VendorName");
}

TEST_F(LoaderTest, RefusesALongPathWithoutOpeningIt) {
  std::string image;
  LoadFailure failure;
  EXPECT_EQ(LoadPackage(std::string(260, 'a'), &failure), nullptr);
  EXPECT_EQ(failure.reason, Reason::PathTooLong);
  EXPECT_EQ(ledger_.opens, 0);
  // 259 bytes are tried (and not found).
  EXPECT_EQ(LoadPackage(dir_.File(std::string(5, 'b')) + std::string(10, 'c'), &failure), nullptr);
  EXPECT_EQ(failure.reason, Reason::CannotOpen);
  EXPECT_EQ(ledger_.opens, 1);
}

TEST_F(LoaderTest, ReleasesEverythingWhenMemoryRunsOut) {
  // Allocations in order: the header block, a buffer per header text, the
  // growth to the full size, a buffer per item text.
  struct Case {
    const char* field;
    int index;
  } cases[] = {{"image", -1},       {"VendorName", -1}, {"ProductName", -1}, {"VersionText", -1},
               {"MainProgram", -1}, {"VariantNames", 0}, {"image", -1},      {"SourceName", 0},
               {"TargetName", 0},   {"ShortcutName", 0}};
  const std::string bytes = EncodePackage(OneItemPackage());
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    ledger_ = Ledger{};
    ledger_.failAllocation = ++n;
    ExpectRefused(bytes, Reason::NoMemory, c.field, c.index);
  }
}

TEST_F(LoaderTest, ReleasesEverythingWhenTheBlockCannotBeLocked) {
  const std::string bytes = EncodePackage(OneItemPackage());
  for (int n = 1; n <= 2; ++n) {
    SCOPED_TRACE(n);
    ledger_ = Ledger{};
    ledger_.failLock = n;
    ExpectRefused(bytes, Reason::LockFailed, "image");
  }
}

}  // namespace

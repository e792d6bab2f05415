// The package loader on packages built field by field from the input, with
// every count, length and mask drawn around the limits the format sets, so
// that each rule is met and broken by one; the file is stored plain or
// SZDD-compressed, sometimes cut short, sometimes with bytes after the last
// item. Arbitrary bytes rarely get this far: a single wrong length ends a
// load at once.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "package/image.h"
#include "package/szdd.h"
#include "package_check.h"
#include "package_writer.h"

namespace {

// Compressing large packages under the fuzzer's instrumentation is slow;
// they are loaded plain, which reads the same fields.
constexpr std::size_t kLargestCompressed = 4 * 1024;

// A text of the given slot: short or at the edge of the slot, of one repeated
// byte (a zero byte makes it read as empty).
std::string Text(FuzzedDataProvider& in, std::size_t slot) {
  std::size_t length = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::size_t>(slot - 2, slot)
                                        : in.ConsumeIntegralInRange<std::size_t>(0, 3);
  return std::string(length, in.ConsumeIntegral<char>());
}

// Near the limit or anywhere in 32 bits.
std::uint32_t Around(FuzzedDataProvider& in, std::uint32_t limit) {
  return in.ConsumeBool() ? in.ConsumeIntegralInRange<std::uint32_t>(0, limit + 1) : in.ConsumeIntegral<std::uint32_t>();
}

PackageDescription Package(FuzzedDataProvider& in) {
  PackageDescription p;
  p.vendorName = Text(in, kTextSlot);
  p.productName = Text(in, kTextSlot);
  p.versionText = Text(in, kTextSlot);
  p.mainProgram = Text(in, kTextSlot);
  const auto variants = in.ConsumeIntegralInRange<std::size_t>(0, kMaxVariants + 1);
  for (std::size_t v = 0; v < variants; ++v) p.variantNames.push_back(Text(in, kTextSlot));
  p.selectedVariant = Around(in, static_cast<std::uint32_t>(variants));
  // Mostly few items, now and then as many as the format allows give or take
  // one (slow to load); the many repeat the last one drawn.
  const bool many = in.ConsumeIntegralInRange(0, 15) == 0;
  const std::size_t items = many ? in.ConsumeIntegralInRange<std::size_t>(kMaxItems - 1, kMaxItems + 1)
                                 : in.ConsumeIntegralInRange<std::size_t>(0, 3);
  while (p.items.size() < items && in.remaining_bytes() > 0) {
    PackageItemDescription item;
    item.variantMask = Around(in, 1u << variants);
    item.sourceName = Text(in, kTextSlot);
    item.targetName = Text(in, kTextSlot);
    item.shortcutName = Text(in, kShortcutSlot);
    p.items.push_back(item);
  }
  if (!p.items.empty()) p.items.resize(items, p.items.back());
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const bool compress = in.ConsumeBool();
  const bool cut = in.ConsumeBool();
  std::string bytes = EncodePackage(Package(in));
  if (cut) bytes.resize(in.ConsumeIntegralInRange<std::size_t>(0, bytes.size()));
  bytes += in.ConsumeRemainingBytesAsString();
  CheckPackageLoad(compress && bytes.size() <= kLargestCompressed ? SzddCompress(bytes) : bytes, bytes);
  return 0;
}

// The package loader on arbitrary file bytes, plain or SZDD as they come: the
// reader expands them when they start with an SZDD header.
#include <cstddef>
#include <cstdint>
#include <string>

#include "package/szdd.h"
#include "package_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string expanded;
  const bool szdd = SzddExpand(bytes, &expanded);
  CheckPackageLoad(bytes, szdd ? std::string_view(expanded) : bytes);
  return 0;
}

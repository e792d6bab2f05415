// Loads a package of 999 items with LoadPackage, plain and SZDD-compressed,
// and reads the same file's bytes in one plain read, in the same run.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench.h"
#include "package/image.h"
#include "package/loader.h"
#include "package/szdd.h"
#include "package_writer.h"
#include "platform/memory.h"
#include "support/temp_dir.h"

namespace {

constexpr int kRuns = 50;

// Three variants, every item a file in a folder, every tenth with a shortcut.
PackageDescription LargestPackage() {
  PackageDescription p;
  p.vendorName = "Example Works";
  p.productName = "Example Viewer";
  p.versionText = "1.0";
  p.mainProgram = "VIEWER.EXE";
  p.variantNames = {"Standard", "Minimal", "Complete"};
  for (std::uint32_t i = 0; i < kMaxItems; ++i) {
    PackageItemDescription item;
    char name[32];
    std::snprintf(name, sizeof name, "FILE%04u.DAT", i);
    item.variantMask = i % 2 ? 7 : 5;
    item.sourceName = std::string("PROGRAM\\DATA\\") + name;
    item.targetName = std::string("DATA\\") + name;
    if (i % 10 == 0) item.shortcutName = std::string("Data\\") + name;
    p.items.push_back(item);
  }
  return p;
}

void Load(const std::string& path) {
  platform::MemoryBlock block = LoadPackage(path);
  if (!block) {
    std::fprintf(stderr, "%s does not load\n", path.c_str());
    std::exit(1);
  }
  platform::Memory.Free(block);
}

void ReadPlain(const std::string& path, std::vector<char>& buffer) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::size_t got = file ? std::fread(buffer.data(), 1, buffer.size(), file) : 0;
  if (file) std::fclose(file);
  if (got != buffer.size()) {
    std::fprintf(stderr, "%s cannot be read\n", path.c_str());
    std::exit(1);
  }
}

void Measure(const char* workload, const TempDir& dir, const char* name, const std::string& bytes) {
  const std::string path = dir.Write(name, bytes);
  std::vector<char> buffer(bytes.size());
  double ours = bench::BestSeconds(kRuns, [&] { Load(path); });
  double reference = bench::BestSeconds(kRuns, [&] { ReadPlain(path, buffer); });
  std::fprintf(stderr, "%s: %zu bytes, LoadPackage %s, plain read %s\n", workload, bytes.size(),
               bench::FormatSeconds(ours).c_str(), bench::FormatSeconds(reference).c_str());
  bench::PrintRow(workload, ours, reference);
}

}  // namespace

int main() {
  TempDir dir;
  const std::string plain = EncodePackage(LargestPackage());
  Measure("LoadPackage, 999 items, plain (vs a plain read)", dir, "PLAIN.PKG", plain);
  Measure("LoadPackage, 999 items, SZDD (vs a plain read)", dir, "SZDD.PKG", SzddCompress(plain));
  return 0;
}

// Expands a large SZDD file through the native LZ reader, as the installer
// reads a compressed package, into a file, and with msexpand, in the same
// run; both results are compared with the original. msexpand reads and
// writes a byte per system call, so it runs once, on a few MiB.
//   szdd_bench [MiB]     (4 by default)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench.h"
#include "package/szdd.h"
#include "platform/lzfile.h"
#include "support/temp_dir.h"

namespace {

constexpr int kOurRuns = 3;

// Text-like data: words from a small vocabulary in a fixed pseudo-random
// order, which compresses about as well as documents and programs do.
std::string Sample(std::size_t size) {
  static const char* const kWords[] = {"setup ", "package ", "item ", "variant ", "folder ", "file ",
                                       "install ", "shortcut ", "registry ", "value ", "\r\n", "0123 "};
  std::string data;
  data.reserve(size + 16);
  std::uint32_t state = 12345;
  while (data.size() < size) {
    state = state * 1103515245u + 12345u;
    data += kWords[(state >> 16) % (sizeof kWords / sizeof kWords[0])];
  }
  data.resize(size);
  return data;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::exit(1);
}

void ExpandThroughReader(const std::string& in, const std::string& out) {
  int handle = platform::Lz.Open(in.c_str());
  std::FILE* file = std::fopen(out.c_str(), "wb");
  if (handle < 0 || !file) Fail("cannot open " + in + " or " + out);
  std::vector<char> buffer(64 * 1024);
  for (std::int32_t got; (got = platform::Lz.Read(handle, buffer.data(), static_cast<std::int32_t>(buffer.size()))) > 0;)
    std::fwrite(buffer.data(), 1, static_cast<std::size_t>(got), file);
  std::fclose(file);
  platform::Lz.Close(handle);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 4;
  if (mebibytes == 0 || mebibytes > 1024) Fail("usage: szdd_bench [MiB, 1 to 1024]");
  const std::string data = Sample(mebibytes << 20);
  TempDir dir;
  const std::string compressed = dir.Write("SAMPLE.DA_", SzddCompress(data));
  const std::string ours = dir.File("ours.dat");
  const std::string theirs = dir.File("msexpand.dat");
  const std::string command = std::string(MSEXPAND) + " < '" + compressed + "' > '" + theirs + "'";

  double oursSeconds = bench::BestSeconds(kOurRuns, [&] { ExpandThroughReader(compressed, ours); });
  double theirSeconds = bench::BestSeconds(1, [&] {
    if (std::system(command.c_str()) != 0) Fail("msexpand failed");
  });
  if (ReadFileBytes(ours) != data) Fail("our expansion differs from the original");
  if (ReadFileBytes(theirs) != data) Fail("msexpand's expansion differs from the original");

  std::fprintf(stderr, "%zu MiB, compressed to %.1f MiB: LZ reader %s, msexpand %s\n", mebibytes,
               static_cast<double>(std::filesystem::file_size(compressed)) / (1 << 20),
               bench::FormatSeconds(oursSeconds).c_str(), bench::FormatSeconds(theirSeconds).c_str());
  bench::PrintRow("SZDD expansion, " + std::to_string(mebibytes) + " MiB (vs msexpand)", oursSeconds, theirSeconds);
  return 0;
}

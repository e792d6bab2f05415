// pkgtool: package files for the setup program from TOML manifests and back,
// checked with the installer's own loader; SZDD compression of any file.
// Results go to stdout, progress and errors to stderr.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <limits>

#include "cp932.h"
#include "files.h"
#include "manifest.h"
#include "package/image.h"
#include "package/loader.h"
#include "package/szdd.h"
#include "package_reader.h"
#include "package_writer.h"
#include "platform/memory.h"

namespace {

// A package as the installer loads it, locked for reading while held.
class LoadedPackage {
 public:
  explicit LoadedPackage(const std::string& path) : block_(LoadPackage(path, &failure_)) {
    if (block_) image_ = static_cast<const PackageImage*>(platform::Memory.Lock(block_));
    if (block_ && !image_) failure_ = {LoadFailure::Reason::LockFailed, "image", -1};
  }
  LoadedPackage(const LoadedPackage&) = delete;
  LoadedPackage& operator=(const LoadedPackage&) = delete;
  ~LoadedPackage() {
    if (image_) platform::Memory.Unlock(block_);
    if (block_) platform::Memory.Free(block_);
  }

  // Null when the loader refused the file.
  const PackageImage* image() const { return image_; }

  // Where and why the loader stopped: "item 2, TargetName: the text is empty".
  std::string Refusal() const {
    std::string where;
    if (failure_.index >= 0)
      where = std::string(failure_.field == std::string("VariantNames") ? "variant " : "item ") +
              std::to_string(failure_.index + 1) + ", ";
    return where + failure_.field + ": " + DescribeLoadFailure(failure_.reason);
  }

 private:
  LoadFailure failure_;
  platform::MemoryBlock block_;
  const PackageImage* image_ = nullptr;
};

const PackageImage& LoadOrThrow(const LoadedPackage& package, const std::string& path) {
  if (!package.image()) throw ToolError(path + ": the installer refuses it: " + package.Refusal());
  return *package.image();
}

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

int Build(const std::string& manifest, const std::string& output, bool szdd) {
  Cp932 cp932;
  PackageDescription package = ReadManifest(ReadWholeFile(manifest), manifest, cp932);
  std::string bytes = EncodePackage(package);
  if (szdd) bytes = SzddCompress(bytes);
  WriteFileAtomically(output, bytes);
  std::cerr << output << ": " << package.variantNames.size() << " variants, " << package.items.size()
            << " items, " << bytes.size() << " bytes" << (szdd ? " (SZDD)" : "") << "\n";
  return 0;
}

int Check(const std::string& path) {
  LoadedPackage package(path);
  if (!package.image()) {
    std::cout << path << ": refused: " << package.Refusal() << "\n";
    return 1;
  }
  const PackageHeader& h = package.image()->Header;
  std::cout << path << ": loads: " << h.VariantCount << " variants, " << h.ItemCount << " items\n";
  return 0;
}

int Dump(const std::string& path) {
  LoadedPackage package(path);
  LoadOrThrow(package, path);
  const std::string bytes = ReadThroughLz(path);
  PackageDescription description;
  std::size_t used = 0;
  if (!DecodePackage(bytes, &description, &used)) throw ToolError(path + ": changed while it was read");
  std::cout << WriteManifest(description, Cp932());
  if (used < bytes.size())
    std::cerr << path << ": " << bytes.size() - used << " bytes after the last item are left out\n";
  return 0;
}

int Image(const std::string& path, const std::string& output) {
  LoadedPackage package(path);
  const PackageImage& image = LoadOrThrow(package, path);
  std::size_t size = PackageImageSize(image.Header.ItemCount);
  WriteFileAtomically(output, std::string_view(reinterpret_cast<const char*>(&image), size));
  std::cerr << output << ": " << size << " bytes\n";
  return 0;
}

int Compress(const std::string& input, const std::string& output) {
  const std::string data = ReadWholeFile(input);
  if (data.size() > std::numeric_limits<std::uint32_t>::max())
    throw ToolError(input + ": too large for SZDD (4 GiB at most)");
  const std::string file = SzddCompress(data, SzddReplacedChar(FileName(input), FileName(output)));
  WriteFileAtomically(output, file);
  std::cerr << output << ": " << data.size() << " bytes compressed to " << file.size() << "\n";
  return 0;
}

int Expand(const std::string& input, const std::string& output) {
  std::string data;
  SzddHeader header;
  if (!SzddExpand(ReadWholeFile(input), &data, &header)) throw ToolError(input + ": not an SZDD file");
  if (data.size() != header.expandedLength)
    throw ToolError(input + ": the compressed data holds " + std::to_string(data.size()) +
                    " bytes, the header says " + std::to_string(header.expandedLength));
  WriteFileAtomically(output, data);
  std::cerr << output << ": " << data.size() << " bytes\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Package files for the setup program: build them from TOML manifests, check them with the "
      "installer's own loader, dump them back; SZDD compression."};
  app.require_subcommand(1);
  std::string input, output;
  bool szdd = false;

  CLI::App* build = app.add_subcommand("build", "Build a package file from a manifest (TOML, UTF-8)");
  build->add_option("MANIFEST", input, "the manifest")->required();
  build->add_option("-o,--output", output, "the package file to write")->required();
  build->add_flag("--szdd", szdd, "write the package file SZDD-compressed");

  CLI::App* check = app.add_subcommand("check", "Say whether the installer loads a package file, or why not");
  check->add_option("PACKAGE", input, "the package file")->required();

  CLI::App* dump =
      app.add_subcommand("dump", "Print a package file as a manifest that build turns back into it");
  dump->add_option("PACKAGE", input, "the package file")->required();

  CLI::App* image = app.add_subcommand("image", "Write the package image exactly as the installer holds it");
  image->add_option("PACKAGE", input, "the package file")->required();
  image->add_option("-o,--output", output, "the image file to write")->required();

  CLI::App* compress = app.add_subcommand("compress", "Compress a file in the SZDD format");
  compress->add_option("IN", input, "the file to compress")->required();
  compress->add_option("OUT", output, "the compressed file; NAME.EX_ for NAME.EXT keeps the last character")
      ->required();

  CLI::App* expand = app.add_subcommand("expand", "Expand an SZDD-compressed file");
  expand->add_option("IN", input, "the compressed file")->required();
  expand->add_option("OUT", output, "the expanded file")->required();

  CLI11_PARSE(app, argc, argv);
  try {
    if (*build) return Build(input, output, szdd);
    if (*check) return Check(input);
    if (*dump) return Dump(input);
    if (*image) return Image(input, output);
    if (*compress) return Compress(input, output);
    return Expand(input, output);
  } catch (const std::exception& e) {
    std::cerr << "pkgtool: " << e.what() << "\n";
    return 1;
  }
}

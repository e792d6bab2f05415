// Copies every file of a folder tree into another through the copy pass's
// chunked copy (the folders first made with EnsureDirectory, as the pass
// makes them) and prints the seconds it took. The benchmark script times
// `cp -r` of the same tree beside it, natively and, built for Win32, under
// Wine.
//
//   copy_bench SOURCE TARGET
#include <chrono>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

#include "app/state.h"
#include "forms/install_form.h"
#include "install/copy_pass.h"

namespace fs = std::filesystem;

// The separator of the program's paths: natively host paths pass through
// unchanged, under Wine they are Windows paths.
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copy_bench SOURCE TARGET\n");
    return 2;
  }
  const fs::path sourceRoot = argv[1];
  const std::string source = sourceRoot.string() + kSeparator;
  const std::string target = std::string(argv[2]) + kSeparator;
  std::vector<std::string> files, folders;  // relative, folders before their files
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(sourceRoot)) {
    std::string relative = fs::relative(entry.path(), sourceRoot).string();
    (entry.is_directory() ? folders : files).push_back(relative);
  }

  TfrmInstall form(nullptr);
  form.pbCopy.SetMax(0x7FFFFFFF);
  form.pbAll.SetMax(0x7FFFFFFF);
  InstallBars bars{form.pbCopy, form.pbLink, form.pbRegistry, form.pbAll};

  auto start = std::chrono::steady_clock::now();
  EnsureDirectory(target);
  for (const std::string& folder : folders)
    if (!EnsureDirectory(target + folder)) return 1;
  for (const std::string& file : files) {
    if (CopyFileInChunks(source + file, target + file, CopyForm::Item, bars) != nullptr) {
      std::fprintf(stderr, "copy_bench: %s failed\n", file.c_str());
      return 1;
    }
  }
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%zu files %.3f s\n", files.size(), took.count());
  return 0;
}

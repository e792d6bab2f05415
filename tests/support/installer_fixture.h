// A package loaded into the installer state for one test, and a fresh state
// around it. A newer one replaces it in the state; each frees its own block.
#pragma once

#include <string>

#include "app/state.h"
#include "package_writer.h"
#include "support/temp_dir.h"

class ScopedPackage {
 public:
  explicit ScopedPackage(const PackageDescription& package);
  ~ScopedPackage();
  ScopedPackage(const ScopedPackage&) = delete;
  ScopedPackage& operator=(const ScopedPackage&) = delete;

 private:
  TempDir dir_;
  platform::MemoryBlock block_ = nullptr;
};

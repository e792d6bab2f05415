#include "support/installer_fixture.h"

#include <stdexcept>

#include "package/loader.h"

ScopedPackage::ScopedPackage(const PackageDescription& package) {
  block_ = LoadPackage(dir_.Write("fixture.pkg", EncodePackage(package)));
  if (!block_) throw std::runtime_error("the fixture package does not load");
  State = InstallerState{};
  State.PackageBlock = block_;
  State.Package = static_cast<PackageImage*>(platform::Memory.Lock(block_));
}

ScopedPackage::~ScopedPackage() {
  platform::Memory.Unlock(block_);
  platform::Memory.Free(block_);
  if (State.PackageBlock == block_) State = InstallerState{};
}

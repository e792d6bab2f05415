#include "support/installer_fixture.h"

#include <stdexcept>

#include "package/loader.h"

ScopedPackage::ScopedPackage(const PackageDescription& package) {
  State = InstallerState{};
  State.PackageBlock = LoadPackage(dir_.Write("fixture.pkg", EncodePackage(package)));
  if (!State.PackageBlock) throw std::runtime_error("the fixture package does not load");
  State.Package = static_cast<PackageImage*>(platform::Memory.Lock(State.PackageBlock));
}

ScopedPackage::~ScopedPackage() {
  platform::Memory.Unlock(State.PackageBlock);
  platform::Memory.Free(State.PackageBlock);
  State = InstallerState{};
}

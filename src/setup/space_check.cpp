#include "setup/space_check.h"

#include "app/paths.h"
#include "app/state.h"
#include "app/texts.h"
#include "platform/files.h"

using platform::Files;
using Next = SpaceCheckOutcome::Next;

namespace {

constexpr std::uint32_t kShortcutBytes = 1024;
constexpr std::uint64_t kCounterLimit = 0xFFFFFFFFu;

struct Volume {
  std::uint32_t clusterSize = 0;
  std::uint64_t freeBytes = 0;
};

bool Measure(const std::string& directory, Volume* volume) {
  State.WorkText = DriveRoot(directory);
  platform::DiskSpace space;
  if (!Files.DiskFreeSpace(State.WorkText.c_str(), &space)) return false;
  volume->clusterSize = space.bytesPerSector * space.sectorsPerCluster;
  volume->freeBytes = std::uint64_t{space.bytesPerSector} * space.sectorsPerCluster * space.freeClusters;
  return true;
}

// Sizes and sums are worked out in 64 bits. The counters are 32-bit: a value
// that no longer fits would wrap into a small need that passes the check, so
// Store refuses it instead.
bool Store(std::uint32_t* counter, std::uint64_t value) {
  if (value > kCounterLimit) return false;
  *counter = static_cast<std::uint32_t>(value);
  return true;
}

bool Add(std::uint32_t* counter, std::uint64_t amount) { return Store(counter, *counter + amount); }

// Cluster sizes are powers of two.
std::uint64_t RoundToClusters(std::uint64_t bytes, std::uint32_t cluster) {
  std::uint64_t mask = cluster ? cluster - 1u : 0;
  return (bytes + mask) & ~mask;
}

std::uint64_t RoundToMebibytes(std::uint64_t bytes) { return (bytes + 0xFFFFF) & ~std::uint64_t{0xFFFFF}; }

std::uint64_t FileSize(const std::string& path) {
  platform::DirectoryEntry entry;
  if (!Files.FindFirstEntry(path.c_str(), &entry)) return 0;
  return (std::uint64_t{entry.sizeHigh} << 32) | entry.sizeLow;
}

class Check {
 public:
  SpaceCheckOutcome Run(std::uint32_t variantIndex) {
    if (!Measure(State.InstallDirectory, &install_) || !Measure(State.ShortcutDirectory, &system_))
      return Unreadable();
    State.ShortcutTotal = 0;
    State.CopyByteTotal = 0;
    State.InstallBytesNeeded = install_.clusterSize;
    State.SystemBytesNeeded = system_.clusterSize;
    State.SelectedMask = 1u << variantIndex;

    const std::uint32_t count = State.Package->Header.ItemCount;
    for (State.ItemCursor = 0; State.ItemCursor < count; ++State.ItemCursor) {
      const PackageItem& item = PackageItemAt(*State.Package, State.ItemCursor);
      if ((item.VariantMask & State.SelectedMask) == 0) continue;
      State.WorkText = State.InstallDirectory + item.TargetName;
      if (State.WorkText.size() >= kPathLimit)
        return Refused(Next::StayOpen, text::kSubjectDestination, text::kPathTooDeep);
      State.WorkText = State.SourceDir + item.SourceName;
      std::uint64_t size = FileSize(State.WorkText);
      if (!Add(&State.CopyByteTotal, size)) return Unreadable();
      if (size != 0) {
        if (!Add(&State.InstallBytesNeeded, RoundToClusters(size, install_.clusterSize))) return Unreadable();
      } else if (!Files.DirectoryExists(State.WorkText.c_str())) {
        return Unreadable();  // missing, or an empty file
      }
      if (item.ShortcutName[0] != '\0') {
        ++State.ShortcutTotal;
        if (!Add(&State.SystemBytesNeeded, RoundToClusters(kShortcutBytes, system_.clusterSize)))
          return Unreadable();
      }
    }

    // Compared byte for byte: "c:" and "C:" count as two volumes.
    if (DriveRoot(State.ShortcutDirectory) == DriveRoot(State.InstallDirectory) &&
        !Add(&State.InstallBytesNeeded, State.SystemBytesNeeded))
      return Unreadable();
    if (!AddInstallerFile(State.PackagePath)) return Unreadable();
    State.WorkText = State.SourceDir + "UNINST.EXE";
    if (!AddInstallerFile(State.WorkText)) return Unreadable();
    ++State.ShortcutTotal;  // the uninstaller's shortcut

    if (!Store(&State.InstallBytesNeeded, RoundToMebibytes(State.InstallBytesNeeded)) ||
        !Store(&State.SystemBytesNeeded, RoundToMebibytes(State.SystemBytesNeeded)))
      return Unreadable();
    if (!(State.SystemBytesNeeded < system_.freeBytes))
      return Refused(Next::CloseDialog, text::kSubjectSystemDrive, text::kDiskFull);
    if (!(State.InstallBytesNeeded < install_.freeBytes))
      return Refused(Next::StayOpen, text::kSubjectInstallDrive, text::kDiskFull);
    return {Next::Proceed, ""};
  }

 private:
  static SpaceCheckOutcome Unreadable() { return {Next::CloseDialog, text::kDiskInfoError}; }

  static SpaceCheckOutcome Refused(Next next, const char* subject, const char* predicate) {
    State.MessageText = std::string(subject) + predicate;
    return {next, State.MessageText};
  }

  // The package file and the uninstaller: both must have a size.
  bool AddInstallerFile(const std::string& path) {
    std::uint64_t size = FileSize(path);
    return size != 0 && Add(&State.CopyByteTotal, size) &&
           Add(&State.InstallBytesNeeded, RoundToClusters(size, install_.clusterSize));
  }

  Volume install_;
  Volume system_;
};

}  // namespace

std::string DriveRoot(const std::string& path) {
  std::string drive;
  if (path.size() >= 2 && path[1] == ':') {
    drive = path.substr(0, 2);
  } else if (path.compare(0, 2, "\\\\") == 0) {
    // Up to the backslash that ends the share name, or the whole path.
    std::size_t end = path.size();
    int separators = 0;
    for (std::size_t i = 2; i < path.size(); ++i) {
      if (path[i] == '\\' && !IsTrailByteAt(path, i) && ++separators == 2) {
        end = i;
        break;
      }
    }
    drive = path.substr(0, end);
  }
  return drive + "\\";
}

std::uint32_t SizeOfFile(const std::string& path) { return static_cast<std::uint32_t>(FileSize(path)); }

SpaceCheckOutcome SpaceCheck(std::uint32_t variantIndex) { return Check().Run(variantIndex); }

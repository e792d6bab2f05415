#include "install/copy_pass.h"

#include <vector>

#include "app/paths.h"
#include "app/state.h"
#include "app/texts.h"
#include "platform/files.h"
#include "setup/space_check.h"

using platform::Files;

namespace {

constexpr std::uint32_t kChunk = 0xFFFF;
constexpr std::size_t kBufferSize = 0x10000;

class File {
 public:
  explicit File(platform::FileHandle handle) : handle_(handle) {}
  ~File() {
    if (handle_) Files.Close(handle_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  explicit operator bool() const { return handle_ != nullptr; }
  platform::FileHandle get() const { return handle_; }

 private:
  platform::FileHandle handle_;
};

struct FormRules {
  std::uint32_t sourceShare;
  std::uint32_t targetShare;
  const char* openMessage;
  const char* createMessage;
};

FormRules RulesOf(CopyForm form) {
  if (form == CopyForm::Item)
    return {platform::kShareRead, platform::kShareWrite, text::kCopyFailedOpen, text::kCopyFailedCreate};
  return {platform::kShareNone, platform::kShareNone, text::kCopyFailed, text::kCopyFailed};
}

void AdvanceCopy(InstallBars& bars, std::uint32_t bytes) {
  Advance(bars.copy, static_cast<std::int32_t>(bytes));
  Advance(bars.all, static_cast<std::int32_t>(bytes));
}

const char* EnsureDirectoryOf(const std::string& path) {
  State.WorkText = DirectoryPart(path);
  return EnsureDirectory(State.WorkText) ? nullptr : text::kDirectoryFailed;
}

bool IsDirectory(const std::string& path) {
  platform::DirectoryEntry entry;
  return Files.FindFirstEntry(path.c_str(), &entry) && (entry.attributes & platform::kAttributeDirectory);
}

const char* PlaceItem(const PackageItem& item, InstallBars& bars) {
  std::string source = State.SourceDir + item.SourceName;
  std::string target = State.InstallDirectory + item.TargetName;
  if (const char* failure = EnsureDirectoryOf(target)) return failure;
  // A folder that cannot be made would otherwise end in a completed
  // installation without it.
  if (IsDirectory(source)) return EnsureDirectory(target) ? nullptr : text::kDirectoryFailed;
  return CopyFileInChunks(source, target, CopyForm::Item, bars);
}

const char* PlacePackageCopy(InstallBars& bars) {
  std::string target = State.InstallDirectory + "UNINST.PKG";
  if (const char* failure = EnsureDirectoryOf(target)) return failure;
  if (!Files.CopyFile(State.PackagePath.c_str(), target.c_str())) return text::kCopyFailed;
  if (!Files.ClearAttributes(target.c_str())) return text::kAttributesFailed;
  AdvanceCopy(bars, SizeOfFile(target));
  return nullptr;
}

const char* PlaceUninstaller(InstallBars& bars) {
  std::string target = State.InstallDirectory + "UNINST.EXE";
  if (const char* failure = EnsureDirectoryOf(target)) return failure;
  return CopyFileInChunks(State.SourceDir + "UNINST.EXE", target, CopyForm::Uninstaller, bars);
}

}  // namespace

bool EnsureDirectory(const std::string& directory) {
  if (Files.DirectoryExists(directory.c_str())) return true;
  Files.CreateDirectories(directory.c_str());
  return Files.DirectoryExists(directory.c_str());
}

const char* CopyFileInChunks(const std::string& source, const std::string& target, CopyForm form,
                             InstallBars& bars) {
  const FormRules rules = RulesOf(form);
  File in(Files.OpenForReading(source.c_str(), rules.sourceShare));
  if (!in) return rules.openMessage;
  File out(Files.CreateForWriting(target.c_str(), rules.targetShare));
  if (!out) return rules.createMessage;
  std::vector<unsigned char> buffer(kBufferSize);
  for (;;) {
    std::uint32_t read = 0;
    std::uint32_t written = 0;
    if (!Files.Read(in.get(), buffer.data(), kChunk, &read)) return text::kCopyFailed;
    // A short write (a full disk) would leave a truncated file that looks
    // installed.
    if (!Files.Write(out.get(), buffer.data(), read, &written) || written != read) return text::kCopyFailed;
    AdvanceCopy(bars, read);
    if (read < kChunk) return nullptr;
  }
}

const char* RunCopyPass(InstallBars& bars) {
  const std::uint32_t count = State.Package->Header.ItemCount;
  for (State.ItemCursor = 0; State.ItemCursor < count; ++State.ItemCursor) {
    const PackageItem& item = PackageItemAt(*State.Package, State.ItemCursor);
    if ((item.VariantMask & State.SelectedMask) == 0) continue;
    if (const char* failure = PlaceItem(item, bars)) return failure;
  }
  if (const char* failure = PlacePackageCopy(bars)) return failure;
  return PlaceUninstaller(bars);
}

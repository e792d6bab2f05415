#include "app/startup.h"

#include <memory>

#include "app/paths.h"
#include "app/registry.h"
#include "app/state.h"
#include "app/texts.h"
#include "forms/main_form.h"
#include "forms/readme_form.h"
#include "package/loader.h"
#include "platform/files.h"
#include "platform/mutex.h"
#include "ui/ui.h"

using platform::Files;
using platform::Memory;
using platform::Mutex;

namespace {

constexpr std::size_t kShortcutPathLimit = 256;  // the shortcut pass adds ".lnk"
constexpr std::size_t kStartMenuWarning = 240;
constexpr const char* kProductMutex = "Kestrune";

// What start-up holds for the whole run, released in a fixed order on every
// way out.
class Startup {
 public:
  Startup() = default;
  Startup(const Startup&) = delete;
  Startup& operator=(const Startup&) = delete;
  ~Startup() {
    registry_.reset();
    State.SharedRegistry = nullptr;
    if (mutex_) Mutex.Release(mutex_);
    if (State.Package) Memory.Unlock(State.PackageBlock);
    if (State.PackageBlock) Memory.Free(State.PackageBlock);
    State.Package = nullptr;
    State.PackageBlock = nullptr;
    if (mutex_) Mutex.Close(mutex_);
  }

  void Run() {
    const std::string& exeName = ui::App.ExeName();
    if (!LoadPackageFile(exeName) || !WaitForProduct() || !MarkInstance()) return;
    State.SourceDir = PathPart(exeName);
    State.DialogBorderIcons = biSystemMenu | biMinimize;
    if (!ReadLocations() || !CheckItems() || !ShowReadme(exeName)) return;
    RunApplication();
  }

 private:
  static void Report(const std::string& subjectOrPath, const char* predicate) {
    State.MessageText = subjectOrPath + predicate;
    ui::ShowMessage(State.MessageText);
  }

  static bool Fail(const char* message) {
    ui::ShowMessage(message);
    return false;
  }

  bool LoadPackageFile(const std::string& exeName) {
    State.PackagePath = ChangeFileExt(exeName, ".PKG");
    if (State.PackagePath.size() >= kPathLimit) {
      Report(text::kSubjectSource, text::kPathTooDeep);
      return false;
    }
    if (!Files.FileExists(State.PackagePath.c_str())) {
      Report(State.PackagePath, text::kNotFound);
      return false;
    }
    State.PackageBlock = LoadPackage(State.PackagePath);
    if (!State.PackageBlock) {
      Report(State.PackagePath, text::kLoadError);
      return false;
    }
    State.Package = static_cast<PackageImage*>(Memory.Lock(State.PackageBlock));
    if (!State.Package) return Fail(text::kMemoryAccessError);
    const PackageHeader& header = State.Package->Header;
    State.WorkText = std::string("Install ") + header.VendorName + " " + header.ProductName;
    return true;
  }

  // The product's running client holds its mutex; the user may wait for it
  // to end or give up.
  bool WaitForProduct() {
    for (;;) {
      mutex_ = Mutex.Open(kProductMutex);
      if (!mutex_) return true;
      int answer = ui::App.MessageBox(text::kProductRunning, text::kCaptionError,
                                   ui::kMbOkCancel | ui::kMbIconStop);
      CloseProbe();
      if (answer == ui::kIdCancel) return false;
    }
  }

  void CloseProbe() {
    if (Mutex.Close(mutex_)) mutex_ = nullptr;
  }

  bool MarkInstance() {
    mutex_ = Mutex.Open(State.WorkText.c_str());
    if (mutex_) {
      ui::ShowMessage(text::kAlreadyRunning);
      CloseProbe();
      return false;
    }
    bool existed = false;
    mutex_ = Mutex.Create(State.WorkText.c_str(), &existed);
    if (!mutex_) return Fail(text::kMarkingFailed);
    // Another installer may have created it between the probe and here.
    if (existed) {
      ui::ShowMessage(text::kAlreadyRunning);
      CloseProbe();
      return false;
    }
    return true;
  }

  bool ReadLocations() {
    try {
      registry_ = std::make_unique<RegistryAccessor>();
    } catch (...) {
      return Fail(text::kOutOfMemory);
    }
    State.SharedRegistry = registry_.get();
    if (!ReadFolder(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                    "ProgramFilesDir", &State.ProgramFilesRoot) ||
        !ReadFolder(platform::RegistryRoot::CurrentUser,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs",
                    &State.ShortcutDirectory))
      return false;
    State.ShortcutDirectory = AppendProductFolder(State.ShortcutDirectory);
    if (State.ShortcutDirectory.size() >= kStartMenuWarning)
      Report(text::kSubjectStartMenu, text::kPathTooDeep);
    return true;
  }

  // The key is opened with full access, as the registration pass will need.
  bool ReadFolder(platform::RegistryRoot root, const char* key, const char* value, std::string* folder) {
    registry_->SetRootKey(root);
    if (!registry_->OpenKey(key, false)) return Fail(text::kRegistryError);
    try {
      *folder = registry_->ReadString(value);
    } catch (...) {
      ui::ShowMessage(text::kRegistryError);
      registry_->CloseKey();
      return false;
    }
    registry_->CloseKey();
    return true;
  }

  // Every item of the package, whichever variant it belongs to.
  bool CheckItems() {
    const std::uint32_t count = State.Package->Header.ItemCount;
    for (State.ItemCursor = 0; State.ItemCursor < count; ++State.ItemCursor) {
      const PackageItem& item = PackageItemAt(*State.Package, State.ItemCursor);
      State.WorkText = State.SourceDir + item.SourceName;
      if (State.WorkText.size() >= kPathLimit) {
        Report(text::kSubjectCopySource, text::kPathTooDeep);
        return false;
      }
      if (!Files.FileExists(State.WorkText.c_str()) && !Files.DirectoryExists(State.WorkText.c_str())) {
        Report(State.WorkText, text::kNotFound);
        return false;
      }
      State.WorkText = State.ShortcutDirectory + item.ShortcutName;
      if (State.WorkText.size() >= kShortcutPathLimit) {
        Report(text::kSubjectShortcut, text::kPathTooDeep);
        return false;
      }
    }
    State.WorkText = State.SourceDir + "UNINST.EXE";
    if (State.WorkText.size() >= kPathLimit) {
      Report(text::kSubjectSource, text::kPathTooDeep);
      return false;
    }
    if (!Files.FileExists(State.WorkText.c_str())) {
      Report(State.WorkText, text::kNotFound);
      return false;
    }
    return true;
  }

  bool ShowReadme(const std::string& exeName) {
    State.ReadmePath = ChangeFileExt(exeName, ".TXT");
    if (!Files.FileExists(State.ReadmePath.c_str())) return true;
    std::unique_ptr<TfrmReadme> readme;
    try {
      readme = std::make_unique<TfrmReadme>(nullptr);
    } catch (...) {
      return Fail(text::kOutOfMemory);
    }
    State.frmReadme = readme.get();
    readme->ShowModal();
    readme.reset();
    State.frmReadme = nullptr;
    return true;
  }

  static void RunApplication() {
    try {
      ui::App.Initialize();
      ui::App.SetTitle("INSTALL");
      ui::App.CreateForm(State.frmMain);
      ui::App.Run();
    } catch (const std::exception& e) {
      // The class library's exceptions, and any other, end in a message
      // rather than a crash.
      ui::App.ShowException(e);
    }
  }

  platform::MutexHandle mutex_ = nullptr;
  std::unique_ptr<RegistryAccessor> registry_;
};

}  // namespace

int RunInstaller() {
  Startup startup;
  startup.Run();
  return 0;
}

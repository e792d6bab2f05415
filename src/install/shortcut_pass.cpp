#include "install/shortcut_pass.h"

#include <string>

#include "app/paths.h"
#include "app/state.h"
#include "app/texts.h"
#include "install/copy_pass.h"
#include "platform/shell_link.h"
#include "ui/form.h"

namespace {

// The link's folder may be a subfolder that the shortcut name brings.
const char* PlaceShortcut(const std::string& target, const std::string& linkFile, InstallBars& bars) {
  State.WorkText = DirectoryPart(linkFile);
  if (!EnsureDirectory(State.WorkText)) return text::kDirectoryFailed;
  if (!platform::ShellLink.CreateShellLink(target.c_str(), linkFile.c_str(), "", ""))
    return text::kShortcutFailed;
  bars.link.StepIt();
  bars.all.StepIt();
  return nullptr;
}

}  // namespace

const char* RunShortcutPass(InstallBars& bars) {
  const std::uint32_t count = State.Package->Header.ItemCount;
  for (State.ItemCursor = 0; State.ItemCursor < count; ++State.ItemCursor) {
    const PackageItem& item = PackageItemAt(*State.Package, State.ItemCursor);
    if ((item.VariantMask & State.SelectedMask) == 0 || item.ShortcutName[0] == '\0') continue;
    if (const char* failure = PlaceShortcut(State.InstallDirectory + item.TargetName,
                                            State.ShortcutDirectory + item.ShortcutName + ".lnk", bars))
      return failure;
  }
  return PlaceShortcut(State.InstallDirectory + "UNINST.EXE",
                       State.ShortcutDirectory + text::kUninstallShortcut, bars);
}

// Loads the link into the shell's link object and asks IShellLinkA for each
// property; shared by the unit tests and the lnkinfo tool.
#include "support/shell_link_reader.h"

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include "platform/win32/com.h"

namespace {

std::wstring Wide(const std::string& text) {
  int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(units > 0 ? units : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], units);
  return wide;
}

// The text a getter leaves in a buffer as large as the longest property.
template <class Getter>
std::string Property(Getter get) {
  char buffer[INFOTIPSIZE] = "";
  get(buffer, static_cast<int>(sizeof buffer));
  return buffer;
}

}  // namespace

bool ReadShellLink(const std::string& linkFile, ShellLinkFields* fields) {
  platform::ComScope com;
  platform::ComPtr<IShellLinkA> link;
  if (FAILED(platform::Com.CreateInstance(CLSID_ShellLink, IID_IShellLinkA, link.Slot()))) return false;
  platform::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Slot()))) return false;
  if (FAILED(file->Load(Wide(linkFile).c_str(), STGM_READ))) return false;

  fields->target = Property([&](char* b, int n) { link->GetPath(b, n, nullptr, SLGP_RAWPATH); });
  fields->workingDirectory = Property([&](char* b, int n) { link->GetWorkingDirectory(b, n); });
  fields->arguments = Property([&](char* b, int n) { link->GetArguments(b, n); });
  fields->description = Property([&](char* b, int n) { link->GetDescription(b, n); });
  fields->icon = Property([&](char* b, int n) { link->GetIconLocation(b, n, &fields->iconIndex); });
  return true;
}

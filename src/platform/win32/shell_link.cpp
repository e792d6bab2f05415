// The shell's link object, reached through COM: created, given its
// properties through IShellLinkA and saved through IPersistFile. Only the
// creation, the interface query and the save decide the result.
#include "platform/shell_link.h"

#include <shlobj.h>

#include <string>

#include "app/paths.h"
#include "platform/win32/com.h"

namespace platform {
namespace {

HRESULT Initialize() { return CoInitialize(nullptr); }

void Uninitialize() { CoUninitialize(); }

HRESULT CreateInstance(REFCLSID type, REFIID interfaceId, void** object) {
  return CoCreateInstance(type, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object);
}

bool CreateShellLink(const char* target, const char* linkFile, const char* description,
                     const char* arguments) {
  ComScope com;
  ComPtr<IShellLinkA> link;
  if (FAILED(Com.CreateInstance(CLSID_ShellLink, IID_IShellLinkA, link.Slot()))) return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Slot()))) return false;

  // The object reports rejected properties, but only the save decides.
  link->SetPath(target);
  link->SetArguments(arguments);
  link->SetDescription(description);
  link->SetWorkingDirectory(PathPart(target).c_str());
  link->SetIconLocation(target, 0);

  // A path that does not fit is refused: the buffer would be left without
  // its terminator.
  WCHAR widePath[kLinkPathUnits];
  if (MultiByteToWideChar(CP_ACP, 0, linkFile, -1, widePath, kLinkPathUnits) == 0) return false;
  return SUCCEEDED(file->Save(widePath, TRUE));
}

}  // namespace

ComApi Com = {Initialize, Uninitialize, CreateInstance};

ShellLinkApi ShellLink = {CreateShellLink};

}  // namespace platform

// The one set of process-wide values that start-up fills and the dialogs and
// install passes read and update. Used on the GUI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "package/image.h"
#include "platform/memory.h"

class RegistryAccessor;
class TfrmMain;
class TfrmReadme;
class TfrmDirectory;
class TfrmInstall;

// Title-bar buttons of every dialog.
enum BorderIcon : std::uint8_t {
  biSystemMenu = 1,
  biMinimize = 2,
  biMaximize = 4,
  biHelp = 8,
};
using BorderIcons = std::uint8_t;

struct InstallerState {
  // Texts: byte strings in the ANSI code page; lengths count bytes.
  std::string PackagePath;
  std::string ReadmePath;
  std::string SourceDir;
  std::string WorkText;     // scratch for mutex names, paths and keys
  std::string MessageText;  // scratch for composed messages
  std::string ProgramFilesRoot;
  std::string InstallDirectory;   // ends with a backslash
  std::string ShortcutDirectory;  // ends with a backslash

  BorderIcons DialogBorderIcons = 0;

  platform::MemoryBlock PackageBlock = nullptr;
  PackageImage* Package = nullptr;

  TfrmMain* frmMain = nullptr;
  TfrmReadme* frmReadme = nullptr;
  TfrmDirectory* frmDirectory = nullptr;
  TfrmInstall* frmInstall = nullptr;

  std::uint32_t ItemCursor = 0;
  std::uint32_t SelectedMask = 0;
  std::uint32_t InstallBytesNeeded = 0;
  std::uint32_t SystemBytesNeeded = 0;
  std::uint32_t CopyByteTotal = 0;
  std::uint32_t ShortcutTotal = 0;

  RegistryAccessor* SharedRegistry = nullptr;
};

extern InstallerState State;

// base, a backslash unless base already ends in a single-byte one, the
// product's name and a closing backslash.
std::string AppendProductFolder(const std::string& base);

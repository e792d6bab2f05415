// The first pass of the install run: the chosen variant's files and folders,
// then "UNINST.PKG" and "UNINST.EXE", into InstallDirectory.
#pragma once

#include <string>

#include "install/progress.h"

// True when the folder exists, after creating it and its parents if needed.
bool EnsureDirectory(const std::string& directory);

enum class CopyForm {
  Item,         // sources shared for reading, targets for writing
  Uninstaller,  // both opened for exclusive use
};

// Copies through a 64 KiB buffer in reads of 65,535 bytes, advancing the copy
// bars per chunk. Null when done, else the message that ends the run.
const char* CopyFileInChunks(const std::string& source, const std::string& target, CopyForm form,
                             InstallBars& bars);

// Null when every file is in place, else the message that ends the run.
const char* RunCopyPass(InstallBars& bars);

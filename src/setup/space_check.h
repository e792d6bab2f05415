// What OK in the main dialog checks before the install dialog opens: both
// volumes, every selected item, and the space the installation needs.
#pragma once

#include <cstdint>
#include <string>

// The drive part of path ("C:", or "\\server\share"), followed by "\".
std::string DriveRoot(const std::string& path);

// The low 32 bits of the size of the first entry the path matches; 0 when
// nothing does.
std::uint32_t SizeOfFile(const std::string& path);

struct SpaceCheckOutcome {
  enum class Next { Proceed, StayOpen, CloseDialog };
  Next next = Next::Proceed;
  std::string message;  // shown when next is not Proceed
};

// Measures both volumes afresh, tests the items of the chosen variant and
// fills SelectedMask, InstallBytesNeeded, SystemBytesNeeded, CopyByteTotal
// and ShortcutTotal.
SpaceCheckOutcome SpaceCheck(std::uint32_t variantIndex);

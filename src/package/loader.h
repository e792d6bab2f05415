// Loads and validates a package file into a PackageImage held in one movable
// memory block. The block comes back unlocked and owned by the caller; a null
// block means the file was refused, with nothing left open or allocated.
#pragma once

#include <cstdint>
#include <string>

#include "platform/memory.h"

// Why a load was refused: the field at which reading stopped. Only the
// package tool asks for it; the installer reports every refusal alike.
struct LoadFailure {
  enum class Reason {
    None,
    PathTooLong,
    CannotOpen,
    NoMemory,
    LockFailed,
    ShortRead,
    BadMagic,
    TextTooLong,
    OutOfRange,
    Empty,
  };
  Reason reason = Reason::None;
  const char* field = "";  // the field's name as the format names it
  std::int32_t index = -1; // item or variant number, -1 for a header field
};

const char* DescribeLoadFailure(LoadFailure::Reason reason);

platform::MemoryBlock LoadPackage(std::string path, LoadFailure* failure = nullptr);

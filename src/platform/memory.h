// Movable memory blocks, shaped like the Windows global memory functions the
// package image lives in. Native builds keep the same lock/unlock/grow rules
// in an owned heap buffer, so the loader is one piece of code on both.
#pragma once

#include <cstddef>

namespace platform {

using MemoryBlock = void*;

struct MemoryApi {
  // A movable, zero-filled block; null on failure.
  MemoryBlock (*Allocate)(std::size_t size);
  // The block's address, or null on failure. Locks nest.
  void* (*Lock)(MemoryBlock block);
  // True when the block is no longer locked afterwards.
  bool (*Unlock)(MemoryBlock block);
  // Grows an unlocked block (it may move), zero-filling the added bytes. The
  // returned handle replaces the old one; null on failure, the old block
  // untouched.
  MemoryBlock (*Grow)(MemoryBlock block, std::size_t newSize);
  void (*Free)(MemoryBlock block);
  // Fixed, zero-filled scratch buffers; null on failure.
  void* (*AllocateTemp)(std::size_t size);
  void (*FreeTemp)(void* buffer);
};

// The real implementation; tests may replace entries and must restore them.
extern MemoryApi Memory;

}  // namespace platform

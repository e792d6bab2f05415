#include "platform/memory.h"

#include <windows.h>

namespace platform {
namespace {

MemoryBlock Allocate(std::size_t size) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size); }

void* Lock(MemoryBlock block) { return GlobalLock(static_cast<HGLOBAL>(block)); }

// GlobalUnlock answers 0 once the lock count has reached zero.
bool Unlock(MemoryBlock block) { return GlobalUnlock(static_cast<HGLOBAL>(block)) == 0; }

MemoryBlock Grow(MemoryBlock block, std::size_t newSize) {
  return GlobalReAlloc(static_cast<HGLOBAL>(block), newSize, GMEM_ZEROINIT);
}

void Free(MemoryBlock block) { GlobalFree(static_cast<HGLOBAL>(block)); }

void* AllocateTemp(std::size_t size) { return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size); }

void FreeTemp(void* buffer) { GlobalFree(static_cast<HGLOBAL>(buffer)); }

}  // namespace

MemoryApi Memory = {Allocate, Lock, Unlock, Grow, Free, AllocateTemp, FreeTemp};

}  // namespace platform

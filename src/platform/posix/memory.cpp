// Native stand-in for movable global memory: a header with the lock count in
// front of the data, so that lock, unlock and grow keep the Windows rules.
#include "platform/memory.h"

#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

struct Block {
  std::size_t size;
  unsigned locks;
  alignas(std::max_align_t) unsigned char data[1];
};

constexpr std::size_t kHeader = offsetof(Block, data);

MemoryBlock Allocate(std::size_t size) {
  void* raw = std::calloc(1, kHeader + size);
  if (!raw) return nullptr;
  static_cast<Block*>(raw)->size = size;
  return raw;
}

void* Lock(MemoryBlock handle) {
  if (!handle) return nullptr;
  auto* block = static_cast<Block*>(handle);
  ++block->locks;
  return block->data;
}

bool Unlock(MemoryBlock handle) {
  if (!handle) return false;
  auto* block = static_cast<Block*>(handle);
  if (block->locks > 0) --block->locks;
  return block->locks == 0;
}

MemoryBlock Grow(MemoryBlock handle, std::size_t newSize) {
  auto* block = static_cast<Block*>(handle);
  if (!block || block->locks != 0) return nullptr;
  std::size_t oldSize = block->size;
  void* raw = std::realloc(block, kHeader + newSize);
  if (!raw) return nullptr;
  block = static_cast<Block*>(raw);
  if (newSize > oldSize) std::memset(block->data + oldSize, 0, newSize - oldSize);
  block->size = newSize;
  return block;
}

void Free(MemoryBlock handle) { std::free(handle); }

void* AllocateTemp(std::size_t size) { return std::calloc(1, size ? size : 1); }

void FreeTemp(void* buffer) { std::free(buffer); }

}  // namespace

MemoryApi Memory = {Allocate, Lock, Unlock, Grow, Free, AllocateTemp, FreeTemp};

}  // namespace platform

#include "toolbars/items/item_memory.h"

#include <windows.h>

#include <array>
#include <new>
#include <unordered_set>

namespace toolbars {

namespace {

constexpr size_t kGranule = 16;
// Larger items (none of the framework's) come from the heap directly.
constexpr size_t kLargestPooled = 2048;

struct TFreeBlock {
  TFreeBlock* Next;
};

// Per thread: items belong to the thread of their windows, so no lock is needed.
thread_local std::array<TFreeBlock*, kLargestPooled / kGranule + 1> freeLists{};

size_t SizeClass(size_t size) { return (size + kGranule - 1) / kGranule; }

thread_local bool guardFreedBlocks = false;
// The guarded blocks that live; a guarded block freed after the guard ended is still one.
thread_local std::unordered_set<void*> guardedBlocks;

}  // namespace

void SetGuardFreedItemBlocks(bool on) { guardFreedBlocks = on; }

void* AllocateItemBlock(size_t size) {
  if (guardFreedBlocks) {
    void* block = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block) throw std::bad_alloc();
    guardedBlocks.insert(block);
    return block;
  }
  if (size > kLargestPooled) return ::operator new(size);
  TFreeBlock*& list = freeLists[SizeClass(size)];
  if (TFreeBlock* block = list) {
    list = block->Next;
    return block;
  }
  return ::operator new(SizeClass(size) * kGranule);
}

void FreeItemBlock(void* block, size_t size) {
  if (!block) return;
  if (guardedBlocks.erase(block)) {
    // The pages go back, their addresses stay reserved: every touch faults, and no later item takes the place.
    VirtualFree(block, size, MEM_DECOMMIT);
    return;
  }
  if (size > kLargestPooled) {
    ::operator delete(block);
    return;
  }
  auto* free = static_cast<TFreeBlock*>(block);
  TFreeBlock*& list = freeLists[SizeClass(size)];
  free->Next = list;
  list = free;
}

}  // namespace toolbars

#include "toolbars/items/item_memory.h"

#include <array>
#include <new>

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

}  // namespace

void* AllocateItemBlock(size_t size) {
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

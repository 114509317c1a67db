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
// Guarded blocks are pages committed one after another in large reserved regions: a region of its own for each
// block would use the address room up in a long run.
constexpr size_t kGuardRegion = size_t{16} << 20;
thread_local char* guardNext = nullptr;
thread_local char* guardEnd = nullptr;

size_t WholePages(size_t size) {
  static const size_t page = [] {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return static_cast<size_t>(info.dwPageSize);
  }();
  return (size + page - 1) / page * page;
}

void* AllocateGuardedBlock(size_t size) {
  const size_t step = WholePages(size);
  if (static_cast<size_t>(guardEnd - guardNext) < step) {
    const size_t room = step > kGuardRegion ? step : kGuardRegion;
    guardNext = static_cast<char*>(VirtualAlloc(nullptr, room, MEM_RESERVE, PAGE_NOACCESS));
    if (!guardNext) {
      guardEnd = nullptr;
      throw std::bad_alloc();
    }
    guardEnd = guardNext + room;
  }
  void* block = VirtualAlloc(guardNext, step, MEM_COMMIT, PAGE_READWRITE);
  if (!block) throw std::bad_alloc();
  guardNext += step;
  guardedBlocks.insert(block);
  return block;
}

}  // namespace

void SetGuardFreedItemBlocks(bool on) { guardFreedBlocks = on; }

void* AllocateItemBlock(size_t size) {
  if (guardFreedBlocks) return AllocateGuardedBlock(size);
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
    VirtualFree(block, WholePages(size), MEM_DECOMMIT);
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

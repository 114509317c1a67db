#include "support/allocation_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "support/hostile_input.h"

namespace {

int allocations = 0;
std::atomic<int> liveBlocks = 0;

}  // namespace

int AllocationCount() { return allocations; }

int LiveAllocationCount() { return liveBlocks; }

void* operator new(std::size_t size) {
  ++allocations;
  void* block = AllocateForTests(size);
  if (!block) block = std::malloc(size ? size : 1);
  if (!block) throw std::bad_alloc();
  ++liveBlocks;
  return block;
}

void operator delete(void* block) noexcept {
  if (!block) return;
  --liveBlocks;
  if (!FreeForTests(block)) std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

#include "support/allocation_count.h"

#include <cstdlib>
#include <new>

#include "support/hostile_input.h"

namespace {

int allocations = 0;

}  // namespace

int AllocationCount() { return allocations; }

void* operator new(std::size_t size) {
  ++allocations;
  if (void* block = AllocateForTests(size)) return block;
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
  if (block && !FreeForTests(block)) std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

#include "allocation_count.h"

#include <cstdlib>
#include <new>

namespace {
int allocations = 0;
}  // namespace

int AllocationCount() { return allocations; }

void* operator new(std::size_t size) {
  ++allocations;
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

// The memory of items: a freed item's block waits in a list of its size class for the next item, so that menus
// rebuilt again and again do not go back to the system heap for every item.
#pragma once

#include <cstddef>

namespace toolbars {

void* AllocateItemBlock(size_t size);
void FreeItemBlock(void* block, size_t size);
// While on, each item made has pages of its own, which become unreadable when it is freed and are never handed
// out again: a use of a freed item faults at once instead of reading the next item made in its place. For checks.
void SetGuardFreedItemBlocks(bool on);

}  // namespace toolbars

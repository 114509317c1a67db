// The test programs replace the global operator new so that a test can count the allocations of the code it runs,
// and guard them while a TGuardedAllocations (hostile_input.h) lives.
#pragma once

// Allocations through operator new since the program started.
int AllocationCount();
// Blocks from operator new not deleted yet.
int LiveAllocationCount();

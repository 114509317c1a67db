// The test program replaces the global operator new so that a test can count the allocations of the code it runs.
#pragma once

// Allocations through operator new since the program started.
int AllocationCount();

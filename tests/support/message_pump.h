// Waits of the test thread that keep its messages (and with them the workers' hand-overs to this thread) flowing.
// The condition is tested again after every single message: a repeating timer keeps the queue full, and a wait
// that first emptied the queue would let the state run past the point the test waits for.
#pragma once

#include <windows.h>

#include <functional>

// Serves the thread's messages one at a time until done says yes or the time is up; answers the condition. A
// WM_QUIT ends the wait and is put back for the loop that owns it.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);

// Serves the messages for a while, for tests that show something does not happen.
void PumpFor(DWORD milliseconds);

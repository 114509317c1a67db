// Runs the test thread's messages (and with them the workers' hand-overs to this thread) until a condition holds
// or the time is up; answers the condition.
#pragma once

#include <windows.h>

#include <functional>

inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!done()) {
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

// Runs the messages for a while, for tests that show something does not happen.
inline void PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// What a lifecycle test watches stay flat: the handles and the threads of the test process.
#pragma once

// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <cstdint>

// Counted by probing: not every platform answers GetProcessHandleCount.
inline DWORD OpenHandles() {
  DWORD count = 0;
  DWORD flags = 0;
  for (uintptr_t value = 4; value < 0x10000; value += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  return count;
}

inline DWORD OpenThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snapshot);
  return count;
}

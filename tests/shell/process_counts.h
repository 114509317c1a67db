// What a lifecycle test watches stay flat: the handles and the threads of the test process.
#pragma once

// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "support/message_pump.h"

// Counted by probing: not every platform answers GetProcessHandleCount. A new handle takes the lowest free value,
// so the probe stops after a thousand free values in a row, not at the last possible one: each probe asks the
// platform's server, and the whole range took seconds.
inline DWORD OpenHandles() {
  DWORD count = 0;
  DWORD flags = 0;
  for (uintptr_t value = 4, free = 0; value < 0x10000 && free < 1000; value += 4) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
      ++count;
      free = 0;
    } else {
      ++free;
    }
  }
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

// A cycle repeated a quarter of the given times and then all of them (200 unless a cycle is slow): a thread or
// handle that one cycle in a few leaves behind shows against the counts before the cycles (a couple of handles the
// platform caches aside), and one that piles up with the cycles shows in the second count; a thousand cycles meant
// no more and took seconds under the heap checks.
inline void ExpectRepeatedCyclesLeaveNothing(
    const std::function<void()>& cycle, const std::function<int()>& otherCount = [] { return 0; }, int cycles = 200) {
  cycle();
  const DWORD threads = OpenThreads();
  const DWORD handles = OpenHandles();
  const int others = otherCount();
  int done = 0;
  for (int total : {cycles / 4, cycles}) {
    SCOPED_TRACE(testing::Message() << "after " << total << " cycles");
    for (; done < total && !testing::Test::HasFatalFailure(); ++done) cycle();
    EXPECT_TRUE(PumpUntil([&] { return OpenThreads() <= threads; }));
    EXPECT_LE(OpenHandles(), handles + 2);
    EXPECT_EQ(otherCount(), others);
  }
}

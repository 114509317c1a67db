#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "framework/thread_hooks.h"
#include "framework/timer.h"
#include "support/allocation_count.h"

namespace {

struct TQuietListener : TThreadHookListener {
  bool HookMessage(THookKind, int, WPARAM, LPARAM) override { return false; }
};

}  // namespace

// What the framework keeps for a thread (its message hooks, its timers) goes with the thread, whole: nothing of it
// stays allocated once the thread has ended, however the thread left it.
TEST(ThreadState, WhatAThreadKeptForItsHooksAndTimersGoesWithIt) {
  struct TUse {
    const char* Name;
    std::function<void()> Run;
  };
  static TQuietListener leftBehind;
  const TUse uses[] = {
      {"a hook listener added and removed",
       [] {
         TQuietListener listener;
         AddThreadHookListener(THookKind::hkCallWndProc, &listener);
         AddThreadHookListener(THookKind::hkCbt, &listener);
         RemoveThreadHookListener(THookKind::hkCallWndProc, &listener);
         RemoveThreadHookListener(THookKind::hkCbt, &listener);
       }},
      {"a hook listener still there when the thread ends",
       [] { AddThreadHookListener(THookKind::hkGetMessage, &leftBehind); }},
      {"a timer that ran",
       [] {
         TTimer timer;
         timer.SetInterval(1);
         timer.SetEnabled(true);
       }},
  };
  for (const TUse& use : uses) {
    const int before = LiveAllocationCount();
    for (int i = 0; i < 10; ++i) std::thread(use.Run).join();
    EXPECT_EQ(LiveAllocationCount(), before) << use.Name;
  }
}

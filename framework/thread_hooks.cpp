#include "framework/thread_hooks.h"

#include <algorithm>
#include <array>
#include <vector>

#include "framework/exception_hook.h"
#include "framework/thread_state.h"

namespace {

constexpr int kKindCount = 3;
constexpr std::array<int, kKindCount> kHookIds = {WH_CALLWNDPROC, WH_GETMESSAGE, WH_CBT};

struct HookSlot {
  HHOOK hook = nullptr;
  // Removed listeners become null while a dispatch runs and are swept out when the outermost dispatch ends.
  std::vector<TThreadHookListener*> listeners;
  int dispatching = 0;
};

struct ThreadHooks {
  std::array<HookSlot, kKindCount> slots;
  ~ThreadHooks() {
    for (HookSlot& slot : slots)
      if (slot.hook) UnhookWindowsHookEx(slot.hook);
  }
};

HookSlot& Slot(THookKind kind) { return ThreadState<ThreadHooks>().slots[static_cast<size_t>(kind)]; }

void Sweep(HookSlot& slot) {
  if (slot.dispatching == 0)
    slot.listeners.erase(std::remove(slot.listeners.begin(), slot.listeners.end(), nullptr), slot.listeners.end());
}

bool CallListener(TThreadHookListener* listener, THookKind kind, int code, WPARAM wParam, LPARAM lParam) {
  try {
    return listener->HookMessage(kind, code, wParam, lParam);
  } catch (...) {
    ApplicationHandleException(nullptr);
    return false;
  }
}

LRESULT Dispatch(THookKind kind, int code, WPARAM wParam, LPARAM lParam) {
  HookSlot& slot = Slot(kind);
  HHOOK hook = slot.hook;
  bool stopped = false;
  if (code >= 0) {
    ++slot.dispatching;
    // Listeners added meanwhile lie beyond the count taken here and first hear the next message.
    size_t count = slot.listeners.size();
    for (size_t i = 0; i < count && !stopped; ++i)
      if (TThreadHookListener* listener = slot.listeners[i])
        stopped = CallListener(listener, kind, code, wParam, lParam);
    --slot.dispatching;
    Sweep(slot);
  }
  return stopped ? 1 : CallNextHookEx(hook, code, wParam, lParam);
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
  return Dispatch(THookKind::hkCallWndProc, code, wParam, lParam);
}
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  return Dispatch(THookKind::hkGetMessage, code, wParam, lParam);
}
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  return Dispatch(THookKind::hkCbt, code, wParam, lParam);
}

constexpr std::array<HOOKPROC, kKindCount> kHookProcs = {&CallWndProcHook, &GetMessageHook, &CbtHook};

bool HasListeners(const HookSlot& slot) {
  return std::any_of(slot.listeners.begin(), slot.listeners.end(), [](auto* l) { return l != nullptr; });
}

}  // namespace

void AddThreadHookListener(THookKind kind, TThreadHookListener* listener) {
  HookSlot& slot = Slot(kind);
  if (!listener || std::find(slot.listeners.begin(), slot.listeners.end(), listener) != slot.listeners.end()) return;
  slot.listeners.push_back(listener);
  if (!slot.hook) {
    auto index = static_cast<size_t>(kind);
    slot.hook = SetWindowsHookExW(kHookIds[index], kHookProcs[index], nullptr, GetCurrentThreadId());
  }
}

void RemoveThreadHookListener(THookKind kind, TThreadHookListener* listener) {
  HookSlot& slot = Slot(kind);
  auto found = std::find(slot.listeners.begin(), slot.listeners.end(), listener);
  if (!listener || found == slot.listeners.end()) return;
  *found = nullptr;
  Sweep(slot);
  if (!HasListeners(slot) && slot.hook) {
    UnhookWindowsHookEx(slot.hook);
    slot.hook = nullptr;
  }
}

bool ThreadHookInstalled(THookKind kind) { return Slot(kind).hook != nullptr; }

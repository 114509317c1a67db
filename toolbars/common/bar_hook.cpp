#include "toolbars/common/bar_hook.h"

#include <algorithm>
#include <array>
#include <vector>

#include "framework/exception_hook.h"
#include "framework/thread_hooks.h"

namespace toolbars {

TSetFocusFilterProc SetFocusFilter = nullptr;
bool SetFocusFilterEnabled = true;

namespace {

struct THookRecord {
  THookProc Proc;
  int RefCount;
  THookProcKinds Kinds;
};

// The three platform hooks: index 0 call-window-procedure, 1 computer-based training, 2 get-message.
constexpr size_t kHookCount = 3;
constexpr std::array<THookKind, kHookCount> kPlatformKinds = {THookKind::hkCallWndProc, THookKind::hkCbt,
                                                              THookKind::hkGetMessage};

size_t HookIndexOf(THookProcKind kind) {
  switch (kind) {
    case THookProcKind::hkActivateApp:
    case THookProcKind::hkWindowPosChanged:
      return 0;
    case THookProcKind::hkDestroyWindow:
      return 1;
    case THookProcKind::hkGetMessage:
      break;
  }
  return 2;
}

constexpr std::array<THookProcKind, 4> kAllKinds = {THookProcKind::hkActivateApp, THookProcKind::hkWindowPosChanged,
                                                    THookProcKind::hkDestroyWindow, THookProcKind::hkGetMessage};

std::array<bool, kHookCount> HooksNeeded(THookProcKinds kinds) {
  std::array<bool, kHookCount> needed{};
  for (THookProcKind kind : kAllKinds)
    if (kinds.Contains(kind)) needed[HookIndexOf(kind)] = true;
  return needed;
}

class TSharedHook : public TThreadHookListener {
 public:
  bool HookMessage(THookKind kind, int code, WPARAM wParam, LPARAM lParam) override;
};

std::vector<THookRecord> hookRecords;
std::array<TSharedHook, kHookCount> sharedHooks;
std::array<int, kHookCount> hookUseCounts{};
std::array<bool, kHookCount> hookInstalled{};
// While a notification is being dispatched, a record whose count falls to zero stays in the list (so that the
// positions of the records after it do not move under the dispatch) and is taken out when the dispatch ends.
int dispatchDepth = 0;
bool deadRecords = false;

bool IsDead(const THookRecord& record) { return record.RefCount == 0; }

std::vector<THookRecord>::iterator FindLiveRecord(THookProc proc) {
  return std::find_if(hookRecords.begin(), hookRecords.end(),
                      [&](const THookRecord& r) { return r.Proc == proc && !IsDead(r); });
}

void SweepDeadRecords() {
  if (dispatchDepth > 0 || !deadRecords) return;
  deadRecords = false;
  hookRecords.erase(std::remove_if(hookRecords.begin(), hookRecords.end(), IsDead), hookRecords.end());
  if (hookRecords.empty()) hookRecords.shrink_to_fit();
}

// Calls every record that asked for kind, in list order; a record unregistered meanwhile is not called, one
// registered meanwhile hears the next notification, and one whose procedure raises does not keep the others
// from hearing it: what it raised goes to the application's handler of exceptions.
void CallProcs(THookProcKind kind, HWND wnd, WPARAM wParam, LPARAM lParam) {
  ++dispatchDepth;
  const size_t count = hookRecords.size();
  for (size_t i = 0; i < count; ++i) {
    const THookRecord record = hookRecords[i];
    if (IsDead(record) || !record.Kinds.Contains(kind)) continue;
    try {
      record.Proc(kind, wnd, wParam, lParam);
    } catch (...) {
      ApplicationHandleException(nullptr);
    }
  }
  --dispatchDepth;
  SweepDeadRecords();
}

bool AskFocusFilter(WPARAM wParam, LPARAM lParam) {
  if (!SetFocusFilterEnabled || !SetFocusFilter) return false;
  try {
    return SetFocusFilter(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
  } catch (...) {
    ApplicationHandleException(nullptr);
    return false;
  }
}

bool TSharedHook::HookMessage(THookKind kind, int code, WPARAM wParam, LPARAM lParam) {
  switch (kind) {
    case THookKind::hkCallWndProc: {
      if (hookRecords.empty() || code != HC_ACTION) return false;
      const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
      if (call->message == WM_ACTIVATEAPP)
        CallProcs(THookProcKind::hkActivateApp, call->hwnd, call->wParam, call->lParam);
      else if (call->message == WM_WINDOWPOSCHANGED)
        CallProcs(THookProcKind::hkWindowPosChanged, call->hwnd, call->wParam, call->lParam);
      return false;
    }
    case THookKind::hkCbt:
      if (code == HCBT_SETFOCUS && AskFocusFilter(wParam, lParam)) return true;
      if (!hookRecords.empty() && code == HCBT_DESTROYWND)
        CallProcs(THookProcKind::hkDestroyWindow, reinterpret_cast<HWND>(wParam), 0, 0);
      return false;
    case THookKind::hkGetMessage:
      if (!hookRecords.empty() && code == HC_ACTION) CallProcs(THookProcKind::hkGetMessage, nullptr, wParam, lParam);
      return false;
  }
  return false;
}

void SetHookInstalled(size_t index, bool installed) {
  if (hookInstalled[index] == installed) return;
  hookInstalled[index] = installed;
  if (installed)
    AddThreadHookListener(kPlatformKinds[index], &sharedHooks[index]);
  else
    RemoveThreadHookListener(kPlatformKinds[index], &sharedHooks[index]);
}

}  // namespace

void InstallHookProc(THookProc proc, THookProcKinds kinds, bool onlyIncrementCount) {
  auto found = FindLiveRecord(proc);
  if (found != hookRecords.end())
    ++found->RefCount;
  else
    hookRecords.push_back({proc, 1, kinds});
  if (onlyIncrementCount) return;
  const auto needed = HooksNeeded(kinds);
  for (size_t i = 0; i < kHookCount; ++i) {
    if (!needed[i]) continue;
    ++hookUseCounts[i];
    SetHookInstalled(i, true);
  }
}

void UninstallHookProc(THookProc proc) {
  auto found = FindLiveRecord(proc);
  if (found == hookRecords.end()) return;
  const auto needed = HooksNeeded(found->Kinds);
  if (--found->RefCount == 0) deadRecords = true;
  for (size_t i = 0; i < kHookCount; ++i) {
    if (!needed[i] || hookUseCounts[i] == 0) continue;
    if (--hookUseCounts[i] == 0) SetHookInstalled(i, false);
  }
  SweepDeadRecords();
}

void RemoveAllHookProcs() {
  for (size_t i = 0; i < kHookCount; ++i) {
    hookUseCounts[i] = 0;
    SetHookInstalled(i, false);
  }
  for (THookRecord& record : hookRecords) record.RefCount = 0;
  deadRecords = !hookRecords.empty();
  SweepDeadRecords();
}

int HookUseCount(THookProcKind kind) { return hookUseCounts[HookIndexOf(kind)]; }

}  // namespace toolbars

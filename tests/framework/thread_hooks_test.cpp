#include "framework/thread_hooks.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "framework/exception_hook.h"
#include "framework/exceptions.h"
#include "support/test_window.h"

namespace {

constexpr UINT kProbe = WM_APP + 17;

// Records the windows that received kProbe through the call-window hook and runs an optional action each time.
class TProbeListener : public TThreadHookListener {
 public:
  explicit TProbeListener(const char* name, std::vector<const char*>* log = nullptr) : name_(name), log_(log) {}
  bool HookMessage(THookKind kind, int, WPARAM, LPARAM lParam) override {
    if (kind != THookKind::hkCallWndProc) return false;
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message != kProbe) return false;
    Windows.push_back(call->hwnd);
    if (log_) log_->push_back(name_);
    if (OnProbe) OnProbe();
    return false;
  }
  std::vector<HWND> Windows;
  std::function<void()> OnProbe;

 private:
  const char* name_;
  std::vector<const char*>* log_;
};

}  // namespace

TEST(ThreadHooks, HookComesWithTheFirstListenerAndGoesWithTheLast) {
  TProbeListener a("a"), b("b");
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkCallWndProc));
  AddThreadHookListener(THookKind::hkCallWndProc, &a);
  AddThreadHookListener(THookKind::hkCallWndProc, &b);
  AddThreadHookListener(THookKind::hkCallWndProc, &a);
  EXPECT_TRUE(ThreadHookInstalled(THookKind::hkCallWndProc));
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkCbt)) << "only the kind asked for is installed";
  RemoveThreadHookListener(THookKind::hkCallWndProc, &a);
  EXPECT_TRUE(ThreadHookInstalled(THookKind::hkCallWndProc));
  TTestWindow window;
  SendMessageW(window.Handle(), kProbe, 0, 0);
  EXPECT_TRUE(a.Windows.empty());
  EXPECT_EQ(b.Windows.size(), 1u) << "a listener added twice is one entry";
  RemoveThreadHookListener(THookKind::hkCallWndProc, &b);
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkCallWndProc));
}

TEST(ThreadHooks, EachThreadSeesOnlyItsOwnMessages) {
  TProbeListener mainListener("main");
  AddThreadHookListener(THookKind::hkCallWndProc, &mainListener);
  TTestWindow mainWindow;
  HWND otherWindow = nullptr;
  std::vector<HWND> otherSeen;
  bool otherHookBefore = true;
  std::thread other([&] {
    otherHookBefore = ThreadHookInstalled(THookKind::hkCallWndProc);
    TProbeListener otherListener("other");
    AddThreadHookListener(THookKind::hkCallWndProc, &otherListener);
    TTestWindow window({400, 100, 500, 200});
    otherWindow = window.Handle();
    SendMessageW(window.Handle(), kProbe, 0, 0);
    RemoveThreadHookListener(THookKind::hkCallWndProc, &otherListener);
    otherSeen = otherListener.Windows;
  });
  other.join();
  SendMessageW(mainWindow.Handle(), kProbe, 0, 0);
  RemoveThreadHookListener(THookKind::hkCallWndProc, &mainListener);
  EXPECT_FALSE(otherHookBefore) << "the main thread's hook is not the other thread's";
  EXPECT_EQ(otherSeen, std::vector<HWND>{otherWindow});
  EXPECT_EQ(mainListener.Windows, std::vector<HWND>{mainWindow.Handle()});
}

TEST(ThreadHooks, ListenersAddedOrRemovedWhileDispatchingTakeEffectFromTheNextMessage) {
  std::vector<const char*> log;
  TProbeListener first("first", &log), second("second", &log), third("third", &log);
  first.OnProbe = [&] {
    RemoveThreadHookListener(THookKind::hkCallWndProc, &first);
    RemoveThreadHookListener(THookKind::hkCallWndProc, &second);
    AddThreadHookListener(THookKind::hkCallWndProc, &third);
  };
  AddThreadHookListener(THookKind::hkCallWndProc, &first);
  AddThreadHookListener(THookKind::hkCallWndProc, &second);
  TTestWindow window;
  SendMessageW(window.Handle(), kProbe, 0, 0);
  SendMessageW(window.Handle(), kProbe, 0, 0);
  EXPECT_EQ(log, (std::vector<const char*>{"first", "third"}));
  EXPECT_TRUE(ThreadHookInstalled(THookKind::hkCallWndProc));
  third.OnProbe = [&] { RemoveThreadHookListener(THookKind::hkCallWndProc, &third); };
  SendMessageW(window.Handle(), kProbe, 0, 0);
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkCallWndProc)) << "the last listener took the hook with it";
}

TEST(ThreadHooks, ExceptionStopsAtTheHookAndTheNextListenerStillRuns) {
  String handled;
  SetApplicationExceptionHandler([&](TObject*) {
    try {
      throw;
    } catch (const Exception& e) {
      handled = e.Message();
    }
  });
  TProbeListener failing("failing"), next("next");
  failing.OnProbe = [] { throw EInvalidOperation(L"listener failed"); };
  AddThreadHookListener(THookKind::hkCallWndProc, &failing);
  AddThreadHookListener(THookKind::hkCallWndProc, &next);
  TTestWindow window;
  SendMessageW(window.Handle(), kProbe, 0, 0);
  RemoveThreadHookListener(THookKind::hkCallWndProc, &failing);
  RemoveThreadHookListener(THookKind::hkCallWndProc, &next);
  SetApplicationExceptionHandler(nullptr);
  EXPECT_EQ(handled, L"listener failed");
  EXPECT_EQ(next.Windows.size(), 1u);
}

TEST(ThreadHooks, CbtListenerCanPreventAFocusChangeAndGetMessageSeesRemovedMessages) {
  struct TFocusGuard : TThreadHookListener {
    HWND Protected = nullptr;
    bool HookMessage(THookKind, int code, WPARAM wParam, LPARAM) override {
      return code == HCBT_SETFOCUS && reinterpret_cast<HWND>(wParam) == Protected;
    }
  } guard;
  struct TQueueWatch : TThreadHookListener {
    std::vector<WPARAM> Removals;
    bool HookMessage(THookKind, int, WPARAM wParam, LPARAM lParam) override {
      if (reinterpret_cast<const MSG*>(lParam)->message == kProbe) Removals.push_back(wParam);
      return false;
    }
  } watch;
  TTestWindow first, second({350, 100, 450, 200});
  SetFocus(first.Handle());
  guard.Protected = second.Handle();
  AddThreadHookListener(THookKind::hkCbt, &guard);
  SetFocus(second.Handle());
  EXPECT_EQ(GetFocus(), first.Handle()) << "the listener answered true, so the focus stayed";
  RemoveThreadHookListener(THookKind::hkCbt, &guard);
  SetFocus(second.Handle());
  EXPECT_EQ(GetFocus(), second.Handle());

  AddThreadHookListener(THookKind::hkGetMessage, &watch);
  PostMessageW(first.Handle(), kProbe, 0, 0);
  MSG msg;
  PeekMessageW(&msg, first.Handle(), kProbe, kProbe, PM_NOREMOVE);
  PeekMessageW(&msg, first.Handle(), kProbe, kProbe, PM_REMOVE);
  RemoveThreadHookListener(THookKind::hkGetMessage, &watch);
  EXPECT_EQ(watch.Removals, (std::vector<WPARAM>{PM_NOREMOVE, PM_REMOVE}));
}

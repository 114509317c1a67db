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
constexpr THookKind kCall = THookKind::hkCallWndProc;

// Logs its name and the window each time kProbe passes the call-window hook, then runs OnProbe.
struct TProbeListener : TThreadHookListener {
  TProbeListener(const char* name, std::vector<const char*>* log = nullptr) : Name(name), Log(log) {}
  bool HookMessage(THookKind, int, WPARAM, LPARAM lParam) override {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message != kProbe) return false;
    Windows.push_back(call->hwnd);
    if (Log) Log->push_back(Name);
    if (OnProbe) OnProbe();
    return false;
  }
  const char* Name;
  std::vector<const char*>* Log;
  std::vector<HWND> Windows;
  std::function<void()> OnProbe;
};

}  // namespace

TEST(ThreadHooks, ListenersChangedWhileDispatchingCountFromTheNextMessageAndTheLastTakesTheHook) {
  std::vector<const char*> log;
  TProbeListener first("first", &log), second("second", &log), third("third", &log);
  first.OnProbe = [&] {
    RemoveThreadHookListener(kCall, &first);
    RemoveThreadHookListener(kCall, &second);
    AddThreadHookListener(kCall, &third);
  };
  EXPECT_FALSE(ThreadHookInstalled(kCall));
  AddThreadHookListener(kCall, &first);
  AddThreadHookListener(kCall, &second);
  AddThreadHookListener(kCall, &second);
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkCbt)) << "only the kind asked for is installed";
  TTestWindow window;
  SendMessageW(window.Handle(), kProbe, 0, 0);
  SendMessageW(window.Handle(), kProbe, 0, 0);
  EXPECT_EQ(log, (std::vector<const char*>{"first", "third"}));
  third.OnProbe = [&] { RemoveThreadHookListener(kCall, &third); };
  SendMessageW(window.Handle(), kProbe, 0, 0);
  EXPECT_FALSE(ThreadHookInstalled(kCall));
}

TEST(ThreadHooks, EachThreadSeesOnlyItsOwnMessages) {
  TProbeListener mainListener("main");
  AddThreadHookListener(kCall, &mainListener);
  TTestWindow mainWindow;
  HWND otherWindow = nullptr;
  std::vector<HWND> otherSeen;
  std::thread other([&] {
    TProbeListener otherListener("other");
    AddThreadHookListener(kCall, &otherListener);
    TTestWindow window({400, 100, 500, 200});
    otherWindow = window.Handle();
    SendMessageW(window.Handle(), kProbe, 0, 0);
    RemoveThreadHookListener(kCall, &otherListener);
    otherSeen = otherListener.Windows;
  });
  other.join();
  SendMessageW(mainWindow.Handle(), kProbe, 0, 0);
  RemoveThreadHookListener(kCall, &mainListener);
  EXPECT_EQ(otherSeen, std::vector<HWND>{otherWindow});
  EXPECT_EQ(mainListener.Windows, std::vector<HWND>{mainWindow.Handle()});
}

TEST(ThreadHooks, ExceptionStopsAtTheHookAndTheNextListenerStillRuns) {
  String handled;
  const TExceptionHandler previous = SetApplicationExceptionHandler([&](TObject*) {
    try {
      throw;
    } catch (const Exception& e) {
      handled = e.Message();
    }
  });
  TProbeListener failing("failing"), next("next");
  failing.OnProbe = [] { throw EInvalidOperation(L"listener failed"); };
  AddThreadHookListener(kCall, &failing);
  AddThreadHookListener(kCall, &next);
  TTestWindow window;
  SendMessageW(window.Handle(), kProbe, 0, 0);
  RemoveThreadHookListener(kCall, &failing);
  RemoveThreadHookListener(kCall, &next);
  SetApplicationExceptionHandler(previous);
  EXPECT_EQ(handled, L"listener failed");
  EXPECT_EQ(next.Windows.size(), 1u);
}

TEST(ThreadHooks, CbtListenerAnsweringTruePreventsAFocusChange) {
  struct TFocusGuard : TThreadHookListener {
    HWND Protected = nullptr;
    bool HookMessage(THookKind, int code, WPARAM wParam, LPARAM) override {
      return code == HCBT_SETFOCUS && reinterpret_cast<HWND>(wParam) == Protected;
    }
  } guard;
  TTestWindow first, second({350, 100, 450, 200});
  SetFocus(first.Handle());
  guard.Protected = second.Handle();
  AddThreadHookListener(THookKind::hkCbt, &guard);
  SetFocus(second.Handle());
  EXPECT_EQ(GetFocus(), first.Handle());
  RemoveThreadHookListener(THookKind::hkCbt, &guard);
  SetFocus(second.Handle());
  EXPECT_EQ(GetFocus(), second.Handle());
}

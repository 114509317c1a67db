#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "framework/exception_hook.h"
#include "framework/thread_hooks.h"
#include "support/test_window.h"
#include "toolbars/common/bar_hook.h"

using namespace toolbars;

namespace {

struct THeard {
  THookProcKind Kind;
  HWND Wnd;
};
std::vector<THeard> firstHeard;
std::vector<THeard> secondHeard;

void FirstProc(THookProcKind kind, HWND wnd, WPARAM, LPARAM) { firstHeard.push_back({kind, wnd}); }
void SecondProc(THookProcKind kind, HWND wnd, WPARAM, LPARAM) { secondHeard.push_back({kind, wnd}); }
void RaisingProc(THookProcKind, HWND, WPARAM, LPARAM) { throw std::runtime_error("listener failed"); }
int leavingHeard = 0;
void LeavingProc(THookProcKind, HWND, WPARAM, LPARAM) {
  ++leavingHeard;
  UninstallHookProc(&LeavingProc);
}
// Leaves, comes back and leaves again, all inside one notification.
void ReturningProc(THookProcKind kind, HWND, WPARAM, LPARAM) {
  ++leavingHeard;
  UninstallHookProc(&ReturningProc);
  InstallHookProc(&ReturningProc, {kind}, false);
  UninstallHookProc(&ReturningProc);
}

HWND protectedWindow = nullptr;
int filterAsked = 0;
bool CALLBACK KeepFocusOffProtected(HWND focusWnd, HWND) {
  ++filterAsked;
  return focusWnd == protectedWindow;
}

class SharedThreadHook : public testing::Test {
 protected:
  void SetUp() override {
    firstHeard.clear();
    secondHeard.clear();
  }
  void TearDown() override {
    RemoveAllHookProcs();
    SetFocusFilter = nullptr;
    SetFocusFilterEnabled = true;
  }
};

}  // namespace

TEST_F(SharedThreadHook, HooksComeWithTheirFirstUserAndGoWithTheLast) {
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkCbt));
  InstallHookProc(&FirstProc, {THookProcKind::hkDestroyWindow}, false);
  EXPECT_TRUE(ThreadHookInstalled(THookKind::hkCbt));
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkGetMessage));
  InstallHookProc(&FirstProc, {THookProcKind::hkDestroyWindow}, false);
  EXPECT_EQ(HookUseCount(THookProcKind::hkDestroyWindow), 2);
  // Twice registered, once unregistered: the record stays, the hook's count falls once.
  UninstallHookProc(&FirstProc);
  EXPECT_EQ(HookUseCount(THookProcKind::hkDestroyWindow), 1);
  {
    TTestWindow window;
    HWND handle = window.Handle();
    (void)handle;
  }
  ASSERT_EQ(firstHeard.size(), 1u);
  EXPECT_EQ(firstHeard[0].Kind, THookProcKind::hkDestroyWindow);
  UninstallHookProc(&FirstProc);
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkCbt));
  // Unregistering what is not registered changes nothing.
  UninstallHookProc(&FirstProc);
  EXPECT_EQ(HookUseCount(THookProcKind::hkDestroyWindow), 0);
}

TEST_F(SharedThreadHook, OnlyCountingInstallsNoHookAndNeverGoesBelowZero) {
  InstallHookProc(&FirstProc, {THookProcKind::hkGetMessage}, true);
  EXPECT_FALSE(ThreadHookInstalled(THookKind::hkGetMessage));
  EXPECT_EQ(HookUseCount(THookProcKind::hkGetMessage), 0);
  UninstallHookProc(&FirstProc);
  EXPECT_EQ(HookUseCount(THookProcKind::hkGetMessage), 0);
}

TEST_F(SharedThreadHook, EachProcHearsTheKindsItAskedForInOrder) {
  int reported = 0;
  const TExceptionHandler previous = SetApplicationExceptionHandler([&reported](TObject*) {
    try {
      throw;
    } catch (const std::runtime_error&) {
      ++reported;
    }
  });
  InstallHookProc(&RaisingProc, {THookProcKind::hkWindowPosChanged, THookProcKind::hkDestroyWindow}, false);
  InstallHookProc(&FirstProc, {THookProcKind::hkWindowPosChanged}, false);
  InstallHookProc(&SecondProc, {THookProcKind::hkDestroyWindow, THookProcKind::hkGetMessage}, false);
  HWND handle = nullptr;
  {
    TTestWindow window;
    handle = window.Handle();
    SetWindowPos(handle, nullptr, 5, 5, 50, 50, SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(handle, WM_NULL, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, handle, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  SetApplicationExceptionHandler(previous);
  // The raising procedure comes first in the list and keeps nobody from hearing; what it raised reached the
  // application's handler of exceptions.
  EXPECT_GT(reported, 0);
  ASSERT_FALSE(firstHeard.empty());
  for (const THeard& heard : firstHeard) EXPECT_EQ(heard.Kind, THookProcKind::hkWindowPosChanged);
  EXPECT_EQ(firstHeard.front().Wnd, handle);
  bool heardDestroy = false;
  bool heardMessage = false;
  for (const THeard& heard : secondHeard) {
    heardDestroy |= heard.Kind == THookProcKind::hkDestroyWindow && heard.Wnd == handle;
    heardMessage |= heard.Kind == THookProcKind::hkGetMessage;
    EXPECT_NE(heard.Kind, THookProcKind::hkWindowPosChanged);
  }
  EXPECT_TRUE(heardDestroy);
  EXPECT_TRUE(heardMessage);
}

TEST_F(SharedThreadHook, FocusFilterKeepsTheFocusWhereItIs) {
  TTestWindow focused;
  TTestWindow guarded({320, 100, 420, 200});
  protectedWindow = guarded.Handle();
  InstallHookProc(&FirstProc, {THookProcKind::hkDestroyWindow}, false);
  SetForegroundWindow(focused.Handle());
  SetFocus(focused.Handle());
  ASSERT_EQ(GetFocus(), focused.Handle());
  SetFocusFilter = &KeepFocusOffProtected;
  filterAsked = 0;
  SetFocus(guarded.Handle());
  EXPECT_EQ(GetFocus(), focused.Handle()) << "the filter refused the change";
  EXPECT_GT(filterAsked, 0);
  SetFocusFilterEnabled = false;
  filterAsked = 0;
  SetFocus(guarded.Handle());
  EXPECT_EQ(filterAsked, 0);
  EXPECT_EQ(GetFocus(), guarded.Handle());
}

TEST_F(SharedThreadHook, AProcLeavingDuringADispatchKeepsNobodyElseFromHearingIt) {
  for (THookProc leaving : {&LeavingProc, &ReturningProc}) {
    SCOPED_TRACE(leaving == &LeavingProc ? "leaving" : "leaving, returning and leaving again");
    firstHeard.clear();
    secondHeard.clear();
    leavingHeard = 0;
    InstallHookProc(&FirstProc, {THookProcKind::hkDestroyWindow}, false);
    InstallHookProc(leaving, {THookProcKind::hkDestroyWindow}, false);
    InstallHookProc(&SecondProc, {THookProcKind::hkDestroyWindow}, false);
    HWND handle = nullptr;
    {
      TTestWindow window;
      handle = window.Handle();
    }
    EXPECT_EQ(leavingHeard, 1);
    ASSERT_EQ(firstHeard.size(), 1u);
    ASSERT_EQ(secondHeard.size(), 1u) << "the procedure after the leaving one still hears the notification";
    EXPECT_EQ(secondHeard[0].Wnd, handle);
    // The one that left hears nothing more; the others go on hearing.
    { TTestWindow another; }
    EXPECT_EQ(leavingHeard, 1);
    EXPECT_EQ(secondHeard.size(), 2u);
    UninstallHookProc(&FirstProc);
    UninstallHookProc(&SecondProc);
    EXPECT_EQ(HookUseCount(THookProcKind::hkDestroyWindow), 0);
    EXPECT_FALSE(ThreadHookInstalled(THookKind::hkCbt));
  }
}

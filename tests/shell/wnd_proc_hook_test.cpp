#include "shell/system/wnd_proc_hook.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/application.h"
#include "framework/exception_hook.h"
#include "framework/exceptions.h"
#include "framework/form.h"
#include "support/hostile_input.h"
#include "support/test_window.h"

using namespace shell;

namespace {

constexpr UINT kProbe = WM_APP + 7;

// Each hook writes its name into a shared log before and after the message passes it.
struct TLoggedHook {
  TLoggedHook(const wchar_t* name, String& log, TComponent* owner = nullptr) : Hook(owner) {
    Hook.OnMessageBefore = [name, &log](TObject*, TMessage& m, bool&) {
      if (m.Msg == kProbe) log += String(name) + L"<";
    };
    Hook.OnMessageAfter = [name, &log](TObject*, TMessage& m, bool&) {
      if (m.Msg == kProbe) log += String(name) + L">";
    };
  }
  TSysWndProcHook Hook;
};

TEST(WindowProcedureHook, ChainsLaterHooksFirst) {
  String log;
  TTestWindow window({10, 10, 110, 110}, [&log](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != kProbe) return std::nullopt;
    log += L"own";
    return 42;
  });
  const LONG_PTR ownProc = GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC);
  auto earlier = std::make_unique<TLoggedHook>(L"A", log);
  TLoggedHook later(L"B", log);
  for (TLoggedHook* h : {earlier.get(), &later}) {
    EXPECT_TRUE(h->Hook.SetHandle(window.Handle()).Alive());
    h->Hook.SetActive(true);
  }
  EXPECT_EQ(SendMessageW(window.Handle(), kProbe, 0, 0), 42);
  EXPECT_EQ(log, L"B<A<ownA>B>");

  log.clear();
  earlier.reset();
  EXPECT_EQ(SendMessageW(window.Handle(), kProbe, 0, 0), 42);
  EXPECT_EQ(log, L"B<ownB>");

  // A handled message ends at the hook.
  log.clear();
  later.Hook.OnMessageBefore = [](TObject*, TMessage& m, bool& handled) {
    handled = m.Msg == kProbe;
    m.Result = 7;
  };
  EXPECT_EQ(SendMessageW(window.Handle(), kProbe, 0, 0), 7);
  EXPECT_EQ(log, L"B>");

  later.Hook.SetActive(false);
  EXPECT_EQ(GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC), ownProc);
}

TEST(WindowProcedureHook, AutoDragTurnsAPressIntoAMove) {
  String log;
  TTestWindow window({10, 10, 110, 110}, [&log](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_LBUTTONDOWN) log += L"press ";
    return std::nullopt;
  });
  TSysWndProcHook drag;
  EXPECT_TRUE(drag.SetHandle(window.Handle()).Alive());
  drag.SetAutoDrag(true);
  drag.SetActive(true);
  // The later hook takes the move command, so no modal move loop starts.
  TSysWndProcHook guard;
  EXPECT_TRUE(guard.SetHandle(window.Handle()).Alive());
  guard.OnMessageBefore = [&log](TObject*, TMessage& m, bool& handled) {
    if (m.Msg != WM_SYSCOMMAND) return;
    log += L"move " + std::to_wstring(m.WParam);
    handled = true;
  };
  guard.SetActive(true);
  SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(log, L"move " + std::to_wstring(SC_MOVE | HTCAPTION));
}

TEST(WindowProcedureHook, FollowsItsControlIntoANewWindow) {
  TForm form(nullptr);
  EXPECT_TRUE(form.SetBounds(20, 20, 200, 150).Alive());
  String log;
  TLoggedHook hook(L"H", log, &form);
  hook.Hook.SetActive(true);
  HWND first = form.Handle();
  SendMessageW(first, kProbe, 0, 0);
  EXPECT_EQ(log, L"H<H>");

  form.RecreateWnd();
  HWND second = form.Handle();
  ASSERT_NE(second, first);
  EXPECT_TRUE(hook.Hook.Active());
  log.clear();
  SendMessageW(second, kProbe, 0, 0);
  EXPECT_EQ(log, L"H<H>");
  EXPECT_EQ(hook.Hook.GetHandle(), second);
}

// Three hooks on one window, made under the allocation guard so that a touch of a freed one faults; the middle
// one is freed at one point of a message's way. The message goes on to the earlier hook and the window, and the
// hooks that live see it as before.
TEST(WindowProcedureHook, AHookFreedOnTheWayOfItsMessage) {
  const struct {
    const char* Name;
    const wchar_t* FreedAt;  // the step of the log at which the middle hook goes
    const wchar_t* Log;
  } cases[] = {
      {"in its own before handler", L"B<", L"C<B<A<ownA>C>"},
      {"in its own after handler", L"B>", L"C<B<A<ownA>B>C>"},
      {"by an earlier hook", L"A<", L"C<B<A<ownA>C>"},
      {"by the window", L"own", L"C<B<A<ownA>C>"},
      {"by a later hook", L"C<", L"C<A<ownA>C>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    String log;
    std::unique_ptr<TSysWndProcHook> middle;
    auto step = [&](const wchar_t* name) {
      log += name;
      if (c.FreedAt == String(name)) middle.reset();
    };
    TTestWindow window({10, 10, 110, 110}, [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg != kProbe) return std::nullopt;
      step(L"own");
      return 42;
    });
    TGuardedAllocations guard;
    auto makeHook = [&](const wchar_t* name) {
      auto hook = std::make_unique<TSysWndProcHook>();
      const String before = String(name) + L"<";
      const String after = String(name) + L">";
      hook->OnMessageBefore = [&step, before](TObject*, TMessage& m, bool&) {
        if (m.Msg == kProbe) step(before.c_str());
      };
      hook->OnMessageAfter = [&step, after](TObject*, TMessage& m, bool&) {
        if (m.Msg == kProbe) step(after.c_str());
      };
      EXPECT_TRUE(hook->SetHandle(window.Handle()).Alive());
      hook->SetActive(true);
      return hook;
    };
    auto earlier = makeHook(L"A");
    middle = makeHook(L"B");
    auto later = makeHook(L"C");
    EXPECT_EQ(SendMessageW(window.Handle(), kProbe, 0, 0), 42);
    EXPECT_EQ(log, c.Log);
    EXPECT_EQ(middle, nullptr);
    log.clear();
    SendMessageW(window.Handle(), kProbe, 0, 0);
    EXPECT_EQ(log, L"C<A<ownA>C>");
  }
}

// A handler that frees its hook and then raises: the exception is reported without the freed hook as sender.
TEST(WindowProcedureHook, AHookFreedByAHandlerThatRaises) {
  std::vector<TObject*> senders;
  SetApplicationExceptionHandler([&senders](TObject* sender) { senders.push_back(sender); });
  TTestWindow window({10, 10, 110, 110}, [](HWND, UINT, WPARAM, LPARAM) -> std::optional<LRESULT> { return {}; });
  {
    TGuardedAllocations guard;
    auto hook = std::make_unique<TSysWndProcHook>();
    hook->OnMessageBefore = [&hook](TObject*, TMessage& m, bool&) {
      if (m.Msg != kProbe) return;
      hook.reset();
      throw Exception(L"raised after freeing");
    };
    EXPECT_TRUE(hook->SetHandle(window.Handle()).Alive());
    hook->SetActive(true);
    SendMessageW(window.Handle(), kProbe, 0, 0);
    EXPECT_EQ(hook, nullptr);
  }
  SetApplicationExceptionHandler([](TObject* sender) { Application->HandleException(sender); });
  EXPECT_EQ(senders, std::vector<TObject*>{nullptr});
}

}  // namespace

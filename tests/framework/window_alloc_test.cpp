#include "framework/window_alloc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework/exception_hook.h"
#include "framework/exceptions.h"
#include "support/modal_input.h"
#include "support/test_environment.h"

namespace {

constexpr UINT kQuestion = WM_APP + 10;

// A plain object that hears numbered messages through Dispatch, as themes and listeners do.
class TListener : public TObject {
 public:
  void Dispatch(TMessage& message) override {
    if (message.Msg == kQuestion) {
      heard.push_back(message.WParam);
      message.Result = static_cast<LRESULT>(message.WParam * 2);
    } else {
      TObject::Dispatch(message);
    }
  }
  void DefaultHandler(TMessage& message) override {
    message.Result = DefWindowProcW(wnd, message.Msg, message.WParam, message.LParam);
  }
  void WndProc(TMessage& message) {
    if (message.Msg == WM_SYSCOLORCHANGE) ++colourChanges;
    Dispatch(message);
  }

  HWND wnd = nullptr;
  std::vector<WPARAM> heard;
  int colourChanges = 0;
};

}  // namespace

TEST(AllocateHWnd, SentAndPostedMessagesReachTheObjectsDispatch) {
  TListener listener;
  listener.wnd = AllocateHWnd(TWndMethod(&listener, &TListener::WndProc));
  ASSERT_TRUE(IsWindow(listener.wnd));
  EXPECT_FALSE(IsWindowVisible(listener.wnd));

  EXPECT_EQ(42, SendMessageW(listener.wnd, kQuestion, 21, 0));
  PostMessageW(listener.wnd, kQuestion, 5, 0);
  ProcessPendingMessages();
  // Unhandled messages reach DefWindowProc through DefaultHandler: the window keeps its text.
  SendMessageW(listener.wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"util"));
  wchar_t text[16] = {};
  GetWindowTextW(listener.wnd, text, 16);

  EXPECT_EQ((std::vector<WPARAM>{21, 5}), listener.heard);
  EXPECT_STREQ(L"util", text);
  DeallocateHWnd(listener.wnd);
  EXPECT_FALSE(IsWindow(listener.wnd));
}

TEST(AllocateHWnd, HiddenWindowHearsSystemColourBroadcasts) {
  TListener listener;
  listener.wnd = AllocateHWnd(TWndMethod(&listener, &TListener::WndProc));
  {
    TTestEnvironment environment;
    environment.SetSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
    ProcessPendingMessages();
  }
  ProcessPendingMessages();
  DeallocateHWnd(listener.wnd);
  EXPECT_GE(listener.colourChanges, 2);
}

TEST(AllocateHWnd, DeallocationIsNotReportedToTheDelegate) {
  std::vector<UINT> seen;
  HWND wnd = AllocateHWnd([&](TMessage& message) { seen.push_back(message.Msg); });
  DeallocateHWnd(wnd);
  DeallocateHWnd(nullptr);
  EXPECT_EQ(0, std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_DESTROY)));
  EXPECT_EQ(0, std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_NCDESTROY)));
}

TEST(AllocateHWnd, DelegateMayDeallocateItsOwnWindow) {
  HWND wnd = nullptr;
  int calls = 0;
  wnd = AllocateHWnd([&](TMessage& message) {
    if (message.Msg != kQuestion) return;
    ++calls;
    DeallocateHWnd(wnd);
    message.Result = 7;
  });
  EXPECT_EQ(7, SendMessageW(wnd, kQuestion, 0, 0));
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(1, calls);
}

TEST(AllocateHWnd, ExceptionsStopAtTheWindowAndGoToTheApplicationHandler) {
  String handled;
  const TExceptionHandler previous = SetApplicationExceptionHandler([&](TObject*) {
    try {
      throw;
    } catch (const Exception& e) {
      handled = e.Message();
    }
  });
  HWND wnd = AllocateHWnd([](TMessage& message) {
    if (message.Msg == kQuestion) throw EInvalidOperation(L"refused");
  });
  SendMessageW(wnd, kQuestion, 0, 0);
  DeallocateHWnd(wnd);
  SetApplicationExceptionHandler(previous);
  EXPECT_EQ(L"refused", handled);
}

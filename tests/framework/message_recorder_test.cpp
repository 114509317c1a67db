#include "support/message_recorder.h"

#include <gtest/gtest-spi.h>

#include "support/modal_input.h"
#include "support/test_window.h"

namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kPong = WM_APP + 2;

}  // namespace

TEST(MessageRecorder, RecordsSentAndPostedMessagesOfASubclassedWindow) {
  TTestWindow window;
  TMessageRecorder recorder;
  recorder.Attach(window.Handle());
  SendMessageW(window.Handle(), kPing, 7, 8);
  PostMessageW(window.Handle(), kPong, 9, 10);
  ProcessPendingMessages();
  SetWindowPos(window.Handle(), nullptr, 0, 0, 50, 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  EXPECT_TRUE(recorder.ContainsInOrder({Expect(kPing).WParam(7).LParam(8), Expect(kPong).WParam(9).LParam(10),
                                        WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
                                        Expect(WM_SIZE).LParam(MAKELPARAM(50, 40)).On(window.Handle())}));
  EXPECT_EQ(1, recorder.Count(kPong));
  ASSERT_EQ(1u, recorder.Of(kPing).size());
  EXPECT_EQ(window.Handle(), recorder.Of(kPing)[0].Wnd);
}

TEST(MessageRecorder, ExactMatchHonoursOptionalEntriesAndIgnoredMessages) {
  TTestWindow window;
  TMessageRecorder recorder;
  recorder.Ignore({WM_NULL});
  recorder.Attach(window.Handle());
  SendMessageW(window.Handle(), kPing, 0, 0);
  SendMessageW(window.Handle(), WM_NULL, 0, 0);
  SendMessageW(window.Handle(), kPong, 0, 0);

  EXPECT_TRUE(recorder.Matches({{kPing}, Expect(WM_TIMER).Optional(), {kPong}}));
  EXPECT_TRUE(recorder.Matches({{kPing}, {kPong}, Expect(WM_TIMER).Optional()}));
  EXPECT_FALSE(recorder.Matches({{kPing}}));
  EXPECT_FALSE(recorder.Matches({{kPong}, {kPing}}));
  EXPECT_FALSE(recorder.Matches({{kPing}, {kPong}, {WM_TIMER}}));
  EXPECT_FALSE(recorder.Matches({Expect(kPing).WParam(1), {kPong}}));
  EXPECT_FALSE(recorder.ContainsInOrder({{kPong}, {kPing}}));
}

TEST(MessageRecorder, FailureNamesTheMessagesOnBothSides) {
  TTestWindow window;
  TMessageRecorder recorder;
  recorder.Attach(window.Handle());
  SendMessageW(window.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));

  testing::AssertionResult result = recorder.Matches({{WM_CLOSE}});
  ASSERT_FALSE(result);
  std::string text = result.message();
  EXPECT_NE(std::string::npos, text.find("WM_CLOSE")) << text;
  EXPECT_NE(std::string::npos, text.find("WM_SETTEXT")) << text;
}

TEST(MessageRecorder, ThreadHookSeesCreationOfWindowsMadeLater) {
  TMessageRecorder recorder;
  recorder.HookThread();
  TTestWindow window;
  HWND handle = window.Handle();
  recorder.Unhook();
  SendMessageW(handle, kPing, 0, 0);

  EXPECT_TRUE(recorder.ContainsInOrder({Expect(WM_NCCREATE).On(handle), Expect(WM_CREATE).On(handle)}));
  EXPECT_EQ(0, recorder.Count(kPing));
}

TEST(MessageRecorder, ThreadHookFilterChoosesWindows) {
  // Hidden, so that no WM_PAINT joins the record.
  TTestWindow watched({0, 0, 50, 50}, {}, WS_POPUP);
  TTestWindow other({0, 0, 50, 50}, {}, WS_POPUP);
  TMessageRecorder recorder;
  HWND watchedHandle = watched.Handle();
  recorder.HookThread([watchedHandle](HWND wnd) { return wnd == watchedHandle; });
  SendMessageW(other.Handle(), kPing, 0, 0);
  SendMessageW(watched.Handle(), kPong, 0, 0);
  PostMessageW(watched.Handle(), kPing, 0, 0);
  ProcessPendingMessages();

  EXPECT_TRUE(recorder.Matches({{kPong}, {kPing}}));
}

TEST(MessageRecorder, WindowDestroyedWhileAttachedEndsTheRecordCleanly) {
  TMessageRecorder recorder;
  HWND handle;
  {
    TTestWindow window;
    handle = window.Handle();
    recorder.Attach(handle);
  }
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_TRUE(recorder.ContainsInOrder({{WM_DESTROY}, {WM_NCDESTROY}}));
  recorder.Clear();
  EXPECT_TRUE(recorder.Messages().empty());
}

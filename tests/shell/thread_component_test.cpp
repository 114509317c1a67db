#include "shell/system/thread_component.h"

#include <gtest/gtest.h>

#include <atomic>

#include "framework/form_reader.h"
#include "framework/thread.h"
#include "support/message_pump.h"
#include "shell/system/color_picker.h"
#include "shell/system/start_button.h"
#include "support/test_window.h"

using namespace shell;

namespace {

TEST(ThreadComponent, RunsItsHandlerOnceWhereItIsAskedTo) {
  for (bool synchronized : {false, true}) {
    TSysThreadComponent component;
    std::atomic<int> runs{0};
    std::atomic<DWORD> thread{0};
    component.OnExecute = [&](TObject* sender) {
      EXPECT_EQ(sender, &component);
      thread = GetCurrentThreadId();
      ++runs;
    };
    component.SetSynchronized(synchronized);
    EXPECT_TRUE(component.Suspended());
    PumpFor(50);
    EXPECT_EQ(runs, 0);
    component.SetSuspended(false);
    EXPECT_TRUE(PumpUntil([&] { return component.Thread()->Finished(); }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(thread == MainThreadID(), synchronized);
  }
}

TEST(ThreadComponent, StartsFromAStoredFormAndReportsExceptions) {
  const String text =
      L"object Worker: TSysThreadComponent\n"
      L"  Suspended = False\n"
      L"end\n";
  std::atomic<int> runs{0};
  String reported;
  TSysThreadComponent* component = new TSysThreadComponent(nullptr);
  component->OnExecute = [&](TObject*) {
    ++runs;
    throw EAbort(L"stopped here");
  };
  component->OnException = [&](TObject* e) { reported = static_cast<Exception*>(e)->Message(); };
  std::unique_ptr<TComponent> owned(ReadComponentFromText(text, component));
  EXPECT_TRUE(PumpUntil([&] { return component->Thread()->Finished(); }));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(reported, L"stopped here");
}

TEST(ThreadComponent, RestartLeavesARunningHandlerBehind) {
  TSysThreadComponent component;
  std::atomic<int> runs{0};
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  component.OnExecute = [&](TObject*) {
    ++runs;
    WaitForSingleObject(release, 5000);
  };
  component.SetSuspended(false);
  EXPECT_TRUE(PumpUntil([&] { return runs == 1; }));
  TSysEventThread* first = component.Thread();
  component.Restart();
  EXPECT_NE(component.Thread(), first);
  EXPECT_TRUE(PumpUntil([&] { return runs == 2; }));
  SetEvent(release);
  EXPECT_TRUE(PumpUntil([&] { return component.Thread()->Finished(); }));
  PumpFor(50);
  EXPECT_EQ(runs, 2);
  CloseHandle(release);
}

TEST(ThreadComponent, SynchronizesDataWithTheMainThread) {
  TSysThreadComponent component;
  std::atomic<DWORD> ranOn{0};
  int value = 0;
  component.OnExecute = [&](TObject*) {
    component.SynchronizeWithData(&value, [&](void* data) {
      ranOn = GetCurrentThreadId();
      *static_cast<int*>(data) = 42;
    });
  };
  component.SetSuspended(false);
  EXPECT_TRUE(PumpUntil([&] { return component.Thread()->Finished(); }));
  EXPECT_EQ(value, 42);
  EXPECT_EQ(ranOn, MainThreadID());
}

TEST(ThreadTimer, TicksWhileEnabled) {
  TSysThreadTimer timer;
  std::atomic<int> ticks{0};
  timer.OnExecute = [&](TObject*) { ++ticks; };
  timer.SetInterval(20);
  EXPECT_EQ(timer.Interval(), 20u);
  EXPECT_FALSE(timer.Enabled());
  PumpFor(100);
  EXPECT_EQ(ticks, 0);
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  timer.SetEnabled(false);
  const int stopped = ticks;
  PumpFor(100);
  EXPECT_LE(ticks, stopped + 1);
  // A long interval is cut short by a new one.
  timer.SetInterval(60000);
  timer.SetEnabled(true);
  timer.SetInterval(20);
  const int before = ticks;
  EXPECT_TRUE(PumpUntil([&] { return ticks > before; }, 2000));
}

TEST(ColorPicker, ReadsThePixelUnderTheCursorOnEachTick) {
  TTestWindow window({200, 200, 260, 260}, [](HWND wnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_PAINT) return std::nullopt;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(wnd, &paint);
    HBRUSH brush = CreateSolidBrush(RGB(200, 40, 10));
    FillRect(dc, &paint.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(wnd, &paint);
    return 0;
  });
  UpdateWindow(window.Handle());
  SetCursorPos(230, 230);
  TSysColorPicker picker;
  EXPECT_EQ(picker.Interval(), 100u);
  TColor seen = clNone;
  picker.SetOnTimer([&](TObject*) { seen = picker.GetColor(); });
  picker.SetCursor(crCross);
  EXPECT_TRUE(PumpUntil([&] { return seen != clNone; }));
  EXPECT_EQ(seen, static_cast<TColor>(RGB(200, 40, 10)));
}

TEST(StartButton, WithoutATaskbarEveryCallFailsQuietly) {
  TSysStartButtonProperties button;
  if (button.Handle()) GTEST_SKIP() << "a taskbar is present";
  button.SetButtonLeft(10);
  button.SetVisible(false);
  EXPECT_EQ(button.ButtonLeft(), 0);
  EXPECT_FALSE(button.Visible());
  EXPECT_FALSE(button.Enabled());
}

}  // namespace

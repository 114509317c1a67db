#include "framework/timer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/exception_hook.h"
#include "framework/exceptions.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/properties.h"
#include "support/modal_input.h"

namespace {

// Runs a message loop until done() says so; the watchdog of RunModalWithInput ends a loop that never finishes.
bool RunLoopUntil(const std::function<bool()>& done, DWORD maxMilliseconds = 3000) {
  return RunModalWithInput([] {},
                           [&] {
                             MSG msg;
                             while (!done() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
                               TranslateMessage(&msg);
                               DispatchMessageW(&msg);
                             }
                           },
                           maxMilliseconds);
}

// Runs the thread's messages for a while, so that a timer that should not run has had its chance.
void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (DWORD elapsed; (elapsed = GetTickCount() - start) < milliseconds;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

TEST(Timer, FiresRepeatedlyFromTheMessageLoopUntilDisabled) {
  TTimer timer;
  timer.SetInterval(15);
  int ticks = 0;
  timer.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    if (++ticks == 3) timer.SetEnabled(false);
  });
  EXPECT_TRUE(RunLoopUntil([&] { return ticks >= 3; }));
  PumpFor(100);
  EXPECT_EQ(ticks, 3) << "a disabled timer stays quiet";
}

TEST(Timer, RunsOnlyWhenEnabledWithAnInterval) {
  TTimer timer;
  int ticks = 0;
  timer.SetEnabled(false);
  timer.SetInterval(10);
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  PumpFor(80);
  EXPECT_EQ(ticks, 0);
  timer.SetInterval(0);
  timer.SetEnabled(true);
  PumpFor(80);
  EXPECT_EQ(ticks, 0) << "interval 0 stops the timer";
  timer.SetInterval(10);
  EXPECT_TRUE(RunLoopUntil([&] { return ticks >= 1; }));
}

TEST(Timer, HandlerExceptionsGoToTheApplicationHandlerWithTheTimerAsSender) {
  TTimer timer;
  TObject* reportedSender = nullptr;
  String reported;
  const TExceptionHandler previous = SetApplicationExceptionHandler([&](TObject* sender) {
    reportedSender = sender;
    try {
      throw;
    } catch (const Exception& e) {
      reported = e.Message();
    }
  });
  timer.SetInterval(10);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    timer.SetEnabled(false);
    throw EInvalidOperation(L"tick failed");
  });
  EXPECT_TRUE(RunLoopUntil([&] { return ticks >= 1; }));
  SetApplicationExceptionHandler(previous);
  EXPECT_EQ(reportedSender, &timer);
  EXPECT_EQ(reported, L"tick failed");
}

TEST(Timer, AHandlerMayFreeItsOwnTimer) {
  auto timer = new TTimer();
  timer->SetInterval(10);
  bool freed = false;
  timer->SetOnTimer([&](TObject*) {
    delete timer;
    freed = true;
  });
  EXPECT_TRUE(RunLoopUntil([&] { return freed; }));
}

// The windows of this thread: top-level ones, and message-only ones.
int ThreadWindowCount(HWND parent) {
  int count = 0;
  for (HWND wnd = FindWindowExW(parent, nullptr, nullptr, nullptr); wnd;
       wnd = FindWindowExW(parent, wnd, nullptr, nullptr))
    if (GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId()) ++count;
  return count;
}

TEST(Timer, TheTimersOfAThreadShareOneMessageOnlyWindowWhileAnyRuns) {
  const int topLevel = ThreadWindowCount(nullptr);
  const int messageOnly = ThreadWindowCount(HWND_MESSAGE);
  for (int round = 0; round < 3; ++round) {
    std::vector<std::unique_ptr<TTimer>> timers;
    for (int i = 0; i < 1000; ++i) timers.push_back(std::make_unique<TTimer>());
    EXPECT_EQ(ThreadWindowCount(nullptr), topLevel) << "a timer that never runs makes no window";
    EXPECT_EQ(ThreadWindowCount(HWND_MESSAGE), messageOnly);
    int ticks = 0;
    for (int i = 0; i < 1000; i += 10) {
      timers[i]->SetInterval(1);
      timers[i]->SetOnTimer([&](TObject*) { ++ticks; });
    }
    EXPECT_EQ(ThreadWindowCount(nullptr), topLevel);
    EXPECT_EQ(ThreadWindowCount(HWND_MESSAGE), messageOnly + 1);
    EXPECT_TRUE(RunLoopUntil([&] { return ticks >= 100; }));
    timers.clear();
    EXPECT_EQ(ThreadWindowCount(HWND_MESSAGE), messageOnly) << "the window goes with the thread's last timer";
  }
}

// A timer freed by another's handler, while its own tick may be waiting, hears nothing more; the others go on.
TEST(Timer, ATimerFreedByAnotherHearsNothingMore) {
  auto victim = new TTimer();
  TTimer killer;
  TTimer survivor;
  int victimTicks = 0;
  int survivorTicks = 0;
  victim->SetInterval(1);
  victim->SetOnTimer([&](TObject*) { ++victimTicks; });
  survivor.SetInterval(1);
  survivor.SetOnTimer([&](TObject*) { ++survivorTicks; });
  killer.SetInterval(1);
  killer.SetOnTimer([&](TObject*) {
    if (!victim) return;
    delete victim;
    victim = nullptr;
  });
  EXPECT_TRUE(RunLoopUntil([&] { return victim == nullptr; }));
  const int ticksWhenFreed = victimTicks;
  const int survivorWhenFreed = survivorTicks;
  EXPECT_TRUE(RunLoopUntil([&] { return survivorTicks >= survivorWhenFreed + 5; }));
  EXPECT_EQ(victimTicks, ticksWhenFreed);
}

class TTimerForm : public TComponent {
  BC_CLASS(TTimerForm, TComponent)
  using TComponent::TComponent;
  void Tick(TObject*) {}
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    (void)root;
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
  }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TTimerForm>;
    static const TPublishedTable table(&inherited::PublishedTable(), {}, {P::Method(L"Tick", &TTimerForm::Tick)});
    return table;
  }
};

TEST(Timer, StoresWhatDiffersFromItsDefaults) {
  TTimerForm form;
  form.SetName(L"Form1");
  auto idle = new TTimer(&form);
  idle->SetName(L"Idle");
  auto scroll = new TTimer(&form);
  scroll->SetName(L"ScrollTimer");
  scroll->SetEnabled(false);
  scroll->SetInterval(250);
  scroll->SetOnTimer(TNotifyEvent(&form, &TTimerForm::Tick));
  String text = ComponentToText(&form);
  EXPECT_EQ(text,
            L"object Form1: TTimerForm\r\n"
            L"  object Idle: TTimer\r\n"
            L"  end\r\n"
            L"  object ScrollTimer: TTimer\r\n"
            L"    Enabled = False\r\n"
            L"    Interval = 250\r\n"
            L"    OnTimer = Tick\r\n"
            L"  end\r\n"
            L"end");
  TTimerForm copy;
  ReadComponentFromText(text, &copy);
  auto read = ObjectAs<TTimer>(copy.FindComponent(L"ScrollTimer"));
  ASSERT_NE(read, nullptr);
  EXPECT_FALSE(read->Enabled());
  EXPECT_EQ(read->Interval(), 250u);
  EXPECT_TRUE(read->OnTimer() == TNotifyEvent(&copy, &TTimerForm::Tick));
}

}  // namespace

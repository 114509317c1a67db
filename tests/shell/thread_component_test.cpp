#include "shell/system/thread_component.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "framework/form_reader.h"
#include "framework/thread.h"
#include "process_counts.h"
#include "shell/system/color_picker.h"
#include "shell/system/start_button.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
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

TEST(ThreadComponent, RestartWaitsForARunningHandler) {
  TSysThreadComponent component;
  std::atomic<int> runs{0};
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  std::atomic<bool> firstDone{false};
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  component.OnExecute = [&](TObject*) {
    if (++running > 1) overlapped = true;
    if (++runs == 1) {
      WaitForSingleObject(release, 5000);
      firstDone = true;
    }
    --running;
  };
  component.SetSuspended(false);
  ASSERT_TRUE(PumpUntil([&] { return runs == 1; }));
  // The first handler is let go only after the restart has begun.
  std::thread releaser([&] {
    Sleep(100);
    SetEvent(release);
  });
  component.Restart();
  EXPECT_TRUE(firstDone);
  EXPECT_TRUE(PumpUntil([&] { return component.Thread()->Finished(); }));
  releaser.join();
  EXPECT_EQ(runs, 2);
  EXPECT_FALSE(overlapped);
  CloseHandle(release);
}

TEST(ThreadComponent, RestartFromItsOwnHandlerAndAThousandRestartsLeaveNoThreads) {
  TSysThreadComponent component;
  std::atomic<int> runs{0};
  std::atomic<int> handled{0};
  component.OnExecute = [&](TObject*) {
    if (++runs == 1) component.Restart();
    ++handled;
  };
  for (bool synchronized : {false, true}) {
    SCOPED_TRACE(synchronized);
    // A synchronized handler runs on the main thread while its worker waits for it.
    runs = 0;
    handled = 0;
    component.SetSynchronized(synchronized);
    component.Restart();
    // The fresh worker's handler ends after the restart did, so the component is left alone from then on.
    EXPECT_TRUE(PumpUntil([&] { return handled == 2 && component.Thread()->Finished(); }));
    EXPECT_EQ(runs, 2);
  }

  // The handler, still assigned (runs is past 1 now), only counts from here on.
  component.Restart();
  const DWORD threads = OpenThreads();
  const DWORD handles = OpenHandles();
  for (int i = 0; i < 1000; ++i) component.Restart();
  EXPECT_TRUE(PumpUntil([&] { return component.Thread()->Finished(); }));
  EXPECT_LE(OpenThreads(), threads + 1);
  EXPECT_LE(OpenHandles(), handles + 2);
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

// Each component is made under the allocation guard, so that any touch of it after a handler freed it faults; a
// handler that frees its component while its worker waits for that handler must not wait for the worker.
TEST(ThreadComponentFreeing, AHandlerMayFreeItsOwnComponent) {
  using TComponentPtr = std::unique_ptr<TSysCustomThreadComponent>;
  using TArm = std::function<void(TSysCustomThreadComponent&, const std::function<void()>& freeComponent)>;
  const TArm onExecute = [](TSysCustomThreadComponent& c, const std::function<void()>& f) {
    c.OnExecute = [f](TObject*) { f(); };
  };
  const TArm onTerminate = [](TSysCustomThreadComponent& c, const std::function<void()>& f) {
    c.SetOnTerminate([f](TObject*) { f(); });
  };
  const TArm inDataCall = [](TSysCustomThreadComponent& c, const std::function<void()>& f) {
    c.OnExecute = [&c, f](TObject*) { c.SynchronizeWithData(nullptr, [f](void*) { f(); }); };
  };
  const TArm inCall = [](TSysCustomThreadComponent& c, const std::function<void()>& f) {
    c.OnExecute = [&c, f](TObject*) { c.Synchronize([f] { f(); }); };
  };
  const TArm onException = [](TSysCustomThreadComponent& c, const std::function<void()>& f) {
    c.OnExecute = [](TObject*) { throw Exception(L"raised"); };
    c.OnException = [f](TObject*) { f(); };
  };
  const auto start = [](TSysCustomThreadComponent& c) { c.SetSuspended(false); };
  const auto startAndRestart = [](TSysCustomThreadComponent& c) {
    c.SetSuspended(false);
    c.Restart();
  };
  const struct {
    const char* Name;
    bool Timer;
    bool Synchronized;
    TArm Arm;
    std::function<void(TSysCustomThreadComponent&)> Start;
  } cases[] = {
      {"synchronized execute", false, true, onExecute, start},
      {"execute on the worker", false, false, onExecute, start},
      {"synchronized tick", true, true, onExecute, start},
      {"terminate", false, false, onTerminate, start},
      {"terminate of the worker a restart replaces", false, false, onTerminate, startAndRestart},
      {"call with data", false, false, inDataCall, start},
      {"synchronized call", false, false, inCall, start},
      {"tick on the worker", true, false, onExecute, start},
      {"terminate of a tick worker a restart replaces", true, false, onTerminate, startAndRestart},
      {"exception of a synchronized execute", false, true, onException, start},
      {"exception on the worker", false, false, onException, start},
      {"exception of a tick on the worker", true, false, onException, start},
  };
  // The cases are named in their expectations, not by a scoped trace: GoogleTest watches a thread that first keeps
  // a trace with a thread of its own, which the count would take for a worker left behind.
  const DWORD threads = OpenThreads();
  for (const auto& c : cases) {
    TGuardedAllocations guard;
    TComponentPtr component;
    if (c.Timer) {
      auto timer = std::make_unique<TSysThreadTimer>();
      timer->SetInterval(10);
      component = std::move(timer);
    } else {
      component = std::make_unique<TSysThreadComponent>();
    }
    component->SetSynchronized(c.Synchronized);
    std::atomic<bool> freed{false};
    c.Arm(*component, [&] {
      component.reset();
      freed = true;
    });
    c.Start(*component);
    EXPECT_TRUE(PumpUntil([&] { return freed.load(); })) << c.Name;
  }
  // Every worker let go ends by itself.
  EXPECT_TRUE(PumpUntil([&] { return OpenThreads() <= threads; }));
}

// A component of a class of its own whose handler reads a part of that class until its worker is told to end. Its
// parts go in turn: the counts first, then a part that waits for one more pass of a handler still running.
class TCountingComponent : public TSysThreadComponent {
 public:
  std::atomic<bool> Running{false};

 protected:
  void DoExecute(TObject* worker) override {
    Running = true;
    while (!static_cast<TThread*>(worker)->Terminated()) {
      counts_.back() += counts_.front();
      ++passes_;
    }
    Running = false;
  }

 private:
  struct TOneMorePass {
    const TCountingComponent& Owner;
    ~TOneMorePass() {
      const int seen = Owner.passes_;
      while (Owner.Running && Owner.passes_ == seen) SwitchToThread();
    }
  };

  std::atomic<int> passes_{0};
  TOneMorePass oneMorePass_{*this};
  std::vector<int> counts_ = std::vector<int>(2, 1);
};

TEST(ThreadComponentFreeing, AWorkerEndsBeforeThePartsItsHandlerUses) {
  std::unique_ptr<TCountingComponent> component;
  {
    TGuardedAllocations guard;
    component = std::make_unique<TCountingComponent>();
  }
  component->SetSuspended(false);
  ASSERT_TRUE(PumpUntil([&] { return component->Running.load(); }));
  component.reset();
}

// Made, started and freed again and again (or enabled and disabled, or freed by their handler), the components
// leave the threads and the handles where they were.
TEST(ThreadComponent, RepeatedLifecyclesLeaveNothing) {
  TSysThreadTimer toggled;
  toggled.SetInterval(1);
  toggled.OnExecute = [](TObject*) {};
  // The old worker ends while the fresh one waits to start.
  TSysThreadTimer restarted;
  restarted.SetInterval(1);
  restarted.SetEnabled(true);
  const struct {
    const char* Name;
    std::function<void()> Cycle;
  } cycles[] = {
      {"component made, run and freed",
       [] {
         TSysThreadComponent component;
         std::atomic<bool> ran{false};
         component.OnExecute = [&](TObject*) { ran = true; };
         component.SetSuspended(false);
         ASSERT_TRUE(PumpUntil([&] { return ran.load(); }));
       }},
      {"synchronized component freed by its handler",
       [] {
         auto component = std::make_unique<TSysThreadComponent>();
         component->SetSynchronized(true);
         component->OnExecute = [&](TObject*) { component.reset(); };
         component->SetSuspended(false);
         ASSERT_TRUE(PumpUntil([&] { return !component; }));
       }},
      {"timer made, enabled and freed",
       [] {
         TSysThreadTimer timer;
         timer.SetInterval(1);
         timer.SetEnabled(true);
       }},
      {"timer enabled and disabled",
       [&] {
         toggled.SetEnabled(true);
         toggled.SetEnabled(false);
       }},
      {"running timer restarted", [&] { restarted.Restart(); }},
  };
  for (const auto& c : cycles) {
    SCOPED_TRACE(c.Name);
    ExpectRepeatedCyclesLeaveNothing(c.Cycle);
  }
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

#include "framework/timer.h"

#include <unordered_map>
#include <utility>

#include "framework/exception_hook.h"
#include "framework/properties.h"
#include "framework/startup.h"
#include "framework/thread_state.h"
#include "framework/window_alloc.h"

namespace {

void RegisterTimerClass() { RegisterPersistentClass(TTimer::StaticClass()); }
void UnregisterTimerClass() { UnregisterPersistentClass(TTimer::StaticClass()); }

}  // namespace

class TTimer::TThreadTimers {
 public:
  TThreadTimers() = default;
  TThreadTimers(const TThreadTimers&) = delete;
  TThreadTimers& operator=(const TThreadTimers&) = delete;
  ~TThreadTimers() { DeallocateHWnd(window_); }

  static TThreadTimers& OfThisThread() { return ThreadState<TThreadTimers>(); }

  UINT_PTR Add(TTimer* timer) {
    timers_.emplace(nextId_, timer);
    return nextId_++;
  }
  void Remove(UINT_PTR id) {
    Stop(id);
    timers_.erase(id);
    if (timers_.empty()) DeallocateHWnd(std::exchange(window_, nullptr));
  }
  bool Start(UINT_PTR id, UINT interval) {
    if (!window_) window_ = AllocateMessageHWnd(TWndMethod(this, &TThreadTimers::WndProc));
    return SetTimer(window_, id, interval, nullptr) != 0;
  }
  void Stop(UINT_PTR id) {
    if (window_) KillTimer(window_, id);
  }

 private:
  void WndProc(TMessage& message) {
    if (message.Msg != WM_TIMER) {
      message.Result = DefWindowProcW(window_, message.Msg, message.WParam, message.LParam);
      return;
    }
    // A tick queued before its timer stopped or went finds nothing. The timer may free itself, and with the last
    // timer the window goes: nothing here is touched after the tick.
    auto found = timers_.find(message.WParam);
    if (found != timers_.end()) found->second->Tick();
  }

  HWND window_ = nullptr;
  std::unordered_map<UINT_PTR, TTimer*> timers_;  // every timer of the thread by its identifier
  UINT_PTR nextId_ = 1;
};

TTimer::TTimer(TComponent* owner)
    : TComponent(owner), threadTimers_(&TThreadTimers::OfThisThread()), id_(threadTimers_->Add(this)) {}

TTimer::~TTimer() { threadTimers_->Remove(id_); }

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(UINT value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& value) {
  onTimer_ = value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  threadTimers_->Stop(id_);
  if (interval_ != 0 && enabled_ && onTimer_ && !threadTimers_->Start(id_, interval_))
    throw EOutOfResources(L"Not enough timers available");
}

void TTimer::Tick() {
  // The handler may free the timer (with its owner) before it raises.
  const TLifeWatch life = LifeWatch();
  try {
    // The tick is the last act of the thread's timer window on this timer.
    if (Timer().Gone()) return;
  } catch (...) {
    ApplicationHandleException(life.Ended() ? nullptr : this);
  }
}

TRaised TTimer::Timer() { return RaiseEvent(onTimer_, this); }

const TPublishedTable& TTimer::PublishedTable() const {
  using P = TPublished<TTimer>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Boolean(L"Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true),
                                         P::Integer(L"Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000),
                                         P::Event(L"OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer),
                                     });
  return table;
}

const TUnit& TimerUnit() {
  static const TUnit unit{L"timer", &RegisterTimerClass, &UnregisterTimerClass, {}};
  return unit;
}

#include "framework/timer.h"

#include "framework/exception_hook.h"
#include "framework/properties.h"
#include "framework/startup.h"
#include "framework/window_alloc.h"

namespace {

constexpr UINT_PTR kTimerId = 1;

void RegisterTimerClass() { RegisterPersistentClass(TTimer::StaticClass()); }
void UnregisterTimerClass() { UnregisterPersistentClass(TTimer::StaticClass()); }

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) { window_ = AllocateHWnd(TWndMethod(this, &TTimer::WndProc)); }

TTimer::~TTimer() {
  KillTimer(window_, kTimerId);
  DeallocateHWnd(window_);
}

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
  KillTimer(window_, kTimerId);
  if (interval_ != 0 && enabled_ && onTimer_ && !SetTimer(window_, kTimerId, interval_, nullptr))
    throw EOutOfResources(L"Not enough timers available");
}

void TTimer::WndProc(TMessage& message) {
  if (message.Msg != WM_TIMER) {
    message.Result = DefWindowProcW(window_, message.Msg, message.WParam, message.LParam);
    return;
  }
  try {
    Timer();
  } catch (...) {
    ApplicationHandleException(this);
  }
}

void TTimer::Timer() {
  if (onTimer_) onTimer_(this);
}

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

#include "shell/system/sys_timer.h"

#include "framework/exception_hook.h"
#include "framework/window_alloc.h"

namespace shell {

namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

TSysCustomTimer::TSysCustomTimer(TComponent* owner) : TSysComponent(owner) {
  handle_ = AllocateHWnd(TWndMethod(this, &TSysCustomTimer::WndProc));
}

TSysCustomTimer::~TSysCustomTimer() {
  enabled_ = false;
  KillTimer(handle_, kTimerId);
  DeallocateHWnd(handle_);
}

void TSysCustomTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TSysCustomTimer::SetInterval(UINT value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TSysCustomTimer::SetOnTimer(const TNotifyEvent& value) {
  onTimer_ = value;
  UpdateTimer();
}

void TSysCustomTimer::UpdateTimer() {
  KillTimer(handle_, kTimerId);
  if (interval_ != 0 && enabled_ && onTimer_ && !SetTimer(handle_, kTimerId, interval_, nullptr))
    throw EOutOfResources(L"Not enough timers available");
}

void TSysCustomTimer::WndProc(TMessage& message) {
  if (message.Msg != WM_TIMER) {
    message.Result = DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
    return;
  }
  // A handler that freed the timer and then raised leaves no sender to name.
  const TLifeWatch life = LifeWatch();
  try {
    if (Timer().Gone()) return;
  } catch (...) {
    ApplicationHandleException(life.Ended() ? nullptr : this);
  }
}

TRaised TSysCustomTimer::Timer() { return RaiseEvent(onTimer_, this); }

}  // namespace shell

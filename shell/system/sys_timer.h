// TSysCustomTimer: a component with a hidden window of its own and one window timer on it; the window also takes
// whatever other messages a derived component wants sent to it.
#pragma once

#include <windows.h>

#include "framework/delegate.h"
#include "shell/system/sys_component.h"

namespace shell {

class TSysCustomTimer : public TSysComponent {
  BC_CLASS(TSysCustomTimer, TSysComponent)
  explicit TSysCustomTimer(TComponent* owner = nullptr);
  ~TSysCustomTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Milliseconds; 0 stops the timer.
  UINT Interval() const { return interval_; }
  void SetInterval(UINT value);
  // The timer runs only while a handler is assigned.
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(const TNotifyEvent& value);
  HWND Handle() const { return handle_; }

 protected:
  // Every message of the hidden window: WM_TIMER runs Timer (an exception goes to the application's handler),
  // the rest goes to DefWindowProc.
  virtual void WndProc(TMessage& message);
  virtual TRaised Timer();

 private:
  // Stops the platform timer and starts it again when it should run; raises EOutOfResources "Not enough timers
  // available" when the system has none left.
  void UpdateTimer();

  HWND handle_ = nullptr;
  bool enabled_ = true;
  UINT interval_ = 1000;
  TNotifyEvent onTimer_;
};

}  // namespace shell

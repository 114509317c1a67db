// TTimer: runs OnTimer every Interval milliseconds while Enabled, from the message loop of the thread that made it.
// The timers of a thread share one message-only window, made when the first of them runs and freed with the last
// of them, so that a timer costs no window of its own.
#pragma once

#include <windows.h>

#include "framework/component.h"
#include "framework/delegate.h"

struct TUnit;

class TTimer : public TComponent {
  BC_CLASS(TTimer, TComponent)
  explicit TTimer(TComponent* owner = nullptr);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Milliseconds; 0 stops the timer.
  UINT Interval() const { return interval_; }
  void SetInterval(UINT value);
  // The timer runs only while a handler is assigned.
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(const TNotifyEvent& value);

  const TPublishedTable& PublishedTable() const override;

 protected:
  // Runs OnTimer; an exception from it goes to the application's exception handler.
  virtual TRaised Timer();

 private:
  // Stops the platform timer and starts it again when the timer should run. Raises EOutOfResources
  // "Not enough timers available" when the system has none left.
  void UpdateTimer();
  void Tick();

  class TThreadTimers;
  TThreadTimers* threadTimers_;  // those of the thread that made the timer
  UINT_PTR id_;                  // the platform timer's identifier on their window
  bool enabled_ = true;
  UINT interval_ = 1000;
  TNotifyEvent onTimer_;
};

// Registers TTimer for stored forms.
const TUnit& TimerUnit();

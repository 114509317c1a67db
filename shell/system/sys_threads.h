// The component set's worker threads: a thread that tells the main thread when it is asked to end, one that
// raises an event once, and one that raises it every Interval milliseconds until it ends.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>

#include "framework/thread.h"

namespace shell {

class TSysThread : public TThread {
  BC_CLASS(TSysThread, TThread)
  explicit TSysThread(bool createSuspended) : TThread(createSuspended) {}

  // Also raises OnTerminateRequest on the main thread.
  void Terminate() override;
  bool TerminateRequested() const { return terminateRequested_; }
  TNotifyEvent OnTerminateRequest;

 protected:
  void Execute() override {}

 private:
  void CallTerminateRequest();
  std::atomic<bool> terminateRequested_{false};
};

class TSysEventThread : public TSysThread {
  BC_CLASS(TSysEventThread, TSysThread)
  explicit TSysEventThread(bool createSuspended) : TSysThread(createSuspended) {}

  // Set from any thread: a handler taken away is not started again (one already running finishes).
  TNotifyEvent OnEvent() const;
  void SetOnEvent(TNotifyEvent handler);
  // The event runs on the main thread through Synchronize.
  bool Synchronized() const { return synchronized_; }
  void SetSynchronized(bool value) { synchronized_ = value; }

 protected:
  // Raises the event once.
  void Execute() override;
  virtual void DoEvent();

 private:
  mutable std::mutex eventLock_;
  TNotifyEvent onEvent_;
  std::atomic<bool> synchronized_{false};
};

class TSysTimerThread : public TSysEventThread {
  BC_CLASS(TSysTimerThread, TSysEventThread)
  explicit TSysTimerThread(bool createSuspended);
  // Takes the event away, ends the thread and waits for it.
  ~TSysTimerThread() override;

  UINT Interval() const { return interval_; }
  // The wait starts again with the new interval; the thread keeps its suspended state.
  void SetInterval(UINT value);
  // Ends the current wait without an event, and lets a suspended thread run.
  virtual void Wake();

 protected:
  void Execute() override;

 private:
  std::atomic<UINT> interval_{1000};
  HANDLE wakeEvent_ = nullptr;
};

}  // namespace shell

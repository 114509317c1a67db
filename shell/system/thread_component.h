// Components that run a handler on a worker thread of their own: once (TSysThreadComponent) or every Interval
// milliseconds while enabled (TSysThreadTimer).
#pragma once

#include <functional>
#include <memory>

#include "shell/system/sys_component.h"
#include "shell/system/sys_threads.h"

namespace shell {

using TSysDataMethod = TDelegate<void(void* Data)>;

class TSysCustomThreadComponent : public TSysComponent {
  BC_CLASS(TSysCustomThreadComponent, TSysComponent)
  explicit TSysCustomThreadComponent(TComponent* owner = nullptr) : TSysCustomThreadComponent(owner, false) {}
  ~TSysCustomThreadComponent() override;

  TThreadPriority Priority() const;
  void SetPriority(TThreadPriority value);
  int ReturnValue() const;
  void SetReturnValue(int value);
  bool Suspended() const;
  // False starts (or resumes) the worker.
  void SetSuspended(bool value);
  bool Synchronized() const;
  // The handler runs on the main thread through Synchronize.
  void SetSynchronized(bool value);
  // Runs on the main thread after the worker's end, as the worker's OnTerminate.
  TNotifyEvent OnTerminate() const { return onTerminate_; }
  void SetOnTerminate(const TNotifyEvent& value) { onTerminate_ = value; }
  TSysEventThread* Thread() const { return thread_.get(); }

  // On the worker (or the main thread when synchronized); Sender of OnException is the exception object.
  TNotifyEvent OnExecute;
  TNotifyEvent OnException;

  // A fresh worker replaces the current one; the old one never runs its handler again, and one that is running
  // it is waited for before the fresh worker starts (unless the restart comes from that handler itself).
  virtual void Restart();
  virtual void Synchronize(const TThreadMethod& method);
  // Runs method(data) on the main thread, unless such a call is already under way.
  virtual void SynchronizeWithData(void* data, const TSysDataMethod& method);

  TRaised Loaded() override;
  // The worker ends first.
  void BeforeDestruction() override;

 protected:
  TSysCustomThreadComponent(TComponent* owner, bool timer);
  virtual void DoExecute(TObject* sender);
  // OnException when assigned, else a message box "Thread %s raised exception class %s with message "%s".".
  // Raises OnException, else shows the error; the answer is whether the component outlived the handler.
  virtual TRaised HandleException(const Exception& e);
  // A worker of the component's kind (the timer's kind when made as a timer), with its handler and settings.
  std::unique_ptr<TSysEventThread> CreateThread(bool suspended);

 private:
  void DoTerminate(TObject* sender);
  // Runs handler for worker; on the main thread the worker is marked as waiting for it meanwhile (freeing the
  // component there must not wait for that worker). False when the handler freed the component.
  TRaised RunHandler(TObject* worker, const std::function<TRaised()>& handler);
  void RunPendingCall();
  // Parts of a worker that end it: its handler taken away, terminated, woken.
  static void Dismiss(TSysEventThread& thread);
  // Dismisses a worker taken from the component and waits for it to end, or lets it free itself when called from
  // its own handler.
  void Retire(std::unique_ptr<TSysEventThread> thread);

  bool timer_;
  std::unique_ptr<TSysEventThread> thread_;
  // The values a component without a worker (while designing or loading) keeps for it.
  TThreadPriority priority_ = TThreadPriority::tpNormal;
  int returnValue_ = 0;
  bool suspended_ = true;
  bool synchronized_ = false;
  TNotifyEvent onTerminate_;
  // The worker whose handler (OnExecute, OnTerminate, a synchronized call) runs on the main thread now, if any.
  TObject* handlerOnMainThread_ = nullptr;
  TSysDataMethod pendingMethod_;
  void* pendingData_ = nullptr;
};

class TSysThreadComponent : public TSysCustomThreadComponent {
  BC_CLASS(TSysThreadComponent, TSysCustomThreadComponent)
  using TSysCustomThreadComponent::TSysCustomThreadComponent;
  const TPublishedTable& PublishedTable() const override;
};

class TSysCustomThreadTimer : public TSysCustomThreadComponent {
  BC_CLASS(TSysCustomThreadTimer, TSysCustomThreadComponent)
  explicit TSysCustomThreadTimer(TComponent* owner = nullptr) : TSysCustomThreadComponent(owner, true) {}

  UINT Interval() const;
  void SetInterval(UINT value);
  bool Enabled() const { return !Suspended(); }
  void SetEnabled(bool value) { SetSuspended(!value); }
};

class TSysThreadTimer : public TSysCustomThreadTimer {
  BC_CLASS(TSysThreadTimer, TSysCustomThreadTimer)
  using TSysCustomThreadTimer::TSysCustomThreadTimer;
  const TPublishedTable& PublishedTable() const override;
};

}  // namespace shell

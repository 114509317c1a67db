#include "shell/system/thread_component.h"

#include <cstring>

#include "framework/application.h"
#include "framework/exception_hook.h"
#include "framework/properties.h"
#include "framework/thread.h"
#include "shell/system/message_box.h"

namespace shell {

namespace {

// A worker whose handler may still run must not wait on the main thread that frees it.
TSysTimerThread* AsTimer(TSysEventThread* thread) { return ObjectAs<TSysTimerThread>(thread); }

}  // namespace

TSysCustomThreadComponent::TSysCustomThreadComponent(TComponent* owner, bool timer)
    : TSysComponent(owner), timer_(timer) {
  if (!IsDesigning()) thread_ = CreateThread(true);
}

TSysCustomThreadComponent::~TSysCustomThreadComponent() {
  Destroying();
  if (thread_) Retire(std::move(thread_));
}

void TSysCustomThreadComponent::BeforeDestruction() {
  // A handler still running on the worker may use the parts of a derived class: it ends while they are whole. The
  // component is marked as going first, so that the worker's end raises no OnTerminate about it.
  Destroying();
  if (thread_) Retire(std::move(thread_));
  TSysComponent::BeforeDestruction();
}

void TSysCustomThreadComponent::Retire(std::unique_ptr<TSysEventThread> thread) {
  Dismiss(*thread);
  // From the worker's own handler (on the worker, or on the main thread that the worker waits on) waiting would
  // never end: the worker ends once that handler has returned, and frees itself.
  if (thread->ThreadID() == GetCurrentThreadId() || handlerOnMainThread_ == thread.get()) {
    thread.release()->SetFreeOnTerminate(true);
    return;
  }
  // Otherwise it is waited for, so that two handlers never run at once and none outlives the component; before it
  // is freed, as its own parts are still in use until it ends.
  try {
    if (!thread->Finished()) thread->WaitFor();
  } catch (const Exception&) {
    // A worker that cannot be waited for is left to the thread's own destructor.
  }
}

void TSysCustomThreadComponent::Dismiss(TSysEventThread& thread) {
  thread.SetOnEvent(nullptr);
  thread.Terminate();
  if (TSysTimerThread* timer = AsTimer(&thread))
    timer->Wake();
  else
    while (thread.Suspended()) thread.Resume();
}

std::unique_ptr<TSysEventThread> TSysCustomThreadComponent::CreateThread(bool suspended) {
  std::unique_ptr<TSysEventThread> thread;
  if (timer_)
    thread = std::make_unique<TSysTimerThread>(true);
  else
    thread = std::make_unique<TSysEventThread>(true);
  thread->SetOnEvent(TNotifyEvent(this, &TSysCustomThreadComponent::DoExecute));
  thread->SetSynchronized(synchronized_);
  // A worker may end after the component is gone (one let go from its own handler), or as the component goes (whose
  // handler would hear of a component that is going): it then calls nothing.
  thread->SetOnTerminate([this, life = LifeWatch()](TObject* sender) {
    if (!life.Ended() && !IsDestroying()) DoTerminate(sender);
  });
  thread->SetPriority(priority_);
  if (!suspended) thread->Resume();
  return thread;
}

TThreadPriority TSysCustomThreadComponent::Priority() const { return thread_ ? thread_->Priority() : priority_; }

void TSysCustomThreadComponent::SetPriority(TThreadPriority value) {
  priority_ = value;
  if (thread_) thread_->SetPriority(value);
}

int TSysCustomThreadComponent::ReturnValue() const { return thread_ ? thread_->ReturnValue() : returnValue_; }

void TSysCustomThreadComponent::SetReturnValue(int value) {
  returnValue_ = value;
  if (thread_) thread_->SetReturnValue(value);
}

bool TSysCustomThreadComponent::Suspended() const {
  return thread_ && !IsLoading() ? thread_->Suspended() : suspended_;
}

void TSysCustomThreadComponent::SetSuspended(bool value) {
  suspended_ = value;
  if (thread_ && !IsLoading() && !IsDesigning()) thread_->SetSuspended(value);
}

bool TSysCustomThreadComponent::Synchronized() const { return thread_ ? thread_->Synchronized() : synchronized_; }

void TSysCustomThreadComponent::SetSynchronized(bool value) {
  synchronized_ = value;
  if (thread_) thread_->SetSynchronized(value);
}

TRaised TSysCustomThreadComponent::Loaded() {
  if (TSysComponent::Loaded().Gone()) return TRaised(false);
  if (!IsDesigning()) SetSuspended(suspended_);
  return TRaised(true);
}

TRaised TSysCustomThreadComponent::RunHandler(TObject* worker, const std::function<TRaised()>& handler) {
  const TLifeWatch life = LifeWatch();
  // Only the main thread keeps this mark: a worker's handler leaves it alone.
  const bool onMainThread = GetCurrentThreadId() == MainThreadID();
  TObject* const previous = handlerOnMainThread_;
  if (onMainThread) handlerOnMainThread_ = worker;
  TRaised raised(true);
  try {
    raised = handler();
  } catch (...) {
    if (onMainThread && !life.Ended()) handlerOnMainThread_ = previous;
    throw;
  }
  if (raised.Gone() || life.Ended()) return TRaised(false);
  if (onMainThread) handlerOnMainThread_ = previous;
  return TRaised(true);
}

void TSysCustomThreadComponent::DoExecute(TObject* sender) {
  const TLifeWatch life = LifeWatch();
  // A handler that freed its component and then raised leaves no component to report through.
  const auto report = [&](const Exception& e) {
    if (!life.Ended()) return HandleException(e);
    ApplicationHandleException(nullptr);
    return TRaised(false);
  };
  if (RunHandler(sender, [&] {
        try {
          return RaiseEvent(OnExecute, this);
        } catch (const Exception& e) {
          return report(e);
        } catch (const std::exception& e) {
          return report(Exception(String(e.what(), e.what() + std::strlen(e.what()))));
        }
      }).Gone())
    return;
}

void TSysCustomThreadComponent::DoTerminate(TObject* sender) {
  if (onTerminate_ && RunHandler(sender, [&] { return RaiseEvent(onTerminate_, sender); }).Gone()) return;
}

TRaised TSysCustomThreadComponent::HandleException(const Exception& e) {
  if (OnException) return RaiseEvent(OnException, const_cast<Exception*>(&e));
  const String title = Application ? Application->Title() : String();
  const String text =
      Format(L"Thread %s raised exception class %s with message \"%s\".", {Name(), e.ClassName(), e.Message()});
  SysMessageBox(Application ? Application->Handle() : nullptr, text.c_str(), title.c_str(),
                MB_ICONERROR | MB_SETFOREGROUND);
  return TRaised(true);
}

void TSysCustomThreadComponent::Restart() {
  if (IsDesigning()) return;
  priority_ = Priority();
  const UINT interval = timer_ && thread_ ? AsTimer(thread_.get())->Interval() : 0;
  std::unique_ptr<TSysEventThread> fresh = CreateThread(true);
  if (interval != 0) AsTimer(fresh.get())->SetInterval(interval);
  // The old worker's OnTerminate runs while it is waited for, and may free the component: the fresh worker then
  // never starts.
  const TLifeWatch life = LifeWatch();
  if (thread_) Retire(std::move(thread_));
  if (life.Ended()) {
    Dismiss(*fresh);
    return;
  }
  thread_ = std::move(fresh);
  thread_->Resume();
}

void TSysCustomThreadComponent::Synchronize(const TThreadMethod& method) {
  if (IsDesigning() || !thread_) return;
  TSysEventThread* const worker = thread_.get();
  worker->Synchronize(TThreadMethod([this, worker, &method] {
    if (RunHandler(worker, [&] { return RaiseEvent(method); }).Gone()) return;
  }));
}

void TSysCustomThreadComponent::SynchronizeWithData(void* data, const TSysDataMethod& method) {
  if (IsDesigning() || !thread_ || pendingMethod_) return;
  pendingMethod_ = method;
  pendingData_ = data;
  // The call may free the component: its fields are then gone.
  const TLifeWatch life = LifeWatch();
  try {
    thread_->Synchronize(TThreadMethod(this, &TSysCustomThreadComponent::RunPendingCall));
  } catch (...) {
    if (!life.Ended()) {
      pendingMethod_ = nullptr;
      pendingData_ = nullptr;
    }
    throw;
  }
  if (life.Ended()) return;
  pendingMethod_ = nullptr;
  pendingData_ = nullptr;
}

void TSysCustomThreadComponent::RunPendingCall() {
  // The synchronized call's last act: SynchronizeWithData watches the component's life across it.
  if (pendingMethod_ && RunHandler(thread_.get(), [this] { return RaiseEvent(pendingMethod_, pendingData_); }).Gone())
    return;
}

UINT TSysCustomThreadTimer::Interval() const {
  return Thread() ? static_cast<TSysTimerThread*>(Thread())->Interval() : 1000;
}

void TSysCustomThreadTimer::SetInterval(UINT value) {
  if (Thread()) static_cast<TSysTimerThread*>(Thread())->SetInterval(value);
}

namespace {

const std::initializer_list<const wchar_t*> kPriorityNames = {L"tpIdle",   L"tpLowest",  L"tpLower",       L"tpNormal",
                                                              L"tpHigher", L"tpHighest", L"tpTimeCritical"};

}  // namespace

const TPublishedTable& TSysThreadComponent::PublishedTable() const {
  using P = TPublished<TSysThreadComponent>;
  using T = TSysThreadComponent;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"Priority", &T::Priority, &T::SetPriority, kPriorityNames).Default(TThreadPriority::tpNormal),
          P::Integer(L"ReturnValue", &T::ReturnValue, &T::SetReturnValue).Default(0),
          P::Boolean(L"Suspended", &T::Suspended, &T::SetSuspended).Default(true),
          P::Boolean(L"Synchronized", &T::Synchronized, &T::SetSynchronized).Default(false),
          P::Event(L"OnException", &T::OnException),
          P::Event(L"OnExecute", &T::OnExecute),
          P::Event(L"OnTerminate", &T::OnTerminate, &T::SetOnTerminate),
      });
  return table;
}

const TPublishedTable& TSysThreadTimer::PublishedTable() const {
  using P = TPublished<TSysThreadTimer>;
  using T = TSysThreadTimer;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Integer(L"Interval", &T::Interval, &T::SetInterval).Default(1000),
          P::Enumeration(L"Priority", &T::Priority, &T::SetPriority, kPriorityNames).Default(TThreadPriority::tpNormal),
          P::Boolean(L"Synchronized", &T::Synchronized, &T::SetSynchronized).Default(false),
          P::Event(L"OnTimer", &T::OnExecute),
          P::Boolean(L"Enabled", &T::Enabled, &T::SetEnabled).Default(false),
      });
  return table;
}

}  // namespace shell

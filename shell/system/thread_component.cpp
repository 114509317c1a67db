#include "shell/system/thread_component.h"

#include <cstring>

#include "framework/application.h"
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
  if (thread_) Retire(std::move(thread_));
}

void TSysCustomThreadComponent::Retire(std::unique_ptr<TSysEventThread> thread) {
  Dismiss(*thread);
  // From the worker's own handler (on the worker, or on the main thread that the worker waits on) waiting would
  // never end: the worker ends when that handler returns, and frees itself.
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
  thread->SetOnTerminate(onTerminate_);
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

TNotifyEvent TSysCustomThreadComponent::OnTerminate() const { return thread_ ? thread_->OnTerminate() : onTerminate_; }

void TSysCustomThreadComponent::SetOnTerminate(const TNotifyEvent& value) {
  onTerminate_ = value;
  if (thread_) thread_->SetOnTerminate(value);
}

void TSysCustomThreadComponent::Loaded() {
  TSysComponent::Loaded();
  if (!IsDesigning()) SetSuspended(suspended_);
}

void TSysCustomThreadComponent::DoExecute(TObject* sender) {
  // Only the main thread keeps this mark: a worker's handler leaves it alone.
  const bool onMainThread = GetCurrentThreadId() == MainThreadID();
  TObject* const previous = handlerOnMainThread_;
  if (onMainThread) handlerOnMainThread_ = sender;
  try {
    if (OnExecute) OnExecute(this);
  } catch (const Exception& e) {
    HandleException(e);
  } catch (const std::exception& e) {
    HandleException(Exception(String(e.what(), e.what() + std::strlen(e.what()))));
  }
  if (onMainThread) handlerOnMainThread_ = previous;
}

void TSysCustomThreadComponent::HandleException(const Exception& e) {
  if (OnException) {
    OnException(const_cast<Exception*>(&e));
    return;
  }
  const String title = Application ? Application->Title() : String();
  const String text =
      Format(L"Thread %s raised exception class %s with message \"%s\".", {Name(), e.ClassName(), e.Message()});
  SysMessageBox(Application ? Application->Handle() : nullptr, text.c_str(), title.c_str(),
                MB_ICONERROR | MB_SETFOREGROUND);
}

void TSysCustomThreadComponent::Restart() {
  if (IsDesigning()) return;
  priority_ = Priority();
  const UINT interval = timer_ && thread_ ? AsTimer(thread_.get())->Interval() : 0;
  std::unique_ptr<TSysEventThread> fresh = CreateThread(true);
  if (interval != 0) AsTimer(fresh.get())->SetInterval(interval);
  if (thread_) Retire(std::move(thread_));
  thread_ = std::move(fresh);
  thread_->Resume();
}

void TSysCustomThreadComponent::Synchronize(const TThreadMethod& method) {
  if (!IsDesigning() && thread_) thread_->Synchronize(method);
}

void TSysCustomThreadComponent::SynchronizeWithData(void* data, const TSysDataMethod& method) {
  if (IsDesigning() || !thread_ || pendingMethod_) return;
  pendingMethod_ = method;
  pendingData_ = data;
  try {
    thread_->Synchronize(TThreadMethod(this, &TSysCustomThreadComponent::RunPendingCall));
  } catch (...) {
    pendingMethod_ = nullptr;
    pendingData_ = nullptr;
    throw;
  }
  pendingMethod_ = nullptr;
  pendingData_ = nullptr;
}

void TSysCustomThreadComponent::RunPendingCall() {
  if (pendingMethod_) pendingMethod_(pendingData_);
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

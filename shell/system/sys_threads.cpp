#include "shell/system/sys_threads.h"

#include "framework/exceptions.h"

namespace shell {

void TSysThread::Terminate() {
  TThread::Terminate();
  terminateRequested_ = true;
  if (OnTerminateRequest) Synchronize(TThreadMethod(this, &TSysThread::CallTerminateRequest));
}

void TSysThread::CallTerminateRequest() {
  // The synchronized call is Terminate's last act.
  if (RaiseEvent(OnTerminateRequest, this).Gone()) return;
}

TNotifyEvent TSysEventThread::OnEvent() const {
  std::lock_guard<std::mutex> guard(eventLock_);
  return onEvent_;
}

void TSysEventThread::SetOnEvent(TNotifyEvent handler) {
  std::lock_guard<std::mutex> guard(eventLock_);
  onEvent_ = std::move(handler);
}

void TSysEventThread::Execute() {
  if (Terminated()) return;
  // The handler may free the thread: then nothing of it is touched again.
  const TLifeWatch life = LifeWatch();
  if (synchronized_)
    Synchronize(TThreadMethod(this, &TSysEventThread::DoEvent));
  else
    DoEvent();
  if (life.Ended()) return;
  TSysThread::Execute();
}

void TSysEventThread::DoEvent() {
  if (Terminated()) return;
  // The raise is the last act; Execute, which called it, watches the thread's life itself.
  if (RaiseEvent(OnEvent(), this).Gone()) return;
}

TSysTimerThread::TSysTimerThread(bool createSuspended)
    : TSysEventThread(createSuspended), wakeEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

TSysTimerThread::~TSysTimerThread() {
  SetOnEvent(nullptr);
  TThread::Terminate();
  try {
    Wake();
    if (!Finished()) WaitFor();
  } catch (const Exception&) {
    // A thread that cannot be resumed or waited for is left to the base destructor.
  }
  if (wakeEvent_) CloseHandle(wakeEvent_);
}

void TSysTimerThread::SetInterval(UINT value) {
  if (value == interval_) return;
  interval_ = value;
  // A suspended thread finds the event set when it runs again. Letting it run now and suspending it again could stop
  // it anywhere, even starting up inside the loader's lock, which every other thread's end then waits for.
  if (wakeEvent_) SetEvent(wakeEvent_);
}

void TSysTimerThread::Wake() {
  if (wakeEvent_) SetEvent(wakeEvent_);
  if (Suspended()) Resume();
}

void TSysTimerThread::Execute() {
  while (!Terminated()) {
    if (WaitForSingleObject(wakeEvent_, interval_) == WAIT_TIMEOUT && !Terminated()) TSysEventThread::Execute();
  }
}

}  // namespace shell

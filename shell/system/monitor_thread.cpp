#include "shell/system/monitor_thread.h"

namespace shell {

CRITICAL_SECTION FolderMonitorLock;
CRITICAL_SECTION RegistryMonitorLock;

void InitializeMonitorLocks() {
  InitializeCriticalSection(&FolderMonitorLock);
  InitializeCriticalSection(&RegistryMonitorLock);
}

void DeleteMonitorLocks() {
  DeleteCriticalSection(&RegistryMonitorLock);
  DeleteCriticalSection(&FolderMonitorLock);
}

TSysMonitorThread::TSysMonitorThread(TThreadMethod onChange) : TSysThread(true), onChange_(std::move(onChange)) {
  // Owned twice by the creator, which never lets it go: the worker obtains it only when the creator ends.
  wakeMutex_ = CreateMutexW(nullptr, TRUE, nullptr);
  if (!wakeMutex_) RaiseLastOSError();
  WaitForSingleObject(wakeMutex_, 0);
  stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!stopEvent_) {
    CloseHandle(wakeMutex_);
    RaiseLastOSError();
  }
}

TSysMonitorThread::~TSysMonitorThread() {
  Shutdown();
  CloseHandle(stopEvent_);
  CloseHandle(wakeMutex_);
}

bool TSysMonitorThread::Shutdown() {
  detached_ = true;
  SetEvent(stopEvent_);
  if (Finished() && !Suspended()) return true;
  TThread::Terminate();
  if (handingOver_) {
    // Called from the handler the worker waits on: waiting here would wait for ever.
    SetFreeOnTerminate(true);
    return false;
  }
  try {
    while (Suspended()) Resume();
    WaitFor();
  } catch (const Exception&) {
    // A worker that cannot be resumed or waited for never ran its loop.
  }
  return true;
}

void TSysMonitorThread::WaitLoop(const std::function<std::vector<HANDLE>()>& watches,
                                 const std::function<void(size_t)>& changed) {
  // The stop event comes first, so that a shut-down worker ends even while its watches keep firing.
  constexpr DWORD kFirstWatch = 2;
  while (!Terminated()) {
    std::vector<HANDLE> handles{stopEvent_, wakeMutex_};
    for (HANDLE watch : watches()) handles.push_back(watch);
    const DWORD count = static_cast<DWORD>(handles.size());
    const DWORD result = WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE);
    if (result == WAIT_OBJECT_0) return;
    if (result == WAIT_OBJECT_0 + 1) {
      ReleaseMutex(wakeMutex_);
    } else if (result >= WAIT_OBJECT_0 + kFirstWatch && result < WAIT_OBJECT_0 + count) {
      changed(result - WAIT_OBJECT_0 - kFirstWatch);
    } else {
      // A failed wait, or the creator ended while it still held the mutex: nobody can wake this worker again.
      if (result == WAIT_ABANDONED_0 + 1) ReleaseMutex(wakeMutex_);
      return;
    }
  }
}

void TSysMonitorThread::DeliverChange() { Synchronize(TThreadMethod(this, &TSysMonitorThread::RunOnChange)); }

void TSysMonitorThread::RunOnChange() {
  if (detached_ || !onChange_) return;
  handingOver_ = true;
  // The handler may free the component, and the thread with it.
  const TLifeWatch life = LifeWatch();
  try {
    // The synchronized call's last act: the worker waiting for it ends through the thread's own state.
    if (RaiseEvent(onChange_).Gone()) return;
  } catch (...) {
    if (!life.Ended()) handingOver_ = false;
    throw;
  }
  handingOver_ = false;
}

TSysMonitorComponent::~TSysMonitorComponent() { current_.reset(); }

void TSysMonitorComponent::SetActive(bool value) {
  active_ = value;
  UpdateMonitor();
}

void TSysMonitorComponent::SetOnChange(const TThreadMethod& value) {
  onChange_ = value;
  UpdateMonitor();
}

TRaised TSysMonitorComponent::Loaded() {
  if (TSysComponent::Loaded().Gone()) return TRaised(false);
  SetActive(active_);
  return TRaised(true);
}

void TSysMonitorComponent::UpdateMonitor() {
  if (active_)
    Start();
  else
    Stop();
}

void TSysMonitorComponent::Start() {
  Stop();
  if (IsDesigning() || IsLoading() || IsDestroying() || !active_ || !onChange_) return;
  current_ = CreateWorker();
  if (!current_->Terminated()) current_->Resume();
}

void TSysMonitorComponent::Stop() {
  if (IsDesigning() || IsLoading() || !current_) return;
  // Terminate alone would leave the worker waiting for one more change, which it would still hand over. A worker
  // stopped from its own handler is detached instead and frees itself.
  if (current_->Shutdown())
    current_.reset();
  else
    current_.release();
}

}  // namespace shell

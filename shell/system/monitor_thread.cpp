#include "shell/system/monitor_thread.h"

#include <algorithm>

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

TSysMonitorThread::TSysMonitorThread(TThreadMethod onChange)
    : TSysThread(true), onChange_(std::move(onChange)), creatorThread_(GetCurrentThreadId()) {
  // Owned twice by the creator, which alone can let the worker have it.
  wakeMutex_ = CreateMutexW(nullptr, TRUE, nullptr);
  if (!wakeMutex_) RaiseLastOSError();
  WaitForSingleObject(wakeMutex_, 0);
}

TSysMonitorThread::~TSysMonitorThread() {
  Shutdown();
  CloseHandle(wakeMutex_);
}

void TSysMonitorThread::Shutdown() {
  if (Finished() && !Suspended()) return;
  detached_ = true;
  TThread::Terminate();
  if (GetCurrentThreadId() == creatorThread_)
    while (ReleaseMutex(wakeMutex_)) {
    }
  try {
    while (Suspended()) Resume();
    WaitFor();
  } catch (const Exception&) {
    // A worker that cannot be resumed or waited for never ran its loop.
  }
}

void TSysMonitorThread::WaitLoop(const std::function<std::vector<HANDLE>()>& watches,
                                 const std::function<void(size_t)>& changed) {
  while (!Terminated()) {
    std::vector<HANDLE> handles{wakeMutex_};
    for (HANDLE watch : watches()) handles.push_back(watch);
    const DWORD count = static_cast<DWORD>(handles.size());
    const DWORD result = WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE);
    if (result == WAIT_OBJECT_0) {
      ReleaseMutex(wakeMutex_);
    } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
      changed(result - WAIT_OBJECT_0 - 1);
    } else {
      // A failed wait, or the creator ended while it still held the mutex: nobody can wake this worker again.
      if (result == WAIT_ABANDONED_0) ReleaseMutex(wakeMutex_);
      return;
    }
  }
}

void TSysMonitorThread::DeliverChange() { Synchronize(TThreadMethod(this, &TSysMonitorThread::RunOnChange)); }

void TSysMonitorThread::RunOnChange() {
  if (!detached_ && onChange_) onChange_();
}

TSysMonitorComponent::~TSysMonitorComponent() {
  current_.reset();
  retired_.clear();
}

void TSysMonitorComponent::SetActive(bool value) {
  active_ = value;
  UpdateMonitor();
}

void TSysMonitorComponent::SetOnChange(const TThreadMethod& value) {
  onChange_ = value;
  UpdateMonitor();
}

void TSysMonitorComponent::Loaded() {
  TSysComponent::Loaded();
  SetActive(active_);
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
  if (IsDesigning() || IsLoading()) return;
  FreeEndedWorkers();
  if (!current_) return;
  current_->Terminate();
  retired_.push_back(std::move(current_));
}

void TSysMonitorComponent::FreeEndedWorkers() {
  retired_.erase(
      std::remove_if(retired_.begin(), retired_.end(), [](const auto& worker) { return worker->Finished(); }),
      retired_.end());
}

}  // namespace shell

// What the folder and registry monitors share: the worker that waits for a change and hands it to the main
// thread, and the component that starts a fresh worker on each activation and ends the previous one for good, so
// that no worker outlives its activation.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "shell/system/sys_component.h"
#include "shell/system/sys_threads.h"

namespace shell {

// Guard the parameters and the opening of the watches of all folder (registry) monitor workers; made at the
// set's start and deleted at its end.
extern CRITICAL_SECTION FolderMonitorLock;
extern CRITICAL_SECTION RegistryMonitorLock;
void InitializeMonitorLocks();
void DeleteMonitorLocks();

class TMonitorLock {
 public:
  explicit TMonitorLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~TMonitorLock() { LeaveCriticalSection(&section_); }
  TMonitorLock(const TMonitorLock&) = delete;
  TMonitorLock& operator=(const TMonitorLock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

// A worker made suspended by the thread that starts the monitor. Its wake mutex stays owned by that thread; a wait
// that finds it abandoned (that thread ended) ends the worker. Shutdown wakes it through a stop event of its own,
// from any thread.
class TSysMonitorThread : public TSysThread {
  BC_CLASS(TSysMonitorThread, TSysThread)
  explicit TSysMonitorThread(TThreadMethod onChange);
  ~TSysMonitorThread() override;

  // Ends the worker for good and waits for it. A change it is handing over is dropped, so nothing of the monitor
  // is reached afterwards. Called from the handler the worker is waiting on, it cannot wait: the worker is left to
  // end by itself and free itself, and the answer is false.
  bool Shutdown();

 protected:
  // Waits on the watches that watches() names now until the worker is shut down, its starter ends, or a wait
  // fails; changed(i) runs for the i-th watch that fired.
  void WaitLoop(const std::function<std::vector<HANDLE>()>& watches, const std::function<void(size_t)>& changed);
  // Runs OnChange on the main thread while the worker waits; its exception comes back here.
  void DeliverChange();

 private:
  void RunOnChange();

  TThreadMethod onChange_;
  HANDLE wakeMutex_ = nullptr;
  // Manual-reset: once set, every later wait of the worker ends at once.
  HANDLE stopEvent_ = nullptr;
  std::atomic<bool> detached_{false};
  // The handler runs on the main thread now, for this worker.
  bool handingOver_ = false;
};

// Active starts a worker whenever it is set true (a fresh one each time). Stopping wakes the worker and waits for
// it to end, so no handler runs after Stop and toggling Active leaves no thread or handle behind.
class TSysMonitorComponent : public TSysComponent {
  BC_CLASS(TSysMonitorComponent, TSysComponent)
  explicit TSysMonitorComponent(TComponent* owner = nullptr) : TSysComponent(owner) {}
  ~TSysMonitorComponent() override;

  bool Active() const { return active_; }
  // Restarts the monitor even when the value does not change.
  void SetActive(bool value);
  // Runs on the main thread after each change.
  const TThreadMethod& OnChange() const { return onChange_; }
  void SetOnChange(const TThreadMethod& value);
  // The current worker, null when none runs.
  TSysMonitorThread* Thread() const { return current_.get(); }

  TRaised Loaded() override;

 protected:
  virtual void UpdateMonitor();
  virtual void Start();
  virtual void Stop();
  // A worker, made suspended, with the monitor's parameters handed over.
  virtual std::unique_ptr<TSysMonitorThread> CreateWorker() = 0;
  template <class T>
  void SetParameter(T& field, const T& value) {
    if (field == value) return;
    field = value;
    UpdateMonitor();
  }

 private:
  bool active_ = false;
  TThreadMethod onChange_;
  std::unique_ptr<TSysMonitorThread> current_;
};

}  // namespace shell

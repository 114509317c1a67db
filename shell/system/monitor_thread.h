// What the folder and registry monitors share: the worker that waits for a change and hands it to the main
// thread, and the component that starts a fresh worker on each activation and keeps the stopped ones until they
// end, so that no worker outlives its monitor.
#pragma once

#include <windows.h>

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

// A worker made suspended by the thread that starts the monitor. Its wake mutex is owned by that thread until
// Shutdown releases it; a wait that finds it abandoned (that thread ended) ends the worker.
class TSysMonitorThread : public TSysThread {
  BC_CLASS(TSysMonitorThread, TSysThread)
  explicit TSysMonitorThread(TThreadMethod onChange);
  ~TSysMonitorThread() override;

  // On the thread that made the worker: ends it for good and waits for it. A change it is handing over is
  // dropped, so nothing of the monitor is reached afterwards.
  void Shutdown();

 protected:
  // Waits on the watches that watches() names now until the worker is terminated, woken for good, or a wait
  // fails; changed(i) runs for the i-th watch that fired.
  void WaitLoop(const std::function<std::vector<HANDLE>()>& watches, const std::function<void(size_t)>& changed);
  // Runs OnChange on the main thread while the worker waits; its exception comes back here.
  void DeliverChange();

 private:
  void RunOnChange();

  TThreadMethod onChange_;
  HANDLE wakeMutex_ = nullptr;
  DWORD creatorThread_ = 0;
  // Set and read on the main thread only.
  bool detached_ = false;
};

// Active starts a worker whenever it is set true (a fresh one each time); stopping only tells the worker to end,
// which it does after the next change it sees, still handing that change over. Freeing the monitor ends every
// worker it started and waits for them.
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
  // Stopped workers still waiting for their last change.
  size_t RetiredWorkers() const { return retired_.size(); }

  void Loaded() override;

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
  void FreeEndedWorkers();

  bool active_ = false;
  TThreadMethod onChange_;
  std::unique_ptr<TSysMonitorThread> current_;
  std::vector<std::unique_ptr<TSysMonitorThread>> retired_;
};

}  // namespace shell

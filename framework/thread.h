// Worker threads and the hand-over of work to the user-interface thread. A TThread runs Execute on a thread of
// its own; Synchronize runs a method on the user-interface thread while the worker waits. The user-interface
// thread serves those calls from any message loop (a hidden window of this unit wakes it) and from WaitFor.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>

#include "framework/delegate.h"
#include "framework/object.h"
#include "framework/raise_event.h"
#include "framework/startup.h"

using TThreadMethod = TDelegate<void()>;

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread : public TObject, protected TEventSource {
  BC_CLASS(TThread, TObject)
  // Raises EThread "Thread creation error: %s" when the system cannot make the thread. A thread not created
  // suspended may reach Execute before a derived constructor has finished: a derived class with members of its
  // own creates it suspended and calls Start at the end of its constructor.
  explicit TThread(bool createSuspended);
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  // Asks the thread to end and waits for it, starting it first when it never ran (Execute is then skipped).
  // A derived class whose Execute uses its own members must call Terminate and WaitFor in its own destructor,
  // because those members are gone by the time this destructor runs.
  ~TThread() override;

  // Lets a thread created suspended run; raises EThread when it runs already.
  void Start();
  // Undo one Suspend (or the suspended creation).
  void Resume();
  void Suspend();
  bool Suspended() const { return suspended_; }
  void SetSuspended(bool suspended);

  // Sets Terminated; Execute is expected to test it and return.
  virtual void Terminate();
  bool Terminated() const { return terminated_; }
  bool Finished() const { return finished_; }

  // Waits until the thread has ended and answers its ReturnValue. On the user-interface thread the Synchronize
  // calls of workers (this one's OnTerminate included) and messages sent from other threads are served while
  // waiting. Raises EThread when a thread waits for itself.
  int WaitFor();

  // Runs method on the user-interface thread and waits for it there; an exception the method raises is raised
  // again here. Called on the user-interface thread, the method runs at once.
  void Synchronize(const TThreadMethod& method);

  bool FreeOnTerminate() const { return freeOnTerminate_; }
  // The thread object deletes itself (on its own thread) once Execute and OnTerminate are done.
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
  TThreadPriority Priority() const;
  void SetPriority(TThreadPriority priority);
  int ReturnValue() const { return returnValue_; }
  void SetReturnValue(int value) { returnValue_ = value; }
  // The exception that ended Execute, null when it returned normally.
  std::exception_ptr FatalException() const { return fatalException_; }
  HANDLE Handle() const { return handle_; }
  DWORD ThreadID() const { return threadId_; }

  // Runs on the user-interface thread (through Synchronize) after Execute has ended; Sender is the thread.
  const TNotifyEvent& OnTerminate() const { return onTerminate_; }
  void SetOnTerminate(TNotifyEvent handler) { onTerminate_ = std::move(handler); }

 protected:
  virtual void Execute() = 0;
  // Raises OnTerminate on the user-interface thread.
  virtual void DoTerminate();

 private:
  static DWORD WINAPI ThreadMain(void* parameter);
  void CallOnTerminate();

  HANDLE handle_ = nullptr;
  DWORD threadId_ = 0;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> suspended_{false};
  bool started_ = false;
  std::atomic<bool> freeOnTerminate_{false};
  std::atomic<int> returnValue_{0};
  std::exception_ptr fatalException_;
  TNotifyEvent onTerminate_;
};

// The thread that serves Synchronize: the one that started SynchronizeUnit.
DWORD MainThreadID();
// Runs the Synchronize calls waiting now; answers whether there were any. Only the main thread runs them
// (elsewhere it answers false). Any message loop may call it; the unit's hidden window calls it too.
bool CheckSynchronize();

// Records the main thread and makes the hidden window that posted Synchronize requests wake.
const TUnit& SynchronizeUnit();

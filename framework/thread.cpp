#include "framework/thread.h"

#include <deque>
#include <mutex>

#include "framework/exceptions.h"
#include "framework/window_alloc.h"

namespace {

// Wakes the main thread's message loop: the hidden window runs the waiting Synchronize calls on it.
constexpr UINT WM_BC_SYNCHRONIZE = WM_APP + 0x3A51;

// One Synchronize call waiting for the main thread; it lives on the stack of the calling worker.
struct TSyncRequest {
  const TThreadMethod* Method;
  std::exception_ptr Error;
  HANDLE Done;
};

struct TSyncState {
  std::mutex Lock;
  std::deque<TSyncRequest*> Queue;
  DWORD MainThread = 0;
  HWND Window = nullptr;
  HANDLE Pending = nullptr;  // auto-reset: signalled when a request was queued, for WaitFor's wait
};

TSyncState& SyncState() {
  static TSyncState state;
  return state;
}

void SyncWindowMethod(TMessage& message) {
  if (message.Msg == WM_BC_SYNCHRONIZE)
    CheckSynchronize();
  else
    message.Result = DefWindowProcW(SyncState().Window, message.Msg, message.WParam, message.LParam);
}

void InitializeSynchronize() {
  TSyncState& state = SyncState();
  state.MainThread = GetCurrentThreadId();
  state.Pending = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  state.Window = AllocateHWnd(&SyncWindowMethod);
}

void FinalizeSynchronize() {
  TSyncState& state = SyncState();
  DeallocateHWnd(state.Window);
  state.Window = nullptr;
  CloseHandle(state.Pending);
  state.Pending = nullptr;
}

int WinPriority(TThreadPriority priority) {
  switch (priority) {
    case TThreadPriority::tpIdle:
      return THREAD_PRIORITY_IDLE;
    case TThreadPriority::tpLowest:
      return THREAD_PRIORITY_LOWEST;
    case TThreadPriority::tpLower:
      return THREAD_PRIORITY_BELOW_NORMAL;
    case TThreadPriority::tpNormal:
      return THREAD_PRIORITY_NORMAL;
    case TThreadPriority::tpHigher:
      return THREAD_PRIORITY_ABOVE_NORMAL;
    case TThreadPriority::tpHighest:
      return THREAD_PRIORITY_HIGHEST;
    case TThreadPriority::tpTimeCritical:
      return THREAD_PRIORITY_TIME_CRITICAL;
  }
  return THREAD_PRIORITY_NORMAL;
}

}  // namespace

DWORD MainThreadID() { return SyncState().MainThread; }

bool CheckSynchronize() {
  TSyncState& state = SyncState();
  if (GetCurrentThreadId() != state.MainThread) return false;
  std::deque<TSyncRequest*> taken;
  {
    std::lock_guard<std::mutex> guard(state.Lock);
    taken.swap(state.Queue);
  }
  for (TSyncRequest* request : taken) {
    try {
      (*request->Method)();
    } catch (...) {
      request->Error = std::current_exception();
    }
    SetEvent(request->Done);
  }
  return !taken.empty();
}

const TUnit& SynchronizeUnit() {
  static const TUnit unit{L"synchronize", &InitializeSynchronize, &FinalizeSynchronize, {}};
  return unit;
}

TThread::TThread(bool createSuspended) : suspended_(createSuspended), started_(!createSuspended) {
  handle_ = CreateThread(nullptr, 0, &TThread::ThreadMain, this, CREATE_SUSPENDED, &threadId_);
  if (!handle_) throw EThread(Format(L"Thread creation error: %s", {SysErrorMessage(GetLastError())}));
  if (!createSuspended) ResumeThread(handle_);
}

TThread::~TThread() {
  if (handle_ && !finished_ && GetCurrentThreadId() != threadId_) {
    Terminate();
    try {
      while (suspended_) Resume();
      WaitFor();
    } catch (...) {
      // The thread cannot be resumed or waited for; its handle is released all the same.
    }
  }
  if (handle_) CloseHandle(handle_);
}

DWORD WINAPI TThread::ThreadMain(void* parameter) {
  auto* thread = static_cast<TThread*>(parameter);
  if (!thread->terminated_) {
    try {
      thread->Execute();
    } catch (...) {
      thread->fatalException_ = std::current_exception();
    }
  }
  const DWORD result = static_cast<DWORD>(thread->returnValue_.load());
  try {
    thread->DoTerminate();
  } catch (...) {
    if (!thread->fatalException_) thread->fatalException_ = std::current_exception();
  }
  // Read after OnTerminate: its handler may free the thread's owner, who cannot wait for a thread that waits for
  // that very handler, and so leaves the thread to free itself.
  const bool freeThread = thread->freeOnTerminate_;
  thread->finished_ = true;
  if (freeThread) delete thread;
  return result;
}

void TThread::Start() {
  if (started_ || !suspended_) throw EThread(L"Cannot call Start on a running or suspended thread");
  Resume();
}

void TThread::Resume() {
  DWORD previousCount = ResumeThread(handle_);
  if (previousCount == static_cast<DWORD>(-1)) RaiseLastOSError();
  if (previousCount <= 1) {
    suspended_ = false;
    started_ = true;
  }
}

void TThread::Suspend() {
  bool wasSuspended = suspended_.exchange(true);
  if (SuspendThread(handle_) == static_cast<DWORD>(-1)) {
    suspended_ = wasSuspended;
    RaiseLastOSError();
  }
}

void TThread::SetSuspended(bool suspended) {
  if (suspended == suspended_) return;
  if (suspended)
    Suspend();
  else
    Resume();
}

void TThread::Terminate() { terminated_ = true; }

int TThread::WaitFor() {
  if (GetCurrentThreadId() == threadId_) throw EThread(L"A thread cannot wait for itself");
  TSyncState& state = SyncState();
  if (GetCurrentThreadId() == state.MainThread && state.Pending) {
    HANDLE handles[2] = {handle_, state.Pending};
    for (;;) {
      DWORD wait = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
      if (wait == WAIT_OBJECT_0) break;
      if (wait == WAIT_OBJECT_0 + 1) {
        CheckSynchronize();
      } else if (wait == WAIT_OBJECT_0 + 2) {
        // Peeking delivers the messages other threads send to this one, without taking posted ones.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
      } else {
        RaiseLastOSError();
      }
    }
    // A request queued just before the end (OnTerminate) is already served; anything left waits for a loop.
    CheckSynchronize();
  } else {
    WaitForSingleObject(handle_, INFINITE);
  }
  DWORD exitCode = 0;
  GetExitCodeThread(handle_, &exitCode);
  return static_cast<int>(exitCode);
}

void TThread::Synchronize(const TThreadMethod& method) {
  TSyncState& state = SyncState();
  if (GetCurrentThreadId() == state.MainThread) {
    method();
    return;
  }
  TSyncRequest request{&method, nullptr, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  if (!request.Done) RaiseLastOSError();
  {
    std::lock_guard<std::mutex> guard(state.Lock);
    state.Queue.push_back(&request);
  }
  if (state.Pending) SetEvent(state.Pending);
  if (state.Window) PostMessageW(state.Window, WM_BC_SYNCHRONIZE, 0, 0);
  WaitForSingleObject(request.Done, INFINITE);
  CloseHandle(request.Done);
  if (request.Error) std::rethrow_exception(request.Error);
}

TThreadPriority TThread::Priority() const {
  int value = GetThreadPriority(handle_);
  for (int p = static_cast<int>(TThreadPriority::tpIdle); p <= static_cast<int>(TThreadPriority::tpTimeCritical); ++p)
    if (WinPriority(static_cast<TThreadPriority>(p)) == value) return static_cast<TThreadPriority>(p);
  return TThreadPriority::tpNormal;
}

void TThread::SetPriority(TThreadPriority priority) { SetThreadPriority(handle_, WinPriority(priority)); }

void TThread::DoTerminate() {
  if (onTerminate_) Synchronize(TThreadMethod(this, &TThread::CallOnTerminate));
}

void TThread::CallOnTerminate() {
  // The last act of the thread's end.
  if (RaiseEvent(onTerminate_, this).Gone()) return;
}

#include "tree/worker_thread.h"

#include <algorithm>
#include <memory>

#include "framework/exceptions.h"
#include "tree/base_tree.h"

namespace tree {

namespace {

std::unique_ptr<TWorkerThread> worker;
int referenceCount = 0;
// How long a tree stays queued, unchanged, before its cache is built.
constexpr ULONGLONG QuietMilliseconds = 10;

class TLockGuard {
 public:
  explicit TLockGuard(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
  ~TLockGuard() { LeaveCriticalSection(&lock_); }
  TLockGuard(const TLockGuard&) = delete;
  TLockGuard& operator=(const TLockGuard&) = delete;

 private:
  CRITICAL_SECTION& lock_;
};

}  // namespace

TWorkerThread::TWorkerThread() : TThread(true) {
  InitializeCriticalSection(&lock_);
  InitializeConditionVariable(&released_);
  workEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!workEvent_) {
    DWORD error = GetLastError();
    DeleteCriticalSection(&lock_);
    RaiseLastOSError(error);
  }
  Start();
}

TWorkerThread::~TWorkerThread() {
  Terminate();
  SetEvent(workEvent_);
  WaitFor();
  CloseHandle(workEvent_);
  DeleteCriticalSection(&lock_);
}

void TWorkerThread::AddTree(TBaseTree* tree) {
  TLockGuard guard(lock_);
  if (tree->cacheFlags_ & TBaseTree::cfQueued) return;
  tree->cacheFlags_ |= TBaseTree::cfQueued;
  waiters_.push_back({tree, GetTickCount64()});
}

void TWorkerThread::RemoveTree(TBaseTree* tree) {
  TLockGuard guard(lock_);
  Unqueue(tree);
}

void TWorkerThread::Unqueue(TBaseTree* tree) {
  if (!(tree->cacheFlags_ & TBaseTree::cfQueued)) return;
  waiters_.erase(
      std::remove_if(waiters_.begin(), waiters_.end(), [tree](const TWaiter& waiter) { return waiter.Tree == tree; }),
      waiters_.end());
  tree->cacheFlags_ &= ~TBaseTree::cfQueued;
}

TBaseTree* TWorkerThread::CurrentTree() {
  TLockGuard guard(lock_);
  return current_;
}

void TWorkerThread::Signal() {
  bool wake = false;
  {
    TLockGuard guard(lock_);
    wake = sleeping_;
    sleeping_ = false;
  }
  // A thread that is awake, or waits for a queued tree to settle, looks at the queue again by itself.
  if (wake) SetEvent(workEvent_);
}

bool TWorkerThread::InterruptTree(TBaseTree* tree) {
  TLockGuard guard(lock_);
  Unqueue(tree);
  return StopBuild(tree);
}

bool TWorkerThread::HoldTree(TBaseTree* tree) {
  TLockGuard guard(lock_);
  const bool queued = (tree->cacheFlags_ & TBaseTree::cfQueued) != 0;
  Unqueue(tree);
  const bool stopped = StopBuild(tree);
  if (queued || stopped) {
    tree->cacheFlags_ |= TBaseTree::cfQueued;
    waiters_.push_back({tree, GetTickCount64()});
    // The thread may have gone to sleep with nothing queued while the build stopped.
    sleeping_ = false;
    SetEvent(workEvent_);
  }
  return stopped;
}

bool TWorkerThread::StopBuild(TBaseTree* tree) {
  if (current_ != tree) return false;
  tree->cacheFlags_ |= TBaseTree::cfStopValidation;
  SetThreadPriority(Handle(), THREAD_PRIORITY_HIGHEST);
  while (current_ == tree) SleepConditionVariableCS(&released_, &lock_, INFINITE);
  SetThreadPriority(Handle(), THREAD_PRIORITY_NORMAL);
  tree->cacheFlags_ &= ~TBaseTree::cfStopValidation;
  return true;
}

TBaseTree* TWorkerThread::TakeNextTree(DWORD& wait) {
  TLockGuard guard(lock_);
  wait = INFINITE;
  sleeping_ = waiters_.empty();
  const ULONGLONG now = GetTickCount64();
  auto ready = waiters_.end();
  for (auto it = waiters_.begin(); it != waiters_.end(); ++it) {
    const ULONGLONG due = it->QueuedAt + QuietMilliseconds;
    if (due <= now) {
      ready = it;
      break;
    }
    wait = std::min<DWORD>(wait, static_cast<DWORD>(due - now));
  }
  if (ready == waiters_.end()) return nullptr;
  TBaseTree* tree = ready->Tree;
  waiters_.erase(ready);
  // One store, so a reader of the flags never sees the tree neither queued nor validating.
  tree->cacheFlags_ = (tree->cacheFlags_ & ~TBaseTree::cfQueued) | TBaseTree::cfValidating;
  current_ = tree;
  return tree;
}

void TWorkerThread::FinishTree(TBaseTree* tree) {
  TLockGuard guard(lock_);
  tree->cacheFlags_ &= ~TBaseTree::cfValidating;
  current_ = nullptr;
  WakeAllConditionVariable(&released_);
}

void TWorkerThread::Execute() {
  DWORD wait = INFINITE;
  while (!Terminated()) {
    WaitForSingleObject(workEvent_, wait);
    if (Terminated()) break;
    // One wake-up serves the whole queue: trees queued together share a single signal.
    while (TBaseTree* tree = TakeNextTree(wait)) {
      tree->ValidateCache();
      FinishTree(tree);
      if (Terminated()) break;
    }
  }
}

void AddThreadReference() {
  if (!worker) worker = std::make_unique<TWorkerThread>();
  ++referenceCount;
}

void ReleaseThreadReference(TBaseTree* tree) {
  if (!worker) return;
  --referenceCount;
  worker->InterruptTree(tree);
  if (referenceCount <= 0) {
    referenceCount = 0;
    worker.reset();
  }
}

TWorkerThread* WorkerThread() { return worker.get(); }

}  // namespace tree

// The one background thread of the process that builds trees' position caches. Trees queue themselves and wake
// it through an event; a tree that is about to change its structure takes itself off the queue and, when its
// build runs, stops it and waits until the worker has let go of it. A tree is built only once it has stayed
// queued for a moment, so a burst of changes (each of which queues the tree again) costs one build at its end
// instead of a build begun and stopped per change.
#pragma once

#include <windows.h>

#include <deque>

#include "framework/thread.h"

namespace tree {

class TBaseTree;

class TWorkerThread : public TThread {
  BC_CLASS(TWorkerThread, TThread)
  // Raises EOSError when the wake-up event cannot be made.
  TWorkerThread();
  ~TWorkerThread() override;

  // Queues the tree unless it is queued already.
  void AddTree(TBaseTree* tree);
  void RemoveTree(TBaseTree* tree);
  // The tree whose cache is being built now, or null.
  TBaseTree* CurrentTree();
  // Wakes the thread when it sleeps; it serves every queued tree before it sleeps again.
  void Signal();
  // Takes the tree off the queue; when its build runs, asks it to stop and waits (at raised priority) until the
  // thread has let go of the tree. Answers whether a build was stopped.
  bool InterruptTree(TBaseTree* tree);
  // Stops the tree's build when it runs and leaves the tree queued, as it was, for the quiet time from now.
  // Answers whether a build was stopped.
  bool HoldTree(TBaseTree* tree);

 protected:
  void Execute() override;

 private:
  struct TWaiter {
    TBaseTree* Tree;
    ULONGLONG QueuedAt;  // tick count
  };
  // The first queued tree that has stayed queued for the quiet time, marked as validating under the lock so that
  // no interrupt can miss it; null when none, with wait set to the milliseconds until one may be (INFINITE
  // when the queue is empty).
  TBaseTree* TakeNextTree(DWORD& wait);
  // Takes the tree off the queue; the lock is held.
  void Unqueue(TBaseTree* tree);
  // Asks the tree's running build to stop and waits (at raised priority) until the thread has let go of the
  // tree; the lock is held. Answers whether a build was running.
  bool StopBuild(TBaseTree* tree);
  void FinishTree(TBaseTree* tree);

  HANDLE workEvent_ = nullptr;
  CRITICAL_SECTION lock_;
  CONDITION_VARIABLE released_;
  std::deque<TWaiter> waiters_;
  TBaseTree* current_ = nullptr;
  bool sleeping_ = true;  // waits for the event with nothing queued
};

// Trees share the thread through references: the first reference starts it, the last release ends it.
void AddThreadReference();
// Stops any build of the tree, takes it off the queue, and ends the thread when this was the last reference.
void ReleaseThreadReference(TBaseTree* tree);
// The running thread, or null when no tree exists.
TWorkerThread* WorkerThread();

}  // namespace tree

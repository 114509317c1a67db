#include "framework/thread.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/exceptions.h"
#include "support/modal_input.h"

namespace {

// A thread whose body is a callable, so each test states its own Execute.
class TLambdaThread : public TThread {
 public:
  // Created suspended and started once body_ exists: a running thread could call Execute before then.
  TLambdaThread(bool createSuspended, std::function<void(TLambdaThread&)> body, HANDLE destroyed = nullptr)
      : TThread(true), body_(std::move(body)), destroyed_(destroyed) {
    if (!createSuspended) Start();
  }
  ~TLambdaThread() override {
    Terminate();
    if (!Finished() && GetCurrentThreadId() != ThreadID()) {
      while (Suspended()) Resume();
      WaitFor();
    }
    if (destroyed_) SetEvent(destroyed_);
  }
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(TLambdaThread&)> body_;
  HANDLE destroyed_;
};

String MessageOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    return e.ClassName() + L": " + e.Message();
  } catch (...) {
    return L"?";
  }
}

// Serves Synchronize the way the application's loop does, through the hidden window, until the event is set.
bool PumpUntil(HANDLE event, DWORD maxMilliseconds = 5000) {
  return RunModalWithInput(
      nullptr,
      [&] {
        while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
          ProcessPendingMessages();
      },
      maxMilliseconds);
}

}  // namespace

TEST(ThreadSynchronize, HandlerExceptionIsRaisedAgainInTheWorker) {
  DWORD handlerThread = 0;
  String caught;
  TLambdaThread thread(false, [&](TLambdaThread& self) {
    try {
      self.Synchronize([&] {
        handlerThread = GetCurrentThreadId();
        throw EConvertError(L"not a number");
      });
    } catch (const EConvertError& e) {
      caught = e.Message();
    }
    // Uncaught this time: it ends Execute and becomes the thread's fatal exception.
    self.Synchronize([] { throw EListError(L"gone"); });
  });
  thread.WaitFor();

  EXPECT_EQ(GetCurrentThreadId(), handlerThread);
  EXPECT_EQ(L"not a number", caught);
  ASSERT_TRUE(thread.FatalException());
  EXPECT_EQ(L"EListError: gone", MessageOf(thread.FatalException()));
}

TEST(ThreadSynchronize, WaitForServesSynchronizeAndAnswersTheReturnValue) {
  std::vector<DWORD> ranOn;
  TLambdaThread thread(false, [&](TLambdaThread& self) {
    for (int i = 0; i < 3; ++i) self.Synchronize([&] { ranOn.push_back(GetCurrentThreadId()); });
    self.SetReturnValue(42);
  });

  EXPECT_EQ(42, thread.WaitFor());
  EXPECT_EQ(std::vector<DWORD>(3, GetCurrentThreadId()), ranOn);
  EXPECT_FALSE(thread.FatalException());
}

TEST(ThreadSynchronize, AnyMessageLoopServesItThroughTheHiddenWindow) {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD ranOn = 0;
  TLambdaThread thread(false, [&](TLambdaThread& self) {
    self.Synchronize([&] { ranOn = GetCurrentThreadId(); });
    SetEvent(done);
  });
  EXPECT_TRUE(PumpUntil(done));
  thread.WaitFor();
  CloseHandle(done);
  EXPECT_EQ(GetCurrentThreadId(), ranOn);
}

TEST(ThreadSynchronize, OnTheMainThreadTheMethodRunsAtOnce) {
  TLambdaThread thread(true, [](TLambdaThread&) {});
  bool ran = false;
  thread.Synchronize([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_FALSE(CheckSynchronize());
  EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
}

TEST(ThreadLifetime, OnTerminateRunsOnTheUserInterfaceThreadAfterExecute) {
  std::vector<String> events;
  DWORD terminateThread = 0;
  TObject* sender = nullptr;
  TLambdaThread thread(true, [&](TLambdaThread&) { events.push_back(L"execute"); });
  thread.SetOnTerminate([&](TObject* s) {
    events.push_back(L"terminate");
    terminateThread = GetCurrentThreadId();
    sender = s;
  });
  thread.Start();
  thread.WaitFor();

  EXPECT_EQ((std::vector<String>{L"execute", L"terminate"}), events);
  EXPECT_EQ(GetCurrentThreadId(), terminateThread);
  EXPECT_EQ(&thread, sender);
  EXPECT_TRUE(thread.Finished());
}

TEST(ThreadLifetime, FreeOnTerminateDeletesTheThreadAfterOnTerminate) {
  HANDLE destroyed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool terminated = false;
  auto* thread = new TLambdaThread(
      true, [](TLambdaThread&) {}, destroyed);
  thread->SetFreeOnTerminate(true);
  thread->SetOnTerminate([&](TObject*) { terminated = true; });
  thread->Start();
  EXPECT_TRUE(PumpUntil(destroyed));
  CloseHandle(destroyed);
  EXPECT_TRUE(terminated);
}

TEST(ThreadLifetime, ExceptionFromOnTerminateStaysInTheThread) {
  TLambdaThread thread(true, [](TLambdaThread&) {});
  thread.SetOnTerminate([](TObject*) { throw EInvalidOperation(L"late"); });
  thread.Start();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(L"EInvalidOperation: late", MessageOf(thread.FatalException()));
}

TEST(ThreadLifetime, SuspendedCreationWaitsForStart) {
  HANDLE ran = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  TLambdaThread thread(true, [&](TLambdaThread&) { SetEvent(ran); });
  EXPECT_TRUE(thread.Suspended());
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(ran, 100));
  thread.Start();
  EXPECT_FALSE(thread.Suspended());
  EXPECT_THROW(thread.Start(), EThread);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ran, 5000));
  thread.WaitFor();
  CloseHandle(ran);
  EXPECT_NE(nullptr, thread.Handle());
  EXPECT_NE(0u, thread.ThreadID());
}

TEST(ThreadLifetime, DestroyingANeverStartedThreadSkipsExecute) {
  bool executed = false;
  bool terminated = false;
  {
    TLambdaThread thread(true, [&](TLambdaThread&) { executed = true; });
    thread.SetOnTerminate([&](TObject*) { terminated = true; });
  }
  EXPECT_FALSE(executed);
  EXPECT_TRUE(terminated);
}

TEST(ThreadLifetime, DestroyingARunningThreadTerminatesAndWaits) {
  HANDLE running = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool sawTerminated = false;
  {
    TLambdaThread thread(false, [&](TLambdaThread& self) {
      SetEvent(running);
      while (!self.Terminated()) Sleep(1);
      sawTerminated = true;
    });
    WaitForSingleObject(running, 5000);
  }
  CloseHandle(running);
  EXPECT_TRUE(sawTerminated);
}

TEST(ThreadLifetime, ExceptionFromExecuteBecomesTheFatalException) {
  TLambdaThread thread(false, [](TLambdaThread& self) {
    self.SetReturnValue(3);
    throw EInvalidOperation(L"stopped");
  });
  EXPECT_EQ(3, thread.WaitFor());
  EXPECT_EQ(L"EInvalidOperation: stopped", MessageOf(thread.FatalException()));
}

TEST(ThreadLifetime, SuspendAndResumeAndPriority) {
  TLambdaThread thread(false, [](TLambdaThread& self) {
    while (!self.Terminated()) Sleep(1);
  });
  thread.SetPriority(TThreadPriority::tpHighest);
  EXPECT_EQ(TThreadPriority::tpHighest, thread.Priority());
  thread.SetSuspended(true);
  EXPECT_TRUE(thread.Suspended());
  thread.SetSuspended(false);
  EXPECT_FALSE(thread.Suspended());
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
}

TEST(ThreadLifetime, AThreadCannotWaitForItself) {
  bool refused = false;
  TLambdaThread thread(false, [&](TLambdaThread& self) {
    try {
      self.WaitFor();
    } catch (const EThread&) {
      refused = true;
    }
  });
  thread.WaitFor();
  EXPECT_TRUE(refused);
}

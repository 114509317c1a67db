#include "support/test_watchdog.h"

#include <cstdlib>
#include <string>

namespace {

class TTestWatchdog : public testing::EmptyTestEventListener {
 public:
  explicit TTestWatchdog(DWORD limitMilliseconds) : limit_(limitMilliseconds) {
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &TTestWatchdog::Main, this, 0, nullptr);
  }

  void OnTestStart(const testing::TestInfo& test) override {
    const std::string stopMessage = "\n" + std::string(test.test_suite_name()) + "." + test.name() +
                                    " did not finish within " + std::to_string(limit_ / 1000) +
                                    " s; the test program stops.\n";
    AcquireSRWLockExclusive(&lock_);
    stopMessage_ = stopMessage;
    started_ = GetTickCount64();
    ReleaseSRWLockExclusive(&lock_);
    SetEvent(wake_);
  }

  void OnTestEnd(const testing::TestInfo&) override {
    AcquireSRWLockExclusive(&lock_);
    stopMessage_.clear();
    ReleaseSRWLockExclusive(&lock_);
  }

 private:
  // Takes no lock that the hung thread may hold, the heap's and the C library's among them (a thread spinning in a
  // damaged heap holds the heap's): the message was written when the test started and goes straight to the
  // handle, and the end is not ExitProcess, which needs the locks that an orderly exit takes.
  static DWORD WINAPI Main(void* parameter) {
    auto* watchdog = static_cast<TTestWatchdog*>(parameter);
    for (;;) {
      WaitForSingleObject(watchdog->wake_, 1000);
      AcquireSRWLockShared(&watchdog->lock_);
      const std::string& message = watchdog->stopMessage_;
      if (!message.empty() && GetTickCount64() - watchdog->started_ >= watchdog->limit_) {
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), message.data(), static_cast<DWORD>(message.size()), &written,
                  nullptr);
        TerminateProcess(GetCurrentProcess(), 4);
      }
      ReleaseSRWLockShared(&watchdog->lock_);
    }
  }

  DWORD limit_;
  HANDLE wake_ = nullptr;
  HANDLE thread_ = nullptr;
  SRWLOCK lock_ = SRWLOCK_INIT;
  // What the watchdog says when the running test passes the limit; empty between tests.
  std::string stopMessage_;
  ULONGLONG started_ = 0;
};

}  // namespace

void InstallTestWatchdog(DWORD defaultLimitSeconds) {
  DWORD seconds = defaultLimitSeconds;
  char text[16];
  DWORD length = GetEnvironmentVariableA("BC_TEST_TIME_LIMIT", text, sizeof text);
  if (length > 0 && length < sizeof text && std::atoi(text) > 0) seconds = static_cast<DWORD>(std::atoi(text));
  // The listener list owns the listener and keeps it for the whole run.
  testing::UnitTest::GetInstance()->listeners().Append(new TTestWatchdog(seconds * 1000));
}

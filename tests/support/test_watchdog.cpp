#include "support/test_watchdog.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

class TTestWatchdog : public testing::EmptyTestEventListener {
 public:
  explicit TTestWatchdog(DWORD limitMilliseconds) : limit_(limitMilliseconds) {
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &TTestWatchdog::Main, this, 0, nullptr);
  }

  void OnTestStart(const testing::TestInfo& test) override {
    std::lock_guard<std::mutex> guard(lock_);
    current_ = std::string(test.test_suite_name()) + "." + test.name();
    started_ = GetTickCount64();
    SetEvent(wake_);
  }

  void OnTestEnd(const testing::TestInfo&) override {
    std::lock_guard<std::mutex> guard(lock_);
    current_.clear();
  }

 private:
  static DWORD WINAPI Main(void* parameter) {
    auto* watchdog = static_cast<TTestWatchdog*>(parameter);
    for (;;) {
      WaitForSingleObject(watchdog->wake_, 1000);
      std::lock_guard<std::mutex> guard(watchdog->lock_);
      if (watchdog->current_.empty() || GetTickCount64() - watchdog->started_ < watchdog->limit_) continue;
      std::fprintf(stderr, "\n%s did not finish within %lu s; the test program stops.\n",
                   watchdog->current_.c_str(), static_cast<unsigned long>(watchdog->limit_ / 1000));
      std::fflush(stderr);
      std::fflush(stdout);
      // Not ExitProcess: the hung thread may hold the locks that an orderly exit needs.
      TerminateProcess(GetCurrentProcess(), 4);
    }
  }

  DWORD limit_;
  HANDLE wake_ = nullptr;
  HANDLE thread_ = nullptr;
  std::mutex lock_;
  std::string current_;
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

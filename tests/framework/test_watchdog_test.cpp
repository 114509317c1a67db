// The watchdog of the test programs ends a test that hangs and names it, even one that hangs holding the process
// heap's lock, as a thread spinning in a damaged heap does. A copy of this program hangs and is watched from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/program_copy.h"

namespace {

const wchar_t kHangVariable[] = L"BC_HANG_WITH_THE_HEAP_LOCKED";
const wchar_t kTimeLimitVariable[] = L"BC_TEST_TIME_LIMIT";

}  // namespace

// Runs only in the copy.
TEST(TestWatchdog, DISABLED_HangsWithTheHeapLocked) {
  HeapLock(GetProcessHeap());
  for (;;) Sleep(1000);
}

TEST(TestWatchdog, EndsAHungTestThatHoldsTheHeapAndNamesIt) {
  // The copy's watchdog reads its limit when the copy starts.
  SetEnvironmentVariableW(kTimeLimitVariable, L"1");
  TProgramCopyResult run = RunProgramCopy(L"TestWatchdog.DISABLED_HangsWithTheHeapLocked", kHangVariable, L"1", 60000);
  SetEnvironmentVariableW(kTimeLimitVariable, nullptr);
  ASSERT_TRUE(run.Started);
  EXPECT_EQ(run.ExitCode, 4u) << run.Output;
  EXPECT_NE(run.Output.find("TestWatchdog.DISABLED_HangsWithTheHeapLocked did not finish within 1 s"),
            std::string::npos)
      << run.Output;
}

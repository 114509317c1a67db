// Ends a test program whose current test runs far too long, naming that test: a hang then costs seconds and says
// where it is, instead of running into the test runner's time-out without a word.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

// Installs the watchdog as a GoogleTest listener; the limit per test comes from BC_TEST_TIME_LIMIT (seconds),
// else the given default.
void InstallTestWatchdog(DWORD defaultLimitSeconds = 120);

// The entry of every test program: the units start in their defined order, GoogleTest runs, the units stop.
#include <gtest/gtest.h>

#include "framework/startup.h"
#include "support/test_units.h"
#include "support/test_watchdog.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  InstallTestWatchdog();
  InitializeUnit(FrameworkUnit());
  StartAreaUnits();
  int result = RUN_ALL_TESTS();
  FinalizeUnits();
  return result;
}

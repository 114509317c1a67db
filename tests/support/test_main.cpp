// The entry of every test program: the units start in their defined order, GoogleTest runs, the units stop.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/application.h"
#include "framework/startup.h"
#include "support/fault_recorder.h"
#include "support/modal_input.h"
#include "support/test_units.h"
#include "support/test_watchdog.h"

namespace {

// An exception nobody expected would otherwise wait in a message box for a person to close it.
int WINAPI FailInsteadOfMessageBox(HWND, const wchar_t* text, const wchar_t*, UINT) {
  ADD_FAILURE() << "exception shown: " << text;
  return IDOK;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  InstallTestWatchdog();
  InstallFaultRecorder();
  InstallPendingInputDrop();
  SetMessageBoxFunction(&FailInsteadOfMessageBox);
  InitializeUnit(FrameworkUnit());
  StartAreaUnits();
  int result = RUN_ALL_TESTS();
  FinalizeUnits();
  // The program's own end (the units stopping, the windows they free) is part of what is tested.
  const std::string exitFaults = TakeFaultReport();
  if (exitFaults.empty()) return result;
  std::fprintf(stderr, "faults raised while the program ended:\n%s", exitFaults.c_str());
  return 1;
}

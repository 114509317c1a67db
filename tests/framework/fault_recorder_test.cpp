// The recorder of faults fails a test program for a fault the platform swallows, raised inside a test or while the
// program ends: a copy of this program plants one and is watched from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/startup.h"
#include "support/program_copy.h"

namespace {

const wchar_t kPlantVariable[] = L"BC_PLANT_FAULT";
const wchar_t kPlantInTest[] = L"test";
const wchar_t kPlantAtExit[] = L"exit";

// A message reaching an object already freed ends in a call through a null pointer.
void (*volatile freedHandler)() = nullptr;

LRESULT CALLBACK FaultOnDestroy(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) freedHandler();
  return DefWindowProcW(window, msg, wParam, lParam);
}

// The platform sends WM_DESTROY from inside DestroyWindow, where it swallows what the procedure raises.
void DestroyFaultingWindow() {
  WNDCLASSW cls = {};
  cls.lpfnWndProc = &FaultOnDestroy;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"BcFaultOnDestroy";
  RegisterClassW(&cls);
  HWND window = CreateWindowW(cls.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance, nullptr);
  DestroyWindow(window);
}

const TUnit& FaultingUnit() {
  static const TUnit unit{L"faulting unit", nullptr, &DestroyFaultingWindow, {}};
  return unit;
}

}  // namespace

// Runs only in the copy, which the variable tells where to plant the fault.
TEST(FaultRecorder, DISABLED_PlantsAFault) {
  if (ProgramCopyValue(kPlantVariable) == kPlantInTest)
    DestroyFaultingWindow();
  else
    InitializeUnit(FaultingUnit());
}

TEST(FaultRecorder, ASwallowedFaultFailsTheProgram) {
  for (const wchar_t* where : {kPlantInTest, kPlantAtExit}) {
    SCOPED_TRACE(testing::Message() << "fault planted in the " << (where == kPlantInTest ? "test" : "program's end"));
    TProgramCopyResult run = RunProgramCopy(L"FaultRecorder.DISABLED_PlantsAFault", kPlantVariable, where);
    ASSERT_TRUE(run.Started);
    EXPECT_NE(run.ExitCode, 0u);
    EXPECT_NE(run.Output.find("access violation"), std::string::npos) << run.Output;
  }
}

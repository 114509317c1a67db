// The recorder of faults fails a test program for a fault the platform swallows, raised inside a test or while the
// program ends; a fault nobody handles ends the program at once with a failing code, instead of waiting for a
// debugger. A copy of this program plants each and is watched from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/startup.h"
#include "support/program_copy.h"

namespace {

const wchar_t kPlantVariable[] = L"BC_PLANT_FAULT";
const wchar_t kPlantInTest[] = L"test";
const wchar_t kPlantAtExit[] = L"exit";
const wchar_t kPlantUnhandled[] = L"unhandled";

// A message reaching an object already freed ends in a call through a null pointer.
void (*volatile freedHandler)() = nullptr;

LRESULT CALLBACK FaultOnDestroy(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) freedHandler();
  return DefWindowProcW(window, msg, wParam, lParam);
}

// The platform sends WM_DESTROY from inside DestroyWindow, where it swallows what the procedure raises.
// No handler stands between a thread's own code and the platform's start of the thread. The fault comes with the
// process heap locked, as one inside a damaged heap does: what ends the program must not need the heap.
DWORD WINAPI FaultUnhandled(void*) {
  HeapLock(GetProcessHeap());
  freedHandler();
  return 0;
}

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
  const String where = ProgramCopyValue(kPlantVariable);
  if (where == kPlantInTest) {
    DestroyFaultingWindow();
  } else if (where == kPlantUnhandled) {
    HANDLE thread = CreateThread(nullptr, 0, &FaultUnhandled, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  } else {
    InitializeUnit(FaultingUnit());
  }
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

TEST(FaultRecorder, AnUnhandledFaultEndsTheProgramAtOnce) {
  // A copy still running at the limit is ended with exit code 1: only the fault's own code shows that it ended
  // by itself.
  TProgramCopyResult run =
      RunProgramCopy(L"FaultRecorder.DISABLED_PlantsAFault", kPlantVariable, kPlantUnhandled, 60000);
  ASSERT_TRUE(run.Started);
  EXPECT_EQ(run.ExitCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION)) << run.Output;
}

#include "framework/startup.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <psapi.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/component.h"
#include "framework/object.h"
#include "framework/strings.h"
#include "support/allocation_count.h"
#include "support/program_copy.h"
#include "temp_files.h"

namespace {

std::vector<String>& StartLog() {
  static std::vector<String> log;
  return log;
}

void StartBase() { StartLog().push_back(L"base"); }
void StartLeft() { StartLog().push_back(L"left"); }
void StartRight() { StartLog().push_back(L"right"); }
void StartTop() { StartLog().push_back(L"top"); }

// A diamond: top needs left and right, both need base. A unit starts at most once per process, so each run of a
// test makes a diamond of its own, which lives as long as the list of started units that points at it.
struct TDiamond {
  TUnit Base{L"test base", &StartBase, nullptr, {}};
  TUnit Left{L"test left", &StartLeft, nullptr, {&Base}};
  TUnit Right{L"test right", &StartRight, nullptr, {&Base}};
  TUnit Top{L"test top", &StartTop, nullptr, {&Left, &Right}};
};

TDiamond& NewDiamond() {
  static std::deque<TDiamond> diamonds;
  StartLog().clear();
  return diamonds.emplace_back();
}

// A second diamond whose units write their shut-down to the file that this variable names; only a copy of the
// test program started by the shut-down test sets it.
constexpr const wchar_t* kStopLogVariable = L"BC_TEST_UNIT_STOP_LOG";

void LogStop(const char* name) {
  wchar_t path[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(kStopLogVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = std::string(name) + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

void StopBase() { LogStop("base"); }
void StopLeft() { LogStop("left"); }
void StopRight() { LogStop("right"); }
void StopTop() { LogStop("top"); }

const TUnit& StopBaseUnit() {
  static const TUnit unit{L"stop base", nullptr, &StopBase, {}};
  return unit;
}
const TUnit& StopLeftUnit() {
  static const TUnit unit{L"stop left", nullptr, &StopLeft, {&StopBaseUnit()}};
  return unit;
}
const TUnit& StopRightUnit() {
  static const TUnit unit{L"stop right", nullptr, &StopRight, {&StopBaseUnit()}};
  return unit;
}
const TUnit& StopTopUnit() {
  static const TUnit unit{L"stop top", nullptr, &StopTop, {&StopLeftUnit(), &StopRightUnit()}};
  return unit;
}

// Set in the copy of the program that starts and ends the controls unit again and again.
constexpr const wchar_t* kUnitCyclesVariable = L"BC_TEST_UNIT_CYCLES";

// The memory the process has committed for itself outside its heaps: the heaps' own size varies with how the
// platform reuses freed blocks (checked heaps keep them a while), what the code allocates is counted as blocks.
int64_t CommittedOutsideHeaps() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  auto committed = static_cast<int64_t>(counters.PagefileUsage);
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr));
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  for (HANDLE heap : heaps) {
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry))
      if (entry.wFlags & PROCESS_HEAP_REGION) committed -= entry.Region.dwCommittedSize;
    HeapUnlock(heap);
  }
  return committed;
}

// A component of the application, as a form is, which needs the units started after the application.
class TStopLoggingComponent : public TComponent {
 public:
  using TComponent::TComponent;
  ~TStopLoggingComponent() override { LogStop("application's component"); }
};

}  // namespace

TEST(UnitStartup, RequiredUnitsStartFirstInTheirListedOrderAndOnlyOnce) {
  const TDiamond& units = NewDiamond();
  EXPECT_FALSE(UnitInitialized(units.Top));
  InitializeUnit(units.Top);
  EXPECT_EQ(StartLog(), (std::vector<String>{L"base", L"left", L"right", L"top"}));
  EXPECT_TRUE(UnitInitialized(units.Base));
  EXPECT_TRUE(UnitInitialized(units.Top));

  InitializeUnit(units.Top);
  InitializeUnit(units.Left);
  EXPECT_EQ(StartLog().size(), 4u);
}

TEST(UnitStartup, TheFrameworkUnitHasInitialisedOleForThisThread) {
  EXPECT_TRUE(UnitInitialized(FrameworkUnit()));
  // OLE answers S_FALSE to a second initialisation of a thread it already serves.
  HRESULT again = OleInitialize(nullptr);
  EXPECT_EQ(again, S_FALSE);
  if (SUCCEEDED(again)) OleUninitialize();
}

TEST(UnitStartup, TheApplicationsFormsGoFirstThenUnitsStopInTheReverseOrderOfTheirStart) {
  if (IsProgramCopy(kStopLogVariable)) {
    // The copy of the program: start the units and let the program's end stop them.
    InitializeUnit(StopTopUnit());
    new TStopLoggingComponent(Application);
    return;
  }
  TTempFile log(L"unit_stop_order.txt");
  TProgramCopyResult copy =
      RunProgramCopy(L"UnitStartup.TheApplicationsFormsGoFirstThenUnitsStopInTheReverseOrderOfTheirStart",
                     kStopLogVariable, log.Path());
  ASSERT_TRUE(copy.Started);
  EXPECT_EQ(copy.ExitCode, 0u) << copy.Output;

  // The application's components (its forms) go before any unit stops; units started later stop earlier: what
  // needs a unit is gone before it.
  TStringList stops;
  stops.LoadFromFile(log.Path());
  EXPECT_EQ(stops.Text(), L"application's component\r\ntop\r\nright\r\nleft\r\nbase\r\n");
}

// A program (or a host of plug-ins) may start and end the units many times without a message loop in between; what
// the platform keeps for the units' windows must not pile up meanwhile.
TEST(UnitStartup, StartingAndEndingTheControlsUnitAgainAndAgainKeepsNoMemory) {
  if (IsProgramCopy(kUnitCyclesVariable)) {
    FinalizeUnits();
    const auto cycle = [] {
      InitializeUnit(ControlsUnit());
      FinalizeUnits();
    };
    // The first cycles fill the caches that the platform keeps for good. Each cycle makes hundreds of calls to the
    // platform's server and display, and on a processor that busy programs share each call waits for its turn (300
    // cycles took over two minutes there), so the cycles are as few as show a pile-up: where the units' end did not
    // read the queue, what piled up first filled room already committed and then grew by about 1 KB a cycle, 69 KB
    // after 150 cycles, while one page is all that ending them properly leaves.
    for (int i = 0; i < 20; ++i) cycle();
    const int blocks = LiveAllocationCount();
    const int64_t committed = CommittedOutsideHeaps();
    for (int i = 0; i < 150; ++i) cycle();
    EXPECT_EQ(LiveAllocationCount(), blocks);
    EXPECT_LT(CommittedOutsideHeaps() - committed, 16 * 1024) << "committed after 20 cycles: " << committed;
    return;
  }
  TProgramCopyResult copy = RunProgramCopy(L"UnitStartup.StartingAndEndingTheControlsUnitAgainAndAgainKeepsNoMemory",
                                           kUnitCyclesVariable, L"1");
  ASSERT_TRUE(copy.Started);
  EXPECT_EQ(copy.ExitCode, 0u) << copy.Output;
}

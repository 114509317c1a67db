#include "framework/startup.h"

#include <ole2.h>
#include <windows.h>

#include <algorithm>

#include "framework/thread.h"

namespace {

std::vector<const TUnit*>& Started() {
  static std::vector<const TUnit*> started;
  return started;
}

std::vector<void (*)()>& ExitProcedures() {
  static std::vector<void (*)()> procedures;
  return procedures;
}

void InitializeFramework() { OleInitialize(nullptr); }
void FinalizeFramework() { OleUninitialize(); }

}  // namespace

bool UnitInitialized(const TUnit& unit) {
  auto& started = Started();
  return std::find(started.begin(), started.end(), &unit) != started.end();
}

void InitializeUnit(const TUnit& unit) {
  if (UnitInitialized(unit)) return;
  for (const TUnit* required : unit.Requires) InitializeUnit(*required);
  if (unit.Initialize) unit.Initialize();
  Started().push_back(&unit);
}

void AddExitProcedure(void (*procedure)()) { ExitProcedures().push_back(procedure); }

void FinalizeUnits() {
  auto& procedures = ExitProcedures();
  while (!procedures.empty()) {
    void (*procedure)() = procedures.back();
    procedures.pop_back();
    procedure();
  }
  auto& started = Started();
  while (!started.empty()) {
    const TUnit* unit = started.back();
    started.pop_back();
    if (unit->Finalize) unit->Finalize();
  }
  // What the window system tells of the units' windows going waits until the thread next looks at its queue: a
  // program that starts and ends the units again and again without a message loop would pile it up. The look does
  // not hand the processor to other programs, as an empty look otherwise does: on a busy processor each such turn
  // lasted as long as the others' share of it.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD);
}

const TUnit& FrameworkUnit() {
  static const TUnit unit{L"framework", &InitializeFramework, &FinalizeFramework, {&SynchronizeUnit()}};
  return unit;
}

// Unit start-up and shut-down in a defined order, instead of static initialisers. A unit names the units it
// needs; starting a unit starts those first, each unit at most once per process, and shut-down runs in reverse.
#pragma once

#include <vector>

struct TUnit {
  const wchar_t* Name;
  void (*Initialize)();
  void (*Finalize)();
  std::vector<const TUnit*> Requires;
};

void InitializeUnit(const TUnit& unit);
// Runs the exit procedures, then finalizes every started unit, last started first.
void FinalizeUnits();
// Adds a procedure that FinalizeUnits runs before any unit stops, last added first, once: where what the program
// made from the units (the application's forms) is freed while every unit it needs still works.
void AddExitProcedure(void (*procedure)());
bool UnitInitialized(const TUnit& unit);

// The framework's own unit: OLE for the user-interface thread, then the framework's registrations.
const TUnit& FrameworkUnit();

// The visual framework's unit: the Screen and Application objects (and with them the application window and
// the framework's cursors), created after the framework unit and freed before it.
const TUnit& ControlsUnit();

#include "shell/system_unit.h"

#include "shell/text_routines.h"
#include "shell/windows_version.h"

namespace shell {

namespace {

void InitializeSystemRoutines() {
  InitSysInfo();
  InitCharTables();
}

}  // namespace

const TUnit& SystemRoutinesUnit() {
  static const TUnit unit{L"SystemRoutines", &InitializeSystemRoutines, nullptr, {}};
  return unit;
}

}  // namespace shell

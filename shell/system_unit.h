// The start of the system routines: the machine's figures, the version flags and the character tables are read
// once per process, before any component of the set runs.
#pragma once

#include "framework/startup.h"

namespace shell {

const TUnit& SystemRoutinesUnit();

}  // namespace shell

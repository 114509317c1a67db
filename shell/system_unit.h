// The start of the system routines and the system component set: the machine's figures, the version flags and the
// character tables are read, and the set's colour names, messages, locks and stored classes registered, once per
// process before any component of the set runs; the end undoes the registrations.
#pragma once

#include "framework/startup.h"

namespace shell {

const TUnit& SystemRoutinesUnit();

}  // namespace shell

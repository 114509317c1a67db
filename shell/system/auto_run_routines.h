// Writing registry values, and the automatic-start entries below "Software\Microsoft\Windows\CurrentVersion\".
#pragma once

#include <windows.h>

#include "framework/object.h"

namespace shell {

enum class TSysAutoExecKind {
  aekMachineRun,
  aekMachineRunOnce,
  aekUserRun,
  aekUserRunOnce,
  aekServiceRun,
  aekServiceRunOnce
};

// Opens (creating) key below root and writes the value, as an expandable string when it holds a "%". Raises
// ERegistryException "Unable to open the %s key" when the key cannot be opened; a value with a NUL inside is
// refused before anything is written (CheckRegistryText).
void RegWriteValue(HKEY root, const String& key, const String& name, const String& value);

// The start entry is named after the file's name part and holds the whole file name; a name without a file part
// is refused. The service kinds do not exist on the NT platform: both routines answer false for them there.
bool SetAutoRun(TSysAutoExecKind kind, const String& fileName);
// True when the entry is gone (or never was; an entry of the same name that starts another file stays); false
// when the kind's key cannot be opened.
bool RemoveAutoRun(TSysAutoExecKind kind, const String& fileName);
// The root and key path of a kind.
HKEY AutoRunRoot(TSysAutoExecKind kind);
String AutoRunKey(TSysAutoExecKind kind);

}  // namespace shell

// Registry reading of the system routines. A key path is taken below its root key; a leading "\" is skipped.
#pragma once

#include <windows.h>

#include "framework/object.h"

class TStrings;

namespace shell {

bool RegKeyExists(HKEY rootKey, const String& key);
// The text of a REG_SZ or REG_EXPAND_SZ value (not expanded) cut at its first zero; def when the key or value is
// missing or of another type. An empty name reads the key's default value.
String RegReadStringDef(HKEY rootKey, const String& key, const String& name, const String& def);
// Replaces list's lines by the key's subkey names in index order; raises ELibRegistryError "Unable to open key
// "%s" for read" when the key cannot be opened, answers whether the key could be queried.
bool RegGetKeyNames(HKEY rootKey, const String& key, TStrings& list);

}  // namespace shell

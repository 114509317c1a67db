#include "shell/system/auto_run_routines.h"

#include "framework/exceptions.h"
#include "framework/registry.h"
#include "framework/sys_utils.h"
#include "shell/registry_routines.h"
#include "shell/system/name_routines.h"
#include "shell/windows_version.h"

namespace shell {

namespace {

bool IsServiceKind(TSysAutoExecKind kind) {
  return kind == TSysAutoExecKind::aekServiceRun || kind == TSysAutoExecKind::aekServiceRunOnce;
}

}  // namespace

HKEY AutoRunRoot(TSysAutoExecKind kind) {
  return kind == TSysAutoExecKind::aekUserRun || kind == TSysAutoExecKind::aekUserRunOnce ? HKEY_CURRENT_USER
                                                                                          : HKEY_LOCAL_MACHINE;
}

String AutoRunKey(TSysAutoExecKind kind) {
  static const wchar_t* const names[] = {L"Run", L"RunOnce", L"Run", L"RunOnce", L"RunServices", L"RunServicesOnce"};
  return String(L"Software\\Microsoft\\Windows\\CurrentVersion\\") + names[static_cast<int>(kind)];
}

void RegWriteValue(HKEY root, const String& key, const String& name, const String& value) {
  CheckRegistryText(name, value);
  HKEY opened = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    throw ERegistryException(Format(L"Unable to open the %s key", {key}));
  const TRegKey holder(opened);
  const DWORD type = value.find(L'%') != String::npos ? REG_EXPAND_SZ : REG_SZ;
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  if (RegSetValueExW(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
      ERROR_SUCCESS)
    throw ERegistryException(Format(L"Failed to set data for '%s'", {name}));
}

bool SetAutoRun(TSysAutoExecKind kind, const String& fileName) {
  if (IsServiceKind(kind) && IsWinNT) return false;
  // A name without a file part would write the key's default value.
  if (ExtractFileNameEx(fileName).empty()) return false;
  try {
    RegWriteValue(AutoRunRoot(kind), AutoRunKey(kind), ExtractFileNameEx(fileName), fileName);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool RemoveAutoRun(TSysAutoExecKind kind, const String& fileName) {
  if (IsServiceKind(kind) && IsWinNT) return false;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(AutoRunRoot(kind), AutoRunKey(kind).c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened) !=
      ERROR_SUCCESS)
    return false;
  const TRegKey holder(opened);
  const String name = ExtractFileNameEx(fileName);
  // Entries are named by file name alone: an entry of that name that starts another file is not this one's.
  if (name.empty() || !SameText(RegReadStringDef(AutoRunRoot(kind), AutoRunKey(kind), name, L""), fileName))
    return true;
  return RegDeleteValueW(opened, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace shell

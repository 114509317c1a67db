#include "shell/registry_routines.h"

#include <algorithm>

#include "framework/registry.h"
#include "framework/strings.h"
#include "shell/system_errors.h"
#include "shell/text_routines.h"

namespace shell {

namespace {

TRegKey OpenForRead(HKEY rootKey, const String& key) {
  const wchar_t* path = key.c_str();
  if (*path == L'\\') ++path;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(rootKey, path, 0, KEY_READ, &opened) != ERROR_SUCCESS) return TRegKey();
  return TRegKey(opened);
}

}  // namespace

bool RegKeyExists(HKEY rootKey, const String& key) { return static_cast<bool>(OpenForRead(rootKey, key)); }

String RegReadStringDef(HKEY rootKey, const String& key, const String& name, const String& def) {
  const TRegKey opened = OpenForRead(rootKey, key);
  if (!opened) return def;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return def;
  // Two spare characters: the platform may write a terminator behind data that lacks one. A trailing odd byte is
  // half a character and no text.
  String text(size / sizeof(wchar_t) + 2, L'\0');
  DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return def;
  text.resize(std::min<size_t>(text.size(), bytes / sizeof(wchar_t)));
  StrResetLength(text);
  return text;
}

bool RegGetKeyNames(HKEY rootKey, const String& key, TStrings& list) {
  list.Clear();
  const TRegKey opened = OpenForRead(rootKey, key);
  if (!opened) throw ELibRegistryError(Format(L"Unable to open key \"%s\" for read", {key}));
  DWORD count = 0;
  DWORD longest = 0;
  if (RegQueryInfoKeyW(opened.Get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  String name;
  for (DWORD index = 0; index < count; ++index) {
    name.assign(longest + 1, L'\0');
    DWORD length = longest + 1;
    if (RegEnumKeyExW(opened.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      continue;
    name.resize(length);
    list.Add(name);
  }
  return true;
}

}  // namespace shell

// The typed-address history as tests set it up: a numbered list of addresses and single registry values written
// directly, without the routines under test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/typed_urls.h"

using namespace controls;

inline std::vector<String> NumberedAddresses(int count) {
  std::vector<String> urls;
  for (int i = 1; i <= count; ++i) urls.push_back(L"http://site" + std::to_wstring(i) + L".example/");
  return urls;
}

inline void SetTypedValue(const String& name, const String& value) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

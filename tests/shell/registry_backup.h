// Keeps a registry key as a test found it: its tree is copied aside, and when the test ends the key is deleted
// and copied back (or stays deleted when it did not exist).
#pragma once

#include <windows.h>

#include <string>

#include "framework/object.h"

class TRegistryBackup {
 public:
  TRegistryBackup(HKEY root, const String& path) : root_(root), path_(path) {
    backupPath_ = L"Software\\BrowserComponentsTests\\Backup" + std::to_wstring(++count_);
    RegDeleteTreeW(HKEY_CURRENT_USER, backupPath_.c_str());
    HKEY source = nullptr;
    existed_ = RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &source) == ERROR_SUCCESS;
    if (!existed_) return;
    HKEY backup = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, backupPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr);
    RegCopyTreeW(source, nullptr, backup);
    RegCloseKey(backup);
    RegCloseKey(source);
  }
  ~TRegistryBackup() {
    RegDeleteTreeW(root_, path_.c_str());
    if (existed_) {
      HKEY backup = nullptr;
      HKEY restored = nullptr;
      RegOpenKeyExW(HKEY_CURRENT_USER, backupPath_.c_str(), 0, KEY_READ, &backup);
      RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &restored, nullptr);
      RegCopyTreeW(backup, nullptr, restored);
      RegCloseKey(restored);
      RegCloseKey(backup);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, backupPath_.c_str());
  }
  TRegistryBackup(const TRegistryBackup&) = delete;
  TRegistryBackup& operator=(const TRegistryBackup&) = delete;

 private:
  static inline int count_ = 0;
  HKEY root_;
  String path_;
  String backupPath_;
  bool existed_ = false;
};

// Writes a value, making the key as needed; an empty name is the key's default value.
inline void WriteRegValue(HKEY root, const String& key, const String& name, DWORD type, const void* data, DWORD size) {
  HKEY opened = nullptr;
  RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  RegSetValueExW(opened, name.empty() ? nullptr : name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(opened);
}

inline void WriteRegString(HKEY root, const String& key, const String& name, const String& value, DWORD type = REG_SZ) {
  WriteRegValue(root, key, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

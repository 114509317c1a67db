// A folder of its own below the temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <windows.h>

#include <string>

#include "framework/object.h"

class TTempFolder {
 public:
  TTempFolder() {
    wchar_t base[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    path_ = String(base, length) + L"test-folder-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++count_);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TTempFolder() {
    // The list ends in two zeros.
    const String from = path_ + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // Without a trailing backslash.
  const String& Path() const { return path_; }
  String File(const String& name) const { return path_ + L"\\" + name; }

 private:
  static inline int count_ = 0;
  String path_;
};

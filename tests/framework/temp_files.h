// Files of the framework tests live in the prefix's temporary folder, one name per test.
#pragma once

#include <windows.h>

#include <string>

#include "framework/object.h"

inline String TestTempPath(const String& name) {
  wchar_t folder[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  return String(folder, length) + name;
}

// Deletes the file when the test ends, however it ends.
class TTempFile {
 public:
  explicit TTempFile(const String& name) : path_(TestTempPath(name)) { DeleteFileW(path_.c_str()); }
  ~TTempFile() { DeleteFileW(path_.c_str()); }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;
  const String& Path() const { return path_; }

 private:
  String path_;
};

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

// The bytes of a file, to check what reached the disk; "<missing>" for a file that cannot be opened.
inline std::string FileBytes(const String& fileName) {
  HANDLE file = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

// A file as another program writes it, through the platform alone.
inline void WriteFileBytes(const String& fileName, const std::string& bytes) {
  HANDLE file = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// Makes the folder the current one until the test ends, however it ends.
class TCurrentFolder {
 public:
  explicit TCurrentFolder(const String& folder) {
    GetCurrentDirectoryW(MAX_PATH, was_);
    SetCurrentDirectoryW(folder.c_str());
  }
  ~TCurrentFolder() { SetCurrentDirectoryW(was_); }
  TCurrentFolder(const TCurrentFolder&) = delete;
  TCurrentFolder& operator=(const TCurrentFolder&) = delete;

 private:
  wchar_t was_[MAX_PATH] = {};
};

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

#include "framework/whole_file.h"

#include <windows.h>

#include <atomic>
#include <cwchar>

#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

// A name beside the file that no other save of this process uses at the same time.
String TemporaryNameBeside(const String& fileName) {
  static std::atomic<unsigned> counter{0};
  wchar_t suffix[32];
  swprintf(suffix, 32, L".~%lx-%x.tmp", GetCurrentProcessId(), counter++);
  return fileName + suffix;
}

// Puts the written file in the place of fileName: the system's replacement keeps the old file's security and
// attributes (set again, for the platforms that let them go); a file that does not exist yet is simply named.
// False (with the system's error) when it cannot.
bool MoveIntoPlace(const String& temporary, const String& fileName) {
  const DWORD attributes = GetFileAttributesW(fileName.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return MoveFileExW(temporary.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ReplaceFileW(fileName.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return false;
  SetFileAttributesW(fileName.c_str(), attributes);
  return true;
}

}  // namespace

void SaveWholeFile(const String& fileName, const std::function<void(TStream& stream)>& write) {
  // A folder of that name is no file to replace.
  const DWORD existing = GetFileAttributesW(fileName.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY))
    throw EFCreateError(Format(L"Cannot create file \"%s\". %s", {fileName, SysErrorMessage(ERROR_ACCESS_DENIED)}));
  const String temporary = TemporaryNameBeside(fileName);
  // Made here rather than by the stream, so that a failure names the file and no other file of that name is lost.
  HANDLE made = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (made == INVALID_HANDLE_VALUE)
    throw EFCreateError(Format(L"Cannot create file \"%s\". %s", {fileName, SysErrorMessage(GetLastError())}));
  CloseHandle(made);
  String failure;
  try {
    TFileStream stream(temporary, fmOpenWrite);
    write(stream);
    if (!FlushFileBuffers(stream.Handle())) failure = SysErrorMessage(GetLastError());
  } catch (const EStreamError& error) {
    failure = error.Message();
  } catch (...) {
    DeleteFileW(temporary.c_str());
    throw;
  }
  if (failure.empty() && !MoveIntoPlace(temporary, fileName)) failure = SysErrorMessage(GetLastError());
  if (failure.empty()) return;
  DeleteFileW(temporary.c_str());
  throw EWriteError(Format(L"Cannot write file \"%s\". %s", {fileName, failure}));
}

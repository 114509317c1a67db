#include "shell/file_routines.h"

#include "framework/streams.h"
#include "framework/whole_file.h"
#include "shell/owned_handle.h"
#include "shell/text_routines.h"

namespace shell {

void StringToFile(const String& fileName, const std::string& contents) {
  SaveWholeFile(fileName, [&](TStream& stream) {
    if (!contents.empty()) stream.WriteBuffer(contents.data(), static_cast<int32_t>(contents.size()));
  });
}

int64_t FileGetSize(const String& fileName) {
  // The platform's search would find another file for a name the file system cuts, or a device for its name.
  if (FileNameError(fileName) != 0) return -1;
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  WIN32_FIND_DATAW data{};
  TFindHandle search(FindFirstFileW(fileName.c_str(), &data));
  SetErrorMode(previousMode);
  if (!search) return -1;
  return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool FileExists(const String& fileName) { return FileGetSize(fileName) != -1; }

bool HasWildcard(const String& fileName) {
  const size_t from = fileName.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0;
  return fileName.find_first_of(L"*?", from) != String::npos;
}

String FindUnusedFileName(const String& fileName, const String& fileExt, const String& numberPrefix) {
  String result = fileName + L"." + fileExt;
  for (int number = 1; FileExists(result); ++number)
    result = fileName + numberPrefix + std::to_wstring(number) + L"." + fileExt;
  return result;
}

String GetModulePath(HMODULE module) {
  String path(MAX_PATH + 1, L'\0');
  path.resize(GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

bool VersionFixedFileInfo(const String& fileName, VS_FIXEDFILEINFO& fixedInfo) {
  // The platform would wait on a device for what it never sends, or read another file for a name too long.
  if (DiskFileError(fileName) != 0) return false;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &handle);
  if (size == 0) return false;
  std::string block(size, '\0');
  if (!GetFileVersionInfoW(fileName.c_str(), 0, size, block.data())) return false;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &value, &length) || length != sizeof(VS_FIXEDFILEINFO)) return false;
  fixedInfo = *static_cast<const VS_FIXEDFILEINFO*>(value);
  return true;
}

namespace {

// The most characters the platform's expansion gives, its terminator included.
constexpr DWORD kMostExpanded = 32767;

}  // namespace

bool ExpandEnvironmentVar(String& value) {
  const DWORD size = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
  if (size == 0) return false;
  String expanded(size, L'\0');
  // The platform stops at 32,767 characters with the terminator, and answers the size it filled, saying only at
  // times that the buffer was too small: an expansion that fills all of them may have been cut.
  SetLastError(ERROR_SUCCESS);
  const DWORD written = ExpandEnvironmentStringsW(value.c_str(), expanded.data(), size);
  if (written == 0 || written > size || written >= kMostExpanded || GetLastError() == ERROR_INSUFFICIENT_BUFFER)
    return false;
  StrResetLength(expanded);
  value = expanded;
  return true;
}

String GetWindowsTempFolder() {
  const DWORD size = GetTempPathW(0, nullptr);
  if (size == 0) return {};
  String path(size, L'\0');
  path.resize(GetTempPathW(size, path.data()) <= size ? size : 0);
  StrResetLength(path);
  return PathRemoveSeparator(path);
}

}  // namespace shell

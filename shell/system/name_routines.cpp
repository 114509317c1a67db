#include "shell/system/name_routines.h"

#include <windows.h>

#include <algorithm>

#include "framework/strings.h"
#include "framework/sys_utils.h"
#include "shell/file_routines.h"

namespace shell {

namespace {

size_t LastDelimiter(const String& path) {
  const size_t at = path.find_last_of(L"\\:/");
  return at == String::npos ? 0 : at + 1;
}

bool HasWildcard(const String& text) { return text.find_first_of(L"*?") != String::npos; }

bool HasDrive(const String& path) { return path.size() >= 2 && (path[1] == L':' || path.compare(0, 2, L"\\\\") == 0); }

// The name part split into its name and its extension (with the dot).
void SplitName(const String& name, String& stem, String& extension) {
  const size_t dot = name.rfind(L'.');
  stem = dot == String::npos ? name : name.substr(0, dot);
  extension = dot == String::npos ? String() : name.substr(dot);
}

}  // namespace

size_t PosEx(const String& subText, const String& text, size_t offset) {
  if (subText.empty() || text.empty() || subText.size() > text.size() || offset == 0) return 0;
  const size_t at = text.find(subText, offset - 1);
  return at == String::npos ? 0 : at + 1;
}

size_t BackPos(const String& subText, const String& text, size_t maxPos) {
  if (subText.empty() || subText.size() > text.size()) return 0;
  const size_t last = std::min(maxPos, text.size());
  if (last < subText.size()) return 0;
  const size_t at = text.rfind(subText, last - subText.size());
  return at == String::npos ? 0 : at + 1;
}

size_t LastPos(const String& subText, const String& text) { return BackPos(subText, text, text.size()); }

void ReplaceAll(String& text, const String& oldText, const String& newText) {
  if (oldText.empty()) return;
  for (size_t at = text.find(oldText); at != String::npos; at = text.find(oldText, at + newText.size()))
    text.replace(at, oldText.size(), newText);
}

void ReplaceChar(String& text, wchar_t oldChar, wchar_t newChar) {
  for (wchar_t& c : text)
    if (c == oldChar) c = newChar;
}

void SplitText(const String& text, const String& delimiter, TStrings& strings) {
  String lines = text;
  ReplaceAll(lines, delimiter, L"\r\n");
  strings.SetText(lines);
}

String ExtractFileNameEx(const String& path) { return path.substr(LastDelimiter(path)); }
String ExtractFilePathEx(const String& path) { return path.substr(0, LastDelimiter(path)); }

String ExtractFileNameNoExt(const String& path) {
  String stem, extension;
  SplitName(ExtractFileNameEx(path), stem, extension);
  return stem;
}

String CollapseBackslashes(const String& path) {
  String result = path;
  ReplaceAll(result, L"\\\\", L"\\");
  // A run of three or more leaves a double behind the first pass.
  while (result.find(L"\\\\") != String::npos) ReplaceAll(result, L"\\\\", L"\\");
  return result;
}

String ExpandPath(const String& base, const String& path) {
  if (HasDrive(path)) return path;
  return CollapseBackslashes(IncludeTrailingPathDelimiter(base) + path);
}

String ExpandMask(const String& source, const String& mask) {
  if (Trim(mask).empty()) return source;
  String maskStem, maskExt, sourceStem, sourceExt;
  SplitName(ExtractFileNameEx(mask), maskStem, maskExt);
  SplitName(ExtractFileNameEx(source), sourceStem, sourceExt);
  const String folder = ExtractFilePathEx(mask).empty() ? ExtractFilePathEx(source) : ExtractFilePathEx(mask);
  const String stem = !maskStem.empty() && !HasWildcard(maskStem) ? maskStem : sourceStem;
  const String extension = maskExt.size() > 1 && !HasWildcard(maskExt) ? maskExt : sourceExt;
  return folder + stem + extension;
}

bool CanCreateFile(const String& fileName) {
  if (fileName.empty()) return false;
  if (FileGetSize(fileName) != -1) return true;
  const HANDLE file =
      CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return DeleteFileW(fileName.c_str()) != 0;
}

String GetSystemDir() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
  return IncludeTrailingPathDelimiter(String(folder, length <= MAX_PATH ? length : 0));
}

}  // namespace shell

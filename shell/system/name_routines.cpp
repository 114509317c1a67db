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
  size_t at = text.find(oldText);
  if (at == String::npos) return;
  // Built anew in one pass: replacing in place would move the rest of the text at every match.
  String result;
  result.reserve(text.size());
  size_t from = 0;
  for (; at != String::npos; at = text.find(oldText, from)) {
    result.append(text, from, at - from).append(newText);
    from = at + oldText.size();
  }
  result.append(text, from, String::npos);
  text = std::move(result);
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
  String result;
  result.reserve(path.size());
  for (wchar_t c : path)
    if (c != L'\\' || result.empty() || result.back() != L'\\') result.push_back(c);
  return result;
}

String ExpandPath(const String& base, const String& path) {
  if (HasDrive(path)) return path;
  const String joined = IncludeTrailingPathDelimiter(base) + path;
  // A network path keeps the two backslashes it starts with.
  const bool network = joined.compare(0, 2, L"\\\\") == 0;
  return (network ? L"\\" : L"") + CollapseBackslashes(joined);
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
  // A pattern or a folder names no file, though both may be found on disk.
  if (fileName.empty() || HasWildcard(fileName)) return false;
  const DWORD attributes = GetFileAttributesW(fileName.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
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

#include "framework/sys_utils.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/text_convert.h"

namespace {

bool IsTrimmed(wchar_t c) { return c <= L' '; }

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }
wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  c = AsciiUpper(c);
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

int LocaleCompare(const String& a, const String& b, DWORD flags) {
  int result = CompareStringW(LOCALE_USER_DEFAULT, flags, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()));
  return result - CSTR_EQUAL;
}

bool IsPathDelimiter(wchar_t c) { return c == L'\\' || c == L':'; }

size_t AfterLastPathDelimiter(const String& fileName) {
  size_t at = fileName.find_last_of(L"\\:");
  return at == String::npos ? 0 : at + 1;
}

DWORD FileAttributes(const String& name) { return GetFileAttributesW(name.c_str()); }

}  // namespace

String IntToStr(int64_t value) { return std::to_wstring(value); }

bool TryStrToInt(const String& text, int& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  int base = 10;
  if (i < text.size() && text[i] == L'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == L'0' && AsciiUpper(text[i + 1]) == L'X') {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return false;
  // Hexadecimal may spell any 32-bit pattern; decimal must fit the signed range.
  const unsigned long long limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  unsigned long long magnitude = 0;
  for (; i < text.size(); ++i) {
    int digit = base == 16 ? HexDigit(text[i]) : (text[i] >= L'0' && text[i] <= L'9' ? text[i] - L'0' : -1);
    if (digit < 0) return false;
    magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (magnitude > limit) return false;
  }
  long long signedValue = base == 16 ? static_cast<long long>(static_cast<int32_t>(static_cast<uint32_t>(magnitude)))
                                     : static_cast<long long>(magnitude);
  value = static_cast<int>(negative ? -signedValue : signedValue);
  return true;
}

int StrToInt(const String& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError(Format(L"'%s' is not a valid integer value", {text}));
  return value;
}

int StrToIntDef(const String& text, int defaultValue) {
  int value = 0;
  return TryStrToInt(text, value) ? value : defaultValue;
}

String Trim(const String& text) { return TrimLeft(TrimRight(text)); }

String TrimLeft(const String& text) {
  size_t first = 0;
  while (first < text.size() && IsTrimmed(text[first])) ++first;
  return text.substr(first);
}

String TrimRight(const String& text) {
  size_t end = text.size();
  while (end > 0 && IsTrimmed(text[end - 1])) --end;
  return text.substr(0, end);
}

String UpperCase(const String& text) {
  String result = text;
  std::transform(result.begin(), result.end(), result.begin(), AsciiUpper);
  return result;
}

String LowerCase(const String& text) {
  String result = text;
  std::transform(result.begin(), result.end(), result.begin(), AsciiLower);
  return result;
}

String AnsiUpperCase(const String& text) {
  String result = text;
  if (!result.empty()) CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

String AnsiLowerCase(const String& text) {
  String result = text;
  if (!result.empty()) CharLowerBuffW(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

int CompareText(const String& a, const String& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<int>(AsciiUpper(a[i])) - static_cast<int>(AsciiUpper(b[i]));
    if (d != 0) return d;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SameText(const String& a, const String& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

int AnsiCompareStr(const String& a, const String& b) { return LocaleCompare(a, b, 0); }
int AnsiCompareText(const String& a, const String& b) { return LocaleCompare(a, b, NORM_IGNORECASE); }
bool AnsiSameText(const String& a, const String& b) { return AnsiCompareText(a, b) == 0; }

size_t Pos(const String& sub, const String& text) {
  if (sub.empty()) return 0;
  size_t at = text.find(sub);
  return at == String::npos ? 0 : at + 1;
}

String CutText(const String& text, size_t limit) {
  if (limit >= text.size()) return text;
  if (limit > 0 && IS_HIGH_SURROGATE(text[limit - 1]) && IS_LOW_SURROGATE(text[limit])) --limit;
  return text.substr(0, limit);
}

String StringReplace(const String& text, const String& oldPattern, const String& newPattern, TReplaceFlags flags) {
  if (oldPattern.empty()) return text;
  const bool ignoreCase = flags.Contains(TReplaceFlag::rfIgnoreCase);
  // Case folding maps each UTF-16 unit to one unit, so positions in the folded copies are positions in the text.
  const String searchIn = ignoreCase ? AnsiUpperCase(text) : String();
  const String searchFor = ignoreCase ? AnsiUpperCase(oldPattern) : String();
  const String& haystack = ignoreCase ? searchIn : text;
  const String& needle = ignoreCase ? searchFor : oldPattern;
  String result;
  size_t from = 0;
  for (size_t at = haystack.find(needle); at != String::npos; at = haystack.find(needle, from)) {
    result.append(text, from, at - from);
    result += newPattern;
    from = at + needle.size();
    if (!flags.Contains(TReplaceFlag::rfReplaceAll)) break;
  }
  result.append(text, from, String::npos);
  return result;
}

String QuotedStr(const String& text) {
  String result = L"'";
  for (wchar_t c : text) {
    if (c == L'\'') result += L'\'';
    result += c;
  }
  return result + L"'";
}

String IncludeTrailingPathDelimiter(const String& path) {
  return !path.empty() && path.back() == L'\\' ? path : path + L'\\';
}

String ExcludeTrailingPathDelimiter(const String& path) {
  return !path.empty() && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

String ExpandFileName(const String& fileName) {
  String path(GetFullPathNameW(fileName.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length = GetFullPathNameW(fileName.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
  if (length == 0 || length >= path.size()) return fileName;
  path.resize(length);
  return path;
}

String IncludeLongPathPrefix(const String& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

String ExcludeLongPathPrefix(const String& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

String ExtractFilePath(const String& fileName) { return fileName.substr(0, AfterLastPathDelimiter(fileName)); }

String ExtractFileName(const String& fileName) { return fileName.substr(AfterLastPathDelimiter(fileName)); }

String ExtractFileExt(const String& fileName) {
  size_t dot = fileName.find_last_of(L".\\:");
  return dot != String::npos && !IsPathDelimiter(fileName[dot]) ? fileName.substr(dot) : String();
}

String ChangeFileExt(const String& fileName, const String& extension) {
  size_t dot = fileName.find_last_of(L".\\:");
  if (dot == String::npos || IsPathDelimiter(fileName[dot])) return fileName + extension;
  return fileName.substr(0, dot) + extension;
}

bool FileExists(const String& fileName) {
  DWORD attributes = FileAttributes(fileName);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String& directory) {
  DWORD attributes = FileAttributes(directory);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

bool StartsWithText(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && SameText(String(text.substr(0, prefix.size())), String(prefix));
}

// Whether a name, up to its extension or a colon and without the blanks before them, is a device's.
bool IsDeviceStem(std::wstring_view name) {
  name = name.substr(0, name.find_first_of(L".:"));
  while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (SameText(String(name), device)) return true;
  // The system counts the superscript digits one to three among the ports' numbers too.
  return name.size() == 4 && (StartsWithText(name, L"COM") || StartsWithText(name, L"LPT")) &&
         ((name[3] >= L'1' && name[3] <= L'9') || name[3] == L'\u00b9' || name[3] == L'\u00b2' || name[3] == L'\u00b3');
}

}  // namespace

bool IsDeviceName(const String& fileName) {
  std::wstring_view path = fileName;
  if (StartsWithText(path, L"\\\\.\\") || StartsWithText(path, L"//./")) return true;
  // After the prefix that lifts the length limit comes a drive, a share or a volume; anything else is a device.
  if (StartsWithText(path, L"\\\\?\\") || StartsWithText(path, L"//?/") || StartsWithText(path, L"\\??\\")) {
    path.remove_prefix(4);
    const bool drive = path.size() >= 2 && path[1] == L':';
    if (!drive && !StartsWithText(path, L"UNC\\") && !StartsWithText(path, L"Volume{")) return true;
  }
  // The device's name may stand first ("COM1", "COM1 .txt", "COM1:.txt", "COM1.txt:stream" all name the port) or
  // after a colon ("C:COM1", "x:COM1.txt"), and colons may follow it ("COM1:", "x:COM1:").
  std::wstring_view name = path.substr(path.find_last_of(L"\\/") + 1);
  while (!name.empty() && name.back() == L':') name.remove_suffix(1);
  return IsDeviceStem(name) || IsDeviceStem(name.substr(name.find_last_of(L':') + 1));
}

DWORD FileNameError(const String& fileName) {
  if (IsDeviceName(fileName)) return ERROR_NOT_SUPPORTED;
  // The names are measured as the system goes by them: a relative name's folders, without a drive or the dots and
  // blanks it drops.
  const String path = fileName.compare(0, 4, L"\\\\?\\") == 0 ? fileName : ExpandFileName(fileName);
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find_first_of(L"\\/", start);
    if (end == String::npos) end = path.size();
    const std::wstring_view name = std::wstring_view(path).substr(start, end - start);
    if (Utf8Length(name) > kLongestFileName) return ERROR_FILENAME_EXCED_RANGE;
    start = end + 1;
  }
  return 0;
}

DWORD DiskFileError(const String& fileName) {
  if (const DWORD error = FileNameError(fileName)) return error;
  HANDLE file = CreateFileW(fileName.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const DWORD type = GetFileType(file);
  CloseHandle(file);
  return type == FILE_TYPE_DISK ? 0 : ERROR_NOT_SUPPORTED;
}

// Small text, number and file-name helpers used across the component sets.
#pragma once

#include <cstdint>
#include <string>

#include "framework/object.h"
#include "framework/set.h"

String IntToStr(int64_t value);
// Decimal, or hexadecimal after "$" or "0x"; an optional sign; leading blanks allowed. Raises EConvertError
// "'%s' is not a valid integer value" for anything else, including values beyond 32 bits.
int StrToInt(const String& text);
int StrToIntDef(const String& text, int defaultValue);
bool TryStrToInt(const String& text, int& value);

// Remove characters with codes up to 32 (blanks and control characters).
String Trim(const String& text);
String TrimLeft(const String& text);
String TrimRight(const String& text);

// Only the ASCII letters change.
String UpperCase(const String& text);
String LowerCase(const String& text);
// Every letter the user's locale knows changes.
String AnsiUpperCase(const String& text);
String AnsiLowerCase(const String& text);

// Ordinal comparisons with ASCII letters folded; < 0, 0 or > 0.
int CompareText(const String& a, const String& b);
bool SameText(const String& a, const String& b);
// Comparisons in the user's locale, with and without case.
int AnsiCompareStr(const String& a, const String& b);
int AnsiCompareText(const String& a, const String& b);
bool AnsiSameText(const String& a, const String& b);

// The 1-based position of the first occurrence of sub in text, 0 when absent or when sub is empty.
size_t Pos(const String& sub, const String& text);
// At most limit characters from the start of text, one fewer where the cut would split a surrogate pair: a lone
// half is no character anyone can show or name a file with.
String CutText(const String& text, size_t limit);

enum class TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag, 2>;
// Replaces the first (or, with rfReplaceAll, every) occurrence of oldPattern; rfIgnoreCase folds the locale's case.
String StringReplace(const String& text, const String& oldPattern, const String& newPattern, TReplaceFlags flags);

// The text in single quotes, each single quote inside doubled.
String QuotedStr(const String& text);

String IncludeTrailingPathDelimiter(const String& path);
String ExcludeTrailingPathDelimiter(const String& path);
// The full path the system makes of a name: relative to the current folder (or to a drive's), "." and ".." resolved,
// the dots and blanks at the ends of names dropped; the name itself when the system makes none.
String ExpandFileName(const String& fileName);
// A full path with the prefix that lets it pass MAX_PATH ("\\?\", or "\\?\UNC\" for a share), and without it.
String IncludeLongPathPrefix(const String& path);
String ExcludeLongPathPrefix(const String& path);
// Path parts split at the last "\" or ":": the path keeps its delimiter, the name has none.
String ExtractFilePath(const String& fileName);
String ExtractFileName(const String& fileName);
// The extension with its dot, from the last dot after the last path delimiter; empty when there is none.
String ExtractFileExt(const String& fileName);
String ChangeFileExt(const String& fileName, const String& extension);
bool FileExists(const String& fileName);
bool DirectoryExists(const String& directory);

// The most characters one name of a path holds, and the most bytes it takes where the file system keeps names in
// UTF-8.
constexpr size_t kLongestFileName = 255;
// Whether the name is one the system keeps for a device (CON, NUL, COM1 and the like), in any folder, with any
// extension or a colon after it, or one in the system's device namespace (\\.\COM1, \\.\pipe\x, \\?\pipe\x).
// Reading one waits for what it sends.
bool IsDeviceName(const String& fileName);
// Why no file on a disk can be read or written whole under that name, as the system's error; 0 when one can.
// ERROR_NOT_SUPPORTED for a device name. ERROR_FILENAME_EXCED_RANGE for a path with a name (a folder's or the
// file's) longer than kLongestFileName characters or bytes of UTF-8, as the system names it (ExpandFileName, or as it
// stands after "\\?\"): a file system that keeps names in UTF-8 cuts such a name, so that two names that differ
// after the cut would lead to one file.
DWORD FileNameError(const String& fileName);
// FileNameError's reason, else ERROR_NOT_SUPPORTED when what opens under the name is no file on a disk (a pipe, a
// link to a port or another device), which a read may wait on for ever or never end and a save would write into or
// replace; 0 for a file on a disk, and when nothing opens.
DWORD DiskFileError(const String& fileName);

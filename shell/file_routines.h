// File, path and environment routines of the system routines.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/object.h"
#include "framework/sys_utils.h"

namespace shell {

// Creates or truncates the file and writes the bytes; an empty text writes nothing. Raises the file stream's
// errors (EFCreateError, EWriteError).
void StringToFile(const String& fileName, const std::string& contents);

inline String PathAddSeparator(const String& path) { return IncludeTrailingPathDelimiter(path); }
inline String PathRemoveSeparator(const String& path) { return ExcludeTrailingPathDelimiter(path); }

// The size of the first file or folder the name (wildcards allowed) finds, -1 when none, and for a name no file can
// have (one FileNameError refuses); no critical-error box is shown for a drive that is not ready.
int64_t FileGetSize(const String& fileName);
// True for anything FileGetSize finds, folders included.
bool FileExists(const String& fileName);
// Whether the name holds "*" or "?"; the "?" of the prefix that lifts the length limit of a path ("\\?\") is no
// wildcard.
bool HasWildcard(const String& fileName);
// fileName + "." + fileExt, or the first fileName + numberPrefix + N + "." + fileExt (N = 1, 2, ...) that does
// not exist.
String FindUnusedFileName(const String& fileName, const String& fileExt, const String& numberPrefix);
// The file name of a loaded module (null: the program).
String GetModulePath(HMODULE module);
// The fixed file information of a file's version resource; false when the file has none.
bool VersionFixedFileInfo(const String& fileName, VS_FIXEDFILEINFO& fixedInfo);
// Replaces value by its expansion; false (value unchanged) when the platform cannot expand it.
bool ExpandEnvironmentVar(String& value);
// The temporary folder without its trailing separator; empty when the platform names none.
String GetWindowsTempFolder();

}  // namespace shell

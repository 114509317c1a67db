// Text and file-name routines of the component set. Positions are 1-based; 0 means "not found".
#pragma once

#include "framework/object.h"

class TStrings;

namespace shell {

// The first subText in text at or after offset; 0 when either is empty, subText is longer than text, or none.
size_t PosEx(const String& subText, const String& text, size_t offset = 1);
// The last subText that starts at or before min(maxPos, length) - length(subText) + 1.
size_t BackPos(const String& subText, const String& text, size_t maxPos);
size_t LastPos(const String& subText, const String& text);
// Replaces every oldText, searching on after each inserted newText, so a newText holding oldText ends the pass.
void ReplaceAll(String& text, const String& oldText, const String& newText);
void ReplaceChar(String& text, wchar_t oldChar, wchar_t newChar);
// The lines of text split at each delimiter replace the lines of strings.
void SplitText(const String& text, const String& delimiter, TStrings& strings);

// The text after (and up to and including) the last "\", ":" or "/".
String ExtractFileNameEx(const String& path);
String ExtractFilePathEx(const String& path);
String ExtractFileNameNoExt(const String& path);
// Every doubled backslash made single.
String CollapseBackslashes(const String& path);
// A path without a drive is taken below base; a network base keeps its leading "\\".
String ExpandPath(const String& base, const String& path);
// A destination name from a mask: its folder, name and extension parts that hold no wildcard replace the source's.
String ExpandMask(const String& source, const String& mask);
// Whether a file of that name exists or can be created (a trial file is made and removed again); false for a
// name with wildcards and for a folder.
bool CanCreateFile(const String& fileName);
// The system folder with a trailing backslash.
String GetSystemDir();

}  // namespace shell

// Text routines of the feed reader: the UTF-8 form of the model's texts and case-blind replacement.
#pragma once

#include <string>
#include <string_view>

#include "framework/object.h"

namespace feeds {

// The UTF-8 bytes of a wide text. A surrogate pair becomes one four-byte sequence; a lone surrogate half keeps a
// three-byte sequence of its own.
std::string EncodeUTF8(std::wstring_view text);

// Appends the UTF-8 bytes of one character (a code point up to U+10FFFF).
void AppendUTF8(std::string& out, unsigned code);

// The position of the first a or b in the text at or after from; npos when there is none.
size_t FindEither(std::string_view text, char a, char b, size_t from = 0);
inline size_t FindByte(std::string_view text, char c, size_t from = 0) { return FindEither(text, c, c, from); }

// The position of the first occurrence of pattern at or after from, letters A-Z matching either case; npos when
// there is none or the pattern is empty.
size_t FindIgnoreCase(const std::string& text, const std::string& pattern, size_t from = 0);
size_t FindIgnoreCase(const String& text, const String& pattern, size_t from = 0);

// The text holds the pattern at that position, letters A-Z matching either case.
bool StartsWithIgnoreCase(std::string_view text, size_t at, std::string_view pattern);
// The two texts are the same, letters A-Z matching either case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Every occurrence of oldText replaced by newText, left to right; letters A-Z match either case. Inserted text is
// never searched again; an empty oldText replaces nothing.
std::string ReplaceAllIgnoreCase(const std::string& text, const std::string& oldText, const std::string& newText);
String ReplaceAllIgnoreCase(const String& text, const String& oldText, const String& newText);

}  // namespace feeds

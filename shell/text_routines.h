// Text routines of the system routines: the code page's character tables and small string helpers.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "framework/object.h"

namespace shell {

// The ANSI code page's character classes (CT_CTYPE1 masks) and case maps, one entry per byte; filled by
// InitCharTables at the system routines' start.
extern std::array<WORD, 256> CharTypes;
extern std::array<uint8_t, 256> LowerCaseMap;
extern std::array<uint8_t, 256> UpperCaseMap;
// Upper case to lower, lower case to upper, anything else to itself.
extern std::array<uint8_t, 256> ReverseCaseMap;

void InitCharTables();
bool CharIsLower(char c);
bool CharIsUpper(char c);

// Text, or Text + Suffix when Text does not already end with Suffix.
String StrEnsureSuffix(const String& suffix, const String& text);
size_t StrLen(const wchar_t* text);
// Cuts text at its first zero character, as a buffer filled by the platform needs.
void StrResetLength(String& text);
void StrResetLength(std::string& text);
// Null for an empty text, else its characters: how Simple MAPI tells "no value" from a value.
char* PCharOrNil(std::string& text);

}  // namespace shell

// The one place where text changes encoding: UTF-16 (String), UTF-8 and the ANSI or any other code page.
#pragma once

#include <string>
#include <string_view>

#include "framework/object.h"

using AnsiString = std::string;  // bytes in a code page, where a stored or exchanged layout demands it

std::string WideToUtf8(std::wstring_view text);
String Utf8ToWide(std::string_view text);
// Characters the code page cannot hold become its default character.
AnsiString WideToAnsi(std::wstring_view text, UINT codePage = CP_ACP);
String AnsiToWide(std::string_view text, UINT codePage = CP_ACP);

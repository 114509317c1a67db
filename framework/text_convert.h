// The one place where text changes encoding: UTF-16 (String), UTF-8 and the ANSI or any other code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "framework/object.h"

using AnsiString = std::string;  // bytes in a code page, where a stored or exchanged layout demands it

// Text of any length converts whole: the platform takes at most INT_MAX units a call, so longer text goes in pieces
// of at most this many units, cut between characters. A piece this size makes far less than INT_MAX units in any
// code page. Text a code page gives no safe cut for (a stateful one without a line break in a piece) fails whole.
constexpr size_t TextConversionPiece = size_t{1} << 24;

std::string WideToUtf8(std::wstring_view text);
String Utf8ToWide(std::string_view text);
// Characters the code page cannot hold become its default character. pieceSize (at least 4) is there so that the
// cutting can be tried on short text.
AnsiString WideToAnsi(std::wstring_view text, UINT codePage = CP_ACP, size_t pieceSize = TextConversionPiece);
String AnsiToWide(std::string_view text, UINT codePage = CP_ACP, size_t pieceSize = TextConversionPiece);

// The UTF-16 code pages, which the platform's conversions leave out.
constexpr UINT CodePageUtf16LE = 1200;
constexpr UINT CodePageUtf16BE = 1201;
// Text in any code page the platform converts, or in UTF-16 of either byte order; nothing when the code page is
// unknown or UTF-16 bytes do not make whole characters. Unlike AnsiToWide and WideToAnsi, a failure is told.
std::optional<String> DecodeText(std::string_view bytes, UINT codePage);
std::optional<std::string> EncodeText(std::wstring_view text, UINT codePage);

// Whether every character of the text survives the way into the code page and back.
bool FitsCodePage(std::wstring_view text, UINT codePage = CP_ACP);

// The byte-order marks that name a text file's encoding: UTF-8, UTF-16LE and UTF-16BE.
// The mark before text in that code page; empty for a code page without one.
std::string_view TextMark(UINT codePage);
// The code page that the first bytes name by their mark; CP_ACP when they start with none.
UINT CodePageOfMark(std::string_view bytes);

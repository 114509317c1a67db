// The one place where text changes encoding: UTF-16 (String), UTF-8 and the ANSI or any other code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "framework/object.h"

using AnsiString = std::string;  // bytes in a code page, where a stored or exchanged layout demands it

// Text of any length converts to what one platform call over the whole would give: the platform takes at most
// INT_MAX units a call, so longer text goes in pieces of at most this many units, cut between characters and, in a
// stateful code page, where it is back in its first state (UTF-7: outside base64 runs). A piece without such a cut
// runs on to the next one; only text with no cut in 2^31 bytes (2^28 units) fails, whole.
constexpr size_t TextConversionPiece = size_t{1} << 24;

std::string WideToUtf8(std::wstring_view text);
String Utf8ToWide(std::string_view text);
// Characters the code page cannot hold become its default character. pieceSize (at least 4) is there so that the
// cutting can be tried on short text.
AnsiString WideToAnsi(std::wstring_view text, UINT codePage = CP_ACP, size_t pieceSize = TextConversionPiece);
String AnsiToWide(std::string_view text, UINT codePage = CP_ACP, size_t pieceSize = TextConversionPiece);

// The UTF-16 and UTF-32 code pages, which the platform's conversions leave out.
constexpr UINT CodePageUtf16LE = 1200;
constexpr UINT CodePageUtf16BE = 1201;
constexpr UINT CodePageUtf32LE = 12000;
constexpr UINT CodePageUtf32BE = 12001;
// Text in any code page the platform converts, or in UTF-16 of either byte order; nothing when the code page is
// unknown or UTF-16 bytes do not make whole characters. Unlike AnsiToWide and WideToAnsi, a failure is told.
std::optional<String> DecodeText(std::string_view bytes, UINT codePage);
std::optional<std::string> EncodeText(std::wstring_view text, UINT codePage);

// Text that keeps every byte of a file in UTF-8, UTF-32 or a code page of one or two bytes a character (where bytes
// can form no character, or one that would not go back to them): each byte of what forms none becomes one of the
// code units U+DC00..U+DCFF, which no text holds alone, and EncodeKeepingBytes writes those bytes back as they
// were. Other code pages go as DecodeText and EncodeText take them (a failure gives nothing).
String DecodeKeepingBytes(std::string_view bytes, UINT codePage);
std::string EncodeKeepingBytes(std::wstring_view text, UINT codePage);
// Whether the bytes are UTF-8 throughout.
bool IsUtf8(std::string_view bytes);
// How many bytes the text takes in UTF-8; each surrogate counts two, so that a pair takes its four.
size_t Utf8Length(std::wstring_view text);

// Whether every character of the text survives the way into the code page and back.
bool FitsCodePage(std::wstring_view text, UINT codePage = CP_ACP);
// Whether the text pairs every surrogate, as text does.
bool IsWellFormedText(std::wstring_view text);
// Whether every surrogate the text leaves unpaired is a byte DecodeKeepingBytes kept.
bool IsTextKeepingBytes(std::wstring_view text);

// The byte-order marks that name a text file's encoding: UTF-8, UTF-16 and UTF-32 of either byte order.
// The mark before text in that code page; empty for a code page without one.
std::string_view TextMark(UINT codePage);
// The code page that the first bytes name by their mark; CP_ACP when they start with none.
UINT CodePageOfMark(std::string_view bytes);

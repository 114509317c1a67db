// Fast string routines and the address routines that the whole browser uses to find pieces of addresses and to
// make file names. Positions are 1-based character positions; 0 means that nothing was found.
#pragma once

#include <array>

#include "framework/object.h"

namespace controls {

// How far the search window of FastPos may move, by the text character under the pattern's last position.
// Characters are grouped by their low byte; the smallest shift of a group wins, which keeps every move safe for
// characters beyond the first 256.
using TSkipTable = std::array<int, 256>;

// Builds the skip table for the first length characters of pattern: every entry the length, less for the
// characters before the last one; a one-character pattern's own entry is 0. Raises Exception "BufferLen is 0"
// for a length of 0.
void BuildSkipTable(const wchar_t* pattern, size_t length, TSkipTable& table);

// First position of subStr in s (a Boyer-Moore-Horspool search); 0 for an empty or too long subStr.
int FastPos(const String& subStr, const String& s);
// Last position of subStr in s at or before startPos; startPos 0, or one too late for a whole match, searches
// from the last possible position.
int LastPos(const String& s, const String& subStr, int startPos);
// count characters of s from index on, fewer at the end of s; empty when index lies outside s or count < 1.
String FastCopy(const String& s, int index, int count);

// The host of an address ("scheme://host/path" or "host/path"), unchanged in case and with any port or user
// name; empty when the host holds no dot after its first character.
String UrlHostPart(const String& url);
// s with every character that a file name cannot hold replaced by a hyphen; the length stays.
String SafeFileName(const String& s);

}  // namespace controls

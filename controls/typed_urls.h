// The typed-address history that the platform's browser keeps in the registry, shared with the address box:
// string values "Url1", "Url2", ... under the current user's TypedURLs key, newest first.
#pragma once

#include <vector>

#include "framework/object.h"

namespace controls {

// The key under HKEY_CURRENT_USER.
extern const wchar_t* const TypedURLsKey;
// The number of values the history holds at most.
constexpr int MaxTypedURLs = 25;

// The non-empty string values Url1 .. Url25 in order; missing and empty values and values of other types are
// passed over. Empty when the key does not exist.
std::vector<String> ReadTypedURLs();
// Writes the first 25 addresses as Url1 ..; below 24 addresses the value after the last one is written empty. The
// non-empty string values after those written, up to Url25, are removed, so that a load gives the saved list; other
// values stay. Nothing happens when the key cannot be made.
void WriteTypedURLs(const std::vector<String>& urls);

}  // namespace controls

// Internet shortcut (.url) text: finding the address in it, and the file name a shortcut of an address gets.
#pragma once

#include "framework/streams.h"
#include "framework/text_convert.h"

namespace shell {

// The address of the first "URL=" line of the "[InternetShortcut]" section; false when the section has none
// before the next section or the end. A stream is read for its first 256 KB, in whole lines.
bool ReadURLFromShortcutStream(TStream& stream, String& url);
bool ReadURLFromShortcutText(const AnsiString& text, String& url);
// False also when the file cannot be opened or read.
bool ReadURLFromShortcutFile(const String& fileName, String& url);
// A name ending in ".url" made of the address without its scheme prefix and path, without the characters a file
// name cannot hold; "untitled.url" when nothing is left.
String UrlToShortcutFileName(const String& url);

}  // namespace shell

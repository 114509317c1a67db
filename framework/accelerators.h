// Accelerator characters of captions: the character marked by a single '&' ("&&" writes a literal '&').
#pragma once

#include "framework/object.h"

// The character after the last single '&', as written; 0 when there is none or a '&' ends the text.
wchar_t FindAccelChar(const String& caption);
// Whether key is the caption's accelerator, compared without regard to case.
bool IsAccel(wchar_t key, const String& caption);
// The caption as it reads on screen: each '&' that marks an accelerator is gone, "&&" becomes '&'.
String StripAccelChars(const String& caption);

// Accelerator characters of captions: the letter after a single '&' is the one Alt (or, in a dialog, the plain
// key) chooses the control with; "&&" is a literal ampersand.
#pragma once

#include "framework/object.h"

// Whether key is the caption's accelerator, compared without regard to case.
bool IsAccel(wchar_t key, const String& caption);
// The caption as it reads on screen: each '&' that marks an accelerator is gone, "&&" becomes '&'.
String StripAccelChars(const String& caption);

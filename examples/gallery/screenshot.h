// Renders a form (frame and children) into a 32-bit picture and writes it as a PNG through the imaging
// component.
#pragma once

#include "framework/win_control.h"

// Raises EOSError or EOleSysError when the picture cannot be made or written.
void SaveScreenshot(TWinControl* control, const String& fileName);

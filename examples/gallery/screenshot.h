// Renders a form (frame, children and the visible windows it owns, such as floating bars) into a 32-bit picture
// of the form's size and writes it as a PNG through the imaging component.
#pragma once

#include <vector>

#include "framework/win_control.h"

// Rows of 32-bit blue-green-red-alpha pixels, top row first.
struct TScreenshot {
  int Width = 0;
  int Height = 0;
  std::vector<BYTE> Pixels;
};

TScreenshot CaptureScreenshot(TWinControl* control);
void SavePng(const TScreenshot& picture, const String& fileName);
// Raises EOSError or EOleSysError when the picture cannot be made or written.
void SaveScreenshot(TWinControl* control, const String& fileName);

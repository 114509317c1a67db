// Painting routines every theme calls: fills, frames and lines in a colour that may be a system colour or clNone
// (then nothing is painted), checkered fills, 3D frames, and 32-bit word fills and copies for scan lines. None
// changes the canvas's brush.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/graphics.h"

class TBitmap;

namespace toolbars {

// A system colour fills with the system's brush of that colour. Answers whether it painted.
bool FillRectEx(TCanvas* canvas, const RECT& rect, TColor color);
bool FillRectDCEx(HDC dc, const RECT& rect, TColor color);
// A one-pixel frame; with shrink the rectangle then shrinks by one on each side, also for clNone.
bool FrameRectEx(TCanvas* canvas, RECT& rect, TColor color, bool shrink);
// A line in the pen, whose colour becomes color; the end point is left out.
void DrawLineEx(TCanvas* canvas, int x1, int y1, int x2, int y2, TColor color);
// Fills with a checker of the two colours (c1 where x + y is even).
void DitherRect(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2);
// Left and top edges in topLeft, right and bottom in bottomRight; the rectangle shrinks by one on each side.
void DrawFrame3D(TCanvas* canvas, RECT& rect, TColor topLeft, TColor bottomRight);

// Row y of a 32-bit bitmap as pixels.
std::uint32_t* PixelRow(TBitmap* bitmap, int y);
void FillLongwords(std::uint32_t* dest, int count, std::uint32_t value);
void MoveLongwords(const std::uint32_t* source, std::uint32_t* dest, int count);

}  // namespace toolbars

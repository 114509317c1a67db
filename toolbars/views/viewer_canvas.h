// Small drawing helpers of the classic viewer painting: a DC with the canvas's font chosen, the dither fill of
// checked buttons and the system's menu glyphs in any colour.
#pragma once

#include <windows.h>

#include "framework/graphics.h"

namespace toolbars {

// The canvas's DC with its current font (and text colour) selected, for measuring with the platform's calls.
HDC FontDC(TCanvas* canvas);
// The checked-button fill: a one-pixel checkerboard of the button face and button highlight colours.
void FillDithered(HDC dc, const RECT& rect);
// A menu glyph of the system (DFCS_MENUARROW, DFCS_MENUCHECK, ...) drawn in color, centred in rect.
void DrawMenuGlyph(HDC dc, const RECT& rect, UINT glyph, COLORREF color);

}  // namespace toolbars

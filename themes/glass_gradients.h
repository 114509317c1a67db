// The glossy gradients of the glass-look themes: a two-part gradient with a step in the middle, drawn by
// stretching one strip of pixels, and the same kinds of gradient row by row inside a radio button's disc.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/graphics.h"

class TBitmap;

namespace themes {

// The glossy gradient over rect: from c2 at the top (vertical) or left towards c1 in the first half, then from an
// overshoot beyond c1 back to c1 (vertical) or on from c1 towards the overshoot (horizontal). When c1 is redder
// than c2 the second half is flat c1. A rect one pixel thick along the gradient is c1; an empty or inverted rect
// paints nothing. strip is the unit's 24-bit scratch bitmap, one pixel thick: it keeps the longest run asked for
// and is made anew only to grow or to turn, so that painting many items makes no bitmap per item.
void GlassGradient(TCanvas* canvas, TBitmap* strip, const RECT& rect, TColor c1, TColor c2, bool vertical);
// The band of the ridge look: from c2 at the top (rows) or left edge towards c1 just before the middle, a step to
// half-way between c1 and an overshoot beyond it, back to c1 at the far edge; one line per step, so a band far
// larger than the surface costs only the lines the clip shows. One line deep it is c1.
void GlassBand(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2, bool rows);
// Rows in three grey bands, light (248) to dark (216) to light (240) and back to 248.
void ButtonGradient(TCanvas* canvas, const RECT& rect);
// A 24-bit strip for GlassGradient.
std::unique_ptr<TBitmap> MakeGradientStrip();
// One row of rect per step inside a radio button's disc (row i from left + inset to right - inset, the insets
// those of an 11-row disc, extended with full rows in the middle of a taller one): glass, the glossy gradient
// from c2 at the top; otherwise linear, c1 at the bottom row up to c2 at the top row.
void RoundGradient(TCanvas* canvas, const RECT& rect, TColor c1, bool glass, TColor c2);
// The 13-pixel circle of a radio button whose box starts at (left, top), as a closed polygon's points.
std::vector<POINT> RadioCirclePoints(int left, int top);
// The outline of a standard control of kind scCheckBox (a box with its corners cut by one) or scRadioButton (that
// circle) in pen; the brush is left solid.
void DrawControlOutline(TCanvas* canvas, const RECT& rect, int kind, TColor pen);

}  // namespace themes

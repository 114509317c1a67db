// Drawing routines the toolbar themes share: monochrome glyphs copied in a colour, filled triangles, cut-corner
// frames, checker brushes, gradients, grip dots, nearest colours and captions.
#pragma once

#include <windows.h>

#include <array>
#include <vector>

#include "framework/graphics.h"

class TImageList;

namespace themes {

// An 8 x 8 one-bit pattern: each row one word whose low 8 bits are the pixels, leftmost in bit 7.
using TGlyphPattern = std::array<WORD, 8>;

// Paints color where the pattern's top-left width x height pixels are set, at (x, y); the rest stays. clNone
// paints nothing.
void DrawPatternGlyph(TCanvas* canvas, const TGlyphPattern& pattern, int x, int y, int width, int height,
                      TColor color);
// The same with glyph index of a 16 x 16 glyph list whose mask holds the glyph's pixels.
void DrawListGlyph(TCanvas* canvas, TImageList* glyphs, int index, int x, int y, TColor color);

// A filled polygon with pen and brush in color.
void FillPolygon(TCanvas* canvas, const std::vector<POINT>& points, TColor color);
// The outline of rect with its corners cut by leftCut and rightCut pixels, in the current pen; right and bottom
// exclusive.
void CutCornerFrame(TCanvas* canvas, const RECT& rect, int leftCut, int rightCut);
// A checker brush of the two colours; the caller deletes it.
HBRUSH CreateCheckerBrush(TColor c1, TColor c2);
// Each column (horizontal) or row of rect in a step between c1 and c2: c1 at the right edge (horizontal) or the
// bottom row, c2 at the left edge or top row. A one-pixel extent is c1; an empty rect paints nothing.
void GradientFill(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2, bool horizontal);
// The glass look of a bar or button: from b at the top (vertical) or left edge towards a just before the middle,
// then a step to half-way between a and an overshoot colour beyond a (seen from b), from where a vertical gradient
// returns to a at the bottom and a horizontal one goes on towards the overshoot at the right. When a is redder
// than b the second half is flat a. A rectangle one pixel deep is b; an empty one paints nothing.
void GlassGradient(TCanvas* canvas, const RECT& rect, TColor a, TColor b, bool vertical);
// The band of a gradient theme: from b at the top (rows) or left edge to a just before the middle, a step to
// half-way between a and an overshoot beyond a, and back to a at the far edge. One line deep it is b.
void GlassBand(TCanvas* canvas, const RECT& rect, TColor a, TColor b, bool rows);
// Rows in three grey bands, light to dark to light again.
void ButtonGradient(TCanvas* canvas, const RECT& rect);
// The rows of a round glyph's interior, each row inset as a disc of eleven rows is (rows beyond the eleven keep
// the inset of the nearer end): glass from b at the top to a, or a straight gradient from a at the bottom row to
// b at the top.
void RoundGradient(TCanvas* canvas, const RECT& rect, TColor a, TColor b, bool glass);
// The small 8 x 7 close cross, centred in rect, in color.
void DrawCloseGlyph(TCanvas* canvas, const RECT& rect, TColor color);
// Whether a view's background runs wider than tall: measured on the painted area inside a dock (viewRect not
// all zero), else on the view's own rectangle.
bool ViewRunsWide(const RECT& viewRect, const RECT& paintRect, const RECT& area);
// An etched separator line: white with a dark line one pixel before it, shorter by one at each end. Horizontal
// at row y = at, else at column x = at.
void DrawEtchedLine(TCanvas* canvas, const RECT& rect, bool horizontal, int at, TColor dark);
// The outline of a 13-pixel round radio button whose box starts at (x, y), in color.
void DrawRadioOutline(TCanvas* canvas, int x, int y, TColor color);
// The nearest colour the screen shows, as a plain RGB colour.
TColor NearestColor(TColor color);
// A raised dot of seven pixels at (x, y): (x, y), (x, y+1), (x+1, y), (x+1, y+1) in the dark colours, (x+1, y+2),
// (x+2, y+2), (x+2, y+1) in the light ones; darks[i] and lights[i] are the weights of the blend of base with the
// dark and light colour.
struct TGripDotStyle {
  TColor Base;
  TColor Dark;
  TColor Light;
  std::array<int, 4> DarkWeights;  // (x, y), (x, y+1), (x+1, y), (x+1, y+1)
};
void DrawGripDot(TCanvas* canvas, int x, int y, const TGripDotStyle& style);
// The filled arrow of a pop-up scroll button of kind sbUp, sbDown, sbLeft or sbRight, sized 3/4 of the smaller
// half extent of rect.
std::vector<POINT> ScrollArrowPoints(const RECT& rect, int kind);
// Six raised dots in a triangle at the bottom-right corner of rect, in blends of the face with the shadow and
// highlight colours.
void DrawSizeGripDots(TCanvas* canvas, const RECT& rect);
// Three rounds of diagonal lines across the bottom-right corner of rect, one step out per colour of the round
// (clNone leaves its step empty), the first step first lines from the corner.
void DrawGripDiagonals(TCanvas* canvas, const RECT& rect, int first, const std::vector<TColor>& round);
// The divider at the end of a status-bar pane: an etched line three pixels before its right edge, or on the
// edge for the last pane beside the grip.
void DrawPaneDivider(TCanvas* canvas, const RECT& rect, bool lastPane);
// A check box (a rectangle) or radio button (an ellipse) outlined in pen and filled with brush (a NULL_BRUSH for
// none), rect being the box; brush is not deleted.
void DrawControlBox(TCanvas* canvas, const RECT& box, int kind, TColor pen, HBRUSH brush);
// The mark of a box drawn by DrawControlBox in color: the check of a check box that is checked or mixed, the dot of
// a checked radio button.
void DrawControlMark(TCanvas* canvas, const RECT& box, int kind, int state, TColor color);
// The caption in color with the canvas's font, on a clear brush, through DrawText or turned 90 degrees; the brush
// is solid again afterwards.
void DrawCaption(TCanvas* canvas, RECT rect, const String& caption, UINT format, bool rotated, TColor color);

}  // namespace themes

// Drawing routines the toolbar themes share: monochrome glyphs copied in a colour, filled triangles, cut-corner
// frames, checker brushes, gradients, grip dots, nearest colours and captions.
#pragma once

#include <windows.h>

#include <array>
#include <vector>

#include "framework/graphics.h"
#include "toolbars/theme/theme.h"

class TImageList;

namespace themes {

// An 8 x 8 one-bit pattern: each row one word whose low 8 bits are the pixels, leftmost in bit 7.
using TGlyphPattern = std::array<WORD, 8>;

// Paints color where the pattern's top-left width x height pixels are set, at (x, y); the rest stays. clNone
// paints nothing.
void DrawPatternGlyph(TCanvas* canvas, const TGlyphPattern& pattern, int x, int y, int width, int height, TColor color);
// The 8 x 7 close cross in color, centred in rect.
void DrawCloseGlyph(TCanvas* canvas, const RECT& rect, TColor color);
// The same with glyph index of a 16 x 16 glyph list whose mask holds the glyph's pixels.
void DrawListGlyph(TCanvas* canvas, TImageList* glyphs, int index, int x, int y, TColor color);

// A filled polygon with pen and brush in color.
void FillPolygon(TCanvas* canvas, const std::vector<POINT>& points, TColor color);
// The outline of rect with its corners cut by leftCut and rightCut pixels, in the current pen; right and bottom
// exclusive.
void CutCornerFrame(TCanvas* canvas, const RECT& rect, int leftCut, int rightCut);
// The same in color; clNone draws none.
void CutCornerFrame(TCanvas* canvas, const RECT& rect, int leftCut, int rightCut, TColor color);
// A check mark two pixels thick, left of rect's centre, drawn with the pen in color.
void DrawCheckMark(TCanvas* canvas, const RECT& rect, TColor color);
// A checker brush of the two colours; the caller deletes it.
HBRUSH CreateCheckerBrush(TColor c1, TColor c2);
// The part of rect inside the canvas's clip box: all a painter can change there.
RECT VisiblePart(TCanvas* canvas, const RECT& rect);
// The pixels of a dotted line of every third pixel from start that lie in from .. to - 1.
std::vector<int> DotsAlong(int start, int from, int to);
// Each column (horizontal) or row of rect in a step between c1 and c2: c1 at the right edge (horizontal) or the
// bottom row, c2 at the left edge or top row. A one-pixel extent is c1; an empty rect paints nothing.
void GradientFill(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2, bool horizontal);
// Whether a view's background runs wider than tall: measured on the painted area inside a dock (viewRect not
// all zero), else on the view's own rectangle.
bool ViewRunsWide(const RECT& viewRect, const RECT& paintRect, const RECT& area);
// An etched separator line: white with a dark line one pixel before it, shorter by one at each end. Horizontal
// at row y = at, else at column x = at.
void DrawEtchedLine(TCanvas* canvas, const RECT& rect, bool horizontal, int at, TColor dark);
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
// The drag handle of a docked toolbar whose inside is area: its first columns, or rows when vertical.
RECT DragHandleRect(const RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo);
// The square close button at the start of that handle.
RECT HandleCloseButtonRect(const RECT& handle, bool vertical);
// The raised dots of a toolbar's drag handle (handle being its first columns, or rows when vertical), stopping
// before a close button at the handle's start; a double handle has two runs.
void DrawGripBumps(TCanvas* canvas, const RECT& handle, const toolbars::TStyledToolbarPaintInfo& toolbarInfo,
                   const TGripDotStyle& style);
// The filled arrow of a pop-up scroll button of kind sbUp, sbDown, sbLeft or sbRight, sized 3/4 of the smaller
// half extent of rect.
std::vector<POINT> ScrollArrowPoints(const RECT& rect, int kind);
// Six raised dots in a triangle at the bottom-right corner of rect, in blends of the face with the shadow and
// highlight colours.
void DrawSizeGripDots(TCanvas* canvas, const RECT& rect);
// Three pairs of diagonal lines at the bottom-right corner of rect, first then second in each pair, touching in a
// small grip, one pixel apart between pairs from 9 pixels and between all lines from 13.
void DrawSizeGripLines(TCanvas* canvas, const RECT& rect, TColor first, TColor second);
// The two rings of a docked window's edge, brush being the window's fill: in low colour or at an extreme face
// luminance a framed checker ring, else a ring in outer inside which brush frames; the two corners at the caption's
// end (top-right for a caption along the top, else bottom-left) and the top-left one are rounded off.
void PaintDockedCaptionEdge(TCanvas* canvas, const RECT& rect, TColor brush, TColor outer, bool horizontal);
// A floating window's border: everything of rect outside client in fill, then an outline in outline one pixel
// outside client, its corners cut (a dock's only at the top right and bottom left).
void PaintFloatingBorder(TCanvas* canvas, const RECT& rect, const RECT& client, TColor fill, TColor outline,
                         bool dockFamily);
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

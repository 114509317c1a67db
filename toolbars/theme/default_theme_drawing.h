// What the default theme's painters share: item states read from the paint-info record, the theme's glyph
// patterns and small filled shapes, and the visual style of one part class when it is in use.
#pragma once

#include <windows.h>

#include "framework/graphics.h"
#include "framework/visual_styles.h"
#include "toolbars/theme/theme.h"
#include "toolbars/theme/theme_manager.h"

namespace toolbars::default_theme {

inline bool IsOpaque(const TStyledItemPaintInfo& info) { return IsOpaqueToolbar(info.ViewType); }
inline bool IsMenuBar(int viewType) { return IsViewType(viewType, vtMenuBar); }

// The style data of the class while visual styles are in use, else null (paint classic then).
const TThemeData* Styled(TThemeStyle style);

// The glyph patterns: 8 x 8 one-bit bitmaps whose set bits take a system colour.
enum class TGlyph { gChevron, gChevronVertical, gCaptionCross, gToolbarCross };
// Draws the glyph's top-left width x height at (x, y) in the system colour (a clXXX system colour).
void DrawGlyph(HDC dc, TGlyph glyph, int x, int y, int width, int height, TColor systemColor);
// The 7 x 6 caption cross centred in rect.
void DrawCaptionCross(HDC dc, const RECT& rect, int shift);
// The 7 x 7 toolbar cross centred in rect.
void DrawToolbarCross(HDC dc, const RECT& rect, int shift);

enum class TArrowDirection { adUp, adDown, adLeft, adRight };
// A filled triangle whose base is width pixels, pointing in direction, centred on (x, y).
void DrawArrow(TCanvas* canvas, int x, int y, int width, TArrowDirection direction, TColor color);

// DrawEdge on the canvas's DC.
void Edge(TCanvas* canvas, RECT rect, UINT edge, UINT flags);
void EdgeAdjust(TCanvas* canvas, RECT& rect, UINT edge, UINT flags);

// Visual-style state of a button that may be pushed or hot: 3, 2 or 1.
inline int PushHotState(bool pushed, bool hot) { return pushed ? 3 : hot ? 2 : 1; }

// The theme's own small-caption font.
TFont* CaptionFont();

}  // namespace toolbars::default_theme

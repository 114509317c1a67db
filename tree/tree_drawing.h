// Drawing routines the tree's painting and export share: wide text with line breaks, shortening with an
// ellipsis, alpha blending of 32-bit bitmaps, and small value helpers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/alignment.h"
#include "framework/graphics.h"

namespace tree {

// Draws (or, with DT_CALCRECT, measures into r) text that may hold line breaks (CR, LF, CR LF or U+2028).
// Understands DT_CENTER, DT_RIGHT, DT_VCENTER, DT_SINGLELINE, DT_NOCLIP, DT_CALCRECT and DT_RTLREADING; with
// DT_CALCRECT and adjustRight r.right becomes r.left plus the widest line.
void DrawWideText(HDC dc, const wchar_t* text, int length, RECT& r, UINT format, bool adjustRight);
// The longest start of text that fits width together with "...", followed by "..."; empty when not even the
// ellipsis fits. An ellipsisWidth of 0 means the width of "...".
String ShortenWideText(HDC dc, const String& text, int width, bool rightToLeft, int ellipsisWidth = 0);

enum class TBlendMode { blendConstant, blendPerPixel, blendMaster, blendConstantWithColor };
// Blends the 32-bit DIB sections selected into source and destination (see the modes); nothing happens when a
// context holds no 32-bit DIB section or r is empty. bias is a signed addition, or for blendConstantWithColor the
// colour (0x00BBGGRR) blended in.
void BlendBitmapRect(HDC source, HDC destination, const RECT& r, POINT target, TBlendMode mode, int constantAlpha,
                     int bias);

// RedrawWindow flags of a frame redraw: invalidate, no erase, no children, frame.
constexpr UINT FrameRedrawFlags = RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_FRAME;

// The rectangle with left <= right and top <= bottom.
RECT NormalizeRect(const RECT& r);
// Sorts values[l..r] ascending.
void SortCardinals(std::uint32_t* values, int l, int r);
// Left and right exchanged, as a right-to-left cell shows them; centred stays.
TAlignment MirroredAlignment(TAlignment alignment);
// clNone becomes CLR_NONE, clDefault CLR_DEFAULT, any other colour its RGB value.
COLORREF ColorToImageListColor(TColor color);
// Makes bitmap a 32-bit bitmap of the size.
void Make32BitBitmap(TBitmap& bitmap, int width, int height);

}  // namespace tree

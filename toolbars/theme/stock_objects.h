// The drawing utilities' process-wide scratch objects and optional platform entries: two 32-bit bitmaps the
// image painters resize per use, a monochrome bitmap, an 8 x 8 bitmap whose DC answers nearest-colour questions,
// the system's small-caption font, and the layered-window and alpha-blending entries (null when missing).
#pragma once

#include <windows.h>

#include <memory>

#include "framework/bitmap.h"

struct TUnit;

namespace toolbars {

TBitmap* StockBitmap1();
TBitmap* StockBitmap2();
TBitmap* StockMonoBitmap();
HDC StockNearestColorDC();
// The system's small-caption font; the default font when the system does not tell.
TFont* SmCaptionFont();
// A new font made from the system's small-caption font (the default font when the system does not tell).
std::unique_ptr<TFont> CreateSmallCaptionFont();
// Makes every stock object again, so that they follow a change of the system's settings.
void RecreateStockObjects();

using TUpdateLayeredWindowProc = decltype(&::UpdateLayeredWindow);
using TAlphaBlendProc = decltype(&::AlphaBlend);
TUpdateLayeredWindowProc UpdateLayeredWindowEntry();
TAlphaBlendProc AlphaBlendEntry();

const TUnit& DrawingUtilsUnit();

}  // namespace toolbars

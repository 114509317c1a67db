// Image painters of the themes: an item image drawn in high contrast, blended over the background, as a shadow
// that darkens the background, or greyed. Each paints at most one image's size at the rectangle's top-left.
#pragma once

#include <windows.h>

#include "framework/graphics.h"

class TCustomImageList;

namespace toolbars {

// Without recolor a plain draw; with it dark pixels turn white, near-white ones black, and every pixel is
// lightened by 32.
void DrawImageHighContrast(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, bool recolor, int index);
// The image over the background with opacity 0..255.
void DrawImageBlended(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, int opacity, int index);
// The background darkened under the image's shape by the image's luminance; strength 0..2, 0 the darkest.
void DrawImageShadow(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, int strength, int index);
// A light grey copy of the image; color is not used.
void DrawImageGrayed(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, TColor color, int index);

}  // namespace toolbars

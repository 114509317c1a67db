#include "controls/flat_look.h"

#include <algorithm>

namespace controls {

namespace {

int Clamp(int channel) { return std::clamp(channel, 0, 255); }

TColor MakeColor(int red, int green, int blue) {
  return static_cast<TColor>(RGB(Clamp(red), Clamp(green), Clamp(blue)));
}

// c moved percent of the way to 255, to the nearest integer, a tie going to the even one.
int Lighten(int c, int percent) {
  const int numerator = (255 - c) * percent;
  int step = numerator / 100;
  const int rest = numerator % 100;
  if (rest > 50 || (rest == 50 && step % 2 != 0)) ++step;
  return Clamp(c + step);
}

void FrameIn(TCanvas* canvas, const RECT& r, TColor color) {
  canvas->Brush()->SetColor(color);
  canvas->FrameRect(r);
}

}  // namespace

TColor DarkenColor(TColor color, int amount) {
  const COLORREF rgb = static_cast<COLORREF>(ColorToRGB(color));
  return MakeColor(GetRValue(rgb) - amount, GetGValue(rgb) - amount + 2, GetBValue(rgb) - amount);
}

TColor LightenColor(HDC dc, TColor color, int percent) {
  percent = std::min(percent, 100);
  const COLORREF rgb = static_cast<COLORREF>(ColorToRGB(color));
  const COLORREF light =
      RGB(Lighten(GetRValue(rgb), percent), Lighten(GetGValue(rgb), percent), Lighten(GetBValue(rgb), percent));
  const COLORREF nearest = GetNearestColor(dc, light);
  return static_cast<TColor>(nearest == CLR_INVALID ? light : nearest);
}

TFlatColors FlatColors(HDC dc) {
  if (GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) >= 16)
    return {LightenColor(dc, clHighlight, 68), LightenColor(dc, clHighlight, 80), LightenColor(dc, clHighlight, 50)};
  return {clWhite, clWhite, clSilver};
}

TColor FlatFrameColor(HDC dc, bool mouseIn, bool focused, TColor color) {
  if (mouseIn) return clHighlight;
  if (focused) return LightenColor(dc, clHighlight, 60);
  return color;
}

void PaintFlatFrames(TCanvas* canvas, RECT& r, TColor outerColor, TColor color, TColor frameColor, bool lit) {
  FrameIn(canvas, r, outerColor);
  InflateRect(&r, -1, -1);
  --r.bottom;
  canvas->Pen()->SetColor(color);
  canvas->MoveTo(r.left, r.bottom);
  canvas->LineTo(r.left, r.top);
  canvas->LineTo(r.right - 1, r.top);
  canvas->MoveTo(r.left, r.top + 1);
  canvas->LineTo(r.right - 1, r.top + 1);
  canvas->MoveTo(r.left, r.bottom - 1);
  canvas->LineTo(r.right - 1, r.bottom - 1);
  canvas->LineTo(r.right - 1, r.top - 1);
  if (lit) {
    InflateRect(&r, 1, 0);
    --r.top;
    ++r.bottom;
  }
  FrameIn(canvas, r, color);
  ++r.bottom;
  FrameIn(canvas, r, frameColor);
}

}  // namespace controls

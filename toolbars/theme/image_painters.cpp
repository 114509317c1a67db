#include "toolbars/theme/image_painters.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/stock_objects.h"

namespace toolbars {

namespace {

using TPixel = std::uint32_t;
constexpr TPixel kRgbMask = 0x00FFFFFF;
// The background of the high-contrast pass: a colour images seldom hold.
constexpr TPixel kHighContrastKey = 0x203241;
constexpr TPixel kMagentaPixel = 0xFF00FF;
// Luminance bounds of the high-contrast pass (76 R + 150 G + 29 B).
constexpr int kNearWhite = 64769;
constexpr int kDark = 25600;
constexpr int kHighContrastLift = 32;
// Divisor and offset of the shadow's darkening per strength.
constexpr std::array<int, 3> kShadowDivisor{3, 8, 20};
constexpr std::array<int, 3> kShadowOffset{170, 224, 243};

int PixelRed(TPixel p) { return static_cast<int>((p >> 16) & 0xFF); }
int PixelGreen(TPixel p) { return static_cast<int>((p >> 8) & 0xFF); }
int PixelBlue(TPixel p) { return static_cast<int>(p & 0xFF); }

// The part of the image the rectangle holds; empty when either side is not positive.
SIZE ImageArea(const RECT& rect, TCustomImageList* imageList) {
  return SIZE{std::min<LONG>(rect.right - rect.left, imageList->Width()),
              std::min<LONG>(rect.bottom - rect.top, imageList->Height())};
}

// Copies what lies under the image into StockBitmap1, lets change rewrite it, and puts the result back.
template <class Change>
void ThroughBackground(TCanvas* canvas, const RECT& rect, SIZE area, Change change) {
  TBitmap* background = StockBitmap1();
  background->SetSize(area.cx, area.cy);
  HDC dc = canvas->Handle();
  BitBlt(background->Canvas()->Handle(), 0, 0, area.cx, area.cy, dc, rect.left, rect.top, SRCCOPY);
  change(background);
  BitBlt(dc, rect.left, rect.top, area.cx, area.cy, background->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// StockBitmap2 holds the background with the image drawn over it; each pixel the image changed is mixed.
template <class Mix>
void MixChangedPixels(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, int index, Mix mix) {
  const SIZE area = ImageArea(rect, imageList);
  if (area.cx <= 0 || area.cy <= 0) return;
  ThroughBackground(canvas, rect, area, [&](TBitmap* background) {
    TBitmap* image = StockBitmap2();
    image->SetSize(area.cx, area.cy);
    BitBlt(image->Canvas()->Handle(), 0, 0, area.cx, area.cy, background->Canvas()->Handle(), 0, 0, SRCCOPY);
    imageList->Draw(image->Canvas(), 0, 0, index, true);
    for (int y = 0; y < area.cy; ++y) {
      TPixel* back = PixelRow(background, y);
      const TPixel* drawn = PixelRow(image, y);
      for (int x = 0; x < area.cx; ++x)
        if ((drawn[x] & kRgbMask) != (back[x] & kRgbMask)) back[x] = mix(drawn[x] & kRgbMask, back[x] & kRgbMask);
    }
  });
}

TPixel HighContrastPixel(TPixel p) {
  const int luminance = 76 * PixelRed(p) + 150 * PixelGreen(p) + 29 * PixelBlue(p);
  TPixel result = p;
  if (luminance >= kNearWhite)
    result = 0;
  else if (luminance < kDark)
    result = kRgbMask;
  // Channels are shifted alike, so the pixel's byte order does not matter.
  return static_cast<TPixel>(ShiftColorBrightness(static_cast<TColor>(result), kHighContrastLift));
}

}  // namespace

void DrawImageHighContrast(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, bool recolor, int index) {
  if (!recolor) {
    imageList->Draw(canvas, rect.left, rect.top, index, true);
    return;
  }
  const SIZE area = ImageArea(rect, imageList);
  if (area.cx <= 0 || area.cy <= 0) return;
  ThroughBackground(canvas, rect, area, [&](TBitmap* background) {
    TBitmap* image = StockBitmap2();
    image->SetSize(area.cx, area.cy);
    for (int y = 0; y < area.cy; ++y) FillLongwords(PixelRow(image, y), area.cx, kHighContrastKey);
    imageList->Draw(image->Canvas(), 0, 0, index, true);
    for (int y = 0; y < area.cy; ++y) {
      TPixel* back = PixelRow(background, y);
      const TPixel* drawn = PixelRow(image, y);
      for (int x = 0; x < area.cx; ++x)
        if ((drawn[x] & kRgbMask) != kHighContrastKey) back[x] = HighContrastPixel(drawn[x] & kRgbMask);
    }
  });
}

void DrawImageBlended(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, int opacity, int index) {
  const TPixel o = static_cast<TPixel>(std::clamp(opacity, 0, 255));
  MixChangedPixels(canvas, rect, imageList, index,
                   [o](TPixel image, TPixel back) { return BlendBytes(image, back, o); });
}

void DrawImageShadow(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, int strength, int index) {
  const size_t s = static_cast<size_t>(std::clamp(strength, 0, 2));
  MixChangedPixels(canvas, rect, imageList, index, [s](TPixel image, TPixel back) {
    const int factor =
        ((29 * PixelRed(image) + 150 * PixelGreen(image) + 76 * PixelBlue(image)) >> 8) / kShadowDivisor[s] +
        kShadowOffset[s];
    const auto darken = [factor](int channel) { return static_cast<TPixel>((channel * factor) >> 8); };
    return (darken(PixelRed(back)) << 16) | (darken(PixelGreen(back)) << 8) | darken(PixelBlue(back));
  });
}

void DrawImageGrayed(TCanvas* canvas, const RECT& rect, TCustomImageList* imageList, TColor color, int index) {
  (void)color;
  const SIZE area = ImageArea(rect, imageList);
  if (area.cx <= 0 || area.cy <= 0) return;
  TBitmap grey;
  grey.SetPixelFormat(TPixelFormat::pf32bit);
  grey.SetSize(area.cx, area.cy);
  for (int y = 0; y < area.cy; ++y) FillLongwords(PixelRow(&grey, y), area.cx, kMagentaPixel);
  imageList->Draw(grey.Canvas(), 0, 0, index, true);
  for (int y = 0; y < area.cy; ++y) {
    TPixel* row = PixelRow(&grey, y);
    for (int x = 0; x < area.cx; ++x) {
      const TPixel p = row[x] & kRgbMask;
      if (p == kMagentaPixel) continue;
      const int average = (PixelRed(p) + PixelGreen(p) + PixelBlue(p)) / 3;
      const TPixel g = static_cast<TPixel>(255 - (255 - average) * 10 / 25);
      row[x] = (g << 16) | (g << 8) | g;
    }
  }
  grey.SetTransparentColor(clFuchsia);
  grey.SetTransparent(true);
  canvas->Draw(rect.left, rect.top, &grey);
}

}  // namespace toolbars

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "paint_surface.h"
#include "support/test_environment.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/image_painters.h"
#include "toolbars/theme/stock_objects.h"

using namespace toolbars;

namespace {

// The distance the contrast routine measures: channels weighted as the eye weights them.
double WeightedDistance(TColor a, TColor b) {
  const double w[3] = {0.764706, 1.52941, 0.254902};
  double sum = 0;
  for (int i = 0; i < 3; ++i) {
    const double d = (((a >> (8 * i)) & 0xFF) - ((b >> (8 * i)) & 0xFF)) * w[i];
    sum += d * d;
  }
  return std::sqrt(sum);
}

}  // namespace

TEST(ColorArithmetic, BlendMixShiftAndLuminanceExactValues) {
  TTestEnvironment environment;
  environment.SetSysColor(COLOR_BTNFACE, RGB(200, 100, 50));
  struct TCase {
    const char* Name;
    TColor Got, Expected;
  };
  const TCase cases[] = {
      {"blend white over black at 255 is not white", BlendColors(clWhite, clBlack, 255), 0xFEFEFE},
      {"blend at 0 scales the second", BlendColors(clBlack, clWhite, 0), 0xFEFEFE},
      {"blend red and blue at 128", BlendColors(clRed, clBlue, 128), 0x7E007F},
      {"blend resolves system colours", BlendColors(clBtnFace, clBlack, 128), 0x193264},
      {"blend clamps the weight", BlendColors(clWhite, clBlack, 999), 0xFEFEFE},
      {"nearest of a true colour is itself", BlendColorsNearest(clRed, clBlue, 128), 0x7E007F},
      {"mix below 100 is percent", MixColorsPercent(clWhite, clBlack, 50), 0x808080},
      {"mix at 100 is per mille", MixColorsPercent(clWhite, clBlack, 100), 0x1A1A1A},
      {"mix rounds to nearest", MixColorsPercent(0x0000C8, 0x000064, 25), 0x00007D},
      {"mix of a system colour", MixColorsPercent(clBtnFace, clWhite, 0), 0xFFFFFF},
      {"lighten clamps at white", ShiftColorBrightness(0x10F080, 32), 0x30FFA0},
      {"darken clamps at black", ShiftColorBrightness(0x102030, -32), 0x000010},
      {"shift of a system colour", ShiftColorBrightness(clBtnFace, 10), 0x3C6ED2},
  };
  for (const TCase& c : cases) EXPECT_EQ(c.Got, c.Expected) << c.Name;

  const struct {
    TColor Color;
    int Luminance;
  } luminances[] = {{clWhite, 255}, {clBlack, 0}, {clRed, 76}, {clLime, 150}, {clBlue, 27}, {clBtnFace, 124}};
  for (const auto& c : luminances) EXPECT_EQ(ColorLuminance(c.Color), c.Luminance) << std::hex << c.Color;
}

TEST(ColorArithmetic, BrightnessShiftsRoundTripWhileNoChannelClamps) {
  for (TColor color : {0x204060, 0x7F7F7F, 0x10C0A0, 0x3050E0})
    for (int amount : {1, 15, 31})
      EXPECT_EQ(ShiftColorBrightness(ShiftColorBrightness(color, amount), -amount), color) << color << " " << amount;
}

TEST(ColorContrast, FarColoursStayAndNearOnesMoveFarEnough) {
  TTestEnvironment environment;
  environment.SetSysColor(COLOR_BTNFACE, RGB(192, 192, 192));
  // Far enough already: the colour comes back exactly, a system colour resolved.
  for (TColor distant : {clWhite, 0x00FFFF, 0xFF00FF}) {
    TColor color = distant;
    EnsureContrast(color, clBlack, 60);
    EXPECT_EQ(color, distant);
  }
  TColor face = clBtnFace;
  EnsureContrast(face, clBlack, 10);
  EXPECT_EQ(face, 0xC0C0C0);

  struct TCase {
    TColor Color, Base;
    int MinDistance;
    double Required;
  };
  // A base brighter than 220 keeps the distance; black doubles it; a mid grey raises it partly.
  const TCase cases[] = {
      {0xF0F0F0, clWhite, 80, 80},  {0xFFFFFF, clWhite, 50, 50},
      {0x101010, clBlack, 40, 80},  {0x101010, 0x202020, 30, 30 * (2 - WeightedDistance(0x202020, clBlack) / 220)},
      {0x808080, 0x808080, 60, 60}, {0x6080A0, 0x7080A0, 70, 70}};
  for (const TCase& c : cases) {
    TColor color = c.Color;
    EnsureContrast(color, c.Base, c.MinDistance);
    EXPECT_NE(color, c.Color) << std::hex << c.Color;
    // Rounding to whole channels may lose a little of the distance.
    EXPECT_GE(WeightedDistance(color, c.Base), c.Required - 2.0) << std::hex << c.Color << " on " << c.Base;
    EXPECT_EQ(color & ~0xFFFFFF, 0);
  }
}

TEST(ColorContrast, DarkColourOnBrightBaseGoesDarker) {
  TColor color = 0xD0D0D0;
  EnsureContrast(color, 0xE0E0E0, 100);
  EXPECT_LT(ColorLuminance(color), ColorLuminance(0xD0D0D0));
  TColor light = 0x303030;
  EnsureContrast(light, 0x202020, 100);
  EXPECT_GT(ColorLuminance(light), ColorLuminance(0x303030));
}

TEST(DrawingRoutines, FillsAndFramesHonourNoneAndSystemColours) {
  TTestEnvironment environment;
  environment.SetSysColor(COLOR_BTNSHADOW, RGB(10, 20, 30));
  TPaintSurface surface(40, 40, RGB(1, 2, 3));
  TCanvas* canvas = surface.Canvas();

  EXPECT_FALSE(FillRectEx(canvas, RECT{0, 0, 40, 40}, clNone));
  EXPECT_EQ(surface.Capture().CountPixels(RGB(1, 2, 3)), 1600);
  EXPECT_TRUE(FillRectEx(canvas, RECT{0, 0, 10, 10}, clBtnShadow));
  EXPECT_EQ(surface.Capture().CountPixels(RGB(10, 20, 30)), 100);
  EXPECT_TRUE(FillRectDCEx(canvas->Handle(), RECT{10, 0, 20, 10}, 0x00FF00));
  EXPECT_EQ(surface.Pixel(15, 5), RGB(0, 255, 0));

  RECT none{20, 20, 30, 30};
  EXPECT_FALSE(FrameRectEx(canvas, none, clNone, true));
  EXPECT_EQ(none.left, 21);
  EXPECT_EQ(none.bottom, 29);
  RECT framed{20, 20, 30, 30};
  EXPECT_TRUE(FrameRectEx(canvas, framed, 0x0000FF, false));
  EXPECT_EQ(framed.left, 20);
  EXPECT_EQ(surface.Capture().CountPixels(RGB(255, 0, 0)), 36);
  EXPECT_EQ(surface.Pixel(25, 25), RGB(1, 2, 3));
}

TEST(DrawingRoutines, LinesFrames3DAndDither) {
  TPaintSurface surface(40, 40, RGB(1, 2, 3));
  TCanvas* canvas = surface.Canvas();
  DrawLineEx(canvas, 0, 0, 10, 0, 0x0000FF);
  EXPECT_EQ(surface.Pixel(9, 0), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(10, 0), RGB(1, 2, 3));

  RECT frame{10, 10, 20, 20};
  DrawFrame3D(canvas, frame, 0xFFFFFF, 0x000000);
  EXPECT_EQ(frame.left, 11);
  EXPECT_EQ(frame.top, 11);
  EXPECT_EQ(frame.right, 19);
  EXPECT_EQ(frame.bottom, 19);
  EXPECT_EQ(surface.Pixel(10, 10), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(10, 18), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(18, 10), RGB(255, 255, 255));
  EXPECT_EQ(surface.Pixel(19, 10), RGB(0, 0, 0));
  EXPECT_EQ(surface.Pixel(19, 19), RGB(0, 0, 0));
  EXPECT_EQ(surface.Pixel(10, 19), RGB(0, 0, 0));
  EXPECT_EQ(surface.Pixel(15, 15), RGB(1, 2, 3));

  DitherRect(canvas, RECT{24, 24, 32, 32}, 0x0000FF, 0x00FF00);
  for (int y = 24; y < 32; ++y)
    for (int x = 24; x < 32; ++x)
      EXPECT_EQ(surface.Pixel(x, y), (x + y) % 2 == 0 ? RGB(255, 0, 0) : RGB(0, 255, 0)) << x << "," << y;
}

TEST(DrawingRoutines, LongwordFillsAndMoves) {
  std::vector<std::uint32_t> words(8, 7);
  FillLongwords(words.data() + 1, 3, 0xABCDEF01);
  EXPECT_EQ(words, (std::vector<std::uint32_t>{7, 0xABCDEF01, 0xABCDEF01, 0xABCDEF01, 7, 7, 7, 7}));
  FillLongwords(words.data(), 0, 1);
  FillLongwords(words.data(), -5, 1);
  EXPECT_EQ(words[0], 7u);
  MoveLongwords(words.data() + 1, words.data() + 4, 3);
  EXPECT_EQ(words,
            (std::vector<std::uint32_t>{7, 0xABCDEF01, 0xABCDEF01, 0xABCDEF01, 0xABCDEF01, 0xABCDEF01, 0xABCDEF01, 7}));
  MoveLongwords(words.data(), words.data(), 8);
  MoveLongwords(words.data(), words.data() + 1, -1);
  EXPECT_EQ(words[1], 0xABCDEF01u);
}

TEST(ImagePainters, EachPainterRewritesOnlyTheImagesPixels) {
  auto images = MakeBandImageList();
  constexpr COLORREF kBack = RGB(200, 200, 200);
  struct TCase {
    const char* Name;
    void (*Paint)(TCanvas*, TCustomImageList*);
    COLORREF Red, Grey, NearWhite;
  };
  const TCase cases[] = {
      {"plain high contrast",
       [](TCanvas* c, TCustomImageList* l) {
         DrawImageHighContrast(c, {0, 0, 16, 16}, l, false, 0);
       },
       kImageRed, kImageGrey, kImageNearWhite},
      {"recoloured high contrast",
       [](TCanvas* c, TCustomImageList* l) {
         DrawImageHighContrast(c, {0, 0, 16, 16}, l, true, 0);
       },
       RGB(255, 255, 255), RGB(160, 160, 160), RGB(32, 32, 32)},
      {"blended 200",
       [](TCanvas* c, TCustomImageList* l) {
         DrawImageBlended(c, {0, 0, 16, 16}, l, 200, 0);
       },
       RGB(242, 42, 42), RGB(142, 142, 142), RGB(242, 242, 238)},
      {"shadow 1",
       [](TCanvas* c, TCustomImageList* l) {
         DrawImageShadow(c, {0, 0, 16, 16}, l, 1, 0);
       },
       RGB(177, 177, 177), RGB(186, 186, 186), RGB(199, 199, 199)},
      {"shadow 0",
       [](TCanvas* c, TCustomImageList* l) {
         DrawImageShadow(c, {0, 0, 16, 16}, l, 0, 0);
       },
       RGB(139, 139, 139), RGB(165, 165, 165), RGB(198, 198, 198)},
      {"greyed",
       [](TCanvas* c, TCustomImageList* l) {
         DrawImageGrayed(c, {0, 0, 16, 16}, l, clRed, 0);
       },
       RGB(187, 187, 187), RGB(205, 205, 205), RGB(255, 255, 255)},
  };
  for (const TCase& c : cases) {
    TPaintSurface surface(20, 20, kBack);
    c.Paint(surface.Canvas(), images.get());
    EXPECT_EQ(surface.Pixel(6, 5), c.Red) << c.Name;
    EXPECT_EQ(surface.Pixel(6, 9), c.Grey) << c.Name;
    EXPECT_EQ(surface.Pixel(6, 12), c.NearWhite) << c.Name;
    EXPECT_EQ(surface.Pixel(1, 1), kBack) << c.Name;
    EXPECT_EQ(surface.Pixel(13, 6), kBack) << c.Name;
    EXPECT_EQ(surface.Pixel(18, 18), kBack) << c.Name;
  }
}

TEST(ImagePainters, RectangleSmallerThanTheImageClipsIt) {
  auto images = MakeBandImageList();
  TPaintSurface surface(20, 20, RGB(200, 200, 200));
  DrawImageBlended(surface.Canvas(), RECT{2, 2, 8, 8}, images.get(), 255, 0);
  EXPECT_EQ(surface.Pixel(7, 7), RGB(254, 0, 0));
  EXPECT_EQ(surface.Pixel(8, 7), RGB(200, 200, 200));
  EXPECT_EQ(surface.Pixel(7, 8), RGB(200, 200, 200));
  DrawImageShadow(surface.Canvas(), RECT{0, 0, 0, 5}, images.get(), 2, 0);
  EXPECT_EQ(surface.Capture().CountPixels(RGB(200, 200, 200)), 396);
}

TEST(StockObjects, SmallCaptionFontFollowsTheSystemsSetting) {
  NONCLIENTMETRICSW original{};
  original.cbSize = sizeof original;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof original, &original, 0));
  // A small-caption font nothing else uses, so that only the system's record can have supplied it.
  NONCLIENTMETRICSW pinned = original;
  wcscpy_s(pinned.lfSmCaptionFont.lfFaceName, L"Courier New");
  pinned.lfSmCaptionFont.lfHeight = -17;
  pinned.lfSmCaptionFont.lfWeight = FW_BOLD;
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof pinned, &pinned, 0));
  RecreateStockObjects();
  LOGFONTW font{};
  const bool read = GetObjectW(SmCaptionFont()->Handle(), sizeof font, &font) != 0;
  const std::unique_ptr<TFont> made = CreateSmallCaptionFont();
  LOGFONTW madeFont{};
  GetObjectW(made->Handle(), sizeof madeFont, &madeFont);
  SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof original, &original, 0);
  RecreateStockObjects();

  ASSERT_TRUE(read);
  EXPECT_STREQ(font.lfFaceName, L"Courier New");
  EXPECT_EQ(font.lfHeight, -17);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_STREQ(madeFont.lfFaceName, L"Courier New");
  EXPECT_NE(UpdateLayeredWindowEntry(), nullptr);
  EXPECT_NE(AlphaBlendEntry(), nullptr);
}

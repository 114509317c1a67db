#include <gtest/gtest.h>

#include <cstdlib>

#include "controls/flat_utils.h"
#include "controls/hsl_utils.h"
#include "framework/bitmap.h"
#include "support/test_environment.h"

using namespace controls;

TEST(HSLColors, KnownColoursInTheIntegerRange) {
  struct TCase {
    COLORREF Color;
    int H, S, L;
  } cases[] = {
      {RGB(255, 0, 0), 0, 240, 120},         {RGB(0, 255, 0), 80, 240, 120},  {RGB(0, 0, 255), 159, 240, 120},
      {RGB(128, 128, 128), 0, 0, 120},       {RGB(255, 255, 255), 0, 0, 240}, {RGB(0, 0, 0), 0, 0, 0},
      {RGB(0x33, 0x66, 0x99), 139, 120, 96},
  };
  for (const TCase& c : cases) {
    int h = -1, s = -1, l = -1;
    RGBtoHSLRange(static_cast<TColor>(c.Color), h, s, l);
    EXPECT_EQ(h, c.H) << std::hex << c.Color;
    EXPECT_EQ(s, c.S) << std::hex << c.Color;
    EXPECT_EQ(l, c.L) << std::hex << c.Color;
    // Back again within the rounding of the integer range.
    const auto back = static_cast<COLORREF>(HSLRangeToRGB(h, s, l));
    EXPECT_LE(std::abs(GetRValue(back) - GetRValue(c.Color)), 2) << std::hex << c.Color;
    EXPECT_LE(std::abs(GetGValue(back) - GetGValue(c.Color)), 2) << std::hex << c.Color;
    EXPECT_LE(std::abs(GetBValue(back) - GetBValue(c.Color)), 2) << std::hex << c.Color;
  }
  EXPECT_EQ(HSLtoRGB(0, 0, 0.5), static_cast<TColor>(RGB(128, 128, 128))) << "127.5 goes to the even 128";
  EXPECT_EQ(HSLtoRGB(0, 1, 0.5), static_cast<TColor>(RGB(255, 0, 0)));
  EXPECT_EQ(HSLtoRGB(2.0 / 3, 1, 0.25), static_cast<TColor>(RGB(0, 0, 128)));
}

TEST_F(TEnvironmentTest, AdvancedColourIsAShadeOfTheParentColour) {
  Environment.SetSysColor(COLOR_BTNFACE, RGB(0xD4, 0xD0, 0xC8));
  const TColor base = 0x123456;
  struct TCase {
    TColor Parent;
    int Percent;
    bool Darken;
    TColor Expected;
  } cases[] = {
      {clWhite, 0, true, base},
      {clWhite, 50, true, static_cast<TColor>(RGB(212, 212, 212))},   // lightness 240 + 10 - 50
      {clBlack, 50, true, clBlack},                                   // never below 0
      {clBlack, 30, false, static_cast<TColor>(RGB(42, 42, 42))},     // 0 + 10 + 30
      {clWhite, 30, false, static_cast<TColor>(RGB(106, 106, 106))},  // raised, but held at 100
      {clBtnFace, 40, true, CalcAdvancedColor(static_cast<TColor>(RGB(0xD4, 0xD0, 0xC8)), base, 40, true)},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(CalcAdvancedColor(c.Parent, base, c.Percent, c.Darken), c.Expected) << c.Percent;
}

TEST(FlatFrame, TwoColourRingsAndTheRectangleInside) {
  TBitmap bitmap;
  bitmap.SetSize(10, 8);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect(RECT{0, 0, 10, 8});
  RECT r{0, 0, 10, 8};
  Frame3D(canvas, r, clRed, clBlue, 2);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right, 8);
  EXPECT_EQ(r.bottom, 6);
  // Each ring: top and left in the first colour, bottom and right (with the top-right and bottom-left corners)
  // in the second.
  const char* expected[] = {
      "RRRRRRRRRB",  //
      "RRRRRRRRBB",  //
      "RR      BB",  //
      "RR      BB",  //
      "RR      BB",  //
      "RR      BB",  //
      "RBBBBBBBBB",  //
      "BBBBBBBBBB",  //
  };
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      const TColor want = expected[y][x] == 'R' ? clRed : expected[y][x] == 'B' ? clBlue : clWhite;
      EXPECT_EQ(canvas->Pixels(x, y), want) << x << "," << y;
    }
  }
}

// The glossy and linear gradients the glass-look themes share, at their ends and on rectangles too small or too
// large to divide evenly.
#include "themes/glass_gradients.h"

#include "theme_fixture.h"
#include "themes/theme_drawing.h"

namespace {

constexpr COLORREF kBlue = RGB(100, 100, 200);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// Two thirds again of the way from white to the blue, beyond it: 255 - 155 * 15 / 9 clamped, and 255 - 55 * 15 / 9.
constexpr COLORREF kBeyondBlue = RGB(0, 0, 164);

struct TStripSurface {
  TStripSurface() : Strip(themes::MakeGradientStrip()), Surface(40, 40) {}
  std::unique_ptr<TBitmap> Strip;
  TThemeSurface Surface;
};

}  // namespace

TEST(GlassGradient, EndsStepAndOvershoot) {
  TStripSurface vertical;
  // 21 rows: 20 steps, the first half from white towards the blue, the second from beyond the blue back to it.
  themes::GlassGradient(vertical.Surface.Canvas(), vertical.Strip.get(), {0, 0, 10, 21}, static_cast<TColor>(kBlue),
                        clWhite, true);
  EXPECT_EQ(vertical.Surface.Pixel(5, 0), kWhite);
  EXPECT_EQ(vertical.Surface.Pixel(5, 20), RGB(100 * 19 / 20, 100 * 19 / 20, 164 + 36 * 19 / 20));
  int step = 0;
  for (int y = 1; y < 21; ++y)
    step = std::max(step, GetRValue(vertical.Surface.Pixel(5, y - 1)) - GetRValue(vertical.Surface.Pixel(5, y)));
  EXPECT_GT(step, 60);
  EXPECT_EQ(vertical.Surface.Pixel(5, 21), kPaper);
  EXPECT_EQ(vertical.Surface.Pixel(10, 5), kPaper);
  // Left to right the second half runs on from the blue towards the overshoot.
  TStripSurface horizontal;
  themes::GlassGradient(horizontal.Surface.Canvas(), horizontal.Strip.get(), {0, 0, 21, 10}, static_cast<TColor>(kBlue),
                        clWhite, false);
  EXPECT_EQ(horizontal.Surface.Pixel(0, 5), kWhite);
  EXPECT_LT(GetBValue(horizontal.Surface.Pixel(20, 5)), 200);
  EXPECT_GT(GetRValue(horizontal.Surface.Pixel(9, 5)), 100);
  // A first colour redder than the second: the second half is flat in it.
  TStripSurface flat;
  themes::GlassGradient(flat.Surface.Canvas(), flat.Strip.get(), {0, 0, 10, 21}, clWhite, static_cast<TColor>(kBlue),
                        true);
  EXPECT_EQ(flat.Surface.Pixel(5, 0), kBlue);
  for (int y = 11; y < 21; ++y) EXPECT_EQ(flat.Surface.Pixel(5, y), kWhite) << y;
}

TEST(GlassGradient, SmallAndHollowRectangles) {
  const struct {
    const char* Name;
    RECT Rect;
    bool Vertical;
    POINT Probe;
    COLORREF Color;  // kPaper: nothing painted at all
  } cases[] = {
      {"one row", {2, 3, 20, 4}, true, {10, 3}, kBlue},
      {"one column", {2, 3, 3, 20}, false, {2, 10}, kBlue},
      {"one column, vertical", {2, 3, 3, 20}, true, {2, 3}, kWhite},
      // Two rows: one step, of the second half, beyond the blue.
      {"two rows", {2, 3, 20, 5}, true, {10, 4}, kBeyondBlue},
      {"empty", {5, 5, 5, 20}, true, {5, 10}, kPaper},
      {"inverted", {20, 20, 5, 5}, true, {10, 10}, kPaper},
      {"inverted across", {20, 5, 5, 20}, false, {10, 10}, kPaper},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TStripSurface s;
    themes::GlassGradient(s.Surface.Canvas(), s.Strip.get(), c.Rect, static_cast<TColor>(kBlue), clWhite, c.Vertical);
    EXPECT_EQ(s.Surface.Pixel(c.Probe.x, c.Probe.y), c.Color);
    if (c.Color == kPaper) {
      EXPECT_EQ(s.Surface.Capture().CountPixels(kPaper), 40 * 40);
    }
  }
}

TEST(RoundGradient, RowsOfADiscAndSmallRectangles) {
  // An 11-row disc: row insets 3, 1, 1, 0 ... from each end; linear from white at the top to blue at the bottom.
  TThemeSurface disc(20, 20);
  themes::RoundGradient(disc.Canvas(), {0, 0, 11, 11}, static_cast<TColor>(kBlue), false, clWhite);
  EXPECT_EQ(disc.Pixel(2, 0), kPaper);
  EXPECT_EQ(disc.Pixel(3, 0), kWhite);
  EXPECT_EQ(disc.Pixel(7, 0), kWhite);
  EXPECT_EQ(disc.Pixel(8, 0), kPaper);
  EXPECT_EQ(disc.Pixel(0, 1), kPaper);
  EXPECT_EQ(disc.Pixel(1, 1), disc.Pixel(9, 1));
  EXPECT_EQ(disc.Pixel(0, 5), RGB(100 + 155 * 5 / 10, 100 + 155 * 5 / 10, 200 + 55 * 5 / 10));
  EXPECT_EQ(disc.Pixel(3, 10), kBlue);
  EXPECT_EQ(disc.Pixel(2, 10), kPaper);
  // A taller disc keeps the insets at its ends and full rows between.
  TThemeSurface tall(20, 30);
  themes::RoundGradient(tall.Canvas(), {0, 0, 11, 25}, static_cast<TColor>(kBlue), true, clWhite);
  EXPECT_EQ(tall.Pixel(0, 12), tall.Pixel(10, 12));
  EXPECT_NE(tall.Pixel(0, 12), kPaper);
  EXPECT_EQ(tall.Pixel(2, 24), kPaper);
  EXPECT_EQ(tall.Pixel(3, 24), kBlue);
  // One row is the first colour within the disc's top inset; hollow rectangles paint nothing.
  for (bool glass : {true, false}) {
    TThemeSurface row(20, 20);
    themes::RoundGradient(row.Canvas(), {0, 5, 11, 6}, static_cast<TColor>(kBlue), glass, clWhite);
    EXPECT_EQ(row.Pixel(5, 5), kBlue) << glass;
    EXPECT_EQ(row.Pixel(2, 5), kPaper) << glass;
    for (const RECT& hollow : {RECT{5, 5, 5, 15}, RECT{15, 15, 5, 5}}) {
      TThemeSurface none(20, 20);
      themes::RoundGradient(none.Canvas(), hollow, static_cast<TColor>(kBlue), glass, clWhite);
      EXPECT_EQ(none.Capture().CountPixels(kPaper), 400) << glass;
    }
  }
}

TEST(LinearGradient, EndsAndSmallRectangles) {
  TThemeSurface surface(40, 40);
  themes::GradientFill(surface.Canvas(), {0, 0, 10, 11}, static_cast<TColor>(kBlue), clWhite, false);
  EXPECT_EQ(surface.Pixel(5, 0), kWhite);
  EXPECT_EQ(surface.Pixel(5, 10), kBlue);
  EXPECT_EQ(surface.Pixel(5, 5), RGB(100 + 155 * 5 / 10, 100 + 155 * 5 / 10, 200 + 55 * 5 / 10));
  themes::GradientFill(surface.Canvas(), {20, 0, 21, 30}, static_cast<TColor>(kBlue), clWhite, true);
  EXPECT_EQ(surface.Pixel(20, 15), kBlue);
  themes::GradientFill(surface.Canvas(), {20, 35, 40, 36}, static_cast<TColor>(kBlue), clWhite, false);
  EXPECT_EQ(surface.Pixel(30, 35), kBlue);
  TThemeSurface none(40, 40);
  for (const RECT& hollow : {RECT{5, 5, 5, 15}, RECT{15, 15, 5, 5}, RECT{5, 15, 15, 5}})
    for (bool across : {false, true})
      themes::GradientFill(none.Canvas(), hollow, static_cast<TColor>(kBlue), clWhite, across);
  EXPECT_EQ(none.Capture().CountPixels(kPaper), 1600);
  // A gradient far longer than the canvas paints the visible rows with their own steps.
  TThemeSurface large(10, 10);
  themes::GradientFill(large.Canvas(), {0, -1000000, 10, 1000001}, clBlack, clWhite, false);
  EXPECT_EQ(large.Pixel(5, 0), RGB(127, 127, 127));
}

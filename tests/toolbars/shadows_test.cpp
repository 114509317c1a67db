#include "toolbars/theme/shadows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "support/test_environment.h"
#include "support/window_capture.h"

using namespace toolbars;

namespace {

int AlphaAt(TBitmap* buffer, int x, int y) {
  return static_cast<int>(static_cast<std::uint32_t*>(buffer->ScanLine(y))[x] >> 24);
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

struct TPieceSpec {
  bool Vertical;
  RECT Bounds;
  uint8_t Edges;
};

void ExpectPieces(const TShadows& shadows, const std::vector<TPieceSpec>& expected, const char* name) {
  ASSERT_EQ(shadows.Count(), static_cast<int>(expected.size())) << name;
  for (size_t i = 0; i < expected.size(); ++i) {
    TShadow* piece = shadows.Pieces(static_cast<int>(i));
    EXPECT_EQ(piece->Is<TVertShadow>(), expected[i].Vertical) << name << " piece " << i;
    EXPECT_TRUE(SameRect(piece->BoundsRect(), expected[i].Bounds)) << name << " piece " << i;
    EXPECT_EQ(piece->Edges(), expected[i].Edges) << name << " piece " << i;
  }
}

}  // namespace

TEST(ShadowBuffers, StraightPartsFadeOutwardsAndCornersRoundOff) {
  struct TCase {
    const char* Name;
    bool Vertical;
    RECT Bounds;
    uint8_t Edges;
    std::vector<POINT> Points;
    std::vector<int> Alphas;
  };
  const TCase cases[] = {
      {"horizontal straight rows",
       false,
       {0, 0, 40, 4},
       seLeadingCorner | seTrailingCorner,
       {{20, 0}, {20, 1}, {20, 2}, {20, 3}},
       {255, 191, 127, 63}},
      {"horizontal corners",
       false,
       {0, 0, 40, 4},
       seLeadingCorner | seTrailingCorner,
       {{0, 0}, {3, 0}, {36, 0}, {39, 0}, {0, 3}, {39, 3}},
       {63, 255, 255, 63, 0, 0}},
      {"horizontal without corners", false, {0, 0, 40, 4}, 0, {{0, 0}, {39, 0}, {0, 3}}, {255, 255, 63}},
      {"short piece splits its length between the corners",
       false,
       {0, 0, 6, 4},
       seLeadingCorner | seTrailingCorner,
       {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}},
       {63, 127, 191, 191, 127, 63}},
      {"vertical straight columns",
       true,
       {0, 0, 4, 40},
       seLeadingCorner,
       {{0, 20}, {1, 20}, {2, 20}, {3, 20}},
       {255, 191, 127, 63}},
      {"vertical leading corner at the top",
       true,
       {0, 0, 4, 40},
       seLeadingCorner,
       {{0, 3}, {0, 0}, {3, 0}, {0, 39}},
       {255, 63, 0, 255}},
      {"vertical trailing corner at the bottom",
       true,
       {0, 0, 4, 40},
       seTrailingCorner,
       {{0, 0}, {0, 36}, {0, 39}, {3, 39}},
       {255, 255, 63, 0}},
  };
  for (const TCase& c : cases) {
    std::unique_ptr<TShadow> piece;
    if (c.Vertical)
      piece = std::make_unique<TVertShadow>(c.Bounds, c.Edges, false, 61);
    else
      piece = std::make_unique<THorzShadow>(c.Bounds, c.Edges, false, 61);
    std::unique_ptr<TBitmap> buffer = piece->RenderBuffer();
    ASSERT_EQ(buffer->Width(), c.Bounds.right);
    ASSERT_EQ(buffer->Height(), c.Bounds.bottom);
    for (size_t i = 0; i < c.Points.size(); ++i)
      EXPECT_EQ(AlphaAt(buffer.get(), c.Points[i].x, c.Points[i].y), c.Alphas[i])
          << c.Name << " at " << c.Points[i].x << "," << c.Points[i].y;
    // Black everywhere: the alpha alone makes the shadow.
    EXPECT_EQ(static_cast<std::uint32_t*>(buffer->ScanLine(1))[1] & 0xFFFFFF, 0u) << c.Name;
  }
}

TEST(ShadowGeometry, PiecesGoRoundTheWindowOrThePairOfWindowAndItem) {
  const RECT none{};
  struct TCase {
    const char* Name;
    RECT Parent, Window;
    bool LoColor;
    std::vector<TPieceSpec> Pieces;
  };
  const TCase cases[] = {
      {"window alone",
       none,
       {100, 100, 200, 150},
       false,
       {{true, {200, 104, 204, 150}, 1}, {false, {104, 150, 204, 154}, 3}}},
      {"item alone",
       {100, 100, 200, 150},
       none,
       false,
       {{true, {200, 104, 204, 150}, 1}, {false, {104, 150, 204, 154}, 3}}},
      {"low colour halves the size",
       none,
       {100, 100, 200, 150},
       true,
       {{true, {200, 102, 202, 150}, 1}, {false, {102, 150, 202, 152}, 3}}},
      {"pop-up below its item",
       {100, 80, 160, 100},
       {100, 100, 250, 300},
       false,
       {{false, {104, 300, 254, 304}, 3}, {true, {160, 84, 164, 100}, 1}, {true, {250, 104, 254, 300}, 1}}},
      {"pop-up below a wider item",
       {100, 80, 300, 100},
       {120, 100, 250, 300},
       false,
       {{false, {104, 100, 120, 104}, 1},
        {false, {124, 300, 254, 304}, 3},
        {true, {300, 84, 304, 100}, 1},
        {false, {250, 100, 304, 104}, 3},
        {true, {250, 101, 254, 300}, 0}}},
      {"pop-up right of its item",
       {100, 100, 200, 120},
       {200, 100, 300, 300},
       false,
       {{true, {300, 104, 304, 304}, 3}, {false, {104, 120, 200, 124}, 1}, {false, {204, 300, 300, 304}, 1}}},
      {"pop-up left of a lower item",
       {200, 150, 300, 300},
       {100, 100, 200, 200},
       false,
       {{true, {200, 104, 204, 150}, 1},
        {true, {300, 154, 304, 304}, 3},
        {false, {104, 200, 200, 204}, 1},
        {false, {204, 300, 300, 304}, 1}}},
      {"pop-up left of a shorter item",
       {200, 100, 300, 150},
       {100, 100, 200, 300},
       false,
       {{true, {300, 104, 304, 154}, 3},
        {false, {104, 300, 200, 304}, 1},
        {true, {200, 150, 204, 304}, 3},
        {false, {200, 150, 300, 154}, 0}}},
      {"overlapping rectangles get no shadow", {100, 100, 200, 200}, {150, 150, 250, 250}, false, {}},
  };
  for (const TCase& c : cases) {
    TShadows shadows(c.Parent, c.Window, 4, 61, c.LoColor);
    ExpectPieces(shadows, c.Pieces, c.Name);
    for (int i = 0; i < shadows.Count(); ++i)
      EXPECT_EQ(shadows.Pieces(i)->Style(), c.LoColor ? TShadowStyle::ssSolid : TShadowStyle::ssLayered) << c.Name;
  }
}

TEST(LayeredShadows, PiecesAreTransparentToolWindowsRightBehindThePopup) {
  HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 100,
                               50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(popup);
  {
    TShadows shadows(RECT{}, RECT{100, 100, 200, 150}, 4, 61, false);
    shadows.Show(popup);
    ASSERT_EQ(shadows.Count(), 2);
    EXPECT_TRUE(shadows.SaveBits());
    bool pieceFollowsPopup = false;
    for (int i = 0; i < shadows.Count(); ++i) {
      HWND wnd = shadows.Pieces(i)->Handle();
      const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
      const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
      EXPECT_TRUE(style & WS_POPUP);
      EXPECT_FALSE(style & WS_CHILD);
      EXPECT_TRUE(style & WS_VISIBLE);
      EXPECT_TRUE(exStyle & WS_EX_LAYERED);
      EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
      EXPECT_TRUE(GetClassLongPtrW(wnd, GCL_STYLE) & CS_SAVEBITS);
      EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(201, 110)), HTTRANSPARENT);
      RECT bounds;
      GetWindowRect(wnd, &bounds);
      EXPECT_TRUE(SameRect(bounds, shadows.Pieces(i)->BoundsRect()));
      EXPECT_NE(GetForegroundWindow(), wnd);
      if (GetWindow(popup, GW_HWNDNEXT) == wnd) pieceFollowsPopup = true;
    }
    EXPECT_TRUE(pieceFollowsPopup);
  }
  DestroyWindow(popup);
}

TEST(LayeredShadows, LowColourPiecesAreSolidShadowStrips) {
  TTestEnvironment environment;
  environment.SetSysColor(COLOR_BTNSHADOW, RGB(90, 80, 70));
  TShadows shadows(RECT{}, RECT{100, 100, 200, 150}, 4, 61, true);
  shadows.Show(HWND_TOP);
  for (int i = 0; i < shadows.Count(); ++i) {
    HWND wnd = shadows.Pieces(i)->Handle();
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    TWindowCapture capture = TWindowCapture::OfWindow(wnd);
    EXPECT_EQ(capture.CountPixels(RGB(90, 80, 70)), capture.Width() * capture.Height());
  }
}

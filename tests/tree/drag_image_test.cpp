// The drag image drawn by itself on a stand-in screen: its alpha channel, the blend it shows, the strips it
// restores and captures while it moves, move restrictions, and the path taken when the shell's service declines.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cmath>

#include "fake_screen.h"
#include "support/test_window.h"
#include "tree/tree_data_object.h"
#include "tree/tree_drag_image.h"
#include "tree/tree_unit.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

constexpr COLORREF PictureColor = RGB(250, 20, 200);
constexpr COLORREF KeyColor = RGB(0, 255, 0);

// A picture of one colour with a key-coloured corner.
void MakePicture(TBitmap& picture, int width, int height) {
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(width, height);
  HDC dc = picture.Canvas()->Handle();
  RECT all{0, 0, width, height}, corner{0, 0, 4, 4};
  HBRUSH brush = CreateSolidBrush(PictureColor), key = CreateSolidBrush(KeyColor);
  FillRect(dc, &all, brush);
  FillRect(dc, &corner, key);
  DeleteObject(brush);
  DeleteObject(key);
}

BYTE AlphaAt(TTreeDragImage& image, int x, int y) {
  return static_cast<BYTE*>(image.DragImageBitmap().ScanLine(y))[4 * x + 3];
}

TEST(TreeDragImage, AlphaChannelFadesFromTheCentre) {
  TTreeDragImage image;
  image.SetColorKey(static_cast<TColor>(KeyColor));
  TBitmap picture;
  MakePicture(picture, 40, 20);
  image.PrepareDrag(picture, POINT{10, 10}, POINT{30, 20}, nullptr);
  ASSERT_TRUE(image.States().Contains(TDragImageState::disPrepared));
  struct TCase {
    int x, y, expected;
  };
  // The larger side is 40: the centre (20, 10) is fully opaque, 20 pixels off it exp(-4) of it.
  const TCase cases[] = {{20, 10, 255},
                         {39, 10, static_cast<int>(std::lround(255 * std::exp(-8 * 19 / 40.0)))},
                         {20, 0, static_cast<int>(std::lround(255 * std::exp(-8 * 10 / 40.0)))},
                         {2, 2, 0}};
  for (const TCase& c : cases) EXPECT_EQ(AlphaAt(image, c.x, c.y), c.expected) << c.x << "," << c.y;
  EXPECT_EQ(std::lround(255 * std::exp(-4.0)), 5);
  image.EndDrag();
  EXPECT_TRUE(image.DragImageBitmap().Empty());
}

TEST(TreeDragImage, ShowsBlendedPictureAndRestoresScreen) {
  TFakeScreen screen;
  struct TCase {
    bool fade;
    int bias;
  };
  for (TCase c : {TCase{false, 0}, TCase{true, 0}, TCase{false, -50}}) {
    TTreeDragImage image;
    image.SetFade(c.fade);
    image.SetPreBlendBias(static_cast<signed char>(c.bias));
    TBitmap picture;
    MakePicture(picture, 40, 20);
    image.PrepareDrag(picture, POINT{100, 100}, POINT{120, 110}, nullptr);
    EXPECT_FALSE(image.Visible());
    image.ShowDragImage();
    ASSERT_TRUE(image.Visible());
    RECT r = image.GetDragImageRect();
    EXPECT_EQ(r.right - r.left, 40);
    COLORREF shown = PictureColor;
    if (c.bias) shown = RGB(GetRValue(shown) - 50, 0, GetBValue(shown) - 50);
    int alpha = c.fade ? 255 * 128 / 256 : 128;
    EXPECT_TRUE(Near(screen.Pixel(120, 110), Blend(TFakeScreen::Original(120, 110), shown, alpha)))
        << std::hex << screen.Pixel(120, 110) << " fade " << c.fade << " bias " << c.bias;
    if (c.fade) {
      EXPECT_TRUE(Near(screen.Pixel(100, 100), TFakeScreen::Original(100, 100), 3));
    }
    image.HideDragImage();
    EXPECT_EQ(screen.ChangedPixels(RECT{90, 90, 150, 130}), 0);
    image.EndDrag();
  }
}

// Every move leaves the screen outside the image as it was, and the image over the right background.
TEST(TreeDragImage, MovesRestoreAndCaptureStrips) {
  TFakeScreen screen;
  TTreeDragImage image;
  TBitmap picture;
  MakePicture(picture, 40, 20);
  image.PrepareDrag(picture, POINT{200, 200}, POINT{220, 210}, nullptr);
  image.ShowDragImage();
  struct TMove {
    int dx, dy;
    bool force;
  };
  const TMove moves[] = {{1, 0, false},   {0, 1, false},  {1, 1, false},   {-3, 2, false}, {5, -4, false},
                         {-1, -1, false}, {50, 0, false}, {0, -30, false}, {0, 0, true},   {-39, 19, false}};
  POINT mouse{220, 210};
  for (const TMove& m : moves) {
    mouse.x += m.dx;
    mouse.y += m.dy;
    EXPECT_TRUE(image.DragTo(mouse, m.force));
    RECT r = image.GetDragImageRect();
    EXPECT_EQ(r.left, mouse.x - 20);
    EXPECT_EQ(r.top, mouse.y - 10);
    // Outside the image nothing changed; inside, the blend of the original.
    int outside = screen.ChangedPixels(RECT{100, 100, 340, 300}) - screen.ChangedPixels(r);
    EXPECT_EQ(outside, 0) << m.dx << "," << m.dy;
    EXPECT_TRUE(Near(screen.Pixel(r.left + 30, r.top + 15),
                     Blend(TFakeScreen::Original(r.left + 30, r.top + 15), PictureColor, 128)))
        << m.dx << "," << m.dy;
  }
  EXPECT_FALSE(image.DragTo(mouse, false));
  image.EndDrag();
  EXPECT_EQ(screen.ChangedPixels(RECT{100, 100, 340, 300}), 0);
}

TEST(TreeDragImage, MoveRestrictions) {
  TFakeScreen screen;
  struct TCase {
    TTreeDragMoveRestriction restriction;
    POINT expected;
  };
  const TCase cases[] = {{TTreeDragMoveRestriction::MoveFree, {110, 107}},
                         {TTreeDragMoveRestriction::MoveHorizontalOnly, {110, 100}},
                         {TTreeDragMoveRestriction::MoveVerticalOnly, {100, 107}}};
  for (const TCase& c : cases) {
    TTreeDragImage image;
    image.SetMoveRestriction(c.restriction);
    TBitmap picture;
    MakePicture(picture, 30, 30);
    image.PrepareDrag(picture, POINT{100, 100}, POINT{115, 115}, nullptr);
    image.ShowDragImage();
    EXPECT_TRUE(image.WillMove(POINT{125, 122}));
    image.DragTo(POINT{125, 122}, false);
    EXPECT_EQ(image.ImagePosition().x, c.expected.x);
    EXPECT_EQ(image.ImagePosition().y, c.expected.y);
    if (c.restriction == TTreeDragMoveRestriction::MoveVerticalOnly) {
      EXPECT_FALSE(image.WillMove(POINT{140, 122}));
    }
    image.EndDrag();
  }
}

// The tree repainted under the image: the part below the image is taken from the tree's painting, so hiding the
// image shows the tree, not what the screen held before.
TEST(TreeDragImage, RecapturesWhatTheTreePaints) {
  TFakeScreen screen;
  TTestWindow host(RECT{100, 100, 400, 300});
  TTestTree tree;
  EXPECT_TRUE(tree.SetParentWindow(host.Handle()).Alive());
  EXPECT_TRUE(tree.SetBounds(0, 0, 200, 100).Alive());
  tree.HandleNeeded();
  EXPECT_TRUE(tree.SetVisible(true).Alive());
  POINT origin{0, 0};
  ClientToScreen(tree.Handle(), &origin);
  TTreeDragImage image(&tree);
  TBitmap picture;
  MakePicture(picture, 30, 30);
  image.PrepareDrag(picture, POINT{origin.x + 20, origin.y + 20}, POINT{origin.x + 35, origin.y + 35}, nullptr);
  image.ShowDragImage();
  // Only the rows from 30 down were repainted.
  image.RecaptureBackground(&tree, RECT{0, 30, 200, 100}, nullptr, false, true);
  image.HideDragImage();
  COLORREF painted = ColorToRGB(tree.Color());
  EXPECT_EQ(screen.Pixel(origin.x + 25, origin.y + 40), painted);
  EXPECT_EQ(screen.Pixel(origin.x + 25, origin.y + 25), TFakeScreen::Original(origin.x + 25, origin.y + 25));
  image.EndDrag();
}

// What a window keeps of its own where the image passed (a band put back from a stale background, say) is painted
// anew by the window when the drag ends.
TEST(TreeDragImage, WindowsItPassedOverPaintAgainWhenTheDragEnds) {
  TFakeScreen screen;
  TTestWindow host(RECT{100, 100, 400, 300});
  TTestTree tree;
  EXPECT_TRUE(tree.SetParentWindow(host.Handle()).Alive());
  EXPECT_TRUE(tree.SetBounds(0, 0, 200, 100).Alive());
  tree.SetBorderStyle(TBorderStyle::bsNone);
  tree.HandleNeeded();
  EXPECT_TRUE(tree.SetVisible(true).Alive());
  UpdateWindow(tree.Handle());
  POINT origin{0, 0};
  ClientToScreen(tree.Handle(), &origin);
  TTreeDragImage image(&tree);
  TBitmap picture;
  MakePicture(picture, 30, 30);
  image.PrepareDrag(picture, POINT{origin.x + 10, origin.y + 10}, POINT{origin.x + 25, origin.y + 25}, nullptr);
  image.ShowDragImage();
  image.DragTo(POINT{origin.x + 125, origin.y + 45}, false);
  // A leftover in the window under where the image went.
  HDC dc = GetDC(tree.Handle());
  SetPixel(dc, 20, 20, RGB(1, 2, 3));
  SetPixel(dc, 120, 40, RGB(1, 2, 3));
  ReleaseDC(tree.Handle(), dc);
  image.EndDrag();
  UpdateWindow(tree.Handle());
  dc = GetDC(tree.Handle());
  EXPECT_EQ(GetPixel(dc, 20, 20), ColorToRGB(tree.Color()));
  EXPECT_EQ(GetPixel(dc, 120, 40), ColorToRGB(tree.Color()));
  ReleaseDC(tree.Handle(), dc);
}

// The shell's service declines here: with a data object the image still draws itself. Without blending nothing is
// shown, and moves are still recorded.
TEST(TreeDragImage, DrawsItselfWithoutTheService) {
  TFakeScreen screen;
  TTestTree tree;
  Microsoft::WRL::ComPtr<IDataObject> data = new TTreeDataObject(&tree, false);
  TBitmap picture;
  MakePicture(picture, 30, 30);
  {
    TTreeDragImage image(&tree);
    image.PrepareDrag(picture, POINT{100, 100}, POINT{115, 115}, data.Get());
    if (!image.States().Contains(TDragImageState::disSystemSupport)) {
      image.ShowDragImage();
      EXPECT_TRUE(image.Visible());
      EXPECT_GT(screen.ChangedPixels(RECT{100, 100, 130, 130}), 800);
    }
    image.EndDrag();
  }
  bool hadMMX = tree::HasMMX;
  tree::HasMMX = false;
  TTreeDragImage image;
  image.PrepareDrag(picture, POINT{100, 100}, POINT{115, 115}, nullptr);
  image.ShowDragImage();
  EXPECT_FALSE(image.Visible());
  EXPECT_TRUE(image.DragTo(POINT{130, 140}, false));
  EXPECT_EQ(image.LastPosition().x, 130);
  EXPECT_EQ(screen.ChangedPixels(RECT{0, 0, 640, 480}), 0);
  tree::HasMMX = hadMMX;
}

}  // namespace
}  // namespace tree_test

#include "toolbars/items/drag_cursors.h"

#include <gtest/gtest.h>

#include <vector>

using namespace toolbars;

namespace {

struct TCursorShape {
  bool Valid = false;
  bool IsIcon = true;
  POINT HotSpot{};
  SIZE MaskSize{};
  std::vector<BYTE> Mask;
};

TCursorShape ShapeOf(HCURSOR cursor) {
  TCursorShape shape;
  ICONINFO info{};
  if (!cursor || !GetIconInfo(cursor, &info)) return shape;
  shape.Valid = true;
  shape.IsIcon = info.fIcon != FALSE;
  shape.HotSpot = POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  shape.MaskSize = SIZE{mask.bmWidth, mask.bmHeight};
  shape.Mask.resize(static_cast<size_t>(mask.bmWidthBytes) * static_cast<size_t>(mask.bmHeight));
  GetBitmapBits(info.hbmMask, static_cast<LONG>(shape.Mask.size()), shape.Mask.data());
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return shape;
}

}  // namespace

TEST(DragCursors, MoveAndCopyCursorsComeWithTheFramework) {
  const TCursorShape move = ShapeOf(DragMoveCursor());
  const TCursorShape copy = ShapeOf(DragCopyCursor());
  const TCursorShape arrow = ShapeOf(LoadCursorW(nullptr, IDC_ARROW));
  for (const TCursorShape* shape : {&move, &copy}) {
    ASSERT_TRUE(shape->Valid);
    EXPECT_FALSE(shape->IsIcon);
    EXPECT_EQ(shape->HotSpot.x, 0) << "the hot spot is the arrow's tip";
    EXPECT_EQ(shape->HotSpot.y, 0);
    EXPECT_EQ(shape->MaskSize.cx, 32);
    EXPECT_EQ(shape->MaskSize.cy, 64) << "monochrome: the AND mask over the XOR mask";
    EXPECT_NE(shape->Mask, arrow.Mask) << "not the standard arrow";
  }
  EXPECT_NE(move.Mask, copy.Mask);
  EXPECT_NE(DragNoDropCursor(), nullptr);
}

TEST(DragCursors, OnlyACursorMadeHereIsDestroyed) {
  HMODULE program = GetModuleHandleW(nullptr);
  for (int round = 0; round < 1000; ++round) {
    TDragCursor made = LoadDragCursor(program, L"NBADDITEMCURSOR");
    ASSERT_TRUE(made.Created());
    HCURSOR handle = made.Handle();
    ASSERT_TRUE(ShapeOf(handle).Valid);
    made.Reset();
    ASSERT_FALSE(ShapeOf(handle).Valid) << "released in round " << round;
  }
  HCURSOR noDrop = LoadCursorW(nullptr, IDC_NO);
  {
    TDragCursor shared(noDrop, false);
    TDragCursor moved = std::move(shared);
    EXPECT_EQ(moved.Handle(), noDrop);
  }
  EXPECT_TRUE(ShapeOf(noDrop).Valid) << "a shared cursor survives its holder";
  EXPECT_TRUE(ShapeOf(LoadCursorW(nullptr, IDC_NO)).Valid);
  const TDragCursor missing = LoadDragCursor(program, L"NOSUCHCURSOR");
  EXPECT_EQ(missing.Handle(), nullptr);
}

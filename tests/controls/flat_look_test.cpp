#include "controls/flat_look.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {

// A 32-bit device, which shows every colour as it is.
class TTrueColorDC {
 public:
  TTrueColorDC() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~TTrueColorDC() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  HDC Handle() const { return dc_; }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

TEST(FlatColours, DarkenTakesGreenTwoLessAndClamps) {
  EXPECT_EQ(DarkenColor(static_cast<TColor>(RGB(100, 100, 100)), 60), static_cast<TColor>(RGB(40, 42, 40)));
  EXPECT_EQ(DarkenColor(static_cast<TColor>(RGB(10, 250, 255)), 60), static_cast<TColor>(RGB(0, 192, 195)));
  EXPECT_EQ(DarkenColor(static_cast<TColor>(RGB(0, 0, 0)), -300), static_cast<TColor>(RGB(255, 255, 255)));
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(DarkenColor(clBtnFace, 0),
            static_cast<TColor>(RGB(GetRValue(face), std::min(255, GetGValue(face) + 2), GetBValue(face))));
}

TEST(FlatColours, LightenRoundsHalfToEvenAndCapsAtWhite) {
  TTrueColorDC dc;
  EXPECT_EQ(LightenColor(dc.Handle(), static_cast<TColor>(RGB(48, 150, 250)), 68),
            static_cast<TColor>(RGB(189, 221, 253)));
  // 127.5 rounds to 128, 0.5 to 0, 1.0 stays 1.
  EXPECT_EQ(LightenColor(dc.Handle(), static_cast<TColor>(RGB(0, 254, 253)), 50),
            static_cast<TColor>(RGB(128, 254, 254)));
  // 1.5 rounds to 2.
  EXPECT_EQ(LightenColor(dc.Handle(), static_cast<TColor>(RGB(249, 0, 0)), 25), static_cast<TColor>(RGB(251, 64, 64)));
  EXPECT_EQ(LightenColor(dc.Handle(), static_cast<TColor>(RGB(1, 2, 3)), 150), static_cast<TColor>(RGB(255, 255, 255)));
  EXPECT_EQ(LightenColor(dc.Handle(), static_cast<TColor>(RGB(1, 2, 3)), 0), static_cast<TColor>(RGB(1, 2, 3)));
}

TEST(FlatColours, ColourSetFollowsTheDeviceDepth) {
  TTrueColorDC dc;
  const TFlatColors deep = FlatColors(dc.Handle());
  EXPECT_EQ(deep.HotLight, LightenColor(dc.Handle(), clHighlight, 68));
  EXPECT_EQ(deep.FocusLight, LightenColor(dc.Handle(), clHighlight, 80));
  EXPECT_EQ(deep.Pressed, LightenColor(dc.Handle(), clHighlight, 50));

  // A fresh memory DC holds a one-bit bitmap: the lightened colours come out as the nearest it can show.
  HDC mono = CreateCompatibleDC(nullptr);
  EXPECT_EQ(LightenColor(mono, static_cast<TColor>(RGB(48, 150, 250)), 68), clWhite);
  EXPECT_EQ(LightenColor(mono, static_cast<TColor>(RGB(0, 0, 40)), 5), clBlack);
  DeleteDC(mono);

  EXPECT_EQ(FlatFrameColor(dc.Handle(), true, true, clRed), clHighlight);
  EXPECT_EQ(FlatFrameColor(dc.Handle(), false, true, clRed), LightenColor(dc.Handle(), clHighlight, 60));
  EXPECT_EQ(FlatFrameColor(dc.Handle(), false, false, clRed), clRed);
}

#include "controls/align_controls.h"

#include <gtest/gtest.h>

#include "controls/address_icons.h"
#include "controls/flat_look.h"
#include "form_fixture.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

COLORREF Rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

using FlatLook = FormTest;

}  // namespace

TEST_F(FlatLook, EditFrameLightsUpUnderTheMouse) {
  auto* edit = Make<TAlignEdit>({10, 10, 130, 31});
  EXPECT_FALSE(edit->Ctl3D());
  const COLORREF outer = Rgb(DarkenColor(Form()->Brush()->Color(), 60));
  const COLORREF inner = Rgb(edit->Color());
  TWindowCapture plain = TWindowCapture::OfWindow(edit->Handle());
  EXPECT_EQ(plain.Pixel(0, 0), outer);
  EXPECT_EQ(plain.Pixel(119, 20), outer);
  EXPECT_EQ(plain.Pixel(1, 10), inner);
  EXPECT_EQ(plain.Pixel(60, 19), inner);

  edit->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(edit->MouseIn());
  TWindowCapture hot = TWindowCapture::OfWindow(edit->Handle());
  KeepCaptureForViewing(hot, L"flat_edit_hot");
  EXPECT_EQ(hot.Pixel(0, 10), Rgb(clHighlight));
  EXPECT_EQ(hot.Pixel(60, 20), Rgb(clHighlight));
  EXPECT_EQ(hot.Pixel(1, 10), inner);
  edit->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(TWindowCapture::OfWindow(edit->Handle()).Pixel(0, 10), outer);
  edit->SetCtl3D(true);
  EXPECT_FALSE(edit->Ctl3D()) << "the sunken edge stays off";
  EXPECT_FALSE(GetWindowLongW(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(FlatLook, ComboFrameDropButtonAndLogo) {
  auto* combo = Make<TAlignComboBox>({10, 10, 210, 32});
  combo->HandleNeeded();
  TWindowCapture plain = TWindowCapture::OfWindow(combo->Handle());
  KeepCaptureForViewing(plain, L"flat_combo");
  EXPECT_EQ(plain.Pixel(0, 5), Rgb(DarkenColor(Form()->Brush()->Color(), 60)));
  // The face of the drop button: from right - 13 inside the frames, with the arrow in its middle.
  const int faceLeft = combo->Width() - 2 - 13;
  EXPECT_EQ(plain.Pixel(faceLeft + 2, 4), Rgb(clBtnFace));
  const int x0 = faceLeft + 1 + (13 - 5) / 2;
  const int y0 = (combo->Height() - 3) / 2;
  EXPECT_EQ(plain.Pixel(x0, y0 + 1), RGB(0, 0, 0));
  EXPECT_EQ(plain.Pixel(x0 + 4, y0 + 1), RGB(0, 0, 0));
  EXPECT_EQ(plain.Pixel(x0 + 2, y0 + 3), RGB(0, 0, 0));
  EXPECT_NE(plain.Pixel(x0, y0 + 3), RGB(0, 0, 0));
  EXPECT_EQ(plain.Pixel(faceLeft, 8), Rgb(combo->Color())) << "the face's left line takes the frame colour";

  combo->Perform(CM_MOUSEENTER);
  TWindowCapture hot = TWindowCapture::OfWindow(combo->Handle());
  EXPECT_EQ(hot.Pixel(0, 5), Rgb(clHighlight));
  EXPECT_EQ(hot.Pixel(faceLeft + 2, 4), Rgb(FlatColors(hot.DC()).HotLight));
  combo->Perform(CM_MOUSELEAVE);

  ASSERT_TRUE(LogoBitmap);
  combo->SetShowLogo(true);
  TWindowCapture logo = TWindowCapture::OfWindow(combo->Handle());
  KeepCaptureForViewing(logo, L"flat_combo_logo");
  for (int x = 0; x < LogoBitmap->Width(); x += 7)
    for (int y = 0; y < LogoBitmap->Height(); y += 3)
      ASSERT_EQ(logo.Pixel(6 + x, 3 + y), Rgb(LogoBitmap->Canvas()->Pixels(x, y))) << x << "," << y;
  EXPECT_TRUE(combo->SetText(L"typed").Alive());
  TWindowCapture typed = TWindowCapture::OfWindow(combo->Handle());
  ASSERT_NE(Rgb(LogoBitmap->Canvas()->Pixels(1, 6)), RGB(255, 255, 255)) << "a pixel of the glass";
  EXPECT_NE(typed.Pixel(6 + 1, 3 + 6), Rgb(LogoBitmap->Canvas()->Pixels(1, 6))) << "no logo over text";
}

TEST_F(FlatLook, ComboFocusedAndDroppedDown) {
  auto* combo = Make<TAlignComboBox>({10, 10, 210, 32});
  combo->Items()->Add(L"one");
  EXPECT_TRUE(combo->SetFocus().Alive());
  ASSERT_TRUE(combo->Focused());
  TWindowCapture focused = TWindowCapture::OfWindow(combo->Handle());
  KeepCaptureForViewing(focused, L"flat_combo_focused");
  const TFlatColors colors = FlatColors(focused.DC());
  EXPECT_EQ(focused.Pixel(0, 5), Rgb(LightenColor(focused.DC(), clHighlight, 60)));
  // Lit, the frames end one pixel further out and the face is one pixel wider: 14 pixels from right - 15.
  const int faceLeft = combo->Width() - 15;
  EXPECT_EQ(focused.Pixel(faceLeft, 8), Rgb(LightenColor(focused.DC(), clHighlight, 60)));
  EXPECT_EQ(focused.Pixel(faceLeft + 2, 4), Rgb(colors.FocusLight));
  const int x0 = faceLeft + 1 + (14 - 5) / 2;
  const int y0 = (combo->Height() - 3) / 2;
  EXPECT_EQ(focused.Pixel(x0, y0 + 1), RGB(0, 0, 0));

  combo->SetDroppedDown(true);
  TWindowCapture dropped = TWindowCapture::OfWindow(combo->Handle());
  combo->SetDroppedDown(false);
  KeepCaptureForViewing(dropped, L"flat_combo_dropped");
  EXPECT_EQ(dropped.Pixel(faceLeft + 2, 4), Rgb(colors.Pressed));
  EXPECT_EQ(dropped.Pixel(x0, y0 + 1), RGB(255, 255, 255)) << "the arrow turns white";
  EXPECT_EQ(dropped.Pixel(x0 + 2, y0 + 3), RGB(255, 255, 255));
}

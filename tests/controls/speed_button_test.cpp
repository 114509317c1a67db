#include "framework/speed_button.h"

#include <gtest/gtest.h>

#include "form_fixture.h"
#include "support/window_capture.h"

using SpeedButton = FormTest;

TEST_F(SpeedButton, AButtonWithoutGroupComesBackUp) {
  auto* button = Make<TSpeedButton>({10, 10, 40, 32});
  int clicks = 0;
  button->OnClick = [&clicks](TObject*) { ++clicks; };
  button->SetDown(true);
  EXPECT_FALSE(button->Down()) << "only grouped buttons stay down";
  MouseAt(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(button->State(), TButtonState::bsDown);
  MouseAt(WM_MOUSEMOVE, 200, 200, MK_LBUTTON);
  EXPECT_EQ(button->State(), TButtonState::bsUp) << "dragged off, it shows up";
  MouseAt(WM_MOUSEMOVE, 20, 20, MK_LBUTTON);
  EXPECT_EQ(button->State(), TButtonState::bsDown);
  MouseAt(WM_LBUTTONUP, 20, 20);
  EXPECT_EQ(button->State(), TButtonState::bsUp);
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(clicks, 1);
  MouseAt(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  MouseAt(WM_LBUTTONUP, 300, 200);
  EXPECT_EQ(clicks, 1) << "released outside";
}

TEST_F(SpeedButton, GroupedButtonsAreExclusive) {
  auto* first = Make<TSpeedButton>({10, 10, 40, 32});
  auto* second = Make<TSpeedButton>({40, 10, 70, 32});
  auto* other = Make<TSpeedButton>({70, 10, 100, 32});
  first->SetGroupIndex(1);
  second->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);
  first->SetDown(true);
  EXPECT_EQ(first->State(), TButtonState::bsExclusive);
  second->SetDown(true);
  EXPECT_FALSE(first->Down());
  EXPECT_EQ(first->State(), TButtonState::bsUp);
  EXPECT_TRUE(second->Down());
  EXPECT_TRUE(other->Down()) << "another group is left alone";
  second->SetDown(false);
  EXPECT_TRUE(second->Down()) << "without AllowAllUp the last one stays down";

  MouseAt(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  MouseAt(WM_LBUTTONUP, 20, 20);
  EXPECT_TRUE(first->Down());
  EXPECT_FALSE(second->Down());

  second->SetAllowAllUp(true);
  EXPECT_TRUE(first->AllowAllUp()) << "the group shares AllowAllUp";
  MouseAt(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  MouseAt(WM_LBUTTONUP, 20, 20);
  EXPECT_FALSE(first->Down()) << "with AllowAllUp a click brings it up";
}

TEST_F(SpeedButton, GlyphPicksTheImageOfTheStateAndSkipsItsTransparentColour) {
  auto* button = Make<TSpeedButton>({10, 10, 50, 42});
  TBitmap glyph;
  glyph.SetSize(32, 16);
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->FillRect(RECT{16, 0, 32, 16});
  glyph.Canvas()->Brush()->SetColor(clLime);
  glyph.Canvas()->FillRect(RECT{0, 12, 4, 16});  // bottom-left: the transparent colour
  button->SetGlyph(&glyph);
  button->SetNumGlyphs(2);
  button->SetTransparent(true);
  TWindowCapture up = TWindowCapture::OfWindow(Form()->Handle());
  KeepCaptureForViewing(up, L"speed_button_up");
  // The glyph is centred: (40 - 16) / 2 = 12, (32 - 16) / 2 = 8.
  EXPECT_EQ(up.Pixel(10 + 12 + 8, 10 + 8 + 4), RGB(255, 0, 0));
  EXPECT_EQ(up.CountPixels(RGB(0, 255, 0)), 0) << "the transparent colour is left out";
  EXPECT_EQ(up.Pixel(10 + 12 + 1, 10 + 8 + 14), GetSysColor(COLOR_BTNFACE)) << "the parent shows through";
  button->SetEnabled(false);
  TWindowCapture disabled = TWindowCapture::OfWindow(Form()->Handle());
  EXPECT_EQ(disabled.Pixel(10 + 12 + 8, 10 + 8 + 4), RGB(0, 0, 255)) << "the second image is the disabled one";
}

#include "controls/flat_panel.h"

#include <gtest/gtest.h>

#include "controls/flat_gauge.h"
#include "form_fixture.h"
#include "support/test_environment.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

const COLORREF kHighLight = RGB(0xE0, 0x10, 0x10);
const COLORREF kShadow = RGB(0x10, 0x10, 0xE0);
const COLORREF kFace = RGB(0x30, 0xC0, 0x30);
const COLORREF kText = RGB(0, 0, 0);

class FlatPanel : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Environment.SetVisualStyles(false);
    Environment.SetSysColor(COLOR_BTNHIGHLIGHT, RGB(255, 255, 255));
    Environment.SetSysColor(COLOR_BTNSHADOW, RGB(0x80, 0x80, 0x80));
    Form()->SetColor(static_cast<TColor>(RGB(0xF0, 0xE0, 0x20)));
    panel_ = Make<TFlatPanel>({20, 20, 220, 60});
    panel_->SetColorHighLight(static_cast<TColor>(kHighLight));
    panel_->SetColorShadow(static_cast<TColor>(kShadow));
    panel_->SetColor(static_cast<TColor>(kFace));
    panel_->Font()->SetColor(static_cast<TColor>(kText));
  }
  TWindowCapture Capture() { return TWindowCapture::OfWindow(panel_->Handle()); }

  TTestEnvironment Environment;
  TFlatPanel* panel_ = nullptr;
};

}  // namespace

TEST_F(FlatPanel, FrameIsLitTopLeftAndShadedBottomRight) {
  TWindowCapture shot = Capture();
  KeepCaptureForViewing(shot, L"flat_panel");
  const int w = 200, h = 40;
  struct TCase {
    int X, Y;
    COLORREF Expected;
  } cases[] = {
      {0, 0, kHighLight},   {100, 0, kHighLight},  {w - 2, 0, kHighLight}, {0, 20, kHighLight}, {w - 1, 0, kShadow},
      {w - 1, 20, kShadow}, {100, h - 1, kShadow}, {0, h - 1, kShadow},    {1, 1, kFace},       {w - 2, h - 2, kFace},
  };
  for (const TCase& c : cases) EXPECT_EQ(shot.Pixel(c.X, c.Y), c.Expected) << c.X << "," << c.Y;
  EXPECT_EQ(panel_->Width(), 200);
  TFlatPanel fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 185);
  EXPECT_EQ(fresh.Height(), 41);
  EXPECT_EQ(fresh.ColorHighLight(), 0x8396A0);
}

TEST_F(FlatPanel, CaptionFollowsAlignmentAndIsEngravedWhenDisabled) {
  EXPECT_TRUE(panel_->SetCaption(L"WWWW").Alive());
  struct TCase {
    TAlignment Alignment;
    int MinLeft, MaxLeft;    // where the caption's ink starts
    int MinRight, MaxRight;  // and ends
  } cases[] = {
      {TAlignment::taLeftJustify, 1, 4, 20, 80},
      {TAlignment::taRightJustify, 120, 180, 196, 199},
      {TAlignment::taCenter, 60, 95, 105, 140},
  };
  for (const TCase& c : cases) {
    panel_->SetAlignment(c.Alignment);
    const RECT ink = Capture().BoundsOf(kText);
    EXPECT_GE(ink.left, c.MinLeft);
    EXPECT_LE(ink.left, c.MaxLeft);
    EXPECT_GE(ink.right, c.MinRight);
    EXPECT_LE(ink.right, c.MaxRight);
    EXPECT_GT(ink.top, 5) << "centred vertically";
    EXPECT_LT(ink.bottom, 35);
  }
  panel_->SetEnabled(false);
  TWindowCapture disabled = Capture();
  EXPECT_EQ(disabled.CountPixels(kText), 0);
  const RECT light = disabled.BoundsOf(RGB(255, 255, 255));
  const RECT dark = disabled.BoundsOf(RGB(0x80, 0x80, 0x80));
  EXPECT_FALSE(IsRectEmpty(&dark));
  EXPECT_EQ(light.left, dark.left + 1) << "the highlight lies one pixel right of the shadow";
  EXPECT_EQ(light.bottom, dark.bottom + 1);
}

TEST_F(FlatPanel, TransparentPanelShowsWhatLiesUnderIt) {
  // A windowless gauge of the form, under the panel.
  auto* under = Make<TFlatGauge>({40, 30, 140, 50});
  under->SetColor(clWhite);
  under->SetProgress(100);
  EXPECT_EQ(Capture().CountPixels(RGB(0x33, 0x66, 0x99)), 0);
  panel_->SetTransparent(true);
  TWindowCapture shot = Capture();
  KeepCaptureForViewing(shot, L"flat_panel_transparent");
  EXPECT_EQ(shot.Pixel(5, 5), RGB(0xF0, 0xE0, 0x20)) << "the form's colour";
  EXPECT_EQ(shot.Pixel(40, 15), RGB(0x33, 0x66, 0x99)) << "the gauge's bar, at its place on the form";
  EXPECT_EQ(shot.Pixel(0, 5), kHighLight) << "the frame is still drawn";
}

TEST_F(FlatPanel, TransparentChildOfAPanelSettlesAfterOnePaint) {
  // The child paints its parent's image, and the parent repaints its children when erased: without care the two
  // would invalidate each other for ever.
  auto* child = new TFlatPanel(Form());
  EXPECT_TRUE(child->SetBounds(10, 5, 80, 30).Alive());
  EXPECT_TRUE(child->SetParent(panel_).Alive());
  child->SetTransparent(true);
  RedrawWindow(Form()->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  MSG msg;
  for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&msg);
  RECT dirty;
  EXPECT_FALSE(GetUpdateRect(panel_->Handle(), &dirty, FALSE));
  EXPECT_FALSE(GetUpdateRect(child->Handle(), &dirty, FALSE));
  EXPECT_EQ(TWindowCapture::OfWindow(child->Handle()).Pixel(5, 5), kFace) << "the parent panel's face shows";
}

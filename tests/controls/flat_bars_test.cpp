#include <gtest/gtest.h>

#include "controls/flat_gauge.h"
#include "controls/flat_progress_bar.h"
#include "controls/flat_utils.h"
#include "form_fixture.h"
#include "support/test_environment.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

const COLORREF kBar = RGB(0x33, 0x66, 0x99);  // the default bar and element colour 0x996633
const COLORREF kBackground = RGB(255, 255, 255);
const COLORREF kText = RGB(0, 0, 0);

class FlatBars : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Environment.SetVisualStyles(false);
  }
  template <class T>
  T* MakeBar(RECT bounds) {
    T* bar = Make<T>(bounds);
    bar->SetColor(static_cast<TColor>(kBackground));
    bar->Font()->SetColor(static_cast<TColor>(kText));
    return bar;
  }
  TWindowCapture Capture() { return TWindowCapture::OfWindow(Form()->Handle()); }

  TTestEnvironment Environment;
};

}  // namespace

TEST_F(FlatBars, GaugeBarAndTextMeasureTheDistanceFromTheMinimum) {
  auto* gauge = MakeBar<TFlatGauge>({10, 10, 155, 35});  // inner area 141 x 21 from (12, 12)
  struct TCase {
    int Min, Max, Progress;
    int BarWidth;
    int Percent;
    bool Text;
  } cases[] = {
      {0, 100, 25, 35, 25, true},    {0, 100, 0, 0, 0, false},  // no text at Progress 0
      {0, 100, 1, 1, 1, true},       {0, 100, 100, 141, 100, true},
      {50, 150, 50, 0, 0, true},     {50, 150, 100, 70, 50, true},  // an empty bar at the minimum
      {-100, 100, 0, 70, 50, false}, {10, 10, 10, 0, 0, true},      // an empty range: empty bar, "0 %"
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Min << ".." << c.Max << " at " << c.Progress);
    gauge->SetMinValue(-1000);
    gauge->SetMaxValue(c.Max);
    gauge->SetMinValue(c.Min);
    gauge->SetProgress(c.Progress);
    ASSERT_EQ(gauge->Progress(), c.Progress);
    EXPECT_EQ(gauge->Percent(), c.Percent);
    TWindowCapture shot = Capture();
    const RECT topRow{12, 12, 153, 13};
    EXPECT_EQ(shot.CountPixels(kBar, &topRow), c.BarWidth);
    const RECT inner{12, 12, 153, 33};
    EXPECT_EQ(shot.CountPixels(kText, &inner) > 0, c.Text && c.BarWidth < 141);
    EXPECT_EQ(gauge->ShowText(), c.Progress >= 1);
    if (c.Text && c.BarWidth == 141) {
      // Over the bar the text shows in the background colour.
      EXPECT_GT(shot.CountPixels(kBackground, &inner), 0);
    }
  }
}

TEST_F(FlatBars, GaugeValuesStayInOrder) {
  auto* gauge = MakeBar<TFlatGauge>({10, 10, 155, 35});
  EXPECT_EQ(gauge->Progress(), 25);
  gauge->SetMinValue(150);
  EXPECT_EQ(gauge->MinValue(), 100) << "no more than MaxValue";
  EXPECT_EQ(gauge->Progress(), 100);
  gauge->SetMaxValue(50);
  EXPECT_EQ(gauge->MaxValue(), 100) << "no less than MinValue";
  gauge->SetMinValue(0);
  gauge->SetMaxValue(60);
  EXPECT_EQ(gauge->Progress(), 60);
  gauge->SetProgress(-5);
  EXPECT_EQ(gauge->Progress(), 0);
}

TEST_F(FlatBars, SegmentedBarSnapsToWholeElementsAndFillsFromTheMinimum) {
  struct TCase {
    int Length;
    TProgressBarOrientation Orientation;
    int Min, Max, Position;
    int Snapped;
    int Elements;
    int Filled;
  } cases[] = {
      {381, TProgressBarOrientation::pbHorizontal, 0, 100, 50, 381, 42, 21},
      {381, TProgressBarOrientation::pbHorizontal, 20, 120, 70, 381, 42, 21},
      {381, TProgressBarOrientation::pbHorizontal, 0, 100, 100, 381, 42, 42},
      {381, TProgressBarOrientation::pbHorizontal, 0, 100, 0, 381, 42, 0},
      {10, TProgressBarOrientation::pbHorizontal, 0, 100, 100, 12, 1, 1},
      {50, TProgressBarOrientation::pbHorizontal, 0, 100, 60, 48, 5, 3},
      {50, TProgressBarOrientation::pbVertical, 0, 100, 60, 48, 5, 3},
      {100, TProgressBarOrientation::pbHorizontal, 30, 30, 30, 93, 10, 0},  // an empty range fills nothing
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Length);
    const bool vertical = c.Orientation == TProgressBarOrientation::pbVertical;
    auto* bar = MakeBar<TFlatProgressBar>(vertical ? RECT{10, 10, 26, 10 + c.Length} : RECT{10, 10, 10 + c.Length, 26});
    EXPECT_TRUE(bar->SetOrientation(c.Orientation).Alive());
    if (vertical) { EXPECT_TRUE(bar->SetBounds(10, 10, 16, c.Length).Alive()); }
    bar->SetMax(c.Max);
    bar->SetMin(c.Min);
    bar->SetPosition(c.Position);
    TWindowCapture shot = Capture();
    EXPECT_EQ(vertical ? bar->Height() : bar->Width(), c.Snapped);
    EXPECT_EQ(bar->ElementCount(), c.Elements);
    EXPECT_EQ(bar->FilledElements(), c.Filled);
    // Each element is 8 pixels along the bar, 9 apart, from the start (the bottom when vertical).
    const RECT line = vertical ? RECT{18, 10, 19, 10 + c.Snapped} : RECT{10, 18, 10 + c.Snapped, 19};
    EXPECT_EQ(shot.CountPixels(kBar, &line), 8 * c.Filled);
    if (c.Filled > 0) {
      const POINT first = vertical ? POINT{18, 10 + c.Snapped - 3} : POINT{12, 18};
      EXPECT_EQ(shot.Pixel(first.x, first.y), kBar);
    }
    delete bar;
  }
}

TEST_F(FlatBars, SmoothBarFillsTheDistanceFromMin) {
  struct TCase {
    TProgressBarOrientation Orientation;
    int Min, Max, Position;
    int Extent;
  } cases[] = {
      {TProgressBarOrientation::pbHorizontal, 0, 100, 50, 71},    // (147 - 4) x 50 / 100
      {TProgressBarOrientation::pbHorizontal, 50, 150, 100, 71},  // from Min, not from 0
      {TProgressBarOrientation::pbHorizontal, 50, 150, 50, 0},
      {TProgressBarOrientation::pbHorizontal, 0, 100, 100, 143},
      {TProgressBarOrientation::pbHorizontal, 7, 7, 7, 0},
      {TProgressBarOrientation::pbVertical, 50, 150, 100, 71},
  };
  for (const TCase& c : cases) {
    const bool vertical = c.Orientation == TProgressBarOrientation::pbVertical;
    auto* bar = MakeBar<TFlatProgressBar>({10, 10, 157, 26});
    bar->SetSmooth(true);
    EXPECT_TRUE(bar->SetOrientation(c.Orientation).Alive());
    bar->SetMax(c.Max);
    bar->SetMin(c.Min);
    bar->SetPosition(c.Position);
    TWindowCapture shot = Capture();
    EXPECT_EQ(bar->Width(), vertical ? 16 : 147) << "turned, never snapped";
    const RECT line = vertical ? RECT{18, 10, 19, 157} : RECT{10, 18, 157, 19};
    EXPECT_EQ(shot.CountPixels(kBar, &line), c.Extent) << c.Min << ".." << c.Max << " at " << c.Position;
    delete bar;
  }
}

TEST_F(FlatBars, RaisingThePositionPaintsOnlyTheNewElements) {
  auto* bar = MakeBar<TFlatProgressBar>({10, 10, 391, 26});
  Capture();
  UpdateWindow(Form()->Handle());
  bar->SetPosition(40);
  RECT dirty;
  EXPECT_FALSE(GetUpdateRect(Form()->Handle(), &dirty, FALSE)) << "painted at once, nothing left to repaint";
  bar->SetPosition(10);
  EXPECT_TRUE(GetUpdateRect(Form()->Handle(), &dirty, FALSE)) << "a lower position repaints the whole bar";
  EXPECT_EQ(dirty.left, 10);
  EXPECT_EQ(dirty.right, 391);
  bar->SetPosition(500);
  EXPECT_EQ(bar->Position(), 100);
  bar->SetMax(70);
  EXPECT_EQ(bar->Position(), 70);
  bar->SetMin(80);
  EXPECT_EQ(bar->Position(), 70) << "Min leaves Position";
}

TEST_F(FlatBars, AdvancedBorderFollowsTheParentColour) {
  Form()->SetColor(static_cast<TColor>(RGB(200, 120, 40)));
  auto* bar = MakeBar<TFlatProgressBar>({10, 10, 157, 26});
  auto* gauge = MakeBar<TFlatGauge>({10, 40, 155, 65});
  gauge->SetAdvColorBorder(20);
  for (TFlatFramedControl* control : {static_cast<TFlatFramedControl*>(bar), static_cast<TFlatFramedControl*>(gauge)}) {
    control->SetUseAdvColors(true);
    EXPECT_TRUE(control->ParentColor());
    EXPECT_EQ(control->ColorBorder(), CalcAdvancedColor(Form()->Color(), 0, control->AdvColorBorder(), true));
  }
  Form()->SetColor(static_cast<TColor>(RGB(30, 60, 220)));
  for (TFlatFramedControl* control : {static_cast<TFlatFramedControl*>(bar), static_cast<TFlatFramedControl*>(gauge)})
    EXPECT_EQ(control->ColorBorder(), CalcAdvancedColor(Form()->Color(), 0, control->AdvColorBorder(), true));
  TWindowCapture shot = Capture();
  EXPECT_EQ(shot.Pixel(10, 10), static_cast<COLORREF>(bar->ColorBorder()));
  EXPECT_EQ(shot.Pixel(80, 64), static_cast<COLORREF>(gauge->ColorBorder()));
  EXPECT_EQ(shot.Pixel(12, 12), RGB(30, 60, 220)) << "the bar takes the parent's colour";
}

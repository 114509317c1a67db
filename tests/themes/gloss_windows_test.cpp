// The Gloss theme as the current theme of real themed windows: a toolbar docked on a form paints its striped
// background through the theme, its frame's edge lines, and its items' faces.
#include <memory>
#include <set>

#include "framework/form.h"
#include "support/modal_input.h"
#include "theme_fixture.h"
#include "toolbars/styled/styled_dock.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/styled/styled_toolbar.h"

using namespace toolbars;

namespace {

constexpr COLORREF kToolbar = RGB(244, 244, 244);
constexpr COLORREF kToolbarDark = RGB(236, 236, 236);
constexpr COLORREF kToolbarLight = RGB(252, 252, 252);
constexpr COLORREF kEdge = RGB(160, 160, 160);

class GlossWindowsTest : public ThemeTest {
 protected:
  void SetUp() override {
    ThemeTest::SetUp();
    SetCurrentTheme(L"Gloss");
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 500, 200).Alive());
    form_->SetColor(clWindow);
    dock_ = new TStyledDock(form_.get());
    EXPECT_TRUE(dock_->SetPosition(TBarDockPosition::dpTop).Alive());
    EXPECT_TRUE(dock_->SetParent(form_.get()).Alive());
    bar_ = new TStyledToolbar(form_.get());
    bar_->SetHideWhenInactive(false);
    for (int i = 0; i < 3; ++i) {
      auto* item = new TStyledItem(form_.get());
      item->SetCaption(L"Item");
      item->SetChecked(i == 1);
      bar_->Items()->Add(item);
    }
    EXPECT_TRUE(bar_->SetCurrentDock(dock_).Alive());
    EXPECT_TRUE(form_->Show().Alive());
    ProcessPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    SetCurrentTheme(L"Default");
    ProcessPendingMessages();
    ThemeTest::TearDown();
  }

  TStyledToolbar* Bar() const { return bar_; }

 private:
  std::unique_ptr<TForm> form_;
  TStyledDock* dock_ = nullptr;
  TStyledToolbar* bar_ = nullptr;
};

}  // namespace

TEST_F(GlossWindowsTest, ADockedToolbarIsStripedAndEdged) {
  ASSERT_EQ(GetCurrentTheme(), L"Gloss");
  EXPECT_EQ(Bar()->ViewType(), vtToolbar);
  const TWindowCapture capture = TWindowCapture::OfWindow(Bar()->Handle());
  KeepCaptureForViewing(capture, L"gloss_toolbar");
  ASSERT_GT(capture.Width(), 20);
  ASSERT_GT(capture.Height(), 10);
  // The far end of the bar holds no item: three rows in a row there are the three stripe colours.
  const int x = capture.Width() - 8;
  int striped = 0;
  for (int y = 3; y + 2 < capture.Height() - 3; ++y) {
    const std::set<COLORREF> run{capture.Pixel(x, y), capture.Pixel(x, y + 1), capture.Pixel(x, y + 2)};
    striped += run == std::set<COLORREF>{kToolbar, kToolbarDark, kToolbarLight};
  }
  EXPECT_GT(striped, 3);
  // The edge lines along the bottom row and the right column.
  EXPECT_EQ(capture.Pixel(capture.Width() / 2, capture.Height() - 1), kEdge);
  EXPECT_EQ(capture.Pixel(capture.Width() - 1, capture.Height() / 2), kEdge);
  // The checked item's glossy face: white at its top inside a frame of the highlight mix.
  EXPECT_GT(capture.CountPixels(RGB(153, 153, 217)), 10);
}

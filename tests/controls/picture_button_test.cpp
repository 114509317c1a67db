#include "controls/picture_button.h"

#include <gtest/gtest.h>

#include <memory>

#include "form_fixture.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

// One image list holding one 8 x 8 image of a colour, with a transparent corner.
void FillList(TImageList& list, TColor color) {
  list.SetSize(8, 8);
  TBitmap image;
  image.SetSize(8, 8);
  image.Canvas()->Brush()->SetColor(color);
  image.Canvas()->FillRect(RECT{0, 0, 8, 8});
  image.Canvas()->Brush()->SetColor(clFuchsia);
  image.Canvas()->FillRect(RECT{0, 6, 2, 8});
  list.AddMasked(&image, clFuchsia);
}

// A picture button with four lists of four colours on a shown form.
class PictureButton : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    FillList(normal_, clRed);
    FillList(hot_, clLime);
    FillList(down_, clBlue);
    FillList(disabled_, clGray);
    button_ = Make<TPictureButton>({10, 10, 31, 32});
    button_->SetCenter(true);
    button_->SetTransparent(true);
    button_->SetImages(&normal_);
    button_->SetHotImages(&hot_);
    button_->SetDownImages(&down_);
    button_->SetDisableImages(&disabled_);
  }
  // The colour in the middle of the button, and whether its transparent corner shows the form.
  COLORREF Shown(bool* cornerClear = nullptr) {
    TWindowCapture capture = TWindowCapture::OfWindow(Form()->Handle());
    // Centred: (21 - 8) / 2 = 6, (22 - 8) / 2 = 7.
    if (cornerClear) *cornerClear = capture.Pixel(10 + 6, 10 + 7 + 7) == GetSysColor(COLOR_BTNFACE);
    return capture.Pixel(10 + 6 + 4, 10 + 7 + 3);
  }

  TImageList normal_{nullptr};
  TImageList hot_{nullptr};
  TImageList down_{nullptr};
  TImageList disabled_{nullptr};
  TPictureButton* button_ = nullptr;
};

}  // namespace

TEST_F(PictureButton, StateChoosesTheList) {
  bool cornerClear = false;
  EXPECT_EQ(Shown(&cornerClear), RGB(255, 0, 0));
  EXPECT_TRUE(cornerClear);
  button_->Perform(CM_MOUSEENTER);
  EXPECT_EQ(Shown(&cornerClear), RGB(0, 255, 0));
  EXPECT_TRUE(cornerClear) << "the last image does not show through the new one";
  button_->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(Shown(), RGB(0, 0, 255));
  button_->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(Shown(), RGB(255, 0, 0)) << "a press that left shows the normal image";
  button_->Perform(CM_MOUSEENTER);
  EXPECT_EQ(Shown(), RGB(0, 0, 255)) << "until the mouse returns";
  button_->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Shown(), RGB(0, 255, 0));
  button_->SetEnabled(false);
  EXPECT_EQ(Shown(), RGB(128, 128, 128));
}

// The second press of a quick pair comes as a double click: the button shows it pressed as it shows the first.
TEST_F(PictureButton, AQuickSecondPressShowsTheButtonDown) {
  button_->Perform(CM_MOUSEENTER);
  button_->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  button_->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  button_->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(Shown(), RGB(0, 0, 255));
  button_->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Shown(), RGB(0, 255, 0));
}

TEST_F(PictureButton, PaintingTheChosenImageAsksForNoFurtherPaint) {
  HWND form = Form()->Handle();
  for (TColor expected : {clRed, clLime}) {
    InvalidateRect(form, nullptr, TRUE);
    UpdateWindow(form);
    EXPECT_FALSE(GetUpdateRect(form, nullptr, FALSE)) << "each paint of the button would start another";
    EXPECT_EQ(Shown(), static_cast<COLORREF>(expected));
    button_->Perform(CM_MOUSEENTER);
  }
}

TEST_F(PictureButton, AMissingListLeavesTheLastImage) {
  button_->SetDisableImages(nullptr);
  button_->Perform(CM_MOUSEENTER);
  EXPECT_EQ(Shown(), RGB(0, 255, 0));
  button_->SetEnabled(false);
  EXPECT_EQ(Shown(), RGB(0, 255, 0));
  button_->SetImageIndex(0);
  button_->SetIndex(7);
  EXPECT_EQ(button_->Index(), 7);
  EXPECT_NE(button_->PublishedTable().FindProperty(L"Index"), nullptr);
}

TEST_F(PictureButton, AListFreedFirstIsLetGoOf) {
  auto shared = std::make_unique<TImageList>(nullptr);
  FillList(*shared, clYellow);
  button_->SetImages(shared.get());
  button_->SetHotImages(shared.get());
  auto hot = std::make_unique<TImageList>(nullptr);
  FillList(*hot, clAqua);
  // A list that leaves one slot but still fills another keeps the notice.
  button_->SetHotImages(hot.get());
  button_->SetHotImages(shared.get());
  EXPECT_EQ(Shown(), RGB(255, 255, 0));
  shared.reset();
  EXPECT_EQ(button_->Images(), nullptr);
  EXPECT_EQ(button_->HotImages(), nullptr);
  EXPECT_EQ(button_->DownImages(), &down_);
  button_->Perform(CM_MOUSEENTER);
  EXPECT_EQ(Shown(), RGB(255, 255, 0)) << "without a list the last image stays";
  hot.reset();
}

#include "toolbars/styled/styled_edit_item.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "styled_fixture.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/styled/styled_item_viewer.h"
#include "toolbars/views/view.h"

using namespace toolbars;

namespace {

struct TEditSession : TObject {
  std::wstring Keys;
  WCHAR PasswordChar = 0;
  std::vector<String> Changes;
  void Begin(TBarEditItem*, TBarEditItemViewer*, TEdit* edit) {
    PasswordChar = static_cast<WCHAR>(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0));
    for (wchar_t c : Keys) PostMessageW(edit->Handle(), WM_CHAR, c, 0);
  }
  void Changed(TObject*, const String& text) { Changes.push_back(text); }
};

class StyledEditItemTest : public StyledItemsTest {
 protected:
  void SetUp() override {
    StyledItemsTest::SetUp();
    SetForegroundWindow(frame_->Handle());
    item_ = Add<TStyledEditItem>(L"");
    item_->SetText(L"old");
    item_->OnBeginEdit = TBarBeginEditEvent(&session_, &TEditSession::Begin);
    item_->OnChange = TStyledEditChange(&session_, &TEditSession::Changed);
  }
  void Edit(const std::wstring& keys) {
    session_.Keys = keys;
    TBarTrackingState state;
    state.RootView = bar_->View();
    WORD key = VK_RETURN;
    EXPECT_TRUE(ViewerOf(item_)->KeyDown(key, TShiftState{}, state).Alive());
  }
  TStyledEditItem* item_ = nullptr;
  TEditSession session_;
};

TEST_F(StyledEditItemTest, EveryKeystrokeIsReportedButOnlyAcceptingCommits) {
  Bar(false);
  Edit(L"ab\x1b");
  ASSERT_EQ(session_.Changes.size(), 2u);
  EXPECT_EQ(session_.Changes[0], L"a");
  EXPECT_EQ(session_.Changes[1], L"ab");
  EXPECT_EQ(item_->Text(), L"old");
  session_.Changes.clear();
  Edit(L"xyz\r");
  EXPECT_EQ(session_.Changes.size(), 3u);
  EXPECT_EQ(item_->Text(), L"xyz");
}

TEST_F(StyledEditItemTest, PasswordCharacterMasksTheBoxAndTheEditControl) {
  item_->SetPasswordChar(L'*');
  Bar(true);
  Edit(L"\x1b");
  EXPECT_EQ(session_.PasswordChar, L'*');
  // The masked text paints exactly as three asterisks would.
  item_->SetText(L"abc");
  const TWindowCapture masked = Paint();
  item_->SetPasswordChar(0);
  item_->SetText(L"***");
  const TWindowCapture plain = Paint();
  const RECT box = ViewerOf(item_)->BoundsRect();
  int differing = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) differing += masked.Pixel(x, y) != plain.Pixel(x, y);
  EXPECT_EQ(differing, 0);
  item_->SetText(L"abc");
  const TWindowCapture unmasked = Paint();
  int changed = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) changed += unmasked.Pixel(x, y) != plain.Pixel(x, y);
  EXPECT_GT(changed, 0);
}

TEST_F(StyledEditItemTest, HeightsAreEvenOrOddAsTheThemeAsks) {
  for (bool toolbar : {true, false})
    for (bool even : {true, false})
      for (int size : {100, 130, 170}) {
        TRecordingTheme::BooleanAnswers()[4] = even;
        item_->FontSettings()->SetSize(static_cast<TFontSize>(size));
        Bar(toolbar);
        const int height = Measure(item_).cy;
        EXPECT_EQ(height % 2, even ? 0 : 1) << toolbar << " " << size;
        delete bar_;
      }
}

TEST_F(StyledEditItemTest, MenuLabelAndFrameAreThemed) {
  item_->SetEditCaption(L"&Find:");
  Bar(false);
  const SIZE labelled = Measure(item_);
  Paint();
  EXPECT_TRUE(Logged("PaintItemCaption &Find:"));
  EXPECT_EQ(CountLogged("PaintEditFrame"), 1);
  EXPECT_EQ(theme_.LastFormat & (DT_SINGLELINE | DT_VCENTER), static_cast<UINT>(DT_SINGLELINE | DT_VCENTER));
  // The edit control sits inside the frame, after the label.
  const RECT frame = theme_.LastRect["PaintEditFrame"];
  const RECT bounds = ViewerOf(item_)->BoundsRect();
  const RECT control = static_cast<TStyledEditItemViewer*>(ViewerOf(item_))->GetEditControlRect();
  EXPECT_GT(control.left, bounds.left + frame.left);
  item_->SetEditCaption(L"");
  EXPECT_LT(Measure(item_).cx, labelled.cx);
}

TEST_F(StyledEditItemTest, ToolBoxPopupsLayOutEditsInToolbarStyle) {
  auto* parent = new TStyledSubmenuItem(&owner_);
  auto* edit = Add<TStyledEditItem>(L"", parent);
  auto* popup = new bar_host::TBarHostWindow(&owner_, frame_->Handle(), RECT{0, 0, 300, 100}, parent, false);
  EXPECT_FALSE(popup->View()->Find(edit)->IsToolbarStyle());
  parent->SetToolBoxPopup(true);
  EXPECT_TRUE(popup->View()->Find(edit)->IsToolbarStyle());
  EXPECT_TRUE(popup->View()->Find(edit)->IsToolbarSize());
}

TEST_F(StyledEditItemTest, InAVerticalBarItIsAThemedButtonWithItsFont) {
  item_->SetCaption(L"Search");
  item_->FontSettings()->SetItalic(TTriState::tsTrue);
  Bar(true);
  bar_->View()->SetOrientation(TBarViewOrientation::tbvoVertical);
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  EXPECT_EQ(ViewerOf(item_)->ClassType(), TStyledItemViewer::StaticClass());
  Paint();
  EXPECT_TRUE(Logged("PaintItemCaption Search"));
  EXPECT_TRUE(theme_.LastFont.Style().Contains(TFontStyle::fsItalic));
}

TEST_F(StyledEditItemTest, ImageInsideTheBoxPushesTheText) {
  auto images = MakeBandImageList();
  item_->SetImages(images.get());
  item_->SetImageIndex(0);
  Bar(true);
  const RECT without = static_cast<TStyledEditItemViewer*>(ViewerOf(item_))->GetEditControlRect();
  item_->SetShowImage(true);
  const RECT with = static_cast<TStyledEditItemViewer*>(ViewerOf(item_))->GetEditControlRect();
  EXPECT_EQ(with.left - without.left, 16 + 2);
  const TWindowCapture capture = Paint();
  EXPECT_GT(capture.CountPixels(kImageRed), 0);
}

}  // namespace

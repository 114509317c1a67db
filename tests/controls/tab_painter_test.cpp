#include "controls/tabs/tab_painter.h"

#include <gtest/gtest.h>

#include "framework/edit.h"
#include "page_control_fixture.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

constexpr TPcTabPosition kPositions[] = {TPcTabPosition::pctpTop, TPcTabPosition::pctpBottom, TPcTabPosition::pctpLeft,
                                         TPcTabPosition::pctpRight};

class TabPainter : public PageControlTest {
 protected:
  void AddNumberedPages(int count) {
    for (int i = 0; i < count; ++i) AddPage(L"Page " + std::to_wstring(i));
    events_.clear();
  }
  // Moves the real cursor to a client point of the control.
  void CursorAt(POINT point) {
    const POINT screen = Control()->ClientToScreen(point);
    SetCursorPos(screen.x, screen.y);
  }
  void Tick() { SendMessageW(Control()->Handle(), WM_TIMER, TPcPageControlButtons::kScrollTimerId, 0); }
};

}  // namespace

// The fonts here cannot give a 13-pixel text, so the classic example (13 -> tabs 19 high, a strip of 21) is
// checked as its rule: three indents over the text height, plus what each style adds.
TEST_F(TabPainter, TabHeightPerStyle) {
  AddNumberedPages(2);
  const struct {
    TPcTabStyle Style;
    int OverText;
  } cases[] = {{TPcTabStyle::pctsTabs, 6},
               {TPcTabStyle::pctsButtons, 10},
               {TPcTabStyle::pctsFlatButtons, 10},
               {TPcTabStyle::pctsFlat, 8}};
  for (const auto& c : cases) {
    Control()->SetStyle(c.Style);
    const int text = Control()->Canvas()->TextHeight(L"Wt");
    EXPECT_EQ(Painter()->GetTabHeight(), text + c.OverText) << static_cast<int>(c.Style);
    EXPECT_EQ(Painter()->GetTabsAreaHeight(), text + c.OverText + 2) << "one row's strip";
  }
  Control()->SetTabHeight(30);
  EXPECT_EQ(Painter()->GetTabHeight(), 30) << "a set height is kept in every style";
  TFont font;
  font.SetHeight(-20);
  Control()->SetFont(&font);
  EXPECT_EQ(Painter()->TextHeight(), Control()->Canvas()->TextHeight(L"Wt")) << "a new font is measured";
}

// Captions are measured once; a new caption and a new font are measured again.
TEST_F(TabPainter, ANewCaptionOrFontIsMeasuredAgain) {
  AddNumberedPages(2);
  auto expected = [&](const String& caption) { return Control()->Canvas()->TextWidth(caption) + 10; };
  ASSERT_EQ(Painter()->Buttons(1)->Width(), expected(L"Page 1"));
  EXPECT_TRUE(Control()->Pages(1)->SetCaption(L"A caption much longer than the first").Alive());
  EXPECT_EQ(Painter()->Buttons(1)->Width(), expected(L"A caption much longer than the first"));
  TFont font;
  font.SetHeight(-30);
  Control()->SetFont(&font);
  EXPECT_EQ(Painter()->Buttons(0)->Width(), expected(L"Page 0"));
  EXPECT_GT(Painter()->Buttons(0)->Width(), 60);
}

TEST_F(TabPainter, HitTestingAtEveryEdgeOnEverySide) {
  AddNumberedPages(3);
  Control()->SetStyle(TPcTabStyle::pctsTabs);
  for (TPcTabPosition position : kPositions) {
    Control()->SetTabPosition(position);
    const RECT r = Painter()->Buttons(0)->Rect();
    const RECT page = Control()->Pages(0)->BoundsRect();
    const TPcPageControlButton* first = Painter()->Buttons(0);
    const int at = static_cast<int>(position);
    EXPECT_EQ(Painter()->ButtonAt({r.left, r.top}), first) << at;
    EXPECT_EQ(Painter()->ButtonAt({r.right - 1, r.bottom - 1}), first) << at;
    EXPECT_NE(Painter()->ButtonAt({r.right, r.top}), first) << at;
    EXPECT_NE(Painter()->ButtonAt({r.left, r.bottom}), first) << at;
    EXPECT_NE(Painter()->ButtonAt({r.left - 1, r.top}), first) << at;
    EXPECT_NE(Painter()->ButtonAt({r.left, r.top - 1}), first) << at;
    EXPECT_EQ(Painter()->ButtonAt(Centre(Painter()->Buttons(1)->Rect())), Painter()->Buttons(1)) << at;
    EXPECT_EQ(Painter()->ButtonAt(Centre(page)), nullptr) << at;
    RECT overlap;
    const RECT area = Painter()->TabAreaRect();
    EXPECT_FALSE(IntersectRect(&overlap, &area, &page)) << "the page stays off the tabs " << at;
    switch (position) {
      case TPcTabPosition::pctpTop:
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.left, 2);
        break;
      case TPcTabPosition::pctpBottom:
        EXPECT_EQ(r.bottom, Control()->Height());
        break;
      case TPcTabPosition::pctpLeft:
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 2);
        break;
      case TPcTabPosition::pctpRight:
        EXPECT_EQ(r.right, Control()->Width());
        break;
    }
  }
}

TEST_F(TabPainter, ActiveRowMovesNextToThePageInTabsStyleOnly) {
  AddNumberedPages(9);
  Control()->SetMultiLine(true);
  EXPECT_TRUE(Control()->SetWidth(150).Alive());
  const struct {
    TPcTabStyle Style;
    bool Rotates;
  } cases[] = {{TPcTabStyle::pctsTabs, true}, {TPcTabStyle::pctsButtons, false}, {TPcTabStyle::pctsFlat, true}};
  for (const auto& c : cases) {
    Control()->SetStyle(c.Style);
    EXPECT_TRUE(Control()->SetActivePageIndex(8).Alive());
    const int rows = Painter()->GetRowCount();
    ASSERT_GE(rows, 3);
    TPcPageControlButton* first = Painter()->Buttons(0);
    EXPECT_TRUE(Control()->SetActivePage(first->Page()).Alive());
    EXPECT_EQ(first->Row(), c.Rotates ? rows : 1) << static_cast<int>(c.Style);
    EXPECT_EQ(first->Rect().bottom == Painter()->GetTabsAreaHeight(), c.Rotates) << static_cast<int>(c.Style);
    EXPECT_EQ(Painter()->ButtonAt(Centre(first->Rect())), first);
    int left, top, right, bottom;
    Painter()->GetPageBorders(left, top, right, bottom);
    EXPECT_EQ(Control()->ActivePage()->Top(), Painter()->GetTabsAreaHeight() + top) << "the page sits under the rows";
  }
}

TEST_F(TabPainter, ScrollButtonsRepeatEvery200msWhileHeld) {
  AddNumberedPages(20);
  for (TPcTabStyle style : {TPcTabStyle::pctsTabs, TPcTabStyle::pctsFlat}) {
    Control()->SetStyle(style);
    EXPECT_TRUE(Control()->SetActivePageIndex(0).Alive());
    ASSERT_TRUE(Painter()->NeedScrollButtons());
    ASSERT_EQ(Painter()->FirstVisible(), 0);
    const RECT right = Painter()->RightScrollRect();
    const RECT left = Painter()->LeftScrollRect();
    ASSERT_FALSE(IsRectEmpty(&right));
    EXPECT_LE(left.right, right.left);

    CursorAt(Centre(right));
    SendMessageW(Control()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Centre(right).x, Centre(right).y));
    EXPECT_EQ(Painter()->FirstVisible(), 1) << "once at the press";
    EXPECT_TRUE(Painter()->TimerRunning());
    EXPECT_EQ(GetCapture(), Control()->Handle());
    Tick();
    EXPECT_EQ(Painter()->FirstVisible(), 2) << "again on the tick";
    CursorAt({right.left - 40, right.top});
    Tick();
    EXPECT_EQ(Painter()->ScrollState(), TPcPageControlButtons::ssRightPressedOff);
    EXPECT_EQ(Painter()->FirstVisible(), 2) << "paused off the button";
    CursorAt(Centre(right));
    Tick();
    EXPECT_EQ(Painter()->FirstVisible(), 3) << "resumed on it";
    SendMessageW(Control()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(Centre(right).x, Centre(right).y));
    EXPECT_FALSE(Painter()->TimerRunning());
    EXPECT_EQ(GetCapture(), nullptr);
    Tick();
    EXPECT_EQ(Painter()->FirstVisible(), 3) << "a late tick does nothing";

    Click(Centre(left));
    EXPECT_EQ(Painter()->FirstVisible(), 2);
    EXPECT_EQ(Painter()->ScrollState(), TPcPageControlButtons::ssNone);
  }
}

TEST_F(TabPainter, ActivationScrollsIntoViewAndGrowingScrollsBack) {
  AddNumberedPages(20);
  Control()->SetStyle(TPcTabStyle::pctsTabs);
  EXPECT_TRUE(Control()->SetActivePageIndex(19).Alive());
  TPcPageControlButton* last = Painter()->Buttons(19);
  ASSERT_TRUE(last->LaidOut());
  EXPECT_GT(Painter()->FirstVisible(), 0);
  EXPECT_LE(last->Rect().right, Painter()->GetRowLength() + Painter()->GetRowIndent()) << "it ends inside the row";
  EXPECT_EQ(Painter()->ButtonAt(Centre(last->Rect())), last);
  EXPECT_TRUE(Control()->SetWidth(3000).Alive());
  EXPECT_EQ(Painter()->FirstVisible(), 0);
  EXPECT_FALSE(Painter()->NeedScrollButtons());
  EXPECT_TRUE(IsRectEmpty(&Painter()->LeftScrollRect()));
}

TEST_F(TabPainter, ClicksActivateAndFocus) {
  AddNumberedPages(3);
  auto* edit = Make<TEdit>({10, 250, 100, 272});
  const struct {
    TPcTabStyle Style;
    bool FocusOnActive;
  } cases[] = {{TPcTabStyle::pctsTabs, true}, {TPcTabStyle::pctsButtons, true}, {TPcTabStyle::pctsFlat, false}};
  for (const auto& c : cases) {
    Control()->SetStyle(c.Style);
    EXPECT_TRUE(Control()->SetActivePageIndex(0).Alive());
    EXPECT_TRUE(edit->SetFocus().Alive());
    Click(Centre(Painter()->Buttons(1)->Rect()));
    EXPECT_EQ(Active(), L"Page 1");
    EXPECT_EQ(Form()->ActiveControl(), edit) << "another tab activates without focusing";
    Click(Centre(Painter()->Buttons(1)->Rect()));
    EXPECT_EQ(Form()->ActiveControl() == Control(), c.FocusOnActive) << static_cast<int>(c.Style);
  }
}

TEST_F(TabPainter, HotTabAndHotScrollButton) {
  AddNumberedPages(20);
  Control()->SetHotTrack(true);
  TPcPageControlButton* second = Painter()->Buttons(1);
  CursorAt(Centre(second->Rect()));
  SendMessageW(Control()->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control()->Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(Painter()->HotButton(), second);
  CursorAt(Centre(Painter()->LeftScrollRect()));
  SendMessageW(Control()->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control()->Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(Painter()->ScrollState(), TPcPageControlButtons::ssLeftHot) << "the flat style tracks its buttons";
  Control()->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Control()));
  EXPECT_EQ(Painter()->HotButton(), nullptr);
  EXPECT_EQ(Painter()->ScrollState(), TPcPageControlButtons::ssNone);

  Control()->SetStyle(TPcTabStyle::pctsTabs);
  Control()->Pages(1)->SetHighlighted(true);
  CursorAt(Centre(Painter()->Buttons(1)->Rect()));
  SendMessageW(Control()->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control()->Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(Painter()->HotButton(), nullptr) << "a highlighted tab is never the hot one";
}

TEST_F(TabPainter, ImageIndexEventGetsThePageIndex) {
  AddNumberedPages(3);
  TImageList images(Form());
  TBitmap bitmap;
  bitmap.SetSize(32, 16);
  images.Add(&bitmap, nullptr);
  Control()->SetImages(&images);
  EXPECT_TRUE(Control()->Pages(0)->SetTabVisible(false).Alive());
  EXPECT_TRUE(Control()->SetActivePageIndex(1).Alive());
  std::vector<int> asked;
  Control()->OnGetImageIndex = [&](TObject*, int tabIndex, int& index) {
    asked.push_back(tabIndex);
    index = 1;
  };
  TWindowCapture::OfWindow(Control()->Handle());
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, (std::vector<int>{1, 2}));
  EXPECT_EQ(Painter()->Buttons(0)->Width(), Control()->Canvas()->TextWidth(L"Page 1") + 10 + 16 + 4);
}

TEST_F(TabPainter, NothingToLayOutPaintsSafely) {
  for (bool multiLine : {false, true}) {
    Control()->SetMultiLine(multiLine);
    TWindowCapture empty = TWindowCapture::OfWindow(Control()->Handle());
    EXPECT_EQ(empty.Pixel(100, 100), static_cast<COLORREF>(ColorToRGB(Control()->Color())));
    EXPECT_EQ(Painter()->GetTabsAreaHeight(), 0);
  }
  AddNumberedPages(2);
  EXPECT_TRUE(Control()->Pages(0)->SetTabVisible(false).Alive());
  EXPECT_TRUE(Control()->Pages(1)->SetTabVisible(false).Alive());
  EXPECT_TRUE(Control()->SetActivePageIndex(0).Alive());
  EXPECT_EQ(Painter()->ButtonCount(), 0);
  TWindowCapture::OfWindow(Control()->Handle());
  EXPECT_TRUE(Control()->SetWidth(0).Alive());
  EXPECT_TRUE(Control()->Pages(1)->SetTabVisible(true).Alive());
  TWindowCapture::OfWindow(Control()->Handle());
  EXPECT_EQ(Painter()->GetRowCount(), 1);
}

#include "controls/tabs/page_control.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/edit.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "page_control_fixture.h"
#include "support/hostile_input.h"

using namespace controls;

using Events = std::vector<String>;

TEST_F(PageControlTest, ChangeEventsAndRefusals) {
  AddPages({L"A", L"B", L"C"});
  TPcPageControl other(Form());
  auto* foreign = new TPcTabSheet(Form());
  EXPECT_TRUE(foreign->SetPageControl(&other).Alive());
  const struct {
    const char* Name;
    std::function<void()> Act;
    bool Allow;
    Events Expected;
    String Active;
  } cases[] = {
      {"code activates like a click",
       [&] { EXPECT_TRUE(Control()->SetActivePage(Control()->Pages(1)).Alive()); },
       true,
       {L"changing B", L"change B"},
       L"B"},
      {"the active page again raises nothing",
       [&] { EXPECT_TRUE(Control()->SetActivePage(Control()->Pages(1)).Alive()); },
       true,
       {},
       L"B"},
      {"a refusal changes nothing",
       [&] { EXPECT_TRUE(Control()->SetActivePage(Control()->Pages(2)).Alive()); },
       false,
       {L"changing C"},
       L"B"},
      {"a page of another control is ignored",
       [&] { EXPECT_TRUE(Control()->SetActivePage(foreign).Alive()); },
       true,
       {},
       L"B"},
      {"an index one too many leaves no page",
       [&] { EXPECT_TRUE(Control()->SetActivePageIndex(3).Alive()); },
       true,
       {L"changing -", L"change -"},
       L"-"},
      {"an index in range",
       [&] { EXPECT_TRUE(Control()->SetActivePageIndex(0).Alive()); },
       true,
       {L"changing A", L"change A"},
       L"A"},
  };
  for (const auto& c : cases) {
    events_.clear();
    allowChange_ = c.Allow;
    c.Act();
    EXPECT_EQ(events_, c.Expected) << c.Name;
    EXPECT_EQ(Active(), c.Active) << c.Name;
  }
  EXPECT_TRUE(Control()->Pages(0)->Visible());
  EXPECT_FALSE(Control()->Pages(1)->Visible()) << "the old page is hidden";
}

TEST_F(PageControlTest, CtrlTabWrapsAndSkipsHiddenTabs) {
  AddPages({L"A", L"B", L"C", L"D"});
  EXPECT_TRUE(Control()->Pages(2)->SetTabVisible(false).Alive());
  EXPECT_TRUE(Control()->SetFocus().Alive());
  const struct {
    const wchar_t* From;
    bool Shift;
    Events Expected;
  } cases[] = {
      {L"B", false, {L"changing D", L"change D"}},  // C is skipped, OnChanging asked once
      {L"D", false, {L"changing A", L"change A"}},  // wraps to the first
      {L"A", true, {L"changing D", L"change D"}},   // backwards wraps to the last
      {L"D", true, {L"changing B", L"change B"}},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < Control()->PageCount(); ++i)
      if (Control()->Pages(i)->Caption() == c.From) {
        EXPECT_TRUE(Control()->SetActivePage(Control()->Pages(i)).Alive());
      }
    events_.clear();
    if (c.Shift)
      SetKeys({VK_CONTROL, VK_SHIFT});
    else
      SetKeys({VK_CONTROL});
    EXPECT_EQ(Form()->Perform(CM_DIALOGKEY, VK_TAB, 0), 1);
    EXPECT_EQ(events_, c.Expected) << c.From << (c.Shift ? " back" : " on");
  }
  SetKeys({});
  EXPECT_TRUE(Control()->Pages(0)->SetTabVisible(false).Alive());
  EXPECT_TRUE(Control()->Pages(3)->SetTabVisible(false).Alive());
  EXPECT_TRUE(Control()->SetActivePage(Control()->Pages(1)).Alive());
  events_.clear();
  SetKeys({VK_CONTROL});
  Form()->Perform(CM_DIALOGKEY, VK_TAB, 0);
  EXPECT_EQ(events_, Events{}) << "a single visible page goes nowhere";
}

TEST_F(PageControlTest, ArrowKeysAfterOnKeyDown) {
  AddPages({L"A", L"B", L"C"});
  int seen = 0;
  bool swallow = false;
  Control()->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    ++seen;
    if (swallow) key = 0;
  };
  auto press = [&](WORD key) { SendMessageW(Control()->Handle(), WM_KEYDOWN, key, 0); };
  press(VK_RIGHT);
  EXPECT_EQ(Active(), L"B");
  press(VK_LEFT);
  press(VK_LEFT);
  EXPECT_EQ(Active(), L"C") << "left wraps to the last page";
  swallow = true;
  press(VK_RIGHT);
  EXPECT_EQ(Active(), L"C") << "a key OnKeyDown took moves nothing";
  swallow = false;
  Control()->SetTabPosition(TPcTabPosition::pctpLeft);
  press(VK_DOWN);
  EXPECT_EQ(Active(), L"C") << "up and down are not page keys";
  EXPECT_EQ(seen, 5);
  EXPECT_TRUE(SendMessageW(Control()->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
}

TEST_F(PageControlTest, AcceleratorActivatesAnEnabledVisibleTab) {
  AddPages({L"&Normal", L"&Advanced", L"&Hidden"});
  EXPECT_TRUE(Control()->Pages(2)->SetTabVisible(false).Alive());
  EXPECT_EQ(Control()->Perform(CM_DIALOGCHAR, L'a', 0), 1);
  EXPECT_EQ(Active(), L"&Advanced");
  EXPECT_EQ(Control()->Perform(CM_DIALOGCHAR, L'h', 0), 0);
  Control()->Pages(0)->SetEnabled(false);
  EXPECT_EQ(Control()->Perform(CM_DIALOGCHAR, L'n', 0), 0);
  EXPECT_EQ(Active(), L"&Advanced");
}

TEST_F(PageControlTest, PageIndexMovesPagesAndRefusesPastTheEnd) {
  AddPages({L"A", L"B", L"C"});
  TPcTabSheet* c = Control()->Pages(2);
  c->SetPageIndex(0);
  EXPECT_EQ(Control()->Pages(0), c);
  EXPECT_EQ(c->TabIndex(), 0);
  EXPECT_EQ(Painter()->Buttons(0)->Page(), c) << "the tab moves with its page";
  try {
    c->SetPageIndex(3);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), L"3 is an invalid PageIndex value.  PageIndex must be between 0 and 2");
  }
  EXPECT_EQ(c->PageIndex(), 0) << "the page stays";
  EXPECT_THROW(c->SetPageIndex(-1), EListError);
  TPcTabSheet loose(Form());
  EXPECT_EQ(loose.PageIndex(), -1);
  EXPECT_NO_THROW(loose.SetPageIndex(5));
}

TEST_F(PageControlTest, RemovingAndHidingPages) {
  AddPages({L"A", L"B", L"C"});
  delete Control()->Pages(1);
  EXPECT_EQ(Active(), L"C") << "the page after a freed one becomes active, even when it was not active";
  allowChange_ = false;
  delete Control()->Pages(1);
  EXPECT_EQ(Control()->ActivePage(), nullptr) << "a freed page never stays active, refused or not";
  allowChange_ = true;
  AddPages({L"D"});
  EXPECT_TRUE(Control()->SetActivePage(Control()->Pages(1)).Alive());
  EXPECT_TRUE(Control()->Pages(1)->SetTabVisible(false).Alive());
  EXPECT_EQ(Control()->ActivePage(), nullptr) << "hiding the active tab leaves no page";
  EXPECT_TRUE(Control()->SetActivePageIndex(1).Alive());
  EXPECT_EQ(Active(), L"D") << "a page without a tab can still be made active";
  EXPECT_EQ(Control()->VisibleTabCount(), 2);
  EXPECT_EQ(Painter()->ButtonCount(), 1) << "but it gets no tab";
}

TEST_F(PageControlTest, PropertyRules) {
  EXPECT_EQ(Control()->Style(), TPcTabStyle::pctsFlat);
  EXPECT_TRUE(Control()->TabStop());
  TPcPageControl fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 200);
  EXPECT_EQ(fresh.Height(), 200);
  AddPages({L"A"});
  Control()->SetTabHeight(-5);
  EXPECT_EQ(Control()->TabHeight(), 0);
  Control()->SetTabWidth(-1);
  EXPECT_EQ(Control()->TabWidth(), 0);
  EXPECT_FALSE(Control()->MultiLine());
  Control()->SetTabPosition(TPcTabPosition::pctpLeft);
  EXPECT_TRUE(Control()->MultiLine()) << "tabs on a side are always in rows";
  Control()->SetMultiLine(false);
  EXPECT_TRUE(Control()->MultiLine());
  Control()->SetTabPosition(TPcTabPosition::pctpTop);
  EXPECT_TRUE(Control()->MultiLine()) << "moving back keeps the rows";
  EXPECT_TRUE(Control()->CanFocus());
  Control()->SetHideButtons(true);
  EXPECT_FALSE(Control()->CanFocus());
  EXPECT_EQ(Painter()->GetTabsAreaHeight(), 0);
  EXPECT_EQ(Control()->Pages(0)->BoundsRect().top, 0) << "the page takes the tab area";
}

TEST_F(PageControlTest, ShowingAControlOnAHiddenPageActivatesThePage) {
  AddPages({L"A", L"B"});
  auto* edit = new TEdit(Form());
  EXPECT_TRUE(edit->SetParent(Control()->Pages(1)).Alive());
  int shown = 0;
  int hidden = 0;
  Control()->Pages(1)->OnShow = [&](TObject*) { ++shown; };
  Control()->Pages(0)->OnHide = [&](TObject*) { ++hidden; };
  EXPECT_TRUE(edit->SetFocus().Alive());
  EXPECT_EQ(Active(), L"B");
  EXPECT_EQ(Form()->ActiveControl(), edit);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(hidden, 1);
  // Back on the first page, the edit no longer shows, as its window says, and shows again with its page.
  for (int page : {0, 1}) {
    EXPECT_TRUE(Control()->SetActivePage(Control()->Pages(page)).Alive());
    EXPECT_EQ(edit->Showing(), page == 1);
    EXPECT_EQ(IsWindowVisible(edit->Handle()) != FALSE, page == 1);
  }
}

TEST_F(PageControlTest, DockingAControlInAndOut) {
  AddPages({L"A"});
  Control()->SetDockSite(true);
  auto* client = new TEdit(Form());
  EXPECT_TRUE(client->SetBounds(10, 230, 100, 22).Alive());
  EXPECT_TRUE(client->SetParent(Form()).Alive());
  ASSERT_TRUE(client->ManualDock(Control()));
  ASSERT_EQ(Control()->PageCount(), 2);
  TPcTabSheet* sheet = Control()->Pages(1);
  EXPECT_EQ(client->Parent(), sheet);
  EXPECT_EQ(client->HostDockSite(), Control());
  EXPECT_EQ(client->Align(), TAlign::alClient);
  EXPECT_EQ(Control()->ActivePage(), sheet);
  EXPECT_TRUE(client->SetText(L"Docked\r\nsecond line").Alive());
  EXPECT_EQ(sheet->Caption(), L"Docked") << "the tab shows the client's first line";
  EXPECT_TRUE(client->SetVisible(false).Alive());
  EXPECT_FALSE(sheet->TabVisible());
  EXPECT_TRUE(client->SetVisible(true).Alive());
  EXPECT_TRUE(sheet->TabVisible());
  EXPECT_FALSE(client->ManualDock(Control())) << "a client docked here cannot dock again";
  EXPECT_EQ(Control()->PageCount(), 2);
  EXPECT_EQ(client->Align(), TAlign::alClient);

  ASSERT_TRUE(client->ManualDock(nullptr));
  EXPECT_EQ(Control()->PageCount(), 1) << "the client's page goes with it";
  EXPECT_EQ(Control()->UndockingPage(), nullptr);
  EXPECT_EQ(Active(), L"A");
  ASSERT_NE(client->Parent(), nullptr);
  EXPECT_TRUE(client->Parent()->Is<TCustomDockForm>()) << "it floats";
  EXPECT_EQ(client->Align(), TAlign::alNone);

  // Docked again, a press on its tab starts a dock drag in the tab and flat styles only.
  ASSERT_TRUE(client->ManualDock(Control()));
  client->SetDragKind(TDragKind::dkDock);
  for (TPcTabStyle style : {TPcTabStyle::pctsButtons, TPcTabStyle::pctsFlat}) {
    Control()->SetStyle(style);
    const POINT tabCentre = Centre(Painter()->ButtonOf(Control()->Pages(1))->Rect());
    SendMessageW(Control()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tabCentre.x, tabCentre.y));
    EXPECT_EQ(DragControl() == client, style == TPcTabStyle::pctsFlat);
    DragDone(false);
    SendMessageW(Control()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(tabCentre.x, tabCentre.y));
  }
  EXPECT_EQ(client->HostDockSite(), Control());

  // A double click on its tab floats it.
  Control()->SetStyle(TPcTabStyle::pctsTabs);
  TPcPageControlButton* tab = Painter()->ButtonOf(Control()->Pages(1));
  ASSERT_NE(tab, nullptr);
  const POINT point = Centre(tab->Rect());
  SendMessageW(Control()->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  SendMessageW(Control()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  EXPECT_EQ(Control()->PageCount(), 1);
  EXPECT_TRUE(client->Parent()->Is<TCustomDockForm>());
  delete client->Parent();
}

// Freed while docked, a client takes its page with it, as undocking it does; freeing the page frees the client
// and nothing more. Made under guarded allocations, so that a use of what went faults.
TEST_F(PageControlTest, ADockedClientFreedTakesItsPage) {
  AddPages({L"A", L"B"});
  Control()->SetDockSite(true);
  for (bool freeThePage : {false, true}) {
    SCOPED_TRACE(freeThePage ? "the page freed" : "the client freed");
    TGuardedAllocations guard;
    auto* client = new TEdit(Form());
    EXPECT_TRUE(client->SetBounds(10, 230, 100, 22).Alive());
    EXPECT_TRUE(client->SetParent(Form()).Alive());
    ASSERT_TRUE(client->ManualDock(Control()));
    ASSERT_EQ(Control()->PageCount(), 3);
    TPcTabSheet* sheet = Control()->Pages(2);
    ASSERT_EQ(Control()->ActivePage(), sheet);
    events_.clear();
    if (freeThePage)
      delete sheet;
    else
      delete client;
    EXPECT_EQ(Control()->PageCount(), 2);
    EXPECT_EQ(events_, (Events{L"changing A", L"change A"}));
    EXPECT_EQ(Control()->DockClientCount(), 0);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(Control()->Pages(i)->Visible(), i == 0);
  }
}

TEST_F(PageControlTest, PagesAddedInsideAnUpdateBracketAreLaidOutWhenItCloses) {
  Control()->SetMultiLine(true);
  AddPages({L"First"});
  const int firstRows = Painter()->GetTabsAreaHeight();
  Control()->DisableAlign();
  for (int i = 0; i < 50; ++i) AddPage(L"Page " + std::to_wstring(i));
  EXPECT_FALSE(Painter()->Buttons(50)->LaidOut()) << "no layout while the bracket is open";
  EXPECT_EQ(Painter()->GetTabsAreaHeight(), firstRows);
  EXPECT_TRUE(Control()->EnableAlign().Alive());
  for (int i = 0; i <= 50; ++i) EXPECT_TRUE(Painter()->Buttons(i)->LaidOut()) << i;
  EXPECT_GT(Painter()->GetTabsAreaHeight(), firstRows);
  EXPECT_GE(Control()->ActivePage()->Top(), Painter()->GetTabsAreaHeight()) << "the page moved below the new rows";
}

TEST(PageControlStoring, TravelsWithItsForm) {
  TForm source(nullptr);
  source.SetName(L"Main");
  auto* control = new TPcPageControl(&source);
  control->SetName(L"pcSearch");
  EXPECT_TRUE(control->SetParent(&source).Alive());
  const wchar_t* names[] = {L"tsNormal", L"tsAdvanced", L"tsHidden"};
  for (const wchar_t* name : names) {
    auto* page = new TPcTabSheet(&source);
    page->SetName(name);
    EXPECT_TRUE(page->SetCaption(String(name).substr(2)).Alive());
    EXPECT_TRUE(page->SetPageControl(control).Alive());
  }
  control->SetStyle(TPcTabStyle::pctsTabs);
  control->SetTabPosition(TPcTabPosition::pctpBottom);
  control->SetMultiLine(true);
  control->SetTabHeight(24);
  EXPECT_TRUE(control->SetActivePage(control->Pages(1)).Alive());
  control->Pages(0)->SetHighlighted(true);
  control->Pages(0)->SetImageIndex(3);
  EXPECT_TRUE(control->Pages(2)->SetTabVisible(false).Alive());
  const String text = ComponentToText(&source);
  EXPECT_EQ(text.find(L"PageIndex"), String::npos) << "the page order is the stored order";

  TForm target(nullptr);
  ReadComponentFromText(text, &target);
  auto* read = ObjectAs<TPcPageControl>(target.FindComponent(L"pcSearch"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->PageCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(read->Pages(i)->Name(), names[i]);
  EXPECT_EQ(read->ActivePage(), read->Pages(1));
  EXPECT_TRUE(read->Pages(1)->Visible());
  EXPECT_FALSE(read->Pages(0)->Visible());
  EXPECT_EQ(read->Style(), TPcTabStyle::pctsTabs);
  EXPECT_EQ(read->TabPosition(), TPcTabPosition::pctpBottom);
  EXPECT_TRUE(read->MultiLine());
  EXPECT_EQ(read->TabHeight(), 24);
  EXPECT_TRUE(read->Pages(0)->Highlighted());
  EXPECT_EQ(read->Pages(0)->ImageIndex(), 3);
  EXPECT_FALSE(read->Pages(2)->TabVisible());
  EXPECT_EQ(read->Pages(0)->Caption(), L"Normal");
}

namespace {

// Counts the alignments of its pages made while it is still being read.
class TAlignCountingPageControl : public TPcPageControl {
  BC_CLASS(TAlignCountingPageControl, TPcPageControl)
  using TPcPageControl::TPcPageControl;
  int AlignmentsWhileLoading = 0;

 protected:
  void AdjustClientRect(RECT& rect) override {
    if (IsLoading()) ++AlignmentsWhileLoading;
    TPcPageControl::AdjustClientRect(rect);
  }
};

// A form text with one page control of the given class and properties, holding sheetCount sheets.
String PageControlForm(const String& controlClass, const String& properties, int sheetCount) {
  String text = L"object Main: TForm\n  Width = 1100\n  Height = 800\n  object Pages: " + controlClass +
                L"\n    Width = 1000\n    Height = 700\n    ActivePage = Sheet1\n" + properties;
  for (int i = 0; i < sheetCount; ++i) {
    const String number = std::to_wstring(i);
    text += L"    object Sheet" + number + L": TPcTabSheet\n      Caption = 'Page " + number + L"'\n    end\n";
  }
  return text + L"  end\nend\n";
}

void ExpectLaidOut(const TPcPageControl& control) {
  const TPcPageControlButtons* painter = control.Painter();
  for (int i = 0; i < painter->ButtonCount(); ++i) {
    const RECT& tab = painter->Buttons(i)->Rect();
    EXPECT_TRUE(tab.right > tab.left && tab.bottom > tab.top) << "tab " << i;
  }
  ASSERT_NE(control.ActivePage(), nullptr);
  const RECT page = control.ActivePage()->BoundsRect();
  EXPECT_LE(page.left, page.right);
  EXPECT_LE(page.top, page.bottom);
}

}  // namespace

TEST(PageControlStoring, ManySheetsAreLaidOutOnceReadingEnds) {
  RegisterPersistentClass(TAlignCountingPageControl::StaticClass());
  TForm target(nullptr);
  ReadComponentFromText(PageControlForm(L"TAlignCountingPageControl", L"    MultiLine = True\n", 300), &target);
  auto* read = ObjectAs<TAlignCountingPageControl>(target.FindComponent(L"Pages"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->AlignmentsWhileLoading, 0);
  ASSERT_EQ(read->PageCount(), 300);
  EXPECT_EQ(read->Painter()->ButtonCount(), 300);
  EXPECT_EQ(read->ActivePage(), read->Pages(1));
  ExpectLaidOut(*read);
  const int area = read->Painter()->GetTabsAreaHeight();
  EXPECT_GT(area, 0);
  EXPECT_GE(read->ActivePage()->BoundsRect().top, area) << "the page starts below the rows";
  UnregisterPersistentClass(TAlignCountingPageControl::StaticClass());
}

TEST(PageControlStoring, TabSizesNoLayoutCanHoldAreCut) {
  const struct {
    const wchar_t* Stored;
    int Kept;
  } sizes[] = {{L"-1", 0}, {L"0", 0}, {L"40", 40}, {L"32767", 32767}, {L"2147483647", 32767}};
  const wchar_t* positions[] = {L"pctpTop", L"pctpBottom", L"pctpLeft", L"pctpRight"};
  for (const auto& size : sizes) {
    for (const wchar_t* position : positions) {
      SCOPED_TRACE(std::wstring(size.Stored) + L" " + position);
      const String properties = L"    MultiLine = True\n    TabHeight = " + String(size.Stored) + L"\n    TabWidth = " +
                                size.Stored + L"\n    TabPosition = " + position + L"\n";
      TForm target(nullptr);
      ReadComponentFromText(PageControlForm(L"TPcPageControl", properties, 20), &target);
      auto* read = ObjectAs<TPcPageControl>(target.FindComponent(L"Pages"));
      ASSERT_NE(read, nullptr);
      EXPECT_EQ(read->TabHeight(), size.Kept);
      EXPECT_EQ(read->TabWidth(), size.Kept);
      EXPECT_GT(read->Painter()->GetTabsAreaHeight(), 0);
      ExpectLaidOut(*read);
    }
  }
}

// The sample controls of the pages do what they say: the address and search boxes answer Enter and offer lists,
// the choices of one group exclude each other, the sample menu bar opens its menus, the tray icon's menu runs
// its items, Edit > Find on this page opens the find bar's box for typing, a favorite opens when chosen and the
// toolbar samples answer clicks.
#include <string>
#include <vector>

#include "controls/address_box.h"
#include "controls/tabs/page_control.h"
#include "controls/xp_button.h"
#include "controls/xp_radio_box.h"
#include "framework/menus.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "status_line.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/window_capture.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/edit/edit_item_viewer.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"
#include "tree/string_tree.h"

namespace {

// The status line that a sample control reports to: the one of its section.
TStatusLine* SaidBeside(TControl* control) {
  TWinControl* section = control->Parent();
  for (int i = 0; i < section->ControlCount(); ++i)
    if (auto* said = ObjectAs<TStatusLine>(section->Controls(i))) return said;
  return nullptr;
}

POINT CentreOnScreen(TControl* control) {
  POINT centre{control->Width() / 2, control->Height() / 2};
  ClientToScreen(control->Parent()->Handle(), &centre);
  centre.x += control->Left();
  centre.y += control->Top();
  return centre;
}

}  // namespace

TEST_F(GalleryTest, TheAddressAndSearchBoxesAnswerEnterAndOfferLists) {
  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"controls")));
  SetForegroundWindow(Form()->Handle());
  Settle();
  const auto boxes = OwnedBelow<controls::TCustomAlignComboBox>(Form());
  ASSERT_EQ(boxes.size(), 2u);
  struct TCase {
    const wchar_t* Typed;
    const wchar_t* Said;
  };
  const bool addressFirst = ObjectAs<controls::TAddressBox>(boxes[0]) != nullptr;
  const TCase cases[] = {{L"http://www.example.org/maps", L"Would open http://www.example.org/maps"},
                         {L"old maps", L"Would look for \"old maps\""}};
  for (size_t i = 0; i < 2; ++i) {
    controls::TCustomAlignComboBox* box = boxes[addressFirst ? i : 1 - i];
    const TCase& c = cases[i];
    SCOPED_TRACE(testing::PrintToString(c.Typed));
    TStatusLine* said = SaidBeside(box);
    ASSERT_NE(said, nullptr);
    EXPECT_TRUE(box->SetFocus().Alive());
    EXPECT_TRUE(box->SetText(c.Typed).Alive());
    SendKeyPress(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return said->Caption() == c.Said; })) << testing::PrintToString(said->Caption());
    box->SetDroppedDown(true);
    Settle();
    EXPECT_GE(box->Items()->Count(), 3) << "the list offers something";
    box->SetDroppedDown(false);
    Settle();
  }
}

TEST_F(GalleryTest, OneChoiceOfTheGroupAtATimeAndSearchSaysWhatItWouldDo) {
  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"controls")));
  SetForegroundWindow(Form()->Handle());
  Settle();
  const auto choices = OwnedBelow<controls::TXP_RadioBox>(Form());
  ASSERT_EQ(choices.size(), 3u);
  for (controls::TXP_RadioBox* clicked : {choices[2], choices[1], choices[0]}) {
    SendMouseClick(CentreOnScreen(clicked));
    ASSERT_TRUE(PumpUntil([&] { return clicked->Checked(); }));
    int checked = 0;
    for (controls::TXP_RadioBox* choice : choices) checked += choice->Checked() ? 1 : 0;
    EXPECT_EQ(checked, 1) << testing::PrintToString(clicked->Caption());
  }
  controls::TXP_Button* search = nullptr;
  for (controls::TXP_Button* button : OwnedBelow<controls::TXP_Button>(Form()))
    if (StripHotkey(button->Caption()) == L"Search") search = button;
  ASSERT_NE(search, nullptr);
  SendMouseClick(CentreOnScreen(search));
  EXPECT_TRUE(PumpUntil([&] { return SaidBeside(search)->Caption() == L"Would search the Web titles"; }))
      << testing::PrintToString(SaidBeside(search)->Caption());
}

TEST_F(GalleryTest, TheSampleMenuBarOpensItsMenusWhenClicked) {
  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"toolbars")));
  Settle();
  toolbars::TBarCustomToolbar* sample = nullptr;
  for (toolbars::TBarCustomToolbar* bar : OwnedBelow<toolbars::TBarCustomToolbar>(Form()))
    if (bar->MenuBar() && bar != Form()->MenuBar()) sample = bar;
  ASSERT_NE(sample, nullptr);
  ASSERT_GT(sample->View()->ViewerCount(), 0);
  toolbars::TBarItemViewer* first = sample->View()->Viewers(0);
  POINT at{(first->BoundsRect().left + first->BoundsRect().right) / 2,
           (first->BoundsRect().top + first->BoundsRect().bottom) / 2};
  ClientToScreen(sample->Handle(), &at);
  EXPECT_EQ(MenuOpenedBy(sample, [at] { SendMouseClick(at); }), L"File");
}

TEST_F(GalleryTest, TheTrayMenusItemsShowTheGalleryAndTellAboutTheIcon) {
  const auto menus = OwnedBelow<TPopupMenu>(Form());
  ASSERT_EQ(menus.size(), 1u);
  TMenuItem* items = menus[0]->Items();
  ASSERT_EQ(items->Count(), 3);
  EXPECT_TRUE(items->Items(0)->Default());
  for (int i = 0; i < items->Count(); ++i) {
    if (items->Items(i)->IsLine()) continue;
    EXPECT_TRUE(static_cast<bool>(items->Items(i)->OnClick)) << testing::PrintToString(items->Items(i)->Caption());
  }
  ShowWindow(Form()->Handle(), SW_MINIMIZE);
  Settle();
  EXPECT_TRUE(items->Items(0)->Click().Alive());
  Settle();
  EXPECT_FALSE(IsIconic(Form()->Handle()));
  EXPECT_TRUE(IsWindowVisible(Form()->Handle()));
}

TEST_F(GalleryTest, FindOnThisPageOpensTheFindBarsBoxForTyping) {
  toolbars::TBarCustomToolbar* find = nullptr;
  for (toolbars::TBarCustomToolbar* bar : OwnedBelow<toolbars::TBarCustomToolbar>(Form()))
    if (bar->Caption() == L"Find") find = bar;
  ASSERT_NE(find, nullptr);
  EXPECT_TRUE(find->Close().Alive());
  Settle();
  toolbars::TBarEditItemViewer* box = nullptr;
  const bool editing = SeenInLoop([] { SendKeyPress(L'F', false, true); },
                                  [&] {
                                    for (int i = 0; i < find->View()->ViewerCount() && !box; ++i)
                                      box = ObjectAs<toolbars::TBarEditItemViewer>(find->View()->Viewers(i));
                                    return box && box->EditControl() != nullptr;
                                  });
  EXPECT_TRUE(editing) << testing::PrintToString(Form()->LastCommand());
  EXPECT_TRUE(find->Visible());
  Settle();
}

TEST_F(GalleryTest, AFavoriteClickedOpensItAndASampleButtonClickedSaysSo) {
  SetForegroundWindow(Form()->Handle());
  Settle();
  tree::TStringTree* favorites = nullptr;
  for (tree::TStringTree* list : OwnedBelow<tree::TStringTree>(Form()))
    if (list->RootNodeCount() > 0 && list->Text(list->GetFirst(), 0) == L"Front page") favorites = list;
  ASSERT_NE(favorites, nullptr);
  tree::PTreeNode treePage = favorites->GetFirst();
  while (treePage && favorites->Text(treePage, 0) != L"The tree page") treePage = favorites->GetNextSibling(treePage);
  ASSERT_NE(treePage, nullptr);
  const RECT row = favorites->GetDisplayRect(treePage, 0, true);
  POINT at{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  ClientToScreen(favorites->Handle(), &at);
  SendMouseClick(at);
  EXPECT_TRUE(PumpUntil([&] { return Form()->Pages()->ActivePageIndex() == FindGalleryPage(L"tree"); }));

  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"toolbars")));
  Settle();
  toolbars::TBarCustomToolbar* sample = nullptr;
  for (toolbars::TBarCustomToolbar* bar : OwnedBelow<toolbars::TBarCustomToolbar>(Form()))
    if (bar->Owner() != Form() && !bar->MenuBar() && bar->Items()->Count() > 0 &&
        bar->Items()->ItemAt(0)->Caption() == L"Back")
      sample = bar;
  ASSERT_NE(sample, nullptr);
  toolbars::TBarItemViewer* back = sample->View()->Find(sample->Items()->ItemAt(0));
  ASSERT_NE(back, nullptr);
  POINT button{(back->BoundsRect().left + back->BoundsRect().right) / 2,
               (back->BoundsRect().top + back->BoundsRect().bottom) / 2};
  ClientToScreen(sample->Handle(), &button);
  TStatusLine* said = nullptr;
  for (TStatusLine* line : OwnedBelow<TStatusLine>(sample->Owner())) said = line;
  ASSERT_NE(said, nullptr);
  SendMouseClick(button);
  EXPECT_TRUE(PumpUntil([&] { return said->Caption() == L"Clicked the sample \"Back\""; }))
      << testing::PrintToString(said->Caption());
}

// Six clicks on the framework page's counting button, given at once so that each second one falls within the
// double-click time: each counts, as on the platform's push button.
TEST_F(GalleryTest, EveryClickCountsDoubleClicksToo) {
  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"framework")));
  SetForegroundWindow(Form()->Handle());
  Settle();
  TControl* counter = nullptr;
  for (TControl* control : OwnedBelow<TControl>(Form()))
    if (control->Caption().rfind(L"Clicked ", 0) == 0 && control->Caption().find(L" times") != String::npos)
      counter = control;
  ASSERT_NE(counter, nullptr);
  const String before = counter->Caption();
  const int counted = std::stoi(before.substr(8));
  SetCursorPos(CentreOnScreen(counter).x, CentreOnScreen(counter).y);
  std::vector<INPUT> clicks;
  for (int i = 0; i < 6; ++i)
    for (DWORD flags : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
      INPUT input{};
      input.type = INPUT_MOUSE;
      input.mi.dwFlags = flags;
      clicks.push_back(input);
    }
  SendInput(static_cast<UINT>(clicks.size()), clicks.data(), sizeof(INPUT));
  const String wanted = L"Clicked " + std::to_wstring(counted + 6) + L" times";
  EXPECT_TRUE(PumpUntil([&] { return counter->Caption() == wanted; })) << testing::PrintToString(counter->Caption());
}

// The address box, its entry chosen from its list by the keyboard, then left for the search box by a click: it
// shows its text without the selection colour, as an unfocused box does.
TEST_F(GalleryTest, AnUnfocusedComboBoxShowsNoSelection) {
  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"controls")));
  SetForegroundWindow(Form()->Handle());
  Settle();
  const auto boxes = OwnedBelow<controls::TCustomAlignComboBox>(Form());
  ASSERT_EQ(boxes.size(), 2u);
  controls::TCustomAlignComboBox* address = boxes[ObjectAs<controls::TAddressBox>(boxes[0]) ? 0 : 1];
  controls::TCustomAlignComboBox* search = boxes[ObjectAs<controls::TAddressBox>(boxes[0]) ? 1 : 0];
  SendMouseClick(CentreOnScreen(address));
  ASSERT_TRUE(PumpUntil([&] { return address->Focused(); }));
  SendKeyPress(VK_DOWN, false, false, true);
  ASSERT_TRUE(PumpUntil([&] { return address->DroppedDown(); }));
  SendKeyPress(VK_DOWN);
  SendKeyPress(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !address->DroppedDown(); }));
  SendMouseClick(CentreOnScreen(search));
  ASSERT_TRUE(PumpUntil([&] { return search->Focused(); }));
  Settle();
  const TWindowCapture shown = TWindowCapture::AsShown(address->Handle());
  KeepCaptureForViewing(shown, L"unfocused_combo");
  EXPECT_EQ(shown.CountPixels(GetSysColor(COLOR_HIGHLIGHT)), 0);
}

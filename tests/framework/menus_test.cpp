#include "framework/menus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "framework/control.h"
#include "support/modal_input.h"
#include "support/test_window.h"

namespace {

TEST(ShortCuts, TextsOfKeysAndModifiers) {
  using S = TShiftStateItem;
  EXPECT_EQ(ShortCut('O', {S::ssCtrl}), 0x404F);
  EXPECT_EQ(ShortCut(VK_F5, {S::ssShift, S::ssCtrl}), 0x6074);
  EXPECT_EQ(ShortCut(0x1234, {}), 0) << "no key beyond a byte";
  EXPECT_EQ(ShortCutToText(ShortCut('O', {S::ssCtrl})), L"Ctrl+O");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, {S::ssShift, S::ssCtrl})), L"Shift+Ctrl+F5");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, {S::ssAlt})), L"Alt+Del");
  EXPECT_EQ(ShortCutToText(VK_RETURN), L"Enter");
  EXPECT_EQ(ShortCutToText(VK_NUMPAD5), L"Num 5");
  EXPECT_EQ(ShortCutToText(0), L"");
  EXPECT_EQ(ShortCutToText(scCtrl), L"") << "modifiers without a key have no text";

  EXPECT_EQ(TextToShortCut(L"ctrl+o"), 0x404F);
  EXPECT_EQ(TextToShortCut(L"Alt+Shift+PgDn"), scAlt | scShift | VK_NEXT);
  EXPECT_EQ(TextToShortCut(L"F12"), VK_F12);
  EXPECT_EQ(TextToShortCut(L"Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut(L"Hyper+X"), 0);
  EXPECT_EQ(TextToShortCut(L""), 0);

  WORD key = 0;
  TShiftState shift;
  ShortCutToKey(0x6074, key, shift);
  EXPECT_EQ(key, VK_F5);
  EXPECT_EQ(shift, (TShiftState{S::ssShift, S::ssCtrl}));
}

TEST(ShortCuts, EveryNamedKeyRoundTrips) {
  const TShortCut modifiers[] = {0, scCtrl, scShift | scAlt, scShift | scCtrl | scAlt};
  int named = 0;
  for (WORD key = 1; key <= 0xFF; ++key) {
    for (TShortCut modifier : modifiers) {
      TShortCut shortCut = static_cast<TShortCut>(key | modifier);
      String text = ShortCutToText(shortCut);
      if (text.empty()) continue;
      ++named;
      EXPECT_EQ(TextToShortCut(text), shortCut)
          << "key " << key << " shown as " << std::string(text.begin(), text.end());
    }
  }
  EXPECT_GT(named, 4 * (26 + 10 + 24 + 10 + 15));
}

TEST(MenuCaptions, HotkeyMarksAreStripped) {
  EXPECT_EQ(StripHotkey(L"&File"), L"File");
  EXPECT_EQ(StripHotkey(L"Save &As..."), L"Save As...");
  EXPECT_EQ(StripHotkey(L"Fish && &Chips"), L"Fish & Chips");
  EXPECT_EQ(StripHotkey(L"Trailing&"), L"Trailing");
  EXPECT_EQ(StripHotkey(L"&&&"), L"&");
}

// An item that notes its own destruction.
class TTrackedItem : public TMenuItem {
 public:
  TTrackedItem(const String& caption, std::vector<String>* log) : log_(log) { SetCaption(caption); }
  ~TTrackedItem() override { log_->push_back(Caption()); }

 private:
  std::vector<String>* log_;
};

TEST(MenuItemTree, AddInsertDeleteFind) {
  std::vector<String> freed;
  TMenuItem root;
  auto* open = new TTrackedItem(L"&Open", &freed);
  auto* line = new TTrackedItem(cLineCaption, &freed);
  auto* exit = new TTrackedItem(L"E&xit", &freed);
  root.Add(open);
  root.Add(exit);
  root.Insert(1, line);
  ASSERT_EQ(root.Count(), 3);
  EXPECT_EQ(root.Items(1), line);
  EXPECT_TRUE(line->IsLine());
  EXPECT_EQ(exit->MenuIndex(), 2);
  EXPECT_EQ(exit->Parent(), &root);
  EXPECT_EQ(root.Find(L"exit"), exit);
  EXPECT_EQ(root.Find(L"&Open"), open);
  EXPECT_EQ(root.Find(L"Close"), nullptr);

  EXPECT_THROW(root.Add(open), EMenuError) << "an item has one parent";
  EXPECT_THROW(root.Items(3), EMenuError);
  EXPECT_THROW(root.Insert(5, new TMenuItem(&root)), EMenuError);

  root.Delete(1);
  EXPECT_TRUE(freed.empty()) << "taking an item out does not free it";
  EXPECT_EQ(line->Parent(), nullptr);
  EXPECT_EQ(root.Count(), 2);
  delete line;
  EXPECT_EQ(freed, std::vector<String>{L"-"});

  auto* recent = new TTrackedItem(L"Recent", &freed);
  open->Add(recent);
  delete open;
  ASSERT_EQ(freed.size(), 3u);
  EXPECT_NE(std::find(freed.begin(), freed.end(), L"Recent"), freed.end()) << "an item frees its sub-items";
  EXPECT_EQ(root.Count(), 1) << "a freed item leaves its parent";
  root.Clear();
  EXPECT_EQ(root.Count(), 0);
  EXPECT_EQ(freed.back(), L"E&xit");
}

TEST(MenuItemTree, RadioGroupsDefaultsAndSearch) {
  TMenuItem root;
  auto add = [&](const String& caption) {
    auto* item = new TMenuItem(&root);
    item->SetCaption(caption);
    root.Add(item);
    return item;
  };
  TMenuItem* small = add(L"Small");
  TMenuItem* large = add(L"Large");
  TMenuItem* other = add(L"Other group");
  for (TMenuItem* item : {small, large, other}) item->SetRadioItem(true);
  other->SetGroupIndex(2);
  small->SetChecked(true);
  other->SetChecked(true);
  large->SetChecked(true);
  EXPECT_FALSE(small->Checked()) << "checking a radio item unchecks its group";
  EXPECT_TRUE(large->Checked());
  EXPECT_TRUE(other->Checked()) << "other groups keep their check";

  small->SetDefault(true);
  large->SetDefault(true);
  EXPECT_FALSE(small->Default());
  EXPECT_TRUE(large->Default());

  auto* nested = new TMenuItem(&root);
  nested->SetShortCut(TextToShortCut(L"Ctrl+N"));
  other->Add(nested);
  EXPECT_EQ(root.FindItem(TextToShortCut(L"Ctrl+N"), TFindItemKind::fkShortCut), nested);
  EXPECT_EQ(root.FindItem(0, TFindItemKind::fkShortCut), nullptr) << "no short cut matches nothing";
  EXPECT_EQ(root.FindItem(nested->Command(), TFindItemKind::fkCommand), nested);
  EXPECT_NE(nested->Command(), small->Command());
}

TEST(MenuItemTree, CommandNumbersAreUniqueAndTheLowestFreeComesFirst) {
  auto numbers = [](const std::vector<std::unique_ptr<TMenuItem>>& items) {
    std::set<UINT> result;
    for (const auto& item : items) result.insert(item->Command());
    return result;
  };
  std::vector<std::unique_ptr<TMenuItem>> items;
  for (int i = 0; i < 300; ++i) items.push_back(std::make_unique<TMenuItem>());
  const std::set<UINT> first = numbers(items);
  ASSERT_EQ(first.size(), items.size());
  // Freed in an order of their own, the same numbers come back, whatever gaps other items left below them.
  for (size_t i = 0; i < items.size(); i += 2) items[i].reset();
  for (size_t i = 1; i < items.size(); i += 2) items[i].reset();
  items.clear();
  for (int i = 0; i < 300; ++i) items.push_back(std::make_unique<TMenuItem>());
  EXPECT_EQ(numbers(items), first);
}

TEST(MenuItemTree, PlatformMenuShowsTheItemStates) {
  TPopupMenu menu;
  auto* open = new TMenuItem(&menu);
  open->SetCaption(L"&Open");
  open->SetShortCut(TextToShortCut(L"Ctrl+O"));
  open->SetDefault(true);
  auto* hidden = new TMenuItem(&menu);
  hidden->SetVisible(false);
  auto* line = new TMenuItem(&menu);
  line->SetCaption(cLineCaption);
  auto* view = new TMenuItem(&menu);
  view->SetCaption(L"View");
  view->SetEnabled(false);
  view->SetChecked(true);
  view->SetRadioItem(true);
  view->Add(new TMenuItem(&menu));
  for (TMenuItem* item : {open, hidden, line, view}) menu.Items()->Add(item);

  HMENU built = menu.Items()->BuildMenu();
  ASSERT_EQ(GetMenuItemCount(built), 3) << "hidden items are left out";
  wchar_t text[64] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
  info.dwTypeData = text;
  info.cch = 64;
  GetMenuItemInfoW(built, 0, TRUE, &info);
  EXPECT_STREQ(text, L"&Open\tCtrl+O");
  EXPECT_EQ(info.wID, open->Command());
  EXPECT_TRUE(info.fState & MFS_DEFAULT);
  info.cch = 64;
  GetMenuItemInfoW(built, 1, TRUE, &info);
  EXPECT_TRUE(info.fType & MFT_SEPARATOR);
  info.cch = 64;
  GetMenuItemInfoW(built, 2, TRUE, &info);
  EXPECT_TRUE(info.fState & MFS_GRAYED);
  EXPECT_TRUE(info.fState & MFS_CHECKED);
  EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
  EXPECT_NE(info.hSubMenu, nullptr);
  DestroyMenu(built);
}

TEST(PopupMenus, ShortCutKeysRunTheirItem) {
  TPopupMenu menu;
  std::vector<String> clicked;
  auto add = [&](TMenuItem* parent, const String& caption, const wchar_t* shortCut) {
    auto* item = new TMenuItem(&menu);
    item->SetCaption(caption);
    item->SetShortCut(TextToShortCut(shortCut));
    item->OnClick = [&clicked](TObject* sender) { clicked.push_back(static_cast<TMenuItem*>(sender)->Caption()); };
    parent->Add(item);
    return item;
  };
  TMenuItem* file = add(menu.Items(), L"File", L"");
  add(file, L"Save", L"Alt+S");
  TMenuItem* print = add(file, L"Print", L"Alt+P");
  print->SetEnabled(false);

  const LPARAM altContext = 1 << 29;
  EXPECT_TRUE(menu.IsShortCut(TMessage{WM_SYSKEYDOWN, 'S', altContext, 0}));
  EXPECT_EQ(clicked, std::vector<String>{L"Save"});
  EXPECT_FALSE(menu.IsShortCut(TMessage{WM_KEYDOWN, 'S', 0, 0})) << "S alone is not Alt+S";
  EXPECT_FALSE(menu.IsShortCut(TMessage{WM_SYSKEYDOWN, 'P', altContext, 0})) << "disabled items do not run";
  EXPECT_EQ(clicked.size(), 1u);
}

TEST(PopupMenus, PopupComponentIsForgottenWhenFreed) {
  TPopupMenu menu;
  auto* shower = new TComponent();
  menu.SetPopupComponent(shower);
  EXPECT_EQ(menu.PopupComponent(), shower);
  delete shower;
  EXPECT_EQ(menu.PopupComponent(), nullptr);
}

// A control's pop-up menu and the menu's pop-up component are two reasons for one link: when the menu shows for
// another control, or the control takes another menu, the link still tells the other side that one goes.
TEST(PopupMenus, ControlAndMenuHearOfEachOthersEndWhateverTheOtherSideLetGo) {
  TPopupMenu other;
  auto* menu = new TPopupMenu();
  auto* shown = new TGraphicControl(nullptr);
  auto* next = new TGraphicControl(nullptr);
  shown->SetPopupMenu(menu);
  next->SetPopupMenu(menu);
  menu->SetPopupComponent(shown);
  menu->SetPopupComponent(next);
  delete menu;
  EXPECT_EQ(shown->PopupMenu(), nullptr) << "the menu went after it showed for another control";

  menu = new TPopupMenu();
  shown->SetPopupMenu(menu);
  menu->SetPopupComponent(shown);
  shown->SetPopupMenu(&other);
  delete shown;
  EXPECT_EQ(menu->PopupComponent(), nullptr) << "the control went after it took another menu";
  delete menu;
  delete next;
}

class PopupMenuTracking : public testing::Test {
 protected:
  void SetUp() override {
    SetForegroundWindow(window.Handle());
    SetFocus(window.Handle());
    menu.OnPopup = [this](TObject* sender) {
      EXPECT_EQ(sender, &menu);
      log.push_back(L"popup");
    };
    for (const wchar_t* caption : {L"&First", L"-", L"&Second"}) {
      auto* item = new TMenuItem(&menu);
      item->SetCaption(caption);
      item->OnClick = [this](TObject* sender) { log.push_back(static_cast<TMenuItem*>(sender)->Caption()); };
      menu.Items()->Add(item);
    }
  }
  TTestWindow window;
  TPopupMenu menu;
  std::vector<String> log;
};

TEST_F(PopupMenuTracking, ChosenItemIsClicked) {
  bool ended = RunModalWithInput(
      [] {
        PostInputFromLoop(
            [] {
              SendKeyPress(VK_DOWN);
              SendKeyPress(VK_DOWN);
              SendKeyPress(VK_RETURN);
            },
            100);
      },
      [this] { EXPECT_TRUE(menu.Popup(150, 120).Alive()); });
  EXPECT_TRUE(ended);
  EXPECT_EQ(log, (std::vector<String>{L"popup", L"&Second"})) << "the separator is skipped";
  EXPECT_EQ(menu.PopupPoint().x, 150);
  EXPECT_EQ(menu.PopupPoint().y, 120);
}

TEST_F(PopupMenuTracking, EscapeChoosesNothing) {
  bool ended = RunModalWithInput([] { PostInputFromLoop([] { SendKeyPress(VK_ESCAPE); }, 100); },
                                 [this] { EXPECT_TRUE(menu.Popup(150, 120).Alive()); });
  EXPECT_TRUE(ended);
  EXPECT_EQ(log, std::vector<String>{L"popup"});
}

}  // namespace

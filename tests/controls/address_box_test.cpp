#include "controls/address_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "controls/address_icons.h"
#include "controls/typed_urls.h"
#include "form_fixture.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "typed_url_values.h"

using namespace controls;

namespace {

struct TAutoCompleteRecord {
  HWND Edit;
  DWORD Flags;
};
std::vector<TAutoCompleteRecord>* autoCompleteCalls = nullptr;

void RecordAutoComplete(HWND edit, DWORD flags) {
  if (autoCompleteCalls) autoCompleteCalls->push_back({edit, flags});
}

std::vector<String> ItemsOf(TCustomComboBox* box) {
  std::vector<String> items;
  for (int i = 0; i < box->Items()->Count(); ++i) items.push_back(box->Items()->Strings(i));
  return items;
}

// An address box that notes every selection asked of its list.
class TSelectionRecordingBox : public TAddressBox {
  BC_CLASS(TSelectionRecordingBox, TAddressBox)
  using TAddressBox::TAddressBox;
  std::vector<int> Selections;
  void WndProc(TMessage& message) override {
    if (message.Msg == CB_SETCURSEL) Selections.push_back(static_cast<int>(message.WParam));
    TAddressBox::WndProc(message);
  }
};

// Records what the box reports.
struct TBoxEvents {
  std::vector<String> Selected;
  int Changes = 0;
  void UrlSelected(TObject*, String url) { Selected.push_back(url); }
  void Changed(TObject*) { ++Changes; }
};

// An address box on a shown form, with the registry history emptied and the auto-complete call recorded.
class AddressBox : public FormTest {
 protected:
  void SetUp() override {
    RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
    // What the page window's unit sets at start.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    IconTempDir = temp;
    IconShortcutFile = IconTempDir + L"$tmp$.url";
    autoCompleteCalls = &autoComplete_;
    previousAutoComplete_ = SetAutoCompleteCall(&RecordAutoComplete);
    FormTest::SetUp();
  }
  void TearDown() override {
    FormTest::TearDown();
    SetAutoCompleteCall(previousAutoComplete_);
    autoCompleteCalls = nullptr;
    RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
  }
  template <class Box = TAddressBox>
  Box* MakeBox() {
    auto* box = new Box(Form());
    box->OnUrlSelected = TOnUrlSelectedEvent(&events_, &TBoxEvents::UrlSelected);
    box->OnChange = TNotifyEvent(&events_, &TBoxEvents::Changed);
    EXPECT_TRUE(box->SetBounds(10, 10, 602, 22).Alive());
    EXPECT_TRUE(box->SetParent(Form()).Alive());
    box->HandleNeeded();
    return box;
  }
  void Fill(TAddressBox* box, const std::vector<String>& urls) {
    box->Items()->Clear();
    for (const String& url : urls) box->Items()->Add(url);
  }
  // A key pressed in the box's edit window.
  static void Press(TAddressBox* box, WORD key) { SendMessageW(box->EditHandle(), WM_KEYDOWN, key, 1); }
  static void PressWithAlt(TAddressBox* box, WORD key) {
    SendMessageW(box->EditHandle(), WM_SYSKEYDOWN, key, 1 | (1 << 29));
  }
  // The edit window's selection as (start, end).
  static std::pair<int, int> EditSelection(TAddressBox* box) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(box->EditHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
  }
  static void SelectAllText(TAddressBox* box) { SendMessageW(box->EditHandle(), EM_SETSEL, 0, -1); }
  static std::pair<int, int> WholeText(TAddressBox* box) { return {0, static_cast<int>(box->Text().size())}; }

  TBoxEvents events_;
  std::vector<TAutoCompleteRecord> autoComplete_;

 private:
  TAutoCompleteCall previousAutoComplete_ = nullptr;
};

}  // namespace

TEST_F(AddressBox, WindowCreationLoadsTheHistory) {
  SetTypedValue(L"Url1", L"a");
  SetTypedValue(L"Url2", L"");
  SetTypedValue(L"Url3", L"b");
  SetTypedValue(L"Url26", L"z");
  TAddressBox* box = MakeBox();
  EXPECT_EQ(ItemsOf(box), (std::vector<String>{L"a", L"b"}));
  EXPECT_EQ(box->Text(), L"a");
  EXPECT_GE(events_.Changes, 1);
  // Edit window placed right of the icon; the style carries owner-drawn items.
  RECT edit;
  GetWindowRect(box->EditHandle(), &edit);
  MapWindowPoints(nullptr, box->Handle(), reinterpret_cast<POINT*>(&edit), 2);
  EXPECT_EQ(edit.left, 23);
  EXPECT_EQ(edit.right - edit.left, box->Width() - 46);
  EXPECT_TRUE(GetWindowLongW(box->Handle(), GWL_STYLE) & CBS_OWNERDRAWVARIABLE);
}

TEST_F(AddressBox, SettingTheSameTextStillReportsAChange) {
  TAddressBox* box = MakeBox();
  EXPECT_TRUE(box->SetText(L"http://same.example/").Alive());
  events_.Changes = 0;
  EXPECT_TRUE(box->SetText(L"http://same.example/").Alive());
  EXPECT_EQ(events_.Changes, 1);
  EXPECT_TRUE(box->SetURL(L"http://other.example/").Alive());
  EXPECT_EQ(box->URL(), L"http://other.example/");
  EXPECT_EQ(box->Text(), L"http://other.example/");
}

TEST_F(AddressBox, EnterMovesTheAddressToTheTopAndReportsIt) {
  TAddressBox* box = MakeBox();
  box->SetClickToSelectURL(false);
  box->SetRegistryUpdate(true);
  Fill(box, NumberedAddresses(25));
  EXPECT_TRUE(box->SetText(L"http://site7.example/").Alive());
  Press(box, VK_RETURN);
  ASSERT_EQ(events_.Selected.size(), 1u) << "Enter reports whatever ClickToSelectURL says";
  EXPECT_EQ(events_.Selected[0], L"http://site7.example/");
  EXPECT_EQ(box->Items()->Count(), 25) << "an address already there moves, it is not copied";
  EXPECT_EQ(box->Items()->Strings(0), L"http://site7.example/");
  EXPECT_EQ(box->Items()->Strings(7), L"http://site8.example/");

  EXPECT_TRUE(box->SetText(L"http://new.example/").Alive());
  Press(box, VK_RETURN);
  EXPECT_EQ(box->Items()->Count(), 26) << "the list itself is not cut";
  EXPECT_EQ(box->Items()->Strings(0), L"http://new.example/");
  std::vector<String> stored = ReadTypedURLs();
  ASSERT_EQ(stored.size(), 25u) << "saving writes 25";
  EXPECT_EQ(stored[0], L"http://new.example/");
  EXPECT_EQ(stored[1], L"http://site7.example/");
}

TEST_F(AddressBox, DownOpensTheListAndWalksNoFurtherThanIndex24) {
  TAddressBox* box = MakeBox();
  Fill(box, NumberedAddresses(30));
  Press(box, VK_DOWN);
  ASSERT_TRUE(box->DroppedDown());
  for (int i = 0; i < 40; ++i) Press(box, VK_DOWN);
  EXPECT_EQ(box->ItemIndex(), 24);
  Press(box, VK_UP);
  EXPECT_EQ(box->ItemIndex(), 23);
  Press(box, VK_ESCAPE);
  EXPECT_FALSE(box->DroppedDown());
  EXPECT_TRUE(events_.Selected.empty());
}

TEST_F(AddressBox, DownStopsAtTheLastItemOfAShortList) {
  auto* box = MakeBox<TSelectionRecordingBox>();
  Fill(box, NumberedAddresses(5));
  Press(box, VK_DOWN);
  for (int i = 0; i < 8; ++i) Press(box, VK_DOWN);
  EXPECT_EQ(box->ItemIndex(), 4);
  EXPECT_EQ(box->Text(), L"http://site5.example/");
  ASSERT_FALSE(box->Selections.empty());
  // Some systems drop the selection and empty the edit for an index past the end; none is asked for.
  EXPECT_LT(*std::max_element(box->Selections.begin(), box->Selections.end()), 5);
}

// The system's combo box would walk its selection with Up and Down in the closed box; the box takes those keys.
TEST_F(AddressBox, ArrowKeysAndEscapeTakenOverByTheBox) {
  TAddressBox* box = MakeBox();
  Fill(box, NumberedAddresses(5));
  box->SetItemIndex(2);
  Press(box, VK_UP);
  EXPECT_EQ(box->ItemIndex(), 2) << "Up in the closed list does nothing";
  EXPECT_FALSE(box->DroppedDown());

  SelectAllText(box);
  Press(box, VK_DOWN);
  EXPECT_TRUE(box->DroppedDown());
  EXPECT_EQ(box->ItemIndex(), 2) << "Down in the closed list only opens it";
  EXPECT_EQ(EditSelection(box).first, EditSelection(box).second) << "and removes the edit selection";

  PressWithAlt(box, VK_UP);
  EXPECT_FALSE(box->DroppedDown());
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_EQ(EditSelection(box), WholeText(box));

  for (bool escape : {false, true}) {
    Press(box, VK_DOWN);
    ASSERT_TRUE(box->DroppedDown());
    SendMessageW(box->EditHandle(), EM_SETSEL, 1, 1);
    if (escape)
      Press(box, VK_ESCAPE);
    else
      PressWithAlt(box, VK_DOWN);
    EXPECT_FALSE(box->DroppedDown()) << "escape " << escape;
    EXPECT_EQ(EditSelection(box), WholeText(box)) << "escape " << escape;
  }
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_TRUE(events_.Selected.empty());
}

TEST_F(AddressBox, TypingClosesTheListAndReportsTheChange) {
  TAddressBox* box = MakeBox();
  Fill(box, NumberedAddresses(3));
  Press(box, VK_DOWN);
  ASSERT_TRUE(box->DroppedDown());
  events_.Changes = 0;
  SendMessageW(box->EditHandle(), WM_CHAR, L'x', 1);
  EXPECT_FALSE(box->DroppedDown());
  EXPECT_EQ(events_.Changes, 1);
  EXPECT_TRUE(events_.Selected.empty());
}

TEST_F(AddressBox, EnterInTheOpenListTakesTheSelectedItem) {
  TAddressBox* box = MakeBox();
  Fill(box, NumberedAddresses(5));
  Press(box, VK_DOWN);  // opens the list
  Press(box, VK_DOWN);
  Press(box, VK_DOWN);
  ASSERT_EQ(box->ItemIndex(), 1);
  Press(box, VK_RETURN);
  EXPECT_FALSE(box->DroppedDown());
  ASSERT_EQ(events_.Selected.size(), 1u);
  EXPECT_EQ(events_.Selected[0], L"http://site2.example/");
  EXPECT_EQ(box->Items()->Strings(0), L"http://site2.example/");
  EXPECT_EQ(box->Items()->Strings(1), L"http://site1.example/");
  EXPECT_EQ(box->Items()->Count(), 5);
  EXPECT_EQ(box->URL(), L"http://site2.example/");
  EXPECT_EQ(box->ItemIndex(), 0);
}

TEST_F(AddressBox, EnterInTheOpenListWithNothingSelectedEntersTheTypedText) {
  TAddressBox* box = MakeBox();
  Fill(box, NumberedAddresses(3));
  EXPECT_TRUE(box->SetText(L"typed.example").Alive());
  SendMessageW(box->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageW(box->Handle(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SetWindowTextW(box->EditHandle(), L"typed.example");
  ASSERT_TRUE(box->DroppedDown());
  ASSERT_EQ(box->ItemIndex(), -1);
  Press(box, VK_RETURN);
  EXPECT_FALSE(box->DroppedDown());
  ASSERT_EQ(events_.Selected.size(), 1u);
  EXPECT_EQ(events_.Selected[0], L"typed.example");
  EXPECT_EQ(ItemsOf(box), (std::vector<String>{L"typed.example", L"http://site1.example/", L"http://site2.example/",
                                               L"http://site3.example/"}));
}

TEST_F(AddressBox, ChosenItemsAreReportedOnlyWhenClickedInTheList) {
  TAddressBox* box = MakeBox();
  Fill(box, NumberedAddresses(5));
  SendMessageW(box->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
  RECT list;
  SendMessageW(box->Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&list));
  auto choose = [&](int index) {
    SendMessageW(box->Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(Form()->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box->Handle()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box->Handle()));
  };
  SetCursorPos(list.right + 50, list.bottom + 50);
  box->SetRegistryUpdate(true);
  choose(3);
  EXPECT_TRUE(events_.Selected.empty()) << "a keyboard selection only selects the edit text";
  EXPECT_EQ(box->Items()->Strings(0), L"http://site1.example/");
  EXPECT_TRUE(ReadTypedURLs().empty()) << "nor is anything saved";

  SetCursorPos((list.left + list.right) / 2, list.bottom - 3);
  choose(3);
  ASSERT_EQ(events_.Selected.size(), 1u);
  EXPECT_EQ(events_.Selected[0], L"http://site4.example/");
  EXPECT_EQ(box->Items()->Strings(0), L"http://site4.example/");
  EXPECT_EQ(box->ItemIndex(), 0);
  const std::vector<String> saved = ReadTypedURLs();
  ASSERT_FALSE(saved.empty()) << "the chosen list is saved";
  EXPECT_EQ(saved.front(), L"http://site4.example/");

  box->SetRegistryUpdate(false);
  box->SetClickToSelectURL(false);
  choose(2);
  EXPECT_EQ(events_.Selected.size(), 1u);
  EXPECT_EQ(box->Items()->Strings(0), L"http://site2.example/") << "still promoted";
  EXPECT_EQ(ReadTypedURLs(), saved) << "without RegistryUpdate nothing is saved";
}

TEST_F(AddressBox, AutoCompleteFlags) {
  auto* box = new TAddressBox(Form());
  box->SetFileOptions(TFileOptions{TFileOption::UrlHistory, TFileOption::UrlMRU});
  EXPECT_TRUE(box->SetParent(Form()).Alive());
  box->HandleNeeded();
  ASSERT_EQ(autoComplete_.size(), 1u);
  EXPECT_EQ(autoComplete_[0].Edit, box->EditHandle());
  EXPECT_EQ(autoComplete_[0].Flags, 0x6u);

  box->SetFileOptions(TFileOptions{TFileOption::FileSystem});
  box->SetAutoSuggest(TAutoSuggest::asForceOn);
  box->SetAutoCompleteEx(TAutoComplete::acForceOff);
  EXPECT_EQ(box->AutoCompleteFlags(), 0x90000001u);
  box->SetAutoSuggest(TAutoSuggest::asForceOff);
  box->SetAutoCompleteEx(TAutoComplete::acForceOn);
  box->SetFileOptions(TFileOptions{});
  EXPECT_EQ(box->AutoCompleteFlags(), 0x60000000u);
  box->RecreateWnd();
  box->HandleNeeded();
  ASSERT_EQ(autoComplete_.size(), 2u);
  EXPECT_EQ(autoComplete_[1].Flags, 0x60000000u);
}

// The box freed by its handlers while the real keyboard and mouse choose an address, made under guarded
// allocations: nothing touches the freed box, and the key that freed it goes no further.
TEST_F(AddressBox, FreedByItsHandlersWhileAnAddressIsChosen) {
  enum class THandler { UrlSelected, Change, KeyDown, DropDown };
  const struct {
    const char* Name;
    std::vector<WORD> Keys;
    bool ClickSecondItem;  // after the keys, in the open list
    THandler Frees;
  } cases[] = {
      {"OnUrlSelected on Enter with the list closed", {VK_RETURN}, false, THandler::UrlSelected},
      {"OnUrlSelected on Enter in the open list", {VK_DOWN, VK_DOWN, VK_RETURN}, false, THandler::UrlSelected},
      {"OnUrlSelected on a click in the open list", {VK_DOWN}, true, THandler::UrlSelected},
      {"OnChange on Enter", {VK_RETURN}, false, THandler::Change},
      {"OnChange on a character typed", {'X'}, false, THandler::Change},
      {"OnKeyDown", {VK_DOWN}, false, THandler::KeyDown},
      {"OnDropDown on F4", {VK_F4}, false, THandler::DropDown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    TAddressBox* box = MakeBox();
    Fill(box, NumberedAddresses(5));
    EXPECT_TRUE(box->SetText(L"http://typed.example/").Alive());
    auto freeBox = [&box] { delete std::exchange(box, nullptr); };
    switch (c.Frees) {
      case THandler::UrlSelected:
        box->OnUrlSelected = [&freeBox](TObject*, String) { freeBox(); };
        break;
      case THandler::Change:
        box->OnChange = [&freeBox](TObject*) { freeBox(); };
        break;
      case THandler::KeyDown:
        box->OnKeyDown = [&freeBox](TObject*, WORD&, TShiftState) { freeBox(); };
        break;
      case THandler::DropDown:
        box->OnDropDown = [&freeBox](TObject*) { freeBox(); };
        break;
    }
    SetForegroundWindow(Form()->Handle());
    EXPECT_TRUE(box->SetFocus().Alive());
    ProcessQueued();
    ASSERT_EQ(GetFocus(), box->EditHandle());
    for (WORD key : c.Keys) {
      SendKeyPress(key);
      ProcessPendingMessages();
    }
    if (c.ClickSecondItem) {
      ASSERT_TRUE(box && box->DroppedDown());
      RECT list{};
      SendMessageW(box->Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&list));
      SendMouseClick(POINT{list.left + 40, list.top + box->ItemHeight() * 3 / 2});
    }
    EXPECT_TRUE(PumpUntil([&box] { return box == nullptr; }, 3000));
    ProcessPendingMessages();
    delete box;
  }
}

#include "framework/combo_box.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "form_fixture.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"

namespace {

// A combo box that records what it is asked to draw and measure, and turns keys into others.
class TRecordingCombo : public TCustomComboBox {
  BC_CLASS(TRecordingCombo, TCustomComboBox)
  explicit TRecordingCombo(TComponent* owner) : TCustomComboBox(owner) {}

  struct TDrawn {
    int Index;
    TOwnerDrawState State;
    TColor Brush;
    TColor FontColor;
  };
  std::vector<TDrawn> Drawn;
  std::vector<int> Measured;
  // Keys the KeyDown handler replaces: from -> to (0 swallows).
  std::vector<std::pair<WORD, WORD>> KeyMap;
  int Clicks = 0;
  int Changes = 0;

  TRaised Click() override {
    ++Clicks;
    return TCustomComboBox::Click();
  }

 protected:
  TRaised Change() override {
    ++Changes;
    return TCustomComboBox::Change();
  }
  TRaised KeyDown(WORD& key, TShiftState shift) override {
    if (TCustomComboBox::KeyDown(key, shift).Gone()) return TRaised(false);
    for (const auto& [from, to] : KeyMap)
      if (key == from) {
        key = to;
        break;
      }
    return TRaised(true);
  }
  TRaised DrawItem(int index, const RECT& rect, TOwnerDrawState state) override {
    Drawn.push_back({index, state, Canvas()->Brush()->Color(), Canvas()->Font()->Color()});
    return TCustomComboBox::DrawItem(index, rect, state);
  }
  TRaised MeasureItem(int index, int& height) override {
    Measured.push_back(index);
    height = 20 + index;
    return TRaised(true);
  }
};

// A control that takes the form's menu events, as a menu bar does, and records the keys of the keyboard menu
// commands it is offered.
class TMenuEventsRecorder : public TCustomControl {
  BC_CLASS(TMenuEventsRecorder, TCustomControl)
  explicit TMenuEventsRecorder(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyleItem::csMenuEvents);
  }

  std::vector<wchar_t> Keys;

  void Dispatch(TMessage& message) override {
    if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_KEYMENU)
      Keys.push_back(static_cast<wchar_t>(message.LParam));
    TCustomControl::Dispatch(message);
  }
};

std::vector<String> WindowItems(HWND wnd) {
  std::vector<String> items;
  const int count = static_cast<int>(SendMessageW(wnd, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(wnd, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

using ComboBox = FormTest;

}  // namespace

TEST_F(ComboBox, ItemsLiveInTheControlAndFillEachNewWindow) {
  auto* combo = new TRecordingCombo(Form());
  combo->Items()->Add(L"one");
  combo->Items()->Add(L"two");
  combo->SetItemIndex(1);
  EXPECT_TRUE(combo->SetParent(Form()).Alive());
  EXPECT_EQ(WindowItems(combo->Handle()), (std::vector<String>{L"one", L"two"}));
  EXPECT_EQ(combo->ItemIndex(), 1);
  combo->Items()->Insert(0, L"zero");
  combo->Items()->Delete(2);
  EXPECT_EQ(WindowItems(combo->Handle()), (std::vector<String>{L"zero", L"one"}));
  combo->SetItemIndex(0);
  combo->RecreateWnd();
  combo->HandleNeeded();
  EXPECT_EQ(WindowItems(combo->Handle()), (std::vector<String>{L"zero", L"one"}));
  EXPECT_EQ(combo->ItemIndex(), 0);
  combo->SetSorted(true);
  combo->Items()->Add(L"abc");
  EXPECT_EQ(WindowItems(combo->Handle()), (std::vector<String>{L"abc", L"one", L"zero"}));
  combo->Items()->Clear();
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_TRUE(WindowItems(combo->Handle()).empty());
}

TEST_F(ComboBox, NotificationsBecomeClickAndChange) {
  auto* combo = Make<TRecordingCombo>({10, 10, 200, 31});
  combo->Items()->Add(L"first");
  combo->Items()->Add(L"second");
  HWND wnd = combo->Handle();
  SendMessageW(wnd, CB_SETCURSEL, 1, 0);
  SendMessageW(Form()->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(wnd));
  EXPECT_EQ(combo->Clicks, 1);
  EXPECT_EQ(combo->Text(), L"second") << "the chosen text is there when Click runs";
  const int changes = combo->Changes;
  SendMessageW(combo->EditHandle(), WM_CHAR, L'x', 1);
  EXPECT_EQ(combo->Changes, changes + 1);
  EXPECT_EQ(combo->Clicks, 1);
}

TEST_F(ComboBox, EditKeysRunKeyDownAndTheChangedKeyGoesOn) {
  auto* combo = Make<TRecordingCombo>({10, 10, 200, 31});
  EXPECT_TRUE(combo->SetText(L"abcdef").Alive());
  HWND edit = combo->EditHandle();
  ASSERT_NE(edit, nullptr);
  SendMessageW(edit, EM_SETSEL, 0, 0);
  combo->KeyMap = {{VK_HOME, VK_END}, {VK_DELETE, 0}};
  SendMessageW(edit, WM_KEYDOWN, VK_HOME, 1);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 6u) << "Home became End";
  SendMessageW(edit, EM_SETSEL, 0, 0);
  SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(combo->Text(), L"abcdef") << "a key set to 0 never reaches the edit";
  combo->KeyMap.clear();
  SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(combo->Text(), L"bcdef");
}

TEST_F(ComboBox, AltAndALetterTypedInTheEditReachTheFormsMenuBar) {
  auto* menuBar = Make<TMenuEventsRecorder>({0, 0, 200, 8});
  auto* combo = Make<TRecordingCombo>({10, 10, 200, 31});
  SetForegroundWindow(Form()->Handle());
  EXPECT_TRUE(combo->SetFocus().Alive());
  ProcessQueued();
  ASSERT_EQ(GetFocus(), combo->EditHandle());
  SendKeyPress(L'H', false, false, true);
  ASSERT_TRUE(PumpUntil([menuBar] { return !menuBar->Keys.empty(); }, 3000));
  EXPECT_EQ(menuBar->Keys.front(), L'h');
  EXPECT_EQ(GetFocus(), combo->EditHandle());
}

TEST_F(ComboBox, OwnerDrawnItemsAreMeasuredAndDrawnWithTheSelectionColours) {
  auto* combo = new TRecordingCombo(Form());
  combo->SetStyle(TComboBoxStyle::csOwnerDrawVariable);
  EXPECT_TRUE(combo->SetBounds(10, 10, 200, 24).Alive());
  EXPECT_TRUE(combo->SetParent(Form()).Alive());
  combo->Items()->Add(L"first");
  combo->Items()->Add(L"second");
  HWND wnd = combo->Handle();
  EXPECT_EQ(combo->Measured, (std::vector<int>{0, 1}));
  EXPECT_EQ(SendMessageW(wnd, CB_GETITEMHEIGHT, 1, 0), 21);
  SendMessageW(wnd, CB_SETCURSEL, 1, 0);
  combo->SetDroppedDown(true);
  UpdateWindow(wnd);
  ProcessQueued();
  combo->SetDroppedDown(false);
  bool sawSelected = false;
  bool sawPlain = false;
  for (const auto& drawn : combo->Drawn) {
    if (drawn.Index < 0) continue;
    if (drawn.State.Contains(TOwnerDrawStateItem::odSelected)) {
      sawSelected = true;
      EXPECT_EQ(drawn.Brush, clHighlight);
      EXPECT_EQ(drawn.FontColor, clHighlightText);
    } else {
      sawPlain = true;
      EXPECT_EQ(drawn.Brush, combo->Color());
    }
  }
  EXPECT_TRUE(sawSelected);
  EXPECT_TRUE(sawPlain);
  EXPECT_EQ(combo->Canvas()->Brush()->Color(), combo->Color()) << "the selection colours stay in the list";
  EXPECT_EQ(combo->Canvas()->Font()->Color(), combo->Font()->Color());
}

TEST_F(ComboBox, DropDownCountSetsTheRowsTheListShows) {
  auto* combo = Make<TRecordingCombo>({10, 10, 200, 31});
  for (int i = 0; i < 12; ++i) combo->Items()->Add(L"item " + std::to_wstring(i));
  const int itemHeight = combo->ItemHeight();
  auto droppedRows = [&](int count) {
    combo->SetDropDownCount(count);
    combo->SetDroppedDown(true);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(combo->Handle(), &info);
    RECT client{};
    GetClientRect(info.hwndList, &client);
    combo->SetDroppedDown(false);
    return (client.bottom - client.top) / itemHeight;
  };
  EXPECT_EQ(droppedRows(3), 3);
  EXPECT_EQ(droppedRows(8), 8);
  EXPECT_EQ(droppedRows(20), 12) << "never more rows than items";
}

TEST_F(ComboBox, TypingCompletesFromTheItemsAndMayDropTheList) {
  auto* combo = Make<TRecordingCombo>({10, 10, 200, 31});
  for (const wchar_t* item : {L"apple", L"Banana", L"band"}) combo->Items()->Add(item);
  HWND edit = combo->EditHandle();
  auto type = [&](const wchar_t* keys) {
    for (const wchar_t* key = keys; *key; ++key) SendMessageW(edit, WM_CHAR, *key, 1);
  };
  auto selection = [&] {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return std::pair<DWORD, DWORD>(start, end);
  };
  EXPECT_TRUE(combo->AutoComplete());
  EXPECT_FALSE(combo->AutoDropDown());
  type(L"ba");
  EXPECT_EQ(combo->Text(), L"banana") << "what was typed keeps its case, the rest comes from the first item";
  EXPECT_EQ(selection(), (std::pair<DWORD, DWORD>(2, 6)));
  type(L"nd");
  EXPECT_EQ(combo->Text(), L"band") << "the next character replaces the completion";
  type(L"\b");
  EXPECT_EQ(combo->Text(), L"ban") << "Backspace only edits";
  EXPECT_FALSE(combo->DroppedDown());

  EXPECT_TRUE(combo->SetText(L"").Alive());
  combo->SetAutoComplete(false);
  combo->SetAutoDropDown(true);
  type(L"a");
  EXPECT_EQ(combo->Text(), L"a");
  EXPECT_TRUE(combo->DroppedDown());
  combo->SetDroppedDown(false);
}

// F4 drops the list down; a handler of OnDropDown that frees the box, or the form it stands on ("the last tab
// closed closes the window"), leaves nothing of either touched. Made under guarded allocations.
TEST(ComboBoxFreed, ByItsDropDownHandlerOnF4) {
  for (const bool freesForm : {false, true}) {
    SCOPED_TRACE(freesForm ? "the form freed" : "the box freed");
    TGuardedAllocations guard;
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form->SetBounds(40, 40, 300, 120).Alive());
    EXPECT_TRUE(form->Show().Alive());
    auto* box = new TRecordingCombo(form);
    EXPECT_TRUE(box->SetBounds(10, 10, 200, 22).Alive());
    EXPECT_TRUE(box->SetParent(form).Alive());
    for (const wchar_t* item : {L"one", L"two", L"three"}) box->Items()->Add(item);
    box->OnDropDown = [&](TObject*) {
      if (freesForm)
        delete std::exchange(form, nullptr);
      else
        delete box;
      box = nullptr;
    };
    SetForegroundWindow(form->Handle());
    EXPECT_TRUE(box->SetFocus().Alive());
    ProcessPendingMessages();
    SendKeyPress(VK_F4);
    EXPECT_TRUE(PumpUntil([&box] { return box == nullptr; }, 3000));
    ProcessPendingMessages();
    delete form;
  }
}

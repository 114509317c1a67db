#include "toolbars/edit/edit_item.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bar_host.h"
#include "support/test_environment.h"
#include "support/test_window.h"
#include "toolbars/edit/edit_item_viewer.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/views/view.h"

using namespace toolbars;

namespace {

// Types into the edit control as soon as it appears: the messages wait in the queue for the edit loop.
struct TTypist : TObject {
  std::wstring Keys;
  int BeginCount = 0;
  TEdit* SeenControl = nullptr;
  void Begin(TBarEditItem*, TBarEditItemViewer*, TEdit* edit) {
    ++BeginCount;
    SeenControl = edit;
    for (wchar_t c : Keys) PostMessageW(edit->Handle(), WM_CHAR, c, 0);
  }
};

struct TAcceptor : TObject {
  bool Refuse = false;
  int Calls = 0;
  String Offered;
  void Accept(TObject*, String& newText, bool& accept) {
    ++Calls;
    Offered = newText;
    if (Refuse) accept = false;
  }
};

class EditItemTest : public TEnvironmentTest {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TTestWindow>(RECT{100, 100, 500, 300});
    SetForegroundWindow(frame_->Handle());
    SetActiveWindow(frame_->Handle());
    root_ = new TBarRootItem(&owner_);
    before_ = new TBarCustomItem(&owner_);
    before_->SetCaption(L"Before");
    root_->Add(before_);
    item_ = new TBarEditItem(&owner_);
    item_->SetText(L"old");
    root_->Add(item_);
    after_ = new TBarCustomItem(&owner_);
    after_->SetCaption(L"After");
    root_->Add(after_);
    item_->OnBeginEdit = TBarBeginEditEvent(&typist_, &TTypist::Begin);
    item_->OnAcceptText = TBarAcceptTextEvent(&acceptor_, &TAcceptor::Accept);
  }
  void TearDown() override { CaptureWnd = nullptr; }

  void MakeBar(bool isToolbar) {
    bar_ = new bar_host::TBarHostWindow(&owner_, frame_->Handle(), RECT{0, 0, 400, 200}, root_, isToolbar);
  }
  TBarItemViewer* Viewer() { return bar_->View()->Find(item_); }
  // Starts editing with Enter, as the tracking loop passes it on, and types keys.
  TBarTrackingState Edit(const std::wstring& keys) {
    typist_.Keys = keys;
    TBarTrackingState state;
    state.RootView = bar_->View();
    WORD key = VK_RETURN;
    EXPECT_TRUE(Viewer()->KeyDown(key, TShiftState{}, state).Alive());
    EXPECT_EQ(key, 0);
    return state;
  }

  TComponent owner_{nullptr};
  std::unique_ptr<TTestWindow> frame_;
  TBarRootItem* root_ = nullptr;
  TBarCustomItem* before_ = nullptr;
  TBarEditItem* item_ = nullptr;
  TBarCustomItem* after_ = nullptr;
  bar_host::TBarHostWindow* bar_ = nullptr;
  TTypist typist_;
  TAcceptor acceptor_;
};

TEST_F(EditItemTest, KeysThatEndEditingDecideTextAndMenu) {
  const struct {
    const wchar_t* Keys;
    bool Refuse;
    TEditCharCase CharCase;
    const wchar_t* Text;
    bool Done;
    uint8_t EndState;
    int AcceptCalls;
  } cases[] = {
      {L"abc\r", false, TEditCharCase::ecNormal, L"abc", true, esAcceptedMoveOn | esCloseMenu, 1},
      {L"abc\t", false, TEditCharCase::ecNormal, L"abc", false, esAcceptedMoveOn, 1},
      {L"abc\x1b", false, TEditCharCase::ecNormal, L"old", false, 0, 0},
      {L"abc\r", true, TEditCharCase::ecNormal, L"old", true, esAcceptedMoveOn | esCloseMenu, 1},
      {L"abc\r", false, TEditCharCase::ecUpperCase, L"ABC", true, esAcceptedMoveOn | esCloseMenu, 1},
  };
  MakeBar(false);
  for (const auto& c : cases) {
    item_->SetCharCase(TEditCharCase::ecNormal);
    item_->SetText(L"old");
    item_->SetCharCase(c.CharCase);
    acceptor_ = TAcceptor{};
    acceptor_.Refuse = c.Refuse;
    const TBarTrackingState state = Edit(c.Keys);
    SCOPED_TRACE(std::wstring(c.Keys));
    EXPECT_GT(typist_.BeginCount, 0);
    EXPECT_EQ(item_->Text(), c.Text);
    EXPECT_EQ(state.Done, c.Done);
    auto* viewer = static_cast<TBarEditItemViewer*>(Viewer());
    EXPECT_EQ(viewer->EndState(), c.EndState);
    EXPECT_EQ(viewer->EditControl(), nullptr);
    EXPECT_EQ(acceptor_.Calls, c.AcceptCalls);
    // No character of the session is left for the menu.
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE));
  }
}

TEST_F(EditItemTest, EditControlStartsWithTheItemsTextAllSelected) {
  item_->SetMaxLength(5);
  MakeBar(true);
  struct TProbe : TObject {
    String Text;
    DWORD SelStart = 1;
    DWORD SelEnd = 0;
    LRESULT Limit = 0;
    RECT Rect{};
    void Begin(TBarEditItem*, TBarEditItemViewer*, TEdit* edit) {
      Text = edit->Text();
      SendMessageW(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&SelStart), reinterpret_cast<LPARAM>(&SelEnd));
      Limit = SendMessageW(edit->Handle(), EM_GETLIMITTEXT, 0, 0);
      Rect = edit->BoundsRect();
      PostMessageW(edit->Handle(), WM_CHAR, VK_ESCAPE, 0);
    }
  } probe;
  item_->OnBeginEdit = TBarBeginEditEvent(&probe, &TProbe::Begin);
  Edit(L"");
  EXPECT_EQ(probe.Text, L"old");
  EXPECT_EQ(probe.SelStart, 0u);
  EXPECT_EQ(probe.SelEnd, 3u);
  EXPECT_EQ(probe.Limit, 5);
  RECT expected = Viewer()->BoundsRect();
  InflateRect(&expected, -3, -3);
  EXPECT_TRUE(EqualRect(&probe.Rect, &expected));
}

TEST_F(EditItemTest, TabMovesTheSelectionWhileTheMenuKeepsTheCapture) {
  MakeBar(false);
  CaptureWnd = bar_->Handle();
  SetCapture(CaptureWnd);
  EXPECT_TRUE(bar_->View()->SetSelected(Viewer()).Alive());
  Edit(L"x\t");
  EXPECT_EQ(bar_->View()->Selected(), bar_->View()->Find(after_));
  ReleaseCapture();
}

TEST_F(EditItemTest, QuitRequestEndsEditingAndStaysQueued) {
  MakeBar(false);
  struct TQuitter : TObject {
    void Begin(TBarEditItem*, TBarEditItemViewer*, TEdit* edit) {
      PostMessageW(edit->Handle(), WM_CHAR, L'z', 0);
      PostQuitMessage(7);
    }
  } quitter;
  item_->OnBeginEdit = TBarBeginEditEvent(&quitter, &TQuitter::Begin);
  Edit(L"");
  EXPECT_EQ(item_->Text(), L"old");
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(EditItemTest, DisabledItemDoesNotEdit) {
  item_->SetEnabled(false);
  MakeBar(true);
  const TBarTrackingState state = Edit(L"abc\r");
  EXPECT_EQ(typist_.BeginCount, 0);
  EXPECT_EQ(item_->Text(), L"old");
  // On the bar that runs the loop the loop ends.
  EXPECT_TRUE(state.Done);
}

TEST_F(EditItemTest, MenuSizeMakesRoomForTheLabel) {
  MakeBar(false);
  const RECT plain = Viewer()->BoundsRect();
  item_->SetEditCaption(L"&Find:");
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  const RECT labelled = Viewer()->BoundsRect();
  EXPECT_GT(labelled.right - labelled.left, plain.right - plain.left);
  const RECT box = static_cast<TBarEditItemViewer*>(Viewer())->GetEditControlRect();
  EXPECT_GT(box.left, labelled.left + 10);
  EXPECT_EQ(Viewer()->CaptionText(), L"&Find:");
}

TEST_F(EditItemTest, VerticalBarShowsAButtonUnlessTheOptionAsksForTheBox) {
  MakeBar(true);
  bar_->View()->SetOrientation(TBarViewOrientation::tbvoVertical);
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  EXPECT_EQ(ObjectAs<TBarEditItemViewer>(Viewer()), nullptr);
  item_->SetEditOptions(TBarEditItemOptions{TBarEditItemOption::tboUseEditWhenVertical});
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  EXPECT_NE(ObjectAs<TBarEditItemViewer>(Viewer()), nullptr);
}

TEST_F(EditItemTest, ActionCarriesItsEditPropertiesToLinkedItems) {
  TBarEditAction action(&owner_);
  EXPECT_EQ(action.EditWidth(), 64);
  action.SetEditCaption(L"Go to:");
  action.SetText(L"start");
  TAcceptor actionAcceptor;
  action.SetOnAcceptText(TBarAcceptTextEvent(&actionAcceptor, &TAcceptor::Accept));
  auto* linked = new TBarEditItem(&owner_);
  linked->SetAction(&action);
  EXPECT_EQ(linked->EditCaption(), L"Go to:");
  EXPECT_EQ(linked->Text(), L"start");
  EXPECT_TRUE(linked->OnAcceptText == action.OnAcceptText());
  // A property the item changed itself is no longer linked; the others follow the action's pushes.
  linked->SetEditCaption(L"Mine");
  auto* link = ObjectAs<TBarEditItemActionLink>(linked->ActionLink());
  ASSERT_NE(link, nullptr);
  EXPECT_FALSE(link->IsEditCaptionLinked());
  EXPECT_TRUE(link->IsTextLinked());
  action.SetText(L"next");
  EXPECT_EQ(linked->Text(), L"next");
  action.SetEditWidth(90);
  EXPECT_EQ(linked->EditWidth(), 90);
  // The width is pushed only while it is linked; a change of the action does not copy it.
  linked->SetEditWidth(70);
  action.SetEditWidth(120);
  EXPECT_EQ(linked->EditWidth(), 70);
}

TEST(EditItemText, CharCaseConvertsTheStoredText) {
  TComponent owner(nullptr);
  auto* item = new TBarEditItem(&owner);
  item->SetText(L"Mixed \u00C4");
  item->SetCharCase(TEditCharCase::ecLowerCase);
  EXPECT_EQ(item->Text(), L"mixed \u00E4");
  item->SetCharCase(TEditCharCase::ecUpperCase);
  EXPECT_EQ(item->Text(), L"MIXED \u00C4");
  item->SetText(L"abc");
  EXPECT_EQ(item->Text(), L"ABC");
}

}  // namespace

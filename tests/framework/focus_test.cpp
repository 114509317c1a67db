#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "control_fixtures.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"

namespace {

// Logs "enter X" and "exit X" as the controls hear CM_ENTER and CM_EXIT.
class FocusTest : public ControlTest {
 protected:
  TTestPanel* Focusable(TWinControl* parent, const wchar_t* name, RECT bounds) {
    auto* panel = Make<TTestPanel>(parent, bounds);
    panel->SetName(name);
    panel->SetTabStop(true);
    panel->OnEnter = [this, panel](TObject*) { log_ += L"enter " + panel->Name() + L";"; };
    panel->OnExit = [this, panel](TObject*) { log_ += L"exit " + panel->Name() + L";"; };
    return panel;
  }
  String TakeLog() { return std::exchange(log_, String()); }

 private:
  String log_;
};

}  // namespace

TEST_F(FocusTest, ExitRunsUpToTheCommonParentAndEnterDownToTheNewControl) {
  auto* left = Focusable(Form(), L"Left", {0, 0, 150, 200});
  auto* a = Focusable(left, L"A", {10, 10, 60, 60});
  auto* right = Focusable(Form(), L"Right", {200, 0, 350, 200});
  auto* b = Focusable(right, L"B", {10, 10, 60, 60});
  auto* c = Focusable(right, L"C", {70, 10, 120, 60});
  EXPECT_TRUE(Form()->Show().Alive());
  // Showing gave the first control the focus; the walk starts at the form itself.
  EXPECT_TRUE(Form()->SetActiveControl(nullptr).Alive());
  ProcessQueued();
  TakeLog();

  EXPECT_TRUE(a->SetFocus().Alive());
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(TakeLog(), L"enter Left;enter A;");
  EXPECT_TRUE(b->SetFocus().Alive());
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(TakeLog(), L"exit A;exit Left;enter Right;enter B;");
  EXPECT_TRUE(c->SetFocus().Alive());
  EXPECT_EQ(TakeLog(), L"exit B;enter C;");
  EXPECT_EQ(Form()->ActiveControl(), c);
  EXPECT_EQ(Screen->ActiveControl(), c);
  EXPECT_EQ(Screen->ActiveForm(), Form());
}

TEST_F(FocusTest, AFreedFormLeavesTheScreenEvenWhenItsFocusedControlGoesFirst) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  EXPECT_TRUE(form->SetBounds(60, 60, 200, 150).Alive());
  auto* focused = new TTestPanel(form.get());
  EXPECT_TRUE(focused->SetBounds(10, 10, 50, 50).Alive());
  EXPECT_TRUE(focused->SetParent(form.get()).Alive());
  focused->SetTabStop(true);
  EXPECT_TRUE(form->Show().Alive());
  EXPECT_TRUE(focused->SetFocus().Alive());
  ProcessQueued();
  ASSERT_EQ(Screen->ActiveForm(), form.get());
  ASSERT_EQ(Screen->ActiveControl(), focused);

  const void* freed = form.get();
  form.reset();
  ProcessQueued();
  EXPECT_NE(static_cast<const void*>(Screen->ActiveForm()), freed);
  EXPECT_NE(static_cast<const void*>(Screen->FocusedForm()), freed);
  EXPECT_NE(static_cast<const void*>(Screen->ActiveControl()), freed);
}

// A box whose child has the focus leaves the form (for another form, or for no parent): as the box's windows go,
// the platform gives the focus to the box's own window for a moment, and the form keeps no record of the box, so
// that it touches nothing of the box once the box is freed. The box is made under guarded allocations, so that a
// record left of it faults when the form goes.
TEST_F(FocusTest, ABoxThatLeavesWithTheFocusInsideLeavesNoFocusRecord) {
  for (const bool toAnotherForm : {true, false}) {
    SCOPED_TRACE(toAnotherForm ? "to another form" : "off its parent");
    auto form = std::make_unique<TForm>(nullptr);
    EXPECT_TRUE(form->SetBounds(60, 60, 300, 200).Alive());
    TForm other(nullptr);
    EXPECT_TRUE(other.SetBounds(400, 60, 200, 150).Alive());
    EXPECT_TRUE(other.Show().Alive());
    {
      TGuardedAllocations guard;
      auto* box = Focusable(form.get(), L"Box", {100, 10, 250, 150});
      auto* inside = Focusable(box, L"Inside", {10, 10, 60, 60});
      EXPECT_TRUE(form->Show().Alive());
      SetForegroundWindow(form->Handle());
      EXPECT_TRUE(inside->SetFocus().Alive());
      ProcessQueued();
      ASSERT_EQ(GetFocus(), inside->Handle());
      EXPECT_TRUE(box->SetParent(toAnotherForm ? &other : nullptr).Alive());
      ProcessQueued();
      delete box;
      ProcessQueued();
    }
    EXPECT_EQ(form->ActiveControl(), nullptr);
    // The wheel goes to the control the form records as focused.
    form->Perform(WM_MOUSEWHEEL, 0, 0);
    form.reset();
    ProcessQueued();
  }
  TakeLog();
}

// The screen's OnActiveControlChange, raised as a control takes the focus, moves the control to another form: the
// focus change ends there, and the form records nothing of the other form's controls, whose end it never hears of.
// The other form is made under guarded allocations, so that a record left on it faults when this form goes.
TEST_F(FocusTest, AControlMovedToAnotherFormAsTheScreenHearsOfItLeavesNoFocusRecordThere) {
  auto form = std::make_unique<TForm>(nullptr);
  EXPECT_TRUE(form->SetBounds(60, 60, 300, 200).Alive());
  auto* old = Focusable(form.get(), L"Old", {10, 10, 60, 60});
  auto* moving = Focusable(form.get(), L"Moving", {100, 10, 160, 60});
  EXPECT_TRUE(form->Show().Alive());
  SetForegroundWindow(form->Handle());
  EXPECT_TRUE(old->SetFocus().Alive());
  ProcessQueued();
  {
    TGuardedAllocations guard;
    auto* other = new TForm(nullptr);
    EXPECT_TRUE(other->SetBounds(400, 60, 200, 150).Alive());
    auto* box = Focusable(other, L"Box", {10, 10, 150, 100});
    EXPECT_TRUE(other->Show().Alive());
    Screen->OnActiveControlChange = [moving, box](TObject*) {
      if (Screen->ActiveControl() == moving) (void)moving->SetParent(box);
    };
    EXPECT_TRUE(moving->SetFocus().Alive());
    ProcessQueued();
    Screen->OnActiveControlChange = nullptr;
    EXPECT_EQ(moving->Parent(), box);
    delete other;
    ProcessQueued();
    // The wheel goes to the control the form records as focused.
    form->Perform(WM_MOUSEWHEEL, 0, 0);
  }
  form.reset();
  ProcessQueued();
  TakeLog();
}

// The screen's OnActiveControlChange moves the box taking the focus to another box of the form (its window goes,
// and the platform gives the focus to the box it left), and the box's OnEnter moves it on once more, its new window
// unfocused: the walk goes on from where the focus now is instead of looking for the way down from a box that no
// longer holds the box being focused.
TEST_F(FocusTest, ABoxMovedWithinTheFormAsItTakesTheFocusLetsTheWalkGoOnFromItsNewParent) {
  auto* first = Focusable(Form(), L"First", {0, 0, 100, 200});
  auto* second = Focusable(Form(), L"Second", {110, 0, 210, 200});
  auto* third = Focusable(Form(), L"Third", {220, 0, 320, 200});
  auto* box = Focusable(first, L"Box", {10, 10, 60, 60});
  EXPECT_TRUE(Form()->Show().Alive());
  SetForegroundWindow(Form()->Handle());
  EXPECT_TRUE(third->SetFocus().Alive());
  ProcessQueued();
  Screen->OnActiveControlChange = [box, second](TObject*) {
    if (Screen->ActiveControl() == box && box->Parent() != second && box->Parent() != second->Parent()) {
      Screen->OnActiveControlChange = nullptr;
      (void)box->SetParent(second);
    }
  };
  box->OnEnter = [box, third](TObject*) {
    box->OnEnter = nullptr;
    (void)box->SetParent(third);
  };

  EXPECT_TRUE(box->SetFocus().Alive());
  ProcessQueued();
  Screen->OnActiveControlChange = nullptr;
  EXPECT_EQ(box->Parent(), third);
  // The wheel goes to the control the form records as focused, which holds the focus.
  Form()->Perform(WM_MOUSEWHEEL, 0, 0);
  TakeLog();
}

// A box with the focus inside is moved to another parent; as its windows go the focus passes through it on its way
// out, and its OnExit moves it to a third parent: it ends there, listed by that parent alone, where the first move
// went on to take it in as well.
TEST_F(FocusTest, ABoxMovedAgainByItsOnExitAsItLeavesItsParentEndsWhereTheHandlerPutIt) {
  auto* old = Focusable(Form(), L"Old", {0, 0, 100, 200});
  auto* wanted = Focusable(Form(), L"Wanted", {110, 0, 210, 200});
  auto* chosen = Focusable(Form(), L"Chosen", {220, 0, 320, 200});
  auto* box = Focusable(old, L"Box", {10, 10, 80, 80});
  auto* inside = Focusable(box, L"Inside", {10, 10, 40, 40});
  EXPECT_TRUE(Form()->Show().Alive());
  SetForegroundWindow(Form()->Handle());
  EXPECT_TRUE(inside->SetFocus().Alive());
  ProcessQueued();
  ASSERT_EQ(GetFocus(), inside->Handle());
  box->OnExit = [box, chosen](TObject*) {
    box->OnExit = nullptr;
    (void)box->SetParent(chosen);
  };

  EXPECT_TRUE(box->SetParent(wanted).Alive());
  ProcessQueued();
  EXPECT_EQ(box->OnExit, nullptr);
  EXPECT_EQ(box->Parent(), chosen);
  for (TWinControl* parent : {old, wanted, chosen}) {
    int listed = 0;
    for (int i = 0; i < parent->ControlCount(); ++i) listed += parent->Controls(i) == box;
    EXPECT_EQ(listed, parent == chosen ? 1 : 0) << parent->Name();
  }
  TakeLog();
}

TEST_F(FocusTest, FocusChangeIsBroadcastToEveryControl) {
  auto* a = Focusable(Form(), L"A", {0, 0, 50, 50});
  auto* b = Focusable(Form(), L"B", {60, 0, 110, 50});
  b->Watched = {CM_FOCUSCHANGED};
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(b->SetFocus().Alive());
  b->Received.clear();
  EXPECT_TRUE(a->SetFocus().Alive());
  EXPECT_EQ(b->Received, std::vector<UINT>{CM_FOCUSCHANGED});
  EXPECT_TRUE(a->SetFocus().Alive());
  EXPECT_EQ(b->Received.size(), 1u);
}

TEST_F(FocusTest, DisabledOrHiddenControlCannotTakeTheFocus) {
  auto* a = Focusable(Form(), L"A", {0, 0, 50, 50});
  EXPECT_TRUE(Form()->Show().Alive());
  a->SetEnabled(false);
  EXPECT_FALSE(a->CanFocus());
  try {
    EXPECT_TRUE(a->SetFocus().Alive());
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), L"Cannot focus a disabled or invisible window");
  }
  a->SetEnabled(true);
  EXPECT_TRUE(a->SetVisible(false).Alive());
  EXPECT_FALSE(a->CanFocus());
}

TEST_F(FocusTest, TabOrderDecidesTheNextControl) {
  auto* a = Focusable(Form(), L"A", {0, 0, 50, 50});
  auto* b = Focusable(Form(), L"B", {60, 0, 110, 50});
  auto* c = Focusable(Form(), L"C", {120, 0, 170, 50});
  EXPECT_TRUE(Form()->Show().Alive());
  c->SetTabOrder(0);
  EXPECT_EQ(c->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  EXPECT_EQ(Form()->FindNextControl(c, true, true, false), a);
  EXPECT_EQ(Form()->FindNextControl(b, true, true, false), c);
  EXPECT_EQ(Form()->FindNextControl(c, false, true, false), b);
  a->SetTabStop(false);
  EXPECT_EQ(Form()->FindNextControl(c, true, true, false), b);
}

TEST_F(FocusTest, TabKeyMovesTheFocusThroughTheDialogKeyPipeline) {
  auto* a = Focusable(Form(), L"A", {0, 0, 50, 50});
  auto* b = Focusable(Form(), L"B", {60, 0, 110, 50});
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(a->SetFocus().Alive());
  TakeLog();
  PostKeyPress(a->Handle(), VK_TAB);
  Application->ProcessMessages();
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(TakeLog(), L"exit A;enter B;");

  // A control that wants tabs keeps them.
  b->DialogCode = DLGC_WANTTAB;
  PostKeyPress(b->Handle(), VK_TAB);
  Application->ProcessMessages();
  EXPECT_TRUE(b->Focused());
}

TEST_F(FocusTest, ArrowKeysMoveWithinTheParentAndDialogKeysReachControls) {
  auto* a = Focusable(Form(), L"A", {0, 0, 50, 50});
  auto* b = Focusable(Form(), L"B", {60, 0, 110, 50});
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(a->SetFocus().Alive());
  PostKeyPress(a->Handle(), VK_RIGHT);
  Application->ProcessMessages();
  EXPECT_TRUE(b->Focused());

  // Escape is not the form's: it is broadcast to the controls as CM_DIALOGKEY.
  a->Watched = {CM_DIALOGKEY};
  PostKeyPress(b->Handle(), VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_EQ(a->Received, std::vector<UINT>{CM_DIALOGKEY});
}

TEST_F(FocusTest, KeyPreviewLetsTheFormSeeKeysFirst) {
  auto* a = Focusable(Form(), L"A", {0, 0, 50, 50});
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(a->SetFocus().Alive());
  std::wstring order;
  Form()->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    order += L"form;";
    if (key == 'Q') key = 0;
  };
  a->OnKeyDown = [&](TObject*, WORD&, TShiftState) { order += L"control;"; };
  PostKeyPress(a->Handle(), 'W');
  Application->ProcessMessages();
  EXPECT_EQ(order, L"control;");
  order.clear();
  Form()->SetKeyPreview(true);
  PostKeyPress(a->Handle(), 'W');
  PostKeyPress(a->Handle(), 'Q');
  Application->ProcessMessages();
  EXPECT_EQ(order, L"form;control;form;");
}

TEST_F(FocusTest, AltLetterIsOfferedToTheControlsAsADialogChar) {
  auto* a = Focusable(Form(), L"A", {0, 0, 50, 50});
  auto* b = Focusable(Form(), L"B", {60, 0, 110, 50});
  WPARAM offered = 0;
  b->SetWindowProc([&offered, previous = b->WindowProc()](TMessage& message) {
    if (message.Msg == CM_DIALOGCHAR) {
      offered = message.WParam;
      message.Result = 1;
      return;
    }
    previous(message);
  });
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(a->SetFocus().Alive());
  a->Watched = {WM_SYSCHAR};
  PostMessageW(a->Handle(), WM_SYSCHAR, 'b', 0x20000000);
  Application->ProcessMessages();
  EXPECT_EQ(offered, static_cast<WPARAM>('b'));
  EXPECT_TRUE(a->Received.empty()) << "a taken accelerator does not reach the focused control";
}

// An access key goes only to a control the user sees and can use: one that is hidden or disabled, itself or by a
// parent, never takes it, and the form leaves the key to its menu bar.
TEST_F(FocusTest, HiddenAndDisabledControlsTakeNoAccessKey) {
  struct TCase {
    const char* Name;
    bool ParentVisible, ParentEnabled, Visible, Enabled;
    bool Takes;
  };
  const TCase cases[] = {
      {"shown and enabled", true, true, true, true, true},      {"hidden", true, true, false, true, false},
      {"on a hidden parent", false, true, true, true, false},   {"disabled", true, true, true, false, false},
      {"on a disabled parent", true, false, true, true, false},
  };
  auto* sheet = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* box = Make<TTestPanel>(sheet, {10, 10, 60, 60});
  bool reached = false;
  box->SetWindowProc([&reached, previous = box->WindowProc()](TMessage& message) {
    if (message.Msg == CM_DIALOGCHAR && message.WParam == 't') {
      reached = true;
      message.Result = 1;
      return;
    }
    previous(message);
  });
  EXPECT_TRUE(Form()->Show().Alive());
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(sheet->SetVisible(c.ParentVisible).Alive());
    sheet->SetEnabled(c.ParentEnabled);
    EXPECT_TRUE(box->SetVisible(c.Visible).Alive());
    box->SetEnabled(c.Enabled);
    reached = false;
    EXPECT_EQ(Form()->Perform(CM_DIALOGCHAR, 't', 0) != 0, c.Takes);
    EXPECT_EQ(reached, c.Takes);
  }
}

// The platform hands Alt and a letter typed in a child window to that child as the keyboard menu command; the
// form's menu-event controls (its menu bars) answer it whatever child has the focus.
TEST_F(FocusTest, AltAndALetterTypedInAChildReachTheFormsMenuEventControls) {
  auto* menuBar = Make<TTestPanel>(Form(), {0, 0, 200, 20});
  menuBar->SetControlStyle(menuBar->ControlStyle() + TControlStyleItem::csMenuEvents);
  menuBar->Watched = {WM_SYSCOMMAND};
  auto* outer = Focusable(Form(), L"Outer", {0, 30, 150, 200});
  auto* inner = Focusable(outer, L"Inner", {10, 10, 60, 60});
  EXPECT_TRUE(Form()->Show().Alive());
  SetForegroundWindow(Form()->Handle());
  for (TTestPanel* focused : {outer, inner}) {
    SCOPED_TRACE(testing::PrintToString(focused->Name()));
    EXPECT_TRUE(focused->SetFocus().Alive());
    ProcessQueued();
    ASSERT_EQ(GetFocus(), focused->Handle());
    menuBar->Received.clear();
    SendKeyPress(L'H', false, false, true);
    EXPECT_TRUE(PumpUntil([menuBar] { return !menuBar->Received.empty(); }, 3000));
    EXPECT_EQ(GetFocus(), focused->Handle());
  }
}

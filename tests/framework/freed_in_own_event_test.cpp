// A form freed by a handler of its own closing, showing, hiding, sizing or activation, by an edit's OnExit, OnResize
// or OnChange, by an MDI child's OnCloseQuery, by a menu command, a timer's tick, an action's handlers or its
// update, a key typed into a combo box or the screen's change of the active form, also when the handler raises
// afterwards, or released while a dialog it opened runs, an action freed by its list's handlers, and a pop-up menu
// freed by its own OnPopup or while it tracks, each reached the way a user or a program reaches it: the framework
// touches nothing of what was freed afterwards, and reports the exception with no sender. Everything is made under
// guarded allocations, so that a use of what a handler freed faults.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <utility>

#include "framework/actions.h"
#include "framework/application.h"
#include "framework/combo_box.h"
#include "framework/control_action_link.h"
#include "framework/edit.h"
#include "framework/form.h"
#include "framework/menus.h"
#include "framework/screen.h"
#include "framework/speed_button.h"
#include "framework/timer.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"

namespace {

// The form whose handlers free it, with two edits (the first has the focus once the form is shown) and the first
// edit's pop-up menu; another form stands beside it.
struct TScene {
  TForm* Form;
  TEdit* Edit;
  TEdit* Next;
  TPopupMenu* Menu;
  TForm* Other;
  TCustomComboBox* Combo;
  TAction* Action;
  // A form the form owns, when a case makes one.
  TForm* Owned;
};

struct TCase {
  const char* Name;
  // Whether the form is shown, in front and focused before the handler is set.
  bool Shown;
  std::function<void(TScene&)> Arm;
  std::function<void(TScene&)> Act;
  // What the handler frees; it must be gone afterwards.
  std::function<void*(TScene&)> Freed;
};

void PrintTo(const TCase& c, std::ostream* out) { *out << c.Name; }

template <class T>
void Free(T*& object) {
  delete std::exchange(object, nullptr);
}

void* FreedForm(TScene& s) { return s.Form; }
void* FreedEdit(TScene& s) { return s.Edit; }
void* FreedMenu(TScene& s) { return s.Menu; }
void* FreedCombo(TScene& s) { return s.Combo; }
void* FreedAction(TScene& s) { return s.Action; }

void FreeForm(TScene& s) { Free(s.Form); }
void FreeCombo(TScene& s) { Free(s.Combo); }

void FreeFormAndRaise(TScene& s) {
  FreeForm(s);
  throw Exception(L"Raised after freeing the form");
}

// A point of the form's close box on the screen, as the form's own hit test answers.
POINT CloseBox(TForm* form) {
  RECT window;
  GetWindowRect(form->Handle(), &window);
  for (int y = window.top; y < window.top + 40; ++y)
    for (int x = window.right - 1; x > window.right - 60; --x)
      if (SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return {x - 4, y + 4};
  ADD_FAILURE() << "no close box";
  return {};
}

void ClickCloseBox(TScene& s) { ClickAndSettle(CloseBox(s.Form)); }

void ClickOn(TControl* control, bool right = false) { ClickAndSettle(control->ClientToScreen(POINT{5, 5}), right); }

// Types the key through the application's loop, which routes the dialog keys (Tab, arrows) to the form, until the
// form is gone.
void TypeToTheApplication(TScene& s, WORD key) {
  SendKeyPress(key);
  const ULONGLONG end = GetTickCount64() + 5000;
  while (s.Form && GetTickCount64() < end) {
    Application->ProcessMessages();
    if (s.Form) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void Activate(TForm* form) {
  SetForegroundWindow(form->Handle());
  ProcessPendingMessages();
  EXPECT_EQ(GetForegroundWindow(), form->Handle());
}

// Shows the form modally, the input (if any) run from inside its loop; a loop that does not end fails the test.
void ShowModalWith(TScene& s, std::function<void()> input = {}) {
  RunModalWithInput(
      [&] {
        if (input) PostInputFromLoop(std::move(input), 20);
      },
      [&] { s.Form->ShowModal(); });
}

void EndModal(TScene& s) {
  ShowModalWith(s, [&s] { s.Form->SetModalResult(mrOk); });
}

// The form's handler (or its edit's) runs FreeIt.
template <void (*FreeIt)(TScene&)>
void OnClose(TScene& s) {
  s.Form->OnClose = [&s](TObject*, TCloseAction&) { FreeIt(s); };
}
template <void (*FreeIt)(TScene&)>
void OnCloseQuery(TScene& s) {
  s.Form->OnCloseQuery = [&s](TObject*, bool&) { FreeIt(s); };
}
template <void (*FreeIt)(TScene&)>
void OnHide(TScene& s) {
  s.Form->OnHide = [&s](TObject*) { FreeIt(s); };
}
template <void (*FreeIt)(TScene&)>
void OnShow(TScene& s) {
  s.Form->OnShow = [&s](TObject*) { FreeIt(s); };
}
template <void (*FreeIt)(TScene&)>
void OnActivate(TScene& s) {
  s.Form->OnActivate = [&s](TObject*) { FreeIt(s); };
}
template <void (*FreeIt)(TScene&)>
void OnDeactivate(TScene& s) {
  s.Form->OnDeactivate = [&s](TObject*) { FreeIt(s); };
}
template <void (*FreeIt)(TScene&)>
void OnExit(TScene& s) {
  s.Edit->OnExit = [&s](TObject*) { FreeIt(s); };
}
void OnPopup(TScene& s) {
  s.Menu->OnPopup = [&s](TObject*) { Free(s.Menu); };
}

// The form becomes a shown MDI frame with one child, whose OnCloseQuery frees the frame.
void ChildsOnCloseQuery(TScene& s) {
  EXPECT_TRUE(s.Form->SetFormStyle(TFormStyle::fsMDIForm).Alive());
  EXPECT_TRUE(s.Form->Show().Alive());
  auto* child = new TForm(s.Form);
  EXPECT_TRUE(child->SetFormStyle(TFormStyle::fsMDIChild).Alive());
  child->OnCloseQuery = [&s](TObject*, bool&) { FreeForm(s); };
  Activate(s.Form);
}

// A timer of the form's, ticking at once, runs FreeIt.
template <void (*FreeIt)(TScene&)>
void OnTimer(TScene& s) {
  auto* timer = new TTimer(s.Form);
  timer->SetInterval(1);
  timer->SetOnTimer([&s](TObject*) { FreeIt(s); });
}

// An action's OnExecute: a control runs its action through the action's link only while its OnClick is the
// action's OnExecute, and only delegates of member functions compare equal.
struct TActionHandler {
  TScene* Scene = nullptr;
  void (*Run)(TScene&) = nullptr;
  void Execute(TObject*) {
    if (Run) Run(*Scene);
  }
};
TActionHandler actionHandler;

// An action of the form's runs FreeIt as it is updated (as it runs, and by the idle update) or as it runs; the
// form's button is bound to it.
void BindAButton(TScene& s, TAction* action, void (*run)(TScene&)) {
  actionHandler = {&s, run};
  action->SetOnExecute(TNotifyEvent(&actionHandler, &TActionHandler::Execute));
  auto* button = new TSpeedButton(s.Form);
  EXPECT_TRUE(button->SetBounds(200, 10, 60, 24).Alive());
  EXPECT_TRUE(button->SetParent(s.Form).Alive());
  EXPECT_TRUE(button->SetAction(action).Alive());
}
template <void (*FreeIt)(TScene&)>
void OnUpdate(TScene& s) {
  auto* action = new TAction(s.Form);
  action->SetActionList(new TActionList(s.Form));
  action->SetOnUpdate([&s](TObject*) { FreeIt(s); });
  BindAButton(s, action, nullptr);
}
template <void (*FreeIt)(TScene&)>
void OnExecute(TScene& s) {
  BindAButton(s, new TAction(s.Form), FreeIt);
}
// The handlers of the action's list free the action, and leave it to run or update itself.
void ListsOnExecute(TScene& s) {
  s.Action = new TAction(s.Form);
  auto* list = new TActionList(s.Form);
  s.Action->SetActionList(list);
  list->SetOnExecute([&s](TBasicAction*, bool&) { Free(s.Action); });
  BindAButton(s, s.Action, nullptr);
}
void ListsOnUpdate(TScene& s) {
  s.Action = new TAction(s.Form);
  auto* list = new TActionList(s.Form);
  s.Action->SetActionList(list);
  list->SetOnUpdate([&s](TBasicAction*, bool&) { Free(s.Action); });
  BindAButton(s, s.Action, nullptr);
}
void ClickTheButton(TScene& s) { ClickAndSettle(s.Form->ClientToScreen(POINT{230, 20})); }

// Shows the form modally; the exception a handler raises in the loop comes out of ShowModal.
void ShowModalRaising(TScene& s) {
  bool raised = false;
  RunModalWithInput({}, [&] {
    try {
      s.Form->ShowModal();
    } catch (const Exception&) {
      raised = true;
    }
  });
  EXPECT_TRUE(raised);
}

// The other form's window procedure runs FreeIt as the form is disabled (by the modal loop of the form's, which
// disables every other window as it starts).
template <void (*FreeIt)(TScene&)>
void OtherFormsDisabling(TScene& s) {
  s.Other->SetWindowProc([&s, previous = s.Other->WindowProc()](TMessage& message) {
    if (message.Msg == WM_ENABLE && !message.WParam && s.Form) FreeIt(s);
    previous(message);
  });
}

// The second edit, with a typing to undo, runs FreeIt as its text changes; the platform's own context menu of the
// edit (it has no pop-up menu of the framework's) undoes the typing, its command chosen by its access key.
template <void (*FreeIt)(TScene&)>
void NextEditsOnChange(TScene& s) {
  SendMessageW(s.Next->Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
  s.Next->OnChange = [&s](TObject*) { FreeIt(s); };
}
void UndoByTheEditsOwnContextMenu(TScene& s) {
  EXPECT_TRUE(RunModalWithInput([] { PostInputFromLoop([] { SendKeyPress('U'); }, 100); },
                                [&s] { ClickOn(s.Next, true); }));
  ProcessPendingMessages();
}

// A combo box of the form's, focused, runs FreeIt on a key typed into its edit.
template <void (*FreeIt)(TScene&)>
void OnComboKeyDown(TScene& s) {
  auto* combo = new TCustomComboBox(s.Form);
  EXPECT_TRUE(combo->SetBounds(10, 90, 150, 24).Alive());
  EXPECT_TRUE(combo->SetParent(s.Form).Alive());
  combo->OnKeyDown = [&s](TObject*, WORD&, TShiftState) { FreeIt(s); };
  EXPECT_TRUE(combo->SetFocus().Alive());
  ProcessPendingMessages();
  EXPECT_EQ(GetFocus(), combo->EditHandle());
}

// An editable combo box of the form's, focused, runs FreeIt when a character typed into its edit changes its text:
// the edit's own procedure raises OnChange.
template <void (*FreeIt)(TScene&)>
void OnComboChange(TScene& s) {
  s.Combo = new TCustomComboBox(s.Form);
  EXPECT_TRUE(s.Combo->SetBounds(10, 90, 150, 24).Alive());
  EXPECT_TRUE(s.Combo->SetParent(s.Form).Alive());
  s.Combo->Items()->Add(L"Apple");
  s.Combo->OnChange = [&s](TObject*) { FreeIt(s); };
  EXPECT_TRUE(s.Combo->SetFocus().Alive());
  ProcessPendingMessages();
  EXPECT_EQ(GetFocus(), s.Combo->EditHandle());
}

// Types the key until the combo box is gone.
void TypeIntoTheComboBox(TScene& s, WORD key) {
  SendKeyPress(key);
  EXPECT_TRUE(PumpUntil([&s] { return s.Combo == nullptr; }));
}

// The first item of the edit's pop-up menu runs the command.
void FreeTheFormOnClickAndRaise(TScene& s) {
  s.Menu->Items()->Items(0)->OnClick = [&s](TObject*) { FreeFormAndRaise(s); };
}

// Shows the menu, and while it tracks runs the step (if any) and chooses the first item with the keyboard.
void ChooseTheFirstItem(const std::function<void()>& show, std::function<void()> meanwhile = {}) {
  EXPECT_TRUE(RunModalWithInput(
      [&meanwhile] {
        PostInputFromLoop(
            [meanwhile = std::move(meanwhile)] {
              if (meanwhile) meanwhile();
              SendKeyPress(VK_DOWN);
              SendKeyPress(VK_RETURN);
            },
            100);
      },
      show));
  ProcessPendingMessages();
}

// Clears the scene's slot when the form that owns it goes, however it goes (the release that caFree queues).
class TClearsSlot : public TComponent {
 public:
  explicit TClearsSlot(TForm*& slot) : TComponent(slot), slot_(slot) {}
  ~TClearsSlot() override { slot_ = nullptr; }

 private:
  TForm*& slot_;
};

// The form closes with caFree; its release comes while a dialog's loop runs.
void ClosesWithCaFree(TScene& s) {
  new TClearsSlot(s.Form);
  s.Form->OnClose = [](TObject*, TCloseAction& action) { action = TCloseAction::caFree; };
}

// A dialog shown modally until the form is gone, as a confirmation asked after closing; then another window comes
// to the front, which asks the screen for the form that had the focus.
void ConfirmInADialogUntilTheFormIsGone(TScene& s) {
  TForm dialog(nullptr);
  EXPECT_TRUE(dialog.SetBounds(100, 100, 160, 100).Alive());
  EXPECT_TRUE(RunModalWithInput(
      [&] {
        PostInputFromLoop([&] {
          EXPECT_TRUE(PumpUntil([&s] { return s.Form == nullptr; }));
          dialog.SetModalResult(mrOk);
        });
      },
      [&] { dialog.ShowModal(); }));
}

void ActivateTheOther(TScene& s) {
  Activate(s.Other);
  TForm next(nullptr);
  EXPECT_TRUE(next.SetBounds(200, 200, 160, 100).Alive());
  EXPECT_TRUE(next.Show().Alive());
  Activate(&next);
}

// A form the form owns, shown in front of it.
void ShowAnOwnedForm(TScene& s) {
  s.Owned = new TForm(s.Form);
  EXPECT_TRUE(s.Owned->SetBounds(120, 120, 200, 120).Alive());
  EXPECT_TRUE(s.Owned->Show().Alive());
  Activate(s.Owned);
}

// An action of the form's with a caption, linked to the edit if one is given.
TAction* LinkAnAction(TScene& s, TEdit* edit) {
  auto* list = new TActionList(s.Form);
  auto* action = new TAction(s.Form);
  action->SetActionList(list);
  action->SetCaption(L"From the action");
  if (edit) { EXPECT_TRUE(edit->SetAction(action).Alive()); }
  return action;
}

const TCase kCases[] = {
    {"OnCloseByTheCloseBox", true, OnClose<FreeForm>, ClickCloseBox, FreedForm},
    {"OnCloseByClose", true, OnClose<FreeForm>, [](TScene& s) { EXPECT_TRUE(s.Form->Close().Gone()); }, FreedForm},
    {"OnCloseByAltF4", true, OnClose<FreeForm>, [](TScene&) { TypeAndSettle(VK_F4, false, false, true); }, FreedForm},
    {"OnCloseOfAModalFormByTheCloseBox", false, OnClose<FreeForm>,
     [](TScene& s) { ShowModalWith(s, [&s] { ClickCloseBox(s); }); }, FreedForm},
    {"OnCloseQueryByClose", true, OnCloseQuery<FreeForm>, [](TScene& s) { EXPECT_TRUE(s.Form->Close().Gone()); }, FreedForm},
    {"OnCloseQueryByTheCloseBox", true, OnCloseQuery<FreeForm>, ClickCloseBox, FreedForm},
    {"OnCloseQueryOfAModalFormByItsResult", false, OnCloseQuery<FreeForm>, EndModal, FreedForm},
    {"OnHideByHide", true, OnHide<FreeForm>, [](TScene& s) { EXPECT_TRUE(s.Form->Hide().Gone()); }, FreedForm},
    {"OnHideByClose", true, OnHide<FreeForm>, [](TScene& s) { EXPECT_TRUE(s.Form->Close().Gone()); }, FreedForm},
    {"OnHideOfAModalFormByItsResult", false, OnHide<FreeForm>, EndModal, FreedForm},
    {"OnHideOfAModalFormByHide", false, OnHide<FreeForm>, [](TScene& s) { ShowModalWith(s, [&s] { EXPECT_TRUE(s.Form->Hide().Gone()); }); },
     FreedForm},
    {"OnShowByShow", false, OnShow<FreeForm>, [](TScene& s) { EXPECT_TRUE(s.Form->Show().Gone()); }, FreedForm},
    {"OnShowBySetVisible", false, OnShow<FreeForm>, [](TScene& s) { EXPECT_TRUE(s.Form->SetVisible(true).Gone()); }, FreedForm},
    {"OnShowOfAModalForm", false, OnShow<FreeForm>, [](TScene& s) { ShowModalWith(s); }, FreedForm},
    {"OnActivateByAClick", true, OnActivate<FreeForm>,
     [](TScene& s) {
       Activate(s.Other);
       ClickOn(s.Next);
     },
     FreedForm},
    {"OnActivateByShow", false, OnActivate<FreeForm>, [](TScene& s) { EXPECT_TRUE(s.Form->Show().Gone()); }, FreedForm},
    {"OnActivateByFocusingAControl", true, OnActivate<FreeForm>,
     [](TScene& s) {
       Activate(s.Other);
       EXPECT_TRUE(s.Next->SetFocus().Gone());
     },
     FreedForm},
    {"OnActivateOfAModalForm", false, OnActivate<FreeForm>, [](TScene& s) { ShowModalWith(s); }, FreedForm},
    {"OnDeactivateOfAModalFormByItsResult", false, OnDeactivate<FreeForm>, EndModal, FreedForm},
    {"OnExitByTab", true, OnExit<FreeForm>, [](TScene& s) { TypeToTheApplication(s, VK_TAB); }, FreedForm},
    {"OnExitByFocusingAControl", true, OnExit<FreeForm>, [](TScene& s) { EXPECT_TRUE(s.Next->SetFocus().Gone()); }, FreedForm},
    {"OnPopupByARightClick", true, OnPopup, [](TScene& s) { ClickOn(s.Edit, true); }, FreedMenu},
    {"OnPopupByTheMenuKey", true, OnPopup, [](TScene&) { TypeAndSettle(VK_APPS); }, FreedMenu},
    {"OnPopupByPopup", true, OnPopup, [](TScene& s) { EXPECT_TRUE(s.Menu->Popup(100, 100).Gone()); }, FreedMenu},
    {"AnMDIChildsOnCloseQueryByClosingTheFrame", false, ChildsOnCloseQuery, [](TScene& s) { EXPECT_TRUE(s.Form->Close().Gone()); },
     FreedForm},
    {"AnMDIChildsOnCloseQueryByTheFramesCloseBox", false, ChildsOnCloseQuery, ClickCloseBox, FreedForm},
    {"OnCloseRaisingByTheCloseBox", true, OnClose<FreeFormAndRaise>, ClickCloseBox, FreedForm},
    {"OnCloseQueryRaisingOfAModalFormByItsResult", false, OnCloseQuery<FreeFormAndRaise>, EndModal, FreedForm},
    {"OnCloseRaisingOfAModalFormByItsResult", false, OnClose<FreeFormAndRaise>, EndModal, FreedForm},
    {"OnShowRaisingByShow", false, OnShow<FreeFormAndRaise>, [](TScene& s) { EXPECT_TRUE(s.Form->Show().Gone()); }, FreedForm},
    {"OnShowRaisingOfAModalForm", false, OnShow<FreeFormAndRaise>, [](TScene& s) { ShowModalWith(s); }, FreedForm},
    {"OnHideRaisingByHide", true, OnHide<FreeFormAndRaise>, [](TScene& s) { EXPECT_TRUE(s.Form->Hide().Gone()); }, FreedForm},
    {"OnActivateRaisingByAClick", true, OnActivate<FreeFormAndRaise>,
     [](TScene& s) {
       Activate(s.Other);
       ClickOn(s.Next);
     },
     FreedForm},
    {"OnActivateRaisingOfAModalForm", false, OnActivate<FreeFormAndRaise>, [](TScene& s) { ShowModalWith(s); },
     FreedForm},
    {"OnDeactivateRaisingOfAModalFormByItsResult", false, OnDeactivate<FreeFormAndRaise>, EndModal, FreedForm},
    {"OnExitRaisingByFocusingAControl", true, OnExit<FreeFormAndRaise>, [](TScene& s) { EXPECT_TRUE(s.Next->SetFocus().Gone()); },
     FreedForm},
    {"AMenuCommandFreeingTheFormAndRaisingByARightClick", true, FreeTheFormOnClickAndRaise,
     [](TScene& s) { ChooseTheFirstItem([&s] { ClickOn(s.Edit, true); }); }, FreedForm},
    {"OnTimerRaising", false, OnTimer<FreeFormAndRaise>,
     [](TScene& s) { EXPECT_TRUE(PumpUntil([&s] { return s.Form == nullptr; })); }, FreedForm},
    {"AComboBoxsOnKeyDownRaisingByAKey", true, OnComboKeyDown<FreeFormAndRaise>,
     [](TScene& s) { TypeToTheApplication(s, 'A'); }, FreedForm},
    {"AComboBoxsFormFreedByItsOnChangeByACharacter", true, OnComboChange<FreeForm>,
     [](TScene& s) { TypeToTheApplication(s, 'A'); }, FreedForm},
    {"AComboBoxFreedByItsOnChangeByACharacter", true, OnComboChange<FreeCombo>,
     [](TScene& s) { TypeIntoTheComboBox(s, 'A'); }, FreedCombo},
    {"AnActionsOnUpdateAsAClickRunsIt", true, OnUpdate<FreeForm>, ClickTheButton, FreedForm},
    {"AnActionsOnExecuteByAClick", true, OnExecute<FreeForm>, ClickTheButton, FreedForm},
    {"AnActionListsOnExecuteByAClick", true, ListsOnExecute, ClickTheButton, FreedAction},
    {"AnActionListsOnUpdateByAClick", true, ListsOnUpdate, ClickTheButton, FreedAction},
    {"AnActionsOnUpdateRaisingInTheIdleUpdateOfAModalForm", false, OnUpdate<FreeFormAndRaise>, ShowModalRaising,
     FreedForm},
    {"TheOtherFormsDisablingAsAModalFormStarts", false, OtherFormsDisabling<FreeForm>,
     [](TScene& s) { ShowModalWith(s); }, FreedForm},
    {"AnEditsOnChangeAsItsOwnContextMenuUndoesATyping", true, NextEditsOnChange<FreeForm>,
     UndoByTheEditsOwnContextMenu, FreedForm},
    {"AMenuFreedWhileItTracks", true, [](TScene&) {},
     [](TScene& s) { ChooseTheFirstItem([&s] { EXPECT_TRUE(s.Menu->Popup(100, 100).Gone()); }, [&s] { Free(s.Menu); }); }, FreedMenu},
    {"OnCloseWithCaFreeWhileAConfirmationItsButtonAskedForRuns", true,
     [](TScene& s) {
       ClosesWithCaFree(s);
       s.Edit->OnClick = [&s](TObject*) {
         EXPECT_TRUE(s.Form->Close().Alive());
         ConfirmInADialogUntilTheFormIsGone(s);
       };
     },
     [](TScene& s) {
       ClickOn(s.Edit);
       ActivateTheOther(s);
     },
     FreedForm},
    {"OnCloseWithCaFreeByItsTimerWhileADialogRuns", true,
     [](TScene& s) {
       ClosesWithCaFree(s);
       auto* timer = new TTimer(s.Form);
       timer->SetInterval(1);
       timer->SetOnTimer([&s, timer](TObject*) {
         timer->SetEnabled(false);
         EXPECT_TRUE(s.Form->Close().Alive());
       });
     },
     [](TScene& s) {
       ConfirmInADialogUntilTheFormIsGone(s);
       ActivateTheOther(s);
     },
     FreedForm},
    {"TheScreensOnActiveFormChangeAsTheFormBecomesActive", true,
     [](TScene& s) {
       Activate(s.Other);
       Screen->OnActiveFormChange = [&s](TObject*) {
         if (s.Form && Screen->ActiveForm() == s.Form) FreeForm(s);
       };
     },
     [](TScene& s) { ClickOn(s.Next); }, FreedForm},
    {"TheScreensOnActiveControlChangeAsAControlOfTheFormIsFocused", true,
     [](TScene& s) {
       Screen->OnActiveControlChange = [&s](TObject*) {
         if (s.Form && Screen->ActiveControl() == s.Next) FreeForm(s);
       };
     },
     [](TScene& s) { ClickOn(s.Next); }, FreedForm},
    {"AnEditsOnResizeAsItsWindowIsMade", false, [](TScene& s) { s.Edit->OnResize = [&s](TObject*) { FreeForm(s); }; },
     [](TScene& s) { s.Edit->HandleNeeded(); }, FreedForm},
    {"AnEditsOnResizeBySetBounds", true, [](TScene& s) { s.Edit->OnResize = [&s](TObject*) { FreeForm(s); }; },
     [](TScene& s) { EXPECT_TRUE(s.Edit->SetBounds(10, 10, 170, 30).Gone()); }, FreedForm},
    {"OnActivateAsAFormItOwnsIsFreed", true,
     [](TScene& s) {
       ShowAnOwnedForm(s);
       OnActivate<FreeForm>(s);
     },
     [](TScene& s) { delete s.Owned; }, FreedForm},
    {"AnActionsOnUpdateInTheIdleUpdate", true, OnUpdate<FreeForm>, [](TScene&) { UpdateActionsOnIdle(); }, FreedForm},
    {"AnEditFreedByItsActionsOnUpdateInTheIdleUpdate", true,
     [](TScene& s) { LinkAnAction(s, s.Edit)->SetOnUpdate([&s](TObject*) { Free(s.Edit); }); },
     [](TScene&) { UpdateActionsOnIdle(); }, FreedEdit},
    {"AnEditFreedByItsOnChangeAsItsActionGivesItsCaption", true,
     [](TScene& s) { s.Edit->OnChange = [&s](TObject*) { Free(s.Edit); }; },
     [](TScene& s) { EXPECT_TRUE(s.Edit->SetAction(LinkAnAction(s, nullptr)).Gone()); }, FreedEdit},
};

TEdit* EditOn(TForm* form, int top) {
  auto* edit = new TEdit(form);
  EXPECT_TRUE(edit->SetBounds(10, top, 150, 24).Alive());
  EXPECT_TRUE(edit->SetParent(form).Alive());
  return edit;
}

class FreedInOwnEvent : public testing::TestWithParam<TCase> {};

TEST_P(FreedInOwnEvent, NothingOfTheFreedObjectIsTouchedAgain) {
  const TCase& c = GetParam();
  // The report of an exception a handler raised after freeing the form names a sender that is still there.
  Application->OnException = [](TObject* sender, const Exception&) {
    if (sender) {
      EXPECT_FALSE(sender->ClassName().empty());
    }
  };
  {
    TGuardedAllocations guard;
    TScene s{};
    s.Other = new TForm(nullptr);
    EXPECT_TRUE(s.Other->SetBounds(420, 60, 200, 150).Alive());
    EXPECT_TRUE(s.Other->Show().Alive());
    s.Form = new TForm(nullptr);
    EXPECT_TRUE(s.Form->SetBounds(60, 60, 300, 200).Alive());
    s.Edit = EditOn(s.Form, 10);
    s.Next = EditOn(s.Form, 50);
    s.Menu = new TPopupMenu(nullptr);
    auto* item = new TMenuItem(s.Menu);
    item->SetCaption(L"Item");
    s.Menu->Items()->Add(item);
    s.Edit->SetPopupMenu(s.Menu);
    if (c.Shown) {
      EXPECT_TRUE(s.Form->Show().Alive());
      Activate(s.Form);
      EXPECT_TRUE(s.Edit->SetFocus().Alive());
      ProcessPendingMessages();
      EXPECT_EQ(GetFocus(), s.Edit->Handle());
    }
    c.Arm(s);
    c.Act(s);
    EXPECT_EQ(c.Freed(s), nullptr) << "the handler did not run";
    // The messages still queued touch nothing freed either.
    ProcessPendingMessages();
    delete s.Form;
    delete s.Menu;
    delete s.Other;
  }
  Application->OnException = nullptr;
  Screen->OnActiveFormChange = nullptr;
  Screen->OnActiveControlChange = nullptr;
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  ProcessPendingMessages();
}

INSTANTIATE_TEST_SUITE_P(Events, FreedInOwnEvent, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TCase>& info) { return info.param.Name; });

}  // namespace

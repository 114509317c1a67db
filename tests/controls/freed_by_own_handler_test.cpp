// Buttons freed by a handler of their own mouse, keys or focus, or by another control's OnExit as a click or an
// accelerator moves the focus to them, by real input: nothing of a freed button is touched afterwards. Each is made under guarded allocations, so that a use of what the handler freed faults.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "controls/picture_button.h"
#include "controls/tab_button.h"
#include "controls/xp_button.h"
#include "controls/xp_check_box.h"
#include "form_fixture.h"
#include "framework/application.h"
#include "framework/edit.h"
#include "framework/speed_button.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"

using namespace controls;

namespace {

// The accelerator is Alt and G: the buttons of the cases that press it are captioned "&Go".
enum class TInput { LeftClick, RightClick, Space, Accelerator };

struct TCase {
  const char* Name;
  // Makes the control on the form and arms the handler that frees it through the given pointer; answers the
  // control that has the focus before the input.
  std::function<TControl*(TForm*, TControl*&)> Make;
  TInput Input;
};

template <class T>
T* MakeOn(TForm* form, TControl*& slot) {
  T* control = new T(form);
  EXPECT_TRUE(control->SetBounds(10, 10, 120, 40).Alive());
  EXPECT_TRUE(control->SetParent(form).Alive());
  slot = control;
  return control;
}

// An edit beside the control, which has the focus before the input; its OnExit frees the control when asked to.
TEdit* FocusedEditBeside(TForm* form, TControl*& slot, bool freeOnExit) {
  auto* edit = new TEdit(form);
  EXPECT_TRUE(edit->SetBounds(10, 100, 150, 24).Alive());
  EXPECT_TRUE(edit->SetParent(form).Alive());
  if (freeOnExit) edit->OnExit = [&slot](TObject*) { delete std::exchange(slot, nullptr); };
  return edit;
}

// The control, captioned for the accelerator, frees itself as it takes the focus, or the edit frees it as it
// loses the focus.
template <class T>
TControl* FreedAsTheFocusComes(TForm* form, TControl*& slot, bool byTheEdit) {
  T* control = MakeOn<T>(form, slot);
  EXPECT_TRUE(control->SetCaption(L"&Go").Alive());
  if (!byTheEdit) control->OnEnter = [&slot](TObject*) { delete std::exchange(slot, nullptr); };
  return FocusedEditBeside(form, slot, byTheEdit);
}

// The handlers free the control through its slot.
auto FreeOnMouse(TControl*& slot) {
  return [&slot](TObject*, TMouseButton, TShiftState, int, int) { delete std::exchange(slot, nullptr); };
}
auto FreeOnKey(TControl*& slot) {
  return [&slot](TObject*, WORD&, TShiftState) { delete std::exchange(slot, nullptr); };
}

const TCase kCases[] = {
    {"SpeedButtonInOnMouseDown",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* button = MakeOn<TSpeedButton>(form, slot);
       button->OnMouseDown = FreeOnMouse(slot);
       return button;
     },
     TInput::LeftClick},
    {"SpeedButtonInOnMouseUp",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* button = MakeOn<TSpeedButton>(form, slot);
       button->OnMouseUp = FreeOnMouse(slot);
       return button;
     },
     TInput::LeftClick},
    {"TabInOnMouseDownByTheRightButton",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* tab = MakeOn<TTabButton>(form, slot);
       tab->OnMouseDown = FreeOnMouse(slot);
       return tab;
     },
     TInput::RightClick},
    {"TabInOnMouseUpByTheRightButton",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* tab = MakeOn<TTabButton>(form, slot);
       tab->OnMouseUp = FreeOnMouse(slot);
       return tab;
     },
     TInput::RightClick},
    {"PictureButtonInOnMouseDown",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* button = MakeOn<TPictureButton>(form, slot);
       button->OnMouseDown = FreeOnMouse(slot);
       return button;
     },
     TInput::LeftClick},
    {"PictureButtonInOnClick",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* button = MakeOn<TPictureButton>(form, slot);
       button->OnClick = [&slot](TObject*) { delete std::exchange(slot, nullptr); };
       return button;
     },
     TInput::LeftClick},
    {"XPButtonInOnMouseDown",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* button = MakeOn<TXP_Button>(form, slot);
       button->OnMouseDown = FreeOnMouse(slot);
       return button;
     },
     TInput::LeftClick},
    {"XPButtonInOnKeyDown",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* button = MakeOn<TXP_Button>(form, slot);
       button->OnKeyDown = FreeOnKey(slot);
       return button;
     },
     TInput::Space},
    {"XPCheckBoxInOnMouseDown",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* box = MakeOn<TXP_CheckBox>(form, slot);
       box->OnMouseDown = FreeOnMouse(slot);
       return box;
     },
     TInput::LeftClick},
    {"XPCheckBoxInOnMouseUp",
     [](TForm* form, TControl*& slot) -> TControl* {
       auto* box = MakeOn<TXP_CheckBox>(form, slot);
       box->OnMouseUp = FreeOnMouse(slot);
       return box;
     },
     TInput::LeftClick},
    {"XPButtonInOnEnterByAClick",
     [](TForm* form, TControl*& slot) { return FreedAsTheFocusComes<TXP_Button>(form, slot, false); },
     TInput::LeftClick},
    {"XPButtonInTheFocusedEditsOnExitByAClick",
     [](TForm* form, TControl*& slot) { return FreedAsTheFocusComes<TXP_Button>(form, slot, true); },
     TInput::LeftClick},
    {"XPButtonInOnEnterByItsAccelerator",
     [](TForm* form, TControl*& slot) { return FreedAsTheFocusComes<TXP_Button>(form, slot, false); },
     TInput::Accelerator},
    {"XPCheckBoxInOnEnterByAClick",
     [](TForm* form, TControl*& slot) { return FreedAsTheFocusComes<TXP_CheckBox>(form, slot, false); },
     TInput::LeftClick},
    {"XPCheckBoxInTheFocusedEditsOnExitByAClick",
     [](TForm* form, TControl*& slot) { return FreedAsTheFocusComes<TXP_CheckBox>(form, slot, true); },
     TInput::LeftClick},
    {"XPCheckBoxInOnEnterByItsAccelerator",
     [](TForm* form, TControl*& slot) { return FreedAsTheFocusComes<TXP_CheckBox>(form, slot, false); },
     TInput::Accelerator},
};

class ButtonFreedByOwnHandler : public FormTest, public testing::WithParamInterface<TCase> {};

TEST_P(ButtonFreedByOwnHandler, NothingOfItIsTouchedAgain) {
  const TCase& c = GetParam();
  {
    TGuardedAllocations guard;
    TControl* slot = nullptr;
    TControl* control = c.Make(Form(), slot);
    SetForegroundWindow(Form()->Handle());
    if (auto* window = ObjectAs<TWinControl>(control)) { EXPECT_TRUE(window->SetFocus().Alive()); }
    ProcessPendingMessages();
    if (c.Input == TInput::Space)
      SendKeyPress(VK_SPACE);
    else if (c.Input == TInput::Accelerator) {
      SendKeyPress('G', false, false, true);
      // The application's loop offers the key to the form's controls.
      PumpUntil([&slot] {
        Application->ProcessMessages();
        return !slot;
      });
    } else
      SendMouseClick(Form()->ClientToScreen(POINT{60, 25}), c.Input == TInput::RightClick);
    EXPECT_TRUE(PumpUntil([&slot] {
      return !slot && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && !(GetAsyncKeyState(VK_RBUTTON) & 0x8000) &&
             !(GetAsyncKeyState(VK_SPACE) & 0x8000) && !(GetAsyncKeyState(VK_MENU) & 0x8000) &&
             GetCapture() == nullptr;
    })) << "the handler did not run";
    ProcessPendingMessages();
    // What is left still paints.
    RedrawWindow(Form()->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    delete slot;
  }
}

INSTANTIATE_TEST_SUITE_P(Handlers, ButtonFreedByOwnHandler, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TCase>& info) { return info.param.Name; });

}  // namespace

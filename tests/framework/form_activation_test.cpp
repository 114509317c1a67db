// A form that becomes active again, by the user's input or the program's, gives the keyboard focus back to the
// control that had it, or to the control the activating click hit; a form with no control that can take the
// focus takes it itself.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "framework/application.h"
#include "framework/edit.h"
#include "framework/form.h"
#include "framework/screen.h"
#include "support/message_pump.h"
#include "support/message_recorder.h"
#include "support/modal_input.h"

namespace {

// The form with two edits, the second of which had the focus when another form was activated.
struct TScene {
  TForm* Form;
  TEdit* First;
  TEdit* Second;
  TForm* Other;
};

struct TCase {
  const char* Name;
  // Whether the edits can take the focus.
  bool Focusable;
  std::function<void(TScene&)> Activate;
  // The control that must have the focus afterwards: the form itself when no control can take it.
  std::function<TWinControl*(TScene&)> Focused;
  // Whether the platform itself moves the focus to the form's window on the way (restoring from minimized does):
  // else the control is given the focus once, as taking it away would hide an edit's caret and selection.
  bool PlatformFocusesTheForm = false;
};

void PrintTo(const TCase& c, std::ostream* out) { *out << c.Name; }

TWinControl* TheSecond(TScene& s) { return s.Second; }

// A point of the form's caption on the screen, as the form's own hit test answers.
POINT Caption(TForm* form) {
  RECT window;
  GetWindowRect(form->Handle(), &window);
  const int x = (window.left + window.right) / 2;
  for (int y = window.top; y < window.top + 40; ++y)
    if (SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCAPTION) return {x, y + 4};
  ADD_FAILURE() << "no caption";
  return {};
}

void SetForeground(HWND wnd) {
  SetForegroundWindow(wnd);
  ProcessPendingMessages();
}

const TCase kCases[] = {
    {"AClickOnTheCaption", true, [](TScene& s) { ClickAndSettle(Caption(s.Form)); }, TheSecond},
    {"SetForegroundWindow", true, [](TScene& s) { SetForeground(s.Form->Handle()); }, TheSecond},
    {"TheOtherFormHidden", true, [](TScene& s) { (void)s.Other->Hide(); }, TheSecond},
    {"RestoredFromMinimized", true,
     [](TScene& s) {
       SendMessageW(s.Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
       ProcessPendingMessages();
       SendMessageW(s.Form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
       SetForeground(s.Form->Handle());
     },
     TheSecond, true},
    {"ActivatedMinimizedThenRestored", true,
     [](TScene& s) {
       SendMessageW(s.Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
       SetForeground(s.Form->Handle());
       SendMessageW(s.Form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
       ProcessPendingMessages();
     },
     TheSecond, true},
    {"AClickOnAnotherControl", true,
     [](TScene& s) {
       ClickAndSettle(s.First->ClientToScreen(POINT{5, 5}));
     },
     [](TScene& s) -> TWinControl* { return s.First; }},
    {"NoFocusableControlByAClickOnTheCaption", false, [](TScene& s) { ClickAndSettle(Caption(s.Form)); },
     [](TScene& s) -> TWinControl* { return s.Form; }},
};

TEdit* EditOn(TForm* form, int top, bool enabled) {
  auto* edit = new TEdit(form);
  EXPECT_TRUE(edit->SetBounds(10, top, 150, 24).Alive());
  edit->SetEnabled(enabled);
  EXPECT_TRUE(edit->SetParent(form).Alive());
  return edit;
}

class FormActivation : public testing::TestWithParam<TCase> {};

TEST_P(FormActivation, TheFocusGoesBackToTheFormsControl) {
  const TCase& c = GetParam();
  auto other = std::make_unique<TForm>(nullptr);
  EXPECT_TRUE(other->SetBounds(420, 60, 200, 150).Alive());
  EXPECT_TRUE(other->Show().Alive());
  auto form = std::make_unique<TForm>(nullptr);
  EXPECT_TRUE(form->SetBounds(60, 60, 300, 200).Alive());
  TScene s{form.get(), EditOn(form.get(), 10, c.Focusable), EditOn(form.get(), 50, c.Focusable), other.get()};
  EXPECT_TRUE(s.Form->Show().Alive());
  SetForeground(s.Form->Handle());
  if (c.Focusable) { EXPECT_TRUE(s.Second->SetFocus().Alive()); }
  SetForeground(s.Other->Handle());
  ASSERT_EQ(GetForegroundWindow(), s.Other->Handle());
  ASSERT_NE(GetFocus(), s.Second->Handle());

  TWinControl* focused = c.Focused(s);
  TMessageRecorder recorder;
  recorder.HookThread([focused](HWND wnd) { return wnd == focused->Handle(); });
  c.Activate(s);
  ProcessPendingMessages();
  recorder.Unhook();
  EXPECT_EQ(GetForegroundWindow(), s.Form->Handle());
  EXPECT_EQ(GetFocus(), focused->Handle());
  if (!c.PlatformFocusesTheForm) {
    EXPECT_EQ(recorder.Count(WM_KILLFOCUS), 0);
  }
  EXPECT_EQ(s.Form->ActiveControl(), focused != s.Form ? focused : nullptr);
  EXPECT_EQ(Screen->ActiveForm(), s.Form);
  EXPECT_EQ(Screen->ActiveControl(), focused);
}

INSTANTIATE_TEST_SUITE_P(Routes, FormActivation, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TCase>& info) { return info.param.Name; });

}  // namespace

#include <gtest/gtest.h>

#include <stdexcept>

#include "control_fixtures.h"
#include "framework/actions.h"
#include "framework/hint_window.h"
#include "framework/menus.h"

using ApplicationLoop = ControlTest;

TEST_F(ApplicationLoop, OnMessageSeesQueuedMessagesAndMayKeepThemFromTheirWindow) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  panel->Watched = {WM_USER + 11, WM_USER + 12};
  std::vector<UINT> filtered;
  Application->OnMessage = [&](MSG& msg, bool& handled) {
    if (msg.hwnd != panel->Handle()) return;
    filtered.push_back(msg.message);
    handled = msg.message == WM_USER + 11;
  };
  PostMessageW(panel->Handle(), WM_USER + 11, 0, 0);
  PostMessageW(panel->Handle(), WM_USER + 12, 0, 0);
  Application->ProcessMessages();
  Application->OnMessage = nullptr;
  EXPECT_EQ(filtered, (std::vector<UINT>{WM_USER + 11, WM_USER + 12}));
  EXPECT_EQ(panel->Received, std::vector<UINT>{WM_USER + 12});
}

TEST_F(ApplicationLoop, KeysReachTheNearestFrameworkWindowAsReflectedKeys) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 100, 100});
  panel->Watched = {CN_KEYDOWN, WM_KEYDOWN, CN_CHAR, WM_CHAR};
  EXPECT_TRUE(Form()->Show().Alive());
  // A window the framework does not know, inside the panel, like the edit window of a combo box.
  HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, panel->Handle(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  PostMessageW(foreign, WM_KEYDOWN, VK_F2, 1);
  PostMessageW(foreign, WM_CHAR, 'a', 1);
  Application->ProcessMessages();
  EXPECT_EQ(panel->Received, (std::vector<UINT>{CN_KEYDOWN, CN_CHAR}));
  panel->Received.clear();
  PostMessageW(panel->Handle(), WM_KEYDOWN, VK_F2, 1);
  Application->ProcessMessages();
  EXPECT_EQ(panel->Received, (std::vector<UINT>{CN_KEYDOWN, WM_KEYDOWN}));
  DestroyWindow(foreign);
}

TEST_F(ApplicationLoop, ShortCutsOfTheFormComeBeforeTheControl) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 100, 100});
  panel->Watched = {WM_KEYDOWN};
  EXPECT_TRUE(Form()->Show().Alive());
  WPARAM shortCut = 0;
  Form()->OnShortCut = [&](TMessage& msg, bool& handled) {
    shortCut = msg.WParam;
    handled = msg.WParam == VK_F5;
  };
  PostMessageW(panel->Handle(), WM_KEYDOWN, VK_F5, 1);
  PostMessageW(panel->Handle(), WM_KEYDOWN, VK_F6, 1);
  Application->ProcessMessages();
  EXPECT_EQ(shortCut, static_cast<WPARAM>(VK_F6));
  EXPECT_EQ(panel->Received, std::vector<UINT>{WM_KEYDOWN});
}

TEST_F(ApplicationLoop, ActionsOfTheFormAnswerTheirShortCuts) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 100, 100});
  panel->Watched = {WM_KEYDOWN};
  auto* list = new TActionList(Form());
  auto* action = new TAction(Form());
  action->SetActionList(list);
  action->SetShortCut(ShortCut(VK_F7, TShiftState{TShiftStateItem::ssCtrl}));
  int executed = 0;
  action->SetOnExecute([&](TObject*) { ++executed; });
  EXPECT_TRUE(Form()->Show().Alive());
  SetFocus(panel->Handle());
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(panel->Handle(), WM_KEYDOWN, VK_F7, 1);
  Application->ProcessMessages();
  keys[VK_CONTROL] = saved;
  SetKeyboardState(keys);
  EXPECT_EQ(executed, 1);
  EXPECT_TRUE(panel->Received.empty()) << "a short-cut that ran is not a key for the control";
  action->SetEnabled(false);
  PostMessageW(panel->Handle(), WM_KEYDOWN, VK_F7, 1);
  Application->ProcessMessages();
  EXPECT_EQ(executed, 1);
}

TEST(ApplicationHelp, RequestsGoToOnHelpFirst) {
  std::vector<std::pair<WORD, ULONG_PTR>> asked;
  Application->OnHelp = [&](WORD command, ULONG_PTR data, bool& callHelp) {
    asked.emplace_back(command, data);
    callHelp = false;
    return true;
  };
  EXPECT_TRUE(Application->HelpContext(42));
  EXPECT_TRUE(Application->HelpCommand(HELP_CONTEXTPOPUP, 7));
  Application->OnHelp = nullptr;
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].first, HELP_CONTEXT);
  EXPECT_EQ(asked[0].second, 42u);
  EXPECT_EQ(asked[1].first, HELP_CONTEXTPOPUP);
  EXPECT_FALSE(Application->HelpContext(1)) << "no handler and no help file: no help";
}

TEST(ApplicationHints, ShortAndLongHintSplitAtTheBar) {
  EXPECT_EQ(GetShortHint(L"Open|Opens a page"), L"Open");
  EXPECT_EQ(GetLongHint(L"Open|Opens a page"), L"Opens a page");
  EXPECT_EQ(GetShortHint(L"Plain"), L"Plain");
  EXPECT_EQ(GetLongHint(L"Plain"), L"Plain");
}

TEST(ScreenObject, CursorsMonitorsAndFonts) {
  EXPECT_EQ(Screen->Cursors(crDefault), LoadCursorW(nullptr, IDC_ARROW));
  HCURSOR hsplit = Screen->Cursors(crHSplit);
  HCURSOR vsplit = Screen->Cursors(crVSplit);
  EXPECT_NE(hsplit, nullptr);
  EXPECT_NE(vsplit, nullptr);
  EXPECT_NE(hsplit, vsplit);
  EXPECT_EQ(Screen->Cursors(12345), Screen->Cursors(crDefault));
  EXPECT_EQ(Screen->Cursors(crNo), LoadCursorW(nullptr, IDC_NO));
  HCURSOR own = CreateCursor(GetModuleHandleW(nullptr), 0, 0, 32, 32, std::vector<BYTE>(128, 0xFF).data(),
                             std::vector<BYTE>(128, 0).data());
  Screen->SetCursors(5, own);
  EXPECT_EQ(Screen->Cursors(5), own);

  ASSERT_GE(Screen->MonitorCount(), 1);
  TMonitor* primary = Screen->MonitorFromPoint(POINT{1, 1});
  ASSERT_NE(primary, nullptr);
  EXPECT_TRUE(primary->Primary());
  EXPECT_EQ(primary->Width(), GetSystemMetrics(SM_CXSCREEN));
  RECT work = Screen->WorkAreaRect();
  RECT workOfMonitor = primary->WorkareaRect();
  EXPECT_TRUE(EqualRect(&work, &workOfMonitor));
  RECT desktop = Screen->DesktopRect();
  EXPECT_EQ(desktop.right - desktop.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_FALSE(Screen->HintFont()->Name().empty());
  EXPECT_FALSE(Screen->MenuFont()->Name().empty());
  EXPECT_GT(Screen->PixelsPerInch(), 0);
}

TEST(ScreenObject, FormsAreListedMostRecentlyActiveFirst) {
  TForm first(nullptr);
  TForm second(nullptr);
  auto* a = new TTestPanel(&first);
  EXPECT_TRUE(a->SetParent(&first).Alive());
  auto* b = new TTestPanel(&second);
  EXPECT_TRUE(b->SetParent(&second).Alive());
  EXPECT_TRUE(first.Show().Alive());
  EXPECT_TRUE(second.Show().Alive());
  first.SetFocusedControl(a);
  EXPECT_EQ(Screen->Forms(0), &first);
  second.SetFocusedControl(b);
  EXPECT_EQ(Screen->Forms(0), &second);
  EXPECT_EQ(Screen->ActiveForm(), &second);
  EXPECT_EQ(Screen->ActiveControl(), b);
}

TEST(ApplicationHints, HintWindowFreedElsewhereIsForgotten) {
  Application->SetShowHint(true);
  THintWindow* window = Application->HintWindow();
  ASSERT_NE(window, nullptr);
  delete window;
  EXPECT_EQ(Application->HintWindow(), nullptr);
  Application->HideHint();
  Application->SetShowHint(false);
}

TEST(ApplicationActivation, ActiveFollowsTheApplicationActivation) {
  int activated = 0;
  int deactivated = 0;
  Application->OnActivate = [&](TObject*) { ++activated; };
  Application->OnDeactivate = [&](TObject*) { ++deactivated; };
  SendMessageW(Application->Handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(Application->Active());
  SendMessageW(Application->Handle(), WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_TRUE(Application->Active());
  Application->OnActivate = nullptr;
  Application->OnDeactivate = nullptr;
  EXPECT_EQ(activated, 1);
  EXPECT_EQ(deactivated, 1);
}

TEST(ApplicationForms, CreateFormRaisesOnCreateAndMakesTheFirstFormTheMainForm) {
  class TCreatedForm : public TForm {
   public:
    explicit TCreatedForm(TComponent* owner) : TForm(owner) {
      OnCreate = [this](TObject*) { created = true; };
    }
    bool created = false;
  };
  ASSERT_EQ(Application->MainForm(), nullptr);
  auto* form = Application->CreateForm<TCreatedForm>();
  EXPECT_TRUE(form->created);
  EXPECT_EQ(Application->MainForm(), form);
  EXPECT_EQ(form->Owner(), Application);
  delete form;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

namespace {

String shownText;
String shownCaption;

int WINAPI RecordMessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT) {
  shownText = text;
  shownCaption = caption;
  return IDOK;
}

}  // namespace

TEST(ApplicationExceptions, ShownWithAFullStopUnlessAbortOrHandled) {
  TMessageBoxFunction previous = SetMessageBoxFunction(&RecordMessageBox);
  Application->SetTitle(L"Exceptions");
  try {
    throw EConvertError(L"Not a number");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(shownText, L"Not a number.");
  EXPECT_EQ(shownCaption, L"Exceptions");
  shownText.clear();
  try {
    throw EAbort(L"quiet");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_TRUE(shownText.empty());
  try {
    throw std::runtime_error("plain");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(shownText, L"plain.");
  SetMessageBoxFunction(previous);
}

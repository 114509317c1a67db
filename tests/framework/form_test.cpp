#include <gtest/gtest.h>

#include <utility>

#include "control_fixtures.h"
#include "support/hostile_input.h"
#include "support/modal_input.h"

using Forms = ControlTest;

TEST_F(Forms, ParentFormIsTheTopOfTheChain) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 100, 100});
  auto* graphic = Make<TTestGraphic>(panel, {0, 0, 10, 10});
  EXPECT_EQ(GetParentForm(graphic), Form());
  EXPECT_EQ(GetParentForm(Form()), Form());
  TTestPanel loose(nullptr);
  loose.SetName(L"Loose");
  EXPECT_EQ(GetParentForm(&loose), nullptr);
  try {
    ValidParentForm(&loose);
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), L"Control 'Loose' has no parent window");
  }
}

TEST_F(Forms, BorderStyleAndIconsMakeTheWindowStyle) {
  Form()->SetBorderStyle(TFormBorderStyle::bsSizeable);
  Form()->SetBorderIcons({TBorderIcon::biSystemMenu, TBorderIcon::biMinimize});
  LONG_PTR style = GetWindowLongPtrW(Form()->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_EQ(GetWindow(Form()->Handle(), GW_OWNER), Application->Handle());
  Form()->SetBorderStyle(TFormBorderStyle::bsToolWindow);
  EXPECT_TRUE(GetWindowLongPtrW(Form()->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongPtrW(Form()->Handle(), GWL_STYLE) & WS_MINIMIZEBOX);
}

TEST_F(Forms, ApplicationWindowIsHiddenAndNamedForFinding) {
  HWND wnd = Application->Handle();
  wchar_t name[32] = {};
  GetClassNameW(wnd, name, 32);
  EXPECT_STREQ(name, L"TApplication");
  EXPECT_FALSE(IsWindowVisible(wnd));
  Application->SetTitle(L"Test Title");
  EXPECT_EQ(FindWindowW(L"TApplication", L"Test Title"), wnd);
}

TEST_F(Forms, ShowModalRunsUntilModalResultIsSet) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  panel->SetTabStop(true);
  TModalResult result = mrNone;
  bool wasModal = false;
  bool closed = false;
  Form()->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
  bool finished = RunModalWithInput(
      [&] {
        PostInputFromLoop([&] {
          wasModal = Form()->FormState().Contains(TFormStateItem::fsModal);
          Form()->SetModalResult(mrOk);
        });
      },
      [&] { result = Form()->ShowModal(); });
  EXPECT_TRUE(finished);
  EXPECT_TRUE(wasModal);
  EXPECT_TRUE(closed);
  EXPECT_EQ(result, mrOk);
  EXPECT_FALSE(Form()->Visible());
  EXPECT_FALSE(Form()->FormState().Contains(TFormStateItem::fsModal));
}

TEST_F(Forms, CloseQueryCanKeepAModalFormOpen) {
  int asked = 0;
  Form()->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
  TModalResult result = mrNone;
  RunModalWithInput(
      [&] {
        PostInputFromLoop([&] { Form()->SetModalResult(mrYes); });
        PostInputFromLoop([&] { Form()->SetModalResult(mrNo); }, 50);
      },
      [&] { result = Form()->ShowModal(); });
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(result, mrNo);
}

TEST_F(Forms, VisibleFormCannotBeShownModally) {
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_THROW(Form()->ShowModal(), EInvalidOperation);
}

TEST_F(Forms, CloseHidesOrKeepsTheForm) {
  EXPECT_TRUE(Form()->Show().Alive());
  TCloseAction chosen = TCloseAction::caNone;
  Form()->OnClose = [&](TObject*, TCloseAction& action) { action = chosen; };
  EXPECT_TRUE(Form()->Close().Alive());
  EXPECT_TRUE(Form()->Visible());
  chosen = TCloseAction::caHide;
  SendMessageW(Form()->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Form()->Visible());
}

TEST_F(Forms, ReleaseFreesTheFormAfterItsMessages) {
  auto* form = new TForm(nullptr);
  EXPECT_TRUE(form->Show().Alive());
  HWND wnd = form->Handle();
  form->Release();
  EXPECT_TRUE(IsWindow(wnd));
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(wnd));
  for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_NE(Screen->Forms(i), form);
}

TEST_F(Forms, MenuKeyIsOfferedToControlsThatTakeMenuEvents) {
  auto* plain = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  auto* menuBar = Make<TTestPanel>(Form(), {0, 60, 50, 80});
  menuBar->SetControlStyle(menuBar->ControlStyle() + TControlStyleItem::csMenuEvents);
  plain->Watched = {WM_SYSCOMMAND};
  WPARAM seenKey = 0;
  menuBar->SetWindowProc([&seenKey, previous = menuBar->WindowProc()](TMessage& message) {
    if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_KEYMENU) {
      seenKey = static_cast<WPARAM>(message.LParam);
      message.Result = 1;
      return;
    }
    previous(message);
  });
  EXPECT_TRUE(Form()->Show().Alive());
  SendMessageW(Form()->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  EXPECT_EQ(seenKey, static_cast<WPARAM>('f'));
  EXPECT_TRUE(plain->Received.empty());
}

TEST_F(Forms, MdiChildrenLiveInTheFramesClientWindow) {
  Form()->SetBorderStyle(TFormBorderStyle::bsSizeable);
  EXPECT_TRUE(Form()->SetFormStyle(TFormStyle::fsMDIForm).Alive());
  EXPECT_TRUE(Form()->Show().Alive());
  ASSERT_NE(Form()->ClientHandle(), nullptr);
  auto* toolbar = Make<TTestPanel>(Form(), {0, 0, 10, 30});
  EXPECT_TRUE(toolbar->SetAlign(TAlign::alTop).Alive());
  RECT client;
  GetWindowRect(Form()->ClientHandle(), &client);
  MapWindowPoints(nullptr, Form()->Handle(), reinterpret_cast<POINT*>(&client), 2);
  EXPECT_EQ(client.top, 30);

  auto* first = new TForm(Form());
  EXPECT_TRUE(first->SetFormStyle(TFormStyle::fsMDIChild).Alive());
  auto* second = new TForm(Form());
  EXPECT_TRUE(second->SetFormStyle(TFormStyle::fsMDIChild).Alive());
  ASSERT_TRUE(first->HandleAllocated());
  EXPECT_EQ(GetParent(first->Handle()), Form()->ClientHandle());
  EXPECT_EQ(Form()->MDIChildCount(), 2);
  EXPECT_EQ(Form()->ActiveMDIChild(), second);
  SendMessageW(Form()->ClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first->Handle()), 0);
  EXPECT_EQ(Form()->ActiveMDIChild(), first);
  delete second;
  EXPECT_EQ(Form()->MDIChildCount(), 1);
  EXPECT_EQ(Form()->MDIChildren(0), first);
}

TEST_F(Forms, WindowStateFollowsTheWindowBothWays) {
  Form()->SetBorderStyle(TFormBorderStyle::bsSizeable);
  EXPECT_TRUE(Form()->Show().Alive());
  Form()->SetWindowState(TWindowState::wsMaximized);
  EXPECT_TRUE(IsZoomed(Form()->Handle()));
  ShowWindow(Form()->Handle(), SW_RESTORE);
  EXPECT_EQ(Form()->WindowState(), TWindowState::wsNormal);
  ShowWindow(Form()->Handle(), SW_MINIMIZE);
  EXPECT_EQ(Form()->WindowState(), TWindowState::wsMinimized);
}

TEST_F(Forms, ShowAndHideRaiseTheirEventsAndMayNotChangeVisibility) {
  std::vector<String> events;
  Form()->OnShow = [&](TObject*) { events.push_back(L"show"); };
  Form()->OnHide = [&](TObject*) { events.push_back(L"hide"); };
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(IsWindowVisible(Form()->Handle()));
  EXPECT_TRUE(Form()->Showing());
  EXPECT_TRUE(Form()->Hide().Alive());
  EXPECT_FALSE(IsWindowVisible(Form()->Handle()));
  EXPECT_EQ(events, (std::vector<String>{L"show", L"hide"}));

  String reported;
  Application->OnException = [&](TObject*, const Exception& e) { reported = e.Message(); };
  Form()->OnShow = [&](TObject*) { (void)Form()->Hide(); };
  EXPECT_TRUE(Form()->Show().Alive());
  Application->OnException = nullptr;
  EXPECT_EQ(reported, L"Cannot change Visible in OnShow or OnHide");
}

TEST_F(Forms, HelpKeyAsksForTheNearestHelpContext) {
  auto* outer = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* inner = Make<TTestPanel>(outer, {10, 10, 50, 50});
  outer->SetHelpContext(77);
  EXPECT_TRUE(Form()->Show().Alive());
  std::vector<std::pair<WORD, ULONG_PTR>> asked;
  Application->OnHelp = [&](WORD command, ULONG_PTR data, bool& callHelp) {
    asked.emplace_back(command, data);
    callHelp = false;
    return true;
  };
  HELPINFO info{};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.hItemHandle = inner->Handle();
  SendMessageW(Form()->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  Form()->SetBorderIcons({TBorderIcon::biSystemMenu, TBorderIcon::biHelp});
  info.hItemHandle = inner->Handle();
  SendMessageW(Form()->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  Application->OnHelp = nullptr;
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], (std::pair<WORD, ULONG_PTR>{HELP_CONTEXT, 77}));
  EXPECT_EQ(asked[1], (std::pair<WORD, ULONG_PTR>{HELP_CONTEXTPOPUP, 77}));
}

// The constraints bound the user's sizing as they bound the program's: the window reports them as its tracking
// limits, and a size set on the window itself stays inside them.
TEST_F(Forms, ConstraintsAreTheWindowsTrackingLimits) {
  Form()->SetBorderStyle(TFormBorderStyle::bsSizeable);
  Form()->Constraints()->SetMinWidth(300);
  Form()->Constraints()->SetMinHeight(200);
  Form()->Constraints()->SetMaxWidth(700);
  Form()->Constraints()->SetMaxHeight(500);
  EXPECT_TRUE(Form()->Show().Alive());
  MINMAXINFO info{};
  SendMessageW(Form()->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 300);
  EXPECT_EQ(info.ptMinTrackSize.y, 200);
  EXPECT_EQ(info.ptMaxTrackSize.x, 700);
  EXPECT_EQ(info.ptMaxTrackSize.y, 500);
  for (SIZE asked : {SIZE{100, 80}, SIZE{900, 800}}) {
    SetWindowPos(Form()->Handle(), nullptr, 0, 0, asked.cx, asked.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT bounds;
    GetWindowRect(Form()->Handle(), &bounds);
    EXPECT_GE(bounds.right - bounds.left, 300) << asked.cx;
    EXPECT_LE(bounds.right - bounds.left, 700) << asked.cx;
    EXPECT_GE(bounds.bottom - bounds.top, 200) << asked.cy;
    EXPECT_LE(bounds.bottom - bounds.top, 500) << asked.cy;
  }
}

// A form shown modally before it has a window: its OnResize, raised as the window is made and gets its size (with
// some borders), frees the form, which then shows nothing, and nothing of it is touched. The form is made under guarded allocations, so
// that a use of it faults.
TEST_F(Forms, AFormFreedAsShowModalMakesItsWindowShowsNothing) {
  for (const TFormBorderStyle style : {TFormBorderStyle::bsSizeable, TFormBorderStyle::bsSingle,
                                       TFormBorderStyle::bsDialog, TFormBorderStyle::bsToolWindow}) {
    SCOPED_TRACE(static_cast<int>(style));
    TGuardedAllocations guard;
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(style);
    EXPECT_TRUE(form->SetBounds(100, 100, 300, 200).Alive());
    EXPECT_TRUE(form->SetCaption(L"Form").Alive());
    ASSERT_FALSE(form->HandleAllocated());
    bool freed = false;
    form->OnResize = [&](TObject*) {
      if (!std::exchange(freed, true)) delete form;
    };
    TModalResult result = mrNone;
    EXPECT_TRUE(RunModalWithInput({}, [&] { result = form->ShowModal(); }));
    EXPECT_TRUE(freed);
    EXPECT_EQ(result, mrCancel);
  }
}

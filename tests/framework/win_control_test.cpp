#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "control_fixtures.h"
#include "framework/edit.h"
#include "support/message_recorder.h"
#include "support/test_window.h"
#include "support/window_capture.h"

namespace {

String WindowClassOf(HWND wnd) {
  wchar_t name[64] = {};
  GetClassNameW(wnd, name, 64);
  return name;
}

}  // namespace

using WindowLifetime = ControlTest;

TEST_F(WindowLifetime, WindowIsMadeWhenFirstNeededUnderTheClassName) {
  auto* panel = Make<TTestPanel>(Form(), {10, 10, 110, 60});
  EXPECT_FALSE(panel->HandleAllocated());
  EXPECT_FALSE(Form()->HandleAllocated());
  HWND wnd = panel->Handle();
  ASSERT_TRUE(IsWindow(wnd));
  EXPECT_TRUE(Form()->HandleAllocated());
  EXPECT_EQ(GetParent(wnd), Form()->Handle());
  EXPECT_EQ(WindowClassOf(wnd), L"TTestPanel");
  EXPECT_EQ(FindControl(wnd), panel);
  RECT rect;
  GetWindowRect(wnd, &rect);
  MapWindowPoints(nullptr, Form()->Handle(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.right, 110);
  // Hidden until the form shows.
  EXPECT_FALSE(IsWindowVisible(wnd));
}

TEST_F(WindowLifetime, ChildWithoutParentWindowRaises) {
  TTestPanel panel(nullptr);
  panel.SetName(L"Lonely");
  try {
    panel.Handle();
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), L"Control 'Lonely' has no parent window");
  }
}

// As a box shows, its first child's window is made and sized, and the child's OnResize moves the box onto a box
// that has no parent: the box's window went with the move, and its second child's window is not made (the box's new
// parent can have none), where making it raised "has no parent window" out of the Show that started it all.
TEST_F(WindowLifetime, ABoxMovedOffTheFormByItsChildAsItShowsMakesNoMoreWindowsThere) {
  TTestPanel lonely(nullptr);
  auto* box = Make<TTestPanel>(Form(), {0, 0, 150, 150});
  EXPECT_TRUE(box->SetVisible(false).Alive());
  auto* first = Make<TTestPanel>(box, {5, 5, 40, 40});
  auto* second = Make<TTestPanel>(box, {50, 5, 40, 40});
  EXPECT_TRUE(Form()->Show().Alive());
  first->OnResize = [first, box, &lonely](TObject*) {
    first->OnResize = nullptr;
    (void)box->SetParent(&lonely);
  };

  EXPECT_NO_THROW(EXPECT_TRUE(box->Show().Alive()));
  EXPECT_EQ(first->OnResize, nullptr);
  EXPECT_EQ(box->Parent(), &lonely);
  EXPECT_FALSE(box->HandleAllocated());
  EXPECT_FALSE(second->HandleAllocated());
  EXPECT_TRUE(box->SetParent(Form()).Alive());
}

// A box is deleted; as it leaves the form, the form aligns the rest of its children, and an edit's OnCanResize moves
// the edit onto the box: the box, whose children went already, refuses it, where the edit joined it and kept a
// parent freed a moment later.
TEST_F(WindowLifetime, AControlMayNotJoinAParentWhoseDeletionRuns) {
  auto* box = Make<TTestPanel>(Form(), {0, 0, 100, 40});
  EXPECT_TRUE(box->SetAlign(TAlign::alTop).Alive());
  auto* edit = Make<TEdit>(Form(), {0, 50, 100, 24});
  EXPECT_TRUE(edit->SetAlign(TAlign::alTop).Alive());
  EXPECT_TRUE(Form()->Show().Alive());
  String reported;
  Application->OnException = [&reported](TObject*, const Exception& e) { reported = e.Message(); };
  edit->OnCanResize = [edit, box](TObject*, int&, int&, bool&) {
    edit->OnCanResize = nullptr;
    (void)edit->SetParent(box);
  };

  delete box;
  Application->OnException = nullptr;
  EXPECT_EQ(edit->OnCanResize, nullptr);
  EXPECT_EQ(reported, L"A control cannot join a parent that is being destroyed");
  EXPECT_EQ(edit->Parent(), Form());
}

TEST_F(WindowLifetime, TextLivesInTheWindowAndSurvivesIt) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  EXPECT_TRUE(panel->SetCaption(L"before").Alive());
  HWND wnd = panel->Handle();
  wchar_t text[32] = {};
  GetWindowTextW(wnd, text, 32);
  EXPECT_STREQ(text, L"before");
  SetWindowTextW(wnd, L"typed");
  EXPECT_EQ(panel->Text(), L"typed");
  EXPECT_TRUE(Form()->Show().Alive());
  panel->RecreateWnd();
  EXPECT_EQ(panel->Caption(), L"typed");
}

TEST_F(WindowLifetime, RecreateWndMakesTheChildrenAgain) {
  EXPECT_TRUE(Form()->Show().Alive());
  auto* outer = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* inner = Make<TTestPanel>(outer, {20, 20, 80, 80});
  auto* graphic = Make<TTestGraphic>(outer, {100, 100, 120, 120});
  HWND oldOuter = outer->Handle();
  HWND oldInner = inner->Handle();
  ASSERT_TRUE(IsWindowVisible(oldInner));
  outer->RecreateWnd();
  EXPECT_FALSE(IsWindow(oldOuter));
  EXPECT_FALSE(IsWindow(oldInner));
  ASSERT_TRUE(inner->HandleAllocated());
  EXPECT_EQ(GetParent(inner->Handle()), outer->Handle());
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
  EXPECT_EQ(inner->BoundsRect().left, 20);
  EXPECT_EQ(graphic->Parent(), outer);
  EXPECT_EQ(outer->ControlCount(), 2);
}

TEST_F(WindowLifetime, DetachedWindowSurvivesAChangeOfParent) {
  EXPECT_TRUE(Form()->Show().Alive());
  auto* first = Make<TTestPanel>(Form(), {0, 0, 100, 100});
  auto* second = Make<TTestPanel>(Form(), {100, 0, 200, 100});
  auto* moving = Make<TTestPanel>(first, {5, 5, 50, 50});
  HWND wnd = moving->Handle();

  // The way a dockable window moves between docks: detach, leave the parent, move the window, attach, join the
  // new parent (which, attached, makes no second window).
  class TDetachable : public TTestPanel {
   public:
    using TTestPanel::TTestPanel;
    static void MoveKeepingWindow(TWinControl* control, TWinControl* newParent) {
      auto* self = static_cast<TDetachable*>(control);
      HWND kept = self->WindowHandle();
      self->SetWindowHandle(nullptr);
      EXPECT_TRUE(self->SetParent(nullptr).Alive());
      ::SetParent(kept, newParent->Handle());
      self->SetWindowHandle(kept);
      EXPECT_TRUE(self->SetParent(newParent).Alive());
    }
  };
  TDetachable::MoveKeepingWindow(moving, second);
  EXPECT_EQ(moving->Handle(), wnd);
  EXPECT_EQ(GetParent(wnd), second->Handle());
  EXPECT_EQ(moving->Parent(), second);
}

// A handler raised while the window is made (OnResize, as the window gets its size) moves the control: no error
// comes out of the making, and the control stands where the handler put it, with a window there when that shows.
TEST_F(WindowLifetime, ControlMovedByAHandlerWhileItsWindowIsMadeStaysMoved) {
  EXPECT_TRUE(Form()->Show().Alive());
  auto* shown = Make<TTestPanel>(Form(), {200, 0, 300, 100});
  auto* hidden = Make<TTestPanel>(Form(), {200, 100, 300, 200});
  EXPECT_TRUE(hidden->SetVisible(false).Alive());
  for (TTestPanel* target : {shown, hidden, static_cast<TTestPanel*>(nullptr)}) {
    SCOPED_TRACE(target == shown ? "onto a shown panel" : target ? "onto a hidden panel" : "off its parent");
    auto* edit = new TEdit(Form());
    EXPECT_TRUE(edit->SetBounds(5, 5, 80, 24).Alive());
    bool moved = false;
    edit->OnResize = [&](TObject*) {
      if (!std::exchange(moved, true)) { EXPECT_TRUE(edit->SetParent(target).Alive()); }
    };
    EXPECT_NO_THROW(EXPECT_TRUE(edit->SetParent(Form()).Alive()));
    EXPECT_TRUE(moved);
    EXPECT_EQ(edit->Parent(), target);
    EXPECT_EQ(edit->HandleAllocated(), target == shown);
    if (edit->HandleAllocated()) {
      EXPECT_EQ(GetParent(edit->Handle()), shown->Handle());
    }
    delete edit;
  }
}

// As a hidden form shows, its control's window is made and sized: the control's OnResize moves it onto a shown form,
// where its new window is made and sized too, and OnResize there moves it back onto the form that shows. The window
// made first went with the move, though the control stands under the same parent window again: no error comes out,
// and the control gets its window as the form shows.
TEST_F(WindowLifetime, ControlMovedAwayAndBackWhileItsWindowIsMadeShowsWithItsForm) {
  EXPECT_TRUE(Form()->Show().Alive());
  TForm hidden(nullptr);
  hidden.SetBorderStyle(TFormBorderStyle::bsNone);
  EXPECT_TRUE(hidden.SetBounds(60, 60, 200, 150).Alive());
  auto* edit = new TEdit(&hidden);
  EXPECT_TRUE(edit->SetBounds(5, 5, 80, 24).Alive());
  EXPECT_TRUE(edit->SetParent(&hidden).Alive());
  int moves = 0;
  edit->OnResize = [&](TObject*) {
    if (moves < 2) { EXPECT_TRUE(edit->SetParent(moves++ == 0 ? Form() : &hidden).Alive()); }
  };
  EXPECT_NO_THROW(EXPECT_TRUE(hidden.Show().Alive()));
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(edit->Parent(), &hidden);
  EXPECT_TRUE(edit->Showing());
  EXPECT_TRUE(edit->HandleAllocated() && GetParent(edit->Handle()) == hidden.Handle());
  EXPECT_TRUE(edit->HandleAllocated() && IsWindowVisible(edit->Handle()));
}

TEST_F(WindowLifetime, DeletedChildLeavesItsParentAndTheFocusRecord) {
  auto* first = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  auto* second = Make<TTestPanel>(Form(), {60, 0, 110, 50});
  first->SetTabStop(true);
  second->SetTabStop(true);
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(second->SetFocus().Alive());
  HWND wnd = second->Handle();
  delete second;
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(Form()->ControlCount(), 1);
  EXPECT_EQ(Form()->ActiveControl(), nullptr);
  EXPECT_EQ(Form()->FindNextControl(first, true, true, false), first);
  std::vector<TWinControl*> order;
  Form()->GetTabOrderList(order);
  EXPECT_EQ(order, std::vector<TWinControl*>{first});
}

// A control put onto one of its own children would be its own ancestor: every walk up its parents (CanFocus, the
// parent form) would never end. The move is refused and the controls stay where they were.
TEST_F(WindowLifetime, AControlCannotMoveOntoItselfOrOneOfItsOwnChildren) {
  auto* outer = Make<TTestPanel>(Form(), {0, 0, 100, 100});
  auto* inner = Make<TTestPanel>(outer, {5, 5, 60, 60});
  auto* innermost = Make<TTestPanel>(inner, {5, 5, 30, 30});
  for (TWinControl* below : {outer, inner, innermost}) {
    ASSERT_THROW((void)outer->SetParent(below), EInvalidOperation);
    EXPECT_EQ(outer->Parent(), Form());
  }
  EXPECT_EQ(inner->Parent(), outer);
  EXPECT_EQ(innermost->Parent(), inner);
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(innermost->CanFocus());
  EXPECT_EQ(GetParentForm(innermost), Form());
}

// The focus leaving a control that leaves its parent raises handlers (the screen's change of its active control),
// which may put the new parent inside the
// control: joining it then would make the control its own ancestor, and every walk up its parents would go round.
TEST_F(WindowLifetime, AControlCannotJoinAParentTheHandlersOfItsLeavingPutInsideIt) {
  auto* moving = Make<TTestPanel>(Form(), {0, 0, 100, 100});
  auto* target = Make<TTestPanel>(Form(), {110, 0, 200, 100});
  moving->SetTabStop(true);
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(moving->SetFocus().Alive());
  bool armed = true, ran = false;
  Screen->OnActiveControlChange = [&](TObject*) {
    if (!std::exchange(armed, false)) return;
    ran = true;
    (void)target->SetParent(moving);
  };
  EXPECT_THROW((void)moving->SetParent(target), EInvalidOperation);
  Screen->OnActiveControlChange = nullptr;
  ASSERT_TRUE(ran);
  EXPECT_EQ(target->Parent(), moving);
  EXPECT_EQ(moving->Parent(), nullptr);
  EXPECT_FALSE(target->CanFocus());
}

TEST_F(WindowLifetime, RemovingAControlDestroysItsWindow) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  HWND wnd = panel->Handle();
  EXPECT_TRUE(panel->SetParent(nullptr).Alive());
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_FALSE(panel->HandleAllocated());
  delete panel;
  EXPECT_EQ(Form()->ControlCount(), 0);
}

using MessagePipeline = ControlTest;

TEST_F(MessagePipeline, WindowProcCanBeReplacedAndChained) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  std::vector<UINT> seen;
  TWndMethod previous = panel->WindowProc();
  panel->SetWindowProc([&](TMessage& message) {
    if (message.Msg == WM_USER + 7) seen.push_back(message.Msg);
    previous(message);
  });
  panel->Watched = {WM_USER + 7};
  SendMessageW(panel->Handle(), WM_USER + 7, 0, 0);
  EXPECT_EQ(seen, std::vector<UINT>{WM_USER + 7});
  EXPECT_EQ(panel->Received, std::vector<UINT>{WM_USER + 7});
  panel->SetWindowProc(previous);
  panel->Perform(WM_USER + 7);
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(panel->Received.size(), 2u);
}

TEST_F(MessagePipeline, ControlListChangesAreAnnounced) {
  auto* outer = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  outer->Watched = {CM_CONTROLCHANGE, CM_CONTROLLISTCHANGE};
  auto* child = Make<TTestGraphic>(outer, {0, 0, 10, 10});
  EXPECT_EQ(outer->Received, (std::vector<UINT>{CM_CONTROLLISTCHANGE, CM_CONTROLCHANGE}));
  outer->Received.clear();
  EXPECT_TRUE(child->SetParent(nullptr).Alive());
  EXPECT_EQ(outer->Received, (std::vector<UINT>{CM_CONTROLCHANGE, CM_CONTROLLISTCHANGE}));
  delete child;
}

TEST_F(MessagePipeline, ExceptionsStopAtTheWindowProcedure) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  String reported;
  TObject* sender = nullptr;
  Application->OnException = [&](TObject* s, const Exception& e) {
    sender = s;
    reported = e.Message();
  };
  TWndMethod previous = panel->WindowProc();
  panel->SetWindowProc([previous](TMessage& message) {
    if (message.Msg == WM_USER + 3) throw EConvertError(L"bad value");
    previous(message);
  });
  LRESULT result = SendMessageW(panel->Handle(), WM_USER + 3, 0, 0);
  Application->OnException = nullptr;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(reported, L"bad value");
  EXPECT_EQ(sender, panel);
}

TEST_F(MessagePipeline, ReflectedCommandReachesTheChild) {
  class TTestButton : public TWinControl {
   public:
    using TWinControl::TWinControl;
    int Commands = 0;
    void Dispatch(TMessage& message) override {
      if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) ++Commands;
      TWinControl::Dispatch(message);
    }

   protected:
    void CreateParams(TCreateParams& params) override {
      TWinControl::CreateParams(params);
      CreateSubClass(params, L"BUTTON");
      params.WinClassName = L"TTestButton";
    }
  };
  auto* button = Make<TTestButton>(Form(), {0, 0, 80, 24});
  EXPECT_TRUE(Form()->Show().Alive());
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(button->Commands, 1);
}

TEST_F(MessagePipeline, OwnerDrawNotificationsAreReflected) {
  class TOwnerDrawList : public TWinControl {
   public:
    using TWinControl::TWinControl;
    int Measured = 0;
    int Drawn = 0;
    void Dispatch(TMessage& message) override {
      if (message.Msg == CN_MEASUREITEM) {
        ++Measured;
        reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->itemHeight = 21;
        message.Result = 1;
        return;
      }
      if (message.Msg == CN_DRAWITEM) {
        ++Drawn;
        message.Result = 1;
        return;
      }
      TWinControl::Dispatch(message);
    }

   protected:
    void CreateParams(TCreateParams& params) override {
      TWinControl::CreateParams(params);
      CreateSubClass(params, L"LISTBOX");
      params.Style |= LBS_OWNERDRAWFIXED | LBS_NOTIFY;
      params.WinClassName = L"TOwnerDrawList";
    }
  };
  auto* list = Make<TOwnerDrawList>(Form(), {0, 0, 100, 100});
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_GE(list->Measured, 1);
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETITEMHEIGHT, 0, 0), 21);
  SendMessageW(list->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"one"));
  SendMessageW(list->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"two"));
  RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_GE(list->Drawn, 2);
}

using Painting = ControlTest;

TEST_F(Painting, PaintHonoursTheDeviceContextInWParam) {
  Form()->SetColor(clWhite);
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 120, 80});
  panel->SetColor(clRed);
  auto* graphic = Make<TTestGraphic>(panel, {30, 20, 60, 40});
  graphic->SetColor(clBlue);
  EXPECT_TRUE(Form()->Show().Alive());
  TWindowCapture capture = TWindowCapture::OfClient(panel->Handle());
  EXPECT_EQ(capture.Pixel(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(capture.Pixel(35, 25), RGB(0, 0, 255));
  RECT blue = capture.BoundsOf(RGB(0, 0, 255));
  EXPECT_EQ(blue.left, 30);
  EXPECT_EQ(blue.top, 20);
  EXPECT_EQ(blue.right, 60);
  EXPECT_EQ(blue.bottom, 40);
  EXPECT_TRUE(graphic->SetVisible(false).Alive());
  TWindowCapture hidden = TWindowCapture::OfClient(panel->Handle());
  EXPECT_EQ(hidden.CountPixels(RGB(0, 0, 255)), 0);
}

TEST_F(Painting, PrintingACustomControlWithoutChildrenRunsItsPaint) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 40, 30});
  panel->SetColor(clRed);
  EXPECT_TRUE(Form()->Show().Alive());
  // No background erase: what shows is Paint's own work.
  TWindowCapture capture = TWindowCapture::OfClient(panel->Handle(), PRF_CLIENT);
  EXPECT_EQ(capture.CountPixels(RGB(255, 0, 0)), 40 * 30);
}

TEST_F(Painting, BorderWidthFramesTheClientAreaInColor) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 100, 60});
  panel->SetColor(clYellow);
  panel->SetBorderWidth(4);
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_EQ(panel->ClientWidth(), 92);
  EXPECT_EQ(panel->ClientHeight(), 52);
  TWindowCapture capture = TWindowCapture::OfWindow(panel->Handle());
  EXPECT_EQ(capture.Pixel(1, 1), RGB(255, 255, 0));
}

TEST_F(Painting, BevelTakesItsWidthFromTheClientAreaOnItsEdges) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 100, 60});
  panel->SetColor(clYellow);
  EXPECT_TRUE(Form()->Show().Alive());
  panel->SetBevelKind(TBevelKind::bkFlat);
  panel->SetBevelWidth(2);
  EXPECT_EQ(panel->ClientWidth(), 92);
  EXPECT_EQ(panel->ClientHeight(), 52);
  panel->SetBevelEdges({TBevelEdge::beTop});
  EXPECT_EQ(panel->ClientWidth(), 100);
  EXPECT_EQ(panel->ClientHeight(), 56);
  panel->SetBevelOuter(TBevelCut::bvNone);
  EXPECT_EQ(panel->ClientHeight(), 58);
  TWindowCapture capture = TWindowCapture::OfWindow(panel->Handle());
  EXPECT_NE(capture.Pixel(50, 0), TWindowCapture::kUnpainted);
  EXPECT_EQ(capture.Pixel(50, 30), RGB(255, 255, 0));
}

TEST_F(Painting, PaintToDrawsTheFrameAndEveryVisibleChildInPlace) {
  Form()->SetColor(clWhite);
  auto* panel = Make<TTestPanel>(Form(), {10, 20, 110, 70});
  panel->SetColor(clRed);
  auto* inner = Make<TTestPanel>(panel, {50, 10, 90, 40});
  inner->SetColor(clBlue);
  auto* hidden = Make<TTestPanel>(Form(), {200, 200, 250, 250});
  hidden->SetColor(clLime);
  EXPECT_TRUE(hidden->SetVisible(false).Alive());
  EXPECT_TRUE(Form()->Show().Alive());
  TWindowCapture capture(400, 300);
  Form()->PaintTo(capture.DC(), 0, 0);
  EXPECT_EQ(capture.Pixel(5, 5), RGB(255, 255, 255));
  EXPECT_EQ(capture.Pixel(15, 25), RGB(255, 0, 0));
  RECT blue = capture.BoundsOf(RGB(0, 0, 255));
  EXPECT_EQ(blue.left, 60);
  EXPECT_EQ(blue.top, 30);
  EXPECT_EQ(blue.right, 100);
  EXPECT_EQ(blue.bottom, 60);
  EXPECT_EQ(capture.CountPixels(RGB(0, 255, 0)), 0);
}

namespace {

// A child window of a class the framework did not make: it paints its client area blue when asked to print it.
LRESULT CALLBACK BlueClientProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PRINTCLIENT) {
    RECT client;
    GetClientRect(wnd, &client);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(reinterpret_cast<HDC>(wParam), &client, blue);
    DeleteObject(blue);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

}  // namespace

TEST_F(Painting, PaintToPrintsFramesCaptionButtonsAndWindowsOfOtherClassesInPlace) {
  WNDCLASSW plainClass{};
  plainClass.lpfnWndProc = &BlueClientProc;
  plainClass.hInstance = GetModuleHandleW(nullptr);
  plainClass.lpszClassName = L"PrintedBlueChild";
  RegisterClassW(&plainClass);
  Form()->SetColor(clWhite);
  Form()->SetBorderStyle(TFormBorderStyle::bsSizeable);
  Form()->SetBorderIcons({TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize});
  auto* edit = Make<TEdit>(Form(), {10, 20, 110, 42});
  HWND plain = CreateWindowExW(0, L"PrintedBlueChild", L"", WS_CHILD | WS_VISIBLE, 150, 20, 40, 30, Form()->Handle(),
                               nullptr, nullptr, nullptr);
  EXPECT_TRUE(Form()->Show().Alive());
  RECT window;
  GetWindowRect(Form()->Handle(), &window);
  POINT client{0, 0};
  ClientToScreen(Form()->Handle(), &client);
  const int dx = client.x - window.left;
  const int dy = client.y - window.top;
  TWindowCapture capture(window.right - window.left, window.bottom - window.top);
  Form()->PaintTo(capture.DC(), 0, 0);
  EXPECT_EQ(capture.Pixel(dx + 5, dy + 5), RGB(255, 255, 255));
  // The edit's sunken client edge is its frame; its white client area lies inside.
  ASSERT_TRUE(GetWindowLongW(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(capture.Pixel(dx + 10, dy + 30), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(capture.Pixel(dx + 14, dy + 30), GetSysColor(COLOR_WINDOW));
  RECT blue = capture.BoundsOf(RGB(0, 0, 255));
  EXPECT_EQ(blue.left, dx + 150);
  EXPECT_EQ(blue.top, dy + 20);
  EXPECT_EQ(blue.right, dx + 190);
  EXPECT_EQ(blue.bottom, dy + 50);
  // The caption with its close button: button text pixels in the caption's right end.
  const int captionHeight = GetSystemMetrics(SM_CYCAPTION);
  const RECT closeArea{dx + Form()->ClientWidth() - GetSystemMetrics(SM_CXSIZE), dy - captionHeight,
                       dx + Form()->ClientWidth(), dy};
  EXPECT_GT(capture.CountPixels(GetSysColor(COLOR_BTNTEXT), &closeArea), 4);
  DestroyWindow(plain);
  UnregisterClassW(L"PrintedBlueChild", GetModuleHandleW(nullptr));
}

using VisibleAndEnabled = ControlTest;

TEST_F(VisibleAndEnabled, ShowingNeedsEveryParentShowing) {
  auto* outer = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* inner = Make<TTestPanel>(outer, {10, 10, 50, 50});
  EXPECT_FALSE(inner->Showing());
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(inner->Showing());
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
  // Whatever hides an ancestor, the children stop showing with it, and show again with it.
  auto* deepest = Make<TTestPanel>(inner, {1, 1, 20, 20});
  outer->SetName(L"Outer");
  inner->SetName(L"Inner");
  deepest->SetName(L"Deepest");
  for (TWinControl* hidden : std::initializer_list<TWinControl*>{outer, Form(), inner}) {
    EXPECT_TRUE(hidden->Hide().Alive());
    for (TWinControl* control : {outer, inner, deepest})
      EXPECT_EQ(control->Showing(), IsWindowVisible(control->Handle()) != FALSE)
          << control->Name() << " with " << hidden->Name() << " hidden";
    EXPECT_FALSE(deepest->Showing());
    EXPECT_TRUE(deepest->Visible());
    EXPECT_TRUE(hidden->Show().Alive());
    EXPECT_TRUE(deepest->Showing());
    EXPECT_TRUE(IsWindowVisible(deepest->Handle()));
  }
}

TEST_F(VisibleAndEnabled, EnabledReachesTheWindowAndTheNotification) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 50, 50});
  panel->Watched = {CM_ENABLEDCHANGED, CM_TEXTCHANGED, CM_CTL3DCHANGED, CM_BIDIMODECHANGED};
  EXPECT_TRUE(Form()->Show().Alive());
  panel->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(panel->Handle()));
  panel->SetEnabled(false);
  EXPECT_TRUE(panel->SetCaption(L"x").Alive());
  EXPECT_TRUE(panel->SetCaption(L"x").Alive());
  panel->SetCtl3D(false);
  panel->SetBiDiMode(TBiDiMode::bdRightToLeft);
  EXPECT_EQ(panel->Received,
            (std::vector<UINT>{CM_ENABLEDCHANGED, CM_TEXTCHANGED, CM_CTL3DCHANGED, CM_BIDIMODECHANGED}));
  EXPECT_TRUE(panel->UseRightToLeftReading());
  EXPECT_EQ(panel->DrawTextBiDiModeFlags(DT_LEFT), static_cast<UINT>(DT_RIGHT | DT_RTLREADING));
  panel->SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(panel->Handle()));
}

TEST(HostedControls, ControlInAForeignWindowShowsAndTakesTheFocus) {
  TTestWindow host(RECT{100, 100, 400, 300});
  TTestPanel panel(nullptr);
  EXPECT_TRUE(panel.SetBounds(10, 20, 100, 50).Alive());
  panel.SetTabStop(true);
  EXPECT_TRUE(panel.SetParentWindow(host.Handle()).Alive());
  ASSERT_TRUE(panel.HandleAllocated());
  EXPECT_EQ(GetParent(panel.Handle()), host.Handle());
  EXPECT_TRUE(IsWindowVisible(panel.Handle()));
  EXPECT_TRUE(panel.CanFocus());
  SetForegroundWindow(host.Handle());
  EXPECT_TRUE(panel.SetFocus().Alive());
  EXPECT_TRUE(panel.Focused());
  POINT origin = panel.ClientOrigin();
  EXPECT_EQ(origin.x, 110);
  EXPECT_EQ(origin.y, 120);
  EXPECT_TRUE(panel.SetParentWindow(nullptr).Alive());
  EXPECT_FALSE(panel.HandleAllocated());
}

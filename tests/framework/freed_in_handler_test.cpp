// A control freed by a handler of its own painting, keys, mouse or sizing, or of a sibling's sizing as the parent
// aligns them, by real input or the program's moves: the framework touches nothing of it afterwards. Everything is made
// under guarded allocations, so that a use of what a handler freed faults.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "control_fixtures.h"
#include "framework/combo_box.h"
#include "framework/edit.h"
#include "framework/splitter.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"

namespace {

// Paint runs the test's handler after filling; so does a windowless child's mouse entering.
class THandlerPanel : public TTestPanel {
  BC_CLASS(THandlerPanel, TTestPanel)
  using TTestPanel::TTestPanel;
  std::function<void()> OnPainted;

 protected:
  TRaised Paint() override {
    EXPECT_TRUE(TTestPanel::Paint().Alive());
    // The test's handler may free the control: the answer says so.
    const TLifeWatch life = LifeWatch();
    if (OnPainted) OnPainted();
    return TRaised(!life.Ended());
  }
};

class THandlerGraphic : public TTestGraphic {
  BC_CLASS(THandlerGraphic, TTestGraphic)
  using TTestGraphic::TTestGraphic;
  std::function<void()> OnPainted;
  std::function<void()> OnEntered;

  void Dispatch(TMessage& message) override {
    TTestGraphic::Dispatch(message);
    if (message.Msg == CM_MOUSEENTER && OnEntered) OnEntered();
  }

 protected:
  TRaised Paint() override {
    EXPECT_TRUE(TTestGraphic::Paint().Alive());
    // The test's handler may free the control: the answer says so.
    const TLifeWatch life = LifeWatch();
    if (OnPainted) OnPainted();
    return TRaised(!life.Ended());
  }
  // The recording base keeps the events from the handlers; these raise them.
  TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    return TGraphicControl::MouseDown(button, shift, x, y);
  }
  TRaised MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    return TGraphicControl::MouseUp(button, shift, x, y);
  }
};

// The form holds a panel with two windowless children and an edit beside it; the edit has the focus.
struct TScene {
  THandlerPanel* Panel;
  THandlerGraphic* Child;
  THandlerGraphic* Sibling;
  TEdit* Edit;
  TForm* Form;
  // A control a case adds to the panel.
  TControl* Extra;
};

struct TCase {
  const char* Name;
  std::function<void(TScene&)> Arm;
  std::function<void(TScene&)> Act;
  // What the handler frees; it must be gone afterwards, and the form still works.
  std::function<TControl*(TScene&)> Freed;
};

void Repaint(TWinControl* control) {
  RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ProcessPendingMessages();
}

void Print(TWinControl* control) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, control->Width(), control->Height());
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  control->PaintTo(dc, 0, 0);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

void ClickAt(TControl* control, POINT point, bool right = false) {
  ClickAndSettle(control->ClientToScreen(point), right);
}

void TurnWheelOver(TControl* control) {
  const POINT point = control->ClientToScreen(POINT{5, 5});
  SetCursorPos(point.x, point.y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  input.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
  SendInput(1, &input, sizeof input);
  ProcessPendingMessages();
  PumpFor(50);
}

template <class T>
void Free(T*& control) {
  delete std::exchange(control, nullptr);
}

// Both children take the panel's top edge, the sibling below the child.
void AlignBothToTheTop(TScene& s) {
  EXPECT_TRUE(s.Child->SetAlign(TAlign::alTop).Alive());
  EXPECT_TRUE(s.Sibling->SetAlign(TAlign::alTop).Alive());
}

// The panel grows: its window's new size aligns its children again.
void GrowThePanel(TScene& s) { (void)s.Panel->SetBounds(0, 0, 260, 260); }

// An edit of the form's, not yet placed, whose window is made (and sized, raising OnResize) as it joins the panel,
// which shows; or one on the panel with the focus, which leaves the panel for the form.
TEdit* JoiningEdit(TScene& s) {
  auto* edit = new TEdit(s.Form);
  EXPECT_TRUE(edit->SetBounds(10, 60, 120, 24).Alive());
  s.Extra = edit;
  return edit;
}
TEdit* FocusedEditOnThePanel(TScene& s) {
  auto* edit = JoiningEdit(s);
  EXPECT_TRUE(edit->SetParent(s.Panel).Alive());
  EXPECT_TRUE(edit->SetFocus().Alive());
  ProcessPendingMessages();
  EXPECT_EQ(GetFocus(), edit->Handle());
  return edit;
}

// A hidden box on the panel, without a window, holding a windowed child.
TTestPanel* HiddenBoxWithAChild(TScene& s) {
  auto* box = new TTestPanel(s.Form);
  EXPECT_TRUE(box->SetBounds(0, 0, 150, 150).Alive());
  EXPECT_TRUE(box->SetVisible(false).Alive());
  EXPECT_TRUE(box->SetParent(s.Panel).Alive());
  auto* child = new THandlerPanel(s.Form);
  EXPECT_TRUE(child->SetBounds(50, 5, 40, 40).Alive());
  EXPECT_TRUE(child->SetParent(box).Alive());
  s.Extra = child;
  return box;
}

const TCase kCases[] = {
    {"PanelInItsPaint", [](TScene& s) { s.Panel->OnPainted = [&s] { Free(s.Panel); }; },
     [](TScene& s) { Repaint(s.Panel); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInItsPaintWhilePrinted", [](TScene& s) { s.Panel->OnPainted = [&s] { Free(s.Panel); }; },
     [](TScene& s) { Print(s.Panel); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInAChildsPaint", [](TScene& s) { s.Child->OnPainted = [&s] { Free(s.Panel); }; },
     [](TScene& s) { Repaint(s.Panel); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInItsCanvasOnChangingAsItPaints",
     [](TScene& s) { s.Panel->Canvas()->OnChanging = [&s](TObject*) { Free(s.Panel); }; },
     [](TScene& s) { Repaint(s.Panel); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInItsCanvasOnChangeAsItPaints",
     [](TScene& s) { s.Panel->Canvas()->OnChange = [&s](TObject*) { Free(s.Panel); }; },
     [](TScene& s) { Repaint(s.Panel); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInAChildsCanvasOnChangingAsTheChildPaints",
     [](TScene& s) { s.Child->Canvas()->OnChanging = [&s](TObject*) { Free(s.Panel); }; },
     [](TScene& s) { Repaint(s.Panel); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"ChildInItsCanvasOnChangeAsItPaints",
     [](TScene& s) { s.Child->Canvas()->OnChange = [&s](TObject*) { Free(s.Child); }; },
     [](TScene& s) { Repaint(s.Panel); }, [](TScene& s) -> TControl* { return s.Child; }},
    {"ComboBoxInItsCanvasOnChangeAsItDrawsAnItem",
     [](TScene& s) {
       auto* combo = new TCustomComboBox(s.Form);
       EXPECT_TRUE(combo->SetBounds(210, 60, 150, 24).Alive());
       combo->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
       EXPECT_TRUE(combo->SetParent(s.Form).Alive());
       combo->Items()->Add(L"one");
       combo->SetItemIndex(0);
       ProcessPendingMessages();
       s.Extra = combo;
       combo->Canvas()->OnChange = [&s](TObject*) { Free(s.Extra); };
     },
     [](TScene& s) { Repaint(static_cast<TWinControl*>(s.Extra)); }, [](TScene& s) { return s.Extra; }},
    {"NextChildInAChildsPaint", [](TScene& s) { s.Child->OnPainted = [&s] { Free(s.Sibling); }; },
     [](TScene& s) { Repaint(s.Panel); }, [](TScene& s) -> TControl* { return s.Sibling; }},
    {"EditInOnKeyDown", [](TScene& s) { s.Edit->OnKeyDown = [&s](TObject*, WORD&, TShiftState) { Free(s.Edit); }; },
     [](TScene&) { TypeAndSettle('A'); }, [](TScene& s) -> TControl* { return s.Edit; }},
    {"EditInOnKeyPress", [](TScene& s) { s.Edit->OnKeyPress = [&s](TObject*, wchar_t&) { Free(s.Edit); }; },
     [](TScene&) { TypeAndSettle('A'); }, [](TScene& s) -> TControl* { return s.Edit; }},
    {"EditInOnKeyUp", [](TScene& s) { s.Edit->OnKeyUp = [&s](TObject*, WORD&, TShiftState) { Free(s.Edit); }; },
     [](TScene&) { TypeAndSettle('A'); }, [](TScene& s) -> TControl* { return s.Edit; }},
    {"EditInTheFormsKeyPreview",
     [](TScene& s) {
       s.Form->SetKeyPreview(true);
       s.Form->OnKeyDown = [&s](TObject*, WORD&, TShiftState) { Free(s.Edit); };
     },
     [](TScene&) { TypeAndSettle('A'); }, [](TScene& s) -> TControl* { return s.Edit; }},
    {"ChildInItsOnClick", [](TScene& s) { s.Child->OnClick = [&s](TObject*) { Free(s.Child); }; },
     [](TScene& s) {
       ClickAt(s.Panel, {15, 15});
     },
     [](TScene& s) -> TControl* { return s.Child; }},
    {"PanelInAChildsOnMouseDown",
     [](TScene& s) { s.Child->OnMouseDown = [&s](TObject*, TMouseButton, TShiftState, int, int) { Free(s.Panel); }; },
     [](TScene& s) {
       ClickAt(s.Panel, {15, 15});
     },
     [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInItsOnClick", [](TScene& s) { s.Panel->OnClick = [&s](TObject*) { Free(s.Panel); }; },
     [](TScene& s) {
       ClickAt(s.Panel, {150, 150});
     },
     [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInAChildsOnContextPopup",
     [](TScene& s) { s.Child->OnContextPopup = [&s](TObject*, POINT, bool&) { Free(s.Panel); }; },
     [](TScene& s) {
       ClickAt(s.Panel, {15, 15}, true);
     },
     [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInAChildsMouseEnter", [](TScene& s) { s.Child->OnEntered = [&s] { Free(s.Panel); }; },
     [](TScene& s) {
       // The mouse may have been over the child already when the form was shown: it leaves the child first.
       for (const POINT inPanel : {POINT{150, 150}, POINT{15, 15}}) {
         const POINT point = s.Panel->ClientToScreen(inPanel);
         SetCursorPos(point.x, point.y);
         SendMouse(MOUSEEVENTF_MOVE);
         ProcessPendingMessages();
         PumpFor(50);
       }
     },
     [](TScene& s) -> TControl* { return s.Panel; }},
    {"EditInOnEnterByAClick",
     [](TScene& s) {
       EXPECT_TRUE(s.Form->SetActiveControl(nullptr).Alive());
       ProcessPendingMessages();
       s.Edit->OnEnter = [&s](TObject*) { Free(s.Edit); };
     },
     [](TScene& s) {
       ClickAt(s.Edit, {5, 5});
     },
     [](TScene& s) -> TControl* { return s.Edit; }},
    {"EditInOnMouseWheelDown",
     [](TScene& s) { s.Edit->OnMouseWheelDown = [&s](TObject*, TShiftState, POINT, bool&) { Free(s.Edit); }; },
     [](TScene& s) { TurnWheelOver(s.Edit); }, [](TScene& s) -> TControl* { return s.Edit; }},
    {"PanelInItsOnResizeBySetBounds", [](TScene& s) { s.Panel->OnResize = [&s](TObject*) { Free(s.Panel); }; },
     GrowThePanel, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInItsOnResizeAsItsWindowIsMadeAgain",
     [](TScene& s) { s.Panel->OnResize = [&s](TObject*) { Free(s.Panel); }; },
     [](TScene& s) { s.Panel->RecreateWnd(); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInAnAlignedChildsOnResize",
     [](TScene& s) {
       AlignBothToTheTop(s);
       s.Child->OnResize = [&s](TObject*) { Free(s.Panel); };
     },
     GrowThePanel, [](TScene& s) -> TControl* { return s.Panel; }},
    {"NextAlignedSiblingInAChildsOnResize",
     [](TScene& s) {
       AlignBothToTheTop(s);
       s.Child->OnResize = [&s](TObject*) { Free(s.Sibling); };
     },
     GrowThePanel, [](TScene& s) -> TControl* { return s.Sibling; }},
    {"PanelInAnAlignedChildsOnCanResize",
     [](TScene& s) {
       AlignBothToTheTop(s);
       s.Child->OnCanResize = [&s](TObject*, int&, int&, bool&) { Free(s.Panel); };
     },
     GrowThePanel, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInTheOnResizeOfAnEditJoiningIt",
     [](TScene& s) { JoiningEdit(s)->OnResize = [&s](TObject*) { Free(s.Panel); }; },
     [](TScene& s) { (void)s.Extra->SetParent(s.Panel); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"PanelInTheOnResizeOfAnEditJoiningItThatMovesTheEditAwayFirst",
     [](TScene& s) {
       JoiningEdit(s)->OnResize = [&s](TObject*) {
         if (!s.Panel) return;
         (void)s.Extra->SetParent(s.Form);
         Free(s.Panel);
       };
     },
     [](TScene& s) { (void)s.Extra->SetParent(s.Panel); }, [](TScene& s) -> TControl* { return s.Panel; }},
    {"EditInItsOnResizeAsItJoinsThePanel",
     [](TScene& s) { JoiningEdit(s)->OnResize = [&s](TObject*) { Free(s.Extra); }; },
     [](TScene& s) { (void)s.Extra->SetParent(s.Panel); }, [](TScene& s) -> TControl* { return s.Extra; }},
    {"PanelInTheScreensOnActiveControlChangeAsItsFocusedEditLeavesIt",
     [](TScene& s) {
       FocusedEditOnThePanel(s);
       Screen->OnActiveControlChange = [&s](TObject*) { Free(s.Panel); };
     },
     [](TScene& s) {
       (void)s.Extra->SetParent(s.Form);
       Screen->OnActiveControlChange = nullptr;
     },
     [](TScene& s) -> TControl* { return s.Panel; }},
    {"AChildInItsParentsOnResizeAsTheParentsWindowIsMadeForTheChild",
     [](TScene& s) { HiddenBoxWithAChild(s)->OnResize = [&s](TObject*) { Free(s.Extra); }; },
     [](TScene& s) { static_cast<TWinControl*>(s.Extra)->HandleNeeded(); },
     [](TScene& s) -> TControl* { return s.Extra; }},
    {"SplitterInItsOnResize",
     [](TScene& s) {
       auto* splitter = new TSplitter(s.Form);
       EXPECT_TRUE(splitter->SetParent(s.Panel).Alive());
       EXPECT_TRUE(splitter->SetAlign(TAlign::alLeft).Alive());
       s.Extra = splitter;
       splitter->OnResize = [&s](TObject*) { Free(s.Extra); };
     },
     GrowThePanel, [](TScene& s) -> TControl* { return s.Extra; }},
};

class FreedInHandler : public ControlTest, public testing::WithParamInterface<TCase> {};

TEST_P(FreedInHandler, NothingOfTheFreedControlIsTouchedAgain) {
  const TCase& c = GetParam();
  {
    TGuardedAllocations guard;
    TScene scene{};
    scene.Form = Form();
    scene.Panel = Make<THandlerPanel>(Form(), {0, 0, 200, 200});
    scene.Child = Make<THandlerGraphic>(scene.Panel, {10, 10, 50, 50});
    scene.Sibling = Make<THandlerGraphic>(scene.Panel, {60, 10, 100, 50});
    scene.Edit = Make<TEdit>(Form(), {210, 10, 390, 30});
    EXPECT_TRUE(Form()->Show().Alive());
    SetForegroundWindow(Form()->Handle());
    EXPECT_TRUE(scene.Edit->SetFocus().Alive());
    ProcessPendingMessages();
    c.Arm(scene);
    c.Act(scene);
    EXPECT_EQ(c.Freed(scene), nullptr) << "the handler did not run";
    // What is left still paints.
    Repaint(Form());
    Form()->OnKeyDown = nullptr;
    delete scene.Panel;
    delete scene.Edit;
  }
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  ProcessQueued();
}

INSTANTIATE_TEST_SUITE_P(Handlers, FreedInHandler, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TCase>& info) { return info.param.Name; });

}  // namespace

#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "framework/actions.h"
#include "framework/edit.h"
#include "framework/menus.h"
#include "framework/std_actions.h"

namespace {

// An action that acts on the panel whose Tag it names, and records where it ran or updated.
class TPanelAction : public TAction {
  BC_CLASS(TPanelAction, TAction)
  using TAction::TAction;
  intptr_t Wanted = 0;
  TObject* ExecutedOn = nullptr;
  TObject* UpdatedOn = nullptr;
  bool HandlesTarget(TObject* target) override {
    auto* panel = ObjectAs<TTestPanel>(target);
    return panel && panel->Tag() == Wanted;
  }
  void ExecuteTarget(TObject* target) override { ExecutedOn = target; }
  void UpdateTarget(TObject* target) override { UpdatedOn = target; }
};

class ActionTargets : public ControlTest {
 protected:
  TTestPanel* Panel(TWinControl* parent, intptr_t tag, RECT bounds) {
    auto* panel = Make<TTestPanel>(parent, bounds);
    panel->SetTag(tag);
    panel->SetTabStop(true);
    return panel;
  }
};

}  // namespace

TEST_F(ActionTargets, ActionWithoutHandlerReachesTheVisibleControlItAimsAt) {
  auto* focused = Panel(Form(), 1, {0, 0, 50, 50});
  auto* outer = Panel(Form(), 2, {60, 0, 200, 100});
  Panel(outer, 3, {10, 10, 40, 40});
  auto* hidden = Panel(Form(), 4, {0, 120, 50, 170});
  EXPECT_TRUE(hidden->Hide().Alive());
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(focused->SetFocus().Alive());
  ProcessQueued();
  ASSERT_EQ(Screen->ActiveForm(), Form());

  struct Case {
    intptr_t wanted;
    bool withHandler;
    bool taken;
    intptr_t targetTag;
  };
  const Case cases[] = {
      {1, false, true, 1},   // the active control first
      {3, false, true, 3},   // a visible control at any depth
      {4, false, false, 0},  // hidden controls are not offered it
      {9, false, false, 0},  // nobody handles it
      {1, true, true, 0},    // the action's own handler comes before any target
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "aimed at " << c.wanted << (c.withHandler ? " with handler" : ""));
    TPanelAction action(nullptr);
    action.Wanted = c.wanted;
    int handlerRuns = 0;
    if (c.withHandler) action.SetOnExecute([&](TObject*) { ++handlerRuns; });
    EXPECT_EQ(action.Execute(), c.taken);
    auto* target = ObjectAs<TComponent>(action.ExecutedOn);
    EXPECT_EQ(target ? target->Tag() : 0, c.targetTag);
    EXPECT_EQ(handlerRuns, c.withHandler ? 1 : 0);
    if (!c.withHandler) {
      EXPECT_EQ(action.Update(), c.taken);
      auto* updated = ObjectAs<TComponent>(action.UpdatedOn);
      EXPECT_EQ(updated ? updated->Tag() : 0, c.targetTag);
    }
  }
}

TEST(ActionHints, ShortCutFollowsTheHintWhenTheApplicationAsksForIt) {
  const TShortCut ctrlS = TextToShortCut(L"Ctrl+S");
  const String withShortCut = L"Save (" + ShortCutToText(ctrlS) + L")";
  const struct {
    const wchar_t* hint;
    TShortCut shortCut;
    bool hintShortCuts;
    bool refuse;
    String shown;
  } cases[] = {{L"Save", ctrlS, true, false, withShortCut},
               {L"Save", ctrlS, false, false, L"Save"},
               {L"Save", 0, true, false, L"Save"},
               {L"", ctrlS, true, false, L""},
               {L"Save", ctrlS, true, true, L"Save"}};
  bool saved = Application->HintShortCuts();
  for (const auto& c : cases) {
    Application->SetHintShortCuts(c.hintShortCuts);
    TAction action;
    action.SetShortCut(c.shortCut);
    if (c.refuse) action.OnHint = [](String&, bool& canShow) { canShow = false; };
    TActionLink link(nullptr);
    link.SetAction(&action);
    String hint = c.hint;
    EXPECT_EQ(link.DoShowHint(hint), !c.refuse);
    EXPECT_EQ(hint, c.shown);
  }
  Application->SetHintShortCuts(saved);
}

namespace {

// A control that takes the standard copy action itself, as a tree does.
class TCopyingPanel : public TTestPanel {
  BC_CLASS(TCopyingPanel, TTestPanel)
  using TTestPanel::TTestPanel;
  int Copies = 0;
  bool AllowCopy = false;
  bool ExecuteAction(TBasicAction* action) override {
    if (!action->Is<TEditCopy>()) return TTestPanel::ExecuteAction(action);
    ++Copies;
    return true;
  }
  bool UpdateAction(TBasicAction* action) override {
    if (!action->Is<TEditCopy>()) return TTestPanel::UpdateAction(action);
    static_cast<TEditCopy*>(action)->SetEnabled(AllowCopy);
    return true;
  }
};

}  // namespace

TEST_F(ActionTargets, StandardEditActionsWorkOnTheFocusedEditOrAControlThatTakesThem) {
  auto* edit = Make<TEdit>(Form(), {0, 0, 120, 24});
  EXPECT_TRUE(edit->SetText(L"hello").Alive());
  auto* panel = Make<TCopyingPanel>(Form(), {0, 40, 50, 90});
  panel->SetTabStop(true);
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(edit->SetFocus().Alive());

  TEditSelectAll selectAll;
  TEditCopy copy;
  TEditCut cut;
  copy.Update();
  EXPECT_FALSE(copy.Enabled()) << "nothing is selected yet";
  ASSERT_TRUE(selectAll.Execute());
  DWORD start = 1, end = 0;
  SendMessageW(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 5u);
  const struct {
    bool readOnly;
    bool cutEnabled;
  } cases[] = {{false, true}, {true, false}};
  for (const auto& c : cases) {
    edit->SetReadOnly(c.readOnly);
    copy.Update();
    cut.Update();
    EXPECT_TRUE(copy.Enabled());
    EXPECT_EQ(cut.Enabled(), c.cutEnabled);
  }

  EXPECT_TRUE(panel->SetFocus().Alive());
  for (bool allow : {false, true}) {
    panel->AllowCopy = allow;
    int before = panel->Copies;
    EXPECT_EQ(copy.Execute(), allow) << "the focused control updates the action before it runs";
    EXPECT_EQ(copy.Enabled(), allow);
    EXPECT_EQ(panel->Copies - before, allow ? 1 : 0);
  }
}

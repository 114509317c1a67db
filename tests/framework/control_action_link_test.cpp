#include "framework/control_action_link.h"

#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/properties.h"
#include "framework/text_convert.h"

namespace {

String WindowText(HWND wnd) {
  wchar_t text[128] = {};
  GetWindowTextW(wnd, text, 128);
  return text;
}

// Holds the handlers, as forms do: member functions, so that a control's OnClick and the action's OnExecute
// compare equal when they are the same handler.
class THandlers : public TObject {
 public:
  std::vector<TObject*> executed;
  std::vector<TComponent*> actionComponents;
  int updates = 0;
  int replacementRuns = 0;
  int ownClicks = 0;

  void Execute(TObject* sender) {
    executed.push_back(sender);
    actionComponents.push_back(static_cast<TBasicAction*>(sender)->ActionComponent());
  }
  void Update(TObject*) { ++updates; }
  void Replacement(TObject*) { ++replacementRuns; }
  void OwnClick(TObject*) { ++ownClicks; }
};

// A control that publishes its action.
class TActionButton : public TCustomControl {
  BC_CLASS(TActionButton, TCustomControl)
  using TCustomControl::TCustomControl;
  const TPublishedTable& PublishedTable() const override {
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {ControlProperty(L"Action"), ControlProperty(L"Caption")});
    return table;
  }
};

using ControlActions = ControlTest;

TEST_F(ControlActions, TheActionPushesItsPropertiesIntoTheControlsWindow) {
  auto panel = Make<TTestPanel>(Form(), {10, 10, 110, 60});
  auto action = new TAction(Form());
  action->SetCaption(L"Open");
  action->SetHint(L"Opens a page");
  action->SetHelpContext(7);
  EXPECT_TRUE(panel->SetAction(action).Alive());
  HWND wnd = panel->Handle();
  EXPECT_EQ(WindowText(wnd), L"Open");
  EXPECT_EQ(panel->Hint(), L"Opens a page");
  EXPECT_EQ(panel->HelpContext(), 7);

  action->SetCaption(L"Close");
  EXPECT_EQ(WindowText(wnd), L"Close");
  action->SetEnabled(false);
  EXPECT_FALSE(panel->Enabled());
  EXPECT_FALSE(IsWindowEnabled(wnd));
  action->SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(wnd));
  action->SetVisible(false);
  EXPECT_FALSE(panel->Visible());

  // The link pushes a property only while the control still shows the action's value; any change of the action
  // then copies the whole action into the control (ActionChange without defaults).
  auto link = static_cast<TControlActionLink*>(panel->ActionLink());
  EXPECT_TRUE(panel->SetCaption(L"Mine").Alive());
  EXPECT_FALSE(link->IsCaptionLinked());
  EXPECT_TRUE(link->IsHintLinked());
  link->SetCaption(L"Pushed");
  EXPECT_EQ(WindowText(wnd), L"Mine");
  action->SetCaption(L"Other");
  EXPECT_EQ(WindowText(wnd), L"Other");
  EXPECT_TRUE(link->IsCaptionLinked());
}

TEST_F(ControlActions, ClickRunsTheActionUnlessTheControlHasAHandlerOfItsOwn) {
  THandlers handlers;
  auto panel = Make<TTestPanel>(Form(), {10, 10, 110, 60});
  auto action = new TAction(Form());
  action->SetOnExecute(TNotifyEvent(&handlers, &THandlers::Execute));
  EXPECT_TRUE(panel->SetAction(action).Alive());
  EXPECT_TRUE(panel->OnClick == action->OnExecute()) << "the control takes the action's handler";
  EXPECT_TRUE(panel->Click().Alive());
  EXPECT_EQ(handlers.executed, (std::vector<TObject*>{action}));
  EXPECT_EQ(handlers.actionComponents, (std::vector<TComponent*>{panel}));
  EXPECT_EQ(action->ActionComponent(), nullptr);

  // A new handler of the action follows into the control; a handler of the control's own wins.
  action->SetOnExecute(TNotifyEvent(&handlers, &THandlers::Replacement));
  EXPECT_TRUE(panel->OnClick == action->OnExecute());
  panel->OnClick = TNotifyEvent(&handlers, &THandlers::OwnClick);
  EXPECT_TRUE(panel->Click().Alive());
  EXPECT_EQ(handlers.replacementRuns, 0);
  EXPECT_EQ(handlers.ownClicks, 1);
  EXPECT_EQ(handlers.executed.size(), 1u);

  // A disabled action does not run.
  action->SetOnExecute(TNotifyEvent(&handlers, &THandlers::Execute));
  action->SetEnabled(false);
  EXPECT_TRUE(panel->Click().Alive());
  EXPECT_EQ(handlers.executed.size(), 1u);
}

TEST_F(ControlActions, AFreedActionLeavesTheControlAndDefaultsSurviveLoading) {
  auto panel = Make<TTestPanel>(Form(), {10, 10, 110, 60});
  auto action = new TAction(Form());
  action->SetCaption(L"Go");
  EXPECT_TRUE(panel->SetAction(action).Alive());
  delete action;
  EXPECT_EQ(panel->Action(), nullptr);
  EXPECT_EQ(panel->ActionLink(), nullptr);
  EXPECT_TRUE(panel->Click().Alive());

  // While the action is loading, only properties the control left at their defaults are taken.
  auto loading = new TAction(Form());
  loading->SetCaption(L"From action");
  loading->SetHint(L"action hint");
  EXPECT_TRUE(panel->SetCaption(L"").Alive());
  panel->SetHint(L"own hint");
  loading->SetLoading(true);
  EXPECT_TRUE(panel->SetAction(loading).Alive());
  loading->SetLoading(false);
  EXPECT_EQ(panel->Caption(), L"From action");
  EXPECT_EQ(panel->Hint(), L"own hint");
}

TEST_F(ControlActions, TheIdleUpdateReachesVisibleControlsOfShowingFormsAndEveryActionList) {
  THandlers handlers;
  auto panel = Make<TTestPanel>(Form(), {10, 10, 110, 60});
  auto inner = Make<TTestPanel>(panel, {5, 5, 50, 30});
  auto action = new TAction(Form());
  action->SetOnUpdate(TNotifyEvent(&handlers, &THandlers::Update));
  EXPECT_TRUE(inner->SetAction(action).Alive());
  UpdateActionsOnIdle();
  EXPECT_EQ(handlers.updates, 0) << "the form is not showing";
  EXPECT_TRUE(Form()->Show().Alive());
  UpdateActionsOnIdle();
  EXPECT_EQ(handlers.updates, 1) << "a nested control updates its action";
  EXPECT_TRUE(panel->SetVisible(false).Alive());
  UpdateActionsOnIdle();
  EXPECT_EQ(handlers.updates, 1) << "controls inside a hidden control are left alone";

  auto list = new TActionList(Form());
  action->SetActionList(list);
  UpdateActionsOnIdle();
  EXPECT_EQ(handlers.updates, 2) << "the action list updates its actions";
}

TEST_F(ControlActions, AStoredControlFindsItsActionAndTakesItsProperties) {
  RegisterPersistentClass(TActionButton::StaticClass());
  Form()->SetName(L"ActionForm");
  auto list = new TActionList(Form());
  list->SetName(L"Actions");
  auto action = new TAction(Form());
  action->SetName(L"OpenAction");
  action->SetActionList(list);
  action->SetCaption(L"Open");
  auto button = Make<TActionButton>(Form(), {10, 10, 90, 40});
  button->SetName(L"Button1");
  EXPECT_TRUE(button->SetAction(action).Alive());
  String text = ComponentToText(Form());
  EXPECT_NE(text.find(L"    Action = OpenAction\r\n"), String::npos) << WideToUtf8(text);

  // The stored caption is left out, so the control shows the action's.
  TForm copy(nullptr);
  ReadComponentFromText(
      L"object ActionForm: TForm\n  object Actions: TActionList\n    object OpenAction: TAction\n"
      L"      Caption = 'Open'\n    end\n  end\n  object Button1: TActionButton\n"
      L"    Action = OpenAction\n  end\nend",
      &copy);
  auto readButton = ObjectAs<TActionButton>(copy.FindComponent(L"Button1"));
  ASSERT_NE(readButton, nullptr);
  EXPECT_EQ(readButton->Action(), copy.FindComponent(L"OpenAction"));
  EXPECT_EQ(readButton->Caption(), L"Open");
  UnregisterPersistentClass(TActionButton::StaticClass());
}

}  // namespace

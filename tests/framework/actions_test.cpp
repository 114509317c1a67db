#include "framework/actions.h"

#include <gtest/gtest.h>

#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/image_list.h"
#include "framework/properties.h"

namespace {

class TLinkedClient;

// Shows everything an action pushes, and records each push.
class TClientLink : public TActionLink {
  BC_CLASS(TClientLink, TActionLink)
  explicit TClientLink(TComponent* client) : TActionLink(client) {}

  void SetCaption(const String& value) override;
  void SetEnabled(bool value) override;
  void SetChecked(bool value) override;
  void SetVisible(bool value) override;
  void SetHint(const String& value) override;
  void SetImageIndex(int value) override;
  void SetShortCut(TShortCut value) override;

 protected:
  void AssignClient(TComponent* client) override;

 private:
  TLinkedClient* client_ = nullptr;
};

class TLinkedClient : public TComponent {
  BC_CLASS(TLinkedClient, TComponent)
  using TComponent::TComponent;

  String caption;
  bool enabled = true;
  bool checked = false;
  bool visible = true;
  String hint;
  int imageIndex = -1;
  TShortCut shortCut = 0;
  std::vector<String> pushes;
  std::unique_ptr<TBasicActionLink> link;

  void SetAction(TBasicAction* action) {
    if (!action) {
      link.reset();
      return;
    }
    if (!link) link = CreateActionLink(TClientLink::StaticClass(), this);
    link->SetAction(action);
    action->FreeNotification(this);
  }
  TBasicAction* Action() const { return link ? link->Action() : nullptr; }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && link && component == link->Action()) link.reset();
  }
};

void TClientLink::AssignClient(TComponent* client) { client_ = ObjectAs<TLinkedClient>(client); }
void TClientLink::SetCaption(const String& value) {
  if (!IsCaptionLinked()) return;
  client_->caption = value;
  client_->pushes.push_back(L"Caption");
}
void TClientLink::SetEnabled(bool value) {
  if (!IsEnabledLinked()) return;
  client_->enabled = value;
  client_->pushes.push_back(L"Enabled");
}
void TClientLink::SetChecked(bool value) {
  if (!IsCheckedLinked()) return;
  client_->checked = value;
  client_->pushes.push_back(L"Checked");
}
void TClientLink::SetVisible(bool value) {
  if (!IsVisibleLinked()) return;
  client_->visible = value;
  client_->pushes.push_back(L"Visible");
}
void TClientLink::SetHint(const String& value) {
  if (!IsHintLinked()) return;
  client_->hint = value;
  client_->pushes.push_back(L"Hint");
}
void TClientLink::SetImageIndex(int value) {
  if (!IsImageIndexLinked()) return;
  client_->imageIndex = value;
  client_->pushes.push_back(L"ImageIndex");
}
void TClientLink::SetShortCut(TShortCut value) {
  if (!IsShortCutLinked()) return;
  client_->shortCut = value;
  client_->pushes.push_back(L"ShortCut");
}

TEST(ActionLinks, PushEveryChangedPropertyIntoTheirClients) {
  TComponent form;
  auto action = new TAction(&form);
  auto first = new TLinkedClient(&form);
  auto second = new TLinkedClient(&form);
  first->SetAction(action);
  second->SetAction(action);
  EXPECT_EQ(action->ClientCount(), 2);

  action->SetCaption(L"&Open");
  action->SetEnabled(false);
  action->SetChecked(true);
  action->SetVisible(false);
  action->SetHint(L"Opens");
  action->SetImageIndex(3);
  action->SetShortCut(0x4000 | 'O');
  for (TLinkedClient* client : {first, second}) {
    EXPECT_EQ(client->caption, L"&Open");
    EXPECT_FALSE(client->enabled);
    EXPECT_TRUE(client->checked);
    EXPECT_FALSE(client->visible);
    EXPECT_EQ(client->hint, L"Opens");
    EXPECT_EQ(client->imageIndex, 3);
    EXPECT_EQ(client->shortCut, 0x4000 | 'O');
  }
  std::vector<String> expected{L"Caption", L"Enabled", L"Checked", L"Visible", L"Hint", L"ImageIndex", L"ShortCut"};
  EXPECT_EQ(first->pushes, expected);

  // Setting a value the action already has pushes nothing.
  action->SetCaption(L"&Open");
  action->SetEnabled(false);
  EXPECT_EQ(first->pushes, expected);
}

TEST(ActionLinks, ReportChangesWithTheActionAsSenderAndLeaveCleanly) {
  TComponent form;
  auto action = new TAction(&form);
  auto client = new TLinkedClient(&form);
  client->SetAction(action);
  std::vector<TObject*> senders;
  client->link->OnChange = [&](TObject* sender) { senders.push_back(sender); };
  action->SetHint(L"x");
  action->SetOnExecute([](TObject*) {});
  EXPECT_EQ(senders, (std::vector<TObject*>{action, action}));

  // A link that goes leaves the action; an action that goes leaves its clients without a dangling link.
  client->SetAction(nullptr);
  EXPECT_EQ(action->ClientCount(), 0);
  client->SetAction(action);
  EXPECT_EQ(action->ClientCount(), 1);
  delete action;
  EXPECT_EQ(client->link, nullptr);
  EXPECT_EQ(client->Action(), nullptr);
}

TEST(ActionLinks, OnlyCustomActionsHaveLinkedProperties) {
  TComponent form;
  auto basic = new TBasicAction(&form);
  auto client = new TLinkedClient(&form);
  client->SetAction(basic);
  auto& link = static_cast<TActionLink&>(*client->link);
  EXPECT_FALSE(link.IsCaptionLinked());
  EXPECT_FALSE(link.IsEnabledLinked());
  link.SetCaption(L"ignored");
  EXPECT_EQ(client->caption, L"");
  auto custom = new TAction(&form);
  link.SetAction(custom);
  EXPECT_TRUE(link.IsCaptionLinked());
  EXPECT_TRUE(link.IsCheckedLinked());
  EXPECT_EQ(basic->ClientCount(), 0);
  EXPECT_EQ(custom->ClientCount(), 1);
}

struct ActionRun : testing::Test {
  TComponent form;
  TActionList* list = new TActionList(&form);
  TAction* action = new TAction(&form);
  TLinkedClient* client = new TLinkedClient(&form);
  std::vector<String> log;
  bool listHandlesExecute = false;

  void SetUp() override {
    action->SetActionList(list);
    client->SetAction(action);
    list->SetOnUpdate([this](TBasicAction*, bool&) { log.push_back(L"list update"); });
    list->SetOnExecute([this](TBasicAction*, bool& handled) {
      log.push_back(L"list execute");
      handled = listHandlesExecute;
    });
    action->SetOnUpdate([this](TObject*) { log.push_back(L"update"); });
    action->SetOnExecute([this](TObject* sender) {
      log.push_back(L"execute");
      EXPECT_EQ(sender, action);
      EXPECT_EQ(action->ActionComponent(), client);
    });
  }
};

TEST_F(ActionRun, UpdatesThenOffersTheListThenRunsItsOwnHandler) {
  EXPECT_TRUE(client->link->Execute(client));
  EXPECT_EQ(log, (std::vector<String>{L"list update", L"update", L"list execute", L"execute"}));
  EXPECT_EQ(action->ActionComponent(), nullptr) << "only while it runs";

  log.clear();
  listHandlesExecute = true;
  EXPECT_TRUE(client->link->Execute(client));
  EXPECT_EQ(log, (std::vector<String>{L"list update", L"update", L"list execute"}));

  log.clear();
  action->SetEnabled(false);
  EXPECT_FALSE(client->link->Execute(client));
  EXPECT_EQ(log, (std::vector<String>{L"list update", L"update"})) << "a disabled action only updates";
}

TEST_F(ActionRun, ListUpdateHandlerCanTakeOverAndIdleUpdatesEveryList) {
  list->SetOnUpdate([this](TBasicAction* sender, bool& handled) {
    log.push_back(L"list update");
    static_cast<TAction*>(sender)->SetEnabled(false);
    handled = true;
  });
  UpdateActionListsOnIdle();
  EXPECT_EQ(log, (std::vector<String>{L"list update"}));
  EXPECT_FALSE(client->enabled) << "an update pushes through the link";

  log.clear();
  list->SetLoading(true);
  UpdateActionListsOnIdle();
  EXPECT_TRUE(log.empty()) << "a list being loaded is not updated";
  list->SetLoading(false);
}

TEST_F(ActionRun, AutoCheckTogglesAndGroupsKeepOneChecked) {
  listHandlesExecute = true;
  action->SetAutoCheck(true);
  client->link->Execute(client);
  EXPECT_TRUE(action->Checked());
  EXPECT_TRUE(client->checked);
  client->link->Execute(client);
  EXPECT_FALSE(action->Checked());

  auto second = new TAction(&form);
  second->SetActionList(list);
  second->SetAutoCheck(true);
  auto outsider = new TAction(&form);  // same group index, no list: not a member
  outsider->SetGroupIndex(1);
  outsider->SetChecked(true);
  action->SetGroupIndex(1);
  second->SetGroupIndex(1);
  action->SetChecked(true);
  second->SetChecked(true);
  EXPECT_FALSE(action->Checked());
  EXPECT_FALSE(client->checked);
  EXPECT_TRUE(outsider->Checked());
  // Executing the checked member of a group leaves it checked.
  second->Execute();
  EXPECT_TRUE(second->Checked());
}

TEST_F(ActionRun, FreedActionsLeaveTheirListAndListsMoveThem) {
  auto second = new TAction(&form);
  second->SetActionList(list);
  auto third = new TAction(&form);
  third->SetActionList(list);
  EXPECT_EQ(third->Index(), 2);
  third->SetIndex(0);
  EXPECT_EQ(list->Actions(0), third);
  EXPECT_EQ(action->Index(), 1);
  delete second;
  EXPECT_EQ(list->ActionCount(), 2);
  EXPECT_THROW(list->Actions(2), EListError);
}

TEST(ActionListImages, ImageChangesAreListChangesAndAFreedImageListIsDropped) {
  TComponent form;
  auto images = new TImageList(&form);
  auto list = new TActionList(&form);
  int changes = 0;
  list->SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, list);
    ++changes;
  });
  list->SetImages(images);
  EXPECT_EQ(changes, 1);
  images->Clear();
  EXPECT_EQ(changes, 2);
  int before = changes;
  delete images;
  EXPECT_EQ(list->Images(), nullptr);
  EXPECT_EQ(changes, before + 1);
}

// A form with an action list whose events are the form's methods.
class TActionForm : public TComponent {
  BC_CLASS(TActionForm, TComponent)
  using TComponent::TComponent;
  void OpenExecute(TObject*) {}
  void ListUpdate(TBasicAction*, bool&) {}
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    (void)root;
    for (int i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) proc(Components(i));
  }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TActionForm>;
    static const TPublishedTable table(
        &inherited::PublishedTable(), {},
        {P::Method(L"OpenExecute", &TActionForm::OpenExecute), P::Method(L"ListUpdate", &TActionForm::ListUpdate)});
    return table;
  }
};

TEST(ActionStreaming, ActionListsStoreTheirActionsAndEvents) {
  RegisterPersistentClass(TActionForm::StaticClass());
  TActionForm original;
  original.SetName(L"Form1");
  auto list = new TActionList(&original);
  list->SetName(L"Actions");
  list->SetOnUpdate(TActionEvent(&original, &TActionForm::ListUpdate));
  auto open = new TAction(&original);
  open->SetName(L"OpenAction");
  open->SetActionList(list);
  open->SetCaption(L"&Open");
  open->SetShortCut(0x4000 | 'O');
  open->SetOnExecute(TNotifyEvent(&original, &TActionForm::OpenExecute));
  auto close = new TAction(&original);
  close->SetName(L"CloseAction");
  close->SetActionList(list);
  close->SetEnabled(false);
  String text = ComponentToText(&original);
  EXPECT_EQ(text,
            L"object Form1: TActionForm\r\n"
            L"  object Actions: TActionList\r\n"
            L"    OnUpdate = ListUpdate\r\n"
            L"    object OpenAction: TAction\r\n"
            L"      OnExecute = OpenExecute\r\n"
            L"      Caption = '&Open'\r\n"
            L"      ShortCut = 16463\r\n"
            L"    end\r\n"
            L"    object CloseAction: TAction\r\n"
            L"      Enabled = False\r\n"
            L"    end\r\n"
            L"  end\r\n"
            L"end");

  TActionForm copy;
  ReadComponentFromText(text, &copy);
  auto readList = ObjectAs<TActionList>(copy.FindComponent(L"Actions"));
  ASSERT_NE(readList, nullptr);
  ASSERT_EQ(readList->ActionCount(), 2);
  auto readOpen = ObjectAs<TAction>(readList->Actions(0));
  EXPECT_EQ(readOpen->Name(), L"OpenAction");
  EXPECT_TRUE(readOpen->OnExecute() == TNotifyEvent(&copy, &TActionForm::OpenExecute));
  EXPECT_TRUE(readList->OnUpdate() == TActionEvent(&copy, &TActionForm::ListUpdate));
  EXPECT_FALSE(ObjectAs<TAction>(readList->Actions(1))->Enabled());
  EXPECT_EQ(ComponentToText(&copy), text);
  UnregisterPersistentClass(TActionForm::StaticClass());
}

}  // namespace

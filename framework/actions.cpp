#include "framework/actions.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "framework/startup.h"

namespace {

// The living action lists of the user-interface thread, for the idle update.
std::vector<TActionList*>& LiveActionLists() {
  static std::vector<TActionList*> lists;
  return lists;
}

template <class T>
bool Contains(const std::vector<T*>& list, const T* item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

void RegisterActionClasses() {
  RegisterPersistentClass(TAction::StaticClass());
  RegisterPersistentClass(TActionList::StaticClass());
}

void UnregisterActionClasses() {
  UnregisterPersistentClass(TActionList::StaticClass());
  UnregisterPersistentClass(TAction::StaticClass());
}

}  // namespace

// TBasicActionLink

TBasicActionLink::TBasicActionLink(TComponent* client) { (void)client; }

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  if (value) value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* component) {
  if (!action_) return false;
  TBasicAction* action = action_;
  // The handler may free the action, which then leaves this link, or the client, which frees this link.
  const TLifeWatch life = LifeWatch();
  action->SetActionComponent(component);
  bool result = false;
  try {
    result = action->Execute();
  } catch (...) {
    if (!life.Ended() && action_ == action) action->SetActionComponent(nullptr);
    throw;
  }
  if (!life.Ended() && action_ == action) action->SetActionComponent(nullptr);
  return result;
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() {
  // The last act of every caller: each is done with the link.
  if (RaiseEvent(OnChange, action_).Gone()) return;
}

std::unique_ptr<TBasicActionLink> CreateActionLink(const TClass* linkClass, TComponent* client) {
  if (!linkClass->InheritsFrom(TBasicActionLink::StaticClass()))
    throw EInvalidOperation(linkClass->ClassName() + L" is not an action link class");
  std::unique_ptr<TBasicActionLink> link(static_cast<TBasicActionLink*>(linkClass->Create(client)));
  link->AssignClient(client);
  return link;
}

// TBasicAction

// TComponent as an action's target

bool TComponent::ExecuteAction(TBasicAction* action) {
  if (!action || !action->HandlesTarget(this)) return false;
  action->ExecuteTarget(this);
  return true;
}

bool TComponent::UpdateAction(TBasicAction* action) {
  if (!action || !action->HandlesTarget(this)) return false;
  action->UpdateTarget(this);
  return true;
}

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
  // Clients drop their links when they hear of the removal, which needs this action still whole.
  SendFreeNotifications();
  for (TBasicActionLink* link : clients_) link->action_ = nullptr;
  clients_.clear();
}

bool TBasicAction::Execute() {
  if (!onExecute_) return false;
  // Handled, whether or not the action outlived its handler.
  if (RaiseEvent(onExecute_, this).Gone()) return true;
  return true;
}

bool TBasicAction::Update() {
  if (!onUpdate_) return false;
  if (RaiseEvent(onUpdate_, this).Gone()) return true;
  return true;
}

void TBasicAction::SetActionComponent(TComponent* value) {
  if (value == actionComponent_) return;
  if (actionComponent_) actionComponent_->RemoveFreeNotification(this);
  actionComponent_ = value;
  if (value) value->FreeNotification(this);
}

void TBasicAction::SetOnExecute(const TNotifyEvent& value) {
  if (value == onExecute_) return;
  for (TBasicActionLink* link : clients_) link->SetOnExecute(value);
  onExecute_ = value;
  Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
  if (link->action_ && link->action_ != this) link->action_->UnRegisterChanges(link);
  link->action_ = this;
  if (!Contains(clients_, link)) clients_.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), link), clients_.end());
  if (link->action_ == this) link->action_ = nullptr;
}

void TBasicAction::Change() {
  TellClients([](TBasicActionLink& link) { link.Change(); });
}

void TBasicAction::TellClients(const std::function<void(TBasicActionLink&)>& tell) {
  // A client may leave the action while it hears, and its handlers may free the action.
  const TLifeWatch life = LifeWatch();
  const std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* link : links) {
    if (life.Ended()) return;
    if (Contains(clients_, link)) tell(*link);
  }
}

void TBasicAction::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == actionComponent_) actionComponent_ = nullptr;
}

const TPublishedTable& TBasicAction::PublishedTable() const {
  using P = TPublished<TBasicAction>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Event(L"OnExecute", &TBasicAction::OnExecute, &TBasicAction::SetOnExecute),
                                         P::Event(L"OnUpdate", &TBasicAction::OnUpdate, &TBasicAction::SetOnUpdate),
                                     });
  return table;
}

// TContainedAction

TContainedAction::TContainedAction(TComponent* owner) : TBasicAction(owner) {}

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

bool TContainedAction::Execute() {
  // The list's handler may free this action without taking its execution: nothing more runs it then.
  const TLifeWatch life = LifeWatch();
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  return !life.Ended() && (TBasicAction::Execute() || SendActionToForms(this, true));
}

bool TContainedAction::Update() {
  const TLifeWatch life = LifeWatch();
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  return !life.Ended() && (TBasicAction::Update() || SendActionToForms(this, false));
}

void TContainedAction::SetActionList(TActionList* value) {
  if (value == actionList_) return;
  if (actionList_) actionList_->RemoveAction(this);
  if (value) value->AddAction(this);
}

int TContainedAction::Index() const {
  if (!actionList_) return -1;
  auto& actions = actionList_->actions_;
  return static_cast<int>(std::find(actions.begin(), actions.end(), this) - actions.begin());
}

void TContainedAction::SetIndex(int value) {
  int current = Index();
  if (current < 0) return;
  auto& actions = actionList_->actions_;
  value = std::clamp(value, 0, static_cast<int>(actions.size()) - 1);
  if (value == current) return;
  actions.erase(actions.begin() + current);
  actions.insert(actions.begin() + value, this);
  actionList_->Change();
}

void TContainedAction::SetCategory(const String& value) {
  if (value == category_) return;
  category_ = value;
  if (actionList_) actionList_->Change();
}

TComponent* TContainedAction::GetParentComponent() const { return actionList_; }

void TContainedAction::SetParentComponent(TComponent* value) {
  if (auto list = ObjectAs<TActionList>(value)) SetActionList(list);
}

const TPublishedTable& TContainedAction::PublishedTable() const {
  using P = TPublished<TContainedAction>;
  static const TPublishedTable table(&inherited::PublishedTable(), {P::Text(L"Category", &TContainedAction::Category,
                                                                            &TContainedAction::SetCategory)});
  return table;
}

// TCustomAction

TCustomAction::TCustomAction(TComponent* owner) : TContainedAction(owner) {}

template <class T, class Push>
void TCustomAction::ChangeProperty(T& field, const T& value, Push push) {
  if (field == value) return;
  // A client taking the value tells its views and handlers, which may free this action: the change ends there.
  const TLifeWatch life = LifeWatch();
  TellClients([&](TBasicActionLink& client) {
    if (auto link = ObjectAs<TActionLink>(&client)) push(*link);
  });
  if (life.Ended()) return;
  field = value;
  Change();
}

bool TCustomAction::Execute() {
  // The update's handlers, and the clients' as the check mark changes, may free the action: it does not run then.
  const TLifeWatch life = LifeWatch();
  Update();
  if (life.Ended()) return false;
  if (enabled_ && autoCheck_ && (!checked_ || groupIndex_ == 0)) SetChecked(!checked_);
  return !life.Ended() && enabled_ && TContainedAction::Execute();
}

void TCustomAction::SetCaption(const String& value) {
  ChangeProperty(caption_, value, [&](TActionLink& link) { link.SetCaption(value); });
}

void TCustomAction::SetChecked(bool value) {
  // Unchecking the rest of a group must not come back here through their links.
  if (checking_ || value == checked_) return;
  checking_ = true;
  // The clients' handlers, as this action or the rest of its group changes, may free it.
  const TLifeWatch life = LifeWatch();
  try {
    ChangeProperty(checked_, value, [&](TActionLink& link) { link.SetChecked(value); });
    if (value && !life.Ended()) UncheckGroup();
  } catch (...) {
    if (!life.Ended()) checking_ = false;
    throw;
  }
  if (!life.Ended()) checking_ = false;
}

void TCustomAction::UncheckGroup() {
  if (groupIndex_ <= 0 || !ActionList()) return;
  // Each action unchecked tells its clients, whose handlers may free any action of the list, or the list.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch listLife = ActionList()->LifeWatch();
  for (int i = 0; !life.Ended() && !listLife.Ended() && i < ActionList()->ActionCount(); ++i) {
    auto other = ObjectAs<TCustomAction>(ActionList()->Actions(i));
    if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
  }
}

void TCustomAction::SetEnabled(bool value) {
  ChangeProperty(enabled_, value, [&](TActionLink& link) { link.SetEnabled(value); });
}

void TCustomAction::SetVisible(bool value) {
  ChangeProperty(visible_, value, [&](TActionLink& link) { link.SetVisible(value); });
}

void TCustomAction::SetHint(const String& value) {
  ChangeProperty(hint_, value, [&](TActionLink& link) { link.SetHint(value); });
}

void TCustomAction::SetImageIndex(int value) {
  ChangeProperty(imageIndex_, value, [&](TActionLink& link) { link.SetImageIndex(value); });
}

void TCustomAction::SetShortCut(TShortCut value) {
  ChangeProperty(shortCut_, value, [&](TActionLink& link) { link.SetShortCut(value); });
}

void TCustomAction::SetGroupIndex(int value) {
  if (value == groupIndex_) return;
  const TLifeWatch life = LifeWatch();
  ChangeProperty(groupIndex_, value, [&](TActionLink& link) { link.SetGroupIndex(value); });
  if (!life.Ended() && checked_) UncheckGroup();
}

void TCustomAction::SetAutoCheck(bool value) {
  ChangeProperty(autoCheck_, value, [&](TActionLink& link) { link.SetAutoCheck(value); });
}

void TCustomAction::SetHelpContext(int value) {
  ChangeProperty(helpContext_, value, [&](TActionLink& link) { link.SetHelpContext(value); });
}

bool TCustomAction::DoHint(String& hintStr) {
  bool canShow = true;
  // A hint whose action its handler freed is not shown.
  if (RaiseEvent(OnHint, hintStr, canShow).Gone()) return false;
  return canShow;
}

const TPublishedTable& TCustomAction::PublishedTable() const {
  using P = TPublished<TCustomAction>;
  using A = TCustomAction;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Boolean(L"AutoCheck", &A::AutoCheck, &A::SetAutoCheck).Default(false),
                                         P::Text(L"Caption", &A::Caption, &A::SetCaption),
                                         P::Boolean(L"Checked", &A::Checked, &A::SetChecked).Default(false),
                                         P::Boolean(L"Enabled", &A::Enabled, &A::SetEnabled).Default(true),
                                         P::Integer(L"GroupIndex", &A::GroupIndex, &A::SetGroupIndex).Default(0),
                                         P::Integer(L"HelpContext", &A::HelpContext, &A::SetHelpContext).Default(0),
                                         P::Text(L"Hint", &A::Hint, &A::SetHint),
                                         P::Integer(L"ImageIndex", &A::ImageIndex, &A::SetImageIndex).Default(-1),
                                         P::Integer(L"ShortCut", &A::ShortCut, &A::SetShortCut).Default(0),
                                         P::Boolean(L"Visible", &A::Visible, &A::SetVisible).Default(true),
                                     });
  return table;
}

// TActionLink

bool TActionLink::DoShowHint(String& hintStr) {
  auto* action = ObjectAs<TCustomAction>(Action());
  if (!action) return true;
  bool canShow = action->DoHint(hintStr);
  bool showShortCut = !Application || Application->HintShortCuts();
  if (canShow && showShortCut && action->ShortCut() != 0 && !hintStr.empty())
    hintStr = Format(L"%s (%s)", {hintStr, ShortCutToText(action->ShortCut())});
  return canShow;
}

bool TActionLink::IsCustomAction() const { return ObjectAs<TCustomAction>(Action()) != nullptr; }
bool TActionLink::IsCaptionLinked() { return IsCustomAction(); }
bool TActionLink::IsCheckedLinked() { return IsCustomAction(); }
bool TActionLink::IsEnabledLinked() { return IsCustomAction(); }
bool TActionLink::IsHelpContextLinked() { return IsCustomAction(); }
bool TActionLink::IsHintLinked() { return IsCustomAction(); }
bool TActionLink::IsGroupIndexLinked() { return IsCustomAction(); }
bool TActionLink::IsImageIndexLinked() { return IsCustomAction(); }
bool TActionLink::IsShortCutLinked() { return IsCustomAction(); }
bool TActionLink::IsVisibleLinked() { return IsCustomAction(); }

// TActionList

TActionList::TActionList(TComponent* owner) : TComponent(owner), imageChangeLink_(std::make_unique<TChangeLink>()) {
  imageChangeLink_->OnChange = TNotifyEvent(this, &TActionList::ImageListChange);
  LiveActionLists().push_back(this);
}

TActionList::~TActionList() {
  auto& lists = LiveActionLists();
  lists.erase(std::remove(lists.begin(), lists.end(), this), lists.end());
  if (images_) images_->UnRegisterChanges(imageChangeLink_.get());
  for (TContainedAction* action : actions_) {
    action->actionList_ = nullptr;
    action->RemoveFreeNotification(this);
  }
}

TContainedAction* TActionList::Actions(int index) const {
  if (index < 0 || index >= ActionCount())
    throw EListError(Format(L"List index out of bounds (%d)", {std::to_wstring(index)}));
  return actions_[static_cast<size_t>(index)];
}

bool TActionList::ExecuteAction(TBasicAction* action) {
  bool handled = false;
  // A list its handler freed has handled the action.
  if (RaiseEvent(onExecute_, action, handled).Gone()) return true;
  return handled;
}

bool TActionList::UpdateAction(TBasicAction* action) {
  bool handled = false;
  if (RaiseEvent(onUpdate_, action, handled).Gone()) return true;
  return handled;
}

TRaised TActionList::UpdateActions() {
  // An update handler may free actions, or the list.
  const TLifeWatch life = LifeWatch();
  std::vector<TContainedAction*> actions = actions_;
  for (TContainedAction* action : actions) {
    if (Contains(actions_, action)) action->Update();
    if (life.Ended()) return TRaised(false);
  }
  return TRaised(true);
}

void TActionList::SetImages(TCustomImageList* value) {
  if (value == images_) return;
  if (images_) {
    images_->UnRegisterChanges(imageChangeLink_.get());
    images_->RemoveFreeNotification(this);
  }
  images_ = value;
  if (images_) {
    images_->RegisterChanges(imageChangeLink_.get());
    images_->FreeNotification(this);
  }
  if (!IsLoading()) Change();
}

void TActionList::ImageListChange(TObject* sender) {
  if (sender == images_) Change();
}

void TActionList::AddAction(TContainedAction* action) {
  actions_.push_back(action);
  action->actionList_ = this;
  action->FreeNotification(this);
  Change();
}

void TActionList::RemoveAction(TContainedAction* action) {
  actions_.erase(std::remove(actions_.begin(), actions_.end(), action), actions_.end());
  action->actionList_ = nullptr;
  action->RemoveFreeNotification(this);
  if (!IsDestroying()) Change();
}

void TActionList::Change() {
  // The last act of every caller: each is done with the list.
  if (RaiseEvent(onChange_, this).Gone()) return;
}

void TActionList::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TContainedAction* action : actions_)
    if (action->Owner() == root) proc(action);
}

void TActionList::SetChildOrder(TComponent* child, int order) {
  auto action = ObjectAs<TContainedAction>(child);
  if (action && action->actionList_ == this) action->SetIndex(order);
}

void TActionList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == images_) {
    // The list is past its own destructor and has already let go of the change link.
    images_ = nullptr;
    if (!IsDestroying()) Change();
  }
  auto action = ObjectAs<TContainedAction>(component);
  if (action && action->actionList_ == this) RemoveAction(action);
}

const TPublishedTable& TActionList::PublishedTable() const {
  using P = TPublished<TActionList>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Component(L"Images", &TActionList::Images, &TActionList::SetImages),
                                         P::Event(L"OnChange", &TActionList::OnChange, &TActionList::SetOnChange),
                                         P::Event(L"OnExecute", &TActionList::OnExecute, &TActionList::SetOnExecute),
                                         P::Event(L"OnUpdate", &TActionList::OnUpdate, &TActionList::SetOnUpdate),
                                     });
  return table;
}

void UpdateActionListsOnIdle() {
  std::vector<TActionList*> lists = LiveActionLists();
  for (TActionList* list : lists) {
    if (!Contains(LiveActionLists(), list)) continue;
    if (list->IsLoading() || list->IsDesigning() || list->IsDestroying()) continue;
    // The next list is looked for among the living ones whatever this one's handlers freed.
    if (list->UpdateActions().Gone()) continue;
  }
}

const TUnit& ActionsUnit() {
  static const TUnit unit{L"actions", &RegisterActionClasses, &UnregisterActionClasses, {}};
  return unit;
}

// Actions: commands that menus, toolbars and controls share, kept in action lists. A client (a menu item, a
// button) holds a link to its action; the action pushes every property change into each client through the
// link's Set... calls, and the client runs the action through the link.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/component.h"
#include "framework/delegate.h"

class TBasicAction;
class TActionList;
class TChangeLink;
class TCustomImageList;
struct TUnit;

// A key with its modifier bits (scShift, scCtrl, scAlt), as menus store it.
using TShortCut = uint16_t;

using THintEvent = TDelegate<void(String& HintStr, bool& CanShow)>;

// The client side of an action: one link per client, made with CreateActionLink. Deleting the link leaves the
// action.
class TBasicActionLink : public TObject, protected TEventSource {
  BC_CLASS(TBasicActionLink, TObject)
  explicit TBasicActionLink(TComponent* client);
  ~TBasicActionLink() override;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;

  TBasicAction* Action() const { return action_; }
  virtual void SetAction(TBasicAction* value);
  // Runs the action with component as the action's ActionComponent. False when nothing handled it.
  virtual bool Execute(TComponent* component = nullptr);
  virtual bool Update();

  // Called with the action as Sender whenever the action changes.
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  friend std::unique_ptr<TBasicActionLink> CreateActionLink(const TClass* linkClass, TComponent* client);
  // Takes the client, once, right after the link is made.
  virtual void AssignClient(TComponent* client) { (void)client; }
  virtual void Change();
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent& value) { (void)value; }

 private:
  TBasicAction* action_ = nullptr;
};

// Makes a link of linkClass (TBasicActionLink or a descendant) for client, as a client's GetActionLinkClass names
// it; the link takes its client through AssignClient.
std::unique_ptr<TBasicActionLink> CreateActionLink(const TClass* linkClass, TComponent* client);

class TBasicAction : public TComponent {
  BC_CLASS(TBasicAction, TComponent)
  explicit TBasicAction(TComponent* owner = nullptr);
  ~TBasicAction() override;

  // Runs OnExecute; false when it is not assigned.
  virtual bool Execute();
  // Runs OnUpdate; false when it is not assigned.
  virtual bool Update();

  // Whether the action acts on target when a target is offered it (a component's ExecuteAction); ExecuteTarget
  // and UpdateTarget then run or update it on that target. The base acts on nothing.
  virtual bool HandlesTarget(TObject* target) {
    (void)target;
    return false;
  }
  virtual void ExecuteTarget(TObject* target) { (void)target; }
  virtual void UpdateTarget(TObject* target) { (void)target; }

  // The client component that started the current Execute, else null.
  TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* value);

  const TNotifyEvent& OnExecute() const { return onExecute_; }
  void SetOnExecute(const TNotifyEvent& value);
  const TNotifyEvent& OnUpdate() const { return onUpdate_; }
  void SetOnUpdate(const TNotifyEvent& value) { onUpdate_ = value; }

  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);
  int ClientCount() const { return static_cast<int>(clients_.size()); }
  TBasicActionLink* Clients(int index) const { return clients_[static_cast<size_t>(index)]; }

  const TPublishedTable& PublishedTable() const override;

 protected:
  // Tells every client link that the action changed.
  virtual void Change();
  // Hands each client link to tell, in order, passing over one that left meanwhile; ends where a client's handlers
  // freed the action.
  void TellClients(const std::function<void(TBasicActionLink&)>& tell);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::vector<TBasicActionLink*> clients_;
  TComponent* actionComponent_ = nullptr;
  TNotifyEvent onExecute_;
  TNotifyEvent onUpdate_;
};

// An action that belongs to an action list, which may handle its execution and update first; when neither the
// list nor the action's own handler takes it, the user interface's targets are offered it (framework/form.h).
class TContainedAction : public TBasicAction {
  BC_CLASS(TContainedAction, TBasicAction)
  explicit TContainedAction(TComponent* owner = nullptr);
  ~TContainedAction() override;

  bool Execute() override;
  bool Update() override;

  TActionList* ActionList() const { return actionList_; }
  void SetActionList(TActionList* value);
  // The position in the action list, -1 without one.
  int Index() const;
  void SetIndex(int value);
  const String& Category() const { return category_; }
  void SetCategory(const String& value);

  // In a stored form the action list holds its actions.
  bool HasParent() const override { return actionList_ != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;

  const TPublishedTable& PublishedTable() const override;

 private:
  friend class TActionList;
  TActionList* actionList_ = nullptr;
  String category_;
};

class TCustomAction : public TContainedAction {
  BC_CLASS(TCustomAction, TContainedAction)
  explicit TCustomAction(TComponent* owner = nullptr);

  // Updates first; a disabled action does nothing. AutoCheck toggles Checked (a checked member of a group stays
  // checked), then the list and OnExecute run.
  bool Execute() override;

  const String& Caption() const { return caption_; }
  void SetCaption(const String& value);
  bool Checked() const { return checked_; }
  // Checking a member of a group (GroupIndex > 0) unchecks the others of the same list and group.
  void SetChecked(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  const String& Hint() const { return hint_; }
  void SetHint(const String& value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value);

  // The hint a client shows for the action: OnHint may change it or refuse it; false shows none.
  virtual bool DoHint(String& hintStr);
  THintEvent OnHint;

  const TPublishedTable& PublishedTable() const override;

 private:
  // Applies a change to every client link, then stores and announces it.
  template <class T, class Push>
  void ChangeProperty(T& field, const T& value, Push push);
  void UncheckGroup();

  String caption_;
  bool checked_ = false;
  bool checking_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  String hint_;
  int imageIndex_ = -1;
  TShortCut shortCut_ = 0;
  int groupIndex_ = 0;
  bool autoCheck_ = false;
  int helpContext_ = 0;
};

class TAction : public TCustomAction {
  BC_CLASS(TAction, TCustomAction)
  using TCustomAction::TCustomAction;
};

// The link of a client that shows an action's properties. Each Set... stores into the client; the Is...Linked
// tests say whether the client follows that property of the action (every one by default, when the action is a
// TCustomAction). Clients override the Set... they can show.
class TActionLink : public TBasicActionLink {
  BC_CLASS(TActionLink, TBasicActionLink)
  using TBasicActionLink::TBasicActionLink;

  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHintLinked();
  virtual bool IsGroupIndexLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();

  virtual void SetAutoCheck(bool value) { (void)value; }
  virtual void SetCaption(const String& value) { (void)value; }
  virtual void SetChecked(bool value) { (void)value; }
  virtual void SetEnabled(bool value) { (void)value; }
  virtual void SetGroupIndex(int value) { (void)value; }
  virtual void SetHelpContext(int value) { (void)value; }
  virtual void SetHint(const String& value) { (void)value; }
  virtual void SetImageIndex(int value) { (void)value; }
  virtual void SetShortCut(TShortCut value) { (void)value; }
  virtual void SetVisible(bool value) { (void)value; }

  // The client's short hint as the action shows it: the action's hint processing, then " (short-cut)" when the
  // application shows short-cuts in hints and the action has one. False when the action refuses the hint.
  virtual bool DoShowHint(String& hintStr);

 protected:
  bool IsCustomAction() const;
};

// (Sender action, Handled): a handler that sets Handled stops the action's own handling.
using TActionEvent = TDelegate<void(TBasicAction* action, bool& handled)>;

class TActionList : public TComponent {
  BC_CLASS(TActionList, TComponent)
  explicit TActionList(TComponent* owner = nullptr);
  ~TActionList() override;

  int ActionCount() const { return static_cast<int>(actions_.size()); }
  TContainedAction* Actions(int index) const;

  // Offers the action to OnExecute / OnUpdate; true when the handler says it handled it.
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);
  // Updates every action of the list (the idle update).
  [[nodiscard]] TRaised UpdateActions();

  // The images the actions' ImageIndex refers to; a change of the list or of its images is a change of the
  // action list.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);

  const TActionEvent& OnExecute() const { return onExecute_; }
  void SetOnExecute(const TActionEvent& value) { onExecute_ = value; }
  const TActionEvent& OnUpdate() const { return onUpdate_; }
  void SetOnUpdate(const TActionEvent& value) { onUpdate_ = value; }
  // Runs when actions join, leave or change places.
  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& value) { onChange_ = value; }

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

  const TPublishedTable& PublishedTable() const override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void Change();

 private:
  friend class TContainedAction;
  void AddAction(TContainedAction* action);
  void RemoveAction(TContainedAction* action);

  void ImageListChange(TObject* sender);

  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imageChangeLink_;
  TActionEvent onExecute_;
  TActionEvent onUpdate_;
  TNotifyEvent onChange_;
};

// The idle update of actions: the application's idle handling calls it once per idle pass; it updates the actions
// of every action list that is neither loading, being designed nor being destroyed.
void UpdateActionListsOnIdle();

// Registers the action classes for stored forms.
const TUnit& ActionsUnit();

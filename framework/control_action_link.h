// The action link of controls: an action's Caption, Enabled, Hint, Visible, HelpContext and OnExecute reach a
// control that has not given the property a value of its own; and the idle update of actions.
#pragma once

#include "framework/actions.h"

class TControl;

class TControlActionLink : public TActionLink {
  BC_CLASS(TControlActionLink, TActionLink)
  explicit TControlActionLink(TComponent* client) : TActionLink(client) {}

  // A property is linked while the control still shows the action's value (so a control that was given its own
  // value keeps it).
  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;

  void SetCaption(const String& value) override;
  void SetEnabled(bool value) override;
  void SetHelpContext(int value) override;
  void SetHint(const String& value) override;
  void SetVisible(bool value) override;
  void SetOnExecute(const TNotifyEvent& value) override;

 protected:
  void AssignClient(TComponent* client) override;
  TControl* Client() const { return client_; }

 private:
  TCustomAction* CustomAction() const;
  TControl* client_ = nullptr;
};

// The idle update of actions, which the application runs when a pass of idle handling is done: every visible
// control of every showing form (the form first) updates its action, then every action list its actions. An
// OnUpdate may free any control or form: the walk passes over what went.
void UpdateActionsOnIdle();

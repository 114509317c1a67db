#include "framework/control_action_link.h"

#include "framework/control.h"
#include "framework/form.h"
#include "framework/screen.h"
#include "framework/win_control.h"

namespace {

void InitiateActionsOf(TWinControl* container) {
  for (int i = 0; i < container->ControlCount(); ++i) {
    TControl* control = container->Controls(i);
    if (!control->Visible()) continue;
    control->InitiateAction();
    if (auto child = ObjectAs<TWinControl>(control)) InitiateActionsOf(child);
  }
}

}  // namespace

// TControlActionLink

void TControlActionLink::AssignClient(TComponent* client) { client_ = ObjectAs<TControl>(client); }

TCustomAction* TControlActionLink::CustomAction() const { return ObjectAs<TCustomAction>(Action()); }

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}

bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}

bool TControlActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}

bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}

bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}

bool TControlActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && client_->OnClick == Action()->OnExecute();
}

void TControlActionLink::SetCaption(const String& value) {
  if (IsCaptionLinked()) client_->SetCaption(value);
}

void TControlActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) client_->SetEnabled(value);
}

void TControlActionLink::SetHelpContext(int value) {
  if (IsHelpContextLinked()) client_->SetHelpContext(value);
}

void TControlActionLink::SetHint(const String& value) {
  if (IsHintLinked()) client_->SetHint(value);
}

void TControlActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) client_->SetVisible(value);
}

void TControlActionLink::SetOnExecute(const TNotifyEvent& value) {
  if (IsOnExecuteLinked()) client_->OnClick = value;
}

// The action side of TControl

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* value) {
  if (!value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = CreateActionLink(GetActionLinkClass(), this);
  actionLink_->SetAction(value);
  actionLink_->OnChange = TNotifyEvent(this, &TControl::DoActionChange);
  ActionChange(value, value->IsLoading());
  value->FreeNotification(this);
}

void TControl::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

const TClass* TControl::GetActionLinkClass() const { return TControlActionLink::StaticClass(); }

void TControl::DoActionChange(TObject* sender) {
  if (sender == Action()) ActionChange(sender, false);
}

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
  auto action = ObjectAs<TCustomAction>(sender);
  if (!action) return;
  if (!checkDefaults || Caption().empty() || Caption() == Name()) SetCaption(action->Caption());
  if (!checkDefaults || Enabled()) SetEnabled(action->Enabled());
  if (!checkDefaults || Hint().empty()) SetHint(action->Hint());
  if (!checkDefaults || Visible()) SetVisible(action->Visible());
  if (!checkDefaults || HelpContext() == 0) SetHelpContext(action->HelpContext());
  if (!checkDefaults || !OnClick) OnClick = action->OnExecute();
}

void UpdateActionsOnIdle() {
  for (int i = 0; Screen && i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (form->IsDesigning() || !form->Showing()) continue;
    form->InitiateAction();
    InitiateActionsOf(form);
  }
  UpdateActionListsOnIdle();
}

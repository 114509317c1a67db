#include "framework/control_action_link.h"

#include <utility>
#include <vector>

#include "framework/control.h"
#include "framework/form.h"
#include "framework/screen.h"
#include "framework/win_control.h"

namespace {

// The form, then each visible control below it, parents before their children; a control a handler freed is
// passed over with everything it held.
void InitiateActionsOf(TCustomForm* form) {
  std::vector<std::pair<TControl*, TLifeWatch>> pending{{form, form->LifeWatch()}};
  while (!pending.empty()) {
    const auto [control, life] = pending.back();
    pending.pop_back();
    if (life.Ended() || control->InitiateAction().Gone()) continue;
    auto* container = ObjectAs<TWinControl>(control);
    if (!container) continue;
    for (int i = container->ControlCount() - 1; i >= 0; --i) {
      TControl* child = container->Controls(i);
      if (child->Visible()) pending.emplace_back(child, child->LifeWatch());
    }
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
  // The link's last act: the action goes on with its other clients, whatever the control's handlers freed.
  if (IsCaptionLinked()) (void)client_->SetCaption(value);
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
  // The link's last act: the action goes on with its other clients, whatever the control's handlers freed.
  if (IsVisibleLinked()) (void)client_->SetVisible(value);
}

void TControlActionLink::SetOnExecute(const TNotifyEvent& value) {
  if (IsOnExecuteLinked()) client_->OnClick = value;
}

// The action side of TControl

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

TRaised TControl::SetAction(TBasicAction* value) {
  if (!value) {
    actionLink_.reset();
    return TRaised(true);
  }
  if (!actionLink_) actionLink_ = CreateActionLink(GetActionLinkClass(), this);
  actionLink_->SetAction(value);
  actionLink_->OnChange = TNotifyEvent(this, &TControl::DoActionChange);
  if (ActionChange(value, value->IsLoading()).Gone()) return TRaised(false);
  value->FreeNotification(this);
  return TRaised(true);
}

TRaised TControl::InitiateAction() {
  if (!actionLink_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  actionLink_->Update();
  return TRaised(!life.Ended());
}

const TClass* TControl::GetActionLinkClass() const { return TControlActionLink::StaticClass(); }

void TControl::DoActionChange(TObject* sender) {
  // The link's change notice is the last act of the action's change.
  if (sender == Action() && ActionChange(sender, false).Gone()) return;
}

TRaised TControl::ActionChange(TObject* sender, bool checkDefaults) {
  auto action = ObjectAs<TCustomAction>(sender);
  if (!action) return TRaised(true);
  // After each property, nothing more is copied when the control or the action went.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch actionLife = action->LifeWatch();
  const auto gone = [&] { return life.Ended() || actionLife.Ended(); };
  if ((!checkDefaults || Caption().empty() || Caption() == Name()) && SetCaption(action->Caption()).Gone())
    return TRaised(false);
  if (gone()) return TRaised(!life.Ended());
  if (!checkDefaults || Enabled()) SetEnabled(action->Enabled());
  if (gone()) return TRaised(!life.Ended());
  if (!checkDefaults || Hint().empty()) SetHint(action->Hint());
  if (gone()) return TRaised(!life.Ended());
  if ((!checkDefaults || Visible()) && SetVisible(action->Visible()).Gone()) return TRaised(false);
  if (gone()) return TRaised(!life.Ended());
  if (!checkDefaults || HelpContext() == 0) SetHelpContext(action->HelpContext());
  if (!checkDefaults || !OnClick) OnClick = action->OnExecute();
  return TRaised(true);
}

void UpdateActionsOnIdle() {
  std::vector<std::pair<TCustomForm*, TLifeWatch>> forms;
  for (int i = 0; Screen && i < Screen->FormCount(); ++i) forms.emplace_back(Screen->Forms(i), Screen->Forms(i)->LifeWatch());
  for (const auto& [form, life] : forms)
    if (!life.Ended() && !form->IsDesigning() && form->Showing()) InitiateActionsOf(form);
  UpdateActionListsOnIdle();
}

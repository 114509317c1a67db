#include "toolbars/items/item_action_link.h"

#include "toolbars/items/item.h"

namespace toolbars {

void TBarCustomItemActionLink::AssignClient(TComponent* client) { client_ = ObjectAs<TBarCustomItem>(client); }

TCustomAction* TBarCustomItemActionLink::CustomAction() const { return ObjectAs<TCustomAction>(Action()); }

bool TBarCustomItemActionLink::IsAutoCheckLinked() {
  TCustomAction* action = CustomAction();
  return action && client_->AutoCheck() == action->AutoCheck();
}

bool TBarCustomItemActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && StripHotkey(client_->Caption()) == StripHotkey(CustomAction()->Caption());
}

bool TBarCustomItemActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && client_->Checked() == CustomAction()->Checked();
}

bool TBarCustomItemActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}

bool TBarCustomItemActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}

bool TBarCustomItemActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}

bool TBarCustomItemActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && client_->ImageIndex() == CustomAction()->ImageIndex();
}

bool TBarCustomItemActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && client_->ShortCut() == CustomAction()->ShortCut();
}

bool TBarCustomItemActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}

bool TBarCustomItemActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && client_->OnClick == Action()->OnExecute();
}

void TBarCustomItemActionLink::SetAutoCheck(bool value) {
  if (IsAutoCheckLinked()) client_->SetAutoCheck(value);
}

void TBarCustomItemActionLink::SetCaption(const String& value) {
  if (!IsCaptionLinked()) return;
  const bool automatic = client_->Parent() && client_->AutoHotKey() && !client_->IsDesigning();
  client_->SetCaption(automatic ? AddAutoAccelerator(value, client_->Parent(), client_) : value);
}

void TBarCustomItemActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) client_->SetChecked(value);
}

void TBarCustomItemActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) client_->SetEnabled(value);
}

void TBarCustomItemActionLink::SetHelpContext(int value) {
  if (IsHelpContextLinked()) client_->SetHelpContext(value);
}

void TBarCustomItemActionLink::SetHint(const String& value) {
  if (IsHintLinked()) client_->SetHint(value);
}

void TBarCustomItemActionLink::SetImageIndex(int value) {
  if (IsImageIndexLinked()) client_->SetImageIndex(value);
}

void TBarCustomItemActionLink::SetShortCut(TShortCut value) {
  if (IsShortCutLinked()) client_->SetShortCut(value);
}

void TBarCustomItemActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) client_->SetVisible(value);
}

void TBarCustomItemActionLink::SetOnExecute(const TNotifyEvent& value) {
  if (IsOnExecuteLinked()) client_->OnClick = value;
}

}  // namespace toolbars

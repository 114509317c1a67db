#include "toolbars/edit/edit_item.h"

#include "framework/properties.h"
#include "framework/startup.h"
#include "framework/sys_utils.h"
#include "toolbars/edit/edit_item_viewer.h"
#include "toolbars/views/view.h"

namespace toolbars {

namespace {

String ConvertCase(const String& text, TEditCharCase charCase) {
  switch (charCase) {
    case TEditCharCase::ecUpperCase:
      return AnsiUpperCase(text);
    case TEditCharCase::ecLowerCase:
      return AnsiLowerCase(text);
    case TEditCharCase::ecNormal:
      break;
  }
  return text;
}

const std::initializer_list<const wchar_t*> kEditOptionNames = {L"tboUseEditWhenVertical"};

}  // namespace

// ---- the action

template <class T, class Push>
void TBarEditAction::ChangeEditProperty(T& field, const T& value, Push push) {
  if (field == value) return;
  // An item taking the value tells its views, whose handlers may free this action: the change ends there.
  const TLifeWatch life = LifeWatch();
  TellClients([&](TBasicActionLink& client) {
    if (auto* link = ObjectAs<TBarEditItemActionLink>(&client)) push(link);
  });
  if (life.Ended()) return;
  field = value;
  Change();
}

void TBarEditAction::SetEditOptions(TBarEditItemOptions value) {
  ChangeEditProperty(editOptions_, value, [&](TBarEditItemActionLink* link) { link->SetEditOptions(value); });
}

void TBarEditAction::SetEditCaption(const String& value) {
  ChangeEditProperty(editCaption_, value, [&](TBarEditItemActionLink* link) { link->SetEditCaption(value); });
}

void TBarEditAction::SetEditWidth(int value) {
  ChangeEditProperty(editWidth_, value, [&](TBarEditItemActionLink* link) { link->SetEditWidth(value); });
}

void TBarEditAction::SetOnAcceptText(const TBarAcceptTextEvent& value) {
  ChangeEditProperty(onAcceptText_, value, [&](TBarEditItemActionLink* link) { link->SetOnAcceptText(value); });
}

void TBarEditAction::SetText(const String& value) {
  ChangeEditProperty(text_, value, [&](TBarEditItemActionLink* link) { link->SetText(value); });
}

const TPublishedTable& TBarEditAction::PublishedTable() const {
  using P = TPublished<TBarEditAction>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Set(L"EditOptions", &TBarEditAction::EditOptions, &TBarEditAction::SetEditOptions, kEditOptionNames),
       P::Text(L"EditCaption", &TBarEditAction::EditCaption, &TBarEditAction::SetEditCaption),
       P::Integer(L"EditWidth", &TBarEditAction::EditWidth, &TBarEditAction::SetEditWidth).Default(64),
       P::Event(L"OnAcceptText", &TBarEditAction::OnAcceptText, &TBarEditAction::SetOnAcceptText),
       P::Text(L"Text", &TBarEditAction::Text, &TBarEditAction::SetText)});
  return table;
}

// ---- the link

void TBarEditItemActionLink::AssignClient(TComponent* client) {
  TBarCustomItemActionLink::AssignClient(client);
  editClient_ = ObjectAs<TBarEditItem>(client);
}

TBarEditAction* TBarEditItemActionLink::EditAction() const {
  return editClient_ ? ObjectAs<TBarEditAction>(Action()) : nullptr;
}

bool TBarEditItemActionLink::IsEditCaptionLinked() {
  TBarEditAction* action = EditAction();
  return action && editClient_->EditCaption() == action->EditCaption();
}

bool TBarEditItemActionLink::IsEditOptionsLinked() {
  TBarEditAction* action = EditAction();
  return action && editClient_->EditOptions() == action->EditOptions();
}

bool TBarEditItemActionLink::IsEditWidthLinked() {
  TBarEditAction* action = EditAction();
  return action && editClient_->EditWidth() == action->EditWidth();
}

bool TBarEditItemActionLink::IsOnAcceptTextLinked() {
  TBarEditAction* action = EditAction();
  return action && editClient_->OnAcceptText == action->OnAcceptText();
}

bool TBarEditItemActionLink::IsTextLinked() {
  TBarEditAction* action = EditAction();
  return action && editClient_->Text() == action->Text();
}

void TBarEditItemActionLink::SetEditCaption(const String& value) {
  if (IsEditCaptionLinked()) editClient_->SetEditCaption(value);
}

void TBarEditItemActionLink::SetEditOptions(TBarEditItemOptions value) {
  if (IsEditOptionsLinked()) editClient_->SetEditOptions(value);
}

void TBarEditItemActionLink::SetEditWidth(int value) {
  if (IsEditWidthLinked()) editClient_->SetEditWidth(value);
}

void TBarEditItemActionLink::SetOnAcceptText(const TBarAcceptTextEvent& value) {
  if (IsOnAcceptTextLinked()) editClient_->OnAcceptText = value;
}

void TBarEditItemActionLink::SetText(const String& value) {
  if (IsTextLinked()) editClient_->SetText(value);
}

// ---- the item

void TBarEditItem::SetCharCase(TEditCharCase value) {
  if (charCase_ == value) return;
  charCase_ = value;
  SetText(text_);
}

void TBarEditItem::SetText(const String& value) {
  const String converted = ConvertCase(value, charCase_);
  if (converted == text_) return;
  text_ = converted;
  Change(false);
}

void TBarEditItem::SetEditCaption(const String& value) {
  if (editCaption_ == value) return;
  editCaption_ = value;
  Change(true);
}

void TBarEditItem::SetEditOptions(TBarEditItemOptions value) {
  if (editOptions_ == value) return;
  editOptions_ = value;
  Change(true);
}

void TBarEditItem::SetEditWidth(int value) {
  if (editWidth_ == value) return;
  editWidth_ = value;
  Change(true);
}

void TBarEditItem::SetMaxLength(int value) {
  if (maxLength_ == value) return;
  maxLength_ = value;
  Change(false);
}

bool TBarEditItem::ShowsEditIn(TBarView* view) const {
  return !view || view->Orientation() != TBarViewOrientation::tbvoVertical ||
         editOptions_.Contains(TBarEditItemOption::tboUseEditWhenVertical);
}

TBarItemViewerClass TBarEditItem::GetItemViewerClass(TBarView* view) const {
  return ShowsEditIn(view) ? TBarItemViewerClass::Of<TBarEditItemViewer>() : TBarCustomItem::GetItemViewerClass(view);
}

bool TBarEditItem::NeedToRecreateViewer(TBarItemViewer* viewer) const {
  return GetItemViewerClass(viewer->View()).Class() != viewer->ClassType();
}

TRaised TBarEditItem::DoBeginEdit(TBarEditItemViewer* viewer) {
  return RaiseEvent(OnBeginEdit, this, viewer, viewer->EditControl());
}

TRaised TBarEditItem::ActionChange(TObject* sender, bool checkDefaults) {
  // The base ends where a handler freed this item or its action, which then is no longer this item's.
  const TLifeWatch life = LifeWatch();
  if (TBarCustomItem::ActionChange(sender, checkDefaults).Gone() || Action() != sender) return TRaised(!life.Ended());
  auto* action = ObjectAs<TBarEditAction>(sender);
  if (!action) return TRaised(true);
  if (!checkDefaults || !OnAcceptText) OnAcceptText = action->OnAcceptText();
  // Each tells the views, as in the base.
  const auto stopped = [&] { return life.Ended() || Action() != action; };
  if (!checkDefaults || editCaption_.empty()) {
    SetEditCaption(action->EditCaption());
    if (stopped()) return TRaised(!life.Ended());
  }
  if (!checkDefaults || editOptions_.Empty()) {
    SetEditOptions(action->EditOptions());
    if (stopped()) return TRaised(!life.Ended());
  }
  if (!checkDefaults || text_.empty()) SetText(action->Text());
  return TRaised(!life.Ended());
}

const TPublishedTable& TBarEditItem::PublishedTable() const {
  using P = TPublished<TBarEditItem>;
  using Link = TBarEditItemActionLink;
  // What the action supplies is stored with the action only.
  auto unlinked = [](bool (Link::*linked)()) {
    return [linked](TBarEditItem* item) {
      auto* link = ObjectAs<Link>(item->ActionLink());
      return !link || !(link->*linked)();
    };
  };
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Enumeration(L"CharCase", &TBarEditItem::CharCase, &TBarEditItem::SetCharCase,
                      {L"ecNormal", L"ecUpperCase", L"ecLowerCase"})
           .Default(TEditCharCase::ecNormal),
       P::Text(L"EditCaption", &TBarEditItem::EditCaption, &TBarEditItem::SetEditCaption)
           .Stored(unlinked(&Link::IsEditCaptionLinked)),
       P::Set(L"EditOptions", &TBarEditItem::EditOptions, &TBarEditItem::SetEditOptions, kEditOptionNames)
           .Stored([](TBarEditItem* item) {
             auto* link = ObjectAs<Link>(item->ActionLink());
             return !item->EditOptions().Empty() && (!link || !link->IsEditOptionsLinked());
           }),
       P::Integer(L"EditWidth", &TBarEditItem::EditWidth, &TBarEditItem::SetEditWidth).Stored([](TBarEditItem* item) {
         auto* link = ObjectAs<Link>(item->ActionLink());
         return item->EditWidth() != 64 && (!link || !link->IsEditWidthLinked());
       }),
       P::Integer(L"MaxLength", &TBarEditItem::MaxLength, &TBarEditItem::SetMaxLength).Default(0),
       P::Text(L"Text", &TBarEditItem::Text, &TBarEditItem::SetText).Stored(unlinked(&Link::IsTextLinked)),
       P::Event(L"OnAcceptText", &TBarEditItem::OnAcceptText), P::Event(L"OnBeginEdit", &TBarEditItem::OnBeginEdit)});
  return table;
}

const TUnit& EditItemUnit() {
  static const TUnit unit{L"toolbars.EditItem",
                          [] {
                            RegisterPersistentClass(TBarEditItem::StaticClass());
                            RegisterPersistentClass(TBarEditAction::StaticClass());
                          },
                          [] {
                            UnregisterPersistentClass(TBarEditAction::StaticClass());
                            UnregisterPersistentClass(TBarEditItem::StaticClass());
                          },
                          {}};
  return unit;
}

}  // namespace toolbars

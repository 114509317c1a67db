#include "toolbars/items/item_kinds.h"

#include "framework/control.h"
#include "framework/properties.h"
#include "framework/startup.h"
#include "toolbars/views/item_viewer.h"

namespace toolbars {

TBarSeparatorItem::TBarSeparatorItem(TComponent* owner) : TBarCustomItem(owner) {
  SetItemStyle(static_cast<TBarItemStyle>((ItemStyle() & ~(isSelectable | isRedrawOnSelChange | isRedrawOnHotChange)) |
                                          isSeparator | isClicksTransparent));
}

void TBarSeparatorItem::SetBlank(bool value) {
  if (blank_ == value) return;
  blank_ = value;
  Change(false);
}

TBarItemViewerClass TBarSeparatorItem::GetItemViewerClass(TBarView* view) const {
  (void)view;
  return TBarItemViewerClass::Of<TBarSeparatorItemViewer>();
}

const TPublishedTable& TBarSeparatorItem::PublishedTable() const {
  using P = TPublished<TBarSeparatorItem>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Boolean(L"Blank", &TBarSeparatorItem::Blank, &TBarSeparatorItem::SetBlank).Default(false)});
  return table;
}

TBarControlItem::TBarControlItem(TComponent* owner) : TBarCustomItem(owner) {
  SetItemStyle(static_cast<TBarItemStyle>((ItemStyle() & ~isSelectable) | isClicksTransparent));
}

TBarControlItem::TBarControlItem(TComponent* owner, TControl* control) : TBarControlItem(owner) {
  control_ = control;
  if (control) control->FreeNotification(this);
}

TBarControlItem::~TBarControlItem() {
  TControl* control = control_;
  control_ = nullptr;
  if (control && !dontFreeControl_ && !control->IsDestroying()) delete control;
}

void TBarControlItem::SetControl(TControl* value) {
  if (control_ == value) return;
  if (control_) control_->RemoveFreeNotification(this);
  control_ = value;
  if (value) value->FreeNotification(this);
  Change(true);
}

void TBarControlItem::Notification(TComponent* component, TOperation operation) {
  TBarCustomItem::Notification(component, operation);
  if (operation == TOperation::opRemove && component == control_) SetControl(nullptr);
}

const TPublishedTable& TBarControlItem::PublishedTable() const {
  using P = TPublished<TBarControlItem>;
  static const TPublishedTable table(&inherited::PublishedTable(), {P::Component(L"Control", &TBarControlItem::Control,
                                                                                 &TBarControlItem::SetControl)});
  return table;
}

const TUnit& ItemKindsUnit() {
  static const TUnit unit{L"toolbars.ItemKinds",
                          [] { RegisterPersistentClass(TBarControlItem::StaticClass()); },
                          [] { UnregisterPersistentClass(TBarControlItem::StaticClass()); },
                          {}};
  return unit;
}

}  // namespace toolbars

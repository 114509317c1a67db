#include "toolbars/styled/styled_item.h"

#include "framework/properties.h"
#include "framework/startup.h"
#include "toolbars/edit/edit_item.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_edit_item.h"
#include "toolbars/styled/styled_item_viewer.h"
#include "toolbars/styled/styled_popup_window.h"
#include "toolbars/views/view.h"

namespace toolbars {

TStyledCustomItem::TStyledCustomItem(TComponent* owner)
    : TBarCustomItem(owner), fontSettings_(std::make_unique<TFontSettings>()) {
  fontSettings_->OnChange = TNotifyEvent(this, &TStyledCustomItem::FontSettingsChanged);
}

TStyledCustomItem::~TStyledCustomItem() = default;

void TStyledCustomItem::FontSettingsChanged(TObject* sender) {
  (void)sender;
  Change(true);
}

void TStyledCustomItem::SetLayout(TStyledItemLayout value) { Store(layout_, value); }
void TStyledCustomItem::SetMinHeight(int value) { Store(minHeight_, value); }
void TStyledCustomItem::SetMinWidth(int value) { Store(minWidth_, value); }

void TStyledCustomItem::SetStretch(bool value) {
  if (Stretch() == value) return;
  SetItemStyle(static_cast<TBarItemStyle>(value ? ItemStyle() | isStretch : ItemStyle() & ~isStretch));
  Change(true);
}

void TStyledCustomItem::SetDropdownComboStyle(bool value) {
  if (HasStyle(isSplitButton) == value) return;
  SetItemStyle(static_cast<TBarItemStyle>(value ? ItemStyle() | isSplitButton : ItemStyle() & ~isSplitButton));
  Change(true);
}

TBarPopupWindowBase* TStyledCustomItem::CreatePopup(TBarView* parentView, TBarItemViewer* parentViewer,
                                                    bool positionAsSubmenu, bool selectFirstItem, bool customizing,
                                                    POINT popupPoint, TBarPopupAlignment alignment) {
  // While an entry is dragged only the menus that take drops open.
  if (DragSource && !Draggable()) return nullptr;
  return TBarCustomItem::CreatePopup(parentView, parentViewer, positionAsSubmenu, selectFirstItem || alwaysSelectFirst_,
                                     customizing, popupPoint, alignment);
}

TBarItemViewerClass TStyledCustomItem::GetItemViewerClass(TBarView* view) const {
  (void)view;
  return TBarItemViewerClass::Of<TStyledItemViewer>();
}

void TStyledCustomItem::GetPopupPosition(TBarView* parentView, TBarPopupWindowBase* popupWindow,
                                         TBarPopupPositionRec& rec) {
  PlaceStyledPopup(this, parentView, popupWindow, rec);
}

TBarPopupWindowClass TStyledCustomItem::GetPopupWindowClass() const {
  return TBarPopupWindowClass::Of<TStyledPopupWindow>();
}

void PlaceStyledPopup(TBarCustomItem* item, TBarView* parentView, TBarPopupWindowBase* popupWindow,
                      TBarPopupPositionRec& rec) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme || !theme->BooleanMetric(1) || rec.PositionAsSubmenu || !parentView) {
    item->TBarCustomItem::GetPopupPosition(parentView, popupWindow, rec);
    return;
  }
  // A drop-down overlaps its item by one pixel, so the item and the pop-up's frame read as one shape. The
  // framework places it one pixel shorter towards the item, so that pixel never counts as covering the item, and the
  // window then grows back over the item on whichever side it was placed.
  const bool vertical = parentView->Orientation() == TBarViewOrientation::tbvoVertical;
  int& position = vertical ? rec.X : rec.Y;
  int& extent = vertical ? rec.W : rec.H;
  const int itemStart = vertical ? rec.ParentItemRect.left : rec.ParentItemRect.top;
  const int itemEnd = vertical ? rec.ParentItemRect.right : rec.ParentItemRect.bottom;
  const int monitorStart = vertical ? rec.MonitorRect.left : rec.MonitorRect.top;
  const int monitorEnd = vertical ? rec.MonitorRect.right : rec.MonitorRect.bottom;
  // A start before the item moves one pixel towards it, so the shorter window still ends at the item's edge.
  if (position + extent <= itemStart) ++position;
  --extent;
  item->TBarCustomItem::GetPopupPosition(parentView, popupWindow, rec);
  ++extent;
  const bool beyondItem = position >= itemEnd;
  const bool beforeItem = position + extent - 1 <= itemStart;
  if (beyondItem || (!beforeItem && position + extent > monitorEnd)) --position;
  if (position < monitorStart) position = monitorStart;
}

const TPublishedTable& TStyledCustomItem::PublishedTable() const {
  using P = TPublished<TStyledCustomItem>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Object(L"FontSettings", &TStyledCustomItem::FontSettings),
       P::Enumeration(L"Layout", &TStyledCustomItem::Layout, &TStyledCustomItem::SetLayout,
                      {L"stlAuto", L"stlGlyphLeft", L"stlGlyphTop"})
           .Default(TStyledItemLayout::stlAuto),
       P::Integer(L"MinHeight", &TStyledCustomItem::MinHeight, &TStyledCustomItem::SetMinHeight).Default(0),
       P::Integer(L"MinWidth", &TStyledCustomItem::MinWidth, &TStyledCustomItem::SetMinWidth).Default(0),
       P::Boolean(L"Stretch", &TStyledCustomItem::Stretch, &TStyledCustomItem::SetStretch).Default(false),
       P::Event(L"OnAdjustFont", &TStyledCustomItem::OnAdjustFont),
       P::Event(L"OnDrawImage", &TStyledCustomItem::OnDrawImage)});
  return table;
}

TStyledSubmenuItem::TStyledSubmenuItem(TComponent* owner) : TStyledCustomItem(owner) {
  SetItemStyle(static_cast<TBarItemStyle>(ItemStyle() | isSubmenu | isSubitemsEditable));
}

const TPublishedTable& TStyledSubmenuItem::PublishedTable() const {
  using P = TPublished<TStyledSubmenuItem>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Boolean(L"DropdownCombo", &TStyledSubmenuItem::DropdownCombo, &TStyledSubmenuItem::SetDropdownCombo)
           .Default(false),
       P::Boolean(L"AlwaysSelectFirst", &TStyledSubmenuItem::AlwaysSelectFirst,
                  &TStyledSubmenuItem::SetAlwaysSelectFirst)
           .Default(false),
       P::Boolean(L"ToolBoxPopup", &TStyledSubmenuItem::ToolBoxPopup, &TStyledSubmenuItem::SetToolBoxPopup)
           .Default(false)});
  return table;
}

void TStyledSeparatorItem::SetSize(int value) {
  if (value < -1) value = -1;
  if (size_ == value) return;
  size_ = value;
  Change(true);
}

TBarItemViewerClass TStyledSeparatorItem::GetItemViewerClass(TBarView* view) const {
  (void)view;
  return TBarItemViewerClass::Of<TStyledSeparatorItemViewer>();
}

const TPublishedTable& TStyledSeparatorItem::PublishedTable() const {
  using P = TPublished<TStyledSeparatorItem>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Integer(L"Size", &TStyledSeparatorItem::Size, &TStyledSeparatorItem::SetSize).Default(-1)});
  return table;
}

const TUnit& StyledItemsUnit() {
  static const TUnit unit{L"toolbars.StyledItems",
                          [] {
                            RegisterPersistentClass(TStyledItem::StaticClass());
                            RegisterPersistentClass(TStyledSubmenuItem::StaticClass());
                            RegisterPersistentClass(TStyledSeparatorItem::StaticClass());
                          },
                          [] {
                            UnregisterPersistentClass(TStyledSeparatorItem::StaticClass());
                            UnregisterPersistentClass(TStyledSubmenuItem::StaticClass());
                            UnregisterPersistentClass(TStyledItem::StaticClass());
                          },
                          {&EditItemUnit(), &StyledEditItemUnit()}};
  return unit;
}

}  // namespace toolbars

#include "toolbars/items/bar_image_list.h"

#include "framework/properties.h"
#include "framework/startup.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/common/bar_hook.h"
#include "toolbars/items/drag_cursors.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/popup_window.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_nexus.h"
#include "toolbars/views/deferred_layout.h"

namespace toolbars {

namespace {

std::unique_ptr<TFont> menuFont;

void LoadMenuFont() {
  // Reloaded in place: views hold on to the font while they lay out and paint.
  if (!menuFont) menuFont = std::make_unique<TFont>();
  // The record of the wide call, whatever its size on this platform.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    menuFont->SetHandle(CreateFontIndirectW(&metrics.lfMenuFont));
}

void StartToolbars() {
  LoadMenuFont();
  LoadDragCursors();
}

void StopToolbars() {
  FreeClickWindow();
  FreeDeferredLayoutWindow();
  RemoveAllHookProcs();
  ReleaseTrackMouseEvent();
  menuFont.reset();
  FreeDragCursors();
}

}  // namespace

TBarCustomImageList::TBarCustomImageList(TComponent* owner)
    : TImageList(owner),
      checkedLink_(std::make_unique<TChangeLink>()),
      disabledLink_(std::make_unique<TChangeLink>()),
      pressedLink_(std::make_unique<TChangeLink>()),
      sourceBitmap_(std::make_unique<TBitmap>()) {
  for (TChangeLink* link : {checkedLink_.get(), disabledLink_.get(), pressedLink_.get()})
    link->OnChange = TNotifyEvent(this, &TBarCustomImageList::StateListChanged);
  sourceBitmap_->OnChange = TNotifyEvent(this, &TBarCustomImageList::SourceBitmapChanged);
}

TBarCustomImageList::~TBarCustomImageList() {
  Destroying();
  SetCheckedImageList(nullptr);
  SetDisabledImageList(nullptr);
  SetPressedImageList(nullptr);
}

void TBarCustomImageList::SetStateList(TCustomImageList*& field, TChangeLink& link, TCustomImageList* value) {
  if (value == this) value = nullptr;
  if (field == value) return;
  if (field) {
    field->UnRegisterChanges(&link);
    field->RemoveFreeNotification(this);
  }
  field = value;
  if (value) {
    value->RegisterChanges(&link);
    value->FreeNotification(this);
  }
  if (!IsLoading() && !IsDestroying()) Change();
}

void TBarCustomImageList::StateListChanged(TObject* sender) {
  (void)sender;
  Change();
}

void TBarCustomImageList::SourceBitmapChanged(TObject* sender) {
  (void)sender;
  if (sourceBitmap_->Empty()) return;
  // The images are replaced under one change notice, the list's last act: a listener told of the list emptied
  // first could free it before the new images came.
  ImageList_Remove(Handle(), -1);
  AddMasked(sourceBitmap_.get(), sourceBitmapMaskColor_);
}

void TBarCustomImageList::Notification(TComponent* component, TOperation operation) {
  TImageList::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == checked_) SetCheckedImageList(nullptr);
  if (component == disabled_) SetDisabledImageList(nullptr);
  if (component == pressed_) SetPressedImageList(nullptr);
}

void TBarCustomImageList::DefineProperties(TFiler& filer) {
  if (filer.IsWriter() && !sourceBitmap_->Empty()) return;
  TImageList::DefineProperties(filer);
}

void TBarCustomImageList::DrawForState(TCanvas* canvas, int x, int y, int index, bool enabled, bool pressed,
                                       bool checked) {
  if (!enabled && disabled_)
    disabled_->Draw(canvas, x, y, index, true);
  else if (checked && checked_)
    checked_->Draw(canvas, x, y, index, enabled);
  else if (pressed && pressed_)
    pressed_->Draw(canvas, x, y, index, enabled);
  else
    Draw(canvas, x, y, index, enabled);
}

const TPublishedTable& TBarCustomImageList::PublishedTable() const {
  using P = TPublished<TBarCustomImageList>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Component(L"CheckedImageList", &TBarCustomImageList::CheckedImageList,
                                                      &TBarCustomImageList::SetCheckedImageList),
                                         P::Component(L"DisabledImageList", &TBarCustomImageList::DisabledImageList,
                                                      &TBarCustomImageList::SetDisabledImageList),
                                         P::Component(L"PressedImageList", &TBarCustomImageList::PressedImageList,
                                                      &TBarCustomImageList::SetPressedImageList),
                                         P::Object(L"SourceBitmap", &TBarCustomImageList::SourceBitmap),
                                         P::Color(L"SourceBitmapMaskColor", &TBarCustomImageList::SourceBitmapMaskColor,
                                                  &TBarCustomImageList::SetSourceBitmapMaskColor)
                                             .Default(clFuchsia),
                                     });
  return table;
}

TFont* BarMenuFont() {
  if (!menuFont) LoadMenuFont();
  return menuFont.get();
}

void ReloadBarMenuFont() { LoadMenuFont(); }

const TUnit& ToolbarsUnit() {
  static const TUnit unit{L"toolbars",
                          &StartToolbars,
                          &StopToolbars,
                          {&ControlsUnit(), &ItemKindsUnit(), &StyledItemsUnit(), &PopupsUnit(), &StyledWindowsUnit()}};
  return unit;
}

}  // namespace toolbars

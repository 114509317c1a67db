// The plain item classes: the root of a bar's tree, the separator and the item that hosts a control.
#pragma once

#include "toolbars/items/item.h"

class TControl;

namespace toolbars {

class TBarRootItem : public TBarCustomItem {
  BC_CLASS(TBarRootItem, TBarCustomItem)
  using TBarCustomItem::TBarCustomItem;
};

class TBarSeparatorItem : public TBarCustomItem {
  BC_CLASS(TBarSeparatorItem, TBarCustomItem)
  explicit TBarSeparatorItem(TComponent* owner);

  // A blank separator takes its room but draws no line.
  bool Blank() const { return blank_; }
  void SetBlank(bool value);
  TBarItemViewerClass GetItemViewerClass(TBarView* view) const override;
  const TPublishedTable& PublishedTable() const override;

 private:
  bool blank_ = false;
};

// Shows a control of the form in a bar; the viewer only makes room for it, the view places it.
class TBarControlItem : public TBarCustomItem {
  BC_CLASS(TBarControlItem, TBarCustomItem)
  explicit TBarControlItem(TComponent* owner);
  // An item that hosts control from the start.
  TBarControlItem(TComponent* owner, TControl* control);
  ~TBarControlItem() override;

  TControl* Control() const { return control_; }
  void SetControl(TControl* value);
  // Keeps the control alive when the item goes.
  bool DontFreeControl() const { return dontFreeControl_; }
  void SetDontFreeControl(bool value) { dontFreeControl_ = value; }
  const TPublishedTable& PublishedTable() const override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TControl* control_ = nullptr;
  bool dontFreeControl_ = false;
};

}  // namespace toolbars

struct TUnit;

namespace toolbars {

// Registers the control item for stored forms.
const TUnit& ItemKindsUnit();

}  // namespace toolbars

// The themed pop-up menu component and the themed root item that themed menus and toolbars hold their items
// under: whatever they open is a themed pop-up window.
#pragma once

#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/popup_menu.h"

namespace toolbars {

class TStyledRootItem : public TBarRootItem {
  BC_CLASS(TStyledRootItem, TBarRootItem)
  using TBarRootItem::TBarRootItem;

  TBarPopupWindowClass GetPopupWindowClass() const override;
};

class TStyledPopupMenu : public TBarPopupMenu {
  BC_CLASS(TStyledPopupMenu, TBarPopupMenu)
  explicit TStyledPopupMenu(TComponent* owner = nullptr);

  // Answers the view-type query as a pop-up menu.
  void Dispatch(TMessage& message) override;
};

}  // namespace toolbars

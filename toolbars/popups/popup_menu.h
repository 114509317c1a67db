// TBarPopupMenu: the pop-up menu component of forms (context, tray, tab and favourites menus). Its items form a
// tree under one root item that it owns; Popup shows them in the framework's own pop-up windows and tracks them,
// and returns once the menu has closed and the chosen command has been handed on.
#pragma once

#include "framework/menus.h"
#include "toolbars/items/item.h"

namespace toolbars {

using TBarRootItemClass = TClassRef<TBarCustomItem, TComponent*>;

class TBarPopupMenu : public TPopupMenu, public IBarItemContainer {
  BC_CLASS(TBarPopupMenu, TPopupMenu)
  explicit TBarPopupMenu(TComponent* owner = nullptr);
  ~TBarPopupMenu() override;
  void BeforeDestruction() override;

  TBarCustomItem* Items() const { return items_; }
  TBarCustomItem* GetItems() override { return items_; }
  TCustomImageList* Images() const { return items_->SubMenuImages(); }
  void SetImages(TCustomImageList* value) { items_->SetSubMenuImages(value); }
  TBarCustomItem* LinkSubitems() const { return items_->LinkSubitems(); }
  void SetLinkSubitems(TBarCustomItem* value) { items_->SetLinkSubitems(value); }
  TBarItemOptions Options() const { return items_->Options(); }
  void SetOptions(TBarItemOptions value) { items_->SetOptions(value); }

  TRaised Popup(int x, int y) override;
  bool IsShortCut(const TMessage& message) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  // A themed menu passes the class of its own root item.
  TBarPopupMenu(TComponent* owner, TBarRootItemClass rootItemClass);

 private:
  void RootPopup(TBarCustomItem* sender, bool fromLink);

  TBarCustomItem* items_ = nullptr;
};

}  // namespace toolbars

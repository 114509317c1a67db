#include "toolbars/styled/styled_popup_menu.h"

#include "toolbars/styled/styled_popup_window.h"
#include "toolbars/styled/view_queries.h"
#include "toolbars/theme/theme.h"

namespace toolbars {

TBarPopupWindowClass TStyledRootItem::GetPopupWindowClass() const {
  return TBarPopupWindowClass::Of<TStyledPopupWindow>();
}

TStyledPopupMenu::TStyledPopupMenu(TComponent* owner)
    : TBarPopupMenu(owner, TBarRootItemClass::Of<TStyledRootItem>()) {}

void TStyledPopupMenu::Dispatch(TMessage& message) {
  if (message.Msg == CM_STYLEDVIEWTYPE) {
    message.Result = vtPopupMenu;
    return;
  }
  TBarPopupMenu::Dispatch(message);
}

}  // namespace toolbars

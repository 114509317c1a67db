#include "toolbars/styled/view_queries.h"

#include "framework/control.h"
#include "framework/win_control.h"
#include "toolbars/styled/custom_list.h"
#include "toolbars/styled/styled_edit_item.h"
#include "toolbars/theme/theme.h"
#include "toolbars/views/view.h"

namespace toolbars {

int PopupViewTypeOf(TBarCustomItem* parentItem) {
  if (parentItem && parentItem->Count() == 1 && ObjectAs<TStyledCustomList>(parentItem->ItemAt(0))) return vtListPopup;
  if (ObjectAs<TStyledEditItem>(parentItem)) return vtToolBoxPopup;
  if (auto* styled = ObjectAs<TStyledCustomItem>(parentItem); styled && styled->ToolBoxPopup()) return vtToolBoxPopup;
  return vtPopupMenu;
}

int GetViewTypeOf(TControl* control) {
  return control ? static_cast<int>(control->Perform(CM_STYLEDVIEWTYPE, 0, 0)) : 0;
}

int GetViewType(TBarView* view) {
  if (!view) return 0;
  const int answer = GetViewTypeOf(view->Window());
  if (answer != 0) return answer;
  return view->IsPopup() ? PopupViewTypeOf(view->ParentItem()) : vtToolbar;
}

TColor GetEffectiveColor(TControl* control) {
  if (!control) return clBtnFace;
  TMessage message{CM_STYLEDEFFECTIVECOLOR, 0, 0, 0};
  control->Dispatch(message);
  return message.Result != 0 ? static_cast<TColor>(message.WParam) : control->Color();
}

}  // namespace toolbars

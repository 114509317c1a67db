#include "toolbars/styled/view_queries.h"

#include "framework/control.h"
#include "framework/win_control.h"
#include "toolbars/styled/custom_list.h"
#include "toolbars/styled/styled_edit_item.h"
#include "toolbars/theme/theme.h"
#include "toolbars/views/view.h"

namespace toolbars {

namespace {

int ImpliedViewType(TBarView* view) {
  if (!view->IsPopup()) return vtToolbar;
  TBarCustomItem* parent = view->ParentItem();
  if (parent && parent->Count() == 1 && ObjectAs<TStyledCustomList>(parent->ItemAt(0))) return vtListPopup;
  if (ObjectAs<TStyledEditItem>(parent)) return vtToolBoxPopup;
  if (auto* styled = ObjectAs<TStyledCustomItem>(parent); styled && styled->ToolBoxPopup()) return vtToolBoxPopup;
  return vtPopupMenu;
}

}  // namespace

int GetViewTypeOf(TControl* control) {
  return control ? static_cast<int>(control->Perform(CM_STYLEDVIEWTYPE, 0, 0)) : 0;
}

int GetViewType(TBarView* view) {
  if (!view) return 0;
  const int answer = GetViewTypeOf(view->Window());
  return answer != 0 ? answer : ImpliedViewType(view);
}

TColor GetEffectiveColor(TControl* control) {
  if (!control) return clBtnFace;
  TMessage message{CM_STYLEDEFFECTIVECOLOR, 0, 0, 0};
  control->Dispatch(message);
  return message.Result != 0 ? static_cast<TColor>(message.WParam) : control->Color();
}

}  // namespace toolbars

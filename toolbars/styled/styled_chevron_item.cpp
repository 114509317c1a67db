#include "toolbars/styled/styled_chevron_item.h"

#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_popup_window.h"
#include "toolbars/styled/view_queries.h"
#include "toolbars/views/view.h"

namespace toolbars {

TBarItemViewerClass TStyledChevronItem::GetItemViewerClass(TBarView* view) const {
  (void)view;
  return TBarItemViewerClass::Of<TStyledChevronItemViewer>();
}

void TStyledChevronItem::GetPopupPosition(TBarView* parentView, TBarPopupWindowBase* popupWindow,
                                          TBarPopupPositionRec& rec) {
  PlaceStyledPopup(this, parentView, popupWindow, rec);
}

TBarPopupWindowClass TStyledChevronItem::GetPopupWindowClass() const {
  return TBarPopupWindowClass::Of<TStyledChevronPopupWindow>();
}

TRaised TStyledChevronItemViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                        bool useDisabledShadow) {
  (void)useDisabledShadow;
  TStyledTheme* theme = CurrentTheme();
  if (!theme) {
    return TBarItemViewer::Paint(canvas, clientAreaRect, isSelected, isPushed, useDisabledShadow);
  }
  TBarView* view = View();
  TStyledItemPaintInfo info{};
  info.ViewType = GetViewType(view);
  info.ItemOptions = ioToolbarStyle;
  if (Item()->IsDesigning()) info.ItemOptions |= ioDesigning;
  info.Enabled = Item()->Enabled();
  info.Pushed = isPushed;
  if (isSelected) info.HoverKind = info.Enabled ? hkHot : (view->MouseOverSelected() ? hkNone : hkKeyboardHot);
  info.IsVertical = view->Orientation() == TBarViewOrientation::tbvoVertical;
  info.IsPopupParent = isPushed;
  theme->PaintChevronGlyph(canvas, clientAreaRect, info);
  return TRaised(true);
}

}  // namespace toolbars

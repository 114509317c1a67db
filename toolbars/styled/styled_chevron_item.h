// The themed chevron of a themed toolbar: its pop-up is the themed chevron pop-up, placed as themed items place
// theirs, and its glyph is the current theme's.
#pragma once

#include "toolbars/bars/chevron_item.h"

namespace toolbars {

class TStyledChevronItem : public TBarChevronItem {
  BC_CLASS(TStyledChevronItem, TBarChevronItem)
  using TBarChevronItem::TBarChevronItem;

  TBarItemViewerClass GetItemViewerClass(TBarView* view) const override;
  void GetPopupPosition(TBarView* parentView, TBarPopupWindowBase* popupWindow, TBarPopupPositionRec& rec) override;
  TBarPopupWindowClass GetPopupWindowClass() const override;
};

class TStyledChevronItemViewer : public TBarItemViewer {
  BC_CLASS(TStyledChevronItemViewer, TBarItemViewer)
  using TBarItemViewer::TBarItemViewer;

  TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                bool useDisabledShadow) override;
};

}  // namespace toolbars

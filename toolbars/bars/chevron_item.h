// TBarChevronItem, the button at the far end of a toolbar that is too short for its items: its pop-up lists the
// items that gave way, and its viewer paints the double-chevron glyph.
#pragma once

#include "toolbars/views/item_viewer.h"

namespace toolbars {

class TBarCustomToolbar;

// The chevron's hint until the application gives another.
constexpr const wchar_t* kChevronHint = L"More Buttons|";

class TBarChevronItem : public TBarCustomItem {
  BC_CLASS(TBarChevronItem, TBarCustomItem)
  // owner is the toolbar whose items the chevron lists.
  explicit TBarChevronItem(TComponent* owner);

  TBarCustomToolbar* Toolbar() const { return toolbar_; }
  TBarView* GetChevronParentView() const override;
  TBarItemViewerClass GetItemViewerClass(TBarView* view) const override;

 private:
  TBarCustomToolbar* toolbar_;
};

class TBarChevronItemViewer : public TBarItemViewer {
  BC_CLASS(TBarChevronItemViewer, TBarItemViewer)
  using TBarItemViewer::TBarItemViewer;

  TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                bool useDisabledShadow) override;
};

}  // namespace toolbars

// Items whose viewers measure a fixed size, so that layout tests know every rectangle in advance.
#pragma once

#include "toolbars/items/item_kinds.h"
#include "toolbars/views/item_viewer.h"

namespace bar_host {

class TFixedViewer : public toolbars::TBarItemViewer {
  BC_CLASS(TFixedViewer, toolbars::TBarItemViewer)
  using TBarItemViewer::TBarItemViewer;
  TRaised CalcSize(TCanvas* canvas, int& width, int& height) override;
  // How often any fixed viewer was measured.
  static inline int Measurements = 0;
};

// An item measured width x height by its viewer, with any style bits the test needs.
class TFixedItem : public toolbars::TBarCustomItem {
  BC_CLASS(TFixedItem, toolbars::TBarCustomItem)
  explicit TFixedItem(TComponent* owner, SIZE size = {30, 20}, toolbars::TBarItemStyle addStyle = 0)
      : TBarCustomItem(owner), size_(size) {
    SetItemStyle(static_cast<toolbars::TBarItemStyle>(ItemStyle() | addStyle));
  }
  SIZE Size() const { return size_; }
  toolbars::TBarItemViewerClass GetItemViewerClass(toolbars::TBarView*) const override {
    return toolbars::TBarItemViewerClass::Of<TFixedViewer>();
  }
  void AddStyle(toolbars::TBarItemStyle bits) {
    SetItemStyle(static_cast<toolbars::TBarItemStyle>(ItemStyle() | bits));
  }

 private:
  SIZE size_;
};

// A separator measured size x size (a line across a toolbar, a gap in a menu).
class TFixedSeparator : public toolbars::TBarSeparatorItem {
  BC_CLASS(TFixedSeparator, toolbars::TBarSeparatorItem)
  explicit TFixedSeparator(TComponent* owner, SIZE size = {6, 6}) : TBarSeparatorItem(owner), size_(size) {}
  SIZE Size() const { return size_; }
  toolbars::TBarItemViewerClass GetItemViewerClass(toolbars::TBarView*) const override {
    return toolbars::TBarItemViewerClass::Of<TFixedViewer>();
  }
  void AddStyle(toolbars::TBarItemStyle bits) {
    SetItemStyle(static_cast<toolbars::TBarItemStyle>(ItemStyle() | bits));
  }

 private:
  SIZE size_;
};

inline TRaised TFixedViewer::CalcSize(TCanvas*, int& width, int& height) {
  ++Measurements;
  SIZE size{};
  if (auto* item = ObjectAs<TFixedItem>(Item())) size = item->Size();
  if (auto* separator = ObjectAs<TFixedSeparator>(Item())) size = separator->Size();
  width = size.cx;
  height = size.cy;
  return TRaised(true);
}

}  // namespace bar_host

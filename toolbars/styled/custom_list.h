// TStyledCustomList: a themed item that shows a scrollable list of text lines, with optional images, inside a
// pop-up menu (a list of recent entries, say). A click picks an entry: ItemIndex changes, OnChange fires and the
// menu closes as for any item. The entries come from a descendant.
#pragma once

#include <memory>
#include <vector>

#include "toolbars/styled/scroll_bar.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_item_viewer.h"

namespace toolbars {

class TStyledCustomListViewer;

using TListPaintEvent =
    TDelegate<void(TObject* sender, TCanvas* canvas, const RECT& rect, int index, bool hot, bool& drawDefault)>;
using TListImageIndexEvent = TDelegate<void(TObject* sender, int index, int& imageIndex)>;
using TListMeasureHeightEvent = TDelegate<void(TObject* sender, TCanvas* canvas, int& height)>;
using TListMeasureWidthEvent = TDelegate<void(TObject* sender, TCanvas* canvas, int index, int& width)>;

class TStyledCustomList : public TStyledCustomItem {
  BC_CLASS(TStyledCustomList, TStyledCustomItem)
  explicit TStyledCustomList(TComponent* owner) : TStyledCustomItem(owner) {}
  ~TStyledCustomList() override;

  int ItemIndex() const { return itemIndex_; }
  // Negative values become -1; every viewer shows the entry as hot, and OnChange is raised last: the answer is
  // whether the list outlived it.
  [[nodiscard]] TRaised SetItemIndex(int value);
  int MinimumWidth() const { return minimumWidth_; }
  void SetMinimumWidth(int value) { minimumWidth_ = value; }
  // 0: no limit.
  int MaximumWidth() const { return maximumWidth_; }
  void SetMaximumWidth(int value) { maximumWidth_ = value; }
  int VisibleItemLimit() const { return visibleItemLimit_; }
  void SetVisibleItemLimit(int value) { visibleItemLimit_ = value; }
  bool ShowItemImages() const { return showItemImages_; }
  void SetShowItemImages(bool value) { showItemImages_ = value; }
  int ViewerCount() const { return viewers_ ? static_cast<int>(viewers_->size()) : 0; }

  TBarItemViewerClass GetItemViewerClass(TBarView* view) const override;

  // Each raises its handler; the answer is whether the list outlived it.
  virtual TRaised DoPaintItemBack(TCanvas* canvas, const RECT& rect, int index, bool hot, bool& drawDefault);
  virtual TRaised DoPaintItem(TCanvas* canvas, const RECT& rect, int index, bool hot, bool& drawDefault);
  virtual TRaised DoMeasureHeight(TCanvas* canvas, int& height);
  virtual TRaised DoMeasureWidth(TCanvas* canvas, int index, int& width);
  virtual TRaised DrawItem(TCanvas* canvas, TStyledCustomListViewer* viewer, int hotIndex, int index, const RECT& rect);
  virtual TRaised GetImageIndex(int index, int& imageIndex);
  virtual void GetItemText(int index, String& text) = 0;
  virtual int GetCount() = 0;
  virtual TRaised DoChange();
  virtual void HotIndexChanged(int index) { (void)index; }

  TNotifyEvent OnChange;
  TListPaintEvent OnPaintItemBack;
  TListPaintEvent OnPaintItem;
  TListImageIndexEvent OnGetImageIndex;
  TListMeasureHeightEvent OnMeasureHeight;
  TListMeasureWidthEvent OnMeasureWidth;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TStyledCustomListViewer;
  std::unique_ptr<std::vector<TStyledCustomListViewer*>> viewers_;
  int itemIndex_ = -1;
  int minimumWidth_ = 32;
  int maximumWidth_ = 0;
  int visibleItemLimit_ = 8;
  bool showItemImages_ = false;
};

class TStyledCustomListViewer : public TStyledItemViewer {
  BC_CLASS(TStyledCustomListViewer, TStyledItemViewer)
  TStyledCustomListViewer(TBarView* view, TBarCustomItem* item);
  ~TStyledCustomListViewer() override;

  int Count() const { return count_; }
  int ItemHeight() const { return itemHeight_; }
  int HotIndex() const { return hotIndex_; }
  int TopIndex() const { return topIndex_; }
  int VisibleCount() const { return visibleCount_; }
  int ScrollBarWidth() const { return scrollBarWidth_; }
  // Null until the list first needs one.
  TStyledScrollBar* ScrollBar() const { return scrollBar_.get(); }
  // The entry at a point in the viewer's coordinates, -1 for none.
  int IndexAt(int x, int y) const;
  // Makes index hot and scrolls it into view, as the list's ItemIndex does; the repaint raises the list's paint
  // handlers, and the answer is whether the viewer outlived them.
  TRaised SetHotIndexFromList(int index);

  TRaised CalcSize(TCanvas* canvas, int& width, int& height) override;
  TRaised KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state) override;
  TRaised MouseDown(TShiftState shift, int x, int y, TBarTrackingState& state) override;
  TRaised MouseMove(int x, int y) override;
  TRaised MouseUp(int x, int y, TBarTrackingState& state) override;
  TRaised MouseWheel(int wheelDelta, int x, int y) override;
  TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                bool useDisabledShadow) override;

  virtual void SetOutOfAreaHotIndex() { hotIndex_ = -1; }
  // Raise the list's measuring handlers; the answer is whether the viewer outlived them.
  virtual TRaised GetItemHeight(TCanvas* canvas, int& height);
  virtual TRaised GetItemWidth(TCanvas* canvas, int index, int& width);
  virtual void AutoScrolling(int delta) { (void)delta; }

 private:
  TStyledCustomList* List() const { return static_cast<TStyledCustomList*>(Item()); }
  int ListWidth() const { return BoundsRect().right - BoundsRect().left; }
  TStyledScrollBar* EnsureScrollBar();
  TRaised ScrollTo(int top);
  TRaised ChangeHot(int index);
  // Makes the hot entry the list's ItemIndex, raising OnChange.
  TRaised ChooseHot();
  // Repaints entries from..to (either order) on the view window at once.
  TRaised PaintEntries(int from, int to);
  TRaised PaintEntriesOn(TCanvas* canvas, int from, int to);
  void ScrollBarChanged(TObject* sender);
  void ScrollBarRedraw(TObject* sender);
  void ScrollBarAutoScroll(TObject* sender, int& delta, int& interval);
  // A DC of the view window with its origin at the viewer's corner, for painting outside WM_PAINT.
  template <class Painter>
  TRaised PaintOnWindow(Painter painter);

  int count_ = 0;
  int itemHeight_ = 1;
  int hotIndex_ = -1;
  RECT listArea_{};
  int wheelAccumulator_ = 0;
  int topIndex_ = 0;
  int scrollBarWidth_ = 0;
  std::unique_ptr<TStyledScrollBar> scrollBar_;
  int visibleCount_ = 1;
  bool pressedInList_ = false;
  bool pressedInScrollBar_ = false;
  bool changingHot_ = false;
};

}  // namespace toolbars

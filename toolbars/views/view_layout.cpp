// Where every viewer of a view goes: which items show, their sizes, rows (or columns) with wrapping at
// separators, the chevron that takes what does not fit, columns and scrolling of tall pop-ups, right alignment.
// A pop-up stacks its rows downwards, as a vertical bar stacks its buttons; "along" is the stacking direction.
#include <algorithm>

#include "framework/win_control.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/views/deferred_layout.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

namespace toolbars {

struct TBarView::TLayoutRecord {
  RECT Bounds{};
  SIZE Size{};
  bool Show = false;
  bool OffEdge = false;
  bool LineSep = false;
  bool Clipped = false;
  bool SameWidth = false;
};

namespace {

constexpr int kLineSepThickness = 6;
// Where the control of an item that does not fit waits, outside every window.
constexpr int kOutOfSight = -32000;
// A tall pop-up is split into at most this many columns before it scrolls.
constexpr int kMaxPopupColumns = 3;
bool IsSeparator(const TBarItemViewer* viewer) { return viewer->Item()->HasStyle(isSeparator); }

}  // namespace

// The computation of one layout, over one record per viewer.
class TBarView::TLayout {
 public:
  TLayout(TBarView& view, TBarViewOrientation orientation, int wrapOffset, int chevronOffset, int chevronSize,
          TBarLayoutProbe* probe)
      : view_(view),
        records_(view.viewers_.size()),
        stacked_(orientation == TBarViewOrientation::tbvoVertical || view.isPopup_),
        vertical_(orientation == TBarViewOrientation::tbvoVertical),
        wrapOffset_(wrapOffset),
        chevronOffset_(chevronOffset),
        chevronSize_(chevronSize),
        chevron_(view.GetChevronItem() ? static_cast<int>(records_.size()) - 1 : -1),
        probe_(probe) {}

  // Gone when the view died in a measuring handler; a layout cut short by one leaves Complete false.
  TRaised Run(bool canMoveControls, SIZE& baseSize, SIZE& totalSize, bool& changed);
  bool Complete() const { return complete_; }
  int Lines() const { return lines_; }
  int TightWrapOffset() const { return tightWrapOffset_; }

 private:
  int Along(SIZE size) const { return stacked_ ? size.cy : size.cx; }
  int Cross(SIZE size) const { return stacked_ ? size.cx : size.cy; }
  TBarItemViewer* Viewer(int i) const { return view_.viewers_[static_cast<size_t>(i)].get(); }
  int Count() const { return static_cast<int>(records_.size()); }
  bool Laid(int i) const { return i != chevron_; }
  // A rectangle at (along, cross) of the given lengths.
  RECT Place(int along, int cross, int alongLength, int crossLength) const {
    along = std::max(along, 0);
    cross = std::max(cross, 0);
    return stacked_ ? RECT{cross, along, cross + crossLength, along + alongLength}
                    : RECT{along, cross, along + alongLength, cross + crossLength};
  }
  int AlongStart(const RECT& r) const { return stacked_ ? r.top : r.left; }
  int AlongEnd(const RECT& r) const { return stacked_ ? r.bottom : r.right; }
  int CrossStart(const RECT& r) const { return stacked_ ? r.left : r.top; }
  int CrossEnd(const RECT& r) const { return stacked_ ? r.right : r.bottom; }
  void MoveAlong(RECT& r, int delta) const { stacked_ ? OffsetRect(&r, 0, delta) : OffsetRect(&r, delta, 0); }
  void SetCross(RECT& r, int start, int length) const {
    if (stacked_) {
      r.left = start;
      r.right = start + length;
    } else {
      r.top = start;
      r.bottom = start + length;
    }
  }

  void ChooseShown();
  // Hides doubled, leading and (with trailing) trailing separators; answers the length taken away.
  int HideExtraSeparators(bool trailing);
  TRaised Measure(TCanvas& canvas, bool canMoveControls);
  // Moving a control raises its application's handlers: gone when they freed the view.
  TRaised MoveControls();
  // Whether the layout goes on after a handler ran about the viewer at i: not when the view died, nor (the layout
  // being then incomplete) when the handler freed its object or changed the view's items.
  bool Outlived(const TLifeWatch& life, int i, const TBarItemViewer* viewer, const TRaised& raised) {
    if (life.Ended()) return false;
    if (raised.Gone() || view_.viewers_.size() != records_.size() || Viewer(i) != viewer) complete_ = false;
    return complete_;
  }
  void GiveWayToChevron();
  void PlaceLines();
  void FinishLine(int lineStart, int lineEnd, int thickness);
  void ArrangeTallPopup();
  void Scroll();
  int GroupLengthAfter(int separator) const;

  TBarView& view_;
  std::vector<TLayoutRecord> records_;
  bool stacked_;
  bool vertical_;
  int wrapOffset_;
  int chevronOffset_;
  int chevronSize_;
  int chevron_;
  TBarLayoutProbe* probe_;
  bool complete_ = true;
  bool chevronNeeded_ = false;
  bool itemGaveWay_ = false;
  bool wrapped_ = false;
  int lines_ = 0;
  int tightWrapOffset_ = 0;
  int sumLength_ = 0;
  int baseCross_ = 0;
  RECT margins_{};
  int totalAlong_ = 0;
  int totalCross_ = 0;
};

void TBarView::TLayout::ChooseShown() {
  TBarView* chevronParent = view_.chevronParentView_;
  for (int i = 0; i < Count(); ++i) {
    if (!Laid(i)) continue;
    TBarCustomItem* item = Viewer(i)->Item();
    bool show;
    if (auto* controlItem = ObjectAs<TBarControlItem>(item)) {
      TControl* control = controlItem->Control();
      show = control && view_.window_ && control->Parent() == view_.window_ &&
             (control->Visible() || control->IsDesigning());
    } else if (item->HasStyle(isEmbeddedGroup) && !view_.customizing_) {
      show = false;
    } else {
      show = item->Visible();
    }
    if (show && chevronParent && !item->HasStyle(isSeparator)) {
      const int parentIndex = i + chevronParent->internalViewersAtFront_;
      show = parentIndex < chevronParent->ViewerCount() && chevronParent->Viewers(parentIndex)->OffEdge();
    }
    records_[static_cast<size_t>(i)].Show = show;
  }
  HideExtraSeparators(true);
}

int TBarView::TLayout::HideExtraSeparators(bool trailing) {
  int removed = 0;
  bool previousIsSeparator = true;  // nothing shown yet counts as a separator: leading ones go
  int lastShown = -1;
  for (int i = 0; i < Count(); ++i) {
    TLayoutRecord& record = records_[static_cast<size_t>(i)];
    if (!Laid(i) || !record.Show) continue;
    const bool separator = IsSeparator(Viewer(i)) && !ObjectAs<TBarControlItem>(Viewer(i)->Item());
    if (separator && previousIsSeparator) {
      record.Show = false;
      removed += Along(record.Size);
      continue;
    }
    previousIsSeparator = separator;
    lastShown = i;
  }
  if (trailing) {
    for (int i = lastShown; i >= 0; --i) {
      TLayoutRecord& record = records_[static_cast<size_t>(i)];
      if (!Laid(i) || !record.Show) continue;
      if (!IsSeparator(Viewer(i))) break;
      record.Show = false;
      removed += Along(record.Size);
    }
  }
  return removed;
}

TRaised TBarView::TLayout::Measure(TCanvas& canvas, bool canMoveControls) {
  if (probe_ && probe_->Measured.size() == records_.size()) {
    for (int i = 0; i < Count(); ++i) {
      TLayoutRecord& record = records_[static_cast<size_t>(i)];
      record.Size = probe_->Measured[static_cast<size_t>(i)];
      if (Laid(i) && record.Show) sumLength_ += Along(record.Size);
    }
    return TRaised(true);
  }
  // A measuring handler may free the view, or delete items and so viewers the records stand for.
  const TLifeWatch life = view_.LifeWatch();
  int sameWidth = 0;
  canvas.SetFont(view_.GetFont());
  const TFontStyles style = canvas.Font()->Style();
  for (int i = 0; i < Count(); ++i) {
    TLayoutRecord& record = records_[static_cast<size_t>(i)];
    if (!record.Show) continue;
    TBarItemViewer* viewer = Viewer(i);
    TBarCustomItem* item = viewer->Item();
    if (auto* controlItem = ObjectAs<TBarControlItem>(item)) {
      record.Size = SIZE{controlItem->Control()->Width(), controlItem->Control()->Height()};
      continue;
    }
    const bool bold = item->EffectiveOptions().Contains(TBarItemOption::tboDefault);
    canvas.Font()->SetStyle(bold ? style + TFontStyle::fsBold : style);
    int width = 0;
    int height = 0;
    if (item->NeedToRecreateViewer(viewer)) {
      if (canMoveControls) {
        view_.ClearViewerReferences(viewer);
        view_.viewers_[static_cast<size_t>(i)] = item->GetItemViewerClass(&view_).Create(&view_, item);
        viewer = Viewer(i);
        if (!Outlived(life, i, viewer, viewer->CalcSize(&canvas, width, height))) return TRaised(!life.Ended());
      } else {
        const TRaised raised = item->GetItemViewerClass(&view_).Create(&view_, item)->CalcSize(&canvas, width, height);
        if (!Outlived(life, i, viewer, raised)) return TRaised(!life.Ended());
      }
    } else if (!Outlived(life, i, viewer, viewer->CalcSize(&canvas, width, height))) {
      return TRaised(!life.Ended());
    }
    record.Size = SIZE{width, height};
    if (viewer->UsesSameWidth()) {
      record.SameWidth = true;
      sameWidth = std::max(sameWidth, width);
    }
  }
  for (TLayoutRecord& record : records_)
    if (record.SameWidth) record.Size.cx = sameWidth;
  if (probe_) {
    probe_->Measured.clear();
    for (const TLayoutRecord& record : records_) probe_->Measured.push_back(record.Size);
  }
  for (int i = 0; i < Count(); ++i)
    if (Laid(i) && records_[static_cast<size_t>(i)].Show) sumLength_ += Along(records_[static_cast<size_t>(i)].Size);
  return TRaised(true);
}

void TBarView::TLayout::GiveWayToChevron() {
  if (chevron_ < 0 || chevronOffset_ < 1 || sumLength_ <= chevronOffset_) return;
  const int limit = chevronOffset_ - chevronSize_;
  auto shownNonSeparators = [&] {
    int count = 0;
    for (int i = 0; i < Count(); ++i)
      if (Laid(i) && records_[static_cast<size_t>(i)].Show && !IsSeparator(Viewer(i))) ++count;
    return count;
  };
  while (sumLength_ > limit && shownNonSeparators() >= 2) {
    int last = -1;
    for (int i = Count() - 1; i >= 0 && last < 0; --i)
      if (Laid(i) && records_[static_cast<size_t>(i)].Show) last = i;
    if (IsSeparator(Viewer(last))) {
      records_[static_cast<size_t>(last)].Show = false;
      sumLength_ -= Along(records_[static_cast<size_t>(last)].Size);
    } else {
      int victim = -1;
      if (view_.usePriorityList_ && view_.priorityList_) {
        const auto& priority = *view_.priorityList_;
        for (auto viewer = priority.rbegin(); viewer != priority.rend() && victim < 0; ++viewer) {
          const int i = view_.IndexOf(*viewer);
          if (i >= 0 && records_[static_cast<size_t>(i)].Show && !IsSeparator(*viewer)) victim = i;
        }
      }
      if (victim < 0)
        for (int i = Count() - 1; i >= 0 && victim < 0; --i)
          if (Laid(i) && records_[static_cast<size_t>(i)].Show && !IsSeparator(Viewer(i))) victim = i;
      TLayoutRecord& record = records_[static_cast<size_t>(victim)];
      record.Show = false;
      record.OffEdge = true;
      sumLength_ -= Along(record.Size);
      if (!ObjectAs<TBarControlItem>(Viewer(victim)->Item())) itemGaveWay_ = true;
      chevronNeeded_ = true;
    }
    sumLength_ -= HideExtraSeparators(false);
  }
}

int TBarView::TLayout::GroupLengthAfter(int separator) const {
  int length = 0;
  for (int i = separator + 1; i < Count(); ++i) {
    if (!Laid(i) || !records_[static_cast<size_t>(i)].Show) continue;
    if (IsSeparator(Viewer(i))) break;
    length += Along(records_[static_cast<size_t>(i)].Size);
  }
  return length;
}

void TBarView::TLayout::FinishLine(int lineStart, int lineEnd, int thickness) {
  if (wrapped_ && !view_.chevronParentView_) totalAlong_ = std::max(totalAlong_, wrapOffset_);
  int rightAlign = -1;
  int lastShown = -1;
  for (int i = lineStart; i < lineEnd; ++i) {
    TLayoutRecord& record = records_[static_cast<size_t>(i)];
    if (!Laid(i) || !record.Show) continue;
    TBarItemViewer* viewer = Viewer(i);
    TBarCustomItem* item = viewer->Item();
    const int start = CrossStart(record.Bounds);
    const int length = CrossEnd(record.Bounds) - start;
    if (view_.isToolbar_) {
      if (item->HasStyle(isSeparator | isStretch))
        SetCross(record.Bounds, start, thickness);
      else
        SetCross(record.Bounds, start + (thickness - length) / 2, length);
    } else if (!viewer->IsToolbarSize()) {
      SetCross(record.Bounds, start, thickness);
    }
    if (rightAlign < 0 && item->HasStyle(isRightAlign)) rightAlign = i;
    lastShown = i;
  }
  if (rightAlign < 0) return;
  if (wrapOffset_ >= 1) totalAlong_ = std::max(totalAlong_, wrapOffset_);
  const int limit = wrapOffset_ >= 1 ? std::min(wrapOffset_, totalAlong_) : totalAlong_;
  const int shift = limit - AlongEnd(records_[static_cast<size_t>(lastShown)].Bounds);
  if (shift < 1) return;
  for (int i = rightAlign; i < lineEnd; ++i)
    if (Laid(i) && records_[static_cast<size_t>(i)].Show) MoveAlong(records_[static_cast<size_t>(i)].Bounds, shift);
}

void TBarView::TLayout::PlaceLines() {
  const int alongMargin = stacked_ ? margins_.top : margins_.left;
  const int crossMargin = stacked_ ? margins_.left : margins_.top;
  int penAlong = alongMargin;
  int penCross = crossMargin;
  int lineStart = 0;
  int thickness = 0;
  bool breakPending = false;
  for (int i = 0; i < Count(); ++i) {
    TLayoutRecord& record = records_[static_cast<size_t>(i)];
    if (!Laid(i) || !record.Show) continue;
    TBarItemViewer* viewer = Viewer(i);
    const int length = Along(record.Size);
    if (wrapOffset_ >= 1 && penAlong > alongMargin) {
      const int end = penAlong + length;
      if (IsSeparator(viewer)) {
        const bool pendingBreak = breakPending && !viewer->Item()->HasStyle(isNoLineBreak);
        const int groupEnd = pendingBreak ? 0 : end + GroupLengthAfter(i);
        const bool breakHere = pendingBreak || groupEnd > wrapOffset_;
        if (!breakHere) tightWrapOffset_ = std::max(tightWrapOffset_, groupEnd);
        if (breakHere) {
          FinishLine(lineStart, i, thickness);
          penCross += thickness;
          record.LineSep = true;
          record.Bounds = Place(alongMargin, penCross, 0, kLineSepThickness);
          totalCross_ = std::max(totalCross_, penCross + kLineSepThickness);
          penCross += kLineSepThickness;
          penAlong = alongMargin;
          lineStart = i + 1;
          thickness = 0;
          breakPending = false;
          wrapped_ = true;
          ++lines_;
          continue;
        }
      } else if (end > wrapOffset_) {
        FinishLine(lineStart, i, thickness);
        penAlong = alongMargin;
        penCross += thickness;
        thickness = 0;
        lineStart = i;
        breakPending = true;
        wrapped_ = true;
        ++lines_;
      }
    }
    if (lines_ == 0) lines_ = 1;
    thickness = std::max(thickness, Cross(record.Size));
    record.Bounds = Place(penAlong, penCross, length, Cross(record.Size));
    penAlong += length;
    tightWrapOffset_ = std::max(tightWrapOffset_, AlongEnd(record.Bounds));
    totalAlong_ = std::max(totalAlong_, AlongEnd(record.Bounds));
    totalCross_ = std::max(totalCross_, CrossEnd(record.Bounds));
  }
  if (view_.maxHeight_ > 0 && stacked_) {
    FinishLine(lineStart, Count(), thickness);
    ArrangeTallPopup();
  } else {
    FinishLine(lineStart, Count(), thickness);
  }
}

void TBarView::TLayout::ArrangeTallPopup() {
  const int maxHeight = view_.maxHeight_;
  int total = 0;
  int widest = 0;
  for (int i = 0; i < Count(); ++i) {
    const TLayoutRecord& record = records_[static_cast<size_t>(i)];
    if (!Laid(i) || !record.Show) continue;
    total += record.Size.cy;
    widest = std::max<int>(widest, record.Size.cx);
  }
  if (total <= maxHeight) return;
  if (total / maxHeight < kMaxPopupColumns) {
    // Filling greedily may need one column more than the division says; the width follows the columns used.
    int column = 0;
    int y = margins_.top;
    int tallest = 0;
    for (int i = 0; i < Count(); ++i) {
      TLayoutRecord& record = records_[static_cast<size_t>(i)];
      if (!Laid(i) || !record.Show) continue;
      if (y > margins_.top && y + record.Size.cy > maxHeight) {
        ++column;
        y = margins_.top;
      }
      record.Bounds =
          RECT{margins_.left + column * widest, y, margins_.left + (column + 1) * widest, y + record.Size.cy};
      y += record.Size.cy;
      tallest = std::max(tallest, y);
    }
    totalCross_ = margins_.left + (column + 1) * widest;
    totalAlong_ = tallest;
    return;
  }
  // Three columns of the last N viewers; the pop-up scrolls for the rest.
  std::vector<int> shown;
  for (int i = 0; i < Count(); ++i)
    if (Laid(i) && records_[static_cast<size_t>(i)].Show) shown.push_back(i);
  int n = static_cast<int>(shown.size());
  TBarView* parent = view_.parentView_;
  if (parent && parent->isToolbar_) {
    int offEdge = 0;
    for (int i = parent->ViewerCount() - 1; i >= 0 && parent->Viewers(i)->OffEdge(); --i) ++offEdge;
    bool same = offEdge > 0 && offEdge <= Count();
    for (int k = 0; same && k < offEdge; ++k)
      same = parent->Viewers(parent->ViewerCount() - 1 - k)->Item() == Viewer(Count() - 1 - k)->Item();
    if (same) n = std::min(n, offEdge);
  }
  const int perColumn = (n + kMaxPopupColumns - 1) / kMaxPopupColumns;
  const int first = static_cast<int>(shown.size()) - n;
  int y = margins_.top;
  for (int k = 0; k < n; ++k) {
    TLayoutRecord& record = records_[static_cast<size_t>(shown[static_cast<size_t>(first + k)])];
    if (k % perColumn == 0) y = margins_.top;
    const int column = k / perColumn;
    record.Bounds = RECT{margins_.left + column * widest, y, margins_.left + (column + 1) * widest, y + record.Size.cy};
    y += record.Size.cy;
  }
  totalCross_ = margins_.left + kMaxPopupColumns * widest;
  // Not cut to the room: what passes it scrolls.
  totalAlong_ = 0;
  for (int i : shown) totalAlong_ = std::max<int>(totalAlong_, records_[static_cast<size_t>(i)].Bounds.bottom);
}

void TBarView::TLayout::Scroll() {
  const int maxHeight = view_.maxHeight_;
  const int totalHeight = stacked_ ? totalAlong_ : totalCross_;
  if (maxHeight < 1 || totalHeight <= maxHeight) {
    view_.scrollOffset_ = 0;
    view_.showUpArrow_ = view_.showDownArrow_ = false;
    return;
  }
  int offset = std::max(0, std::min(view_.scrollOffset_, totalHeight - maxHeight));
  view_.scrollOffset_ = offset;
  view_.showUpArrow_ = offset > 0;
  view_.showDownArrow_ = offset < totalHeight - maxHeight;
  const int top = view_.showUpArrow_ ? kScrollArrowHeight : 0;
  const int bottom = maxHeight - (view_.showDownArrow_ ? kScrollArrowHeight : 0);
  for (int i = 0; i < Count(); ++i) {
    TLayoutRecord& record = records_[static_cast<size_t>(i)];
    if (!Laid(i) || !record.Show) continue;
    OffsetRect(&record.Bounds, 0, -offset);
    if (record.Bounds.top < top || record.Bounds.bottom > bottom) {
      record.Show = false;
      record.Clipped = true;
    }
  }
  (stacked_ ? totalAlong_ : totalCross_) = maxHeight;
}

TRaised TBarView::TLayout::Run(bool canMoveControls, SIZE& baseSize, SIZE& totalSize, bool& changed) {
  changed = false;
  TCanvas canvas;
  HDC dc = CreateCompatibleDC(nullptr);
  canvas.SetHandle(dc);
  ChooseShown();
  const TRaised measured = Measure(canvas, canMoveControls);
  canvas.SetHandle(nullptr);
  DeleteDC(dc);
  if (measured.Gone() || !complete_) return measured;
  GiveWayToChevron();
  sumLength_ -= HideExtraSeparators(true);
  for (int i = 0; i < Count(); ++i)
    if (Laid(i) && records_[static_cast<size_t>(i)].Show)
      baseCross_ = std::max(baseCross_, Cross(records_[static_cast<size_t>(i)].Size));
  baseSize = stacked_ ? SIZE{baseCross_, sumLength_} : SIZE{sumLength_, baseCross_};

  view_.GetMargins(view_.orientation_, margins_);
  PlaceLines();
  totalAlong_ += stacked_ ? margins_.bottom : margins_.right;
  totalCross_ += stacked_ ? margins_.right : margins_.bottom;
  if (vertical_) {
    for (int i = 0; i < Count(); ++i) {
      TLayoutRecord& record = records_[static_cast<size_t>(i)];
      if (!Laid(i) || !record.Show) continue;
      const int width = record.Bounds.right - record.Bounds.left;
      record.Bounds.left = totalCross_ - record.Bounds.right;
      record.Bounds.right = record.Bounds.left + width;
    }
  }
  Scroll();

  if (canMoveControls) {
    const TRaised moved = MoveControls();
    if (moved.Gone() || !complete_) return moved;
  }
  if (view_.isToolbar_) {
    for (TLayoutRecord& record : records_)
      if (record.Show && record.LineSep) {
        if (stacked_) {
          record.Bounds.top = 0;
          record.Bounds.bottom = totalAlong_;
        } else {
          record.Bounds.left = 0;
          record.Bounds.right = totalAlong_;
        }
      }
  }
  if (chevron_ >= 0) {
    TLayoutRecord& record = records_[static_cast<size_t>(chevron_)];
    record.Show = chevronNeeded_;
    if (chevronNeeded_) {
      if (canMoveControls) Viewer(chevron_)->Item()->SetEnabled(itemGaveWay_);
      const int start = std::max(chevronOffset_ - chevronSize_, totalAlong_);
      record.Bounds = stacked_ ? RECT{0, start, totalCross_, start + chevronSize_}
                               : RECT{start, 0, start + chevronSize_, totalCross_};
      totalAlong_ = start + chevronSize_;
    }
  }
  totalSize = stacked_ ? SIZE{totalCross_, totalAlong_} : SIZE{totalAlong_, totalCross_};

  if (!canMoveControls) {
    for (int i = 0; i < Count() && !changed; ++i) {
      const TLayoutRecord& record = records_[static_cast<size_t>(i)];
      const TBarItemViewer* viewer = Viewer(i);
      const RECT bounds = record.Show || record.LineSep || record.Clipped ? record.Bounds : RECT{};
      changed = !EqualRect(&viewer->boundsRect_, &bounds) || viewer->show_ != record.Show ||
                viewer->IsLineSep() != record.LineSep;
    }
    return TRaised(true);
  }
  for (int i = 0; i < Count(); ++i) {
    TLayoutRecord& record = records_[static_cast<size_t>(i)];
    TBarItemViewer* viewer = Viewer(i);
    if (!record.Show && !record.LineSep && !record.Clipped) record.Bounds = RECT{};
    const bool lineSep = record.LineSep;
    if (!EqualRect(&viewer->boundsRect_, &record.Bounds) || viewer->show_ != record.Show ||
        viewer->IsLineSep() != lineSep)
      changed = true;
    viewer->boundsRect_ = record.Bounds;
    viewer->show_ = record.Show;
    viewer->offEdge_ = record.OffEdge;
    viewer->clipped_ = record.Clipped;
    viewer->flags_ = static_cast<uint8_t>(lineSep ? (viewer->flags_ | vfLineSep) : (viewer->flags_ & ~vfLineSep));
  }
  return TRaised(true);
}

TRaised TBarView::TLayout::MoveControls() {
  const TLifeWatch life = view_.LifeWatch();
  for (int i = 0; i < Count(); ++i) {
    TBarItemViewer* viewer = Viewer(i);
    auto* controlItem = ObjectAs<TBarControlItem>(viewer->Item());
    if (!controlItem || !controlItem->Control()) continue;
    const TLayoutRecord& record = records_[static_cast<size_t>(i)];
    TControl* control = controlItem->Control();
    TRaised moved(true);
    if (record.OffEdge || record.Clipped) {
      // Out of sight but still visible, so that the next layout brings it back when there is room again.
      if (control->Parent() == view_.window_ && control->Left() != kOutOfSight)
        moved = control->SetBounds(kOutOfSight, kOutOfSight, control->Width(), control->Height());
    } else if (record.Show) {
      const RECT current = control->BoundsRect();
      if (!EqualRect(&current, &record.Bounds)) moved = control->SetBoundsRect(record.Bounds);
    }
    if (!Outlived(life, i, viewer, moved)) return TRaised(!life.Ended());
  }
  return TRaised(true);
}

TRaised TBarView::CalculatePositions(bool canMoveControls, TBarViewOrientation orientation, int wrapOffset,
                                     int chevronOffset, int chevronSize, SIZE& baseSize, SIZE& totalSize,
                                     TBarLayoutProbe* probe, bool* changed) {
  const TBarViewOrientation saved = orientation_;
  // A measuring run leaves the scroll state of the view as the last real layout set it.
  const int savedScrollOffset = scrollOffset_;
  const bool savedUpArrow = showUpArrow_;
  const bool savedDownArrow = showDownArrow_;
  auto restore = [&] {
    orientation_ = saved;
    if (canMoveControls) return;
    scrollOffset_ = savedScrollOffset;
    showUpArrow_ = savedUpArrow;
    showDownArrow_ = savedDownArrow;
  };
  orientation_ = orientation;
  const TLifeWatch life = LifeWatch();
  bool moved = false;
  bool complete = false;
  try {
    TLayout layout(*this, orientation, wrapOffset, chevronOffset, chevronSize, probe);
    if (layout.Run(canMoveControls, baseSize, totalSize, moved).Gone()) return TRaised(false);
    complete = layout.Complete();
    if (complete && canMoveControls) lineCount_ = layout.Lines();
    if (complete && probe) {
      probe->Lines = layout.Lines();
      probe->TightWrapOffset = layout.TightWrapOffset();
    }
  } catch (...) {
    if (!life.Ended()) restore();
    throw;
  }
  restore();
  if (changed) *changed = moved;
  // A layout a handler cut short is no layout: the positions stay invalid for the next one.
  if (!complete && canMoveControls) validPositions_ = false;
  return TRaised(true);
}

void TBarView::GetMargins(TBarViewOrientation orientation, RECT& margins) {
  margins = orientation == TBarViewOrientation::tbvoFloating ? RECT{4, 2, 4, 1} : RECT{};
}

TRaised TBarView::ValidatePositions() {
  if (validPositions_) return TRaised(true);
  return UpdatePositions();
}

bool TBarView::MayValidatePositions() const {
  return updateCount_ == 0 &&
         !(parentItem_ && (parentItem_->IsLoading() || (parentItem_->Owner() && parentItem_->Owner()->IsLoading())));
}

TRaised TBarView::TryValidatePositions() {
  if (!MayValidatePositions() || validPositions_) return TRaised(true);
  // On screen the layout waits for the end of the current run of changes, so that filling a shown view item by
  // item costs one layout, not one per item.
  if (window_ && window_->HandleAllocated() && IsWindowVisible(window_->Handle())) {
    DeferLayout(this);
    return TRaised(true);
  }
  return ValidatePositions();
}

TRaised TBarView::ValidateDeferredPositions() {
  if (!MayValidatePositions()) return TRaised(true);
  return ValidatePositions();
}

void TBarView::InvalidatePositions() {
  if (!validPositions_) return;
  validPositions_ = false;
  if (window_ && window_->HandleAllocated()) InvalidateRect(window_->Handle(), nullptr, TRUE);
}

TRaised TBarView::UpdatePositions(SIZE* size) {
  SIZE laidOut{};
  const TRaised raised = DoUpdatePositions(laidOut);
  if (size) *size = laidOut;
  return raised;
}

TRaised TBarView::DoUpdatePositions(SIZE& size) {
  bool changed = false;
  validPositions_ = true;
  if (CalculatePositions(true, orientation_, wrapOffset_, chevronOffset_, chevronSize_, baseSize_, size, nullptr,
                         &changed)
          .Gone())
    return TRaised(false);
  // Cut short by a handler: a later layout, asked for by the change that cut it short, finishes the work.
  if (!validPositions_) return TRaised(true);
  if (!changed) return SizeChanged(size.cx, size.cy);
  if (IsDesigning()) {
    InvalidatePositions();
    validPositions_ = true;
    return SizeChanged(size.cx, size.cy);
  }
  if (window_ && window_->HandleAllocated()) ValidateRect(window_->Handle(), nullptr);
  if (SizeChanged(size.cx, size.cy).Gone()) return TRaised(false);
  return PaintOffscreen();
}

void TBarView::BeginUpdate() { ++updateCount_; }

TRaised TBarView::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) return TryValidatePositions();
  return TRaised(true);
}

void TBarView::SetOrientation(TBarViewOrientation value) {
  if (orientation_ == value) return;
  orientation_ = value;
  InvalidatePositions();
}

void TBarView::SetWrapOffset(int value) {
  if (wrapOffset_ == value) return;
  wrapOffset_ = value;
  InvalidatePositions();
}

void TBarView::SetChevronOffset(int value) {
  if (chevronOffset_ == value) return;
  chevronOffset_ = value;
  InvalidatePositions();
}

void TBarView::SetChevronSize(int value) {
  if (chevronSize_ == value) return;
  chevronSize_ = value;
  InvalidatePositions();
}

void TBarView::SetMaxHeight(int value) {
  if (maxHeight_ == value) return;
  maxHeight_ = value;
  InvalidatePositions();
}

TRaised TBarView::SetChevronMoveItems(uint8_t value) {
  if (chevronMoveItems_ == value) return TRaised(true);
  chevronMoveItems_ = value;
  InvalidatePositions();
  return TryValidatePositions();
}

}  // namespace toolbars

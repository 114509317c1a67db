// Where the nodes of TBaseTree lie in its window: row rectangles, invalidation, scroll offsets and scroll bars.
#include <commctrl.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "framework/image_list.h"
#include "tree/base_tree.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

bool ShowsBar(TScrollStyle bars, TScrollStyle kind) { return bars == kind || bars == TScrollStyle::ssBoth; }

// Scroll bars count in int: a longer range is shown in units of this many pixels.
TTreePosition ScrollUnit(TTreePosition range) { return range / std::numeric_limits<int>::max() + 1; }

// Client coordinates of a row far outside the view do not fit a rectangle: they stop this far out, where every
// caller only learns that the row is not in view.
constexpr TTreePosition FarOutside = 0x40000000;
LONG ClientCoordinate(std::int64_t value) {
  return static_cast<LONG>(std::clamp<std::int64_t>(value, -FarOutside, FarOutside));
}
LONG Saturated(std::int64_t value) {
  return static_cast<LONG>(
      std::clamp<std::int64_t>(value, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

}  // namespace

int TBaseTree::HorizontalRange() {
  return header_->UseColumns() ? header_->Columns()->TotalWidth() : GetMaxRightExtend();
}

TTreePosition TBaseTree::VerticalRange() const {
  RefreshTotalHeights();
  return static_cast<TTreePosition>(TotalHeightOf(root_)) - root_->NodeHeight;
}

TTreePosition TBaseTree::VerticalScrollUnit() const { return ScrollUnit(VerticalRange()); }

RECT TBaseTree::GetDisplayRect(PTreeNode node, TColumnIndex column, bool textOnly, bool unclipped) {
  RECT r{};
  if (!node || node == root_) return r;
  if ((!node->Has(nsInitialized) && !InitNode(node)) || !FullyVisible(node)) return r;
  const TTreePosition top = GetNodeTop(node);
  if (top < 0) return r;
  TTreeColumns* columns = header_->Columns();
  bool useColumns = header_->UseColumns();
  r.left = 0;
  r.right = std::max<int>(ClientWidth(), useColumns ? columns->TotalWidth() : 0);
  r.top = ClientCoordinate(top + offsetY_);
  r.bottom = r.top + node->NodeHeight;
  if (column != NoColumn && useColumns && columns->IsValidColumn(column)) {
    int left = 0, right = 0;
    columns->GetColumnBounds(column, left, right);
    r.left = left;
    r.right = right - 1;
  } else {
    column = NoColumn;
  }
  OffsetRect(&r, offsetX_, 0);
  if (!textOnly) return r;
  bool mainColumn = column == NoColumn || column == header_->MainColumn();
  // A deep node's indentation passes what an int holds, and the cell's far edge: its text starts there at most,
  // with nothing of it inside the cell.
  std::int64_t start = margin_;
  if (mainColumn) {
    std::int64_t levels = static_cast<std::int64_t>(GetNodeLevel(node)) +
                          (options_->PaintOptions().Contains(TTreePaintOption::toShowRoot) ? 1 : 0);
    start += levels * indent_;
    if (options_->MiscOptions().Contains(TTreeMiscOption::toCheckSupport) && node->CheckType != TCheckType::ctNone &&
        CheckImageWidth() > 0)
      start += CheckImageWidth() + 2;
  }
  bool rightToLeft = useColumns && column != NoColumn ? columns->Items(column)->UseRightToLeftReading()
                                                      : BiDiMode() != TBiDiMode::bdLeftToRight;
  // A handler measuring the text may free the node, or add or remove columns: the rectangle so far is all there
  // is then.
  int contentWidth = 0;
  const std::uint64_t columnChanges = columns->LayoutChanges();
  if (GetNodeWidth(node, column, contentWidth).Gone() || columns->LayoutChanges() != columnChanges) return r;
  if (unclipped) {
    if (rightToLeft) {
      r.right = ClientCoordinate(r.right - start);
      r.left = Saturated(static_cast<std::int64_t>(r.right) - contentWidth);
    } else {
      r.left = ClientCoordinate(r.left + start);
      r.right = Saturated(static_cast<std::int64_t>(r.left) + contentWidth);
    }
    return r;
  }
  if (rightToLeft)
    r.right = static_cast<LONG>(std::max<std::int64_t>(r.right - start, r.left));
  else
    r.left = static_cast<LONG>(std::min<std::int64_t>(r.left + start, r.right));
  if (contentWidth < r.right - r.left) {
    TAlignment alignment = useColumns && column != NoColumn ? columns->Items(column)->Alignment() : alignment_;
    switch (alignment) {
      case TAlignment::taLeftJustify:
        r.right = r.left + contentWidth;
        break;
      case TAlignment::taRightJustify:
        r.left = r.right - contentWidth;
        break;
      case TAlignment::taCenter:
        r.left += (r.right - r.left - contentWidth) / 2;
        r.right = r.left + contentWidth;
        break;
    }
  }
  return r;
}

RECT TBaseTree::InvalidateNode(PTreeNode node) {
  RECT r{};
  if (!node || node == root_ || updateCount_ > 0 || !HandleAllocated()) return r;
  // A row found only by a walk along the rows before it (a million, while the cache is built again) is not looked
  // for: the view is drawn again instead, once for every change until it paints.
  if (FullyVisible(node) && !RowFoundQuickly(node)) {
    Invalidate();
    return r;
  }
  r = GetDisplayRect(node, NoColumn, false);
  if (r.bottom > r.top) InvalidateRect(Handle(), &r, FALSE);
  return r;
}

void TBaseTree::InvalidateToBottom(PTreeNode node) {
  if (updateCount_ > 0 || !HandleAllocated()) return;
  if (!node || node == root_) {
    Invalidate();
    return;
  }
  if (!FullyVisible(node)) return;
  if (!RowFoundQuickly(node)) {
    Invalidate();
    return;
  }
  RECT r = GetDisplayRect(node, NoColumn, false);
  if (r.top < ClientHeight()) {
    r.bottom = ClientHeight();
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TBaseTree::InvalidateColumn(TColumnIndex column) {
  if (updateCount_ > 0 || !HandleAllocated() || !header_->Columns()->IsValidColumn(column)) return;
  int left = 0, right = 0;
  header_->Columns()->GetColumnBounds(column, left, right);
  RECT r{left + offsetX_, 0, right + offsetX_, ClientHeight()};
  InvalidateRect(Handle(), &r, FALSE);
}

void TBaseTree::RepaintNode(PTreeNode node) {
  if (!node || node == root_ || !HandleAllocated()) return;
  RECT r = GetDisplayRect(node, NoColumn, false);
  RedrawWindow(Handle(), &r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE | RDW_VALIDATE | RDW_NOCHILDREN);
}

bool TBaseTree::ScrollBarDiffers(int bar, bool show, const SCROLLINFO& wanted) {
  int style = 0;
  if (!FlatSB_GetScrollProp(Handle(), WSB_PROP_WINSTYLE, &style))
    style = static_cast<int>(GetWindowLongPtrW(Handle(), GWL_STYLE));
  if (((style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0) != show) return true;
  SCROLLINFO current{};
  current.cbSize = sizeof current;
  current.fMask = SIF_ALL;
  if (!FlatSB_GetScrollInfo(Handle(), bar, &current)) return true;
  // The bar keeps its page within its range and its position within what the page leaves.
  const std::int64_t span = static_cast<std::int64_t>(wanted.nMax) - wanted.nMin + 1;
  const std::int64_t page = std::clamp<std::int64_t>(wanted.nPage, 0, std::max<std::int64_t>(span, 0));
  const std::int64_t last = std::max<std::int64_t>(wanted.nMin, wanted.nMax - std::max<std::int64_t>(page, 1) + 1);
  const std::int64_t position = std::clamp<std::int64_t>(wanted.nPos, wanted.nMin, last);
  return current.nMin != wanted.nMin || current.nMax != wanted.nMax || current.nPage != page ||
         current.nPos != position;
}

TTreePosition TBaseTree::UpdateScrollBar(int bar, TTreePosition range, int page, TTreePosition offset, bool shown,
                                         bool doRepaint) {
  bool always = scrollBarOptions_->AlwaysVisible();
  bool show = shown && (page < range || always);
  const TTreePosition unit = ScrollUnit(range);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (show) {
    info.nMax = static_cast<int>(range / unit);
    info.nPage = static_cast<UINT>(std::max(0, page) / unit);
    info.nPos = static_cast<int>(-offset / unit);
    if (always) info.fMask |= SIF_DISABLENOSCROLL;
  }
  // Setting a bar costs the system a repaint of the frame, a long one under some platforms: every change of a shown
  // tree outside a bracket comes here, and most leave the bars as they are.
  if (always || ScrollBarDiffers(bar, show, info)) {
    FlatSB_ShowScrollBar(Handle(), bar, show);
    FlatSB_SetScrollInfo(Handle(), bar, &info, doRepaint);
  }
  // A bar that counts in units of more than a pixel cannot give the offset back exact: it keeps, within the range.
  if (!show || unit > 1) return std::clamp<TTreePosition>(offset, std::min<TTreePosition>(0, page - range), 0);
  return -FlatSB_GetScrollPos(Handle(), bar);
}

void TBaseTree::UpdateScrollBars(bool doRepaint) {
  if (TotalHeightOf(root_) < defaultNodeHeight_) SetTotalHeight(root_, defaultNodeHeight_);
  if (!HandleAllocated() || updateCount_ > 0 || IsDestroying()) return;
  scrollBarsPending_ = false;
  TScrollStyle bars = scrollBarOptions_->ScrollBars();
  offsetY_ = UpdateScrollBar(SB_VERT, VerticalRange(), ClientHeight(), offsetY_,
                             ShowsBar(bars, TScrollStyle::ssVertical), doRepaint);
  offsetX_ = static_cast<int>(UpdateScrollBar(SB_HORZ, HorizontalRange(), ClientWidth(), offsetX_,
                                              ShowsBar(bars, TScrollStyle::ssHorizontal), doRepaint));
}

void TBaseTree::UpdateScrollBarsLater() {
  if (TotalHeightOf(root_) < defaultNodeHeight_) SetTotalHeight(root_, defaultNodeHeight_);
  if (!HandleAllocated() || updateCount_ > 0 || IsDestroying()) return;
  offsetY_ = std::clamp<TTreePosition>(offsetY_, std::min<TTreePosition>(0, ClientHeight() - VerticalRange()), 0);
  if (scrollBarsPending_) return;
  scrollBarsPending_ = true;
  PostMessageW(Handle(), WM_SETSCROLLBARS, 0, 0);
}

void TBaseTree::ColumnResizeLater(TColumnIndex column) {
  PostMessageW(Handle(), WM_COLUMNRESIZED, static_cast<WPARAM>(column), 0);
}

TRaised TBaseTree::DoSetOffsetXY(int x, TTreePosition y, unsigned options, const RECT* clipRect, bool* moved) {
  x = std::clamp<int>(x, std::min(0, ClientWidth() - HorizontalRange()), 0);
  y = std::clamp<TTreePosition>(y, std::min<TTreePosition>(0, ClientHeight() - VerticalRange()), 0);
  if (moved) *moved = x != offsetX_ || y != offsetY_;
  if (x == offsetX_ && y == offsetY_) return TRaised(true);
  const int deltaX = x - offsetX_;
  const TTreePosition deltaY = y - offsetY_;
  offsetX_ = x;
  offsetY_ = y;
  if (updateCount_ == 0 && HandleAllocated()) {
    // A move by the client's height or more leaves nothing to keep, however far it goes.
    const TTreePosition whole = ClientHeight() + 1;
    if (options & suoScrollClientArea)
      ScrollWindow(Handle(), deltaX, static_cast<int>(std::clamp(deltaY, -whole, whole)), clipRect, clipRect);
    if (options & suoUpdateNCArea) UpdateScrollBars(true);
  }
  return DoScroll(deltaX, static_cast<int>(std::clamp<TTreePosition>(deltaY, std::numeric_limits<int>::min(),
                                                                     std::numeric_limits<int>::max())));
}

TRaised TBaseTree::SetOffsetY(TTreePosition value) {
  return DoSetOffsetXY(offsetX_, value,
                       suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea);
}

bool TBaseTree::ExpandCollapsedAncestors(PTreeNode node) {
  std::vector<PTreeNode> closed;
  for (PTreeNode parent = node->Parent; parent != root_; parent = parent->Parent)
    if (!parent->Has(nsExpanded)) closed.push_back(parent);
  if (closed.empty()) return true;
  // Innermost first, each one's ancestors still closed: a toggle then adjusts no height above its parent. An
  // ancestor a handler frees takes the node with it, so while the node lives the rest of the list does; a handler
  // that frees the tree leaves no bracket to close.
  const TNodeWatch watch(*this, node);
  const TRaised opened = BulkWork(TTreeStates{}, [&] {
    for (PTreeNode parent : closed) {
      if (watch.Ended()) break;
      if (!parent->Has(nsExpanded) && ToggleNode(parent).TreeGone()) return false;
    }
    return true;
  });
  return opened.Alive() && !watch.Ended();
}

bool TBaseTree::ScrollIntoView(PTreeNode node, bool center, bool horizontally) {
  if (!node || node == root_ || !ExpandCollapsedAncestors(node)) return false;
  // Measuring the row and scrolling raise handlers (the text, the rows that come into view) that may delete the
  // node: the scroll ends there.
  const TNodeWatch watch(*this, node);
  RECT r = GetDisplayRect(node, NoColumn, true);
  if (watch.Ended() || r.bottom <= r.top) return false;
  const int height = ClientHeight();
  const int oldX = offsetX_;
  const TTreePosition oldY = offsetY_;
  bool hadHorizontalBar = HandleAllocated() && (GetWindowLongW(Handle(), GWL_STYLE) & WS_HSCROLL) != 0;
  // The row's client position unclamped: it may lie further away than a rectangle reaches.
  const TTreePosition top = GetNodeTop(node) + offsetY_, bottom = top + node->NodeHeight;
  // OnScroll may free the tree: the scroll is done then, as far as the caller's watch tells.
  if (top < 0) {
    if (SetOffsetY(offsetY_ - top + (center ? height / 2 : 0)).Gone()) return true;
  } else if (bottom > height &&
             SetOffsetY(offsetY_ - (bottom - height) - (center ? height / 2 - node->NodeHeight / 2 : 0)).Gone()) {
    return true;
  }
  if (watch.Ended()) return true;
  if (!header_->UseColumns() && HandleAllocated() && !hadHorizontalBar &&
      (GetWindowLongW(Handle(), GWL_STYLE) & WS_HSCROLL) != 0 && oldY != offsetY_ &&
      SetOffsetY(offsetY_ - GetSystemMetrics(SM_CYHSCROLL)).Gone())
    return true;
  if (horizontally && !watch.Ended()) {
    // The text where it really lies: the clipped rectangle ends at the client's edge however far right it starts.
    // A text wider than the client shows its start.
    const RECT text = GetDisplayRect(node, NoColumn, true, true);
    if (watch.Ended()) return true;
    const int width = ClientWidth();
    if (text.right > width) {
      if (SetOffsetX(offsetX_ - std::min<int>(text.right - width, text.left)).Gone()) return true;
    } else if (text.left < 0 && SetOffsetX(offsetX_ - text.left).Gone()) {
      return true;
    }
  }
  return oldX != offsetX_ || oldY != offsetY_;
}

PTreeNode TBaseTree::GetTopNode() {
  int top = 0;
  return GetNodeAt(0, 0, true, top);
}

TRaised TBaseTree::SetTopNode(PTreeNode node) {
  // Opening the ancestors may free the tree.
  const TNodeWatch tree(*this, nullptr);
  if (!node || node == root_ || !ExpandCollapsedAncestors(node)) return TRaised(!tree.TreeGone());
  const TTreePosition top = GetNodeTop(node);
  if (top >= 0) return SetOffsetY(-top);
  return TRaised(true);
}

int TBaseTree::GetMaxColumnWidth(TColumnIndex column) {
  bool mainColumn = column == NoColumn || column == header_->MainColumn();
  bool showRoot = options_->PaintOptions().Contains(TTreePaintOption::toShowRoot);
  bool checks = options_->MiscOptions().Contains(TTreeMiscOption::toCheckSupport);
  int widest = 0;
  // The handlers asked may free the row measured, or the tree: the rows measured so far give the width then.
  for (PTreeNode node = GetFirstVisible(); node; node = GetNextVisible(node)) {
    int contentWidth = 0;
    if (GetNodeWidth(node, column, contentWidth).Gone()) return widest;
    int width = 2 * margin_ + contentWidth;
    if (mainColumn) width += static_cast<int>(GetNodeLevel(node) + (showRoot ? 1 : 0)) * indent_;
    if (mainColumn && checks && CheckImageWidth() > 0 && node->CheckType != TCheckType::ctNone)
      width += CheckImageWidth() + 2;
    bool ghosted = false;
    // The list is read again after the handler, which may have taken it from the tree.
    for (auto [list, kind] : {std::pair{&TBaseTree::images_, TTreeImageKind::ikNormal},
                              std::pair{&TBaseTree::stateImages_, TTreeImageKind::ikState}}) {
      int index = -1;
      if (this->*list && DoGetImageIndex(node, kind, column, ghosted, index).Gone()) return widest;
      if (this->*list && index >= 0) width += (this->*list)->Width() + 2;
    }
    widest = std::max(widest, width);
  }
  return widest;
}

}  // namespace tree

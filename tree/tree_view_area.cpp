// Where the nodes of TBaseTree lie in its window: row rectangles, invalidation, scroll offsets and scroll bars.
#include <algorithm>

#include "tree/base_tree.h"
#include "tree/scroll_bar_options.h"

namespace tree {

RECT TBaseTree::GetDisplayRect(PTreeNode node, TColumnIndex column, bool textOnly, bool unclipped) {
  (void)column, (void)textOnly, (void)unclipped;
  RECT r{};
  if (!node || node == root_) return r;
  if (!node->Has(nsInitialized)) InitNode(node);
  int top = GetNodeTop(node);
  if (top < 0) return r;
  r.left = offsetX_;
  r.right = std::max<int>(ClientWidth(), 0) + offsetX_;
  r.top = top + offsetY_;
  r.bottom = r.top + node->NodeHeight;
  return r;
}

RECT TBaseTree::InvalidateNode(PTreeNode node) {
  RECT r{};
  if (!node || node == root_ || updateCount_ > 0 || !HandleAllocated()) return r;
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
  RECT r = GetDisplayRect(node, NoColumn, false);
  if (r.top < ClientHeight()) {
    r.bottom = ClientHeight();
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TBaseTree::RepaintNode(PTreeNode node) {
  if (!node || node == root_ || !HandleAllocated()) return;
  RECT r = GetDisplayRect(node, NoColumn, false);
  RedrawWindow(Handle(), &r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE | RDW_VALIDATE | RDW_NOCHILDREN);
}

void TBaseTree::UpdateScrollBars(bool doRepaint) {
  if (root_->TotalHeight < defaultNodeHeight_) root_->TotalHeight = defaultNodeHeight_;
  if (!HandleAllocated() || updateCount_ > 0) return;
  int range = static_cast<int>(root_->TotalHeight - root_->NodeHeight);
  TScrollStyle bars = scrollBarOptions_->ScrollBars();
  bool vertical = bars == TScrollStyle::ssVertical || bars == TScrollStyle::ssBoth;
  if (vertical) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    bool show = ClientHeight() < range || scrollBarOptions_->AlwaysVisible();
    if (show) {
      info.nMin = 0;
      info.nMax = range;
      info.nPage = static_cast<UINT>(std::max(0, ClientHeight()));
      info.nPos = -offsetY_;
      if (scrollBarOptions_->AlwaysVisible()) info.fMask |= SIF_DISABLENOSCROLL;
    }
    ShowScrollBar(Handle(), SB_VERT, show);
    SetScrollInfo(Handle(), SB_VERT, &info, doRepaint);
    offsetY_ = show ? -GetScrollPos(Handle(), SB_VERT) : 0;
  } else {
    ShowScrollBar(Handle(), SB_VERT, FALSE);
    offsetY_ = std::clamp(offsetY_, std::min(0, ClientHeight() - range), 0);
  }
}

bool TBaseTree::DoSetOffsetXY(POINT value, unsigned options, const RECT* clipRect) {
  int rangeY = static_cast<int>(root_->TotalHeight - root_->NodeHeight);
  int x = std::min<int>(value.x, 0);
  int y = std::clamp<int>(value.y, std::min(0, ClientHeight() - rangeY), 0);
  if (x == offsetX_ && y == offsetY_) return false;
  int deltaX = x - offsetX_, deltaY = y - offsetY_;
  offsetX_ = x;
  offsetY_ = y;
  if (updateCount_ == 0 && HandleAllocated()) {
    if (options & suoScrollClientArea) ScrollWindow(Handle(), deltaX, deltaY, clipRect, clipRect);
    if (options & suoUpdateNCArea) UpdateScrollBars(true);
  }
  DoScroll(deltaX, deltaY);
  return true;
}

void TBaseTree::SetOffsetY(int value) {
  DoSetOffsetXY(POINT{offsetX_, value},
                suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea);
}

bool TBaseTree::ScrollIntoView(PTreeNode node, bool center, bool horizontally) {
  (void)horizontally;
  if (!node || node == root_) return false;
  for (PTreeNode parent = node->Parent; parent != root_; parent = parent->Parent)
    if (!parent->Has(nsExpanded)) ToggleNode(parent);
  RECT r = GetDisplayRect(node, NoColumn, false);
  if (r.bottom <= r.top) return false;
  int height = ClientHeight();
  int old = offsetY_;
  if (r.top < 0)
    SetOffsetY(offsetY_ - r.top + (center ? height / 2 : 0));
  else if (r.bottom > height)
    SetOffsetY(offsetY_ - (r.bottom - height) - (center ? height / 2 : 0));
  return old != offsetY_;
}

PTreeNode TBaseTree::TopNode() {
  int top = 0;
  return GetNodeAt(0, 0, true, top);
}

void TBaseTree::SetTopNode(PTreeNode node) {
  if (!node || node == root_) return;
  for (PTreeNode parent = node->Parent; parent != root_; parent = parent->Parent)
    if (!parent->Has(nsExpanded)) ToggleNode(parent);
  int top = GetNodeTop(node);
  if (top >= 0) SetOffsetY(-top);
}

}  // namespace tree

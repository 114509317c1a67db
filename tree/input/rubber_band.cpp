// The rubber band: a rectangle dragged from a press on empty space selects the nodes it crosses (or, with Ctrl,
// toggles them) while it grows and shrinks.
#include <algorithm>
#include <climits>

#include "tree/base_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

RECT Normalized(const RECT& r) {
  return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
              std::max(r.top, r.bottom)};
}

bool Crosses(const RECT& band, const RECT& part) {
  return band.left < part.right && band.right > part.left && band.top < part.bottom && band.bottom > part.top;
}

}  // namespace

bool TBaseTree::CalculateSelectionRect(int x, int y) {
  if (states_.Contains(TTreeState::stDrawSelecting)) lastSelectionRect_ = newSelectionRect_;
  const int cornerX = std::clamp(x - offsetX_, 0, std::max(HorizontalRange(), ClientWidth()));
  // The band keeps 32-bit tree coordinates, as the rectangles it is drawn and tested with.
  const TTreePosition bottom =
      std::min<TTreePosition>(std::max<TTreePosition>(VerticalRange(), ClientHeight()), INT_MAX);
  const int cornerY = static_cast<int>(std::clamp<TTreePosition>(y - offsetY_, 0, bottom));
  const bool changed = cornerX != newSelectionRect_.right || cornerY != newSelectionRect_.bottom;
  newSelectionRect_.right = cornerX;
  newSelectionRect_.bottom = cornerY;
  selectionRect_ = Normalized(newSelectionRect_);
  return changed;
}

RECT TBaseTree::SelectionTestRect(PTreeNode node, int top, int limit, bool rightToLeft) {
  RECT r{0, top, limit, top + node->NodeHeight};
  if (options_->SelectionOptions().Contains(TTreeSelectionOption::toFullRowSelect)) return r;
  const TColumnIndex main = header_->MainColumn();
  const TRowLayout row = LayoutRow(node, main);
  int cellLeft = 0;
  if (main >= 0) cellLeft = header_->Columns()->Items(main)->Left();
  const int width = limit - cellLeft;
  // The content runs from the check box to the label's end, measured from the cell's reading edge.
  const int from = std::min(row.IndentEnd, width), to = std::min(row.ImageEnd + row.LabelWidth, width);
  if (rightToLeft) {
    r.left = limit - to;
    r.right = limit - from;
  } else {
    r.left = cellLeft + from;
    r.right = cellLeft + to;
  }
  return r;
}

TRaised TBaseTree::HandleDrawSelection(bool& changed) {
  changed = false;
  if (root_->ChildCount == 0 || !states_.Contains(TTreeState::stDrawSelecting)) return TRaised(true);
  const RECT oldBand = Normalized(lastSelectionRect_), newBand = Normalized(newSelectionRect_);
  const TColumnIndex main = header_->MainColumn();
  TTreeColumns* columns = header_->Columns();
  const bool rightToLeft =
      main >= 0 ? columns->Items(main)->UseRightToLeftReading() : BiDiMode() != TBiDiMode::bdLeftToRight;
  int limit = ClientWidth();
  if (main >= 0) limit = columns->Items(main)->Left() + columns->Items(main)->Width();
  const bool toggle = drawSelectionShift_.Contains(TShiftStateItem::ssCtrl);

  ClearTempCache();
  // Reaching and measuring rows raises handlers: one that frees rows ends the walk with the rows met so far, one
  // that frees the tree ends the work.
  const TLifeWatch life = LifeWatch();
  const std::uint64_t freedBefore = freedNodes_;
  const int top = std::min(oldBand.top, newBand.top), bottom = std::max(oldBand.bottom, newBand.bottom);
  int nodeTop = 0;
  for (PTreeNode node = GetNodeAt(0, top, false, nodeTop); node && nodeTop < bottom;
       nodeTop += node->NodeHeight, node = GetNextVisible(node)) {
    if (life.Ended()) return TRaised(false);
    if (freedNodes_ != freedBefore) break;
    const RECT part = SelectionTestRect(node, nodeTop, limit, rightToLeft);
    if (life.Ended()) return TRaised(false);
    if (freedNodes_ != freedBefore) break;
    const bool wasIn = Crosses(oldBand, part), isIn = Crosses(newBand, part);
    if (wasIn == isIn) continue;
    const bool select = toggle ? !node->Has(nsSelected) : isIn;
    if (select)
      AddToTempCache(node);
    else
      changed |= InternalRemoveFromSelection(node);
  }
  if (life.Ended()) return TRaised(false);
  // Rows met before a handler freed nodes may be among those freed: none joins the selection then.
  if (freedNodes_ == freedBefore) changed |= InternalAddToSelection(tempCache_.data(), tempCache_.size(), false);
  ClearTempCache();
  return changed ? Change(nullptr) : TRaised(true);
}

}  // namespace tree

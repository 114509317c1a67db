// What a point of the tree's window hits: the node, its column and the part of the row, laid out as the painting
// lays out a row (indentation and margin, check box, state image, normal image, label).
#include <commctrl.h>

#include <algorithm>

#include "framework/image_list.h"
#include "tree/base_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

using HP = TNodeHitPosition;

// The gap painting leaves after every image of a row.
constexpr int ImageGap = 2;

}  // namespace

int TBaseTree::CheckImageWidth() const {
  if (checkImageKind_ == TCheckImageKind::ckCustom) return customCheckImages_ ? customCheckImages_->Width() : 0;
  int width = 0, height = 0;
  if (HIMAGELIST list = tree::CheckImages(checkImageKind_)) ImageList_GetIconSize(list, &width, &height);
  return width;
}

bool TBaseTree::IsMainColumn(TColumnIndex column) const {
  return column == NoColumn || !header_->UseColumns() || column == header_->MainColumn();
}

TBaseTree::TRowLayout TBaseTree::LayoutRow(PTreeNode node, TColumnIndex column) {
  TRowLayout layout;
  const bool main = IsMainColumn(column);
  if (main) {
    int levels = static_cast<int>(GetNodeLevel(node)) +
                 (options_->PaintOptions().Contains(TTreePaintOption::toShowRoot) ? 1 : 0);
    layout.IndentEnd = levels * indent_;
  }
  layout.IndentEnd += margin_;
  layout.CheckEnd = layout.IndentEnd;
  if (main && options_->MiscOptions().Contains(TTreeMiscOption::toCheckSupport) &&
      node->CheckType != TCheckType::ctNone) {
    if (int width = CheckImageWidth()) layout.CheckEnd += width + ImageGap;
  }
  layout.StateEnd = layout.CheckEnd;
  bool ghosted = false;
  int index = -1;
  if (stateImages_) {
    if ((layout.NodeFreed = DoGetImageIndex(node, TTreeImageKind::ikState, column, ghosted, index).NodeGone()))
      return layout;
    if (index > -1) layout.StateEnd += stateImages_->Width() + ImageGap;
  }
  layout.ImageEnd = layout.StateEnd;
  TTreeImageKind kind = node->Has(nsSelected) ? TTreeImageKind::ikSelected : TTreeImageKind::ikNormal;
  if (images_) {
    index = -1;
    if ((layout.NodeFreed = DoGetImageIndex(node, kind, column, ghosted, index).NodeGone())) return layout;
    if (index > -1) layout.ImageEnd += images_->Width() + ImageGap;
  }
  layout.NodeFreed = GetNodeWidth(node, column, layout.LabelWidth).NodeGone();
  return layout;
}

void TBaseTree::GetHitTestInfoAt(int x, int y, bool relative, THitInfo& hitInfo) {
  hitInfo = THitInfo{};
  if (relative) x -= offsetX_;
  // The absolute position of a client point of a tall tree passes what an int holds.
  const TTreePosition position = relative ? y - offsetY_ : y;
  const int width = std::max(ClientWidth(), HorizontalRange());
  if (x < 0)
    hitInfo.HitPositions += HP::hpToLeft;
  else if (x > width)
    hitInfo.HitPositions += HP::hpToRight;
  if (position < 0)
    hitInfo.HitPositions += HP::hpAbove;
  else if (position > std::max<TTreePosition>(ClientHeight(), VerticalRange()))
    hitInfo.HitPositions += HP::hpBelow;
  if (!hitInfo.HitPositions.Empty()) return;

  TTreePosition nodeTop = 0;
  PTreeNode node = GetNodeAtPosition(position, nodeTop);
  // The row's parts need the node initialized; a node that its initialization frees leaves nothing there.
  if (node && !node->Has(nsInitialized) && !InitNode(node)) node = nullptr;
  if (!node) {
    hitInfo.HitPositions += HP::hpNowhere;
    return;
  }
  hitInfo.HitNode = node;
  // Measuring the row raises handlers (the texts, the images) that may free the node: nothing is hit then.
  const TNodeWatch hit(*this, node);
  auto nowhere = [&hitInfo] {
    hitInfo = THitInfo{};
    hitInfo.HitPositions += HP::hpNowhere;
  };
  TColumnIndex column = NoColumn;
  int left = 0, right = width;
  TBiDiMode biDiMode = BiDiMode();
  TAlignment alignment = alignment_;
  if (header_->UseColumns()) {
    TTreeColumns* columns = header_->Columns();
    column = columns->GetColumnAndBounds(POINT{x, 0}, left, right, false);
    if (column == InvalidColumn) {
      hitInfo.HitPositions += HP::hpNowhere;
      return;
    }
    if (options_->AutoOptions().Contains(TTreeAutoOption::toAutoSpanColumns) && ColumnIsEmpty(node, column)) {
      // The clicked empty cell stays the hit column; only its extent grows over its empty neighbours, so that the
      // position inside it is judged over the whole empty run.
      for (TColumnIndex previous = columns->GetPreviousVisibleColumn(column);
           previous >= 0 && !hit.Ended() && ColumnIsEmpty(node, previous);
           previous = columns->GetPreviousVisibleColumn(previous))
        left = columns->Items(previous)->Left();
      for (TColumnIndex next = columns->GetNextVisibleColumn(column);
           next >= 0 && !hit.Ended() && ColumnIsEmpty(node, next); next = columns->GetNextVisibleColumn(next))
        right = columns->Items(next)->Left() + columns->Items(next)->Width();
    }
    if (hit.Ended()) return nowhere();
    biDiMode = columns->Items(column)->BiDiMode();
    alignment = columns->Items(column)->Alignment();
  }
  hitInfo.HitColumn = column;
  hitInfo.HitPositions += HP::hpOnItem;
  if (biDiMode == TBiDiMode::bdLeftToRight)
    DetermineHitPositionLTR(hitInfo, x - left, right - left, alignment);
  else
    DetermineHitPositionRTL(hitInfo, x - left, right - left, alignment);
  if (hit.Ended()) nowhere();
}

void TBaseTree::DetermineHitPositionLTR(THitInfo& hitInfo, int x, int right, TAlignment alignment) {
  PTreeNode node = hitInfo.HitNode;
  const bool main = IsMainColumn(hitInfo.HitColumn);
  const TRowLayout row = LayoutRow(node, hitInfo.HitColumn);
  if (row.NodeFreed) return;
  if (x < row.IndentEnd) {
    // The expand button sits in the innermost indentation level.
    const int indentation = row.IndentEnd - margin_;
    if (main && options_->PaintOptions().Contains(TTreePaintOption::toShowButtons) && node->Has(nsHasChildren) &&
        x >= indentation - indent_ && x < indentation)
      hitInfo.HitPositions += HP::hpOnButton;
    else
      hitInfo.HitPositions += HP::hpOnIndent;
    return;
  }
  if (!main && options_->MiscOptions().Contains(TTreeMiscOption::toReportMode)) return;
  if (x < row.CheckEnd) {
    hitInfo.HitPositions = THitPositions{HP::hpOnItem, HP::hpOnCheckBox};
    return;
  }
  if (x < row.StateEnd) {
    hitInfo.HitPositions += HP::hpOnStateImage;
    return;
  }
  if (x < row.ImageEnd) {
    hitInfo.HitPositions += HP::hpOnNormalImage;
    return;
  }
  const int offset = row.ImageEnd;
  const int textWidth = row.LabelWidth;
  if (textWidth > right - offset) {
    hitInfo.HitPositions += HP::hpOnLabel;
    return;
  }
  int start = offset;
  if (alignment == TAlignment::taRightJustify)
    start = right - textWidth;
  else if (alignment == TAlignment::taCenter)
    start = (offset + right - textWidth) / 2;
  if (x < start)
    hitInfo.HitPositions += HP::hpLeftOfLabel;
  else if (x >= start + textWidth)
    hitInfo.HitPositions += HP::hpRightOfLabel;
  else
    hitInfo.HitPositions += HP::hpOnLabel;
}

void TBaseTree::DetermineHitPositionRTL(THitInfo& hitInfo, int x, int right, TAlignment alignment) {
  // The row is the mirror image of a left-to-right row: measured from the right edge, the parts come in the same
  // order, and what lies left of the label there lies right of it here.
  DetermineHitPositionLTR(hitInfo, right - 1 - x, right, alignment);
  THitPositions& positions = hitInfo.HitPositions;
  const bool leftOf = positions.Contains(HP::hpLeftOfLabel), rightOf = positions.Contains(HP::hpRightOfLabel);
  positions -= THitPositions{HP::hpLeftOfLabel, HP::hpRightOfLabel};
  if (leftOf) positions += HP::hpRightOfLabel;
  if (rightOf) positions += HP::hpLeftOfLabel;
}

}  // namespace tree

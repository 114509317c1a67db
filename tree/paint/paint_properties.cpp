// The painting properties of TBaseTree: each setter compares, stores, rebuilds what depends on it and repaints.
#include <algorithm>

#include "framework/image_list.h"
#include "tree/base_tree.h"
#include "tree/paint/paint_resources.h"

namespace tree {

namespace {

template <class T>
bool Store(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

void TBaseTree::SetIndent(int value) {
  if (Store(indent_, std::max(value, 0))) Invalidate();
}

void TBaseTree::SetMargin(int value) {
  if (Store(margin_, std::max(value, 0))) Invalidate();
}

void TBaseTree::SetImages(TCustomImageList* value) {
  if (Store(images_, value)) Invalidate();
}

void TBaseTree::SetStateImages(TCustomImageList* value) {
  if (Store(stateImages_, value)) Invalidate();
}

void TBaseTree::SetCustomCheckImages(TCustomImageList* value) {
  if (Store(customCheckImages_, value)) Invalidate();
}

void TBaseTree::SetCheckImageKind(TCheckImageKind value) {
  if (value == TCheckImageKind::ckCustom && !customCheckImages_) value = TCheckImageKind::ckLightCheck;
  if (Store(checkImageKind_, value)) Invalidate();
}

void TBaseTree::SetButtonStyle(TButtonStyle value) {
  if (!Store(buttonStyle_, value)) return;
  PrepareBitmaps(true, false);
  Invalidate();
}

void TBaseTree::SetButtonFillMode(TButtonFillMode value) {
  if (!Store(buttonFillMode_, value)) return;
  PrepareBitmaps(true, false);
  Invalidate();
}

void TBaseTree::SetLineStyle(TLineStyle value) {
  if (!Store(lineStyle_, value)) return;
  PrepareBitmaps(false, true);
  Invalidate();
}

void TBaseTree::SetLineMode(TLineMode value) {
  if (Store(lineMode_, value)) Invalidate();
}

void TBaseTree::SetBackground(const TPicture* value) {
  background_->Assign(value);
  Invalidate();
}

void TBaseTree::SetBackgroundOffset(int x, int y) {
  if (Store<LONG>(backgroundOffset_.x, x) | Store<LONG>(backgroundOffset_.y, y)) Invalidate();
}

void TBaseTree::SetSelectionCurveRadius(int value) {
  if (Store(selectionCurveRadius_, std::max(value, 0))) Invalidate();
}

void TBaseTree::SetDrawSelectionMode(TDrawSelectionMode value) {
  if (Store(drawSelectionMode_, value)) Invalidate();
}

void TBaseTree::SetAlignment(TAlignment value) {
  if (Store(alignment_, value)) Invalidate();
}

void TBaseTree::SetOffsetX(int value) {
  DoSetOffsetXY(POINT{value, offsetY_},
                suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea);
}

void TBaseTree::SetDropTarget(PTreeNode node, TDropMode mode) {
  PTreeNode old = dropTargetNode_;
  dropTargetNode_ = node;
  lastDropMode_ = mode;
  if (old && old != node) InvalidateNode(old);
  if (node) InvalidateNode(node);
}

void TBaseTree::SetHotNode(PTreeNode node) {
  if (node == hotNode_) return;
  PTreeNode old = hotNode_;
  hotNode_ = node;
  DoHotChange(old, node);
  if (old) InvalidateNode(old);
  if (node) InvalidateNode(node);
}

}  // namespace tree

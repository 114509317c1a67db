// Which hint a tree shows where the mouse rests (CM_HINTSHOW) and how soon (CM_HINTSHOWPAUSE): a column's hint
// over the header, the control's own hint, or a node's hint or tooltip in the tree's hint window.
#include "framework/application.h"
#include "tree/base_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"
#include "tree/tree_hint_window.h"

namespace tree {

namespace {

// CM_HINTSHOW's answer when no hint is to show.
constexpr LRESULT NoHint = 1;

}  // namespace

bool TBaseTree::GetHintCell(POINT p, PTreeNode& node, TColumnIndex& column, RECT& cell) {
  node = GetNodeAt(p.x, p.y);
  if (!node) return false;
  cell = GetDisplayRect(node, NoColumn, false);
  column = NoColumn;
  TTreeColumns* columns = header_->Columns();
  if (!header_->UseColumns()) return true;
  int left = 0, right = 0;
  column = columns->GetColumnAndBounds(p, left, right);
  if (column < 0) return false;
  if (options_->AutoOptions().Contains(TTreeAutoOption::toAutoSpanColumns)) {
    // An empty cell shows the text spanning into it from the left; that text's cell reaches over the empty ones
    // to its right.
    for (TColumnIndex previous = columns->GetPreviousVisibleColumn(column);
         previous >= 0 && ColumnIsEmpty(node, column); previous = columns->GetPreviousVisibleColumn(column)) {
      column = previous;
      left -= columns->Items(column)->Width();
    }
    for (TColumnIndex next = columns->GetNextVisibleColumn(column); next >= 0 && ColumnIsEmpty(node, next);
         next = columns->GetNextVisibleColumn(next))
      right += columns->Items(next)->Width();
  }
  cell.left = left;
  cell.right = right;
  return true;
}

void TBaseTree::CMHintShow(TMessage& message) {
  message.Result = NoHint;
  auto* info = reinterpret_cast<THintInfo*>(message.LParam);
  if (!info || GetCapture() || !ShowHint() || Dragging()) return;
  DoStateChange({TTreeState::stHintPrepared});
  const POINT p = info->CursorPos;
  TTreeColumns* columns = header_->Columns();
  if (header_->InHeader(p) && header_->Options().Contains(TTreeHeaderOption::hoShowHint)) {
    TColumnIndex column = header_->UseColumns() ? columns->ColumnFromPosition(POINT{p.x, 0}) : InvalidColumn;
    if (column < 0) return;
    info->HintStr = columns->Items(column)->Hint();
    RECT band = header_->HeaderRect();
    info->CursorRect = RECT{0, -header_->Height(), band.right - band.left, 0};
    message.Result = info->HintStr.empty() ? NoHint : 0;
    return;
  }
  if (hintMode_ == TTreeHintMode::hmDefault) {
    info->HintStr = GetShortHint(Hint());
    message.Result = info->HintStr.empty() ? NoHint : 0;
    return;
  }
  PTreeNode node = nullptr;
  TColumnIndex column = NoColumn;
  RECT cell{};
  if (!GetHintCell(p, node, column, cell)) {
    info->HintStr = hintMode_ == TTreeHintMode::hmHintAndDefault ? GetShortHint(Hint()) : String();
    message.Result = info->HintStr.empty() ? NoHint : 0;
    return;
  }
  const bool tooltip = hintMode_ == TTreeHintMode::hmTooltip;
  if (tooltip) {
    // A tooltip shows only a cut-off text, laid exactly over it.
    RECT text = GetDisplayRect(node, column, true, true);
    if (text.right <= cell.right && text.left >= cell.left && text.right <= ClientWidth()) return;
    POINT origin = ClientToScreen(POINT{text.left - 1, text.top - 1});
    info->HintPos = origin;
  }
  String text;
  // A handler that frees the node, or the tree, leaves no hint to show.
  if ((tooltip ? DoGetNodeTooltip(node, column, text) : DoGetNodeHint(node, column, text)).NodeGone()) return;
  info->HintStr = text;
  if (info->HintStr.empty()) return;
  info->HintWindowClass = TTreeHintWindow::StaticClass();
  info->CursorRect = cell;
  if (!hintData_) hintData_ = std::make_unique<TTreeHintData>();
  *hintData_ = TTreeHintData{};
  hintData_->Tree = this;
  hintData_->TreeLife = LifeWatch();
  hintData_->Node = node;
  hintData_->Column = column;
  hintData_->HintRect = cell;
  info->HintData = hintData_.get();
  message.Result = 0;
}

void TBaseTree::CMHintShowPause(TMessage& message) {
  auto* pause = reinterpret_cast<int*>(message.LParam);
  if (!pause) return;
  POINT p{};
  GetCursorPos(&p);
  p = ScreenToClient(p);
  const bool headerHint =
      header_->InHeader(p) && header_->UseColumns() && header_->Options().Contains(TTreeHeaderOption::hoShowHint);
  // Tooltips follow the mouse at once; hints wait the application's pause once one was prepared.
  if (!(states_.Contains(TTreeState::stHintPrepared) && (headerHint || hintMode_ != TTreeHintMode::hmTooltip)))
    *pause = 0;
}

}  // namespace tree

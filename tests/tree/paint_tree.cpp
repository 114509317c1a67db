#include "paint_tree.h"

#include <vector>

#include "tree/tree_colors.h"

namespace tree_test {

TPaintTree::TPaintTree(HWND host, int width, int height, std::uint32_t rootCount) {
  EXPECT_TRUE(SetParentWindow(host).Alive());
  EXPECT_TRUE(SetBounds(0, 0, width, height).Alive());
  // The rows' own pixels are what these tests look at: no client edge shifts them.
  SetBorderStyle(TBorderStyle::bsNone);
  HandleNeeded();
  EXPECT_TRUE(SetVisible(true).Alive());
  EXPECT_TRUE(SetRootNodeCount(rootCount).Alive());
  PinColors(*this);
}

void TPaintTree::Press(WORD key, std::initializer_list<BYTE> modifiers) {
  BYTE saved[256]{};
  GetKeyboardState(saved);
  BYTE state[256]{};
  for (BYTE modifier : modifiers) state[modifier] = 0x80;
  SetKeyboardState(state);
  LPARAM data = 1;
  SendMessageW(Handle(), WM_KEYDOWN, key, data);
  SendMessageW(Handle(), WM_KEYUP, key, data | (1u << 30) | (1u << 31));
  SetKeyboardState(saved);
}

TNodeRaised TPaintTree::GetNodeWidth(PTreeNode, TColumnIndex, int& width) {
  width = contentWidth;
  return TNodeRaised(true, true);
}

TNodeRaised TPaintTree::PaintNode(TNodePaintInfo& info) {
  // The content sits inside the node width with a margin of 2, so selection and focus frames stay visible.
  RECT r = info.ContentRect;
  r.right = r.left + contentWidth - 2;
  r.left += 2;
  r.top += 3;
  r.bottom -= 3;
  SetDCBrushColor(info.Canvas->Handle(), contentColor);
  FillRect(info.Canvas->Handle(), &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  return TNodeRaised(true, true);
}

TPaintFixture::TPaintFixture() { environment.SetVisualStyles(false); }

void PinColors(TBaseTree& tree) {
  tree.SetColor(static_cast<TColor>(kWindowColor));
  TTreeColors& colors = *tree.Colors();
  const std::pair<TTreeColors::TColorIndex, COLORREF> pinned[] = {
      {TTreeColors::TreeLineColorIndex, kLineColor},
      {TTreeColors::GridLineColorIndex, kGridColor},
      {TTreeColors::FocusedSelectionColorIndex, kFocusedSelection},
      {TTreeColors::FocusedSelectionBorderColorIndex, kFocusedSelection},
      {TTreeColors::UnfocusedSelectionColorIndex, kUnfocusedSelection},
      {TTreeColors::UnfocusedSelectionBorderColorIndex, kUnfocusedSelection},
      {TTreeColors::DropMarkColorIndex, kDropMark},
      {TTreeColors::DropTargetColorIndex, kDropTarget},
      {TTreeColors::DropTargetBorderColorIndex, kDropTarget}};
  for (const auto& [index, color] : pinned) colors.SetColor(index, static_cast<TColor>(color));
  tree.Font()->SetColor(static_cast<TColor>(RGB(0, 0, 0)));
  tree.PrepareButtons();
  EXPECT_TRUE(tree.PrepareLineBrush().Alive());
}

}  // namespace tree_test

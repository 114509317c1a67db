#include "header_tree.h"

namespace tree_test {

THeaderTree::THeaderTree(HWND host, int width, int height, std::initializer_list<int> columnWidths) {
  EXPECT_TRUE(SetParentWindow(host).Alive());
  EXPECT_TRUE(SetBounds(0, 0, width, height).Alive());
  for (int columnWidth : columnWidths) EXPECT_TRUE(Header()->Columns()->Add()->SetWidth(columnWidth).Alive());
  EXPECT_TRUE(Header()->SetOptions(Header()->Options() + TTreeHeaderOption::hoVisible).Alive());
  // The header's own drawing is what these tests look at, not the platform's visual style.
  TreeOptions()->SetPaintOptions(TreeOptions()->PaintOptions() - TTreePaintOption::toThemeAware);
  SetBorderStyle(TBorderStyle::bsNone);
  HandleNeeded();
  EXPECT_TRUE(SetVisible(true).Alive());
  Header()->RecalculateHeader();
}

TNodeRaised THeaderTree::GetNodeWidth(PTreeNode, TColumnIndex, int& width) {
  width = contentWidth;
  return TNodeRaised(true, true);
}

RECT THeaderTree::HeaderScreenRect() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  RECT r = Header()->HeaderRect();
  OffsetRect(&r, window.left, window.top);
  return r;
}

POINT THeaderTree::HeaderPoint(int x, int y) {
  RECT r = HeaderScreenRect();
  return POINT{r.left + x, r.top + y};
}

LRESULT THeaderTree::SendNC(UINT message, POINT screen) {
  return SendMessageW(Handle(), message, HTBORDER, MAKELPARAM(screen.x, screen.y));
}

LRESULT THeaderTree::SendClient(UINT message, POINT screen, WPARAM keys) {
  POINT client = screen;
  ::ScreenToClient(Handle(), &client);
  return SendMessageW(Handle(), message, keys, MAKELPARAM(client.x, client.y));
}

}  // namespace tree_test

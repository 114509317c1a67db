#include "header_tree.h"

namespace tree_test {

THeaderTree::THeaderTree(HWND host, int width, int height, std::initializer_list<int> columnWidths) {
  SetParentWindow(host);
  SetBounds(0, 0, width, height);
  for (int columnWidth : columnWidths) Header()->Columns()->Add()->SetWidth(columnWidth);
  Header()->SetOptions(Header()->Options() + TTreeHeaderOption::hoVisible);
  HandleNeeded();
  SetVisible(true);
  Header()->RecalculateHeader();
}

void THeaderTree::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCCALCSIZE:
      TTestTree::Dispatch(message);
      if (Header()->Options().Contains(TTreeHeaderOption::hoVisible))
        reinterpret_cast<RECT*>(message.LParam)->top += Header()->Height();
      return;
    case WM_NCHITTEST: {
      TTestTree::Dispatch(message);
      POINT p{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
      ::ScreenToClient(Handle(), &p);
      if (Header()->InHeader(p)) message.Result = HTBORDER;
      return;
    }
    case WM_NCPAINT: {
      TTestTree::Dispatch(message);
      HDC dc = GetWindowDC(Handle());
      RECT r = Header()->HeaderRect();
      Header()->Columns()->PaintHeader(dc, r, OffsetX());
      ReleaseDC(Handle(), dc);
      return;
    }
    case WM_PRINT:
      TTestTree::Dispatch(message);
      if (message.LParam & PRF_NONCLIENT) {
        RECT r = Header()->HeaderRect();
        Header()->Columns()->PaintHeader(reinterpret_cast<HDC>(message.WParam), r, OffsetX());
      }
      return;
    default:
      TTestTree::Dispatch(message);
  }
}

int THeaderTree::GetNodeWidth(PTreeNode, TColumnIndex) { return contentWidth; }

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

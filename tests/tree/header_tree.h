// A tree with its header shown and fixed content widths per column, and the mouse messages the system would send
// it for points of its header.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "support/test_window.h"
#include "tree/tree_header.h"
#include "tree_fixture.h"

namespace tree_test {

class THeaderTree : public TTestTree {
 public:
  // A visible tree in host at (0, 0) of the given size, with one column per width and the header shown.
  THeaderTree(HWND host, int width, int height, std::initializer_list<int> columnWidths);

  // Every node's content is this wide in every column.
  int contentWidth = 0;

  // The header's band in screen coordinates.
  RECT HeaderScreenRect();
  // A screen point in the header at client x, header y.
  POINT HeaderPoint(int x, int y = 8);
  // Sends a non-client mouse message for a screen point, as the system would after hit-testing the frame.
  LRESULT SendNC(UINT message, POINT screen);
  // Sends a client mouse message for a screen point (a captured mouse reports there).
  LRESULT SendClient(UINT message, POINT screen, WPARAM keys = 0);

 protected:
  TNodeRaised GetNodeWidth(PTreeNode node, TColumnIndex column, int& width) override;
};

}  // namespace tree_test

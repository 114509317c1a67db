// A visible tree for painting and keyboard tests: classic painting with pinned colours, every node's content a solid
// block of contentWidth pixels (so selection and focus have something to frame), and the keyboard's modifier keys
// held through the thread's key state while a key message is sent.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "support/test_environment.h"
#include "support/test_window.h"
#include "support/window_capture.h"
#include "tree_fixture.h"

namespace tree_test {

class TPaintTree : public TTestTree {
 public:
  // A visible tree of the given size in host at (0, 0), with rootCount top-level nodes.
  TPaintTree(HWND host, int width, int height, std::uint32_t rootCount);

  using TBaseTree::HandleKeyDown;
  using TBaseTree::SetDropTarget;
  using TBaseTree::SetHotNode;
  using TBaseTree::SetSelectionRectangle;

  int contentWidth = 40;
  COLORREF contentColor = RGB(0, 0, 255);

  // Sends WM_KEYDOWN and WM_KEYUP for key with the modifiers held.
  void Press(WORD key, std::initializer_list<BYTE> modifiers = {});
  TWindowCapture Capture() { return TWindowCapture::OfClient(Handle()); }

 protected:
  TNodeRaised GetNodeWidth(PTreeNode node, TColumnIndex column, int& width) override;
  TNodeRaised PaintNode(TNodePaintInfo& paintInfo) override;
};

// Classic painting with the tree's colours set to distinct pure values, restored afterwards.
struct TPaintFixture : ::testing::Test {
  TPaintFixture();
  TTestEnvironment environment;
  TTestWindow host{RECT{50, 50, 350, 350}};
};

constexpr COLORREF kWindowColor = RGB(255, 255, 255);
constexpr COLORREF kLineColor = RGB(0, 128, 0);
constexpr COLORREF kGridColor = RGB(128, 0, 128);
constexpr COLORREF kFocusedSelection = RGB(200, 0, 0);
constexpr COLORREF kUnfocusedSelection = RGB(0, 200, 200);
constexpr COLORREF kDropMark = RGB(255, 128, 0);
constexpr COLORREF kDropTarget = RGB(0, 0, 120);

// Applies the pinned colours above to a tree.
void PinColors(TBaseTree& tree);

}  // namespace tree_test

// The draw tree: the application paints each cell's content and reports its width; the hint window asks it for the
// size and the drawing of node hints.
#include "tree/draw_tree.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/exceptions.h"
#include "paint_tree.h"
#include "support/gdi_room.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"
#include "tree/tree_hint_window.h"

namespace tree_test {
namespace {

class TShownDrawTree : public TDrawTree {
 public:
  TShownDrawTree(HWND host, std::initializer_list<int> columnWidths) : TDrawTree(nullptr) {
    EXPECT_TRUE(SetParentWindow(host).Alive());
    EXPECT_TRUE(SetBounds(0, 0, 300, 60).Alive());
    SetBorderStyle(TBorderStyle::bsNone);
    for (int width : columnWidths) EXPECT_TRUE(Header()->Columns()->Add()->SetWidth(width).Alive());
    HandleNeeded();
    EXPECT_TRUE(SetVisible(true).Alive());
    EXPECT_TRUE(SetRootNodeCount(2).Alive());
    PinColors(*this);
  }
  using TCustomDrawTree::GetNodeWidth;
};

using DrawTreePaint = TPaintFixture;

struct TDrawnCell {
  PTreeNode node;
  TColumnIndex column;
  RECT content;
};

}  // namespace

TEST_F(DrawTreePaint, ContentComesFromTheDrawEvent) {
  const COLORREF ink = RGB(0, 0, 255);
  for (bool handler : {true, false}) {
    TShownDrawTree tree(host.Handle(), {100, 120});
    std::vector<TDrawnCell> cells;
    if (handler)
      tree.OnDrawNodeContent = [&](TBaseTree*, const TNodePaintInfo& info) {
        cells.push_back({info.Node, info.Column, info.ContentRect});
        RECT r = info.ContentRect;
        r.right = r.left + 10;
        InflateRect(&r, 0, -4);
        SetDCBrushColor(info.Canvas->Handle(), ink);
        FillRect(info.Canvas->Handle(), &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      };
    TWindowCapture shot = TWindowCapture::OfClient(tree.Handle());
    KeepCaptureForViewing(shot, L"draw_tree");
    const RECT first{0, 0, 100, 36}, second{100, 0, 220, 36};
    if (!handler) {
      EXPECT_EQ(shot.CountPixels(ink), 0);
      continue;
    }
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].node, tree.GetFirst());
    EXPECT_EQ(cells[0].column, 0);
    EXPECT_EQ(cells[1].column, 1);
    EXPECT_EQ(cells[1].content.left, 100 + tree.Margin());
    EXPECT_EQ(shot.CountPixels(ink, &first), 2 * 10 * 10);
    EXPECT_EQ(shot.CountPixels(ink, &second), 2 * 10 * 10);
  }
}

TEST(DrawTreeMeasure, NodeWidthFromTheMeasureEvent) {
  struct TShown : TDrawTree {
    using TDrawTree::TDrawTree;
    int Width(PTreeNode node, TColumnIndex column) {
      int width = -1;
      EXPECT_FALSE(GetNodeWidth(node, column, width).NodeGone());
      return width;
    }
  } tree(nullptr);
  EXPECT_TRUE(tree.SetRootNodeCount(2).Alive());
  EXPECT_EQ(tree.Width(tree.GetFirst(), NoColumn), 2 * tree.TextMargin());
  tree.SetTextMargin(7);
  EXPECT_EQ(tree.Width(tree.GetFirst(), NoColumn), 14);
  std::vector<TColumnIndex> asked;
  tree.OnMeasureNodeWidth = [&](TBaseTree*, TCanvas* canvas, PTreeNode node, TColumnIndex column, int& width) {
    ASSERT_NE(canvas, nullptr);
    EXPECT_GT(canvas->TextWidth(L"x"), 0) << "a canvas that measures without a window";
    asked.push_back(column);
    width += node == tree.GetFirst() ? 30 : 50;
  };
  EXPECT_EQ(tree.Width(tree.GetFirst(), 3), 44);
  EXPECT_EQ(tree.Width(tree.GetNextSibling(tree.GetFirst()), NoColumn), 64);
  EXPECT_EQ(asked, (std::vector<TColumnIndex>{3, NoColumn}));
}

// The hint window takes a draw tree's hint size from OnGetHintSize and its picture from OnDrawHintContent.
TEST(DrawTreeHints, SizedAndDrawnByTheTree) {
  TDrawTree tree(nullptr);
  EXPECT_TRUE(tree.SetRootNodeCount(1).Alive());
  RECT drawnIn{};
  tree.OnGetHintSize = [](TBaseTree*, PTreeNode, TColumnIndex column, RECT& r) {
    EXPECT_EQ(column, 2);
    r = RECT{10, 20, 10 + 77, 20 + 33};
  };
  tree.OnDrawHintContent = [&](TBaseTree*, TCanvas* canvas, PTreeNode, const RECT& r, TColumnIndex) {
    drawnIn = r;
    canvas->Brush()->SetColor(static_cast<TColor>(RGB(0, 200, 0)));
    canvas->FillRect(r);
  };
  TTreeHintWindow window(nullptr);
  TTreeHintData data;
  data.Tree = &tree;
  data.TreeLife = tree.LifeWatch();
  data.Node = tree.GetFirst();
  data.Column = 2;
  RECT r = window.CalcHintRect(400, L"", &data);
  const RECT size{0, 0, 77, 33};
  EXPECT_TRUE(EqualRect(&r, &size));
  EXPECT_TRUE(window.ActivateHint(RECT{50, 50, 127, 83}, L"").Alive());
  EXPECT_EQ(drawnIn.right - drawnIn.left + TTreeHintWindow::ShadowSize(), 77);
}

// A hint drawing handler that raises reaches the caller of the hint and leaves no DC behind.
TEST(DrawTreeHints, DrawingHandlerThatRaisesLeavesNothingBehind) {
  TDrawTree tree(nullptr);
  EXPECT_TRUE(tree.SetRootNodeCount(1).Alive());
  tree.OnGetHintSize = [](TBaseTree*, PTreeNode, TColumnIndex, RECT& r) { r = RECT{0, 0, 60, 30}; };
  bool raise = false;
  tree.OnDrawHintContent = [&raise](TBaseTree*, TCanvas*, PTreeNode, const RECT&, TColumnIndex) {
    if (raise) throw Exception(L"raised");
  };
  TTreeHintWindow window(nullptr);
  TTreeHintData data;
  data.Tree = &tree;
  data.TreeLife = tree.LifeWatch();
  data.Node = tree.GetFirst();
  window.CalcHintRect(400, L"", &data);
  EXPECT_TRUE(window.ActivateHint(RECT{50, 50, 110, 80}, L"").Alive());
  const int room = GdiRoom();
  raise = true;
  int raised = 0;
  for (int i = 0; i < 100; ++i) {
    try {
      EXPECT_TRUE(window.ActivateHint(RECT{50, 50, 110, 80}, L"").Alive());
    } catch (const Exception&) {
      ++raised;
    }
  }
  EXPECT_EQ(raised, 100);
  EXPECT_EQ(GdiRoom(), room);
}

}  // namespace tree_test

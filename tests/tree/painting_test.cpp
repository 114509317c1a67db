// Tree painting read back from memory DCs: tree lines in both styles and reading directions, expand buttons, check
// images, selection and focus, drop marks, grid lines and the background picture; classic with pinned colours, and
// the visual-styles path.
#include <gtest/gtest.h>
#include <vsstyle.h>

#include <iterator>
#include <utility>
#include <vector>

#include "framework/application.h"
#include "framework/bitmap.h"
#include "framework/exceptions.h"
#include "paint_tree.h"
#include "support/gdi_room.h"
#include "tree/paint/paint_resources.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree_test {
namespace {

using PO = TTreePaintOption;

// Three top-level rows of an odd height, so a dotted line must stay continuous across row borders.
TEST_F(TPaintFixture, TreeLinesInBothStylesAndDirections) {
  struct TCase {
    TLineStyle style;
    TBiDiMode bidi;
    int lineX;
  };
  // Level 0 of a 300 pixel row: the line is at indent / 2 from the reading side.
  const TCase cases[] = {{TLineStyle::lsSolid, TBiDiMode::bdLeftToRight, 9},
                         {TLineStyle::lsDotted, TBiDiMode::bdLeftToRight, 9},
                         {TLineStyle::lsSolid, TBiDiMode::bdRightToLeft, 290},
                         {TLineStyle::lsDotted, TBiDiMode::bdRightToLeft, 290}};
  for (const TCase& c : cases) {
    TPaintTree tree(host.Handle(), 300, 200, 0);
    tree.SetDefaultNodeHeight(17);
    EXPECT_TRUE(tree.SetRootNodeCount(3).Alive());
    tree.SetLineStyle(c.style);
    tree.SetBiDiMode(c.bidi);
    TWindowCapture shot = tree.Capture();
    KeepCaptureForViewing(shot, L"tree_lines");
    // First row from its middle (8) down, last row down to its middle: 8 .. 42.
    int line = 0;
    for (int y = 8; y <= 42; ++y) {
      bool on = shot.Pixel(c.lineX, y) == kLineColor;
      line += on;
      if (c.style == TLineStyle::lsDotted && y > 8) {
        EXPECT_NE(on, shot.Pixel(c.lineX, y - 1) == kLineColor) << c.lineX << "," << y;
      }
    }
    // 35 pixels: all of them solid, every other one dotted.
    if (c.style == TLineStyle::lsSolid)
      EXPECT_EQ(line, 35);
    else
      EXPECT_TRUE(line == 17 || line == 18) << line;
    EXPECT_EQ(shot.Pixel(c.lineX, 45), kWindowColor);
    // The horizontal stroke of the first row runs towards the text side.
    int towardsText = c.bidi == TBiDiMode::bdLeftToRight ? c.lineX + 6 : c.lineX - 6;
    EXPECT_EQ(shot.Pixel(towardsText, 8) == kLineColor || shot.Pixel(towardsText + 1, 8) == kLineColor, true);
  }
}

TEST_F(TPaintFixture, ExpandButtons) {
  constexpr COLORREF black = RGB(0, 0, 0);
  struct TCase {
    TButtonStyle style;
    bool expanded;
    TBiDiMode bidi;
    POINT probe;  // inside the 9 x 9 button at (5, 5) of a left-to-right row
    COLORREF expected;
  };
  const TCase cases[] = {
      {TButtonStyle::bsRectangle, false, TBiDiMode::bdLeftToRight, {5, 5}, kLineColor},   // frame
      {TButtonStyle::bsRectangle, false, TBiDiMode::bdLeftToRight, {9, 7}, black},        // plus: vertical stroke
      {TButtonStyle::bsRectangle, true, TBiDiMode::bdLeftToRight, {9, 7}, kWindowColor},  // minus: none
      {TButtonStyle::bsRectangle, true, TBiDiMode::bdLeftToRight, {7, 9}, black},         // horizontal stroke
      {TButtonStyle::bsRectangle, false, TBiDiMode::bdRightToLeft, {5, 5}, kLineColor},   // mirrored place
      {TButtonStyle::bsTriangle, false, TBiDiMode::bdLeftToRight, {8, 9}, black},
      {TButtonStyle::bsTriangle, false, TBiDiMode::bdLeftToRight, {12, 9}, kWindowColor},
      {TButtonStyle::bsTriangle, true, TBiDiMode::bdLeftToRight, {9, 9}, black},
      {TButtonStyle::bsTriangle, true, TBiDiMode::bdLeftToRight, {9, 12}, kWindowColor},
  };
  for (const TCase& c : cases) {
    TPaintTree tree(host.Handle(), 300, 200, 1);
    PTreeNode node = tree.GetFirst();
    EXPECT_FALSE(tree.SetChildCount(node, 2).TreeGone());
    EXPECT_FALSE(tree.SetExpanded(node, c.expanded).TreeGone());
    tree.SetButtonStyle(c.style);
    tree.SetBiDiMode(c.bidi);
    TWindowCapture shot = tree.Capture();
    // A right-to-left row puts the same bitmap at the right end: 300 - 5 - 9.
    int x = c.bidi == TBiDiMode::bdLeftToRight ? c.probe.x : 286 + (c.probe.x - 5);
    EXPECT_EQ(shot.Pixel(x, c.probe.y), c.expected) << static_cast<int>(c.style) << c.expanded << " " << x;
    if (c.bidi != TBiDiMode::bdLeftToRight) {
      EXPECT_NE(shot.Pixel(c.probe.x, c.probe.y), c.expected);
    }
  }
}

TEST_F(TPaintFixture, CheckImagesByTypeStateAndHotNode) {
  struct TCase {
    TCheckType type;
    TCheckState state;
    bool hot;
    bool disabled;
    int image;  // -1: none drawn
  };
  const TCase cases[] = {
      {TCheckType::ctCheckBox, TCheckState::csUncheckedNormal, false, false, 9},
      {TCheckType::ctCheckBox, TCheckState::csUncheckedNormal, true, false, 10},
      {TCheckType::ctCheckBox, TCheckState::csCheckedNormal, false, false, 13},
      {TCheckType::ctCheckBox, TCheckState::csCheckedPressed, true, false, 15},
      {TCheckType::ctCheckBox, TCheckState::csUncheckedNormal, false, true, 12},
      {TCheckType::ctTriStateCheckBox, TCheckState::csMixedNormal, false, false, 17},
      {TCheckType::ctTriStateCheckBox, TCheckState::csMixedNormal, true, false, 18},
      {TCheckType::ctRadioButton, TCheckState::csCheckedNormal, false, false, 5},
      {TCheckType::ctRadioButton, TCheckState::csUncheckedPressed, false, false, 3},
      {TCheckType::ctButton, TCheckState::csCheckedPressed, false, false, 23},
      {TCheckType::ctButton, TCheckState::csUncheckedNormal, false, true, 24},
      {TCheckType::ctNone, TCheckState::csCheckedNormal, false, false, -1},
  };
  for (TCheckImageKind kind : {TCheckImageKind::ckLightCheck, TCheckImageKind::ckFlat, TCheckImageKind::ckXP}) {
    for (const TCase& c : cases) {
      TPaintTree tree(host.Handle(), 300, 200, 1);
      tree.SetCheckImageKind(kind);
      tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toCheckSupport);
      PTreeNode node = tree.GetFirst();
      tree.SetCheckType(node, c.type);
      node->CheckState = c.state;
      if (c.disabled) node->States |= nsDisabled;
      if (c.hot) EXPECT_TRUE(tree.SetHotNode(node).Alive());
      EXPECT_EQ(tree.GetCheckImage(node), c.image);
      TWindowCapture shot = tree.Capture();
      // The check image follows the margin (4) and the root level's indent (18); the content follows it.
      TWindowCapture expected(16, 16);
      expected.Fill(kWindowColor);
      if (c.image >= 0) ImageList_Draw(CheckImages(kind), c.image, expected.DC(), 0, 0, ILD_TRANSPARENT);
      int differing = 0;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) differing += shot.Pixel(22 + x, 1 + y) != expected.Pixel(x, y);
      if (c.image >= 0) {
        EXPECT_EQ(differing, 0) << c.image;
        EXPECT_EQ(shot.Pixel(22 + 18 + 3, 9), tree.contentColor) << c.image;
      } else {
        EXPECT_EQ(shot.Pixel(22 + 3, 9), tree.contentColor);
      }
    }
  }
  // The glyph strips are not blank: neighbouring images differ.
  TWindowCapture a(16, 16), b(16, 16);
  a.Fill(kWindowColor);
  b.Fill(kWindowColor);
  ImageList_Draw(LightCheckImages(), 9, a.DC(), 0, 0, ILD_TRANSPARENT);
  ImageList_Draw(LightCheckImages(), 13, b.DC(), 0, 0, ILD_TRANSPARENT);
  EXPECT_LT(a.CountPixels(kWindowColor), 256);
  EXPECT_NE(a.CountPixels(RGB(0, 0, 0)), b.CountPixels(RGB(0, 0, 0)));
}

// The tree draws the shared glyphs from a copy of its own; every glyph of every list, over a background of stripes in
// colours the glyphs use and do not use, comes out as the list's own transparent draw leaves it, and an index past
// either end draws nothing.
TEST(GlyphDrawing, EveryGlyphAsTheListDrawsIt) {
  const HIMAGELIST lists[] = {LightCheckImages(), DarkCheckImages(), LightTickImages(), DarkTickImages(),
                              FlatImages(),       XPImages(),        UtilityImages()};
  auto background = [](TWindowCapture& shot) {
    const COLORREF stripes[] = {RGB(255, 255, 255), RGB(0, 0, 0), RGB(12, 200, 99), RGB(255, 0, 255)};
    for (int y = 0; y < shot.Height(); ++y)
      for (int x = 0; x < shot.Width(); ++x) shot.SetPixel(x, y, stripes[(x + 2 * y) % 4]);
  };
  int drawn = 0;
  for (std::size_t which = 0; which < std::size(lists); ++which) {
    const HIMAGELIST list = lists[which];
    ASSERT_NE(list, nullptr) << which;
    const int count = ImageList_GetImageCount(list);
    for (int index = -1; index <= count; ++index) {
      TWindowCapture ours(20, 20), theirs(20, 20);
      background(ours);
      background(theirs);
      DrawGlyph(list, index, ours.DC(), 2, 3);
      if (index >= 0 && index < count) ImageList_Draw(list, index, theirs.DC(), 2, 3, ILD_TRANSPARENT);
      EXPECT_EQ(ours.CountDifferentPixels(theirs), 0) << "list " << which << ", glyph " << index;
      drawn += index >= 0 && index < count;
    }
  }
  EXPECT_GT(drawn, 7 * 4);
}

TEST_F(TPaintFixture, SelectionAndFocusRectangle) {
  struct TCase {
    bool focused;
    TTreePaintOptions extra;
    COLORREF selection;  // at a point of the selected node's frame outside its content
  };
  const TCase cases[] = {{true, {}, kFocusedSelection},
                         {false, {}, kUnfocusedSelection},
                         {false, {PO::toHideSelection}, kWindowColor},
                         {false, {PO::toPopupMode}, kFocusedSelection}};
  for (const TCase& c : cases) {
    TPaintTree tree(host.Handle(), 300, 200, 3);
    tree.TreeOptions()->SetPaintOptions(tree.TreeOptions()->PaintOptions() + c.extra);
    EXPECT_FALSE(tree.SetSelected(tree.GetFirst(), true).TreeGone());
    if (c.focused) { EXPECT_TRUE(tree.SetFocus().Alive()); }
    ASSERT_EQ(tree.Focused(), c.focused);
    TWindowCapture shot = tree.Capture();
    KeepCaptureForViewing(shot, L"tree_selection");
    // The node's frame: content rectangle 22..62 wide; the content block starts 2 pixels in.
    EXPECT_EQ(shot.Pixel(23, 1), c.selection);
    EXPECT_EQ(shot.Pixel(70, 1), kWindowColor);
    EXPECT_EQ(shot.Pixel(23, 19), kWindowColor);
  }
  // The focus rectangle: dotted on the node's frame, only when the tree has the focus and does not hide it.
  for (bool hide : {false, true}) {
    TPaintTree tree(host.Handle(), 300, 200, 3);
    if (hide) tree.TreeOptions()->SetPaintOptions(tree.TreeOptions()->PaintOptions() + PO::toHideFocusRect);
    EXPECT_TRUE(tree.SetFocus().Alive());
    EXPECT_FALSE(tree.SetFocusedNode(tree.GetNext(tree.GetFirst())).TreeGone());
    TWindowCapture shot = tree.Capture();
    RECT top{22, 18, 62, 19};
    int dotted = shot.CountPixels(RGB(0, 0, 0), &top);
    if (hide)
      EXPECT_EQ(dotted, 0);
    else
      EXPECT_EQ(dotted, 20);
  }
}

TEST_F(TPaintFixture, DropMarkAndDropTarget) {
  struct TCase {
    TDropMode mode;
    POINT probe;
    COLORREF expected;
  };
  // The drop target is the second row (18 .. 36) of a 300 pixel row.
  const TCase cases[] = {{TDropMode::dpAbove, {10, 19}, kDropMark},    {TDropMode::dpAbove, {10, 33}, kWindowColor},
                         {TDropMode::dpBelow, {20, 33}, kDropMark},    {TDropMode::dpBelow, {10, 19}, kWindowColor},
                         {TDropMode::dpOnNode, {23, 19}, kDropTarget}, {TDropMode::dpOnNode, {10, 19}, kWindowColor}};
  for (const TCase& c : cases) {
    TPaintTree tree(host.Handle(), 300, 200, 3);
    tree.SetDropTarget(tree.GetNext(tree.GetFirst()), c.mode);
    TWindowCapture shot = tree.Capture();
    EXPECT_EQ(shot.Pixel(c.probe.x, c.probe.y), c.expected) << static_cast<int>(c.mode);
  }
}

// A part of the drop target's row painted alone (as under a drag image) shows the pixels of the whole row's
// painting: the mark is laid out over the row, not over the part.
TEST_F(TPaintFixture, DropMarkIsTheSameInAPartOfTheRow) {
  for (TDropMode mode : {TDropMode::dpAbove, TDropMode::dpBelow}) {
    TPaintTree tree(host.Handle(), 300, 200, 3);
    tree.SetDropTarget(tree.GetNext(tree.GetFirst()), mode);
    const TWindowCapture whole = tree.Capture();
    for (RECT part : {RECT{40, 18, 90, 36}, RECT{0, 20, 150, 30}, RECT{150, 18, 300, 36}}) {
      TWindowCapture painted(300, 200);
      TCanvas canvas;
      canvas.SetHandle(painted.DC());
      ASSERT_TRUE(tree.PaintTree(&canvas, part, POINT{part.left, part.top}, WindowPaintFlags).Alive());
      canvas.SetHandle(nullptr);
      for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x)
          ASSERT_EQ(painted.Pixel(x, y), whole.Pixel(x, y))
              << static_cast<int>(mode) << " part from " << part.left << " at " << x << "," << y;
    }
  }
}

// Descendants take over the cell content and the drop mark through the two virtual painters.
TEST_F(TPaintFixture, PaintingGoesThroughTheOverridablePainters) {
  class TOwnPainters : public TPaintTree {
   public:
    using TPaintTree::TPaintTree;
    std::vector<PTreeNode> cells;
    std::vector<std::pair<PTreeNode, RECT>> marks;

   protected:
    TNodeRaised PaintNode(TNodePaintInfo& paintInfo) override { return TBaseTree::PaintNode(paintInfo); }
    TNodeRaised DoPaintNode(TNodePaintInfo& paintInfo) override {
      cells.push_back(paintInfo.Node);
      return TNodeRaised(true, true);
    }
    void DoPaintDropMark(TCanvas*, PTreeNode node, const RECT& r) override { marks.push_back({node, r}); }
  };
  TOwnPainters tree(host.Handle(), 300, 200, 3);
  PTreeNode target = tree.GetNext(tree.GetFirst());
  tree.SetDropTarget(target, TDropMode::dpAbove);
  TWindowCapture shot = tree.Capture();
  EXPECT_EQ(tree.cells, (std::vector<PTreeNode>{tree.GetFirst(), target, tree.GetLast()}));
  ASSERT_EQ(tree.marks.size(), 1u);
  EXPECT_EQ(tree.marks[0].first, target);
  EXPECT_EQ(tree.marks[0].second.top, 0) << "the row's own coordinates";
  EXPECT_EQ(shot.Pixel(10, 19), kWindowColor) << "the override painted no mark";
}

TEST_F(TPaintFixture, GridLinesAndBands) {
  struct TCase {
    TTreePaintOptions options;
    TLineMode mode;
    int gridPixelsOnFirstBottom;  // of x 0 .. 299 at y 17
  };
  const TCase cases[] = {{{}, TLineMode::lmNormal, 0},
                         // Every other pixel, but the first row's tree line crosses it at 9.
                         {{PO::toShowHorzGridLines}, TLineMode::lmNormal, 149},
                         // Bands leave the indentation (18) to the band lines.
                         {{PO::toShowHorzGridLines}, TLineMode::lmBands, 141}};
  for (const TCase& c : cases) {
    TPaintTree tree(host.Handle(), 300, 200, 3);
    tree.TreeOptions()->SetPaintOptions(tree.TreeOptions()->PaintOptions() + c.options);
    tree.SetLineMode(c.mode);
    TWindowCapture shot = tree.Capture();
    RECT bottom{0, 17, 300, 18};
    EXPECT_EQ(shot.CountPixels(kGridColor, &bottom), c.gridPixelsOnFirstBottom) << static_cast<int>(c.mode);
    if (c.mode == TLineMode::lmBands) {
      RECT band{0, 0, 1, 17};  // the outer edge of the band level
      EXPECT_GT(shot.CountPixels(kGridColor, &band), 0);
    }
  }
}

TEST_F(TPaintFixture, BackgroundPictureTiles) {
  TPaintTree tree(host.Handle(), 300, 200, 3);
  TBitmap* picture = tree.Background()->Bitmap();
  picture->SetSize(2, 1);
  picture->Canvas()->SetPixels(0, 0, static_cast<TColor>(RGB(255, 0, 0)));
  picture->Canvas()->SetPixels(1, 0, static_cast<TColor>(RGB(0, 255, 0)));
  tree.TreeOptions()->SetPaintOptions(tree.TreeOptions()->PaintOptions() + PO::toShowBackground);
  tree.Invalidate();
  TWindowCapture shot = tree.Capture();
  KeepCaptureForViewing(shot, L"tree_background");
  for (int y : {5, 100}) {  // a row, and the area below the last row
    EXPECT_EQ(shot.Pixel(100, y), RGB(255, 0, 0)) << y;
    EXPECT_EQ(shot.Pixel(101, y), RGB(0, 255, 0)) << y;
  }
  tree.SetBackgroundOffsetX(1);
  TWindowCapture shifted = tree.Capture();
  EXPECT_EQ(shifted.Pixel(100, 100), RGB(0, 255, 0));
}

// With visual styles in use the buttons come from the tree-view theme and the check boxes from the button theme;
// the themed path paints something other than the classic glyphs.
TEST_F(TPaintFixture, VisualStylesPath) {
  environment.SetVisualStyles(true);
  if (!TTestEnvironment::VisualStylesActive()) GTEST_SKIP() << "no visual style active";
  TPaintTree tree(host.Handle(), 300, 200, 1);
  SendMessageW(tree.Handle(), WM_THEMECHANGED, 0, 0);
  ASSERT_TRUE(tree.TreeStates().Contains(TTreeState::stUseThemes));
  tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toCheckSupport);
  PTreeNode node = tree.GetFirst();
  tree.SetCheckType(node, TCheckType::ctCheckBox);
  TWindowCapture themed = tree.Capture();
  TWindowCapture classic(16, 16);
  classic.Fill(kWindowColor);
  ImageList_Draw(LightCheckImages(), 9, classic.DC(), 0, 0, ILD_TRANSPARENT);
  int differing = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) differing += themed.Pixel(22 + x, 1 + y) != classic.Pixel(x, y);
  EXPECT_GT(differing, 0);
  RECT check{22, 1, 38, 17};
  EXPECT_LT(themed.CountPixels(kWindowColor, &check), 256);
  // Turning the tree's theme awareness off paints classic again.
  tree.TreeOptions()->SetPaintOptions(tree.TreeOptions()->PaintOptions() - PO::toThemeAware);
  SendMessageW(tree.Handle(), WM_THEMECHANGED, 0, 0);
  EXPECT_FALSE(tree.TreeStates().Contains(TTreeState::stUseThemes));
}

// The button theme's parts the check images use, on a background of stripes, drawn twice (the first draw keeps a
// part, the second paints what was kept), come out as the theme draws them; so do they after the theme data was
// opened again.
TEST_F(TPaintFixture, ThemedCheckPartsAsTheThemeDrawsThem) {
  environment.SetVisualStyles(true);
  if (!TTestEnvironment::VisualStylesActive()) GTEST_SKIP() << "no visual style active";
  TPaintResources resources;
  ASSERT_TRUE(resources.OpenThemes(host.Handle(), true));
  auto background = [](TWindowCapture& shot) {
    const COLORREF stripes[] = {RGB(255, 255, 255), RGB(0, 0, 0), RGB(12, 200, 99), RGB(255, 0, 255)};
    for (int y = 0; y < shot.Height(); ++y)
      for (int x = 0; x < shot.Width(); ++x) shot.SetPixel(x, y, stripes[(x + 2 * y) % 4]);
  };
  const struct {
    int Part;
    int States;
  } parts[] = {{BP_CHECKBOX, 12}, {BP_RADIOBUTTON, 8}, {BP_PUSHBUTTON, 4}};
  TWindowCapture plain(20, 20);
  background(plain);
  int cases = 0, painted = 0;
  for (int round = 0; round < 3; ++round) {
    if (round == 2) {
      ASSERT_TRUE(resources.OpenThemes(host.Handle(), true));
    }
    for (const auto& part : parts) {
      for (int state = 1; state <= part.States; ++state) {
        TWindowCapture ours(20, 20), theirs(20, 20);
        background(ours);
        background(theirs);
        const RECT r{2, 3, 18, 19};
        resources.DrawButtonPart(ours.DC(), part.Part, state, r);
        resources.ButtonTheme()->DrawBackground(theirs.DC(), part.Part, state, r);
        EXPECT_EQ(ours.CountDifferentPixels(theirs), 0) << "part " << part.Part << ", state " << state << ", round "
                                                        << round;
        ++cases;
        painted += ours.CountDifferentPixels(plain) > 0;
      }
    }
  }
  // Every part was painted, none left out.
  EXPECT_EQ(painted, cases);
}

// A handler that raises while the tree paints reaches the caller (or, painting the window, the application); the
// paint leaves no GDI object behind and the tree no longer painting, wherever the handler sits: before the rows,
// in a row, in a cell, below the rows, after them.
TEST_F(TPaintFixture, PaintsWhoseHandlersRaiseLeaveNothingBehind) {
  struct TCase {
    const char* name;
    void (*arm)(TStringTree&, bool& raise);
    bool frameOnly = false;  // painted with the window's frame only
  };
  const TCase cases[] = {
      {"OnBeforePaint",
       [](TStringTree& t, bool& raise) {
         t.OnBeforePaint = [&raise](TBaseTree*, TCanvas*) {
           if (raise) throw Exception(L"raised");
         };
       }},
      {"OnBeforeItemErase",
       [](TStringTree& t, bool& raise) {
         t.OnBeforeItemErase = [&raise](TBaseTree*, TCanvas*, PTreeNode, const RECT&, TColor&, TItemEraseAction&) {
           if (raise) throw Exception(L"raised");
         };
       }},
      {"OnGetText",
       [](TStringTree& t, bool& raise) {
         t.OnGetText = [&raise](TBaseTree*, PTreeNode, TColumnIndex column, TVSTTextType, String& text) {
           if (raise && column == 1) throw Exception(L"raised");
           text = L"Text";
         };
       }},
      {"OnAfterCellPaint",
       [](TStringTree& t, bool& raise) {
         t.OnAfterCellPaint = [&raise](TBaseTree*, TCanvas*, PTreeNode, TColumnIndex, const RECT&) {
           if (raise) throw Exception(L"raised");
         };
       }},
      {"OnPaintBackground",
       [](TStringTree& t, bool& raise) {
         t.OnPaintBackground = [&raise](TBaseTree*, TCanvas*, const RECT&, bool&) {
           if (raise) throw Exception(L"raised");
         };
       }},
      {"OnAfterPaint",
       [](TStringTree& t, bool& raise) {
         t.OnAfterPaint = [&raise](TBaseTree*, TCanvas*) {
           if (raise) throw Exception(L"raised");
         };
       }},
      {"OnHeaderDraw",
       [](TStringTree& t, bool& raise) {
         EXPECT_TRUE(
             t.Header()
                 ->SetOptions(t.Header()->Options() + TTreeHeaderOption::hoVisible + TTreeHeaderOption::hoOwnerDraw)
                 .Alive());
         t.Header()->Columns()->Items(0)->SetStyle(TTreeColumnStyle::vsOwnerDraw);
         t.OnHeaderDraw = [&raise](TTreeHeader*, TCanvas*, TTreeColumn*, const RECT&, bool, bool, TTreeDropMarkMode) {
           if (raise) throw Exception(L"raised");
         };
       },
       true},
  };
  int reported = 0;
  const TExceptionEvent oldHandler = Application->OnException;
  Application->OnException = [&reported](TObject*, const Exception&) { ++reported; };
  TBitmap target;
  target.SetSize(200, 200);
  const RECT window{0, 0, 200, 200};
  for (const TCase& c : cases) {
    TStringTree tree(nullptr);
    EXPECT_TRUE(tree.SetParentWindow(host.Handle()).Alive());
    EXPECT_TRUE(tree.SetBounds(0, 0, 200, 200).Alive());
    tree.HandleNeeded();
    EXPECT_TRUE(tree.SetVisible(true).Alive());
    for (int width : {90, 90}) EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(width).Alive());
    EXPECT_TRUE(tree.SetRootNodeCount(4).Alive());
    bool raise = false;
    c.arm(tree, raise);
    // The first paints make what the tree keeps for all its paints.
    ASSERT_TRUE(tree.PaintTree(target.Canvas(), window, POINT{0, 0}, WindowPaintFlags).Alive());
    UpdateWindow(tree.Handle());
    const int room = GdiRoom();
    raise = true;
    int raised = 0;
    reported = 0;
    for (int i = 0; i < 100; ++i) {
      try {
        EXPECT_TRUE(tree.PaintTree(target.Canvas(), window, POINT{0, 0}, WindowPaintFlags).Alive());
      } catch (const Exception&) {
        ++raised;
      }
      RedrawWindow(tree.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    EXPECT_EQ(raised, c.frameOnly ? 0 : 100) << c.name;
    EXPECT_EQ(reported, 100) << c.name;
    EXPECT_FALSE(tree.TreeStates().Contains(TTreeState::stPainting)) << c.name;
    EXPECT_EQ(GdiRoom(), room) << c.name;
  }
  Application->OnException = oldHandler;
}

}  // namespace
}  // namespace tree_test

// Which hint a tree shows where the mouse rests: CM_HINTSHOW over a table of hint modes and positions (node, empty
// area, header, cut-off and whole texts), the pause CM_HINTSHOWPAUSE asks for, and the animation a hint runs.
#include <gtest/gtest.h>

#include "framework/application.h"
#include "paint_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"
#include "tree/tree_hint_window.h"
#include "tree/tree_unit.h"

namespace tree_test {
namespace {

// Five rows of 18 pixels in a client of 200 x 150; hints and tooltips name the row.
struct THintTree : TPaintTree {
  explicit THintTree(HWND host) : TPaintTree(host, 200, 150, 5) {
    SetShowHint(true);
    SetHint(L"tree hint|the long one");
  }
  using TBaseTree::DoGetAnimationType;
  int Row(PTreeNode node) { return node ? static_cast<int>(GetNodeTop(node)) / DefaultNodeHeight() : -1; }
  TNodeRaised DoGetNodeHint(PTreeNode node, TColumnIndex, String& hint) override {
    hint = L"hint " + std::to_wstring(Row(node));
    return TNodeRaised(true, true);
  }
  TNodeRaised DoGetNodeTooltip(PTreeNode node, TColumnIndex, String& tooltip) override {
    tooltip = L"tip " + std::to_wstring(Row(node));
    return TNodeRaised(true, true);
  }
};

struct TAnswer {
  LRESULT result;
  THintInfo info;
};

TAnswer AskHint(TBaseTree& tree, POINT at) {
  TAnswer answer;
  answer.info.HintControl = &tree;
  answer.info.CursorPos = at;
  answer.info.HintStr = GetShortHint(tree.Hint());
  answer.info.HintPos = POINT{-1, -1};
  answer.result = SendMessageW(tree.Handle(), CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&answer.info));
  return answer;
}

}  // namespace

TEST(TreeHints, DecisionsByModeAndPosition) {
  TTestWindow host{RECT{50, 50, 400, 400}};
  THintTree tree(host.Handle());
  const POINT onRow1{10, 20}, belowRows{10, 120};
  struct TCase {
    const char* name;
    TTreeHintMode mode;
    POINT at;
    int contentWidth;
    bool shown;
    const wchar_t* text;
    bool treeWindow;  // the tree's own hint window class with the node's data
    bool overText;    // placed over the node's text rather than below the mouse
  };
  const TCase cases[] = {
      {"default: the control's hint on a node", TTreeHintMode::hmDefault, onRow1, 40, true, L"tree hint", false, false},
      {"default: the control's hint anywhere", TTreeHintMode::hmDefault, belowRows, 40, true, L"tree hint", false,
       false},
      {"hint on a node", TTreeHintMode::hmHint, onRow1, 40, true, L"hint 1", true, false},
      {"hint below the rows: none", TTreeHintMode::hmHint, belowRows, 40, false, L"", false, false},
      {"hint and default on a node", TTreeHintMode::hmHintAndDefault, onRow1, 40, true, L"hint 1", true, false},
      {"hint and default below the rows", TTreeHintMode::hmHintAndDefault, belowRows, 40, true, L"tree hint", false,
       false},
      {"tooltip of a whole text: none", TTreeHintMode::hmTooltip, onRow1, 40, false, L"", false, false},
      {"tooltip of a cut-off text", TTreeHintMode::hmTooltip, onRow1, 400, true, L"tip 1", true, true},
      {"tooltip below the rows: none", TTreeHintMode::hmTooltip, belowRows, 400, false, L"", false, false},
  };
  for (const TCase& c : cases) {
    tree.SetHintMode(c.mode);
    tree.contentWidth = c.contentWidth;
    TAnswer answer = AskHint(tree, c.at);
    EXPECT_EQ(answer.result == 0, c.shown) << c.name;
    if (!c.shown) continue;
    EXPECT_EQ(answer.info.HintStr, c.text) << c.name;
    EXPECT_EQ(answer.info.HintWindowClass == TTreeHintWindow::StaticClass(), c.treeWindow) << c.name;
    if (c.treeWindow) {
      auto* data = static_cast<TTreeHintData*>(answer.info.HintData);
      ASSERT_NE(data, nullptr) << c.name;
      EXPECT_EQ(data->Tree, &tree) << c.name;
      EXPECT_EQ(data->Node, tree.GetNodeAt(c.at.x, c.at.y)) << c.name;
      RECT row = tree.GetDisplayRect(data->Node, NoColumn, false);
      EXPECT_TRUE(EqualRect(&answer.info.CursorRect, &row))
          << c.name << ": the hint stays while the mouse stays in the cell";
    }
    if (c.overText) {
      RECT text = tree.GetDisplayRect(tree.GetNodeAt(c.at.x, c.at.y), NoColumn, true, true);
      POINT expected = tree.ClientToScreen(POINT{text.left - 1, text.top - 1});
      EXPECT_EQ(answer.info.HintPos.x, expected.x) << c.name;
      EXPECT_EQ(answer.info.HintPos.y, expected.y) << c.name;
    } else {
      EXPECT_EQ(answer.info.HintPos.x, -1) << c.name << ": below the mouse, where the application puts it";
    }
  }
}

TEST(TreeHints, NoneWhileCapturedOrOff) {
  TTestWindow host{RECT{50, 50, 400, 400}};
  THintTree tree(host.Handle());
  tree.SetHintMode(TTreeHintMode::hmHint);
  ASSERT_EQ(AskHint(tree, POINT{10, 20}).result, 0);
  SetCapture(host.Handle());
  EXPECT_NE(AskHint(tree, POINT{10, 20}).result, 0) << "a window holds the mouse";
  ReleaseCapture();
  tree.SetShowHint(false);
  EXPECT_NE(AskHint(tree, POINT{10, 20}).result, 0);
}

TEST(TreeHints, ColumnHintOverTheHeader) {
  TTestWindow host{RECT{50, 50, 400, 400}};
  THintTree tree(host.Handle());
  EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(80).Alive());
  EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(80).Alive());
  tree.Header()->Columns()->Items(1)->SetHint(L"second column");
  EXPECT_TRUE(tree.Header()
                  ->SetOptions(tree.Header()->Options() + TTreeHeaderOption::hoVisible + TTreeHeaderOption::hoShowHint)
                  .Alive());
  tree.SetHintMode(TTreeHintMode::hmHint);
  TAnswer answer = AskHint(tree, POINT{100, -5});
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.info.HintStr, L"second column");
  EXPECT_LT(answer.info.CursorRect.top, 0) << "the header's band lies above the client area";
  // Over a row the node's hint names its column.
  answer = AskHint(tree, POINT{100, 20});
  EXPECT_EQ(answer.info.HintStr, L"hint 1");
  EXPECT_EQ(static_cast<TTreeHintData*>(answer.info.HintData)->Column, 1);
  EXPECT_EQ(answer.info.CursorRect.left, 80);
  EXPECT_EQ(answer.info.CursorRect.right, 160);
}

TEST(TreeHints, PauseByModeOncePrepared) {
  TTestWindow host{RECT{50, 50, 400, 400}};
  THintTree tree(host.Handle());
  struct TCase {
    TTreeHintMode mode;
    bool prepared;
    int pause;
  };
  const TCase cases[] = {{TTreeHintMode::hmHint, false, 0},
                         {TTreeHintMode::hmHint, true, 500},
                         {TTreeHintMode::hmDefault, true, 500},
                         {TTreeHintMode::hmTooltip, true, 0},
                         {TTreeHintMode::hmTooltip, false, 0}};
  for (const TCase& c : cases) {
    tree.SetHintMode(c.mode);
    if (c.prepared)
      tree.DoStateChange({TTreeState::stHintPrepared});
    else
      tree.DoStateChange({}, {TTreeState::stHintPrepared});
    int pause = 500;
    SendMessageW(tree.Handle(), CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
    EXPECT_EQ(pause, c.pause) << static_cast<int>(c.mode) << " prepared " << c.prepared;
  }
}

TEST(TreeHints, FadingNeedsBlending) {
  TTestWindow host{RECT{50, 50, 400, 400}};
  THintTree tree(host.Handle());
  bool saved = HasMMX;
  for (bool mmx : {true, false}) {
    HasMMX = mmx;
    EXPECT_EQ(tree.DoGetAnimationType(THintAnimationType::hatFade),
              mmx ? THintAnimationType::hatFade : THintAnimationType::hatSlide);
    EXPECT_EQ(tree.DoGetAnimationType(THintAnimationType::hatSlide), THintAnimationType::hatSlide);
  }
  HasMMX = saved;
}

TEST(TreeHints, AssignCopiesTheHintSettings) {
  TTestTree source, target;
  source.SetHintMode(TTreeHintMode::hmTooltip);
  source.SetHintAnimation(THintAnimationType::hatSlide);
  target.Assign(&source);
  EXPECT_EQ(target.HintMode(), TTreeHintMode::hmTooltip);
  EXPECT_EQ(target.HintAnimation(), THintAnimationType::hatSlide);
}

TEST(TreeHints, DataReachesTheHintWindow) {
  TTestWindow host{RECT{50, 50, 400, 400}};
  THintTree tree(host.Handle());
  tree.SetHintMode(TTreeHintMode::hmHint);
  TAnswer answer = AskHint(tree, POINT{10, 40});
  TTreeHintWindow window(nullptr);
  RECT r = window.CalcHintRect(400, answer.info.HintStr, answer.info.HintData);
  EXPECT_FALSE(IsRectEmpty(&r));
  EXPECT_EQ(window.HintData().HintText, L"hint 2");
}

}  // namespace tree_test

// Keyboard navigation by real WM_KEYDOWN messages, and the answers to the window's other messages: dialog codes,
// font and size changes, scroll bars, non-client painting.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "paint_tree.h"
#include "tree/node_slab.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree_test {
namespace {

using SO = TTreeSelectionOption;

// A tree of ten top-level nodes of which the first and the fourth hold three children each (collapsed).
struct TKeyboardFixture : TPaintFixture {
  TPaintTree tree{host.Handle(), 300, 180, 10};
  TKeyboardFixture() {
    EXPECT_FALSE(tree.SetChildCount(Top(0), 3).TreeGone());
    EXPECT_FALSE(tree.SetChildCount(Top(3), 3).TreeGone());
    EXPECT_TRUE(tree.SetFocus().Alive());
  }
  PTreeNode Top(int index) {
    PTreeNode node = tree.GetFirst();
    while (index-- > 0) node = tree.GetNextSibling(node);
    return node;
  }
  // The visible position of the focused node, -1 for none.
  int FocusIndex() {
    int index = 0;
    for (PTreeNode node = tree.GetFirstVisible(); node; node = tree.GetNextVisible(node), ++index)
      if (node == tree.FocusedNode()) return index;
    return -1;
  }
};

TEST_F(TKeyboardFixture, NavigationMatrix) {
  struct TCase {
    const char* name;
    int startFocus;  // visible index, -1 for none
    std::vector<WORD> keys;
    int focus;     // visible index afterwards
    int expanded;  // top-level index expected expanded, -1 for none
  };
  const TCase cases[] = {
      {"down", 0, {VK_DOWN}, 1, -1},
      {"down at the end repaints only", 9, {VK_DOWN}, 9, -1},
      {"up without focus takes the last", -1, {VK_UP}, 9, -1},
      {"down without focus takes the first", -1, {VK_DOWN}, 0, -1},
      {"home", 5, {VK_HOME}, 0, -1},
      {"end", 2, {VK_END}, 9, -1},
      {"right expands", 0, {VK_RIGHT}, 0, 0},
      {"right twice enters the first child", 0, {VK_RIGHT, VK_RIGHT}, 1, 0},
      {"left from a child goes to its parent", 0, {VK_RIGHT, VK_RIGHT, VK_LEFT}, 0, 0},
      {"left collapses", 0, {VK_RIGHT, VK_LEFT}, 0, -1},
      {"left on a collapsed top node stays", 2, {VK_LEFT}, 2, -1},
      {"backspace goes to the parent", 0, {VK_RIGHT, VK_DOWN, VK_DOWN, VK_BACK}, 0, 0},
      {"plus expands", 3, {VK_ADD}, 3, 3},
      {"plus of the main keyboard expands", 3, {VK_OEM_PLUS}, 3, 3},
      {"minus collapses", 3, {VK_ADD, VK_SUBTRACT}, 3, -1},
      {"multiply expands fully", 0, {VK_MULTIPLY}, 0, 0},
      {"page down", 0, {VK_NEXT}, 9, -1},
      {"page up", 9, {VK_PRIOR}, 0, -1},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.FullCollapse().Alive());
    EXPECT_TRUE(tree.ClearSelection().Alive());
    EXPECT_FALSE(tree.SetFocusedNode(c.startFocus < 0 ? nullptr : Top(c.startFocus)).TreeGone());
    for (WORD key : c.keys) tree.Press(key);
    EXPECT_EQ(FocusIndex(), c.focus) << c.name;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(tree.Expanded(Top(i)), i == c.expanded) << c.name << " " << i;
    // A navigation key without modifiers leaves the focused node the one selected node; the others select nothing.
    bool navigated = c.keys.back() == VK_BACK || (c.keys.back() >= VK_PRIOR && c.keys.back() <= VK_DOWN);
    EXPECT_EQ(tree.SelectedCount(), navigated ? 1u : 0u) << c.name;
    EXPECT_EQ(tree.Selected(tree.FocusedNode()), navigated) << c.name;
  }
}

TEST_F(TKeyboardFixture, PageDownStepsOneClientHeight) {
  TPaintTree big(host.Handle(), 300, 180, 100);
  EXPECT_TRUE(big.SetFocus().Alive());
  EXPECT_FALSE(big.SetFocusedNode(big.GetFirst()).TreeGone());
  big.Press(VK_NEXT);
  // Ten rows of 18 fill the client height of 180: the eleventh row gets the focus.
  EXPECT_EQ(big.FocusedNode()->Index, 10u);
  big.Press(VK_PRIOR);
  EXPECT_EQ(big.FocusedNode()->Index, 0u);
}

TEST_F(TKeyboardFixture, ModifierCombinations) {
  struct TCase {
    const char* name;
    bool multiSelect;
    std::vector<WORD> keys;
    std::initializer_list<BYTE> held;
    std::uint32_t selected;
    int focus;
  };
  const TCase cases[] = {
      {"shift down extends with multi-selection", true, {VK_DOWN, VK_DOWN}, {VK_SHIFT}, 3, 2},
      {"shift down moves only without it", false, {VK_DOWN, VK_DOWN}, {VK_SHIFT}, 1, 2},
      {"shift end selects the range", true, {VK_END}, {VK_SHIFT}, 10, 9},
      {"shift down then up shrinks", true, {VK_DOWN, VK_DOWN, VK_UP}, {VK_SHIFT}, 2, 1},
      {"ctrl A selects every visible node", true, {'A'}, {VK_CONTROL}, 10, 0},
      {"ctrl down scrolls without moving", true, {VK_DOWN}, {VK_CONTROL}, 1, 0},
  };
  for (const TCase& c : cases) {
    TTreeSelectionOptions options = tree.TreeOptions()->SelectionOptions();
    EXPECT_TRUE(tree.TreeOptions()
                    ->SetSelectionOptions(c.multiSelect ? options + SO::toMultiSelect : options - SO::toMultiSelect)
                    .Alive());
    EXPECT_TRUE(tree.FullCollapse().Alive());
    EXPECT_TRUE(tree.ClearSelection().Alive());
    EXPECT_FALSE(tree.SetFocusedNode(Top(0)).TreeGone());
    tree.Press(VK_HOME);
    for (WORD key : c.keys) tree.Press(key, c.held);
    EXPECT_EQ(tree.SelectedCount(), c.selected) << c.name;
    EXPECT_EQ(FocusIndex(), c.focus) << c.name;
  }
}

// Shift+Up shrinking a range takes the focused row out of the selection before the focus moves: OnChange of that
// may delete the row the focus goes to, and the focus then stays where it was.
TEST_F(TKeyboardFixture, ARangeShrunkWhoseChangeDeletesTheNextFocusKeepsTheFocus) {
  // A touch of a freed node faults at once.
  TNodeSlab::SetGuardFreedBlocks(true);
  {
    TPaintTree rows(host.Handle(), 300, 180, 10);
    EXPECT_TRUE(rows.SetFocus().Alive());
    EXPECT_TRUE(rows.TreeOptions()->SetSelectionOptions({SO::toMultiSelect}).Alive());
    EXPECT_FALSE(rows.SetFocusedNode(rows.GetFirst()).TreeGone());
    rows.Press(VK_HOME);
    for (int step = 0; step < 2; ++step) rows.Press(VK_DOWN, {VK_SHIFT});
    ASSERT_EQ(rows.SelectedCount(), 3u);
    PTreeNode focused = rows.FocusedNode();
    PTreeNode target = rows.GetPreviousSibling(focused);
    bool armed = true;
    rows.OnChange = [&](TBaseTree* sender, PTreeNode) {
      if (std::exchange(armed, false)) EXPECT_TRUE(sender->DeleteNode(target).Alive());
    };
    rows.Press(VK_UP, {VK_SHIFT});
    EXPECT_FALSE(armed);
    EXPECT_EQ(rows.FocusedNode(), focused);
    EXPECT_EQ(rows.SelectedCount(), 2u);
    EXPECT_EQ(CheckInvariants(rows), "");
  }
  TNodeSlab::SetGuardFreedBlocks(false);
}

TEST_F(TKeyboardFixture, ScrollingKeys) {
  TPaintTree big(host.Handle(), 300, 180, 100);
  EXPECT_TRUE(big.SetFocus().Alive());
  EXPECT_FALSE(big.SetFocusedNode(big.GetFirst()).TreeGone());
  big.Press(VK_DOWN, {VK_CONTROL});
  EXPECT_EQ(big.OffsetY(), -18);
  EXPECT_EQ(big.FocusedNode(), big.GetFirst());
  big.Press(VK_NEXT, {VK_CONTROL});
  EXPECT_EQ(big.OffsetY(), -198);
  big.Press(VK_END, {VK_CONTROL});
  // The view shows the last node, the focus and selection stay.
  EXPECT_EQ(big.OffsetY(), 180 - 1800);
  EXPECT_EQ(big.FocusedNode(), big.GetFirst());
  EXPECT_EQ(big.SelectedCount(), 1u);
  big.Press(VK_HOME, {VK_CONTROL});
  EXPECT_EQ(big.OffsetY(), 0);
}

TEST_F(TKeyboardFixture, SpacePressesCheckBoxUntilRelease) {
  tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toCheckSupport);
  PTreeNode node = Top(1);
  tree.SetCheckType(node, TCheckType::ctCheckBox);
  EXPECT_FALSE(tree.SetFocusedNode(node).TreeGone());
  std::vector<TCheckState> checked;
  tree.OnChecked = [&](TBaseTree*, PTreeNode n) { checked.push_back(n->CheckState); };
  SendMessageW(tree.Handle(), WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(node->CheckState, TCheckState::csUncheckedPressed);
  EXPECT_TRUE(checked.empty());
  SendMessageW(tree.Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
  EXPECT_EQ(node->CheckState, TCheckState::csCheckedNormal);
  EXPECT_EQ(checked, std::vector<TCheckState>{TCheckState::csCheckedNormal});
  // A refused check leaves the node alone.
  tree.OnChecking = [](TBaseTree*, PTreeNode, TCheckState&, bool& allowed) { allowed = false; };
  tree.Press(VK_SPACE);
  EXPECT_EQ(node->CheckState, TCheckState::csCheckedNormal);
  // The focus moving away before the release: the node is not toggled and does not stay pressed.
  tree.OnChecking = nullptr;
  SendMessageW(tree.Handle(), WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_FALSE(tree.SetFocusedNode(Top(2)).TreeGone());
  SendMessageW(tree.Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
  EXPECT_EQ(node->CheckState, TCheckState::csCheckedNormal);
  // Space on a node without a check box goes to incremental search.
  SendMessageW(tree.Handle(), WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_TRUE(tree.TreeStates().Contains(TTreeState::stSearchPending));
  SendMessageW(tree.Handle(), WM_CHAR, L' ', 1);
  EXPECT_FALSE(tree.TreeStates().Contains(TTreeState::stSearchPending));
}

TEST_F(TKeyboardFixture, KeyActionMaySuppressHandling) {
  EXPECT_FALSE(tree.SetFocusedNode(Top(0)).TreeGone());
  tree.OnKeyAction = [](TBaseTree*, WORD& key, TShiftState&, bool& doDefault) { doDefault = key != VK_DOWN; };
  tree.Press(VK_DOWN);
  EXPECT_EQ(FocusIndex(), 0);
  tree.Press(VK_END);
  EXPECT_EQ(FocusIndex(), 9);
}

TEST_F(TKeyboardFixture, WindowMessageAnswers) {
  EXPECT_EQ(SendMessageW(tree.Handle(), WM_GETDLGCODE, 0, 0), 0x81);
  tree.SetWantTabs(true);
  EXPECT_EQ(SendMessageW(tree.Handle(), WM_GETDLGCODE, 0, 0), 0x83);
  EXPECT_EQ(SendMessageW(tree.Handle(), WM_ERASEBKGND, 0, 0), 1);
  EXPECT_EQ(SendMessageW(tree.Handle(), WM_NCPAINT, 1, 0), 0);
}

TEST_F(TKeyboardFixture, ScrollMessages) {
  TPaintTree big(host.Handle(), 300, 180, 100);
  big.ScrollBarOptions()->SetVerticalIncrement(20);
  struct TCase {
    WORD code;
    int offset;
  };
  // Content of 1800 in a client of 180: offsets run from 0 to -1620.
  const TCase cases[] = {{SB_LINEDOWN, -20}, {SB_LINEDOWN, -40}, {SB_PAGEDOWN, -220},
                         {SB_LINEUP, -200},  {SB_PAGEUP, -20},   {SB_PAGEUP, 0},
                         {SB_BOTTOM, -1620}, {SB_TOP, 0},        {SB_ENDSCROLL, 0}};
  for (const TCase& c : cases) {
    EXPECT_EQ(SendMessageW(big.Handle(), WM_VSCROLL, c.code, 0), 0);
    EXPECT_EQ(big.OffsetY(), c.offset) << c.code;
  }
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(big.Handle(), SB_VERT, &info));
  EXPECT_EQ(info.nMax, 1800);
  // A taller window needs a smaller scroll range.
  SetWindowPos(big.Handle(), nullptr, 0, 0, 300, 900, SWP_NOMOVE | SWP_NOZORDER);
  info.fMask = SIF_PAGE;
  GetScrollInfo(big.Handle(), SB_VERT, &info);
  EXPECT_EQ(info.nPage, static_cast<UINT>(big.ClientHeight()));
  EXPECT_GT(big.ClientHeight(), 800);
}

// Without columns the right end is where the widest row ends, not at the columns' width of 0.
TEST_F(TKeyboardFixture, HorizontalScrollToTheRightEndWithoutColumns) {
  TPaintTree narrow(host.Handle(), 60, 180, 20);
  SendMessageW(narrow.Handle(), WM_HSCROLL, SB_RIGHT, 0);
  const int rightEnd = narrow.OffsetX();
  EXPECT_LT(rightEnd, 0);
  SendMessageW(narrow.Handle(), WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(narrow.OffsetX(), rightEnd) << "already at the right end";
  SendMessageW(narrow.Handle(), WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(narrow.OffsetX(), 0);
}

TEST_F(TKeyboardFixture, ApplicationsKeyOpensTheMenuOverTheShownPartOfTheText) {
  struct TCase {
    const char* name;
    int contentWidth;
    int columnWidth;  // 0: no columns
    int shownWidth;   // the part of the text the menu point centres on
  };
  const TCase cases[] = {
      {"short text, no columns", 40, 0, 40},
      {"text wider than the window", 5000, 0, 300},
      {"short text in a column", 40, 120, 40},
      {"text wider than its column", 5000, 120, 120},
  };
  for (const TCase& c : cases) {
    TPaintTree menuTree(host.Handle(), 300, 180, 5);
    menuTree.contentWidth = c.contentWidth;
    if (c.columnWidth > 0) {
      EXPECT_TRUE(menuTree.Header()->Columns()->Add()->SetWidth(c.columnWidth).Alive());
      EXPECT_TRUE(menuTree.Header()->Columns()->Add()->SetWidth(100).Alive());
      EXPECT_TRUE(menuTree.Header()->SetOptions(menuTree.Header()->Options() + TTreeHeaderOption::hoVisible).Alive());
    }
    std::vector<POINT> asked;
    menuTree.OnGetPopupMenu = [&](TBaseTree*, PTreeNode, TColumnIndex, POINT point, bool&, TPopupMenu*&) {
      asked.push_back(point);
    };
    menuTree.Press(VK_APPS);
    EXPECT_TRUE(asked.empty()) << c.name << ": no focused node, no menu";
    PTreeNode node = menuTree.GetFirstVisible();
    node = menuTree.GetNextVisible(node);
    EXPECT_FALSE(menuTree.SetFocusedNode(node).TreeGone());
    if (c.columnWidth > 0) EXPECT_TRUE(menuTree.SetFocusedColumn(0).Alive());
    menuTree.Press(VK_APPS);
    ASSERT_EQ(asked.size(), 1u) << c.name;
    const RECT text = menuTree.GetDisplayRect(node, menuTree.FocusedColumn(), true);
    EXPECT_EQ(asked[0].x, text.left + c.shownWidth / 2) << c.name;
    EXPECT_EQ(asked[0].y, (text.top + text.bottom) / 2) << c.name;
  }
}

TEST_F(TKeyboardFixture, FontChangeRebuildsButtons) {
  tree.Font()->SetColor(static_cast<TColor>(RGB(0, 0, 250)));
  TWindowCapture shot = tree.Capture();
  // The plus sign of the first node's button, in the new font colour.
  EXPECT_EQ(shot.Pixel(9, 7), RGB(0, 0, 250));
  HFONT font = CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  SendMessageW(tree.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_EQ(tree.Capture().Pixel(9, 7), RGB(0, 0, 250));
  tree.Font()->SetHandle(nullptr);
  DeleteObject(font);
}

}  // namespace
}  // namespace tree_test

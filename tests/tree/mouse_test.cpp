// The mouse by real button, move, wheel and cursor messages: what a point hits, how clicks change focus and
// selection, check boxes, the delayed edit start, the rubber band, hot tracking, the wheel and the cursor.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "framework/image_list.h"
#include "framework/messages.h"
#include "framework/screen.h"
#include "paint_tree.h"
#include "support/modal_input.h"
#include "test_edit_link.h"
#include "tree/node_slab.h"
#include "tree/tree_drag_manager.h"
#include "tree/tree_header.h"

using Microsoft::WRL::ComPtr;

namespace tree_test {
namespace {

using HP = TNodeHitPosition;
using SO = TTreeSelectionOption;
using TS = TTreeState;

constexpr int RowHeight = 18;
int RowY(int row) { return row * RowHeight + RowHeight / 2; }
// Without check boxes and images, a top-level label starts after the root level's indent (18) and the margin (4)
// and is contentWidth (40) wide.
constexpr int LabelX = 30;
constexpr int EmptyX = 200;

class TMouseTree : public TPaintTree {
 public:
  using TBaseTree::DetermineScrollDirections;
  using TBaseTree::DoStateChange;
  using TBaseTree::HasState;
  using TPaintTree::TPaintTree;
  // Columns listed here count as empty cells in every row.
  std::set<TColumnIndex> emptyColumns;

 protected:
  bool ColumnIsEmpty(PTreeNode, TColumnIndex column) override { return emptyColumns.count(column) > 0; }
};

struct TMouseFixture : TPaintFixture {
  TMouseTree tree{host.Handle(), 300, 180, 10};
  TMouseFixture() { EXPECT_TRUE(tree.SetFocus().Alive()); }

  PTreeNode Top(int index) {
    PTreeNode node = tree.GetFirst();
    while (index-- > 0) node = tree.GetNextSibling(node);
    return node;
  }
  LRESULT Send(UINT msg, int x, int y, WPARAM keys = 0) {
    return SendMessageW(tree.Handle(), msg, keys, MAKELPARAM(x, y));
  }
  void Click(int x, int y, WPARAM keys = 0) {
    Send(WM_LBUTTONDOWN, x, y, keys | MK_LBUTTON);
    Send(WM_LBUTTONUP, x, y, keys);
  }
  void SetSelectionOption(SO option, bool on) {
    TTreeSelectionOptions options = tree.TreeOptions()->SelectionOptions();
    EXPECT_TRUE(tree.TreeOptions()->SetSelectionOptions(on ? options + option : options - option).Alive());
  }
  void SetMiscOption(TTreeMiscOption option, bool on) {
    TTreeMiscOptions options = tree.TreeOptions()->MiscOptions();
    tree.TreeOptions()->SetMiscOptions(on ? options + option : options - option);
  }
  // The top-level indexes of the selected nodes.
  std::set<int> SelectedRows() {
    std::set<int> rows;
    int index = 0;
    for (PTreeNode node = tree.GetFirst(); node; node = tree.GetNextSibling(node), ++index)
      if (tree.Selected(node)) rows.insert(index);
    return rows;
  }
  int FocusRow() { return tree.FocusedNode() ? static_cast<int>(tree.FocusedNode()->Index) : -1; }
};

// Row 0 has children, a check box, a state image and a normal image; the parts follow one another from the reading
// edge: indent 0-17 (button), margin 18-21, check box 22-39, state image 40-57, normal image 58-75, label 76-115.
TEST_F(TMouseFixture, HitPositionsInBothReadingDirections) {
  TImageList images;
  images.SetSize(16, 16);
  tree.SetImages(&images);
  tree.SetStateImages(&images);
  tree.OnGetImageIndex = [](TBaseTree*, PTreeNode node, TTreeImageKind, TColumnIndex, bool&, int& index) {
    if (node->Index == 0) index = 0;
  };
  SetMiscOption(TTreeMiscOption::toCheckSupport, true);
  tree.SetCheckType(Top(0), TCheckType::ctCheckBox);
  EXPECT_FALSE(tree.SetChildCount(Top(0), 2).TreeGone());

  struct TCase {
    TBiDiMode bidi;
    TAlignment alignment;
    int row, x;
    THitPositions expected;
  };
  const auto LTR = TBiDiMode::bdLeftToRight, RTL = TBiDiMode::bdRightToLeft;
  const auto left = TAlignment::taLeftJustify, right = TAlignment::taRightJustify, center = TAlignment::taCenter;
  const THitPositions item{HP::hpOnItem};
  const TCase cases[] = {
      {LTR, left, 0, 5, item + HP::hpOnButton},
      {LTR, left, 1, 5, item + HP::hpOnIndent},
      {LTR, left, 0, 20, item + HP::hpOnIndent},
      {LTR, left, 0, 22, {HP::hpOnItem, HP::hpOnCheckBox}},
      {LTR, left, 0, 39, {HP::hpOnItem, HP::hpOnCheckBox}},
      {LTR, left, 0, 40, item + HP::hpOnStateImage},
      {LTR, left, 0, 58, item + HP::hpOnNormalImage},
      {LTR, left, 0, 76, item + HP::hpOnLabel},
      {LTR, left, 0, 115, item + HP::hpOnLabel},
      {LTR, left, 0, 116, item + HP::hpRightOfLabel},
      {LTR, left, 1, 22, item + HP::hpOnLabel},  // no check box, no images: the label starts at once
      {LTR, right, 0, 259, item + HP::hpLeftOfLabel},
      {LTR, right, 0, 260, item + HP::hpOnLabel},
      {LTR, center, 0, 167, item + HP::hpLeftOfLabel},
      {LTR, center, 0, 168, item + HP::hpOnLabel},
      {LTR, center, 0, 208, item + HP::hpRightOfLabel},
      {RTL, left, 0, 294, item + HP::hpOnButton},
      {RTL, left, 0, 277, {HP::hpOnItem, HP::hpOnCheckBox}},
      {RTL, left, 0, 260, {HP::hpOnItem, HP::hpOnCheckBox}},
      {RTL, left, 0, 259, item + HP::hpOnStateImage},
      {RTL, left, 0, 241, item + HP::hpOnNormalImage},
      {RTL, left, 0, 223, item + HP::hpOnLabel},
      {RTL, left, 0, 184, item + HP::hpOnLabel},
      {RTL, left, 0, 183, item + HP::hpLeftOfLabel},
      {RTL, right, 0, 39, item + HP::hpOnLabel},
      {RTL, right, 0, 40, item + HP::hpRightOfLabel},
      {RTL, center, 0, 132, item + HP::hpRightOfLabel},
      {RTL, center, 0, 131, item + HP::hpOnLabel},
      {RTL, center, 0, 91, item + HP::hpLeftOfLabel},
  };
  for (const TCase& c : cases) {
    tree.SetBiDiMode(c.bidi);
    tree.SetAlignment(c.alignment);
    THitInfo hit;
    tree.GetHitTestInfoAt(c.x, RowY(c.row), true, hit);
    EXPECT_EQ(hit.HitPositions, c.expected) << "row " << c.row << " x " << c.x << " rtl " << (c.bidi == RTL)
                                            << " alignment " << static_cast<int>(c.alignment);
    EXPECT_EQ(hit.HitNode, Top(c.row));
    EXPECT_EQ(hit.HitColumn, NoColumn);
  }
  tree.SetImages(nullptr);
  tree.SetStateImages(nullptr);
}

TEST_F(TMouseFixture, LabelRectangleAndWidthsCountTheSharedCheckGlyphs) {
  SetMiscOption(TTreeMiscOption::toCheckSupport, true);
  tree.SetCheckType(Top(1), TCheckType::ctCheckBox);
  // Margin 4, root level 18, check box 16 and its gap 2: the label starts at 40, where the hit test finds it.
  const RECT label = tree.GetDisplayRect(Top(1), NoColumn, true);
  EXPECT_EQ(label.left, 40);
  THitInfo hit;
  tree.GetHitTestInfoAt(label.left, RowY(1), true, hit);
  EXPECT_TRUE(hit.HitPositions.Contains(HP::hpOnLabel));
  tree.GetHitTestInfoAt(label.left - 1, RowY(1), true, hit);
  EXPECT_TRUE(hit.HitPositions.Contains(HP::hpOnCheckBox));
  // The widest content: margins 2 x 4, level 18, check box 18 and the content 40.
  EXPECT_EQ(tree.GetMaxColumnWidth(NoColumn), 84);
}

TEST_F(TMouseFixture, HitPositionsOutsideTheRows) {
  TMouseTree shortTree(host.Handle(), 300, 180, 3);
  const std::pair<POINT, THitPositions> cases[] = {
      {{-1, 9}, {HP::hpToLeft}},
      {{301, 9}, {HP::hpToRight}},
      {{10, -1}, {HP::hpAbove}},
      {{10, 181}, {HP::hpBelow}},
      {{-1, -1}, {HP::hpToLeft, HP::hpAbove}},
      {{10, RowY(5)}, {HP::hpNowhere}},
  };
  for (const auto& [p, expected] : cases) {
    THitInfo hit;
    shortTree.GetHitTestInfoAt(p.x, p.y, false, hit);
    EXPECT_EQ(hit.HitPositions, expected) << p.x << "," << p.y;
    EXPECT_EQ(hit.HitNode, nullptr);
  }
  // Relative points are taken from the scrolled view: with the view 20 pixels down, client Y 0 is row 1.
  TMouseTree longTree(host.Handle(), 300, 180, 40);
  EXPECT_TRUE(longTree.SetOffsetY(-20).Alive());
  THitInfo hit;
  longTree.GetHitTestInfoAt(LabelX, 0, true, hit);
  EXPECT_EQ(hit.HitNode, longTree.GetNextSibling(longTree.GetFirst()));
}

TEST_F(TMouseFixture, ClickMatrix) {
  struct TCase {
    const char* name;
    bool multiSelect;
    int row, x;
    WPARAM keys;
    std::set<int> selected;
    int focus;
  };
  // Each case starts with row 2 focused and selected by a plain click.
  const TCase cases[] = {
      {"plain", true, 5, LabelX, 0, {5}, 5},
      {"ctrl adds", true, 5, LabelX, MK_CONTROL, {2, 5}, 5},
      {"shift selects the range", true, 5, LabelX, MK_SHIFT, {2, 3, 4, 5}, 5},
      {"shift upwards", true, 0, LabelX, MK_SHIFT, {0, 1, 2}, 0},
      {"ctrl shift adds the range", true, 4, LabelX, MK_CONTROL | MK_SHIFT, {2, 3, 4}, 4},
      {"ctrl on the selected node removes it", true, 2, LabelX, MK_CONTROL, {}, 2},
      {"empty space clears", true, 5, EmptyX, 0, {}, 2},
      {"plain without multi-selection", false, 5, LabelX, 0, {5}, 5},
      {"ctrl without multi-selection", false, 5, LabelX, MK_CONTROL, {5}, 5},
      {"shift without multi-selection", false, 5, LabelX, MK_SHIFT, {5}, 5},
      {"empty space keeps it without multi-selection", false, 5, EmptyX, 0, {2}, 2},
  };
  for (const TCase& c : cases) {
    SetSelectionOption(SO::toMultiSelect, c.multiSelect);
    EXPECT_TRUE(tree.ClearSelection().Alive());
    Click(LabelX, RowY(2));
    ASSERT_EQ(SelectedRows(), std::set<int>{2}) << c.name;
    Click(c.x, RowY(c.row), c.keys);
    EXPECT_EQ(SelectedRows(), c.selected) << c.name;
    EXPECT_EQ(FocusRow(), c.focus) << c.name;
    EXPECT_FALSE(tree.HasState(TS::stLeftButtonDown)) << c.name;
  }
}

TEST_F(TMouseFixture, FullRowSelectMakesTheWholeRowClickable) {
  Click(EmptyX, RowY(3));
  EXPECT_EQ(FocusRow(), -1);
  SetSelectionOption(SO::toFullRowSelect, true);
  Click(EmptyX, RowY(3));
  EXPECT_EQ(FocusRow(), 3);
  EXPECT_EQ(SelectedRows(), std::set<int>{3});
}

TEST_F(TMouseFixture, FocusChangingCanRefuseAClick) {
  tree.OnFocusChanging = [](TBaseTree*, PTreeNode, PTreeNode, TColumnIndex, TColumnIndex, bool& allowed) {
    allowed = false;
  };
  Click(LabelX, RowY(4));
  EXPECT_EQ(FocusRow(), -1);
  EXPECT_TRUE(SelectedRows().empty());
}

TEST_F(TMouseFixture, ExpandButtonsAndDoubleClicks) {
  EXPECT_FALSE(tree.SetChildCount(Top(0), 2).TreeGone());
  struct TCase {
    const char* name;
    bool toggleOnDoubleClick;
    int x;
    bool doubleClick;
    bool expanded;
  };
  const TCase cases[] = {
      {"a press on the button expands", true, 9, false, true},
      {"a double click on the button expands and collapses", true, 9, true, false},
      {"a double click on the label toggles", true, LabelX, true, true},
      {"without the option it does not", false, LabelX, true, false},
      {"a double click right of the label does not", true, EmptyX, true, false},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.FullCollapse().Alive());
    SetMiscOption(TTreeMiscOption::toToggleOnDblClick, c.toggleOnDoubleClick);
    Click(c.x, RowY(0));
    if (c.doubleClick) {
      Send(WM_LBUTTONDBLCLK, c.x, RowY(0), MK_LBUTTON);
      Send(WM_LBUTTONUP, c.x, RowY(0));
    }
    EXPECT_EQ(tree.Expanded(Top(0)), c.expanded) << c.name;
  }
}

TEST_F(TMouseFixture, CheckBoxPressAndRelease) {
  SetMiscOption(TTreeMiscOption::toCheckSupport, true);
  for (int i = 0; i < 3; ++i) tree.SetCheckType(Top(i), TCheckType::ctCheckBox);
  tree.SetCheckType(Top(3), TCheckType::ctRadioButton);
  int checkedEvents = 0;
  tree.OnChecked = [&](TBaseTree*, PTreeNode) { ++checkedEvents; };
  constexpr int CheckX = 25;
  struct TCase {
    const char* name;
    int row;
    bool disabled;
    int releaseRow, releaseX;
    TCheckState start, pressed, released;
    int events;
  };
  const auto U = TCheckState::csUncheckedNormal, UP = TCheckState::csUncheckedPressed, C = TCheckState::csCheckedNormal,
             CP = TCheckState::csCheckedPressed;
  const TCase cases[] = {
      {"released on the box checks", 0, false, 0, CheckX, U, UP, C, 1},
      {"released on the label of the node checks", 0, false, 0, 60, U, UP, C, 1},
      {"a checked box unchecks", 1, false, 1, CheckX, C, CP, U, 1},
      {"released on another node reverts", 0, false, 4, CheckX, U, UP, U, 0},
      {"released outside the tree reverts", 1, false, 0, -5, C, CP, C, 0},
      {"a disabled node ignores the press", 2, true, 2, CheckX, U, U, U, 0},
      {"a checked radio button stays checked", 3, false, 3, CheckX, C, CP, C, 0},
  };
  for (const TCase& c : cases) {
    PTreeNode node = Top(c.row);
    EXPECT_FALSE(tree.SetCheckState(node, c.start).TreeGone());
    node->States = c.disabled ? (node->States | nsDisabled) : (node->States & ~nsDisabled);
    checkedEvents = 0;
    Send(WM_LBUTTONDOWN, CheckX, RowY(c.row), MK_LBUTTON);
    EXPECT_EQ(node->CheckState, c.pressed) << c.name;
    Send(WM_LBUTTONUP, c.releaseX, c.releaseX < 0 ? -5 : RowY(c.releaseRow));
    EXPECT_EQ(node->CheckState, c.released) << c.name;
    EXPECT_EQ(checkedEvents, c.events) << c.name;
    // A click on a check box leaves focus and selection alone.
    EXPECT_TRUE(SelectedRows().empty()) << c.name;
  }
}

TEST_F(TMouseFixture, EditStartsAfterTheDelayOnASecondClick) {
  ComPtr<TRecordingEditLink> link = new TRecordingEditLink();
  tree.OnCreateEditor = ProvideLink(link.Get());
  SetMiscOption(TTreeMiscOption::toEditable, true);
  tree.SetEditDelay(60);
  Click(LabelX, RowY(2));
  EXPECT_FALSE(tree.HasState(TS::stEditPending)) << "the first click only selects";
  Click(LabelX, RowY(2));
  EXPECT_TRUE(tree.HasState(TS::stEditPending));
  EXPECT_FALSE(tree.IsEditing()) << "not before the delay";
  DWORD start = GetTickCount();
  EXPECT_TRUE(PumpUntil([&] { return tree.IsEditing(); }, 2000));
  EXPECT_GE(GetTickCount() - start, 40u);
  tree.CancelEditNode();

  struct TCase {
    const char* name;
    bool focusedBefore;
    bool editable;
    int x;
    WPARAM keys;
  };
  const TCase refused[] = {
      {"the tree had no focus", false, true, LabelX, 0},
      {"not editable", true, false, LabelX, 0},
      {"right of the label", true, true, EmptyX, 0},
      {"with ctrl", true, true, LabelX, MK_CONTROL},
  };
  for (const TCase& c : refused) {
    SetMiscOption(TTreeMiscOption::toEditable, c.editable);
    EXPECT_TRUE(tree.ClearSelection().Alive());
    Click(LabelX, RowY(3));
    if (!c.focusedBefore) ::SetFocus(host.Handle());
    Click(c.x, RowY(3), c.keys);
    PumpFor(150);
    EXPECT_FALSE(tree.IsEditing()) << c.name;
    tree.CancelEditNode();
  }
}

// An edit armed by a second click waits for its delay: whatever moves the focus, acts on rows or changes the
// selection meanwhile (the keys of the tree and of the application, by real input, and code) ends it, so that no
// editor opens on a row that was not clicked or takes the next key as its text.
TEST_F(TMouseFixture, AnArmedEditEndsWithAKeyOrAChangeOfFocusOrSelection) {
  ComPtr<TRecordingEditLink> link = new TRecordingEditLink();
  tree.OnCreateEditor = ProvideLink(link.Get());
  SetMiscOption(TTreeMiscOption::toEditable, true);
  SetSelectionOption(SO::toMultiSelect, true);
  tree.SetIncrementalSearch(TIncrementalSearch::isAll);
  tree.SetEditDelay(60000);
  // The application's own key: Delete deletes the selected rows.
  tree.OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
    if (key == VK_DELETE) EXPECT_TRUE(tree.DeleteSelectedNodes().Alive());
  };
  auto key = [](WORD virtualKey, bool shift = false, bool control = false) {
    return [=] { SendKeyPress(virtualKey, shift, control); };
  };
  struct TCase {
    const char* name;
    std::function<void()> act;
  };
  const TCase cases[] = {
      {"Shift+Down three times",
       [] {
         for (int i = 0; i < 3; ++i) SendKeyPress(VK_DOWN, true);
       }},
      {"Down", key(VK_DOWN)},
      {"End", key(VK_END)},
      {"Page Down", key(VK_NEXT)},
      {"Ctrl+A", key('A', false, true)},
      {"Delete, the application's key", key(VK_DELETE)},
      {"typing a name", key('N')},
      {"Escape, which moves nothing", key(VK_ESCAPE)},
      {"the focus moved by code", [this] { EXPECT_FALSE(tree.SetFocusedNode(Top(5)).TreeGone()); }},
      {"a row selected by code", [this] { EXPECT_FALSE(tree.AddToSelection(Top(6)).TreeGone()); }},
      {"the selection cleared by code", [this] { EXPECT_TRUE(tree.ClearSelection().Alive()); }},
  };
  SetForegroundWindow(host.Handle());
  EXPECT_TRUE(tree.SetFocus().Alive());
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.SetRootNodeCount(0).Alive());
    EXPECT_TRUE(tree.SetRootNodeCount(10).Alive());
    link->calls.clear();
    // Two real clicks on the label, far enough apart not to make a double click.
    ClickAndSettle(tree.ClientToScreen(POINT{LabelX, RowY(2)}));
    ClickAndSettle(tree.ClientToScreen(POINT{LabelX + 12, RowY(2)}));
    ASSERT_EQ(tree.EditPendingNode(), Top(2)) << c.name;
    c.act();
    ASSERT_TRUE(PumpUntil([] { return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0; })) << c.name;
    ProcessPendingMessages();
    EXPECT_EQ(tree.EditPendingNode(), nullptr) << c.name;
    EXPECT_FALSE(tree.HasState(TS::stEditPending)) << c.name;
    // The delay running out opens nothing now.
    SendMessageW(tree.Handle(), WM_TIMER, EditTimer, 0);
    EXPECT_FALSE(tree.IsEditing()) << c.name;
    EXPECT_TRUE(link->calls.empty()) << c.name;
  }
  // Left alone, the armed edit opens on the row clicked.
  ClickAndSettle(tree.ClientToScreen(POINT{LabelX, RowY(3)}));
  ClickAndSettle(tree.ClientToScreen(POINT{LabelX + 12, RowY(3)}));
  SendMessageW(tree.Handle(), WM_TIMER, EditTimer, 0);
  EXPECT_TRUE(tree.IsEditing());
  EXPECT_EQ(link->node, Top(3));
  tree.CancelEditNode();
}

// A rename is armed only by a click on the row that already was the one selected and focused row: a click that
// keeps one row of a selection, or moves the focus within it, arms nothing, so the next key acts on the rows
// instead of erasing a name. Real clicks and keys, as a person gives them.
TEST_F(TMouseFixture, AClickInASelectionArmsNoRename) {
  ComPtr<TRecordingEditLink> link = new TRecordingEditLink();
  tree.OnCreateEditor = ProvideLink(link.Get());
  SetMiscOption(TTreeMiscOption::toEditable, true);
  SetSelectionOption(SO::toMultiSelect, true);
  tree.SetEditDelay(60000);
  SetForegroundWindow(host.Handle());
  EXPECT_TRUE(tree.SetFocus().Alive());
  struct TCase {
    const char* name;
    int clicked;  // the row of the selection clicked, rows 2 to 5 selected by Shift+Down with the focus on 5
  };
  for (const TCase& c :
       {TCase{"the second selected row", 3}, TCase{"the focused row", 5}, TCase{"the first selected row", 2}}) {
    EXPECT_TRUE(tree.SetRootNodeCount(0).Alive());
    EXPECT_TRUE(tree.SetRootNodeCount(10).Alive());
    link->calls.clear();
    ClickAndSettle(tree.ClientToScreen(POINT{LabelX, RowY(2)}));
    for (int i = 0; i < 3; ++i) SendKeyPress(VK_DOWN, true);
    ASSERT_TRUE(PumpUntil([] { return GetKeyState(VK_SHIFT) >= 0; })) << c.name;
    ProcessPendingMessages();
    ASSERT_EQ(SelectedRows(), (std::set<int>{2, 3, 4, 5})) << c.name;
    ASSERT_EQ(tree.FocusedNode(), Top(5)) << c.name;
    // Far enough from the last click not to make a double click with it.
    ClickAndSettle(tree.ClientToScreen(POINT{LabelX + 8, RowY(c.clicked)}));
    EXPECT_EQ(SelectedRows(), (std::set<int>{c.clicked})) << c.name;
    EXPECT_FALSE(tree.HasState(TS::stEditPending)) << c.name;
    SendMessageW(tree.Handle(), WM_TIMER, EditTimer, 0);
    EXPECT_FALSE(tree.IsEditing()) << c.name;
    EXPECT_TRUE(link->calls.empty()) << c.name;
    // The row is now the one selected and focused row: a further click on its label arms the rename.
    ClickAndSettle(tree.ClientToScreen(POINT{LabelX + 16, RowY(c.clicked)}));
    EXPECT_EQ(tree.EditPendingNode(), Top(c.clicked)) << c.name;
    tree.CancelEditNode();
  }
}

TEST_F(TMouseFixture, ASecondPressKeepsAMultiSelectionUntilRelease) {
  SetSelectionOption(SO::toMultiSelect, true);
  tree.OnDragAllowed = [](TBaseTree*, PTreeNode, TColumnIndex, bool& allowed) { allowed = true; };
  Click(LabelX, RowY(2));
  Click(LabelX, RowY(3), MK_CONTROL);
  Click(LabelX, RowY(4), MK_CONTROL);
  ASSERT_EQ(SelectedRows(), (std::set<int>{2, 3, 4}));
  Send(WM_LBUTTONDOWN, LabelX, RowY(3), MK_LBUTTON);
  EXPECT_EQ(SelectedRows(), (std::set<int>{2, 3, 4})) << "a drag may start with all of them";
  EXPECT_TRUE(tree.HasState(TS::stOleDragPending));
  Send(WM_LBUTTONUP, LabelX, RowY(3));
  EXPECT_EQ(SelectedRows(), std::set<int>{3});
  EXPECT_EQ(FocusRow(), 3);
  EXPECT_FALSE(tree.HasState(TS::stOleDragPending)) << "no drag starts once the button is up";

  // Without a possible drag the press reduces the selection at once.
  tree.OnDragAllowed = nullptr;
  Click(LabelX, RowY(4), MK_CONTROL);
  Send(WM_LBUTTONDOWN, LabelX, RowY(3), MK_LBUTTON);
  EXPECT_EQ(SelectedRows(), std::set<int>{3});
  Send(WM_LBUTTONUP, LabelX, RowY(3));
}

TEST_F(TMouseFixture, RubberBandSelectsTheRowsItCrosses) {
  SetSelectionOption(SO::toMultiSelect, true);
  struct TCase {
    const char* name;
    std::set<int> before;
    WPARAM keys;
    std::vector<int> moveRows;  // the band's far corner, at LabelX, row after row
    std::set<int> during, after;
  };
  const TCase cases[] = {
      {"down over four rows", {}, 0, {4}, {1, 2, 3, 4}, {1, 2, 3, 4}},
      {"a plain band starts afresh", {6}, 0, {3}, {1, 2, 3}, {1, 2, 3}},
      {"shrinking gives rows back", {}, 0, {5, 2}, {1, 2}, {1, 2}},
      {"ctrl toggles", {2, 6}, MK_CONTROL, {4}, {1, 3, 4, 6}, {1, 3, 4, 6}},
      {"ctrl toggles back on shrinking", {2, 6}, MK_CONTROL, {4, 2}, {1, 6}, {1, 6}},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.ClearSelection().Alive());
    for (int row : c.before) EXPECT_FALSE(tree.SetSelected(Top(row), true).TreeGone());
    Send(WM_LBUTTONDOWN, EmptyX, RowY(1), MK_LBUTTON | c.keys);
    EXPECT_TRUE(tree.HasState(TS::stDrawSelPending)) << c.name;
    for (int row : c.moveRows) Send(WM_MOUSEMOVE, LabelX, RowY(row), MK_LBUTTON | c.keys);
    EXPECT_TRUE(tree.HasState(TS::stDrawSelecting)) << c.name;
    EXPECT_EQ(SelectedRows(), c.during) << c.name;
    Send(WM_LBUTTONUP, LabelX, RowY(c.moveRows.back()), c.keys);
    EXPECT_FALSE(tree.HasState(TS::stDrawSelecting) || tree.HasState(TS::stDrawSelPending)) << c.name;
    EXPECT_EQ(SelectedRows(), c.after) << c.name;
  }
  // A band that stays right of the labels selects nothing; without multi-selection there is no band.
  EXPECT_TRUE(tree.ClearSelection().Alive());
  Send(WM_LBUTTONDOWN, EmptyX, RowY(1), MK_LBUTTON);
  Send(WM_MOUSEMOVE, EmptyX + 40, RowY(5), MK_LBUTTON);
  Send(WM_LBUTTONUP, EmptyX + 40, RowY(5));
  EXPECT_TRUE(SelectedRows().empty());
  SetSelectionOption(SO::toMultiSelect, false);
  Send(WM_LBUTTONDOWN, EmptyX, RowY(1), MK_LBUTTON);
  EXPECT_FALSE(tree.HasState(TS::stDrawSelPending));
  Send(WM_LBUTTONUP, EmptyX, RowY(1));
}

TEST_F(TMouseFixture, HotTrackingEvents) {
  std::vector<std::pair<PTreeNode, PTreeNode>> changes;
  tree.OnHotChange = [&](TBaseTree*, PTreeNode oldNode, PTreeNode newNode) { changes.emplace_back(oldNode, newNode); };
  Send(WM_MOUSEMOVE, LabelX, RowY(1));
  Send(WM_MOUSEMOVE, LabelX + 2, RowY(1));
  Send(WM_MOUSEMOVE, EmptyX, RowY(1));
  SetSelectionOption(SO::toFullRowSelect, true);
  Send(WM_MOUSEMOVE, EmptyX, RowY(2));
  tree.Perform(CM_MOUSELEAVE, 0, 0);
  const std::vector<std::pair<PTreeNode, PTreeNode>> expected{
      {nullptr, Top(1)}, {Top(1), nullptr}, {nullptr, Top(2)}, {Top(2), nullptr}};
  EXPECT_EQ(changes, expected);
  EXPECT_EQ(tree.HotNode(), nullptr);
}

TEST_F(TMouseFixture, WheelScrolling) {
  struct TCase {
    const char* name;
    std::uint32_t rows;
    int contentWidth;
    short delta;
    WPARAM keys;
    POINT offset;
  };
  const TCase cases[] = {
      {"one notch down", 100, 40, -120, 0, {0, -18}},
      {"two notches", 100, 40, -240, 0, {0, -36}},
      {"half a notch does nothing", 100, 40, -60, 0, {0, 0}},
      {"up at the top stays", 100, 40, 120, 0, {0, 0}},
      {"ctrl scrolls a page of rows", 100, 40, -120, MK_CONTROL, {0, -180}},
      {"without vertical range it scrolls sideways", 3, 1000, -120, 0, {-18, 0}},
      {"ctrl sideways by whole client widths in indents", 3, 1000, -120, MK_CONTROL, {-288, 0}},
  };
  for (const TCase& c : cases) {
    TMouseTree wheel(host.Handle(), 300, 180, c.rows);
    wheel.contentWidth = c.contentWidth;
    wheel.UpdateScrollBars(false);
    POINT screen{10, 10};
    ClientToScreen(wheel.Handle(), &screen);
    SendMessageW(wheel.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(c.keys, static_cast<WORD>(c.delta)),
                 MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(wheel.OffsetX(), c.offset.x) << c.name;
    EXPECT_EQ(wheel.OffsetY(), c.offset.y) << c.name;
  }
}

TEST_F(TMouseFixture, CursorShowsHotCursorOverAHotNode) {
  ASSERT_NE(Screen, nullptr);
  TTreePaintOptions paint = tree.TreeOptions()->PaintOptions();
  tree.TreeOptions()->SetPaintOptions(paint + TTreePaintOption::toHotTrack);
  tree.SetHotCursor(crHandPoint);
  auto setCursor = [&] {
    return SendMessageW(tree.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(tree.Handle()),
                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };
  Send(WM_MOUSEMOVE, EmptyX, RowY(1));
  EXPECT_EQ(setCursor(), 1);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crDefault));
  Send(WM_MOUSEMOVE, LabelX, RowY(1));
  EXPECT_EQ(setCursor(), 1);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  tree.OnGetCursor = [](TBaseTree*, TCursor& cursor) { cursor = crCross; };
  setCursor();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crCross));
  tree.OnGetCursor = nullptr;
  tree.TreeOptions()->SetPaintOptions(paint);
  setCursor();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crDefault)) << "hot tracking off";
}

TEST_F(TMouseFixture, AutoScrollDirections) {
  EXPECT_TRUE(tree.SetVisible(false).Alive());  // the point tests ask which window lies under a point
  TMouseTree big(host.Handle(), 300, 180, 100);
  big.contentWidth = 600;
  big.UpdateScrollBars(false);
  TTreeAutoOptions autoOptions = big.TreeOptions()->AutoOptions();
  big.TreeOptions()->SetAutoOptions(autoOptions + TTreeAutoOption::toAutoScroll);
  big.SetAutoScrollDelay(0);
  big.DoStateChange({TS::stDrawSelPending});
  using SD = TScrollDirection;
  struct TCase {
    POINT offset;
    POINT at;
    TScrollDirections expected;
  };
  const TCase cases[] = {
      {{0, 0}, {150, 90}, {}},
      {{0, 0}, {150, 175}, {SD::sdDown}},
      {{0, 0}, {295, 90}, {SD::sdRight}},
      {{0, 0}, {5, 5}, {}},  // at the start nothing lies left or above
      {{0, 0}, {295, 175}, {SD::sdRight, SD::sdDown}},
      {{-50, -50}, {5, 5}, {SD::sdLeft, SD::sdUp}},
      {{-50, -50}, {150, 10}, {SD::sdUp}},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(big.SetOffsetXY(c.offset).Alive());
    EXPECT_EQ(big.DetermineScrollDirections(c.at.x, c.at.y), c.expected) << c.at.x << "," << c.at.y;
  }
  // Only a band, a drag or panning scrolls, and only after the delay.
  big.DoStateChange({}, {TS::stDrawSelPending});
  EXPECT_TRUE(big.DetermineScrollDirections(150, 175).Empty());
  big.DoStateChange({TS::stDrawSelPending});
  big.SetAutoScrollDelay(10000);
  EXPECT_TRUE(big.DetermineScrollDirections(150, 175).Empty());
  big.TreeOptions()->SetAutoOptions(autoOptions);
  big.SetAutoScrollDelay(0);
  EXPECT_TRUE(big.DetermineScrollDirections(150, 175).Empty());
}

TEST_F(TMouseFixture, RubberBandScrollsNearTheBottomEdge) {
  EXPECT_TRUE(tree.SetVisible(false).Alive());
  TMouseTree big(host.Handle(), 300, 180, 100);
  EXPECT_TRUE(big.SetFocus().Alive());
  TTreeSelectionOptions selection = big.TreeOptions()->SelectionOptions();
  EXPECT_TRUE(big.TreeOptions()->SetSelectionOptions(selection + SO::toMultiSelect).Alive());
  big.TreeOptions()->SetAutoOptions(big.TreeOptions()->AutoOptions() + TTreeAutoOption::toAutoScroll);
  big.SetAutoScrollDelay(0);
  SendMessageW(big.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(EmptyX, RowY(1)));
  POINT edge{LabelX, 175};
  POINT screen = edge;
  ClientToScreen(big.Handle(), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(big.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge.x, edge.y));
  ASSERT_TRUE(big.HasState(TS::stDrawSelecting));
  EXPECT_TRUE(PumpUntil([&] { return big.OffsetY() <= -36; }, 3000));
  // The band grew with the scroll: the rows scrolled in are selected too.
  EXPECT_GT(big.SelectedCount(), 10u);
  // Dragged on below the window, the band keeps scrolling, faster with the distance.
  POINT below{LabelX, 230};
  screen = below;
  ClientToScreen(big.Handle(), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(big.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(below.x, below.y));
  const int offset = big.OffsetY();
  EXPECT_TRUE(PumpUntil([&] { return big.OffsetY() < offset - 200; }, 3000));
  edge = below;
  SendMessageW(big.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(edge.x, edge.y));
  EXPECT_FALSE(big.HasState(TS::stScrolling) || big.HasState(TS::stScrollPending));
}

TEST_F(TMouseFixture, RightAndMiddleButtonsSelectOnlyWithTheirOptions) {
  std::vector<PTreeNode> asked;
  tree.OnGetPopupMenu = [&](TBaseTree*, PTreeNode node, TColumnIndex, POINT, bool& askParent, TPopupMenu*&) {
    asked.push_back(node);
    askParent = false;
  };
  struct TCase {
    const char* name;
    UINT down, up;
    SO option;
    bool on;
    bool selects;
  };
  const TCase cases[] = {
      {"right click", WM_RBUTTONDOWN, WM_RBUTTONUP, SO::toRightClickSelect, false, false},
      {"right click selecting", WM_RBUTTONDOWN, WM_RBUTTONUP, SO::toRightClickSelect, true, true},
      {"middle click", WM_MBUTTONDOWN, WM_MBUTTONUP, SO::toMiddleClickSelect, false, false},
      {"middle click selecting", WM_MBUTTONDOWN, WM_MBUTTONUP, SO::toMiddleClickSelect, true, true},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.ClearSelection().Alive());
    EXPECT_FALSE(tree.SetFocusedNode(nullptr).TreeGone());
    SetSelectionOption(c.option, c.on);
    asked.clear();
    Send(c.down, LabelX, RowY(4));
    Send(c.up, LabelX, RowY(4));
    EXPECT_EQ(SelectedRows(), c.selects ? std::set<int>{4} : std::set<int>{}) << c.name;
    // Without a pop-up menu of its own, a right release asks for the node's menu.
    EXPECT_EQ(!asked.empty(), c.up == WM_RBUTTONUP) << c.name;
    for (PTreeNode node : asked) EXPECT_EQ(node, Top(4)) << c.name;
    SetSelectionOption(c.option, false);
  }
}

TEST_F(TMouseFixture, ReleaseInTheClickedColumnReportsAColumnClick) {
  for (int width : {100, 100, 100}) EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(width).Alive());
  std::vector<TColumnIndex> clicks, doubleClicks;
  tree.OnColumnClick = [&](TBaseTree*, TColumnIndex column, TShiftState) { clicks.push_back(column); };
  tree.OnColumnDblClick = [&](TBaseTree*, TColumnIndex column, TShiftState) { doubleClicks.push_back(column); };
  Click(150, RowY(1));
  Send(WM_LBUTTONDOWN, 250, RowY(1), MK_LBUTTON);
  Send(WM_LBUTTONUP, 150, RowY(1));  // released in another column: no click
  Send(WM_LBUTTONDBLCLK, 50, RowY(2), MK_LBUTTON);
  Send(WM_LBUTTONUP, 50, RowY(2));
  EXPECT_EQ(clicks, std::vector<TColumnIndex>{1});
  EXPECT_EQ(doubleClicks, std::vector<TColumnIndex>{0});
  THitInfo hit;
  tree.GetHitTestInfoAt(210, RowY(1), true, hit);
  EXPECT_EQ(hit.HitColumn, 2);
  EXPECT_EQ(hit.HitPositions, (THitPositions{HP::hpOnItem, HP::hpOnLabel}));
}

TEST_F(TMouseFixture, SelectionConstraintsKeepLevelsAndSiblingsApart) {
  SetSelectionOption(SO::toMultiSelect, true);
  EXPECT_FALSE(tree.SetChildCount(Top(0), 3).TreeGone());
  EXPECT_FALSE(tree.ToggleNode(Top(0)).TreeGone());
  // Rows: 0 = top 0, 1-3 = its children, 4 = top 1, 5 = top 2.
  struct TCase {
    const char* name;
    SO option;
    std::vector<int> ctrlRows;  // the first row is clicked plainly
    std::uint32_t selected;
  };
  const TCase cases[] = {
      {"no constraint", SO::toMultiSelect, {1, 4, 0}, 3},
      {"level", SO::toLevelSelectConstraint, {1, 4, 2}, 2},
      {"sibling", SO::toSiblingSelectConstraint, {4, 5, 1}, 2},
  };
  for (const TCase& c : cases) {
    SetSelectionOption(SO::toLevelSelectConstraint, c.option == SO::toLevelSelectConstraint);
    SetSelectionOption(SO::toSiblingSelectConstraint, c.option == SO::toSiblingSelectConstraint);
    EXPECT_TRUE(tree.ClearSelection().Alive());
    Click(LabelX + 18, RowY(c.ctrlRows[0]));  // a label of either level lies under LabelX + 18
    for (std::size_t i = 1; i < c.ctrlRows.size(); ++i) Click(LabelX + 18, RowY(c.ctrlRows[i]), MK_CONTROL);
    EXPECT_EQ(tree.SelectedCount(), c.selected) << c.name;
  }
}

TEST_F(TMouseFixture, RangeSelectionAndToggling) {
  SetSelectionOption(SO::toMultiSelect, true);
  struct TCase {
    const char* name;
    std::set<int> before;
    int anchor, start, end;
    bool toggle, addOnly;
    std::set<int> after;
  };
  const TCase cases[] = {
      {"select a range alone", {7}, 2, 2, 4, false, false, {2, 3, 4}},
      {"add a range", {7}, 2, 2, 4, false, true, {2, 3, 4, 7}},
      {"a range upwards", {}, 5, 5, 3, false, false, {3, 4, 5}},
      {"toggle flips and keeps the anchor", {1, 3}, 1, 1, 4, true, false, {1, 2, 4}},
      {"toggle stops before an end above the anchor", {}, 6, 6, 4, true, false, {5, 6}},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.ClearSelection().Alive());
    for (int row : c.before) EXPECT_FALSE(tree.SetSelected(Top(row), true).TreeGone());
    EXPECT_FALSE(tree.SetFocusedNode(Top(c.anchor)).TreeGone());
    tree.ResetRangeAnchor();
    if (c.toggle)
      EXPECT_TRUE(tree.ToggleSelection(Top(c.start), Top(c.end)).Alive());
    else
      EXPECT_TRUE(tree.SelectNodes(Top(c.start), Top(c.end), c.addOnly).Alive());
    EXPECT_EQ(SelectedRows(), c.after) << c.name;
  }
}

// A row being deleted leaves the rows before the handlers about its going run; a Ctrl+Shift click in OnChange of
// its leaving the selection ranges from the top, not from the dying row that was the anchor, which does not join
// the selection again; nor, when the handler deletes the row's parent first, does the range start from a row
// whose parent is freed.
TEST_F(TMouseFixture, ARangeClickedWhileTheAnchorIsDeletedLeavesTheDyingRowOut) {
  // A touch of a freed node faults at once.
  TNodeSlab::SetGuardFreedBlocks(true);
  for (const bool parentToo : {false, true}) {
    SCOPED_TRACE(parentToo ? "the parent deleted too" : "the row alone");
    TMouseTree rows(host.Handle(), 300, 180, 10);
    EXPECT_TRUE(rows.SetFocus().Alive());
    EXPECT_TRUE(rows.TreeOptions()->SetSelectionOptions({SO::toMultiSelect}).Alive());
    auto click = [&](int x, int row, WPARAM keys) {
      SendMessageW(rows.Handle(), WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(x, RowY(row)));
      SendMessageW(rows.Handle(), WM_LBUTTONUP, keys, MAKELPARAM(x, RowY(row)));
    };
    PTreeNode parent = rows.GetNextSibling(rows.GetFirst());
    rows.AddChild(parent);
    PTreeNode dying = rows.AddChild(parent);
    EXPECT_FALSE(rows.SetExpanded(parent, true).TreeGone());
    // Rows: 0, 1, its children at 2 and 3, then 2, 3, 4 of the top level at 4, 5, 6.
    click(LabelX, 6, 0);
    click(LabelX + 18, 3, MK_CONTROL);
    ASSERT_TRUE(rows.Selected(dying));
    bool armed = true, dyingSelected = true;
    rows.OnChange = [&](TBaseTree* sender, PTreeNode) {
      if (!std::exchange(armed, false)) return;
      if (parentToo) EXPECT_TRUE(sender->DeleteNode(parent).Alive());
      click(LabelX, 0, MK_CONTROL | MK_SHIFT);
      dyingSelected = !parentToo && sender->Selected(dying);
    };
    EXPECT_FALSE(rows.DeleteChildren(parent, false).TreeGone());
    EXPECT_FALSE(armed);
    EXPECT_FALSE(dyingSelected);
    std::set<int> selected;
    int index = 0;
    for (PTreeNode node = rows.GetFirst(); node; node = rows.GetNext(node), ++index)
      if (rows.Selected(node)) selected.insert(index);
    // The top row joins the last one clicked before; nothing between them does.
    EXPECT_EQ(selected, (std::set<int>{0, parentToo ? 3 : 4}));
    EXPECT_EQ(rows.SelectedCount(), 2u);
  }
  TNodeSlab::SetGuardFreedBlocks(false);
}

TEST_F(TMouseFixture, ColumnsOfHitsAndFocus) {
  for (int width : {100, 100, 100}) EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(width).Alive());
  struct TCase {
    const char* name;
    bool autoSpan;
    std::set<TColumnIndex> empty;
    int x;
    TColumnIndex column;
  };
  const TCase cases[] = {
      {"plain columns", false, {1}, 150, 1},
      {"an empty spanned cell is the one clicked", true, {1}, 150, 1},
      {"over several empty cells", true, {1, 2}, 250, 2},
      {"a filled cell is its own", true, {2}, 150, 1},
  };
  for (const TCase& c : cases) {
    TTreeAutoOptions options = tree.TreeOptions()->AutoOptions() - TTreeAutoOption::toAutoSpanColumns;
    tree.TreeOptions()->SetAutoOptions(c.autoSpan ? options + TTreeAutoOption::toAutoSpanColumns : options);
    tree.emptyColumns = c.empty;
    THitInfo hit;
    tree.GetHitTestInfoAt(c.x, RowY(1), true, hit);
    EXPECT_EQ(hit.HitColumn, c.column) << c.name;
  }
  tree.emptyColumns.clear();

  // Selecting takes the focus to the main column; a click moves it only with extended focus.
  EXPECT_FALSE(tree.SetSelected(Top(3), true).TreeGone());
  EXPECT_EQ(tree.FocusedColumn(), 0);
  SetSelectionOption(SO::toFullRowSelect, true);
  Click(250, RowY(1));
  EXPECT_EQ(tree.FocusedColumn(), 0);
  SetSelectionOption(SO::toExtendedFocus, true);
  Click(250, RowY(2));
  EXPECT_EQ(tree.FocusedColumn(), 2);
  EXPECT_EQ(FocusRow(), 2);
  // With the main column hidden, selecting moves an unusable focused column to the first visible one.
  tree.Header()->Columns()->Items(0)->SetOptions(tree.Header()->Columns()->Items(0)->Options() -
                                                 TTreeColumnOption::coVisible);
  tree.Header()->Columns()->Items(2)->SetOptions(tree.Header()->Columns()->Items(2)->Options() -
                                                 TTreeColumnOption::coVisible);
  EXPECT_FALSE(tree.SetSelected(Top(5), true).TreeGone());
  EXPECT_EQ(tree.FocusedColumn(), 1);
}

TEST_F(TMouseFixture, WheelUpdatesHotTracking) {
  EXPECT_TRUE(tree.SetVisible(false).Alive());
  TMouseTree wheel(host.Handle(), 300, 180, 100);
  POINT screen{LabelX, RowY(2)};
  ClientToScreen(wheel.Handle(), &screen);
  SendMessageW(wheel.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(LabelX, RowY(2)));
  ASSERT_EQ(wheel.HotNode()->Index, 2u);
  SendMessageW(wheel.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(wheel.HotNode()->Index, 4u) << "the row under the pointer after two rows of scrolling";
}

TEST_F(TMouseFixture, RubberBandIsPaintedWhileDrawn) {
  SetSelectionOption(SO::toMultiSelect, true);
  // The band's dots along a line of the client area between x 100 and 200.
  auto dots = [](const TWindowCapture& shot, int y) {
    int count = 0;
    for (int x = 100; x < 200; ++x) count += shot.Pixel(x, y) != kWindowColor ? 1 : 0;
    return count;
  };
  Send(WM_LBUTTONDOWN, EmptyX, RowY(1), MK_LBUTTON);
  Send(WM_MOUSEMOVE, 40, RowY(6), MK_LBUTTON);
  TWindowCapture shot = tree.Capture();
  KeepCaptureForViewing(shot, L"tree_rubber_band");
  EXPECT_GT(dots(shot, RowY(1)), 20) << "the top edge at the press point";
  EXPECT_GT(dots(shot, RowY(6) - 1), 20) << "the bottom edge, the last row above the pointer";
  EXPECT_EQ(dots(shot, RowY(8)), 0);
  EXPECT_EQ(SelectedRows(), (std::set<int>{1, 2, 3, 4, 5, 6}));
  Send(WM_LBUTTONUP, 40, RowY(6));
  EXPECT_EQ(dots(tree.Capture(), RowY(1)), 0) << "the band goes with the release";
}

TEST_F(TMouseFixture, MiddleButtonPansTheViewUntilTheNextPress) {
  EXPECT_TRUE(tree.SetVisible(false).Alive());
  TMouseTree big(host.Handle(), 300, 180, 100);
  EXPECT_TRUE(big.SetFocus().Alive());
  const POINT anchor{150, 90};
  SendMessageW(big.Handle(), WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(anchor.x, anchor.y));
  ASSERT_TRUE(big.HasState(TS::stWheelPanning));
  EXPECT_NE(FindWindowW(L"TreePanningWindow", nullptr), nullptr);
  // Released where it was pressed, panning goes on without the button.
  SendMessageW(big.Handle(), WM_MBUTTONUP, 0, MAKELPARAM(anchor.x, anchor.y));
  EXPECT_TRUE(big.HasState(TS::stWheelScrolling));

  // The pointer 60 pixels below the anchor: the view moves down by the distance less the dead zone of 8, per tick.
  POINT below{anchor.x, anchor.y + 60};
  POINT screen = below;
  ClientToScreen(big.Handle(), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(big.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(below.x, below.y));
  EXPECT_TRUE(PumpUntil([&] { return big.OffsetY() <= -104; }, 3000));
  EXPECT_EQ(big.OffsetY() % 52, 0);

  // The next press only ends panning: it selects nothing.
  SendMessageW(big.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(LabelX, RowY(1)));
  SendMessageW(big.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(LabelX, RowY(1)));
  EXPECT_FALSE(big.HasState(TS::stWheelPanning) || big.HasState(TS::stWheelScrolling));
  EXPECT_EQ(FindWindowW(L"TreePanningWindow", nullptr), nullptr);
  EXPECT_EQ(big.SelectedCount(), 0u);
  const int offset = big.OffsetY();
  PumpFor(100);
  EXPECT_EQ(big.OffsetY(), offset) << "the view rests";

  // A tree whose content fits the window does not pan.
  TMouseTree fits(host.Handle(), 300, 180, 3);
  SendMessageW(fits.Handle(), WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(anchor.x, anchor.y));
  EXPECT_FALSE(fits.HasState(TS::stWheelPanning));
  SendMessageW(fits.Handle(), WM_MBUTTONUP, 0, MAKELPARAM(anchor.x, anchor.y));
}

TEST_F(TMouseFixture, OleDragNearTheEdgeScrollsOnlyWithAutoScroll) {
  EXPECT_TRUE(tree.SetVisible(false).Alive());
  for (bool autoScroll : {false, true}) {
    TMouseTree big(host.Handle(), 300, 180, 100);
    TTreeAutoOptions options = big.TreeOptions()->AutoOptions() - TTreeAutoOption::toAutoScroll;
    big.TreeOptions()->SetAutoOptions(autoScroll ? options + TTreeAutoOption::toAutoScroll : options);
    big.SetAutoScrollDelay(0);
    ComPtr<IDropTarget> drop;
    ASSERT_EQ(big.GetDragManager()->QueryInterface(IID_PPV_ARGS(&drop)), S_OK);
    ComPtr<IDataObject> data;
    *data.ReleaseAndGetAddressOf() = big.GetDragManager()->GetDataObject();
    auto screen = [&](int x, int y) {
      POINT p{x, y};
      ClientToScreen(big.Handle(), &p);
      return POINTL{p.x, p.y};
    };
    DWORD effect = DROPEFFECT_COPY;
    drop->DragEnter(data.Get(), MK_LBUTTON, screen(LabelX, 90), &effect);
    effect = DROPEFFECT_COPY;
    drop->DragOver(MK_LBUTTON, screen(LabelX, 175), &effect);
    EXPECT_EQ(big.OffsetY() < 0, autoScroll) << autoScroll;
    drop->DragLeave();
  }
}

}  // namespace
}  // namespace tree_test

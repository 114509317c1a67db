// A tree freed by a handler that one of its own calls raises: the call answers that the tree is gone and touches
// nothing of it afterwards. Each tree is made under guarded allocations, so that any touch of it faults.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "framework/form.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree_test {
namespace {

using namespace tree;

struct TCase {
  const char* Name;
  // Arms the handler that frees the tree through the slot.
  void (*Arm)(TStringTree& tree, TStringTree*& slot);
  // Makes the call; answers whether the call told that the tree is gone.
  bool (*Call)(TStringTree& tree);
};

template <auto Event>
void FreeOn(TStringTree& tree, TStringTree*& slot) {
  tree.*Event = [&slot](auto&&...) { delete std::exchange(slot, nullptr); };
}

// The size of the rows' records is asked before the first row is made: the tree is emptied and left to ask.
void FreeOnTheRecordSize(TStringTree& tree, TStringTree*& slot) {
  EXPECT_TRUE(tree.Clear().Alive());
  EXPECT_TRUE(tree.SetNodeDataSize(-1).Alive());
  FreeOn<&TStringTree::OnGetNodeDataSize>(tree, slot);
}

// A whole row is hot where rows are selected whole.
void FreeOnTheHotRow(TStringTree& tree, TStringTree*& slot) {
  tree.TreeOptions()->SetPaintOptions(tree.TreeOptions()->PaintOptions() + TTreePaintOption::toHotTrack);
  EXPECT_TRUE(tree.TreeOptions()
                  ->SetSelectionOptions(tree.TreeOptions()->SelectionOptions() + TTreeSelectionOption::toFullRowSelect)
                  .Alive());
  FreeOn<&TStringTree::OnHotChange>(tree, slot);
}

// Two columns, each sized twice, so that each has a width to go back to.
void FreeOnAColumnsResize(TStringTree& tree, TStringTree*& slot) {
  for (int i = 0; i < 2; ++i) {
    TTreeColumn* column = tree.Header()->Columns()->Add();
    EXPECT_TRUE(column->SetWidth(100).Alive());
    EXPECT_TRUE(column->SetWidth(150).Alive());
  }
  FreeOn<&TStringTree::OnColumnResize>(tree, slot);
}

// The pointer moves over the second row; the message answers nothing, so only the handler's having run is
// checked.
bool MovePointerOverARow(TStringTree& tree) {
  const RECT row = tree.GetDisplayRect(tree.GetNext(tree.GetFirst()), NoColumn, false);
  tree.Perform(WM_MOUSEMOVE, 0, MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2));
  return true;
}

const TCase kCases[] = {
    {"OnFreeNodeOfADeletedRowsChild", FreeOn<&TStringTree::OnFreeNode>,
     [](TStringTree& tree) { return tree.DeleteNode(tree.GetFirst()).Gone(); }},
    {"OnFreeNodeOfADeletedLeaf", FreeOn<&TStringTree::OnFreeNode>,
     [](TStringTree& tree) { return tree.DeleteNode(tree.GetLast()).Gone(); }},
    {"OnFreeNodeOfADeletedRowsChildren", FreeOn<&TStringTree::OnFreeNode>,
     [](TStringTree& tree) { return tree.DeleteChildren(tree.GetFirst()).TreeGone(); }},
    {"OnFreeNodeAsTheTreeIsCleared", FreeOn<&TStringTree::OnFreeNode>,
     [](TStringTree& tree) { return tree.Clear().Gone(); }},
    {"OnFreeNodeAsTheRootCountShrinks", FreeOn<&TStringTree::OnFreeNode>,
     [](TStringTree& tree) { return tree.SetRootNodeCount(1).Gone(); }},
    {"OnUpdatingAsTheRootCountGrows", FreeOn<&TStringTree::OnUpdating>,
     [](TStringTree& tree) { return tree.SetRootNodeCount(10).Gone(); }},
    {"OnUpdatingAsTheSelectionIsDeleted", FreeOn<&TStringTree::OnUpdating>,
     [](TStringTree& tree) { return tree.DeleteSelectedNodes().Gone(); }},
    {"OnUpdatingAsEveryRowOpens", FreeOn<&TStringTree::OnUpdating>,
     [](TStringTree& tree) { return tree.FullExpand().Gone(); }},
    {"OnGetNodeDataSizeAsARowIsAdded", FreeOnTheRecordSize,
     [](TStringTree& tree) { return tree.AddChild(nullptr) == nullptr; }},
    {"OnCompareNodesAsTheTreeIsSorted", FreeOn<&TStringTree::OnCompareNodes>,
     [](TStringTree& tree) { return tree.SortTree(0, TSortDirection::sdDescending).Gone(); }},
    {"OnChangeAsTheSelectionIsEmptied", FreeOn<&TStringTree::OnChange>,
     [](TStringTree& tree) { return tree.ClearSelection().Gone(); }},
    {"OnFocusChangedAsARowIsFocused", FreeOn<&TStringTree::OnFocusChanged>,
     [](TStringTree& tree) { return tree.SetFocusedNode(tree.GetLast()).TreeGone(); }},
    {"OnHotChangeAsThePointerMoves", FreeOnTheHotRow, MovePointerOverARow},
    {"OnColumnResizeAsTheColumnsGetTheirWidthsBack", FreeOnAColumnsResize,
     [](TStringTree& tree) { return tree.Header()->RestoreColumns().Gone(); }},
};

class TreeFreedInItsCall : public testing::TestWithParam<TCase> {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 400, 300).Alive());
    EXPECT_TRUE(form_->Show().Alive());
  }
  void TearDown() override {
    form_.reset();
    ProcessPendingMessages();
  }

  // Three selected rows, each with two selected children, every one initialized, so that each one's going raises
  // OnFreeNode.
  TStringTree* MakeTree() {
    auto* tree = new TStringTree(form_.get());
    EXPECT_TRUE(tree->SetBounds(10, 10, 300, 200).Alive());
    EXPECT_TRUE(tree->SetParent(form_.get()).Alive());
    EXPECT_TRUE(tree->TreeOptions()
                    ->SetSelectionOptions(tree->TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect)
                    .Alive());
    EXPECT_TRUE(tree->SetRootNodeCount(3).Alive());
    for (PTreeNode node = tree->GetFirst(); node; node = tree->GetNextSibling(node))
      EXPECT_FALSE(tree->SetChildCount(node, 2).TreeGone());
    tree->ValidateNode(nullptr, true);
    for (PTreeNode node = tree->GetFirst(); node; node = tree->GetNext(node))
      EXPECT_FALSE(tree->SetSelected(node, true).TreeGone());
    EXPECT_FALSE(tree->SetFocusedNode(tree->GetFirst()).TreeGone());
    ProcessPendingMessages();
    return tree;
  }

  std::unique_ptr<TForm> form_;
};

TEST_P(TreeFreedInItsCall, AnswersThatItIsGoneAndTouchesNothingOfIt) {
  const TCase& c = GetParam();
  TGuardedAllocations guard;
  TStringTree* slot = MakeTree();
  TStringTree& tree = *slot;
  c.Arm(tree, slot);
  EXPECT_TRUE(c.Call(tree)) << "the call told that the tree lives";
  EXPECT_EQ(slot, nullptr) << "the handler was not raised";
  delete slot;
  ProcessPendingMessages();
}

INSTANTIATE_TEST_SUITE_P(Calls, TreeFreedInItsCall, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace tree_test

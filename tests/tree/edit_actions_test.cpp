// The clipboard messages and the standard edit actions on a tree, and who may start an edit: WM_CUT, WM_COPY and
// WM_PASTE go through the real clipboard; ExecuteAction and UpdateAction answer the five edit actions from the
// selection; EditNode and F2 ask CanEdit.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/std_actions.h"
#include "framework/streams.h"
#include "support/test_window.h"
#include "test_edit_link.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

struct EditActions : ::testing::Test {
  TTestWindow host{RECT{0, 0, 400, 300}};
  ~EditActions() override { OleSetClipboard(nullptr); }
};

}  // namespace

TEST_F(EditActions, ClipboardMessagesCutCopyAndPaste) {
  TKeyedTree source(host.Handle()), target(host.Handle());
  PTreeNode a = source.Add(1);
  source.Add(11, a);
  PTreeNode b = source.Add(2);
  source.SelectOnly(a);
  SendMessageW(source.Handle(), WM_COPY, 0, 0);
  SendMessageW(target.Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(target.Keys(), (std::vector<int>{1, 11}));
  EXPECT_EQ(source.Keys(), (std::vector<int>{1, 11, 2})) << "a copy leaves the source alone";

  source.SelectOnly(b);
  SendMessageW(source.Handle(), WM_CUT, 0, 0);
  EXPECT_EQ(source.Keys(), (std::vector<int>{1, 11, 2})) << "a cut takes the nodes away only when pasted";
  SendMessageW(target.Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(target.Keys(), (std::vector<int>{1, 11, 2}));
  EXPECT_EQ(source.Keys(), (std::vector<int>{1, 11}));
  EXPECT_EQ(CheckInvariants(source), "");
  EXPECT_EQ(CheckInvariants(target), "");
}

// Rows pasted or dropped nowhere have no parent to go to: nothing is pasted, the answer says so, and cut rows stay
// where they were.
TEST_F(EditActions, PastesAndDropsNowhereDoNothing) {
  struct TCase {
    const char* name;
    bool cut;
    bool focused;
    // Pastes into target what source put on the clipboard; answers whether it says it pasted.
    std::function<bool(TKeyedTree& source, TKeyedTree& target)> paste;
  };
  auto byMessage = [](TKeyedTree&, TKeyedTree& target) {
    SendMessageW(target.Handle(), WM_PASTE, 0, 0);
    return false;
  };
  auto byCall = [](TKeyedTree&, TKeyedTree& target) { return target.PasteFromClipboard(); };
  auto asDrop = [](TKeyedTree& source, TKeyedTree& target) {
    Microsoft::WRL::ComPtr<IDataObject> data;
    EXPECT_EQ(OleGetClipboard(&data), S_OK);
    return target.ProcessOLEData(&source, data.Get(), target.FocusedNode(), TTreeNodeAttachMode::amNoWhere, false);
  };
  const TCase cases[] = {
      {"a paste message after a cut", true, true, byMessage},
      {"a paste message after a copy", false, false, byMessage},
      {"a paste onto the focused row", false, true, byCall},
      {"a paste without a focused row, after a cut", true, false, byCall},
      {"a drop onto a row", false, true, asDrop},
      {"a drop onto no row", false, false, asDrop},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TKeyedTree source(host.Handle()), target(host.Handle());
    source.SelectOnly(source.Add(1));
    source.Add(2);
    target.Add(7);
    if (c.focused) EXPECT_FALSE(target.SetFocusedNode(target.GetFirst()).TreeGone());
    target.SetDefaultPasteMode(TTreeNodeAttachMode::amNoWhere);
    if (c.cut)
      source.CutToClipboard();
    else
      source.CopyToClipboard();
    EXPECT_FALSE(c.paste(source, target));
    EXPECT_EQ(target.Keys(), std::vector<int>{7});
    EXPECT_EQ(source.Keys(), (std::vector<int>{1, 2}));
    EXPECT_EQ(CheckInvariants(target), "");
    OleSetClipboard(nullptr);
  }
}

TEST_F(EditActions, UpdateEnablesBySelectionAndMultiSelect) {
  TKeyedTree tree(host.Handle());
  TEditCut cut;
  TEditCopy copy;
  TEditPaste paste;
  TEditDelete del;
  TEditSelectAll selectAll;
  struct TCase {
    const char* name;
    TEditAction* action;
    bool nodes;
    bool selected;
    bool multiSelect;
    bool enabled;
  };
  const TCase cases[] = {
      {"cut without selection", &cut, true, false, false, false},
      {"cut with selection", &cut, true, true, false, true},
      {"copy without selection", &copy, true, false, true, false},
      {"copy with selection", &copy, true, true, false, true},
      {"delete without selection", &del, true, false, false, false},
      {"delete with selection", &del, true, true, true, true},
      {"paste in an empty tree", &paste, false, false, false, true},
      {"paste with selection", &paste, true, true, false, true},
      {"select all without multi-selection", &selectAll, true, false, false, false},
      {"select all with multi-selection", &selectAll, true, false, true, true},
      {"select all of no nodes", &selectAll, false, false, true, false},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.Clear().Alive());
    EXPECT_TRUE(tree.TreeOptions()
                    ->SetSelectionOptions(c.multiSelect ? TTreeSelectionOptions{TTreeSelectionOption::toMultiSelect}
                                                        : TTreeSelectionOptions{})
                    .Alive());
    if (c.nodes) {
      PTreeNode node = tree.Add(1);
      tree.SelectOnly(c.selected ? node : nullptr);
    }
    c.action->SetEnabled(!c.enabled);
    EXPECT_TRUE(tree.UpdateAction(c.action)) << c.name;
    EXPECT_EQ(c.action->Enabled(), c.enabled) << c.name;
  }
  TAction other;
  other.SetEnabled(false);
  EXPECT_FALSE(tree.UpdateAction(&other)) << "other actions are not the tree's";
  EXPECT_FALSE(other.Enabled());
}

TEST_F(EditActions, ExecuteActsOnTheNodes) {
  TKeyedTree tree(host.Handle()), other(host.Handle());
  EXPECT_TRUE(tree.TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toMultiSelect}).Alive());
  PTreeNode a = tree.Add(1);
  tree.Add(11, a);  // collapsed: select all still takes it
  PTreeNode b = tree.Add(2);

  TEditSelectAll selectAll;
  EXPECT_TRUE(tree.ExecuteAction(&selectAll));
  EXPECT_EQ(tree.SelectedCount(), 3u);

  tree.SelectOnly(b);
  TEditCopy copy;
  EXPECT_TRUE(tree.ExecuteAction(&copy));
  TEditPaste paste;
  EXPECT_TRUE(other.ExecuteAction(&paste));
  EXPECT_EQ(other.Keys(), (std::vector<int>{2}));

  tree.SelectOnly(a);
  TEditCut cut;
  EXPECT_TRUE(tree.ExecuteAction(&cut));
  EXPECT_TRUE(other.ExecuteAction(&paste));
  EXPECT_EQ(other.Keys(), (std::vector<int>{2, 1, 11}));
  EXPECT_EQ(tree.Keys(), (std::vector<int>{2}));

  tree.SelectOnly(tree.GetFirst());
  TEditDelete del;
  EXPECT_TRUE(tree.ExecuteAction(&del));
  EXPECT_EQ(tree.TotalCount(), 0u);

  TAction plain;
  EXPECT_FALSE(tree.ExecuteAction(&plain));
}

TEST_F(EditActions, ControlsAlignmentIsTheTreeAlignment) {
  TKeyedTree tree(host.Handle());
  TControl& control = tree;
  for (TAlignment alignment : {TAlignment::taRightJustify, TAlignment::taCenter, TAlignment::taLeftJustify}) {
    tree.SetAlignment(alignment);
    EXPECT_EQ(control.GetControlsAlignment(), alignment);
  }
}

TEST_F(EditActions, EditStartsOnlyWhereCanEditAllows) {
  struct TCase {
    const char* name;
    bool editable;
    bool visible;
    bool veto;
    bool edits;
  };
  const TCase cases[] = {
      {"editable", true, true, false, true},
      {"not editable", false, true, false, false},
      {"hidden tree cannot take the focus", true, false, false, false},
      {"OnEditing refuses", true, true, true, false},
  };
  for (const TCase& c : cases) {
    for (bool byKey : {false, true}) {
      TKeyedTree tree(host.Handle());
      Microsoft::WRL::ComPtr<TRecordingEditLink> link = new TRecordingEditLink();
      tree.OnCreateEditor = ProvideLink(link.Get());
      PTreeNode node = tree.Add(1);
      tree.TreeOptions()->SetMiscOptions(c.editable ? TTreeMiscOptions{TTreeMiscOption::toEditable}
                                                    : TTreeMiscOptions{});
      EXPECT_TRUE(tree.SetVisible(c.visible).Alive());
      int asked = 0;
      tree.OnEditing = [&](TBaseTree*, PTreeNode, TColumnIndex, bool& allowed) {
        ++asked;
        if (c.veto) allowed = false;
      };
      if (byKey) {
        EXPECT_FALSE(tree.SetFocusedNode(node).TreeGone());
        SendMessageW(tree.Handle(), WM_KEYDOWN, VK_F2, 1);
        EXPECT_EQ(tree.IsEditing(), c.edits) << c.name << " by F2";
      } else {
        EXPECT_EQ(tree.EditNode(node, NoColumn), c.edits) << c.name;
        EXPECT_EQ(tree.IsEditing(), c.edits) << c.name;
      }
      EXPECT_EQ(asked, 1) << c.name << (byKey ? " by F2" : "");
      tree.CancelEditNode();
    }
  }
}

}  // namespace tree_test

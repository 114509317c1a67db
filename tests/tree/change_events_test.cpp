#include <algorithm>

#include "framework/win_control.h"
#include "support/test_window.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

// Structure changes and selection changes are merged by update brackets and by the change delay.
TEST(ChangeEvents, DelayMergesChangesIntoOneEvent) {
  TTestWindow host;
  TTestTree tree;
  EXPECT_TRUE(tree.SetParentWindow(host.Handle()).Alive());
  tree.HandleNeeded();
  tree.SetChangeDelay(30);
  std::vector<TChangeReason> reasons;
  int selectionChanges = 0;
  tree.OnStructureChange = [&](TBaseTree*, PTreeNode, TChangeReason r) { reasons.push_back(r); };
  tree.OnChange = [&](TBaseTree*, PTreeNode) { ++selectionChanges; };
  PTreeNode node = tree.AddChild(nullptr);
  EXPECT_TRUE(tree.DeleteNode(tree.AddChild(nullptr)).Alive());
  EXPECT_FALSE(tree.SetSelected(node, true).TreeGone());
  EXPECT_FALSE(tree.SetSelected(node, false).TreeGone());
  EXPECT_TRUE(reasons.empty()) << "fired before the delay";
  ASSERT_TRUE(PumpUntil([&] { return !reasons.empty() && selectionChanges > 0; }));
  EXPECT_EQ(reasons, std::vector<TChangeReason>{TChangeReason::crAccumulated});
  EXPECT_EQ(selectionChanges, 1);

  reasons.clear();
  tree.BeginSynch();
  tree.AddChild(nullptr);
  tree.EndSynch();
  EXPECT_EQ(reasons, std::vector<TChangeReason>{TChangeReason::crChildAdded}) << "synchronous mode fires at once";

  reasons.clear();
  EXPECT_TRUE(tree.BeginUpdate().Alive());
  tree.AddChild(nullptr);
  EXPECT_TRUE(tree.EndUpdate().Alive());
  EXPECT_EQ(reasons.size(), 1u) << "the last EndUpdate fires what is pending";
}

// A node deleted while its change waits for the delay never reaches the event: the event names nil instead.
TEST(ChangeEvents, DeletedNodesNeverReachADelayedEvent) {
  std::vector<PTreeNode> freed, reported;
  bool structureFired = false, changeFired = false;
  TTestWindow host;
  TTestTree tree;
  EXPECT_TRUE(tree.SetParentWindow(host.Handle()).Alive());
  tree.HandleNeeded();
  tree.SetChangeDelay(30);
  tree.OnFreeNode = [&](TBaseTree*, PTreeNode node) { freed.push_back(node); };
  tree.OnStructureChange = [&](TBaseTree*, PTreeNode node, TChangeReason) {
    reported.push_back(node);
    structureFired = true;
  };
  tree.OnChange = [&](TBaseTree*, PTreeNode node) {
    reported.push_back(node);
    changeFired = true;
  };
  PTreeNode parent = tree.AddChild(nullptr);
  PTreeNode child = tree.AddChild(parent);
  tree.AddChild(tree.AddChild(child));
  tree.ValidateNode(nullptr, true);
  EXPECT_FALSE(tree.SetSelected(child, true).TreeGone());
  // The deletion records changes for nodes that go with it: the child's own children went first.
  EXPECT_TRUE(tree.DeleteNode(parent).Alive());
  ASSERT_EQ(freed.size(), 4u);
  ASSERT_TRUE(PumpUntil([&] { return structureFired && changeFired; }));
  for (PTreeNode node : reported)
    EXPECT_EQ(std::find(freed.begin(), freed.end(), node), freed.end()) << "a freed node reached an event";
}

TEST(ChangeEvents, WithoutWindowDelayedChangesFireAtOnce) {
  TTestTree tree;
  tree.SetChangeDelay(50);
  int changes = 0;
  tree.OnStructureChange = [&](TBaseTree*, PTreeNode, TChangeReason) { ++changes; };
  tree.AddChild(nullptr);
  EXPECT_EQ(changes, 1);
}

TEST(ChangeEvents, UpdateStatesAndRefusals) {
  TTestTree tree;
  std::vector<TTreeUpdateState> states;
  tree.OnUpdating = [&](TBaseTree*, TTreeUpdateState s) { states.push_back(s); };
  EXPECT_TRUE(tree.BeginUpdate().Alive());
  EXPECT_TRUE(tree.BeginUpdate().Alive());
  EXPECT_TRUE(tree.EndUpdate().Alive());
  EXPECT_TRUE(tree.EndUpdate().Alive());
  using U = TTreeUpdateState;
  EXPECT_EQ(states, (std::vector<U>{U::usBegin, U::usUpdate, U::usUpdate, U::usEnd}));

  PTreeNode node = tree.AddChild(nullptr);
  tree.OnFocusChanging = [](TBaseTree*, PTreeNode, PTreeNode, TColumnIndex, TColumnIndex, bool& ok) { ok = false; };
  EXPECT_FALSE(tree.SetFocusedNode(node).TreeGone());
  EXPECT_EQ(tree.FocusedNode(), nullptr);
  tree.OnFocusChanging = nullptr;
  PTreeNode focused = nullptr;
  tree.OnFocusChanged = [&](TBaseTree*, PTreeNode n, TColumnIndex) { focused = n; };
  EXPECT_FALSE(tree.SetFocusedNode(node).TreeGone());
  EXPECT_EQ(focused, node);

  node->CheckType = TCheckType::ctCheckBox;
  tree.OnChecking = [](TBaseTree*, PTreeNode, TCheckState&, bool& ok) { ok = false; };
  EXPECT_FALSE(tree.SetCheckState(node, TCheckState::csCheckedNormal).TreeGone());
  EXPECT_EQ(node->CheckState, TCheckState::csUncheckedNormal);
  int checked = 0;
  tree.OnChecking = nullptr;
  tree.OnChecked = [&](TBaseTree*, PTreeNode) { ++checked; };
  EXPECT_FALSE(tree.SetCheckState(node, TCheckState::csCheckedNormal).TreeGone());
  EXPECT_EQ(node->CheckState, TCheckState::csCheckedNormal);
  EXPECT_EQ(checked, 1);
}

}  // namespace
}  // namespace tree_test

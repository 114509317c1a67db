// Shared helpers of the tree tests: a tree that opens its protected parts to the tests, the store's invariant
// checker, a wait for the worker's cache build and a form to show trees on.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/form.h"
#include "support/message_pump.h"
#include "tree/base_tree.h"

namespace tree_test {

using namespace tree;

class TTestTree : public TBaseTree {
 public:
  explicit TTestTree(TComponent* owner = nullptr) : TBaseTree(owner) {}
  using TBaseTree::ClipboardDataObject;
  using TBaseTree::DoStateChange;
  using TBaseTree::StartCacheValidation;
  [[nodiscard]] TRaised NativeClipboardFormats(TFormatEtcArray& formats) { return GetNativeClipboardFormats(formats); }
};

// The node's application record as one integer key.
inline int& Key(TBaseTree& tree, PTreeNode node) { return *tree.GetNodeData<int>(node); }

// A tree whose records hold one integer key, saved and loaded with its nodes by the owner's events; given a host
// window, it is shown on it at 200 x 100.
struct TKeyedTree : TTestTree {
  explicit TKeyedTree(HWND host = nullptr);
  PTreeNode Add(int key, PTreeNode parent = nullptr);
  // Top-level nodes with keys 1..count, each with two children keyed 10 x parent + 1 and + 2.
  void Fill(int count);
  std::vector<int> Keys();
  void SelectOnly(PTreeNode node);
};

// Every cached total and link of the store, checked against a full recount, no node left marked as being checked,
// and the walks along the visible path against the path; returns the first fault found.
std::string CheckInvariants(TBaseTree& tree);

// The nodes on the visible path in order, read from the links and flags alone.
std::vector<PTreeNode> ShownNodes(TBaseTree& tree);

// Wait until the worker has published the tree's cache, or until no validation runs, however long that takes
// within a limit far above need; a wait that never ends fails, naming what it waited for.
testing::AssertionResult WaitForCache(TBaseTree& tree);
testing::AssertionResult WaitForValidationToEnd(TBaseTree& tree);

// The nodes in pre-order, without initializing any.
std::vector<PTreeNode> AllNodes(TBaseTree& tree);

// A borderless form shown at (40, 40), 400 x 300 pixels.
std::unique_ptr<TForm> ShowHostForm();

}  // namespace tree_test

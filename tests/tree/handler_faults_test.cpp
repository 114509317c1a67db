// Handlers that delete nodes, empty the tree or raise in the middle of the tree's own work, as the model check met
// them: each case is one such handler and the call that raises it, on a shown tree whose freed node blocks are
// guarded, so that any touch of a freed node faults; the tree is whole afterwards.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/streams.h"
#include "support/test_window.h"
#include "tree/string_tree.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

class EHandler : public Exception {
 public:
  EHandler() : Exception(L"the handler failed") {}
};

// A shown string tree with records, which saves them with its nodes.
struct TFaultTree : TStringTree {
  explicit TFaultTree(HWND host) : TStringTree(nullptr) {
    SetNodeDataSize(sizeof(int));
    SetParentWindow(host);
    SetBounds(0, 0, 200, 150);
    HandleNeeded();
    SetVisible(true);
    SetAnimationDuration(0);
    OnSaveNode = [this](TBaseTree*, PTreeNode node, TStream& stream) { stream.WriteBuffer(&Key(*this, node), 4); };
    OnLoadNode = [this](TBaseTree*, PTreeNode node, TStream& stream) { stream.ReadBuffer(&Key(*this, node), 4); };
    OnGetText = [this](TBaseTree*, PTreeNode node, TColumnIndex, TVSTTextType, String& text) {
      text = L"Row " + std::to_wstring(Key(*this, node));
    };
  }
  PTreeNode Add(int key, PTreeNode parent = nullptr) {
    PTreeNode node = AddChild(parent);
    Key(*this, node) = key;
    return node;
  }
  // Top-level rows 1..3; row 2 open over its children 21..23.
  void Fill() {
    for (int key = 1; key <= 3; ++key) {
      PTreeNode node = Add(key);
      if (key == 2)
        for (int child = 21; child <= 23; ++child) Add(child, node);
    }
    SetExpanded(Row(2), true);
  }
  PTreeNode Row(int key) {
    for (PTreeNode node = GetFirstNoInit(); node; node = GetNextNoInit(node))
      if (Key(*this, node) == key) return node;
    return nullptr;
  }
  void MultiSelect() {
    TreeOptions()->SetSelectionOptions(TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect);
  }
};

// What is wrong with the tree, beyond its totals: the selection against the flags.
std::string Fault(TBaseTree& tree) {
  std::string fault = CheckInvariants(tree);
  if (!fault.empty()) return fault;
  std::uint32_t selected = 0;
  for (PTreeNode node : AllNodes(tree)) selected += node->Has(nsSelected);
  if (selected != tree.SelectedCount())
    return "SelectedCount " + std::to_string(tree.SelectedCount()) + " for " + std::to_string(selected);
  if (tree.UpdateCount() != 0) return "an update bracket left open";
  return {};
}

struct THandlerCase {
  const char* Name;
  // Sets the tree up and wires the handler; then acts.
  std::function<void(TFaultTree& tree)> Arrange;
  std::function<void(TFaultTree& tree)> Act;
};

// Once, then no more: a handler that acted would otherwise act again on what its own deed raised.
template <class Deed>
std::function<void()> Once(Deed deed) {
  auto done = std::make_shared<bool>(false);
  return [done, deed] {
    if (*done) return;
    *done = true;
    deed();
  };
}

struct HandlerFaults : ::testing::TestWithParam<THandlerCase> {
  TTestWindow host{RECT{30, 30, 260, 220}};
  HandlerFaults() { TNodeSlab::SetGuardFreedBlocks(true); }
  ~HandlerFaults() override {
    TNodeSlab::SetGuardFreedBlocks(false);
    OleSetClipboard(nullptr);
  }
};

TEST_P(HandlerFaults, TheTreeIsWholeAfterwards) {
  const THandlerCase& c = GetParam();
  TFaultTree tree(host.Handle());
  c.Arrange(tree);
  try {
    c.Act(tree);
  } catch (const EHandler&) {
  }
  EXPECT_EQ(Fault(tree), "");
  // The tree goes on: a row added and painted, every row deleted.
  tree.AddChild(nullptr);
  RedrawWindow(tree.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  tree.Clear();
  EXPECT_EQ(Fault(tree), "");
}

const THandlerCase kHandlerCases[] = {
    {"rows added after Clear, their blocks guarded", [](TFaultTree& tree) { tree.Fill(); },
     [](TFaultTree& tree) {
       tree.Clear();
       tree.Add(7);
     }},
    {"a child's OnInitNode deletes the parent being expanded",
     [](TFaultTree& tree) {
       tree.Fill();
       PTreeNode parent = tree.Add(5);
       tree.SetChildCount(parent, 3);
       tree.OnInitNode = [&tree, parent, deed = Once([&tree, parent] { tree.DeleteNode(parent); })](
                             TBaseTree*, PTreeNode of, PTreeNode, TTreeNodeInitStates&) {
         if (of == parent) deed();
       };
     },
     [](TFaultTree& tree) { tree.ToggleNode(tree.Row(5)); }},
    {"OnGetText deletes its node while the scroll bars are measured",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.OnGetText = [&tree, deed = Once([&tree] { tree.DeleteNode(tree.Row(22)); })](
                            TBaseTree*, PTreeNode node, TColumnIndex, TVSTTextType, String& text) {
         if (Key(tree, node) == 22) deed();
         text = L"Row";
       };
     },
     [](TFaultTree& tree) {
       // The row's width is measured anew.
       tree.InvalidateNode(tree.Row(22));
       tree.SetNodeHeight(tree.Row(3), 30);
     }},
    {"OnGetText empties the tree while the scroll bars are measured",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.OnGetText = [&tree, deed = Once([&tree] { tree.Clear(); })](TBaseTree*, PTreeNode, TColumnIndex,
                                                                        TVSTTextType, String& text) {
         text = L"Row";
         deed();
       };
     },
     [](TFaultTree& tree) { tree.SetNodeHeight(tree.Row(3), 30); }},
    {"OnStructureChange for a child added to B deletes B's parent",
     [](TFaultTree& tree) {
       tree.Fill();
       PTreeNode b = tree.Row(22);
       tree.OnStructureChange = [&tree, b, deed = Once([&tree] { tree.DeleteNode(tree.Row(2)); })](
                                    TBaseTree*, PTreeNode node, TChangeReason) {
         if (node == b) deed();
       };
     },
     [](TFaultTree& tree) { tree.AddChild(tree.Row(22)); }},
    {"OnFreeNode of a child deletes a sibling while their parent is deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.OnFreeNode = [&tree, deed = Once([&tree] { tree.DeleteNode(tree.Row(21)); })](TBaseTree*, PTreeNode node) {
         if (Key(tree, node) == 23) deed();
       };
     },
     [](TFaultTree& tree) { tree.DeleteNode(tree.Row(2)); }},
    {"OnFreeNode of a child deletes a sibling while the selection is deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.MultiSelect();
       tree.AddToSelection(tree.Row(2));
       tree.AddToSelection(tree.Row(3));
       tree.OnFreeNode = [&tree, deed = Once([&tree] { tree.DeleteNode(tree.Row(21)); })](TBaseTree*, PTreeNode node) {
         if (Key(tree, node) == 23) deed();
       };
     },
     [](TFaultTree& tree) { tree.DeleteSelectedNodes(); }},
    {"OnFreeNode of a child empties the tree while their parent is deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.OnFreeNode = [&tree, deed = Once([&tree] { tree.Clear(); })](TBaseTree*, PTreeNode node) {
         if (Key(tree, node) == 23) deed();
       };
     },
     [](TFaultTree& tree) { tree.DeleteNode(tree.Row(2)); }},
    {"OnLoadNode deletes the node being read from a stream",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.TreeOptions()->SetStringOptions(tree.TreeOptions()->StringOptions() + TTreeStringOption::toSaveCaptions);
       tree.OnLoadNode = [&tree](TBaseTree*, PTreeNode node, TStream& stream) {
         stream.ReadBuffer(&Key(tree, node), 4);
         if (Key(tree, node) == 22) tree.DeleteNode(node);
       };
     },
     [](TFaultTree& tree) {
       TMemoryStream stream;
       tree.SaveToStream(stream);
       stream.SetPosition(0);
       tree.LoadFromStream(stream);
       EXPECT_EQ(tree.TotalCount(), 5u);
     }},
    {"OnLoadNode deletes the node being pasted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.TreeOptions()->SetStringOptions(tree.TreeOptions()->StringOptions() + TTreeStringOption::toSaveCaptions);
       tree.OnLoadNode = [&tree](TBaseTree*, PTreeNode node, TStream& stream) {
         stream.ReadBuffer(&Key(tree, node), 4);
         if (Key(tree, node) == 22 && node->Parent != tree.Row(2)) tree.DeleteNode(node);
       };
       tree.AddToSelection(tree.Row(2));
       tree.CopyToClipboard();
       tree.SetFocusedNode(tree.Row(3));
     },
     [](TFaultTree& tree) { tree.PasteFromClipboard(); }},
    {"OnSaveNode empties the tree while a paste renders its data",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.AddToSelection(tree.Row(1));
       tree.CopyToClipboard();
       tree.SetFocusedNode(tree.Row(3));
       tree.OnSaveNode = [&tree, deed = Once([&tree] { tree.Clear(); })](TBaseTree*, PTreeNode node, TStream& stream) {
         stream.WriteBuffer(&Key(tree, node), 4);
         deed();
       };
     },
     [](TFaultTree& tree) { tree.PasteFromClipboard(); }},
    {"OnChange raises while a node whose second child is selected is deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.AddToSelection(tree.Row(22));
       tree.OnChange = [](TBaseTree*, PTreeNode) { throw EHandler(); };
     },
     [](TFaultTree& tree) { tree.DeleteNode(tree.Row(2)); }},
    {"OnChange of a selected child deletes their parent while its children are deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.AddToSelection(tree.Row(22));
       tree.OnChange = [&tree, deed = Once([&tree] { tree.DeleteNode(tree.Row(2)); })](TBaseTree*, PTreeNode) {
         deed();
       };
     },
     [](TFaultTree& tree) { tree.DeleteChildren(tree.Row(2)); }},
    {"OnChange of a selected and focused child deletes a sibling while their parent's children are deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.SetFocusedNode(tree.Row(22));
       tree.AddToSelection(tree.Row(22));
       tree.OnChange = [&tree, deed = Once([&tree] { tree.DeleteNode(tree.Row(21)); })](TBaseTree*, PTreeNode) {
         deed();
       };
     },
     [](TFaultTree& tree) { tree.DeleteChildren(tree.Row(2)); }},
    {"OnExpanded of a collapsed ancestor deletes it while a node below it is toggled",
     [](TFaultTree& tree) {
       tree.Fill();
       for (int key = 221; key <= 230; ++key) tree.Add(key, tree.Row(22));
       tree.SetExpanded(tree.Row(2), false);
       tree.TreeOptions()->SetAutoOptions(tree.TreeOptions()->AutoOptions() + TTreeAutoOption::toAutoScrollOnExpand);
       PTreeNode ancestor = tree.Row(2);
       tree.OnExpanded = [&tree, ancestor, deed = Once([&tree, ancestor] { tree.DeleteNode(ancestor); })](
                             TBaseTree*, PTreeNode node) {
         if (node == ancestor) deed();
       };
     },
     [](TFaultTree& tree) { tree.ToggleNode(tree.Row(22)); }},
    {"Shift+End whose OnInitNode of a row below the view deletes a row the range already holds",
     [](TFaultTree& tree) {
       tree.MultiSelect();
       for (int key = 1; key <= 40; ++key) tree.Add(key);
       tree.SetFocusedNode(tree.Row(1));
       tree.AddToSelection(tree.Row(1));
       // The rows below the view are first initialized by the walk over the range.
       tree.OnInitNode = [&tree, deed = Once([&tree] { tree.DeleteNode(tree.Row(2)); })](
                             TBaseTree*, PTreeNode, PTreeNode node, TTreeNodeInitStates&) {
         if (Key(tree, node) == 30) deed();
       };
     },
     [](TFaultTree& tree) {
       BYTE saved[256]{};
       GetKeyboardState(saved);
       BYTE state[256]{};
       state[VK_SHIFT] = 0x80;
       SetKeyboardState(state);
       SendMessageW(tree.Handle(), WM_KEYDOWN, VK_END, 1);
       SetKeyboardState(saved);
       EXPECT_EQ(tree.SelectedCount(), 39u);
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, HandlerFaults, ::testing::ValuesIn(kHandlerCases),
                         [](const testing::TestParamInfo<THandlerCase>& info) {
                           std::string name;
                           for (const char* c = info.param.Name; *c; ++c)
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           return name;
                         });

}  // namespace
}  // namespace tree_test

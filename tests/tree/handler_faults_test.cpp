// Handlers that delete nodes, empty the tree or raise in the middle of the tree's own work, as the model check met
// them: each case is one such handler and the call that raises it, on a shown tree whose freed node blocks are
// guarded, so that any touch of a freed node faults; the tree is whole afterwards.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/streams.h"
#include "support/test_window.h"
#include "tree/string_tree.h"
#include "tree/tree_drag_manager.h"
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
    EXPECT_TRUE(SetNodeDataSize(sizeof(int)).Alive());
    EXPECT_TRUE(SetParentWindow(host).Alive());
    EXPECT_TRUE(SetBounds(0, 0, 200, 150).Alive());
    HandleNeeded();
    EXPECT_TRUE(SetVisible(true).Alive());
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
    EXPECT_FALSE(SetExpanded(Row(2), true).TreeGone());
  }
  void FillInitialized() {
    Fill();
    ValidateNode(nullptr, true);
  }
  PTreeNode Row(int key) {
    for (PTreeNode node = GetFirstNoInit(); node; node = GetNextNoInit(node))
      if (Key(*this, node) == key) return node;
    return nullptr;
  }
  // Row key selected and copied, and row 3 focused, where a paste goes.
  void CopyRow(int key) {
    EXPECT_FALSE(AddToSelection(Row(key)).TreeGone());
    CopyToClipboard();
    EXPECT_FALSE(SetFocusedNode(Row(3)).TreeGone());
  }
  void MultiSelect() {
    EXPECT_TRUE(TreeOptions()
                    ->SetSelectionOptions(TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect)
                    .Alive());
  }
  void Editable() { TreeOptions()->SetMiscOptions(TreeOptions()->MiscOptions() + TTreeMiscOption::toEditable); }
  // Starts an edit of the row by F2, as a person does.
  void EditByKey(int key) {
    EXPECT_TRUE(SetFocus().Alive());
    EXPECT_FALSE(SetFocusedNode(Row(key)).TreeGone());
    SendMessageW(Handle(), WM_KEYDOWN, VK_F2, 1);
    ASSERT_TRUE(IsEditing());
  }
  HWND Editor() { return FindWindowExW(Handle(), nullptr, L"TTreeEdit", nullptr); }
  void TypeAndEnter(const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) SendMessageW(Editor(), WM_CHAR, *c, 1);
    SendMessageW(Editor(), WM_KEYDOWN, VK_RETURN, 1);
  }
  // A click on the row's text, with the modifiers held.
  void Click(int key, std::initializer_list<BYTE> modifiers = {}) {
    const RECT text = GetDisplayRect(Row(key), NoColumn, true);
    const LPARAM at = MAKELPARAM(text.left + 4, (text.top + text.bottom) / 2);
    BYTE saved[256]{}, state[256]{};
    GetKeyboardState(saved);
    WPARAM keys = MK_LBUTTON;
    for (BYTE modifier : modifiers) {
      state[modifier] = 0x80;
      keys |= modifier == VK_CONTROL ? MK_CONTROL : modifier == VK_SHIFT ? MK_SHIFT : 0;
    }
    SetKeyboardState(state);
    SendMessageW(Handle(), WM_LBUTTONDOWN, keys, at);
    SendMessageW(Handle(), WM_LBUTTONUP, keys & ~MK_LBUTTON, at);
    SetKeyboardState(saved);
  }
  // The row's middle on the screen, where a drag points.
  POINTL ScreenPoint(int key) {
    const RECT r = GetDisplayRect(Row(key), NoColumn, false);
    POINT p{r.left + 20, (r.top + r.bottom) / 2};
    ::ClientToScreen(Handle(), &p);
    return POINTL{p.x, p.y};
  }
  // Another tree's rows dragged over this one, to the row: enter, move and leave.
  void DragOverRow(int key) {
    TStringTree other(nullptr);
    EXPECT_TRUE(other.SetRootNodeCount(1).Alive());
    EXPECT_FALSE(other.AddToSelection(other.GetFirst()).TreeGone());
    Microsoft::WRL::ComPtr<IDataObject> data;
    *data.ReleaseAndGetAddressOf() = other.GetDragManager()->GetDataObject();
    Microsoft::WRL::ComPtr<IDropTarget> drop;
    GetDragManager()->QueryInterface(IID_PPV_ARGS(&drop));
    const POINTL at = ScreenPoint(key);
    DWORD effect = DROPEFFECT_COPY;
    drop->DragEnter(data.Get(), MK_LBUTTON, at, &effect);
    effect = DROPEFFECT_COPY;
    drop->DragOver(MK_LBUTTON, POINTL{at.x, at.y + 1}, &effect);
    drop->DragLeave();
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

void SaveAndLoad(TFaultTree& from, TFaultTree& into) {
  TMemoryStream stream;
  from.SaveToStream(stream);
  stream.SetPosition(0);
  EXPECT_TRUE(into.LoadFromStream(stream).Alive());
}

// The first row freed by empty adds row 9 below parent (the root when 0), initialized and selected: the row is
// either in the tree afterwards or freed with its OnFreeNode, never lost, and the selection's count follows.
void AddedWhileEmptied(TFaultTree& tree, int parent, const std::function<void()>& empty) {
  auto added = std::make_shared<PTreeNode>(nullptr);
  auto freed = std::make_shared<bool>(false);
  PTreeNode below = parent ? tree.Row(parent) : nullptr;
  tree.OnFreeNode = [&tree, added, freed, below](TBaseTree*, PTreeNode node) {
    if (node == *added) *freed = true;
    if (*added) return;
    *added = tree.Add(9, below);
    tree.ValidateNode(*added, false);
    EXPECT_FALSE(tree.AddToSelection(*added).TreeGone());
  };
  empty();
  EXPECT_EQ(Fault(tree), "");
  ASSERT_NE(*added, nullptr);
  EXPECT_TRUE(*freed || tree.Row(9) == *added);
  EXPECT_TRUE(tree.Clear().Alive());
  EXPECT_TRUE(*freed);
}

// Row 2 deleted, whose child 23 (freed first) has an OnFreeNode that does deed once.
void DeletedWithRow2(TFaultTree& tree, const std::function<void(PTreeNode row23)>& deed) {
  tree.OnFreeNode = [&tree, deed, done = std::make_shared<bool>(false)](TBaseTree*, PTreeNode node) {
    if (*done || Key(tree, node) != 23) return;
    *done = true;
    deed(node);
  };
  EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive());
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

// A case's name in the test's: its letters and digits.
template <class Param>
std::string NameOf(const testing::TestParamInfo<Param>& info) {
  std::string name;
  for (const char* c = info.param.Name; *c; ++c)
    if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
  return name;
}

// A host window for the trees, whose freed node blocks are guarded; the clipboard is emptied afterwards.
template <class Param>
struct TGuardedTrees : ::testing::TestWithParam<Param> {
  TTestWindow host{RECT{30, 30, 480, 220}};
  TGuardedTrees() { TNodeSlab::SetGuardFreedBlocks(true); }
  ~TGuardedTrees() override {
    TNodeSlab::SetGuardFreedBlocks(false);
    OleSetClipboard(nullptr);
  }
};

struct HandlerFaults : TGuardedTrees<THandlerCase> {};

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
  EXPECT_TRUE(tree.Clear().Alive());
  EXPECT_EQ(Fault(tree), "");
}

const THandlerCase kHandlerCases[] = {
    {"rows added after Clear, their blocks guarded", [](TFaultTree& tree) { tree.Fill(); },
     [](TFaultTree& tree) {
       EXPECT_TRUE(tree.Clear().Alive());
       tree.Add(7);
     }},
    {"a child's OnInitNode deletes the parent being expanded",
     [](TFaultTree& tree) {
       tree.Fill();
       PTreeNode parent = tree.Add(5);
       EXPECT_FALSE(tree.SetChildCount(parent, 3).TreeGone());
       tree.OnInitNode = [&tree, parent, deed = Once([&tree, parent] {
                                           EXPECT_TRUE(tree.DeleteNode(parent).Alive());
                                         })](TBaseTree*, PTreeNode of, PTreeNode, TTreeNodeInitStates&) {
         if (of == parent) deed();
       };
     },
     [](TFaultTree& tree) { EXPECT_FALSE(tree.ToggleNode(tree.Row(5)).TreeGone()); }},
    {"OnGetText deletes its node while the scroll bars are measured",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.OnGetText = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(22)).Alive()); })](
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
       tree.OnGetText = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.Clear().Alive()); })](
                            TBaseTree*, PTreeNode, TColumnIndex, TVSTTextType, String& text) {
         text = L"Row";
         deed();
       };
     },
     [](TFaultTree& tree) { tree.SetNodeHeight(tree.Row(3), 30); }},
    {"OnStructureChange for a child added to B deletes B's parent",
     [](TFaultTree& tree) {
       tree.Fill();
       PTreeNode b = tree.Row(22);
       tree.OnStructureChange = [&tree, b, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); })](
                                    TBaseTree*, PTreeNode node, TChangeReason) {
         if (node == b) deed();
       };
     },
     [](TFaultTree& tree) { tree.AddChild(tree.Row(22)); }},
    {"OnFreeNode of a child deletes a sibling while their parent is deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.OnFreeNode = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(21)).Alive()); })](
                             TBaseTree*, PTreeNode node) {
         if (Key(tree, node) == 23) deed();
       };
     },
     [](TFaultTree& tree) { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); }},
    {"OnFreeNode of a child deletes a sibling while the selection is deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.MultiSelect();
       EXPECT_FALSE(tree.AddToSelection(tree.Row(2)).TreeGone());
       EXPECT_FALSE(tree.AddToSelection(tree.Row(3)).TreeGone());
       tree.OnFreeNode = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(21)).Alive()); })](
                             TBaseTree*, PTreeNode node) {
         if (Key(tree, node) == 23) deed();
       };
     },
     [](TFaultTree& tree) { EXPECT_TRUE(tree.DeleteSelectedNodes().Alive()); }},
    {"OnFreeNode of a child empties the tree while their parent is deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.OnFreeNode = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.Clear().Alive()); })](TBaseTree*,
                                                                                              PTreeNode node) {
         if (Key(tree, node) == 23) deed();
       };
     },
     [](TFaultTree& tree) { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); }},
    {"OnLoadNode deletes the node being read from a stream",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.TreeOptions()->SetStringOptions(tree.TreeOptions()->StringOptions() + TTreeStringOption::toSaveCaptions);
       tree.OnLoadNode = [&tree](TBaseTree*, PTreeNode node, TStream& stream) {
         stream.ReadBuffer(&Key(tree, node), 4);
         if (Key(tree, node) == 22) EXPECT_TRUE(tree.DeleteNode(node).Alive());
       };
     },
     [](TFaultTree& tree) {
       TMemoryStream stream;
       tree.SaveToStream(stream);
       stream.SetPosition(0);
       EXPECT_TRUE(tree.LoadFromStream(stream).Alive());
       EXPECT_EQ(tree.TotalCount(), 5u);
     }},
    {"OnLoadNode deletes the node being pasted",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.TreeOptions()->SetStringOptions(tree.TreeOptions()->StringOptions() + TTreeStringOption::toSaveCaptions);
       tree.OnLoadNode = [&tree](TBaseTree*, PTreeNode node, TStream& stream) {
         stream.ReadBuffer(&Key(tree, node), 4);
         if (Key(tree, node) == 22 && node->Parent != tree.Row(2)) EXPECT_TRUE(tree.DeleteNode(node).Alive());
       };
       tree.CopyRow(2);
     },
     [](TFaultTree& tree) { tree.PasteFromClipboard(); }},
    {"OnSaveNode empties the tree while a paste renders its data",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.CopyRow(1);
       tree.OnSaveNode = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.Clear().Alive()); })](
                             TBaseTree*, PTreeNode node, TStream& stream) {
         stream.WriteBuffer(&Key(tree, node), 4);
         deed();
       };
     },
     [](TFaultTree& tree) { tree.PasteFromClipboard(); }},
    {"OnChange raises while a node whose second child is selected is deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       EXPECT_FALSE(tree.AddToSelection(tree.Row(22)).TreeGone());
       tree.OnChange = [](TBaseTree*, PTreeNode) { throw EHandler(); };
     },
     [](TFaultTree& tree) { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); }},
    {"OnChange raises while a node whose second grandchild is selected is deleted",
     [](TFaultTree& tree) {
       PTreeNode child = tree.Add(411, tree.Add(41, tree.Add(4)));
       tree.Add(4111, child);
       EXPECT_FALSE(tree.AddToSelection(tree.Add(4112, child)).TreeGone());
       tree.OnChange = [](TBaseTree*, PTreeNode) { throw EHandler(); };
     },
     [](TFaultTree& tree) {
       // As an application reads them, straight from the record.
       EXPECT_EQ(tree.Row(4)->TotalCount, 5u);
       try {
         EXPECT_TRUE(tree.DeleteNode(tree.Row(41)).Alive());
       } catch (const EHandler&) {
       }
       EXPECT_EQ(tree.Row(4)->TotalCount, 1u) << "the parent counts itself alone";
     }},
    {"OnChange of a selected child deletes their parent while its children are deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       EXPECT_FALSE(tree.AddToSelection(tree.Row(22)).TreeGone());
       tree.OnChange = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); })](
                           TBaseTree*, PTreeNode) { deed(); };
     },
     [](TFaultTree& tree) { EXPECT_FALSE(tree.DeleteChildren(tree.Row(2)).TreeGone()); }},
    {"OnChange of a selected and focused child deletes a sibling while their parent's children are deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       EXPECT_FALSE(tree.SetFocusedNode(tree.Row(22)).TreeGone());
       EXPECT_FALSE(tree.AddToSelection(tree.Row(22)).TreeGone());
       tree.OnChange = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(21)).Alive()); })](
                           TBaseTree*, PTreeNode) { deed(); };
     },
     [](TFaultTree& tree) { EXPECT_FALSE(tree.DeleteChildren(tree.Row(2)).TreeGone()); }},
    {"OnExpanded of a collapsed ancestor deletes it while a node below it is toggled",
     [](TFaultTree& tree) {
       tree.Fill();
       for (int key = 221; key <= 230; ++key) tree.Add(key, tree.Row(22));
       EXPECT_FALSE(tree.SetExpanded(tree.Row(2), false).TreeGone());
       tree.TreeOptions()->SetAutoOptions(tree.TreeOptions()->AutoOptions() + TTreeAutoOption::toAutoScrollOnExpand);
       PTreeNode ancestor = tree.Row(2);
       tree.OnExpanded = [&tree, ancestor, deed = Once([&tree, ancestor] {
                                             EXPECT_TRUE(tree.DeleteNode(ancestor).Alive());
                                           })](TBaseTree*, PTreeNode node) {
         if (node == ancestor) deed();
       };
     },
     [](TFaultTree& tree) { EXPECT_FALSE(tree.ToggleNode(tree.Row(22)).TreeGone()); }},
    {"Shift+End whose OnInitNode of a row below the view deletes a row the range already holds",
     [](TFaultTree& tree) {
       tree.MultiSelect();
       for (int key = 1; key <= 40; ++key) tree.Add(key);
       EXPECT_FALSE(tree.SetFocusedNode(tree.Row(1)).TreeGone());
       EXPECT_FALSE(tree.AddToSelection(tree.Row(1)).TreeGone());
       // The rows below the view are first initialized by the walk over the range.
       tree.OnInitNode = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); })](
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
    // Editing: the handlers that end an edit free the edited row, the row clicked or the row about to be added.
    {"Enter ends an edit whose OnNewText deletes the renamed row",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnNewText = [&tree](TBaseTree*, PTreeNode node, TColumnIndex, const String& text) {
         if (text.empty() || text == L"gone") EXPECT_TRUE(tree.DeleteNode(node).Alive());
       };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(22);
       SendMessageW(tree.Editor(), WM_SETTEXT, 0, 0);
       tree.TypeAndEnter(L"gone");
       EXPECT_EQ(tree.Row(22), nullptr);
     }},
    {"EndEditNode ends an edit whose OnNewText deletes the row's parent",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnNewText = [&tree](TBaseTree*, PTreeNode, TColumnIndex, const String&) {
         EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive());
       };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(22);
       SendMessageW(tree.Editor(), WM_CHAR, L'x', 1);
       EXPECT_TRUE(tree.EndEditNode());
       EXPECT_EQ(tree.Row(2), nullptr);
     }},
    {"Enter ends an edit whose OnNewText empties the tree",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnNewText = [&tree](TBaseTree*, PTreeNode, TColumnIndex, const String&) {
         EXPECT_TRUE(tree.Clear().Alive());
       };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(3);
       tree.TypeAndEnter(L"x");
       EXPECT_EQ(tree.TotalCount(), 0u);
     }},
    {"a click on another row ends an edit whose OnEdited deletes the row clicked",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnEdited = [&tree](TBaseTree*, PTreeNode, TColumnIndex) {
         EXPECT_TRUE(tree.DeleteNode(tree.Row(3)).Alive());
       };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(1);
       SendMessageW(tree.Editor(), WM_CHAR, L'x', 1);
       tree.Click(3);
       EXPECT_FALSE(tree.IsEditing());
       EXPECT_EQ(tree.Row(3), nullptr);
     }},
    {"a click on another row ends an edit whose OnEdited reloads the tree",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnEdited = [&tree](TBaseTree*, PTreeNode, TColumnIndex) {
         EXPECT_TRUE(tree.Clear().Alive());
         tree.Fill();
       };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(1);
       SendMessageW(tree.Editor(), WM_CHAR, L'x', 1);
       tree.Click(3);
       EXPECT_TRUE(tree.Clear().Alive());
       EXPECT_EQ(tree.SelectedCount(), 0u) << "the selection went with the rows";
     }},
    {"SetFocusedNode ends an edit whose OnEdited deletes the row given the focus",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnEdited = [&tree](TBaseTree*, PTreeNode, TColumnIndex) {
         EXPECT_TRUE(tree.DeleteNode(tree.Row(3)).Alive());
       };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(1);
       EXPECT_FALSE(tree.SetFocusedNode(tree.Row(3)).TreeGone());
       EXPECT_EQ(tree.FocusedNode(), tree.Row(1)) << "the focus stays where it was";
     }},
    {"AddChild ends an edit whose OnEditCancelled deletes the parent given",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnEditCancelled = [&tree](TBaseTree*, TColumnIndex) { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(1);
       EXPECT_EQ(tree.AddChild(tree.Row(2)), nullptr) << "no node in no tree";
     }},
    {"InsertNode ends an edit whose OnEditCancelled empties the tree",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnEditCancelled = [&tree](TBaseTree*, TColumnIndex) { EXPECT_TRUE(tree.Clear().Alive()); };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(1);
       EXPECT_EQ(tree.InsertNode(tree.Row(22), TTreeNodeAttachMode::amInsertAfter), nullptr);
     }},
    {"the edited row deleted with its siblings, whose OnEditCancelled deletes their parent",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.Editable();
       tree.OnEditCancelled = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); })](
                                  TBaseTree*, TColumnIndex) { deed(); };
     },
     [](TFaultTree& tree) {
       tree.EditByKey(22);
       // The editor gives the focus back to the tree while the row, out of its parent's list, is still going.
       EXPECT_FALSE(tree.DeleteChildren(tree.Row(2)).TreeGone());
       EXPECT_EQ(tree.Row(2), nullptr);
     }},
    // Reading: a caption chunk raises OnNewText about the node just read.
    {"OnNewText of a loaded caption deletes the node read",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.TreeOptions()->SetStringOptions(tree.TreeOptions()->StringOptions() + TTreeStringOption::toSaveCaptions);
       tree.OnNewText = [&tree](TBaseTree*, PTreeNode node, TColumnIndex, const String& text) {
         if (text == L"Row 22") EXPECT_TRUE(tree.DeleteNode(node).Alive());
       };
     },
     [](TFaultTree& tree) {
       TMemoryStream stream;
       tree.SaveToStream(stream);
       stream.SetPosition(0);
       EXPECT_TRUE(tree.LoadFromStream(stream).Alive());
       EXPECT_EQ(tree.TotalCount(), 5u);
     }},
    {"OnNewText of a pasted caption empties the tree",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.TreeOptions()->SetStringOptions(tree.TreeOptions()->StringOptions() + TTreeStringOption::toSaveCaptions);
       tree.CopyRow(2);
       tree.OnNewText = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.Clear().Alive()); })](
                            TBaseTree*, PTreeNode, TColumnIndex, const String&) { deed(); };
     },
     [](TFaultTree& tree) { tree.PasteFromClipboard(); }},
    // Cut and paste: the cut rows go after the paste, raising OnFreeNode.
    {"OnFreeNode of a cut row empties the tree as the paste ends the cut",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.MultiSelect();
       EXPECT_FALSE(tree.AddToSelection(tree.Row(1)).TreeGone());
       EXPECT_FALSE(tree.AddToSelection(tree.Row(21)).TreeGone());
       tree.CutToClipboard();
       EXPECT_FALSE(tree.SetFocusedNode(tree.Row(3)).TreeGone());
       // The rows stay where they are, to go once the paste is done.
       tree.OnNodeMoving = [](TBaseTree*, PTreeNode, PTreeNode, bool& allowed) { allowed = false; };
       tree.OnFreeNode = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.Clear().Alive()); })](TBaseTree*,
                                                                                              PTreeNode node) {
         if (Key(tree, node) == 1) deed();
       };
     },
     [](TFaultTree& tree) {
       TFaultTree other(tree.ParentWindow());
       other.Fill();
       EXPECT_FALSE(other.SetFocusedNode(other.Row(3)).TreeGone());
       other.PasteFromClipboard();
       EXPECT_EQ(Fault(other), "");
     }},
    {"OnFreeNode of a cut row deletes the next cut row as the paste ends the cut",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.MultiSelect();
       EXPECT_FALSE(tree.AddToSelection(tree.Row(1)).TreeGone());
       EXPECT_FALSE(tree.AddToSelection(tree.Row(2)).TreeGone());
       tree.CutToClipboard();
       // The rows stay where they are, to go once the paste is done.
       tree.OnNodeMoving = [](TBaseTree*, PTreeNode, PTreeNode, bool& allowed) { allowed = false; };
       tree.OnFreeNode = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); })](
                             TBaseTree*, PTreeNode node) {
         if (Key(tree, node) == 1) deed();
       };
     },
     [](TFaultTree& tree) {
       TFaultTree other(tree.ParentWindow());
       other.PasteFromClipboard();
       EXPECT_EQ(tree.TotalCount(), 1u);
     }},
    {"OnChange raises while the children of a node, one selected, are deleted",
     [](TFaultTree& tree) {
       tree.Fill();
       EXPECT_FALSE(tree.AddToSelection(tree.Row(22)).TreeGone());
       tree.OnChange = [](TBaseTree*, PTreeNode) { throw EHandler(); };
     },
     [](TFaultTree& tree) {
       try {
         EXPECT_FALSE(tree.DeleteChildren(tree.Row(2)).TreeGone());
       } catch (const EHandler&) {
       }
       EXPECT_EQ(tree.Row(2)->TotalCount, 1u) << "the parent counts itself alone";
     }},
    // Selecting by clicks.
    {"a Ctrl+click whose OnChange deletes the row clicked",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.MultiSelect();
       EXPECT_FALSE(tree.AddToSelection(tree.Row(1)).TreeGone());
       tree.OnChange = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(3)).Alive()); })](
                           TBaseTree*, PTreeNode) { deed(); };
     },
     [](TFaultTree& tree) { tree.Click(3, {VK_CONTROL}); }},
    {"a Shift+click whose OnChange deletes the range's anchor",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.MultiSelect();
       tree.Click(1);
       tree.OnChange = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(1)).Alive()); })](
                           TBaseTree*, PTreeNode) { deed(); };
     },
     [](TFaultTree& tree) { tree.Click(3, {VK_SHIFT}); }},
    // Dragging over: reaching and measuring the row under the pointer raises its handlers.
    {"a drag over a row whose OnGetText deletes it",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toAcceptOLEDrop);
       tree.InvalidateNode(tree.Row(3));
       tree.OnGetText = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(3)).Alive()); })](
                            TBaseTree*, PTreeNode node, TColumnIndex, TVSTTextType, String& text) {
         text = L"Row";
         if (Key(tree, node) == 3) deed();
       };
     },
     [](TFaultTree& tree) { tree.DragOverRow(3); }},
    {"a drag over a row whose OnGetText empties the tree",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toAcceptOLEDrop);
       tree.InvalidateNode(tree.Row(3));
       tree.OnGetText = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.Clear().Alive()); })](
                            TBaseTree*, PTreeNode node, TColumnIndex, TVSTTextType, String& text) {
         text = L"Row";
         if (Key(tree, node) == 3) deed();
       };
     },
     [](TFaultTree& tree) { tree.DragOverRow(3); }},
    // Clear empties the tree whatever its handlers raise, and a load puts its rows after those its handlers add.
    {"OnUpdating raises as Clear begins", [](TFaultTree& tree) { tree.Fill(); },
     [](TFaultTree& tree) {
       tree.OnUpdating = [deed = Once([] { throw EHandler(); })](TBaseTree*, TTreeUpdateState) { deed(); };
       EXPECT_THROW((void)tree.Clear(), EHandler);
       EXPECT_EQ(tree.GetFirstNoInit(), nullptr);
     }},
    {"OnFreeNode of a row adds a row as Clear empties the tree", [](TFaultTree& tree) { tree.Fill(); },
     [](TFaultTree& tree) { AddedWhileEmptied(tree, 0, [&tree] { EXPECT_TRUE(tree.Clear().Alive()); }); }},
    {"OnFreeNode of a row adds a row as a load empties the tree", [](TFaultTree& tree) { tree.Fill(); },
     [](TFaultTree& tree) { AddedWhileEmptied(tree, 0, [&tree] { SaveAndLoad(tree, tree); }); }},
    {"OnFreeNode of a child adds a child as their parent's children are deleted", [](TFaultTree& tree) { tree.Fill(); },
     [](TFaultTree& tree) {
       AddedWhileEmptied(tree, 2, [&tree] { EXPECT_FALSE(tree.DeleteChildren(tree.Row(2), false).TreeGone()); });
     }},
    {"a paste whose OnNodeCopied raises, taken back while OnFreeNode of a pasted child adds a selected child",
     [](TFaultTree& tree) {
       tree.FillInitialized();
       tree.MultiSelect();
       tree.CopyRow(2);
     },
     [](TFaultTree& tree) {
       tree.OnNodeCopied = [](TBaseTree*, PTreeNode) { throw EHandler(); };
       PTreeNode original = tree.Row(2);
       tree.OnFreeNode = [&tree, original, done = std::make_shared<bool>(false)](TBaseTree*, PTreeNode node) {
         if (*done || Key(tree, node) != 23 || node->Parent == original) return;
         *done = true;
         PTreeNode added = tree.Add(9, node->Parent);
         tree.ValidateNode(added, false);
         EXPECT_FALSE(tree.AddToSelection(added).TreeGone());
       };
       tree.PasteFromClipboard();
     }},
    {"OnFreeNode selects a row as Clear empties the tree, and another's empties the selection after that row went",
     [](TFaultTree& tree) {
       tree.FillInitialized();
     },
     [](TFaultTree& tree) {
       // The last row goes first, then the children of row 2, then row 2.
       tree.OnFreeNode = [&tree](TBaseTree*, PTreeNode node) {
         if (Key(tree, node) == 3) EXPECT_FALSE(tree.AddToSelection(tree.Row(21)).TreeGone());
         if (Key(tree, node) == 2) EXPECT_TRUE(tree.ClearSelection().Alive());
       };
       EXPECT_TRUE(tree.Clear().Alive());
     }},
    {"OnUpdating of a paste's bracket deletes the row pasted below",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.CopyRow(1);
     },
     [](TFaultTree& tree) {
       tree.OnUpdating = [&tree, deed = Once([&tree] { EXPECT_TRUE(tree.DeleteNode(tree.Row(3)).Alive()); })](
                             TBaseTree*, TTreeUpdateState) { deed(); };
       EXPECT_FALSE(tree.PasteFromClipboard());
       EXPECT_EQ(tree.TotalCount(), 5u);
     }},
    {"OnUpdating of the other tree's bracket deletes the row a node moves after",
     [](TFaultTree& tree) { tree.Fill(); },
     [](TFaultTree& tree) {
       TFaultTree other(tree.ParentWindow());
       other.Fill();
       other.OnUpdating = [&other, deed = Once([&other] { EXPECT_TRUE(other.DeleteNode(other.Row(3)).Alive()); })](
                              TBaseTree*, TTreeUpdateState) { deed(); };
       EXPECT_FALSE(
           tree.MoveTo(tree.Row(1), other.Row(3), TTreeNodeAttachMode::amInsertAfter, false).TreeGone());
       EXPECT_EQ(Fault(other), "");
       EXPECT_EQ(other.TotalCount(), 5u);
       EXPECT_EQ(tree.TotalCount(), 6u);
     }},
    {"OnFreeNode of a child moves it after another row while their parent is deleted",
     [](TFaultTree& tree) { tree.FillInitialized(); },
     [](TFaultTree& tree) {
       DeletedWithRow2(tree, [&tree](PTreeNode row23) {
         EXPECT_FALSE(tree.MoveTo(row23, tree.Row(3), TTreeNodeAttachMode::amInsertAfter, false).TreeGone());
       });
       EXPECT_EQ(tree.TotalCount(), 2u);
     }},
    {"OnFreeNode of a child moves another row below it while their parent is deleted",
     [](TFaultTree& tree) { tree.FillInitialized(); },
     [](TFaultTree& tree) {
       DeletedWithRow2(tree, [&tree](PTreeNode row23) {
         EXPECT_FALSE(tree.MoveTo(tree.Row(3), row23, TTreeNodeAttachMode::amAddChildLast, false).TreeGone());
       });
       EXPECT_EQ(tree.TotalCount(), 2u);
     }},
    {"OnFreeNode of a child moves the sibling freed next after another row while their parent is deleted",
     [](TFaultTree& tree) { tree.FillInitialized(); },
     [](TFaultTree& tree) {
       DeletedWithRow2(tree, [&tree](PTreeNode) {
         EXPECT_FALSE(tree.MoveTo(tree.Row(22), tree.Row(3), TTreeNodeAttachMode::amInsertAfter, false).TreeGone());
       });
       EXPECT_EQ(Fault(tree), "");
       ASSERT_NE(tree.Row(22), nullptr);
       EXPECT_EQ(tree.Row(22)->Parent, tree.RootNode());
       EXPECT_EQ(tree.TotalCount(), 3u);
     }},
    {"OnUpdating adds a selected row as a load's Clear ends",
     [](TFaultTree& tree) {
       tree.Fill();
       tree.MultiSelect();
       EXPECT_FALSE(tree.AddToSelection(tree.Row(22)).TreeGone());
     },
     [](TFaultTree& tree) {
       // The load's own bracket, then Clear's: its end raises the second update.
       auto updates = std::make_shared<int>(0);
       tree.OnUpdating = [&tree, updates](TBaseTree*, TTreeUpdateState state) {
         if (state != TTreeUpdateState::usUpdate || ++*updates != 2) return;
         EXPECT_FALSE(tree.AddToSelection(tree.Add(9)).TreeGone());
       };
       SaveAndLoad(tree, tree);
       ASSERT_NE(tree.Row(9), nullptr);
       EXPECT_EQ(tree.GetFirstNoInit(), tree.Row(9));
       EXPECT_EQ(tree.SelectedCount(), 2u);
       EXPECT_EQ(tree.TotalCount(), 7u);
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, HandlerFaults, ::testing::ValuesIn(kHandlerCases), NameOf<THandlerCase>);


// ---- a deed at each call

enum class TDeed { Raises, AddsARow, Clears, DeletesTheNode, DeletesTheParent };
const char* const DeedNames[] = {" raised", " added a row", " cleared the tree", " deleted its node",
                                 " deleted its node's parent"};

// Counts the calls of the handlers of both trees, and at the chosen one raises, adds a selected top-level row to
// the handler's tree, clears that tree, or deletes the node the handler is about or its parent.
struct TDeedAt {
  int At = 0;
  TDeed Deed = TDeed::Raises;
  int Calls = 0;
  const char* Event = "";
  TFaultTree* AddedTo = nullptr;
  PTreeNode Added = nullptr;
  bool AddedFreed = false;
  void Hit(const char* event, TFaultTree& tree, PTreeNode node = nullptr) {
    if (++Calls != At) return;
    Event = event;
    if (node == tree.RootNode()) node = nullptr;
    switch (Deed) {
      case TDeed::Raises:
        throw EHandler();
      case TDeed::Clears:
        EXPECT_TRUE(tree.Clear().Alive());
        return;
      case TDeed::DeletesTheNode:
        EXPECT_TRUE(tree.DeleteNode(node).Alive());
        return;
      case TDeed::DeletesTheParent:
        if (node) EXPECT_TRUE(tree.DeleteNode(node->Parent).Alive());
        return;
      case TDeed::AddsARow:
        break;
    }
    AddedTo = &tree;
    Added = tree.AddChild(nullptr);
    if (!Added) return;
    Key(tree, Added) = 9;
    tree.ValidateNode(Added, false);
    EXPECT_FALSE(tree.AddToSelection(Added).TreeGone());
  }
  void Freed(PTreeNode node) { AddedFreed = AddedFreed || (Added && node == Added); }
  // The added row is in its tree or was freed with its OnFreeNode.
  std::string Lost() const {
    if (!Added || AddedFreed) return {};
    const std::vector<PTreeNode> nodes = AllNodes(*AddedTo);
    return std::find(nodes.begin(), nodes.end(), Added) == nodes.end() ? "the added row is lost" : "";
  }
};

// Every handler a paste, a load or a move raises, in both trees, goes through deed.
void WireDeeds(TFaultTree& tree, TDeedAt& deed) {
  tree.TreeOptions()->SetStringOptions(tree.TreeOptions()->StringOptions() + TTreeStringOption::toSaveCaptions);
  tree.OnLoadNode = [&](TBaseTree*, PTreeNode node, TStream& stream) {
    stream.ReadBuffer(&Key(tree, node), 4);
    deed.Hit("OnLoadNode", tree, node);
  };
  tree.OnSaveNode = [&](TBaseTree*, PTreeNode node, TStream& stream) {
    stream.WriteBuffer(&Key(tree, node), 4);
    deed.Hit("OnSaveNode", tree, node);
  };
  tree.OnInitNode = [&](TBaseTree*, PTreeNode, PTreeNode node, TTreeNodeInitStates&) {
    deed.Hit("OnInitNode", tree, node);
  };
  tree.OnFreeNode = [&](TBaseTree*, PTreeNode node) {
    deed.Freed(node);
    deed.Hit("OnFreeNode", tree, node);
  };
  tree.OnChange = [&](TBaseTree*, PTreeNode node) { deed.Hit("OnChange", tree, node); };
  tree.OnStructureChange = [&](TBaseTree*, PTreeNode node, TChangeReason) {
    deed.Hit("OnStructureChange", tree, node);
  };
  tree.OnUpdating = [&](TBaseTree*, TTreeUpdateState) { deed.Hit("OnUpdating", tree); };
  tree.OnNodeCopying = [&](TBaseTree*, PTreeNode node, PTreeNode, bool&) { deed.Hit("OnNodeCopying", tree, node); };
  tree.OnNodeCopied = [&](TBaseTree*, PTreeNode node) { deed.Hit("OnNodeCopied", tree, node); };
  tree.OnNodeMoving = [&](TBaseTree*, PTreeNode node, PTreeNode, bool&) { deed.Hit("OnNodeMoving", tree, node); };
  tree.OnNodeMoved = [&](TBaseTree*, PTreeNode node) { deed.Hit("OnNodeMoved", tree, node); };
  tree.OnFocusChanging = [&](TBaseTree*, PTreeNode, PTreeNode node, TColumnIndex, TColumnIndex, bool&) {
    deed.Hit("OnFocusChanging", tree, node);
  };
  tree.OnFocusChanged = [&](TBaseTree*, PTreeNode node, TColumnIndex) { deed.Hit("OnFocusChanged", tree, node); };
  tree.OnNewText = [&](TBaseTree*, PTreeNode node, TColumnIndex, const String&) {
    deed.Hit("OnNewText", tree, node);
  };
}

struct TSweptWork {
  const char* Name;
  // Acts on the first tree, whose rows 1 and 22 are selected, and the second, whose rows 3 and 21 are.
  std::function<void(TFaultTree& first, TFaultTree& second)> Act;
};

struct DeedAtEachCall : TGuardedTrees<TSweptWork> {
  // The work with a deed at call at (none when 0), on trees that select several rows or one (the first tree's row
  // 22 then, the second's 21), initializing what they save or not: what is wrong with the trees afterwards, and how
  // many handler calls it made.
  std::string Run(int at, TDeed what, bool several, int& calls) {
    TDeedAt deed{at, what};
    TFaultTree first(host.Handle()), second(host.Handle());
    EXPECT_TRUE(second.SetBounds(220, 0, 200, 150).Alive());
    for (auto [tree, selected] : {std::pair{&first, std::pair{1, 22}}, std::pair{&second, std::pair{3, 21}}}) {
      tree->Fill();
      if (several) {
        tree->MultiSelect();
        EXPECT_FALSE(tree->AddToSelection(tree->Row(selected.first)).TreeGone());
      } else {
        tree->TreeOptions()->SetMiscOptions(tree->TreeOptions()->MiscOptions() + TTreeMiscOption::toInitOnSave);
      }
      EXPECT_FALSE(tree->AddToSelection(tree->Row(selected.second)).TreeGone());
      EXPECT_FALSE(tree->SetFocusedNode(tree->Row(3)).TreeGone());
      WireDeeds(*tree, deed);
    }
    try {
      GetParam().Act(first, second);
    } catch (const EHandler&) {
    }
    calls = deed.Calls;
    deed.At = 0;
    std::string fault = Fault(first);
    if (fault.empty()) fault = Fault(second);
    if (fault.empty()) fault = deed.Lost();
    if (fault.empty()) {
      EXPECT_TRUE(first.Clear().Alive());
      EXPECT_TRUE(second.Clear().Alive());
      fault = Fault(first);
      if (fault.empty()) fault = Fault(second);
      if (fault.empty() && deed.Added && !deed.AddedFreed) fault = "the added row outlived Clear";
    }
    OleSetClipboard(nullptr);
    return fault.empty() ? fault
                         : std::string(deed.Event) + DeedNames[static_cast<int>(what)] + " at call " +
                               std::to_string(at) + (several ? "" : " (one selected)") + ": " + fault;
  }
  // Each deed at each call, on trees selecting several rows and one.
  void Sweep(std::initializer_list<TDeed> deeds) {
    for (const TDeed what : deeds)
      for (const bool several : {true, false}) {
        int calls = 0;
        ASSERT_EQ(Run(0, what, several, calls), "");
        ASSERT_GT(calls, 0);
        for (int at = 1; at <= calls; ++at) {
          int made = 0;
          EXPECT_EQ(Run(at, what, several, made), "");
        }
      }
  }
};

TEST_P(DeedAtEachCall, RaisedAddedOrClearedTheSelectionAndTheRowsAgree) {
  Sweep({TDeed::Raises, TDeed::AddsARow, TDeed::Clears});
}

TEST_P(DeedAtEachCall, DeletedTheSelectionAndTheRowsAgree) { Sweep({TDeed::DeletesTheNode, TDeed::DeletesTheParent}); }

void CopyOrCutAndPaste(TFaultTree& from, TFaultTree& into, bool cut) {
  if (cut)
    from.CutToClipboard();
  else
    from.CopyToClipboard();
  into.PasteFromClipboard();
}

const TSweptWork kSweptWorks[] = {
    {"copy and paste", [](TFaultTree& first, TFaultTree&) { CopyOrCutAndPaste(first, first, false); }},
    {"copy and paste into the other tree",
     [](TFaultTree& first, TFaultTree& second) { CopyOrCutAndPaste(first, second, false); }},
    {"cut and paste", [](TFaultTree& first, TFaultTree&) { CopyOrCutAndPaste(first, first, true); }},
    {"cut and paste into the other tree",
     [](TFaultTree& first, TFaultTree& second) { CopyOrCutAndPaste(first, second, true); }},
    {"copy and paste after a row of the other tree",
     [](TFaultTree& first, TFaultTree& second) {
       second.SetDefaultPasteMode(TTreeNodeAttachMode::amInsertAfter);
       CopyOrCutAndPaste(first, second, false);
     }},
    {"cut and paste before a row of the other tree",
     [](TFaultTree& first, TFaultTree& second) {
       second.SetDefaultPasteMode(TTreeNodeAttachMode::amInsertBefore);
       CopyOrCutAndPaste(first, second, true);
     }},
    {"save and load", [](TFaultTree& first, TFaultTree&) { SaveAndLoad(first, first); }},
    {"save and load into the other tree", [](TFaultTree& first, TFaultTree& second) { SaveAndLoad(first, second); }},
    {"move",
     [](TFaultTree& first, TFaultTree&) {
       EXPECT_FALSE(first.MoveTo(first.Row(2), first.Row(3), TTreeNodeAttachMode::amInsertAfter, false).TreeGone());
     }},
    {"move into the other tree",
     [](TFaultTree& first, TFaultTree& second) {
       EXPECT_FALSE(first.MoveTo(first.Row(2), second.Row(3), TTreeNodeAttachMode::amInsertAfter, false).TreeGone());
     }},
    {"children moved into the other tree",
     [](TFaultTree& first, TFaultTree& second) {
       EXPECT_FALSE(first.MoveTo(first.Row(2), second.Row(1), TTreeNodeAttachMode::amAddChildFirst, true).TreeGone());
     }},
};

INSTANTIATE_TEST_SUITE_P(Works, DeedAtEachCall, ::testing::ValuesIn(kSweptWorks), NameOf<TSweptWork>);

}  // namespace
}  // namespace tree_test

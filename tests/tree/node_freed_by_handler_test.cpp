// A node deleted by a handler the tree raises about it (the node itself, its parent, or every node with Clear), or
// the tree freed there (or the other tree of a move from one tree to another), reached by a call, a key or a
// click: the trees touch the freed blocks no more, hand them to no other handler, and keep their structure sound.
// The trees guard their freed blocks, so that any touch of one faults; a tree that a handler frees is made under
// guarded allocations, so that any touch of it faults too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/form.h"
#include "framework/image_list.h"
#include "framework/streams.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_drag_manager.h"
#include "tree/tree_header.h"
#include "tree_fixture.h"

using Microsoft::WRL::ComPtr;

namespace tree_test {
namespace {

using HP = TNodeHitPosition;

enum class TEvent {
  Collapsing,
  Collapsed,
  Expanding,
  Expanded,
  InitNode,
  InitChildren,
  Checking,
  Checked,
  FocusChanging,
  FocusChanged,
  Editing,
  DragAllowed,
  DragOver,
  DragDrop,
  NodeCopying,
  NodeCopied,
  NodeMoving,
  NodeMoved,
  Change,
  StructureChange,
  IncrementalSearch,
  GetText,
  FreeNode,
  CompareNodes,
  BeforeItemPaint,
  BeforeItemErase,
  AfterItemErase,
  BeforeCellPaint,
  GetImageIndex,
  PaintText,
  AfterCellPaint,
  AfterItemPaint,
  ShortenString,
  SaveNode,
  LoadNode,
};
// What the handler frees: the node, its parent, every node (Clear), the tree itself, the node a check started
// from where the check climbs to the node, or the other tree of a move or drop from one tree to another.
enum class TVictim { Node, Parent, Nodes, Tree, Start, OtherTree };
constexpr unsigned VictimBit(TVictim victim) { return 1u << static_cast<int>(victim); }
// The victims of most events; those events whose work a freed tree must end, or a check climbing to the node.
constexpr unsigned kNodeVictims = VictimBit(TVictim::Node) | VictimBit(TVictim::Parent) | VictimBit(TVictim::Nodes);
constexpr unsigned kTreeToo = kNodeVictims | VictimBit(TVictim::Tree);
constexpr unsigned kTreeOnly = VictimBit(TVictim::Tree);
constexpr unsigned kCheckStart = VictimBit(TVictim::Start) | VictimBit(TVictim::Tree);
constexpr unsigned kBothTrees = VictimBit(TVictim::Tree) | VictimBit(TVictim::OtherTree);
enum class TRoute { Call, Key, Click };

// The tree of every case: three top-level rows T, P and Q; P open with the children N and S; N with two children
// of its own, loaded or announced. N is the node the events are about, but for the pastes, whose events are about
// the node a paste makes below N. For the calls whose handler deletes N's parent, Q is open over enough children
// that the tree keeps a position cache (a guarded block costs time, and the cache does not depend on the route).
// Start is the node the input acts on: N, or a grandchild of N that a check climbs from. D is the one row of the
// other tree, where the moves and drops from one tree to another go.
struct TNodes {
  PTreeNode T = nullptr, P = nullptr, N = nullptr, S = nullptr, Q = nullptr, Start = nullptr, D = nullptr;
};

// How a case sets its tree up before the input.
struct TArrangement {
  bool NodeExpanded = false;
  // N's children come from OnInitChildren when it first opens.
  bool LazyChildren = false;
  // N is made anew right before the input, without painting it, so that the input initializes it.
  bool NodeUninitialized = false;
  bool Editable = false;
  // The key goes to P, the row before N, instead of to N.
  bool FocusBefore = false;
  // The events are about a node that the call makes below N.
  bool AboutNewNode = false;
  // OnDragDrop takes the drop in: it moves the dragged nodes of the tree's own drag to the drop target.
  bool DropMoves = false;
  // N and its open first child are tri-state boxes over check boxes, and the input checks that child's first
  // child: the check climbs through its parent to N.
  bool CheckFromBelow = false;
  // Typed characters search the nodes' texts.
  bool Searchable = false;
  // A second tree beside the first takes N in (D is its row); the events of both trees are heard, and those about
  // a node of the second tree are about N.
  bool IntoOtherTree = false;
  // The rows show a state image and a normal image.
  bool Images = false;
  // The column is too narrow for the texts, which are shortened.
  bool Narrow = false;
  // Q stays closed.
  bool LastClosed = false;
};

// The call route: a call that raises the event; what it answers is handed to the application.
using TCall = PTreeNode (*)(TStringTree& tree, const TNodes& nodes);

bool TreeGone(TRaised answer) { return answer.Gone(); }
bool TreeGone(TNodeRaised answer) { return answer.TreeGone(); }

// Makes a call on tree, whose answer must tell truly whether the tree outlived it.
template <class Call>
void CallTelling(TStringTree& tree, Call call) {
  const TLifeWatch life = tree.LifeWatch();
  const bool gone = TreeGone(call());
  EXPECT_EQ(gone, life.Ended()) << (gone ? "a tree that lives was told gone" : "a freed tree was told alive");
}

struct TEventCase {
  const char* Name;
  TEvent Event;
  TArrangement Setup;
  TCall Call = nullptr;
  WORD Key = 0;
  HP Part = HP::hpNowhere;  // the part of Start's row a click goes to; hpNowhere: no click route
  unsigned Victims = kNodeVictims;
};

PTreeNode Toggle(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.ToggleNode(nodes.N); });
  return nullptr;
}

PTreeNode Check(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.SetCheckState(nodes.Start, TCheckState::csCheckedNormal); });
  return nullptr;
}

PTreeNode Select(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.SetSelected(nodes.N, true); });
  return nullptr;
}

PTreeNode Focus(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.SetFocusedNode(nodes.N); });
  return tree.FocusedNode();
}

PTreeNode Next(TStringTree& tree, const TNodes& nodes) { return tree.GetNext(nodes.P); }

PTreeNode Paint(TStringTree& tree, const TNodes&) {
  RedrawWindow(tree.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return nullptr;
}

PTreeNode Export(TStringTree& tree, const TNodes&) {
  tree.ContentToUnicode(TVSTTextSourceType::tstAll, L'\t');
  return nullptr;
}

PTreeNode Delete(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.DeleteNode(nodes.N); });
  return nullptr;
}

PTreeNode DeleteParent(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.DeleteNode(nodes.P); });
  return nullptr;
}

PTreeNode ClearAll(TStringTree& tree, const TNodes&) {
  CallTelling(tree, [&] { return tree.Clear(); });
  return nullptr;
}

PTreeNode DeleteSelection(TStringTree& tree, const TNodes& nodes) {
  EXPECT_TRUE(tree.TreeOptions()
                  ->SetSelectionOptions(tree.TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect)
                  .Alive());
  for (PTreeNode node : {nodes.T, nodes.N, nodes.S}) EXPECT_FALSE(tree.SetSelected(node, true).TreeGone());
  CallTelling(tree, [&] { return tree.DeleteSelectedNodes(); });
  return nullptr;
}

PTreeNode Reinit(TStringTree& tree, const TNodes& nodes) {
  tree.ReinitChildren(nodes.N, false);
  return nullptr;
}

PTreeNode Shrink(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.SetChildCount(nodes.N, 1); });
  return nullptr;
}

PTreeNode SortAll(TStringTree& tree, const TNodes&) {
  CallTelling(tree, [&] { return tree.SortTree(0, TSortDirection::sdDescending); });
  return nullptr;
}

// Expands every node; those left are all open.
PTreeNode ExpandAll(TStringTree& tree, const TNodes&) {
  const TLifeWatch life = tree.LifeWatch();
  CallTelling(tree, [&] { return tree.FullExpand(); });
  if (life.Ended()) return nullptr;
  for (PTreeNode node : AllNodes(tree))
    EXPECT_TRUE(!node->Has(nsHasChildren) || tree.Expanded(node)) << "a closed node at level " << tree.GetNodeLevel(node);
  return nullptr;
}

PTreeNode CollapseAll(TStringTree& tree, const TNodes&) {
  CallTelling(tree, [&] { return tree.FullCollapse(); });
  return nullptr;
}

// Saves the tree, initializing what it saves, and loads what it saved into another tree: the stream is whole.
PTreeNode SaveAndLoad(TStringTree& tree, const TNodes&) {
  tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toInitOnSave);
  TMemoryStream stream;
  tree.SaveToStream(stream);
  stream.SetPosition(0);
  TStringTree copy(nullptr);
  EXPECT_TRUE(copy.LoadFromStream(stream).Alive());
  EXPECT_EQ(copy.TotalCount(), tree.TotalCount());
  return nullptr;
}

// Saves the tree and loads what it saved into another tree: the stream is whole.
PTreeNode SaveAndReload(TStringTree& tree, const TNodes&) {
  TMemoryStream stream;
  tree.SaveToStream(stream);
  stream.SetPosition(0);
  TStringTree copy(nullptr);
  EXPECT_TRUE(copy.LoadFromStream(stream).Alive());
  EXPECT_EQ(CheckInvariants(copy), "");
  return nullptr;
}

PTreeNode Edit(TStringTree& tree, const TNodes& nodes) {
  tree.EditNode(nodes.N, NoColumn);
  return nullptr;
}

PTreeNode MoveIntoSibling(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.MoveTo(nodes.N, nodes.S, TTreeNodeAttachMode::amAddChildLast, false); });
  return nullptr;
}

PTreeNode MoveIntoOtherTree(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.MoveTo(nodes.N, nodes.D, TTreeNodeAttachMode::amAddChildLast, false); });
  return nullptr;
}

PTreeNode ScrollToChild(TStringTree& tree, const TNodes& nodes) {
  tree.ScrollIntoView(nodes.N->FirstChild, false);
  return nullptr;
}

PTreeNode ShowChildOnTop(TStringTree& tree, const TNodes& nodes) {
  CallTelling(tree, [&] { return tree.SetTopNode(nodes.N->FirstChild); });
  return nullptr;
}

// Paints with every row measured anew.
PTreeNode PaintMeasured(TStringTree& tree, const TNodes& nodes) {
  tree.SetDefaultText(L"Measured anew");
  return Paint(tree, nodes);
}

// Cuts or copies node and pastes it below target.
PTreeNode Paste(TStringTree& tree, PTreeNode node, PTreeNode target, bool cut) {
  EXPECT_TRUE(tree.ClearSelection().Alive());
  EXPECT_FALSE(tree.SetSelected(node, true).TreeGone());
  if (cut)
    tree.CutToClipboard();
  else
    tree.CopyToClipboard();
  EXPECT_FALSE(tree.SetFocusedNode(target).TreeGone());
  tree.PasteFromClipboard();
  return nullptr;
}

// Cut N, paste into S: the paste moves N.
PTreeNode CutAndPaste(TStringTree& tree, const TNodes& nodes) { return Paste(tree, nodes.N, nodes.S, true); }

// Copy T, paste below N: the paste makes a new node there.
PTreeNode CopyAndPaste(TStringTree& tree, const TNodes& nodes) { return Paste(tree, nodes.T, nodes.N, false); }

// Drags T over N's row (and drops it there with drop): the drop target is N.
void DragOverNode(TStringTree& tree, const TNodes& nodes, bool drop) {
  EXPECT_TRUE(tree.ClearSelection().Alive());
  EXPECT_FALSE(tree.SetSelected(nodes.T, true).TreeGone());
  ComPtr<IDataObject> data;
  *data.ReleaseAndGetAddressOf() = tree.GetDragManager()->GetDataObject();
  ComPtr<IDropTarget> target;
  tree.GetDragManager()->QueryInterface(IID_PPV_ARGS(&target));
  const RECT row = tree.GetDisplayRect(nodes.N, NoColumn, false);
  const POINT at = tree.ClientToScreen(POINT{row.left + 40, (row.top + row.bottom) / 2});
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  effect = DROPEFFECT_COPY;
  if (drop)
    target->Drop(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  else
    target->DragLeave();
}

PTreeNode DragOver(TStringTree& tree, const TNodes& nodes) {
  DragOverNode(tree, nodes, false);
  return nullptr;
}

PTreeNode DragDrop(TStringTree& tree, const TNodes& nodes) {
  DragOverNode(tree, nodes, true);
  return nullptr;
}

// Drags N in the tree's own drag loop and drops it on the row of node in its tree: the loop finds no button held
// and drops at once.
void DropOn(TStringTree& tree, const TNodes& nodes, PTreeNode node) {
  EXPECT_TRUE(tree.ClearSelection().Alive());
  EXPECT_FALSE(tree.SetSelected(nodes.N, true).TreeGone());
  TBaseTree& target = *TreeOfNode(node);
  const RECT row = target.GetDisplayRect(node, NoColumn, false);
  const POINT at = target.ClientToScreen(POINT{row.left + 40, (row.top + row.bottom) / 2});
  SetCursorPos(at.x, at.y);
  EXPECT_TRUE(RunModalWithInput([] {}, [&tree] { (void)tree.BeginDrag(true); }));
}

PTreeNode DropIntoSibling(TStringTree& tree, const TNodes& nodes) {
  DropOn(tree, nodes, nodes.S);
  return nullptr;
}

PTreeNode DropOnOtherTree(TStringTree& tree, const TNodes& nodes) {
  DropOn(tree, nodes, nodes.D);
  return nullptr;
}

const TArrangement kOpen{.NodeExpanded = true};
const TArrangement kClosed{};
const TArrangement kLazy{.LazyChildren = true};
const TArrangement kUninitialized{.NodeUninitialized = true, .FocusBefore = true};
const TArrangement kReachedFromBefore{.FocusBefore = true};
const TArrangement kEditable{.Editable = true};
const TArrangement kPasted{.AboutNewNode = true};
const TArrangement kDroppedOn{.DropMoves = true};
const TArrangement kCheckedBelow{.NodeExpanded = true, .CheckFromBelow = true};
const TArrangement kSearched{.FocusBefore = true, .Searchable = true};
const TArrangement kAcross{.IntoOtherTree = true};
const TArrangement kMovedAcross{.DropMoves = true, .IntoOtherTree = true};
const TArrangement kPainted{.Images = true};
const TArrangement kShortened{.Narrow = true};
const TArrangement kLazyBeforeClosed{.LazyChildren = true, .LastClosed = true};

const TEventCase kEvents[] = {
    {"OnCollapsing", TEvent::Collapsing, kOpen, Toggle, VK_LEFT, HP::hpOnButton},
    {"OnCollapsed", TEvent::Collapsed, kOpen, Toggle, VK_LEFT, HP::hpOnButton},
    {"OnExpanding", TEvent::Expanding, kClosed, Toggle, VK_RIGHT, HP::hpOnButton},
    {"OnExpandingOfALazyNode", TEvent::Expanding, kLazy, Toggle, VK_RIGHT, HP::hpOnButton},
    {"OnExpanded", TEvent::Expanded, kClosed, Toggle, VK_RIGHT, HP::hpOnButton},
    {"OnExpandedOfALazyNode", TEvent::Expanded, kLazy, Toggle, VK_RIGHT, HP::hpOnButton},
    {"OnInitChildren", TEvent::InitChildren, kLazy, Toggle, VK_RIGHT, HP::hpOnButton},
    {"OnInitNode", TEvent::InitNode, kUninitialized, Next, VK_DOWN, HP::hpOnLabel},
    {"OnInitNodeWhileSaving", TEvent::InitNode, kUninitialized, SaveAndLoad},
    {"OnSaveNode", TEvent::SaveNode, kClosed, SaveAndReload, 0, HP::hpNowhere, kTreeToo},
    {"OnChecking", TEvent::Checking, kClosed, Check, VK_SPACE, HP::hpOnCheckBox},
    {"OnChecked", TEvent::Checked, kClosed, Check, VK_SPACE, HP::hpOnCheckBox},
    {"OnCheckingOfATriStateGrandparent", TEvent::Checking, kCheckedBelow, Check, VK_SPACE, HP::hpOnCheckBox,
     kCheckStart},
    {"OnCheckedOfATriStateGrandparent", TEvent::Checked, kCheckedBelow, Check, VK_SPACE, HP::hpOnCheckBox, kCheckStart},
    {"OnFocusChanging", TEvent::FocusChanging, kReachedFromBefore, Focus, VK_DOWN, HP::hpOnLabel},
    {"OnFocusChanged", TEvent::FocusChanged, kReachedFromBefore, Focus, VK_DOWN, HP::hpOnLabel},
    {"OnEditing", TEvent::Editing, kEditable, Edit, VK_F2, HP::hpOnLabel},
    {"OnDragAllowed", TEvent::DragAllowed, kClosed, nullptr, 0, HP::hpOnLabel},
    {"OnDragOver", TEvent::DragOver, kClosed, DragOver},
    {"OnDragDrop", TEvent::DragDrop, kClosed, DragDrop},
    {"OnNodeCopying", TEvent::NodeCopying, kPasted, CopyAndPaste, 0, HP::hpNowhere, kTreeToo},
    {"OnNodeCopied", TEvent::NodeCopied, kPasted, CopyAndPaste, 0, HP::hpNowhere, kTreeToo},
    {"OnLoadNodeOfAPaste", TEvent::LoadNode, kPasted, CopyAndPaste, 0, HP::hpNowhere, kTreeToo},
    {"OnLoadNodeOfAMoveIntoAnotherTree", TEvent::LoadNode, kAcross, MoveIntoOtherTree, 0, HP::hpNowhere, kBothTrees},
    {"OnNodeMoving", TEvent::NodeMoving, kClosed, MoveIntoSibling, 0, HP::hpNowhere, kTreeToo},
    {"OnNodeMoved", TEvent::NodeMoved, kClosed, MoveIntoSibling, 0, HP::hpNowhere, kTreeToo},
    {"OnNodeMovingByAPasteAfterACut", TEvent::NodeMoving, kClosed, CutAndPaste, 0, HP::hpNowhere, kTreeToo},
    {"OnNodeMovedByAPasteAfterACut", TEvent::NodeMoved, kClosed, CutAndPaste, 0, HP::hpNowhere, kTreeToo},
    {"OnNodeMovingByADrop", TEvent::NodeMoving, kDroppedOn, DropIntoSibling, 0, HP::hpNowhere, kTreeOnly},
    {"OnNodeMovedByADrop", TEvent::NodeMoved, kDroppedOn, DropIntoSibling, 0, HP::hpNowhere, kTreeOnly},
    {"OnStructureChangeOfALazyNode", TEvent::StructureChange, kLazy, Toggle, VK_RIGHT, HP::hpOnButton},
    {"OnStructureChangeOfAShrinkingNode", TEvent::StructureChange, kOpen, Shrink},
    {"OnIncrementalSearch", TEvent::IncrementalSearch, kSearched, nullptr, 'X'},
    {"OnGetTextWhilePainting", TEvent::GetText, kClosed, Paint},
    {"OnGetTextWhileExporting", TEvent::GetText, kClosed, Export},
    {"OnFreeNode", TEvent::FreeNode, kClosed, Delete},
    {"OnFreeNodeOfAChildOfADeletedNode", TEvent::FreeNode, kClosed, DeleteParent},
    {"OnFreeNodeWhileClearing", TEvent::FreeNode, kClosed, ClearAll},
    {"OnFreeNodeWhileDeletingTheSelection", TEvent::FreeNode, kClosed, DeleteSelection},
    {"OnStructureChangeOfAReinitializedNode", TEvent::StructureChange, kClosed, Reinit},
    {"OnChangeByASelection", TEvent::Change, kClosed, Select},
    {"OnCompareNodes", TEvent::CompareNodes, kOpen, SortAll},
    {"OnExpandingInAFullExpand", TEvent::Expanding, kClosed, ExpandAll, VK_MULTIPLY, HP::hpNowhere, kTreeOnly},
    {"OnExpandedInAFullExpand", TEvent::Expanded, kClosed, ExpandAll, VK_MULTIPLY, HP::hpNowhere, kTreeOnly},
    {"OnInitChildrenInAFullExpand", TEvent::InitChildren, kLazy, ExpandAll, VK_MULTIPLY, HP::hpNowhere, kTreeOnly},
    {"OnInitChildrenInAFullExpandOfClosedNodesAfter", TEvent::InitChildren, kLazyBeforeClosed, ExpandAll},
    {"OnInitNodeInAFullExpand", TEvent::InitNode, kUninitialized, ExpandAll, VK_MULTIPLY, HP::hpNowhere, kTreeOnly},
    {"OnCollapsingInAFullCollapse", TEvent::Collapsing, kOpen, CollapseAll, VK_DIVIDE, HP::hpNowhere, kTreeOnly},
    {"OnCollapsedInAFullCollapse", TEvent::Collapsed, kOpen, CollapseAll, VK_DIVIDE, HP::hpNowhere, kTreeOnly},
    {"OnNodeMovedIntoAnotherTree", TEvent::NodeMoved, kAcross, MoveIntoOtherTree, 0, HP::hpNowhere, kBothTrees},
    {"OnDragOverOfAnotherTree", TEvent::DragOver, kMovedAcross, DropOnOtherTree, 0, HP::hpNowhere, kBothTrees},
    {"OnNodeMovedByADropOnAnotherTree", TEvent::NodeMoved, kMovedAcross, DropOnOtherTree, 0, HP::hpNowhere, kBothTrees},
    {"OnBeforeItemPaint", TEvent::BeforeItemPaint, kPainted, Paint},
    {"OnBeforeItemErase", TEvent::BeforeItemErase, kPainted, Paint},
    {"OnAfterItemErase", TEvent::AfterItemErase, kPainted, Paint},
    {"OnBeforeCellPaint", TEvent::BeforeCellPaint, kPainted, Paint},
    {"OnGetImageIndex", TEvent::GetImageIndex, kPainted, Paint, 0, HP::hpOnLabel},
    {"OnPaintText", TEvent::PaintText, kPainted, Paint},
    {"OnPaintTextWhileMeasuring", TEvent::PaintText, kPainted, PaintMeasured},
    {"OnAfterCellPaint", TEvent::AfterCellPaint, kPainted, Paint},
    {"OnAfterItemPaint", TEvent::AfterItemPaint, kPainted, Paint},
    {"OnShortenString", TEvent::ShortenString, kShortened, Paint},
    {"OnExpandingOfAnAncestorScrolledTo", TEvent::Expanding, kClosed, ScrollToChild, 0, HP::hpNowhere, kTreeToo},
    {"OnExpandingOfAnAncestorShownOnTop", TEvent::Expanding, kClosed, ShowChildOnTop, 0, HP::hpNowhere, kTreeToo},
};

struct TCase {
  const TEventCase* Event;
  TVictim Victim;
  TRoute Route;
  std::string Name;
};

std::vector<TCase> AllCases() {
  std::vector<TCase> cases;
  const char* victims[] = {"DeletesTheNode", "DeletesItsParent",      "ClearsTheTree",
                           "FreesTheTree",   "DeletesTheCheckedNode", "FreesTheOtherTree"};
  const char* routes[] = {"ByACall", "ByAKey", "ByAClick"};
  for (const TEventCase& event : kEvents)
    for (TVictim victim :
         {TVictim::Node, TVictim::Parent, TVictim::Nodes, TVictim::Tree, TVictim::Start, TVictim::OtherTree})
      for (TRoute route : {TRoute::Call, TRoute::Key, TRoute::Click}) {
        const bool reached = route == TRoute::Call  ? event.Call != nullptr
                             : route == TRoute::Key ? event.Key != 0
                                                    : event.Part != HP::hpNowhere;
        if (reached && (event.Victims & VictimBit(victim)))
          cases.push_back(
              {&event, victim, route,
               std::string(event.Name) + victims[static_cast<int>(victim)] + routes[static_cast<int>(route)]});
      }
  return cases;
}

// What the check boxes among node's children make of a tri-state box: checked or unchecked when they all agree,
// else mixed; its own state when it has none.
TCheckState BoxesCheckState(PTreeNode node) {
  bool anyChecked = false, anyUnchecked = false;
  for (PTreeNode child = node->FirstChild; child; child = child->NextSibling) {
    if (child->CheckType != TCheckType::ctCheckBox && child->CheckType != TCheckType::ctTriStateCheckBox) continue;
    if (child->CheckState == TCheckState::csMixedNormal) return TCheckState::csMixedNormal;
    (child->CheckState == TCheckState::csCheckedNormal ? anyChecked : anyUnchecked) = true;
  }
  if (anyChecked && anyUnchecked) return TCheckState::csMixedNormal;
  return anyChecked ? TCheckState::csCheckedNormal : anyUnchecked ? TCheckState::csUncheckedNormal : node->CheckState;
}

// The first point of node's row (client coordinates) whose part is the one asked for.
std::optional<POINT> RowPoint(TStringTree& tree, PTreeNode node, HP part) {
  const RECT row = tree.GetDisplayRect(node, NoColumn, false);
  const int y = (row.top + row.bottom) / 2;
  for (int x = 0; x < tree.ClientWidth(); ++x) {
    THitInfo hit;
    tree.GetHitTestInfoAt(x, y, true, hit);
    if (hit.HitNode == node && hit.HitPositions.Contains(part)) return POINT{x, y};
  }
  return std::nullopt;
}

class NodeFreedByHandler : public testing::TestWithParam<TCase> {
 protected:
  static void SetUpTestSuite() {
    form_ = new TForm(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 400, 300).Alive());
    EXPECT_TRUE(form_->Show().Alive());
  }
  static void TearDownTestSuite() {
    delete form_;
    form_ = nullptr;
  }
  void SetUp() override { TNodeSlab::SetGuardFreedBlocks(true); }
  void TearDown() override {
    delete tree_;
    delete other_;
    TNodeSlab::SetGuardFreedBlocks(false);
    // The real pointer leaves the spot where the next test's windows may be.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    ProcessPendingMessages();
  }

  void MakeTree(const TArrangement& setup, bool withCache) {
    tree_ = new TStringTree(form_);
    TStringTree& tree = *tree_;
    EXPECT_TRUE(tree.SetBounds(10, 10, 300, 220).Alive());
    EXPECT_TRUE(tree.SetParent(form_).Alive());
    // With a column the tree's width is the column's: no scroll bar update measures the rows, which would
    // initialize them.
    EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(setup.Narrow ? 30 : 250).Alive());
    EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + TTreeHeaderOption::hoVisible).Alive());
    TCustomTreeOptions* options = tree.TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TTreeMiscOption::toCheckSupport);
    if (setup.DropMoves) options->SetMiscOptions(options->MiscOptions() + TTreeMiscOption::toAcceptOLEDrop);
    if (setup.Editable) options->SetMiscOptions(options->MiscOptions() + TTreeMiscOption::toEditable);
    if (setup.Searchable) tree.SetIncrementalSearch(TIncrementalSearch::isAll);
    if (setup.Images) {
      images_.SetSize(16, 16);
      tree.SetImages(&images_);
      tree.SetStateImages(&images_);
    }
    options->SetAnimationOptions({});
    EXPECT_TRUE(tree.SetRootNodeCount(3).Alive());
    nodes_.T = tree.GetFirst();
    nodes_.P = tree.GetNextSibling(nodes_.T);
    nodes_.Q = tree.GetNextSibling(nodes_.P);
    EXPECT_FALSE(tree.SetChildCount(nodes_.P, 2).TreeGone());
    nodes_.N = tree.GetFirstChild(nodes_.P);
    nodes_.S = tree.GetNextSibling(nodes_.N);
    if (setup.LazyChildren)
      EXPECT_FALSE(tree.SetHasChildren(nodes_.N, true).TreeGone());
    else
      EXPECT_FALSE(tree.SetChildCount(nodes_.N, 2).TreeGone());
    nodes_.Start = nodes_.N;
    if (setup.CheckFromBelow) {
      PTreeNode middle = tree.GetFirstChild(nodes_.N);
      EXPECT_FALSE(tree.SetChildCount(middle, 2).TreeGone());
      EXPECT_FALSE(tree.SetExpanded(middle, true).TreeGone());
      nodes_.Start = tree.GetFirstChild(middle);
      for (PTreeNode node : {nodes_.N, middle}) tree.SetCheckType(node, TCheckType::ctTriStateCheckBox);
      for (PTreeNode node : {tree.GetNextSibling(middle), nodes_.Start, tree.GetNextSibling(nodes_.Start)})
        tree.SetCheckType(node, TCheckType::ctCheckBox);
    }
    EXPECT_TRUE(tree.BeginUpdate().Alive());
    EXPECT_FALSE(tree.SetChildCount(nodes_.Q, withCache ? CacheThreshold + 1 : 1).TreeGone());
    EXPECT_FALSE(tree.SetExpanded(nodes_.P, true).TreeGone());
    EXPECT_FALSE(tree.SetExpanded(nodes_.N, setup.NodeExpanded).TreeGone());
    EXPECT_FALSE(tree.SetExpanded(nodes_.Q, !setup.LastClosed).TreeGone());
    EXPECT_TRUE(tree.EndUpdate().Alive());
    for (PTreeNode node : {nodes_.T, nodes_.P, nodes_.S, nodes_.Q}) tree.SetCheckType(node, TCheckType::ctCheckBox);
    if (!setup.CheckFromBelow) tree.SetCheckType(nodes_.N, TCheckType::ctCheckBox);
    Listen(tree);
    if (setup.IntoOtherTree) {
      other_ = new TStringTree(form_);
      EXPECT_TRUE(other_->SetBounds(10, 236, 300, 60).Alive());
      EXPECT_TRUE(other_->SetParent(form_).Alive());
      other_->TreeOptions()->SetMiscOptions(other_->TreeOptions()->MiscOptions() + TTreeMiscOption::toAcceptOLEDrop);
      EXPECT_TRUE(other_->SetRootNodeCount(1).Alive());
      nodes_.D = other_->GetFirst();
      Listen(*other_);
    }
    EXPECT_FALSE(tree.SetFocusedNode(setup.FocusBefore ? nodes_.P : nodes_.Start).TreeGone());
    if (setup.Editable) EXPECT_FALSE(tree.SetSelected(nodes_.N, true).TreeGone());
  }

  // Every event that names nodes reports them; the one the case is about strikes, once, at its node.
  void Listen(TStringTree& tree) {
    tree.OnCollapsing = [this](TBaseTree*, PTreeNode node, bool&) { Heard(TEvent::Collapsing, node); };
    tree.OnCollapsed = [this](TBaseTree*, PTreeNode node) { Heard(TEvent::Collapsed, node); };
    tree.OnExpanding = [this](TBaseTree*, PTreeNode node, bool&) { Heard(TEvent::Expanding, node); };
    tree.OnExpanded = [this](TBaseTree*, PTreeNode node) { Heard(TEvent::Expanded, node); };
    tree.OnInitNode = [this](TBaseTree*, PTreeNode parent, PTreeNode node, TTreeNodeInitStates&) {
      Heard(TEvent::InitNode, node, parent);
    };
    tree.OnInitChildren = [this](TBaseTree*, PTreeNode node, std::uint32_t& count) {
      count = 2;
      Heard(TEvent::InitChildren, node);
    };
    tree.OnChecking = [this](TBaseTree*, PTreeNode node, TCheckState&, bool&) { Heard(TEvent::Checking, node); };
    tree.OnChecked = [this](TBaseTree*, PTreeNode node) { Heard(TEvent::Checked, node); };
    tree.OnFocusChanging = [this](TBaseTree*, PTreeNode oldNode, PTreeNode newNode, TColumnIndex, TColumnIndex, bool&) {
      Heard(TEvent::FocusChanging, newNode, oldNode);
    };
    tree.OnFocusChanged = [this](TBaseTree*, PTreeNode node, TColumnIndex) { Heard(TEvent::FocusChanged, node); };
    tree.OnEditing = [this](TBaseTree*, PTreeNode node, TColumnIndex, bool&) { Heard(TEvent::Editing, node); };
    tree.OnDragAllowed = [this](TBaseTree*, PTreeNode node, TColumnIndex, bool&) { Heard(TEvent::DragAllowed, node); };
    tree.OnDragOver = [this](TBaseTree* sender, TObject*, TShiftState, TDragState, POINT, TDropMode, DWORD& effect,
                             bool& accept) {
      accept = true;
      // A drop on the other tree moves N, as a drop on its own tree does.
      if (GetParam().Event->Setup.IntoOtherTree) effect = DROPEFFECT_MOVE;
      Heard(TEvent::DragOver, sender->DropTargetNode());
    };
    tree.OnDragDrop = [this](TBaseTree* sender, TObject* source, IDataObject* data, const TFormatArray&, TShiftState,
                             POINT, DWORD& effect, TDropMode) {
      Heard(TEvent::DragDrop, sender->DropTargetNode());
      // Once the handler freed a tree it takes nothing in.
      const bool treesLive = tree_ && (other_ || !GetParam().Event->Setup.IntoOtherTree);
      if (GetParam().Event->Setup.DropMoves && treesLive)
        sender->ProcessOLEData(ObjectAs<TBaseTree>(source), data, sender->DropTargetNode(),
                               TTreeNodeAttachMode::amAddChildLast, effect == DROPEFFECT_MOVE);
    };
    tree.OnNodeCopying = [this](TBaseTree*, PTreeNode node, PTreeNode target, bool&) {
      Heard(TEvent::NodeCopying, node, target);
    };
    tree.OnNodeCopied = [this](TBaseTree*, PTreeNode node) { Heard(TEvent::NodeCopied, node); };
    tree.OnNodeMoving = [this](TBaseTree*, PTreeNode node, PTreeNode target, bool&) {
      Heard(TEvent::NodeMoving, node, target);
    };
    tree.OnNodeMoved = [this](TBaseTree*, PTreeNode node) { Heard(TEvent::NodeMoved, node); };
    tree.OnChange = [this](TBaseTree*, PTreeNode node) { Heard(TEvent::Change, node); };
    tree.OnStructureChange = [this](TBaseTree*, PTreeNode node, TChangeReason) {
      Heard(TEvent::StructureChange, node);
    };
    tree.OnIncrementalSearch = [this](TBaseTree*, PTreeNode node, const String&, int& result) {
      result = 1;
      Heard(TEvent::IncrementalSearch, node);
    };
    tree.OnGetText = [this](TBaseTree*, PTreeNode node, TColumnIndex, TVSTTextType, String&) {
      Heard(TEvent::GetText, node);
    };
    tree.OnCompareNodes = [this](TBaseTree*, PTreeNode node1, PTreeNode node2, TColumnIndex, int& result) {
      result = node1 < node2 ? -1 : 1;
      Heard(TEvent::CompareNodes, node1 == nodes_.N ? node1 : node2, node1 == nodes_.N ? node2 : node1);
    };
    // A node is freed once, and only the node about to be freed names it.
    tree.OnFreeNode = [this](TBaseTree*, PTreeNode node) {
      EXPECT_EQ(freed_.count(node), 0u) << "a node freed twice";
      if (!struck_ && !striking_) Heard(TEvent::FreeNode, node);
      freed_.insert(node);
    };
    tree.OnBeforeItemPaint = [this](TBaseTree*, TCanvas*, PTreeNode node, const RECT&, bool&) {
      Heard(TEvent::BeforeItemPaint, node);
    };
    tree.OnBeforeItemErase = [this](TBaseTree*, TCanvas*, PTreeNode node, const RECT&, TColor&, TItemEraseAction&) {
      Heard(TEvent::BeforeItemErase, node);
    };
    tree.OnAfterItemErase = [this](TBaseTree*, TCanvas*, PTreeNode node, const RECT&) {
      Heard(TEvent::AfterItemErase, node);
    };
    tree.OnBeforeCellPaint = [this](TBaseTree*, TCanvas*, PTreeNode node, TColumnIndex, const RECT&) {
      Heard(TEvent::BeforeCellPaint, node);
    };
    tree.OnGetImageIndex = [this](TBaseTree*, PTreeNode node, TTreeImageKind, TColumnIndex, bool&, int& index) {
      index = 0;
      Heard(TEvent::GetImageIndex, node);
    };
    tree.OnPaintText = [this](TBaseTree*, TCanvas*, PTreeNode node, TColumnIndex, TVSTTextType) {
      Heard(TEvent::PaintText, node);
    };
    tree.OnAfterCellPaint = [this](TBaseTree*, TCanvas*, PTreeNode node, TColumnIndex, const RECT&) {
      Heard(TEvent::AfterCellPaint, node);
    };
    tree.OnAfterItemPaint = [this](TBaseTree*, TCanvas*, PTreeNode node, const RECT&) {
      Heard(TEvent::AfterItemPaint, node);
    };
    tree.OnShortenString = [this](TBaseTree*, TCanvas*, PTreeNode node, TColumnIndex, const String&, int, bool, String&,
                                  bool&) { Heard(TEvent::ShortenString, node); };
    // A byte of the application's own, so that a read of the node raises OnLoadNode.
    tree.OnSaveNode = [this](TBaseTree*, PTreeNode node, TStream& stream) {
      const std::uint8_t data = 1;
      stream.WriteBuffer(&data, 1);
      Heard(TEvent::SaveNode, node);
    };
    tree.OnLoadNode = [this](TBaseTree*, PTreeNode node, TStream&) { Heard(TEvent::LoadNode, node); };
    // Events the case does not strike at still must not name a freed node.
    tree.OnHotChange = [this](TBaseTree*, PTreeNode oldNode, PTreeNode newNode) { Record(oldNode, newNode); };
  }

  void Record(PTreeNode node, PTreeNode other = nullptr) {
    if (!struck_ || striking_) return;
    for (PTreeNode named : {node, other})
      EXPECT_EQ(freed_.count(named), 0u) << "a handler was given a node freed before";
  }

  void Heard(TEvent event, PTreeNode node, PTreeNode other = nullptr) {
    if (struck_ || striking_) {
      Record(node, other);
      return;
    }
    const TCase& c = GetParam();
    if (!armed_ || event != c.Event->Event || !IsAbout(node)) return;
    striking_ = true;
    if (c.Victim == TVictim::Node)
      EXPECT_TRUE(tree_->DeleteNode(node).Alive());
    else if (c.Victim == TVictim::Parent)
      EXPECT_TRUE(tree_->DeleteNode(node->Parent).Alive());
    else if (c.Victim == TVictim::Nodes)
      EXPECT_TRUE(tree_->Clear().Alive());
    else if (c.Victim == TVictim::Tree || c.Victim == TVictim::OtherTree)
      FreeTree(c.Victim == TVictim::Tree ? tree_ : other_);
    else
      EXPECT_TRUE(tree_->DeleteNode(nodes_.Start).Alive());
    // What the strike freed, its nodes that no OnFreeNode reports (never initialized) too.
    if (tree_) {
      const std::vector<PTreeNode> all = AllNodes(*tree_);
      const std::set<PTreeNode> left(all.begin(), all.end());
      for (PTreeNode before : before_)
        if (!left.count(before)) freed_.insert(before);
    }
    striking_ = false;
    struck_ = true;
  }

  // Frees the tree, whose nodes go with it.
  void FreeTree(TStringTree*& tree) {
    const std::vector<PTreeNode> all = AllNodes(*tree);
    delete std::exchange(tree, nullptr);
    freed_.insert(all.begin(), all.end());
  }

  bool IsAbout(PTreeNode node) const {
    const TArrangement& setup = GetParam().Event->Setup;
    const bool isNew = node && std::find(before_.begin(), before_.end(), node) == before_.end();
    if (setup.AboutNewNode) return isNew;
    return node == nodes_.N || (setup.IntoOtherTree && isNew);
  }

  // Puts a node that was never initialized in N's place; inside an update bracket, so that nothing asks where its
  // row lies (which would initialize it), and with the repaint dropped.
  void RenewNode() {
    TStringTree& tree = *tree_;
    EXPECT_TRUE(tree.BeginUpdate().Alive());
    EXPECT_TRUE(tree.DeleteNode(nodes_.N).Alive());
    nodes_.N = tree.InsertNode(nodes_.S, TTreeNodeAttachMode::amInsertBefore);
    EXPECT_TRUE(tree.EndUpdate().Alive());
    ValidateRect(tree.Handle(), nullptr);
    before_ = AllNodes(tree);
  }

  // Presses the key at the focused tree, or clicks the part of N's row, where N is made anew first when the case
  // asks for it.
  void Input(const TCase& c) {
    TStringTree& tree = *tree_;
    const TEventCase& event = *c.Event;
    std::optional<POINT> at;
    if (c.Route == TRoute::Click) {
      at = RowPoint(tree, nodes_.Start, event.Part);
      ASSERT_TRUE(at) << "the row shows no such part";
    }
    if (event.Setup.NodeUninitialized) RenewNode();
    armed_ = true;
    if (c.Route == TRoute::Key) {
      SendKeyPress(event.Key);
    } else {
      SendMouseClick(tree.ClientToScreen(*at));
    }
    PumpUntil([this, &event] {
      return struck_ && !(GetAsyncKeyState(event.Key ? event.Key : VK_LBUTTON) & 0x8000) && GetCapture() == nullptr;
    });
  }

  TStringTree* tree_ = nullptr;
  TStringTree* other_ = nullptr;
  TImageList images_;
  TNodes nodes_;
  std::vector<PTreeNode> before_;
  std::set<PTreeNode> freed_;
  bool armed_ = false, striking_ = false, struck_ = false;

  static TForm* form_;
};

TForm* NodeFreedByHandler::form_ = nullptr;

TEST_P(NodeFreedByHandler, EndsTheTreesWorkOnIt) {
  const TCase& c = GetParam();
  std::optional<TGuardedAllocations> guard;
  if (c.Victim == TVictim::Tree || c.Victim == TVictim::OtherTree) guard.emplace();
  MakeTree(c.Event->Setup, c.Route == TRoute::Call && c.Victim == TVictim::Parent);
  TStringTree& tree = *tree_;
  SetForegroundWindow(form_->Handle());
  EXPECT_TRUE(tree.SetFocus().Alive());
  ProcessPendingMessages();
  before_ = AllNodes(tree);

  if (c.Route == TRoute::Call) {
    if (c.Event->Setup.NodeUninitialized) RenewNode();
    armed_ = true;
    Record(c.Event->Call(tree, nodes_));
  } else {
    Input(c);
  }
  ASSERT_TRUE(struck_) << "the event was not raised about the node";
  ProcessPendingMessages();
  // What is left paints.
  RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (other_) {
    EXPECT_EQ(CheckInvariants(*other_), "");
  }
  // The handlers raised after the tree was freed named none of its nodes (Record).
  if (c.Victim == TVictim::Tree) return;

  EXPECT_EQ(CheckInvariants(tree), "");
  const std::vector<PTreeNode> after = AllNodes(tree);
  // A check that went no further left every tri-state box as its boxes below say.
  for (PTreeNode node : after) {
    if (node->CheckType != TCheckType::ctTriStateCheckBox) continue;
    EXPECT_EQ(node->CheckState, BoxesCheckState(node)) << "tri-state box at level " << tree.GetNodeLevel(node);
  }
  // The position cache the worker builds afterwards finds every row where the rows lie.
  if (tree.VisibleCount() <= CacheThreshold) return;
  ASSERT_TRUE(WaitForCache(tree));
  TTreePosition top = 0;
  for (PTreeNode node : ShownNodes(tree)) {
    TTreePosition found = -1;
    ASSERT_EQ(tree.GetNodeAtPosition(top, found), node) << "the row at " << top;
    ASSERT_EQ(found, top);
    top += node->NodeHeight;
  }
}

INSTANTIATE_TEST_SUITE_P(Events, NodeFreedByHandler, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<TCase>& info) { return info.param.Name; });

}  // namespace
}  // namespace tree_test

// The tree object and its window: defaults, Assign, scroll bars, re-creation, stored forms, and the clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>

#include "framework/form_reader.h"
#include "framework/global_memory.h"
#include "framework/stg_medium.h"
#include "framework/streams.h"
#include "support/modal_input.h"
#include "support/test_window.h"
#include "tree/clipboard_format_registry.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_drag_image.h"
#include "tree/tree_fixture.h"

namespace tree_test {

namespace {

struct TreeWindow : ::testing::Test {
  TTestWindow host{RECT{0, 0, 400, 300}};
};
using TreeWindowFaults = TreeWindow;

}  // namespace

TEST(TreeObject, Defaults) {
  TTestTree tree;
  EXPECT_EQ(tree.Width(), 200);
  EXPECT_EQ(tree.Height(), 100);
  EXPECT_TRUE(tree.TabStop());
  EXPECT_FALSE(tree.ParentColor());
  EXPECT_EQ(tree.DefaultNodeHeight(), 18);
  EXPECT_EQ(tree.Indent(), 18);
  EXPECT_EQ(tree.NodeDataSize(), -1);
  EXPECT_EQ(tree.DragOperations(), (TDragOperations{TDragOperation::doCopy, TDragOperation::doMove}));
  EXPECT_EQ(tree.DragImageKind(), TDragImageKind::diComplete);
  EXPECT_EQ(tree.FocusedColumn(), NoColumn);
  EXPECT_EQ(tree.BorderStyle(), TBorderStyle::bsSingle);
  EXPECT_EQ(tree.ButtonStyle(), TButtonStyle::bsRectangle);
  EXPECT_EQ(tree.ButtonFillMode(), TButtonFillMode::fmTreeColor);
  EXPECT_EQ(tree.CheckImageKind(), TCheckImageKind::ckLightCheck);
  EXPECT_EQ(tree.AutoScrollDelay(), 1000u);
  EXPECT_EQ(tree.AutoExpandDelay(), 1000u);
  EXPECT_EQ(tree.AutoScrollInterval(), 1u);
  EXPECT_EQ(tree.DefaultPasteMode(), TTreeNodeAttachMode::amAddChildLast);
  EXPECT_EQ(tree.Margin(), 4);
  EXPECT_EQ(tree.TextMargin(), 4);
  EXPECT_EQ(tree.DragType(), TDragType::dtOLE);
  EXPECT_EQ(tree.DragWidth(), 200);
  EXPECT_EQ(tree.DragHeight(), 350);
  EXPECT_EQ(tree.EditDelay(), 1000u);
  EXPECT_EQ(tree.AnimationDuration(), 200u);
  EXPECT_EQ(tree.IncrementalSearchTimeout(), 1000u);
  EXPECT_EQ(tree.IncrementalSearchStart(), TSearchStart::ssFocusedNode);
  EXPECT_EQ(tree.IncrementalSearch(), TIncrementalSearch::isNone);
  EXPECT_EQ(tree.NodeAlignment(), TNodeAlignment::naProportional);
  EXPECT_EQ(tree.LineStyle(), TLineStyle::lsDotted);
  EXPECT_EQ(tree.ChangeDelay(), 0u);
  EXPECT_EQ(tree.DragImage()->Transparency(), 200);
  EXPECT_TRUE(tree.DragImage()->Fade());
}

TEST(TreeObject, SettersAndTheirEffects) {
  TTestTree tree;
  tree.SetDefaultNodeHeight(0);
  EXPECT_EQ(tree.DefaultNodeHeight(), 18);
  tree.SetDefaultNodeHeight(20);
  EXPECT_EQ(tree.RootNode()->NodeHeight, 20);
  tree.SetAnimationDuration(0);
  EXPECT_FALSE(tree.TreeOptions()->AnimationOptions().Contains(TTreeAnimationOption::toAnimatedToggle));
  tree.SetAnimationDuration(150);
  EXPECT_TRUE(tree.TreeOptions()->AnimationOptions().Contains(TTreeAnimationOption::toAnimatedToggle));
  // A new record size rebuilds the same number of uninitialized top-level nodes.
  int asked = 0;
  tree.OnGetNodeDataSize = [&](TBaseTree*, int& size) { ++asked, size = 4; };
  EXPECT_TRUE(tree.SetRootNodeCount(5).Alive());
  EXPECT_EQ(asked, 1);
  tree.ValidateNode(nullptr, true);
  EXPECT_TRUE(tree.SetNodeDataSize(8).Alive());
  EXPECT_EQ(tree.RootNodeCount(), 5u);
  EXPECT_EQ(tree.GetFirstInitialized(), nullptr);
  TTestTree fresh;
  EXPECT_TRUE(fresh.SetNodeDataSize(-7).Alive());
  EXPECT_EQ(fresh.NodeDataSize(), -1);
}

TEST(TreeObject, AssignCopiesProperties) {
  TTestTree source, target;
  source.SetIndent(30);
  source.SetMargin(7);
  source.SetDefaultNodeHeight(22);
  source.SetDefaultPasteMode(TTreeNodeAttachMode::amInsertAfter);
  source.SetCheckImageKind(TCheckImageKind::ckFlat);
  source.SetBorderStyle(TBorderStyle::bsNone);
  source.SetSelectionCurveRadius(3);
  source.TreeOptions()->SetMiscOptions({TTreeMiscOption::toEditable});
  source.ScrollBarOptions()->SetScrollBars(TScrollStyle::ssVertical);
  EXPECT_TRUE(source.SetRootNodeCount(4).Alive());
  target.Assign(&source);
  EXPECT_EQ(target.Indent(), 30);
  EXPECT_EQ(target.Margin(), 7);
  EXPECT_EQ(target.DefaultNodeHeight(), 22);
  EXPECT_EQ(target.DefaultPasteMode(), TTreeNodeAttachMode::amInsertAfter);
  EXPECT_EQ(target.CheckImageKind(), TCheckImageKind::ckFlat);
  EXPECT_EQ(target.BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(target.SelectionCurveRadius(), 3);
  EXPECT_EQ(target.TreeOptions()->MiscOptions(), TTreeMiscOptions{TTreeMiscOption::toEditable});
  EXPECT_EQ(target.ScrollBarOptions()->ScrollBars(), TScrollStyle::ssVertical);
  EXPECT_EQ(target.RootNodeCount(), 4u);
}

TEST(TreeObject, LoadsFromFormTextWithOldOptions) {
  TTestTree tree;
  ReadComponentFromText(
      L"object Tree1: TBaseTree\n  Indent = 12\n  RootNodeCount = 6\n"
      L"  Options = [voMultiSelect, voShowRoot, voAutoSort, voInitOnSave]\nend",
      &tree);
  EXPECT_EQ(tree.Indent(), 12);
  EXPECT_EQ(tree.RootNodeCount(), 6u);
  EXPECT_EQ(tree.TreeOptions()->SelectionOptions(), TTreeSelectionOptions{TTreeSelectionOption::toMultiSelect});
  EXPECT_EQ(tree.TreeOptions()->PaintOptions(), TTreePaintOptions{TTreePaintOption::toShowRoot});
  EXPECT_EQ(tree.TreeOptions()->AutoOptions(), TTreeAutoOptions{TTreeAutoOption::toAutoSort});
  EXPECT_EQ(tree.TreeOptions()->MiscOptions(), TTreeMiscOptions{TTreeMiscOption::toInitOnSave});
}

TEST_F(TreeWindow, ScrollBarRangesFollowTotalHeight) {
  TKeyedTree tree(host.Handle());
  tree.ScrollBarOptions()->SetScrollBars(TScrollStyle::ssVertical);
  struct TCase {
    std::uint32_t count;
    bool shown;
  };
  for (TCase c : {TCase{20, true}, TCase{3, false}, TCase{40, true}}) {
    EXPECT_TRUE(tree.SetRootNodeCount(c.count).Alive());
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(tree.Handle(), SB_VERT, &info);
    bool shown = (GetWindowLongW(tree.Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
    EXPECT_EQ(shown, c.shown) << c.count;
    if (c.shown) {
      EXPECT_EQ(info.nMax, static_cast<int>(tree.RootNode()->TotalHeight - tree.RootNode()->NodeHeight));
      EXPECT_EQ(static_cast<int>(info.nPage), tree.ClientHeight());
    }
  }
  EXPECT_TRUE(tree.SetOffsetY(-100000).Alive());
  EXPECT_EQ(tree.OffsetY(), tree.ClientHeight() - 40 * 18);
  EXPECT_EQ(-GetScrollPos(tree.Handle(), SB_VERT), tree.OffsetY());
}

TEST_F(TreeWindow, RecreationKeepsNodesSelectionAndFocus) {
  TKeyedTree tree(host.Handle());
  EXPECT_TRUE(tree.TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toMultiSelect}).Alive());
  for (int i = 0; i < 5; ++i) tree.Add(i);
  PTreeNode second = tree.GetNext(tree.GetFirst());
  EXPECT_FALSE(tree.SetSelected(second, true).TreeGone());
  EXPECT_FALSE(tree.SetSelected(tree.GetLast(), true).TreeGone());
  EXPECT_FALSE(tree.SetFocusedNode(second).TreeGone());
  tree.ScrollBarOptions()->SetScrollBars(TScrollStyle::ssVertical);
  tree.HandleNeeded();
  EXPECT_EQ(tree.Keys(), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(tree.SelectedCount(), 2u);
  EXPECT_TRUE(tree.Selected(second));
  EXPECT_EQ(tree.FocusedNode(), second);
  EXPECT_EQ(GetWindowLongW(tree.Handle(), GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0);
  EXPECT_EQ(CheckInvariants(tree), "");
}

TEST_F(TreeWindow, CreationParameters) {
  TKeyedTree tree(host.Handle());
  LONG style = GetWindowLongW(tree.Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CLIPCHILDREN | WS_CLIPSIBLINGS), WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
  EXPECT_TRUE(GetWindowLongW(tree.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  tree.SetCtl3D(false);
  tree.RecreateWnd();
  EXPECT_TRUE(GetWindowLongW(tree.Handle(), GWL_STYLE) & WS_BORDER);
  tree.SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_FALSE(GetWindowLongW(tree.Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_FALSE(GetWindowLongW(tree.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

// ---- clipboard

namespace {

bool ClipboardHasTreeData() {
  Microsoft::WRL::ComPtr<IDataObject> data;
  if (OleGetClipboard(&data) != S_OK) return false;
  FORMATETC format{TreeDataFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  TStgMedium medium;
  return data->GetData(&format, medium.ReleaseAndGetAddressOf()) == S_OK;
}

}  // namespace

TEST_F(TreeWindow, CopyAndPasteWithinAndBetweenTrees) {
  TKeyedTree source(host.Handle()), target(host.Handle());
  PTreeNode a = source.Add(1);
  source.Add(11, a);
  source.Add(2);
  EXPECT_FALSE(source.SetSelected(a, true).TreeGone());
  source.CopyToClipboard();
  EXPECT_TRUE(source.TreeStates().Contains(TTreeState::stCopyPending));
  EXPECT_TRUE(a->Has(nsCutOrCopy));
  EXPECT_TRUE(target.PasteFromClipboard());
  EXPECT_EQ(target.Keys(), (std::vector<int>{1, 11}));
  EXPECT_TRUE(source.PasteFromClipboard());
  EXPECT_EQ(source.Keys(), (std::vector<int>{1, 11, 2, 1, 11}));
  // A refusal of every copy leaves the tree alone but still reports the paste.
  target.OnNodeCopying = [](TBaseTree*, PTreeNode, PTreeNode, bool& allowed) { allowed = false; };
  EXPECT_TRUE(target.PasteFromClipboard());
  EXPECT_EQ(target.Keys(), (std::vector<int>{1, 11}));
  EXPECT_EQ(CheckInvariants(target), "");
}

// A refused copy is freed at once: its OnFreeNode may free the node pasted into, or every node, and the copies
// still to come have nowhere to go.
TEST_F(TreeWindow, PasteEndsWhenARefusedCopysFreeTakesItsTarget) {
  // A touch of a freed node faults at once.
  TNodeSlab::SetGuardFreedBlocks(true);
  for (const bool clear : {false, true}) {
    SCOPED_TRACE(clear ? "the tree cleared" : "the target deleted");
    TKeyedTree source(host.Handle()), target(host.Handle());
    EXPECT_TRUE(source.TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toMultiSelect}).Alive());
    for (int key = 1; key <= 3; ++key) EXPECT_FALSE(source.SetSelected(source.Add(key), true).TreeGone());
    source.CopyToClipboard();
    target.Add(7);
    PTreeNode into = target.Add(8);
    EXPECT_FALSE(target.SetFocusedNode(into).TreeGone());
    // The first copy is refused; one the application has looked at is told of its freeing.
    target.OnNodeCopying = [&](TBaseTree* tree, PTreeNode node, PTreeNode, bool& allowed) {
      tree->ValidateNode(node, false);
      allowed = into == nullptr;
    };
    target.OnFreeNode = [&](TBaseTree* tree, PTreeNode) {
      if (!into) return;
      PTreeNode gone = std::exchange(into, nullptr);
      if (clear)
        EXPECT_TRUE(tree->Clear().Alive());
      else
        EXPECT_TRUE(tree->DeleteNode(gone).Alive());
    };
    EXPECT_TRUE(target.PasteFromClipboard());
    EXPECT_EQ(into, nullptr) << "the refused copy was freed";
    EXPECT_EQ(target.Keys(), clear ? std::vector<int>{} : std::vector<int>{7});
    EXPECT_EQ(CheckInvariants(target), "");
  }
  TNodeSlab::SetGuardFreedBlocks(false);
}

TEST_F(TreeWindow, CutAndPasteMovesBetweenTrees) {
  TKeyedTree source(host.Handle()), target(host.Handle());
  PTreeNode a = source.Add(1);
  source.Add(2);
  EXPECT_FALSE(source.SetSelected(a, true).TreeGone());
  source.CutToClipboard();
  EXPECT_TRUE(source.TreeStates().Contains(TTreeState::stCutPending));
  EXPECT_EQ(source.TotalCount(), 2u) << "nothing goes at cut time";
  EXPECT_TRUE(target.PasteFromClipboard());
  EXPECT_EQ(target.Keys(), (std::vector<int>{1}));
  EXPECT_EQ(source.Keys(), (std::vector<int>{2}));
  EXPECT_EQ(CheckInvariants(source), "");
}

// Rows moved into another shown tree, by a cut and a paste or by a drag that moves them, arrive in their order
// whatever the attach mode, inside one update bracket of each tree; the tree they leave tells of it once.
TEST_F(TreeWindow, RowsMovedIntoAnotherShownTreeKeepTheirOrderAndEachTreeChangesOnce) {
  using AM = TTreeNodeAttachMode;
  struct TCase {
    AM mode;
    int onto;  // the key of the target row
    std::vector<int> targetAfter;
  };
  const TCase cases[] = {
      {AM::amInsertBefore, 100, {1, 2, 3, 4, 5, 100, 200, 201}},
      {AM::amInsertAfter, 100, {100, 1, 2, 3, 4, 5, 200, 201}},
      {AM::amAddChildFirst, 200, {100, 200, 1, 2, 3, 4, 5, 201}},
      {AM::amAddChildLast, 200, {100, 200, 201, 1, 2, 3, 4, 5}},
  };
  for (const bool byDrag : {false, true}) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(testing::Message() << (byDrag ? "dragged, mode " : "cut and pasted, mode ")
                                      << static_cast<int>(c.mode));
      TKeyedTree source(host.Handle()), target(host.Handle());
      EXPECT_TRUE(target.SetLeft(200).Alive());
      EXPECT_TRUE(
          source.TreeOptions()
              ->SetSelectionOptions(source.TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect)
              .Alive());
      for (int key = 1; key <= 6; ++key) source.Add(key);
      for (PTreeNode node = source.GetFirst(); node; node = source.GetNextSibling(node))
        if (Key(source, node) <= 5) EXPECT_FALSE(source.AddToSelection(node).TreeGone());
      target.Add(100);
      target.Add(201, target.Add(200));
      EXPECT_TRUE(target.FullExpand().Alive());
      PTreeNode onto = nullptr;
      for (PTreeNode node = target.GetFirst(); node; node = target.GetNext(node))
        if (Key(target, node) == c.onto) onto = node;
      int sourceBrackets = 0, sourceChanges = 0, targetBrackets = 0;
      auto countBrackets = [](int& brackets) {
        return [&brackets](TBaseTree*, TTreeUpdateState state) { brackets += state == TTreeUpdateState::usBegin; };
      };
      source.OnUpdating = countBrackets(sourceBrackets);
      target.OnUpdating = countBrackets(targetBrackets);
      source.OnStructureChange = [&](TBaseTree*, PTreeNode, TChangeReason) { ++sourceChanges; };
      if (byDrag) {
        target.OnDragOver = [](TBaseTree*, TObject*, TShiftState, TDragState, POINT, TDropMode, DWORD& effect,
                               bool& accept) {
          accept = true;
          effect = DROPEFFECT_MOVE;
        };
        target.OnDragDrop = [&](TBaseTree* tree, TObject* from, IDataObject* data, const TFormatArray&, TShiftState,
                                POINT, DWORD& effect, TDropMode) {
          effect = DROPEFFECT_MOVE;
          tree->ProcessOLEData(ObjectAs<TBaseTree>(from), data, onto, c.mode, true);
        };
        POINT saved{};
        GetCursorPos(&saved);
        const POINT over = target.ClientToScreen(POINT{100, 90});
        SetCursorPos(over.x, over.y);
        // The system's drag loop drops at once where the mouse rests, no button being down; a mouse move still
        // queued from before would have it drop where that move was.
        ProcessPendingMessages();
        EXPECT_TRUE(source.BeginDrag(true).Alive());
        SetCursorPos(saved.x, saved.y);
      } else {
        source.CutToClipboard();
        EXPECT_FALSE(target.SetFocusedNode(onto).TreeGone());
        target.SetDefaultPasteMode(c.mode);
        sourceBrackets = sourceChanges = targetBrackets = 0;
        EXPECT_TRUE(target.PasteFromClipboard());
      }
      EXPECT_EQ(target.Keys(), c.targetAfter);
      EXPECT_EQ(source.Keys(), std::vector<int>{6});
      EXPECT_EQ(sourceBrackets, 1);
      EXPECT_EQ(sourceChanges, 1);
      EXPECT_EQ(targetBrackets, 1);
      EXPECT_EQ(CheckInvariants(source), "");
      EXPECT_EQ(CheckInvariants(target), "");
      OleSetClipboard(nullptr);
    }
  }
}

TEST_F(TreeWindowFaults, DestroyedTreeLeavesRenderedDataButNoReference) {
  {
    TKeyedTree source(host.Handle());
    EXPECT_FALSE(source.SetSelected(source.Add(5), true).TreeGone());
    source.CopyToClipboard();
  }
  ASSERT_TRUE(ClipboardHasTreeData());
  Microsoft::WRL::ComPtr<IDataObject> data;
  ASSERT_EQ(OleGetClipboard(&data), S_OK);
  FORMATETC reference{TreeReferenceFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  TStgMedium medium;
  EXPECT_NE(data->GetData(&reference, medium.ReleaseAndGetAddressOf()), S_OK);
  TKeyedTree target(host.Handle());
  EXPECT_TRUE(target.PasteFromClipboard());
  EXPECT_EQ(target.Keys(), (std::vector<int>{5}));
  OleSetClipboard(nullptr);
}

TEST(TreeObjectFaults, HandlerExceptionsStopAtRendering) {
  TTestTree tree;
  EXPECT_TRUE(tree.SetNodeDataSize(4).Alive());
  EXPECT_FALSE(tree.SetSelected(tree.AddChild(nullptr), true).TreeGone());
  tree.OnSaveNode = [](TBaseTree*, PTreeNode, TStream&) { throw Exception(L"owner failed"); };
  FORMATETC format{TreeDataFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  EXPECT_EQ(tree.RenderOLEData(format, medium, false), E_UNEXPECTED);
  EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));
  tree.OnRenderOLEData = [](TBaseTree*, const FORMATETC&, STGMEDIUM&, bool, HRESULT&) { throw Exception(L"x"); };
  format.cfFormat = CF_TEXT;
  EXPECT_EQ(tree.RenderOLEData(format, medium, false), E_UNEXPECTED);
}

}  // namespace tree_test

// The tree in OLE drag and drop: drop modes, suggested effects, the drop-target protocol through the drag manager,
// auto-expansion by timer, a real drag between two trees driven by the mouse, deleting moved nodes, drop-target
// registration, and the framework's own drag.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_screen.h"
#include "framework/bitmap.h"
#include "framework/com_object.h"
#include "framework/drag.h"
#include "framework/messages.h"
#include "framework/streams.h"
#include "paint_tree.h"
#include "support/endless_formats.h"
#include "support/modal_input.h"
#include "tree/block_data_object.h"
#include "tree/clipboard_format_registry.h"
#include "tree/tree_drag_image.h"
#include "tree/tree_drag_manager.h"

using Microsoft::WRL::ComPtr;

namespace tree_test {
namespace {

using AO = TTreeAutoOption;
using PO = TTreePaintOption;

// A tree whose nodes carry an integer key through streams, so that copies and moves can be told apart.
class TDragTree : public TPaintTree {
 public:
  TDragTree(HWND host, std::uint32_t count, int firstKey) : TPaintTree(host, 200, 180, 0) {
    EXPECT_TRUE(SetNodeDataSize(sizeof(int)).Alive());
    EXPECT_TRUE(SetRootNodeCount(count).Alive());
    int key = firstKey;
    for (PTreeNode node = GetFirst(); node; node = GetNext(node)) Key(*this, node) = key++;
    OnSaveNode = [](TBaseTree* tree, PTreeNode node, TStream& stream) { stream.WriteBuffer(&Key(*tree, node), 4); };
    OnLoadNode = [](TBaseTree* tree, PTreeNode node, TStream& stream) { stream.ReadBuffer(&Key(*tree, node), 4); };
  }
  using TBaseTree::DoDragging;
  using TBaseTree::DoEndDrag;

  std::vector<int> Keys() {
    std::vector<int> keys;
    for (PTreeNode node = GetFirst(); node; node = GetNext(node)) keys.push_back(Key(*this, node));
    return keys;
  }
  PTreeNode Top(int index) {
    PTreeNode node = GetFirst();
    while (node && index-- > 0) node = GetNextSibling(node);
    return node;
  }
  // Screen point at row index, offset pixels below the row's top.
  POINT RowPoint(int index, int offset = 9) {
    POINT p{20, index * DefaultTreeNodeHeight + offset};
    ::ClientToScreen(Handle(), &p);
    return p;
  }
  ComPtr<IDropTarget> DropTarget() {
    ComPtr<IDropTarget> target;
    GetDragManager()->QueryInterface(IID_PPV_ARGS(&target));
    return target;
  }
};

// What a tree's drag handlers saw.
struct TDragLog {
  std::vector<TDragState> states;
  std::vector<TDropMode> modes;
  std::vector<TObject*> sources;
  std::vector<CLIPFORMAT> formats;
  PTreeNode dropTarget = nullptr;  // while the last drop was handled
  int drops = 0;
};

struct TDragDropFixture : TPaintFixture {
  TTestWindow otherHost{RECT{400, 50, 700, 350}};
  TDragTree target{host.Handle(), 5, 100};
  TDragTree source{otherHost.Handle(), 3, 200};
  TDragLog log;
  bool accept = true;
  // The drop inserts the data's nodes after the target node, moving them when the effect says so.
  bool processDrops = true;

  TDragDropFixture() {
    target.OnDragOver = [this](TBaseTree*, TObject* from, TShiftState, TDragState state, POINT, TDropMode mode, DWORD&,
                               bool& accepted) {
      log.states.push_back(state);
      log.modes.push_back(mode);
      log.sources.push_back(from);
      accepted = accept;
    };
    target.OnDragDrop = [this](TBaseTree* tree, TObject* from, IDataObject* data, const TFormatArray& formats,
                               TShiftState, POINT, DWORD& effect, TDropMode) {
      ++log.drops;
      log.sources.push_back(from);
      log.formats = formats;
      log.dropTarget = tree->DropTargetNode();
      if (!processDrops) return;
      auto* sourceTree = ObjectAs<TBaseTree>(from);
      tree->ProcessOLEData(sourceTree, data, tree->DropTargetNode(), TTreeNodeAttachMode::amInsertAfter,
                           effect == DROPEFFECT_MOVE && sourceTree != nullptr);
    };
  }

  ComPtr<IDataObject> SourceData(int selectedIndex) {
    EXPECT_TRUE(source.ClearSelection().Alive());
    EXPECT_FALSE(source.AddToSelection(source.Top(selectedIndex)).TreeGone());
    ComPtr<IDataObject> data;
    *data.ReleaseAndGetAddressOf() = source.GetDragManager()->GetDataObject();
    return data;
  }
};

bool Has(const std::vector<CLIPFORMAT>& formats, CLIPFORMAT format) {
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

TEST_F(TDragDropFixture, DropModeFollowsTheRowThird) {
  struct TCase {
    int offset;  // pixels below the top of row 1 (rows are 18 high)
    TDropMode withMark;
  };
  const TCase cases[] = {{0, TDropMode::dpAbove},  {5, TDropMode::dpAbove},   {6, TDropMode::dpOnNode},
                         {9, TDropMode::dpOnNode}, {12, TDropMode::dpOnNode}, {13, TDropMode::dpBelow},
                         {17, TDropMode::dpBelow}};
  ComPtr<IDataObject> data = SourceData(0);
  ComPtr<IDropTarget> drop = target.DropTarget();
  for (bool mark : {true, false}) {
    TTreePaintOptions paint = target.TreeOptions()->PaintOptions();
    target.TreeOptions()->SetPaintOptions(mark ? paint + PO::toShowDropmark : paint - PO::toShowDropmark);
    for (const TCase& c : cases) {
      POINT at = target.RowPoint(1, c.offset);
      DWORD effect = DROPEFFECT_COPY;
      ASSERT_EQ(drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect), S_OK);
      effect = DROPEFFECT_COPY;
      ASSERT_EQ(drop->DragOver(MK_LBUTTON, POINTL{at.x, at.y}, &effect), S_OK);
      TDropMode expected = mark ? c.withMark : TDropMode::dpOnNode;
      EXPECT_EQ(target.LastDropMode(), expected) << c.offset << " mark " << mark;
      EXPECT_EQ(log.modes.back(), expected) << c.offset << " mark " << mark;
      EXPECT_EQ(target.DropTargetNode(), target.Top(1)) << c.offset;
      drop->DragLeave();
      EXPECT_EQ(target.DropTargetNode(), nullptr);
    }
  }
  // Below the last row there is no node: nowhere.
  POINT below = target.RowPoint(7);
  DWORD effect = DROPEFFECT_COPY;
  drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{below.x, below.y}, &effect);
  drop->DragOver(MK_LBUTTON, POINTL{below.x, below.y}, &effect);
  EXPECT_EQ(target.LastDropMode(), TDropMode::dpNowhere);
  EXPECT_EQ(target.DropTargetNode(), nullptr);
  drop->DragLeave();
}

TEST_F(TDragDropFixture, SuggestedEffects) {
  using S = TShiftStateItem;
  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  struct TCase {
    const char* name;
    bool sameTree;
    TShiftState shift;
    DWORD allowed;
    DWORD expected;
  };
  const TCase cases[] = {
      {"same tree moves", true, {}, all, DROPEFFECT_MOVE},
      {"other tree copies", false, {}, all, DROPEFFECT_COPY},
      {"same tree without move copies", true, {}, DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_COPY},
      {"ctrl copies", true, {S::ssCtrl}, all, DROPEFFECT_COPY},
      {"shift moves", false, {S::ssShift}, all, DROPEFFECT_MOVE},
      {"ctrl shift links", false, {S::ssCtrl, S::ssShift}, all, DROPEFFECT_LINK},
      {"alt links", true, {S::ssAlt}, all, DROPEFFECT_LINK},
      {"link not allowed keeps the move", true, {S::ssAlt}, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE},
      {"shift without move keeps the copy", false, {S::ssShift}, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {"nothing allowed", false, {S::ssCtrl}, DROPEFFECT_NONE, DROPEFFECT_NONE},
  };
  for (const TCase& c : cases) {
    TObject* from = c.sameTree ? static_cast<TObject*>(&target) : &source;
    EXPECT_EQ(target.SuggestDropEffect(from, c.shift, POINT{}, c.allowed), c.expected) << c.name;
  }
}

TEST_F(TDragDropFixture, ProtocolThroughTheDragManager) {
  ComPtr<IDataObject> data = SourceData(1);
  ComPtr<IDropTarget> drop = target.DropTarget();
  POINT at = target.RowPoint(2);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(target.GetDragManager()->GetDragSource(), &source);
  EXPECT_TRUE(target.GetDragManager()->GetIsDropTarget());
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(drop->DragOver(MK_LBUTTON | MK_SHIFT, POINTL{at.x, at.y}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(drop->Drop(data.Get(), 0, POINTL{at.x, at.y}, &effect), S_OK);
  EXPECT_EQ(log.states,
            (std::vector<TDragState>{TDragState::dsDragEnter, TDragState::dsDragMove, TDragState::dsDragMove}));
  EXPECT_EQ(log.drops, 1);
  EXPECT_EQ(log.sources.back(), &source);
  EXPECT_TRUE(Has(log.formats, TreeDataFormat));
  EXPECT_TRUE(Has(log.formats, TreeReferenceFormat));
  // A copy of the source's second node lands after the third node.
  EXPECT_EQ(target.Keys(), (std::vector<int>{100, 101, 102, 201, 103, 104}));
  EXPECT_EQ(source.Keys(), (std::vector<int>{200, 201, 202}));
  EXPECT_EQ(target.DropTargetNode(), nullptr);
  EXPECT_FALSE(target.GetDragManager()->GetIsDropTarget());
  EXPECT_EQ(target.GetDragManager()->GetDragSource(), nullptr);

  // Entering and leaving: the handler hears the leave with no source, the target is forgotten.
  log = {};
  effect = DROPEFFECT_COPY;
  drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  drop->DragOver(MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  EXPECT_EQ(target.DropTargetNode(), target.Top(2));
  EXPECT_EQ(drop->DragLeave(), S_OK);
  EXPECT_EQ(log.states.back(), TDragState::dsDragLeave);
  EXPECT_EQ(log.sources.back(), nullptr);
  EXPECT_EQ(target.DropTargetNode(), nullptr);
  EXPECT_EQ(log.drops, 0);
}

TEST_F(TDragDropFixture, ForeignDataHasNoSourceTree) {
  STGMEDIUM medium{};
  FORMATETC format{TreeDataFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  ComPtr<IDataObject> rendered = SourceData(2);
  ASSERT_EQ(rendered->GetData(&format, &medium), S_OK);
  std::string block(static_cast<const char*>(GlobalLock(medium.hGlobal)), GlobalSize(medium.hGlobal));
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  ComPtr<IDataObject> foreign;
  foreign = new TBlockDataObject(block);
  EXPECT_EQ(target.GetTreeFromDataObject(foreign.Get()), nullptr);
  EXPECT_EQ(target.GetTreeFromDataObject(rendered.Get()), &source);

  ComPtr<IDropTarget> drop = target.DropTarget();
  POINT at = target.RowPoint(0);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  drop->DragEnter(foreign.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  EXPECT_EQ(target.GetDragManager()->GetDragSource(), nullptr);
  effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
  ASSERT_EQ(drop->Drop(foreign.Get(), 0, POINTL{at.x, at.y}, &effect), S_OK);
  EXPECT_EQ(log.sources.back(), nullptr);
  EXPECT_EQ(log.formats, std::vector<CLIPFORMAT>{TreeDataFormat});
  // The bytes are read as a copy: a foreign source cannot be moved from.
  EXPECT_EQ(target.Keys(), (std::vector<int>{100, 202, 101, 102, 103, 104}));
}

// A data object from anywhere whose format list never ends: the drop reads a bounded number of formats.
TEST_F(TDragDropFixture, EndlessFormatListIsCutShort) {
  ComPtr<IDataObject> endless = new TEndlessDataObject;
  ComPtr<IDropTarget> drop = target.DropTarget();
  POINT at = target.RowPoint(0);
  DWORD effect = DROPEFFECT_COPY;
  drop->DragEnter(endless.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(drop->Drop(endless.Get(), 0, POINTL{at.x, at.y}, &effect), S_OK);
  EXPECT_EQ(log.drops, 1);
  EXPECT_EQ(log.formats.size(), 4096u);
  EXPECT_EQ(target.Keys(), (std::vector<int>{100, 101, 102, 103, 104}));
}

TEST_F(TDragDropFixture, RefusedDropFailsAndChangesNothing) {
  accept = false;
  ComPtr<IDataObject> data = SourceData(0);
  ComPtr<IDropTarget> drop = target.DropTarget();
  POINT at = target.RowPoint(1);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  drop->DragOver(MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(drop->Drop(data.Get(), 0, POINTL{at.x, at.y}, &effect), E_FAIL);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(log.drops, 0);
  EXPECT_EQ(target.Keys(), (std::vector<int>{100, 101, 102, 103, 104}));
  EXPECT_EQ(target.DropTargetNode(), nullptr);
}

TEST_F(TDragDropFixture, HoveringExpandsAfterTheDelay) {
  EXPECT_FALSE(target.SetChildCount(target.Top(1), 2).TreeGone());
  EXPECT_FALSE(target.SetChildCount(target.Top(3), 2).TreeGone());
  target.SetAutoExpandDelay(60);
  ComPtr<IDataObject> data = SourceData(0);
  ComPtr<IDropTarget> drop = target.DropTarget();
  struct TCase {
    const char* name;
    bool autoExpand;
    bool leaves;
    bool expanded;
  };
  const TCase cases[] = {
      {"stays over the node", true, false, true},
      {"leaves before the delay", true, true, false},
      {"without the option", false, false, false},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(target.FullCollapse().Alive());
    TTreeAutoOptions options = target.TreeOptions()->AutoOptions();
    target.TreeOptions()->SetAutoOptions(c.autoExpand ? options + AO::toAutoDropExpand
                                                      : options - AO::toAutoDropExpand);
    POINT at = target.RowPoint(1);
    DWORD effect = DROPEFFECT_COPY;
    drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect);
    drop->DragOver(MK_LBUTTON, POINTL{at.x, at.y}, &effect);
    const ULONGLONG start = GetTickCount64();
    // Left before a message is served, so before the delay however long the processor keeps the program waiting:
    // the expansion comes with a message.
    if (c.leaves) drop->DragLeave();
    // An expansion that is to come is waited for; one that must not come is given a while past the delay.
    bool expanded = PumpUntil([&] { return target.Expanded(target.Top(1)); }, c.expanded ? 5000 : 250);
    EXPECT_EQ(expanded, c.expanded) << c.name;
    if (expanded) {
      EXPECT_GE(GetTickCount64() - start, 55u) << c.name;
    }
    if (!c.leaves) drop->DragLeave();
  }
  // Moving on to another node before the delay cancels the first one's expansion.
  EXPECT_TRUE(target.FullCollapse().Alive());
  target.TreeOptions()->SetAutoOptions(target.TreeOptions()->AutoOptions() + AO::toAutoDropExpand);
  POINT first = target.RowPoint(1), next = target.RowPoint(3);
  DWORD effect = DROPEFFECT_COPY;
  drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{first.x, first.y}, &effect);
  drop->DragOver(MK_LBUTTON, POINTL{first.x, first.y}, &effect);
  drop->DragOver(MK_LBUTTON, POINTL{next.x, next.y}, &effect);
  EXPECT_TRUE(PumpUntil([&] { return target.Expanded(target.Top(3)); }));
  EXPECT_FALSE(target.Expanded(target.Top(1)));
  drop->DragLeave();
}

void WaitForButton(bool down) {
  for (int i = 0; i < 500 && (GetKeyState(VK_LBUTTON) < 0) != down; ++i) {
    ProcessPendingMessages();
    Sleep(10);
  }
}

// The system's drag loop run by the source tree, fed by mouse input from the source row to the target row.
struct TRealDragFixture : TDragDropFixture {
  // The mouse goes back where it was: later tests (of other programs too) find it where they expect it.
  POINT savedCursor{};
  TRealDragFixture() { GetCursorPos(&savedCursor); }
  ~TRealDragFixture() override { SetCursorPos(savedCursor.x, savedCursor.y); }
  bool imageShownOverTarget = false;

  // The drag starts through BeginDrag (immediate) or by the tree's own entry at the pressed row.
  void DragRow(int sourceRow, POINT to, bool byBeginDrag) {
    EXPECT_TRUE(source.ClearSelection().Alive());
    EXPECT_FALSE(source.AddToSelection(source.Top(sourceRow)).TreeGone());
    TTreeDragOverEvent over = [this](TBaseTree*, TObject*, TShiftState, TDragState state, POINT, TDropMode, DWORD&,
                                     bool& accepted) {
      log.states.push_back(state);
      imageShownOverTarget = imageShownOverTarget || source.DragImage()->Visible();
      accepted = true;
    };
    target.OnDragOver = over;
    source.OnDragOver = over;
    POINT from = source.RowPoint(sourceRow);
    SetCursorPos(from.x, from.y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    WaitForButton(true);
    bool inTime = RunModalWithInput(
        [&] {
          for (int i = 1; i <= 6; ++i) {
            POINT at{from.x + (to.x - from.x) * i / 6, from.y + (to.y - from.y) * i / 6};
            PostInputFromLoop([at] { SetCursorPos(at.x, at.y), SendMouse(MOUSEEVENTF_MOVE); },
                              static_cast<UINT>(40 * i));
          }
          PostInputFromLoop([] { SendMouse(MOUSEEVENTF_LEFTUP); }, 40 * 8);
        },
        [&] {
          POINT client = from;
          ScreenToClient(source.Handle(), &client);
          if (byBeginDrag)
            EXPECT_TRUE(source.BeginDrag(true).Alive());
          else
            EXPECT_TRUE(source.DoDragging(client).Alive());
        });
    EXPECT_TRUE(inTime);
    WaitForButton(false);
  }
};

TEST_F(TRealDragFixture, MouseDragBetweenTwoTrees) {
  struct TCase {
    const char* name;
    bool optimized;      // the drop moves the source's nodes itself
    bool autoDelete;     // toAutoDeleteMovedNodes on the source
    bool deleteDragged;  // the drop handler deletes the dragged node instead of inserting anything
    bool sameTree;       // dropped on the source tree's third row instead of the other tree's
    bool byBeginDrag;    // started by BeginDrag (immediate) rather than by the mouse handling's entry
    std::vector<int> sourceAfter;
    std::vector<int> targetAfter;
  };
  const std::vector<int> copiedInto{100, 101, 102, 201, 103, 104}, untouched{100, 101, 102, 103, 104};
  const TCase cases[] = {
      // name, optimized, autoDelete, deleteDragged, sameTree, byBeginDrag, source after, target after
      {"copied then deleted by the source", false, true, false, false, false, {200, 202}, copiedInto},
      {"copied and kept without the option", false, false, false, false, false, {200, 201, 202}, copiedInto},
      {"moved by the target, not deleted again", true, true, false, false, false, {200, 202}, copiedInto},
      {"deleted during the drop, not deleted again", false, true, true, false, false, {200, 202}, untouched},
      {"moved within the tree, not deleted again", true, true, false, true, false, {200, 202, 201}, untouched},
      {"started at once by BeginDrag", false, true, false, false, true, {200, 202}, copiedInto},
  };
  for (const TCase& c : cases) {
    EXPECT_TRUE(target.Clear().Alive());
    EXPECT_TRUE(target.SetRootNodeCount(5).Alive());
    int key = 100;
    for (PTreeNode node = target.GetFirst(); node; node = target.GetNext(node)) Key(target, node) = key++;
    EXPECT_TRUE(source.Clear().Alive());
    EXPECT_TRUE(source.SetRootNodeCount(3).Alive());
    key = 200;
    for (PTreeNode node = source.GetFirst(); node; node = source.GetNext(node)) Key(source, node) = key++;
    TTreeAutoOptions options = source.TreeOptions()->AutoOptions();
    source.TreeOptions()->SetAutoOptions(c.autoDelete ? options + AO::toAutoDeleteMovedNodes
                                                      : options - AO::toAutoDeleteMovedNodes);
    DWORD dropped = DROPEFFECT_NONE;
    std::vector<PTreeNode> dragSelection;
    TDragTree& into = c.sameTree ? source : target;
    target.OnDragDrop = nullptr;
    into.OnDragDrop = [&](TBaseTree* tree, TObject* from, IDataObject* data, const TFormatArray&, TShiftState, POINT,
                          DWORD& effect, TDropMode) {
      ++log.drops;
      dragSelection = source.DragSelection();
      // The drop may change the rows under the image: it is gone before the handler runs.
      EXPECT_FALSE(source.DragImage()->Visible()) << c.name;
      // Moves between the trees: the shift key would say so, which input under the test display cannot carry.
      effect = DROPEFFECT_MOVE;
      dropped = effect;
      if (c.deleteDragged) {
        EXPECT_TRUE(source.DeleteNode(source.Top(1)).Alive());
        return;
      }
      tree->ProcessOLEData(ObjectAs<TBaseTree>(from), data, tree->DropTargetNode(), TTreeNodeAttachMode::amInsertAfter,
                           c.optimized);
    };
    log = {};
    imageShownOverTarget = false;
    DragRow(1, into.RowPoint(2), c.byBeginDrag);
    EXPECT_EQ(log.drops, 1) << c.name;
    EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_MOVE)) << c.name;
    EXPECT_EQ(dragSelection.size(), 1u) << c.name;
    EXPECT_EQ(source.Keys(), c.sourceAfter) << c.name;
    EXPECT_EQ(target.Keys(), c.targetAfter) << c.name;
    EXPECT_TRUE(source.DragSelection().empty()) << c.name;
    EXPECT_FALSE(source.TreeStates().Contains(TTreeState::stOleDragging)) << c.name;
    // The shell's image service here takes no picture: the source draws its own, shown over the target.
    EXPECT_TRUE(imageShownOverTarget) << c.name;
    EXPECT_FALSE(source.DragImage()->Visible()) << c.name;
  }
}

TEST_F(TDragDropFixture, DropTargetRegistrationFollowsTheOption) {
  using MO = TTreeMiscOption;
  ComPtr<IDropTarget> other = source.DropTarget();
  auto registered = [&](TBaseTree& tree) {
    HRESULT result = RegisterDragDrop(tree.Handle(), other.Get());
    if (result == S_OK) RevokeDragDrop(tree.Handle());
    return result == DRAGDROP_E_ALREADYREGISTERED;
  };
  ASSERT_TRUE(target.TreeOptions()->MiscOptions().Contains(MO::toAcceptOLEDrop));
  EXPECT_TRUE(registered(target));
  EXPECT_TRUE(target.DropTargetRegistered());
  TTreeMiscOptions misc = target.TreeOptions()->MiscOptions();
  target.TreeOptions()->SetMiscOptions(misc - MO::toAcceptOLEDrop);
  EXPECT_FALSE(registered(target));
  target.TreeOptions()->SetMiscOptions(misc);
  EXPECT_TRUE(registered(target));
  // A new window is registered again; the old one's registration went with it.
  target.RecreateWnd();
  target.HandleNeeded();
  EXPECT_TRUE(registered(target));
  // A window made while the option is off is not registered.
  target.TreeOptions()->SetMiscOptions(misc - MO::toAcceptOLEDrop);
  target.RecreateWnd();
  target.HandleNeeded();
  EXPECT_FALSE(registered(target));
  EXPECT_FALSE(target.DropTargetRegistered());
}

TEST_F(TDragDropFixture, FrameworkDragReachesTheDropHandling) {
  TDragControlObject object(&source);
  auto send = [&](TDragMessage kind, POINT at) {
    TDragRec rec{at, &object, &target, false};
    return SendMessageW(target.Handle(), CM_DRAG, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(&rec));
  };
  POINT at = target.RowPoint(3);
  EXPECT_EQ(send(TDragMessage::dmDragEnter, at), 1);
  EXPECT_TRUE(target.TreeStates().Contains(TTreeState::stFrameworkDragging));
  EXPECT_EQ(send(TDragMessage::dmDragMove, at), 1);
  EXPECT_EQ(target.DropTargetNode(), target.Top(3));
  EXPECT_EQ(send(TDragMessage::dmDragLeave, at), 1);
  EXPECT_FALSE(target.TreeStates().Contains(TTreeState::stFrameworkDragging));
  EXPECT_EQ(target.DropTargetNode(), nullptr);
  processDrops = false;
  send(TDragMessage::dmDragDrop, at);
  EXPECT_EQ(log.drops, 1);
  EXPECT_EQ(log.sources.back(), &source);
  EXPECT_TRUE(log.formats.empty());
  // The leave that precedes every drop of this drag does not lose the node dropped on.
  EXPECT_EQ(log.dropTarget, target.Top(3));
  EXPECT_EQ(log.states, (std::vector<TDragState>{TDragState::dsDragEnter, TDragState::dsDragMove,
                                                 TDragState::dsDragLeave, TDragState::dsDragMove}));
  EXPECT_EQ(target.DropTargetNode(), nullptr);
  // A refusing handler: the framework's drag hears no.
  accept = false;
  EXPECT_EQ(send(TDragMessage::dmDragEnter, at), 0);
  send(TDragMessage::dmDragLeave, at);
  // Find-target answers the tree itself.
  TDragRec rec{at, &object, nullptr, false};
  EXPECT_EQ(SendMessageW(target.Handle(), CM_DRAG, static_cast<WPARAM>(TDragMessage::dmFindTarget),
                         reinterpret_cast<LPARAM>(&rec)),
            reinterpret_cast<LRESULT>(&target));
}

TEST_F(TDragDropFixture, EndOfADragReleasesTheButtonThatStartedIt) {
  struct TCase {
    TTreeStates held;
    TMouseButton released;
  };
  const TCase cases[] = {
      {{TTreeState::stLeftButtonDown}, TMouseButton::mbLeft},
      {{TTreeState::stLeftButtonDown, TTreeState::stMiddleButtonDown}, TMouseButton::mbMiddle},
      {{TTreeState::stLeftButtonDown, TTreeState::stMiddleButtonDown, TTreeState::stRightButtonDown},
       TMouseButton::mbRight},
  };
  std::vector<TMouseButton> releases;
  source.OnMouseUp = [&](TObject*, TMouseButton button, TShiftState, int, int) { releases.push_back(button); };
  int ended = 0;
  source.OnEndDrag = [&](TObject*, TObject*, int, int) { ++ended; };
  for (const TCase& c : cases) {
    releases.clear();
    source.DoStateChange(c.held);
    EXPECT_TRUE(source.DoEndDrag(nullptr, 0, 0).Alive());
    EXPECT_EQ(releases, std::vector<TMouseButton>{c.released});
    for (TTreeState state :
         {TTreeState::stLeftButtonDown, TTreeState::stMiddleButtonDown, TTreeState::stRightButtonDown})
      EXPECT_FALSE(source.TreeStates().Contains(state));
  }
  EXPECT_EQ(ended, 3);
}

TEST(TreeDragManager, MadeOnceThroughTheEventOrByTheTree) {
  TTestTree supplied, plain;
  ITreeDragManager* given = nullptr;
  int asked = 0;
  supplied.OnCreateDragManager = [&](TBaseTree* sender, ITreeDragManager*& manager) {
    ++asked;
    ComPtr<ITreeDragManager> made = new TTreeDragManager(sender);
    given = made.Get();
    manager = made.Detach();
  };
  EXPECT_EQ(supplied.GetDragManager(), given);
  EXPECT_EQ(supplied.GetDragManager(), given);
  EXPECT_EQ(asked, 1);
  ASSERT_NE(plain.GetDragManager(), nullptr);
  EXPECT_NE(dynamic_cast<TTreeDragManager*>(plain.GetDragManager()), nullptr);
  EXPECT_EQ(plain.GetDragManager(), plain.GetDragManager());
}

// The picture of a drag holds the selected rows only, cut off at the tree's origin, placed where they lie.
TEST_F(TDragDropFixture, DragImageShowsTheSelectedRows) {
  struct TCase {
    TDragImageKind kind;
    bool prepared;
  };
  for (const TCase& c : {TCase{TDragImageKind::diComplete, true}, TCase{TDragImageKind::diNoImage, false}}) {
    target.SetDragImageKind(c.kind);
    EXPECT_TRUE(target.ClearSelection().Alive());
    EXPECT_FALSE(target.AddToSelection(target.Top(1)).TreeGone());
    POINT hotSpot{20, 27};
    ASSERT_TRUE(target.PrepareDragImage(hotSpot, nullptr).Alive());
    TTreeDragImage& image = *target.DragImage();
    EXPECT_EQ(image.States().Contains(TDragImageState::disPrepared), c.prepared);
    if (!c.prepared) continue;
    // Centred on the hot spot, 200 x 350, less what lies left of and above the origin.
    TBitmap& picture = image.DragImageBitmap();
    EXPECT_EQ(picture.Width(), 120);
    EXPECT_EQ(picture.Height(), 202);
    POINT origin{0, 0}, hot = hotSpot;
    ::ClientToScreen(target.Handle(), &origin);
    ::ClientToScreen(target.Handle(), &hot);
    EXPECT_EQ(image.ImagePosition().x, origin.x);
    EXPECT_EQ(image.ImagePosition().y, origin.y);
    EXPECT_EQ(image.LastPosition().x, hot.x);
    EXPECT_EQ(image.LastPosition().y, hot.y);
    TWindowCapture capture(picture.Width(), picture.Height());
    BitBlt(capture.DC(), 0, 0, picture.Width(), picture.Height(), picture.Canvas()->Handle(), 0, 0, SRCCOPY);
    KeepCaptureForViewing(capture, L"tree_drag_image");
    RECT content = capture.BoundsOf(target.contentColor);
    EXPECT_GE(content.top, 18);
    EXPECT_LE(content.bottom, 36);
    EXPECT_GT(content.right, content.left);
    RECT firstRow{0, 0, picture.Width(), 18};
    EXPECT_EQ(capture.CountPixels(kWindowColor, &firstRow), picture.Width() * 18);
    image.EndDrag();
  }
}

// A row repainted under a drag image that a tree draws itself goes into the image's saved background, so hiding
// the image leaves the new row on the screen.
TEST_F(TDragDropFixture, RowsRepaintedUnderTheImageReachItsBackground) {
  TFakeScreen screen;
  POINT origin{0, 0};
  ::ClientToScreen(target.Handle(), &origin);
  TBitmap picture;
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(30, 30);
  RECT all{0, 0, 30, 30};
  FillRect(picture.Canvas()->Handle(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  TTreeDragImage& image = *source.DragImage();
  image.PrepareDrag(picture, POINT{origin.x + 10, origin.y + 10}, POINT{origin.x + 25, origin.y + 25}, nullptr);
  image.ShowDragImage();
  ASSERT_TRUE(image.Visible());
  target.SetDropTarget(target.Top(1), TDropMode::dpOnNode);
  ASSERT_TRUE(
      target.UpdateWindowAndDragImage(&source, target.GetDisplayRect(target.Top(1), NoColumn, false), false, true)
          .Alive());
  image.HideDragImage();
  TWindowCapture painted = target.Capture();
  // The marked row's pixels under the image, the screen's own above the row.
  for (POINT p : {POINT{12, 19}, POINT{25, 27}, POINT{39, 35}})
    EXPECT_EQ(screen.Pixel(origin.x + p.x, origin.y + p.y), painted.Pixel(p.x, p.y)) << p.x << "," << p.y;
  EXPECT_NE(painted.Pixel(25, 27), kWindowColor);
  EXPECT_EQ(screen.Pixel(origin.x + 15, origin.y + 12), TFakeScreen::Original(origin.x + 15, origin.y + 12));
  image.EndDrag();
  target.SetDropTarget(nullptr, TDropMode::dpNowhere);
}

// What the window itself holds (its own surface, read through its DC), not what the screen shows over it.
TWindowCapture WindowSurface(HWND wnd) {
  RECT client{};
  GetClientRect(wnd, &client);
  TWindowCapture capture(client.right, client.bottom);
  HDC dc = GetDC(wnd);
  BitBlt(capture.DC(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(wnd, dc);
  return capture;
}

// A drop mark painted before the drag image came over it is erased there too when it moves on or the drag
// ends: the window keeps no fragment that a later scroll would copy around.
TEST_F(TDragDropFixture, DropMarksLeaveNoFragmentsUnderTheImage) {
  TFakeScreen screen;
  target.TreeOptions()->SetPaintOptions(target.TreeOptions()->PaintOptions() + PO::toShowDropmark);
  ComPtr<IDataObject> data = SourceData(0);
  ComPtr<IDropTarget> drop = target.DropTarget();
  TBitmap picture;
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(30, 30);
  POINT origin{0, 0};
  ::ClientToScreen(target.Handle(), &origin);
  // The image starts below the rows; the cursor's hot spot is its centre.
  TTreeDragImage& image = *source.DragImage();
  image.PrepareDrag(picture, POINT{origin.x + 10, origin.y + 130}, POINT{origin.x + 25, origin.y + 145}, nullptr);
  image.ShowDragImage();
  ASSERT_TRUE(image.Visible());
  const POINT below1 = target.RowPoint(1, 15);
  DWORD effect = DROPEFFECT_COPY;
  ASSERT_EQ(drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{below1.x, below1.y}, &effect), S_OK);
  ASSERT_EQ(target.DropTargetNode(), target.Top(1));
  ASSERT_EQ(target.LastDropMode(), TDropMode::dpBelow);
  const RECT row1 = target.GetDisplayRect(target.Top(1), NoColumn, false);
  ASSERT_GT(WindowSurface(target.Handle()).CountPixels(kDropMark, &row1), 50) << "the mark is painted";
  // The image comes over the mark, then the mark moves two rows down.
  image.DragTo(POINT{origin.x + 25, origin.y + 30}, false);
  const POINT below3 = target.RowPoint(3, 15);
  effect = DROPEFFECT_COPY;
  ASSERT_EQ(drop->DragOver(MK_LBUTTON, POINTL{below3.x, below3.y}, &effect), S_OK);
  ASSERT_EQ(target.DropTargetNode(), target.Top(3));
  EXPECT_EQ(WindowSurface(target.Handle()).CountPixels(kDropMark, &row1), 0) << "no fragment in the old row";
  const RECT row3 = target.GetDisplayRect(target.Top(3), NoColumn, false);
  EXPECT_GT(WindowSurface(target.Handle()).CountPixels(kDropMark, &row3), 50);
  // The image comes over the new mark; the drag leaves.
  image.DragTo(POINT{origin.x + 25, origin.y + 66}, false);
  drop->DragLeave();
  EXPECT_EQ(WindowSurface(target.Handle()).CountPixels(kDropMark), 0) << "no fragment after the drag";
  image.EndDrag();
}

// The screen an image reads its background from may lag behind what the window painted (here it never shows the
// window at all): over the tree the image takes the tree's own picture, so what it puts back is the tree's.
TEST_F(TDragDropFixture, TheImagePutsBackTheTreesOwnPicture) {
  TFakeScreen screen;
  ComPtr<IDataObject> data = SourceData(0);
  ComPtr<IDropTarget> drop = target.DropTarget();
  TBitmap picture;
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(40, 40);
  POINT origin{0, 0};
  ::ClientToScreen(target.Handle(), &origin);
  TTreeDragImage& image = *source.DragImage();
  const POINT start{origin.x + 60, origin.y + 100};
  image.PrepareDrag(picture, POINT{start.x - 20, start.y - 20}, start, nullptr);
  image.ShowDragImage();
  DWORD effect = DROPEFFECT_COPY;
  ASSERT_EQ(drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{start.x, start.y}, &effect), S_OK);
  const POINT moved{start.x + 10, start.y - 60};
  effect = DROPEFFECT_COPY;
  ASSERT_EQ(drop->DragOver(MK_LBUTTON, POINTL{moved.x, moved.y}, &effect), S_OK);
  const RECT last = image.GetDragImageRect();
  drop->DragLeave();
  ASSERT_FALSE(image.Visible());
  const TWindowCapture painted = target.Capture();
  int differing = 0;
  for (int y = last.top; y < last.bottom; ++y)
    for (int x = last.left; x < last.right; ++x)
      differing += screen.Pixel(x, y) != painted.Pixel(x - origin.x, y - origin.y);
  EXPECT_EQ(differing, 0);
  image.EndDrag();
}

// A node deleted while a drag runs leaves the drag selection and the drop target: nothing dangles.
TEST_F(TDragDropFixture, DeletedNodesLeaveTheDragState) {
  ComPtr<IDataObject> data = SourceData(1);
  ComPtr<IDropTarget> drop = target.DropTarget();
  POINT at = target.RowPoint(2);
  DWORD effect = DROPEFFECT_COPY;
  drop->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  drop->DragOver(MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  ASSERT_EQ(target.DropTargetNode(), target.Top(2));
  EXPECT_TRUE(target.DeleteNode(target.Top(2)).Alive());
  EXPECT_EQ(target.DropTargetNode(), nullptr);
  drop->DragLeave();
}

}  // namespace
}  // namespace tree_test

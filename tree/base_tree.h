// TBaseTree: the windowed tree control of the library. It owns a store of bare nodes below one hidden root, whose
// data the application supplies through events; it keeps per-node totals so that heights and positions need no
// full walk, and a position cache that the shared worker thread builds. Painting, input, columns, streaming and
// drag and drop extend this class through its virtual slots.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "framework/alignment.h"
#include "framework/first_failure.h"
#include "framework/picture.h"
#include "framework/set.h"
#include "framework/win_control.h"
#include "tree/node_slab.h"
#include "tree/node_watch.h"
#include "tree/paint/glyph_images.h"
#include "tree/paint/paint_info.h"
#include "tree/tree_events.h"
#include "tree/tree_node.h"
#include "tree/tree_options.h"

class TStrings;
class TPicture;
class TCustomImageList;
class TChangeLink;
class TFileStream;

namespace tree {

class TTreeColors;
class TScrollBarOptions;
class TClipboardFormats;
class TWorkerThread;
class TTreeHeader;
struct TBaseBody;
struct TLaterChunk;
class TTreeColumn;
class TTreeColumns;
class TTreeDataObject;
class TTreeDragManager;
class TTreeHintWindow;
struct TTreeHintData;
class TTreeDragImage;
class TPaintResources;

// Bit numbers of the tree's state set. The four cache states (stStopValidation, stUseCache, stValidating,
// stValidationNeeded) are shared with the worker thread and kept apart in an atomic; TreeStates() shows them too.
enum class TTreeState {
  stChangePending = 0,
  stFullCollapse = 1,
  stClearPending = 2,
  stCopyPending = 4,
  stCutPending = 5,
  stDrawSelPending = 6,
  stDrawSelecting = 7,
  stEditing = 8,
  stEditPending = 9,
  stFullExpand = 10,
  stHintShowing = 11,
  stHintPrepared = 12,
  stInAnimation = 13,
  stIncrementalSearching = 14,
  stSearchPending = 15,
  stLeftButtonDown = 17,
  stMiddleButtonDown = 18,
  stRootCountPending = 19,
  stOleDragPending = 20,
  stOleDragging = 21,
  stPainting = 22,
  stRightButtonDown = 23,
  stScrolling = 24,
  stScrollPending = 25,
  stSizing = 26,
  stStopValidation = 27,
  stStructureChangePending = 28,
  stSynchMode = 29,
  stThumbTracking = 30,
  stUpdating = 31,
  stUseCache = 32,
  stUseThemes = 33,
  stValidating = 34,
  stValidationNeeded = 35,
  stFrameworkDragging = 36,
  stFrameworkDragPending = 37,
  stWheelPanning = 38,
  stWheelScrolling = 39,
  stSizeLocked = 40,
  // The clipboard contents are being handed over for good: the data object offers no same-process reference then.
  stClipboardFlushing = 41,
};
using TTreeStates = TSet<TTreeState, 48>;

// Window timers of the tree.
enum TTreeTimer : UINT_PTR {
  ExpandTimer = 1,
  EditTimer = 2,
  HeaderTimer = 3,
  ScrollTimer = 4,
  ChangeTimer = 5,
  StructureChangeTimer = 6,
  SearchTimer = 7,
};

// Posted to the tree's window by UpdateScrollBarsLater: the scroll bars are set for the changes made since.
constexpr UINT WM_SETSCROLLBARS = WM_APP + 32;
// Posted to the tree's window by ColumnResizeLater, the column in WParam: OnColumnResize for a column whose width the
// columns' notices changed.
constexpr UINT WM_COLUMNRESIZED = WM_APP + 33;

// A vertical position in the tree: a row's top, a height total, the vertical scroll offset. Rows of up to 65,535
// pixels take totals past 2^32, so positions are computed in 64 bits.
using TTreePosition = std::int64_t;

// One position cache entry: a node of the visible path and the absolute top of its row (64 bits wide, so that
// no total height can outgrow it).
struct TCacheEntry {
  PTreeNode Node;
  std::uint64_t AbsoluteTop;
};
// No position cache for this many visible nodes or fewer: a walk from the first row is short enough.
constexpr std::uint32_t CacheThreshold = 2000;
// The cache holds a node of the visible path after at most this many links followed by a walk along it (siblings
// passed, levels climbed or descended), so that a look-up by position or by node walks no further.
constexpr std::uint32_t CacheSpacing = 32;
// After this many changes between two builds of the cache, the next build starts from the first row.
constexpr std::uint32_t NarrowedChangesPerBuild = 8;
constexpr std::uint16_t DefaultTreeNodeHeight = 18;

enum class TNodeAlignment { naFromBottom, naFromTop, naProportional };
enum class TTreeHintMode { hmDefault, hmHint, hmHintAndDefault, hmTooltip };
constexpr int DefaultTextMargin = 4;
enum class TDragImageKind { diComplete, diMainColumnOnly, diNoImage };
enum class TDragOperation { doCopy, doMove, doLink };
using TDragOperations = TSet<TDragOperation, 8>;
enum class TDragType { dtOLE, dtFramework };
enum class TIncrementalSearch { isAll, isNone, isInitializedOnly, isVisibleOnly };
enum class TSearchStart { ssAlwaysStartOver, ssLastHit, ssFocusedNode };
enum class TSearchDirection { sdForward, sdBackward };

// Where a point lies relative to a node's row and its parts.
enum class TNodeHitPosition {
  hpAbove,
  hpBelow,
  hpNowhere,
  hpOnItem,
  hpOnButton,
  hpOnCheckBox,
  hpOnIndent,
  hpOnLabel,
  hpLeftOfLabel,
  hpRightOfLabel,
  hpOnNormalImage,
  hpOnStateImage,
  hpToLeft,
  hpToRight,
};
using THitPositions = TSet<TNodeHitPosition, 16>;
struct THitInfo {
  PTreeNode HitNode = nullptr;
  THitPositions HitPositions;
  TColumnIndex HitColumn = NoColumn;
};
// The edges the view scrolls towards while the mouse (or a drag) nears them.
enum class TScrollDirection { sdLeft, sdUp, sdRight, sdDown };
using TScrollDirections = TSet<TScrollDirection, 8>;
// How far the mouse may stray from the wheel-panning anchor before the view scrolls that way.
constexpr int PanningDeadZone = 8;
// The chunks of the node stream: a node's frame, its base record, the string tree's main-column text as UTF-16
// and the application's data.
enum TChunkType : std::int32_t { NodeChunk = 1, BaseChunk = 2, CaptionChunk = 3, UserChunk = 4 };
constexpr int DefaultIndent = 18;
constexpr int DefaultMargin = 4;

class TBaseTree : public TCustomControl {
  BC_CLASS(TBaseTree, TCustomControl)
  explicit TBaseTree(TComponent* owner);
  ~TBaseTree() override;
  TBaseTree(const TBaseTree&) = delete;
  TBaseTree& operator=(const TBaseTree&) = delete;

  // ---- node store
  PTreeNode RootNode() const { return root_; }
  std::uint32_t RootNodeCount() const { return root_->ChildCount; }
  TRaised SetRootNodeCount(std::uint32_t value);
  // Appends a child (parent null = top level). A non-null userData is stored as the first pointer-sized value of
  // the application record; raises ETreeError 2008 (after linking the node) when the record is too small. Both
  // add nothing and answer null when the node they add below is freed by its own initialization.
  PTreeNode AddChild(PTreeNode parent, const void* userData = nullptr);
  PTreeNode InsertNode(PTreeNode node, TTreeNodeAttachMode mode, const void* userData = nullptr);
  // Answers whether the tree outlived the handlers of the deletion (the frees, the changes), which may free any
  // node: a caller that goes on with another node watches it.
  TRaised DeleteNode(PTreeNode node);
  TNodeRaised DeleteChildren(PTreeNode node, bool resetHasChildren = false);
  TRaised DeleteSelectedNodes();
  virtual TRaised Clear();
  // Moves source (or only its children) relative to target, which may belong to another tree.
  // Answers about source in this tree: a node moved into another tree has left this one.
  TNodeRaised MoveTo(PTreeNode source, PTreeNode target, TTreeNodeAttachMode mode, bool childrenOnly);
  // The application record, null for null, the root, or a tree without one.
  void* GetNodeData(PTreeNode node) const;
  template <class T>
  T* GetNodeData(PTreeNode node) const {
    return static_cast<T*>(GetNodeData(node));
  }
  std::uint32_t GetNodeLevel(PTreeNode node) const;
  void ValidateNode(PTreeNode node, bool recursive);
  void ValidateChildren(PTreeNode node, bool recursive);
  virtual void ReinitNode(PTreeNode node, bool recursive);
  virtual void ReinitChildren(PTreeNode node, bool recursive);
  virtual TNodeRaised ResetNode(PTreeNode node);
  bool Expanded(PTreeNode node) const { return node && node->Has(nsExpanded); }
  TNodeRaised SetExpanded(PTreeNode node, bool value);
  bool IsVisible(PTreeNode node) const { return node && node->Has(nsVisible); }
  void SetIsVisible(PTreeNode node, bool value);
  bool FullyVisible(PTreeNode node) const;
  std::uint16_t NodeHeight(PTreeNode node) const { return node ? node->NodeHeight : 0; }
  void SetNodeHeight(PTreeNode node, std::uint16_t value);
  bool HasChildren(PTreeNode node) const { return node && node->Has(nsHasChildren); }
  TNodeRaised SetHasChildren(PTreeNode node, bool value);
  std::uint32_t ChildCount(PTreeNode node) const { return (node ? node : root_)->ChildCount; }
  TNodeRaised SetChildCount(PTreeNode node, std::uint32_t count);
  std::uint32_t VisibleCount() const { return visibleCount_; }
  std::uint32_t TotalCount() const;
  // The shown height of node's subtree (TotalHeight), whole where it passes 32 bits; the root's is the tree's.
  std::uint64_t NodeTotalHeight(PTreeNode node) const;
  // The node's position among its siblings (0 for the first); Index read through here is never stale.
  std::uint32_t NodeIndex(PTreeNode node) const;
  TCheckState CheckState(PTreeNode node) const { return node->CheckState; }
  TNodeRaised SetCheckState(PTreeNode node, TCheckState value);
  TCheckType CheckType(PTreeNode node) const { return node->CheckType; }
  void SetCheckType(PTreeNode node, TCheckType value);
  bool IsDisabled(PTreeNode node) const { return node && node->Has(nsDisabled); }

  // ---- update brackets and change reporting
  TRaised BeginUpdate();
  TRaised EndUpdate();
  int UpdateCount() const { return updateCount_; }
  UINT ChangeDelay() const { return changeDelay_; }
  void SetChangeDelay(UINT value) { changeDelay_ = value; }
  // Change events fire at once, whatever ChangeDelay says.
  void BeginSynch();
  void EndSynch();

  // ---- navigation: every walk over nodes; the NoInit kind raises no event
  PTreeNode GetFirst() { return GetFirstChild(nullptr); }
  PTreeNode GetFirstNoInit() const { return root_->FirstChild; }
  PTreeNode GetFirstChild(PTreeNode node);
  PTreeNode GetFirstCutCopy();
  PTreeNode GetFirstInitialized() const;
  PTreeNode GetFirstSelected();
  PTreeNode GetFirstVisible();
  PTreeNode GetFirstVisibleNoInit() const;
  PTreeNode GetFirstVisibleChild(PTreeNode node);
  PTreeNode GetFirstVisibleChildNoInit(PTreeNode node) const;
  PTreeNode GetLast(PTreeNode node = nullptr);
  PTreeNode GetLastNoInit(PTreeNode node = nullptr) const;
  PTreeNode GetLastChild(PTreeNode node);
  PTreeNode GetLastChildNoInit(PTreeNode node) const;
  PTreeNode GetLastVisible(PTreeNode node = nullptr);
  PTreeNode GetLastVisibleNoInit(PTreeNode node = nullptr) const;
  PTreeNode GetLastVisibleChild(PTreeNode node);
  PTreeNode GetLastVisibleChildNoInit(PTreeNode node) const;
  PTreeNode GetNext(PTreeNode node);
  PTreeNode GetNextNoInit(PTreeNode node) const;
  PTreeNode GetNextCutCopy(PTreeNode node);
  PTreeNode GetNextInitialized(PTreeNode node) const;
  PTreeNode GetNextSelected(PTreeNode node);
  PTreeNode GetNextSibling(PTreeNode node);
  PTreeNode GetNextVisible(PTreeNode node);
  PTreeNode GetNextVisibleNoInit(PTreeNode node) const;
  PTreeNode GetNextVisibleSibling(PTreeNode node);
  PTreeNode GetNextVisibleSiblingNoInit(PTreeNode node) const;
  PTreeNode GetPrevious(PTreeNode node);
  PTreeNode GetPreviousNoInit(PTreeNode node) const;
  PTreeNode GetPreviousSibling(PTreeNode node);
  PTreeNode GetPreviousVisible(PTreeNode node);
  PTreeNode GetPreviousVisibleNoInit(PTreeNode node) const;
  PTreeNode GetPreviousVisibleSibling(PTreeNode node);
  PTreeNode GetPreviousVisibleSiblingNoInit(PTreeNode node) const;
  // The nearest expanded, fully visible ancestor, or the root.
  PTreeNode GetVisibleParent(PTreeNode node) const;
  bool HasAsParent(PTreeNode node, PTreeNode potentialParent) const;
  // < 0 when a comes before b in the tree, 0 for the same node, > 0 after; null stands for the root. Raises
  // ETreeError 2009 for a node of another tree.
  int CompareNodePositions(PTreeNode a, PTreeNode b) const;
  std::vector<PTreeNode> GetSortedSelection(bool resolve);
  std::vector<PTreeNode> GetSortedCutCopySet(bool resolve);
  TRaised SelectAll(bool visibleOnly);

  // ---- positions
  // The node whose row holds client Y (relative to the scrolled view); null below the last row.
  PTreeNode GetNodeAt(int x, int y);
  PTreeNode GetNodeAt(int x, int y, bool relative, int& nodeTop);
  // The node whose row holds the absolute position, with the absolute top of that row; null below the last row.
  PTreeNode GetNodeAtPosition(TTreePosition position, TTreePosition& nodeTop);
  // The absolute top of a node's row, walking from the nearest cache entry; -1 for a node not on the visible path.
  TTreePosition GetNodeTop(PTreeNode node);
  TTreeStates TreeStates() const;

  // ---- expand, collapse, sort
  TNodeRaised ToggleNode(PTreeNode node);
  virtual TRaised FullExpand(PTreeNode node = nullptr);
  virtual TRaised FullCollapse(PTreeNode node = nullptr);
  virtual void Sort(PTreeNode node, TColumnIndex column, TSortDirection direction, bool doInit = true);
  TRaised SortTree(TColumnIndex column, TSortDirection direction, bool doInit = true);
  UINT AnimationDuration() const { return animationDuration_; }
  void SetAnimationDuration(UINT value);

  // ---- selection and focus (the parts the node store relies on)
  bool Selected(PTreeNode node) const { return node && node->Has(nsSelected); }
  TNodeRaised SetSelected(PTreeNode node, bool value);
  std::uint32_t SelectedCount() const { return selectionCount_; }
  TNodeRaised AddToSelection(PTreeNode node);
  TRaised AddToSelection(const std::vector<PTreeNode>& nodes);
  TNodeRaised RemoveFromSelection(PTreeNode node);
  TRaised ClearSelection();
  PTreeNode FocusedNode() const { return focusedNode_; }
  TNodeRaised SetFocusedNode(PTreeNode node);
  TColumnIndex FocusedColumn() const { return focusedColumn_; }
  PTreeNode HotNode() const { return hotNode_; }
  // Marks the selected, enabled nodes for a pending cut (or copy); FinishCutOrCopy deletes them after a paste.
  void MarkCutCopyNodes(bool cut);
  TRaised FinishCutOrCopy();
  void CancelCutOrCopy();

  // ---- editing entry points the node store calls
  bool IsEditing() const { return states_.Contains(TTreeState::stEditing); }
  bool CancelEditNode();
  // The same for the tree's own work, which goes on afterwards: OnNewText, OnEdited and OnEditCancelled may free the
  // tree, and the answer tells. ended tells whether the edit ended (an editor may refuse).
  TRaised CancelEditing();
  TRaised EndEditing(bool& ended);
  // The node a click armed an edit on, which opens when the edit delay runs out; null when none waits.
  PTreeNode EditPendingNode() const { return editPendingNode_; }

  // ---- properties of the node store
  std::uint16_t DefaultNodeHeight() const { return defaultNodeHeight_; }
  void SetDefaultNodeHeight(std::uint16_t value);
  int NodeDataSize() const { return nodeDataSize_; }
  TRaised SetNodeDataSize(int value);
  TNodeAlignment NodeAlignment() const { return nodeAlignment_; }
  int OffsetX() const { return offsetX_; }
  TTreePosition OffsetY() const { return offsetY_; }
  TRaised SetOffsetY(TTreePosition value);
  TColumnIndex SortColumn() const { return sortColumn_; }
  void SetSortColumn(TColumnIndex value) { sortColumn_ = value; }
  TSortDirection SortDirection() const { return sortDirection_; }
  void SetSortDirection(TSortDirection value) { sortDirection_ = value; }

  TCustomTreeOptions* TreeOptions() const { return options_.get(); }
  TRaised SetTreeOptions(const TCustomTreeOptions* value);
  TTreeColors* Colors() const { return colors_.get(); }
  void SetColors(const TTreeColors* value);
  TScrollBarOptions* ScrollBarOptions() const { return scrollBarOptions_.get(); }
  void SetScrollBarOptions(const TScrollBarOptions* value);
  TClipboardFormats* ClipboardFormats() const { return clipboardFormats_.get(); }
  // Takes every name of value that is registered for this tree's class.
  void SetClipboardFormats(const TStrings* value);

  // ---- painting entry points the store uses; the painting unit fills them in
  virtual RECT InvalidateNode(PTreeNode node);
  void InvalidateToBottom(PTreeNode node);
  // The column's strip of the client area.
  void InvalidateColumn(TColumnIndex column);
  void RepaintNode(PTreeNode node);
  // The node's row in client coordinates (column NoColumn: the whole row); empty for a node off the visible path.
  RECT GetDisplayRect(PTreeNode node, TColumnIndex column, bool textOnly, bool unclipped = false);
  void UpdateScrollBars(bool doRepaint);
  // What a change outside an update bracket asks: the vertical offset keeps within the rows at once, and the bars
  // are set once, when the window's message loop next comes to it (setting a bar redraws it, and measuring the
  // rows in view costs a walk to them while the position cache is rebuilt).
  void UpdateScrollBarsLater();
  bool ScrollIntoView(PTreeNode node, bool center, bool horizontally = false);
  PTreeNode GetTopNode();
  TRaised SetTopNode(PTreeNode node);

  // ---- header and columns, hints
  TTreeHeader* Header() const { return header_.get(); }
  TRaised SetHeader(const TTreeHeader* value);
  virtual const TClass* GetColumnClass() const;
  virtual const TClass* GetHeaderClass() const;
  // The widest content of a column over the visible nodes.
  virtual int GetMaxColumnWidth(TColumnIndex column);
  TTreeHintMode HintMode() const { return hintMode_; }
  void SetHintMode(TTreeHintMode value) { hintMode_ = value; }
  THintAnimationType HintAnimation() const { return hintAnimation_; }
  void SetHintAnimation(THintAnimationType value) { hintAnimation_ = value; }
  int TextMargin() const { return textMargin_; }
  void SetTextMargin(int value);

  // ---- properties of the tree object; setters compare first and repaint only a tree with a window that is not
  // loading
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TLineMode LineMode() const { return lineMode_; }
  void SetLineMode(TLineMode value);
  TLineStyle LineStyle() const { return lineStyle_; }
  void SetLineStyle(TLineStyle value);
  int Margin() const { return margin_; }
  void SetMargin(int value);
  void SetNodeAlignment(TNodeAlignment value);
  int SelectionCurveRadius() const { return selectionCurveRadius_; }
  void SetSelectionCurveRadius(int value);
  TPicture* Background() const { return background_.get(); }
  void SetBackground(const TPicture* value);
  int BackgroundOffsetX() const { return backgroundOffsetX_; }
  void SetBackgroundOffsetX(int value);
  int BackgroundOffsetY() const { return backgroundOffsetY_; }
  void SetBackgroundOffsetY(int value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  TButtonFillMode ButtonFillMode() const { return buttonFillMode_; }
  void SetButtonFillMode(TButtonFillMode value);
  TButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TButtonStyle value);
  TCheckImageKind CheckImageKind() const { return checkImageKind_; }
  void SetCheckImageKind(TCheckImageKind value);
  // The image list check boxes are drawn from: one of the shared lists by kind, or CustomCheckImages.
  TCustomImageList* CheckImages() const { return checkImages_; }
  TCustomImageList* CustomCheckImages() const { return customCheckImages_; }
  void SetCustomCheckImages(TCustomImageList* value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* value);
  int Indent() const { return indent_; }
  void SetIndent(int value);
  TIncrementalSearch IncrementalSearch() const { return incrementalSearch_; }
  void SetIncrementalSearch(TIncrementalSearch value);
  UINT IncrementalSearchTimeout() const { return incrementalSearchTimeout_; }
  void SetIncrementalSearchTimeout(UINT value) { incrementalSearchTimeout_ = value; }
  TSearchStart IncrementalSearchStart() const { return incrementalSearchStart_; }
  void SetIncrementalSearchStart(TSearchStart value) { incrementalSearchStart_ = value; }
  TSearchDirection IncrementalSearchDirection() const { return incrementalSearchDirection_; }
  void SetIncrementalSearchDirection(TSearchDirection value) { incrementalSearchDirection_ = value; }
  UINT AutoScrollDelay() const { return autoScrollDelay_; }
  void SetAutoScrollDelay(UINT value) { autoScrollDelay_ = value; }
  UINT AutoExpandDelay() const { return autoExpandDelay_; }
  void SetAutoExpandDelay(UINT value) { autoExpandDelay_ = value; }
  UINT AutoScrollInterval() const { return autoScrollInterval_; }
  void SetAutoScrollInterval(UINT value) { autoScrollInterval_ = value; }
  TTreeNodeAttachMode DefaultPasteMode() const { return defaultPasteMode_; }
  void SetDefaultPasteMode(TTreeNodeAttachMode value) { defaultPasteMode_ = value; }
  TDragType DragType() const { return dragType_; }
  void SetDragType(TDragType value) { dragType_ = value; }
  int DragWidth() const { return dragWidth_; }
  void SetDragWidth(int value) { dragWidth_ = value; }
  int DragHeight() const { return dragHeight_; }
  void SetDragHeight(int value) { dragHeight_ = value; }
  TDragOperations DragOperations() const { return dragOperations_; }
  void SetDragOperations(TDragOperations value) { dragOperations_ = value; }
  TDragImageKind DragImageKind() const { return dragImageKind_; }
  void SetDragImageKind(TDragImageKind value) { dragImageKind_ = value; }
  TTreeDragImage* DragImage() const { return dragImage_.get(); }
  UINT EditDelay() const { return editDelay_; }
  void SetEditDelay(UINT value) { editDelay_ = value; }
  TCursor HotCursor() const { return hotCursor_; }
  void SetHotCursor(TCursor value) { hotCursor_ = value; }
  TRaised SetFocusedColumn(TColumnIndex value);
  TRaised SetOffsetX(int value);
  TRaised SetOffsetXY(POINT value);
  // Copies every property of another tree (the nodes stay); other sources go to the inherited Assign.
  void Assign(const TPersistent* source) override;
  // Assign's part that raises handlers: the node store, the options, the place and the visibility.
  TRaised AssignNodesAndPlace(const TBaseTree& other);
  const TPublishedTable& PublishedTable() const override;

  // ---- editing and dragging entry points
  // Focuses the node and starts an edit of column there; true when an edit now runs.
  virtual bool EditNode(PTreeNode node, TColumnIndex column);
  bool EndEditNode();
  TColumnIndex EditColumn() const { return editColumn_; }
  // dtOLE: starts the drag at once or arms it (threshold < 0: the system's); dtFramework: the framework's drag.
  TRaised BeginDrag(bool immediate, int threshold = -1) override;
  bool Dragging() const;
  int DragThreshold() const { return dragThreshold_; }

  // ---- stream and clipboard
  // Writes the magic with version 2, then for null every top-level node (with its count), else that one node.
  virtual void SaveToStream(TStream& stream, PTreeNode node = nullptr);
  // Replaces the content with the stream's nodes; raises ETreeError 2002-2006 on malformed data. The handlers of
  // the old nodes' going and of the new ones' data may free the tree: the answer tells.
  virtual TRaised LoadFromStream(TStream& stream);
  virtual TRaised LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName, PTreeNode node = nullptr);
  // One node chunk of node and its subtree, initialized first when toInitOnSave asks for it.
  void WriteNode(TStream& stream, PTreeNode node);
  virtual void CopyToClipboard();
  virtual void CutToClipboard();
  virtual bool PasteFromClipboard();
  // Inserts the nodes a data object carries at target by mode; shared by paste and drop. optimized moves the
  // nodes of a source tree of this process instead of copying them.
  bool ProcessOLEData(TBaseTree* source, IDataObject* dataObject, PTreeNode target, TTreeNodeAttachMode mode,
                      bool optimized);
  // Renders the "Node Tree Data" format (the cut/copy set for the clipboard, else the selection) into medium;
  // other formats go to OnRenderOLEData. The data object calls it.
  virtual HRESULT RenderOLEData(const FORMATETC& formatEtcIn, STGMEDIUM& medium, bool forClipboard);

  // ---- OLE drag and drop as a target; the drag manager forwards here
  virtual HRESULT DragEnter(DWORD keyState, POINT pt, DWORD& effect);
  virtual HRESULT DragOver(TObject* source, DWORD keyState, TDragState state, POINT pt, DWORD& effect);
  // The row at a client point and the drop mode there; finding and measuring it raise its handlers, so node is null
  // when they deleted it, and the answer tells whether the tree outlived them.
  TRaised NodeUnder(POINT client, PTreeNode& node, TDropMode& mode, bool withDropMark);
  virtual TRaised DragLeave();
  virtual HRESULT DragDrop(IDataObject* dataObject, DWORD keyState, POINT pt, DWORD& effect);

  // ---- drag and drop
  // The tree's drag manager, made on first use (OnCreateDragManager, else a TTreeDragManager); the tree keeps it.
  ITreeDragManager* GetDragManager();
  // The same for the tree's own work: OnCreateDragManager may free the tree, and the answer tells.
  TRaised MakeDragManager(ITreeDragManager*& manager);
  virtual bool CanShowDragImage();
  // The effect a drop would have: move within this tree, copy from elsewhere, then the modifier keys decide.
  virtual DWORD SuggestDropEffect(TObject* source, TShiftState shift, POINT pt, DWORD allowedEffects);
  // The source tree when the data object carries a tree reference of this process, else null.
  TBaseTree* GetTreeFromDataObject(IDataObject* dataObject);
  // Renders the dragged nodes around hotSpot (client point) and hands the picture to the drag image.
  TRaised PrepareDragImage(POINT hotSpot, IDataObject* dataObject);
  // Repaints treeRect (client coordinates) while tree's own drag image floats over it.
  TRaised UpdateWindowAndDragImage(TBaseTree* tree, RECT treeRect, bool updateNCArea, bool reshowDragImage);
  // The nodes of the running OLE drag, in tree order; empty outside a drag.
  const std::vector<PTreeNode>& DragSelection() const { return dragSelection_; }
  // Registers the drag manager as the window's OLE drop target, or revokes it; making the manager raises
  // OnCreateDragManager, which may free the tree.
  TRaised SetDropTargetRegistered(bool value);
  void RevokeDropTarget();
  bool DropTargetRegistered() const { return dropTargetRegistered_; }

  // ---- painting, window messages and keyboard: properties and entry points (one block, to merge with the tree
  // object's own properties)
  TDrawSelectionMode DrawSelectionMode() const { return drawSelectionMode_; }
  void SetDrawSelectionMode(TDrawSelectionMode value);
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value) { wantTabs_ = value; }
  PTreeNode DropTargetNode() const { return dropTargetNode_; }
  TDropMode LastDropMode() const { return lastDropMode_; }

  // Paints the tree area window (tree coordinates, unscrolled) onto target at the point targetPoint.
  TRaised PaintTree(TCanvas* target, RECT window, POINT targetPoint, TTreePaintFlags options);
  // Rebuild the expand button bitmaps, or the line brush, from the current styles and colours once the paint
  // resources exist (they are made with both). A custom line style asks OnGetLineStyle, which may free the tree.
  void PrepareButtons();
  TRaised PrepareLineBrush();
  // The node's index into the check images, -1 for none.
  int GetCheckImage(PTreeNode node) const;

  // The header sees every message first.
  void Dispatch(TMessage& message) override;
  // Applies a root node count read from a stored form.
  TRaised Loaded() override;

  // ---- the standard edit actions, F1 help, hints and the frame
  // Cut, copy, paste, delete and select all act on the nodes; other actions go to the inherited handling.
  bool ExecuteAction(TBasicAction* action) override;
  bool UpdateAction(TBasicAction* action) override;
  TAlignment GetControlsAlignment() const override { return alignment_; }
  // Asked for F1 from the focused node up through its parents until a context other than 0 comes back.
  TTreeHelpContextEvent OnGetHelpContext;

  // ---- events
  TTreeAfterCellPaintEvent OnAfterCellPaint;
  TTreeAfterItemEraseEvent OnAfterItemErase;
  TTreeAfterItemPaintEvent OnAfterItemPaint;
  TTreePaintEvent OnAfterPaint;
  TTreeBeforeCellPaintEvent OnBeforeCellPaint;
  TTreeBeforeItemEraseEvent OnBeforeItemErase;
  TTreeBeforeItemPaintEvent OnBeforeItemPaint;
  TTreePaintEvent OnBeforePaint;
  TTreeChangeEvent OnChange;
  TTreeChangeEvent OnChecked;
  TTreeCheckChangingEvent OnChecking;
  TTreeChangeEvent OnCollapsed;
  TTreeChangingEvent OnCollapsing;
  TTreeColumnClickEvent OnColumnClick;
  TTreeColumnDblClickEvent OnColumnDblClick;
  TTreeHeaderNotifyEvent OnColumnResize;
  TTreeCompareEvent OnCompareNodes;
  TTreeCreateDataObjectEvent OnCreateDataObject;
  TTreeCreateDragManagerEvent OnCreateDragManager;
  TTreeCreateEditorEvent OnCreateEditor;
  TTreeDragAllowedEvent OnDragAllowed;
  TTreeDragOverEvent OnDragOver;
  TTreeDragDropEvent OnDragDrop;
  TTreeEditCancelEvent OnEditCancelled;
  TTreeEditChangingEvent OnEditing;
  TTreeEditChangeEvent OnEdited;
  TTreeChangeEvent OnExpanded;
  TTreeChangingEvent OnExpanding;
  TTreeFocusChangeEvent OnFocusChanged;
  TTreeFocusChangingEvent OnFocusChanging;
  TTreeFreeNodeEvent OnFreeNode;
  TTreeGetCursorEvent OnGetCursor;
  TTreeGetHeaderCursorEvent OnGetHeaderCursor;
  TTreeGetImageEvent OnGetImageIndex;
  TTreeGetLineStyleEvent OnGetLineStyle;
  TTreeGetNodeDataSizeEvent OnGetNodeDataSize;
  TTreePopupEvent OnGetPopupMenu;
  TTreeGetUserClipboardFormatsEvent OnGetUserClipboardFormats;
  TTreeHeaderClickEvent OnHeaderClick;
  TTreeHeaderClickEvent OnHeaderDblClick;
  TTreeHeaderDraggedEvent OnHeaderDragged;
  TTreeHeaderDraggingEvent OnHeaderDragging;
  TTreeHeaderPaintEvent OnHeaderDraw;
  TTreeHeaderMouseEvent OnHeaderMouseDown;
  TTreeHeaderMouseMoveEvent OnHeaderMouseMove;
  TTreeHeaderMouseEvent OnHeaderMouseUp;
  TTreeHotNodeChangeEvent OnHotChange;
  TTreeIncrementalSearchEvent OnIncrementalSearch;
  TTreeInitChildrenEvent OnInitChildren;
  TTreeInitNodeEvent OnInitNode;
  TTreeKeyActionEvent OnKeyAction;
  TTreeSaveNodeEvent OnLoadNode;
  TTreeNodeCopiedEvent OnNodeCopied;
  TTreeNodeCopyingEvent OnNodeCopying;
  TTreeNodeMovedEvent OnNodeMoved;
  TTreeNodeMovingEvent OnNodeMoving;
  TTreeBackgroundPaintEvent OnPaintBackground;
  TTreeRenderOLEDataEvent OnRenderOLEData;
  TTreeChangeEvent OnResetNode;
  TTreeSaveNodeEvent OnSaveNode;
  TTreeScrollEvent OnScroll;
  TTreeStructureChangeEvent OnStructureChange;
  TTreeUpdatingEvent OnUpdating;

 protected:
  // ---- event dispatchers: each raises its event through RaiseEvent or RaiseNodeEvent, and answers whether the tree,
  // and the node the event is about, outlived the handler; a descendant overrides them to act without a handler.
  // Those that ask (the -ing events, OnEditing, OnDragAllowed) answer refused when the handler frees a node of this
  // tree that the event names: a change that is not made yet cannot go on with a freed node.
  virtual TNodeRaised DoAfterCellPaint(TCanvas* canvas, PTreeNode node, TColumnIndex column, const RECT& cellRect);
  virtual TNodeRaised DoAfterItemErase(TCanvas* canvas, PTreeNode node, const RECT& itemRect);
  virtual TNodeRaised DoAfterItemPaint(TCanvas* canvas, PTreeNode node, const RECT& itemRect);
  virtual TRaised DoAfterPaint(TCanvas* canvas);
  virtual void DoAutoScroll(int x, int y);
  virtual TNodeRaised DoBeforeDrag(PTreeNode node, TColumnIndex column, bool& allowed);
  virtual TNodeRaised DoBeforeCellPaint(TCanvas* canvas, PTreeNode node, TColumnIndex column, const RECT& cellRect);
  virtual TNodeRaised DoBeforeItemErase(TCanvas* canvas, PTreeNode node, const RECT& itemRect, TColor& color,
                                        TItemEraseAction& eraseAction);
  virtual TNodeRaised DoBeforeItemPaint(TCanvas* canvas, PTreeNode node, const RECT& itemRect, bool& customDraw);
  virtual TRaised DoBeforePaint(TCanvas* canvas);
  virtual TRaised DoCancelEdit();
  // allowed comes in as the default answer.
  virtual TNodeRaised DoCanEdit(PTreeNode node, TColumnIndex column, bool& allowed);
  virtual TNodeRaised DoChange(PTreeNode node);
  virtual TNodeRaised DoCheckClick(PTreeNode node, TCheckState newState);
  virtual TNodeRaised DoChecked(PTreeNode node);
  virtual TNodeRaised DoChecking(PTreeNode node, TCheckState& newState, bool& allowed);
  virtual TNodeRaised DoCollapsed(PTreeNode node);
  virtual TNodeRaised DoCollapsing(PTreeNode node, bool& allowed);
  virtual TRaised DoColumnClick(TColumnIndex column, TShiftState shift);
  virtual TRaised DoColumnDblClick(TColumnIndex column, TShiftState shift);
  virtual TRaised DoColumnResize(TColumnIndex column);
  virtual TRaised DoCompare(PTreeNode node1, PTreeNode node2, TColumnIndex column, int& result);
  // A new reference, or null.
  virtual TRaised DoCreateDataObject(IDataObject*& result);
  virtual TRaised DoCreateDragManager(ITreeDragManager*& result);
  virtual TNodeRaised DoCreateEditor(PTreeNode node, TColumnIndex column, ITreeEditLink*& result);
  virtual TRaised DoDragOver(TObject* source, TShiftState shift, TDragState state, POINT pt, TDropMode mode,
                             DWORD& effect, bool& accept);
  virtual TRaised DoDragDrop(TObject* source, IDataObject* dataObject, const TFormatArray& formats, TShiftState shift,
                             POINT pt, DWORD& effect, TDropMode mode);
  virtual TRaised DoHeaderDraw(TTreeHeader* header, TCanvas* canvas, TTreeColumn* column, const RECT& r, bool hover,
                               bool pressed, TTreeDropMarkMode dropMark);
  virtual TRaised DoEdit();
  // ended tells whether the edit ended (an editor may refuse).
  virtual TRaised DoEndEdit(bool& ended);
  virtual TNodeRaised DoExpanded(PTreeNode node);
  virtual TNodeRaised DoExpanding(PTreeNode node, bool& allowed);
  virtual TNodeRaised DoFocusChange(PTreeNode node, TColumnIndex column);
  // The answer is about newNode; allowed is false when the handler freed either node.
  virtual TNodeRaised DoFocusChanging(PTreeNode oldNode, PTreeNode newNode, TColumnIndex oldColumn,
                                      TColumnIndex newColumn, bool& allowed);
  virtual TNodeRaised DoFocusNode(PTreeNode node, bool ask);
  // Raises OnFreeNode for a node that was initialized or got initial user data; the store frees the block after.
  virtual TRaised DoFreeNode(PTreeNode node);
  virtual THintAnimationType DoGetAnimationType(THintAnimationType requested);
  virtual TRaised DoGetCursor(TCursor& cursor);
  virtual TRaised DoGetHeaderCursor(TTreeHeader* header, HCURSOR& cursor);
  // index comes in as the default.
  virtual TNodeRaised DoGetImageIndex(PTreeNode node, TTreeImageKind kind, TColumnIndex column, bool& ghosted,
                                      int& index);
  virtual TRaised DoGetLineStyle(const void*& bits);
  virtual TNodeRaised DoGetNodeHint(PTreeNode node, TColumnIndex column, String& hint);
  virtual TNodeRaised DoGetNodeTooltip(PTreeNode node, TColumnIndex column, String& tooltip);
  virtual TNodeRaised GetNodeWidth(PTreeNode node, TColumnIndex column, int& width);
  virtual TRaised DoGetPopupMenu(PTreeNode node, TColumnIndex column, POINT position, TPopupMenu*& menu);
  virtual TRaised DoGetUserClipboardFormats(TFormatEtcArray& formats);
  virtual TRaised DoHeaderClick(TTreeHeader* header, TColumnIndex column, TMouseButton button, TShiftState shift, int x,
                                int y);
  virtual TRaised DoHeaderDblClick(TTreeHeader* header, TColumnIndex column, TMouseButton button, TShiftState shift,
                                   int x, int y);
  virtual TRaised DoHeaderDragged(TTreeHeader* header, TColumnIndex column, int oldPosition);
  virtual TRaised DoHeaderDragging(TTreeHeader* header, TColumnIndex column, bool& allowed);
  virtual TRaised DoHeaderMouseDown(TTreeHeader* header, TMouseButton button, TShiftState shift, int x, int y);
  virtual TRaised DoHeaderMouseMove(TTreeHeader* header, TShiftState shift, int x, int y);
  virtual TRaised DoHeaderMouseUp(TTreeHeader* header, TMouseButton button, TShiftState shift, int x, int y);
  virtual TRaised DoHotChange(PTreeNode oldNode, PTreeNode newNode);
  virtual TNodeRaised DoIncrementalSearch(PTreeNode node, const String& text, int& result);
  virtual TNodeRaised DoInitChildren(PTreeNode node, std::uint32_t& childCount);
  virtual TNodeRaised DoInitNode(PTreeNode parent, PTreeNode node, TTreeNodeInitStates& initStates);
  virtual TRaised DoKeyAction(WORD& charCode, TShiftState& shift, bool& doDefault);
  virtual TNodeRaised DoLoadUserData(PTreeNode node, TStream& stream);
  virtual TNodeRaised DoNodeCopied(PTreeNode node);
  virtual TNodeRaised DoNodeCopying(PTreeNode node, PTreeNode newParent, bool& allowed);
  virtual TNodeRaised DoNodeMoved(PTreeNode node);
  virtual TNodeRaised DoNodeMoving(PTreeNode node, PTreeNode newParent, bool& allowed);
  virtual TRaised DoPaintBackground(TCanvas* canvas, const RECT& r, bool& handled);
  // Paints the drop mark of the drop target's row r (the whole row, in the coordinates of canvas); descendants may
  // paint their own.
  virtual void DoPaintDropMark(TCanvas* canvas, PTreeNode node, const RECT& r);
  // Paints a cell's content (the base paints none); the answer is about the cell's node.
  virtual TNodeRaised DoPaintNode(TNodePaintInfo& paintInfo);
  virtual TRaised DoPopupMenu(PTreeNode node, TColumnIndex column, POINT position);
  virtual TRaised DoRenderOLEData(const FORMATETC& formatEtcIn, STGMEDIUM& medium, bool forClipboard, HRESULT& result);
  virtual TNodeRaised DoReset(PTreeNode node);
  virtual TNodeRaised DoSaveUserData(PTreeNode node, TStream& stream);
  virtual TRaised DoScroll(int deltaX, int deltaY);
  // Option bits of DoSetOffsetXY.
  enum TScrollUpdateOption : unsigned {
    suoRepaintHeader = 1,
    suoRepaintScrollBars = 2,
    suoScrollClientArea = 4,
    suoUpdateNCArea = 8,
  };
  // OnScroll is raised, last, when the offset changed; moved tells whether it did.
  virtual TRaised DoSetOffsetXY(int x, TTreePosition y, unsigned options, const RECT* clipRect = nullptr,
                                bool* moved = nullptr);
  virtual TNodeRaised DoStructureChange(PTreeNode node, TChangeReason reason);
  virtual TRaised DoUpdating(TTreeUpdateState state);
  // Size 0, then OnGetNodeDataSize.
  virtual TRaised DoValidateNodeDataSize(int& size);

  // Raises handler with args when it is assigned, and answers whether the tree, and node (of this tree, or null),
  // outlived it.
  template <class Handler, class... Args>
  TNodeRaised RaiseNodeEvent(PTreeNode node, const Handler& handler, Args&&... args) {
    if (!handler) return TNodeRaised(true, true);
    const TNodeWatch watch(*this, node);
    handler(std::forward<Args>(args)...);
    return TNodeRaised(watch);
  }

  // ---- other virtual slots of the store
  // Settles NodeDataSize through DoValidateNodeDataSize while it is still undetermined (-1).
  virtual TRaised ValidateNodeDataSize();
  virtual TRaised HasPopupMenu(PTreeNode node, TColumnIndex column, POINT position, bool& has);
  // The formats registered for this tree's class, in priority order, then those of OnGetUserClipboardFormats.
  virtual TRaised GetNativeClipboardFormats(TFormatEtcArray& formats);
  virtual const TClass* GetOptionsClass() const;
  // A descendant's constructor installs its own options class here (a constructor cannot ask a virtual slot).
  void ReplaceTreeOptions(std::unique_ptr<TCustomTreeOptions> options);
  virtual TRaised MainColumnChanged();
  TRaised PaintNonClientTo(HDC dc) override;
  // The font, rectangle and text a node's cell shows in a column; the text tree fills in the text.
  virtual TNodeRaised GetTextInfo(PTreeNode node, TColumnIndex column, TFont* font, RECT& r, String& text);

  // ---- the window
  void CreateParams(TCreateParams& params) override;
  TRaised CreateWnd() override;
  [[nodiscard]] TRaised DestroyWnd() override;
  // Has the tree's window raise OnColumnResize for column once the work under way is done.
  void ColumnResizeLater(TColumnIndex column);
  void WndProc(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  // Reads the old single "Options" set of stored forms into the five option groups.
  void DefineProperties(TFiler& filer) override;
  void UpdateHeaderRect();
  RECT HeaderRect() const { return headerRect_; }
  // The widest row extent of the rows in the client area, for a tree without columns.
  int GetMaxRightExtend();

  // ---- editing, help, hints, the frame and the other window messages of this block
  // toEditable is set and the tree can take the focus; OnEditing may veto.
  virtual bool CanEdit(PTreeNode node, TColumnIndex column);
  // Lays the running editor over the edited node's text (over the rest of the column with toGridExtensions).
  TRaised UpdateEditBounds();
  virtual TNodeRaised DoGetHelpContext(PTreeNode node, TColumnIndex column, int& context);
  // The font changes of event handlers on canvas reach the tree (CellFontChanged) while cells are painted.
  void RedirectFontChangeEvent(TCanvas* canvas);
  void RestoreFontChangeEvent(TCanvas* canvas);
  // An event handler changed the canvas font since the current cell began to paint.
  bool CellFontChanged() const { return cellFontChanged_; }
  bool HandleWindowExtrasMessage(TMessage& message);
  // F1: the help context of the focused node, its parents, then the control and its parents opens help.
  TRaised ShowNodeHelp();
  // Paints what the tree keeps in its frame into dc (window coordinates): the header, the themed client edge, the
  // bevel and the border band.
  TRaised PaintTreeFrame(HDC dc);

  // A new reference to the data object a cut or copy puts on the clipboard, or null.
  virtual IDataObject* CreateClipboardDataObject();
  // Hands the clipboard contents over for good before the tree goes: flushed while they can still be rendered, so
  // before the parts of a descendant that render them are gone. The renderings raise handlers.
  TRaised ReleaseClipboard();
  // The same before node goes (the root: every node) when the rows of a pending cut or copy are among what goes,
  // or hold it: the clipboard keeps what was copied, and no row here stands for it any more.
  TRaised HandOverClipboardBefore(PTreeNode node);
  bool ClipboardRendersFrom(PTreeNode node) const;
  void BeforeDestruction() override;

  // ---- stream chunks
  // Both raise the node's stream handlers; the answer is whether the tree and the node outlived them.
  virtual TNodeRaised WriteChunks(TStream& stream, PTreeNode node);
  virtual TNodeRaised ReadNode(TStream& stream, int version, PTreeNode node);
  // Handles one inner chunk of a node. The stream is left at the chunk's end.
  virtual TNodeRaised ReadChunk(TStream& stream, int version, PTreeNode node, int chunkType, int chunkSize);
  virtual void SkipNode(TStream& stream);
  // Reads one node chunk into node, which lives; the handlers of its data may free the node or the tree.
  TNodeRaised InternalAddFromStream(TStream& stream, int version, PTreeNode node);

  // ---- helpers for descendants
  // Reserves size bytes in every node's internal data area; returns its offset from the start of the node block.
  // Nodes made before with the smaller area are cleared; 0 when a handler of their going freed the tree.
  std::size_t AllocateInternalDataArea(std::size_t size);
  void DoStateChange(TTreeStates enter, TTreeStates leave = {});
  bool HasState(TTreeState state) const { return TreeStates().Contains(state); }
  // Both answer false when a handler they raise freed the node (deleting it, an ancestor or every node, or freeing
  // the tree): the caller's work on the node ends there.
  bool InitNode(PTreeNode node);
  bool InitChildren(PTreeNode node);
  // Initializes node when it is not yet and creates the children it announces when none exist, as a walk needs
  // before it goes below the node; false when a handler freed it.
  bool InitNodeAndChildren(PTreeNode node);
  // Records a change of the focus or selection; fired at once, after ChangeDelay, or at the last EndUpdate.
  // Both may raise OnChange or OnStructureChange at once (no delay, no bracket): the answer is whether the tree
  // outlived it.
  TRaised Change(PTreeNode node);
  TRaised StructureChange(PTreeNode node, TChangeReason reason);
  void InvalidateCache();
  // The cache is out of date from node's row on: node lies on the visible path before the change (a node about
  // to leave it), or after it (a node that joined it); a node off the path moves no row. Outside an update
  // bracket the entries above stay.
  void InvalidateCacheFrom(PTreeNode node);
  // A node about to be freed is kept in no entry.
  void ForgetCachedNode(PTreeNode node);
  // Rebuilds the position cache on the worker thread when it is out of date.
  void StartCacheValidation();
  // Stops a running cache build of this tree and waits for the worker to let go; every change to links, flags
  // or heights starts with it.
  void InterruptValidation();
  // The same for a change made in the middle of work whose handlers may have queued a build: the tree stays
  // queued as it was, so that the build comes however the work ends.
  void HoldValidation();
  void StopTimer(UINT_PTR id);
  // The height and count bookkeeping along the ancestor chain. A count changed outside an update bracket is
  // added to the node and its nearest ancestors at once, so that a tree of ordinary depth holds exact counts after
  // every call; farther up, and inside a bracket, the ancestors are marked and sum their counts when a count is
  // read or the bracket ends. Heights changed inside a bracket are marked likewise.
  // Gives mark (a TNodeDeferred bit) to node and to its ancestors up to the first one that has it already.
  void MarkStale(PTreeNode node, std::uint8_t mark) const;
  void RefreshTotalCounts() const;
  // Adds change to the count of node and of its ancestors, as far as the rule above says.
  void AdjustTotalCount(PTreeNode node, std::int64_t change);
  // Gives node the exact count value (nothing below it is marked), its ancestors following.
  void SetTotalCount(PTreeNode node, std::uint32_t value);
  // The node's exact count, its marked descendants summed first.
  std::uint32_t SettledCount(PTreeNode node) const;
  void RefreshTotalHeights() const;
  void AdjustTotalHeight(PTreeNode node, std::int64_t value, bool relative);
  // A node's total height as it stands, no marked one summed first; whole where it passes 32 bits.
  std::uint64_t TotalHeightOf(PTreeNode node) const {
    return node->TotalHeight != WideTotalHeight ? node->TotalHeight : wideTotalHeights_.find(node)->second;
  }
  void SetTotalHeight(PTreeNode node, std::uint64_t value) const;
  // The node's own height and, when it is expanded, its visible children's totals.
  std::uint64_t SummedHeight(PTreeNode node) const;
  std::uint32_t CountVisibleChildren(PTreeNode node) const;
  void WMTimer(TMessage& message);
  // ---- drag and drop: messages (the framework's drag, window end) and the drop target's auto-expand
  bool HandleDragDropMessage(TMessage& message);
  TRaised DoEndDrag(TObject* target, int x, int y) override;
  TRaised AutoExpandDropTarget();
  // The data object this tree last put on the clipboard for a cut or copy; Clear empties the clipboard only while
  // the clipboard still holds it.
  Microsoft::WRL::ComPtr<IDataObject>& ClipboardDataObject() { return clipboardData_; }

  // ---- painting, window messages and keyboard: virtual slots and helpers
  TRaised Paint() override;
  virtual void AdjustPaintCellRect(TNodePaintInfo& paintInfo, TColumnIndex& nextNonEmpty);
  virtual bool ColumnIsEmpty(PTreeNode node, TColumnIndex column);
  virtual TNodeRaised PaintNode(TNodePaintInfo& paintInfo);
  void SetDropTarget(PTreeNode node, TDropMode mode);
  TRaised SetHotNode(PTreeNode node);
  // The rubber band in absolute tree coordinates; painted while stDrawSelecting is set.
  void SetSelectionRectangle(const RECT& r) { selectionRect_ = r; }
  // Answers the messages of the window and the keyboard this block handles; false leaves the message unhandled.
  bool HandleTreeMessage(TMessage& message);
  [[nodiscard]] TRaised HandleKeyDown(WORD key, TShiftState shift);

  // ---- automatic scrolling near the edges (mouse input)
  virtual bool CanAutoScroll();
  TScrollDirections DetermineScrollDirections(int x, int y);
  // ---- middle-button wheel panning
  void StartWheelPanning(POINT position);
  void StopWheelPanning();
  void AdjustPanningCursor(int x, int y);
  // ---- OLE drag as a source: runs the system's drag loop with the selected nodes from client point p.
  // The drag's handlers may free the tree: the answer tells.
  virtual TRaised DoDragging(POINT p);
  // ---- wheel panning (StartWheelPanning takes the screen point the panning window is centred on and the panning
  // cursor measures from) and incremental search
  // Searches with the character of a key press: UTF-16 from a Unicode window, else a byte of the keyboard layout's
  // code page. Restarts the search timer.
  [[nodiscard]] TRaised HandleIncrementalSearch(WORD charCode);
  // The search timer's expiry: the search ends and forgets its text and last found node.
  void EndIncrementalSearch();

  // ---- mouse input: hit testing, buttons, selection by mouse and rubber band, hot tracking, automatic scrolling
 public:
  // What lies at (x, y): node, column and the part of the row; relative takes client coordinates of the scrolled
  // view, else absolute tree coordinates.
  void GetHitTestInfoAt(int x, int y, bool relative, THitInfo& hitInfo);
  // The state a click (or the space key) gives a check box of the type.
  static TCheckState DetermineNextCheckState(TCheckType checkType, TCheckState checkState);
  // Selects the visible nodes from start (null: the first top-level node) to end; without addOnly alone.
  TRaised SelectNodes(PTreeNode startNode, PTreeNode endNode, bool addOnly);
  // Flips the selection of the visible nodes from start to end; the range anchor stays selected.
  TRaised ToggleSelection(PTreeNode startNode, PTreeNode endNode);
  void ResetRangeAnchor();
  int LastSelectionLevel() const { return lastSelectionLevel_; }

 protected:
  TRaised MouseMove(TShiftState shift, int x, int y) override;
  // The button messages of all three buttons end here with the hit test of their point.
  [[nodiscard]] virtual TRaised HandleMouseDown(TMessage& message, const THitInfo& hitInfo);
  [[nodiscard]] virtual TRaised HandleMouseUp(TMessage& message, const THitInfo& hitInfo);
  [[nodiscard]] virtual TRaised HandleMouseDblClick(TMessage& message, const THitInfo& hitInfo);
  TRaised HandleHotTrack(int x, int y);
  // The tree moved or changed size under a resting mouse: the hot node becomes the one now under it, as a mouse
  // move there would make it (not every platform sends a mouse move to a window that moved under the mouse).
  TRaised UpdateHotNodeAtCursor();
  // x is relative to the cell's left edge, right is the cell's width.
  void DetermineHitPositionLTR(THitInfo& hitInfo, int x, int right, TAlignment alignment);
  void DetermineHitPositionRTL(THitInfo& hitInfo, int x, int right, TAlignment alignment);
  // Adds the nodes not selected yet to the selection; unless forced the level and sibling constraints filter them.
  // True when the selection grew.
  bool InternalAddToSelection(const PTreeNode* nodes, std::size_t count, bool forceInsert);
  void InternalClearSelection();
  // Ctrl and Shift of shift decide how a click on newNode changes the selection.
  TRaised HandleClickSelection(PTreeNode newNode, TShiftState shift);
  void AddToTempCache(PTreeNode node) { tempCache_.push_back(node); }
  void ClearTempCache();
  // Moves the rubber band's second corner to client point (x, y); true when the band changed.
  bool CalculateSelectionRect(int x, int y);
  // Brings the selection up to the rubber band's move from its last to its new rectangle; true when it changed.
  TRaised HandleDrawSelection(bool& changed);
  [[nodiscard]] TRaised DoTimerScroll();
  // The message handlers of the mouse; false leaves the message to the other handlers.
  bool HandleMouseMessage(TMessage& message);

 private:
  // Where the parts of a node's row end, measured from the reading edge of its cell.
  struct TRowLayout {
    int IndentEnd = 0;  // the indentation levels, plus the margin
    int CheckEnd = 0;   // the check box and its gap (IndentEnd when there is none)
    int StateEnd = 0;   // the state image and its gap
    int ImageEnd = 0;   // the normal image and its gap: where the label starts
    int LabelWidth = 0;
    // A handler the measuring raised (the images, the text) freed the node: the parts after it are not measured.
    bool NodeFreed = false;
  };
  TRowLayout LayoutRow(PTreeNode node, TColumnIndex column);
  // The width of the check images in use (the shared glyphs or the custom list), 0 when there are none.
  int CheckImageWidth() const;
  bool IsMainColumn(TColumnIndex column) const;
  bool WheelPanningActive() const;
  // Whether an OLE drag hovers over this tree now, as its drag manager knows.
  bool IsOleDropTarget() const;
  void HandleMouseWheel(TMessage& message);
  bool HandleSetCursor(TMessage& message);
  // Leaves only node selected (when it was), with one change report.
  TRaised ReduceSelectionTo(PTreeNode node);
  // The check box press of a click or the space key, and its release (applied or only redrawn).
  [[nodiscard]] TRaised PressCheckBox(PTreeNode node);
  [[nodiscard]] TRaised ReleaseCheckBox(bool apply);
  // The node's part of the rubber band's test: its row, or its main column content, in absolute tree coordinates.
  RECT SelectionTestRect(PTreeNode node, int top, int limit, bool rightToLeft);

  std::vector<PTreeNode> tempCache_;
  int lastSelectionLevel_ = -1;
  POINT lastClickPos_{};
  TScrollDirections scrollDirections_;
  DWORD autoScrollWanted_ = 0;  // tick count of the first scroll wish near an edge, 0 for none
  // The rubber band from the press point to the pointer, in absolute tree coordinates, before and after a move.
  RECT lastSelectionRect_{};
  RECT newSelectionRect_{};
  TShiftState drawSelectionShift_;

 private:
  friend class TWorkerThread;
  friend class TNodeWatch;
  friend class TWatchedNodes;
  // The tree's parts raise its events through the dispatchers.
  friend class TTreeHeader;
  friend class TTreeColumn;
  friend class TTreeColumns;
  friend class TTreeDataObject;
  friend class TTreeDragManager;
  friend class TTreeHintWindow;

  // The cache states the worker shares, as one atomic mask.
  enum TCacheFlag : unsigned {
    cfStopValidation = 1,
    cfValidating = 2,
    cfValidationNeeded = 4,
    cfUseCache = 8,
    cfQueued = 16,
  };

  PTreeNode MakeNewNode();
  // Frees the block after OnFreeNode, also when the handler raises (the exception is passed on), with every
  // reference the tree keeps to it.
  // Answers whether the tree outlived OnFreeNode.
  TRaised FreeNodeBlock(PTreeNode node);
  // Hands the block back to the slab, which gives back the chunks left wholly free once most blocks are (unless a
  // walk that frees many holds that back until it ends).
  void ReleaseNodeBlock(PTreeNode node);
  // Gives the slab's wholly free chunks back once enough of them are free.
  void GiveBackFreeChunks();
  // Clears every reference of the tree to node (focus, anchor, hot, check, search, edit, drop target, pending
  // change, the last node found on the visible path, its wide total), whose block is freed.
  void ForgetNode(PTreeNode node);
  // Ends the watches of node, whose block is being freed, and tells the lists that hold it.
  void EndNodeWatches(PTreeNode node);
  // Ends every watch for good: the tree goes.
  void EndEveryNodeWatch();
  void EnsureRoot();
  void InternalConnectNode(PTreeNode node, PTreeNode destination, TBaseTree* target, TTreeNodeAttachMode mode);
  TNodeRaised InternalDisconnectNode(PTreeNode node, bool keepFocus);
  void SetUserData(PTreeNode node, const void* userData);
  void AutoSortAfterAdd(PTreeNode parent);
  // Initializes node with the states OnInitNode asks for, all but being open, and gives the states asked for;
  // false when the handler freed the node.
  bool InitNodeStates(PTreeNode node, TTreeNodeInitStates& initStates);
  // False when a handler it raises freed node: the change ends there, no box is left marked as being checked, and
  // the tri-state boxes above node that it reached and that survive take the state their remaining boxes give.
  bool ChangeCheckState(PTreeNode node, TCheckState value);
  // The node step() answers, initialized, for the walks that hand out initialized nodes. One that its
  // initialization frees is passed over: step() is asked again while the node the step goes from lives on, else
  // the answer is nil.
  template <class Step>
  PTreeNode InitializedStep(PTreeNode from, Step step);
  // Raises OnInitChildren and gives node the count it answers (none, with noneDropsTheMark, takes the mark of
  // having children away too); false when a handler freed node: that one, or those of the children the count adds
  // or deletes and of the structure change.
  bool ReloadChildCount(PTreeNode node, bool noneDropsTheMark);
  // Pre-order over the nodes below top (wholeSubtree), else over its children: visit(node) works on each and
  // answers false when a handler freed the node. The walk goes on with what took a freed node's place, and ends
  // when the handler freed more (the node's parent or its previous sibling). False when top is gone.
  template <class Visit>
  bool WalkBelow(PTreeNode top, bool wholeSubtree, Visit visit);
  // Toggles the listed nodes whose open state is not expand yet, in their order (lastFirst: the other way), passing
  // over those a handler freed. False when a handler freed the tree.
  bool ToggleListed(const TWatchedNodes& nodes, bool expand, bool lastFirst);
  // Runs work, which answers whether the tree lives, inside an update bracket and the states marking the work;
  // both end with it, also when a handler raises, so that the tree paints and answers again, unless a handler
  // freed the tree.
  template <class Work>
  TRaised BulkWork(TTreeStates marks, Work work) {
    const TLifeWatch life = LifeWatch();
    states_ += marks;
    if (BeginUpdate().Gone()) return TRaised(false);
    try {
      if (!work()) return TRaised(false);
    } catch (...) {
      // The exception passes on whatever the bracket's end raises.
      if (!life.Ended()) {
        states_ -= marks;
        (void)EndUpdate();
      }
      throw;
    }
    states_ -= marks;
    return EndUpdate();
  }
  void ToggleCallback(bool expanding, HDC dc, RECT r, int step);
  void Animate(int steps, int duration, bool expanding, HDC dc, RECT r);
  void SetUpdateState(bool updating);
  // Takes back a raise of the update count made without BeginUpdate (so that changes are only recorded), and ends
  // the bracket that BeginUpdate and EndUpdate inside it left open.
  TRaised LowerUpdateCount();
  void StartChangeTimer(UINT_PTR id);
  // Fires the recorded structure change now or after ChangeDelay.
  TRaised ReleaseStructureChange();
  TRaised FireStructureChange();
  TRaised FireChange();
  // Keeps a node that is being freed out of the change events still waiting to fire.
  void ForgetPendingChange(PTreeNode node);
  // Drops the entries of deselected nodes.
  void PackSelection();
  // Gives back the room of a selection that shrank to a fraction of it.
  void TrimSelectionRoom();
  // Sorts the entries added since the last sort in among the others.
  void SortSelection();
  bool InternalAddToSelection(PTreeNode node);
  // Change(node), answering about node too.
  TNodeRaised ChangeAbout(PTreeNode node);
  bool InternalRemoveFromSelection(PTreeNode node);
  // The first sorted entry that is not below node, looked for from the one found last.
  std::size_t SelectionBound(PTreeNode node);
  // Frees every node; a handler that raises does not stop it: the first exception is passed on at the end.
  TRaised FreeAllNodes();
  // Frees every node below node, children before parents and the last sibling first, with their selection,
  // focus and events; the totals of node itself are the caller's. A handler that raises does not stop it: the
  // exception is kept in failure. False when a handler freed node.
  bool FreeDescendants(PTreeNode node, TFirstFailure& failure);
  // The selection and focus of a node that has left the tree, with their events, and its block. The events come
  // about a node that no longer lies in the tree: nothing looks for its row.
  TRaised ReleaseDeletedNode(PTreeNode node, TFirstFailure& failure);
  // Runs on the worker thread: builds the cache privately and publishes it unless stopped.
  void ValidateCache();
  // The last cache entry whose top is at most position; false when the cache holds none.
  bool FindInPositionCache(std::uint64_t position, PTreeNode& node, std::uint64_t& top);
  // The top of node when the cache holds it.
  bool FindCachedTop(PTreeNode node, std::uint64_t& top);
  // The top of node found back along the visible path, a few of the cache's spacings at most, at an entry a change
  // left kept (or at the first row) while the cache is out of date; false when none is that near.
  bool FindKeptTop(PTreeNode node, std::uint64_t& top);
  // Whether GetNodeTop finds node's row without a walk along the rows before it.
  bool RowFoundQuickly(PTreeNode node);
  // The last shown node of node's subtree, for a node on the visible path.
  static PTreeNode LastShownDescendant(PTreeNode node);
  // The node after node on the visible path (node must lie on it), counting the links followed into moves. It
  // reads links and flags only, so the worker thread walks with it.
  static PTreeNode NextOnVisiblePath(PTreeNode node, PTreeNode root, std::uint32_t& moves);
  // The node before node on the visible path (node must lie on it).
  PTreeNode PreviousOnVisiblePath(PTreeNode node) const;
  // The last node found on the visible path, so that a walk along it need not look up each node's ancestors;
  // forgotten by every change that can take a node off the path.
  void ForgetShownNode() { shownNode_ = nullptr; }
  // Opens every collapsed ancestor of node inside one update bracket, the innermost first, so that no toggle
  // scrolls on its own or walks a path that is still closed; false when a handler freed node.
  bool ExpandCollapsedAncestors(PTreeNode node);
  // The check state node's tri-state parent takes when node takes newState.
  TCheckState ParentCheckState(PTreeNode node, TCheckState newState) const;
  // Gives value to the boxes below node that tri-state tracking reaches; the handlers of a box's initialization and
  // repaint may free nodes: then false, with the boxes left to a pass that starts again. What they raise is kept
  // in failure.
  bool PassCheckStateDown(PTreeNode node, TCheckState value, TFirstFailure& failure);
  // The header's band above the client area: reserved and hit-tested in the frame.
  void HeaderFrameMessage(TMessage& message);

  PTreeNode root_ = nullptr;
  // The innermost of the watches, and of the watched lists, that the frames of this tree's handlers' callers hold.
  TNodeWatch* nodeWatches_ = nullptr;
  TWatchedNodes* nodeLists_ = nullptr;
  // The node blocks freed so far: code that keeps nodes across handlers learns from a change that some may be gone.
  std::uint64_t freedNodes_ = 0;
  // The nodes linked into the tree so far, made or moved: a walk that frees nodes learns from a change that a
  // handler added some where it walks.
  std::uint64_t linkedNodes_ = 0;
  // While a stream loads: the node the new top-level nodes hang below until they replace the tree's content.
  PTreeNode loadHolder_ = nullptr;
  TNodeSlab slab_;
  // The walks freeing descendants under way: while there is one, the chunks left free go back when it ends.
  int giveBackHeld_ = 0;
  std::uint16_t defaultNodeHeight_ = DefaultTreeNodeHeight;
  int nodeDataSize_ = -1;
  std::size_t recordSize_ = 0;  // the application record the node blocks really hold
  std::size_t internalDataSize_ = 0;
  int updateCount_ = 0;
  // Renderings of the tree's data objects under way: a handler of one that deletes rows cannot have the clipboard
  // take its contents over in the middle of a rendering.
  int renderings_ = 0;
  // A setting of the scroll bars is posted and not yet made.
  bool scrollBarsPending_ = false;
  int synchCount_ = 0;
  std::uint32_t visibleCount_ = 0;
  std::vector<TCacheEntry> positionCache_;
  std::vector<TCacheEntry> cacheByNode_;  // the same entries ordered by node address
  mutable PTreeNode shownNode_ = nullptr;
  // The total heights too large for their node's 32 bits, by node: only the few nodes above thousands of the
  // tallest rows.
  mutable std::unordered_map<PTreeNode, std::uint64_t> wideTotalHeights_;
  SRWLOCK cacheLock_ = SRWLOCK_INIT;
  // The leading entries of positionCache_ that no change since its build has moved: a build goes on after them.
  std::atomic<std::uint32_t> keptCacheEntries_{0};
  // The changes since the cache was last published that kept entries of it.
  std::atomic<std::uint32_t> narrowedChanges_{0};
  std::atomic<unsigned> cacheFlags_{cfValidationNeeded};
  PTreeNode lastChangedNode_ = nullptr;
  PTreeNode lastStructureChangeNode_ = nullptr;
  TChangeReason lastStructureChangeReason_ = TChangeReason::crIgnore;
  TTreeStates states_;
  UINT changeDelay_ = 0;
  unsigned runningChangeTimers_ = 0;  // bit (1 << id) for each change timer started and not yet stopped
  std::uint32_t pendingRootCount_ = 0;
  UINT animationDuration_ = 200;
  TNodeAlignment nodeAlignment_ = TNodeAlignment::naProportional;

  // The selection: one entry for each selected node, and entries of nodes deselected since, which carry a removal
  // mark until PackSelection drops them. The first sortedEntries_ are ordered by address, so that a removal finds
  // its entry by a binary search; the entries added since wait, unordered, for the next removal to sort them in,
  // so that adding many nodes one at a time (a paste of selected rows) costs each the same.
  std::vector<PTreeNode> selection_;
  std::size_t sortedEntries_ = 0;
  std::size_t markedEntries_ = 0;
  // Where the last removal found its entry. Rows are deselected and deleted in their order, mostly at addresses
  // beside the last ones: a search that widens from here takes a step or two where one over the whole selection
  // took twenty, each a cache miss in a million entries.
  std::size_t selectionHint_ = 0;
  std::uint32_t selectionCount_ = 0;
  PTreeNode rangeAnchor_ = nullptr;
  PTreeNode focusedNode_ = nullptr;
  TColumnIndex focusedColumn_ = NoColumn;
  PTreeNode hotNode_ = nullptr;
  PTreeNode dropTargetNode_ = nullptr;
  TColumnIndex sortColumn_ = NoColumn;
  TSortDirection sortDirection_ = TSortDirection::sdAscending;
  int offsetX_ = 0;
  TTreePosition offsetY_ = 0;

  std::unique_ptr<TCustomTreeOptions> options_;
  std::unique_ptr<TTreeColors> colors_;
  std::unique_ptr<TScrollBarOptions> scrollBarOptions_;
  std::unique_ptr<TClipboardFormats> clipboardFormats_;
  Microsoft::WRL::ComPtr<IDataObject> clipboardData_;
  std::unique_ptr<TTreeHeader> header_;
  TTreeHintMode hintMode_ = TTreeHintMode::hmDefault;
  THintAnimationType hintAnimation_ = THintAnimationType::hatSystemDefault;
  int textMargin_ = DefaultTextMargin;

  // ---- tree object
  void ImageListChange(TObject* sender);
  int HorizontalRange();
  TTreePosition VerticalRange() const;
  // The pixels one unit of the vertical scroll bar stands for: 1 unless the range passes what the bar counts.
  TTreePosition VerticalScrollUnit() const;
  // Shows or hides one bar for range against page and answers the offset the bar leaves.
  TTreePosition UpdateScrollBar(int bar, TTreePosition range, int page, TTreePosition offset, bool shown,
                                bool doRepaint);
  // Whether the bar is shown otherwise, or would keep other values than wanted once set.
  bool ScrollBarDiffers(int bar, bool show, const SCROLLINFO& wanted);
  void SetImageList(TCustomImageList*& field, TChangeLink* link, TCustomImageList* value);
  void RepaintIfShown();
  void ReadOldOptions(TReader& reader);
  // Reads one node chunk into node: the nodes, their links and states and their totals; the node's other chunks,
  // whose handlers may delete nodes, go to later.
  void ReadNodeLinks(TStream& stream, int version, PTreeNode node, std::vector<TLaterChunk>& later);
  // Reads the chunks ReadNodeLinks left, of the nodes that live, and leaves the stream where it found it.
  TRaised ReadLaterChunks(TStream& stream, int version, const std::vector<TLaterChunk>& later);
  // Takes a base chunk's body into node through the paths that keep totals right; answers its child count.
  std::uint32_t ApplyBaseBody(PTreeNode node, const TBaseBody& body);
  // The totals below top after its nodes were read, top's own (and its ancestors') included; shownBefore is the
  // number of visible nodes below top before the read.
  void SettleReadNodes(PTreeNode top, std::uint32_t shownBefore);
  // The totals of one node from its children's, which are right already.
  void SumChildren(PTreeNode node);
  // Clears the selected flags of nodes read from a stream below node, node's own only when it was not selected
  // before the read (selectedBefore), else it keeps its place; answers the nodes that had them.
  std::vector<PTreeNode> DropStreamSelection(PTreeNode node, bool selectedBefore);
  // Takes the nodes DropStreamSelection answered into the selection where it holds several; OnChange may free the
  // tree.
  TRaised AdoptSelection(const std::vector<PTreeNode>& selected);
  // The listed nodes that are left once their subtrees are initialized, when toInitOnSave asks for it: the
  // handlers of the initializations may free nodes.
  std::vector<PTreeNode> NodesToWrite(const TWatchedNodes& nodes);
  // The node chunks of nodes (which live) with their subtrees; answers the places in nodes of those it wrote. The
  // handlers of a node's own chunks (WriteChunks, after its subtree) may free nodes: a node gone before its chunk
  // begins is passed over, a node's children end where the next one is gone (its count says how many were
  // written), and nothing more begins once the tree is gone; what was written stays, a whole stream.
  std::vector<std::size_t> WriteNodeChunks(TStream& stream, const std::vector<PTreeNode>& nodes);
  // Copies the sources, in their order, to target and deletes what was copied, in one pass whatever their
  // number; parent, when given, is the node whose children they are, all of them. A handler that frees a copy,
  // the target or the target's tree ends the move after that copy; one that frees parent, or this tree, ends it at
  // once; sources (which live as it begins) freed meanwhile are passed over. False when nothing moved.
  bool MoveToOtherTree(const std::vector<PTreeNode>& sources, PTreeNode parent, PTreeNode target, TBaseTree* targetTree,
                       TTreeNodeAttachMode mode);
  // The end of a move: caches, scroll bars, repaint and the structure change, reported for changed.
  TRaised FinishMove(PTreeNode changed);
  void CutOrCopyToClipboard(bool cut);
  // Makes, attaches at target by mode and reads node after node until the stream ends.
  TRaised AddNodesFromStream(TStream& stream, PTreeNode target, TTreeNodeAttachMode mode);

  TAlignment alignment_ = TAlignment::taLeftJustify;
  TLineMode lineMode_ = TLineMode::lmNormal;
  TLineStyle lineStyle_ = TLineStyle::lsDotted;
  int margin_ = DefaultMargin;
  int selectionCurveRadius_ = 0;
  int backgroundOffsetX_ = 0;
  int backgroundOffsetY_ = 0;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  TButtonFillMode buttonFillMode_ = TButtonFillMode::fmTreeColor;
  TButtonStyle buttonStyle_ = TButtonStyle::bsRectangle;
  TCheckImageKind checkImageKind_ = TCheckImageKind::ckLightCheck;
  TCustomImageList* checkImages_ = nullptr;
  TCustomImageList* customCheckImages_ = nullptr;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* stateImages_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_;
  std::unique_ptr<TChangeLink> stateImagesLink_;
  std::unique_ptr<TChangeLink> customCheckImagesLink_;
  std::unique_ptr<TPicture> background_;
  std::unique_ptr<TTreeDragImage> dragImage_;
  int indent_ = DefaultIndent;
  TIncrementalSearch incrementalSearch_ = TIncrementalSearch::isNone;
  UINT incrementalSearchTimeout_ = 1000;
  TSearchStart incrementalSearchStart_ = TSearchStart::ssFocusedNode;
  String searchBuffer_;
  PTreeNode lastSearchNode_ = nullptr;
  UINT autoScrollDelay_ = 1000;
  UINT autoExpandDelay_ = 1000;
  UINT autoScrollInterval_ = 1;
  TTreeNodeAttachMode defaultPasteMode_ = TTreeNodeAttachMode::amAddChildLast;
  TDragType dragType_ = TDragType::dtOLE;
  int dragWidth_ = 200;
  int dragHeight_ = 350;
  int dragThreshold_ = 0;
  TDragOperations dragOperations_{TDragOperation::doCopy, TDragOperation::doMove};
  TDragImageKind dragImageKind_ = TDragImageKind::diComplete;
  UINT editDelay_ = 1000;
  TCursor hotCursor_ = crDefault;
  TColumnIndex editColumn_ = NoColumn;
  RECT headerRect_{};
  // ---- painting, window messages and keyboard: state
  // PaintTree of window, whose vertical extent runs from 0 and stands for the tree from the absolute windowTop.
  TRaised PaintTreeArea(TCanvas* target, RECT window, TTreePosition windowTop, POINT targetPoint,
                        TTreePaintFlags options);
  void PaintCheckImage(HDC dc, const TImageInfo& info);
  TNodeRaised PaintImage(TNodePaintInfo& paintInfo, TImageInfoIndex which, bool withOverlay);
  void PaintTreeLines(HDC dc, const TNodePaintInfo& paintInfo, int vAlign, const std::vector<TTreeLineType>& image,
                      TColor color, int bottom);
  void PaintSelectionRectangle(HDC dc, const RECT& r);
  TNodeRaised PaintCellSelection(HDC dc, TNodePaintInfo& paintInfo);
  int VerticalAlignment(PTreeNode node) const;
  TNodeRaised EraseItem(TNodePaintInfo& paintInfo, const RECT& r, bool backgroundInUse, int clientTop);
  TRaised PaintRest(TCanvas* target, const RECT& window, POINT targetPoint, int restTop, bool backgroundInUse,
                    bool rubberBand);
  // Tiles the background picture over r (logical coordinates of dc) whose top-left lies at client point origin.
  void TileBackground(HDC dc, const RECT& r, POINT origin);
  void DetermineLineImage(PTreeNode node);
  // The paint resources, made at the first call (which asks OnGetLineStyle for a custom line style, and may free
  // the tree) and opened for the window's themes.
  TRaised PaintResources(TPaintResources*& resources);
  [[nodiscard]] TRaised FinishCheckKey();
  // The first column from column on, stepping back or forth, that OnFocusChanging lets the focus take at node;
  // asking stops once the handler freed node, which the caller learns from its own watch of node.
  TColumnIndex FocusableColumn(PTreeNode node, TColumnIndex column, bool back);
  TRaised ScrollByKey(int deltaX, int deltaY);
  // Where the Applications key opens node's pop-up menu, in client coordinates.
  TNodeRaised KeyboardMenuPoint(PTreeNode node, POINT& point);
  [[nodiscard]] TRaised HandleVerticalScroll(WORD code);
  [[nodiscard]] TRaised HandleHorizontalScroll(WORD code);
  void HandleKillFocus(TMessage& message);

  TDrawSelectionMode drawSelectionMode_ = TDrawSelectionMode::smDottedRectangle;
  bool wantTabs_ = false;
  TDropMode lastDropMode_ = TDropMode::dpNowhere;
  RECT selectionRect_{};
  PTreeNode checkNode_ = nullptr;
  TCheckState pendingCheckState_ = TCheckState::csUncheckedNormal;
  std::unique_ptr<TPaintResources> paint_;  // made at the first paint or bitmap preparation
  std::vector<TTreeLineType> lineImage_;    // reused by every paint

  // ---- wheel panning and incremental search: state
  HWND panningWindow_ = nullptr;
  HBITMAP panningImage_ = nullptr;
  // Loaded for this tree alone (not shared), so that it can be destroyed; its resource name tells whether a new
  // direction needs another.
  HCURSOR panningCursor_ = nullptr;
  const wchar_t* panningCursorName_ = nullptr;
  // The screen cursor before panning, shown again when it ends.
  HCURSOR cursorBeforePanning_ = nullptr;
  POINT panningAnchor_{};  // screen coordinates
  TSearchDirection incrementalSearchDirection_ = TSearchDirection::sdForward;

  // ---- editing, help, hints, the frame and the other window messages of this block: state
  void CMHintShow(TMessage& message);
  void CMHintShowPause(TMessage& message);
  void WMNCPaint(TMessage& message);
  void CanvasFontChanged(TObject* sender);
  // The cell under client point p (autoSpan: widened over empty neighbour cells); false when no node is there.
  bool GetHintCell(POINT p, PTreeNode& node, TColumnIndex& column, RECT& cell);

  std::unique_ptr<TTreeHintData> hintData_;  // what the hint window shows for a node, made at the first node hint
  // The link of the running edit; kept after the edit ends until WM_RELEASE_EDIT_LINK arrives, since the end is
  // often reached from inside the editor's own calls.
  Microsoft::WRL::ComPtr<ITreeEditLink> editLink_;
  // After an edit ends: the tree takes the focus back from its editor, never from a window elsewhere.
  TRaised TakeFocusFromEditor();
  void ReleaseEditLink();
  // An edit a click armed waits no longer.
  void ForgetPendingEdit();
  PTreeNode editPendingNode_ = nullptr;
  TNotifyEvent savedFontChange_;
  bool cellFontChanged_ = false;

  // ---- drag and drop: state
  // The source tree whose own drag image this tree moves while a drag is over it, or null.
  TBaseTree* OwnDragImageSource(TObject* source);
  // The drop mode of client y over a node whose row is r.
  TDropMode DropModeAt(int y, const RECT& r, bool withDropMark) const;
  // Paints dirty (client coordinates) into the background of tree's visible drag image, its frame too with
  // updateNCArea, and draws the image again with reshowDragImage.
  TRaised RecaptureUnderDragImage(TBaseTree* tree, const RECT& dirty, bool updateNCArea, bool reshowDragImage);
  // Repaints a node's row, under source's drag image when there is one.
  TRaised RepaintDropRow(PTreeNode node, TBaseTree* imageSource, bool imageVisible);
  // A new node under the drag: repainted in place of the old one, expanded after a while when it has children.
  TRaised ChangeDropTarget(PTreeNode node, TBaseTree* imageSource, bool imageVisible);
  void FrameworkDrag(TMessage& message);
  Microsoft::WRL::ComPtr<ITreeDragManager> dragManager_;
  std::vector<PTreeNode> dragSelection_;
  bool dropTargetRegistered_ = false;
};

// A tree is used from one thread, and frames end in the reverse order they began: the watch that ends heads its
// tree's list. Inline, since a sort raises a handler, and so takes a watch, for every comparison. GCC, seeing the
// tree keep the address of a frame's watch, cannot tell that the watch takes it back as it ends, or that the tree
// is gone when it does not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
inline TNodeWatch::TNodeWatch(TBaseTree& tree, PTreeNode node) noexcept
    : tree_(&tree), node_(node == tree.root_ ? nullptr : node), next_(tree.nodeWatches_) {
  tree.nodeWatches_ = this;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

inline TNodeWatch::~TNodeWatch() {
  if (tree_) tree_->nodeWatches_ = next_;
}

}  // namespace tree

// The event dispatchers of TBaseTree: each raises its event through RaiseEvent or RaiseNodeEvent, with the
// documented default when the event is not assigned, and answers whether the tree (and the node the event is about)
// outlived the handler.
#include <algorithm>

#include "framework/menus.h"
#include "tree/base_tree.h"
#include "tree/clipboard_format_registry.h"
#include "tree/tree_columns.h"
#include "tree/tree_error.h"
#include "tree/tree_header.h"
#include "tree/tree_unit.h"

namespace tree {

TNodeRaised TBaseTree::DoAfterCellPaint(TCanvas* canvas, PTreeNode node, TColumnIndex column, const RECT& cellRect) {
  return RaiseNodeEvent(node, OnAfterCellPaint, this, canvas, node, column, cellRect);
}

TNodeRaised TBaseTree::DoAfterItemErase(TCanvas* canvas, PTreeNode node, const RECT& itemRect) {
  return RaiseNodeEvent(node, OnAfterItemErase, this, canvas, node, itemRect);
}

TNodeRaised TBaseTree::DoAfterItemPaint(TCanvas* canvas, PTreeNode node, const RECT& itemRect) {
  return RaiseNodeEvent(node, OnAfterItemPaint, this, canvas, node, itemRect);
}

TRaised TBaseTree::DoAfterPaint(TCanvas* canvas) { return RaiseEvent(OnAfterPaint, this, canvas); }

TNodeRaised TBaseTree::DoBeforeDrag(PTreeNode node, TColumnIndex column, bool& allowed) {
  allowed = false;
  const TNodeRaised raised = RaiseNodeEvent(node, OnDragAllowed, this, node, column, allowed);
  if (raised.NodeGone()) allowed = false;
  return raised;
}

TNodeRaised TBaseTree::DoBeforeCellPaint(TCanvas* canvas, PTreeNode node, TColumnIndex column, const RECT& cellRect) {
  return RaiseNodeEvent(node, OnBeforeCellPaint, this, canvas, node, column, cellRect);
}

TNodeRaised TBaseTree::DoBeforeItemErase(TCanvas* canvas, PTreeNode node, const RECT& itemRect, TColor& color,
                                         TItemEraseAction& eraseAction) {
  return RaiseNodeEvent(node, OnBeforeItemErase, this, canvas, node, itemRect, color, eraseAction);
}

TNodeRaised TBaseTree::DoBeforeItemPaint(TCanvas* canvas, PTreeNode node, const RECT& itemRect, bool& customDraw) {
  customDraw = false;
  return RaiseNodeEvent(node, OnBeforeItemPaint, this, canvas, node, itemRect, customDraw);
}

TRaised TBaseTree::DoBeforePaint(TCanvas* canvas) { return RaiseEvent(OnBeforePaint, this, canvas); }

TNodeRaised TBaseTree::DoCanEdit(PTreeNode node, TColumnIndex column, bool& allowed) {
  const TNodeRaised raised = RaiseNodeEvent(node, OnEditing, this, node, column, allowed);
  if (raised.NodeGone()) allowed = false;
  return raised;
}

TNodeRaised TBaseTree::DoChange(PTreeNode node) {
  // The change is told once: it is no longer pending while the handler runs, so that one the handler makes is
  // told after it, and one that raises is not told again.
  StopTimer(ChangeTimer);
  states_ -= TTreeState::stChangePending;
  lastChangedNode_ = nullptr;
  return RaiseNodeEvent(node, OnChange, this, node);
}

TNodeRaised TBaseTree::DoCheckClick(PTreeNode node, TCheckState newState) {
  const TCheckState old = node->CheckState;
  const TLifeWatch life = LifeWatch();
  if (!ChangeCheckState(node, newState)) return TNodeRaised(!life.Ended(), false);
  if (node->CheckState == old) return TNodeRaised(true, true);
  return DoChecked(node);
}

TNodeRaised TBaseTree::DoChecked(PTreeNode node) { return RaiseNodeEvent(node, OnChecked, this, node); }

TNodeRaised TBaseTree::DoChecking(PTreeNode node, TCheckState& newState, bool& allowed) {
  allowed = true;
  const TNodeRaised raised = RaiseNodeEvent(node, OnChecking, this, node, newState, allowed);
  if (raised.NodeGone()) allowed = false;
  return raised;
}

TNodeRaised TBaseTree::DoCollapsed(PTreeNode node) { return RaiseNodeEvent(node, OnCollapsed, this, node); }

TNodeRaised TBaseTree::DoCollapsing(PTreeNode node, bool& allowed) {
  allowed = true;
  const TNodeRaised raised = RaiseNodeEvent(node, OnCollapsing, this, node, allowed);
  if (raised.NodeGone()) allowed = false;
  return raised;
}

TRaised TBaseTree::DoColumnClick(TColumnIndex column, TShiftState shift) {
  return RaiseEvent(OnColumnClick, this, column, shift);
}

TRaised TBaseTree::DoColumnDblClick(TColumnIndex column, TShiftState shift) {
  return RaiseEvent(OnColumnDblClick, this, column, shift);
}

TRaised TBaseTree::DoColumnResize(TColumnIndex column) {
  if (IsLoading() || !HandleAllocated()) return TRaised(true);
  UpdateScrollBars(true);
  TTreeColumns* columns = header_->Columns();
  TTreeColumn* resized = columns->IsValidColumn(column) ? columns->Items(column) : nullptr;
  // Only what lies right of the column's left edge moves; spanned text may start in any column, though.
  RECT r{0, 0, ClientWidth(), ClientHeight()};
  if (resized && !options_->AutoOptions().Contains(TTreeAutoOption::toAutoSpanColumns))
    r.left = std::max(0, resized->GetLeft());
  InvalidateRect(Handle(), &r, FALSE);
  // The columns right of it moved along with its right edge: their captions are painted again too.
  if (resized) header_->Invalidate(resized, true);
  if (RaiseEvent(OnColumnResize, header_.get(), column).Gone()) return TRaised(false);
  if (!IsEditing()) return TRaised(true);
  return UpdateEditBounds();
}

TRaised TBaseTree::DoCompare(PTreeNode node1, PTreeNode node2, TColumnIndex column, int& result) {
  result = 0;
  // A sort raises this for every comparison: the tree's own watch, a frame on its list, tells whether the tree
  // outlived the handler without the atomic steps of the component's shared life.
  return RaiseNodeEvent(nullptr, OnCompareNodes, this, node1, node2, column, result).Tree();
}

TRaised TBaseTree::DoCreateDataObject(IDataObject*& result) {
  result = nullptr;
  return RaiseEvent(OnCreateDataObject, this, result);
}

TRaised TBaseTree::DoCreateDragManager(ITreeDragManager*& result) {
  result = nullptr;
  return RaiseEvent(OnCreateDragManager, this, result);
}

TNodeRaised TBaseTree::DoCreateEditor(PTreeNode node, TColumnIndex column, ITreeEditLink*& result) {
  result = nullptr;
  if (!OnCreateEditor) return TNodeRaised(true, true);
  const TNodeRaised raised = RaiseNodeEvent(node, OnCreateEditor, this, node, column, result);
  if (!raised.NodeGone() && !result) RaiseTreeError(teEditLinkMissing);
  return raised;
}

TRaised TBaseTree::DoDragOver(TObject* source, TShiftState shift, TDragState state, POINT pt, TDropMode mode,
                              DWORD& effect, bool& accept) {
  accept = false;
  return RaiseEvent(OnDragOver, this, source, shift, state, pt, mode, effect, accept);
}

TRaised TBaseTree::DoDragDrop(TObject* source, IDataObject* dataObject, const TFormatArray& formats, TShiftState shift,
                              POINT pt, DWORD& effect, TDropMode mode) {
  return RaiseEvent(OnDragDrop, this, source, dataObject, formats, shift, pt, effect, mode);
}

TRaised TBaseTree::DoHeaderDraw(TTreeHeader* header, TCanvas* canvas, TTreeColumn* column, const RECT& r, bool hover,
                                bool pressed, TTreeDropMarkMode dropMark) {
  return RaiseEvent(OnHeaderDraw, header, canvas, column, r, hover, pressed, dropMark);
}

TNodeRaised TBaseTree::DoExpanded(PTreeNode node) { return RaiseNodeEvent(node, OnExpanded, this, node); }

TNodeRaised TBaseTree::DoExpanding(PTreeNode node, bool& allowed) {
  allowed = true;
  const TNodeRaised raised = RaiseNodeEvent(node, OnExpanding, this, node, allowed);
  if (raised.NodeGone()) allowed = false;
  return raised;
}

TNodeRaised TBaseTree::DoFocusChange(PTreeNode node, TColumnIndex column) {
  return RaiseNodeEvent(node, OnFocusChanged, this, node, column);
}

TNodeRaised TBaseTree::DoFocusChanging(PTreeNode oldNode, PTreeNode newNode, TColumnIndex oldColumn,
                                       TColumnIndex newColumn, bool& allowed) {
  allowed = true;
  if (!OnFocusChanging) return TNodeRaised(true, true);
  const TNodeWatch oldWatch(*this, oldNode);
  const TNodeRaised raised =
      RaiseNodeEvent(newNode, OnFocusChanging, this, oldNode, newNode, oldColumn, newColumn, allowed);
  if (raised.NodeGone() || oldWatch.Ended()) allowed = false;
  return raised;
}

TRaised TBaseTree::DoFreeNode(PTreeNode node) {
  if (node == hotNode_) hotNode_ = nullptr;
  if (!node->Has(nsInitialized) && !node->Has(nsInitialUserData)) return TRaised(true);
  // Raised for every node a deletion or Clear frees: the tree's own watch, as for a sort's comparisons.
  return RaiseNodeEvent(nullptr, OnFreeNode, this, node).Tree();
}

THintAnimationType TBaseTree::DoGetAnimationType(THintAnimationType requested) {
  THintAnimationType result = requested;
  if (requested == THintAnimationType::hatSystemDefault) {
    BOOL animation = FALSE, fade = FALSE;
    SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
    SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
    result = !animation ? THintAnimationType::hatNone
             : fade     ? THintAnimationType::hatFade
                        : THintAnimationType::hatSlide;
  }
  // Fading blends every step, which needs the MMX blending routines.
  if (result == THintAnimationType::hatFade && !HasMMX) result = THintAnimationType::hatSlide;
  return result;
}

TRaised TBaseTree::DoGetCursor(TCursor& cursor) { return RaiseEvent(OnGetCursor, this, cursor); }

TRaised TBaseTree::DoGetHeaderCursor(TTreeHeader* header, HCURSOR& cursor) {
  return RaiseEvent(OnGetHeaderCursor, header, cursor);
}

TNodeRaised TBaseTree::DoGetImageIndex(PTreeNode node, TTreeImageKind kind, TColumnIndex column, bool& ghosted,
                                       int& index) {
  return RaiseNodeEvent(node, OnGetImageIndex, this, node, kind, column, ghosted, index);
}

TRaised TBaseTree::DoGetLineStyle(const void*& bits) { return RaiseEvent(OnGetLineStyle, this, bits); }

TNodeRaised TBaseTree::DoGetNodeHint(PTreeNode node, TColumnIndex column, String& hint) {
  (void)node, (void)column;
  hint = Hint();
  return TNodeRaised(true, true);
}

TNodeRaised TBaseTree::DoGetNodeTooltip(PTreeNode node, TColumnIndex column, String& tooltip) {
  (void)node, (void)column;
  tooltip = Hint();
  return TNodeRaised(true, true);
}

TNodeRaised TBaseTree::GetNodeWidth(PTreeNode node, TColumnIndex column, int& width) {
  (void)node, (void)column;
  width = 0;
  return TNodeRaised(true, true);
}

TRaised TBaseTree::DoGetPopupMenu(PTreeNode node, TColumnIndex column, POINT position, TPopupMenu*& menu) {
  menu = nullptr;
  if (!OnGetPopupMenu) return TRaised(true);
  bool askParent = true;
  if (!node) return RaiseEvent(OnGetPopupMenu, this, nullptr, NoColumn, position, askParent, menu);
  // Each ancestor is asked in turn; a handler that frees the one asked ends the walk.
  for (PTreeNode run = node; run != root_ && !menu && askParent;) {
    const TNodeRaised raised = RaiseNodeEvent(run, OnGetPopupMenu, this, run, column, position, askParent, menu);
    if (raised.TreeGone()) return TRaised(false);
    if (raised.NodeGone()) break;
    run = run->Parent;
  }
  return TRaised(true);
}

TRaised TBaseTree::GetNativeClipboardFormats(TFormatEtcArray& formats) {
  formats.clear();
  if (TClipboardFormatList* registry = ClipboardFormatRegistry()) registry->EnumerateFormats(ClassType(), formats);
  return DoGetUserClipboardFormats(formats);
}

TRaised TBaseTree::DoGetUserClipboardFormats(TFormatEtcArray& formats) {
  return RaiseEvent(OnGetUserClipboardFormats, this, formats);
}

TRaised TBaseTree::DoHeaderClick(TTreeHeader* header, TColumnIndex column, TMouseButton button, TShiftState shift,
                                 int x, int y) {
  return RaiseEvent(OnHeaderClick, header, column, button, shift, x, y);
}

TRaised TBaseTree::DoHeaderDblClick(TTreeHeader* header, TColumnIndex column, TMouseButton button, TShiftState shift,
                                    int x, int y) {
  return RaiseEvent(OnHeaderDblClick, header, column, button, shift, x, y);
}

TRaised TBaseTree::DoHeaderDragged(TTreeHeader* header, TColumnIndex column, int oldPosition) {
  return RaiseEvent(OnHeaderDragged, header, column, oldPosition);
}

TRaised TBaseTree::DoHeaderDragging(TTreeHeader* header, TColumnIndex column, bool& allowed) {
  allowed = true;
  return RaiseEvent(OnHeaderDragging, header, column, allowed);
}

TRaised TBaseTree::DoHeaderMouseDown(TTreeHeader* header, TMouseButton button, TShiftState shift, int x, int y) {
  return RaiseEvent(OnHeaderMouseDown, header, button, shift, x, y);
}

TRaised TBaseTree::DoHeaderMouseMove(TTreeHeader* header, TShiftState shift, int x, int y) {
  return RaiseEvent(OnHeaderMouseMove, header, shift, x, y);
}

TRaised TBaseTree::DoHeaderMouseUp(TTreeHeader* header, TMouseButton button, TShiftState shift, int x, int y) {
  return RaiseEvent(OnHeaderMouseUp, header, button, shift, x, y);
}

TRaised TBaseTree::DoHotChange(PTreeNode oldNode, PTreeNode newNode) {
  return RaiseEvent(OnHotChange, this, oldNode, newNode);
}

TNodeRaised TBaseTree::DoIncrementalSearch(PTreeNode node, const String& text, int& result) {
  result = 0;
  return RaiseNodeEvent(node, OnIncrementalSearch, this, node, text, result);
}

TNodeRaised TBaseTree::DoInitChildren(PTreeNode node, std::uint32_t& childCount) {
  return RaiseNodeEvent(node, OnInitChildren, this, node, childCount);
}

TNodeRaised TBaseTree::DoInitNode(PTreeNode parent, PTreeNode node, TTreeNodeInitStates& initStates) {
  return RaiseNodeEvent(node, OnInitNode, this, parent, node, initStates);
}

TRaised TBaseTree::DoKeyAction(WORD& charCode, TShiftState& shift, bool& doDefault) {
  doDefault = true;
  return RaiseEvent(OnKeyAction, this, charCode, shift, doDefault);
}

TNodeRaised TBaseTree::DoLoadUserData(PTreeNode node, TStream& stream) {
  return RaiseNodeEvent(node, OnLoadNode, this, node == root_ ? nullptr : node, stream);
}

TNodeRaised TBaseTree::DoNodeCopied(PTreeNode node) { return RaiseNodeEvent(node, OnNodeCopied, this, node); }

TNodeRaised TBaseTree::DoNodeCopying(PTreeNode node, PTreeNode newParent, bool& allowed) {
  allowed = true;
  if (!OnNodeCopying) return TNodeRaised(true, true);
  const TNodeWatch parentWatch(*this, newParent);
  const TNodeRaised raised = RaiseNodeEvent(node, OnNodeCopying, this, node, newParent, allowed);
  if (raised.NodeGone() || parentWatch.Ended()) allowed = false;
  return raised;
}

TNodeRaised TBaseTree::DoNodeMoved(PTreeNode node) { return RaiseNodeEvent(node, OnNodeMoved, this, node); }

TNodeRaised TBaseTree::DoNodeMoving(PTreeNode node, PTreeNode newParent, bool& allowed) {
  allowed = true;
  // The new parent may belong to another tree: the caller watches it there.
  const TNodeRaised raised = RaiseNodeEvent(node, OnNodeMoving, this, node, newParent, allowed);
  if (raised.NodeGone()) allowed = false;
  return raised;
}

TRaised TBaseTree::DoPaintBackground(TCanvas* canvas, const RECT& r, bool& handled) {
  handled = false;
  return RaiseEvent(OnPaintBackground, this, canvas, r, handled);
}

TNodeRaised TBaseTree::DoPaintNode(TNodePaintInfo& paintInfo) {
  (void)paintInfo;
  return TNodeRaised(true, true);
}

TRaised TBaseTree::DoPopupMenu(PTreeNode node, TColumnIndex column, POINT position) {
  TPopupMenu* menu = nullptr;
  if (DoGetPopupMenu(node, column, position, menu).Gone()) return TRaised(false);
  if (!menu || !HandleAllocated()) return TRaised(true);
  ForgetPendingEdit();
  menu->SetPopupComponent(this);
  POINT screen = ClientToScreen(position);
  // The menu's commands may free the tree.
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, menu->Popup(screen.x, screen.y));
}

TRaised TBaseTree::HasPopupMenu(PTreeNode node, TColumnIndex column, POINT position, bool& has) {
  has = PopupMenu() != nullptr;
  if (has) return TRaised(true);
  TPopupMenu* menu = nullptr;
  const TRaised raised = DoGetPopupMenu(node, column, position, menu);
  has = menu != nullptr;
  return raised;
}

TRaised TBaseTree::DoRenderOLEData(const FORMATETC& formatEtcIn, STGMEDIUM& medium, bool forClipboard,
                                   HRESULT& result) {
  result = E_FAIL;
  return RaiseEvent(OnRenderOLEData, this, formatEtcIn, medium, forClipboard, result);
}

TNodeRaised TBaseTree::DoReset(PTreeNode node) { return RaiseNodeEvent(node, OnResetNode, this, node); }

TNodeRaised TBaseTree::DoSaveUserData(PTreeNode node, TStream& stream) {
  return RaiseNodeEvent(node, OnSaveNode, this, node == root_ ? nullptr : node, stream);
}

TRaised TBaseTree::DoScroll(int deltaX, int deltaY) { return RaiseEvent(OnScroll, this, deltaX, deltaY); }

TNodeRaised TBaseTree::DoStructureChange(PTreeNode node, TChangeReason reason) {
  // Told once, as DoChange tells a change.
  StopTimer(StructureChangeTimer);
  states_ -= TTreeState::stStructureChangePending;
  lastStructureChangeNode_ = nullptr;
  lastStructureChangeReason_ = TChangeReason::crIgnore;
  return RaiseNodeEvent(node, OnStructureChange, this, node, reason);
}

TRaised TBaseTree::DoUpdating(TTreeUpdateState state) { return RaiseEvent(OnUpdating, this, state); }

TRaised TBaseTree::MainColumnChanged() { return DoCancelEdit(); }

}  // namespace tree

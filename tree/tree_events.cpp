// The event dispatchers of TBaseTree: each raises its event when assigned, with the documented default otherwise.
#include <algorithm>

#include "framework/menus.h"
#include "tree/base_tree.h"
#include "tree/clipboard_format_registry.h"
#include "tree/tree_columns.h"
#include "tree/tree_error.h"
#include "tree/tree_header.h"
#include "tree/tree_unit.h"

namespace tree {

void TBaseTree::DoAfterCellPaint(TCanvas* canvas, PTreeNode node, TColumnIndex column, const RECT& cellRect) {
  if (OnAfterCellPaint) OnAfterCellPaint(this, canvas, node, column, cellRect);
}

void TBaseTree::DoAfterItemErase(TCanvas* canvas, PTreeNode node, const RECT& itemRect) {
  if (OnAfterItemErase) OnAfterItemErase(this, canvas, node, itemRect);
}

void TBaseTree::DoAfterItemPaint(TCanvas* canvas, PTreeNode node, const RECT& itemRect) {
  if (OnAfterItemPaint) OnAfterItemPaint(this, canvas, node, itemRect);
}

void TBaseTree::DoAfterPaint(TCanvas* canvas) {
  if (OnAfterPaint) OnAfterPaint(this, canvas);
}

bool TBaseTree::DoBeforeDrag(PTreeNode node, TColumnIndex column) {
  if (!OnDragAllowed) return false;
  bool allowed = false;
  const TNodeWatch watch(*this, node);
  OnDragAllowed(this, node, column, allowed);
  return allowed && !watch.Ended();
}

void TBaseTree::DoBeforeCellPaint(TCanvas* canvas, PTreeNode node, TColumnIndex column, const RECT& cellRect) {
  if (OnBeforeCellPaint) OnBeforeCellPaint(this, canvas, node, column, cellRect);
}

void TBaseTree::DoBeforeItemErase(TCanvas* canvas, PTreeNode node, const RECT& itemRect, TColor& color,
                                  TItemEraseAction& eraseAction) {
  if (OnBeforeItemErase) OnBeforeItemErase(this, canvas, node, itemRect, color, eraseAction);
}

bool TBaseTree::DoBeforeItemPaint(TCanvas* canvas, PTreeNode node, const RECT& itemRect) {
  bool customDraw = false;
  if (OnBeforeItemPaint) OnBeforeItemPaint(this, canvas, node, itemRect, customDraw);
  return customDraw;
}

void TBaseTree::DoBeforePaint(TCanvas* canvas) {
  if (OnBeforePaint) OnBeforePaint(this, canvas);
}

bool TBaseTree::DoCanEdit(PTreeNode node, TColumnIndex column, bool allowed) {
  if (!OnEditing) return allowed;
  const TNodeWatch watch(*this, node);
  OnEditing(this, node, column, allowed);
  return allowed && !watch.Ended();
}

void TBaseTree::DoChange(PTreeNode node) {
  // The change is told once: it is no longer pending while the handler runs, so that one the handler makes is
  // told after it, and one that raises is not told again.
  StopTimer(ChangeTimer);
  states_ -= TTreeState::stChangePending;
  lastChangedNode_ = nullptr;
  if (OnChange) OnChange(this, node);
}

void TBaseTree::DoCheckClick(PTreeNode node, TCheckState newState) {
  TCheckState old = node->CheckState;
  if (ChangeCheckState(node, newState) && node->CheckState != old) DoChecked(node);
}

void TBaseTree::DoChecked(PTreeNode node) {
  if (OnChecked) OnChecked(this, node);
}

bool TBaseTree::DoChecking(PTreeNode node, TCheckState& newState) {
  if (!OnChecking) return true;
  bool allowed = true;
  const TNodeWatch watch(*this, node);
  OnChecking(this, node, newState, allowed);
  return allowed && !watch.Ended();
}

void TBaseTree::DoCollapsed(PTreeNode node) {
  if (OnCollapsed) OnCollapsed(this, node);
}

bool TBaseTree::DoCollapsing(PTreeNode node) {
  if (!OnCollapsing) return true;
  bool allowed = true;
  const TNodeWatch watch(*this, node);
  OnCollapsing(this, node, allowed);
  return allowed && !watch.Ended();
}

void TBaseTree::DoColumnClick(TColumnIndex column, TShiftState shift) {
  if (OnColumnClick) OnColumnClick(this, column, shift);
}

void TBaseTree::DoColumnDblClick(TColumnIndex column, TShiftState shift) {
  if (OnColumnDblClick) OnColumnDblClick(this, column, shift);
}

void TBaseTree::DoColumnResize(TColumnIndex column) {
  if (IsLoading() || !HandleAllocated()) return;
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
  if (OnColumnResize) OnColumnResize(header_.get(), column);
  if (IsEditing()) UpdateEditBounds();
}

int TBaseTree::DoCompare(PTreeNode node1, PTreeNode node2, TColumnIndex column) {
  int result = 0;
  if (OnCompareNodes) OnCompareNodes(this, node1, node2, column, result);
  return result;
}

IDataObject* TBaseTree::DoCreateDataObject() {
  IDataObject* result = nullptr;
  if (OnCreateDataObject) OnCreateDataObject(this, result);
  return result;
}

ITreeDragManager* TBaseTree::DoCreateDragManager() {
  ITreeDragManager* result = nullptr;
  if (OnCreateDragManager) OnCreateDragManager(this, result);
  return result;
}

ITreeEditLink* TBaseTree::DoCreateEditor(PTreeNode node, TColumnIndex column) {
  ITreeEditLink* result = nullptr;
  if (OnCreateEditor) {
    OnCreateEditor(this, node, column, result);
    if (!result) RaiseTreeError(teEditLinkMissing);
  }
  return result;
}

bool TBaseTree::DoDragOver(TObject* source, TShiftState shift, TDragState state, POINT pt, TDropMode mode,
                           DWORD& effect) {
  bool accept = false;
  if (OnDragOver) OnDragOver(this, source, shift, state, pt, mode, effect, accept);
  return accept;
}

void TBaseTree::DoDragDrop(TObject* source, IDataObject* dataObject, const TFormatArray& formats, TShiftState shift,
                           POINT pt, DWORD& effect, TDropMode mode) {
  if (OnDragDrop) OnDragDrop(this, source, dataObject, formats, shift, pt, effect, mode);
}

void TBaseTree::DoHeaderDraw(TTreeHeader* header, TCanvas* canvas, TTreeColumn* column, const RECT& r, bool hover,
                             bool pressed, TTreeDropMarkMode dropMark) {
  if (OnHeaderDraw) OnHeaderDraw(header, canvas, column, r, hover, pressed, dropMark);
}

void TBaseTree::DoExpanded(PTreeNode node) {
  if (OnExpanded) OnExpanded(this, node);
}

bool TBaseTree::DoExpanding(PTreeNode node) {
  if (!OnExpanding) return true;
  bool allowed = true;
  const TNodeWatch watch(*this, node);
  OnExpanding(this, node, allowed);
  return allowed && !watch.Ended();
}

void TBaseTree::DoFocusChange(PTreeNode node, TColumnIndex column) {
  if (OnFocusChanged) OnFocusChanged(this, node, column);
}

bool TBaseTree::DoFocusChanging(PTreeNode oldNode, PTreeNode newNode, TColumnIndex oldColumn, TColumnIndex newColumn) {
  if (!OnFocusChanging) return true;
  bool allowed = true;
  const TNodeWatch oldWatch(*this, oldNode), newWatch(*this, newNode);
  OnFocusChanging(this, oldNode, newNode, oldColumn, newColumn, allowed);
  return allowed && !oldWatch.Ended() && !newWatch.Ended();
}

void TBaseTree::DoFreeNode(PTreeNode node) {
  if (node == hotNode_) hotNode_ = nullptr;
  if (OnFreeNode && (node->Has(nsInitialized) || node->Has(nsInitialUserData))) OnFreeNode(this, node);
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

void TBaseTree::DoGetCursor(TCursor& cursor) {
  if (OnGetCursor) OnGetCursor(this, cursor);
}

void TBaseTree::DoGetHeaderCursor(TTreeHeader* header, HCURSOR& cursor) {
  if (OnGetHeaderCursor) OnGetHeaderCursor(header, cursor);
}

int TBaseTree::DoGetImageIndex(PTreeNode node, TTreeImageKind kind, TColumnIndex column, bool& ghosted, int index) {
  if (OnGetImageIndex) OnGetImageIndex(this, node, kind, column, ghosted, index);
  return index;
}

void TBaseTree::DoGetLineStyle(const void*& bits) {
  if (OnGetLineStyle) OnGetLineStyle(this, bits);
}

String TBaseTree::DoGetNodeHint(PTreeNode node, TColumnIndex column) {
  (void)node, (void)column;
  return Hint();
}

String TBaseTree::DoGetNodeTooltip(PTreeNode node, TColumnIndex column) {
  (void)node, (void)column;
  return Hint();
}

int TBaseTree::GetNodeWidth(PTreeNode node, TColumnIndex column) {
  (void)node, (void)column;
  return 0;
}

TPopupMenu* TBaseTree::DoGetPopupMenu(PTreeNode node, TColumnIndex column, POINT position) {
  TPopupMenu* menu = nullptr;
  if (!OnGetPopupMenu) return nullptr;
  if (!node) {
    bool askParent = true;
    OnGetPopupMenu(this, nullptr, NoColumn, position, askParent, menu);
    return menu;
  }
  bool askParent = true;
  for (PTreeNode run = node; run != root_ && !menu && askParent; run = run->Parent)
    OnGetPopupMenu(this, run, column, position, askParent, menu);
  return menu;
}

void TBaseTree::GetNativeClipboardFormats(TFormatEtcArray& formats) {
  formats.clear();
  if (TClipboardFormatList* registry = ClipboardFormatRegistry()) registry->EnumerateFormats(ClassType(), formats);
  DoGetUserClipboardFormats(formats);
}

void TBaseTree::DoGetUserClipboardFormats(TFormatEtcArray& formats) {
  if (OnGetUserClipboardFormats) OnGetUserClipboardFormats(this, formats);
}

void TBaseTree::DoHeaderClick(TTreeHeader* header, TColumnIndex column, TMouseButton button, TShiftState shift, int x,
                              int y) {
  if (OnHeaderClick) OnHeaderClick(header, column, button, shift, x, y);
}

void TBaseTree::DoHeaderDblClick(TTreeHeader* header, TColumnIndex column, TMouseButton button, TShiftState shift,
                                 int x, int y) {
  if (OnHeaderDblClick) OnHeaderDblClick(header, column, button, shift, x, y);
}

void TBaseTree::DoHeaderDragged(TTreeHeader* header, TColumnIndex column, int oldPosition) {
  if (OnHeaderDragged) OnHeaderDragged(header, column, oldPosition);
}

bool TBaseTree::DoHeaderDragging(TTreeHeader* header, TColumnIndex column) {
  bool allowed = true;
  if (OnHeaderDragging) OnHeaderDragging(header, column, allowed);
  return allowed;
}

void TBaseTree::DoHeaderMouseDown(TTreeHeader* header, TMouseButton button, TShiftState shift, int x, int y) {
  if (OnHeaderMouseDown) OnHeaderMouseDown(header, button, shift, x, y);
}

void TBaseTree::DoHeaderMouseMove(TTreeHeader* header, TShiftState shift, int x, int y) {
  if (OnHeaderMouseMove) OnHeaderMouseMove(header, shift, x, y);
}

void TBaseTree::DoHeaderMouseUp(TTreeHeader* header, TMouseButton button, TShiftState shift, int x, int y) {
  if (OnHeaderMouseUp) OnHeaderMouseUp(header, button, shift, x, y);
}

void TBaseTree::DoHotChange(PTreeNode oldNode, PTreeNode newNode) {
  if (OnHotChange) OnHotChange(this, oldNode, newNode);
}

int TBaseTree::DoIncrementalSearch(PTreeNode node, const String& text) {
  int result = 0;
  if (OnIncrementalSearch) OnIncrementalSearch(this, node, text, result);
  return result;
}

void TBaseTree::DoInitChildren(PTreeNode node, std::uint32_t& childCount) {
  if (OnInitChildren) OnInitChildren(this, node, childCount);
}

void TBaseTree::DoInitNode(PTreeNode parent, PTreeNode node, TTreeNodeInitStates& initStates) {
  if (OnInitNode) OnInitNode(this, parent, node, initStates);
}

bool TBaseTree::DoKeyAction(WORD& charCode, TShiftState& shift) {
  bool doDefault = true;
  if (OnKeyAction) OnKeyAction(this, charCode, shift, doDefault);
  return doDefault;
}

void TBaseTree::DoLoadUserData(PTreeNode node, TStream& stream) {
  if (OnLoadNode) OnLoadNode(this, node == root_ ? nullptr : node, stream);
}

void TBaseTree::DoNodeCopied(PTreeNode node) {
  if (OnNodeCopied) OnNodeCopied(this, node);
}

bool TBaseTree::DoNodeCopying(PTreeNode node, PTreeNode newParent) {
  if (!OnNodeCopying) return true;
  bool allowed = true;
  const TNodeWatch nodeWatch(*this, node), parentWatch(*this, newParent);
  OnNodeCopying(this, node, newParent, allowed);
  return allowed && !nodeWatch.Ended() && !parentWatch.Ended();
}

void TBaseTree::DoNodeMoved(PTreeNode node) {
  if (OnNodeMoved) OnNodeMoved(this, node);
}

bool TBaseTree::DoNodeMoving(PTreeNode node, PTreeNode newParent) {
  if (!OnNodeMoving) return true;
  bool allowed = true;
  // The new parent may belong to another tree: the caller watches it there.
  const TNodeWatch watch(*this, node);
  OnNodeMoving(this, node, newParent, allowed);
  return allowed && !watch.Ended();
}

bool TBaseTree::DoPaintBackground(TCanvas* canvas, const RECT& r) {
  bool handled = false;
  if (OnPaintBackground) OnPaintBackground(this, canvas, r, handled);
  return handled;
}

void TBaseTree::DoPaintNode(TNodePaintInfo& paintInfo) { (void)paintInfo; }

void TBaseTree::DoPopupMenu(PTreeNode node, TColumnIndex column, POINT position) {
  TPopupMenu* menu = DoGetPopupMenu(node, column, position);
  if (!menu || !HandleAllocated()) return;
  ForgetPendingEdit();
  menu->SetPopupComponent(this);
  POINT screen = ClientToScreen(position);
  menu->Popup(screen.x, screen.y);
}

bool TBaseTree::HasPopupMenu(PTreeNode node, TColumnIndex column, POINT position) {
  return PopupMenu() != nullptr || DoGetPopupMenu(node, column, position) != nullptr;
}

HRESULT TBaseTree::DoRenderOLEData(const FORMATETC& formatEtcIn, STGMEDIUM& medium, bool forClipboard) {
  HRESULT result = E_FAIL;
  if (OnRenderOLEData) OnRenderOLEData(this, formatEtcIn, medium, forClipboard, result);
  return result;
}

void TBaseTree::DoReset(PTreeNode node) {
  if (OnResetNode) OnResetNode(this, node);
}

void TBaseTree::DoSaveUserData(PTreeNode node, TStream& stream) {
  if (OnSaveNode) OnSaveNode(this, node == root_ ? nullptr : node, stream);
}

void TBaseTree::DoScroll(int deltaX, int deltaY) {
  if (OnScroll) OnScroll(this, deltaX, deltaY);
}

void TBaseTree::DoStructureChange(PTreeNode node, TChangeReason reason) {
  // Told once, as DoChange tells a change.
  StopTimer(StructureChangeTimer);
  states_ -= TTreeState::stStructureChangePending;
  lastStructureChangeNode_ = nullptr;
  lastStructureChangeReason_ = TChangeReason::crIgnore;
  if (OnStructureChange) OnStructureChange(this, node, reason);
}

void TBaseTree::DoUpdating(TTreeUpdateState state) {
  if (OnUpdating) OnUpdating(this, state);
}

void TBaseTree::MainColumnChanged() { DoCancelEdit(); }

}  // namespace tree

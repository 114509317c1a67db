// The properties of the tree object: their setters and side effects, Assign, the stored property table and the
// edit and drag entry points.
#include <algorithm>

#include "framework/image_list.h"
#include "framework/picture.h"
#include "framework/properties.h"
#include "tree/base_tree.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_colors.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

void TBaseTree::RepaintIfShown() {
  if (HandleAllocated() && !IsLoading()) Invalidate();
}

void TBaseTree::ImageListChange(TObject*) {
  if (!IsDestroying()) RepaintIfShown();
}

void TBaseTree::SetImageList(TCustomImageList*& field, TChangeLink* link, TCustomImageList* value) {
  if (field == value) return;
  if (field) {
    field->UnRegisterChanges(link);
    field->RemoveFreeNotification(this);
  }
  field = value;
  if (field) {
    field->RegisterChanges(link);
    field->FreeNotification(this);
  }
}

void TBaseTree::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  RepaintIfShown();
}

void TBaseTree::SetLineMode(TLineMode value) {
  if (value == lineMode_) return;
  lineMode_ = value;
  RepaintIfShown();
}

void TBaseTree::SetLineStyle(TLineStyle value) {
  if (value == lineStyle_) return;
  lineStyle_ = value;
  RepaintIfShown();
  // The setter's last act: the line brush is built from the style, not looked up at paint time, and a custom style
  // asks OnGetLineStyle.
  (void)PrepareLineBrush();
}

void TBaseTree::SetMargin(int value) {
  if (value == margin_) return;
  margin_ = value;
  RepaintIfShown();
}

void TBaseTree::SetTextMargin(int value) {
  if (value == textMargin_) return;
  textMargin_ = value;
  RepaintIfShown();
}

void TBaseTree::SetNodeAlignment(TNodeAlignment value) {
  if (value == nodeAlignment_) return;
  nodeAlignment_ = value;
  RepaintIfShown();
}

void TBaseTree::SetSelectionCurveRadius(int value) {
  if (value == selectionCurveRadius_) return;
  selectionCurveRadius_ = value;
  RepaintIfShown();
}

void TBaseTree::SetBackground(const TPicture* value) {
  background_->Assign(value);
  RepaintIfShown();
}

void TBaseTree::SetBackgroundOffsetX(int value) {
  if (value == backgroundOffsetX_) return;
  backgroundOffsetX_ = value;
  RepaintIfShown();
}

void TBaseTree::SetBackgroundOffsetY(int value) {
  if (value == backgroundOffsetY_) return;
  backgroundOffsetY_ = value;
  RepaintIfShown();
}

void TBaseTree::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  if (HandleAllocated()) RecreateWnd();
}

void TBaseTree::SetButtonFillMode(TButtonFillMode value) {
  if (value == buttonFillMode_) return;
  buttonFillMode_ = value;
  PrepareButtons();
  RepaintIfShown();
}

void TBaseTree::SetButtonStyle(TButtonStyle value) {
  if (value == buttonStyle_) return;
  buttonStyle_ = value;
  PrepareButtons();
  RepaintIfShown();
}

void TBaseTree::SetCheckImageKind(TCheckImageKind value) {
  if (value == checkImageKind_) return;
  checkImageKind_ = value;
  // The shared glyph lists of the other kinds are chosen by the painting from the kind itself.
  checkImages_ = value == TCheckImageKind::ckCustom ? customCheckImages_ : nullptr;
  if (HandleAllocated() && updateCount_ == 0 && !IsLoading()) Invalidate();
}

void TBaseTree::SetCustomCheckImages(TCustomImageList* value) {
  if (value == customCheckImages_) return;
  SetImageList(customCheckImages_, customCheckImagesLink_.get(), value);
  if (checkImageKind_ == TCheckImageKind::ckCustom) checkImages_ = customCheckImages_;
  RepaintIfShown();
}

void TBaseTree::SetImages(TCustomImageList* value) {
  if (value == images_) return;
  SetImageList(images_, imagesLink_.get(), value);
  RepaintIfShown();
}

void TBaseTree::SetStateImages(TCustomImageList* value) {
  if (value == stateImages_) return;
  SetImageList(stateImages_, stateImagesLink_.get(), value);
  RepaintIfShown();
}

void TBaseTree::SetIndent(int value) {
  if (value == indent_) return;
  indent_ = value;
  if (!IsLoading() && updateCount_ == 0 && HandleAllocated()) {
    UpdateScrollBars(true);
    Invalidate();
  }
}

void TBaseTree::SetIncrementalSearch(TIncrementalSearch value) {
  if (value == incrementalSearch_) return;
  incrementalSearch_ = value;
  if (value == TIncrementalSearch::isNone) EndIncrementalSearch();
}

TRaised TBaseTree::SetFocusedColumn(TColumnIndex value) {
  if (value == focusedColumn_) return TRaised(true);
  // Each handler raised may free the tree.
  const TLifeWatch life = LifeWatch();
  bool allowed = true;
  if (DoFocusChanging(focusedNode_, focusedNode_, focusedColumn_, value, allowed).TreeGone()) return TRaised(false);
  if (!allowed) return TRaised(true);
  CancelEditNode();
  if (life.Ended()) return TRaised(false);
  focusedColumn_ = value;
  if (focusedNode_) {
    const bool scrolled = ScrollIntoView(focusedNode_, true, false);
    if (life.Ended()) return TRaised(false);
    if (scrolled) {
      if (HandleAllocated()) Invalidate();
    } else if (focusedNode_) {
      InvalidateNode(focusedNode_);
    }
  }
  return DoFocusChange(focusedNode_, focusedColumn_).Tree();
}

TRaised TBaseTree::SetOffsetX(int value) {
  return DoSetOffsetXY(value, offsetY_,
                       suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea);
}

TRaised TBaseTree::SetOffsetXY(POINT value) {
  return DoSetOffsetXY(value.x, value.y,
                       suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea);
}

void TBaseTree::Assign(const TPersistent* source) {
  const auto* other = ObjectAs<const TBaseTree>(source);
  if (!other || other == this) {
    if (!other) inherited::Assign(source);
    return;
  }
  SetAnchors(other->Anchors());
  SetAutoScrollDelay(other->autoScrollDelay_);
  SetAutoScrollInterval(other->autoScrollInterval_);
  SetBackground(other->background_.get());
  SetBevelEdges(other->BevelEdges());
  SetBevelInner(other->BevelInner());
  SetBevelKind(other->BevelKind());
  SetBevelOuter(other->BevelOuter());
  SetBevelWidth(other->BevelWidth());
  SetBiDiMode(other->BiDiMode());
  SetBorderStyle(other->borderStyle_);
  SetBorderWidth(other->BorderWidth());
  SetChangeDelay(other->changeDelay_);
  SetCheckImageKind(other->checkImageKind_);
  SetColor(other->Color());
  SetColors(other->colors_.get());
  Constraints()->Assign(other->Constraints());
  SetCtl3D(other->Ctl3D());
  SetDefaultNodeHeight(other->defaultNodeHeight_);
  SetDefaultPasteMode(other->defaultPasteMode_);
  SetDragCursor(other->DragCursor());
  SetDragImageKind(other->dragImageKind_);
  SetDragKind(other->DragKind());
  SetDragMode(other->DragMode());
  SetEnabled(other->Enabled());
  SetFont(other->Font());
  SetHintAnimation(other->hintAnimation_);
  SetHintMode(other->hintMode_);
  SetHotCursor(other->hotCursor_);
  SetImages(other->images_);
  SetIndent(other->indent_);
  SetMargin(other->margin_);
  SetNodeAlignment(other->nodeAlignment_);
  SetParentBiDiMode(other->ParentBiDiMode());
  SetParentColor(other->ParentColor());
  SetParentCtl3D(other->ParentCtl3D());
  SetParentFont(other->ParentFont());
  SetParentShowHint(other->ParentShowHint());
  SetPopupMenu(other->PopupMenu());
  SetScrollBarOptions(other->scrollBarOptions_.get());
  SetShowHint(other->ShowHint());
  SetStateImages(other->stateImages_);
  if (Parent() && other->Parent() == Parent()) SetTabOrder(other->TabOrder());
  SetTabStop(other->TabStop());
  SetSelectionCurveRadius(other->selectionCurveRadius_);
  // The copy's last act: the nodes, the options, the place and the visibility raise the handlers of the tree and
  // of its parent's controls.
  (void)AssignNodesAndPlace(*other);
}

TRaised TBaseTree::AssignNodesAndPlace(const TBaseTree& other) {
  if (SetHeader(other.header_.get()).Gone() || SetNodeDataSize(other.nodeDataSize_).Gone() ||
      SetTreeOptions(other.options_.get()).Gone() || SetRootNodeCount(other.RootNodeCount()).Gone() ||
      SetAlign(other.Align()).Gone() || SetAutoSize(other.AutoSize()).Gone())
    return TRaised(false);
  return SetVisible(other.Visible());
}

// ---- editing

bool TBaseTree::EditNode(PTreeNode node, TColumnIndex column) {
  // A column the header does not hold has no cell to edit.
  if (IsEditing() || (column != NoColumn && !header_->Columns()->IsValidColumn(column))) return false;
  // The focus events, OnEditing and the node's initialization may delete the node, or add or remove columns: no
  // edit starts then.
  const std::uint64_t columnChanges = header_->Columns()->LayoutChanges();
  const TNodeWatch watch(*this, node);
  if (node != focusedNode_ && SetFocusedNode(node).Gone()) return false;
  if (!node || watch.Ended() || node != focusedNode_) return false;
  const bool allowed = CanEdit(node, column);
  if (watch.Ended() || !allowed || header_->Columns()->LayoutChanges() != columnChanges) return false;
  editColumn_ = column;
  if (!node->Has(nsInitialized) && !InitNode(node)) return false;
  if (DoEdit().Gone()) return false;
  return IsEditing();
}

bool TBaseTree::CanEdit(PTreeNode node, TColumnIndex column) {
  bool allowed = options_->MiscOptions().Contains(TTreeMiscOption::toEditable) && CanFocus();
  if (DoCanEdit(node, column, allowed).Gone()) return false;
  return allowed;
}

bool TBaseTree::EndEditNode() {
  bool ended = true;
  if (EndEditing(ended).Gone()) return ended;
  return ended;
}

// ---- dragging

TRaised TBaseTree::BeginDrag(bool immediate, int threshold) {
  if (dragType_ == TDragType::dtFramework) {
    states_ += TTreeState::stFrameworkDragPending;
    return inherited::BeginDrag(immediate, threshold);
  }
  if (states_.Contains(TTreeState::stOleDragPending) || states_.Contains(TTreeState::stOleDragging))
    return TRaised(true);
  dragThreshold_ = threshold >= 0 ? threshold : GetSystemMetrics(SM_CXDRAG);
  if (immediate) {
    POINT at{};
    GetCursorPos(&at);
    if (HandleAllocated()) ::ScreenToClient(Handle(), &at);
    // The drag's handlers may free the tree.
    return DoDragging(at);
  }
  // The mouse handling runs the drag once the mouse moved the threshold away from the click.
  states_ += TTreeState::stOleDragPending;
  return TRaised(true);
}

bool TBaseTree::Dragging() const {
  return states_.Contains(TTreeState::stOleDragPending) || states_.Contains(TTreeState::stOleDragging) ||
         states_.Contains(TTreeState::stFrameworkDragging);
}

// ---- stored properties

const TPublishedTable& TBaseTree::PublishedTable() const {
  using P = TPublished<TBaseTree>;
  using T = TBaseTree;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"Alignment", &T::Alignment, &T::SetAlignment,
                         {L"taLeftJustify", L"taRightJustify", L"taCenter"})
              .Default(TAlignment::taLeftJustify),
          P::Integer(L"AnimationDuration", &T::AnimationDuration, &T::SetAnimationDuration).Default(200),
          P::Integer(L"AutoExpandDelay", &T::AutoExpandDelay, &T::SetAutoExpandDelay).Default(1000),
          P::Integer(L"AutoScrollDelay", &T::AutoScrollDelay, &T::SetAutoScrollDelay).Default(1000),
          P::Integer(L"AutoScrollInterval", &T::AutoScrollInterval, &T::SetAutoScrollInterval).Default(1),
          P::Integer(L"BackgroundOffsetX", &T::BackgroundOffsetX, &T::SetBackgroundOffsetX).Default(0),
          P::Integer(L"BackgroundOffsetY", &T::BackgroundOffsetY, &T::SetBackgroundOffsetY).Default(0),
          P::Enumeration(L"BorderStyle", &T::BorderStyle, &T::SetBorderStyle, {L"bsNone", L"bsSingle"})
              .Default(TBorderStyle::bsSingle),
          P::Enumeration(L"ButtonFillMode", &T::ButtonFillMode, &T::SetButtonFillMode,
                         {L"fmTreeColor", L"fmWindowColor", L"fmShaded", L"fmTransparent"})
              .Default(TButtonFillMode::fmTreeColor),
          P::Enumeration(L"ButtonStyle", &T::ButtonStyle, &T::SetButtonStyle, {L"bsRectangle", L"bsTriangle"})
              .Default(TButtonStyle::bsRectangle),
          P::Integer(L"ChangeDelay", &T::ChangeDelay, &T::SetChangeDelay).Default(0),
          P::Enumeration(
              L"CheckImageKind", &T::CheckImageKind, &T::SetCheckImageKind,
              {L"ckLightCheck", L"ckDarkCheck", L"ckLightTick", L"ckDarkTick", L"ckFlat", L"ckXP", L"ckCustom"})
              .Default(TCheckImageKind::ckLightCheck),
          P::Object(L"Colors", &T::Colors),
          P::Component(L"CustomCheckImages", &T::CustomCheckImages, &T::SetCustomCheckImages),
          P::Integer(L"DefaultNodeHeight", &T::DefaultNodeHeight, &T::SetDefaultNodeHeight)
              .Default(DefaultTreeNodeHeight),
          P::Enumeration(L"DefaultPasteMode", &T::DefaultPasteMode, &T::SetDefaultPasteMode,
                         {L"amNoWhere", L"amInsertBefore", L"amInsertAfter", L"amAddChildFirst", L"amAddChildLast"})
              .Default(TTreeNodeAttachMode::amAddChildLast),
          P::Integer(L"DragHeight", &T::DragHeight, &T::SetDragHeight).Default(350),
          P::Enumeration(L"DragImageKind", &T::DragImageKind, &T::SetDragImageKind,
                         {L"diComplete", L"diMainColumnOnly", L"diNoImage"})
              .Default(TDragImageKind::diComplete),
          P::Set(L"DragOperations", &T::DragOperations, &T::SetDragOperations, {L"doCopy", L"doMove", L"doLink"})
              .Default(TDragOperations{TDragOperation::doCopy, TDragOperation::doMove}),
          P::Enumeration(L"DragType", &T::DragType, &T::SetDragType, {L"dtOLE", L"dtFramework"})
              .Default(TDragType::dtOLE),
          P::Integer(L"DragWidth", &T::DragWidth, &T::SetDragWidth).Default(200),
          P::Integer(L"EditDelay", &T::EditDelay, &T::SetEditDelay).Default(1000),
          P::Object(L"Header", &T::Header),
          P::Component(L"Images", &T::Images, &T::SetImages),
          P::Enumeration(L"IncrementalSearch", &T::IncrementalSearch, &T::SetIncrementalSearch,
                         {L"isAll", L"isNone", L"isInitializedOnly", L"isVisibleOnly"})
              .Default(TIncrementalSearch::isNone),
          P::Enumeration(L"IncrementalSearchDirection", &T::IncrementalSearchDirection,
                         &T::SetIncrementalSearchDirection, {L"sdForward", L"sdBackward"})
              .Default(TSearchDirection::sdForward),
          P::Enumeration(L"IncrementalSearchStart", &T::IncrementalSearchStart, &T::SetIncrementalSearchStart,
                         {L"ssAlwaysStartOver", L"ssLastHit", L"ssFocusedNode"})
              .Default(TSearchStart::ssFocusedNode),
          P::Integer(L"IncrementalSearchTimeout", &T::IncrementalSearchTimeout, &T::SetIncrementalSearchTimeout)
              .Default(1000),
          P::Integer(L"Indent", &T::Indent, &T::SetIndent).Default(DefaultIndent),
          P::Enumeration(L"LineMode", &T::LineMode, &T::SetLineMode, {L"lmNormal", L"lmBands"})
              .Default(TLineMode::lmNormal),
          P::Enumeration(L"LineStyle", &T::LineStyle, &T::SetLineStyle, {L"lsCustomStyle", L"lsDotted", L"lsSolid"})
              .Default(TLineStyle::lsDotted),
          P::Integer(L"Margin", &T::Margin, &T::SetMargin).Default(DefaultMargin),
          P::Enumeration(L"NodeAlignment", &T::NodeAlignment, &T::SetNodeAlignment,
                         {L"naFromBottom", L"naFromTop", L"naProportional"})
              .Default(TNodeAlignment::naProportional),
          P::Integer(L"NodeDataSize", &T::NodeDataSize, &T::SetNodeDataSize).Default(-1),
          P::Integer(L"RootNodeCount", &T::RootNodeCount, &T::SetRootNodeCount).Default(0),
          P::Object(L"ScrollBarOptions", &T::ScrollBarOptions),
          P::Integer(L"SelectionCurveRadius", &T::SelectionCurveRadius, &T::SetSelectionCurveRadius).Default(0),
          P::Component(L"StateImages", &T::StateImages, &T::SetStateImages),
          P::Integer(L"TextMargin", &T::TextMargin, &T::SetTextMargin).Default(DefaultTextMargin),
          P::Object(L"TreeOptions", &T::TreeOptions),
      });
  return table;
}

}  // namespace tree

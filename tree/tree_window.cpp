// The tree's window: its creation parameters and set-up, message routing, the header rectangle, component
// removal, the old stored option set and the widest row extent.
#include <commctrl.h>

#include <algorithm>

#include "framework/form_reader.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/visual_styles.h"
#include "tree/base_tree.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

// Window styles of the scroll bars a tree shows, by TScrollStyle.
constexpr DWORD ScrollBarStyles[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};

// The platform's flat scroll-bar look for each TScrollBarStyle.
constexpr INT_PTR FlatScrollBarModes[] = {FSB_REGULAR_MODE, FSB_FLAT_MODE, FSB_ENCARTA_MODE};

// Where each old option lives now, in the order of TOldVTOption: its stored name, its group and its element there.
enum class TOldOptionGroup { Misc, Animation, Auto, Selection, Paint };
struct TOldOptionTarget {
  const wchar_t* Name;
  TOldOptionGroup Group;
  int Element;
};
constexpr TOldOptionTarget OldOptionTargets[] = {
    {L"voAcceptOLEDrop", TOldOptionGroup::Misc, static_cast<int>(TTreeMiscOption::toAcceptOLEDrop)},
    {L"voAnimatedToggle", TOldOptionGroup::Animation, static_cast<int>(TTreeAnimationOption::toAnimatedToggle)},
    {L"voAutoDropExpand", TOldOptionGroup::Auto, static_cast<int>(TTreeAutoOption::toAutoDropExpand)},
    {L"voAutoExpand", TOldOptionGroup::Auto, static_cast<int>(TTreeAutoOption::toAutoExpand)},
    {L"voAutoScroll", TOldOptionGroup::Auto, static_cast<int>(TTreeAutoOption::toAutoScroll)},
    {L"voAutoSort", TOldOptionGroup::Auto, static_cast<int>(TTreeAutoOption::toAutoSort)},
    {L"voAutoSpanColumns", TOldOptionGroup::Auto, static_cast<int>(TTreeAutoOption::toAutoSpanColumns)},
    {L"voAutoTristateTracking", TOldOptionGroup::Auto, static_cast<int>(TTreeAutoOption::toAutoTristateTracking)},
    {L"voCheckSupport", TOldOptionGroup::Misc, static_cast<int>(TTreeMiscOption::toCheckSupport)},
    {L"voDisableDrawSelection", TOldOptionGroup::Selection,
     static_cast<int>(TTreeSelectionOption::toDisableDrawSelection)},
    {L"voEditable", TOldOptionGroup::Misc, static_cast<int>(TTreeMiscOption::toEditable)},
    {L"voExtendedFocus", TOldOptionGroup::Selection, static_cast<int>(TTreeSelectionOption::toExtendedFocus)},
    {L"voFullRowSelect", TOldOptionGroup::Selection, static_cast<int>(TTreeSelectionOption::toFullRowSelect)},
    {L"voGridExtensions", TOldOptionGroup::Misc, static_cast<int>(TTreeMiscOption::toGridExtensions)},
    {L"voHideFocusRect", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toHideFocusRect)},
    {L"voHideSelection", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toHideSelection)},
    {L"voHotTrack", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toHotTrack)},
    {L"voInitOnSave", TOldOptionGroup::Misc, static_cast<int>(TTreeMiscOption::toInitOnSave)},
    {L"voLevelSelectConstraint", TOldOptionGroup::Selection,
     static_cast<int>(TTreeSelectionOption::toLevelSelectConstraint)},
    {L"voMiddleClickSelect", TOldOptionGroup::Selection, static_cast<int>(TTreeSelectionOption::toMiddleClickSelect)},
    {L"voMultiSelect", TOldOptionGroup::Selection, static_cast<int>(TTreeSelectionOption::toMultiSelect)},
    {L"voRightClickSelect", TOldOptionGroup::Selection, static_cast<int>(TTreeSelectionOption::toRightClickSelect)},
    {L"voPopupMode", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toPopupMode)},
    {L"voShowBackground", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toShowBackground)},
    {L"voShowButtons", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toShowButtons)},
    {L"voShowDropmark", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toShowDropmark)},
    {L"voShowHorzGridLines", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toShowHorzGridLines)},
    {L"voShowRoot", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toShowRoot)},
    {L"voShowTreeLines", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toShowTreeLines)},
    {L"voShowVertGridLines", TOldOptionGroup::Paint, static_cast<int>(TTreePaintOption::toShowVertGridLines)},
    {L"voSiblingSelectConstraint", TOldOptionGroup::Selection,
     static_cast<int>(TTreeSelectionOption::toSiblingSelectConstraint)},
    {L"voToggleOnDblClick", TOldOptionGroup::Misc, static_cast<int>(TTreeMiscOption::toToggleOnDblClick)},
};
static_assert(std::size(OldOptionTargets) == static_cast<std::size_t>(TOldVTOption::voToggleOnDblClick) + 1);

bool IsMouseButtonPress(UINT msg) { return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK; }

}  // namespace

void TBaseTree::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |=
      WS_CLIPCHILDREN | WS_CLIPSIBLINGS | ScrollBarStyles[static_cast<int>(scrollBarOptions_->ScrollBars())];
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
  if (options_->MiscOptions().Contains(TTreeMiscOption::toFullRepaintOnResize))
    params.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
  params.Style &= ~WS_BORDER;
  params.ExStyle &= ~WS_EX_CLIENTEDGE;
  if (borderStyle_ == TBorderStyle::bsSingle) {
    if (Ctl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
  if (BiDiMode() != TBiDiMode::bdLeftToRight) params.ExStyle |= WS_EX_LEFTSCROLLBAR;
}

TRaised TBaseTree::CreateWnd() {
  if (inherited::CreateWnd().Gone()) return TRaised(false);
  if (VisualStylesInUse() && options_->PaintOptions().Contains(TTreePaintOption::toThemeAware))
    states_ += TTreeState::stUseThemes;
  else
    states_ -= TTreeState::stUseThemes;
  if (header_->Options().Contains(TTreeHeaderOption::hoAutoResize) &&
      header_->Columns()->AdjustAutoSize(NoColumn, true).Gone())
    return TRaised(false);
  TScrollBarStyle style = scrollBarOptions_->ScrollBarStyle();
  if (style != TScrollBarStyle::sbmRegular) {
    InitializeFlatSB(Handle());
    FlatSB_SetScrollProp(Handle(), WSB_PROP_HSTYLE, FlatScrollBarModes[static_cast<int>(style)], FALSE);
    FlatSB_SetScrollProp(Handle(), WSB_PROP_VSTYLE, FlatScrollBarModes[static_cast<int>(style)], FALSE);
  }
  // OnCreateDragManager may free the tree as the window is made.
  if (!IsDesigning() && options_->MiscOptions().Contains(TTreeMiscOption::toAcceptOLEDrop) &&
      SetDropTargetRegistered(true).Gone())
    return TRaised(false);
  UpdateScrollBars(true);
  UpdateHeaderRect();
  return TRaised(true);
}

TRaised TBaseTree::DestroyWnd() {
  // Nodes, selection and focus live in the object; only the window's own state goes with it.
  StopTimer(ChangeTimer);
  StopTimer(StructureChangeTimer);
  // The handlers raised here may free the tree, whose window then goes with it.
  if (states_.Contains(TTreeState::stChangePending) && updateCount_ == 0 && FireChange().Gone()) return TRaised(false);
  if (states_.Contains(TTreeState::stStructureChangePending) && updateCount_ == 0 && FireStructureChange().Gone())
    return TRaised(false);
  RevokeDropTarget();
  return inherited::DestroyWnd();
}

void TBaseTree::WndProc(TMessage& message) {
  if (!IsDesigning() && IsMouseButtonPress(message.Msg) && DragMode() == TDragMode::dmAutomatic &&
      DragKind() == TDragKind::dkDrag) {
    // The tree starts its own drags; the control's automatic drag start must not see the press.
    if (!IsControlMouseMsg(message)) {
      SetControlState(ControlState() + TControlStateItem::csLButtonDown);
      Dispatch(message);
    }
    return;
  }
  inherited::WndProc(message);
}

void TBaseTree::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != TOperation::opRemove || component == this) return;
  bool repaint = false;
  if (component == images_) {
    images_ = nullptr;
    repaint = true;
  }
  if (component == stateImages_) {
    stateImages_ = nullptr;
    repaint = true;
  }
  if (component == customCheckImages_) {
    customCheckImages_ = nullptr;
    if (checkImageKind_ == TCheckImageKind::ckCustom) checkImages_ = nullptr;
    repaint = true;
  }
  if (component == PopupMenu()) SetPopupMenu(nullptr);
  if (header_) {
    if (component == header_->Images()) header_->SetImages(nullptr);
    if (component == header_->PopupMenu()) header_->SetPopupMenu(nullptr);
  }
  if (repaint && !IsDestroying() && HandleAllocated()) Invalidate();
}

void TBaseTree::ReadOldOptions(TReader& reader) {
  TOldVTOptions old;
  for (const String& name : reader.ReadSet()) {
    auto it = std::find_if(std::begin(OldOptionTargets), std::end(OldOptionTargets),
                           [&](const TOldOptionTarget& target) { return _wcsicmp(target.Name, name.c_str()) == 0; });
    if (it != std::end(OldOptionTargets)) old += static_cast<TOldVTOption>(it - std::begin(OldOptionTargets));
  }
  TTreeMiscOptions misc;
  TTreeAnimationOptions animation;
  TTreeAutoOptions autoOptions;
  TTreeSelectionOptions selection;
  TTreePaintOptions paint;
  for (std::size_t i = 0; i < std::size(OldOptionTargets); ++i) {
    if (!old.Contains(static_cast<TOldVTOption>(i))) continue;
    const TOldOptionTarget& target = OldOptionTargets[i];
    switch (target.Group) {
      case TOldOptionGroup::Misc:
        misc += static_cast<TTreeMiscOption>(target.Element);
        break;
      case TOldOptionGroup::Animation:
        animation += static_cast<TTreeAnimationOption>(target.Element);
        break;
      case TOldOptionGroup::Auto:
        autoOptions += static_cast<TTreeAutoOption>(target.Element);
        break;
      case TOldOptionGroup::Selection:
        selection += static_cast<TTreeSelectionOption>(target.Element);
        break;
      case TOldOptionGroup::Paint:
        paint += static_cast<TTreePaintOption>(target.Element);
        break;
    }
  }
  options_->SetAnimationOptions(animation);
  options_->SetAutoOptions(autoOptions);
  options_->SetMiscOptions(misc);
  options_->SetPaintOptions(paint);
  // The reader's last act on the options: nothing is raised while the tree is read.
  (void)options_->SetSelectionOptions(selection);
}

void TBaseTree::DefineProperties(TFiler& filer) {
  inherited::DefineProperties(filer);
  filer.DefineProperty(
      L"Options", [this](TReader& reader) { ReadOldOptions(reader); }, nullptr, false);
}

void TBaseTree::UpdateHeaderRect() {
  headerRect_ = RECT{};
  if (!header_->Options().Contains(TTreeHeaderOption::hoVisible) || !HandleAllocated()) return;
  RECT window{};
  GetWindowRect(Handle(), &window);
  OffsetRect(&window, -window.left, -window.top);
  LONG style = GetWindowLongW(Handle(), GWL_STYLE);
  LONG exStyle = GetWindowLongW(Handle(), GWL_EXSTYLE);
  int frame = 0;
  if (style & WS_BORDER) frame = 1;
  if (style & WS_THICKFRAME) frame = 3;
  if (exStyle & WS_EX_CLIENTEDGE) frame = 2;
  InflateRect(&window, -frame, -frame);
  int bevel =
      (BevelInner() != TBevelCut::bvNone ? BevelWidth() : 0) + (BevelOuter() != TBevelCut::bvNone ? BevelWidth() : 0);
  if (BevelKind() == TBevelKind::bkNone) bevel = 0;
  TBevelEdges edges = BevelEdges();
  if (edges.Contains(TBevelEdge::beLeft)) window.left += bevel;
  if (edges.Contains(TBevelEdge::beTop)) window.top += bevel;
  if (edges.Contains(TBevelEdge::beRight)) window.right -= bevel;
  InflateRect(&window, -BorderWidth(), -BorderWidth());
  window.bottom = window.top + header_->Height();
  headerRect_ = window;
}

int TBaseTree::GetMaxRightExtend() {
  bool showRoot = options_->PaintOptions().Contains(TTreePaintOption::toShowRoot);
  bool checks = options_->MiscOptions().Contains(TTreeMiscOption::toCheckSupport);
  int imagesWidth = (stateImages_ ? stateImages_->Width() + 2 : 0) + (images_ ? images_->Width() + 2 : 0);
  int checkWidth = CheckImageWidth() > 0 ? CheckImageWidth() + 2 : 0;
  const int margins = 2 * margin_;
  int widest = 0;
  int top = 0;
  PTreeNode node = GetTopNode();
  int height = ClientHeight();
  // The level is counted up once and then carried from row to row: a deep tree costs no walk to the root per row.
  std::uint32_t level = GetNodeLevel(node);
  while (node && top < height) {
    // Measuring a row and reaching the next raise handlers (the text, the next row's initialization) that may free
    // the row: the rows measured so far give the extent then.
    const TNodeWatch watch(*this, node);
    int x = static_cast<int>(level + (showRoot ? 1 : 0)) * indent_ + imagesWidth;
    if (checks && node->CheckType != TCheckType::ctNone) x += checkWidth;
    int width = 0;
    if (GetNodeWidth(node, NoColumn, width).Gone()) break;
    widest = std::max(widest, x + width);
    top += node->NodeHeight;
    PTreeNode next = GetNextVisible(node);
    if (watch.Ended()) break;
    if (next && next->Parent == node) {
      ++level;
    } else if (next) {
      for (PTreeNode run = node; run->Parent != next->Parent; run = run->Parent) --level;
    }
    node = next;
  }
  return widest + margins;
}

}  // namespace tree

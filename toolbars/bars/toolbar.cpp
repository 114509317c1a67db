// The toolbar's parts and properties, its layout for where it sits, the controls it hosts and its stored values.
// Mouse and keyboard input are in toolbar_input.cpp, the floating sizes in toolbar_floating.cpp.
#include "toolbars/bars/toolbar.h"

#include <algorithm>
#include <utility>

#include "framework/exceptions.h"
#include "framework/properties.h"
#include "framework/sys_utils.h"
#include "toolbars/docks/dock_positions.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/item_kinds.h"

namespace toolbars {

namespace {

// The length of the chevron button along the bar.
constexpr int kChevronSize = 12;
const wchar_t* const kFloatRightX = L"FloatRightX";

TBarViewOrientation OrientationFor(const TBarDock* dock, bool floating) {
  if (floating) return TBarViewOrientation::tbvoFloating;
  return dock && dock->IsVertical() ? TBarViewOrientation::tbvoVertical : TBarViewOrientation::tbvoHorizontal;
}

}  // namespace

// ---- the view ----

TBarToolbarView::TBarToolbarView(TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem,
                                 TWinControl* window, bool isToolbar, bool customizing, bool usePriorityList)
    : TBarView(owner, parentView, parentItem, window, isToolbar, customizing, usePriorityList),
      toolbar_(ObjectAs<TBarCustomToolbar>(owner)) {
  // The base could not see the chevron yet.
  RecreateAllViewers();
}

TFont* TBarToolbarView::GetFont() {
  if (toolbar_ && !toolbar_->SystemFont()) return toolbar_->Font();
  return BarMenuFont();
}

TBarCustomItem* TBarToolbarView::GetChevronItem() const { return toolbar_ ? toolbar_->ChevronItem() : nullptr; }

TRaised TBarToolbarView::DoUpdatePositions(SIZE& size) {
  if (!toolbar_) return TBarView::DoUpdatePositions(size);
  // The view is the toolbar's: both live or die together.
  TBarCustomToolbar* toolbar = toolbar_;
  const TLifeWatch life = LifeWatch();
  ++toolbar->layoutNesting_;
  TRaised raised(true);
  try {
    raised = TBarView::DoUpdatePositions(size);
  } catch (...) {
    if (!life.Ended()) --toolbar->layoutNesting_;
    throw;
  }
  if (raised.Gone()) return raised;
  --toolbar->layoutNesting_;
  toolbar_->RaiseToWrapWidth(size, Orientation(), WrapOffset());
  return TRaised(true);
}

TRaised TBarToolbarView::SizeChanged(int width, int height) {
  if (!toolbar_) return TRaised(true);
  SIZE size{width, height};
  toolbar_->RaiseToWrapWidth(size, Orientation(), WrapOffset());
  toolbar_->baseSize_ = size;
  toolbar_->wrappedLines_ = LineCount();
  // A layout the view ran by itself (its items changed) gives the toolbar its new size; the toolbar's own layouts
  // are sized by the toolbar afterwards.
  if (toolbar_->sizingLayouts_ == 0 && !toolbar_->IsLoading() && toolbar_->Parent() &&
      (toolbar_->AutoResize() || toolbar_->Docked() || toolbar_->Floating())) {
    const TLifeWatch life = LifeWatch();
    return AnswerFor(life, toolbar_->ChangeSize(size.cx, size.cy));
  }
  return TRaised(true);
}

// ---- construction ----

TBarToolbarClasses TBarCustomToolbar::DefaultClasses() {
  return TBarToolbarClasses{TClassRef<TBarCustomItem, TComponent*>::Of<TBarRootItem>(),
                            TClassRef<TBarChevronItem, TComponent*>::Of<TBarChevronItem>(),
                            TBarViewClass::Of<TBarToolbarView>()};
}

TBarCustomToolbar::TBarCustomToolbar(TComponent* owner) : TBarCustomToolbar(owner, DefaultClasses()) {}

TBarCustomToolbar::TBarCustomToolbar(TComponent* owner, const TBarToolbarClasses& classes)
    : TBarCustomDockableWindow(owner) {
  SetControlStyle(ControlStyle() +
                  TControlStyle{TControlStyleItem::csAcceptsControls, TControlStyleItem::csActionClient} -
                  TControlStyle{TControlStyleItem::csCaptureMouse});
  SetFloatingWindowOptions({});
  items_ = classes.RootItem.Create(this).release();
  items_->SetParentComponentValue(this);
  chevronItem_ = classes.ChevronItem.Create(this).release();
  chevronItem_->SetLinkSubitems(items_);
  std::unique_ptr<TBarView> view = classes.View.Create(this, nullptr, items_, this, true, false, !IsDesigning());
  if (!view->Is<TBarToolbarView>()) throw EInvalidOperation(L"A toolbar's view must be a toolbar view");
  view_ = static_cast<TBarToolbarView*>(view.release());
  view_->SetBackgroundColor(clBtnFace);
  SetColor(clBtnFace);
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 23, 22);
}

TBarCustomToolbar::~TBarCustomToolbar() { DestroyViewAndItems(); }

void TBarCustomToolbar::BeforeDestruction() {
  DestroyViewAndItems();
  TBarCustomDockableWindow::BeforeDestruction();
}

void TBarCustomToolbar::DestroyViewAndItems() {
  SetComponentState(TComponentStateItem::csDestroying, true);
  delete std::exchange(view_, nullptr);
  delete std::exchange(chevronItem_, nullptr);
  delete std::exchange(items_, nullptr);
}

// ---- properties ----

void TBarCustomToolbar::BeginUpdate() { view_->BeginUpdate(); }
TRaised TBarCustomToolbar::EndUpdate() { return view_->EndUpdate(); }

String TBarCustomToolbar::ChevronHint() const { return chevronItem_->Hint(); }
void TBarCustomToolbar::SetChevronHint(const String& value) { chevronItem_->SetHint(value); }

TRaised TBarCustomToolbar::SetChevronMoveItems(bool value) {
  chevronMoveItems_ = value;
  return view_->SetChevronMoveItems(value && !IsDesigning() ? 1 : 0);
}

TCustomImageList* TBarCustomToolbar::Images() const { return items_->SubMenuImages(); }
void TBarCustomToolbar::SetImages(TCustomImageList* value) {
  if (items_->SubMenuImages() != value) items_->SetSubMenuImages(value);
}

TBarCustomItem* TBarCustomToolbar::LinkSubitems() const { return items_->LinkSubitems(); }
void TBarCustomToolbar::SetLinkSubitems(TBarCustomItem* value) { items_->SetLinkSubitems(value); }

TBarItemOptions TBarCustomToolbar::Options() const { return items_->Options(); }
void TBarCustomToolbar::SetOptions(TBarItemOptions value) { items_->SetOptions(value); }

TRaised TBarCustomToolbar::SetMenuBar(bool value) {
  if (menuBar_ == value) return TRaised(true);
  menuBar_ = value;
  const TControlStyle menuEvents{TControlStyleItem::csMenuEvents};
  SetControlStyle(value ? ControlStyle() + menuEvents : ControlStyle() - menuEvents);
  if (value)
    view_->IncludeState(vsUseHiddenAccels);
  else
    view_->ExcludeState(vsUseHiddenAccels);
  if (IsLoading()) return TRaised(true);
  if (SetFullSize(value).Gone() || SetShrinkMode(value ? TBarShrinkMode::tbsmWrap : TBarShrinkMode::tbsmChevron).Gone())
    return TRaised(false);
  SetCloseButton(!value);
  SetProcessShortCuts(value);
  return TRaised(true);
}

TRaised TBarCustomToolbar::SetShrinkMode(TBarShrinkMode value) {
  if (shrinkMode_ == value) return TRaised(true);
  shrinkMode_ = value;
  if (Docked()) {
    const TLifeWatch life = LifeWatch();
    if (AnswerFor(life, CurrentDock()->ArrangeToolbars()).Gone()) return TRaised(false);
    // The dock lays out again only a bar whose shrunk length changed; the limits changed in any case.
    return Arrange();
  }
  if (Floating()) return TRaised(true);
  return Arrange();
}

TRaised TBarCustomToolbar::SetSystemFont(bool value) {
  if (systemFont_ == value) return TRaised(true);
  systemFont_ = value;
  return Arrange();
}

TRaised TBarCustomToolbar::SetFloatingRightX(int value) {
  if (floatingRightX_ == value) return TRaised(true);
  floatingRightX_ = value;
  if (!Floating()) return TRaised(true);
  UpdateViewLimits();
  return Arrange();
}

// ---- layout ----

void TBarCustomToolbar::RaiseToWrapWidth(SIZE& size, TBarViewOrientation orientation, int wrapOffset) const {
  // A full-size bar reaches the end of its row, so right-aligned items sit at the row's end.
  if (!FullSize()) return;
  if (orientation == TBarViewOrientation::tbvoVertical)
    size.cy = std::max<LONG>(size.cy, wrapOffset);
  else
    size.cx = std::max<LONG>(size.cx, wrapOffset);
}

int TBarCustomToolbar::FloatingWrapOffset(int rightX) const {
  // The items wrap where the right margin starts, so the client area is rightX wide once they wrap.
  if (rightX <= 0) return 0;
  RECT margins{};
  view_->GetMargins(TBarViewOrientation::tbvoFloating, margins);
  return std::max(1, rightX - static_cast<int>(margins.right));
}

void TBarCustomToolbar::LimitsFor(TBarDock* dock, bool floating, int& chevronOffset, int& wrapOffset) const {
  chevronOffset = 0;
  wrapOffset = 0;
  if (floating) {
    wrapOffset = FloatingWrapOffset(floatingRightX_);
    return;
  }
  if (!dock) return;
  const bool vertical = dock->IsVertical();
  const int frame = DockedFrameLength(dock);
  if (shrinkMode_ == TBarShrinkMode::tbsmChevron && Docked() && dock == CurrentDock())
    chevronOffset = std::max(0, ShrunkSize() - frame);
  if (shrinkMode_ == TBarShrinkMode::tbsmWrap)
    wrapOffset = (vertical ? dock->ClientHeight() : dock->ClientWidth()) - frame;
}

void TBarCustomToolbar::UpdateViewLimits() {
  view_->SetOrientation(OrientationFor(CurrentDock(), Floating()));
  view_->SetChevronSize(kChevronSize);
  int chevronOffset = 0;
  int wrapOffset = 0;
  if (Docked() || Floating()) {
    LimitsFor(CurrentDock(), Floating(), chevronOffset, wrapOffset);
  } else {
    const bool anchoredAcross = Anchors().Contains(TAnchorKind::akLeft) && Anchors().Contains(TAnchorKind::akRight);
    if (!AutoResize() || anchoredAcross) {
      const int length = Width() - NonClientWidth();
      if (shrinkMode_ == TBarShrinkMode::tbsmChevron) chevronOffset = length;
      if (shrinkMode_ == TBarShrinkMode::tbsmWrap) wrapOffset = length;
    }
  }
  view_->SetChevronOffset(chevronOffset);
  view_->SetWrapOffset(wrapOffset);
}

TRaised TBarCustomToolbar::Arrange() {
  if (layoutNesting_ != 0) return TRaised(true);
  return TBarCustomDockableWindow::Arrange();
}

TRaised TBarCustomToolbar::LayoutForDock(bool canMoveControls, TBarDockType previousDockType, SIZE& size,
                                         TBarDock* dockingTo, bool floating) {
  (void)previousDockType;
  if (canMoveControls) {
    const TLifeWatch life = LifeWatch();
    ++sizingLayouts_;
    TRaised raised(true);
    try {
      UpdateViewLimits();
      raised = view_->UpdatePositions(&size);
    } catch (...) {
      if (!life.Ended()) --sizingLayouts_;
      throw;
    }
    if (raised.Gone() || life.Ended()) return TRaised(false);
    --sizingLayouts_;
    wrappedLines_ = view_->LineCount();
    return TRaised(true);
  }
  const TBarViewOrientation orientation = OrientationFor(dockingTo, floating);
  int chevronOffset = 0;
  int wrapOffset = 0;
  LimitsFor(dockingTo, floating, chevronOffset, wrapOffset);
  SIZE base{};
  TBarLayoutProbe probe;
  if (view_->CalculatePositions(false, orientation, wrapOffset, chevronOffset, kChevronSize, base, size, &probe).Gone())
    return TRaised(false);
  wrappedLines_ = probe.Lines;
  RaiseToWrapWidth(size, orientation, wrapOffset);
  return TRaised(true);
}

TRaised TBarCustomToolbar::BaseSize(SIZE& size) {
  if (view_->ValidatePositions().Gone()) return TRaised(false);
  if (view_->ChevronOffset() < 1) {
    size = baseSize_;
    return TRaised(true);
  }
  // Cut short by the chevron: the dock asks for the length the bar wants, which is its length without it.
  SIZE base{};
  if (view_->CalculatePositions(false, view_->Orientation(), view_->WrapOffset(), 0, kChevronSize, base, size).Gone())
    return TRaised(false);
  RaiseToWrapWidth(size, view_->Orientation(), view_->WrapOffset());
  return TRaised(true);
}

TRaised TBarCustomToolbar::GetMinShrinkSize(int& size) {
  const bool vertical = CurrentDock() && CurrentDock()->IsVertical();
  SIZE frame{};
  NonClientSize(frame);
  if (view_->ValidatePositions().Gone()) return TRaised(false);
  int length = 0;
  if (TBarItemViewer* first = view_->FirstSelectable()) {
    const RECT& bounds = first->BoundsRect();
    length = vertical ? bounds.bottom - bounds.top : bounds.right - bounds.left;
  }
  size = length + (vertical ? frame.cy : frame.cx) + kChevronSize;
  return TRaised(true);
}

// ---- hosted controls ----

namespace {

TBarControlItem* ControlItemOf(TBarCustomItem* items, const TControl* control) {
  for (int i = 0; i < items->Count(); ++i)
    if (auto* item = ObjectAs<TBarControlItem>(items->ItemAt(i)); item && item->Control() == control) return item;
  return nullptr;
}

}  // namespace

void TBarCustomToolbar::AddControlItem(TControl* control) {
  if (!items_ || ControlItemOf(items_, control)) return;
  TComponent* owner = Owner() ? Owner() : this;
  auto* item = new TBarControlItem(owner, control);
  if (IsDesigning()) {
    for (int number = 1;; ++number) {
      const String name = L"BarControlItem" + IntToStr(number);
      if (!owner->FindComponent(name)) {
        item->SetName(name);
        break;
      }
    }
  }
  items_->Add(item);
}

void TBarCustomToolbar::RemoveControlItems(TControl* control) {
  if (!items_) return;
  while (TBarControlItem* item = ControlItemOf(items_, control)) {
    item->SetDontFreeControl(true);
    delete item;
  }
}

TRaised TBarCustomToolbar::Loaded() {
  for (int i = 0; i < ControlCount(); ++i) AddControlItem(Controls(i));
  return TBarCustomDockableWindow::Loaded();
}

void TBarCustomToolbar::GetChildren(const TGetChildProc& proc, TComponent* root) {
  items_->GetChildren(proc, root);
  TBarCustomDockableWindow::GetChildren(proc, root);
}

void TBarCustomToolbar::SetChildOrder(TComponent* child, int order) {
  if (child->Is<TBarCustomItem>())
    items_->SetChildOrder(child, order);
  else
    TBarCustomDockableWindow::SetChildOrder(child, order);
}

void TBarCustomToolbar::GetTabOrderList(std::vector<TWinControl*>& list) const {
  const size_t first = list.size();
  TBarCustomDockableWindow::GetTabOrderList(list);
  // A bar being freed (its form looking for the next control meanwhile) has no view any more.
  if (!view_) return;
  std::vector<TWinControl*> hidden;
  view_->FindControlWindows(hidden);
  for (TWinControl* control : hidden)
    list.erase(std::remove_if(list.begin() + static_cast<ptrdiff_t>(first), list.end(),
                              [control](TWinControl* entry) { return control->ContainsControl(entry); }),
               list.end());
}

// ---- actions, painting, stored values ----

TRaised TBarCustomToolbar::InitiateAction() {
  if (TBarCustomDockableWindow::InitiateAction().Gone()) return TRaised(false);
  if (!updateActions_) return TRaised(true);
  return view_->InitiateActions();
}

TRaised TBarCustomToolbar::Paint() {
  TCanvas* canvas = Canvas();
  if (IsDesigning() && !Docked()) {
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->Pen()->SetStyle(TPenStyle::psDot);
    canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    canvas->Rectangle(ClientRect());
  }
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, view_->DrawSubitems(canvas));
}

TRaised TBarCustomToolbar::ReadPositionData(TDockPositionStore& store) {
  return SetFloatingRightX(StrToIntDef(store.Read(Name(), kFloatRightX, L"0"), 0));
}

void TBarCustomToolbar::WritePositionData(TDockPositionStore& store) {
  store.Write(Name(), kFloatRightX, IntToStr(floatingRightX_));
}

const TPublishedTable& TBarCustomToolbar::PublishedTable() const {
  using P = TPublished<TBarCustomToolbar>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Text(L"ChevronHint", &TBarCustomToolbar::ChevronHint, &TBarCustomToolbar::SetChevronHint)
              .Stored([](TBarCustomToolbar* toolbar) { return toolbar->ChevronHint() != kChevronHint; }),
          P::Boolean(L"ChevronMoveItems", &TBarCustomToolbar::ChevronMoveItems, &TBarCustomToolbar::SetChevronMoveItems)
              .Default(true),
          P::Component(L"Images", &TBarCustomToolbar::Images, &TBarCustomToolbar::SetImages),
          P::Component(L"LinkSubitems", &TBarCustomToolbar::LinkSubitems, &TBarCustomToolbar::SetLinkSubitems),
          P::Boolean(L"MenuBar", &TBarCustomToolbar::MenuBar, &TBarCustomToolbar::SetMenuBar).Default(false),
          P::Set(L"Options", &TBarCustomToolbar::Options, &TBarCustomToolbar::SetOptions,
                 {L"tboDefault", L"tboDropdownArrow", L"tboImageAboveCaption", L"tboLongHintInMenuOnly",
                  L"tboNoRotation", L"tboSameWidth", L"tboShowHint", L"tboToolbarStyle", L"tboToolbarSize"}),
          P::Boolean(L"ProcessShortCuts", &TBarCustomToolbar::ProcessShortCuts, &TBarCustomToolbar::SetProcessShortCuts)
              .Default(false),
          P::Enumeration(L"ShrinkMode", &TBarCustomToolbar::ShrinkMode, &TBarCustomToolbar::SetShrinkMode,
                         {L"tbsmNone", L"tbsmWrap", L"tbsmChevron"})
              .Default(TBarShrinkMode::tbsmChevron),
          P::Boolean(L"SystemFont", &TBarCustomToolbar::SystemFont, &TBarCustomToolbar::SetSystemFont).Default(true),
          P::Boolean(L"UpdateActions", &TBarCustomToolbar::UpdateActions, &TBarCustomToolbar::SetUpdateActions)
              .Default(true),
          P::Event(L"OnShortCut", &TBarCustomToolbar::OnShortCut),
      });
  return table;
}

}  // namespace toolbars

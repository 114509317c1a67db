#include "tree/tree_options.h"

#include "framework/properties.h"
#include "tree/base_tree.h"

namespace tree {

namespace {

bool Applies(TBaseTree* tree) { return tree && !tree->IsLoading() && tree->HandleAllocated(); }

bool Switched(unsigned long long oldBits, unsigned long long newBits, int element) {
  return ((oldBits ^ newBits) >> element) & 1;
}

}  // namespace

TCustomTreeOptions::TCustomTreeOptions(TBaseTree* owner) : owner_(owner) {}

TPersistent* TCustomTreeOptions::GetOwner() const { return owner_; }

void TCustomTreeOptions::SetPaintOptions(TTreePaintOptions value) {
  if (value == paintOptions_) return;
  bool themeSwitched =
      Switched(paintOptions_.ToBits(), value.ToBits(), static_cast<int>(TTreePaintOption::toThemeAware));
  paintOptions_ = value;
  if (!Applies(owner_)) return;
  if (themeSwitched)
    owner_->Perform(WM_THEMECHANGED);
  else
    owner_->Invalidate();
}

void TCustomTreeOptions::SetAnimationOptions(TTreeAnimationOptions value) { animationOptions_ = value; }

void TCustomTreeOptions::SetAutoOptions(TTreeAutoOptions value) {
  if (value == autoOptions_) return;
  bool spanSwitched =
      Switched(autoOptions_.ToBits(), value.ToBits(), static_cast<int>(TTreeAutoOption::toAutoSpanColumns));
  autoOptions_ = value;
  if (spanSwitched && Applies(owner_)) owner_->Invalidate();
}

TRaised TCustomTreeOptions::SetSelectionOptions(TTreeSelectionOptions value) {
  if (value == selectionOptions_) return TRaised(true);
  TTreeSelectionOptions old = selectionOptions_;
  selectionOptions_ = value;
  // Nothing is raised while the tree is read.
  if (!owner_ || owner_->IsLoading()) return TRaised(true);
  using O = TTreeSelectionOption;
  bool switchedOn = (value.Contains(O::toLevelSelectConstraint) && !old.Contains(O::toLevelSelectConstraint)) ||
                    (value.Contains(O::toSiblingSelectConstraint) && !old.Contains(O::toSiblingSelectConstraint));
  if (old.Contains(O::toMultiSelect) != value.Contains(O::toMultiSelect) || switchedOn) return owner_->ClearSelection();
  return TRaised(true);
}

void TCustomTreeOptions::SetMiscOptions(TTreeMiscOptions value) {
  if (value == miscOptions_) return;
  unsigned long long oldBits = miscOptions_.ToBits();
  miscOptions_ = value;
  if (!Applies(owner_)) return;
  using O = TTreeMiscOption;
  if (Switched(oldBits, value.ToBits(), static_cast<int>(O::toCheckSupport))) owner_->Invalidate();
  if (owner_->IsDesigning()) return;
  if (Switched(oldBits, value.ToBits(), static_cast<int>(O::toFullRepaintOnResize))) owner_->RecreateWnd();
  // The setter's last act: making the drag manager raises OnCreateDragManager, which may free the tree.
  if (Switched(oldBits, value.ToBits(), static_cast<int>(O::toAcceptOLEDrop)))
    (void)owner_->SetDropTargetRegistered(value.Contains(O::toAcceptOLEDrop));
}

void TCustomTreeOptions::AssignTo(TPersistent* dest) const {
  if (auto* options = ObjectAs<TCustomTreeOptions>(dest)) {
    options->SetPaintOptions(paintOptions_);
    options->SetAnimationOptions(animationOptions_);
    options->SetAutoOptions(autoOptions_);
    options->SetMiscOptions(miscOptions_);
    // The copy's last act: emptying the selection raises the tree's OnChange.
    (void)options->SetSelectionOptions(selectionOptions_);
    return;
  }
  inherited::AssignTo(dest);
}

const TPublishedTable& TCustomTreeOptions::PublishedTable() const {
  using P = TPublished<TCustomTreeOptions>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Set(L"AnimationOptions", &TCustomTreeOptions::AnimationOptions, &TCustomTreeOptions::SetAnimationOptions,
                 {L"toAnimatedToggle"})
              .Default(TTreeAnimationOptions()),
          P::Set(L"AutoOptions", &TCustomTreeOptions::AutoOptions, &TCustomTreeOptions::SetAutoOptions,
                 {L"toAutoDropExpand", L"toAutoExpand", L"toAutoScroll", L"toAutoScrollOnExpand", L"toAutoSort",
                  L"toAutoSpanColumns", L"toAutoTristateTracking", L"toAutoHideButtons", L"toAutoDeleteMovedNodes"})
              .Default(TTreeAutoOptions::FromBits(DefaultAutoOptionBits)),
          P::Set(L"MiscOptions", &TCustomTreeOptions::MiscOptions, &TCustomTreeOptions::SetMiscOptions,
                 {L"toAcceptOLEDrop", L"toCheckSupport", L"toEditable", L"toFullRepaintOnResize", L"toGridExtensions",
                  L"toInitOnSave", L"toReportMode", L"toToggleOnDblClick", L"toWheelPanning"})
              .Default(TTreeMiscOptions::FromBits(DefaultMiscOptionBits)),
          P::Set(L"PaintOptions", &TCustomTreeOptions::PaintOptions, &TCustomTreeOptions::SetPaintOptions,
                 {L"toHideFocusRect", L"toHideSelection", L"toHotTrack", L"toPopupMode", L"toShowBackground",
                  L"toShowButtons", L"toShowDropmark", L"toShowHorzGridLines", L"toShowRoot", L"toShowTreeLines",
                  L"toShowVertGridLines", L"toThemeAware", L"toUseBlendedImages"})
              .Default(TTreePaintOptions::FromBits(DefaultPaintOptionBits)),
          P::Set(L"SelectionOptions", &TCustomTreeOptions::SelectionOptions, &TCustomTreeOptions::SetSelectionOptions,
                 {L"toDisableDrawSelection", L"toExtendedFocus", L"toFullRowSelect", L"toLevelSelectConstraint",
                  L"toMiddleClickSelect", L"toMultiSelect", L"toRightClickSelect", L"toSiblingSelectConstraint",
                  L"toCenterScrollIntoView"})
              .Default(TTreeSelectionOptions()),
      });
  return table;
}

}  // namespace tree

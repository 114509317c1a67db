// A tree's five option sets, held by one options object the tree owns; changing a set applies its effect to the
// tree (repaint, theme change, window re-creation, drop target, selection reset).
#pragma once

#include "framework/component.h"
#include "framework/set.h"

namespace tree {

class TBaseTree;

enum class TTreePaintOption {
  toHideFocusRect,
  toHideSelection,
  toHotTrack,
  toPopupMode,
  toShowBackground,
  toShowButtons,
  toShowDropmark,
  toShowHorzGridLines,
  toShowRoot,
  toShowTreeLines,
  toShowVertGridLines,
  toThemeAware,
  toUseBlendedImages
};
using TTreePaintOptions = TSet<TTreePaintOption, 16>;

enum class TTreeAnimationOption { toAnimatedToggle };
using TTreeAnimationOptions = TSet<TTreeAnimationOption, 8>;

enum class TTreeAutoOption {
  toAutoDropExpand,
  toAutoExpand,
  toAutoScroll,
  toAutoScrollOnExpand,
  toAutoSort,
  toAutoSpanColumns,
  toAutoTristateTracking,
  toAutoHideButtons,
  toAutoDeleteMovedNodes
};
using TTreeAutoOptions = TSet<TTreeAutoOption, 16>;

enum class TTreeSelectionOption {
  toDisableDrawSelection,
  toExtendedFocus,
  toFullRowSelect,
  toLevelSelectConstraint,
  toMiddleClickSelect,
  toMultiSelect,
  toRightClickSelect,
  toSiblingSelectConstraint,
  toCenterScrollIntoView
};
using TTreeSelectionOptions = TSet<TTreeSelectionOption, 16>;

enum class TTreeMiscOption {
  toAcceptOLEDrop,
  toCheckSupport,
  toEditable,
  toFullRepaintOnResize,
  toGridExtensions,
  toInitOnSave,
  toReportMode,
  toToggleOnDblClick,
  toWheelPanning
};
using TTreeMiscOptions = TSet<TTreeMiscOption, 16>;

// The one option set of forms stored by older versions (their "Options" value); each old option lives on as the
// option of the same name with "to" for "vo", in one of the five groups above.
enum class TOldVTOption {
  voAcceptOLEDrop,
  voAnimatedToggle,
  voAutoDropExpand,
  voAutoExpand,
  voAutoScroll,
  voAutoSort,
  voAutoSpanColumns,
  voAutoTristateTracking,
  voCheckSupport,
  voDisableDrawSelection,
  voEditable,
  voExtendedFocus,
  voFullRowSelect,
  voGridExtensions,
  voHideFocusRect,
  voHideSelection,
  voHotTrack,
  voInitOnSave,
  voLevelSelectConstraint,
  voMiddleClickSelect,
  voMultiSelect,
  voRightClickSelect,
  voPopupMode,
  voShowBackground,
  voShowButtons,
  voShowDropmark,
  voShowHorzGridLines,
  voShowRoot,
  voShowTreeLines,
  voShowVertGridLines,
  voSiblingSelectConstraint,
  voToggleOnDblClick,
};
using TOldVTOptions = TSet<TOldVTOption, 32>;

constexpr unsigned long long DefaultPaintOptionBits = 0x1B60;
constexpr unsigned long long DefaultAutoOptionBits = 0x149;
constexpr unsigned long long DefaultMiscOptionBits = 0x1A9;

class TCustomTreeOptions : public TPersistent {
  BC_CLASS(TCustomTreeOptions, TPersistent)
  explicit TCustomTreeOptions(TBaseTree* owner = nullptr);

  TTreePaintOptions PaintOptions() const { return paintOptions_; }
  void SetPaintOptions(TTreePaintOptions value);
  TTreeAnimationOptions AnimationOptions() const { return animationOptions_; }
  void SetAnimationOptions(TTreeAnimationOptions value);
  TTreeAutoOptions AutoOptions() const { return autoOptions_; }
  void SetAutoOptions(TTreeAutoOptions value);
  TTreeSelectionOptions SelectionOptions() const { return selectionOptions_; }
  // Answers whether the tree outlived OnChange of a selection the change empties.
  TRaised SetSelectionOptions(TTreeSelectionOptions value);
  TTreeMiscOptions MiscOptions() const { return miscOptions_; }
  void SetMiscOptions(TTreeMiscOptions value);

  TBaseTree* Owner() const { return owner_; }
  TPersistent* GetOwner() const override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  // To another options object the sets go through its setters, so their effects reach the other tree.
  void AssignTo(TPersistent* dest) const override;

 private:
  TBaseTree* owner_;
  TTreePaintOptions paintOptions_ = TTreePaintOptions::FromBits(DefaultPaintOptionBits);
  TTreeAnimationOptions animationOptions_;
  TTreeAutoOptions autoOptions_ = TTreeAutoOptions::FromBits(DefaultAutoOptionBits);
  TTreeSelectionOptions selectionOptions_;
  TTreeMiscOptions miscOptions_ = TTreeMiscOptions::FromBits(DefaultMiscOptionBits);
};

}  // namespace tree

// TStyledToolbar, the toolbar painted by the current theme: its view's margins, its docked frame, its background
// (lined up with the dock's), its floating frame and chevron come from the theme, it answers the view-type and
// colour queries, and it lays itself out and repaints when the theme changes.
#pragma once

#include <cstdint>

#include "toolbars/bars/toolbar.h"

namespace toolbars {

enum class TStyledItemTransparency : uint8_t { itAuto, itEnable, itDisable };

class TStyledToolbarView : public TBarToolbarView {
  BC_CLASS(TStyledToolbarView, TBarToolbarView)
  using TBarToolbarView::TBarToolbarView;

  // The theme's margins of the toolbar's view type in that orientation.
  void GetMargins(TBarViewOrientation orientation, RECT& margins) override;
};

class TStyledToolbar : public TBarCustomToolbar {
  BC_CLASS(TStyledToolbar, TBarCustomToolbar)
  // Listens to the nexus; its colour becomes clNone, so the theme's colour shows.
  explicit TStyledToolbar(TComponent* owner);
  ~TStyledToolbar() override;
  const TPublishedTable& PublishedTable() const override;

  // Color, else (off any dock, with a parent) the parent's, else the theme's colour of the view type.
  TColor EffectiveColor() const;
  TStyledItemTransparency ItemTransparency() const { return itemTransparency_; }
  void SetItemTransparency(TStyledItemTransparency value);
  // How close to the work area's edges the floating frame snaps onto them; negative values are stored as 0.
  int SnapDistance() const { return snapDistance_; }
  void SetSnapDistance(int value);
  // The answer to the view-type query.
  int ViewType() const;

  SIZE FloatingBorderSize() const override;
  const TClass* GetFloatingWindowParentClass() const override;
  void PaintNonClient(bool drawToDC, HDC dc, HRGN clip) override;
  TRaised SetParent(TWinControl* value) override;
  void Dispatch(TMessage& message) override;

 private:
  void ColorChanged(TMessage& message);
  void NexusNotify(TMessage& message);
  void EraseBackground(TMessage& message);
  void InvalidateOverDockBackground();

  TStyledItemTransparency itemTransparency_ = TStyledItemTransparency::itAuto;
  int snapDistance_ = 0;
  // Between the nexus's before-change and after-change codes the view does not lay out.
  bool viewUpdating_ = false;
};

}  // namespace toolbars

// TStyledToolWindow, the tool window painted by the current theme: its docked frame, its background (also for
// controls that let their parent erase for them) and its floating frame come from the theme, it answers the
// view-type and colour queries, and it repaints when the theme changes.
#pragma once

#include "toolbars/bars/tool_window.h"

namespace toolbars {

class TStyledToolWindow : public TBarToolWindow {
  BC_CLASS(TStyledToolWindow, TBarToolWindow)
  // Listens to the nexus; its colour becomes clNone, so the theme's colour shows.
  explicit TStyledToolWindow(TComponent* owner);
  ~TStyledToolWindow() override;
  const TPublishedTable& PublishedTable() const override;

  // Color, else the theme's colour of the view type.
  TColor EffectiveColor() const;
  int SnapDistance() const { return snapDistance_; }
  // Negative values are stored as 0.
  void SetSnapDistance(int value);
  // The answer to the view-type query.
  int ViewType() const;

  SIZE FloatingBorderSize() const override;
  const TClass* GetFloatingWindowParentClass() const override;
  void PaintNonClient(bool drawToDC, HDC dc, HRGN clip) override;
  TRaised SetParent(TWinControl* value) override;
  void Dispatch(TMessage& message) override;

 private:

  int snapDistance_ = 0;
};

}  // namespace toolbars

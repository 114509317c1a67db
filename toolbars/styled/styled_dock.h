// TStyledDock, the dock whose background the current theme paints (or its parent's background, shown through), and
// PaintParentBackground, which paints what lies behind a control on its parent.
#pragma once

#include <windows.h>

#include "toolbars/docks/dock.h"

namespace toolbars {

class TStyledDock : public TBarDock {
  BC_CLASS(TStyledDock, TBarDock)
  // Listens to the nexus; its colour is clNone, so the theme's or the parent's shows.
  explicit TStyledDock(TComponent* owner);
  ~TStyledDock() override;
  const TPublishedTable& PublishedTable() const override;

  // The dock shows its parent's background.
  bool UseParentBackground() const { return useParentBackground_; }
  void SetUseParentBackground(bool value);
  // The theme paints the background: no picture, no colour of its own, and a theme that paints docks.
  bool ThemedBackground() const;
  // Color, else the parent's effective colour.
  TColor EffectiveColor() const;

  void DrawBackground(HDC dc, const RECT& drawRect) override;
  bool UsingBackground() override;
  void Dispatch(TMessage& message) override;

 private:
  void RedrawChildren(UINT flags);
  void NexusNotify(TMessage& message);

  bool useParentBackground_ = false;
  // Arrangement held back from a theme's before-change to its after-change.
  bool themeArrangeHeld_ = false;
};

// Paints in dc the part rect of what control's parent shows behind control: the dock's background, a tab sheet's
// styled body, or the parent's effective colour (clBtnFace without a parent).
void PaintParentBackground(const TControl* control, HDC dc, const RECT& rect);

}  // namespace toolbars

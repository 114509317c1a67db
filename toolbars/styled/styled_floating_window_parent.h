// The themed floating frame: the current theme paints its border, caption and close button (which lights up under
// the mouse), and the frame snaps onto the edges of its monitor's work area when moved close to them.
#pragma once

#include "toolbars/docks/floating_window_parent.h"

namespace toolbars {

class TStyledFloatingWindowParent : public TBarFloatingWindowParent {
  BC_CLASS(TStyledFloatingWindowParent, TBarFloatingWindowParent)
  using TBarFloatingWindowParent::TBarFloatingWindowParent;

  // 0 does not snap; negative values are stored as 0.
  int SnapDistance() const { return snapDistance_; }
  void SetSnapDistance(int value) { snapDistance_ = value < 0 ? 0 : value; }
  bool CloseButtonHover() const { return closeButtonHover_; }

  void Dispatch(TMessage& message) override;

 protected:
  void DrawNCArea(bool drawToDC, HDC dc, HRGN clip, int what) override;

 private:
  void SetCloseButtonHover(bool value);
  void WMNCMouseMove(TMessage& message);
  void WMWindowPosChanging(TMessage& message);

  int snapDistance_ = 0;
  bool closeButtonHover_ = false;
};

}  // namespace toolbars

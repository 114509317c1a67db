// TFlatPanel: a panel with a one-pixel two-colour frame, an optionally transparent background (the parent shows
// through) and a single-line caption. The browser's status bar is built of them.
#pragma once

#include "controls/flat_utils.h"
#include "framework/alignment.h"
#include "framework/win_control.h"

namespace controls {

class TFlatPanel : public TCustomControl {
  BC_CLASS(TFlatPanel, TCustomControl)
  explicit TFlatPanel(TComponent* owner);
  const TPublishedTable& PublishedTable() const override;

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value) { SetAndInvalidate(transparent_, value); }
  // The top and left edges of the frame.
  TColor ColorHighLight() const { return colorHighLight_; }
  void SetColorHighLight(TColor value) { SetAndInvalidate(colorHighLight_, value); }
  // The bottom and right edges.
  TColor ColorShadow() const { return colorShadow_; }
  void SetColorShadow(TColor value) { SetAndInvalidate(colorShadow_, value); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { SetAndInvalidate(alignment_, value); }

  void Dispatch(TMessage& message) override;

 protected:
  TRaised Paint() override;

 private:
  template <class T>
  void SetAndInvalidate(T& field, T value) {
    if (StoreChanged(field, value)) Invalidate();
  }
  // Composes the whole panel in a bitmap and copies it into dc.
  void PaintInto(HDC dc);
  void WMEraseBkgnd(TMessage& message);

  bool transparent_ = false;
  TColor colorHighLight_ = 0x8396A0;
  TColor colorShadow_ = 0x8396A0;
  TAlignment alignment_ = TAlignment::taCenter;
};

}  // namespace controls

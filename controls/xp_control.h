// The common part of the XP-look controls: a self-painted control that takes the tab stop, knows whether it has
// the focus, paints again when the focus, font or caption changes, never erases its background (it paints every
// pixel, so it does not flicker), and answers its caption's accelerator while enabled.
#pragma once

#include "framework/win_control.h"

namespace controls {

class TXP_Control : public TCustomControl {
  BC_CLASS(TXP_Control, TCustomControl)
  // Caption, font, enabled, hint, tab and visibility properties and OnClick, which all three publish.
  const TPublishedTable& PublishedTable() const override;

  bool Focused() const override { return focused_; }
  void Dispatch(TMessage& message) override;

 protected:
  // The colour every XP-look caption takes while its control is disabled.
  static constexpr TColor kDisabledText = clGray;

  explicit TXP_Control(TComponent* owner);
  // The caption's accelerator was typed while the control is enabled; the control has just taken the focus.
  [[nodiscard]] virtual TRaised AcceleratorPressed() = 0;

 private:
  void CMDialogChar(TMessage& message);

  bool focused_ = false;
};

}  // namespace controls

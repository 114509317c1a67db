// The common part of the XP-look check box and radio button: a box from the skin beside a left-aligned caption,
// checked and unchecked, hot under the mouse, with a focus rectangle around the caption. The mouse, Enter, Space
// and the caption's accelerator choose the control (Choose) and raise OnClick; setting Checked raises nothing.
#pragma once

#include "controls/xp_unit.h"
#include "framework/win_control.h"

namespace controls {

class TXP_CheckControl : public TCustomControl {
  BC_CLASS(TXP_CheckControl, TCustomControl)
  // The look and events both publish; each adds Checked and what else it has.
  const TPublishedTable& PublishedTable() const override;

  bool Checked() const { return checked_; }
  virtual void SetChecked(bool value) = 0;
  bool Focused() const override { return focused_; }

  // The skin frame the control shows now (1 unchecked, 2 checked, 3 and 4 disabled, 5 and 6 hot).
  int DrawnFrame() const { return drawnFrame_; }

  void Dispatch(TMessage& message) override;

 protected:
  TXP_CheckControl(TComponent* owner, TXPSkin skin);
  void Paint() override;
  // What a click, Enter, Space or the accelerator does to Checked.
  virtual void Choose() = 0;
  // Stores the value and repaints when it differs; false when it did not.
  bool StoreChecked(bool value);

 private:
  void ChooseAndClick();
  void CMDialogChar(TMessage& message);

  TXPSkin skin_;
  bool checked_ = false;
  bool focused_ = false;
  bool hot_ = false;
  int drawnFrame_ = 1;
};

}  // namespace controls

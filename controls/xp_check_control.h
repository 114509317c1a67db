// The common part of the XP-look check box and radio button: a box from the skin beside a left-aligned caption,
// checked and unchecked, hot under the mouse, with a focus rectangle around the caption. The mouse, Enter, Space
// and the caption's accelerator choose the control (Choose) and raise OnClick; setting Checked raises nothing.
#pragma once

#include "controls/xp_control.h"
#include "controls/xp_unit.h"

namespace controls {

class TXP_CheckControl : public TXP_Control {
  BC_CLASS(TXP_CheckControl, TXP_Control)
  // Color beside what every XP-look control publishes; each adds Checked and what else it has.
  const TPublishedTable& PublishedTable() const override;

  bool Checked() const { return checked_; }
  virtual void SetChecked(bool value) = 0;

  void Dispatch(TMessage& message) override;

 protected:
  TXP_CheckControl(TComponent* owner, TXPSkin skin);
  TRaised Paint() override;
  // What a click, Enter, Space or the accelerator does to Checked.
  virtual void Choose() = 0;
  // Stores the value and repaints when it differs; false when it did not.
  bool StoreChecked(bool value);

 private:
  [[nodiscard]] TRaised ChooseAndClick();
  TRaised AcceleratorPressed() override { return ChooseAndClick(); }

  TXPSkin skin_;
  bool checked_ = false;
  bool hot_ = false;
};

}  // namespace controls

// TXP_CheckBox: the XP-look check box; a click, Enter, Space or its accelerator toggles it.
#pragma once

#include "controls/xp_check_control.h"

namespace controls {

class TXP_CheckBox : public TXP_CheckControl {
  BC_CLASS(TXP_CheckBox, TXP_CheckControl)
  explicit TXP_CheckBox(TComponent* owner) : TXP_CheckControl(owner, TXPSkin::CheckBox) {}
  const TPublishedTable& PublishedTable() const override;

  // Stores and repaints; raises no event.
  void SetChecked(bool value) override { StoreChecked(value); }

 protected:
  void Choose() override { SetChecked(!Checked()); }
};

}  // namespace controls

// TXP_RadioBox: the XP-look radio button. Checking one unchecks the others of its group: the radio buttons on the
// same parent with the same GroupIndex.
#pragma once

#include "controls/xp_check_control.h"

namespace controls {

class TXP_RadioBox : public TXP_CheckControl {
  BC_CLASS(TXP_RadioBox, TXP_CheckControl)
  explicit TXP_RadioBox(TComponent* owner) : TXP_CheckControl(owner, TXPSkin::RadioBox) {}
  const TPublishedTable& PublishedTable() const override;

  // Stores and repaints; checking unchecks the rest of the group. Raises no event.
  void SetChecked(bool value) override;
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value) { groupIndex_ = value; }

 protected:
  void Choose() override { SetChecked(true); }

 private:
  int groupIndex_ = 0;
};

}  // namespace controls

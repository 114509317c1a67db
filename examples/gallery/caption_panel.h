// A block in its colour with its caption centred, which may hold other controls: the gallery's plain panels.
#pragma once

#include "framework/win_control.h"

class TCaptionPanel : public TCustomControl {
  BC_CLASS(TCaptionPanel, TCustomControl)
  explicit TCaptionPanel(TComponent* owner);

 protected:
  TRaised Paint() override;
};

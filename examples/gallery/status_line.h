// A strip of one line of text that tells what happened last, in red after a failure.
#pragma once

#include "framework/win_control.h"

class TStatusLine : public TCustomControl {
  BC_CLASS(TStatusLine, TCustomControl)
  explicit TStatusLine(TComponent* owner) : TCustomControl(owner) {}

  void ShowText(const String& text, bool failed = false);
  bool Failed() const { return failed_; }

 protected:
  void Paint() override;

 private:
  bool failed_ = false;
};

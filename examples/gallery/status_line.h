// A strip of text that tells what happened last, in red after a failure: on one line that ends in an ellipsis when
// the text is longer, or wrapped at words onto as many lines as it takes when its owner gives it room for them all.
#pragma once

#include "framework/win_control.h"

class TStatusLine : public TCustomControl {
  BC_CLASS(TStatusLine, TCustomControl)
  explicit TStatusLine(TComponent* owner) : TCustomControl(owner) {}

  TRaised ShowText(const String& text, bool failed = false);
  bool Failed() const { return failed_; }

  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  // The height the text takes wrapped at words in a line of that width.
  int WrappedHeight(int width);

  // After each text shown: an owner that gives the line its size looks again.
  TNotifyEvent OnChange;

 protected:
  TRaised Paint() override;

 private:
  // The text's room in a client rectangle.
  static RECT TextRect(RECT client);

  bool failed_ = false;
  bool wordWrap_ = false;
};

// A strip across the top of a page: a row of buttons that run the page's commands and, beside them or below when the
// page is narrow, the status line that tells what the last one did, wrapped at words so that it shows whole. The
// strip is as high as its content needs, up to its height constraint.
#pragma once

#include <functional>
#include <vector>

#include "framework/win_control.h"

class TSpeedButton;
class TStatusLine;

struct TStripButton {
  const wchar_t* Caption;
  std::function<void()> Click;
  // What the button says when the row is too narrow for the whole caption; none: the caption.
  const wchar_t* ShortCaption = nullptr;
};

class TCommandStrip : public TCustomControl {
  BC_CLASS(TCommandStrip, TCustomControl)
  TCommandStrip(TComponent* owner, const std::vector<TStripButton>& buttons, int buttonWidth);

  TStatusLine* Status() const { return status_; }

 protected:
  void Resize() override;

 private:
  // Places the buttons and the status line in the strip's width and takes the height they need.
  void LayOut();

  struct TPlacedButton {
    TSpeedButton* Button;
    String Caption;
    String ShortCaption;
  };
  std::vector<TPlacedButton> buttons_;
  int buttonWidth_;
  TStatusLine* status_ = nullptr;
  bool layingOut_ = false;
};

// Builds the strip on page, aligned to its top; answers its status line.
TStatusLine* AddCommandStrip(TWinControl* page, const std::vector<TStripButton>& buttons, int buttonWidth);

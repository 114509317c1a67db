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
  // Places the buttons and the status line in the strip's width and takes the height they need, up to the strip's
  // height constraint: the strip's owner calls it after a change of that.
  TRaised LayOut();

  // The strip's height with its row of buttons alone.
  static constexpr int RowHeight = 34;

 protected:
  TRaised Resize() override;

 private:
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

// Builds the strip on page, aligned to its top.
TCommandStrip* AddCommandStrip(TWinControl* page, const std::vector<TStripButton>& buttons, int buttonWidth);

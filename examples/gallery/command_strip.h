// A strip across the top of a page: a row of buttons that run the page's commands and, beside them, the status
// line that tells what the last one did.
#pragma once

#include <functional>
#include <vector>

class TStatusLine;
class TWinControl;

struct TStripButton {
  const wchar_t* Caption;
  std::function<void()> Click;
};

// Builds the strip on page; answers its status line.
TStatusLine* AddCommandStrip(TWinControl* page, const std::vector<TStripButton>& buttons, int buttonWidth);

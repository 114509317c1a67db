// A canvas lent to a device context for the time of one painter's call: the themes paint on canvases, the windows'
// non-client and background handlers are given DCs.
#pragma once

#include <windows.h>

#include "framework/graphics.h"

namespace toolbars {

class TDCCanvas {
 public:
  explicit TDCCanvas(HDC dc) { canvas_.SetHandle(dc); }
  ~TDCCanvas() { canvas_.SetHandle(nullptr); }
  TDCCanvas(const TDCCanvas&) = delete;
  TDCCanvas& operator=(const TDCCanvas&) = delete;
  TCanvas* Get() { return &canvas_; }

 private:
  TCanvas canvas_;
};

}  // namespace toolbars

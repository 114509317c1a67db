// A memory bitmap that stands in for the screen while a test runs, so the pixels drag images and hints read and
// draw are known. Each column has its own colour, so a pixel restored to the wrong place shows.
#pragma once

#include <windows.h>

#include "support/window_capture.h"

namespace tree_test {

class TFakeScreen {
 public:
  TFakeScreen();
  ~TFakeScreen();
  TFakeScreen(const TFakeScreen&) = delete;
  TFakeScreen& operator=(const TFakeScreen&) = delete;

  // The colour the screen was made with at (x, y).
  static COLORREF Original(int x, int y);
  COLORREF Pixel(int x, int y) const { return capture_.Pixel(x, y); }
  // Pixels in r that differ from the original.
  int ChangedPixels(const RECT& r) const;

 private:
  TWindowCapture capture_;
};

// The blend of two colours, per channel background + (foreground - background) * alpha / 256.
COLORREF Blend(COLORREF background, COLORREF foreground, int alpha);
// Channels differ by at most tolerance.
bool Near(COLORREF a, COLORREF b, int tolerance = 2);

}  // namespace tree_test

// The screen as the tree's own translucent windows see it: drag images and hints keep what lies under them. A
// test replaces the source with a memory DC to know and check the pixels.
#pragma once

#include <windows.h>

namespace tree {

// Seam: where screen pixels are read from and drawn to; the default is the screen's own DC (GetDC(nullptr)).
using TScreenSource = HDC (*)();
using TScreenRelease = void (*)(HDC);
// Null for either restores the default.
void SetScreenSource(TScreenSource acquire, TScreenRelease release);

// The screen's DC for one drawing step.
class TScreenDC {
 public:
  TScreenDC();
  ~TScreenDC();
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace tree

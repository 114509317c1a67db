// A window's DC for one drawing, given back when it goes: also when a handler raises while drawing with it.
#pragma once

#include <windows.h>

class TWindowDC {
 public:
  // Takes dc, got from window by GetDC or GetDCEx; a null dc is nothing to give back.
  TWindowDC(HWND window, HDC dc) : window_(window), dc_(dc) {}
  ~TWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

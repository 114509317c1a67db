// Window and clip regions: an owning holder and the shapes the component sets make.
#pragma once

#include <windows.h>

#include <utility>

// Owns one region and deletes it; Release hands it over (to SetWindowRgn, which then owns it).
class TRegion {
 public:
  explicit TRegion(HRGN region = nullptr) : region_(region) {}
  ~TRegion() { Reset(); }
  TRegion(TRegion&& other) noexcept : region_(other.Release()) {}
  TRegion& operator=(TRegion&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TRegion(const TRegion&) = delete;
  TRegion& operator=(const TRegion&) = delete;

  HRGN Handle() const { return region_; }
  explicit operator bool() const { return region_ != nullptr; }
  HRGN Release() { return std::exchange(region_, nullptr); }
  void Reset(HRGN region = nullptr);

 private:
  HRGN region_;
};

// A region that holds nothing, made from an empty rectangle.
TRegion CreateNullRegion();
// The pixels of a bitmap that are not the transparent colour, scanned row by row into runs.
TRegion CreateRegionFromBitmap(HBITMAP bitmap, COLORREF transparent);
// Gives the window that shape (null for none) and redraws it; the window owns the region afterwards.
bool SetWindowShape(HWND window, TRegion region, bool redraw = true);

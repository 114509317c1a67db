// A canvas over a capture bitmap, so a painter's output can be read back as pixels, and a small image list of
// known colours for the image painters.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "support/window_capture.h"

class TPaintSurface {
 public:
  TPaintSurface(int width, int height, COLORREF background = RGB(200, 200, 200)) : capture_(width, height) {
    capture_.Fill(background);
    canvas_.SetHandle(capture_.DC());
  }
  ~TPaintSurface() { canvas_.SetHandle(nullptr); }
  TPaintSurface(const TPaintSurface&) = delete;
  TPaintSurface& operator=(const TPaintSurface&) = delete;

  TCanvas* Canvas() { return &canvas_; }
  TWindowCapture& Capture() { return capture_; }
  COLORREF Pixel(int x, int y) const { return capture_.Pixel(x, y); }

 private:
  TWindowCapture capture_;
  TCanvas canvas_;
};

// Bands of the 16 x 16 test image (every other pixel is transparent fuchsia).
constexpr COLORREF kImageRed = RGB(255, 0, 0);            // rows 4..7, columns 4..11
constexpr COLORREF kImageGrey = RGB(128, 128, 128);       // rows 8..11, columns 4..11
constexpr COLORREF kImageNearWhite = RGB(255, 255, 250);  // rows 12..13, columns 4..11

inline COLORREF ImageBandAt(int x, int y) {
  if (x < 4 || x > 11) return CLR_INVALID;
  if (y >= 4 && y <= 7) return kImageRed;
  if (y >= 8 && y <= 11) return kImageGrey;
  if (y >= 12 && y <= 13) return kImageNearWhite;
  return CLR_INVALID;
}

inline std::unique_ptr<TImageList> MakeBandImageList() {
  auto list = std::make_unique<TImageList>();
  list->SetSize(16, 16);
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  bitmap.SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const COLORREF band = ImageBandAt(x, y);
      bitmap.Canvas()->SetPixels(x, y, band == CLR_INVALID ? clFuchsia : static_cast<TColor>(band));
    }
  list->AddMasked(&bitmap, clFuchsia);
  return list;
}

#include "framework/regions.h"

#include <vector>

void TRegion::Reset(HRGN region) {
  if (region_) DeleteObject(region_);
  region_ = region;
}

TRegion CreateNullRegion() { return TRegion(CreateRectRgn(0, 0, 0, 0)); }

TRegion CreateRegionFromBitmap(HBITMAP bitmap, COLORREF transparent) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0) return TRegion();
  int width = info.bmWidth;
  int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  // The pixels are read as top-down 32-bit values whatever the bitmap's own format.
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = -height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != height) return TRegion();
  // DIB pixels are 0x00RRGGBB; the colour key is 0x00BBGGRR.
  DWORD key = (GetRValue(transparent) << 16) | (GetGValue(transparent) << 8) | GetBValue(transparent);
  TRegion result = CreateNullRegion();
  for (int y = 0; y < height; ++y) {
    const DWORD* row = &pixels[static_cast<size_t>(y) * static_cast<size_t>(width)];
    for (int x = 0; x < width;) {
      while (x < width && (row[x] & 0xFFFFFF) == key) ++x;
      int start = x;
      while (x < width && (row[x] & 0xFFFFFF) != key) ++x;
      if (x > start) {
        TRegion run(CreateRectRgn(start, y, x, y + 1));
        CombineRgn(result.Handle(), result.Handle(), run.Handle(), RGN_OR);
      }
    }
  }
  return result;
}

bool SetWindowShape(HWND window, TRegion region, bool redraw) {
  if (SetWindowRgn(window, region.Handle(), redraw) == 0) return false;
  region.Release();
  return true;
}

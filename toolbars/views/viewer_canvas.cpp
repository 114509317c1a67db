#include "toolbars/views/viewer_canvas.h"

namespace toolbars {

namespace {

// Paints the pattern brush where the mask is black and keeps the destination where it is white.
constexpr DWORD kRopPatternWhereMaskBlack = 0x00B8074A;

}  // namespace

HDC FontDC(TCanvas* canvas) {
  canvas->TextExtent(String());
  return canvas->Handle();
}

void FillDithered(HDC dc, const RECT& rect) {
  const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(pattern);
  const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
  const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &rect, brush);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  DeleteObject(brush);
  DeleteObject(pattern);
}

void DrawMenuGlyph(HDC dc, const RECT& rect, UINT glyph, COLORREF color) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  HDC maskDC = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  RECT local{0, 0, width, height};
  DrawFrameControl(maskDC, &local, DFC_MENU, glyph);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, rect.left, rect.top, width, height, maskDC, 0, 0, kRopPatternWhereMaskBlack);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  SelectObject(maskDC, oldMask);
  DeleteObject(mask);
  DeleteDC(maskDC);
}

}  // namespace toolbars

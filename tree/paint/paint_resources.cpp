#include "tree/paint/paint_resources.h"

#include "framework/visual_styles.h"

namespace tree {

TPaintResources::TPaintResources() {
  rowDC_ = CreateCompatibleDC(nullptr);
  buttonDC_ = CreateCompatibleDC(nullptr);
}

TPaintResources::~TPaintResources() {
  if (rowOldBitmap_) SelectObject(rowDC_, rowOldBitmap_);
  if (rowBitmap_) DeleteObject(rowBitmap_);
  DeleteDC(rowDC_);
  DeleteDC(buttonDC_);
  SetButtons(nullptr, nullptr);
  SetLineBrush(nullptr);
}

HDC TPaintResources::SizeRow(int width, int height) {
  if (width == rowWidth_ && height == rowHeight_) return rowDC_;
  if (rowOldBitmap_) SelectObject(rowDC_, rowOldBitmap_);
  if (rowBitmap_) DeleteObject(rowBitmap_);
  rowBitmap_ = nullptr;
  rowOldBitmap_ = nullptr;
  rowWidth_ = width;
  rowHeight_ = height;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width > 0 ? width : 1;
  info.bmiHeader.biHeight = -(height > 0 ? height : 1);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  rowBitmap_ = CreateDIBSection(rowDC_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (rowBitmap_) rowOldBitmap_ = SelectObject(rowDC_, rowBitmap_);
  return rowDC_;
}

void TPaintResources::SetButtons(HBITMAP plus, HBITMAP minus) {
  if (plus_) DeleteObject(plus_);
  if (minus_) DeleteObject(minus_);
  plus_ = plus;
  minus_ = minus;
}

void TPaintResources::SetLineBrush(HBRUSH brush) {
  if (lineBrush_) DeleteObject(lineBrush_);
  lineBrush_ = brush;
}

void TPaintResources::DrawButton(HDC dc, bool expanded, int x, int y) const {
  HBITMAP bitmap = expanded ? minus_ : plus_;
  if (!bitmap) return;
  HGDIOBJ old = SelectObject(buttonDC_, bitmap);
  TransparentBlt(dc, x, y, ButtonSize, ButtonSize, buttonDC_, 0, 0, ButtonSize, ButtonSize, ButtonTransparentColor);
  SelectObject(buttonDC_, old);
}

bool TPaintResources::OpenThemes(HWND window, bool want) {
  CloseThemes();
  themeWindow_ = window;
  if (!want || !window || !VisualStylesInUse()) return false;
  treeTheme_ = std::make_unique<TThemeData>(window, L"treeview");
  buttonTheme_ = std::make_unique<TThemeData>(window, L"button");
  return ThemesOpen();
}

void TPaintResources::CloseThemes() {
  themeWindow_ = nullptr;
  treeTheme_.reset();
  buttonTheme_.reset();
}

bool TPaintResources::ThemesOpen() const {
  return treeTheme_ && treeTheme_->IsOpen() && buttonTheme_ && buttonTheme_->IsOpen();
}

}  // namespace tree

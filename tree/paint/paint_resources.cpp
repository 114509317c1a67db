#include "tree/paint/paint_resources.h"

#include "framework/visual_styles.h"

namespace tree {

TPaintResources::TPaintResources() {
  rowDC_ = CreateCompatibleDC(nullptr);
  buttonDC_ = CreateCompatibleDC(nullptr);
  ForgetKeptParts();
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
  ForgetKeptParts();
}

void TPaintResources::ForgetKeptParts() {
  keptParts_.reset();
  keptPartsTheme_ = nullptr;
  nextPartSlot_ = 0;
  partSlots_.fill(kNotDrawnYet);
}

void TPaintResources::DrawButtonPart(HDC dc, int part, int state, const RECT& r) {
  const TThemeData* theme = buttonTheme_.get();
  if (!theme) return;
  const HTHEME handle = theme->Handle();
  const bool keepable = handle && r.right - r.left == kKeptPartSize && r.bottom - r.top == kKeptPartSize && part >= 0 &&
                        state >= 0 && state < kPartStates &&
                        static_cast<std::size_t>(part * kPartStates + state) < partSlots_.size();
  if (!keepable) {
    theme->DrawBackground(dc, part, state, r);
    return;
  }
  // Parts drawn by another theme (the data opened again) are drawn anew.
  if (handle != keptPartsTheme_) {
    ForgetKeptParts();
    keptPartsTheme_ = handle;
  }
  std::int8_t& slot = partSlots_[static_cast<std::size_t>(part * kPartStates + state)];
  if (slot == kNotDrawnYet) {
    if (!keptParts_) keptParts_ = std::make_unique<TMaskedStrip>(kKeptPartSize, kKeptParts);
    const bool kept = nextPartSlot_ < kKeptParts && keptParts_->Fill(nextPartSlot_, [&](HDC strip, int x, int y) {
      theme->DrawBackground(strip, part, state, RECT{x, y, x + kKeptPartSize, y + kKeptPartSize});
    });
    slot = kept ? static_cast<std::int8_t>(nextPartSlot_++) : kDrawnByTheme;
  }
  if (slot == kDrawnByTheme)
    theme->DrawBackground(dc, part, state, r);
  else
    keptParts_->Draw(slot, dc, r.left, r.top);
}

bool TPaintResources::ThemesOpen() const {
  return treeTheme_ && treeTheme_->IsOpen() && buttonTheme_ && buttonTheme_->IsOpen();
}

}  // namespace tree

#include "tree/paint/masked_strip.h"

namespace tree {

namespace {

constexpr std::uint32_t kColorBits = 0xFFFFFF;

}  // namespace

TMaskedStrip::TMaskedStrip(int size, int slots) : size_(size > 0 ? size : 0), slots_(slots > 0 ? slots : 0) {
  if (size_ == 0 || slots_ == 0) return;
  // The glyphs drawn on black lie in the upper half, their masks (white where the glyph leaves the pixel as it was,
  // black where it covers it) below them.
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, size_ * slots_, -2 * size_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap_) {
    slots_ = 0;
    return;
  }
  bits_ = static_cast<std::uint32_t*>(bits);
  old_ = SelectObject(dc_, bitmap_);
}

TMaskedStrip::~TMaskedStrip() {
  if (old_) SelectObject(dc_, old_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
}

bool TMaskedStrip::Clear(int slot) {
  if (slot < 0 || slot >= slots_) return false;
  const RECT upper{slot * size_, 0, (slot + 1) * size_, size_};
  const RECT lower{slot * size_, size_, (slot + 1) * size_, 2 * size_};
  FillRect(dc_, &upper, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  FillRect(dc_, &lower, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  return true;
}

bool TMaskedStrip::Keep(int slot) {
  GdiFlush();
  const std::size_t width = static_cast<std::size_t>(size_) * static_cast<std::size_t>(slots_);
  const std::size_t half = width * static_cast<std::size_t>(size_);
  for (std::size_t y = 0; y < static_cast<std::size_t>(size_); ++y) {
    for (std::size_t x = 0; x < static_cast<std::size_t>(size_); ++x) {
      std::uint32_t& onBlack = bits_[y * width + static_cast<std::size_t>(slot * size_) + x];
      std::uint32_t& onWhite = bits_[half + y * width + static_cast<std::size_t>(slot * size_) + x];
      if ((onBlack & kColorBits) == (onWhite & kColorBits)) {
        onWhite = 0;
      } else if ((onBlack & kColorBits) == 0 && (onWhite & kColorBits) == kColorBits) {
        onBlack = 0;
        onWhite = kColorBits;
      } else {
        return false;
      }
    }
  }
  return true;
}

void TMaskedStrip::Draw(int slot, HDC dc, int x, int y) const {
  if (slot < 0 || slot >= slots_) return;
  BitBlt(dc, x, y, size_, size_, dc_, slot * size_, size_, SRCAND);
  BitBlt(dc, x, y, size_, size_, dc_, slot * size_, 0, SRCPAINT);
}

}  // namespace tree

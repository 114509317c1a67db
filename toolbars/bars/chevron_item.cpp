#include "toolbars/bars/chevron_item.h"

#include <array>

#include "toolbars/bars/toolbar.h"

namespace toolbars {

namespace {

// Raster operation: where the glyph's bit is set the brush, elsewhere what is there.
constexpr DWORD kGlyphRop = 0x00E20746;

// Two chevrons pointing right (a horizontal bar) or down (a vertical bar), high bit leftmost.
constexpr std::array<WORD, 8> kRightChevrons{0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0};
constexpr std::array<WORD, 8> kDownChevrons{0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};

void DrawGlyph(HDC dc, HBITMAP glyph, int x, int y, int width, int height, int colorIndex) {
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ oldBitmap = SelectObject(source, glyph);
  HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(colorIndex));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, width, height, source, 0, 0, kGlyphRop);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  SelectObject(dc, oldBrush);
  SelectObject(source, oldBitmap);
  DeleteDC(source);
}

}  // namespace

TBarChevronItem::TBarChevronItem(TComponent* owner)
    : TBarCustomItem(owner), toolbar_(ObjectAs<TBarCustomToolbar>(owner)) {
  SetItemStyle(static_cast<TBarItemStyle>(ItemStyle() | isSubmenu | isNoAutoOpen));
  SetHint(kChevronHint);
}

TBarView* TBarChevronItem::GetChevronParentView() const { return toolbar_ ? toolbar_->View() : nullptr; }

TBarItemViewerClass TBarChevronItem::GetItemViewerClass(TBarView* view) const {
  (void)view;
  return TBarItemViewerClass::Of<TBarChevronItemViewer>();
}

TRaised TBarChevronItemViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                     bool useDisabledShadow) {
  (void)useDisabledShadow;
  HDC dc = canvas->Handle();
  RECT rect = clientAreaRect;
  const bool enabled = Item()->Enabled();
  if (enabled && isPushed)
    DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
  else if (enabled && isSelected && !Item()->IsDesigning())
    DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);

  const bool vertical = View()->Orientation() == TBarViewOrientation::tbvoVertical;
  const auto& rows = vertical ? kDownChevrons : kRightChevrons;
  HBITMAP glyph = CreateBitmap(8, 8, 1, 1, rows.data());
  int x = vertical ? rect.right - 9 : rect.left + 2;
  int y = vertical ? rect.top + 2 : 4;
  const int width = vertical ? 5 : 8;
  const int height = vertical ? 8 : 5;
  if (isPushed) {
    ++x;
    ++y;
  }
  if (enabled) {
    DrawGlyph(dc, glyph, x, y, width, height, COLOR_BTNTEXT);
  } else {
    DrawGlyph(dc, glyph, x + 1, y + 1, width, height, COLOR_BTNHIGHLIGHT);
    DrawGlyph(dc, glyph, x, y, width, height, COLOR_BTNSHADOW);
  }
  DeleteObject(glyph);
  return TRaised(true);
}

}  // namespace toolbars

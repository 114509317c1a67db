#include "tree/tree_drawing.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "framework/bitmap.h"
#include "tree/tree_unit.h"

namespace tree {

namespace {

constexpr wchar_t LineSeparator = 0x2028;

bool IsLineBreak(wchar_t c) { return c == L'\n' || c == L'\r' || c == LineSeparator; }

int TextWidth(HDC dc, const wchar_t* text, int length) {
  SIZE size{};
  if (length > 0) GetTextExtentPoint32W(dc, text, length, &size);
  return size.cx;
}

// The pixels of the 32-bit DIB section selected into dc, or false.
bool SelectedDib(HDC dc, DIBSECTION& dib) {
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  return bitmap && GetObjectW(bitmap, sizeof dib, &dib) == sizeof dib && dib.dsBm.bmBitsPixel == 32 && dib.dsBm.bmBits;
}

std::uint8_t* Row(const DIBSECTION& dib, int y) {
  int height = dib.dsBmih.biHeight;
  int rows = height < 0 ? -height : height;
  if (y < 0 || y >= rows) return nullptr;
  int index = height > 0 ? rows - 1 - y : y;
  return static_cast<std::uint8_t*>(dib.dsBm.bmBits) + static_cast<std::ptrdiff_t>(index) * dib.dsBm.bmWidthBytes;
}

std::uint8_t Clamp(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

}  // namespace

void DrawWideText(HDC dc, const wchar_t* text, int length, RECT& r, UINT format, bool adjustRight) {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  int lineHeight = metrics.tmHeight;
  bool calculate = (format & DT_CALCRECT) != 0;
  UINT align = TA_LEFT;
  int x = r.left;
  if (format & DT_RIGHT) {
    align = TA_RIGHT;
    x = r.right;
  } else if (format & DT_CENTER) {
    align = TA_CENTER;
    x = (r.left + r.right) / 2;
  }
  UINT options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
  if (format & DT_RTLREADING) options |= ETO_RTLREADING;
  int y = (format & DT_VCENTER) ? (r.top + r.bottom - lineHeight) / 2 : r.top;
  UINT oldAlign = calculate ? 0 : SetTextAlign(dc, align);
  int widest = 0;
  int position = 0;
  auto atEnd = [&](int i) { return i >= length || text[i] == 0; };
  while (!atEnd(position) || position == 0) {
    int lineStart = position;
    if (format & DT_SINGLELINE) {
      while (!atEnd(position)) ++position;
    } else {
      while (!atEnd(position) && !IsLineBreak(text[position])) ++position;
    }
    int lineLength = position - lineStart;
    widest = std::max(widest, TextWidth(dc, text + lineStart, lineLength));
    if (!calculate) {
      RECT clip{r.left, y, r.right, (format & DT_SINGLELINE) ? r.bottom : y + lineHeight};
      ExtTextOutW(dc, x, y, options, &clip, text + lineStart, static_cast<UINT>(lineLength), nullptr);
    }
    y += lineHeight;
    if (atEnd(position)) break;
    if (text[position] == L'\r' || text[position] == LineSeparator) ++position;
    if (!atEnd(position) && text[position] == L'\n') ++position;
    if (!calculate && y >= r.bottom) break;
  }
  if (calculate) {
    r.bottom = y;
    if (adjustRight) r.right = r.left + widest;
  } else {
    SetTextAlign(dc, oldAlign);
  }
}

String ShortenWideText(HDC dc, const String& text, int width, bool rightToLeft, int ellipsisWidth) {
  static const String ellipsis = L"...";
  if (text.empty() || width <= 0) return {};
  if (ellipsisWidth == 0) ellipsisWidth = TextWidth(dc, ellipsis.c_str(), 3);
  if (width <= ellipsisWidth) return {};
  int low = 0, high = static_cast<int>(text.size()), probe = 0;
  while (low <= high) {
    probe = (low + high) / 2;
    int extent = TextWidth(dc, text.c_str(), probe) + ellipsisWidth;
    if (width <= extent) {
      high = probe - 1;
      if (width == extent) low = probe;
    } else {
      low = probe + 1;
    }
  }
  String start = text.substr(0, probe > 0 ? static_cast<std::size_t>(probe - 1) : 0);
  if (rightToLeft && !IsNT5OrLater) return ellipsis + start;
  return start + ellipsis;
}

void BlendBitmapRect(HDC source, HDC destination, const RECT& r, POINT target, TBlendMode mode, int constantAlpha,
                     int bias) {
  DIBSECTION src{}, dst{};
  if (!SelectedDib(destination, dst) || r.right <= r.left || r.bottom <= r.top) return;
  bool withSource = mode != TBlendMode::blendConstantWithColor;
  if (withSource && !SelectedDib(source, src)) return;
  int width = r.right - r.left;
  // The colour arrives as 0x00BBGGRR; pixels are stored blue first.
  const std::uint8_t color[4] = {static_cast<std::uint8_t>(bias >> 16), static_cast<std::uint8_t>(bias >> 8),
                                 static_cast<std::uint8_t>(bias), 0};
  for (int y = 0; y < r.bottom - r.top; ++y) {
    std::uint8_t* d = nullptr;
    const std::uint8_t* s = nullptr;
    int sourceColumn = r.left, destinationColumn = target.x;
    switch (mode) {
      case TBlendMode::blendConstant:
      case TBlendMode::blendPerPixel:
        s = Row(src, r.top + y);
        d = Row(dst, target.y + y);
        break;
      case TBlendMode::blendMaster:
        s = Row(src, r.top + y);
        d = Row(dst, target.y + y);
        sourceColumn = target.x;
        destinationColumn = 0;
        break;
      case TBlendMode::blendConstantWithColor:
        d = Row(dst, r.top + y);
        destinationColumn = r.left;
        break;
    }
    if (!d || (withSource && !s)) continue;
    int columns = std::min(width, static_cast<int>(dst.dsBm.bmWidth) - destinationColumn);
    if (withSource) columns = std::min(columns, static_cast<int>(src.dsBm.bmWidth) - sourceColumn);
    if (sourceColumn < 0 || destinationColumn < 0) continue;
    for (int x = 0; x < columns; ++x) {
      std::uint8_t* dp = d + 4 * (destinationColumn + x);
      const std::uint8_t* sp = withSource ? s + 4 * (sourceColumn + x) : nullptr;
      int alpha = constantAlpha;
      if (mode == TBlendMode::blendPerPixel) alpha = sp[3];
      if (mode == TBlendMode::blendMaster) alpha = sp[3] * constantAlpha / 256;
      for (int channel = 0; channel < 4; ++channel) {
        if (mode == TBlendMode::blendConstantWithColor)
          dp[channel] = static_cast<std::uint8_t>((dp[channel] * (256 - alpha) + color[channel] * alpha) >> 8);
        else
          dp[channel] = Clamp(dp[channel] + (((sp[channel] - dp[channel]) * alpha) >> 8) + bias);
      }
    }
  }
}

RECT NormalizeRect(const RECT& r) {
  return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
              std::max(r.top, r.bottom)};
}

void SortCardinals(std::uint32_t* values, int l, int r) {
  while (l < r) {
    int i = l, j = r;
    std::uint32_t pivot = values[(l + r) / 2];
    while (i <= j) {
      while (values[i] < pivot) ++i;
      while (values[j] > pivot) --j;
      if (i <= j) std::swap(values[i++], values[j--]);
    }
    // Recursing into the smaller part keeps the depth logarithmic.
    if (j - l < r - i) {
      SortCardinals(values, l, j);
      l = i;
    } else {
      SortCardinals(values, i, r);
      r = j;
    }
  }
}

void Make32BitBitmap(TBitmap& bitmap, int width, int height) {
  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  bitmap.SetSize(width, height);
}

COLORREF ColorToImageListColor(TColor color) {
  if (color == clNone) return CLR_NONE;
  if (color == clDefault) return CLR_DEFAULT;
  return ColorToRGB(color);
}

TAlignment MirroredAlignment(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taLeftJustify:
      return TAlignment::taRightJustify;
    case TAlignment::taRightJustify:
      return TAlignment::taLeftJustify;
    default:
      return alignment;
  }
}

}  // namespace tree

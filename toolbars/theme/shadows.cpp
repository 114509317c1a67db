#include "toolbars/theme/shadows.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "framework/application.h"
#include "framework/layered_windows.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/stock_objects.h"

namespace toolbars {

namespace {

// Two rectangles closer than this count as touching.
constexpr int kTouch = 2;

std::uint32_t BlackWithAlpha(int alpha) { return static_cast<std::uint32_t>(alpha) << 24; }

// The alpha of one pixel of a corner, from its distances a and b to the corner's origin.
int CornerAlpha(int a, int b, int size) {
  const int v = (std::max(a, b) + a + b) * 128 / size;
  return v < 255 ? 255 - v : 0;
}

bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool IsWindows2000OrLater() {
  OSVERSIONINFOEXW wanted{};
  wanted.dwOSVersionInfoSize = sizeof wanted;
  wanted.dwMajorVersion = 5;
  wanted.dwPlatformId = VER_PLATFORM_WIN32_NT;
  DWORDLONG condition = 0;
  condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
  condition = VerSetConditionMask(condition, VER_PLATFORMID, VER_EQUAL);
  return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_PLATFORMID, condition) != FALSE;
}

TShadowStyle StyleFor(bool loColor) {
  if (loColor) return TShadowStyle::ssSolid;
  if (IsWindows2000OrLater() && UpdateLayeredWindowEntry()) return TShadowStyle::ssLayered;
  return AlphaBlendEntry() ? TShadowStyle::ssAlphaBlended : TShadowStyle::ssSolid;
}

}  // namespace

TShadow::TShadow(const RECT& bounds, uint8_t edges, bool loColor, uint8_t opacity)
    : TCustomControl(nullptr), opacity_(opacity), edges_(edges), style_(StyleFor(loColor)) {
  // Nothing handles the events of a control in the making.
  (void)SetVisible(false);
  (void)SetBoundsRect(bounds);
  SetColor(clBtnShadow);
  (void)SetParentWindow(Application && Application->Handle() ? Application->Handle() : GetDesktopWindow());
}

void TShadow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = (params.Style & ~(WS_CHILD | WS_GROUP | WS_TABSTOP)) | WS_POPUP;
  params.ExStyle |= WS_EX_TOOLWINDOW;
  if (saveBits_) {
    params.WindowClass.style |= CS_SAVEBITS;
    // A class's style is fixed when it is registered: pieces that save bits have a class of their own.
    params.WinClassName += L"S";
  }
}

void TShadow::CornerLengths(int length, int thickness, int& leading, int& trailing) const {
  leading = (edges_ & seLeadingCorner) ? thickness : 0;
  trailing = (edges_ & seTrailingCorner) ? thickness : 0;
  if (leading && trailing && leading + trailing > length) {
    leading = length / 2;
    trailing = length / 2;
  } else {
    leading = std::min(leading, length);
    trailing = std::min(trailing, length);
  }
}

std::unique_ptr<TBitmap> TShadow::RenderBuffer() {
  auto buffer = std::make_unique<TBitmap>();
  buffer->SetPixelFormat(TPixelFormat::pf32bit);
  buffer->SetSize(Width(), Height());
  if (!buffer->Empty()) FillBuffer(buffer.get(), RECT{0, 0, Width(), Height()});
  return buffer;
}

void TShadow::Update() {
  if (style_ != TShadowStyle::ssLayered) return;
  std::unique_ptr<TBitmap> buffer = RenderBuffer();
  if (buffer->Empty()) return;
  UpdateLayeredFromBitmap(Handle(), buffer->Handle(), POINT{Left(), Top()}, opacity_);
}

void TShadow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCHITTEST:
      message.Result = HTTRANSPARENT;
      return;
    case WM_ERASEBKGND:
      EraseBackground(message);
      return;
    default:
      TCustomControl::Dispatch(message);
  }
}

void TShadow::EraseBackground(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  const RECT client{0, 0, Width(), Height()};
  TAlphaBlendProc alphaBlend = AlphaBlendEntry();
  std::unique_ptr<TBitmap> buffer;
  if (style_ == TShadowStyle::ssAlphaBlended && alphaBlend) buffer = RenderBuffer();
  if (buffer && !buffer->Empty()) {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity_, AC_SRC_ALPHA};
    alphaBlend(dc, 0, 0, Width(), Height(), buffer->Canvas()->Handle(), 0, 0, Width(), Height(), blend);
  } else {
    FillRectDCEx(dc, client, clBtnShadow);
  }
  message.Result = 1;
}

void THorzShadow::FillBuffer(TBitmap* buffer, const RECT& rect) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  int leading = 0;
  int trailing = 0;
  CornerLengths(w, h, leading, trailing);
  for (int y = 0; y < h; ++y) {
    std::uint32_t* row = PixelRow(buffer, rect.top + y) + rect.left;
    FillLongwords(row + leading, w - leading - trailing, BlackWithAlpha(255 - y * 256 / h));
    const int lead = std::max(leading, h);
    for (int x = 0; x < leading; ++x)
      row[x] = BlackWithAlpha(CornerAlpha(std::abs(y + lead - h), std::abs(lead - 1 - x), lead));
    const int trail = std::max(trailing, h);
    for (int x = 0; x < trailing; ++x)
      row[w - trailing + x] =
          BlackWithAlpha(CornerAlpha(std::abs(y - (h - trail)), std::abs(x + trail - trailing), trail));
  }
}

void TVertShadow::FillBuffer(TBitmap* buffer, const RECT& rect) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  int leading = 0;
  int trailing = 0;
  CornerLengths(h, w, leading, trailing);
  const int lead = std::max(leading, w);
  const int trail = std::max(trailing, w);
  for (int y = 0; y < h; ++y) {
    std::uint32_t* row = PixelRow(buffer, rect.top + y) + rect.left;
    for (int x = 0; x < w; ++x) {
      int alpha = 255 - x * 256 / w;
      if (y < leading)
        alpha = CornerAlpha(std::abs(lead - 1 - y), std::abs(x + lead - w), lead);
      else if (y >= h - trailing)
        alpha = CornerAlpha(std::abs(y - (h - trailing) - (trailing - trail)), std::abs(x + trail - w), trail);
      row[x] = BlackWithAlpha(alpha);
    }
  }
}

template <class Piece>
void TShadows::Add(LONG left, LONG top, LONG right, LONG bottom, uint8_t edges, bool loColor, uint8_t opacity) {
  pieces_.push_back(std::make_unique<Piece>(RECT{left, top, right, bottom}, edges, loColor, opacity));
}

TShadows::TShadows(const RECT& parentRect, const RECT& windowRect, int size, uint8_t opacity, bool loColor) {
  if (loColor || (!UpdateLayeredWindowEntry() && !AlphaBlendEntry())) size /= 2;
  const LONG s = size;
  const bool hasParent = !RectEmpty(parentRect);
  const bool hasWindow = !RectEmpty(windowRect);
  const auto v = [&](LONG l, LONG t, LONG r, LONG b, uint8_t e) { Add<TVertShadow>(l, t, r, b, e, loColor, opacity); };
  const auto h = [&](LONG l, LONG t, LONG r, LONG b, uint8_t e) { Add<THorzShadow>(l, t, r, b, e, loColor, opacity); };
  if (hasParent != hasWindow) {
    const RECT& r = hasParent ? parentRect : windowRect;
    v(r.right, r.top + s, r.right + s, r.bottom, seLeadingCorner);
    h(r.left + s, r.bottom, r.right + s, r.bottom + s, seLeadingCorner | seTrailingCorner);
  } else if (hasParent) {
    const RECT& w = windowRect;
    const RECT& p = parentRect;
    if (w.top + kTouch >= p.bottom || w.bottom - kTouch <= p.top) {
      const bool windowBelow = w.top + kTouch >= p.bottom;
      const RECT& a = windowBelow ? w : p;
      const RECT& b = windowBelow ? p : w;
      if (b.left + s < a.left) h(b.left + s, b.bottom, a.left, b.bottom + s, seLeadingCorner);
      h(a.left + s, a.bottom, a.right + s, a.bottom + s, seLeadingCorner | seTrailingCorner);
      v(b.right, b.top + s, b.right + s, b.bottom, seLeadingCorner);
      if (a.right < b.right) h(a.right, b.bottom, b.right + s, b.bottom + s, seLeadingCorner | seTrailingCorner);
      if (b.right + s >= a.right)
        v(a.right, a.top + 1, a.right + s, a.bottom, 0);
      else
        v(a.right, a.top + s, a.right + s, a.bottom, seLeadingCorner);
    } else if (!(w.left + kTouch < p.right && w.right - kTouch > p.left)) {
      const bool windowRight = w.left >= p.left;
      const RECT& a = windowRight ? w : p;
      const RECT& b = windowRight ? p : w;
      if (b.top + s < a.top) v(b.right, b.top + s, b.right + s, a.top, seLeadingCorner);
      v(a.right, a.top + s, a.right + s, a.bottom + s, seLeadingCorner | seTrailingCorner);
      h(b.left + s, b.bottom, b.right, b.bottom + s, seLeadingCorner);
      if (a.bottom < b.bottom) v(b.right, a.bottom, b.right + s, b.bottom + s, seLeadingCorner | seTrailingCorner);
      if (b.bottom + s < a.bottom)
        h(a.left + s, a.bottom, a.right, a.bottom + s, seLeadingCorner);
      else
        h(a.left, a.bottom, a.right, a.bottom + s, 0);
    }
  }
  // Pieces made from here on keep what lies under them; the windows are made by their first update.
  SetSaveBits(true);
  for (auto& piece : pieces_) piece->Update();
}

void TShadows::SetSaveBits(bool value) {
  saveBits_ = value;
  for (auto& piece : pieces_) piece->SetSaveBits(value);
}

void TShadows::Show(HWND insertAfter) {
  for (auto& piece : pieces_)
    SetWindowPos(piece->Handle(), insertAfter, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING | SWP_SHOWWINDOW);
}

}  // namespace toolbars

#include "status_line.h"

#include "framework/window_dc.h"

namespace {

constexpr int kTextIndent = 8;
constexpr UINT kWrappedFormat = DT_WORDBREAK | DT_NOPREFIX;

}  // namespace

TRaised TStatusLine::ShowText(const String& text, bool failed) {
  failed_ = failed;
  if (SetCaption(text).Gone()) return TRaised(false);
  Invalidate();
  if (RaiseEvent(OnChange, this).Gone()) return TRaised(false);
  return TRaised(true);
}

void TStatusLine::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  Invalidate();
}

RECT TStatusLine::TextRect(RECT client) {
  client.left += kTextIndent;
  client.right -= kTextIndent / 2;
  return client;
}

int TStatusLine::WrappedHeight(int width) {
  RECT text = TextRect(RECT{0, 0, width, 0});
  if (text.right <= text.left) return 0;
  // Measured on the screen's DC in the line's font: the owner asks before the line has a window of its own.
  const TWindowDC screen(nullptr, GetDC(nullptr));
  const HGDIOBJ previous = SelectObject(screen.Handle(), Font()->Handle());
  const String caption = Caption();
  const int height = DrawTextW(screen.Handle(), caption.c_str(), -1, &text, kWrappedFormat | DT_CALCRECT);
  SelectObject(screen.Handle(), previous);
  return height;
}

TRaised TStatusLine::Paint() {
  Canvas()->Brush()->SetColor(clBtnFace);
  Canvas()->FillRect(ClientRect());
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  Canvas()->Font()->SetColor(failed_ ? clRed : clBtnText);
  RECT text = TextRect(ClientRect());
  const String caption = Caption();
  const int wrappedHeight = wordWrap_ ? WrappedHeight(ClientWidth()) : 0;
  if (wordWrap_ && wrappedHeight <= text.bottom - text.top) {
    // The lines stand in the middle of the line's height, as the single line does.
    text.top += (text.bottom - text.top - wrappedHeight) / 2;
    DrawTextW(Canvas()->Handle(), caption.c_str(), -1, &text, kWrappedFormat);
  } else {
    // Lower than its wrapped text, the line shows one line of it, not a line cut across.
    DrawTextW(Canvas()->Handle(), caption.c_str(), -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  return TRaised(true);
}

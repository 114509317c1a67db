#include "status_line.h"

void TStatusLine::ShowText(const String& text, bool failed) {
  failed_ = failed;
  SetCaption(text);
  Invalidate();
}

void TStatusLine::Paint() {
  Canvas()->Brush()->SetColor(clBtnFace);
  Canvas()->FillRect(ClientRect());
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  Canvas()->Font()->SetColor(failed_ ? clRed : clBtnText);
  RECT text = ClientRect();
  text.left += 8;
  const String caption = Caption();
  DrawTextW(Canvas()->Handle(), caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

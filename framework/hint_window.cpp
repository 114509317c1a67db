#include "framework/hint_window.h"

#include "framework/application.h"
#include "framework/screen.h"

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetColor(clInfoBk);
  if (Screen) Canvas()->SetFont(Screen->HintFont());
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.WndParent = Application ? Application->Handle() : nullptr;
  params.WindowClass.style |= CS_SAVEBITS;
  params.ExStyle = WS_EX_TOOLWINDOW;
  if (UseRightToLeftReading()) params.ExStyle |= WS_EX_RTLREADING;
}

TRaised THintWindow::Paint() {
  RECT rect = ClientRect();
  rect.left += 2;
  rect.top += 2;
  if (Screen) Canvas()->Font()->SetColor(Screen->HintFont()->Color());
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  String text = Caption();
  DrawTextW(Canvas()->Handle(), text.c_str(), -1, &rect,
            DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
  return TRaised(true);
}

RECT THintWindow::CalcHintRect(int maxWidth, const String& hint, void* data) {
  (void)data;
  RECT rect{0, 0, maxWidth, 0};
  DrawTextW(Canvas()->Handle(), hint.c_str(), -1, &rect,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
  rect.right += 6;
  rect.bottom += 2;
  return rect;
}

TRaised THintWindow::ActivateHint(RECT rect, const String& hint) {
  if (SetCaption(hint).Gone()) return TRaised(false);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (Screen) {
    RECT desktop = Screen->DesktopRect();
    if (rect.top + height > desktop.bottom) rect.top = desktop.bottom - height;
    if (rect.left + width > desktop.right) rect.left = desktop.right - width;
    if (rect.left < desktop.left) rect.left = desktop.left;
    if (rect.top < desktop.top) rect.top = desktop.top;
  }
  if (SetBounds(rect.left, rect.top, width, height).Gone()) return TRaised(false);
  const TLifeWatch life = LifeWatch();
  SetWindowPos(Handle(), HWND_TOPMOST, rect.left, rect.top, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  if (life.Ended()) return TRaised(false);
  Invalidate();
  return TRaised(true);
}

TRaised THintWindow::ActivateHintData(RECT rect, const String& hint, void* data) {
  (void)data;
  return ActivateHint(rect, hint);
}

bool THintWindow::IsHintMsg(const MSG& msg) {
  UINT m = msg.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE || m == CM_APPKEYDOWN ||
         m == WM_COMMAND || (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}

void THintWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCHITTEST:
      // The mouse passes through to whatever lies under the hint.
      message.Result = HTTRANSPARENT;
      return;
    case WM_NCPAINT: {
      HDC dc = GetWindowDC(WindowHandle());
      RECT rect{0, 0, Width(), Height()};
      DrawEdge(dc, &rect, BDR_RAISEDOUTER, BF_RECT);
      ReleaseDC(WindowHandle(), dc);
      return;
    }
    default:
      TCustomControl::Dispatch(message);
      return;
  }
}

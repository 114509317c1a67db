#include "toolbars/docks/button_press_loop.h"

namespace toolbars {

namespace {

POINT LastMessagePoint() {
  DWORD pos = GetMessagePos();
  return POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

}  // namespace

bool RunButtonPressLoop(HWND captureWindow, const std::function<bool(POINT)>& inside,
                        const std::function<void(bool)>& pushed) {
  bool isInside = inside(LastMessagePoint());
  pushed(isInside);
  SetCapture(captureWindow);
  bool accepted = false;
  MSG msg{};
  while (GetCapture() == captureWindow) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (!got) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    bool done = false;
    switch (msg.message) {
      case WM_LBUTTONUP:
        accepted = inside(msg.pt);
        done = true;
        break;
      case WM_MOUSEMOVE: {
        bool now = inside(msg.pt);
        if (now != isInside) {
          isInside = now;
          pushed(now);
        }
        break;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        done = true;
        break;
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_MBUTTONDBLCLK:
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
      case WM_CHAR:
        break;
      default:
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (done) break;
  }
  if (GetCapture() == captureWindow) ReleaseCapture();
  pushed(false);
  return accepted;
}

}  // namespace toolbars

#include "toolbars/docks/capture_loop.h"

namespace toolbars {

bool RunCaptureLoop(HWND captureWindow, const TCaptureLoopHandlers& handlers) {
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
      case WM_KEYDOWN:
      case WM_KEYUP:
        done = handlers.Key && handlers.Key(msg);
        break;
      case WM_MOUSEMOVE:
        if (handlers.MouseMove) handlers.MouseMove(msg.pt);
        break;
      case WM_LBUTTONUP:
        accepted = true;
        done = true;
        break;
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
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_SYSCHAR:
        break;
      default:
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (handlers.Gone && handlers.Gone()) {
      accepted = false;
      break;
    }
    if (done) break;
  }
  if (GetCapture() == captureWindow) ReleaseCapture();
  return accepted;
}

bool RunButtonPressLoop(HWND captureWindow, const std::function<bool(POINT)>& inside,
                        const std::function<void(bool)>& pushed) {
  DWORD pos = GetMessagePos();
  bool isInside = inside(POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))});
  pushed(isInside);
  TCaptureLoopHandlers handlers;
  handlers.MouseMove = [&](POINT p) {
    bool now = inside(p);
    if (now != isInside) {
      isInside = now;
      pushed(now);
    }
  };
  SetCapture(captureWindow);
  bool released = RunCaptureLoop(captureWindow, handlers);
  pushed(false);
  if (!released) return false;
  // The release counts where it happened, not where the last move was.
  DWORD up = GetMessagePos();
  return inside(POINT{static_cast<short>(LOWORD(up)), static_cast<short>(HIWORD(up))});
}

}  // namespace toolbars

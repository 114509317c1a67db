#include "framework/layered_windows.h"

namespace {

void MakeLayered(HWND window) {
  LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (!(exStyle & WS_EX_LAYERED)) SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
}

}  // namespace

bool SetLayeredAlpha(HWND window, BYTE alpha) {
  if (!IsWindow(window)) return false;
  MakeLayered(window);
  return SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA) != FALSE;
}

bool UpdateLayeredFromBitmap(HWND window, HBITMAP bitmap, POINT screenPos, BYTE constantAlpha) {
  BITMAP info{};
  if (!IsWindow(window) || !bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmBitsPixel != 32) return false;
  MakeLayered(window);
  SIZE size{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BOOL done = UpdateLayeredWindow(window, screen, &screenPos, &size, memory, &source, 0, &blend, ULW_ALPHA);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return done != FALSE;
}

#include "support/test_window.h"

namespace {

const wchar_t kClassName[] = L"BcTestWindow";

void RegisterTestWindowClass(WNDPROC proc) {
  WNDCLASSEXW cls = {};
  cls.cbSize = sizeof cls;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &cls)) return;
  cls.lpfnWndProc = proc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = kClassName;
  RegisterClassExW(&cls);
}

}  // namespace

TTestWindow::TTestWindow(RECT bounds, THandler handler, DWORD style, DWORD exStyle) : handler_(std::move(handler)) {
  RegisterTestWindowClass(&TTestWindow::WindowProc);
  wnd_ =
      CreateWindowExW(exStyle, kClassName, L"Test window", style, bounds.left, bounds.top, bounds.right - bounds.left,
                      bounds.bottom - bounds.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

TTestWindow::~TTestWindow() {
  if (IsWindow(wnd_)) DestroyWindow(wnd_);
}

LRESULT CALLBACK TTestWindow::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<TTestWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (window && window->handler_) {
    if (std::optional<LRESULT> result = window->handler_(wnd, msg, wParam, lParam)) return *result;
  }
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

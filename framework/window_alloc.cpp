#include "framework/window_alloc.h"

#include "framework/exception_hook.h"
#include "framework/exceptions.h"

namespace {

const wchar_t kUtilWindowClass[] = L"BcUtilWindow";

LRESULT CALLBACK UtilWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* stored = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!stored) return DefWindowProcW(wnd, msg, wParam, lParam);
  // The delegate may deallocate its own window, and with it the stored delegate, while it runs: a delegate call
  // allows that.
  TMessage message{msg, wParam, lParam, 0};
  try {
    (*stored)(message);
  } catch (...) {
    ApplicationHandleException(nullptr);
  }
  return message.Result;
}

void RegisterUtilWindowClass() {
  WNDCLASSEXW cls = {};
  cls.cbSize = sizeof cls;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, kUtilWindowClass, &cls)) return;
  cls.lpfnWndProc = &UtilWindowProc;
  cls.hInstance = instance;
  cls.lpszClassName = kUtilWindowClass;
  RegisterClassExW(&cls);
}

HWND AllocateUtilWindow(HWND parent, TWndMethod method) {
  RegisterUtilWindowClass();
  HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, kUtilWindowClass, L"", WS_POPUP, 0, 0, 0, 0, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (!wnd) throw EOutOfResources(L"Error creating window: " + SysErrorMessage(GetLastError()));
  if (method) SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(std::move(method))));
  return wnd;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method) { return AllocateUtilWindow(nullptr, std::move(method)); }

HWND AllocateMessageHWnd(TWndMethod method) { return AllocateUtilWindow(HWND_MESSAGE, std::move(method)); }

void DeallocateHWnd(HWND wnd) {
  if (!wnd) return;
  auto* stored = reinterpret_cast<TWndMethod*>(SetWindowLongPtrW(wnd, GWLP_USERDATA, 0));
  DestroyWindow(wnd);
  delete stored;
}

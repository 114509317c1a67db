// A process with windows of its own for the process and window routines: a main window, then a visible tool
// window and a visible owned window above it, which are no main windows. It ends when its main window closes,
// or after a minute, so that no test can leave it behind.
#include <windows.h>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMilliseconds = 60000;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND CreateVisible(const wchar_t* className, DWORD exStyle, DWORD style, HWND owner, HINSTANCE instance) {
  HWND window =
      CreateWindowExW(exStyle, className, className, style, 10, 10, 200, 100, owner, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW mainClass{};
  mainClass.lpfnWndProc = &MainWindowProc;
  mainClass.hInstance = instance;
  mainClass.lpszClassName = L"ShellTestMainWindow";
  RegisterClassW(&mainClass);
  WNDCLASSW otherClass = mainClass;
  otherClass.lpfnWndProc = &DefWindowProcW;
  otherClass.lpszClassName = L"ShellTestOtherWindow";
  RegisterClassW(&otherClass);

  HWND main = CreateVisible(L"ShellTestMainWindow", 0, WS_OVERLAPPEDWINDOW, nullptr, instance);
  CreateVisible(L"ShellTestOtherWindow", WS_EX_TOOLWINDOW, WS_POPUP | WS_CAPTION, nullptr, instance);
  CreateVisible(L"ShellTestOtherWindow", 0, WS_OVERLAPPEDWINDOW, main, instance);
  SetTimer(main, kLifetimeTimer, kLifetimeMilliseconds, nullptr);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

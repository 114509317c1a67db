#include "shell/system/application_windows.h"

#include "framework/application.h"
#include "framework/form.h"
#include "framework/icon.h"
#include "shell/system/name_routines.h"

namespace shell {

namespace {

HWND ApplicationWindow() { return Application ? Application->Handle() : nullptr; }

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

void ShowApplicationWindow() {
  if (HWND window = ApplicationWindow()) ShowWindow(window, SW_SHOWNORMAL);
}

void HideApplicationWindow() {
  HWND window = ApplicationWindow();
  if (window && IsWindowVisible(window)) ShowWindow(window, SW_HIDE);
}

TRaised ShowApplication() {
  ShowApplicationWindow();
  if (!Application || !Application->MainForm()) return TRaised(true);
  return Application->MainForm()->SetVisible(true);
}

TRaised HideApplication() {
  HideApplicationWindow();
  if (!Application || !Application->MainForm()) return TRaised(true);
  return Application->MainForm()->SetVisible(false);
}

HWND FindPrevInstanceWindow() {
  HWND own = ApplicationWindow();
  if (!own) return nullptr;
  wchar_t className[256] = {};
  GetClassNameW(own, className, 256);
  const String title = Application->Title();
  HWND found = nullptr;
  do {
    found = FindWindowExW(nullptr, found, className, title.c_str());
  } while (found && found == own);
  return found;
}

bool ActivatePrevInstance() {
  HWND window = FindPrevInstanceWindow();
  if (!window) return false;
  if (IsIconic(window))
    OpenIcon(window);
  else
    SetForegroundWindow(window);
  return true;
}

void GetShellIcon(int index, TIcon* largeIcon, TIcon* smallIcon) {
  HICON large = nullptr;
  HICON small = nullptr;
  const String library = GetSystemDir() + L"shell32.dll";
  ExtractIconExW(library.c_str(), index, largeIcon ? &large : nullptr, smallIcon ? &small : nullptr, 1);
  if (largeIcon) largeIcon->SetHandle(large);
  if (smallIcon) smallIcon->SetHandle(small);
}

TColor GetCursorPixel() {
  POINT cursor{};
  GetCursorPos(&cursor);
  HWND desktop = GetDesktopWindow();
  HDC dc = GetDC(desktop);
  const COLORREF color = GetPixel(dc, cursor.x, cursor.y);
  ReleaseDC(desktop, dc);
  return static_cast<TColor>(color);
}

TShiftState GetShiftState() {
  TShiftState state;
  if (KeyDown(VK_SHIFT)) state += TShiftStateItem::ssShift;
  if (KeyDown(VK_CONTROL)) state += TShiftStateItem::ssCtrl;
  if (KeyDown(VK_MENU)) state += TShiftStateItem::ssAlt;
  return state;
}

}  // namespace shell

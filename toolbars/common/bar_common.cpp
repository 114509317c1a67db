#include "toolbars/common/bar_common.h"

#include <windows.h>
// clang-format off
#include <mmsystem.h>
// clang-format on

#include <cwchar>

#include "framework/registry.h"
#include "framework/screen.h"
#include "framework/sys_utils.h"
#include "framework/win_control.h"

namespace toolbars {

namespace {

OSVERSIONINFOW PlatformVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // the menu settings depend on the version the program is told
#endif
  GetVersionExW(&info);
  return info;
}

// What the fallback of the show delay read, once per run.
bool menuShowDelayCached = false;
int menuShowDelayValue = 0;

// The TrackMouseEvent binding.
int trackMouseEventCount = 0;
decltype(&::TrackMouseEvent) trackMouseEventProc = nullptr;
HMODULE trackMouseEventLibrary = nullptr;

constexpr int kDefaultMenuShowDelay = 100;
constexpr WORD kHalftonePattern[2] = {0x5555, 0xAAAA};

// The frame of rect with the given thickness as a region; null for no rectangle.
HRGN FrameRegion(const RECT* rect, SIZE size) {
  if (!rect) return nullptr;
  HRGN outer = CreateRectRgnIndirect(rect);
  RECT inner = *rect;
  InflateRect(&inner, -size.cx, -size.cy);
  IntersectRect(&inner, &inner, rect);
  HRGN hole = CreateRectRgnIndirect(&inner);
  CombineRgn(outer, outer, hole, RGN_DIFF);
  DeleteObject(hole);
  return outer;
}

void InvertRegion(HDC dc, HRGN region, HBRUSH brush) {
  if (!region) return;
  SelectClipRgn(dc, region);
  RECT box;
  GetClipBox(dc, &box);
  HGDIOBJ old = SelectObject(dc, brush);
  PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
  SelectObject(dc, old);
}

struct TPrintChildren {
  HWND Parent;
  HDC DC;
  UINT Flags;
};

BOOL CALLBACK PrintChild(HWND child, LPARAM param) {
  auto* print = reinterpret_cast<TPrintChildren*>(param);
  if (reinterpret_cast<HWND>(GetWindowLongPtrW(child, GWLP_HWNDPARENT)) != print->Parent) return TRUE;
  if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) return TRUE;
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, print->Parent, reinterpret_cast<POINT*>(&rect), 2);
  int saved = SaveDC(print->DC);
  POINT origin;
  GetWindowOrgEx(print->DC, &origin);
  SetWindowOrgEx(print->DC, origin.x - rect.left, origin.y - rect.top, nullptr);
  IntersectClipRect(print->DC, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
  SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(print->DC), print->Flags);
  RestoreDC(print->DC, saved);
  return TRUE;
}

// Moves the DC's origin by the offset of the client area inside the window.
void MoveOrigin(HDC dc, POINT offset) {
  POINT origin;
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x - offset.x, origin.y - offset.y, nullptr);
}

}  // namespace

bool ApplicationIsActive() { return GetActiveWindow() != nullptr; }

void ListSortEx(TList& list, TListSortExCompare compare, void* extraData) {
  if (list.Count() < 2) return;
  // Recursion on the left part, iteration on the right: the stack stays logarithmic for sorted input too.
  struct TSorter {
    TList& List;
    TListSortExCompare Compare;
    void* Extra;
    void Sort(int left, int right) {
      while (left < right) {
        int i = left;
        int j = right;
        void* pivot = List.Items((left + right) / 2);
        do {
          while (Compare(List.Items(i), pivot, Extra) < 0) ++i;
          while (Compare(List.Items(j), pivot, Extra) > 0) --j;
          if (i <= j) {
            if (i != j) List.Exchange(i, j);
            ++i;
            --j;
          }
        } while (i <= j);
        if (left < j) Sort(left, j);
        left = i;
      }
    }
  };
  TSorter{list, compare, extraData}.Sort(0, list.Count() - 1);
}

void HandleWMPrint(HWND wnd, TMessage& message, TNCPaintProc painter, void* data) {
  message.Result = 1;
  const UINT flags = static_cast<UINT>(message.LParam);
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(wnd)) return;
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  const int saved = SaveDC(dc);
  if ((flags & PRF_NONCLIENT) && painter) {
    const int paintSaved = SaveDC(dc);
    painter(wnd, dc, data);
    RestoreDC(dc, paintSaved);
  }
  RECT windowRect;
  GetWindowRect(wnd, &windowRect);
  POINT clientOrigin{0, 0};
  ClientToScreen(wnd, &clientOrigin);
  const POINT offset{clientOrigin.x - windowRect.left, clientOrigin.y - windowRect.top};
  if (flags & PRF_CLIENT) {
    RECT client{};
    GetClientRect(wnd, &client);
    for (UINT msg : {static_cast<UINT>(WM_ERASEBKGND), static_cast<UINT>(WM_PRINTCLIENT)}) {
      if (msg == WM_ERASEBKGND && !(flags & PRF_ERASEBKGND)) continue;
      const int partSaved = SaveDC(dc);
      if (flags & PRF_NONCLIENT) MoveOrigin(dc, offset);
      // The client's painters may cover more than the client area (a background lined up with a dock): the frame
      // already painted stays.
      IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
      // The background was erased just before.
      SendMessageW(wnd, msg, reinterpret_cast<WPARAM>(dc), msg == WM_PRINTCLIENT ? flags & ~PRF_ERASEBKGND : 0);
      RestoreDC(dc, partSaved);
    }
    MoveOrigin(dc, offset);
    if (flags & PRF_CHILDREN) {
      TPrintChildren print{wnd, dc, PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN};
      EnumChildWindows(wnd, &PrintChild, reinterpret_cast<LPARAM>(&print));
    }
    if (flags & PRF_OWNED) {
      TPrintChildren print{wnd, dc, flags};
      EnumWindows(&PrintChild, reinterpret_cast<LPARAM>(&print));
    }
  }
  RestoreDC(dc, saved);
}

void HandleWMPrintClient(TWinControl* control, TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  const int saved = SaveDC(dc);
  if (message.LParam & PRF_ERASEBKGND) control->Perform(WM_ERASEBKGND, message.WParam, 0);
  control->Perform(WM_PAINT, message.WParam, 0);
  RestoreDC(dc, saved);
}

int DivRoundUp(int x, int y) {
  int quotient = x / y;
  if (x % y != 0) {
    // The exact quotient is negative exactly when the signs differ, also when truncation made it 0.
    if ((x < 0) != (y < 0))
      --quotient;
    else
      ++quotient;
  }
  return quotient;
}

int MinInt(int a, int b) { return b < a ? b : a; }

int GetTextHeight(HDC dc) {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  return metrics.tmHeight;
}

int GetTextWidth(HDC dc, const String& text, bool prefix) {
  if (!prefix) return GetTextExtentWidth(dc, text);
  String shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size()) {
      shown += text[i];
      shown += text[++i];
      continue;
    }
    if (text[i] == L'&') {
      if (++i == text.size()) break;
    }
    shown += text[i];
  }
  return GetTextExtentWidth(dc, shown);
}

int GetTextExtentWidth(HDC dc, const String& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void ProcessPaintMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) {
    const BOOL got = GetMessageW(&msg, nullptr, WM_PAINT, WM_PAINT);
    if (got == -1) return;
    if (!got || msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchMessageW(&msg);
  }
}

void RemoveMessages(UINT lowest, UINT highest) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, lowest, highest, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
  }
}

void SelectNCUpdateRgn(HWND wnd, HDC dc, HRGN updateRegion) {
  if (reinterpret_cast<ULONG_PTR>(updateRegion) <= 1) return;
  RECT windowRect;
  GetWindowRect(wnd, &windowRect);
  if (SelectClipRgn(dc, updateRegion) == ERROR) {
    HRGN whole = CreateRectRgnIndirect(&windowRect);
    SelectClipRgn(dc, whole);
    DeleteObject(whole);
  }
  OffsetClipRgn(dc, -windowRect.left, -windowRect.top);
}

int ReadMenuShowDelaySetting() {
  TRegistry registry(KEY_READ);
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKeyReadOnly(L"Control Panel\\Desktop")) return kDefaultMenuShowDelay;
  // 32 bytes are read; the spare characters take the terminator the platform may write past a short value.
  wchar_t buffer[18] = {};
  DWORD size = 16 * sizeof(wchar_t);
  DWORD type = 0;
  const LONG read =
      RegQueryValueExW(registry.CurrentKey(), L"MenuShowDelay", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  if (read == ERROR_FILE_NOT_FOUND) return kDefaultMenuShowDelay;
  if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return 0;
  // The buffer of 16 characters holds at most 15 and a terminator, whatever the value stored.
  buffer[15] = 0;
  int value = 0;
  return TryStrToInt(buffer, value) ? value : 0;
}

int GetMenuShowDelay() {
  if (PlatformVersion().dwMajorVersion < 4) return kDefaultMenuShowDelay;
  int delay = 0;
  if (!SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &delay, 0)) {
    if (!menuShowDelayCached) {
      menuShowDelayValue = ReadMenuShowDelaySetting();
      menuShowDelayCached = true;
    }
    delay = menuShowDelayValue;
  }
  return delay < 0 ? 0 : delay;
}

bool IsWindowsXP() {
  const OSVERSIONINFOW info = PlatformVersion();
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         (info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1));
}

bool AreFlatMenusEnabled() {
  BOOL flat = FALSE;
  return IsWindowsXP() && SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0) && flat;
}

bool AreKeyboardCuesEnabled() {
  if (PlatformVersion().dwMajorVersion < 5) return true;
  BOOL cues = FALSE;
  if (!SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0)) return true;
  return cues != FALSE;
}

HRGN CreateNullRegion() { return CreateRectRgn(0, 0, 0, 0); }

void DrawInvertRect(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newSize, SIZE oldSize, HBRUSH brush,
                    HBRUSH brushLast) {
  const int saved = SaveDC(dc);
  HRGN newFrame = FrameRegion(newRect, newSize);
  HRGN oldFrame = FrameRegion(oldRect, oldSize);
  if (brush == brushLast) {
    HRGN changed = CreateNullRegion();
    if (newFrame && oldFrame)
      CombineRgn(changed, newFrame, oldFrame, RGN_XOR);
    else if (newFrame || oldFrame)
      CombineRgn(changed, newFrame ? newFrame : oldFrame, nullptr, RGN_COPY);
    InvertRegion(dc, changed, brush);
    DeleteObject(changed);
  } else {
    if (oldFrame) InvertRegion(dc, oldFrame, brush);
    InvertRegion(dc, newFrame, brushLast);
  }
  if (newFrame) DeleteObject(newFrame);
  if (oldFrame) DeleteObject(oldFrame);
  RestoreDC(dc, saved);
}

HBRUSH CreateHalftoneBrush() {
  WORD rows[8];
  for (int i = 0; i < 8; ++i) rows[i] = kHalftonePattern[i % 2];
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(pattern);
  DeleteObject(pattern);
  return brush;
}

void DrawHalftoneInvertRect(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newSize, SIZE oldSize) {
  HBRUSH brush = CreateHalftoneBrush();
  DrawInvertRect(dc, newRect, oldRect, newSize, oldSize, brush, brush);
  DeleteObject(brush);
  // The platform may carry drawing on the screen and the moves of windows to the display by separate ways: a pixel
  // read back returns once the inversion is on the screen, so that it cannot land after a window that then moves
  // over the outline's place, or closes there, and invert the desktop anew (an erased outline stayed on it).
  if (const RECT* drawn = newRect ? newRect : oldRect) GetPixel(dc, drawn->left, drawn->top);
}

bool PointsEqual(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

RECT GetRectOfPrimaryMonitor(bool workArea) {
  RECT rect{};
  if (workArea && SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0)) return rect;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool UsingMultipleMonitors() { return GetSystemMetrics(SM_CMONITORS) > 1; }

RECT GetRectOfMonitorContainingRect(const RECT& rect, bool workArea) {
  if (!UsingMultipleMonitors() || !Screen) return GetRectOfPrimaryMonitor(workArea);
  TMonitor* monitor = Screen->MonitorFromRect(rect, TMonitorDefaultTo::mdNearest);
  if (!monitor) return GetRectOfPrimaryMonitor(workArea);
  return workArea ? monitor->WorkareaRect() : monitor->BoundsRect();
}

RECT GetRectOfMonitorContainingPoint(POINT point, bool workArea) {
  if (!UsingMultipleMonitors() || !Screen) return GetRectOfPrimaryMonitor(workArea);
  TMonitor* monitor = Screen->MonitorFromPoint(point, TMonitorDefaultTo::mdNearest);
  if (!monitor) return GetRectOfPrimaryMonitor(workArea);
  return workArea ? monitor->WorkareaRect() : monitor->BoundsRect();
}

void InitTrackMouseEvent() {
  if (trackMouseEventCount < 1) {
    HMODULE user = GetModuleHandleW(L"user32.dll");
    trackMouseEventProc = user ? reinterpret_cast<decltype(trackMouseEventProc)>(
                                     reinterpret_cast<void*>(GetProcAddress(user, "TrackMouseEvent")))
                               : nullptr;
    if (!trackMouseEventProc) {
      const UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
      trackMouseEventLibrary = LoadLibraryW(L"comctl32.dll");
      SetErrorMode(oldMode);
      if (trackMouseEventLibrary)
        trackMouseEventProc = reinterpret_cast<decltype(trackMouseEventProc)>(
            reinterpret_cast<void*>(GetProcAddress(trackMouseEventLibrary, "_TrackMouseEvent")));
    }
  }
  ++trackMouseEventCount;
}

void ReleaseTrackMouseEvent() {
  if (trackMouseEventLibrary) FreeLibrary(trackMouseEventLibrary);
  trackMouseEventLibrary = nullptr;
  trackMouseEventProc = nullptr;
  trackMouseEventCount = 0;
}

bool CallTrackMouseEvent(HWND wnd, DWORD flags) {
  if (!trackMouseEventProc) return false;
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = flags;
  track.hwndTrack = wnd;
  track.dwHoverTime = 0;
  return trackMouseEventProc(&track) > 0;
}

namespace {

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

HFONT CreateRotatedFont(HDC dc) {
  LOGFONTW font{};
  HGDIOBJ current = GetCurrentObject(dc, OBJ_FONT);
  if (!current || !GetObjectW(current, sizeof font, &font)) return nullptr;
  font.lfEscapement = 2700;
  font.lfOrientation = 2700;
  font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  // The old raster face has no rotated form.
  if (_wcsicmp(font.lfFaceName, L"MS Sans Serif") == 0 || _wcsicmp(font.lfFaceName, L"Microsoft Sans Serif") == 0)
    wcscpy_s(font.lfFaceName, L"Arial");
  if (wcslen(font.lfFaceName) < 31) {
    LOGFONTW vertical = font;
    vertical.lfFaceName[0] = L'@';
    wcsncpy_s(vertical.lfFaceName + 1, LF_FACESIZE - 1, font.lfFaceName, _TRUNCATE);
    bool found = false;
    EnumFontFamiliesExW(dc, &vertical, &NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    if (found) font = vertical;
  }
  return CreateFontIndirectW(&font);
}

void DrawRotatedText(HDC dc, const String& text, const RECT& rect, UINT format) {
  if (text.empty()) return;
  HFONT rotated = CreateRotatedFont(dc);
  if (!rotated) return;
  HGDIOBJ oldFont = SelectObject(dc, rotated);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int x = rect.left + (rect.right - rect.left - metrics.tmHeight) / 2;

  String shown;
  shown.reserve(text.size());
  int accelPos = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size()) {
      shown += text[i];
      shown += text[++i];
      continue;
    }
    if (text[i] == L'&') {
      if (++i == text.size()) break;
      if (text[i] != L'&') accelPos = static_cast<int>(shown.size());
    }
    shown += text[i];
  }

  const int height = rect.bottom - rect.top;
  if ((format & DT_END_ELLIPSIS) && shown.size() > 1 && GetTextExtentWidth(dc, shown) > height) {
    if (height < 3) {
      shown.resize(1);
    } else {
      shown.pop_back();
      while (shown.size() >= 2 && GetTextExtentWidth(dc, shown + L"...") > height) shown.pop_back();
    }
    if (accelPos >= static_cast<int>(shown.size())) accelPos = -1;
    shown += L"...";
  }
  const int extent = GetTextExtentWidth(dc, shown);
  const int y = (format & DT_CENTER) ? rect.top + (height - extent) / 2 : rect.top;

  const int saved = SaveDC(dc);
  if (!(format & DT_NOCLIP)) IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  const UINT oldAlign = SetTextAlign(dc, TA_BOTTOM);
  TextOutW(dc, x, y, shown.c_str(), static_cast<int>(shown.size()));
  SetTextAlign(dc, oldAlign);
  if (accelPos >= 0 && !(format & DT_HIDEPREFIX)) {
    const int y1 = GetTextExtentWidth(dc, shown.substr(0, static_cast<size_t>(accelPos)));
    const int y2 = y1 + GetTextExtentWidth(dc, shown.substr(static_cast<size_t>(accelPos), 1));
    HPEN pen = CreatePen(PS_SOLID, 1, GetTextColor(dc));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int lineX = x + metrics.tmDescent - 2;
    MoveToEx(dc, lineX, y + y1, nullptr);
    LineTo(dc, lineX, y + y2);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
  RestoreDC(dc, saved);
  SelectObject(dc, oldFont);
  DeleteObject(rotated);
}

bool NeedToPlaySound(const wchar_t* alias) {
  const OSVERSIONINFOW info = PlatformVersion();
  if (info.dwPlatformId != VER_PLATFORM_WIN32_NT || info.dwMajorVersion < 5) return true;
  TRegistry registry(KEY_READ);
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKeyReadOnly(String(L"AppEvents\\Schemes\\Apps\\.Default\\") + alias + L"\\.Current")) return false;
  wchar_t buffer[6] = {};
  DWORD size = 4 * sizeof(wchar_t);
  const LONG read =
      RegQueryValueExW(registry.CurrentKey(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  return (read == ERROR_SUCCESS && size >= sizeof(wchar_t) && buffer[0] != 0) || read == ERROR_MORE_DATA;
}

void PlayMenuSound(const wchar_t* alias) {
  PlaySoundW(alias, nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP);
}

UINT GetInputLocaleCodePage() {
  const LANGID language = LOWORD(reinterpret_cast<ULONG_PTR>(GetKeyboardLayout(0)));
  wchar_t text[16] = {};
  if (!GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, text, 16)) return 0;
  int codePage = 0;
  if (!TryStrToInt(text, codePage) || codePage <= 0) return 0;
  return IsValidCodePage(static_cast<UINT>(codePage)) ? static_cast<UINT>(codePage) : 0;
}

}  // namespace toolbars

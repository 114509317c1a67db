#include "framework/screen.h"

#include <algorithm>
#include <array>
#include <string>

#include "framework/form.h"

TScreen* Screen = nullptr;

namespace {

constexpr int kCursorSize = 32;

// A cursor picture: the black pixels; every clear pixel next to a black one is drawn white, so the shape shows
// on any background.
using TCursorPicture = std::array<std::array<bool, kCursorSize>, kCursorSize>;

HCURSOR MakeCursor(const TCursorPicture& black, int hotX, int hotY) {
  constexpr int kRowBytes = kCursorSize / 8;
  std::array<BYTE, kRowBytes * kCursorSize> andPlane;
  std::array<BYTE, kRowBytes * kCursorSize> xorPlane;
  andPlane.fill(0xFF);
  xorPlane.fill(0);
  auto isBlack = [&](int x, int y) { return x >= 0 && y >= 0 && x < kCursorSize && y < kCursorSize && black[y][x]; };
  for (int y = 0; y < kCursorSize; ++y) {
    for (int x = 0; x < kCursorSize; ++x) {
      bool white = false;
      if (!black[y][x]) {
        for (int dy = -1; dy <= 1 && !white; ++dy)
          for (int dx = -1; dx <= 1 && !white; ++dx) white = isBlack(x + dx, y + dy);
        if (!white) continue;
      }
      BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
      andPlane[y * kRowBytes + x / 8] &= static_cast<BYTE>(~bit);
      if (white) xorPlane[y * kRowBytes + x / 8] |= bit;
    }
  }
  return CreateCursor(GetModuleHandleW(nullptr), hotX, hotY, kCursorSize, kCursorSize, andPlane.data(),
                      xorPlane.data());
}

// Two bars across the split with arrows pointing away from them on both sides; vertical bars (a left-right
// split) unless transposed.
TCursorPicture SplitPicture(bool transposed) {
  TCursorPicture picture{};
  auto set = [&](int x, int y) {
    if (transposed)
      picture[x][y] = true;
    else
      picture[y][x] = true;
  };
  for (int y = 8; y <= 23; ++y) {
    set(14, y);
    set(17, y);
  }
  for (int x = 6; x <= 13; ++x) {
    set(x, 15);
    set(x, 16);
    set(31 - x, 15);
    set(31 - x, 16);
  }
  for (int d = 0; d <= 4; ++d) {
    for (int y = 15 - d; y <= 16 + d; ++y) {
      set(5 + d, y);
      set(26 - d, y);
    }
  }
  return picture;
}

// An arrow with a block under it: something being dragged.
TCursorPicture DragPicture() {
  TCursorPicture picture{};
  for (int y = 1; y <= 12; ++y)
    for (int x = 1; x <= y; ++x) picture[y][x] = true;
  for (int y = 13; y <= 17; ++y) picture[y][4] = picture[y][5] = true;
  for (int y = 19; y <= 25; ++y)
    for (int x = 8; x <= 18; ++x) picture[y][x] = true;
  return picture;
}

struct TSystemCursor {
  TCursor Number;
  const wchar_t* Id;
};

const TSystemCursor kSystemCursors[] = {
    {crDefault, IDC_ARROW},        {crArrow, IDC_ARROW},    {crCross, IDC_CROSS},       {crIBeam, IDC_IBEAM},
    {crSizeNESW, IDC_SIZENESW},    {crSizeNS, IDC_SIZENS},  {crSizeNWSE, IDC_SIZENWSE}, {crSizeWE, IDC_SIZEWE},
    {crUpArrow, IDC_UPARROW},      {crHourGlass, IDC_WAIT}, {crNoDrop, IDC_NO},         {crNo, IDC_NO},
    {crAppStart, IDC_APPSTARTING}, {crHelp, IDC_HELP},      {crHandPoint, IDC_HAND},    {crSizeAll, IDC_SIZEALL},
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
  return TRUE;
}

DWORD MonitorFlag(TMonitorDefaultTo defaultTo) {
  switch (defaultTo) {
    case TMonitorDefaultTo::mdNull:
      return MONITOR_DEFAULTTONULL;
    case TMonitorDefaultTo::mdPrimary:
      return MONITOR_DEFAULTTOPRIMARY;
    default:
      return MONITOR_DEFAULTTONEAREST;
  }
}

MONITORINFO MonitorInfo(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  return info;
}

}  // namespace

// ---- TMonitor ----

RECT TMonitor::BoundsRect() const { return MonitorInfo(handle_).rcMonitor; }
RECT TMonitor::WorkareaRect() const { return MonitorInfo(handle_).rcWork; }
bool TMonitor::Primary() const { return (MonitorInfo(handle_).dwFlags & MONITORINFOF_PRIMARY) != 0; }

int TMonitor::Width() const {
  RECT r = BoundsRect();
  return r.right - r.left;
}

int TMonitor::Height() const {
  RECT r = BoundsRect();
  return r.bottom - r.top;
}

// ---- TScreen ----

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), hintFont_(std::make_unique<TFont>()), menuFont_(std::make_unique<TFont>()) {
  HDC dc = GetDC(nullptr);
  pixelsPerInch_ = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  LoadCursors();
  ResetFonts();
}

TScreen::~TScreen() {
  for (HCURSOR cursor : ownedCursors_) DestroyCursor(cursor);
}

void TScreen::LoadCursors() {
  for (const TSystemCursor& c : kSystemCursors) cursors_[c.Number] = LoadCursorW(nullptr, c.Id);
  cursors_[crNone] = nullptr;
  SetCursors(crHSplit, MakeCursor(SplitPicture(false), 15, 15));
  SetCursors(crVSplit, MakeCursor(SplitPicture(true), 15, 15));
  SetCursors(crDrag, MakeCursor(DragPicture(), 1, 1));
}

HCURSOR TScreen::Cursors(TCursor index) const {
  auto it = cursors_.find(index);
  return it != cursors_.end() ? it->second : cursors_.at(crDefault);
}

void TScreen::SetCursors(TCursor index, HCURSOR cursor) {
  auto it = cursors_.find(index);
  if (it != cursors_.end()) {
    auto owned = std::find(ownedCursors_.begin(), ownedCursors_.end(), it->second);
    if (owned != ownedCursors_.end()) {
      DestroyCursor(*owned);
      ownedCursors_.erase(owned);
    }
  }
  cursors_[index] = cursor;
  if (cursor) ownedCursors_.push_back(cursor);
}

void TScreen::SetCursor(TCursor value) {
  if (cursor_ == value) return;
  cursor_ = value;
  if (value != crDefault) {
    ::SetCursor(Cursors(value));
    return;
  }
  // Back to the default: the window under the mouse chooses again.
  POINT point;
  GetCursorPos(&point);
  HWND wnd = WindowFromPoint(point);
  if (wnd && GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId()) {
    auto hit = SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(hit, WM_MOUSEMOVE));
  }
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

TRaised TScreen::RemoveForm(TCustomForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (focusedForm_ == form) focusedForm_ = nullptr;
  if (activeForm_ != form) return TRaised(true);
  activeForm_ = nullptr;
  activeControl_ = nullptr;
  return RaiseEvent(OnActiveFormChange, this);
}

TRaised TScreen::SetActive(TCustomForm* form, TWinControl* control) {
  auto it = std::find(forms_.begin(), forms_.end(), form);
  if (it != forms_.end()) std::rotate(forms_.begin(), it, it + 1);
  bool formChanged = activeForm_ != form;
  bool controlChanged = activeControl_ != control;
  activeForm_ = form;
  activeControl_ = control;
  const TLifeWatch formLife = form ? form->LifeWatch() : LifeWatch();
  if (formChanged && ::RaiseEvent(formLife, OnActiveFormChange, this).Gone()) return TRaised(false);
  if (!controlChanged) return TRaised(true);
  return ::RaiseEvent(formLife, OnActiveControlChange, this);
}

void TScreen::ControlDestroyed(TControl* control) {
  if (activeControl_ == control) activeControl_ = nullptr;
}

void TScreen::RefreshMonitors() const {
  std::vector<HMONITOR> handles;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&handles));
  for (HMONITOR handle : handles)
    if (!FindMonitor(handle))
      monitors_.push_back(std::make_unique<TMonitor>(handle, static_cast<int>(monitors_.size())));
}

TMonitor* TScreen::FindMonitor(HMONITOR handle) const {
  for (auto& monitor : monitors_)
    if (monitor->Handle() == handle) return monitor.get();
  return nullptr;
}

int TScreen::MonitorCount() const {
  RefreshMonitors();
  return static_cast<int>(monitors_.size());
}

TMonitor* TScreen::Monitors(int index) const {
  RefreshMonitors();
  return monitors_.at(index).get();
}

TMonitor* TScreen::MonitorFromPoint(POINT point, TMonitorDefaultTo defaultTo) const {
  HMONITOR handle = ::MonitorFromPoint(point, MonitorFlag(defaultTo));
  if (!handle) return nullptr;
  if (!FindMonitor(handle)) RefreshMonitors();
  return FindMonitor(handle);
}

TMonitor* TScreen::MonitorFromRect(const RECT& rect, TMonitorDefaultTo defaultTo) const {
  HMONITOR handle = ::MonitorFromRect(&rect, MonitorFlag(defaultTo));
  if (!handle) return nullptr;
  if (!FindMonitor(handle)) RefreshMonitors();
  return FindMonitor(handle);
}

TMonitor* TScreen::MonitorFromWindow(HWND wnd, TMonitorDefaultTo defaultTo) const {
  HMONITOR handle = ::MonitorFromWindow(wnd, MonitorFlag(defaultTo));
  if (!handle) return nullptr;
  if (!FindMonitor(handle)) RefreshMonitors();
  return FindMonitor(handle);
}

RECT TScreen::WorkAreaRect() const {
  RECT rect{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0)) rect = RECT{0, 0, Width(), Height()};
  return rect;
}

int TScreen::WorkAreaWidth() const {
  RECT r = WorkAreaRect();
  return r.right - r.left;
}

int TScreen::WorkAreaHeight() const {
  RECT r = WorkAreaRect();
  return r.bottom - r.top;
}

RECT TScreen::DesktopRect() const {
  return RECT{DesktopLeft(), DesktopTop(), DesktopLeft() + DesktopWidth(), DesktopTop() + DesktopHeight()};
}

void TScreen::ResetFonts() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  hintFont_->SetHandle(CreateFontIndirectW(&metrics.lfStatusFont));
  hintFont_->SetColor(clInfoText);
  menuFont_->SetHandle(CreateFontIndirectW(&metrics.lfMenuFont));
  menuFont_->SetColor(clMenuText);
}

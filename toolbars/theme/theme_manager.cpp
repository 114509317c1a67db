#include "toolbars/theme/theme_manager.h"

#include <vssym32.h>

#include <algorithm>

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/startup.h"
#include "framework/window_alloc.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/theme/stock_objects.h"
#include "toolbars/theme/theme_registry.h"

namespace toolbars {

bool LowColor = false;
bool WhiteFace = false;
bool LowColorOrWhiteFace = false;
bool UseThemes = false;
bool FlatMenus = false;
TColor MenuBackColor = clMenu;
TColor MenuTextColor = clMenuText;
TColor ToolbarFillColor = clBtnFace;
TColor ToolbarTextColor = clBtnText;
TColor HotLightColor = clHighlight;
TColor CaptionTextColor = clBtnText;

namespace {

// Screens of fewer bits per pixel are low colour.
constexpr int kLowColorBits = 12;

constexpr std::array<const wchar_t*, kThemeStyleCount> kStyleClassNames{
    L"BUTTON", L"SCROLLBAR", L"REBAR", L"TOOLBAR", L"WINDOW", L"COMBOBOX", L"EXPLORERBAR", L"STATUS", L"SPIN"};

// Drag-handle sizes by close button shown and handle style (double, none, single).
constexpr int kDragHandleSizes[2][3] = {{9, 0, 6}, {14, 14, 14}};

std::unique_ptr<TStyledThemeManager> manager;

void StartThemeManager() {
  HotLightColor = GetSysColorBrush(COLOR_HOTLIGHT) ? clHotLight : clHighlight;
  manager = std::make_unique<TStyledThemeManager>();
}

void StopThemeManager() {
  manager.reset();
  ClearThemeRegistry();
}

}  // namespace

TStyledThemeManager::TStyledThemeManager() {
  window_ = AllocateHWnd(TWndMethod(this, &TStyledThemeManager::WindowProc));
  UpdateVariables();
}

TStyledThemeManager::~TStyledThemeManager() {
  CloseThemeHandles();
  DeallocateHWnd(window_);
}

void TStyledThemeManager::AddNotification(TObject* subscriber) { notifies_.Add(subscriber); }

void TStyledThemeManager::RemoveNotification(TObject* subscriber) { notifies_.Remove(subscriber); }

LRESULT TStyledThemeManager::Broadcast(UINT msg, WPARAM wParam, LPARAM lParam) {
  return notifies_.Broadcast(msg, wParam, lParam);
}

void TStyledThemeManager::NotifyChange() {
  if (notifies_.Empty()) return;
  for (WPARAM code : {tcBeforeChange, tcRebuildColors, tcAfterChange}) Broadcast(CM_STYLEDSYSCOMMAND, code, 0);
}

void TStyledThemeManager::UpdateVariables() {
  RecreateStockObjects();
  HDC screen = GetDC(nullptr);
  LowColor = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) < kLowColorBits;
  ReleaseDC(nullptr, screen);
  WhiteFace = GetSysColor(COLOR_BTNFACE) == 0xFFFFFF;
  LowColorOrWhiteFace = LowColor || WhiteFace;

  CloseThemeHandles();
  OpenThemeHandles();

  ToolbarFillColor = clBtnFace;
  ToolbarTextColor = clBtnText;
  if (const TThemeData* toolbar = Style(TThemeStyle::tsToolbar)) {
    COLORREF color = 0;
    if (toolbar->Color(0, 0, TMT_FILLCOLOR, color)) ToolbarFillColor = static_cast<TColor>(color);
    if (toolbar->Color(0, 0, TMT_TEXTCOLOR, color)) ToolbarTextColor = static_cast<TColor>(color);
  }

  if (AreFlatMenusEnabled()) {
    FlatMenus = flatMenuSetting_ != fmDisabled;
    MenuBackColor = FlatMenus ? clMenu : ToolbarFillColor;
    MenuTextColor = FlatMenus ? clMenuText : ToolbarTextColor;
  } else {
    FlatMenus = flatMenuSetting_ == fmEnabled;
    MenuBackColor = FlatMenus ? clWindow : clMenu;
    MenuTextColor = FlatMenus ? clWindowText : clMenuText;
  }
}

void TStyledThemeManager::OpenThemeHandles() {
  UseThemes = false;
  if (!IsWindowsXP() || !useVisualStyles_) return;
  UseThemes = VisualStylesInUse();
  if (!UseThemes) return;
  try {
    for (size_t i = 0; i < kThemeStyleCount; ++i)
      styles_[i] = std::make_unique<TThemeData>(window_, kStyleClassNames[i]);
  } catch (...) {
    // Styles that cannot be opened leave the classic look, not a failure.
    CloseThemeHandles();
  }
}

void TStyledThemeManager::CloseThemeHandles() {
  // Only this manager's data closes: the visual-styles library stays bound for everybody else who holds it.
  for (auto& style : styles_) style.reset();
}

const TThemeData* TStyledThemeManager::Style(TThemeStyle style) const {
  const TThemeData* data = styles_[static_cast<size_t>(style)].get();
  return data && data->IsOpen() ? data : nullptr;
}

void TStyledThemeManager::SetSetting(int key, int value) {
  if (key == tmsFlatMenus) {
    if (value == flatMenuSetting_) return;
    flatMenuSetting_ = value;
  } else if (key == tmsVisualStyles) {
    const bool use = value == vsOn;
    if (use == useVisualStyles_) return;
    useVisualStyles_ = use;
  } else {
    return;
  }
  UpdateVariables();
  NotifyChange();
}

int TStyledThemeManager::GetSetting(int key) const {
  if (key == tmsFlatMenus) return flatMenuSetting_;
  if (key == tmsVisualStyles) return useVisualStyles_ ? vsOn : vsOff;
  return -1;
}

void TStyledThemeManager::WindowProc(TMessage& message) {
  try {
    switch (message.Msg) {
      case WM_SYSCOLORCHANGE:
      case WM_DISPLAYCHANGE:
      case WM_THEMECHANGED:
        UpdateVariables();
        NotifyChange();
        break;
      case WM_ACTIVATEAPP:
        Broadcast(CM_STYLEDSYSCOMMAND, message.WParam ? tcAppActivated : tcAppDeactivated, 0);
        break;
      default:
        break;
    }
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  message.Result = DefWindowProcW(window_, message.Msg, message.WParam, message.LParam);
}

TStyledThemeManager* ThemeManager() {
  if (!manager) InitializeUnit(ThemeManagerUnit());
  return manager.get();
}

const TThemeData* ThemeStyle(TThemeStyle style) { return ThemeManager()->Style(style); }

HTHEME ThemeStyleHandle(TThemeStyle style) {
  const TThemeData* data = ThemeStyle(style);
  return data ? data->Handle() : nullptr;
}

void AddThemeNotification(TObject* subscriber) { ThemeManager()->AddNotification(subscriber); }

void RemoveThemeNotification(TObject* subscriber) {
  if (manager) manager->RemoveNotification(subscriber);
}

void SetThemeManagerSetting(int key, int value) { ThemeManager()->SetSetting(key, value); }

int GetThemeManagerSetting(int key) { return ThemeManager()->GetSetting(key); }

int GetDragHandleSize(const TStyledToolbarPaintInfo& toolbarInfo) {
  if (!toolbarInfo.AllowDrag) return 0;
  const int style = std::clamp(toolbarInfo.DragHandleStyle, dhDouble, dhSingle);
  return kDragHandleSizes[(toolbarInfo.CloseButtonState & cbsShown) ? 1 : 0][style];
}

RECT GetToolbarCloseButtonRect(const TStyledToolbarPaintInfo& toolbarInfo) {
  const int side = GetDragHandleSize(toolbarInfo) - 1;
  const LONG left =
      toolbarInfo.IsVertical ? toolbarInfo.ClientWidth + toolbarInfo.BorderSize.x - side : toolbarInfo.BorderSize.x;
  const LONG top = toolbarInfo.BorderSize.y;
  return RECT{left, top, left + side, top + side};
}

void GetToolbarCloseButtonRect(const TStyledToolbarPaintInfo& toolbarInfo, RECT& rect) {
  rect = GetToolbarCloseButtonRect(toolbarInfo);
}

void GetFloatingCaptionRect(const TStyledWindowPaintInfo& windowInfo, bool adjustForBorder, bool minusCloseButton,
                            RECT& rect) {
  rect = RECT{0, 0, windowInfo.ClientWidth, GetSystemMetrics(SM_CYSMCAPTION) - 1};
  if (minusCloseButton) rect.right -= rect.bottom - rect.top;
  if (adjustForBorder) OffsetRect(&rect, windowInfo.FloatingBorderSize.x, windowInfo.FloatingBorderSize.y);
}

void GetFloatingCloseButtonRect(const TStyledWindowPaintInfo& windowInfo, bool adjustForBorder, RECT& rect) {
  GetFloatingCaptionRect(windowInfo, adjustForBorder, false, rect);
  rect.left = rect.right - (rect.bottom - rect.top);
}

const TUnit& ThemeManagerUnit() {
  static const TUnit unit{
      L"toolbars.themes", &StartThemeManager, &StopThemeManager, {&ControlsUnit(), &DrawingUtilsUnit()}};
  return unit;
}

}  // namespace toolbars

// The theme manager: one per process. It keeps the shared values every theme reads (colour depth, menu and
// toolbar colours, whether visual styles are in use, and the open style data of nine part classes), re-reads them
// when the system's colours, display mode or visual style change, and tells its subscribers with
// CM_STYLEDSYSCOMMAND: tcBeforeChange, tcRebuildColors, tcAfterChange, and tcAppActivated or tcAppDeactivated.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "framework/visual_styles.h"
#include "toolbars/theme/subscriber_list.h"
#include "toolbars/theme/theme.h"

struct TUnit;

namespace toolbars {

// The shared values, written only by the manager (CaptionTextColor also by the application).
extern bool LowColor;
extern bool WhiteFace;
extern bool LowColorOrWhiteFace;
extern bool UseThemes;
extern bool FlatMenus;
extern TColor MenuBackColor;
extern TColor MenuTextColor;
extern TColor ToolbarFillColor;
extern TColor ToolbarTextColor;
extern TColor HotLightColor;
// The colour of item captions outside pop-ups.
extern TColor CaptionTextColor;

// The part classes whose style data the manager keeps open while visual styles are in use.
enum class TThemeStyle {
  tsButton,
  tsScrollBar,
  tsRebar,
  tsToolbar,
  tsWindow,
  tsComboBox,
  tsExplorerBar,
  tsStatus,
  tsSpin
};
constexpr size_t kThemeStyleCount = 9;

// The open style data of the class; null while visual styles are not in use.
const TThemeData* ThemeStyle(TThemeStyle style);
HTHEME ThemeStyleHandle(TThemeStyle style);

// Setting keys and values.
constexpr int tmsFlatMenus = 1;
constexpr int tmsVisualStyles = 2;
constexpr int fmAutomatic = 0;
constexpr int fmDisabled = 1;
constexpr int fmEnabled = 2;
constexpr int vsOn = 0;
constexpr int vsOff = 2;

class TStyledThemeManager : public TObject {
  BC_CLASS(TStyledThemeManager, TObject)
  TStyledThemeManager();
  ~TStyledThemeManager() override;
  TStyledThemeManager(const TStyledThemeManager&) = delete;
  TStyledThemeManager& operator=(const TStyledThemeManager&) = delete;

  bool UseVisualStyles() const { return useVisualStyles_; }
  int FlatMenuSetting() const { return flatMenuSetting_; }
  const std::vector<TObject*>& Notifies() const { return notifies_.Items(); }
  HWND WindowHandle() const { return window_; }

  void AddNotification(TObject* subscriber);
  void RemoveNotification(TObject* subscriber);
  // Dispatches one message to every subscriber in list order; answers the result they leave.
  LRESULT Broadcast(UINT msg, WPARAM wParam, LPARAM lParam);
  // tcBeforeChange, tcRebuildColors, tcAfterChange, when anybody listens.
  void NotifyChange();
  // Re-reads every shared value.
  void UpdateVariables();
  void SetSetting(int key, int value);
  int GetSetting(int key) const;

  const TThemeData* Style(TThemeStyle style) const;

 private:
  void WindowProc(TMessage& message);
  void OpenThemeHandles();
  void CloseThemeHandles();

  bool useVisualStyles_ = true;
  int flatMenuSetting_ = fmAutomatic;
  TSubscriberList notifies_;
  HWND window_ = nullptr;
  std::array<std::unique_ptr<TThemeData>, kThemeStyleCount> styles_;
};

// The manager, made by the unit's start-up.
TStyledThemeManager* ThemeManager();
void AddThemeNotification(TObject* subscriber);
void RemoveThemeNotification(TObject* subscriber);
void SetThemeManagerSetting(int key, int value);
// -1 for an unknown key; the visual-styles key answers vsOn or vsOff.
int GetThemeManagerSetting(int key);

// Geometry of toolbar and floating frames, shared by every theme.
int GetDragHandleSize(const TStyledToolbarPaintInfo& toolbarInfo);
RECT GetToolbarCloseButtonRect(const TStyledToolbarPaintInfo& toolbarInfo);
void GetToolbarCloseButtonRect(const TStyledToolbarPaintInfo& toolbarInfo, RECT& rect);
void GetFloatingCaptionRect(const TStyledWindowPaintInfo& windowInfo, bool adjustForBorder, bool minusCloseButton,
                            RECT& rect);
void GetFloatingCloseButtonRect(const TStyledWindowPaintInfo& windowInfo, bool adjustForBorder, RECT& rect);

const TUnit& ThemeManagerUnit();

}  // namespace toolbars

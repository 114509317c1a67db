// TScreen: what the program knows about the desktop and its own forms: cursors by number, the forms with the
// active one first, the active control, monitors and work areas, the virtual desktop, hint and menu fonts and the
// screen resolution. One instance, `Screen`, lives from the controls unit's start to its end.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "framework/control.h"

class TCustomForm;

enum class TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

// One display monitor as the platform reports it.
class TMonitor : public TObject {
  BC_CLASS(TMonitor, TObject)
  TMonitor(HMONITOR handle, int monitorNum) : handle_(handle), monitorNum_(monitorNum) {}

  HMONITOR Handle() const { return handle_; }
  int MonitorNum() const { return monitorNum_; }
  RECT BoundsRect() const;
  RECT WorkareaRect() const;
  bool Primary() const;
  int Left() const { return BoundsRect().left; }
  int Top() const { return BoundsRect().top; }
  int Width() const;
  int Height() const;

 private:
  HMONITOR handle_;
  int monitorNum_;
};

class TScreen : public TComponent {
  BC_CLASS(TScreen, TComponent)
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  // The cursor shown over every control while not crDefault.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  // The cursor of a number: predefined ones, the framework's own (crHSplit, crVSplit, crDrag) and any a program
  // adds. An unknown number gives the arrow.
  HCURSOR Cursors(TCursor index) const;
  // Adds or replaces a program cursor; the screen destroys cursors it holds this way.
  void SetCursors(TCursor index, HCURSOR cursor);

  // The forms, the most recently active first.
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const { return forms_.at(index); }
  TCustomForm* ActiveForm() const { return activeForm_; }
  TWinControl* ActiveControl() const { return activeControl_; }
  // The form whose control has the keyboard focus (a modal form while it runs).
  TCustomForm* FocusedForm() const { return focusedForm_; }
  void SetFocusedForm(TCustomForm* form) { focusedForm_ = form; }

  int MonitorCount() const;
  TMonitor* Monitors(int index) const;
  TMonitor* MonitorFromPoint(POINT point, TMonitorDefaultTo defaultTo = TMonitorDefaultTo::mdNearest) const;
  TMonitor* MonitorFromRect(const RECT& rect, TMonitorDefaultTo defaultTo = TMonitorDefaultTo::mdNearest) const;
  TMonitor* MonitorFromWindow(HWND wnd, TMonitorDefaultTo defaultTo = TMonitorDefaultTo::mdNearest) const;
  // The primary monitor's work area and size.
  RECT WorkAreaRect() const;
  int WorkAreaWidth() const;
  int WorkAreaHeight() const;
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  // The rectangle that holds every monitor.
  RECT DesktopRect() const;
  int DesktopLeft() const { return GetSystemMetrics(SM_XVIRTUALSCREEN); }
  int DesktopTop() const { return GetSystemMetrics(SM_YVIRTUALSCREEN); }
  int DesktopWidth() const { return GetSystemMetrics(SM_CXVIRTUALSCREEN); }
  int DesktopHeight() const { return GetSystemMetrics(SM_CYVIRTUALSCREEN); }

  // The fonts of tool tips and menus as the system sets them; ResetFonts reads them again.
  TFont* HintFont() const { return hintFont_.get(); }
  TFont* MenuFont() const { return menuFont_.get(); }
  void ResetFonts();
  int PixelsPerInch() const { return pixelsPerInch_; }

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

  // Bookkeeping of the forms, called by TCustomForm.
  void AddForm(TCustomForm* form);
  [[nodiscard]] TRaised RemoveForm(TCustomForm* form);
  // A control of form got the focus: the form moves to the front of the list. The handlers of the change may free
  // the form: answers whether it outlived them.
  TRaised SetActive(TCustomForm* form, TWinControl* control);
  // Forgets a control that is being destroyed.
  void ControlDestroyed(TControl* control);

 private:
  void LoadCursors();
  void RefreshMonitors() const;
  TMonitor* FindMonitor(HMONITOR handle) const;

  TCursor cursor_ = crDefault;
  std::map<TCursor, HCURSOR> cursors_;
  std::vector<HCURSOR> ownedCursors_;
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  TCustomForm* focusedForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  mutable std::vector<std::unique_ptr<TMonitor>> monitors_;
  std::unique_ptr<TFont> hintFont_;
  std::unique_ptr<TFont> menuFont_;
  int pixelsPerInch_ = 96;
};

extern TScreen* Screen;

// TBarFloatingWindowParent, the small borderless tool-window form a dockable window lives in while it floats: it
// draws its own frame, caption and close button, answers hit tests for sizing, moving and closing, hands focus and
// activation back to the form that owns the bar, and shows and hides without ever being activated.
#pragma once

#include <windows.h>

#include "framework/form.h"

namespace toolbars {

class TBarCustomDockableWindow;

// Parts of the frame RedrawNCArea and DrawNCArea take.
constexpr int kFloatingFrameBorder = 1;
constexpr int kFloatingFrameCaption = 2;
constexpr int kFloatingFrameCloseButton = 4;
constexpr int kFloatingFrameAll = 7;

class TBarFloatingWindowParent : public TCustomForm {
  BC_CLASS(TBarFloatingWindowParent, TCustomForm)
  explicit TBarFloatingWindowParent(TComponent* owner);

  TBarCustomDockableWindow* DockableWindow() const { return dockableWindow_; }
  void SetDockableWindow(TBarCustomDockableWindow* value) { dockableWindow_ = value; }
  TCustomForm* ParentForm() const { return parentForm_; }
  void SetParentForm(TCustomForm* value) { parentForm_ = value; }
  bool ShouldBeVisible() const { return shouldBeVisible_; }
  void SetShouldBeVisible(bool value) { shouldBeVisible_ = value; }
  bool CloseButtonDown() const { return closeButtonDown_; }
  void SetCloseButtonDown(bool value);

  // Repaints the frame parts given (kFloatingFrame... bits) when the form has a visible window.
  void RedrawNCArea(int what);
  // The caption in client (or, adjusted, window) coordinates, with or without the close square.
  RECT CaptionRect(bool adjustForBorder, bool minusCloseButton) const;
  RECT CloseButtonRect(bool adjustForBorder) const;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised AlignControls(TControl* control, RECT& rect) override;
  // Paints the frame parts into dc (drawToDC) or into the window DC clipped to clip.
  virtual void DrawNCArea(bool drawToDC, HDC dc, HRGN clip, int what);

 private:
  static void PrintNCArea(HWND wnd, HDC dc, void* data);
  TCustomForm* OwningForm() const;
  void WMActivate(TMessage& message);
  void WMMouseActivate(TMessage& message);
  void WMNCHitTest(TMessage& message);
  void WMNCLButtonDown(TMessage& message);

  bool closeButtonDown_ = false;
  TBarCustomDockableWindow* dockableWindow_ = nullptr;
  TCustomForm* parentForm_ = nullptr;
  bool shouldBeVisible_ = false;
};

// Gives activation to another visible, enabled top-level window of the thread (the first that is not topmost,
// else the first topmost one), never to self or the application window.
void ActivateOtherThreadWindow(HWND self);

}  // namespace toolbars

// THintWindow: the small pop-up the application shows a control's hint in. Classes that show their hints
// differently derive from it and are named by HintWindowClass or a control's CM_HINTSHOW answer.
#pragma once

#include "framework/win_control.h"

class THintWindow : public TCustomControl {
  BC_CLASS(THintWindow, TCustomControl)
  explicit THintWindow(TComponent* owner);

  // Places the window at rect (kept inside the virtual desktop) and shows it on top, without activating it.
  // Showing the hint sets the window's caption and bounds, whose handlers may free it: answers whether it lived.
  [[nodiscard]] virtual TRaised ActivateHint(RECT rect, const String& hint);
  [[nodiscard]] virtual TRaised ActivateHintData(RECT rect, const String& hint, void* data);
  // The size the hint text needs, at most maxWidth wide, as a rectangle at (0, 0).
  virtual RECT CalcHintRect(int maxWidth, const String& hint, void* data);
  // Whether a queued message ends the hint: keys, clicks, activation, commands and non-client mouse moves.
  virtual bool IsHintMsg(const MSG& msg);
  // Destroys the window; the next ActivateHint makes it again. Answers whether the hint outlived the window's going.
  [[nodiscard]] TRaised ReleaseHandle() { return DestroyHandle(); }

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised Paint() override;
};

// TSysStartButtonProperties: the position, size, state and visibility of the taskbar's start button. Without a
// taskbar the handle is null and every call fails quietly.
#pragma once

#include <windows.h>

#include "shell/system/sys_component.h"

namespace shell {

class TSysStartButtonProperties : public TSysComponent {
  BC_CLASS(TSysStartButtonProperties, TSysComponent)
  explicit TSysStartButtonProperties(TComponent* owner = nullptr);
  ~TSysStartButtonProperties() override { handle_ = nullptr; }

  HWND Handle() const { return handle_; }
  // Each read asks the window first.
  int ButtonLeft();
  void SetButtonLeft(int value) { SetBounds(value, buttonTop_, buttonWidth_, buttonHeight_); }
  int ButtonTop();
  void SetButtonTop(int value) { SetBounds(buttonLeft_, value, buttonWidth_, buttonHeight_); }
  int ButtonWidth();
  void SetButtonWidth(int value) { SetBounds(buttonLeft_, buttonTop_, value, buttonHeight_); }
  int ButtonHeight();
  void SetButtonHeight(int value) { SetBounds(buttonLeft_, buttonTop_, buttonWidth_, value); }
  bool Enabled() const { return IsWindowEnabled(handle_) != FALSE; }
  void SetEnabled(bool value) { EnableWindow(handle_, value); }
  bool Visible() const { return IsWindowVisible(handle_) != FALSE; }
  void SetVisible(bool value) { ShowWindow(handle_, value ? SW_SHOW : SW_HIDE); }

  // Reads the button's restored position.
  virtual void UpdateBounds();
  // Moves the button unless nothing changes.
  virtual void SetBounds(int left, int top, int width, int height);

  const TPublishedTable& PublishedTable() const override;

 private:
  int buttonHeight_ = 0;
  int buttonTop_ = 0;
  int buttonWidth_ = 0;
  int buttonLeft_ = 0;
  HWND handle_ = nullptr;
};

}  // namespace shell

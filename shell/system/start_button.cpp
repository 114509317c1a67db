#include "shell/system/start_button.h"

#include "framework/properties.h"

namespace shell {

TSysStartButtonProperties::TSysStartButtonProperties(TComponent* owner) : TSysComponent(owner) {
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  handle_ = taskbar ? FindWindowExW(taskbar, nullptr, L"Button", nullptr) : nullptr;
  UpdateBounds();
}

void TSysStartButtonProperties::UpdateBounds() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(handle_, &placement)) return;
  const RECT& r = placement.rcNormalPosition;
  buttonLeft_ = r.left;
  buttonTop_ = r.top;
  buttonWidth_ = r.right - r.left;
  buttonHeight_ = r.bottom - r.top;
}

int TSysStartButtonProperties::ButtonLeft() {
  UpdateBounds();
  return buttonLeft_;
}

int TSysStartButtonProperties::ButtonTop() {
  UpdateBounds();
  return buttonTop_;
}

int TSysStartButtonProperties::ButtonWidth() {
  UpdateBounds();
  return buttonWidth_;
}

int TSysStartButtonProperties::ButtonHeight() {
  UpdateBounds();
  return buttonHeight_;
}

void TSysStartButtonProperties::SetBounds(int left, int top, int width, int height) {
  if (left == buttonLeft_ && top == buttonTop_ && width == buttonWidth_ && height == buttonHeight_) return;
  SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

const TPublishedTable& TSysStartButtonProperties::PublishedTable() const {
  using P = TPublished<TSysStartButtonProperties>;
  using T = TSysStartButtonProperties;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Integer(L"ButtonLeft", &T::ButtonLeft, &T::SetButtonLeft),
                                         P::Integer(L"ButtonTop", &T::ButtonTop, &T::SetButtonTop),
                                         P::Integer(L"ButtonWidth", &T::ButtonWidth, &T::SetButtonWidth),
                                         P::Integer(L"ButtonHeight", &T::ButtonHeight, &T::SetButtonHeight),
                                         P::Boolean(L"Enabled", &T::Enabled, &T::SetEnabled).Default(true),
                                         P::Boolean(L"Visible", &T::Visible, &T::SetVisible).Default(true),
                                     });
  return table;
}

}  // namespace shell

// What an item's pop-up routine needs of the window that shows a pop-up: the view inside it, the size of its
// frame, and where it goes. The framework's pop-up window derives from it; the item creates one through the
// class its GetPopupWindowClass names.
#pragma once

#include <cstdint>

#include "framework/win_control.h"
#include "toolbars/items/item.h"

namespace toolbars {

// Directions of the opening animation: a set of these bits.
using TBarAnimateDirection = uint8_t;
constexpr TBarAnimateDirection adLeft = 1;
constexpr TBarAnimateDirection adRight = 2;
constexpr TBarAnimateDirection adDown = 4;
constexpr TBarAnimateDirection adUp = 8;

// The placement of a pop-up, computed by the item's pop-up routine and corrected by GetPopupPosition.
struct TBarPopupPositionRec {
  bool PositionAsSubmenu = false;
  TBarPopupAlignment Alignment = TBarPopupAlignment::tbpaLeft;
  bool Opposite = false;
  RECT MonitorRect{};
  RECT ParentItemRect{};  // screen coordinates
  int NCSizeX = 0;
  int NCSizeY = 0;
  int X = 0;
  int Y = 0;
  int W = 0;
  int H = 0;
  TBarAnimateDirection AnimateDirection = 0;
  // Cleared by a position routine to show the window without the pop-up sound.
  bool PlaySound = true;
};

class TBarPopupWindowBase : public TCustomControl {
  BC_CLASS(TBarPopupWindowBase, TCustomControl)
  explicit TBarPopupWindowBase(TComponent* owner) : TCustomControl(owner) {}

  virtual TBarView* View() const = 0;
  // The frame on each side of the client area.
  virtual POINT NCSize() const = 0;
  TBarAnimateDirection AnimateDirection() const { return animateDirection_; }
  void SetAnimateDirection(TBarAnimateDirection value) { animateDirection_ = value; }

 private:
  TBarAnimateDirection animateDirection_ = 0;
};

// The pop-up window class of items that name no other; the pop-up window's unit registers its class here.
TBarPopupWindowClass DefaultPopupWindowClass();
TBarPopupWindowClass SetDefaultPopupWindowClass(TBarPopupWindowClass value);

}  // namespace toolbars

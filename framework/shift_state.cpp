#include "framework/shift_state.h"

namespace {

// The context bit of a key message's data: set while Alt is held.
constexpr LPARAM kAltDownBit = 0x20000000;

bool KeyDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

TShiftState MouseKeysToShiftState(DWORD keys) {
  TShiftState result;
  if (keys & MK_SHIFT) result += TShiftStateItem::ssShift;
  if (keys & MK_CONTROL) result += TShiftStateItem::ssCtrl;
  if (keys & MK_LBUTTON) result += TShiftStateItem::ssLeft;
  if (keys & MK_RBUTTON) result += TShiftStateItem::ssRight;
  if (keys & MK_MBUTTON) result += TShiftStateItem::ssMiddle;
  return result;
}

}  // namespace

TShiftState KeysToShiftState(WORD keys) {
  TShiftState result = MouseKeysToShiftState(keys);
  // Every mouse move asks this. Where the thread's key state costs a round trip to the window system and the key's
  // state now does not, the thread's state is asked only while the key is down now.
  if (GetAsyncKeyState(VK_MENU) < 0 && KeyDown(VK_MENU)) result += TShiftStateItem::ssAlt;
  return result;
}

TShiftState DragKeysToShiftState(DWORD keyState) {
  TShiftState result = MouseKeysToShiftState(keyState);
  if (keyState & MK_ALT) result += TShiftStateItem::ssAlt;
  return result;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState result;
  if (KeyDown(VK_SHIFT)) result += TShiftStateItem::ssShift;
  if (KeyDown(VK_CONTROL)) result += TShiftStateItem::ssCtrl;
  if (keyData & kAltDownBit) result += TShiftStateItem::ssAlt;
  return result;
}

TShiftState CurrentShiftState() {
  TShiftState result;
  if (KeyDown(VK_SHIFT)) result += TShiftStateItem::ssShift;
  if (KeyDown(VK_CONTROL)) result += TShiftStateItem::ssCtrl;
  if (KeyDown(VK_MENU)) result += TShiftStateItem::ssAlt;
  if (KeyDown(VK_LBUTTON)) result += TShiftStateItem::ssLeft;
  if (KeyDown(VK_RBUTTON)) result += TShiftStateItem::ssRight;
  if (KeyDown(VK_MBUTTON)) result += TShiftStateItem::ssMiddle;
  return result;
}

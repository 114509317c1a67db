#include "shell/dragdrop/drop_effects.h"

#include <oleidl.h>

namespace shell {

bool DropEffectToDragType(DWORD effect, TDragType& dragType) {
  dragType = TDragType::dtCopy;
  if (effect & DROPEFFECT_COPY) return true;
  if (effect & DROPEFFECT_MOVE) {
    dragType = TDragType::dtMove;
    return true;
  }
  if (effect & DROPEFFECT_LINK) {
    dragType = TDragType::dtLink;
    return true;
  }
  return false;
}

DWORD DragTypesToDropEffect(TDragTypes dragTypes) {
  DWORD effect = DROPEFFECT_NONE;
  if (dragTypes.Contains(TDragType::dtCopy)) effect |= DROPEFFECT_COPY;
  if (dragTypes.Contains(TDragType::dtMove)) effect |= DROPEFFECT_MOVE;
  if (dragTypes.Contains(TDragType::dtLink)) effect |= DROPEFFECT_LINK;
  return effect;
}

TDragResult DropEffectToDragResult(DWORD effect) {
  switch (effect) {
    case DROPEFFECT_NONE:
      return TDragResult::drCancel;
    case DROPEFFECT_COPY:
      return TDragResult::drDropCopy;
    case DROPEFFECT_MOVE:
      return TDragResult::drDropMove;
    case DROPEFFECT_LINK:
      return TDragResult::drDropLink;
    default:
      return TDragResult::drUnknown;
  }
}

DWORD ShiftStateToDropEffect(TShiftState shiftState, DWORD allowedEffects, bool fallBack) {
  bool shift = shiftState.Contains(TShiftStateItem::ssShift);
  bool ctrl = shiftState.Contains(TShiftStateItem::ssCtrl);
  DWORD wanted = shift && ctrl ? DROPEFFECT_LINK : ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  if (allowedEffects & wanted) return wanted;
  if (!fallBack) return DROPEFFECT_NONE;
  for (DWORD effect : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
    if (allowedEffects & effect) return effect;
  return DROPEFFECT_NONE;
}

POINT ClientToWindowPoint(HWND window, POINT clientPoint) {
  ClientToScreen(window, &clientPoint);
  RECT bounds{};
  GetWindowRect(window, &bounds);
  return {clientPoint.x - bounds.left, clientPoint.y - bounds.top};
}

}  // namespace shell

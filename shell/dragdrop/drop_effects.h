// The vocabulary that drop sources and drop targets share with the platform's drag loop: the kinds of drag, the
// outcome of one, and the translation between them, the modifier keys and the DROPEFFECT bits.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/set.h"
#include "framework/shift_state.h"

namespace shell {

enum class TDragType : uint8_t { dtCopy, dtMove, dtLink };
using TDragTypes = TSet<TDragType, 8>;

// Dropped as copy, move or link; cancelled; out of memory; any other outcome (value 5 is never produced).
enum class TDragResult : uint8_t {
  drDropCopy = 0,
  drDropMove = 1,
  drDropLink = 2,
  drCancel = 3,
  drOutOfMemory = 4,
  drUnknown = 6
};

// DROPEFFECT_COPY, then MOVE, then LINK decide; false (and dtCopy) when none of them is set.
bool DropEffectToDragType(DWORD effect, TDragType& dragType);
DWORD DragTypesToDropEffect(TDragTypes dragTypes);
// NONE is a cancelled drop; COPY, MOVE and LINK their drop; any other value an unknown outcome.
TDragResult DropEffectToDragResult(DWORD effect);
// Shift+Ctrl links, Ctrl copies, Shift or no modifier moves, each only when allowed; with fallBack, an effect that
// is not allowed gives the first allowed of copy, move and link instead of 0.
DWORD ShiftStateToDropEffect(TShiftState shiftState, DWORD allowedEffects, bool fallBack);
// A client point of the window relative to the window's outer rectangle, as the image-list drag routines take it.
POINT ClientToWindowPoint(HWND window, POINT clientPoint);

}  // namespace shell

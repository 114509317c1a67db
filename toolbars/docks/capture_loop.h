// The modal loops that run while the left button is held on a dock's window: moving, sizing, or pressing a
// caption or frame button. Each keeps the mouse capture, feeds mouse moves and keys to its owner and ends on the
// release of the left button (accepted) or on anything that cancels it.
#pragma once

#include <windows.h>

#include <functional>

namespace toolbars {

struct TCaptureLoopHandlers {
  // Screen position of every mouse move.
  std::function<void(POINT)> MouseMove;
  // WM_KEYDOWN and WM_KEYUP; answers true to cancel the loop. Without it keys are swallowed.
  std::function<bool(const MSG&)> Key;
  // Asked after every message: answers true once what the loop moves is gone (code the loop ran freed it), which
  // cancels the loop.
  std::function<bool()> Gone;
};

// Runs while captureWindow holds the capture (the caller takes it). The left button released ends it with true; a
// second left press, a lost capture, a key handler's cancel, what the loop moves gone or WM_QUIT (posted again) end
// it with false. Other buttons and character messages are swallowed, everything else is dispatched. The capture
// is released on return.
bool RunCaptureLoop(HWND captureWindow, const TCaptureLoopHandlers& handlers);

// inside answers whether the cursor (screen) is over the button; pushed shows the button's state. Answers whether
// the button was released over it.
bool RunButtonPressLoop(HWND captureWindow, const std::function<bool(POINT)>& inside,
                        const std::function<void(bool)>& pushed);

}  // namespace toolbars

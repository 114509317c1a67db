// The loop a caption or frame button runs while the left button is held on it: it reports whether the cursor is
// over the button, keeps the capture, and answers whether the button was released over it.
#pragma once

#include <windows.h>

#include <functional>

namespace toolbars {

// inside answers whether the cursor (screen) is over the button; pushed shows the button's state. Another button
// press, a lost capture or WM_QUIT (posted again) end the loop with false.
bool RunButtonPressLoop(HWND captureWindow, const std::function<bool(POINT)>& inside,
                        const std::function<void(bool)>& pushed);

}  // namespace toolbars

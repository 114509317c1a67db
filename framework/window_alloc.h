// Hidden utility windows whose messages go to a delegate: the way plain objects (a theme manager, a thread's
// synchronisation, an HTTP component) get a window handle to post to, timers, and the system's broadcasts.
#pragma once

#include <windows.h>

#include "framework/delegate.h"
#include "framework/object.h"

using TWndMethod = TDelegate<void(TMessage& message)>;

// A hidden top-level window (so it hears broadcasts such as WM_SYSCOLORCHANGE and WM_ACTIVATEAPP) owned by the
// calling thread. Every message after its creation goes to method, which sets Result and calls DefWindowProc
// itself for what it does not handle. Raises EOutOfResources when no window can be made.
HWND AllocateHWnd(TWndMethod method);
// The same as a message-only window: it hears no broadcasts and costs far less to make.
HWND AllocateMessageHWnd(TWndMethod method);
// Destroys a window made by AllocateHWnd or AllocateMessageHWnd; the delegate hears nothing of the destruction.
// Null is allowed.
void DeallocateHWnd(HWND wnd);

// Drives modal loops from a test: the input is posted first, then the loop runs, and a watchdog ends the loop
// and fails the test when it does not finish in time, so no test can hang.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// Calls postInput, then runModal (which enters the modal loop and returns when it ends). When the loop still runs
// after maxMilliseconds, the watchdog cancels it (WM_CANCELMODE and Escape to the thread's capture, menu and focus
// windows, then WM_QUIT, which is taken out of the queue again afterwards) and the test fails. A loop that
// answers none of that within a few seconds more ends the test program with a message. Answers whether the loop
// ended in time.
bool RunModalWithInput(const std::function<void()>& postInput, const std::function<void()>& runModal,
                       DWORD maxMilliseconds = 5000);

// Runs input once from inside whichever message loop the thread runs next, after the delay: for loops that drop
// input queued before they start.
void PostInputFromLoop(std::function<void()> input, UINT delayMilliseconds = 0);
// Has every test end with the inputs it posted from loops and that never ran dropped: input that waited for a loop
// that never came (a menu a handler freed before it opened) would otherwise run in a later test's loop, about
// objects gone with the test that posted it.
void InstallPendingInputDrop();

// Posts WM_KEYDOWN and WM_KEYUP for a virtual key to the window, with plausible key data.
void PostKeyPress(HWND wnd, WORD virtualKey);
// Presses and releases a key (with the modifiers first) through the system's input queue.
void SendKeyPress(WORD virtualKey, bool shift = false, bool control = false, bool alt = false);
// The same, then serves the thread's messages until the keys are up again.
void TypeAndSettle(WORD virtualKey, bool shift = false, bool control = false, bool alt = false);
// Sends one mouse event (MOUSEEVENTF_ flags: a button down or up, a move to where the cursor is) through the
// system's input queue.
void SendMouse(DWORD flags);
// Moves the mouse to a screen point and clicks there through the system's input queue.
void SendMouseClick(POINT screenPoint, bool rightButton = false);
// The same with the button whose MOUSEEVENTF_ press and release flags are given (the middle button, say).
void SendMouseClick(POINT screenPoint, DWORD pressFlag, DWORD releaseFlag);
// The same, then serves the thread's messages until the buttons are up and nobody holds the capture.
void ClickAndSettle(POINT screenPoint, bool rightButton = false);
// Presses the left button at a screen point, moves through the path and releases it at the path's last point,
// through the system's input queue, serving the thread's messages after each step; afterMove runs after each move
// with the move's index.
void SendMouseDragThrough(POINT from, const std::vector<POINT>& path,
                          const std::function<void(size_t move)>& afterMove = {});
// Sends a mouse message straight to a window as the input queue delivers one: while it is handled, the thread's
// key state shows down the buttons that the message's MK_ flags name, as it does while a person holds them.
LRESULT SendMouseMessage(HWND wnd, UINT msg, WPARAM keys, LPARAM position);
// Dispatches every message now in the thread's queue (sent and posted), without waiting.
void ProcessPendingMessages();
// Puts the pointer at a screen point over a window of this thread and waits until the display server has reported
// the move (the platform's own report, made at once, does not count), so that the server has delivered every
// pointer move and focus change made before; serves the events they caused. Until then a key pressed through the
// input queue may be let go again: the server's word on a focus change or a window the pointer enters says which
// keys it holds down, and it holds none. A pointer the server never reports fails the test, saying so.
void CatchUpWithTheDisplay(POINT pointer);
// Makes a window the foreground window, waits until the platform has made it the active one, which it says at
// once, and then until the display server has caught up (its pointer brought to the window's bottom right corner):
// the server's late word on the focus, sent even when the window was in front already, could otherwise end a click
// or a drag that starts meanwhile.
void BringToTheFront(HWND window);

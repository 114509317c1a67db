// Stateless routines every part of the toolbar and menu framework and the toolbar themes call: text measuring
// with accelerator marks, rotated captions of vertical bars, XOR drag outlines, monitor rectangles, the system's
// menu settings, mouse tracking, printing of windows and message pumping.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/lists.h"
#include "framework/object.h"

class TWinControl;

namespace toolbars {

// True when the calling thread has an active window.
bool ApplicationIsActive();

// Sorts in place (Hoare quicksort around the middle element; not stable).
using TListSortExCompare = int (*)(void* item1, void* item2, void* extraData);
void ListSortEx(TList& list, TListSortExCompare compare, void* extraData);

// Paints a window into the DC of a WM_PRINT message: the non-client part through painter, then background and
// client through WM_ERASEBKGND and WM_PRINTCLIENT, then the children the flags ask for. Result 1.
using TNCPaintProc = void (*)(HWND wnd, HDC dc, void* data);
void HandleWMPrint(HWND wnd, TMessage& message, TNCPaintProc painter, void* data);
// Paints the control's client area into the DC of a WM_PRINTCLIENT message through its WM_PAINT handling, its
// background first when the message asks for it (PRF_ERASEBKGND).
void HandleWMPrintClient(TWinControl* control, TMessage& message);

// The quotient rounded away from zero when the division leaves a remainder.
int DivRoundUp(int x, int y);
int MinInt(int a, int b);

int GetTextHeight(HDC dc);
// The width of the text as drawn: with prefix the accelerator marks are taken out first ("&&" leaves one "&").
int GetTextWidth(HDC dc, const String& text, bool prefix);
int GetTextExtentWidth(HDC dc, const String& text);

// Dispatches the thread's queued WM_PAINT messages; a WM_QUIT met on the way is posted again.
void ProcessPaintMessages();
// Takes the queued messages of the range out of the queue; a WM_QUIT among them is posted again.
void RemoveMessages(UINT lowest, UINT highest);
// Clips a window DC to a non-client update region given in screen coordinates.
void SelectNCUpdateRgn(HWND wnd, HDC dc, HRGN updateRegion);

// A list made on first use and freed when its last item goes.
template <class T>
bool AddToList(std::unique_ptr<std::vector<T*>>& list, T* item) {
  if (!list) list = std::make_unique<std::vector<T*>>();
  if (std::find(list->begin(), list->end(), item) != list->end()) return false;
  list->push_back(item);
  return true;
}
template <class T>
void RemoveFromList(std::unique_ptr<std::vector<T*>>& list, T* item) {
  if (!list) return;
  auto found = std::find(list->begin(), list->end(), item);
  if (found != list->end()) list->erase(found);
  if (list->empty()) list.reset();
}

// The system's submenu show delay in milliseconds, never negative.
int GetMenuShowDelay();
// The delay stored in the user's desktop settings: 100 without a value, 0 for anything but a whole number.
int ReadMenuShowDelaySetting();
bool AreFlatMenusEnabled();
bool AreKeyboardCuesEnabled();
bool IsWindowsXP();

HRGN CreateNullRegion();
// Inverts the frames of newRect and oldRect (either may be null) with the given thickness; with one brush for
// both only the difference of the two frames changes, so a moved outline does not flicker.
void DrawInvertRect(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newSize, SIZE oldSize, HBRUSH brush,
                    HBRUSH brushLast);
HBRUSH CreateHalftoneBrush();
// The same with the halftone brush, for outlines drawn on the screen; the inversion is on the screen when it returns.
void DrawHalftoneInvertRect(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newSize, SIZE oldSize);

bool PointsEqual(POINT a, POINT b);

RECT GetRectOfPrimaryMonitor(bool workArea);
bool UsingMultipleMonitors();
RECT GetRectOfMonitorContainingRect(const RECT& rect, bool workArea);
RECT GetRectOfMonitorContainingPoint(POINT point, bool workArea);

// Binds TrackMouseEvent once; CallTrackMouseEvent answers false while nothing is bound.
void InitTrackMouseEvent();
bool CallTrackMouseEvent(HWND wnd, DWORD flags);
// Frees the library the binding loaded, at the end of the run.
void ReleaseTrackMouseEvent();

// The DC's font turned to run downwards (its vertical variant when the system has one); null when the DC's font
// cannot be read. The caller deletes it.
HFONT CreateRotatedFont(HDC dc);
// Draws text downwards centred across rect, with its accelerator underlined and an end ellipsis on request
// (DT_CENTER, DT_END_ELLIPSIS, DT_NOCLIP and DT_HIDEPREFIX of format are honoured).
void DrawRotatedText(HDC dc, const String& text, const RECT& rect, UINT format);

// Whether the user's sound scheme gives the event alias a sound.
bool NeedToPlaySound(const wchar_t* alias);
// Starts the event alias's sound and returns at once; a sound already playing goes on, and an alias without a
// sound plays nothing.
void PlayMenuSound(const wchar_t* alias);

// The ANSI code page of the thread's keyboard language; 0 when it cannot be told.
UINT GetInputLocaleCodePage();

}  // namespace toolbars

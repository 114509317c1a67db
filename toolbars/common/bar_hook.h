// One set of thread hooks shared by every framework object that wants to hear of its thread's windows: a client
// registers a procedure for the kinds of notification it needs, the hooks those kinds need come with the first
// user and go with the last. Also the process-wide focus filter the main window sets.
#pragma once

#include <windows.h>

#include "framework/set.h"

namespace toolbars {

enum class THookProcKind { hkActivateApp, hkWindowPosChanged, hkDestroyWindow, hkGetMessage };
using THookProcKinds = TSet<THookProcKind, 4>;

// (Kind, Wnd, WParam, LParam): hkActivateApp and hkWindowPosChanged carry the message's window and parameters,
// hkDestroyWindow the window being destroyed, hkGetMessage whether the message is removed and the MSG it may change.
using THookProc = void (*)(THookProcKind kind, HWND wnd, WPARAM wParam, LPARAM lParam);

// A second registration of proc only counts it again (its kinds stay). With onlyIncrementCount no hook is
// installed or counted, as for windows being designed.
void InstallHookProc(THookProc proc, THookProcKinds kinds, bool onlyIncrementCount);
// Lowers the use count of every hook proc's kinds need, even when proc is not (or no longer) registered.
void UninstallHookProc(THookProc proc);
// The end of the run: every hook goes, whatever its count, and every registration.
void RemoveAllHookProcs();

// How many registrations keep the hook for a notification kind.
int HookUseCount(THookProcKind kind);

// Asked before the focus moves to focusWnd (from prevFocusWnd); true keeps it where it is.
using TSetFocusFilterProc = bool(CALLBACK*)(HWND focusWnd, HWND prevFocusWnd);
extern TSetFocusFilterProc SetFocusFilter;
extern bool SetFocusFilterEnabled;

}  // namespace toolbars

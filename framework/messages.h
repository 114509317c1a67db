// The framework's own notification numbers. Controls tell one another about property changes, focus, hints and
// dialog keys with these; a parent reflects the notifications of a child window back to that child as CN_ +
// the window message.
#pragma once

#include <windows.h>

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
// WParam the virtual key, LParam the key data; a non-zero Result takes the key.
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
// LParam the control that got the focus; sent to the form and broadcast to every control on it.
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
// WParam 0: take the parent's value; otherwise LParam carries it (a TFont*, a TColor).
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
// LParam the control the mouse entered or left; a control's children count as inside it.
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
// To the application: a key message that may be an application short-cut.
constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
// WParam the key (Tab, arrows, Enter, Escape); a non-zero Result keeps it from the dialog-key pipeline.
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_WININICHANGE = CM_BASE + 37;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
// WParam the child control, LParam 1 when it is inserted and 0 when it is removed.
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
// WParam a TDragMessage, LParam a TDragRec* (framework/drag.h).
constexpr UINT CM_DRAG = CM_BASE + 47;
// LParam a THintInfo* the control may change (framework/application.h); a non-zero Result shows no hint.
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
// WParam the child control, LParam 1 when it is inserted and 0 when it is removed.
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;
// WParam the TDragDockObject, LParam the mouse (screen); Result 0 when docked.
constexpr UINT CM_DOCKCLIENT = CM_BASE + 56;
// WParam the new dock site (null when floating), LParam the client leaving.
constexpr UINT CM_UNDOCKCLIENT = CM_BASE + 57;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;
// WParam 1 when a hint is already showing, LParam an int* with the pause before the hint (milliseconds).
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 65;
// WParam and LParam as in WM_MOUSEWHEEL (MK_ keys and delta; screen point); a non-zero Result handled it.
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;

// Notifications a parent window receives about a child window come back to the child as CN_BASE + the message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

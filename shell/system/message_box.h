// The message boxes the component set shows (a worker's unhandled exception, a second instance, warnings): through
// MessageBoxW unless replaced, so that an unattended run can answer them. Installs function (null: the platform's
// own) and returns the one it replaces.
#pragma once

#include <windows.h>

namespace shell {

using TSysMessageBoxFunction = int(WINAPI*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);
TSysMessageBoxFunction SetSysMessageBoxFunction(TSysMessageBoxFunction function);
int SysMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);

}  // namespace shell

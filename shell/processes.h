// Running processes and the windows that belong to them: the executable behind a window, the list of running
// processes, a process's main window.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/object.h"

namespace shell {

struct TRunningProcess {
  String Name;
  DWORD ProcessId = 0;
};
using TRunningProcesses = std::vector<TRunningProcess>;

// The full path or the file name of a process's executable; empty when the process cannot be opened or read.
String ProcessFileName(DWORD processId, bool fullPath);
// The running processes, listed through a tool-help snapshot on every version but NT 3 and 4, which list them
// through PSAPI. False when the platform gives no list.
bool RunningProcessesList(TRunningProcesses& list, bool fullPath);
bool BuildListTH(TRunningProcesses& list, bool fullPath);
bool BuildListPS(TRunningProcesses& list, bool fullPath);
// The executable of the window's process as RunningProcessesList names it; empty for a window that is gone.
String ProcessNameFromWindow(HWND window);
// Visible, owned by nothing but the desktop, and on the task bar (no tool window, or one asking to be there).
bool IsMainAppWindow(HWND window);
// The first top-level window of the process, in z-order, that IsMainAppWindow; null when none.
HWND FindMainWindowOfProcess(DWORD processId);

}  // namespace shell

#include "shell/processes.h"

// clang-format off
#include <tlhelp32.h>
#include <psapi.h>
// clang-format on

#include "framework/sys_utils.h"
#include "shell/owned_handle.h"
#include "shell/windows_version.h"

namespace shell {

namespace {

constexpr wchar_t kIdleProcessName[] = L"System Idle Process";
constexpr wchar_t kSystemProcessName[] = L"System Process";
// The ids the NT 4 and the 2000/XP kernels give their system process.
constexpr DWORD kNT4SystemProcessId = 2;
constexpr DWORD kNT5SystemProcessId = 8;

String PSProcessName(DWORD processId, bool fullPath) {
  if (processId == 0) return kIdleProcessName;
  if ((processId == kNT4SystemProcessId && IsWinNT4) || (processId == kNT5SystemProcessId && (IsWin2K || IsWinXP)))
    return kSystemProcessName;
  return ProcessFileName(processId, fullPath);
}

String THProcessName(const PROCESSENTRY32W& entry, bool fullPath) {
  if (entry.th32ProcessID == 0) return kIdleProcessName;
  if (IsWin2K || IsWinXP) {
    const String name = ProcessFileName(entry.th32ProcessID, fullPath);
    return name.empty() ? entry.szExeFile : name;
  }
  return fullPath ? String(entry.szExeFile) : ExtractFileName(entry.szExeFile);
}

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
  auto* const search = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search->first || !IsMainAppWindow(window)) return TRUE;
  search->second = window;
  return FALSE;
}

}  // namespace

String ProcessFileName(DWORD processId, bool fullPath) {
  const TKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return {};
  String name(MAX_PATH, L'\0');
  const DWORD length = fullPath ? GetModuleFileNameExW(process.Get(), nullptr, name.data(), MAX_PATH)
                                : GetModuleBaseNameW(process.Get(), nullptr, name.data(), MAX_PATH);
  name.resize(length);
  return name;
}

bool BuildListTH(TRunningProcesses& list, bool fullPath) {
  list.clear();
  const TKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
    list.push_back({THProcessName(entry, fullPath), entry.th32ProcessID});
  return true;
}

bool BuildListPS(TRunningProcesses& list, bool fullPath) {
  list.clear();
  // Grows until the ids fit, so no process is left out on a busy machine.
  std::vector<DWORD> ids(1025);
  DWORD bytes = 0;
  for (;;) {
    const DWORD room = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!EnumProcesses(ids.data(), room, &bytes)) return false;
    if (bytes < room) break;
    ids.resize(ids.size() * 2);
  }
  ids.resize(bytes / sizeof(DWORD));
  for (DWORD id : ids) {
    String name = PSProcessName(id, fullPath);
    if (!name.empty()) list.push_back({std::move(name), id});
  }
  return true;
}

bool RunningProcessesList(TRunningProcesses& list, bool fullPath) {
  return IsWinNT3 || IsWinNT4 ? BuildListPS(list, fullPath) : BuildListTH(list, fullPath);
}

String ProcessNameFromWindow(HWND window) {
  if (!IsWindow(window)) return {};
  DWORD processId = static_cast<DWORD>(-1);
  GetWindowThreadProcessId(window, &processId);
  TRunningProcesses processes;
  if (!RunningProcessesList(processes, true)) return {};
  for (const TRunningProcess& process : processes)
    if (process.ProcessId == processId) return process.Name;
  return {};
}

bool IsMainAppWindow(HWND window) {
  if (!IsWindowVisible(window)) return false;
  const HWND owner = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_HWNDPARENT));
  if (owner && owner != GetDesktopWindow()) return false;
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  return !(exStyle & WS_EX_TOOLWINDOW) || (exStyle & WS_EX_APPWINDOW);
}

HWND FindMainWindowOfProcess(DWORD processId) {
  std::pair<DWORD, HWND> search{processId, nullptr};
  EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

}  // namespace shell

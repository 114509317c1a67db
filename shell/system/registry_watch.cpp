#include "shell/system/registry_watch.h"

namespace shell {

namespace {

LONG Arm(HKEY key, bool watchSubTree, DWORD filter, HANDLE event) {
  return RegNotifyChangeKeyValue(key, watchSubTree, filter, event, TRUE);
}

}  // namespace

HANDLE RegWatchKey(HKEY key, bool watchSubTree, DWORD filter) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event) return INVALID_HANDLE_VALUE;
  LONG result = Arm(key, watchSubTree, filter, event);
  // A change that came while arming has fired the event already: arm once more for the next one.
  if (result == ERROR_SUCCESS && WaitForSingleObject(event, 0) == WAIT_OBJECT_0) {
    ResetEvent(event);
    result = Arm(key, watchSubTree, filter, event);
  }
  if (result != ERROR_SUCCESS) {
    CloseHandle(event);
    SetLastError(static_cast<DWORD>(result));
    return INVALID_HANDLE_VALUE;
  }
  return event;
}

bool RegRewatchKey(HKEY key, bool watchSubTree, DWORD filter, HANDLE event) {
  if (!event || event == INVALID_HANDLE_VALUE) return false;
  ResetEvent(event);
  return Arm(key, watchSubTree, filter, event) == ERROR_SUCCESS;
}

void CloseWatchHandle(HANDLE& event) {
  if (event && event != INVALID_HANDLE_VALUE) CloseHandle(event);
  event = INVALID_HANDLE_VALUE;
}

}  // namespace shell

// Watches of registry keys: an event that the platform signals when the key changes.
#pragma once

#include <windows.h>

namespace shell {

// A manual-reset event armed on key; INVALID_HANDLE_VALUE (with the thread's last error set) when the watch
// cannot be armed. The watch belongs to the calling thread: it ends when that thread ends.
HANDLE RegWatchKey(HKEY key, bool watchSubTree, DWORD filter);
// Arms the watch again after it fired; false for an invalid event or a failed arm.
bool RegRewatchKey(HKEY key, bool watchSubTree, DWORD filter, HANDLE event);
// Closes a watch event and marks it invalid.
void CloseWatchHandle(HANDLE& event);

}  // namespace shell

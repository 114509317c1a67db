// Thread message hooks shared by everything on one thread: each listener asks for one hook kind, the hook is
// installed for the calling thread when its first listener comes and removed with its last, and each listener
// sees only the messages of the thread it registered on.
#pragma once

#include <windows.h>

enum class THookKind { hkCallWndProc, hkGetMessage, hkCbt };

// Receives the hook's code, wParam and lParam as the platform gives them (for hkCallWndProc lParam points to a
// CWPSTRUCT, for hkGetMessage to the MSG, which the listener may change). An exception is handed to the
// application's exception handling and the next listener still runs.
class TThreadHookListener {
 public:
  virtual ~TThreadHookListener() = default;
  // True stops the dispatch: the hook answers 1 without asking later listeners or hooks, which for hkCbt
  // prevents the operation (a focus change, an activation).
  virtual bool HookMessage(THookKind kind, int code, WPARAM wParam, LPARAM lParam) = 0;
};

// Both may be called from inside a listener. A listener added during a dispatch first hears the next message;
// one removed during a dispatch hears nothing more. Adding a listener twice for one kind keeps one entry.
void AddThreadHookListener(THookKind kind, TThreadHookListener* listener);
void RemoveThreadHookListener(THookKind kind, TThreadHookListener* listener);
// Whether the calling thread has that hook installed now.
bool ThreadHookInstalled(THookKind kind);

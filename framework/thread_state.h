// State the framework keeps per thread, made on the thread's first use and freed when the thread ends, by the
// platform's clean-up of a fiber-local slot. Thread-local variables with destructors are not used for it: with the
// tool chain's emulated thread-local storage their destructors run on storage that is freed already.
#pragma once

#include <windows.h>

// A fiber-local slot whose value the platform hands to freeState when the thread ends. Raises EOutOfResources when
// the platform has no slot left.
DWORD AllocateThreadStateSlot(PFLS_CALLBACK_FUNCTION freeState);

template <class T>
void NTAPI FreeThreadState(void* state) {
  delete static_cast<T*>(state);
}

// The calling thread's T, default-constructed on its first use.
template <class T>
T& ThreadState() {
  static const DWORD slot = AllocateThreadStateSlot(&FreeThreadState<T>);
  auto* state = static_cast<T*>(FlsGetValue(slot));
  if (!state) {
    state = new T();
    FlsSetValue(slot, state);
  }
  return *state;
}

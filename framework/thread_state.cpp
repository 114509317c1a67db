#include "framework/thread_state.h"

#include "framework/exceptions.h"

DWORD AllocateThreadStateSlot(PFLS_CALLBACK_FUNCTION freeState) {
  const DWORD slot = FlsAlloc(freeState);
  if (slot == FLS_OUT_OF_INDEXES)
    throw EOutOfResources(L"Error allocating thread state: " + SysErrorMessage(GetLastError()));
  return slot;
}

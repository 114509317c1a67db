// Reading a COM object's reference count in a test, without changing it: which references a call kept or gave back.
#pragma once

#include <unknwn.h>

inline ULONG ReferenceCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

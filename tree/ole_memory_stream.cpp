#include "tree/ole_memory_stream.h"

#include "framework/exceptions.h"

namespace tree {

TOLEMemoryStream::TOLEMemoryStream(const void* memory, int64_t size) { SetPointer(const_cast<void*>(memory), size); }

int32_t TOLEMemoryStream::Write(const void*, int32_t) {
  throw EStreamError(L"Can't write to a read-only resource stream");
}

}  // namespace tree

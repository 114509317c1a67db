// A read-only stream over bytes that belong to someone else (a locked global memory block of a data object);
// reads never pass the given size.
#pragma once

#include "framework/streams.h"

namespace tree {

class TOLEMemoryStream : public TCustomMemoryStream {
  BC_CLASS(TOLEMemoryStream, TCustomMemoryStream)
  TOLEMemoryStream(const void* memory, int64_t size);
  // Raises EStreamError "Can't write to a read-only resource stream".
  int32_t Write(const void* buffer, int32_t count) override;
};

}  // namespace tree

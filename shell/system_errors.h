// The exceptions of the system routines and the mail sender.
#pragma once

#include <windows.h>

#include "framework/exceptions.h"

namespace shell {

BC_EXCEPTION(ELibError, Exception)
BC_EXCEPTION(ELibRegistryError, ELibError)

// A Simple MAPI failure; ErrorCode is the MAPI result code, 0 where no MAPI call gave one.
class ELibMapiError : public ELibError {
  BC_CLASS(ELibMapiError, ELibError)
  explicit ELibMapiError(String message = {}, ULONG errorCode = 0)
      : ELibError(std::move(message)), errorCode_(errorCode) {}
  ULONG ErrorCode() const { return errorCode_; }

 private:
  ULONG errorCode_;
};

}  // namespace shell

// The tree library's error: a message and the library's error number, carried as the exception's help context.
#pragma once

#include "framework/exceptions.h"

namespace tree {

class ETreeError : public Exception {
  BC_CLASS(ETreeError, Exception)
  explicit ETreeError(String message = {}, int helpContext = 0) : Exception(std::move(message), helpContext) {}
};

// The library's numbered errors; each number has one text.
enum TTreeErrorCode {
  teEditLinkMissing = 2000,
  teMoveIntoOwnSubtree = 2001,
  teStreamFormat = 2002,
  teStreamVersion = 2003,
  teStreamTooShort = 2004,
  teNodeChunkMissing = 2005,
  teNodeChunkOverrun = 2006,
  teClipboardFailed = 2007,
  teInitialUserDataSpace = 2008,
  teNodeOfOtherTree = 2009,
};
const wchar_t* TreeErrorText(TTreeErrorCode code);

[[noreturn]] void RaiseTreeError(const String& message, int code);
// Raises the numbered error with its own text.
[[noreturn]] void RaiseTreeError(TTreeErrorCode code);

}  // namespace tree

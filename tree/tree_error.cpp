#include "tree/tree_error.h"

namespace tree {

const wchar_t* TreeErrorText(TTreeErrorCode code) {
  switch (code) {
    case teEditLinkMissing:
      return L"Edit link must not be nil.";
    case teMoveIntoOwnSubtree:
      return L"Target node cannot be a child node of the node to be moved.";
    case teStreamFormat:
      return L"Unable to load tree structure, the format is wrong.";
    case teStreamVersion:
      return L"Unable to load tree structure, the version is unknown.";
    case teStreamTooShort:
      return L"Unable to load tree structure, not enough data available.";
    case teNodeChunkMissing:
      return L"Stream data corrupt. A node's anchor chunk is missing.";
    case teNodeChunkOverrun:
      return L"Stream data corrupt. Unexpected data after node's end position.";
    case teClipboardFailed:
      return L"Clipboard operation failed.";
    case teInitialUserDataSpace:
      return L"Cannot set initial user data because there is not enough user data space allocated.";
    case teNodeOfOtherTree:
      return L"The node does not belong to this tree.";
  }
  return L"";
}

void RaiseTreeError(const String& message, int code) { throw ETreeError(message, code); }

void RaiseTreeError(TTreeErrorCode code) { RaiseTreeError(TreeErrorText(code), code); }

}  // namespace tree

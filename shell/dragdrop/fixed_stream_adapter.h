// The IStream that the byte-block formats hand out. The block is written with its position at the end, so a
// consumer that copies "all of it" from there must still get the whole block.
#pragma once

#include "framework/streams.h"

namespace shell {

class TFixedStreamAdapter : public TStreamAdapter {
  BC_CLASS(TFixedStreamAdapter, TStreamAdapter)
  using TStreamAdapter::TStreamAdapter;

  // A count with its top bit set copies everything, from the start when the position is at the end; a short
  // write ends the copy with E_FAIL.
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                   ULARGE_INTEGER* pcbWritten) override;
};

}  // namespace shell

#include "shell/dragdrop/fixed_stream_adapter.h"

#include "framework/com_guard.h"

namespace shell {

HRESULT STDMETHODCALLTYPE TFixedStreamAdapter::CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                                      ULARGE_INTEGER* pcbWritten) {
  HRESULT prepared = ComGuard([&] {
    if (static_cast<LONGLONG>(cb.QuadPart) >= 0) return;
    int64_t size = Stream()->Size();
    if (Stream()->Position() == size) Stream()->SetPosition(0);
    cb.QuadPart = static_cast<ULONGLONG>(size - Stream()->Position());
  });
  if (FAILED(prepared)) return prepared;
  HRESULT result = TStreamAdapter::CopyTo(pstm, cb, pcbRead, pcbWritten);
  return result == STG_E_MEDIUMFULL ? E_FAIL : result;
}

}  // namespace shell

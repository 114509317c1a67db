#include "framework/format_etc_enumerator.h"

#include <wrl/client.h>

#include <algorithm>
#include <utility>

#include "framework/com_guard.h"

TFormatEtcEnumerator::TFormatEtcEnumerator(std::span<const FORMATETC> formats)
    : formats_(std::make_shared<const TFormatList>(formats.begin(), formats.end())) {}

TFormatEtcEnumerator::TFormatEtcEnumerator(std::shared_ptr<const TFormatList> formats, size_t index) noexcept
    : formats_(std::move(formats)), index_(index) {}

HRESULT STDMETHODCALLTYPE TFormatEtcEnumerator::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (!formats) return E_POINTER;
  // Only a caller asking for one record may leave out the count of those fetched.
  if (!fetched && count != 1) return E_INVALIDARG;
  ULONG copied = 0;
  ULONG wanted = static_cast<ULONG>(std::min<size_t>(count, formats_->size() - index_));
  for (; copied < wanted; ++copied) {
    HRESULT result = (*formats_)[index_ + copied].CopyTo(formats[copied]);
    if (FAILED(result)) {
      while (copied > 0) FreeFormatEtc(formats[--copied]);
      return result;
    }
  }
  index_ += copied;
  if (fetched) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TFormatEtcEnumerator::Skip(ULONG count) {
  size_t remaining = formats_->size() - index_;
  if (count > remaining) {
    index_ = formats_->size();
    return S_FALSE;
  }
  index_ += count;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TFormatEtcEnumerator::Reset() {
  index_ = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TFormatEtcEnumerator::Clone(IEnumFORMATETC** clone) {
  if (!clone) return E_POINTER;
  *clone = nullptr;
  return ComGuard([&] {
    Microsoft::WRL::ComPtr<IEnumFORMATETC> copy = new TFormatEtcEnumerator(formats_, index_);
    *clone = copy.Detach();
  });
}

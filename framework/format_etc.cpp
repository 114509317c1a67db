#include "framework/format_etc.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

#include "framework/exceptions.h"

HRESULT DuplicateFormatEtc(const FORMATETC& source, FORMATETC& target) noexcept {
  target = source;
  target.ptd = nullptr;
  if (!source.ptd) return S_OK;
  DWORD size = source.ptd->tdSize;
  if (size < offsetof(DVTARGETDEVICE, tdData)) return DV_E_DVTARGETDEVICE_SIZE;
  auto* device = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(size));
  if (!device) return E_OUTOFMEMORY;
  std::memcpy(device, source.ptd, size);
  target.ptd = device;
  return S_OK;
}

void FreeFormatEtc(FORMATETC& format) noexcept {
  CoTaskMemFree(format.ptd);
  format.ptd = nullptr;
}

void ForEachListedFormat(IEnumFORMATETC& formats, const std::function<bool(const FORMATETC& format)>& visit) {
  for (ULONG read = 0; read < kMaxListedFormats; ++read) {
    FORMATETC format{};
    ULONG fetched = 0;
    if (formats.Next(1, &format, &fetched) != S_OK || fetched != 1) return;
    struct TDeviceRelease {
      FORMATETC& Format;
      ~TDeviceRelease() { FreeFormatEtc(Format); }
    } release{format};
    if (!visit(format)) return;
  }
}

TFormatEtc::TFormatEtc(CLIPFORMAT format, DWORD tymed, DWORD aspect, LONG index) noexcept
    : format_{format, nullptr, aspect, index, tymed} {}

TFormatEtc::TFormatEtc(const FORMATETC& format) {
  HRESULT result = DuplicateFormatEtc(format, format_);
  if (result == E_OUTOFMEMORY) throw std::bad_alloc();
  OleCheck(result);
}

TFormatEtc::TFormatEtc(TFormatEtc&& other) noexcept : format_(other.format_) { other.format_.ptd = nullptr; }

TFormatEtc& TFormatEtc::operator=(TFormatEtc other) noexcept {
  std::swap(format_, other.format_);
  return *this;
}

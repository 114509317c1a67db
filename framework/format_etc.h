// Deep copies of FORMATETC records. A record's target device is a block of its own, allocated with CoTaskMemAlloc
// because whoever receives the record (the platform, another process's enumerator) frees it with CoTaskMemFree.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <functional>

// Fills target with source and a copy of its target device. Answers E_OUTOFMEMORY, or DV_E_DVTARGETDEVICE_SIZE for a
// target device whose recorded size cannot hold its own header; on failure target holds no device. Target's old device
// is not freed.
HRESULT DuplicateFormatEtc(const FORMATETC& source, FORMATETC& target) noexcept;
// Frees the record's target device and clears the pointer.
void FreeFormatEtc(FORMATETC& format) noexcept;

// The most records a walk over a list of formats from another program reads: a list that never ends stops there.
inline constexpr ULONG kMaxListedFormats = 4096;
// Calls visit with each record formats lists from where it stands, until visit answers false, the list ends or
// kMaxListedFormats records are read. Each record's target device is freed after its visit, also when visit raises.
void ForEachListedFormat(IEnumFORMATETC& formats, const std::function<bool(const FORMATETC& format)>& visit);

// A FORMATETC that owns its target device: copies copy the device, destruction frees it.
class TFormatEtc {
 public:
  TFormatEtc() = default;
  TFormatEtc(CLIPFORMAT format, DWORD tymed, DWORD aspect = DVASPECT_CONTENT, LONG index = -1) noexcept;
  // Raises std::bad_alloc, or EOleSysError DV_E_DVTARGETDEVICE_SIZE for a malformed target device.
  explicit TFormatEtc(const FORMATETC& format);
  TFormatEtc(const TFormatEtc& other) : TFormatEtc(other.format_) {}
  TFormatEtc(TFormatEtc&& other) noexcept;
  TFormatEtc& operator=(TFormatEtc other) noexcept;
  ~TFormatEtc() { FreeFormatEtc(format_); }

  const FORMATETC& Get() const noexcept { return format_; }
  // A copy that the receiver owns, for an out parameter of a COM method.
  HRESULT CopyTo(FORMATETC& target) const noexcept { return DuplicateFormatEtc(format_, target); }

 private:
  FORMATETC format_{0, nullptr, DVASPECT_CONTENT, -1, TYMED_NULL};
};

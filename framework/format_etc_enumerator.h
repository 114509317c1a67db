// An IEnumFORMATETC over a list of formats copied when it is made; its clones share the list, each with its own
// position. Every record handed out carries its own copy of the target device, which the receiver frees.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "framework/com_object.h"
#include "framework/format_etc.h"

class TFormatEtcEnumerator : public TComObject<IEnumFORMATETC> {
 public:
  // Raises std::bad_alloc, or EOleSysError DV_E_DVTARGETDEVICE_SIZE for a malformed target device.
  explicit TFormatEtcEnumerator(std::span<const FORMATETC> formats);

  // S_OK when count records were fetched, S_FALSE when the list ended first.
  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
  // S_OK when count records were skipped; S_FALSE, at the end of the list, when fewer remained.
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** clone) override;

 protected:
  using TFormatList = std::vector<TFormatEtc>;
  TFormatEtcEnumerator(std::shared_ptr<const TFormatList> formats, size_t index) noexcept;

  std::shared_ptr<const TFormatList> formats_;
  size_t index_ = 0;
};

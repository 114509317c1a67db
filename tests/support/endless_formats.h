// A data object from anywhere whose list of formats never ends: its enumerator answers one more record for every
// call (CF_TEXT, which the object then does not give). It gives up only after a million records, a bound no reader
// with a limit of its own reaches, so that a reader without one fails its test instead of hanging it.
#pragma once

#include <objidl.h>

#include <memory>

#include "framework/com_object.h"

class TEndlessFormats : public TComObject<IEnumFORMATETC> {
 public:
  static constexpr ULONG kGivesUpAfter = 1 << 20;

  explicit TEndlessFormats(std::shared_ptr<ULONG> served) : served_(std::move(served)) {}
  HRESULT STDMETHODCALLTYPE Next(ULONG, FORMATETC* format, ULONG* fetched) override {
    if (*served_ >= kGivesUpAfter) return S_FALSE;
    ++*served_;
    *format = FORMATETC{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (fetched) *fetched = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }

 private:
  std::shared_ptr<ULONG> served_;
};

class TEndlessDataObject : public TComObject<IDataObject> {
 public:
  // The records its enumerators handed out, all of them together.
  ULONG Served() const { return *served_; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** enumerator) override {
    IEnumFORMATETC* endless = new TEndlessFormats(served_);
    endless->AddRef();
    *enumerator = endless;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  std::shared_ptr<ULONG> served_ = std::make_shared<ULONG>(0);
};

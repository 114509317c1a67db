// A data object that serves fixed bytes as "Node Tree Data", whatever they claim: the hostile sender of the
// clipboard tests. In global memory, as a stream that declares the bytes' size but repeats them without end, as a
// stream that cannot tell its size, or as one whose reads fail.
#pragma once

#include <objidl.h>

#include <cstdint>
#include <string>

namespace tree_test {

class TBlockDataObject : public IDataObject {
 public:
  // Serves block as "Node Tree Data" in global memory, whose first four bytes claim a length.
  explicit TBlockDataObject(std::string block) : block_(std::move(block)) {}
  enum class TMedium { Block, EndlessStream, StreamWithoutSize, UnreadableStream };
  TBlockDataObject(std::string block, TMedium medium) : block_(std::move(block)), medium_(medium) {}
  // Bytes the endless stream handed out so far.
  std::uint64_t StreamBytesRead() const { return streamBytesRead_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  virtual ~TBlockDataObject() = default;

  ULONG references_ = 1;
  std::string block_;
  TMedium medium_ = TMedium::Block;
  std::uint64_t streamBytesRead_ = 0;
};

}  // namespace tree_test

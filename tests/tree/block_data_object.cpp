#include "tree/block_data_object.h"

#include <shlobj.h>

#include <cstring>

#include "tree/clipboard_format_registry.h"

namespace tree_test {

namespace {

FORMATETC Formats[1];

// Declares the size of its bytes and then repeats them for as long as anyone reads; or fails to tell the size, or
// to be read, as the medium kind asks.
class TEndlessStream : public IStream {
 public:
  TEndlessStream(const std::string& bytes, std::uint64_t& read, TBlockDataObject::TMedium kind)
      : bytes_(bytes), read_(read), kind_(kind) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IStream || iid == IID_ISequentialStream) {
      *object = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
    if (kind_ == TBlockDataObject::TMedium::UnreadableStream) {
      if (read) *read = 0;
      return STG_E_READFAULT;
    }
    auto* out = static_cast<char*>(buffer);
    for (ULONG i = 0; i < size; ++i) out[i] = bytes_[(position_ + i) % bytes_.size()];
    position_ += size;
    read_ += size;
    if (read) *read = size;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
    if (origin == STREAM_SEEK_SET) position_ = static_cast<std::uint64_t>(move.QuadPart);
    if (position) position->QuadPart = position_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* status, DWORD) override {
    *status = STATSTG{};
    if (kind_ == TBlockDataObject::TMedium::StreamWithoutSize) return STG_E_ACCESSDENIED;
    status->type = STGTY_STREAM;
    status->cbSize.QuadPart = bytes_.size();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  virtual ~TEndlessStream() = default;

  ULONG references_ = 1;
  std::string bytes_;
  std::uint64_t& read_;
  std::uint64_t position_ = 0;
  TBlockDataObject::TMedium kind_;
};

}  // namespace

HRESULT TBlockDataObject::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IDataObject) {
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TBlockDataObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TBlockDataObject::QueryGetData(FORMATETC* format) {
  if (format->cfFormat == tree::TreeDataFormat)
    return format->tymed & (TYMED_HGLOBAL | TYMED_ISTREAM) ? S_OK : DV_E_TYMED;
  return DV_E_FORMATETC;
}

HRESULT TBlockDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  *medium = STGMEDIUM{};
  HRESULT result = QueryGetData(format);
  if (result != S_OK) return result;
  if (medium_ != TMedium::Block) {
    if (!(format->tymed & TYMED_ISTREAM)) return DV_E_TYMED;
    medium->tymed = TYMED_ISTREAM;
    medium->pstm = new TEndlessStream(block_, streamBytesRead_, medium_);
    return S_OK;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, block_.size());
  if (!block) return E_OUTOFMEMORY;
  if (!block_.empty()) std::memcpy(GlobalLock(block), block_.data(), block_.size());
  GlobalUnlock(block);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  return S_OK;
}

HRESULT TBlockDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT TBlockDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  if (direction != DATADIR_GET) return E_NOTIMPL;
  Formats[0] = FORMATETC{tree::TreeDataFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return SHCreateStdEnumFmtEtc(1, Formats, enumerator);
}

}  // namespace tree_test

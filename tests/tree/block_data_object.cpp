#include "tree/block_data_object.h"

#include <shlobj.h>

#include <cstring>

#include "tree/clipboard_format_registry.h"

namespace tree_test {

namespace {

FORMATETC Formats[1];

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

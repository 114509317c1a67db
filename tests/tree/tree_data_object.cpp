#include "tree/tree_data_object.h"

#include <shlobj.h>

#include <cstring>

#include "tree/clipboard_format_registry.h"

namespace tree_test {

namespace {

FORMATETC Formats[2];

}  // namespace

HRESULT TTestDataObject::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IDataObject) {
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TTestDataObject::Release() {
  ULONG left = --references_;
  if (left == 0) {
    // A clipboard object that goes while the tree still waits for a paste ends the pending cut or copy.
    if (tree_ && forClipboard_ && !tree_->TreeStates().Contains(tree::TTreeState::stClipboardFlushing))
      tree_->CancelCutOrCopy();
    delete this;
  }
  return left;
}

HRESULT TTestDataObject::QueryGetData(FORMATETC* format) {
  if (format->cfFormat == tree::TreeDataFormat)
    return format->tymed & (TYMED_HGLOBAL | TYMED_ISTREAM) ? S_OK : DV_E_TYMED;
  if (format->cfFormat == tree::TreeReferenceFormat && tree_) return S_OK;
  return DV_E_FORMATETC;
}

HRESULT TTestDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  *medium = STGMEDIUM{};
  if (format->cfFormat == tree::TreeReferenceFormat && tree_) {
    if (tree_->TreeStates().Contains(tree::TTreeState::stClipboardFlushing)) return E_FAIL;
    std::vector<std::uint8_t> reference = tree_->TreeReference();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, reference.size());
    std::memcpy(GlobalLock(block), reference.data(), reference.size());
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    return S_OK;
  }
  HRESULT result = QueryGetData(format);
  if (result != S_OK) return result;
  if (tree_) return tree_->RenderOLEData(*format, *medium, forClipboard_);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, block_.size());
  if (!block) return E_OUTOFMEMORY;
  if (!block_.empty()) std::memcpy(GlobalLock(block), block_.data(), block_.size());
  GlobalUnlock(block);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  return S_OK;
}

HRESULT TTestDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT TTestDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  if (direction != DATADIR_GET) return E_NOTIMPL;
  Formats[0] = FORMATETC{tree::TreeDataFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  Formats[1] = FORMATETC{tree::TreeReferenceFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return SHCreateStdEnumFmtEtc(tree_ ? 2 : 1, Formats, enumerator);
}

}  // namespace tree_test

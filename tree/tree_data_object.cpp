#include "tree/tree_data_object.h"

#include <cstring>
#include <map>

#include "framework/com_guard.h"
#include "framework/global_memory.h"
#include "tree/base_tree.h"
#include "tree/clipboard_format_registry.h"

namespace tree {

namespace {

// Movable, zero-initialised and shareable, as the reference data has always been allocated.
constexpr UINT ReferenceAllocationFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE;

// The trees that handed out a reference, with a watch on each: a reference is only honoured while its tree lives,
// so an address reused by another object after the tree died is never taken for a tree.
std::map<const TBaseTree*, TLifeWatch>& ReferencedTrees() {
  static std::map<const TBaseTree*, TLifeWatch> trees;
  return trees;
}

bool SameTargetDevice(const DVTARGETDEVICE* a, const DVTARGETDEVICE* b) {
  if (!a || !b) return a == b;
  return a->tdSize == b->tdSize && std::memcmp(a, b, a->tdSize) == 0;
}

bool SameFormat(const FORMATETC& a, const FORMATETC& b) {
  return a.cfFormat == b.cfFormat && SameTargetDevice(a.ptd, b.ptd) && a.dwAspect == b.dwAspect &&
         a.lindex == b.lindex && (a.tymed & b.tymed) != 0;
}

wchar_t* DuplicateFileName(const wchar_t* name) {
  if (!name) return nullptr;
  size_t length = std::wcslen(name) + 1;
  auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(length * sizeof(wchar_t)));
  if (copy) std::memcpy(copy, name, length * sizeof(wchar_t));
  return copy;
}

// A medium for out of the object: either a reference to the one it keeps (the data stays the object's, guarded by
// the object as release object) or, with copyContents, a copy of the caller's that the object will own.
HRESULT CopyMedium(const STGMEDIUM& in, STGMEDIUM& out, bool copyContents, IUnknown* self) {
  out = in;
  switch (in.tymed) {
    case TYMED_HGLOBAL:
      if (copyContents) {
        SIZE_T size = GlobalSize(in.hGlobal);
        HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
        if (!block) return E_OUTOFMEMORY;
        TGlobalLock source(in.hGlobal);
        if (!source.Data() && size > 0) {
          GlobalFree(block);
          return DV_E_TYMED;
        }
        if (size > 0) std::memcpy(block, source.Data(), size);
        out.hGlobal = block;
      } else {
        out.pUnkForRelease = self;
      }
      break;
    case TYMED_FILE:
      // A copied name without a guard would delete the caller's file when the copy is released: the object keeps
      // files only when it is given them.
      if (copyContents) return DV_E_TYMED;
      out.lpszFileName = DuplicateFileName(in.lpszFileName);
      if (in.lpszFileName && !out.lpszFileName) return E_OUTOFMEMORY;
      out.pUnkForRelease = self;
      break;
    case TYMED_ISTREAM:
    case TYMED_ISTORAGE:
      if (in.pstm) in.pstm->AddRef();
      break;
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
      if (copyContents) return DV_E_TYMED;
      out.pUnkForRelease = self;
      break;
    default:
      return DV_E_TYMED;
  }
  // The object must not keep a reference to itself through a medium it stores.
  if (copyContents && out.pUnkForRelease == self) out.pUnkForRelease = nullptr;
  if (out.pUnkForRelease) out.pUnkForRelease->AddRef();
  return S_OK;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TEnumFormatEtc

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
  ULONG copied = 0;
  HRESULT result = count == 0 ? S_FALSE : TFormatEtcEnumerator::Next(count, formats, &copied);
  if (fetched) *fetched = copied;
  if (FAILED(result)) return result;
  return copied > 0 ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Skip(ULONG count) {
  if (count > formats_->size() - index_) return S_FALSE;
  index_ += count;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Clone(IEnumFORMATETC** clone) {
  if (!clone) return E_POINTER;
  *clone = nullptr;
  return ComGuard([&] {
    Microsoft::WRL::ComPtr<IEnumFORMATETC> copy = new TEnumFormatEtc(formats_, index_);
    *clone = copy.Detach();
  });
}

// ---------------------------------------------------------------------------------------------------------------
// TTreeDataObject

TTreeDataObject::TTreeDataObject(TBaseTree* owner, bool forClipboard)
    : owner_(owner), ownerLife_(owner ? owner->LifeWatch() : TLifeWatch()), forClipboard_(forClipboard) {
  TFormatEtcArray native;
  // A handler that frees the tree leaves an object with nothing to offer.
  if (owner && owner->GetNativeClipboardFormats(native).Gone()) return;
  bool hasReference = false;
  for (const FORMATETC& format : native) {
    formats_.emplace_back(format);
    hasReference = hasReference || format.cfFormat == TreeReferenceFormat;
  }
  if (!hasReference && TreeReferenceFormat) formats_.emplace_back(TreeReferenceFormat, TYMED_HGLOBAL);
}

TTreeDataObject::~TTreeDataObject() {
  TBaseTree* tree = Owner();
  if (forClipboard_ && tree && !tree->HasState(TTreeState::stClipboardFlushing)) tree->CancelCutOrCopy();
}

TBaseTree* TTreeDataObject::Owner() const { return ownerLife_.Ended() ? nullptr : owner_; }

TTreeDataObject::TStoredMedium* TTreeDataObject::FindStoredMedium(CLIPFORMAT format) {
  for (TStoredMedium& stored : storedMedia_)
    if (stored.Format == format) return &stored;
  return nullptr;
}

HRESULT TTreeDataObject::RenderReference(STGMEDIUM& medium) {
  TBaseTree* tree = Owner();
  if (!tree) return OLE_E_NOTRUNNING;
  // Data left on the clipboard for good must not name an object of this process.
  if (tree->HasState(TTreeState::stClipboardFlushing)) return E_FAIL;
  HGLOBAL block = GlobalAlloc(ReferenceAllocationFlags, sizeof(TTreeReference));
  if (!block) return E_OUTOFMEMORY;
  {
    TGlobalLock lock(block);
    auto* reference = lock.As<TTreeReference>();
    reference->ProcessId = GetCurrentProcessId();
    reference->Tree = tree;
  }
  std::erase_if(ReferencedTrees(), [](const auto& entry) { return entry.second.Ended(); });
  ReferencedTrees()[tree] = ownerLife_;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  medium.pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTreeDataObject::GetData(FORMATETC* formatEtcIn, STGMEDIUM* medium) {
  if (!formatEtcIn || !medium) return E_INVALIDARG;
  *medium = STGMEDIUM{};
  return ComGuard([&]() -> HRESULT {
    if (formatEtcIn->cfFormat == TreeReferenceFormat) return RenderReference(*medium);
    HRESULT result = QueryGetData(formatEtcIn);
    if (FAILED(result)) return result;
    if (TStoredMedium* stored = FindStoredMedium(formatEtcIn->cfFormat))
      return CopyMedium(stored->Medium.Get(), *medium, false, static_cast<IDataObject*>(this));
    TBaseTree* tree = Owner();
    if (!tree) return OLE_E_NOTRUNNING;
    ++tree->renderings_;
    result = tree->RenderOLEData(*formatEtcIn, *medium, forClipboard_);
    // A handler of the rendering may have freed the tree.
    if (Owner()) --tree->renderings_;
    // A consumer reads the medium as the kind it asked for: one of another kind must not reach it.
    if (SUCCEEDED(result) && (medium->tymed & formatEtcIn->tymed) == 0) {
      ReleaseStgMedium(medium);
      *medium = STGMEDIUM{};
      return DV_E_TYMED;
    }
    return result;
  });
}

HRESULT STDMETHODCALLTYPE TTreeDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TTreeDataObject::QueryGetData(FORMATETC* formatEtc) {
  if (!formatEtc) return E_INVALIDARG;
  HRESULT result = DV_E_FORMATETC;
  for (const TFormatEtc& offered : formats_) {
    const FORMATETC& entry = offered.Get();
    if (entry.cfFormat != formatEtc->cfFormat) continue;
    if ((entry.tymed & formatEtc->tymed) == 0)
      result = DV_E_TYMED;
    else if (entry.dwAspect != formatEtc->dwAspect)
      result = DV_E_DVASPECT;
    else if (entry.lindex != formatEtc->lindex)
      result = DV_E_LINDEX;
    else
      return S_OK;
  }
  return result;
}

HRESULT STDMETHODCALLTYPE TTreeDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* formatEtcOut) {
  if (formatEtcOut) formatEtcOut->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT STDMETHODCALLTYPE TTreeDataObject::SetData(FORMATETC* formatEtc, STGMEDIUM* medium, BOOL release) {
  if (!formatEtc || !medium) return E_INVALIDARG;
  return ComGuard([&]() -> HRESULT {
    bool offered = false;
    for (const TFormatEtc& entry : formats_) offered = offered || SameFormat(entry.Get(), *formatEtc);
    // The caller's target device is copied: the caller may free it as soon as this call returns.
    if (!offered) formats_.emplace_back(*formatEtc);
    TStoredMedium* stored = FindStoredMedium(formatEtc->cfFormat);
    if (!stored) stored = &storedMedia_.emplace_back(TStoredMedium{formatEtc->cfFormat, TStgMedium()});
    stored->Medium.Reset();
    if (release) {
      *stored->Medium.ReleaseAndGetAddressOf() = *medium;
    } else {
      STGMEDIUM copy{};
      HRESULT result = CopyMedium(*medium, copy, true, static_cast<IDataObject*>(this));
      if (FAILED(result)) return result;
      *stored->Medium.ReleaseAndGetAddressOf() = copy;
    }
    if (adviseHolder_) adviseHolder_->SendOnDataChange(this, 0, 0);
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE TTreeDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumFormatEtc) {
  if (!enumFormatEtc) return E_INVALIDARG;
  *enumFormatEtc = nullptr;
  if (direction != DATADIR_GET) return OLE_S_USEREG;
  return ComGuard([&] {
    std::vector<FORMATETC> records;
    for (const TFormatEtc& entry : formats_) records.push_back(entry.Get());
    Microsoft::WRL::ComPtr<IEnumFORMATETC> enumerator = new TEnumFormatEtc(records);
    *enumFormatEtc = enumerator.Detach();
  });
}

HRESULT STDMETHODCALLTYPE TTreeDataObject::DAdvise(FORMATETC* formatEtc, DWORD advf, IAdviseSink* sink,
                                                   DWORD* connection) {
  return ComGuard([&]() -> HRESULT {
    if (!adviseHolder_) {
      HRESULT result = CreateDataAdviseHolder(&adviseHolder_);
      if (FAILED(result)) return result;
    }
    return adviseHolder_->Advise(this, formatEtc, advf, sink, connection);
  });
}

HRESULT STDMETHODCALLTYPE TTreeDataObject::DUnadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TTreeDataObject::EnumDAdvise(IEnumSTATDATA** enumAdvise) {
  return adviseHolder_ ? adviseHolder_->EnumAdvise(enumAdvise) : OLE_E_ADVISENOTSUPPORTED;
}

TBaseTree* FindReferencedTree(IDataObject* dataObject) {
  if (!dataObject || !TreeReferenceFormat) return nullptr;
  FORMATETC format{TreeReferenceFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  TStgMedium medium;
  if (FAILED(dataObject->GetData(&format, medium.ReleaseAndGetAddressOf())) || medium.Get().tymed != TYMED_HGLOBAL)
    return nullptr;
  TGlobalLock lock(medium.Get().hGlobal);
  if (lock.Size() < sizeof(TTreeReference) || !lock.Data()) return nullptr;
  TTreeReference reference{};
  std::memcpy(&reference, lock.Data(), sizeof reference);
  if (reference.ProcessId != GetCurrentProcessId()) return nullptr;
  auto found = ReferencedTrees().find(reference.Tree);
  if (found == ReferencedTrees().end() || found->second.Ended()) return nullptr;
  return reference.Tree;
}

}  // namespace tree

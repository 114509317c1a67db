// A tree's data on the clipboard and in OLE drag and drop: the data object announces the formats its tree can
// render, renders them through the tree on request, keeps data that others store in it, and always offers the
// same-process marker by which a tree recognises the source tree of a drag.
#pragma once

#include <objidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <vector>

#include "framework/com_object.h"
#include "framework/format_etc.h"
#include "framework/format_etc_enumerator.h"
#include "framework/life_token.h"
#include "framework/stg_medium.h"

namespace tree {

class TBaseTree;

// The "Node Tree Reference" data: the source's process and its tree (an address meaningful in that process only).
struct TTreeReference {
  DWORD ProcessId;
  TBaseTree* Tree;
};

// Counts only what it copies: S_OK when at least one record was fetched; Skip does not move when it cannot skip all.
class TEnumFormatEtc : public TFormatEtcEnumerator {
 public:
  explicit TEnumFormatEtc(std::span<const FORMATETC> formats) : TFormatEtcEnumerator(formats) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** clone) override;

 private:
  TEnumFormatEtc(std::shared_ptr<const TFormatList> formats, size_t index) noexcept
      : TFormatEtcEnumerator(std::move(formats), index) {}
};

class TTreeDataObject : public TComObject<IDataObject> {
 public:
  // Offers the tree's native formats. A data object may outlive its tree (on the clipboard): from then on it
  // renders nothing and answers OLE_E_NOTRUNNING where the tree would be needed.
  TTreeDataObject(TBaseTree* owner, bool forClipboard);

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* formatEtcIn, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* formatEtc, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* formatEtc) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* formatEtcIn, FORMATETC* formatEtcOut) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* formatEtc, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumFormatEtc) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* formatEtc, DWORD advf, IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** enumAdvise) override;

  // The tree, or null once it is gone.
  TBaseTree* Owner() const;
  bool ForClipboard() const { return forClipboard_; }

 protected:
  ~TTreeDataObject() override;

 private:
  struct TStoredMedium {
    CLIPFORMAT Format;
    TStgMedium Medium;
  };
  TStoredMedium* FindStoredMedium(CLIPFORMAT format);
  HRESULT RenderReference(STGMEDIUM& medium);

  TBaseTree* owner_;
  TLifeWatch ownerLife_;
  bool forClipboard_;
  std::vector<TFormatEtc> formats_;
  std::vector<TStoredMedium> storedMedia_;
  Microsoft::WRL::ComPtr<IDataAdviseHolder> adviseHolder_;
};

// The tree behind "Node Tree Reference" data, when that data comes from this process and names a tree that is
// still alive; null otherwise (another process, malformed data, a tree gone since).
TBaseTree* FindReferencedTree(IDataObject* dataObject);

}  // namespace tree

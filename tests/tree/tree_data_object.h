// A small data object for the tree tests: it renders through the tree (as the tree's own data object does) or
// serves fixed bytes, and offers the same-process reference, so copy, paste and hostile blocks can be tested.
#pragma once

#include <objidl.h>

#include <string>

#include "tree/base_tree.h"

namespace tree_test {

class TTestDataObject : public IDataObject {
 public:
  // Renders tree's nodes (forClipboard: the cut/copy set).
  TTestDataObject(tree::TBaseTree* tree, bool forClipboard) : tree_(tree), forClipboard_(forClipboard) {}
  // Serves block as "Node Tree Data" in global memory, whose first four bytes claim a length.
  explicit TTestDataObject(std::string block) : block_(std::move(block)) {}

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
  virtual ~TTestDataObject() = default;

  ULONG references_ = 1;
  tree::TBaseTree* tree_ = nullptr;
  bool forClipboard_ = false;
  std::string block_;
};

}  // namespace tree_test

// The tree's data object and drag manager: the formats it answers for, rendering through the tree, data stored in
// it, the same-process reference, the OLE clipboard, a tree that is gone, and the drop-source answers.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

#include "framework/clipboard.h"
#include "framework/global_memory.h"
#include "framework/stg_medium.h"
#include "framework/streams.h"
#include "support/test_window.h"
#include "tree/clipboard_format_registry.h"
#include "tree/string_tree.h"
#include "tree/tree_data_object.h"
#include "tree/tree_drag_manager.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

using Microsoft::WRL::ComPtr;

const CLIPFORMAT UserFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Tree Test User Format"));
const CLIPFORMAT StoredFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Tree Test Stored Format"));

FORMATETC Format(CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT, LONG index = -1) {
  return FORMATETC{format, nullptr, aspect, index, tymed};
}

HGLOBAL Block(const std::string& bytes) {
  TGlobalMemory block = TGlobalMemory::Allocate(bytes.size());
  TGlobalLock lock(block.Get());
  std::memcpy(lock.Data(), bytes.data(), bytes.size());
  return block.Release();
}

std::string Bytes(HGLOBAL block) {
  TGlobalLock lock(block);
  return std::string(lock.As<char>(), lock.Size());
}

// A tree that offers one format of its own and renders it as the text "rendered".
struct TRenderingTree : TTestTree {
  TRenderingTree() {
    OnGetUserClipboardFormats = [](TBaseTree*, TFormatEtcArray& formats) {
      formats.push_back(Format(UserFormat, TYMED_HGLOBAL | TYMED_ISTREAM, DVASPECT_CONTENT, -1));
    };
    OnRenderOLEData = [this](TBaseTree*, const FORMATETC& format, STGMEDIUM& medium, bool forClipboard,
                             HRESULT& result) {
      ++renders;
      lastForClipboard = forClipboard;
      if (throwOnRender) throw std::runtime_error("render failed");
      medium.tymed = wrongMedium ? TYMED_GDI : TYMED_HGLOBAL;
      medium.hGlobal = Block("rendered");
      if (format.tymed & TYMED_HGLOBAL) {
        result = S_OK;
      } else if (format.tymed & TYMED_ISTREAM) {
        medium.tymed = TYMED_ISTREAM;
        result = CreateStreamOnHGlobal(medium.hGlobal, TRUE, &medium.pstm);
      }
    };
  }
  int renders = 0;
  bool lastForClipboard = false;
  bool throwOnRender = false;
  bool wrongMedium = false;
};

TEST(TreeDataObject, QueryGetDataAnswers) {
  TRenderingTree tree;
  ComPtr<IDataObject> data = new TTreeDataObject(&tree, true);
  struct TCase {
    FORMATETC format;
    HRESULT expected;
  };
  TCase cases[] = {
      {Format(UserFormat), S_OK},
      {Format(UserFormat, TYMED_ISTREAM), S_OK},
      {Format(UserFormat, TYMED_GDI), DV_E_TYMED},
      {Format(UserFormat, TYMED_HGLOBAL, DVASPECT_ICON), DV_E_DVASPECT},
      {Format(UserFormat, TYMED_HGLOBAL, DVASPECT_CONTENT, 3), DV_E_LINDEX},
      {Format(TreeDataFormat), S_OK},
      {Format(TreeReferenceFormat), S_OK},
      {Format(CF_BITMAP), DV_E_FORMATETC},
  };
  for (TCase& c : cases) EXPECT_EQ(data->QueryGetData(&c.format), c.expected) << c.format.cfFormat;
}

TEST(TreeDataObject, EnumeratesItsFormats) {
  TRenderingTree tree;
  ComPtr<IDataObject> data = new TTreeDataObject(&tree, false);
  ComPtr<IEnumFORMATETC> enumerator;
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &enumerator), OLE_S_USEREG);
  EXPECT_EQ(enumerator, nullptr);
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &enumerator), S_OK);
  std::vector<CLIPFORMAT> formats;
  FORMATETC record[8];
  ULONG fetched = 0;
  // More asked than there are: still S_OK for those copied.
  EXPECT_EQ(enumerator->Next(8, record, &fetched), S_OK);
  for (ULONG i = 0; i < fetched; ++i) formats.push_back(record[i].cfFormat);
  EXPECT_EQ(formats, (std::vector<CLIPFORMAT>{TreeDataFormat, UserFormat, TreeReferenceFormat}));
  EXPECT_EQ(enumerator->Next(1, record, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  enumerator->Reset();
  EXPECT_EQ(enumerator->Skip(4), S_FALSE);
  EXPECT_EQ(enumerator->Skip(1), S_OK);
  ComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(enumerator->Clone(&clone), S_OK);
  EXPECT_EQ(clone->Next(1, record, nullptr), S_OK);
  EXPECT_EQ(record[0].cfFormat, UserFormat);
  EXPECT_EQ(enumerator->Skip(2), S_OK);
  EXPECT_EQ(enumerator->Skip(1), S_FALSE);
}

TEST(TreeDataObject, GetDataRendersThroughTheTree) {
  TRenderingTree tree;
  ComPtr<IDataObject> data = new TTreeDataObject(&tree, true);
  FORMATETC user = Format(UserFormat);
  TStgMedium medium;
  ASSERT_EQ(data->GetData(&user, medium.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(Bytes(medium.Get().hGlobal).substr(0, 8), "rendered");
  EXPECT_TRUE(tree.lastForClipboard);
  FORMATETC unknown = Format(CF_BITMAP);
  EXPECT_EQ(data->GetData(&unknown, medium.ReleaseAndGetAddressOf()), DV_E_FORMATETC);
  FORMATETC here = Format(UserFormat);
  EXPECT_EQ(data->GetDataHere(&here, medium.ReleaseAndGetAddressOf()), E_NOTIMPL);
  // A medium of a kind not asked for never reaches the caller, who would read it as the kind it asked for.
  tree.wrongMedium = true;
  EXPECT_EQ(data->GetData(&user, medium.ReleaseAndGetAddressOf()), DV_E_TYMED);
  EXPECT_TRUE(medium.Empty());
  tree.wrongMedium = false;
  // A failing handler ends at the COM boundary.
  tree.throwOnRender = true;
  EXPECT_TRUE(FAILED(data->GetData(&user, medium.ReleaseAndGetAddressOf())));
  EXPECT_EQ(tree.renders, 3);
}

TEST(TreeDataObject, ReferenceNamesTheTreeUnlessFlushing) {
  TRenderingTree tree;
  ComPtr<IDataObject> data = new TTreeDataObject(&tree, true);
  FORMATETC reference = Format(TreeReferenceFormat);
  TStgMedium medium;
  ASSERT_EQ(data->GetData(&reference, medium.ReleaseAndGetAddressOf()), S_OK);
  TGlobalLock lock(medium.Get().hGlobal);
  ASSERT_GE(lock.Size(), sizeof(TTreeReference));
  EXPECT_EQ(lock.As<TTreeReference>()->ProcessId, GetCurrentProcessId());
  EXPECT_EQ(lock.As<TTreeReference>()->Tree, &tree);
  EXPECT_EQ(GlobalFlags(medium.Get().hGlobal) & GMEM_DDESHARE, static_cast<UINT>(GMEM_DDESHARE));
  EXPECT_EQ(FindReferencedTree(data.Get()), &tree);
  tree.DoStateChange({TTreeState::stClipboardFlushing});
  EXPECT_EQ(data->GetData(&reference, medium.ReleaseAndGetAddressOf()), E_FAIL);
  EXPECT_EQ(FindReferencedTree(data.Get()), nullptr);
  tree.DoStateChange({}, {TTreeState::stClipboardFlushing});
}

// Counts the releases a medium's release object receives.
struct TReleaseCounter : TComObject<IUnknown> {
  int releases = 0;
  ULONG STDMETHODCALLTYPE Release() override {
    ++releases;
    return TComObject<IUnknown>::Release();
  }
};

TEST(TreeDataObject, SetDataStoresAndReplaces) {
  TRenderingTree tree;
  ComPtr<IDataObject> data = new TTreeDataObject(&tree, false);
  FORMATETC stored = Format(StoredFormat);
  EXPECT_EQ(data->QueryGetData(&stored), DV_E_FORMATETC);

  // Handed over with its release object: replacing it releases that object once.
  ComPtr<TReleaseCounter> counter = new TReleaseCounter;
  STGMEDIUM first{TYMED_HGLOBAL, {}, counter.Get()};
  first.hGlobal = Block("first");
  counter->AddRef();
  ASSERT_EQ(data->SetData(&stored, &first, TRUE), S_OK);
  EXPECT_EQ(data->QueryGetData(&stored), S_OK);
  EXPECT_EQ(counter->releases, 0);
  HGLOBAL firstBlock = first.hGlobal;

  // Copied: the object keeps bytes of its own and hands out references to them.
  STGMEDIUM second{TYMED_HGLOBAL, {}, nullptr};
  second.hGlobal = Block("second");
  ASSERT_EQ(data->SetData(&stored, &second, FALSE), S_OK);
  EXPECT_EQ(counter->releases, 1);
  GlobalFree(firstBlock);
  TStgMedium medium;
  ASSERT_EQ(data->GetData(&stored, medium.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_NE(medium.Get().hGlobal, second.hGlobal);
  EXPECT_EQ(Bytes(medium.Get().hGlobal).substr(0, 6), "second");
  EXPECT_EQ(medium.Get().pUnkForRelease, static_cast<IUnknown*>(data.Get()));
  ReleaseStgMedium(&second);
  medium.Reset();
  // The reference handed out freed nothing of the object's.
  ASSERT_EQ(data->GetData(&stored, medium.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(Bytes(medium.Get().hGlobal).substr(0, 6), "second");

  // The new format is enumerated; media the object cannot copy are refused.
  ComPtr<IEnumFORMATETC> enumerator;
  data->EnumFormatEtc(DATADIR_GET, &enumerator);
  FORMATETC records[8];
  ULONG fetched = 0;
  enumerator->Next(8, records, &fetched);
  EXPECT_EQ(records[fetched - 1].cfFormat, StoredFormat);
  wchar_t name[] = L"C:\\never-deleted.txt";
  STGMEDIUM file{TYMED_FILE, {}, nullptr};
  file.lpszFileName = name;
  FORMATETC fileFormat = Format(StoredFormat, TYMED_FILE);
  EXPECT_EQ(data->SetData(&fileFormat, &file, FALSE), DV_E_TYMED);
  EXPECT_EQ(data->SetData(nullptr, &file, FALSE), E_INVALIDARG);
}

// The caller's target device may be freed as soon as SetData returns: the object keeps a copy of its own.
TEST(TreeDataObject, SetDataCopiesTheTargetDevice) {
  TRenderingTree tree;
  ComPtr<IDataObject> data = new TTreeDataObject(&tree, false);
  const DWORD size = sizeof(DVTARGETDEVICE) + 16;
  auto* device = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(size));
  std::memset(device, 0x5A, size);
  device->tdSize = size;
  FORMATETC format = Format(StoredFormat);
  format.ptd = device;
  STGMEDIUM medium{TYMED_HGLOBAL, {}, nullptr};
  medium.hGlobal = Block("x");
  ASSERT_EQ(data->SetData(&format, &medium, FALSE), S_OK);
  ReleaseStgMedium(&medium);
  std::vector<BYTE> expected(reinterpret_cast<BYTE*>(device), reinterpret_cast<BYTE*>(device) + size);
  // Cleared but kept until the end: a freed block could come back as the copy's address.
  std::memset(device, 0, size);
  ComPtr<IEnumFORMATETC> enumerator;
  data->EnumFormatEtc(DATADIR_GET, &enumerator);
  FORMATETC records[8];
  ULONG fetched = 0;
  enumerator->Next(8, records, &fetched);
  FORMATETC& last = records[fetched - 1];
  // The caller's device was zeroed before it was freed (its address may be handed out again): equal bytes show a copy.
  ASSERT_NE(last.ptd, nullptr);
  EXPECT_EQ(std::vector<BYTE>(reinterpret_cast<BYTE*>(last.ptd), reinterpret_cast<BYTE*>(last.ptd) + size), expected);
  for (ULONG i = 0; i < fetched; ++i) CoTaskMemFree(records[i].ptd);
  CoTaskMemFree(device);
}

// Once its tree is destroyed the object renders nothing and touches nothing of the tree.
TEST(TreeDataObject, TreeGoneAnswersNotRunning) {
  ComPtr<IDataObject> data;
  {
    TRenderingTree tree;
    data = new TTreeDataObject(&tree, true);
    tree.MarkCutCopyNodes(false);
    STGMEDIUM medium{TYMED_HGLOBAL, {}, nullptr};
    medium.hGlobal = Block("kept");
    FORMATETC stored = Format(StoredFormat);
    data->SetData(&stored, &medium, TRUE);
    Clipboard().SetOleData(data.Get());
  }
  // Still on the clipboard: a paste gets nothing from the gone tree.
  FORMATETC user = Format(UserFormat);
  TStgMedium medium;
  EXPECT_TRUE(FAILED(Clipboard().GetOleData()->GetData(&user, medium.ReleaseAndGetAddressOf())));
  Clipboard().SetOleData(nullptr);
  for (CLIPFORMAT format : {UserFormat, TreeDataFormat, TreeReferenceFormat}) {
    FORMATETC request = Format(format);
    EXPECT_EQ(data->GetData(&request, medium.ReleaseAndGetAddressOf()), OLE_E_NOTRUNNING) << format;
  }
  FORMATETC stored = Format(StoredFormat);
  EXPECT_EQ(data->GetData(&stored, medium.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(FindReferencedTree(data.Get()), nullptr);
  data.Reset();
}

TEST(TreeDataObject, RoundTripThroughTheOleClipboard) {
  TRenderingTree tree;
  ComPtr<IDataObject> data = new TTreeDataObject(&tree, true);
  Clipboard().SetOleData(data.Get());
  ComPtr<IDataObject> pasted = Clipboard().GetOleData();
  ASSERT_NE(pasted, nullptr);
  FORMATETC user = Format(UserFormat);
  TStgMedium medium;
  ASSERT_EQ(pasted->GetData(&user, medium.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(Bytes(medium.Get().hGlobal).substr(0, 8), "rendered");
  EXPECT_EQ(FindReferencedTree(pasted.Get()), &tree);
  // Handed over for good, the clipboard keeps the rendered formats but no reference to this process's tree.
  tree.DoStateChange({TTreeState::stClipboardFlushing});
  Clipboard().FlushOleData();
  tree.DoStateChange({}, {TTreeState::stClipboardFlushing});
  pasted = Clipboard().GetOleData();
  ASSERT_EQ(pasted->GetData(&user, medium.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(Bytes(medium.Get().hGlobal).substr(0, 8), "rendered");
  EXPECT_EQ(FindReferencedTree(pasted.Get()), nullptr);
  EXPECT_FALSE(Clipboard().IsCurrentOleData(data.Get()));
}

// A tree freed while its copy is on the clipboard hands its rows over for good, through the stream form whose copy
// sizes its destination once: another tree pastes every row, in order.
TEST(TreeDataObject, AFreedTreeLeavesItsRowsOnTheClipboard) {
  auto source = std::make_unique<TKeyedTree>();
  EXPECT_TRUE(source->TreeOptions()
                  ->SetSelectionOptions(source->TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect)
                  .Alive());
  source->Fill(3000);
  EXPECT_TRUE(source->SelectAll(false).Alive());
  source->CopyToClipboard();
  const std::vector<int> keys = source->Keys();
  source.reset();
  TKeyedTree target;
  ASSERT_TRUE(target.PasteFromClipboard());
  EXPECT_TRUE(target.Keys() == keys) << target.TotalCount();
  OleSetClipboard(nullptr);
}

// Rows with a text each ("Row " and the key), which they also save, with multi-selection.
struct TTextRows : TStringTree {
  TTextRows() : TStringTree(nullptr) {
    EXPECT_TRUE(SetNodeDataSize(sizeof(int)).Alive());
    EXPECT_TRUE(TreeOptions()
                    ->SetSelectionOptions(TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect)
                    .Alive());
    OnGetText = [](TBaseTree* tree, PTreeNode node, TColumnIndex, TVSTTextType, String& text) {
      text = L"Row " + std::to_wstring(Key(*tree, node));
    };
    OnSaveNode = [](TBaseTree* tree, PTreeNode node, TStream& stream) { stream.WriteBuffer(&Key(*tree, node), 4); };
    OnLoadNode = [](TBaseTree* tree, PTreeNode node, TStream& stream) { stream.ReadBuffer(&Key(*tree, node), 4); };
  }
  using TBaseTree::ClipboardDataObject;
  PTreeNode Add(int key, PTreeNode parent = nullptr) {
    PTreeNode node = AddChild(parent);
    Key(*this, node) = key;
    return node;
  }
  PTreeNode Row(int key) {
    for (PTreeNode node = GetFirstNoInit(); node; node = GetNextNoInit(node))
      if (Key(*this, node) == key) return node;
    return nullptr;
  }
  std::vector<int> Keys() {
    std::vector<int> keys;
    for (PTreeNode node = GetFirstNoInit(); node; node = GetNextNoInit(node)) keys.push_back(Key(*this, node));
    return keys;
  }
  // Rows 1 (over 11 and 12), 2 and 3; rows 1 and 3 copied, or cut.
  void FillAndCopy(bool cut) {
    Add(12, Add(11, Add(1))->Parent);
    Add(2);
    Add(3);
    EXPECT_FALSE(AddToSelection(Row(1)).TreeGone());
    EXPECT_FALSE(AddToSelection(Row(3)).TreeGone());
    if (cut)
      CutToClipboard();
    else
      CopyToClipboard();
  }
};

// The clipboard's Unicode text as another program reads it, through the platform's clipboard calls.
std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"(the clipboard did not open)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    TGlobalLock lock(data);
    if (const wchar_t* chars = lock.As<wchar_t>()) text.assign(chars, wcsnlen(chars, lock.Size() / sizeof(wchar_t)));
  }
  CloseClipboard();
  return text;
}

// Rows copied or cut and then deleted, with the tree cleared or with rows below them, stay on the clipboard: the
// tree hands what was copied over before they go, and other programs read it there as it was, as does a paste.
// Deleting a row the clipboard does not hold leaves the clipboard with the tree.
TEST(TreeClipboard, CopiedRowsOutliveTheirDeletion) {
  std::wstring copied;
  {
    TTextRows reference;
    reference.FillAndCopy(false);
    copied = ClipboardText();
    OleSetClipboard(nullptr);
  }
  ASSERT_NE(copied.find(L"Row 3"), std::wstring::npos) << testing::PrintToString(copied);
  struct TCase {
    const char* name;
    bool cut;
    std::function<void(TTextRows& tree, TTextRows& other)> act;
    bool handedOver;
  };
  const TCase cases[] = {
      {"the copied rows deleted", false,
       [](TTextRows& tree, TTextRows&) { EXPECT_TRUE(tree.DeleteSelectedNodes().Alive()); }, true},
      {"the cut rows deleted", true,
       [](TTextRows& tree, TTextRows&) { EXPECT_TRUE(tree.DeleteSelectedNodes().Alive()); }, true},
      {"the tree cleared", false, [](TTextRows& tree, TTextRows&) { EXPECT_TRUE(tree.Clear().Alive()); }, true},
      {"the cut tree cleared", true, [](TTextRows& tree, TTextRows&) { EXPECT_TRUE(tree.Clear().Alive()); }, true},
      {"every row gone with the root's count", false,
       [](TTextRows& tree, TTextRows&) { EXPECT_TRUE(tree.SetRootNodeCount(0).Alive()); }, true},
      {"a child of a copied row deleted", false,
       [](TTextRows& tree, TTextRows&) { EXPECT_TRUE(tree.DeleteNode(tree.Row(12)).Alive()); }, true},
      {"a copied row's children deleted", false,
       [](TTextRows& tree, TTextRows&) { EXPECT_FALSE(tree.DeleteChildren(tree.Row(1)).TreeGone()); }, true},
      {"a copied row moved into another tree", false,
       [](TTextRows& tree, TTextRows& other) {
         EXPECT_FALSE(
             tree.MoveTo(tree.Row(3), other.RootNode(), TTreeNodeAttachMode::amAddChildLast, false).TreeGone());
       },
       true},
      {"a row not copied deleted", false,
       [](TTextRows& tree, TTextRows&) { EXPECT_TRUE(tree.DeleteNode(tree.Row(2)).Alive()); }, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TTextRows tree, other, target;
    tree.FillAndCopy(c.cut);
    ComPtr<IDataObject> copy = tree.ClipboardDataObject();
    c.act(tree, other);
    EXPECT_EQ(OleIsCurrentClipboard(copy.Get()) == S_OK, !c.handedOver);
    EXPECT_EQ(ClipboardText(), copied);
    EXPECT_TRUE(target.PasteFromClipboard());
    EXPECT_EQ(target.Keys(), (std::vector<int>{1, 11, 12, 3}));
    EXPECT_EQ(CheckInvariants(tree), "");
    OleSetClipboard(nullptr);
  }
}

// Cut rows pasted into another tree go over in one pass, in their order wherever the paste puts them; a row whose
// OnNodeMoving refuses stays, and a row that a handler put below another cut row goes along with that one, once.
TEST(TreeClipboard, CutRowsGoIntoAnotherTreeInTheirOrder) {
  using AM = TTreeNodeAttachMode;
  struct TCase {
    const char* name;
    AM mode;
    int at;       // the key of the focused row of the target, where the paste goes; 0: none
    int refused;  // the key of the row whose OnNodeMoving refuses; 0: none
    bool gather;  // OnNodeMoving of row 1 moves row 3 below it
    std::vector<int> sourceAfter, targetAfter;
  };
  const TCase cases[] = {
      {"after a row", AM::amInsertAfter, 7, 0, false, {2}, {7, 1, 11, 12, 3, 8}},
      {"before a row", AM::amInsertBefore, 8, 0, false, {2}, {7, 1, 11, 12, 3, 8}},
      {"first below a row", AM::amAddChildFirst, 8, 0, false, {2}, {7, 8, 1, 11, 12, 3}},
      {"last below the root", AM::amAddChildLast, 0, 0, false, {2}, {7, 8, 1, 11, 12, 3}},
      {"row 3 refused", AM::amInsertAfter, 7, 3, false, {2, 3}, {7, 1, 11, 12, 8}},
      {"row 1 refused", AM::amAddChildFirst, 7, 1, false, {1, 11, 12, 2}, {7, 3, 8}},
      {"row 3 gathered below row 1", AM::amInsertAfter, 7, 0, true, {2}, {7, 1, 11, 12, 3, 8}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TTextRows tree, target;
    tree.FillAndCopy(true);
    target.Add(7);
    target.Add(8);
    bool gathered = false;
    tree.OnNodeMoving = [&](TBaseTree*, PTreeNode node, PTreeNode, bool& allowed) {
      allowed = Key(tree, node) != c.refused;
      if (c.gather && Key(tree, node) == 1 && !std::exchange(gathered, true))
        EXPECT_FALSE(tree.MoveTo(tree.Row(3), tree.Row(1), AM::amAddChildLast, false).TreeGone());
    };
    EXPECT_FALSE(target.SetFocusedNode(c.at ? target.Row(c.at) : nullptr).TreeGone());
    target.SetDefaultPasteMode(c.mode);
    EXPECT_TRUE(target.PasteFromClipboard());
    EXPECT_EQ(tree.Keys(), c.sourceAfter);
    EXPECT_EQ(target.Keys(), c.targetAfter);
    EXPECT_EQ(CheckInvariants(tree), "");
    EXPECT_EQ(CheckInvariants(target), "");
    OleSetClipboard(nullptr);
  }
}

// A data object that offers any bytes as reference data, for the reader's mutation test.
struct TBytesDataObject : TComObject<IDataObject> {
  std::string bytes;
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (format->cfFormat != TreeReferenceFormat) return DV_E_FORMATETC;
    *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
    medium->hGlobal = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!bytes.empty()) {
      TGlobalLock lock(medium->hGlobal);
      if (lock.Data()) std::memcpy(lock.Data(), bytes.data(), bytes.size());
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

// Reference data from a drag is outside data: mutated bytes name the live tree or nothing, never anything else.
TEST(TreeDataObject, ReferenceReaderSurvivesMutatedData) {
  TRenderingTree tree;
  ComPtr<IDataObject> source = new TTreeDataObject(&tree, false);
  ASSERT_EQ(FindReferencedTree(source.Get()), &tree);
  TTreeReference valid{GetCurrentProcessId(), &tree};
  const std::string original(reinterpret_cast<const char*>(&valid), sizeof valid);
  ComPtr<TBytesDataObject> data = new TBytesDataObject;
  std::mt19937 random(20261207);
  int named = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = original;
    switch (random() % 4) {
      case 0:
        bytes.resize(random() % bytes.size());
        break;
      case 1:
        bytes += std::string(random() % 8, static_cast<char>(random()));
        break;
      default:
        for (int flips = 1 + random() % 3; flips > 0; --flips) bytes[random() % bytes.size()] ^= 1 << (random() % 8);
    }
    data->bytes = bytes;
    TBaseTree* found = FindReferencedTree(data.Get());
    if (found) {
      ++named;
      EXPECT_EQ(found, &tree);
      EXPECT_EQ(std::memcmp(bytes.data(), original.data(), sizeof(DWORD)), 0);
      EXPECT_EQ(std::memcmp(bytes.data() + offsetof(TTreeReference, Tree),
                            original.data() + offsetof(TTreeReference, Tree), sizeof(void*)),
                0);
    }
  }
  EXPECT_GT(named, 0);
  data->bytes = original;
  EXPECT_EQ(FindReferencedTree(data.Get()), &tree);
  valid.ProcessId ^= 0x10000;
  data->bytes.assign(reinterpret_cast<const char*>(&valid), sizeof valid);
  EXPECT_EQ(FindReferencedTree(data.Get()), nullptr);
}

TEST(TreeDragManager, DropSourceAnswers) {
  TTestTree tree;
  ComPtr<IDropSource> source = new TTreeDragManager(&tree);
  struct TCase {
    BOOL escape;
    DWORD keys;
    HRESULT expected;
  };
  const TCase cases[] = {
      {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
      {FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
      {FALSE, MK_LBUTTON, S_OK},
      {FALSE, MK_RBUTTON | MK_SHIFT, S_OK},
      {FALSE, 0, DRAGDROP_S_DROP},
      {FALSE, MK_CONTROL, DRAGDROP_S_DROP},
  };
  for (const TCase& c : cases) EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.expected) << c.keys;
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

// An incoming drag keeps its data object and knows a source tree of this process; leaving forgets both.
TEST(TreeDragManager, TargetFindsTheSourceTree) {
  TTestWindow host(RECT{100, 100, 400, 400});
  TTestTree source, target;
  EXPECT_TRUE(target.SetParentWindow(host.Handle()).Alive());
  target.HandleNeeded();
  ComPtr<TTreeDragManager> manager = new TTreeDragManager(&target);
  ComPtr<IDataObject> own;
  *own.ReleaseAndGetAddressOf() = ComPtr<TTreeDragManager>(new TTreeDragManager(&source))->GetDataObject();
  ASSERT_NE(own, nullptr);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(manager->DragEnter(own.Get(), MK_LBUTTON, POINTL{150, 150}, &effect), S_OK);
  EXPECT_TRUE(manager->GetIsDropTarget());
  EXPECT_EQ(manager->GetDragSource(), &source);
  ComPtr<IDataObject> current;
  *current.ReleaseAndGetAddressOf() = manager->GetDataObject();
  EXPECT_EQ(current, own);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(manager->DragOver(MK_LBUTTON, POINTL{151, 150}, &effect), S_OK);
  EXPECT_EQ(manager->DragLeave(), S_OK);
  EXPECT_FALSE(manager->GetIsDropTarget());
  EXPECT_EQ(manager->GetDragSource(), nullptr);
  // A data object of another kind names no source; dropping ends the drag (refused: the tree has no handler).
  ComPtr<TBytesDataObject> foreign = new TBytesDataObject;
  manager->DragEnter(foreign.Get(), MK_LBUTTON, POINTL{150, 150}, &effect);
  EXPECT_EQ(manager->GetDragSource(), nullptr);
  EXPECT_EQ(manager->Drop(foreign.Get(), 0, POINTL{150, 150}, &effect), E_FAIL);
  EXPECT_FALSE(manager->GetIsDropTarget());
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

}  // namespace
}  // namespace tree_test

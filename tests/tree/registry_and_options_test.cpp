#include <shlobj.h>

#include "tree/clipboard_format_registry.h"
#include "tree/scroll_bar_options.h"
#include "tree/tree_clipboard_formats.h"
#include "tree/tree_colors.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

class TTextTestTree : public TTestTree {
  BC_CLASS(TTextTestTree, TTestTree)
  using TTestTree::TTestTree;
};

TEST(ClipboardFormatRegistry, FormatsOrderedByPriorityAndFoundWithoutCase) {
  TClipboardFormatList list;
  const std::pair<const wchar_t*, std::uint32_t> entries[] = {{L"b", 90}, {L"a", 10}, {L"c", 50}, {L"d", 50}};
  for (auto& e : entries) {
    FORMATETC etc{static_cast<CLIPFORMAT>(e.second + (e.first[0] - L'a')), nullptr, DVASPECT_CONTENT, -1, 1};
    list.Add(e.first, e.first[0] == L'b' ? TTextTestTree::StaticClass() : TBaseTree::StaticClass(), e.second, etc);
  }
  std::vector<FORMATETC> formats;
  list.EnumerateFormats(TBaseTree::StaticClass(), formats);
  ASSERT_EQ(formats.size(), 3u);
  EXPECT_EQ(formats[0].cfFormat, 10);
  EXPECT_EQ(formats[1].cfFormat, 52);
  EXPECT_EQ(formats[2].cfFormat, 53);
  list.EnumerateFormats(TTextTestTree::StaticClass(), formats);
  EXPECT_EQ(formats.size(), 4u);
  CLIPFORMAT found = 0;
  EXPECT_EQ(list.FindFormat(L"B", found), TTextTestTree::StaticClass());
  EXPECT_EQ(found, 91);
  found = 7;
  EXPECT_EQ(list.FindFormat(L"none", found), nullptr);
  EXPECT_EQ(found, 7);
}

TEST(ClipboardFormatRegistry, TreesOfferOnlyTheirFormats) {
  std::vector<FORMATETC> formats;
  ClipboardFormatRegistry()->EnumerateFormats(TBaseTree::StaticClass(), formats);
  ASSERT_EQ(formats.size(), 1u);
  EXPECT_EQ(formats[0].cfFormat, TreeDataFormat);
  EXPECT_EQ(formats[0].tymed, static_cast<DWORD>(TYMED_HGLOBAL | TYMED_ISTREAM));
  CLIPFORMAT found = 0;
  EXPECT_EQ(ClipboardFormatRegistry()->FindFormat(L"node tree data", found), TBaseTree::StaticClass());
  std::size_t before = ClipboardFormatRegistry()->Entries().size();
  // Registered for a class of this test only, so that no other tree offers them.
  RegisterTreeClipboardFormat(static_cast<CLIPFORMAT>(0), TTextTestTree::StaticClass(), 10);
  RegisterTreeClipboardFormat(static_cast<CLIPFORMAT>(17), TTextTestTree::StaticClass(), 10);
  EXPECT_EQ(ClipboardFormatRegistry()->Entries().size(), before + 1) << "id 0 adds nothing, id 17 by its name";

  TTestTree tree;
  tree.OnGetUserClipboardFormats = [](TBaseTree*, TFormatEtcArray& more) {
    more.push_back(FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
  };
  TFormatEtcArray offered;
  ASSERT_TRUE(tree.NativeClipboardFormats(offered).Alive());
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[0].cfFormat, TreeDataFormat);
  EXPECT_EQ(offered[1].cfFormat, CF_HDROP);
  EXPECT_EQ(tree.ClipboardFormats()->Add(L"CSV"), -1);
  EXPECT_GE(tree.ClipboardFormats()->Add(L"Node Tree Data"), 0);
  tree.ClipboardFormats()->Add(L"node tree data");
  EXPECT_EQ(tree.ClipboardFormats()->Count(), 1);
  TStringList names;
  names.Add(L"CSV");
  names.Add(L"Node Tree Data");
  names.Add(L"Unknown");
  TTestTree other;
  other.SetClipboardFormats(&names);
  EXPECT_EQ(other.ClipboardFormats()->Text(), L"Node Tree Data\r\n");
}

TEST(TreeOptions, DefaultsAndAssignment) {
  TTestTree tree;
  TCustomTreeOptions* options = tree.TreeOptions();
  EXPECT_EQ(options->PaintOptions().ToBits(), 0x1B60u);
  EXPECT_EQ(options->AutoOptions().ToBits(), 0x149u);
  EXPECT_EQ(options->MiscOptions().ToBits(), 0x1A9u);
  EXPECT_TRUE(options->SelectionOptions().Empty());
  EXPECT_TRUE(options->AnimationOptions().Empty());
  EXPECT_EQ(tree.Colors()->TreeLineColor(), clBtnShadow);
  EXPECT_EQ(tree.Colors()->HotColor(), clWindowText);
  EXPECT_EQ(tree.ScrollBarOptions()->ScrollBars(), TScrollStyle::ssBoth);
  EXPECT_EQ(tree.ScrollBarOptions()->VerticalIncrement(), 20);
  EXPECT_EQ(tree.Width(), 200);
  EXPECT_EQ(tree.Height(), 100);
  EXPECT_EQ(tree.DefaultNodeHeight(), 18);
  tree.SetDefaultNodeHeight(0);
  EXPECT_EQ(tree.DefaultNodeHeight(), 18);
  tree.SetAnimationDuration(0);
  EXPECT_FALSE(options->AnimationOptions().Contains(TTreeAnimationOption::toAnimatedToggle));
  tree.SetAnimationDuration(100);
  EXPECT_TRUE(options->AnimationOptions().Contains(TTreeAnimationOption::toAnimatedToggle));

  EXPECT_TRUE(options->SetSelectionOptions({TTreeSelectionOption::toMultiSelect}).Alive());
  PTreeNode a = tree.AddChild(nullptr);
  PTreeNode b = tree.AddChild(nullptr);
  EXPECT_FALSE(tree.SetSelected(a, true).TreeGone());
  EXPECT_FALSE(tree.SetSelected(b, true).TreeGone());
  EXPECT_EQ(tree.SelectedCount(), 2u);
  TTestTree other;
  EXPECT_TRUE(other.TreeOptions()->SetSelectionOptions({}).Alive());
  options->Assign(other.TreeOptions());
  EXPECT_EQ(tree.SelectedCount(), 0u) << "switching multi-selection off clears the selection";
}

// A minimal data object: what the clipboard needs to hold it.
class TTestDataObject : public IDataObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
    return SHCreateStdEnumFmtEtc(0, nullptr, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  ULONG refs_ = 1;
};

void PutTextOnClipboard(const char* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
  memcpy(GlobalLock(memory), text, strlen(text) + 1);
  GlobalUnlock(memory);
  SetClipboardData(CF_TEXT, memory);
  CloseClipboard();
}

// Clearing a tree with a pending cut takes its data off the clipboard, but never what another program put there.
TEST(TreeFaults, ClearEmptiesTheClipboardOnlyWhileItHoldsTheTreesData) {
  for (bool othersTookIt : {false, true}) {
    TTestDataObject data;
    TTestTree tree;
    EXPECT_FALSE(tree.SetSelected(tree.AddChild(nullptr), true).TreeGone());
    tree.MarkCutCopyNodes(true);
    ASSERT_EQ(OleSetClipboard(&data), S_OK);
    tree.ClipboardDataObject() = &data;
    if (othersTookIt) PutTextOnClipboard("someone else's");
    EXPECT_TRUE(tree.Clear().Alive());
    EXPECT_FALSE(tree.TreeStates().Contains(TTreeState::stCutPending));
    EXPECT_EQ(OleIsCurrentClipboard(&data), S_FALSE);
    EXPECT_EQ(IsClipboardFormatAvailable(CF_TEXT) != FALSE, othersTookIt);
    OleSetClipboard(nullptr);
  }
}

}  // namespace
}  // namespace tree_test

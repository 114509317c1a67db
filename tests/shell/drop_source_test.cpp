#include "shell/dragdrop/drop_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/clipboard.h"
#include "framework/stg_medium.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

class DropSource : public TDragDropTest {
 protected:
  void SetUp() override {
    text_ = new TTextDataFormat(&source_);
    EXPECT_TRUE(text_->SetText("hello").Alive());
  }

  HRESULT Get(CLIPFORMAT format, std::string& bytes, DWORD tymed = TYMED_HGLOBAL) {
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, tymed};
    TStgMedium medium;
    HRESULT result = source_.GetData(&request, medium.ReleaseAndGetAddressOf());
    bytes = BytesOfMedium(medium.Get());
    return result;
  }

  HRESULT Set(CLIPFORMAT format, const std::string& bytes, BOOL release = TRUE) {
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{TYMED_HGLOBAL, {}, nullptr};
    medium.hGlobal = GlobalWith(bytes).Release();
    HRESULT result = source_.SetData(&request, &medium, release);
    if (result != S_OK || !release) ReleaseStgMedium(&medium);
    return result;
  }

  std::vector<CLIPFORMAT> Listed(DWORD direction) {
    ComPtr<IEnumFORMATETC> formats;
    std::vector<CLIPFORMAT> listed;
    if (source_.EnumFormatEtc(direction, &formats) != S_OK) return listed;
    FORMATETC format;
    while (formats->Next(1, &format, nullptr) == S_OK) listed.push_back(format.cfFormat);
    return listed;
  }

  TCustomDropMultiSource source_{nullptr};
  TTextDataFormat* text_ = nullptr;
};

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof(value)); }

TEST_F(DropSource, AnswersFromItsDataFormats) {
  std::string bytes;
  EXPECT_EQ(Get(CF_TEXT, bytes), S_OK);
  EXPECT_EQ(bytes, std::string("hello\0", 6));
  EXPECT_EQ(Get(CF_TEXT, bytes, TYMED_ISTREAM), S_OK);
  EXPECT_EQ(bytes, std::string("hello\0", 6));
  EXPECT_EQ(Get(CF_UNICODETEXT, bytes), DV_E_FORMATETC);
  FORMATETC group{FormatId(L"FileGroupDescriptorW"), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(source_.QueryGetData(&group), S_OK);
  FORMATETC canonical{};
  EXPECT_EQ(source_.GetCanonicalFormatEtc(&group, &canonical), DATA_S_SAMEFORMATETC);
  EXPECT_EQ(source_.DAdvise(&group, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
  ComPtr<IEnumFORMATETC> none;
  EXPECT_EQ(source_.EnumFormatEtc(3, &none), E_NOTIMPL);

  // The feedback format comes first (the source makes it), its equal priorities the later registered first.
  EXPECT_EQ(
      Listed(DATADIR_GET),
      (std::vector<CLIPFORMAT>{FormatId(L"InShellDragLoop"), FormatId(L"Preferred DropEffect"), CF_TEXT,
                               FormatId(L"Internet Message (rfc822/rfc1522)"), FormatId(L"FileGroupDescriptorW"),
                               FormatId(L"FileGroupDescriptor"), FormatId(L"FileContents"), FormatId(L"HTML Format")}));
  EXPECT_EQ(Listed(DATADIR_SET),
            (std::vector<CLIPFORMAT>{FormatId(L"Logical Performed DropEffect"), FormatId(L"TargetCLSID"),
                                     FormatId(L"Paste Succeeded"), FormatId(L"Performed DropEffect")}));
}

TEST_F(DropSource, FeedbackWrittenByATargetReachesTheSource) {
  std::vector<std::pair<TDragResult, bool>> pasted;
  source_.OnPaste = [&](TObject*, TDragResult action, bool deleteOnPaste) {
    pasted.push_back({action, deleteOnPaste});
  };
  ASSERT_EQ(Set(FormatId(L"Performed DropEffect"), Dword(DROPEFFECT_MOVE)), S_OK);
  EXPECT_EQ(source_.GetPerformedDropEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
  ASSERT_EQ(Set(FormatId(L"Paste Succeeded"), Dword(DROPEFFECT_MOVE)), S_OK);
  EXPECT_EQ(pasted, (std::vector<std::pair<TDragResult, bool>>{{TDragResult::drDropMove, true}}));
  ASSERT_EQ(Set(FormatId(L"Logical Performed DropEffect"), Dword(DROPEFFECT_LINK)), S_OK);
  EXPECT_EQ(source_.GetLogicalPerformedDropEffect(), static_cast<DWORD>(DROPEFFECT_LINK));
}

TEST_F(DropSource, DataNoFormatKnowsIsKeptRawOncePerFormat) {
  CLIPFORMAT raw = FormatId(L"Test Raw Data");
  ASSERT_EQ(Set(raw, "one"), S_OK);
  ASSERT_EQ(Set(raw, "two", FALSE), S_OK);
  std::string bytes;
  ASSERT_EQ(Get(raw, bytes), S_OK);
  EXPECT_EQ(bytes, "two");
  auto listed = Listed(DATADIR_GET);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), raw), 1);
}

TEST_F(DropSource, AMediumIsReleasedOnlyWhenHandedOverAndAccepted) {
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  stream->Write("abc", 3, nullptr);
  auto references = [&] {
    stream->AddRef();
    return stream->Release();
  };
  ULONG before = references();
  FORMATETC format{FormatId(L"Test Raw Stream"), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
  for (BOOL release : {FALSE, TRUE}) {
    STGMEDIUM medium{TYMED_ISTREAM, {}, nullptr};
    medium.pstm = stream.Get();
    stream->AddRef();
    ASSERT_EQ(source_.SetData(&format, &medium, release), S_OK);
    // The source keeps one reference of its own; a medium handed over is released once, else it stays ours.
    EXPECT_EQ(references(), before + (release ? 1 : 2)) << release;
    if (!release) ReleaseStgMedium(&medium);
  }
  STGMEDIUM bitmap{TYMED_GDI, {}, nullptr};
  bitmap.hBitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  FORMATETC gdi{FormatId(L"Test Raw Bitmap"), nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
  EXPECT_EQ(source_.SetData(&gdi, &bitmap, TRUE), E_NOTIMPL);
  EXPECT_NE(GetObjectType(bitmap.hBitmap), 0u);
  ReleaseStgMedium(&bitmap);
}

TEST_F(DropSource, ReleasingTheButtonsDropsOnlyAnOfferedEffect) {
  source_.SetDragTypes({TDragType::dtCopy, TDragType::dtLink});
  struct TCase {
    BOOL Escape;
    DWORD Keys;
    DWORD Feedback;
    bool Veto;
    HRESULT Result;
  } cases[] = {
      {TRUE, MK_LBUTTON, DROPEFFECT_COPY, false, DRAGDROP_S_CANCEL},
      {FALSE, MK_LBUTTON, DROPEFFECT_COPY, false, S_OK},
      {FALSE, MK_RBUTTON, DROPEFFECT_NONE, false, S_OK},
      {FALSE, 0, DROPEFFECT_COPY, false, DRAGDROP_S_DROP},
      {FALSE, MK_SHIFT, DROPEFFECT_LINK, false, DRAGDROP_S_DROP},
      {FALSE, 0, DROPEFFECT_MOVE, false, DRAGDROP_S_CANCEL},
      {FALSE, 0, DROPEFFECT_NONE, false, DRAGDROP_S_CANCEL},
      {FALSE, 0, DROPEFFECT_COPY, true, DRAGDROP_S_CANCEL},
  };
  for (const TCase& c : cases) {
    source_.OnDrop = [&](TObject*, TDragType, bool& go) { go = !c.Veto; };
    source_.GiveFeedback(c.Feedback);
    EXPECT_EQ(source_.FeedbackEffect(), c.Feedback);
    EXPECT_EQ(source_.QueryContinueDrag(c.Escape, c.Keys), c.Result) << c.Keys << " " << c.Feedback;
  }
  EXPECT_EQ(source_.GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  source_.OnFeedback = [](TObject*, DWORD, bool& useDefault) { useDefault = false; };
  EXPECT_EQ(source_.GiveFeedback(DROPEFFECT_COPY), S_OK);
}

TEST_F(DropSource, AnAsynchronousOperationEndsWithTheAfterDropEvent) {
  std::vector<std::pair<TDragResult, bool>> ended;
  source_.OnAfterDrop = [&](TObject*, TDragResult result, bool optimized) { ended.push_back({result, optimized}); };
  EXPECT_EQ(source_.SetAsyncMode(TRUE), E_NOTIMPL);
  source_.SetAllowAsyncTransfer(true);
  ASSERT_EQ(source_.SetAsyncMode(TRUE), S_OK);
  BOOL flag = FALSE;
  source_.GetAsyncMode(&flag);
  EXPECT_TRUE(flag);
  EXPECT_EQ(source_.EndOperation(S_OK, nullptr, DROPEFFECT_COPY), E_FAIL);
  ASSERT_EQ(source_.StartOperation(nullptr), S_OK);
  source_.InOperation(&flag);
  EXPECT_TRUE(flag);
  EXPECT_EQ(source_.EndOperation(S_OK, nullptr, DROPEFFECT_COPY | DROPEFFECT_MOVE), S_OK);
  ASSERT_EQ(source_.StartOperation(nullptr), S_OK);
  EXPECT_EQ(source_.EndOperation(E_FAIL, nullptr, DROPEFFECT_COPY), S_OK);
  EXPECT_EQ(ended, (std::vector<std::pair<TDragResult, bool>>{{TDragResult::drDropCopy, true},
                                                              {TDragResult::drUnknown, true}}));
  source_.SetAllowAsyncTransfer(false);
  EXPECT_FALSE(source_.AsyncMode());
}

TEST_F(DropSource, TheClipboardKeepsTheOldDataWhenTheSourceChanges) {
  ASSERT_TRUE(source_.CopyToClipboard());
  EXPECT_TRUE(source_.IsCurrentClipboard());
  EXPECT_EQ(source_.GetPreferredDropEffect(), static_cast<DWORD>(DROPEFFECT_COPY));
  ComPtr<IDataObject> clipboard = Clipboard().GetOleData();
  TTextClipboardFormat read;
  ASSERT_TRUE(read.GetData(clipboard.Get()));
  EXPECT_EQ(read.Data(), "hello");
  EXPECT_TRUE(text_->SetText("changed").Alive());
  EXPECT_FALSE(source_.IsCurrentClipboard());
  clipboard = Clipboard().GetOleData();
  ASSERT_TRUE(read.GetData(clipboard.Get()));
  EXPECT_EQ(read.Data(), "hello");
  ASSERT_TRUE(source_.CutToClipboard());
  EXPECT_EQ(source_.GetPreferredDropEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
  source_.EmptyClipboard();
  EXPECT_FALSE(source_.IsCurrentClipboard());
}

TEST_F(DropSource, ImageSettingsFollowTheImageList) {
  TImageList images;
  images.SetSize(16, 16);
  source_.SetShowImage(true);
  EXPECT_FALSE(source_.ShowImage());
  source_.SetImages(&images);
  source_.SetShowImage(true);
  EXPECT_TRUE(source_.ShowImage());
  source_.SetImageIndex(3);
  EXPECT_EQ(source_.ImageIndex(), 0);
  EXPECT_FALSE(source_.ShowImage());
}

}  // namespace

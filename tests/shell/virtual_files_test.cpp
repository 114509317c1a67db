#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "drag_drop_fixtures.h"
#include "framework/stg_medium.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/file_contents_formats.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

std::string GroupOf(std::initializer_list<const char*> names) {
  std::string block(sizeof(UINT) + names.size() * sizeof(FILEDESCRIPTORA), '\0');
  UINT count = static_cast<UINT>(names.size());
  std::memcpy(block.data(), &count, sizeof(count));
  size_t at = sizeof(UINT) + offsetof(FILEDESCRIPTORA, cFileName);
  for (const char* name : names) {
    std::memcpy(block.data() + at, name, std::strlen(name));
    at += sizeof(FILEDESCRIPTORA);
  }
  return block;
}

std::string Contents(TStream& stream) {
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

using VirtualFiles = TDragDropTest;

TEST_F(VirtualFiles, EveryFileOfAGroupIsReadAsANamedStream) {
  ComPtr<TTestDataObject> data(new TTestDataObject);
  CLIPFORMAT contents = FormatId(L"FileContents");
  data->Add(FormatId(L"FileGroupDescriptor"), GroupOf({"first.txt", "second.txt", "third.txt"}));
  data->Add(contents, "one", 0, TYMED_ISTREAM);
  data->Add(contents, "two!", 1, TYMED_ISTREAM);
  TDataStreamDataFormat streams(nullptr);
  ASSERT_TRUE(streams.GetData(data.Get()));
  // The third file has no contents: reading stops there with what it has.
  ASSERT_EQ(streams.Streams().Count(), 2);
  EXPECT_EQ(streams.Streams().Names(0), L"first.txt");
  EXPECT_EQ(Contents(streams.Streams().Streams(0)), "one");
  EXPECT_EQ(streams.Streams().Names(1), L"second.txt");
  EXPECT_EQ(Contents(streams.Streams().Streams(1)), "two!");

  ComPtr<TTestDataObject> withoutGroup(new TTestDataObject);
  withoutGroup->Add(contents, "one", 0, TYMED_ISTREAM);
  TFileContentsStreamClipboardFormat alone;
  EXPECT_FALSE(alone.GetData(withoutGroup.Get()));
  EXPECT_EQ(alone.FormatEtc().lindex, -1);
}

TEST_F(VirtualFiles, ASourceHandsOutEachFileWhenAsked) {
  TCustomDropMultiSource source(nullptr);
  auto* files = new TVirtualFileStreamDataFormat(&source);
  files->FileNames().Add(L"a.txt");
  files->FileNames().Add(String(300, L'n'));
  EXPECT_FALSE(files->HasData());
  std::vector<int> asked;
  files->FileContentsClipboardFormat().SetOnGetStream([&](TObject*, int index, ComPtr<IStream>& stream) {
    asked.push_back(index);
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    stream->Write("data", 4, nullptr);
  });
  EXPECT_TRUE(files->HasData());

  FORMATETC group{FormatId(L"FileGroupDescriptor"), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  TStgMedium medium;
  ASSERT_EQ(source.GetData(&group, medium.ReleaseAndGetAddressOf()), S_OK);
  TFileGroupDescritorClipboardFormat read;
  ASSERT_TRUE(read.GetDataFromMedium(nullptr, medium.Get()));
  ASSERT_EQ(read.FileGroupDescriptor()->cItems, 2u);
  EXPECT_STREQ(read.FileGroupDescriptor()->fgd[0].cFileName, "a.txt");
  EXPECT_EQ(std::strlen(read.FileGroupDescriptor()->fgd[1].cFileName), 259u);

  FORMATETC contents{FormatId(L"FileContents"), nullptr, DVASPECT_CONTENT, 1, TYMED_ISTREAM};
  ASSERT_EQ(source.GetData(&contents, medium.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(BytesOfMedium(medium.Get()), "data");
  contents.lindex = -1;
  EXPECT_EQ(source.GetData(&contents, medium.ReleaseAndGetAddressOf()), DV_E_FORMATETC);
  EXPECT_EQ(asked, std::vector<int>{1});
}

TEST_F(VirtualFiles, NoExceptionLeavesTheSourcesDataObject) {
  TCustomDropMultiSource source(nullptr);
  source.OnGetData = [](TObject*, const FORMATETC&, STGMEDIUM&, bool&) { throw Exception(L"handler failed"); };
  FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium;
  EXPECT_EQ(source.GetData(&text, &medium), E_UNEXPECTED);
  source.OnFeedback = [](TObject*, DWORD, bool&) { throw std::bad_alloc(); };
  EXPECT_EQ(source.GiveFeedback(DROPEFFECT_COPY), E_OUTOFMEMORY);
  source.OnDrop = [](TObject*, TDragType, bool&) { throw Exception(L"handler failed"); };
  EXPECT_EQ(source.QueryContinueDrag(FALSE, 0), DRAGDROP_S_CANCEL);
}

}  // namespace

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "drag_drop_fixtures.h"
#include "framework/stg_medium.h"
#include "framework/streams.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/fixed_stream_adapter.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/raw_data_format.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

// A count followed by room for records records.
std::string Descriptors(UINT count, size_t recordSize, size_t extra = 0, UINT records = ~0u) {
  if (records == ~0u) records = count;
  std::string block(sizeof(UINT) + records * recordSize + extra, '\0');
  std::memcpy(block.data(), &count, sizeof(count));
  return block;
}

using SimpleFormats = TDragDropTest;

TEST_F(SimpleFormats, BlocksAreReadWithinTheirSize) {
  using TFactory = std::function<std::unique_ptr<TCustomSimpleClipboardFormat>()>;
  auto text = [] { return std::make_unique<TTextClipboardFormat>(); };
  auto wide = [] { return std::make_unique<TTestWideTextFormat>(); };
  auto dword = [] { return std::make_unique<TPerformedDropEffectClipboardFormat>(); };
  auto group = [] { return std::make_unique<TFileGroupDescritorClipboardFormat>(); };
  auto groupW = [] { return std::make_unique<TFileGroupDescritorWClipboardFormat>(); };
  auto clsid = [] { return std::make_unique<TTargetCLSIDClipboardFormat>(); };
  struct TCase {
    const char* Name;
    TFactory Make;
    std::string Block;
    bool Read;
  } cases[] = {
      {"text up to its zero", text, std::string("abc\0xyz", 7), true},
      {"wide text keeps what follows a zero", wide, std::string("a\0\0\0b\0", 6), true},
      {"dword from eight bytes", dword, std::string("\x02\0\0\0\x07\0\0\0", 8), true},
      {"dword from three bytes", dword, std::string("\x02\0\0", 3), false},
      {"group of two", group, Descriptors(2, 332), true},
      {"group with a spare tail", group, Descriptors(1, 332, 100), true},
      {"group claiming more than it holds", group, Descriptors(3, 332, 331, 2), false},
      {"group of one byte", group, std::string("\x01", 1), false},
      {"wide group of one", groupW, Descriptors(1, 592), true},
      {"wide group read as ANSI records", groupW, Descriptors(1, 332), false},
      {"class id of 16 bytes", clsid, std::string(16, '\x11'), true},
      {"class id of 15 bytes", clsid, std::string(15, '\x11'), false},
  };
  for (const TCase& c : cases) {
    auto format = c.Make();
    EXPECT_EQ(format->ReadData(c.Block.data(), c.Block.size()), c.Read) << c.Name;
  }
  TTextClipboardFormat plain;
  plain.ReadData("abc\0xyz", 7);
  EXPECT_EQ(plain.Data(), "abc");
  TTestWideTextFormat keeping;
  keeping.ReadData(L"a\0b", 6);
  EXPECT_EQ(keeping.WideText(), String(L"a\0b", 3));
  TPerformedDropEffectClipboardFormat effect;
  effect.ReadData("\x02\0\0\0\x07\0\0\0", 8);
  EXPECT_EQ(effect.Value(), 2u);
}

TEST_F(SimpleFormats, BlocksAreWrittenOnlyInTheirOwnSize) {
  TPerformedDropEffectClipboardFormat effect;
  effect.SetValue(DROPEFFECT_MOVE);
  char block[8] = {};
  EXPECT_FALSE(effect.WriteData(block, 8));
  EXPECT_TRUE(effect.WriteData(block, 4));

  TTestLinesFormat lines;
  lines.Lines().Add(L"one");
  lines.Lines().Add(L"two");
  ASSERT_EQ(lines.GetSize(), 11u);
  EXPECT_FALSE(lines.WriteData(block, 8));
  char exact[11];
  EXPECT_TRUE(lines.WriteData(exact, 11));
  EXPECT_EQ(std::string(exact, 11), std::string("one\r\ntwo\r\n\0", 11));

  struct TCase {
    std::string Text;
    size_t Size;
  } texts[] = {{"", 0}, {"abc", 4}, {std::string("abc\0", 4), 4}};
  for (const TCase& c : texts) {
    TTextClipboardFormat text;
    text.SetData(c.Text);
    EXPECT_EQ(text.GetSize(), c.Size) << c.Text;
  }
  TTextClipboardFormat empty;
  STGMEDIUM medium;
  EXPECT_FALSE(empty.SetDataToMedium(empty.FormatEtc(), medium));
  EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));
}

TEST_F(SimpleFormats, TextTravelsInGlobalMemoryAndStreams) {
  for (DWORD tymed : {DWORD(TYMED_HGLOBAL), DWORD(TYMED_ISTREAM), DWORD(TYMED_HGLOBAL | TYMED_ISTREAM)}) {
    TTextClipboardFormat source;
    source.SetData("dropped text");
    FORMATETC request = source.FormatEtc();
    request.tymed = tymed;
    STGMEDIUM written;
    ASSERT_TRUE(source.SetDataToMedium(request, written)) << tymed;
    TStgMedium medium(written);
    EXPECT_EQ(medium.Get().tymed, tymed == TYMED_HGLOBAL ? DWORD(TYMED_HGLOBAL) : DWORD(TYMED_ISTREAM));
    TTextClipboardFormat target;
    ASSERT_TRUE(target.GetDataFromMedium(nullptr, medium.Get()));
    EXPECT_EQ(target.Data(), "dropped text");
    // The medium stays the caller's: reading it twice gives the same text.
    ASSERT_TRUE(target.GetDataFromMedium(nullptr, medium.Get()));
    EXPECT_EQ(BytesOfMedium(medium.Get()), std::string("dropped text\0", 13));
  }
}

TEST_F(SimpleFormats, CopyingAllOfAStreamAtItsEndCopiesTheWholeStream) {
  auto* memory = new TMemoryStream;
  memory->WriteBuffer("0123456789", 10);
  ComPtr<IStream> adapter(new TFixedStreamAdapter(memory, TStreamOwnership::soOwned));
  ComPtr<IStream> copy;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &copy), S_OK);
  ULARGE_INTEGER all;
  all.QuadPart = ~0ULL;
  ULARGE_INTEGER read{}, written{};
  ASSERT_EQ(adapter->CopyTo(copy.Get(), all, &read, &written), S_OK);
  EXPECT_EQ(read.QuadPart, 10u);
  EXPECT_EQ(written.QuadPart, 10u);
  STGMEDIUM view{TYMED_ISTREAM, {}, nullptr};
  view.pstm = copy.Get();
  EXPECT_EQ(BytesOfMedium(view), "0123456789");
}

TEST_F(SimpleFormats, TextBecomesOneVirtualFileNamedTextScrap) {
  TCustomDropMultiSource source(nullptr);
  auto* text = new TTextDataFormat(&source);
  EXPECT_TRUE(text->SetText("scrap").Alive());
  TFileGroupDescritorClipboardFormat ansi;
  ASSERT_TRUE(text->AssignTo(&ansi));
  ASSERT_EQ(ansi.GetSize(), 336u);
  EXPECT_EQ(ansi.FileGroupDescriptor()->cItems, 1u);
  EXPECT_STREQ(ansi.FileGroupDescriptor()->fgd[0].cFileName, "Text scrap.txt");
  TFileGroupDescritorWClipboardFormat wide;
  ASSERT_TRUE(text->AssignTo(&wide));
  ASSERT_EQ(wide.GetSize(), 596u);
  EXPECT_STREQ(wide.FileGroupDescriptor()->fgd[0].cFileName, L"Text scrap.txt");
}

TEST_F(SimpleFormats, RawDataKeepsOnlyGlobalMemoryAndStreams) {
  FORMATETC format{FormatId(L"Test Raw"), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_GDI};
  TRawClipboardFormat raw(format);
  STGMEDIUM bitmap{TYMED_GDI, {}, nullptr};
  bitmap.hBitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  EXPECT_FALSE(raw.GetDataFromMedium(nullptr, bitmap));
  EXPECT_FALSE(raw.HasData());
  // The bitmap is still the caller's to free, exactly once.
  EXPECT_NE(GetObjectType(bitmap.hBitmap), 0u);
  ReleaseStgMedium(&bitmap);

  STGMEDIUM global{TYMED_HGLOBAL, {}, nullptr};
  global.hGlobal = GlobalWith("raw").Release();
  ASSERT_TRUE(raw.GetDataFromMedium(nullptr, global));
  ReleaseStgMedium(&global);
  EXPECT_EQ(BytesOfMedium(raw.Medium()), "raw");
  EXPECT_THROW(TRawClipboardFormat(), Exception);
}

}  // namespace

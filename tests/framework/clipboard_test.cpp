#include "framework/clipboard.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "framework/com_guard.h"
#include "framework/com_object.h"
#include "framework/format_etc_enumerator.h"
#include "framework/stg_medium.h"
#include "support/com_references.h"
#include "support/memory_blocks.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kTestFormatName[] = L"Browser Components Test Bytes";

std::string BytesOf(const TGlobalMemory& memory) {
  TGlobalLock lock(memory.Get());
  return std::string(lock.As<const char>(), lock.Size());
}

// A data object offering a few formats in global memory, each rendered as a copy on request.
class TestDataObject : public TComObject<IDataObject> {
 public:
  void Add(CLIPFORMAT format, TGlobalMemory data) {
    formats_.push_back({format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    data_.push_back(std::move(data));
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    *medium = STGMEDIUM{};
    size_t index = Find(format);
    if (index == formats_.size()) return DV_E_FORMATETC;
    STGMEDIUM stored{TYMED_HGLOBAL, {}, nullptr};
    stored.hGlobal = data_[index].Get();
    return DuplicateStgMedium(stored, *medium);
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return Find(format) == formats_.size() ? DV_E_FORMATETC : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override {
    *enumerator = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return ComGuard([&] { *enumerator = ComPtr<IEnumFORMATETC>(new TFormatEtcEnumerator(formats_)).Detach(); });
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  size_t Find(const FORMATETC* format) const {
    for (size_t i = 0; i < formats_.size(); ++i)
      if (formats_[i].cfFormat == format->cfFormat && (format->tymed & TYMED_HGLOBAL)) return i;
    return formats_.size();
  }

  std::vector<FORMATETC> formats_;
  std::vector<TGlobalMemory> data_;
};

std::string ReadOle(IDataObject* data, CLIPFORMAT format) {
  FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  TStgMedium medium;
  if (FAILED(data->GetData(&request, medium.ReleaseAndGetAddressOf()))) return "(none)";
  TGlobalLock lock(medium.Get().hGlobal);
  return std::string(lock.As<const char>(), lock.Size());
}

std::string Utf16Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

struct ClipboardFixture : testing::Test {
  ~ClipboardFixture() override { Clipboard().Clear(); }
};

}  // namespace

TEST_F(ClipboardFixture, TextRoundTrips) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"", L""},
      {L"plain", L"plain"},
      {L"line one\r\nline two", L"line one\r\nline two"},
      {L"\u00dcnic\u00f8de \u2713 \U0001F600", L"\u00dcnic\u00f8de \u2713 \U0001F600"},
      {std::wstring(L"up to\0the terminator", 20), L"up to"},
      {std::wstring(100000, L'x'), std::wstring(100000, L'x')},
  };
  for (const auto& [text, expected] : cases) {
    Clipboard().SetAsText(text);
    EXPECT_TRUE(Clipboard().HasFormat(CF_UNICODETEXT));
    EXPECT_EQ(Clipboard().AsText(), expected);
  }
  Clipboard().Clear();
  EXPECT_FALSE(Clipboard().HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard().AsText(), L"");
}

TEST_F(ClipboardFixture, WritesWithinOneBracketAddUpAndNestedOpensCount) {
  UINT format = TClipboard::RegisterFormat(kTestFormatName);
  Clipboard().SetAsText(L"older");
  Clipboard().Open();
  Clipboard().Open();
  Clipboard().SetAsHandle(format, GlobalWith("bytes"));
  Clipboard().SetAsText(L"newer");
  Clipboard().Close();
  EXPECT_TRUE(Clipboard().IsOpen());
  // Still ours: another window cannot open it.
  EXPECT_FALSE(OpenClipboard(nullptr));
  Clipboard().Close();
  EXPECT_FALSE(Clipboard().IsOpen());

  std::vector<UINT> formats = Clipboard().Formats();
  ASSERT_GE(formats.size(), 2u);
  EXPECT_EQ(formats[0], format);
  EXPECT_EQ(formats[1], static_cast<UINT>(CF_UNICODETEXT));
  EXPECT_EQ(BytesOf(Clipboard().GetAsHandle(format)), "bytes");
  EXPECT_EQ(Clipboard().AsText(), L"newer");
  EXPECT_FALSE(Clipboard().GetAsHandle(RegisterClipboardFormatW(L"Browser Components Absent")));
  EXPECT_THROW(Clipboard().GetAsHandle(CF_BITMAP), EClipboardException);
}

TEST_F(ClipboardFixture, OpenWaitsBrieflyForAnotherHolder) {
  struct Case {
    DWORD holdMs;
    bool opens;
  };
  for (const Case& c : {Case{40, true}, Case{600, false}}) {
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
      OpenClipboard(nullptr);
      SetEvent(held);
      Sleep(c.holdMs);
      CloseClipboard();
    });
    WaitForSingleObject(held, INFINITE);
    if (c.opens) {
      EXPECT_NO_THROW(Clipboard().Open());
      Clipboard().Close();
    } else {
      EXPECT_THROW(Clipboard().Open(), EClipboardException);
      EXPECT_FALSE(Clipboard().IsOpen());
    }
    holder.join();
    CloseHandle(held);
  }
}

TEST(ClipboardFormats, NamedFormatsAreRegisteredOnceAndNamed) {
  for (const wchar_t* name : {L"Browser Components Alpha", L"browser components alpha", L"Beta \u00e9 Format"}) {
    UINT format = TClipboard::RegisterFormat(name);
    EXPECT_GE(format, 0xC000u);
    EXPECT_EQ(TClipboard::RegisterFormat(name), format);
    EXPECT_EQ(_wcsicmp(TClipboard::FormatName(format).c_str(), name), 0);
  }
  for (UINT predefined : {CF_TEXT, CF_UNICODETEXT, CF_BITMAP, CF_HDROP})
    EXPECT_EQ(TClipboard::FormatName(predefined), L"");
  EXPECT_THROW(TClipboard::RegisterFormat(L""), EOSError);
}

TEST_F(ClipboardFixture, OleDataObjectRoundTrip) {
  UINT format = TClipboard::RegisterFormat(kTestFormatName);
  ComPtr<TestDataObject> object = new TestDataObject;
  object->Add(CF_UNICODETEXT, GlobalWith(Utf16Bytes(L"from OLE")));
  object->Add(static_cast<CLIPFORMAT>(format), GlobalWith("ole bytes"));

  Clipboard().SetOleData(object.Get());
  EXPECT_TRUE(Clipboard().IsCurrentOleData(object.Get()));
  EXPECT_GT(ReferenceCount(object.Get()), 1u);

  ComPtr<IDataObject> pasted;
  ASSERT_EQ(OleGetClipboard(&pasted), S_OK);
  EXPECT_EQ(ReadOle(pasted.Get(), static_cast<CLIPFORMAT>(format)), "ole bytes");
  pasted.Reset();

  EXPECT_EQ(Clipboard().AsText(), L"from OLE");
  EXPECT_EQ(BytesOf(Clipboard().GetAsHandle(format)), "ole bytes");
  EXPECT_EQ(ReadOle(Clipboard().GetOleData().Get(), static_cast<CLIPFORMAT>(format)), "ole bytes");

  // Flushing renders every format and lets the object go; the data stays.
  Clipboard().FlushOleData();
  EXPECT_FALSE(Clipboard().IsCurrentOleData(object.Get()));
  EXPECT_EQ(ReferenceCount(object.Get()), 1u);
  EXPECT_EQ(Clipboard().AsText(), L"from OLE");
  EXPECT_EQ(BytesOf(Clipboard().GetAsHandle(format)), "ole bytes");

  Clipboard().SetOleData(object.Get());
  Clipboard().SetOleData(nullptr);
  EXPECT_FALSE(Clipboard().IsCurrentOleData(object.Get()));
  EXPECT_EQ(ReferenceCount(object.Get()), 1u);
  EXPECT_FALSE(Clipboard().IsCurrentOleData(nullptr));
}

// The text on the clipboard may come from any program: whatever the block holds, reading it gives the characters
// before the first terminator within the block (the platform may claim the block's last character for one).
TEST_F(ClipboardFixture, SeededMutationsOfClipboardText) {
  std::mt19937 random(1207);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(2 + random() % 40, '\0');
    for (auto& byte : bytes) byte = static_cast<char>(random() % 4 == 0 ? 0 : random());
    Clipboard().SetAsHandle(CF_UNICODETEXT, GlobalWith(bytes));
    String text = Clipboard().AsText();
    std::wstring whole(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(whole.data(), bytes.data(), whole.size() * sizeof(wchar_t));
    String full = whole.substr(0, whole.find(L'\0'));
    bool unterminated = full.size() == whole.size();
    EXPECT_TRUE(text == full || (unterminated && text == full.substr(0, full.size() - 1))) << round;
  }
}

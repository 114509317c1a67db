#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "framework/com_object.h"
#include "framework/format_etc.h"
#include "framework/format_etc_enumerator.h"
#include "framework/global_memory.h"
#include "framework/stg_medium.h"

using Microsoft::WRL::ComPtr;
using Bytes = std::vector<uint8_t>;

namespace {

// Stands for the owner of a medium's data: counts the references the medium holds on it.
class ReleaseSpy : public TComObject<IUnknown> {};

ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

Bytes BytesOf(const void* data, size_t size) {
  const auto* at = static_cast<const uint8_t*>(data);
  return Bytes(at, at + size);
}

HGLOBAL GlobalWith(const std::string& text) {
  TGlobalMemory memory = TGlobalMemory::Allocate(text.size());
  TGlobalLock lock(memory.Get());
  std::memcpy(lock.Data(), text.data(), text.size());
  return memory.Release();
}

Bytes GlobalBytes(HGLOBAL handle) {
  TGlobalLock lock(handle);
  return BytesOf(lock.Data(), lock.Size());
}

Bytes StreamBytes(IStream* stream) {
  LARGE_INTEGER zero{};
  ULARGE_INTEGER position{};
  stream->Seek(zero, STREAM_SEEK_CUR, &position);
  Bytes bytes{static_cast<uint8_t>(position.QuadPart)};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  uint8_t buffer[64];
  ULONG read = 0;
  while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0)
    bytes.insert(bytes.end(), buffer, buffer + read);
  LARGE_INTEGER back;
  back.QuadPart = static_cast<LONGLONG>(position.QuadPart);
  stream->Seek(back, STREAM_SEEK_SET, nullptr);
  return bytes;
}

STGMEDIUM Medium(DWORD tymed) {
  STGMEDIUM medium{};
  medium.tymed = tymed;
  return medium;
}

STGMEDIUM MakeGlobal() {
  STGMEDIUM medium = Medium(TYMED_HGLOBAL);
  medium.hGlobal = GlobalWith("global bytes");
  return medium;
}

STGMEDIUM MakeStream() {
  STGMEDIUM medium = Medium(TYMED_ISTREAM);
  CreateStreamOnHGlobal(nullptr, TRUE, &medium.pstm);
  medium.pstm->Write("stream bytes", 12, nullptr);
  LARGE_INTEGER at;
  at.QuadPart = 3;
  medium.pstm->Seek(at, STREAM_SEEK_SET, nullptr);
  return medium;
}

STGMEDIUM MakeStorage() {
  STGMEDIUM medium = Medium(TYMED_ISTORAGE);
  ComPtr<ILockBytes> bytes;
  CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &medium.pstg);
  ComPtr<IStream> stream;
  medium.pstg->CreateStream(L"inner", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
  stream->Write("storage bytes", 13, nullptr);
  return medium;
}

Bytes StorageBytes(IStorage* storage) {
  ComPtr<IStream> stream;
  if (FAILED(storage->OpenStream(L"inner", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream))) return {};
  return StreamBytes(stream.Get());
}

STGMEDIUM MakeBitmap() {
  const uint32_t pixels[4] = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC};
  STGMEDIUM medium = Medium(TYMED_GDI);
  medium.hBitmap = CreateBitmap(2, 2, 1, 32, pixels);
  return medium;
}

Bytes BitmapBytes(HBITMAP bitmap) {
  Bytes bits(16);
  GetBitmapBits(bitmap, 16, bits.data());
  return bits;
}

STGMEDIUM MakePalette() {
  struct {
    WORD version = 0x300, count = 2;
    PALETTEENTRY entries[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  } logical;
  STGMEDIUM medium = Medium(TYMED_GDI);
  medium.hBitmap = reinterpret_cast<HBITMAP>(CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical)));
  return medium;
}

Bytes PaletteBytes(HBITMAP palette) {
  PALETTEENTRY entries[2] = {};
  UINT count = GetPaletteEntries(reinterpret_cast<HPALETTE>(palette), 0, 2, entries);
  return count == 2 ? BytesOf(entries, sizeof entries) : Bytes();
}

STGMEDIUM MakeMetafilePicture() {
  HDC dc = CreateMetaFileW(nullptr);
  Rectangle(dc, 1, 2, 30, 40);
  METAFILEPICT picture{MM_ANISOTROPIC, 300, 400, CloseMetaFile(dc)};
  TGlobalMemory memory = TGlobalMemory::Allocate(sizeof picture);
  std::memcpy(TGlobalLock(memory.Get()).Data(), &picture, sizeof picture);
  STGMEDIUM medium = Medium(TYMED_MFPICT);
  medium.hMetaFilePict = memory.Release();
  return medium;
}

Bytes MetafilePictureBytes(HGLOBAL handle) {
  TGlobalLock lock(handle);
  if (lock.Size() < sizeof(METAFILEPICT)) return {};
  const auto* picture = lock.As<METAFILEPICT>();
  Bytes bytes = BytesOf(picture, offsetof(METAFILEPICT, hMF));
  Bytes records(GetMetaFileBitsEx(picture->hMF, 0, nullptr));
  GetMetaFileBitsEx(picture->hMF, static_cast<UINT>(records.size()), records.data());
  bytes.insert(bytes.end(), records.begin(), records.end());
  return bytes;
}

STGMEDIUM MakeEnhancedMetafile() {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Ellipse(dc, 5, 6, 70, 80);
  STGMEDIUM medium = Medium(TYMED_ENHMF);
  medium.hEnhMetaFile = CloseEnhMetaFile(dc);
  return medium;
}

Bytes EnhancedMetafileBytes(HENHMETAFILE metafile) {
  Bytes records(GetEnhMetaFileBits(metafile, 0, nullptr));
  GetEnhMetaFileBits(metafile, static_cast<UINT>(records.size()), records.data());
  return records;
}

struct MediumKind {
  const char* name;
  std::function<STGMEDIUM()> make;
  std::function<Bytes(const STGMEDIUM&)> contents;
  // The handle or interface of the medium, to show that the copy has its own.
  std::function<void*(const STGMEDIUM&)> handle;
};

const MediumKind kMediumKinds[] = {
    {"global memory", MakeGlobal, [](const STGMEDIUM& m) { return GlobalBytes(m.hGlobal); },
     [](const STGMEDIUM& m) -> void* { return m.hGlobal; }},
    {"stream", MakeStream, [](const STGMEDIUM& m) { return StreamBytes(m.pstm); },
     [](const STGMEDIUM& m) -> void* { return m.pstm; }},
    {"storage", MakeStorage, [](const STGMEDIUM& m) { return StorageBytes(m.pstg); },
     [](const STGMEDIUM& m) -> void* { return m.pstg; }},
    {"bitmap", MakeBitmap, [](const STGMEDIUM& m) { return BitmapBytes(m.hBitmap); },
     [](const STGMEDIUM& m) -> void* { return m.hBitmap; }},
    {"palette", MakePalette, [](const STGMEDIUM& m) { return PaletteBytes(m.hBitmap); },
     [](const STGMEDIUM& m) -> void* { return m.hBitmap; }},
    {"metafile picture", MakeMetafilePicture, [](const STGMEDIUM& m) { return MetafilePictureBytes(m.hMetaFilePict); },
     [](const STGMEDIUM& m) -> void* { return m.hMetaFilePict; }},
    {"enhanced metafile", MakeEnhancedMetafile,
     [](const STGMEDIUM& m) { return EnhancedMetafileBytes(m.hEnhMetaFile); },
     [](const STGMEDIUM& m) -> void* { return m.hEnhMetaFile; }},
};

}  // namespace

TEST(MediumCopy, EachKindCopiesItsDataAndOwnsIt) {
  for (const MediumKind& kind : kMediumKinds) {
    for (bool guarded : {false, true}) {
      SCOPED_TRACE(std::string(kind.name) + (guarded ? " with a release object" : ""));
      ComPtr<IUnknown> spy = new ReleaseSpy;
      STGMEDIUM source = kind.make();
      if (guarded) source.pUnkForRelease = ComPtr<IUnknown>(spy).Detach();
      Bytes original = kind.contents(source);
      ASSERT_FALSE(original.empty());

      STGMEDIUM copy{};
      ASSERT_EQ(DuplicateStgMedium(source, copy), S_OK);
      EXPECT_EQ(copy.tymed, source.tymed);
      EXPECT_NE(kind.handle(copy), kind.handle(source));
      EXPECT_EQ(copy.pUnkForRelease, nullptr);
      EXPECT_EQ(kind.contents(copy), original);
      EXPECT_EQ(CountOf(spy.Get()), guarded ? 2u : 1u);

      // The copy's release frees the copy alone.
      ReleaseStgMedium(&copy);
      EXPECT_EQ(kind.contents(source), original);
      EXPECT_EQ(CountOf(spy.Get()), guarded ? 2u : 1u);

      // A medium whose handle belongs to its release object gives back the reference, not the handle; interfaces
      // are released either way.
      bool interfaceMedium = source.tymed == TYMED_ISTREAM || source.tymed == TYMED_ISTORAGE;
      ReleaseStgMedium(&source);
      EXPECT_EQ(CountOf(spy.Get()), 1u);
      if (guarded && !interfaceMedium) {
        source.pUnkForRelease = nullptr;
        EXPECT_EQ(kind.contents(source), original);
        ReleaseStgMedium(&source);
      }
    }
  }
}

TEST(MediumCopy, MediaThatCannotBeCopiedLeaveTheTargetEmpty) {
  wchar_t name[] = L"C:\\nowhere.txt";
  struct Case {
    const char* name;
    STGMEDIUM source;
    HRESULT result;
  };
  STGMEDIUM file = Medium(TYMED_FILE);
  file.lpszFileName = name;
  STGMEDIUM shortPicture = Medium(TYMED_MFPICT);
  shortPicture.hMetaFilePict = GlobalWith("abc");
  STGMEDIUM notGdi = Medium(TYMED_GDI);
  notGdi.hBitmap = reinterpret_cast<HBITMAP>(GlobalWith("abc"));
  const Case cases[] = {
      {"empty", Medium(TYMED_NULL), S_OK},
      {"file", file, DV_E_TYMED},
      {"unknown kind", Medium(0x400), DV_E_TYMED},
      {"no stream", Medium(TYMED_ISTREAM), DV_E_STGMEDIUM},
      {"no block", Medium(TYMED_HGLOBAL), DV_E_STGMEDIUM},
      {"picture shorter than its header", shortPicture, DV_E_STGMEDIUM},
      {"GDI medium holding no GDI object", notGdi, DV_E_STGMEDIUM},
  };
  for (const Case& c : cases) {
    STGMEDIUM copy = MakeGlobal();
    HGLOBAL previous = copy.hGlobal;
    EXPECT_EQ(DuplicateStgMedium(c.source, copy), c.result) << c.name;
    EXPECT_EQ(copy.tymed, static_cast<DWORD>(TYMED_NULL)) << c.name;
    EXPECT_EQ(copy.hGlobal, nullptr) << c.name;
    GlobalFree(previous);
  }
  GlobalFree(shortPicture.hMetaFilePict);
  GlobalFree(notGdi.hBitmap);
}

// Media arrive from other programs: whatever their bytes, a copy either succeeds with the same bytes or fails
// with a data-transfer error.
TEST(MediumCopy, SeededMutationsOfGlobalMedia) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 300; ++round) {
    Bytes bytes(random() % 80);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    STGMEDIUM source = Medium(round % 2 ? TYMED_MFPICT : TYMED_HGLOBAL);
    source.hGlobal = GlobalWith(std::string(bytes.begin(), bytes.end()));
    STGMEDIUM copy{};
    HRESULT result = DuplicateStgMedium(source, copy);
    if (source.tymed == TYMED_HGLOBAL) {
      ASSERT_EQ(result, S_OK);
      EXPECT_EQ(GlobalBytes(copy.hGlobal), bytes);
      ReleaseStgMedium(&copy);
    } else if (SUCCEEDED(result)) {
      ReleaseStgMedium(&copy);
    } else {
      EXPECT_EQ(result, DV_E_STGMEDIUM);
    }
    GlobalFree(source.hGlobal);
  }
}

namespace {

// A target device record: header and driver name.
Bytes DeviceRecord(const wchar_t* driver) {
  size_t header = offsetof(DVTARGETDEVICE, tdData);
  size_t nameBytes = (wcslen(driver) + 1) * sizeof(wchar_t);
  Bytes record(header + nameBytes);
  auto* device = reinterpret_cast<DVTARGETDEVICE*>(record.data());
  device->tdSize = static_cast<DWORD>(record.size());
  device->tdDriverNameOffset = static_cast<WORD>(header);
  std::memcpy(record.data() + header, driver, nameBytes);
  return record;
}

Bytes DeviceBytes(const FORMATETC& format) { return BytesOf(format.ptd, format.ptd->tdSize); }

}  // namespace

TEST(FormatEtcCopy, TargetDevicesAreCopiedAndOwned) {
  Bytes device = DeviceRecord(L"printer");
  FORMATETC source{CF_TEXT, reinterpret_cast<DVTARGETDEVICE*>(device.data()), DVASPECT_ICON, 2, TYMED_HGLOBAL};
  TFormatEtc owned(source);
  TFormatEtc copied = owned;
  for (const TFormatEtc* format : {&owned, &copied}) {
    const FORMATETC& f = format->Get();
    EXPECT_EQ(f.cfFormat, CF_TEXT);
    EXPECT_EQ(f.dwAspect, static_cast<DWORD>(DVASPECT_ICON));
    EXPECT_EQ(f.lindex, 2);
    EXPECT_EQ(f.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    ASSERT_NE(f.ptd, nullptr);
    EXPECT_NE(static_cast<void*>(f.ptd), static_cast<void*>(device.data()));
    EXPECT_EQ(DeviceBytes(f), device);
  }
  EXPECT_NE(owned.Get().ptd, copied.Get().ptd);
  TFormatEtc moved = std::move(copied);
  EXPECT_EQ(copied.Get().ptd, nullptr);
  EXPECT_EQ(DeviceBytes(moved.Get()), device);
}

// Target devices come from other programs: a record whose size cannot hold its own header is refused, any other
// is copied byte for byte.
TEST(FormatEtcCopy, SeededMutationsOfTargetDevices) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    Bytes device(64);
    for (auto& byte : device) byte = static_cast<uint8_t>(random());
    auto* record = reinterpret_cast<DVTARGETDEVICE*>(device.data());
    record->tdSize = random() % (device.size() + 1);
    FORMATETC source{static_cast<CLIPFORMAT>(random()), record, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC copy{};
    HRESULT result = DuplicateFormatEtc(source, copy);
    if (record->tdSize < offsetof(DVTARGETDEVICE, tdData)) {
      EXPECT_EQ(result, DV_E_DVTARGETDEVICE_SIZE);
      EXPECT_EQ(copy.ptd, nullptr);
    } else {
      ASSERT_EQ(result, S_OK);
      EXPECT_EQ(BytesOf(copy.ptd, copy.ptd->tdSize), Bytes(device.begin(), device.begin() + record->tdSize));
    }
    FreeFormatEtc(copy);
  }
}

namespace {

struct EnumeratorFixture : testing::Test {
  Bytes device = DeviceRecord(L"plotter");
  std::vector<FORMATETC> formats{
      {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
      {CF_BITMAP, reinterpret_cast<DVTARGETDEVICE*>(device.data()), DVASPECT_CONTENT, -1, TYMED_GDI},
      {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM},
  };
  ComPtr<IEnumFORMATETC> enumerator = new TFormatEtcEnumerator(formats);

  // The formats the next call hands out, freed again; checks each record against the list.
  std::vector<CLIPFORMAT> Fetch(IEnumFORMATETC* from, ULONG count, HRESULT expected) {
    std::vector<FORMATETC> got(count + 1);
    ULONG fetched = 99;
    EXPECT_EQ(from->Next(count, got.data(), &fetched), expected);
    std::vector<CLIPFORMAT> ids;
    for (ULONG i = 0; i < fetched; ++i) {
      ids.push_back(got[i].cfFormat);
      if (got[i].cfFormat == CF_BITMAP) {
        EXPECT_NE(static_cast<void*>(got[i].ptd), static_cast<void*>(device.data()));
        EXPECT_EQ(DeviceBytes(got[i]), device);
      } else {
        EXPECT_EQ(got[i].ptd, nullptr);
      }
      FreeFormatEtc(got[i]);
    }
    return ids;
  }
};

}  // namespace

TEST_F(EnumeratorFixture, NextAndSkipCountWhatIsLeft) {
  using Ids = std::vector<CLIPFORMAT>;
  struct Case {
    ULONG skip;
    HRESULT skipResult;
    ULONG count;
    HRESULT nextResult;
    Ids ids;
  };
  const Case cases[] = {
      {0, S_OK, 1, S_OK, {CF_TEXT}},
      {0, S_OK, 3, S_OK, {CF_TEXT, CF_BITMAP, CF_UNICODETEXT}},
      {0, S_OK, 5, S_FALSE, {CF_TEXT, CF_BITMAP, CF_UNICODETEXT}},
      {0, S_OK, 0, S_OK, {}},
      {1, S_OK, 1, S_OK, {CF_BITMAP}},
      {2, S_OK, 2, S_FALSE, {CF_UNICODETEXT}},
      {3, S_OK, 1, S_FALSE, {}},
      {4, S_FALSE, 1, S_FALSE, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "skip " << c.skip << ", next " << c.count);
    ASSERT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(c.skip), c.skipResult);
    EXPECT_EQ(Fetch(enumerator.Get(), c.count, c.nextResult), c.ids);
  }
  FORMATETC one[2];
  EXPECT_EQ(enumerator->Next(2, one, nullptr), E_INVALIDARG);
}

TEST_F(EnumeratorFixture, ClonesKeepThePositionAndMoveOnTheirOwn) {
  Fetch(enumerator.Get(), 1, S_OK);
  ComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(enumerator->Clone(&clone), S_OK);
  EXPECT_EQ(Fetch(enumerator.Get(), 2, S_OK), (std::vector<CLIPFORMAT>{CF_BITMAP, CF_UNICODETEXT}));
  EXPECT_EQ(Fetch(clone.Get(), 3, S_FALSE), (std::vector<CLIPFORMAT>{CF_BITMAP, CF_UNICODETEXT}));
  clone->Reset();
  enumerator.Reset();
  // The list outlives the enumerator it was cloned from.
  EXPECT_EQ(Fetch(clone.Get(), 1, S_OK), std::vector<CLIPFORMAT>{CF_TEXT});
}

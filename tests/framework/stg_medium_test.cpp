#include "framework/stg_medium.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/com_object.h"
#include "framework/global_memory.h"
#include "support/com_references.h"
#include "support/memory_blocks.h"

using Microsoft::WRL::ComPtr;

namespace {

// Stands for the owner of a medium's data: counts the references the medium holds on it.
class ReleaseSpy : public TComObject<IUnknown> {};

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

// What a medium holds, as bytes: a stream's position first, a picture's header before its records.
Bytes Contents(const STGMEDIUM& medium) {
  switch (medium.tymed) {
    case TYMED_HGLOBAL:
      return GlobalBytes(medium.hGlobal);
    case TYMED_ISTREAM:
      return StreamBytes(medium.pstm);
    case TYMED_ISTORAGE: {
      ComPtr<IStream> stream;
      medium.pstg->OpenStream(L"inner", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
      return stream ? StreamBytes(stream.Get()) : Bytes();
    }
    case TYMED_GDI: {
      Bytes bits(16);
      if (GetObjectType(medium.hBitmap) == OBJ_PAL)
        GetPaletteEntries(reinterpret_cast<HPALETTE>(medium.hBitmap), 0, 2,
                          reinterpret_cast<PALETTEENTRY*>(bits.data()));
      else
        GetBitmapBits(medium.hBitmap, 16, bits.data());
      return bits;
    }
    case TYMED_MFPICT: {
      TGlobalLock lock(medium.hMetaFilePict);
      const auto* picture = lock.As<METAFILEPICT>();
      Bytes bytes = BytesOf(picture, offsetof(METAFILEPICT, hMF));
      UINT size = GetMetaFileBitsEx(picture->hMF, 0, nullptr);
      bytes.resize(bytes.size() + size);
      GetMetaFileBitsEx(picture->hMF, size, bytes.data() + bytes.size() - size);
      return bytes;
    }
    case TYMED_ENHMF: {
      Bytes records(GetEnhMetaFileBits(medium.hEnhMetaFile, 0, nullptr));
      GetEnhMetaFileBits(medium.hEnhMetaFile, static_cast<UINT>(records.size()), records.data());
      return records;
    }
    default:
      return {};
  }
}

// The handle or interface of a medium, to show that a copy has its own.
const void* HandleOf(const STGMEDIUM& medium) {
  switch (medium.tymed) {
    case TYMED_ISTREAM:
      return medium.pstm;
    case TYMED_ISTORAGE:
      return medium.pstg;
    case TYMED_GDI:
      return medium.hBitmap;
    case TYMED_ENHMF:
      return medium.hEnhMetaFile;
    default:
      return medium.hGlobal;
  }
}

STGMEDIUM MakeGlobal() {
  STGMEDIUM medium = Medium(TYMED_HGLOBAL);
  medium.hGlobal = GlobalWith("global bytes").Release();
  return medium;
}

STGMEDIUM MakeStream() {
  STGMEDIUM medium = Medium(TYMED_ISTREAM);
  CreateStreamOnHGlobal(nullptr, TRUE, &medium.pstm);
  medium.pstm->Write("stream bytes", 12, nullptr);
  LARGE_INTEGER at{{3, 0}};
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

STGMEDIUM MakeBitmap() {
  const uint32_t pixels[4] = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC};
  STGMEDIUM medium = Medium(TYMED_GDI);
  medium.hBitmap = CreateBitmap(2, 2, 1, 32, pixels);
  return medium;
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

STGMEDIUM MakeMetafilePicture() {
  HDC dc = CreateMetaFileW(nullptr);
  Rectangle(dc, 1, 2, 30, 40);
  METAFILEPICT picture{MM_ANISOTROPIC, 300, 400, CloseMetaFile(dc)};
  STGMEDIUM medium = Medium(TYMED_MFPICT);
  medium.hMetaFilePict = GlobalWith(std::string(reinterpret_cast<const char*>(&picture), sizeof picture)).Release();
  return medium;
}

STGMEDIUM MakeEnhancedMetafile() {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Ellipse(dc, 5, 6, 70, 80);
  STGMEDIUM medium = Medium(TYMED_ENHMF);
  medium.hEnhMetaFile = CloseEnhMetaFile(dc);
  return medium;
}

const std::pair<const char*, STGMEDIUM (*)()> kMediumKinds[] = {
    {"global memory", MakeGlobal},
    {"stream", MakeStream},
    {"storage", MakeStorage},
    {"bitmap", MakeBitmap},
    {"palette", MakePalette},
    {"metafile picture", MakeMetafilePicture},
    {"enhanced metafile", MakeEnhancedMetafile},
};

}  // namespace

TEST(MediumCopy, EachKindCopiesItsDataAndOwnsIt) {
  for (const auto& [name, make] : kMediumKinds) {
    for (bool guarded : {false, true}) {
      SCOPED_TRACE(std::string(name) + (guarded ? " with a release object" : ""));
      ComPtr<IUnknown> spy = new ReleaseSpy;
      STGMEDIUM source = make();
      if (guarded) source.pUnkForRelease = ComPtr<IUnknown>(spy).Detach();
      Bytes original = Contents(source);
      ASSERT_FALSE(original.empty());

      STGMEDIUM copy{};
      ASSERT_EQ(DuplicateStgMedium(source, copy), S_OK);
      EXPECT_EQ(copy.tymed, source.tymed);
      EXPECT_NE(HandleOf(copy), HandleOf(source));
      EXPECT_EQ(copy.pUnkForRelease, nullptr);
      EXPECT_EQ(Contents(copy), original);
      EXPECT_EQ(ReferenceCount(spy.Get()), guarded ? 2u : 1u);

      // The copy's release frees the copy alone.
      ReleaseStgMedium(&copy);
      EXPECT_EQ(Contents(source), original);
      EXPECT_EQ(ReferenceCount(spy.Get()), guarded ? 2u : 1u);

      // A medium whose handle belongs to its release object gives back the reference, not the handle; interfaces
      // are released either way.
      DWORD tymed = source.tymed;
      ReleaseStgMedium(&source);
      EXPECT_EQ(ReferenceCount(spy.Get()), 1u);
      if (guarded && tymed != TYMED_ISTREAM && tymed != TYMED_ISTORAGE) {
        source.tymed = tymed;
        source.pUnkForRelease = nullptr;
        EXPECT_EQ(Contents(source), original);
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
  shortPicture.hMetaFilePict = GlobalWith("abc").Release();
  STGMEDIUM notGdi = Medium(TYMED_GDI);
  notGdi.hBitmap = reinterpret_cast<HBITMAP>(GlobalWith("abc").Release());
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
    source.hGlobal = GlobalWith(std::string(bytes.begin(), bytes.end())).Release();
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

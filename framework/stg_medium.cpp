#include "framework/stg_medium.h"

#include <wrl/client.h>

#include <cstdint>
#include <vector>

#include "framework/com_guard.h"
#include "framework/global_memory.h"

using Microsoft::WRL::ComPtr;

namespace {

const ULONG kStreamCopyChunk = 64 * 1024;

// The whole stream, read through ISequentialStream so that any stream will do, into a new stream on global memory
// whose position is source's. Source's position is restored.
ComPtr<IStream> CopyStream(IStream* source) {
  LARGE_INTEGER zero{};
  ULARGE_INTEGER position{};
  OleCheck(source->Seek(zero, STREAM_SEEK_CUR, &position));
  OleCheck(source->Seek(zero, STREAM_SEEK_SET, nullptr));
  ComPtr<IStream> copy;
  OleCheck(CreateStreamOnHGlobal(nullptr, TRUE, &copy));
  std::vector<uint8_t> buffer(kStreamCopyChunk);
  for (;;) {
    ULONG read = 0;
    HRESULT result = source->Read(buffer.data(), kStreamCopyChunk, &read);
    OleCheck(result);
    if (read == 0) break;
    ULONG written = 0;
    OleCheck(copy->Write(buffer.data(), read, &written));
    if (written != read) OleCheck(STG_E_MEDIUMFULL);
  }
  LARGE_INTEGER back;
  back.QuadPart = static_cast<LONGLONG>(position.QuadPart);
  OleCheck(source->Seek(back, STREAM_SEEK_SET, nullptr));
  OleCheck(copy->Seek(back, STREAM_SEEK_SET, nullptr));
  return copy;
}

ComPtr<IStorage> CopyStorage(IStorage* source) {
  ComPtr<ILockBytes> bytes;
  OleCheck(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes));
  ComPtr<IStorage> copy;
  OleCheck(StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &copy));
  OleCheck(source->CopyTo(0, nullptr, nullptr, copy.Get()));
  return copy;
}

// A bitmap or a palette: the two kinds of GDI object a medium carries.
HGDIOBJ CopyGdiObject(HGDIOBJ source) {
  CLIPFORMAT format = 0;
  switch (GetObjectType(source)) {
    case OBJ_BITMAP:
      format = CF_BITMAP;
      break;
    case OBJ_PAL:
      format = CF_PALETTE;
      break;
    default:
      OleCheck(DV_E_STGMEDIUM);
  }
  HANDLE copy = OleDuplicateData(source, format, 0);
  if (!copy) OleCheck(E_OUTOFMEMORY);
  return static_cast<HGDIOBJ>(copy);
}

HGLOBAL CopyMetafilePicture(HGLOBAL source) {
  TGlobalMemory copy = TGlobalMemory::Copy(source);
  TGlobalLock picture(copy.Get());
  if (picture.Size() < sizeof(METAFILEPICT)) OleCheck(DV_E_STGMEDIUM);
  METAFILEPICT* header = picture.As<METAFILEPICT>();
  header->hMF = CopyMetaFileW(header->hMF, nullptr);
  if (!header->hMF) OleCheck(DV_E_STGMEDIUM);
  return copy.Release();
}

HENHMETAFILE CopyEnhancedMetafile(HENHMETAFILE source) {
  HENHMETAFILE copy = CopyEnhMetaFileW(source, nullptr);
  if (!copy) OleCheck(DV_E_STGMEDIUM);
  return copy;
}

}  // namespace

HRESULT DuplicateStgMedium(const STGMEDIUM& source, STGMEDIUM& target) noexcept {
  target = STGMEDIUM{};
  STGMEDIUM copy{};
  copy.tymed = source.tymed;
  HRESULT result = ComGuard(
      [&]() -> HRESULT {
        switch (source.tymed) {
          case TYMED_NULL:
            return S_OK;
          case TYMED_HGLOBAL:
            copy.hGlobal = TGlobalMemory::Copy(source.hGlobal).Release();
            return S_OK;
          case TYMED_ISTREAM:
            if (!source.pstm) return DV_E_STGMEDIUM;
            copy.pstm = CopyStream(source.pstm).Detach();
            return S_OK;
          case TYMED_ISTORAGE:
            if (!source.pstg) return DV_E_STGMEDIUM;
            copy.pstg = CopyStorage(source.pstg).Detach();
            return S_OK;
          case TYMED_GDI:
            copy.hBitmap = static_cast<HBITMAP>(CopyGdiObject(source.hBitmap));
            return S_OK;
          case TYMED_MFPICT:
            copy.hMetaFilePict = CopyMetafilePicture(source.hMetaFilePict);
            return S_OK;
          case TYMED_ENHMF:
            copy.hEnhMetaFile = CopyEnhancedMetafile(source.hEnhMetaFile);
            return S_OK;
          default:
            return DV_E_TYMED;
        }
      },
      DV_E_STGMEDIUM);
  if (SUCCEEDED(result)) target = copy;
  return result;
}

TStgMedium& TStgMedium::operator=(TStgMedium&& other) noexcept {
  if (this != &other) {
    Reset();
    medium_ = other.Detach();
  }
  return *this;
}

STGMEDIUM* TStgMedium::ReleaseAndGetAddressOf() noexcept {
  Reset();
  return &medium_;
}

STGMEDIUM TStgMedium::Detach() noexcept {
  STGMEDIUM medium = medium_;
  medium_ = STGMEDIUM{};
  return medium;
}

void TStgMedium::Reset() noexcept {
  if (medium_.tymed != TYMED_NULL || medium_.pUnkForRelease) ReleaseStgMedium(&medium_);
  medium_ = STGMEDIUM{};
}

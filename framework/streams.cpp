#include "framework/streams.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/com_guard.h"
#include "framework/exceptions.h"
#include "framework/sys_utils.h"
#include "framework/whole_file.h"

namespace {

// The largest piece moved by one Read or Write call when a copy spans more than a call can carry.
constexpr int32_t kCopyChunk = 0x10000;
constexpr int64_t kLargestCall = 0x40000000;
constexpr const wchar_t* kOutOfMemory = L"Out of memory while expanding memory stream";

// Whether a block of size bytes fits in the memory the system can still commit. Some systems promise more than
// they have and fail later, while the block is filled; asking first keeps that failure a clean error.
bool MemoryCanHold(uint64_t size) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return true;
  return size <= status.ullAvailPageFile && size <= status.ullAvailVirtual;
}

// sum = a + b, unless that overflows.
bool CheckedAdd(int64_t a, int64_t b, int64_t& sum) {
  if ((b > 0 && a > INT64_MAX - b) || (b < 0 && a < INT64_MIN - b)) return false;
  sum = a + b;
  return true;
}

DWORD ShareModeOf(uint16_t mode) {
  switch (mode & 0x00F0) {
    case fmShareDenyWrite:
      return FILE_SHARE_READ | FILE_SHARE_DELETE;
    case fmShareDenyRead:
      return FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    case fmShareDenyNone:
      return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    default:
      return 0;
  }
}

DWORD AccessOf(uint16_t mode) {
  switch (mode & 0x0003) {
    case fmOpenWrite:
      return GENERIC_WRITE;
    case fmOpenReadWrite:
      return GENERIC_READ | GENERIC_WRITE;
    default:
      return GENERIC_READ;
  }
}

String ResourceNameText(const wchar_t* name) {
  return IS_INTRESOURCE(name) ? IntToStr(reinterpret_cast<uintptr_t>(name)) : String(name);
}

// Reads or writes count bytes in calls of at most kLargestCall bytes; raises through the stream's own checks.
void ReadWhole(TStream& stream, void* buffer, int64_t count) {
  auto* at = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    int32_t piece = static_cast<int32_t>(std::min(count, kLargestCall));
    stream.ReadBuffer(at, piece);
    at += piece;
    count -= piece;
  }
}

void WriteWhole(TStream& stream, const void* buffer, int64_t count) {
  const auto* at = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    int32_t piece = static_cast<int32_t>(std::min(count, kLargestCall));
    stream.WriteBuffer(at, piece);
    at += piece;
    count -= piece;
  }
}

}  // namespace

// TStream

int64_t TStream::Size() {
  int64_t position = Seek(0, TSeekOrigin::soCurrent);
  int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

void TStream::SetSize(int64_t size) {
  (void)size;
  throw EStreamError(Format(L"%s cannot change its size", {ClassName()}));
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(L"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(L"Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count <= 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, kCopyChunk)));
  int64_t copied = 0;
  while (copied < count) {
    int32_t piece = static_cast<int32_t>(std::min<int64_t>(count - copied, kCopyChunk));
    source.ReadBuffer(buffer.data(), piece);
    WriteBuffer(buffer.data(), piece);
    copied += piece;
  }
  return copied;
}

std::string ReadToEnd(TStream& stream, int64_t most) {
  std::string bytes;
  std::vector<char> chunk(kCopyChunk);
  while (static_cast<int64_t>(bytes.size()) < most) {
    const auto wanted = static_cast<int32_t>(std::min<int64_t>(kCopyChunk, most - static_cast<int64_t>(bytes.size())));
    const int32_t got = stream.Read(chunk.data(), wanted);
    if (got <= 0) break;
    bytes.append(chunk.data(), static_cast<size_t>(got));
  }
  return bytes;
}

std::string ReadFileBytes(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  return ReadToEnd(file, file.Size());
}

// TCustomMemoryStream

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  int32_t moved = static_cast<int32_t>(std::min<int64_t>(count, size_ - position_));
  std::memcpy(buffer, static_cast<const uint8_t*>(memory_) + position_, static_cast<size_t>(moved));
  position_ += moved;
  return moved;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : size_;
  int64_t target = 0;
  if (!CheckedAdd(base, offset, target) || target < 0) throw EStreamError(L"Invalid stream position");
  position_ = target;
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) const {
  // Writing into this very stream may move the block being written: copy it first.
  if (&stream == this) {
    const auto* bytes = static_cast<const uint8_t*>(memory_);
    const std::vector<uint8_t> copy(bytes, bytes + size_);
    WriteWhole(stream, copy.data(), size_);
    return;
  }
  WriteWhole(stream, memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const String& fileName) const {
  SaveWholeFile(fileName, [this](TStream& file) { SaveToStream(file); });
}

void TCustomMemoryStream::SetPointer(void* memory, int64_t size) {
  memory_ = memory;
  size_ = size;
}

// TMemoryStream

TMemoryStream::~TMemoryStream() { std::free(bytes_); }

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  int64_t end = 0;
  if (!CheckedAdd(position_, count, end)) throw EStreamError(kOutOfMemory);
  if (end > Size()) {
    const int64_t oldSize = Size();
    Resize(end);
    // A position set beyond the old end leaves a gap of zeros.
    if (position_ > oldSize) std::memset(bytes_ + oldSize, 0, static_cast<size_t>(position_ - oldSize));
  }
  std::memmove(bytes_ + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EStreamError(L"Invalid stream size");
  const int64_t oldSize = Size();
  Resize(size);
  if (size > oldSize) std::memset(bytes_ + oldSize, 0, static_cast<size_t>(size - oldSize));
  if (position_ > size) position_ = size;
}

void TMemoryStream::Resize(int64_t size) {
  if (size > capacity_) Reserve(size);
  SetPointer(bytes_, size);
}

void TMemoryStream::Reserve(int64_t size) {
  if (static_cast<uint64_t>(size) > SIZE_MAX || !MemoryCanHold(static_cast<uint64_t>(size)))
    throw EStreamError(kOutOfMemory);
  int64_t capacity = capacity_ <= size / 2 ? size : capacity_ * 2;
  if (capacity > size && !MemoryCanHold(static_cast<uint64_t>(capacity))) capacity = size;
  auto* grown = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(capacity)));
  if (!grown) throw EStreamError(kOutOfMemory);
  if (Size() > 0) std::memcpy(grown, bytes_, static_cast<size_t>(Size()));
  std::free(bytes_);
  bytes_ = grown;
  capacity_ = capacity;
}

void TMemoryStream::Clear() {
  std::free(bytes_);
  bytes_ = nullptr;
  capacity_ = 0;
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  if (&stream == this) {
    position_ = 0;
    return;
  }
  stream.SetPosition(0);
  int64_t count = stream.Size();
  SetSize(count);
  ReadWhole(stream, Memory(), count);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

// TFileStream

TFileStream::TFileStream(const String& fileName, uint16_t mode) : fileName_(fileName) {
  const bool create = (mode & fmCreate) == fmCreate;
  auto refuse = [&](DWORD error) {
    const String reason = SysErrorMessage(error);
    if (create) throw EFCreateError(Format(L"Cannot create file \"%s\". %s", {fileName, reason}));
    throw EFOpenError(Format(L"Cannot open file \"%s\". %s", {fileName, reason}));
  };
  // A name no file on a disk can have is not even opened: opening a device may already wait, or take a port or a
  // pipe's only instance, and a name too long for the file system may open another file.
  if (const DWORD error = FileNameError(fileName)) refuse(error);
  handle_ = CreateFileW(fileName.c_str(), create ? GENERIC_READ | GENERIC_WRITE : AccessOf(mode), ShareModeOf(mode),
                        nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) refuse(GetLastError());
  // What opens as no file on a disk (a link to a port or to a character device, a pipe) may never end, or never
  // send what a read waits for.
  if (GetFileType(handle_) != FILE_TYPE_DISK) {
    CloseHandle(handle_);
    refuse(ERROR_NOT_SUPPORTED);
  }
}

TFileStream::~TFileStream() { CloseHandle(handle_); }

int32_t TFileStream::Read(void* buffer, int32_t count) {
  DWORD moved = 0;
  if (count <= 0) return 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &moved, nullptr)) {
    lastError_ = GetLastError();
    return 0;
  }
  return static_cast<int32_t>(moved);
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  // Some platforms write what fits on a full disk and answer success: the rest is asked for again, so that the
  // system tells its reason.
  const auto* bytes = static_cast<const char*>(buffer);
  DWORD total = 0;
  while (total < static_cast<DWORD>(count)) {
    DWORD moved = 0;
    if (!WriteFile(handle_, bytes + total, static_cast<DWORD>(count) - total, &moved, nullptr)) {
      lastError_ = GetLastError();
      break;
    }
    if (moved == 0) {
      lastError_ = ERROR_DISK_FULL;
      break;
    }
    total += moved;
  }
  return static_cast<int32_t>(total);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position;
  Win32Check(SetFilePointerEx(handle_, distance, &position, methods[static_cast<int>(origin)]));
  return position.QuadPart;
}

void TFileStream::SetSize(int64_t size) {
  Seek(size, TSeekOrigin::soBeginning);
  Win32Check(SetEndOfFile(handle_));
}

// TResourceStream

TResourceStream::TResourceStream(HMODULE instance, const wchar_t* name, const wchar_t* type) {
  HRSRC resource = FindResourceW(instance, name, type);
  if (!resource) throw EResNotFound(Format(L"Resource %s not found", {ResourceNameText(name)}));
  // Resources stay mapped as long as their module; there is nothing to release.
  HGLOBAL loaded = LoadResource(instance, resource);
  if (!loaded) RaiseLastOSError();
  SetPointer(LockResource(loaded), SizeofResource(instance, resource));
}

int32_t TResourceStream::Write(const void* buffer, int32_t count) {
  (void)buffer, (void)count;
  throw EStreamError(L"Can't write to a read-only resource stream");
}

// TStreamAdapter

TStreamAdapter::TStreamAdapter(TStream* stream, TStreamOwnership ownership) : stream_(stream), ownership_(ownership) {}

TStreamAdapter::~TStreamAdapter() {
  if (ownership_ == TStreamOwnership::soOwned) delete stream_;
}

void* TStreamAdapter::FindInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_ISequentialStream)) return static_cast<ISequentialStream*>(this);
  return TComObject::FindInterface(iid);
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  if (pcbRead) *pcbRead = 0;
  if (!pv) return STG_E_INVALIDPOINTER;
  return ComGuard(
      [&]() -> HRESULT {
        int32_t moved = stream_->Read(pv, static_cast<int32_t>(std::min<ULONG>(cb, 0x7FFFFFFF)));
        if (pcbRead) *pcbRead = static_cast<ULONG>(moved);
        return S_OK;
      },
      S_FALSE);
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
  if (pcbWritten) *pcbWritten = 0;
  if (!pv) return STG_E_INVALIDPOINTER;
  return ComGuard(
      [&]() -> HRESULT {
        int32_t moved = stream_->Write(pv, static_cast<int32_t>(std::min<ULONG>(cb, 0x7FFFFFFF)));
        if (pcbWritten) *pcbWritten = static_cast<ULONG>(moved);
        return S_OK;
      },
      STG_E_CANTSAVE);
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                               ULARGE_INTEGER* plibNewPosition) {
  if (dwOrigin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
  return ComGuard(
      [&]() -> HRESULT {
        int64_t base = dwOrigin == STREAM_SEEK_SET   ? 0
                       : dwOrigin == STREAM_SEEK_CUR ? stream_->Position()
                                                     : stream_->Size();
        int64_t target = 0;
        if (!CheckedAdd(base, dlibMove.QuadPart, target) || target < 0) return STG_E_INVALIDFUNCTION;
        int64_t position = stream_->Seek(target, TSeekOrigin::soBeginning);
        if (plibNewPosition) plibNewPosition->QuadPart = static_cast<ULONGLONG>(position);
        return S_OK;
      },
      STG_E_INVALIDFUNCTION);
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::SetSize(ULARGE_INTEGER libNewSize) {
  return ComGuard(
      [&]() -> HRESULT {
        stream_->SetSize(static_cast<int64_t>(libNewSize.QuadPart));
        return stream_->Size() == static_cast<int64_t>(libNewSize.QuadPart) ? S_OK : E_FAIL;
      },
      E_FAIL);
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                                 ULARGE_INTEGER* pcbWritten) {
  if (!pstm) return STG_E_INVALIDPOINTER;
  ULONGLONG totalRead = 0;
  ULONGLONG totalWritten = 0;
  HRESULT result = ComGuard(
      [&]() -> HRESULT {
        // A destination that grows on every write (the platform's memory streams copy their whole block each
        // time) is sized once for all it takes, so that a copy stays linear in its bytes.
        const int64_t position = stream_->Position();
        const ULONGLONG coming =
            std::min<ULONGLONG>(cb.QuadPart, static_cast<ULONGLONG>(std::max<int64_t>(stream_->Size() - position, 0)));
        LARGE_INTEGER still{};
        ULARGE_INTEGER at{};
        STATSTG stat{};
        if (coming > 0 && SUCCEEDED(pstm->Seek(still, STREAM_SEEK_CUR, &at)) &&
            SUCCEEDED(pstm->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart < at.QuadPart + coming) {
          ULARGE_INTEGER size{};
          size.QuadPart = at.QuadPart + coming;
          pstm->SetSize(size);
        }
        std::vector<uint8_t> buffer(static_cast<size_t>(std::min<ULONGLONG>(cb.QuadPart, kCopyChunk)));
        while (totalRead < cb.QuadPart) {
          int32_t want = static_cast<int32_t>(std::min<ULONGLONG>(cb.QuadPart - totalRead, buffer.size()));
          int32_t got = stream_->Read(buffer.data(), want);
          if (got <= 0) break;
          totalRead += static_cast<ULONG>(got);
          ULONG written = 0;
          HRESULT wrote = pstm->Write(buffer.data(), static_cast<ULONG>(got), &written);
          totalWritten += written;
          if (FAILED(wrote)) return wrote;
          if (written != static_cast<ULONG>(got)) return STG_E_MEDIUMFULL;
        }
        return S_OK;
      },
      E_FAIL);
  if (pcbRead) pcbRead->QuadPart = totalRead;
  if (pcbWritten) pcbWritten->QuadPart = totalWritten;
  return result;
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Commit(DWORD grfCommitFlags) {
  (void)grfCommitFlags;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Revert() { return STG_E_REVERTED; }

HRESULT STDMETHODCALLTYPE TStreamAdapter::LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) {
  (void)libOffset, (void)cb, (void)dwLockType;
  return STG_E_INVALIDFUNCTION;
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) {
  (void)libOffset, (void)cb, (void)dwLockType;
  return STG_E_INVALIDFUNCTION;
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Stat(STATSTG* pstatstg, DWORD grfStatFlag) {
  (void)grfStatFlag;  // the stream has no name to give either way
  if (!pstatstg) return STG_E_INVALIDPOINTER;
  return ComGuard(
      [&]() -> HRESULT {
        *pstatstg = STATSTG{};
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = static_cast<ULONGLONG>(stream_->Size());
        return S_OK;
      },
      E_FAIL);
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Clone(IStream** ppstm) {
  if (ppstm) *ppstm = nullptr;
  return E_NOTIMPL;
}

// TOleStream

int32_t TOleStream::Read(void* buffer, int32_t count) {
  ULONG moved = 0;
  if (count <= 0) return 0;
  OleCheck(stream_->Read(buffer, static_cast<ULONG>(count), &moved));
  return static_cast<int32_t>(moved);
}

int32_t TOleStream::Write(const void* buffer, int32_t count) {
  ULONG moved = 0;
  if (count <= 0) return 0;
  OleCheck(stream_->Write(buffer, static_cast<ULONG>(count), &moved));
  return static_cast<int32_t>(moved);
}

int64_t TOleStream::Seek(int64_t offset, TSeekOrigin origin) {
  static const DWORD origins[] = {STREAM_SEEK_SET, STREAM_SEEK_CUR, STREAM_SEEK_END};
  LARGE_INTEGER move;
  move.QuadPart = offset;
  ULARGE_INTEGER position;
  OleCheck(stream_->Seek(move, origins[static_cast<int>(origin)], &position));
  return static_cast<int64_t>(position.QuadPart);
}

void TOleStream::SetSize(int64_t size) {
  ULARGE_INTEGER newSize;
  newSize.QuadPart = static_cast<ULONGLONG>(size);
  OleCheck(stream_->SetSize(newSize));
}

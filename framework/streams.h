// Byte streams: the abstract TStream, memory, file and resource streams, and IStream adapters both ways.
#pragma once

#include <objidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

#include "framework/com_object.h"
#include "framework/object.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
  BC_CLASS(TStream, TObject)
  // Read and Write move up to count bytes and return how many moved; they raise only on real failures.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  virtual int64_t Size();
  // The base cannot change its size and raises EStreamError.
  virtual void SetSize(int64_t size);

  // Raise EReadError "Stream read error" / EWriteError "Stream write error" unless all count bytes moved.
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from source's position; a count of 0 copies the whole of source from its start.
  // Returns the number of bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// The bytes from the stream's position to its end, read until the stream gives no more or most bytes are read: the
// memory taken follows what the stream holds, not what its size claims.
std::string ReadToEnd(TStream& stream, int64_t most = INT64_MAX);
// The whole of a named file, as far as its size said when it opened (a file that grows meanwhile, or whose size says
// less than a read gives, ends there). Raises what a TFileStream raises.
std::string ReadFileBytes(const String& fileName);

// A stream over one block of memory; reading, seeking and saving. The block belongs to the subclass.
class TCustomMemoryStream : public TStream {
  BC_CLASS(TCustomMemoryStream, TStream)
  int32_t Read(void* buffer, int32_t count) override;
  // A position before the start or beyond what 64 bits hold raises EStreamError "Invalid stream position".
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  // Valid until the next change of size.
  void* Memory() const { return memory_; }
  // The whole block, whatever the position.
  void SaveToStream(TStream& stream) const;
  void SaveToFile(const String& fileName) const;

 protected:
  void SetPointer(void* memory, int64_t size);
  int64_t position_ = 0;

 private:
  void* memory_ = nullptr;
  int64_t size_ = 0;
};

// A growable block of memory. Writing inside the block overwrites without truncating; writing past its end
// grows it; a position set beyond the end leaves a zero-filled gap at the next write. Growth that memory cannot
// hold raises EStreamError "Out of memory while expanding memory stream".
class TMemoryStream : public TCustomMemoryStream {
  BC_CLASS(TMemoryStream, TCustomMemoryStream)
  TMemoryStream() = default;
  ~TMemoryStream() override;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  int32_t Write(const void* buffer, int32_t count) override;
  // New bytes are zero; the position stays unless it lies beyond the new end.
  void SetSize(int64_t size) override;
  void Clear();
  // Replace the content with the whole of stream (from its start) or of the file; the position becomes 0.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const String& fileName);

 private:
  // The block is size bytes long, its bytes up to the old size kept; bytes beyond are left as they are for the
  // caller to fill. Raises EStreamError when memory for size bytes cannot be had.
  void Resize(int64_t size);
  // Room for at least size bytes. Room grows by doubling, so that a stream written piece by piece copies each
  // byte a bounded number of times.
  void Reserve(int64_t size);

  uint8_t* bytes_ = nullptr;
  int64_t capacity_ = 0;
};

// Access and sharing of TFileStream, combined with "|": one access mode (or fmCreate) and one share mode.
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,  // as fmShareExclusive
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,  // creates or truncates, opened for reading and writing
};

// A file on a disk opened with CreateFileW; owns its handle. Failures raise EFOpenError "Cannot open file "%s". %s"
// or EFCreateError "Cannot create file "%s". %s" with the system's reason, also for a name FileNameError refuses
// and for anything else that opens (a pipe, a link to a device): ERROR_NOT_SUPPORTED. A mode that shares the file at
// all lets others delete or replace it too (the bytes read through the stream stay those of the file it opened), so
// that a whole-file save can replace a file while it is read.
class TFileStream : public TStream {
  BC_CLASS(TFileStream, TStream)
  TFileStream(const String& fileName, uint16_t mode);
  // Takes a file opened elsewhere, with flags the modes cannot ask for.
  TFileStream(HANDLE handle, const String& fileName) : handle_(handle), fileName_(fileName) {}
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  HANDLE Handle() const { return handle_; }
  const String& FileName() const { return fileName_; }
  // The system's error of the last Read or Write that failed; 0 while none has.
  DWORD LastError() const { return lastError_; }

 private:
  HANDLE handle_;
  String fileName_;
  DWORD lastError_ = 0;
};

// The bytes of a resource of a module, read-only. Raises EResNotFound "Resource %s not found" when the module
// has no such resource. Name and type may be MAKEINTRESOURCEW values.
class TResourceStream : public TCustomMemoryStream {
  BC_CLASS(TResourceStream, TCustomMemoryStream)
  TResourceStream(HMODULE instance, const wchar_t* name, const wchar_t* type);
  // Raises EStreamError "Can't write to a read-only resource stream".
  int32_t Write(const void* buffer, int32_t count) override;
};

enum class TStreamOwnership { soReference, soOwned };

// An IStream over a TStream, so the platform can read and write our streams. Reference counted from 0 like
// every COM object of the framework: hand it to a ComPtr at once. With soOwned it frees the stream at the end.
class TStreamAdapter : public TObject, public TComObject<IStream> {
  BC_CLASS(TStreamAdapter, TObject)
  TStreamAdapter(TStream* stream, TStreamOwnership ownership = TStreamOwnership::soReference);
  ~TStreamAdapter() override;
  TStreamAdapter(const TStreamAdapter&) = delete;
  TStreamAdapter& operator=(const TStreamAdapter&) = delete;

  TStream* Stream() const { return stream_; }
  TStreamOwnership StreamOwnership() const { return ownership_; }

  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                   ULARGE_INTEGER* pcbWritten) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD grfCommitFlags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD grfStatFlag) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) override;

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  TStream* stream_;
  TStreamOwnership ownership_;
};

// A TStream over an IStream, so our code can read and write the platform's streams. Holds a reference to the
// IStream; failing calls raise EOleSysError.
class TOleStream : public TStream {
  BC_CLASS(TOleStream, TStream)
  explicit TOleStream(IStream* stream) : stream_(stream) {}

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  IStream* GetIStream() const { return stream_.Get(); }

 private:
  Microsoft::WRL::ComPtr<IStream> stream_;
};

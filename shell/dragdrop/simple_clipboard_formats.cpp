#include "shell/dragdrop/simple_clipboard_formats.h"

#include <algorithm>
#include <cstring>

#include "framework/clipboard.h"
#include "framework/global_memory.h"
#include "shell/dragdrop/fixed_stream_adapter.h"

namespace shell {

namespace {

static_assert(sizeof(FILEDESCRIPTORA) == 332 && sizeof(FILEDESCRIPTORW) == 592, "descriptor layouts are fixed");

// The size of the block a medium holds, or false for a medium without a known size.
bool MediumSize(const STGMEDIUM& medium, size_t& size) {
  if (medium.tymed == TYMED_HGLOBAL) {
    size = GlobalSize(medium.hGlobal);
    return true;
  }
  if (medium.tymed == TYMED_ISTREAM && medium.pstm) {
    STATSTG stat{};
    if (FAILED(medium.pstm->Stat(&stat, STATFLAG_NONAME))) return false;
    size = stat.cbSize.LowPart;
    return true;
  }
  return false;
}

// Reads up to size bytes from the stream's start; false when a read failed.
bool ReadStream(IStream* stream, size_t size, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) return false;
  while (bytes.size() < size) {
    size_t start = bytes.size();
    bytes.resize(start + std::min(kStreamChunk, size - start));
    ULONG got = 0;
    if (FAILED(stream->Read(bytes.data() + start, static_cast<ULONG>(bytes.size() - start), &got))) return false;
    bytes.resize(start + got);
    if (got == 0) break;
  }
  return true;
}

// A fixed-size value: read from a block at least (or, when exact, just) its size, written into its own size only.
template <class T>
bool ReadValue(T& value, const void* buffer, size_t size, bool exact) {
  if (exact ? size != sizeof(T) : size < sizeof(T)) return false;
  std::memcpy(&value, buffer, sizeof(T));
  return true;
}

template <class T>
bool WriteValue(const T& value, void* buffer, size_t size) {
  if (size != sizeof(T)) return false;
  std::memcpy(buffer, &value, sizeof(T));
  return true;
}

}  // namespace

CLIPFORMAT RegisteredFormat(const wchar_t* name) { return static_cast<CLIPFORMAT>(TClipboard::RegisterFormat(name)); }

bool TCustomSimpleClipboardFormat::DoGetData(IDataObject* source, const STGMEDIUM& medium) {
  size_t size = 0;
  return MediumSize(medium, size) && size >= 1 && ReadFromMedium(source, medium, size);
}

bool TCustomSimpleClipboardFormat::ReadFromMedium(IDataObject*, const STGMEDIUM& medium, size_t size) {
  if (medium.tymed == TYMED_HGLOBAL) {
    TGlobalLock lock(medium.hGlobal);
    return lock.Data() && ReadData(lock.Data(), std::min<size_t>(size, lock.Size()));
  }
  std::vector<uint8_t> bytes;
  return medium.tymed == TYMED_ISTREAM && ReadStream(medium.pstm, size, bytes) && ReadData(bytes.data(), bytes.size());
}

bool TCustomSimpleClipboardFormat::CopyFromMedium(IDataObject*, const STGMEDIUM& medium, size_t size, void* buffer) {
  if (!buffer || size == 0) return false;
  if (medium.tymed == TYMED_HGLOBAL) {
    TGlobalLock lock(medium.hGlobal);
    if (!lock.Data() || lock.Size() < size) return false;
    std::memcpy(buffer, lock.Data(), size);
    return true;
  }
  std::vector<uint8_t> bytes;
  if (medium.tymed != TYMED_ISTREAM || !ReadStream(medium.pstm, size, bytes)) return false;
  std::memcpy(buffer, bytes.data(), bytes.size());
  return true;
}

bool TCustomSimpleClipboardFormat::DoSetData(const FORMATETC& formatEtc, STGMEDIUM& medium) {
  size_t size = GetSize();
  if (size < 1) return false;
  if (formatEtc.tymed & TYMED_ISTREAM) {
    auto stream = std::make_unique<TMemoryStream>();
    stream->SetSize(static_cast<int64_t>(size));
    if (!WriteData(stream->Memory(), size)) return false;
    stream->SetPosition(static_cast<int64_t>(size));
    medium.tymed = TYMED_ISTREAM;
    medium.pstm = new TFixedStreamAdapter(stream.release(), TStreamOwnership::soOwned);
    medium.pstm->AddRef();
    return true;
  }
  if (!(formatEtc.tymed & TYMED_HGLOBAL)) return false;
  TGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size));
  if (!memory) return false;
  {
    TGlobalLock lock(memory.Get());
    if (!lock.Data() || !WriteData(lock.Data(), size)) return false;
  }
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = memory.Release();
  return true;
}

bool TCustomStringClipboardFormat::ReadData(const void* buffer, size_t size) {
  const char* bytes = static_cast<const char*>(buffer);
  if (trimZeroes_) size = std::find(bytes, bytes + size, '\0') - bytes;
  data_.assign(bytes, size);
  return true;
}

bool TCustomStringClipboardFormat::WriteData(void* buffer, size_t size) {
  if (size > data_.size() + 1) return false;
  std::memcpy(buffer, data_.c_str(), size);
  return true;
}

size_t TCustomTextClipboardFormat::GetSize() {
  const AnsiString& text = Data();
  if (text.empty()) return 0;
  return text.back() == '\0' ? text.size() : text.size() + 1;
}

TFileContentsClipboardFormat::TFileContentsClipboardFormat()
    : TCustomTextClipboardFormat(RegisteredFormat(L"FileContents")) {
  SetFormatIndex(0);
}

bool TCustomWideTextClipboardFormat::ReadData(const void* buffer, size_t size) {
  wideText_.resize(size / sizeof(wchar_t));
  std::memcpy(wideText_.data(), buffer, wideText_.size() * sizeof(wchar_t));
  return true;
}

bool TCustomWideTextClipboardFormat::WriteData(void* buffer, size_t size) {
  if (size > (wideText_.size() + 1) * sizeof(wchar_t)) return false;
  std::memcpy(buffer, wideText_.c_str(), size);
  return true;
}

size_t TCustomWideTextClipboardFormat::GetSize() {
  if (wideText_.empty()) return 0;
  size_t size = wideText_.size() * sizeof(wchar_t);
  return wideText_.back() == L'\0' ? size : size + sizeof(wchar_t);
}

bool TCustomStringListClipboardFormat::ReadData(const void* buffer, size_t size) {
  const char* bytes = static_cast<const char*>(buffer);
  lines_->SetText(AnsiToWide(AnsiString(bytes, std::find(bytes, bytes + size, '\0'))));
  return true;
}

bool TCustomStringListClipboardFormat::WriteData(void* buffer, size_t size) {
  AnsiString text = LinesText();
  if (size != text.size() + 1) return false;
  std::memcpy(buffer, text.c_str(), size);
  return true;
}

bool TCustomDWORDClipboardFormat::ReadData(const void* buffer, size_t size) {
  return ReadValue(value_, buffer, size, false);
}

bool TCustomDWORDClipboardFormat::WriteData(void* buffer, size_t size) { return WriteValue(value_, buffer, size); }

TPreferredDropEffectClipboardFormat::TPreferredDropEffectClipboardFormat()
    : TCustomDWORDClipboardFormat(RegisteredFormat(L"Preferred DropEffect")) {}

TPerformedDropEffectClipboardFormat::TPerformedDropEffectClipboardFormat()
    : TCustomDWORDClipboardFormat(RegisteredFormat(L"Performed DropEffect")) {}

TLogicalPerformedDropEffectClipboardFormat::TLogicalPerformedDropEffectClipboardFormat()
    : TCustomDWORDClipboardFormat(RegisteredFormat(L"Logical Performed DropEffect")) {}

TPasteSuccededClipboardFormat::TPasteSuccededClipboardFormat()
    : TCustomDWORDClipboardFormat(RegisteredFormat(L"Paste Succeeded")) {}

TInShellDragLoopClipboardFormat::TInShellDragLoopClipboardFormat()
    : TCustomDWORDClipboardFormat(RegisteredFormat(L"InShellDragLoop")) {}

UINT TCustomFileGroupDescriptorClipboardFormat::Count() const {
  UINT count = 0;
  if (!block_.empty()) std::memcpy(&count, block_.data(), sizeof(count));
  return count;
}

bool TCustomFileGroupDescriptorClipboardFormat::MatchesBlock(const void* buffer, size_t size) const {
  if (size < sizeof(UINT)) return false;
  UINT count = 0;
  std::memcpy(&count, buffer, sizeof(count));
  return (size - sizeof(UINT)) / recordSize_ == count;
}

bool TCustomFileGroupDescriptorClipboardFormat::ReadData(const void* buffer, size_t size) {
  if (!MatchesBlock(buffer, size)) return false;
  CopyBlock(buffer);
  return true;
}

bool TCustomFileGroupDescriptorClipboardFormat::WriteData(void* buffer, size_t size) {
  if (size != block_.size() || !MatchesBlock(block_.data(), block_.size())) return false;
  std::memcpy(buffer, block_.data(), size);
  return true;
}

void TCustomFileGroupDescriptorClipboardFormat::CopyBlock(const void* descriptor) {
  Clear();
  if (!descriptor) return;
  UINT count = 0;
  std::memcpy(&count, descriptor, sizeof(count));
  const auto* bytes = static_cast<const uint8_t*>(descriptor);
  block_.assign(bytes, bytes + sizeof(UINT) + count * recordSize_);
}

TFileGroupDescritorClipboardFormat::TFileGroupDescritorClipboardFormat()
    : TCustomFileGroupDescriptorClipboardFormat(RegisteredFormat(L"FileGroupDescriptor"), sizeof(FILEDESCRIPTORA)) {}

TFileGroupDescritorWClipboardFormat::TFileGroupDescritorWClipboardFormat()
    : TCustomFileGroupDescriptorClipboardFormat(RegisteredFormat(L"FileGroupDescriptorW"), sizeof(FILEDESCRIPTORW)) {}

TTargetCLSIDClipboardFormat::TTargetCLSIDClipboardFormat()
    : TCustomSimpleClipboardFormat(RegisteredFormat(L"TargetCLSID")) {}

bool TTargetCLSIDClipboardFormat::ReadData(const void* buffer, size_t size) {
  return ReadValue(clsid_, buffer, size, true);
}

bool TTargetCLSIDClipboardFormat::WriteData(void* buffer, size_t size) { return WriteValue(clsid_, buffer, size); }

}  // namespace shell

#include "shell/dragdrop/file_contents_formats.h"

#include <algorithm>
#include <cstring>

#include "framework/stg_medium.h"
#include "framework/text_convert.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

namespace shell {

namespace {

// Copies a stream from its position into a memory stream, up to its stated size; the claimed size is not trusted
// with one allocation.
std::unique_ptr<TMemoryStream> ReadWholeStream(IStream* stream) {
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return nullptr;
  auto copy = std::make_unique<TMemoryStream>();
  std::vector<uint8_t> chunk(kStreamChunk);
  ULONGLONG remaining = stat.cbSize.QuadPart;
  while (remaining > 0) {
    ULONG got = 0;
    ULONG want = static_cast<ULONG>(std::min<ULONGLONG>(remaining, chunk.size()));
    if (FAILED(stream->Read(chunk.data(), want, &got)) || got == 0) break;
    copy->WriteBuffer(chunk.data(), static_cast<int32_t>(got));
    remaining -= got;
  }
  copy->SetPosition(0);
  return copy;
}

}  // namespace

int TStreamList::AddNamed(std::unique_ptr<TStream> stream, const String& name) {
  if (Changing().Gone()) return -1;
  items_.push_back({name, std::move(stream)});
  return Count() - 1;
}

TRaised TStreamList::Assign(TStreamList& other) {
  if (Clear().Gone() || Changing().Gone()) return TRaised(false);
  items_ = std::move(other.items_);
  other.Discard();
  return TRaised(true);
}

TRaised TStreamList::Clear() {
  if (Changing().Gone()) return TRaised(false);
  items_.clear();
  return TRaised(true);
}

TRaised TStreamList::Changing() { return RaiseEvent(onChanging_, this); }

int TMemoryList::Add(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  blocks_.emplace_back(bytes, bytes + size);
  return Count() - 1;
}

AnsiString DescriptorFileName(const FILEDESCRIPTORA& descriptor) {
  const char* name = descriptor.cFileName;
  return AnsiString(name, std::find(name, name + MAX_PATH, '\0'));
}

String TFileDescriptorToFilenameStrings::Get(int index) const {
  FILEDESCRIPTORA descriptor;
  std::memcpy(&descriptor, descriptors_.Items(index), sizeof(descriptor));
  return AnsiToWide(DescriptorFileName(descriptor));
}

void TFileDescriptorToFilenameStrings::Insert(int index, const String& text) {
  if (index != Count()) return;
  FILEDESCRIPTORA descriptor{};
  AnsiString name = WideToAnsi(text).substr(0, MAX_PATH - 1);
  std::memcpy(descriptor.cFileName, name.c_str(), name.size() + 1);
  descriptors_.Add(&descriptor, sizeof(descriptor));
}

void TFileDescriptorToFilenameStrings::Assign(const TPersistent* source) {
  const auto* strings = ObjectAs<const TStrings>(source);
  if (!strings) return TStrings::Assign(source);
  BeginUpdate();
  Clear();
  for (int i = 0; i < strings->Count(); ++i) Add(strings->Strings(i));
  EndUpdate();
}

TFileContentsStreamClipboardFormat::TFileContentsStreamClipboardFormat()
    : TClipboardFormat(RegisteredFormat(L"FileContents"), TYMED_ISTREAM) {}

bool TFileContentsStreamClipboardFormat::GetData(IDataObject* dataObject) {
  Clear();
  TFileGroupDescritorClipboardFormat descriptors;
  if (!descriptors.GetData(dataObject)) {
    SetFormatIndex(-1);
    return false;
  }
  const FILEGROUPDESCRIPTORA* group = descriptors.FileGroupDescriptor();
  bool read = false;
  for (UINT index = 0; index < group->cItems; ++index) {
    SetFormatIndex(static_cast<LONG>(index));
    FORMATETC format = FormatEtc();
    TStgMedium medium;
    if (dataObject->GetData(&format, medium.ReleaseAndGetAddressOf()) != S_OK) break;
    if (medium.Get().tymed != TYMED_ISTREAM || !medium.Get().pstm) continue;
    if (auto stream = ReadWholeStream(medium.Get().pstm)) {
      streams_.AddNamed(std::move(stream), AnsiToWide(DescriptorFileName(group->fgd[index])));
      read = true;
    }
  }
  return read;
}

bool TFileContentsStreamClipboardFormat::AssignTo(TCustomDataFormat* dest) {
  auto* streamFormat = ObjectAs<TDataStreamDataFormat>(dest);
  if (!streamFormat) return TClipboardFormat::AssignTo(dest);
  return streamFormat->Streams().Assign(streams_).Alive();
}

TFileContentsStreamOnDemandClipboardFormat::TFileContentsStreamOnDemandClipboardFormat()
    : TClipboardFormat(RegisteredFormat(L"FileContents"), TYMED_ISTREAM) {}

bool TFileContentsStreamOnDemandClipboardFormat::GetData(IDataObject*) {
  gotData_ = true;
  return true;
}

bool TFileContentsStreamOnDemandClipboardFormat::Assign(TCustomDataFormat* source) {
  if (!source->Is<TVirtualFileStreamDataFormat>()) return TClipboardFormat::Assign(source);
  dataRequested_ = true;
  return true;
}

bool TFileContentsStreamOnDemandClipboardFormat::AssignTo(TCustomDataFormat* dest) {
  return dest->Is<TVirtualFileStreamDataFormat>() || TClipboardFormat::AssignTo(dest);
}

bool TFileContentsStreamOnDemandClipboardFormat::DoSetData(const FORMATETC& formatEtc, STGMEDIUM& medium) {
  if (!onGetStream_ || !(formatEtc.tymed & TYMED_ISTREAM) || formatEtc.lindex == -1) return false;
  Microsoft::WRL::ComPtr<IStream> stream;
  // The stream a handler gave is the caller's, also when the handler freed this format.
  if (RaiseEvent(onGetStream_, this, formatEtc.lindex, stream).Gone() || !stream) return false;
  medium.tymed = TYMED_ISTREAM;
  medium.pstm = stream.Detach();
  return true;
}

}  // namespace shell

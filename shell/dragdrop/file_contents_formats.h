// Virtual files: the contents of a group of files that exist only in the dragging program, read as streams named
// after their descriptors, or handed out one file at a time when a consumer asks. With the containers they use.
#pragma once

#include <objidl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>
#include <vector>

#include "framework/delegate.h"
#include "framework/streams.h"
#include "framework/strings.h"
#include "framework/text_convert.h"
#include "shell/dragdrop/clipboard_format.h"

namespace shell {

// Named streams, each owned by the list. OnChanging runs before every change.
class TStreamList : public TObject, protected TEventSource {
  BC_CLASS(TStreamList, TObject)
  TStreamList() = default;
  TStreamList(const TStreamList&) = delete;
  TStreamList& operator=(const TStreamList&) = delete;

  int AddNamed(std::unique_ptr<TStream> stream, const String& name);
  int Count() const { return static_cast<int>(items_.size()); }
  const String& Names(int index) const { return items_.at(index).Name; }
  TStream& Streams(int index) const { return *items_.at(index).Stream; }
  // Takes over other's streams, leaving other empty; this list's own streams are freed first. Each change
  // answers whether the list outlived its OnChanging.
  TRaised Assign(TStreamList& other);
  TRaised Clear();
  // Frees the streams without OnChanging, as Assign leaves the list it takes from: for a list that only its
  // holder fills (a clipboard format's), which no handler watches.
  void Discard() noexcept { items_.clear(); }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(TNotifyEvent handler) { onChanging_ = std::move(handler); }

 private:
  struct TNamedStream {
    String Name;
    std::unique_ptr<TStream> Stream;
  };
  TRaised Changing();

  std::vector<TNamedStream> items_;
  TNotifyEvent onChanging_;
};

// Blocks of memory owned by the list.
class TMemoryList : public TObject {
  BC_CLASS(TMemoryList, TObject)
  // A copy of size bytes at data; its index.
  int Add(const void* data, size_t size);
  int Count() const { return static_cast<int>(blocks_.size()); }
  uint8_t* Items(int index) { return blocks_.at(index).data(); }
  const uint8_t* Items(int index) const { return blocks_.at(index).data(); }
  void Delete(int index) { blocks_.erase(blocks_.begin() + index); }
  void Clear() { blocks_.clear(); }

 private:
  std::vector<std::vector<uint8_t>> blocks_;
};

// The file names of a list of ANSI file descriptors, as lines. Lines can only be appended: each makes a zeroed
// descriptor with the name (cut to 259 characters).
class TFileDescriptorToFilenameStrings : public TStrings {
  BC_CLASS(TFileDescriptorToFilenameStrings, TStrings)
  explicit TFileDescriptorToFilenameStrings(TMemoryList& descriptors) : descriptors_(descriptors) {}

  int Count() const override { return descriptors_.Count(); }
  void Insert(int index, const String& text) override;
  void Delete(int index) override { descriptors_.Delete(index); }
  void Clear() override { descriptors_.Clear(); }
  void Assign(const TPersistent* source) override;

 protected:
  String Get(int index) const override;

 private:
  TMemoryList& descriptors_;
};

// The name of a descriptor: up to its terminator, at most the 260 characters of its field.
AnsiString DescriptorFileName(const FILEDESCRIPTORA& descriptor);

// Every file of a virtual file group, each read into a memory stream named after its descriptor.
class TFileContentsStreamClipboardFormat : public TClipboardFormat {
  BC_CLASS(TFileContentsStreamClipboardFormat, TClipboardFormat)
  TFileContentsStreamClipboardFormat();

  TStreamList& Streams() { return streams_; }
  bool GetData(IDataObject* dataObject) override;
  // A data stream format takes the streams over.
  bool AssignTo(TCustomDataFormat* dest) override;
  void Clear() override { streams_.Discard(); }
  bool HasData() override { return streams_.Count() > 0; }

 private:
  TStreamList streams_;
};

// The contents of virtual files offered on demand: reading only notes that they are there; a consumer's request
// for file n asks OnGetStream for its stream.
class TFileContentsStreamOnDemandClipboardFormat : public TClipboardFormat {
  BC_CLASS(TFileContentsStreamOnDemandClipboardFormat, TClipboardFormat)
  using TGetStreamEvent = TDelegate<void(TObject* Sender, int Index, Microsoft::WRL::ComPtr<IStream>& Stream)>;
  TFileContentsStreamOnDemandClipboardFormat();

  const TGetStreamEvent& OnGetStream() const { return onGetStream_; }
  void SetOnGetStream(TGetStreamEvent handler) { onGetStream_ = std::move(handler); }
  bool GotData() const { return gotData_; }
  bool DataRequested() const { return dataRequested_; }

  bool GetData(IDataObject* dataObject) override;
  bool Assign(TCustomDataFormat* source) override;
  bool AssignTo(TCustomDataFormat* dest) override;
  void Clear() override { gotData_ = dataRequested_ = false; }
  bool HasData() override { return gotData_ || dataRequested_; }

 protected:
  bool DoSetData(const FORMATETC& formatEtc, STGMEDIUM& medium) override;

 private:
  TGetStreamEvent onGetStream_;
  bool gotData_ = false;
  bool dataRequested_ = false;
};

}  // namespace shell

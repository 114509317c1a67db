// The data formats built only on the generic clipboard formats: a text, named data streams, virtual files offered
// on demand, and the drop-effect feedback a source and a target exchange during a drag. Their unit registers the
// generic conversions.
#pragma once

#include <guiddef.h>

#include <memory>

#include "framework/startup.h"
#include "framework/text_convert.h"
#include "shell/dragdrop/data_format.h"
#include "shell/dragdrop/file_contents_formats.h"

namespace shell {

class TFileGroupDescritorClipboardFormat;

class TTextDataFormat : public TCustomDataFormat {
  BC_CLASS(TTextDataFormat, TCustomDataFormat)
  explicit TTextDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass())
      : TCustomDataFormat(owner, cls) {}

  const AnsiString& Text() const { return text_; }
  TRaised SetText(const AnsiString& value);

  TRaised Clear() override;
  bool HasData() override { return !text_.empty(); }
  bool Assign(TClipboardFormat* source) override;
  // Besides the text formats, a file group of one virtual file "Text scrap.txt" whose contents are the text.
  bool AssignTo(TClipboardFormat* dest) override;

 private:
  AnsiString text_;
};

class TDataStreamDataFormat : public TCustomDataFormat {
  BC_CLASS(TDataStreamDataFormat, TCustomDataFormat)
  explicit TDataStreamDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass());

  TStreamList& Streams() { return streams_; }
  TRaised Clear() override;
  bool HasData() override { return streams_.Count() > 0; }

 private:
  TStreamList streams_;
};

// Virtual files: their descriptors, and contents a handler supplies one file at a time when a consumer asks.
class TVirtualFileStreamDataFormat : public TCustomDataFormat {
  BC_CLASS(TVirtualFileStreamDataFormat, TCustomDataFormat)
  explicit TVirtualFileStreamDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass());

  TMemoryList& FileDescriptors() { return fileDescriptors_; }
  TStrings& FileNames() { return fileNames_; }
  TFileContentsStreamOnDemandClipboardFormat& FileContentsClipboardFormat() { return *fileContents_; }
  bool HasContents() const { return hasContents_; }

  TRaised Clear() override;
  bool HasData() override;
  bool NeedsData() override;
  bool Assign(TClipboardFormat* source) override;
  bool AssignTo(TClipboardFormat* dest) override;

 private:
  TMemoryList fileDescriptors_;
  TFileDescriptorToFilenameStrings fileNames_{fileDescriptors_};
  // Owned by the compatible formats.
  TFileContentsStreamOnDemandClipboardFormat* fileContents_;
  bool hasContents_ = false;
};

// The values of the feedback formats. The setters of the preferred and performed effects and of the drag-loop flag
// announce the change first.
class TFeedbackDataFormat : public TCustomDataFormat {
  BC_CLASS(TFeedbackDataFormat, TCustomDataFormat)
  explicit TFeedbackDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass())
      : TCustomDataFormat(owner, cls) {}

  DWORD PreferredDropEffect() const { return preferredDropEffect_; }
  TRaised SetPreferredDropEffect(DWORD value);
  DWORD PerformedDropEffect() const { return performedDropEffect_; }
  TRaised SetPerformedDropEffect(DWORD value);
  DWORD LogicalPerformedDropEffect() const { return logicalPerformedDropEffect_; }
  void SetLogicalPerformedDropEffect(DWORD value) { logicalPerformedDropEffect_ = value; }
  DWORD PasteSucceeded() const { return pasteSucceeded_; }
  void SetPasteSucceeded(DWORD value) { pasteSucceeded_ = value; }
  bool InShellDragLoop() const { return inShellDragLoop_; }
  TRaised SetInShellDragLoop(bool value);
  bool GotInShellDragLoop() const { return gotInShellDragLoop_; }
  const CLSID& TargetCLSID() const { return targetCLSID_; }
  void SetTargetCLSID(const CLSID& value) { targetCLSID_ = value; }

  TRaised Clear() override;
  bool HasData() override;
  bool NeedsData() override;
  bool Assign(TClipboardFormat* source) override;
  bool AssignTo(TClipboardFormat* dest) override;

 private:
  // The field a DWORD feedback format carries, or null.
  DWORD* FieldOf(const TClipboardFormat* format);

  DWORD preferredDropEffect_ = 0;
  DWORD performedDropEffect_ = 0;
  DWORD logicalPerformedDropEffect_ = 0;
  DWORD pasteSucceeded_ = 0;
  bool inShellDragLoop_ = false;
  bool gotInShellDragLoop_ = false;
  CLSID targetCLSID_ = GUID_NULL;
};

// Registers the generic conversions; requires the drag-and-drop unit.
const TUnit& GenericFormatsUnit();

}  // namespace shell

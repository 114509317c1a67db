// Lists of file names carried between programs: the dropped-files record (CF_HDROP), one file name in ANSI or
// UTF-16, and the name maps that tell a target under which names to store dropped files; with the two data
// formats over them.
#pragma once

#include <memory>

#include "framework/startup.h"
#include "framework/strings.h"
#include "shell/dragdrop/data_format.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

namespace shell {

// CF_HDROP: a 20-byte header, then zero-terminated names closed by one more zero. Written with ANSI names, or with
// UTF-16 names when the ANSI code page cannot hold one of them; not at all for a list holding an empty name or a name
// with a NUL inside, which every reader would get cut short or naming other files.
class TFileClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TFileClipboardFormat, TCustomSimpleClipboardFormat)
  TFileClipboardFormat() : TCustomSimpleClipboardFormat(CF_HDROP) {}

  TStringList& Files() { return files_; }
  // Fails for a header alone, a first name outside the block, or a name whose terminator the block lacks.
  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override;
  void Clear() override { files_.Clear(); }
  bool HasData() override { return files_.Count() > 0; }

 private:
  TStringList files_;
};

class TFilenameClipboardFormat : public TCustomTextClipboardFormat {
  BC_CLASS(TFilenameClipboardFormat, TCustomTextClipboardFormat)
  TFilenameClipboardFormat();
  // Adds the name to a file data format's list, or takes the first name of its list.
  bool AssignTo(TCustomDataFormat* dest) override;
  bool Assign(TCustomDataFormat* source) override;
};

class TFilenameWClipboardFormat : public TCustomWideTextClipboardFormat {
  BC_CLASS(TFilenameWClipboardFormat, TCustomWideTextClipboardFormat)
  TFilenameWClipboardFormat();
  bool AssignTo(TCustomDataFormat* dest) override;
  bool Assign(TCustomDataFormat* source) override;
};

// The names alone, each zero-terminated, closed by one more zero, in characters of one width; a list holding an empty
// name or a name with a NUL inside is not written.
class TCustomFilenameMapClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TCustomFilenameMapClipboardFormat, TCustomSimpleClipboardFormat)
  TStringList& FileMaps() { return fileMaps_; }
  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override;
  void Clear() override { fileMaps_.Clear(); }
  bool HasData() override { return fileMaps_.Count() > 0; }

 protected:
  TCustomFilenameMapClipboardFormat(CLIPFORMAT id, bool wide) : TCustomSimpleClipboardFormat(id), wide_(wide) {}

 private:
  TStringList fileMaps_;
  bool wide_;
};

class TFilenameMapClipboardFormat : public TCustomFilenameMapClipboardFormat {
  BC_CLASS(TFilenameMapClipboardFormat, TCustomFilenameMapClipboardFormat)
  TFilenameMapClipboardFormat();
};

class TFilenameMapWClipboardFormat : public TCustomFilenameMapClipboardFormat {
  BC_CLASS(TFilenameMapWClipboardFormat, TCustomFilenameMapClipboardFormat)
  TFilenameMapWClipboardFormat();
};

// File names, and below name maps: a list holding an empty name or a name with a NUL inside is offered in no form, as
// every reader would drop the names after an empty one and take one with a NUL for another file.
class TFileDataFormat : public TCustomDataFormat {
  BC_CLASS(TFileDataFormat, TCustomDataFormat)
  explicit TFileDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass());

  TStringList& Files() { return files_; }
  TRaised Clear() override;
  bool HasData() override { return files_.Count() > 0; }
  bool Assign(TClipboardFormat* source) override;
  bool AssignTo(TClipboardFormat* dest) override;

 private:
  TStringList files_;
};

class TFileMapDataFormat : public TCustomDataFormat {
  BC_CLASS(TFileMapDataFormat, TCustomDataFormat)
  explicit TFileMapDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass());

  TStringList& FileMaps() { return fileMaps_; }
  TRaised Clear() override;
  bool HasData() override { return fileMaps_.Count() > 0; }
  bool Assign(TClipboardFormat* source) override;
  bool AssignTo(TClipboardFormat* dest) override;

 private:
  TStringList fileMaps_;
};

// Registers the conversions of the file data formats; requires the item-ID list formats.
const TUnit& FileFormatsUnit();

}  // namespace shell

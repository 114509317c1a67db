// The clipboard formats whose value is one block of bytes, offered in global memory or a stream: ANSI and wide
// text, string lists, DWORD values (among them the drop-effect feedback a source and a target exchange), file
// group descriptors and a class id.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/strings.h"
#include "framework/text_convert.h"
#include "shell/dragdrop/clipboard_format.h"

namespace shell {

// A stream's claimed size is not trusted with one allocation: readers grow their buffer by this many bytes as the
// bytes arrive.
constexpr size_t kStreamChunk = 0x10000;

// The id of a named format, registered on the first request; the same in every process.
CLIPFORMAT RegisteredFormat(const wchar_t* name);

class TCustomSimpleClipboardFormat : public TClipboardFormat {
  BC_CLASS(TCustomSimpleClipboardFormat, TClipboardFormat)
  // Takes the value from a block of size bytes; false when the block cannot hold one. Reads nothing beyond size.
  virtual bool ReadData(const void* buffer, size_t size) = 0;
  // Fills a block of size bytes with the value; false when the value does not fit that size.
  virtual bool WriteData(void* buffer, size_t size) = 0;
  // The size of the block the value needs; 0 when there is nothing to offer.
  virtual size_t GetSize() = 0;

 protected:
  explicit TCustomSimpleClipboardFormat(CLIPFORMAT id) : TClipboardFormat(id, TYMED_HGLOBAL | TYMED_ISTREAM) {}

  bool DoGetData(IDataObject* source, const STGMEDIUM& medium) override;
  // Offers a stream when one is asked for, else global memory.
  bool DoSetData(const FORMATETC& formatEtc, STGMEDIUM& medium) override;
  virtual bool ReadFromMedium(IDataObject* source, const STGMEDIUM& medium, size_t size);
  // Copies the first size bytes of the medium into buffer.
  virtual bool CopyFromMedium(IDataObject* source, const STGMEDIUM& medium, size_t size, void* buffer);
};

class TCustomStringClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TCustomStringClipboardFormat, TCustomSimpleClipboardFormat)
  const AnsiString& Data() const { return data_; }
  void SetData(const AnsiString& value) { data_ = value; }
  bool TrimZeroes() const { return trimZeroes_; }
  void SetTrimZeroes(bool value) { trimZeroes_ = value; }

  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override { return data_.size(); }
  void Clear() override { data_.clear(); }
  bool HasData() override { return !data_.empty(); }

 protected:
  using TCustomSimpleClipboardFormat::TCustomSimpleClipboardFormat;

 private:
  AnsiString data_;
  bool trimZeroes_ = false;
};

// A string whose block carries a zero terminator, read up to its first zero.
class TCustomTextClipboardFormat : public TCustomStringClipboardFormat {
  BC_CLASS(TCustomTextClipboardFormat, TCustomStringClipboardFormat)
  size_t GetSize() override;

 protected:
  explicit TCustomTextClipboardFormat(CLIPFORMAT id) : TCustomStringClipboardFormat(id) { SetTrimZeroes(true); }
};

class TTextClipboardFormat : public TCustomTextClipboardFormat {
  BC_CLASS(TTextClipboardFormat, TCustomTextClipboardFormat)
  TTextClipboardFormat() : TCustomTextClipboardFormat(CF_TEXT) {}
};

// The contents of the first virtual file of a group, as text.
class TFileContentsClipboardFormat : public TCustomTextClipboardFormat {
  BC_CLASS(TFileContentsClipboardFormat, TCustomTextClipboardFormat)
  TFileContentsClipboardFormat();
};

class TCustomWideTextClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TCustomWideTextClipboardFormat, TCustomSimpleClipboardFormat)
  const String& WideText() const { return wideText_; }
  void SetWideText(const String& value) { wideText_ = value; }

  // Keeps characters behind a zero.
  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override;
  void Clear() override { wideText_.clear(); }
  bool HasData() override { return !wideText_.empty(); }

 protected:
  using TCustomSimpleClipboardFormat::TCustomSimpleClipboardFormat;

 private:
  String wideText_;
};

// Lines of ANSI text in one zero-terminated block.
class TCustomStringListClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TCustomStringListClipboardFormat, TCustomSimpleClipboardFormat)
  TStringList& Lines() { return *lines_; }

  bool ReadData(const void* buffer, size_t size) override;
  // Only into a block of exactly GetSize bytes.
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override { return LinesText().size() + 1; }
  void Clear() override { lines_->Clear(); }
  bool HasData() override { return lines_->Count() > 0; }

 protected:
  using TCustomSimpleClipboardFormat::TCustomSimpleClipboardFormat;
  AnsiString LinesText() const { return WideToAnsi(lines_->Text()); }

 private:
  std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
};

class TCustomDWORDClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TCustomDWORDClipboardFormat, TCustomSimpleClipboardFormat)
  DWORD Value() const { return value_; }
  void SetValue(DWORD value) { value_ = value; }
  bool ValueAsBoolean() const { return value_ != 0; }
  void SetValueAsBoolean(bool value) { value_ = value ? 1 : 0; }

  // The first DWORD of a block of at least 4 bytes.
  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override { return sizeof(DWORD); }
  void Clear() override { value_ = 0; }

 protected:
  using TCustomSimpleClipboardFormat::TCustomSimpleClipboardFormat;

 private:
  DWORD value_ = 0;
};

class TPreferredDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
  BC_CLASS(TPreferredDropEffectClipboardFormat, TCustomDWORDClipboardFormat)
  TPreferredDropEffectClipboardFormat();
};

class TPerformedDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
  BC_CLASS(TPerformedDropEffectClipboardFormat, TCustomDWORDClipboardFormat)
  TPerformedDropEffectClipboardFormat();
};

class TLogicalPerformedDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
  BC_CLASS(TLogicalPerformedDropEffectClipboardFormat, TCustomDWORDClipboardFormat)
  TLogicalPerformedDropEffectClipboardFormat();
};

class TPasteSuccededClipboardFormat : public TCustomDWORDClipboardFormat {
  BC_CLASS(TPasteSuccededClipboardFormat, TCustomDWORDClipboardFormat)
  TPasteSuccededClipboardFormat();
};

class TInShellDragLoopClipboardFormat : public TCustomDWORDClipboardFormat {
  BC_CLASS(TInShellDragLoopClipboardFormat, TCustomDWORDClipboardFormat)
  TInShellDragLoopClipboardFormat();
};

// A file group descriptor: a count, then that many fixed-size file descriptors. The block is accepted only when
// the count matches the whole records it holds.
class TCustomFileGroupDescriptorClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TCustomFileGroupDescriptorClipboardFormat, TCustomSimpleClipboardFormat)
  UINT Count() const;
  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override { return block_.size(); }
  void Clear() override { block_.clear(); }
  bool HasData() override { return Count() > 0; }

 protected:
  TCustomFileGroupDescriptorClipboardFormat(CLIPFORMAT id, size_t recordSize)
      : TCustomSimpleClipboardFormat(id), recordSize_(recordSize) {}
  // Clears, then copies the count and its records from descriptor.
  void CopyBlock(const void* descriptor);
  const void* Block() const { return block_.empty() ? nullptr : block_.data(); }

 private:
  bool MatchesBlock(const void* buffer, size_t size) const;

  size_t recordSize_;
  std::vector<uint8_t> block_;
};

class TFileGroupDescritorClipboardFormat : public TCustomFileGroupDescriptorClipboardFormat {
  BC_CLASS(TFileGroupDescritorClipboardFormat, TCustomFileGroupDescriptorClipboardFormat)
  TFileGroupDescritorClipboardFormat();
  // Null when there is no descriptor.
  const FILEGROUPDESCRIPTORA* FileGroupDescriptor() const { return static_cast<const FILEGROUPDESCRIPTORA*>(Block()); }
  void CopyFrom(const FILEGROUPDESCRIPTORA* descriptor) { CopyBlock(descriptor); }
};

class TFileGroupDescritorWClipboardFormat : public TCustomFileGroupDescriptorClipboardFormat {
  BC_CLASS(TFileGroupDescritorWClipboardFormat, TCustomFileGroupDescriptorClipboardFormat)
  TFileGroupDescritorWClipboardFormat();
  const FILEGROUPDESCRIPTORW* FileGroupDescriptor() const { return static_cast<const FILEGROUPDESCRIPTORW*>(Block()); }
  void CopyFrom(const FILEGROUPDESCRIPTORW* descriptor) { CopyBlock(descriptor); }
};

class TTargetCLSIDClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TTargetCLSIDClipboardFormat, TCustomSimpleClipboardFormat)
  TTargetCLSIDClipboardFormat();
  const CLSID& CLSID() const { return clsid_; }
  void SetCLSID(const ::CLSID& value) { clsid_ = value; }

  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override { return sizeof(clsid_); }
  void Clear() override { clsid_ = GUID_NULL; }
  bool HasData() override { return clsid_ != GUID_NULL; }

 private:
  ::CLSID clsid_ = GUID_NULL;
};

}  // namespace shell

// One web address with its title, and the clipboard formats that only it uses: the address as text, and the two
// bookmark records of the browsers that began dragging addresses. Their unit registers every form an address
// travels in, in the order a target reads them and a source offers them.
#pragma once

#include "framework/startup.h"
#include "shell/dragdrop/data_format.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

namespace shell {

class TURLClipboardFormat : public TCustomTextClipboardFormat {
  BC_CLASS(TURLClipboardFormat, TCustomTextClipboardFormat)
  TURLClipboardFormat();
};

// The address in UTF-16, for what the ANSI code page cannot hold.
class TURLWClipboardFormat : public TCustomWideTextClipboardFormat {
  BC_CLASS(TURLWClipboardFormat, TCustomWideTextClipboardFormat)
  TURLWClipboardFormat();
};

// The address and the title in two fields of 1024 bytes, the title's only when there is one.
class TNetscapeBookmarkClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TNetscapeBookmarkClipboardFormat, TCustomSimpleClipboardFormat)
  TNetscapeBookmarkClipboardFormat();

  const AnsiString& URL() const { return url_; }
  void SetURL(const AnsiString& value) { url_ = value; }
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& value) { title_ = value; }

  // Fails when a field the block holds lacks its terminator inside the block.
  bool ReadData(const void* buffer, size_t size) override;
  // Each text cut to 1023 characters.
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override;
  void Clear() override;
  bool HasData() override { return !url_.empty(); }

 private:
  AnsiString url_;
  AnsiString title_;
};

// A 44-byte header with two numbers and the offsets of four texts, then a leading text and those texts.
class TNetscapeImageClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TNetscapeImageClipboardFormat, TCustomSimpleClipboardFormat)
  TNetscapeImageClipboardFormat();

  const AnsiString& URL() const { return url_; }
  void SetURL(const AnsiString& value) { url_ = value; }
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& value) { title_ = value; }
  const AnsiString& LeadingText() const { return leadingText_; }
  void SetLeadingText(const AnsiString& value) { leadingText_ = value; }
  const AnsiString& FirstExtraText() const { return firstExtraText_; }
  void SetFirstExtraText(const AnsiString& value) { firstExtraText_ = value; }
  const AnsiString& SecondExtraText() const { return secondExtraText_; }
  void SetSecondExtraText(const AnsiString& value) { secondExtraText_ = value; }
  DWORD FirstNumber() const { return firstNumber_; }
  void SetFirstNumber(DWORD value) { firstNumber_ = value; }
  DWORD SecondNumber() const { return secondNumber_; }
  void SetSecondNumber(DWORD value) { secondNumber_ = value; }

  // Fails for a header alone, and for a text that starts outside the block or has no terminator inside it.
  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override;
  void Clear() override;
  bool HasData() override { return !url_.empty() || !title_.empty(); }

 private:
  // The texts that follow the leading one, in block order.
  AnsiString* Texts(size_t index);

  AnsiString leadingText_;
  AnsiString firstExtraText_;
  AnsiString title_;
  AnsiString url_;
  AnsiString secondExtraText_;
  DWORD firstNumber_ = 0;
  DWORD secondNumber_ = 0;
};

// The first form that yields an address fixes URL; the title comes from a bookmark record, the name of a virtual
// shortcut file or the name of a dropped shortcut file. The UTF-16 forms are read first: the ANSI ones lose what
// the code page cannot hold. An address or a title with a NUL inside is offered in no form: every reader would get it
// cut there.
class TURLDataFormat : public TCustomDataFormat {
  BC_CLASS(TURLDataFormat, TCustomDataFormat)
  explicit TURLDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass())
      : TCustomDataFormat(owner, cls) {}

  const String& URL() const { return url_; }
  TRaised SetURL(const String& value);
  const String& Title() const { return title_; }
  TRaised SetTitle(const String& value);

  TRaised Clear() override;
  bool HasData() override { return !url_.empty() || !title_.empty(); }
  // Reading goes on until both are set.
  bool NeedsData() override { return url_.empty() || title_.empty(); }
  // A dropped shortcut file that cannot be opened raises the stream's file-open error.
  bool Assign(TClipboardFormat* source) override;
  bool AssignTo(TClipboardFormat* dest) override;

 private:
  String url_;
  String title_;
};

// Registers the address conversions and the HTML and mail text ones beside them.
const TUnit& URLFormatsUnit();

}  // namespace shell

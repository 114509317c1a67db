// Line-oriented texts that travel beside addresses: an HTML document, an Internet mail message and a vCard, and the
// HTML data format. A text data format reads and writes the first two.
#pragma once

#include "framework/startup.h"
#include "framework/strings.h"
#include "shell/dragdrop/data_format.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

namespace shell {

// Whether "<html" occurs, in any case, among the first 500 characters.
bool IsHTML(const String& text);
// The text itself when it is HTML, else the text as the body of a minimal document.
String MakeHTML(const String& text);

// The bare HTML text, without a description header.
class THTMLClipboardFormat : public TCustomStringListClipboardFormat {
  BC_CLASS(THTMLClipboardFormat, TCustomStringListClipboardFormat)
  THTMLClipboardFormat();
  bool HasData() override;
  // With a text data format: its text as a document, and the lines back as its text.
  bool Assign(TCustomDataFormat* source) override;
  bool AssignTo(TCustomDataFormat* dest) override;
};

class TRFC822ClipboardFormat : public TCustomStringListClipboardFormat {
  BC_CLASS(TRFC822ClipboardFormat, TCustomStringListClipboardFormat)
  TRFC822ClipboardFormat();
  bool Assign(TCustomDataFormat* source) override;
  bool AssignTo(TCustomDataFormat* dest) override;
};

// A vCard held as name=value lines, without its begin and end lines; written back with lines ended by CR alone
// and ":" between name and value again. Up to its first ":", a line read shows ":" for "=" and "=" for ":",
// so a name with parameters splits from its value at the first "=" ("TEL;TYPE:HOME=+1 555").
class TVCardClipboardFormat : public TCustomStringListClipboardFormat {
  BC_CLASS(TVCardClipboardFormat, TCustomStringListClipboardFormat)
  TVCardClipboardFormat();
  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override;

 private:
  AnsiString CardText();
};

class THTMLDataFormat : public TCustomDataFormat {
  BC_CLASS(THTMLDataFormat, TCustomDataFormat)
  explicit THTMLDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass())
      : TCustomDataFormat(owner, cls) {}

  TStringList& HTML() { return html_; }
  TRaised Clear() override;
  bool HasData() override { return html_.Count() > 0; }
  bool Assign(TClipboardFormat* source) override;
  bool AssignTo(TClipboardFormat* dest) override;

 private:
  TStringList html_;
};

// Registers the HTML data format and the text data format's conversions with HTML and mail text.
const TUnit& InternetTextFormatsUnit();

}  // namespace shell

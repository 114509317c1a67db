#include "shell/dragdrop/internet_text_formats.h"

#include <algorithm>
#include <cstring>

#include "framework/sys_utils.h"
#include "shell/dragdrop/data_format_map.h"
#include "shell/dragdrop/generic_data_formats.h"

namespace shell {

namespace {

const size_t kHTMLProbeLength = 500;
const char kCardBegin[] = "begin:vcard";
const char kCardEnd[] = "end:vcard";

TTextDataFormat* TextDataFormatOf(TCustomDataFormat* format) { return ObjectAs<TTextDataFormat>(format); }

// A card line is a name (with parameters, whose values follow "=") and a value behind the first ":". Read, a line
// shows its name and value split by "=" instead: up to and including the separator, ":" and "=" trade places, so
// the name keeps its parameters as "TYPE:HOME" and the first "=" splits the pair. Written, the first "=" and what
// comes before it trade back. Each is the other's inverse, so a card survives any number of trips.
template <class Text>
void TradeSeparators(Text& line, typename Text::value_type separator) {
  using Char = typename Text::value_type;
  const size_t end = line.find(separator);
  const size_t count = end == Text::npos ? line.size() : end + 1;
  for (size_t i = 0; i < count; ++i) {
    if (line[i] == Char(':'))
      line[i] = Char('=');
    else if (line[i] == Char('='))
      line[i] = Char(':');
  }
}

}  // namespace

bool IsHTML(const String& text) { return LowerCase(text.substr(0, kHTMLProbeLength)).find(L"<html") != String::npos; }

String MakeHTML(const String& text) {
  if (IsHTML(text)) return text;
  return L"<HTML>\r\n<BODY>\r\n" + text + L"\r\n</BODY>\r\n</HTML>";
}

THTMLClipboardFormat::THTMLClipboardFormat() : TCustomStringListClipboardFormat(RegisteredFormat(L"HTML Format")) {}

bool THTMLClipboardFormat::HasData() { return TCustomStringListClipboardFormat::HasData() && IsHTML(Lines().Text()); }

bool THTMLClipboardFormat::Assign(TCustomDataFormat* source) {
  TTextDataFormat* text = TextDataFormatOf(source);
  if (!text) return TCustomStringListClipboardFormat::Assign(source);
  Lines().SetText(MakeHTML(AnsiToWide(text->Text())));
  return true;
}

bool THTMLClipboardFormat::AssignTo(TCustomDataFormat* dest) {
  TTextDataFormat* text = TextDataFormatOf(dest);
  if (!text) return TCustomStringListClipboardFormat::AssignTo(dest);
  return text->SetText(LinesText()).Alive();
}

TRFC822ClipboardFormat::TRFC822ClipboardFormat()
    : TCustomStringListClipboardFormat(RegisteredFormat(L"Internet Message (rfc822/rfc1522)")) {}

bool TRFC822ClipboardFormat::Assign(TCustomDataFormat* source) {
  TTextDataFormat* text = TextDataFormatOf(source);
  if (!text) return TCustomStringListClipboardFormat::Assign(source);
  Lines().SetText(AnsiToWide(text->Text()));
  return true;
}

bool TRFC822ClipboardFormat::AssignTo(TCustomDataFormat* dest) {
  TTextDataFormat* text = TextDataFormatOf(dest);
  if (!text) return TCustomStringListClipboardFormat::AssignTo(dest);
  return text->SetText(LinesText()).Alive();
}

TVCardClipboardFormat::TVCardClipboardFormat()
    : TCustomStringListClipboardFormat(RegisteredFormat(L"+//ISBN 1-887687-00-9::versit::PDI//vCard")) {}

bool TVCardClipboardFormat::ReadData(const void* buffer, size_t size) {
  if (!TCustomStringListClipboardFormat::ReadData(buffer, size)) return false;
  TStringList& lines = Lines();
  if (lines.Count() > 0 && SameText(lines.Strings(0), AnsiToWide(kCardBegin))) lines.Delete(0);
  if (lines.Count() > 0 && SameText(lines.Strings(lines.Count() - 1), AnsiToWide(kCardEnd))) {
    lines.Delete(lines.Count() - 1);
    // Writing ends the last line twice, before the end line: that blank is the frame's, not the card's.
    if (lines.Count() > 0 && lines.Strings(lines.Count() - 1).empty()) lines.Delete(lines.Count() - 1);
  }
  for (int i = 0; i < lines.Count(); ++i) {
    String line = lines.Strings(i);
    TradeSeparators(line, L':');
    lines.SetStrings(i, line);
  }
  return true;
}

AnsiString TVCardClipboardFormat::CardText() {
  AnsiString text = AnsiString(kCardBegin) + '\r';
  for (int i = 0; i < Lines().Count(); ++i) {
    AnsiString line = WideToAnsi(Lines().Strings(i));
    TradeSeparators(line, '=');
    text += line + '\r';
  }
  text += '\r' + AnsiString(kCardEnd);
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

size_t TVCardClipboardFormat::GetSize() {
  if (Lines().Count() == 0) return 0;
  return CardText().size() + 1;
}

bool TVCardClipboardFormat::WriteData(void* buffer, size_t size) {
  if (Lines().Count() == 0) return false;
  AnsiString text = CardText();
  if (size != text.size() + 1) return false;
  std::memcpy(buffer, text.c_str(), size);
  return true;
}

TRaised THTMLDataFormat::Clear() {
  if (Changing().Gone()) return TRaised(false);
  html_.Clear();
  return TRaised(true);
}

bool THTMLDataFormat::Assign(TClipboardFormat* source) {
  if (auto* html = ObjectAs<THTMLClipboardFormat>(source)) {
    html_.Assign(&html->Lines());
    return true;
  }
  return TCustomDataFormat::Assign(source);
}

bool THTMLDataFormat::AssignTo(TClipboardFormat* dest) {
  if (auto* html = ObjectAs<THTMLClipboardFormat>(dest)) {
    html->Lines().Assign(&html_);
    return true;
  }
  return TCustomDataFormat::AssignTo(dest);
}

namespace {

void RegisterInternetTextFormats() {
  auto html = TDataFormatClass::Of<THTMLDataFormat>();
  auto text = TDataFormatClass::Of<TTextDataFormat>();
  RegisterDataFormat(html);
  const TConversionScopes both{TConversionScope::csSource, TConversionScope::csTarget};
  const TDataDirections read{TDataDirection::ddRead};
  RegisterDataConversion(html, TClipboardFormatClass::Of<THTMLClipboardFormat>(), 0, both, read);
  RegisterDataConversion(text, TClipboardFormatClass::Of<TRFC822ClipboardFormat>(), 1, both, read);
  RegisterDataConversion(text, TClipboardFormatClass::Of<THTMLClipboardFormat>(), 2, both, read);
}

void UnregisterInternetTextFormats() {
  UnregisterDataFormat(TDataFormatClass::Of<THTMLDataFormat>());
  UnregisterClipboardFormatClass(TClipboardFormatClass::Of<THTMLClipboardFormat>());
  UnregisterClipboardFormatClass(TClipboardFormatClass::Of<TRFC822ClipboardFormat>());
  UnregisterClipboardFormatClass(TClipboardFormatClass::Of<TVCardClipboardFormat>());
}

}  // namespace

const TUnit& InternetTextFormatsUnit() {
  static const TUnit unit{
      L"InternetTextFormats", &RegisterInternetTextFormats, &UnregisterInternetTextFormats, {&GenericFormatsUnit()}};
  return unit;
}

}  // namespace shell

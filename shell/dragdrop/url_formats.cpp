#include "shell/dragdrop/url_formats.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "shell/dragdrop/data_format_map.h"
#include "shell/dragdrop/file_contents_formats.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/internet_text_formats.h"
#include "shell/dragdrop/url_shortcut.h"

namespace shell {

namespace {

const size_t kBookmarkFieldSize = 1024;
const size_t kImageHeaderSize = 44;
const size_t kImageNumbersOffset = 8;
const size_t kImageOffsetsOffset = 28;
const size_t kImageTextCount = 4;
const wchar_t kShortcutExtension[] = L".url";

// The zero-terminated text that starts at offset, when its terminator lies before limit.
std::optional<AnsiString> TextIn(const void* buffer, size_t offset, size_t limit) {
  if (offset >= limit) return std::nullopt;
  const char* start = static_cast<const char*>(buffer) + offset;
  const char* end = static_cast<const char*>(std::memchr(start, '\0', limit - offset));
  if (!end) return std::nullopt;
  return AnsiString(start, end);
}

// Copies text with its terminator to offset, cut to fit a field of fieldSize bytes.
void PutText(void* buffer, size_t offset, const AnsiString& text, size_t fieldSize) {
  std::memcpy(static_cast<char*>(buffer) + offset, text.data(), std::min(text.size(), fieldSize - 1));
}

DWORD DWordAt(const void* buffer, size_t offset) {
  DWORD value = 0;
  std::memcpy(&value, static_cast<const char*>(buffer) + offset, sizeof(value));
  return value;
}

void PutDWord(void* buffer, size_t offset, DWORD value) {
  std::memcpy(static_cast<char*>(buffer) + offset, &value, sizeof(value));
}

bool IsShortcutName(const String& name) { return SameText(ExtractFileExt(name), kShortcutExtension); }

String WithoutExtension(const String& name) { return ChangeFileExt(name, String()); }

AnsiString ShortcutText(const String& url) { return "[InternetShortcut]\r\nURL=" + WideToAnsi(url) + "\r\n"; }

FILEGROUPDESCRIPTORA ShortcutDescriptor(const String& name) {
  FILEGROUPDESCRIPTORA group{};
  group.cItems = 1;
  group.fgd[0].dwFlags = FD_LINKUI;
  AnsiString fileName = WideToAnsi(UrlToShortcutFileName(name));
  PutText(group.fgd[0].cFileName, 0, fileName, MAX_PATH);
  return group;
}

FILEGROUPDESCRIPTORW ShortcutDescriptorW(const String& name) {
  FILEGROUPDESCRIPTORW group{};
  group.cItems = 1;
  group.fgd[0].dwFlags = FD_LINKUI;
  const String fileName = UrlToShortcutFileName(name);
  std::copy_n(fileName.c_str(), std::min<size_t>(fileName.size(), MAX_PATH - 1), group.fgd[0].cFileName);
  return group;
}

// The descriptor's name up to its terminator, at most its field.
String DescriptorFileNameW(const FILEDESCRIPTORW& descriptor) {
  const wchar_t* name = descriptor.cFileName;
  return String(name, std::find(name, name + MAX_PATH, L'\0'));
}

// Takes the title from the first descriptor of a group when it names a shortcut file.
bool TitleFromDescriptor(const String& name, String& title) {
  if (!IsShortcutName(name)) return false;
  title = WithoutExtension(name);
  return true;
}

}  // namespace

TURLClipboardFormat::TURLClipboardFormat() : TCustomTextClipboardFormat(RegisteredFormat(L"UniformResourceLocator")) {}

TURLWClipboardFormat::TURLWClipboardFormat()
    : TCustomWideTextClipboardFormat(RegisteredFormat(L"UniformResourceLocatorW")) {}

TNetscapeBookmarkClipboardFormat::TNetscapeBookmarkClipboardFormat()
    : TCustomSimpleClipboardFormat(RegisteredFormat(L"Netscape Bookmark")) {}

bool TNetscapeBookmarkClipboardFormat::ReadData(const void* buffer, size_t size) {
  Clear();
  std::optional<AnsiString> url = TextIn(buffer, 0, std::min(size, kBookmarkFieldSize));
  if (!url) return false;
  if (size > kBookmarkFieldSize) {
    std::optional<AnsiString> title = TextIn(buffer, kBookmarkFieldSize, std::min(size, 2 * kBookmarkFieldSize));
    if (!title) return false;
    title_ = *title;
  }
  url_ = *url;
  return true;
}

size_t TNetscapeBookmarkClipboardFormat::GetSize() {
  if (url_.empty()) return 0;
  return title_.empty() ? kBookmarkFieldSize : 2 * kBookmarkFieldSize;
}

bool TNetscapeBookmarkClipboardFormat::WriteData(void* buffer, size_t size) {
  if (size == 0 || size != GetSize()) return false;
  std::memset(buffer, 0, size);
  PutText(buffer, 0, url_, kBookmarkFieldSize);
  if (size > kBookmarkFieldSize) PutText(buffer, kBookmarkFieldSize, title_, kBookmarkFieldSize);
  return true;
}

void TNetscapeBookmarkClipboardFormat::Clear() {
  url_.clear();
  title_.clear();
}

TNetscapeImageClipboardFormat::TNetscapeImageClipboardFormat()
    : TCustomSimpleClipboardFormat(RegisteredFormat(L"Netscape Image Format")) {}

AnsiString* TNetscapeImageClipboardFormat::Texts(size_t index) {
  AnsiString* texts[kImageTextCount] = {&firstExtraText_, &title_, &url_, &secondExtraText_};
  return texts[index];
}

bool TNetscapeImageClipboardFormat::ReadData(const void* buffer, size_t size) {
  Clear();
  if (size <= kImageHeaderSize) return false;
  std::optional<AnsiString> leading = TextIn(buffer, kImageHeaderSize, size);
  if (!leading) return false;
  AnsiString texts[kImageTextCount];
  for (size_t i = 0; i < kImageTextCount; ++i) {
    DWORD offset = DWordAt(buffer, kImageOffsetsOffset + i * sizeof(DWORD));
    if (offset == 0) continue;
    std::optional<AnsiString> text = TextIn(buffer, offset, size);
    if (!text) return false;
    texts[i] = *text;
  }
  leadingText_ = *leading;
  for (size_t i = 0; i < kImageTextCount; ++i) *Texts(i) = texts[i];
  firstNumber_ = DWordAt(buffer, kImageNumbersOffset);
  secondNumber_ = DWordAt(buffer, kImageNumbersOffset + sizeof(DWORD));
  return true;
}

size_t TNetscapeImageClipboardFormat::GetSize() {
  size_t size = kImageHeaderSize + leadingText_.size() + 1;
  for (size_t i = 0; i < kImageTextCount; ++i)
    if (!Texts(i)->empty()) size += Texts(i)->size() + 1;
  return size;
}

bool TNetscapeImageClipboardFormat::WriteData(void* buffer, size_t size) {
  if (size != GetSize()) return false;
  std::memset(buffer, 0, size);
  PutDWord(buffer, kImageNumbersOffset, firstNumber_);
  PutDWord(buffer, kImageNumbersOffset + sizeof(DWORD), secondNumber_);
  size_t at = kImageHeaderSize;
  PutText(buffer, at, leadingText_, leadingText_.size() + 1);
  at += leadingText_.size() + 1;
  for (size_t i = 0; i < kImageTextCount; ++i) {
    const AnsiString& text = *Texts(i);
    if (text.empty()) continue;
    PutDWord(buffer, kImageOffsetsOffset + i * sizeof(DWORD), static_cast<DWORD>(at));
    PutText(buffer, at, text, text.size() + 1);
    at += text.size() + 1;
  }
  return true;
}

void TNetscapeImageClipboardFormat::Clear() {
  leadingText_.clear();
  for (size_t i = 0; i < kImageTextCount; ++i) Texts(i)->clear();
  firstNumber_ = secondNumber_ = 0;
}

TRaised TURLDataFormat::SetURL(const String& value) {
  if (Changing().Gone()) return TRaised(false);
  url_ = value;
  return TRaised(true);
}

TRaised TURLDataFormat::SetTitle(const String& value) {
  if (Changing().Gone()) return TRaised(false);
  title_ = value;
  return TRaised(true);
}

TRaised TURLDataFormat::Clear() {
  if (Changing().Gone()) return TRaised(false);
  url_.clear();
  title_.clear();
  return TRaised(true);
}

bool TURLDataFormat::Assign(TClipboardFormat* source) {
  if (auto* url = ObjectAs<TURLClipboardFormat>(source)) {
    if (url_.empty()) url_ = AnsiToWide(url->Data());
    return true;
  }
  if (auto* url = ObjectAs<TURLWClipboardFormat>(source)) {
    // The block keeps what follows a zero; the address ends there.
    if (url_.empty()) url_ = url->WideText().substr(0, url->WideText().find(L'\0'));
    return true;
  }
  if (auto* text = ObjectAs<TTextClipboardFormat>(source)) {
    if (!url_.empty()) return false;
    // A scheme of at least one letter before "://".
    size_t separator = text->Data().find("://");
    if (separator == AnsiString::npos || separator == 0) return false;
    url_ = AnsiToWide(text->Data());
    return true;
  }
  if (auto* dropped = ObjectAs<TFileClipboardFormat>(source)) {
    if (!url_.empty() || dropped->Files().Count() == 0) return false;
    String fileName = dropped->Files().Strings(0);
    if (!IsShortcutName(fileName) || !ReadURLFromShortcutFile(fileName, url_)) return false;
    if (title_.empty()) title_ = WithoutExtension(ExtractFileName(fileName));
    return true;
  }
  if (auto* contents = ObjectAs<TFileContentsClipboardFormat>(source)) {
    return url_.empty() && ReadURLFromShortcutText(contents->Data(), url_);
  }
  if (auto* descriptors = ObjectAs<TFileGroupDescritorClipboardFormat>(source)) {
    const FILEGROUPDESCRIPTORA* group = descriptors->FileGroupDescriptor();
    if (!title_.empty() || !group || group->cItems == 0) return false;
    return TitleFromDescriptor(AnsiToWide(DescriptorFileName(group->fgd[0])), title_);
  }
  if (auto* descriptors = ObjectAs<TFileGroupDescritorWClipboardFormat>(source)) {
    const FILEGROUPDESCRIPTORW* group = descriptors->FileGroupDescriptor();
    if (!title_.empty() || !group || group->cItems == 0) return false;
    // The name is the title cut and cleaned to name a file: where the code page holds it, the ANSI forms read
    // after it give the title whole.
    const String name = DescriptorFileNameW(group->fgd[0]);
    return !FitsCodePage(name) && TitleFromDescriptor(name, title_);
  }
  if (auto* bookmark = ObjectAs<TNetscapeBookmarkClipboardFormat>(source)) {
    if (url_.empty()) url_ = AnsiToWide(bookmark->URL());
    if (title_.empty()) title_ = AnsiToWide(bookmark->Title());
    return true;
  }
  if (auto* image = ObjectAs<TNetscapeImageClipboardFormat>(source)) {
    if (url_.empty()) url_ = AnsiToWide(image->URL());
    if (title_.empty()) title_ = AnsiToWide(image->Title());
    return true;
  }
  return TCustomDataFormat::Assign(source);
}

bool TURLDataFormat::AssignTo(TClipboardFormat* dest) {
  // Every form ends a text at its first NUL: an address or a title holding one would reach a reader cut there.
  if (url_.find(L'\0') != String::npos || title_.find(L'\0') != String::npos) return false;
  if (dest->Is<TURLClipboardFormat>() || dest->Is<TTextClipboardFormat>()) {
    static_cast<TCustomStringClipboardFormat*>(dest)->SetData(WideToAnsi(url_));
    return true;
  }
  if (auto* url = ObjectAs<TURLWClipboardFormat>(dest)) {
    url->SetWideText(url_);
    return true;
  }
  if (auto* contents = ObjectAs<TFileContentsClipboardFormat>(dest)) {
    contents->SetData(ShortcutText(url_));
    return true;
  }
  if (auto* descriptors = ObjectAs<TFileGroupDescritorClipboardFormat>(dest)) {
    FILEGROUPDESCRIPTORA group = ShortcutDescriptor(title_.empty() ? url_ : title_);
    descriptors->CopyFrom(&group);
    return true;
  }
  if (auto* descriptors = ObjectAs<TFileGroupDescritorWClipboardFormat>(dest)) {
    FILEGROUPDESCRIPTORW group = ShortcutDescriptorW(title_.empty() ? url_ : title_);
    descriptors->CopyFrom(&group);
    return true;
  }
  if (auto* bookmark = ObjectAs<TNetscapeBookmarkClipboardFormat>(dest)) {
    bookmark->SetURL(WideToAnsi(url_));
    bookmark->SetTitle(WideToAnsi(title_));
    return true;
  }
  if (auto* image = ObjectAs<TNetscapeImageClipboardFormat>(dest)) {
    image->SetURL(WideToAnsi(url_));
    image->SetTitle(WideToAnsi(title_));
    return true;
  }
  return TCustomDataFormat::AssignTo(dest);
}

namespace {

void RegisterURLFormats() {
  auto url = TDataFormatClass::Of<TURLDataFormat>();
  RegisterDataFormat(url);
  const TConversionScopes both{TConversionScope::csSource, TConversionScope::csTarget};
  const TDataDirections read{TDataDirection::ddRead};
  RegisterDataConversion(url, TClipboardFormatClass::Of<TNetscapeBookmarkClipboardFormat>(), 0, both, read);
  RegisterDataConversion(url, TClipboardFormatClass::Of<TNetscapeImageClipboardFormat>(), 1, both, read);
  RegisterDataConversion(url, TClipboardFormatClass::Of<TFileContentsClipboardFormat>(), 2, both, read);
  RegisterDataConversion(url, TClipboardFormatClass::Of<TFileGroupDescritorClipboardFormat>(), 2, both, read);
  RegisterDataConversion(url, TClipboardFormatClass::Of<TURLClipboardFormat>(), 2, both, read);
  RegisterDataConversion(url, TClipboardFormatClass::Of<TTextClipboardFormat>(), 3, both, read);
  RegisterDataConversion(url, TClipboardFormatClass::Of<TFileClipboardFormat>(), 4, {TConversionScope::csTarget}, read);
  // The UTF-16 forms first: an address or title the ANSI forms cannot hold comes back whole.
  RegisterDataConversion(url, TClipboardFormatClass::Of<TFileGroupDescritorWClipboardFormat>(), -1, both, read);
  RegisterDataConversion(url, TClipboardFormatClass::Of<TURLWClipboardFormat>(), -1, both, read);
}

void UnregisterURLFormats() {
  for (const TClipboardFormatClass& cls :
       {TClipboardFormatClass::Of<TURLClipboardFormat>(), TClipboardFormatClass::Of<TURLWClipboardFormat>(),
        TClipboardFormatClass::Of<TNetscapeBookmarkClipboardFormat>(),
        TClipboardFormatClass::Of<TNetscapeImageClipboardFormat>()})
    UnregisterClipboardFormatClass(cls);
  UnregisterDataFormat(TDataFormatClass::Of<TURLDataFormat>());
}

}  // namespace

const TUnit& URLFormatsUnit() {
  static const TUnit unit{
      L"URLFormats", &RegisterURLFormats, &UnregisterURLFormats, {&FileFormatsUnit(), &InternetTextFormatsUnit()}};
  return unit;
}

}  // namespace shell

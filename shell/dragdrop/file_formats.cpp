#include "shell/dragdrop/file_formats.h"

#include <shlobj.h>

#include <cstring>
#include <string>

#include "shell/dragdrop/data_format_map.h"
#include "shell/dragdrop/pidl_formats.h"

namespace shell {

namespace {

static_assert(sizeof(DROPFILES) == 20, "the dropped-files header is fixed");

wchar_t CharAt(const uint8_t* bytes, bool wide) {
  if (!wide) return static_cast<wchar_t>(*bytes);
  wchar_t value = 0;
  std::memcpy(&value, bytes, sizeof(value));
  return value;
}

String NameOf(const uint8_t* bytes, size_t length, bool wide) {
  if (!wide) return AnsiToWide(std::string_view(reinterpret_cast<const char*>(bytes), length));
  String name(length / sizeof(wchar_t), L'\0');
  std::memcpy(name.data(), bytes, name.size() * sizeof(wchar_t));
  return name;
}

// The zero-terminated names of one width from start on, up to an empty name or the block's end. Fails when a name
// runs to the end of the block without its terminator, or when there is no name at all.
bool ReadNameList(const uint8_t* block, size_t size, size_t start, bool wide, TStrings& names) {
  names.Clear();
  const size_t width = wide ? sizeof(wchar_t) : 1;
  size_t at = start;
  while (at <= size && size - at >= width) {
    size_t end = at;
    while (size - end >= width && CharAt(block + end, wide) != 0) end += width;
    if (size - end < width) {
      names.Clear();
      return false;
    }
    if (end == at) break;
    names.Add(NameOf(block + at, end - at, wide));
    at = end + width;
  }
  return names.Count() > 0;
}

// Every name with its terminator, then the closing zero, in characters of one width.
std::string NameListBytes(const TStrings& names, bool wide) {
  std::string bytes;
  for (int i = 0; i < names.Count(); ++i) {
    String name = names.Strings(i);
    if (wide)
      bytes.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * sizeof(wchar_t));
    else
      bytes.append(WideToAnsi(name)).push_back('\0');
  }
  bytes.append(wide ? sizeof(wchar_t) : 1, '\0');
  return bytes;
}

// Copies the bytes into a block of exactly their size.
bool WriteExactly(const std::string& bytes, void* buffer, size_t size) {
  if (size != bytes.size()) return false;
  std::memcpy(buffer, bytes.data(), size);
  return true;
}

// ANSI names while the code page holds every name, as old readers expect them; else UTF-16 names, which every
// reader of the record tells by its wide flag, so that no name reaches a reader as '?'.
std::string DropFilesBytes(const TStrings& files) {
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  for (int i = 0; i < files.Count() && !header.fWide; ++i) header.fWide = !FitsCodePage(files.Strings(i));
  return std::string(reinterpret_cast<const char*>(&header), sizeof(header)) + NameListBytes(files, header.fWide);
}

TFileDataFormat* FileDataFormatOf(TCustomDataFormat* format) { return ObjectAs<TFileDataFormat>(format); }

// An empty name is written as a bare terminator, which closes the list there: every reader drops the names after it.
// A name with a NUL inside reaches a reader cut there, or as two names, and names another file. A list holding
// either is written in no form.
bool HoldsUnwritableName(const TStrings& names) {
  for (int i = 0; i < names.Count(); ++i) {
    const String name = names.Strings(i);
    if (name.empty() || name.find(L'\0') != String::npos) return true;
  }
  return false;
}

bool IsWritable(const TStrings& names) { return names.Count() > 0 && !HoldsUnwritableName(names); }

}  // namespace

bool TFileClipboardFormat::ReadData(const void* buffer, size_t size) {
  files_.Clear();
  if (size <= sizeof(DROPFILES)) return false;
  DROPFILES header{};
  std::memcpy(&header, buffer, sizeof(header));
  return ReadNameList(static_cast<const uint8_t*>(buffer), size, header.pFiles, header.fWide != 0, files_);
}

bool TFileClipboardFormat::WriteData(void* buffer, size_t size) {
  return IsWritable(files_) && WriteExactly(DropFilesBytes(files_), buffer, size);
}

size_t TFileClipboardFormat::GetSize() { return IsWritable(files_) ? DropFilesBytes(files_).size() : 0; }

TFilenameClipboardFormat::TFilenameClipboardFormat() : TCustomTextClipboardFormat(RegisteredFormat(L"FileName")) {}

bool TFilenameClipboardFormat::AssignTo(TCustomDataFormat* dest) {
  TFileDataFormat* files = FileDataFormatOf(dest);
  if (!files || Data().empty()) return TCustomTextClipboardFormat::AssignTo(dest);
  files->Files().Add(AnsiToWide(Data()));
  return true;
}

bool TFilenameClipboardFormat::Assign(TCustomDataFormat* source) {
  TFileDataFormat* files = FileDataFormatOf(source);
  if (!files || files->Files().Count() == 0) return TCustomTextClipboardFormat::Assign(source);
  SetData(WideToAnsi(files->Files().Strings(0)));
  return true;
}

TFilenameWClipboardFormat::TFilenameWClipboardFormat()
    : TCustomWideTextClipboardFormat(RegisteredFormat(L"FileNameW")) {}

bool TFilenameWClipboardFormat::AssignTo(TCustomDataFormat* dest) {
  TFileDataFormat* files = FileDataFormatOf(dest);
  // The block's text keeps what follows a zero; a name ends there.
  String name = WideText().substr(0, WideText().find(L'\0'));
  if (!files || name.empty()) return TCustomWideTextClipboardFormat::AssignTo(dest);
  files->Files().Add(name);
  return true;
}

bool TFilenameWClipboardFormat::Assign(TCustomDataFormat* source) {
  TFileDataFormat* files = FileDataFormatOf(source);
  if (!files || files->Files().Count() == 0) return TCustomWideTextClipboardFormat::Assign(source);
  SetWideText(files->Files().Strings(0));
  return true;
}

bool TCustomFilenameMapClipboardFormat::ReadData(const void* buffer, size_t size) {
  return ReadNameList(static_cast<const uint8_t*>(buffer), size, 0, wide_, fileMaps_);
}

bool TCustomFilenameMapClipboardFormat::WriteData(void* buffer, size_t size) {
  return IsWritable(fileMaps_) && WriteExactly(NameListBytes(fileMaps_, wide_), buffer, size);
}

size_t TCustomFilenameMapClipboardFormat::GetSize() {
  return IsWritable(fileMaps_) ? NameListBytes(fileMaps_, wide_).size() : 0;
}

TFilenameMapClipboardFormat::TFilenameMapClipboardFormat()
    : TCustomFilenameMapClipboardFormat(RegisteredFormat(L"FileNameMap"), false) {}

TFilenameMapWClipboardFormat::TFilenameMapWClipboardFormat()
    : TCustomFilenameMapClipboardFormat(RegisteredFormat(L"FileNameMapW"), true) {}

TFileDataFormat::TFileDataFormat(TDragDropComponent* owner, const TClass* cls) : TCustomDataFormat(owner, cls) {
  files_.SetOnChanging([this](TObject*) {
    if (Changing().Gone()) return;
  });
}

TRaised TFileDataFormat::Clear() {
  // The list raises this format's OnChanging.
  const TLifeWatch life = LifeWatch();
  files_.Clear();
  return TRaised(!life.Ended());
}

bool TFileDataFormat::Assign(TClipboardFormat* source) {
  if (auto* dropped = ObjectAs<TFileClipboardFormat>(source)) {
    files_.Assign(&dropped->Files());
    return true;
  }
  if (auto* pidls = ObjectAs<TPIDLClipboardFormat>(source)) {
    files_.Assign(&pidls->Filenames());
    return true;
  }
  return TCustomDataFormat::Assign(source);
}

bool TFileDataFormat::AssignTo(TClipboardFormat* dest) {
  if (HoldsUnwritableName(files_)) return false;
  if (auto* dropped = ObjectAs<TFileClipboardFormat>(dest)) {
    dropped->Files().Assign(&files_);
    return true;
  }
  if (auto* pidls = ObjectAs<TPIDLClipboardFormat>(dest)) {
    pidls->Filenames().Assign(&files_);
    return pidls->PIDLs().Count() > 0;
  }
  return TCustomDataFormat::AssignTo(dest);
}

TFileMapDataFormat::TFileMapDataFormat(TDragDropComponent* owner, const TClass* cls) : TCustomDataFormat(owner, cls) {
  fileMaps_.SetOnChanging([this](TObject*) {
    if (Changing().Gone()) return;
  });
}

TRaised TFileMapDataFormat::Clear() {
  // The list raises this format's OnChanging.
  const TLifeWatch life = LifeWatch();
  fileMaps_.Clear();
  return TRaised(!life.Ended());
}

bool TFileMapDataFormat::Assign(TClipboardFormat* source) {
  if (auto* maps = ObjectAs<TCustomFilenameMapClipboardFormat>(source)) {
    fileMaps_.Assign(&maps->FileMaps());
    return true;
  }
  return TCustomDataFormat::Assign(source);
}

bool TFileMapDataFormat::AssignTo(TClipboardFormat* dest) {
  if (HoldsUnwritableName(fileMaps_)) return false;
  if (auto* maps = ObjectAs<TCustomFilenameMapClipboardFormat>(dest)) {
    maps->FileMaps().Assign(&fileMaps_);
    return true;
  }
  return TCustomDataFormat::AssignTo(dest);
}

namespace {

void RegisterFileFormats() {
  auto files = TDataFormatClass::Of<TFileDataFormat>();
  auto maps = TDataFormatClass::Of<TFileMapDataFormat>();
  RegisterDataFormat(files);
  RegisterDataFormat(maps);
  const TConversionScopes both{TConversionScope::csSource, TConversionScope::csTarget};
  const TDataDirections read{TDataDirection::ddRead};
  RegisterDataConversion(files, TClipboardFormatClass::Of<TFileClipboardFormat>(), 0, both, read);
  RegisterDataConversion(files, TClipboardFormatClass::Of<TPIDLClipboardFormat>(), 1, both, read);
  RegisterDataConversion(files, TClipboardFormatClass::Of<TFilenameClipboardFormat>(), 2, both, read);
  RegisterDataConversion(files, TClipboardFormatClass::Of<TFilenameWClipboardFormat>(), 2, both, read);
  RegisterDataConversion(maps, TClipboardFormatClass::Of<TFilenameMapClipboardFormat>(), 0, both, read);
  RegisterDataConversion(maps, TClipboardFormatClass::Of<TFilenameMapWClipboardFormat>(), 0, both, read);
}

void UnregisterFileFormats() {
  UnregisterDataFormat(TDataFormatClass::Of<TFileDataFormat>());
  UnregisterDataFormat(TDataFormatClass::Of<TFileMapDataFormat>());
  for (const TClipboardFormatClass& cls :
       {TClipboardFormatClass::Of<TFileClipboardFormat>(), TClipboardFormatClass::Of<TFilenameClipboardFormat>(),
        TClipboardFormatClass::Of<TFilenameWClipboardFormat>(),
        TClipboardFormatClass::Of<TFilenameMapClipboardFormat>(),
        TClipboardFormatClass::Of<TFilenameMapWClipboardFormat>()})
    UnregisterClipboardFormatClass(cls);
}

}  // namespace

const TUnit& FileFormatsUnit() {
  static const TUnit unit{L"FileFormats", &RegisterFileFormats, &UnregisterFileFormats, {&PIDLFormatsUnit()}};
  return unit;
}

}  // namespace shell

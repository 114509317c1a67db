#include "framework/ini_files.h"

#include <windows.h>

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/streams.h"
#include "framework/strings.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "framework/whole_file.h"

namespace {

// The profile functions answer size - 1 (or size - 2 for lists) when the text was cut: grow until it fits.
String ReadProfileText(const wchar_t* section, const wchar_t* ident, const wchar_t* defaultValue,
                       const String& fileName, bool isList) {
  std::vector<wchar_t> buffer(2048);
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD length = GetPrivateProfileStringW(section, ident, defaultValue, buffer.data(), size, fileName.c_str());
    if (length < size - (isList ? 2 : 1)) return String(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

// A list of names separated by NULs.
void SplitNames(const String& names, TStrings* strings) {
  strings->BeginUpdate();
  strings->Clear();
  for (size_t start = 0; start < names.size();) {
    size_t end = names.find(L'\0', start);
    if (end == String::npos) end = names.size();
    if (end > start) strings->Add(names.substr(start, end - start));
    start = end + 1;
  }
  strings->EndUpdate();
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }

// Whether the text would come back unchanged from a file: no line breaks or NULs, no blanks at either end (which
// reading trims) and no quotes around it (which the system's reading drops).
bool KeepsItsLine(const String& text) {
  if (text.find_first_of(String(L"\r\n\0", 3)) != String::npos) return false;
  if (text.empty()) return true;
  if (IsBlank(text.front()) || IsBlank(text.back())) return false;
  return text.size() < 2 || !IsQuote(text.front()) || text.back() != text.front();
}

}  // namespace

void TCustomIniFile::CheckStorable(const String& section, const String& ident, const String& value) const {
  // A name or value that would read back as something else, or as other keys or sections, is refused.
  const bool storable = !section.empty() && !ident.empty() && KeepsItsLine(section) && KeepsItsLine(ident) &&
                        KeepsItsLine(value) && section.find_first_of(L"[]") == String::npos &&
                        ident.find(L'=') == String::npos && ident[0] != L';' && ident[0] != L'[' && CanHold(section) &&
                        CanHold(ident) && CanHold(value);
  if (!storable) throw EIniFileException(Format(L"Cannot store %s in %s", {ident, FileName()}));
}

bool TCustomIniFile::SectionExists(const String& section) const {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident) const {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.IndexOf(ident) >= 0;
}

int TCustomIniFile::ReadInteger(const String& section, const String& ident, int defaultValue) const {
  return StrToIntDef(ReadString(section, ident, L""), defaultValue);
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? L"1" : L"0");
}

void TCustomIniFile::ReadSectionValues(const String& section, TStrings* strings) const {
  TStringList keys;
  ReadSection(section, &keys);
  strings->BeginUpdate();
  strings->Clear();
  for (int i = 0; i < keys.Count(); ++i)
    strings->Add(keys.Strings(i) + L"=" + ReadString(section, keys.Strings(i), L""));
  strings->EndUpdate();
}

String TIniFile::ReadString(const String& section, const String& ident, const String& defaultValue) const {
  return ReadProfileText(section.c_str(), ident.c_str(), defaultValue.c_str(), FileName(), false);
}

String TIniFile::ProfilePath() const {
  // The profile functions look for a name without a folder in the Windows folder.
  if (FileName().find_first_of(L"\\/") != String::npos) return FileName();
  wchar_t folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  return String(folder, length < MAX_PATH ? length : 0) + L"\\" + FileName();
}

std::string TIniFile::FileStart() const {
  HANDLE file = CreateFileW(ProfilePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  char start[2] = {};
  DWORD read = 0;
  if (!ReadFile(file, start, sizeof start, &read, nullptr)) read = 0;
  CloseHandle(file);
  return std::string(start, read);
}

bool TIniFile::CanHold(const String& text) const {
  // A missing or empty file is made a UTF-16 one before the first write; the profile functions keep the form.
  const std::string start = FileStart();
  return start.empty() || CodePageOfMark(start) == CodePageUtf16LE || FitsCodePage(text);
}

void TIniFile::MakeUnicodeWhenEmpty() const {
  if (!FileStart().empty()) return;
  HANDLE file = CreateFileW(ProfilePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  // A file that cannot be made here cannot be written by the profile functions either: they tell.
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string_view mark = TextMark(CodePageUtf16LE);
  DWORD written = 0;
  WriteFile(file, mark.data(), static_cast<DWORD>(mark.size()), &written, nullptr);
  CloseHandle(file);
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckStorable(section, ident, value);
  MakeUnicodeWhenEmpty();
  if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), value.c_str(), FileName().c_str())) WriteError();
}

void TIniFile::ReadSection(const String& section, TStrings* strings) const {
  SplitNames(ReadProfileText(section.c_str(), nullptr, L"", FileName(), true), strings);
}

void TIniFile::ReadSections(TStrings* strings) const {
  SplitNames(ReadProfileText(nullptr, nullptr, L"", FileName(), true), strings);
}

void TIniFile::EraseSection(const String& section) {
  if (!WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, FileName().c_str())) WriteError();
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  WritePrivateProfileStringW(section.c_str(), ident.c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str()); }

void TIniFile::WriteError() const { throw EIniFileException(Format(L"Unable to write to %s", {FileName()})); }

TMemIniFile::TMemIniFile(String fileName) : TCustomIniFile(std::move(fileName)) {
  if (FileName().empty() || !FileExists(FileName())) return;
  std::string bytes;
  {
    TFileStream file(FileName(), fmOpenRead | fmShareDenyWrite);
    bytes = ReadToEnd(file);
  }
  codePage_ = CodePageOfMark(bytes);
  bytes.erase(0, TextMark(codePage_).size());
  // A damaged UTF-16 file is read as far as it holds whole characters.
  if ((codePage_ == CodePageUtf16LE || codePage_ == CodePageUtf16BE) && bytes.size() % 2 != 0) bytes.pop_back();
  TStringList lines;
  lines.SetText(DecodeText(bytes, codePage_).value_or(String()));
  SetStrings(&lines);
}

TMemIniFile::~TMemIniFile() = default;

TStringList* TMemIniFile::FindSection(const String& section) const {
  auto found = sectionIndex_.find(AnsiTextKey(section));
  return found == sectionIndex_.end() ? nullptr : found->second;
}

TStringList* TMemIniFile::AddSection(const String& section) {
  auto [entry, added] = sectionIndex_.try_emplace(AnsiTextKey(section), nullptr);
  if (!added) return entry->second;
  sections_.push_back({section, std::make_unique<TStringList>()});
  entry->second = sections_.back().Lines.get();
  return entry->second;
}

void TMemIniFile::Clear() {
  sectionIndex_.clear();
  sections_.clear();
}

void TMemIniFile::SetStrings(const TStrings* strings) {
  Clear();
  TStringList* current = nullptr;
  for (int i = 0; i < strings->Count(); ++i) {
    String line = Trim(strings->Strings(i));
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[' && line.back() == L']') {
      current = AddSection(Trim(line.substr(1, line.size() - 2)));
    } else if (current) {
      size_t equals = line.find(L'=');
      if (equals == String::npos)
        current->Add(line);
      else
        current->Add(Trim(line.substr(0, equals)) + L"=" + Trim(line.substr(equals + 1)));
    }
  }
}

void TMemIniFile::GetStrings(TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  for (const TSection& section : sections_) {
    strings->Add(L"[" + section.Name + L"]");
    strings->AddStrings(section.Lines.get());
    strings->Add(L"");
  }
  strings->EndUpdate();
}

void TMemIniFile::UpdateFile() {
  TStringList lines;
  GetStrings(&lines);
  const String text = lines.Text();
  // An ANSI file stays one while it can; then it becomes the Unicode form that the profile functions read too.
  if (codePage_ == CP_ACP && !FitsCodePage(text)) codePage_ = CodePageUtf16LE;
  std::string bytes(TextMark(codePage_));
  bytes += EncodeText(text, codePage_).value_or(std::string());
  SaveWholeFile(FileName(), [&](TStream& file) { file.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size())); });
}

String TMemIniFile::ReadString(const String& section, const String& ident, const String& defaultValue) const {
  if (const TStringList* lines = FindSection(section)) {
    int index = lines->IndexOfName(ident);
    if (index >= 0) return lines->ValueFromIndex(index);
  }
  return defaultValue;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckStorable(section, ident, value);
  TStringList* lines = AddSection(section);
  int index = lines->IndexOfName(ident);
  if (index >= 0)
    lines->SetStrings(index, ident + L"=" + value);
  else
    lines->Add(ident + L"=" + value);
}

void TMemIniFile::ReadSection(const String& section, TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  if (const TStringList* lines = FindSection(section)) {
    for (int i = 0; i < lines->Count(); ++i) {
      String name = lines->Names(i);
      if (!name.empty()) strings->Add(name);
    }
  }
  strings->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  for (const TSection& section : sections_) strings->Add(section.Name);
  strings->EndUpdate();
}

void TMemIniFile::ReadSectionValues(const String& section, TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  if (const TStringList* lines = FindSection(section)) strings->AddStrings(lines);
  strings->EndUpdate();
}

void TMemIniFile::EraseSection(const String& section) {
  auto found = sectionIndex_.find(AnsiTextKey(section));
  if (found == sectionIndex_.end()) return;
  const TStringList* lines = found->second;
  sectionIndex_.erase(found);
  sections_.erase(std::find_if(sections_.begin(), sections_.end(),
                               [lines](const TSection& entry) { return entry.Lines.get() == lines; }));
}

void TMemIniFile::DeleteKey(const String& section, const String& ident) {
  if (TStringList* lines = FindSection(section)) {
    int index = lines->IndexOfName(ident);
    if (index >= 0) lines->Delete(index);
  }
}

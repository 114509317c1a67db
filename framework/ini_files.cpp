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

// Section and key names as the profile functions compare them: ordinally, without case.
String Folded(const String& name) { return AnsiUpperCase(name); }

// The lines of the whole text, a NUL inside one included: a line ends at CR, LF or CR LF.
std::vector<String> SplitLines(const String& text) {
  std::vector<String> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find_first_of(L"\r\n", at);
    if (end == String::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end;
    if (at < text.size() && text[at] == L'\r') ++at;
    if (at < text.size() && text[at] == L'\n') ++at;
  }
  return lines;
}

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

bool TCustomIniFile::CanHold(const String& text) const { return IsWellFormedText(text); }

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
  char start[4] = {};
  DWORD read = 0;
  if (!ReadFile(file, start, sizeof start, &read, nullptr)) read = 0;
  CloseHandle(file);
  return std::string(start, read);
}

bool TIniFile::CanHold(const String& text) const {
  if (!IsWellFormedText(text)) return false;
  // A missing or empty file is made a UTF-16 one before the first write; the profile functions keep the form of a
  // file with the mark of one they know.
  const std::string start = FileStart();
  if (start.empty()) return true;
  const UINT form = CodePageOfMark(start);
  return form == CP_UTF8 || form == CodePageUtf16LE || form == CodePageUtf16BE || FitsCodePage(text);
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

// The lines of a section in file order, "Key=Value" or as read when they hold no "=", and the first line of each key
// by its folded name.
struct TMemIniFile::TSection {
  String Name;
  std::vector<String> Lines;
  std::unordered_map<String, size_t> Keys;

  static String NameOf(const String& line) {
    const size_t equals = line.find(L'=');
    return equals == String::npos ? String() : line.substr(0, equals);
  }
  const String* Find(const String& ident) const {
    auto found = Keys.find(Folded(ident));
    return found == Keys.end() ? nullptr : &Lines[found->second];
  }
  void Add(String line) {
    const String name = NameOf(line);
    if (!name.empty()) Keys.try_emplace(Folded(name), Lines.size());
    Lines.push_back(std::move(line));
  }
  void Delete(const String& ident) {
    auto found = Keys.find(Folded(ident));
    if (found == Keys.end()) return;
    Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(found->second));
    // A later line of the same key, if any, now answers for it.
    Keys.clear();
    std::vector<String> lines = std::move(Lines);
    Lines.clear();
    for (String& line : lines) Add(std::move(line));
  }
};

TMemIniFile::TMemIniFile(String fileName) : TCustomIniFile(std::move(fileName)) {
  if (FileName().empty() || !FileExists(FileName())) return;
  std::string bytes;
  {
    TFileStream file(FileName(), fmOpenRead | fmShareDenyWrite);
    bytes = ReadToEnd(file);
  }
  codePage_ = FormOfFile(bytes, marked_);
  bytes.erase(0, TextMark(codePage_).size() * marked_);
  if ((codePage_ == CodePageUtf16LE || codePage_ == CodePageUtf16BE) && bytes.size() % 2 != 0) {
    oddByte_ = bytes.substr(bytes.size() - 1);
    bytes.pop_back();
  }
  AddLines(SplitLines(DecodeKeepingBytes(bytes, codePage_)));
}

TMemIniFile::~TMemIniFile() = default;

TMemIniFile::TSection* TMemIniFile::FindSection(const String& section) const {
  auto found = sectionIndex_.find(Folded(section));
  return found == sectionIndex_.end() ? nullptr : found->second;
}

TMemIniFile::TSection& TMemIniFile::AddSection(const String& section) {
  auto [entry, added] = sectionIndex_.try_emplace(Folded(section), nullptr);
  if (!added) return *entry->second;
  sections_.push_back(std::make_unique<TSection>());
  sections_.back()->Name = section;
  entry->second = sections_.back().get();
  return *entry->second;
}

void TMemIniFile::Clear() {
  sectionIndex_.clear();
  sections_.clear();
}

void TMemIniFile::AddLines(const std::vector<String>& lines) {
  TSection* current = nullptr;
  for (const String& read : lines) {
    String line = Trim(read);
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[' && line.back() == L']') {
      current = &AddSection(Trim(line.substr(1, line.size() - 2)));
    } else if (current) {
      const size_t equals = line.find(L'=');
      if (equals == String::npos)
        current->Add(std::move(line));
      else
        current->Add(Trim(line.substr(0, equals)) + L"=" + Trim(line.substr(equals + 1)));
    }
  }
}

void TMemIniFile::SetStrings(const TStrings* strings) {
  Clear();
  std::vector<String> lines;
  lines.reserve(static_cast<size_t>(strings->Count()));
  for (int i = 0; i < strings->Count(); ++i) lines.push_back(strings->Strings(i));
  AddLines(lines);
}

void TMemIniFile::GetStrings(TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  for (const auto& section : sections_) {
    strings->Add(L"[" + section->Name + L"]");
    for (const String& line : section->Lines) strings->Add(line);
    strings->Add(L"");
  }
  strings->EndUpdate();
}

bool TMemIniFile::CanHold(const String& text) const { return IsTextKeepingBytes(text); }

void TMemIniFile::UpdateFile() {
  TStringList lines;
  GetStrings(&lines);
  const String text = lines.Text();
  // The file keeps its form while that form reads back what is written. A UTF-8 file without its mark takes the
  // mark; any other file becomes the Unicode form that the profile functions read too, which holds every code unit.
  auto written = [&] {
    std::string bytes(marked_ ? TextMark(codePage_) : std::string_view());
    bytes += EncodeKeepingBytes(text, codePage_);
    bytes += oddByte_;
    return bytes;
  };
  std::string bytes = written();
  if (!ReadsBack(bytes, text)) {
    if (codePage_ != CP_UTF8) {
      codePage_ = CodePageUtf16LE;
      oddByte_.clear();
    }
    marked_ = true;
    bytes = written();
  }
  SaveWholeFile(FileName(), [&](TStream& file) { file.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size())); });
}

UINT TMemIniFile::FormOfFile(std::string_view bytes, bool& marked) {
  const UINT codePage = CodePageOfMark(bytes);
  marked = codePage != CP_ACP;
  if (marked) return codePage;
  return IsUtf8(bytes) && std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; }) ? CP_UTF8 : CP_ACP;
}

bool TMemIniFile::ReadsBack(std::string_view bytes, const String& text) const {
  bool marked = false;
  const UINT codePage = FormOfFile(bytes, marked);
  if (codePage != codePage_) return false;
  std::string_view body = bytes.substr(marked ? TextMark(codePage).size() : 0);
  body.remove_suffix(std::min(body.size(), oddByte_.size()));
  return DecodeKeepingBytes(body, codePage) == text;
}

bool TMemIniFile::SectionExists(const String& section) const {
  const TSection* found = FindSection(section);
  return found && !found->Keys.empty();
}

bool TMemIniFile::ValueExists(const String& section, const String& ident) const {
  const TSection* found = FindSection(section);
  return found && found->Find(ident);
}

String TMemIniFile::ReadString(const String& section, const String& ident, const String& defaultValue) const {
  const TSection* found = FindSection(section);
  const String* line = found ? found->Find(ident) : nullptr;
  return line ? line->substr(line->find(L'=') + 1) : defaultValue;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckStorable(section, ident, value);
  TSection& lines = AddSection(section);
  auto found = lines.Keys.find(Folded(ident));
  if (found != lines.Keys.end())
    lines.Lines[found->second] = ident + L"=" + value;
  else
    lines.Add(ident + L"=" + value);
}

void TMemIniFile::ReadSection(const String& section, TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  if (const TSection* found = FindSection(section)) {
    for (const String& line : found->Lines) {
      String name = TSection::NameOf(line);
      if (!name.empty()) strings->Add(name);
    }
  }
  strings->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  for (const auto& section : sections_) strings->Add(section->Name);
  strings->EndUpdate();
}

void TMemIniFile::ReadSectionValues(const String& section, TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  if (const TSection* found = FindSection(section))
    for (const String& line : found->Lines) strings->Add(line);
  strings->EndUpdate();
}

void TMemIniFile::EraseSection(const String& section) {
  auto found = sectionIndex_.find(Folded(section));
  if (found == sectionIndex_.end()) return;
  const TSection* erased = found->second;
  sectionIndex_.erase(found);
  sections_.erase(
      std::find_if(sections_.begin(), sections_.end(), [erased](const auto& entry) { return entry.get() == erased; }));
}

void TMemIniFile::DeleteKey(const String& section, const String& ident) {
  if (TSection* found = FindSection(section)) found->Delete(ident);
}

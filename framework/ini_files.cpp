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

bool HasLineBreak(const String& text) { return text.find_first_of(String(L"\r\n\0", 3)) != String::npos; }

// Whether the text stands between one pair of matching quotes, which the system's reading drops.
bool IsQuoted(const String& text) { return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front(); }

// Whether a name would come back unchanged from a file: no line breaks or NULs, no blanks at either end (which
// reading trims) and no quotes around it.
bool KeepsItsLine(const String& text) {
  if (HasLineBreak(text)) return false;
  if (text.empty()) return true;
  return !IsBlank(text.front()) && !IsBlank(text.back()) && !IsQuoted(text);
}

// A value as the file holds it: one pair of quotes around a value whose blanks at either end reading would trim,
// or whose own quotes reading would drop, so that it reads back as it was.
String StoredValue(const String& value) {
  if (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back()) && !IsQuoted(value))) return value;
  return L"\"" + value + L"\"";
}

// A value as the system's profile functions read it from the text after "=": trimmed, and without one pair of
// matching quotes around it.
String ReadValue(const String& stored) {
  String value = Trim(stored);
  return IsQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

// A line that is blank or a comment (";" first), which names no key.
bool IsCommentOrBlank(const String& line) {
  const String trimmed = Trim(line);
  return trimmed.empty() || trimmed[0] == L';';
}

// The key a line of a section names, empty for one that names none (a comment, a blank line, a line without "=").
String KeyOf(const String& line) {
  if (IsCommentOrBlank(line)) return String();
  const size_t equals = line.find(L'=');
  return equals == String::npos ? String() : Trim(line.substr(0, equals));
}

// The value of a line that names a key.
String ValueOf(const String& line) { return ReadValue(line.substr(line.find(L'=') + 1)); }

// Whether the line starts a section, as the profile functions read one: "[" first, the name up to the last "]",
// whatever follows that (a comment) ignored.
bool IsSectionLine(const String& line, String& name) {
  const String trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != L'[') return false;
  const size_t close = trimmed.rfind(L']');
  if (close == String::npos || close == 0) return false;
  name = Trim(trimmed.substr(1, close - 1));
  return true;
}

}  // namespace

void TCustomIniFile::CheckStorable(const String& section, const String& ident, const String& value) const {
  // A name or value that would read back as something else, or as other keys or sections, is refused.
  const bool storable = !section.empty() && !ident.empty() && KeepsItsLine(section) && KeepsItsLine(ident) &&
                        !HasLineBreak(value) && section.find_first_of(L"[]") == String::npos &&
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
  if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), StoredValue(value).c_str(), FileName().c_str()))
    WriteError();
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

// One header line as written (a comment after the name included) and the lines under it as written, comments and
// blank lines among them; or the lines before the first header, which belong to no section.
struct TMemIniFile::TBlock {
  String Header;
  std::vector<String> Lines;
};

// A section's blocks in file order (a section whose header appears twice is one section), and the first line of
// each key by its folded name.
struct TMemIniFile::TSection {
  String Name;
  std::vector<TBlock*> Blocks;
  std::unordered_map<String, std::pair<TBlock*, size_t>> Keys;

  String* Find(const String& ident) const {
    auto found = Keys.find(Folded(ident));
    return found == Keys.end() ? nullptr : &found->second.first->Lines[found->second.second];
  }
  void Index(TBlock* block, size_t line) {
    const String key = KeyOf(block->Lines[line]);
    if (!key.empty()) Keys.try_emplace(Folded(key), block, line);
  }
  void Reindex() {
    Keys.clear();
    for (TBlock* block : Blocks)
      for (size_t line = 0; line < block->Lines.size(); ++line) Index(block, line);
  }
  // Where a new key goes in the last block: after its last key, else after the comments right under its header.
  // No key line follows that place, so no index moves.
  size_t InsertionPoint() const {
    const TBlock& block = *Blocks.back();
    for (size_t line = block.Lines.size(); line-- > 0;)
      if (!KeyOf(block.Lines[line]).empty()) return line + 1;
    size_t line = 0;
    while (line < block.Lines.size() && !Trim(block.Lines[line]).empty()) ++line;
    return line;
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

TMemIniFile::TSection& TMemIniFile::AddSection(const String& section, const String& header) {
  blocks_.push_back(std::make_unique<TBlock>());
  TBlock* block = blocks_.back().get();
  block->Header = header;
  auto [entry, added] = sectionIndex_.try_emplace(Folded(section), nullptr);
  if (added) {
    sections_.push_back(std::make_unique<TSection>());
    sections_.back()->Name = section;
    entry->second = sections_.back().get();
  }
  entry->second->Blocks.push_back(block);
  return *entry->second;
}

TMemIniFile::TSection& TMemIniFile::SectionToWrite(const String& section) {
  if (TSection* found = FindSection(section)) return *found;
  // A new section stands apart from what comes before it, and ends in an empty line of its own.
  if (!blocks_.empty() && (blocks_.back()->Lines.empty() || !Trim(blocks_.back()->Lines.back()).empty()))
    blocks_.back()->Lines.emplace_back();
  TSection& added = AddSection(section, L"[" + section + L"]");
  added.Blocks.back()->Lines.emplace_back();
  return added;
}

void TMemIniFile::Clear() {
  sectionIndex_.clear();
  sections_.clear();
  blocks_.clear();
}

void TMemIniFile::AddLines(const std::vector<String>& lines) {
  TSection* current = nullptr;
  for (const String& line : lines) {
    String name;
    if (IsSectionLine(line, name)) {
      current = &AddSection(name, line);
      continue;
    }
    if (blocks_.empty()) blocks_.push_back(std::make_unique<TBlock>());
    TBlock* block = blocks_.back().get();
    block->Lines.push_back(line);
    if (current) current->Index(block, block->Lines.size() - 1);
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
  for (const auto& block : blocks_) {
    if (!block->Header.empty()) strings->Add(block->Header);
    for (const String& line : block->Lines) strings->Add(line);
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
  return line ? ValueOf(*line) : defaultValue;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckStorable(section, ident, value);
  TSection& written = SectionToWrite(section);
  String line = ident + L"=" + StoredValue(value);
  if (String* found = written.Find(ident)) {
    // A line that already holds the value stays as the person wrote it.
    if (ValueOf(*found) != value) *found = std::move(line);
    return;
  }
  TBlock* block = written.Blocks.back();
  const size_t at = written.InsertionPoint();
  block->Lines.insert(block->Lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  written.Index(block, at);
}

void TMemIniFile::ReadSection(const String& section, TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  if (const TSection* found = FindSection(section)) {
    for (const TBlock* block : found->Blocks)
      for (const String& line : block->Lines) {
        String name = KeyOf(line);
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
  if (const TSection* found = FindSection(section)) {
    for (const TBlock* block : found->Blocks)
      for (const String& line : block->Lines) {
        if (IsCommentOrBlank(line)) continue;
        const String key = KeyOf(line);
        strings->Add(key.empty() ? Trim(line) : key + L"=" + ValueOf(line));
      }
  }
  strings->EndUpdate();
}

void TMemIniFile::EraseSection(const String& section) {
  auto found = sectionIndex_.find(Folded(section));
  if (found == sectionIndex_.end()) return;
  const TSection* erased = found->second;
  sectionIndex_.erase(found);
  std::erase_if(blocks_, [erased](const auto& block) {
    return std::find(erased->Blocks.begin(), erased->Blocks.end(), block.get()) != erased->Blocks.end();
  });
  std::erase_if(sections_, [erased](const auto& entry) { return entry.get() == erased; });
}

void TMemIniFile::DeleteKey(const String& section, const String& ident) {
  TSection* found = FindSection(section);
  if (!found) return;
  auto key = found->Keys.find(Folded(ident));
  if (key == found->Keys.end()) return;
  auto [block, line] = key->second;
  block->Lines.erase(block->Lines.begin() + static_cast<std::ptrdiff_t>(line));
  // A later line of the same key, if any, now answers for it.
  found->Reindex();
}

#include "framework/ini_files.h"

#include <windows.h>

#include <algorithm>
#include <optional>

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

// What the profile functions trim from the ends of names and values, and skip at the start of a line: blanks,
// tabs, vertical tabs, form feeds and the end mark of old text files; other control characters are text.
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == L'\x1a'; }

String TrimBlanks(const String& text) {
  size_t first = 0;
  size_t end = text.size();
  while (first < end && IsBlank(text[first])) ++first;
  while (end > first && IsBlank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

// Section and key names as the profile functions compare them: ordinally, without case.
String Folded(const String& name) { return AnsiUpperCase(name); }

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
  String value = TrimBlanks(stored);
  return IsQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

// A line that is blank or a comment (";" first), which names no key.
bool IsCommentOrBlank(const String& line) {
  const String trimmed = TrimBlanks(line);
  return trimmed.empty() || trimmed[0] == L';';
}

// The key a line of a section names, empty for one that names none (a comment, a blank line, a line without "=").
String KeyOf(const String& line) {
  if (IsCommentOrBlank(line)) return String();
  const size_t equals = line.find(L'=');
  return equals == String::npos ? String() : TrimBlanks(line.substr(0, equals));
}

// The value of a line that names a key.
String ValueOf(const String& line) { return ReadValue(line.substr(line.find(L'=') + 1)); }

// A line that names a key with another value, the rest as the person wrote it: the key as the file spells it and
// the blanks around "=" and after the value.
String WithValue(const String& line, const String& value) {
  size_t start = line.find(L'=') + 1;
  while (start < line.size() && IsBlank(line[start])) ++start;
  size_t end = line.size();
  while (end > start && IsBlank(line[end - 1])) --end;
  return line.substr(0, start) + StoredValue(value) + line.substr(end);
}

// Whether the line starts a section, as the profile functions read one: "[" first, the name up to the last "]",
// whatever follows that (a comment) ignored.
bool IsSectionLine(const String& line, String& name) {
  const String trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed[0] != L'[') return false;
  const size_t close = trimmed.rfind(L']');
  if (close == String::npos || close == 0) return false;
  name = TrimBlanks(trimmed.substr(1, close - 1));
  return true;
}

}  // namespace

void TCustomIniFile::CheckSectionStorable(const String& section) const {
  // A header that would read back as another section, or as none, is refused.
  const bool storable =
      !section.empty() && KeepsItsLine(section) && section.find_first_of(L"[]") == String::npos && CanHold(section);
  if (!storable) throw EIniFileException(Format(L"Cannot store %s in %s", {L"[" + section + L"]", FileName()}));
}

void TCustomIniFile::CheckStorable(const String& ident, const String& value) const {
  // A name or value that would read back as something else, or as other keys or sections, is refused.
  const bool storable = !ident.empty() && KeepsItsLine(ident) && !HasLineBreak(value) &&
                        ident.find(L'=') == String::npos && ident[0] != L';' && ident[0] != L'[' && CanHold(ident) &&
                        CanHold(value);
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
  if (Refusal() != 0) return defaultValue;
  return ReadProfileText(section.c_str(), ident.c_str(), defaultValue.c_str(), FileName(), false);
}

String TIniFile::ProfilePath() const {
  // The profile functions look for a name without a folder in the Windows folder; one after a drive ("C:x.ini") is
  // in that drive's current folder.
  const String& name = FileName();
  if (name.find_first_of(L"\\/") != String::npos || (name.size() >= 2 && name[1] == L':')) return name;
  wchar_t folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  return String(folder, length < MAX_PATH ? length : 0) + L"\\" + FileName();
}

DWORD TIniFile::Refusal() const { return DiskFileError(ProfilePath()); }

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
  if (const DWORD error = Refusal()) WriteError(error);
  CheckSectionStorable(section);
  CheckStorable(ident, value);
  MakeUnicodeWhenEmpty();
  if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), StoredValue(value).c_str(), FileName().c_str()))
    WriteError(0);
}

void TIniFile::ReadSection(const String& section, TStrings* strings) const {
  SplitNames(Refusal() != 0 ? String() : ReadProfileText(section.c_str(), nullptr, L"", FileName(), true), strings);
}

void TIniFile::ReadSections(TStrings* strings) const {
  SplitNames(Refusal() != 0 ? String() : ReadProfileText(nullptr, nullptr, L"", FileName(), true), strings);
}

void TIniFile::EraseSection(const String& section) {
  if (const DWORD error = Refusal()) WriteError(error);
  if (!WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, FileName().c_str())) WriteError(0);
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  if (Refusal() == 0) WritePrivateProfileStringW(section.c_str(), ident.c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile() {
  if (Refusal() == 0) WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str());
}

void TIniFile::WriteError(DWORD reason) const {
  if (reason == 0) throw EIniFileException(Format(L"Unable to write to %s", {FileName()}));
  throw EIniFileException(Format(L"Unable to write to %s. %s", {FileName(), SysErrorMessage(reason)}));
}

// One line of the file without its end, and how it ends: as it ended when read, or as the file's lines end (a line
// added, or the last line read when the file did not end it).
struct TMemIniFile::TLine {
  enum class TEnd : uint8_t { AsTheFile, CrLf, Lf, Cr };
  String Text;
  TEnd End = TEnd::AsTheFile;

  const wchar_t* EndText(const String& fileEnd) const {
    switch (End) {
      case TEnd::CrLf:
        return L"\r\n";
      case TEnd::Lf:
        return L"\n";
      case TEnd::Cr:
        return L"\r";
      case TEnd::AsTheFile:
        break;
    }
    return fileEnd.c_str();
  }
};

// One header line as written (a comment after the name included) and the lines under it as written, comments and
// blank lines among them; or the lines before the first header (no header), which belong to no section.
struct TMemIniFile::TBlock {
  std::optional<TLine> Header;
  std::vector<TLine> Lines;
};

// A section's blocks in file order (a section whose header appears twice is one section), and the first line of
// each key by its folded name.
struct TMemIniFile::TSection {
  String Name;
  std::vector<TBlock*> Blocks;
  std::unordered_map<String, std::pair<TBlock*, size_t>> Keys;

  TLine* Find(const String& ident) const {
    auto found = Keys.find(Folded(ident));
    return found == Keys.end() ? nullptr : &found->second.first->Lines[found->second.second];
  }
  void Index(TBlock* block, size_t line) {
    const String key = KeyOf(block->Lines[line].Text);
    if (!key.empty()) Keys.try_emplace(Folded(key), block, line);
  }
  void Reindex() {
    Keys.clear();
    for (TBlock* block : Blocks)
      for (size_t line = 0; line < block->Lines.size(); ++line) Index(block, line);
  }
  // Where a new key goes: into the first block, the one the profile functions read, after its last key, else after
  // the comments right under its header. No key line of the block follows that place, so no index moves.
  size_t InsertionPoint() const {
    const TBlock& block = *Blocks.front();
    for (size_t line = block.Lines.size(); line-- > 0;)
      if (!KeyOf(block.Lines[line].Text).empty()) return line + 1;
    size_t line = 0;
    while (line < block.Lines.size() && !TrimBlanks(block.Lines[line].Text).empty()) ++line;
    return line;
  }
};

TMemIniFile::TMemIniFile(String fileName) : TCustomIniFile(std::move(fileName)) {
  // What is no file on a disk is not read, nor a name no file can have, whatever the system finds under it (a
  // device, another file whose name starts alike): it reads as a file that is not there, which UpdateFile then
  // refuses to write.
  if (FileName().empty() || DiskFileError(FileName()) != 0 || !FileExists(FileName())) return;
  std::string bytes = ReadFileBytes(FileName());
  codePage_ = FormOfFile(bytes, marked_);
  bytes.erase(0, TextMark(codePage_).size() * marked_);
  if ((codePage_ == CodePageUtf16LE || codePage_ == CodePageUtf16BE) && bytes.size() % 2 != 0) {
    oddByte_ = bytes.substr(bytes.size() - 1);
    bytes.pop_back();
  }
  std::vector<TLine> lines = SplitLines(DecodeKeepingBytes(bytes, codePage_));
  // New lines end as most of the file's lines end (of ends as common, the one that got there first), not as one
  // odd line a tool left at the top does.
  size_t counts[4] = {};
  const TLine* usual = nullptr;
  for (const TLine& line : lines) {
    if (line.End == TLine::TEnd::AsTheFile) continue;
    const size_t count = ++counts[static_cast<size_t>(line.End)];
    if (!usual || count > counts[static_cast<size_t>(usual->End)]) usual = &line;
  }
  if (usual) lineEnd_ = usual->EndText(lineEnd_);
  endsWithLineEnd_ = lines.empty() || lines.back().End != TLine::TEnd::AsTheFile;
  AddLines(std::move(lines));
  savedText_ = Text();
}

TMemIniFile::~TMemIniFile() = default;

std::vector<TMemIniFile::TLine> TMemIniFile::SplitLines(const String& text) {
  std::vector<TLine> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find_first_of(L"\r\n", at);
    if (end == String::npos) end = text.size();
    TLine& line = lines.emplace_back();
    line.Text = text.substr(at, end - at);
    if (end == text.size()) break;
    at = end + 1;
    if (text[end] == L'\n') {
      line.End = TLine::TEnd::Lf;
    } else if (at < text.size() && text[at] == L'\n') {
      line.End = TLine::TEnd::CrLf;
      ++at;
    } else {
      line.End = TLine::TEnd::Cr;
    }
  }
  return lines;
}

TMemIniFile::TSection* TMemIniFile::FindSection(const String& section) const {
  auto found = sectionIndex_.find(Folded(section));
  return found == sectionIndex_.end() ? nullptr : found->second;
}

TMemIniFile::TSection& TMemIniFile::AddSection(const String& section, TLine header) {
  blocks_.push_back(std::make_unique<TBlock>());
  TBlock* block = blocks_.back().get();
  block->Header = std::move(header);
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
  // A section the file has takes keys whatever its name, since no header is written for it; but the one without
  // a name ("[]") is where the profile functions keep the lines before the first section.
  TSection* found = section.empty() ? nullptr : FindSection(section);
  if (found) return *found;
  CheckSectionStorable(section);
  // A new section stands apart from what comes before it, and ends in an empty line of its own.
  if (!blocks_.empty() && (blocks_.back()->Lines.empty() || !TrimBlanks(blocks_.back()->Lines.back().Text).empty()))
    blocks_.back()->Lines.emplace_back();
  TSection& added = AddSection(section, TLine{L"[" + section + L"]"});
  added.Blocks.back()->Lines.emplace_back();
  return added;
}

void TMemIniFile::Clear() {
  sectionIndex_.clear();
  sections_.clear();
  blocks_.clear();
}

void TMemIniFile::AddLines(std::vector<TLine> lines) {
  TSection* current = nullptr;
  for (TLine& line : lines) {
    String name;
    if (IsSectionLine(line.Text, name)) {
      current = &AddSection(name, std::move(line));
      continue;
    }
    if (blocks_.empty()) blocks_.push_back(std::make_unique<TBlock>());
    TBlock* block = blocks_.back().get();
    block->Lines.push_back(std::move(line));
    if (current) current->Index(block, block->Lines.size() - 1);
  }
}

void TMemIniFile::SetStrings(const TStrings* strings) {
  Clear();
  std::vector<TLine> lines(static_cast<size_t>(strings->Count()));
  for (int i = 0; i < strings->Count(); ++i) lines[static_cast<size_t>(i)].Text = strings->Strings(i);
  AddLines(std::move(lines));
}

void TMemIniFile::GetStrings(TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  for (const auto& block : blocks_) {
    if (block->Header) strings->Add(block->Header->Text);
    for (const TLine& line : block->Lines) strings->Add(line.Text);
  }
  strings->EndUpdate();
}

String TMemIniFile::Text() const {
  // A line's end goes out once another line follows it, and after the last line only when the file ended so.
  String text;
  const TLine* previous = nullptr;
  auto add = [&](const TLine& line) {
    if (previous) text += previous->EndText(lineEnd_);
    text += line.Text;
    previous = &line;
  };
  for (const auto& block : blocks_) {
    if (block->Header) add(*block->Header);
    for (const TLine& line : block->Lines) add(line);
  }
  if (previous && endsWithLineEnd_) text += previous->EndText(lineEnd_);
  return text;
}

bool TMemIniFile::CanHold(const String& text) const { return IsTextKeepingBytes(text); }

void TMemIniFile::UpdateFile() {
  // A store whose text is the file's as it read or last wrote it leaves the file alone, also when it changed
  // something and changed it back: another instance may have saved since.
  const String text = Text();
  if (text == savedText_) return;
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
  savedText_ = text;
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
  const TLine* line = found ? found->Find(ident) : nullptr;
  return line ? ValueOf(line->Text) : defaultValue;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckStorable(ident, value);
  TSection& written = SectionToWrite(section);
  if (TLine* found = written.Find(ident)) {
    // A line that already holds the value stays as the person wrote it.
    if (ValueOf(found->Text) == value) return;
    found->Text = WithValue(found->Text, value);
    return;
  }
  TBlock* block = written.Blocks.front();
  const size_t at = written.InsertionPoint();
  block->Lines.insert(block->Lines.begin() + static_cast<std::ptrdiff_t>(at), TLine{ident + L"=" + StoredValue(value)});
  written.Index(block, at);
}

void TMemIniFile::ReadSection(const String& section, TStrings* strings) const {
  strings->BeginUpdate();
  strings->Clear();
  if (const TSection* found = FindSection(section)) {
    for (const TBlock* block : found->Blocks)
      for (const TLine& line : block->Lines) {
        String name = KeyOf(line.Text);
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
      for (const TLine& line : block->Lines) {
        if (IsCommentOrBlank(line.Text)) continue;
        const String key = KeyOf(line.Text);
        strings->Add(key.empty() ? TrimBlanks(line.Text) : key + L"=" + ValueOf(line.Text));
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

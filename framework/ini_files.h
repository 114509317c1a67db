// Settings in INI form ("[Section]" lines followed by "Key=Value" lines). TIniFile reads and writes the file on
// every call through the system's profile functions; TMemIniFile holds the whole file in memory, keeps the order
// of sections and keys, compares names without case and writes the file back on UpdateFile.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/object.h"

class TStrings;
class TStringList;

class TCustomIniFile : public TObject {
  BC_CLASS(TCustomIniFile, TObject)
  explicit TCustomIniFile(String fileName) : fileName_(std::move(fileName)) {}

  const String& FileName() const { return fileName_; }

  // A section exists when it holds at least one key.
  virtual bool SectionExists(const String& section) const;
  virtual bool ValueExists(const String& section, const String& ident) const;
  virtual String ReadString(const String& section, const String& ident, const String& defaultValue) const = 0;
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  // Decimal or hexadecimal ("0x" or "$"); the default for a missing or malformed value.
  int ReadInteger(const String& section, const String& ident, int defaultValue) const;
  void WriteInteger(const String& section, const String& ident, int value);
  // Any whole number other than 0 is true; written as "1" or "0".
  bool ReadBool(const String& section, const String& ident, bool defaultValue) const;
  void WriteBool(const String& section, const String& ident, bool value);
  // The keys of a section, in file order.
  virtual void ReadSection(const String& section, TStrings* strings) const = 0;
  virtual void ReadSections(TStrings* strings) const = 0;
  // "Key=Value" lines of a section, in file order.
  virtual void ReadSectionValues(const String& section, TStrings* strings) const;
  virtual void EraseSection(const String& section) = 0;
  virtual void DeleteKey(const String& section, const String& ident) = 0;
  // Makes everything written so far reach the file.
  virtual void UpdateFile() = 0;

 protected:
  // Raise EIniFileException "Cannot store %s in %s", naming the section's header ("[name]") or the key, for a new
  // section, a name or a value that would not read back as written: an empty section or name, line breaks or NULs
  // anywhere, blanks (what the profile functions trim: blanks, tabs, vertical tabs, form feeds and the character
  // 0x1A) or enclosing quotes around a name, "[" or "]" in a section, "=" in a name or a name starting with ";" or
  // "[", a surrogate without its pair (no text), characters the file cannot hold. A value with blanks or quotes at
  // its ends is stored between quotes.
  void CheckSectionStorable(const String& section) const;
  void CheckStorable(const String& ident, const String& value) const;
  // Whether the file keeps every character of the text; text that leaves a surrogate unpaired is none.
  virtual bool CanHold(const String& text) const;

 private:
  String fileName_;
};

// The file as the system's profile functions see it; a name without a folder lives in the Windows folder.
// A failed write raises EIniFileException "Unable to write to %s". A file DiskFileError refuses is not given to the
// profile functions: reading it gives the defaults and nothing, writing raises "Unable to write to %s. %s" with the
// reason as the system's error gives it ("File name is too long."). The first write to a missing or empty file
// makes it a UTF-16LE file (with its mark), which keeps every character, as a UTF-8 (with its mark) or UTF-16BE
// file does; a file in the ANSI code page stays one and refuses text outside that code page.
class TIniFile : public TCustomIniFile {
  BC_CLASS(TIniFile, TCustomIniFile)
  explicit TIniFile(String fileName) : TCustomIniFile(std::move(fileName)) {}

  String ReadString(const String& section, const String& ident, const String& defaultValue) const override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) const override;
  void ReadSections(TStrings* strings) const override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  void UpdateFile() override;

 protected:
  bool CanHold(const String& text) const override;

 private:
  // The path the profile functions use, and the first two bytes of that file (empty for a missing file).
  String ProfilePath() const;
  std::string FileStart() const;
  // Why the file may not go to the profile functions, as the system's error; 0 when it may.
  DWORD Refusal() const;
  void MakeUnicodeWhenEmpty() const;
  // With the system's error as the reason, unless that is 0.
  [[noreturn]] void WriteError(DWORD reason) const;
};

// The file read once at construction (a missing file is an empty one, and so is one DiskFileError refuses, which
// UpdateFile then refuses to write), whole: UTF-8, UTF-16 or UTF-32 after their marks, UTF-8 without one when the bytes
// are UTF-8 throughout, else the ANSI code page. Lines are read as the profile functions read them: a line ends at CR,
// LF or CR LF; a section line may carry a comment after its "]"; names and values are trimmed of blanks as
// CheckStorable names them and one pair of matching quotes around a value is dropped; a section that appears twice is
// one section. Section and key names compare ordinally without case, as the profile functions compare them.
//
// UpdateFile writes only when the text differs from the file's as it was read or last written, so that an instance
// that changed nothing (or changed something back) never writes back over another's save. It writes every line as it
// was read, with its own line end (comments, blank lines and lines before the first section included), and the file
// ends without a line end when it did; a key written with a new value keeps the file's spelling of its name and the
// spacing around "=" and the value. Keys added follow the last key of their section's first block (the one the
// profile functions read) and new sections come at the end, each with an empty line after it; new lines end as most
// of the file's lines end (CR LF in a new file). A section the file has takes keys whatever its name, except "[]",
// whose keys the profile functions do not find. The file is written in the form it was read in, and every byte it
// read that forms no character back as it was. The file keeps its form while that form reads back what is written:
// an ANSI (or new) file becomes UTF-16LE with its mark once a character does not fit the code page, or its bytes
// would read as UTF-8; a UTF-8 file without a mark takes one once its bytes are not UTF-8 throughout. A value read,
// the bytes kept in it too, can be written back.
class TMemIniFile : public TCustomIniFile {
  BC_CLASS(TMemIniFile, TCustomIniFile)
  explicit TMemIniFile(String fileName);
  ~TMemIniFile() override;

  bool SectionExists(const String& section) const override;
  bool ValueExists(const String& section, const String& ident) const override;
  String ReadString(const String& section, const String& ident, const String& defaultValue) const override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) const override;
  void ReadSections(TStrings* strings) const override;
  void ReadSectionValues(const String& section, TStrings* strings) const override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  // Writes the whole file anew (SaveWholeFile) when its text changed: on a failure the file stays as it was, the
  // error names it, and the changes wait for the next UpdateFile.
  void UpdateFile() override;

  // The whole content as INI lines, and replacing it from such lines.
  void GetStrings(TStrings* strings) const;
  void SetStrings(const TStrings* strings);
  void Clear();

 protected:
  // Every character, and every byte the file held that forms none (read as a code unit of its own).
  bool CanHold(const String& text) const override;

 private:
  struct TLine;
  struct TBlock;
  struct TSection;
  TSection* FindSection(const String& section) const;
  // A new block under that header line, in the section of that name (made when missing).
  TSection& AddSection(const String& section, TLine header);
  // The section a value goes to: the one of that name, else a new one at the end, whose name CheckSectionStorable
  // passed.
  TSection& SectionToWrite(const String& section);
  static std::vector<TLine> SplitLines(const String& text);
  void AddLines(std::vector<TLine> lines);
  // The whole file as text, every line with its end.
  String Text() const;
  // The form the file's bytes are read in, and whether they start with its mark.
  static UINT FormOfFile(std::string_view bytes, bool& marked);
  // Whether the bytes, read again, give back the text (in this file's form).
  bool ReadsBack(std::string_view bytes, const String& text) const;

  // Every block in file order, and every section in the order it first appears.
  std::vector<std::unique_ptr<TBlock>> blocks_;
  std::vector<std::unique_ptr<TSection>> sections_;
  // Every section by its folded name.
  std::unordered_map<String, TSection*> sectionIndex_;
  UINT codePage_ = CP_ACP;  // the form the file was read in and is written in
  bool marked_ = false;     // whether the file starts with the mark of its code page
  // The last byte of a UTF-16 file of an odd length, which forms no character: written back after the text.
  std::string oddByte_;
  String lineEnd_ = L"\r\n";     // how most of the file's lines end, and so every line added
  bool endsWithLineEnd_ = true;  // whether the file's last line has its end
  String savedText_;             // the text as the file was read or last written
};

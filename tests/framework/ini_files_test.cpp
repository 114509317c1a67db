#include "framework/ini_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/exceptions.h"
#include "framework/strings.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "support/hostile_input.h"
#include "temp_files.h"

namespace {

String TempFileName(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return String(folder) + name;
}

// Both kinds of INI file must behave alike for the common operations.
class IniFileKinds : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    fileName_ = TempFileName(GetParam() ? L"bc_mem_test.ini" : L"bc_profile_test.ini");
    DeleteFileW(fileName_.c_str());
  }
  void TearDown() override { DeleteFileW(fileName_.c_str()); }
  std::unique_ptr<TCustomIniFile> Open() const {
    if (GetParam()) return std::make_unique<TMemIniFile>(fileName_);
    return std::make_unique<TIniFile>(fileName_);
  }

  String fileName_;
};

}  // namespace

TEST_P(IniFileKinds, TypedValuesRoundTripThroughTheFile) {
  {
    auto ini = Open();
    ini->WriteString(L"Main", L"Name", L"Orbit");
    ini->WriteInteger(L"Main", L"Count", -12);
    ini->WriteBool(L"Main", L"Shown", true);
    ini->WriteString(L"Other", L"Hex", L"0x1F");
    ini->WriteString(L"Other", L"Bad", L"twelve");
    ini->UpdateFile();
  }
  auto ini = Open();
  EXPECT_EQ(L"Orbit", ini->ReadString(L"Main", L"Name", L"x"));
  EXPECT_EQ(L"Orbit", ini->ReadString(L"MAIN", L"name", L"x"));
  EXPECT_EQ(L"x", ini->ReadString(L"Main", L"Missing", L"x"));
  EXPECT_EQ(-12, ini->ReadInteger(L"Main", L"Count", 0));
  EXPECT_EQ(31, ini->ReadInteger(L"Other", L"Hex", 0));
  EXPECT_EQ(7, ini->ReadInteger(L"Other", L"Bad", 7));
  EXPECT_TRUE(ini->ReadBool(L"Main", L"Shown", false));
  EXPECT_TRUE(ini->ReadBool(L"Main", L"Missing", true));
  EXPECT_FALSE(ini->ReadBool(L"Other", L"Bad", false));
}

TEST_P(IniFileKinds, SectionsKeysAndDeletion) {
  auto ini = Open();
  ini->WriteString(L"B", L"Second", L"2");
  ini->WriteString(L"B", L"First", L"1");
  ini->WriteString(L"A", L"Only", L"x");
  ini->UpdateFile();

  TStringList list;
  ini->ReadSections(&list);
  EXPECT_EQ(L"B\r\nA\r\n", list.Text());
  ini->ReadSection(L"b", &list);
  EXPECT_EQ(L"Second\r\nFirst\r\n", list.Text());
  ini->ReadSectionValues(L"B", &list);
  EXPECT_EQ(L"Second=2\r\nFirst=1\r\n", list.Text());
  EXPECT_TRUE(ini->SectionExists(L"a"));
  EXPECT_FALSE(ini->SectionExists(L"C"));
  EXPECT_TRUE(ini->ValueExists(L"B", L"first"));
  EXPECT_FALSE(ini->ValueExists(L"B", L"Third"));

  ini->DeleteKey(L"B", L"Second");
  ini->DeleteKey(L"B", L"Missing");
  ini->EraseSection(L"A");
  ini->UpdateFile();
  auto reread = Open();
  reread->ReadSections(&list);
  EXPECT_EQ(L"B\r\n", list.Text());
  reread->ReadSection(L"B", &list);
  EXPECT_EQ(L"First\r\n", list.Text());
}

INSTANTIATE_TEST_SUITE_P(ProfileAndMemory, IniFileKinds, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Memory" : "Profile"; });

TEST(MemIniFile, ReadsHandWrittenFilesAndWritesThemBackInOrder) {
  String fileName = TempFileName(L"bc_mem_layout.ini");
  WriteFileBytes(fileName,
                 "stray=before any section\r\n"
                 "; a comment\r\n"
                 "[Messages]\r\n"
                 "  Hello  =  Good day  \r\n"
                 "\r\n"
                 "[Misc]\n"
                 "Flag=1\n"
                 "[messages]\r\n"
                 "Bye=See you");
  {
    TMemIniFile ini(fileName);
    EXPECT_EQ(L"Good day", ini.ReadString(L"Messages", L"Hello", L""));
    EXPECT_EQ(L"See you", ini.ReadString(L"MESSAGES", L"bye", L""));
    EXPECT_EQ(L"", ini.ReadString(L"Messages", L"stray", L""));
    ini.WriteString(L"Misc", L"flag", L"0");
    ini.WriteString(L"New", L"Key", L"v");
    ini.UpdateFile();
  }
  EXPECT_EQ(
      "stray=before any section\r\n; a comment\r\n[Messages]\r\n  Hello  =  Good day  \r\n\r\n"
      "[Misc]\nFlag=0\n[messages]\r\nBye=See you\r\n\r\n"
      "[New]\r\nKey=v\r\n",
      FileBytes(fileName));
  DeleteFileW(fileName.c_str());
}

TEST(MemIniFile, MissingFileIsEmptyAndNothingIsWrittenBeforeUpdateFile) {
  String fileName = TempFileName(L"bc_mem_missing.ini");
  DeleteFileW(fileName.c_str());
  {
    TMemIniFile ini(fileName);
    TStringList sections;
    ini.ReadSections(&sections);
    EXPECT_EQ(0, sections.Count());
    ini.WriteString(L"InternetShortcut", L"URL", L"example.org");
  }
  EXPECT_EQ("<missing>", FileBytes(fileName));
  TMemIniFile ini(fileName);
  ini.WriteString(L"InternetShortcut", L"URL", L"example.org");
  ini.UpdateFile();
  EXPECT_EQ("[InternetShortcut]\r\nURL=example.org\r\n\r\n", FileBytes(fileName));
  DeleteFileW(fileName.c_str());
}

TEST(MemIniFile, SectionsAreFoundWithoutCaseThroughErasingAddingAndClearing) {
  TMemIniFile ini(L"");
  for (int i = 0; i < 300; ++i) ini.WriteString(L"Section" + std::to_wstring(i), L"Key", std::to_wstring(i));
  ini.WriteString(L"\u00c4rger", L"Key", L"umlaut");
  EXPECT_EQ(L"umlaut", ini.ReadString(L"\u00e4RGER", L"key", L""));
  EXPECT_EQ(L"299", ini.ReadString(L"SECTION299", L"Key", L""));

  ini.EraseSection(L"section100");
  EXPECT_FALSE(ini.SectionExists(L"Section100"));
  EXPECT_EQ(L"101", ini.ReadString(L"Section101", L"Key", L""));
  ini.WriteString(L"SECTION100", L"Key", L"again");
  TStringList sections;
  ini.ReadSections(&sections);
  ASSERT_EQ(301, sections.Count());
  EXPECT_EQ(L"Section99", sections.Strings(99));
  EXPECT_EQ(L"SECTION100", sections.Strings(300));
  EXPECT_EQ(L"again", ini.ReadString(L"section100", L"Key", L""));

  ini.Clear();
  ini.ReadSections(&sections);
  EXPECT_EQ(0, sections.Count());
  EXPECT_EQ(L"gone", ini.ReadString(L"Section5", L"Key", L"gone"));
  ini.WriteString(L"Section5", L"Key", L"back");
  EXPECT_EQ(L"back", ini.ReadString(L"section5", L"Key", L""));
}

TEST(IniFile, WriteIntoAFolderThatDoesNotExistRaises) {
  TIniFile ini(L"Q:\\no such folder\\settings.ini");
  try {
    ini.WriteString(L"S", L"K", L"V");
    ADD_FAILURE() << "the write was reported as done";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(L"Unable to write to Q:\\no such folder\\settings.ini", e.Message());
  }
  EXPECT_EQ(L"d", ini.ReadString(L"S", L"K", L"d"));
}

TEST_P(IniFileKinds, AUtf8MarkIsNoPartOfTheFirstSection) {
  WriteFileBytes(fileName_, "\xEF\xBB\xBF[First]\r\nKey=caf\xC3\xA9\r\n[Second]\r\nOther=2\r\n");
  auto ini = Open();
  TStringList sections;
  ini->ReadSections(&sections);
  ASSERT_EQ(sections.Count(), 2);
  EXPECT_EQ(sections.Strings(0), L"First");
  EXPECT_EQ(ini->ReadString(L"First", L"Key", L""), L"caf\u00e9");
}

// What would not read back as written is refused, and the error names what cannot be stored: the key, or the
// header of a section.
TEST_P(IniFileKinds, NamesAndValuesThatWouldNotReadBackAreRefused) {
  struct Case {
    const char* Name;
    String Section, Ident, Value, Named;
  };
  const Case cases[] = {
      {"line break in a value", L"S", L"K", L"v\r\n[Injected]\r\nX=1", L"K"},
      {"line feed in a value", L"S", L"K", L"v\nY=2", L"K"},
      {"NUL in a value", L"S", L"K", String(L"v\0w", 3), L"K"},
      {"equals sign in a name", L"S", L"K=X", L"v", L"K=X"},
      {"comment mark leading a name", L"S", L";K", L"v", L";K"},
      {"bracket leading a name", L"S", L"[K", L"v]", L"[K"},
      {"closing bracket in a section", L"S]x", L"K", L"v", L"[S]x]"},
      {"opening bracket in a section", L"[S", L"K", L"v", L"[[S]"},
      {"line break in a section", L"S]\r\n[T", L"K", L"v", L"[S]\r\n[T]"},
      {"blanks around a section", L" S ", L"K", L"v", L"[ S ]"},
      {"line break in a name", L"S", L"K\r\nZ", L"v", L"K\r\nZ"},
      {"an empty name", L"S", L"", L"v", L""},
      {"an empty section", L"", L"K", L"v", L"[]"},
  };
  auto ini = Open();
  for (const Case& c : cases) {
    try {
      ini->WriteString(c.Section, c.Ident, c.Value);
      ADD_FAILURE() << c.Name << ": stored";
    } catch (const EIniFileException& error) {
      EXPECT_EQ(error.Message(), L"Cannot store " + c.Named + L" in " + fileName_) << c.Name;
    }
  }
  ini->UpdateFile();
  TStringList sections;
  Open()->ReadSections(&sections);
  EXPECT_EQ(sections.Count(), 0);
}

// Control characters are text to the profile functions, but for the few they trim from the ends of names and
// values (tabs, vertical tabs, form feeds, the end mark 0x1A): a value with those at its ends is stored between
// quotes, a name with them is refused, and everything else reads back as written, through both kinds of INI file.
TEST_P(IniFileKinds, ControlCharactersReadBackOrAreRefused) {
  const String values[] = {L"\x1a", L"\x01x",   L"x\x1f", L"\x0b",        L"x\x0c",   L"\x01",
                           L"\x7f", L"\x1b[0m", L"a\x1a", L"\x0c\x0b \t", L"\x02\x03"};
  const String keys[] = {L"key\x01", L"\x01key", L"k\x1fy", L"\x7f", L"\x1b"};
  const String refusedKeys[] = {L"key\x0b", L"\x0ckey", L"key\x1a", L"\tkey"};
  for (const String& value : values) {
    SCOPED_TRACE(testing::PrintToString(WideToUtf8(value)));
    {
      auto ini = Open();
      ini->WriteString(L"S", L"K", value);
      ini->UpdateFile();
    }
    EXPECT_EQ(TMemIniFile(fileName_).ReadString(L"S", L"K", L"<missing>"), value) << "read in memory";
    EXPECT_EQ(TIniFile(fileName_).ReadString(L"S", L"K", L"<missing>"), value) << "read by the profile functions";
  }
  for (const String& key : keys) {
    SCOPED_TRACE(testing::PrintToString(WideToUtf8(key)));
    DeleteFileW(fileName_.c_str());
    {
      auto ini = Open();
      ini->WriteString(L"S", key, L"v");
      ini->UpdateFile();
    }
    for (const auto& ini : {std::unique_ptr<TCustomIniFile>(new TMemIniFile(fileName_)),
                            std::unique_ptr<TCustomIniFile>(new TIniFile(fileName_))}) {
      TStringList listed;
      ini->ReadSection(L"S", &listed);
      EXPECT_EQ(listed.Text(), key + L"\r\n");
      EXPECT_EQ(ini->ReadString(L"S", key, L"<missing>"), L"v");
    }
  }
  auto ini = Open();
  for (const String& key : refusedKeys) {
    try {
      ini->WriteString(L"S", key, L"v");
      ADD_FAILURE() << testing::PrintToString(WideToUtf8(key)) << " stored";
    } catch (const EIniFileException& error) {
      EXPECT_EQ(error.Message(), L"Cannot store " + key + L" in " + fileName_);
    }
  }
}

// Values with blanks or quotes at their ends are stored between quotes, which reading drops as the profile
// functions drop them: each reads back as it was written.
TEST_P(IniFileKinds, ValuesWithBlanksOrQuotesAtTheirEndsReadBack) {
  const String values[] = {L" padded ", L"\"v\"",   L"'v'",  L"\"\"",     L"\"", L"\"a",
                           L"a\"",      L" \"x\" ", L"'a\"", L"\"a\"b\"", L"\t", L"C:\\Program Files\\x"};
  for (const String& value : values) {
    SCOPED_TRACE(WideToUtf8(value));
    {
      auto ini = Open();
      ini->WriteString(L"S", L"K", value);
      ini->UpdateFile();
    }
    EXPECT_EQ(Open()->ReadString(L"S", L"K", L"<missing>"), value);
  }
}

// Files as people write them by hand: every section, key and value reads as the system's profile functions read
// it, and a value read writes back unchanged.
TEST(MemIniFile, HandWrittenFilesReadAsTheProfileFunctionsReadThem) {
  const char* files[] = {
      "[A]\r\na=1\r\n[B] ; the second\r\nb=2\r\n",
      "[A] ; first [x]\r\na=1\r\n  [B]  trailing \r\nb=2\r\n",
      "top=1\r\n; note\r\n[A]\r\n; c=3\r\n# d=4\r\na=1\r\n[D\r\nd=4\r\n[E]]\r\ne=5\r\n",
      "[Q]\r\nq1=\"C:\\Program Files\\x\"\r\nq2='single'\r\nq3=\"\"\r\nq4=\" padded \"\r\nq5=\"a\r\nq6=\"\r\n"
      "q7=\"a\"b\"\r\nq8='a\"\r\nq9= \"in\" \r\nq10 =  ' x '  \r\n",
      "[ S ]\r\n  k  =  v  \r\n\r\n\r\n[T]\r\nnoequals\r\nk=\r\n",
  };
  const String fileName = TempFileName(L"bc_mem_hand.ini");
  for (const char* bytes : files) {
    SCOPED_TRACE(bytes);
    WriteFileBytes(fileName, bytes);
    TIniFile profile(fileName);
    TMemIniFile memory(fileName);
    TStringList sections, memorySections;
    profile.ReadSections(&sections);
    memory.ReadSections(&memorySections);
    EXPECT_EQ(memorySections.Text(), sections.Text());
    for (int s = 0; s < sections.Count(); ++s) {
      const String section = sections.Strings(s);
      TStringList keys, memoryKeys;
      profile.ReadSection(section, &keys);
      memory.ReadSection(section, &memoryKeys);
      EXPECT_EQ(memoryKeys.Text(), keys.Text()) << WideToUtf8(section);
      for (int k = 0; k < keys.Count(); ++k) {
        const String key = keys.Strings(k);
        const String value = profile.ReadString(section, key, L"<missing>");
        EXPECT_EQ(memory.ReadString(section, key, L"<missing>"), value) << WideToUtf8(section + L"/" + key);
        // Names the platform reads but no one could write (brackets in a section's name) are left alone.
        if (section.find_first_of(L"[]") == String::npos) {
          EXPECT_NO_THROW(memory.WriteString(section, key, value)) << WideToUtf8(section + L"/" + key);
        }
      }
    }
    memory.UpdateFile();
    EXPECT_EQ(FileBytes(fileName), std::string(bytes)) << "a value read writes back unchanged";
  }
  DeleteFileW(fileName.c_str());
}

// A save keeps what a person wrote where it stood: comments, blank lines, lines before the first section and
// the spacing of lines it did not change; new keys follow the last key of their section, before the comments and
// blank lines that end it.
TEST(MemIniFile, ASaveKeepsCommentsAndBlankLinesWhereTheyStood) {
  const String fileName = TempFileName(L"bc_mem_comments.ini");
  WriteFileBytes(fileName,
                 "; settings, edited by hand\r\n"
                 "\r\n"
                 "[Window] ; where it opens\r\n"
                 "; the left edge\r\n"
                 "Left = 10\r\n"
                 "Top=20\r\n"
                 "Old=1\r\n"
                 "\r\n"
                 "; what follows is about the pages\r\n"
                 "[Pages]\r\n"
                 "; none yet\r\n"
                 "\r\n"
                 "[Last]\r\n"
                 "x=1");
  {
    TMemIniFile ini(fileName);
    EXPECT_EQ(ini.ReadString(L"Window", L"Left", L""), L"10");
    ini.WriteString(L"Window", L"Top", L"25");
    ini.WriteString(L"Window", L"Width", L"300");
    ini.DeleteKey(L"Window", L"Old");
    ini.WriteString(L"Pages", L"Count", L"2");
    ini.WriteString(L"New", L"Key", L" v ");
    ini.UpdateFile();
  }
  EXPECT_EQ(FileBytes(fileName),
            "; settings, edited by hand\r\n"
            "\r\n"
            "[Window] ; where it opens\r\n"
            "; the left edge\r\n"
            "Left = 10\r\n"
            "Top=25\r\n"
            "Width=300\r\n"
            "\r\n"
            "; what follows is about the pages\r\n"
            "[Pages]\r\n"
            "; none yet\r\n"
            "Count=2\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=1\r\n"
            "\r\n"
            "[New]\r\n"
            "Key=\" v \"\r\n");
  TMemIniFile read(fileName);
  EXPECT_EQ(read.ReadString(L"New", L"Key", L""), L" v ");
  TStringList lines;
  read.GetStrings(&lines);
  TMemIniFile copy(L"");
  copy.SetStrings(&lines);
  TStringList copied;
  copy.GetStrings(&copied);
  EXPECT_EQ(copied.Text(), lines.Text());
  DeleteFileW(fileName.c_str());
}

// Random names and values from the characters that mean something in the file: each write is refused, or it
// reads back exactly, and no section appears that was not written.
TEST_P(IniFileKinds, SeededWritesAreRefusedOrReadBackExactly) {
  const wchar_t special[] = {L' ', L'=', L'[', L']', L';', L'\r', L'\n', L'\t', L'\0', 0xE9, L'"'};
  TMutator random(1999);
  // Mostly letters, so that many writes are storable and the special characters meet them in every position.
  auto text = [&] {
    String result;
    for (size_t length = random.Below(5); length > 0; --length)
      result += random.Below(5) == 0 ? special[random.Below(std::size(special))]
                                     : static_cast<wchar_t>(L'a' + random.Below(3));
    return result;
  };
  TStringList written;
  written.SetCaseSensitive(false);
  int stored = 0;
  for (int i = 0; i < 400; ++i) {
    const String section = text();
    const String ident = text();
    const String value = text();
    auto ini = Open();
    try {
      ini->WriteString(section, ident, value);
      ini->UpdateFile();
    } catch (const EIniFileException&) {
      continue;
    }
    ++stored;
    if (written.IndexOf(section) < 0) written.Add(section);
    EXPECT_EQ(Open()->ReadString(section, ident, L"<missing>"), value) << i;
  }
  EXPECT_GT(stored, 100);
  TStringList sections;
  Open()->ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i) EXPECT_GE(written.IndexOf(sections.Strings(i)), 0) << i;
}

namespace {

// What a file reads as, section by section, checked on the way: a section listed exists when it lists keys, and
// every key listed is found by name and reads the value its section's lines give it.
std::vector<std::pair<String, String>> ReadWhole(const TCustomIniFile& ini) {
  std::vector<std::pair<String, String>> content;
  TStringList sections;
  ini.ReadSections(&sections);
  for (int s = 0; s < sections.Count(); ++s) {
    const String section = sections.Strings(s);
    TStringList keys;
    TStringList values;
    ini.ReadSection(section, &keys);
    ini.ReadSectionValues(section, &values);
    EXPECT_EQ(ini.SectionExists(section), keys.Count() > 0) << "[" << section << "]";
    for (int k = 0; k < keys.Count(); ++k) {
      const String key = keys.Strings(k);
      EXPECT_TRUE(ini.ValueExists(section, key)) << "[" << section << "] " << key;
      EXPECT_EQ(ini.ReadString(section, key, L"<none>"), values.Values(key)) << "[" << section << "] " << key;
    }
    content.emplace_back(section, values.Text());
  }
  return content;
}

}  // namespace

// Files the class wrote, damaged: reading them never raises, whatever the damage, and what is read holds together;
// the damage spares the value it reads in some files and not in others.
TEST_P(IniFileKinds, SeededMutationsOfAWrittenFileAreReadWithoutErrors) {
  {
    auto ini = Open();
    ini->WriteString(L"Main", L"Name", L"Orbit");
    ini->WriteString(L"Main", L"Size", L"12");
    ini->WriteString(L"Other", L"Path", L"C:\\x;y");
    ini->UpdateFile();
  }
  const std::string sample = FileBytes(fileName_);
  TMutator mutator(31337);
  int spared = 0;
  const int files = 400;
  for (int i = 0; i < files && !HasFailure(); ++i) {
    SCOPED_TRACE(i);
    std::string bytes = mutator.Mutate(sample);
    // The file is UTF-16, and the platform's profile functions read an odd last byte with whatever follows it in
    // memory, a character that differs from read to read.
    if (!GetParam() && bytes.size() % 2) bytes.pop_back();
    WriteFileBytes(fileName_, bytes);
    auto ini = Open();
    ReadWhole(*ini);
    spared += ini->ReadString(L"Main", L"Name", L"") == L"Orbit";
  }
  EXPECT_GT(spared, 0);
  EXPECT_LT(spared, files);
}

namespace {

// Text outside every single-byte code page: Cyrillic, a Greek path, Chinese section names and keys.
const wchar_t kNews[] = L"\u041d\u043e\u0432\u043e\u0441\u0442\u0438";
const wchar_t kGreekPath[] = L"C:\\Users\\\u0393\u03b9\u03ac\u03bd\u03bd\u03b7\u03c2\\mail.exe";
const wchar_t kChineseNews[] = L"\u65b0\u95fb";
const wchar_t kChineseSport[] = L"\u4f53\u80b2";

struct TFileForm {
  const char* Name;
  UINT CodePage;  // CP_ACP for an ANSI file
  bool Exists;
};

// A file as another program left it, in one form: a section the test never touches, which must survive.
std::string FileInForm(const TFileForm& form, const String& text) {
  return std::string(TextMark(form.CodePage)) + *EncodeText(text, form.CodePage);
}

// What a file holds after the writes, read through both classes and the profile functions.
void ExpectUnicodeContent(const String& fileName, const String& keptValue) {
  for (bool memory : {true, false}) {
    SCOPED_TRACE(memory ? "read back in memory" : "read back through the profile functions");
    std::unique_ptr<TCustomIniFile> ini;
    if (memory)
      ini = std::make_unique<TMemIniFile>(fileName);
    else
      ini = std::make_unique<TIniFile>(fileName);
    EXPECT_EQ(ini->ReadString(L"Other", L"Kept", L"<lost>"), keptValue);
    EXPECT_EQ(ini->ReadString(L"Feeds", L"Title", L"<lost>"), kNews);
    EXPECT_EQ(ini->ReadString(L"Feeds", kNews, L"<lost>"), kGreekPath);
    EXPECT_EQ(ini->ReadString(kChineseNews, L"Key", L"<lost>"), L"1");
    EXPECT_EQ(ini->ReadString(kChineseSport, L"Key", L"<lost>"), L"2");
    TStringList sections;
    ini->ReadSections(&sections);
    EXPECT_EQ(sections.Count(), 4) << sections.Text();
  }
}

void WriteUnicodeContent(TCustomIniFile& ini) {
  ini.WriteString(L"Feeds", L"Title", kNews);
  ini.WriteString(L"Feeds", kNews, kGreekPath);
  ini.WriteString(kChineseNews, L"Key", L"1");
  ini.WriteString(kChineseSport, L"Key", L"2");
  ini.UpdateFile();
}

}  // namespace

// Every form of file the memory INI may meet keeps every character and another program's sections, and is written
// back in the form it was read in; an ANSI or new file becomes UTF-16LE with its mark.
TEST(MemIniFile, EveryFormOfFileKeepsEveryCharacter) {
  const TFileForm forms[] = {
      {"missing", CP_ACP, false},
      {"ANSI", CP_ACP, true},
      {"UTF-8 with its mark", CP_UTF8, true},
      {"UTF-16LE with its mark", CodePageUtf16LE, true},
      {"UTF-16BE with its mark", CodePageUtf16BE, true},
  };
  const String fileName = TempFileName(L"bc_mem_forms.ini");
  for (const TFileForm& form : forms) {
    SCOPED_TRACE(form.Name);
    DeleteFileW(fileName.c_str());
    // An ANSI file of another program holds ANSI text; the others hold what only Unicode keeps.
    const String kept = form.CodePage == CP_ACP ? L"plain" : kGreekPath;
    if (form.Exists) WriteFileBytes(fileName, FileInForm(form, L"[Other]\r\nKept=" + kept + L"\r\n"));
    {
      TMemIniFile ini(fileName);
      EXPECT_EQ(ini.ReadString(L"Other", L"Kept", L"<missing>"), form.Exists ? kept : L"<missing>");
      WriteUnicodeContent(ini);
    }
    const UINT written = form.CodePage == CP_ACP ? CodePageUtf16LE : form.CodePage;
    EXPECT_EQ(CodePageOfMark(FileBytes(fileName)), written);
    if (form.Exists) ExpectUnicodeContent(fileName, kept);
  }
  DeleteFileW(fileName.c_str());
}

// The profile INI makes a missing file UTF-16LE, keeps a UTF-16LE file so, and refuses in an ANSI file what the
// code page cannot hold, leaving the file as it was.
TEST(IniFile, UnicodeFilesKeepEveryCharacterAndAnsiFilesRefuseWhatTheyCannotHold) {
  const String fileName = TempFileName(L"bc_profile_forms.ini");
  for (const TFileForm& form : {TFileForm{"missing", CP_ACP, false}, TFileForm{"UTF-16LE", CodePageUtf16LE, true},
                                TFileForm{"UTF-16BE", CodePageUtf16BE, true}, TFileForm{"UTF-8", CP_UTF8, true}}) {
    SCOPED_TRACE(form.Name);
    DeleteFileW(fileName.c_str());
    if (form.Exists) WriteFileBytes(fileName, FileInForm(form, String(L"[Other]\r\nKept=") + kGreekPath + L"\r\n"));
    TIniFile ini(fileName);
    WriteUnicodeContent(ini);
    EXPECT_EQ(CodePageOfMark(FileBytes(fileName)), form.Exists ? form.CodePage : CodePageUtf16LE);
    if (form.Exists) ExpectUnicodeContent(fileName, kGreekPath);
  }

  const std::string ansi = "[Other]\r\nKept=plain\r\n";
  WriteFileBytes(fileName, ansi);
  TIniFile ini(fileName);
  EXPECT_THROW(ini.WriteString(L"Feeds", L"Title", kNews), EIniFileException);
  EXPECT_THROW(ini.WriteString(kChineseNews, L"Key", L"1"), EIniFileException);
  EXPECT_THROW(ini.WriteString(L"Feeds", kNews, L"1"), EIniFileException);
  EXPECT_EQ(FileBytes(fileName), ansi);
  DeleteFileW(fileName.c_str());
}

// A name after a drive is the file in that drive's current folder, which the profile functions write: it is made a
// Unicode file, and an ANSI one refuses what it cannot hold, where the file of that name in the Windows folder was
// made instead and the text reached the file as question marks.
TEST(IniFile, ANameAfterADriveIsTheFileInItsCurrentFolder) {
  const String fileName = TempFileName(L"bc_profile_drive.ini");
  const String name = fileName.substr(0, 2) + L"bc_profile_drive.ini";
  const TCurrentFolder current(ExtractFilePath(fileName));
  DeleteFileW(fileName.c_str());
  TIniFile ini(name);
  ini.WriteString(L"Feeds", L"Title", kChineseNews);
  EXPECT_EQ(ini.ReadString(L"Feeds", L"Title", L""), kChineseNews);
  EXPECT_EQ(CodePageOfMark(FileBytes(fileName)), CodePageUtf16LE);
  WriteFileBytes(fileName, "[Other]\r\nKept=plain\r\n");
  EXPECT_THROW(ini.WriteString(L"Feeds", L"Title", kChineseNews), EIniFileException);
  DeleteFileW(fileName.c_str());
}

// A file whose every character fits the ANSI code page stays ANSI, byte for byte, through both classes.
TEST_P(IniFileKinds, AnAnsiFileStaysAnsiByteForByte) {
  // Letters of the code page beyond ASCII where it has them (an e with an acute accent in most).
  const String local = AnsiToWide(WideToAnsi(L"caf\u00e9"));
  const std::string ansi = WideToAnsi(L"[Main]\r\nName=" + local + L"\r\nSize=12\r\n\r\n[Other]\r\nKey=x\r\n\r\n");
  WriteFileBytes(fileName_, ansi);
  {
    auto ini = Open();
    ini->WriteString(L"Main", L"Name", local);
    ini->WriteString(L"Other", L"Key", L"x");
    ini->UpdateFile();
  }
  EXPECT_EQ(FileBytes(fileName_), ansi);
}

// Damaged files of each form: reading them never raises, what is read holds together, and a file written back
// after one more value reads as it did, with that value.
TEST(MemIniFile, SeededMutationsOfEveryFormAreReadWithoutErrors) {
  const String fileName = TempFileName(L"bc_mem_mutations.ini");
  TMutator mutator(4711);
  for (UINT codePage : {UINT(CP_ACP), UINT(CP_UTF8), CodePageUtf16LE, CodePageUtf16BE}) {
    SCOPED_TRACE(codePage);
    const String text = codePage == CP_ACP
                            ? String(L"[Main]\r\nName=Orbit\r\n")
                            : String(L"[Main]\r\nName=") + kGreekPath + L"\r\n[" + kNews + L"]\r\nA=1\r\n";
    const std::string sample = FileInForm(TFileForm{"", codePage, true}, text);
    for (int i = 0; i < 200 && !testing::Test::HasFailure(); ++i) {
      SCOPED_TRACE(i);
      WriteFileBytes(fileName, mutator.Mutate(sample));
      auto content = ReadWhole(TMemIniFile(fileName));
      {
        TMemIniFile ini(fileName);
        ini.WriteString(L"Added", L"Key", L"1");
        ini.UpdateFile();
      }
      content.emplace_back(L"Added", L"Key=1\r\n");
      EXPECT_EQ(ReadWhole(TMemIniFile(fileName)), content);
    }
  }
  DeleteFileW(fileName.c_str());
}

namespace {

std::string Utf32(std::u32string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? std::string("\0\0\xFE\xFF", 4) : std::string("\xFF\xFE\0\0", 4);
  for (char32_t c : text)
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(c >> 8 * (bigEndian ? 3 - i : i));
  return bytes;
}

std::string Utf16LE(const String& text) { return std::string(TextMark(CodePageUtf16LE)) + *EncodeText(text, 1200); }

}  // namespace

// Files in every form, with what the class never wrote in them: each is read whole and written back with one more
// section in the form it came in, every other byte as it was.
TEST(MemIniFile, WhatItDidNotWriteStaysAsItWas) {
  using namespace std::string_literals;
  struct TCase {
    const char* Name;
    std::string Before;
    std::vector<std::pair<String, String>> Values;  // key of section "A" and its value
    std::string Added;                              // the bytes that "[Added]\r\nKey=1\r\n\r\n" becomes
    std::string Trailer;                            // bytes that stay after the text
  };
  const String nul(L"a\0b", 3);
  const String world = L"\u03ba\u03cc\u03c3\u03bc\u03bf\u03c2 \u4e16\u754c \U0001F600 \u05e2\u05d5\u05dc\u05dd";
  const std::string added = "[Added]\r\nKey=1\r\n\r\n";
  const TCase cases[] = {
      {"a NUL inside an ANSI value", "[A]\r\nK=a\0b\r\n\r\n[B]\r\nX=1\r\n\r\n"s, {{L"K", nul}}, added, ""},
      {"a NUL inside a UTF-16 value",
       Utf16LE(L"[A]\r\nK=" + nul + L"\r\n\r\n[B]\r\nX=1\r\n\r\n"),
       {{L"K", nul}},
       *EncodeText(L"[Added]\r\nKey=1\r\n\r\n", 1200),
       ""},
      {"UTF-8 without a mark", WideToUtf8(L"[A]\r\nK=" + world + L"\r\n\r\n"), {{L"K", world}}, added, ""},
      {"UTF-32LE",
       Utf32(U"[A]\r\nK=\u03b1\U0001F600\r\n\r\n", false),
       {{L"K", L"\u03b1\U0001F600"}},
       Utf32(U"[Added]\r\nKey=1\r\n\r\n", false).substr(4),
       ""},
      {"UTF-32BE",
       Utf32(U"[A]\r\nK=\u03b1\U0001F600\r\n\r\n", true),
       {{L"K", L"\u03b1\U0001F600"}},
       Utf32(U"[Added]\r\nKey=1\r\n\r\n", true).substr(4),
       ""},
      {"a stray byte in UTF-8", "\xEF\xBB\xBF[A]\r\nK=caf\xE9\r\nL=\xCE\xB1\r\n\r\n", {{L"L", L"\u03b1"}}, added, ""},
      {"a stray byte in UTF-8 without a mark", "[A]\r\nK=\xCE\xB1\r\nL=caf\xE9\r\n\r\n", {}, added, ""},
      {"an odd last byte of UTF-16",
       Utf16LE(L"[A]\r\nK=\u03b1\r\n\r\n"),
       {{L"K", L"\u03b1"}},
       *EncodeText(L"[Added]\r\nKey=1\r\n\r\n", 1200),
       "\x41"},
  };
  const String fileName = TempFileName(L"bc_mem_kept.ini");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFileBytes(fileName, c.Before + c.Trailer);
    {
      TMemIniFile ini(fileName);
      for (const auto& [key, value] : c.Values) EXPECT_EQ(ini.ReadString(L"A", key, L"<missing>"), value);
      ini.WriteString(L"Added", L"Key", L"1");
      ini.UpdateFile();
    }
    EXPECT_EQ(FileBytes(fileName), c.Before + c.Added + c.Trailer);
  }
  // What no file can hold is refused: a surrogate without its pair is no text, unless it is a byte that was kept.
  TMemIniFile ini(fileName);
  EXPECT_THROW(ini.WriteString(L"A", L"K", String(1, wchar_t(0xD800))), EIniFileException);
  EXPECT_THROW(ini.WriteString(L"A", String(1, wchar_t(0xDE00)), L"v"), EIniFileException);
  DeleteFileW(fileName.c_str());
}

// A value written reads back equal, in whatever form the file takes for it (an ANSI file whose bytes would read as
// UTF-8 becomes UTF-16 with its mark); a value read, the bytes kept in it too, can be written back, and the file
// does not change.
TEST(MemIniFile, WhatIsWrittenReadsBackAndWhatIsReadWritesBack) {
  const String fileName = TempFileName(L"bc_mem_back.ini");
  for (const String& value : {String(L"\u00d7\u00bd"), String(L"\u00c3\u00a9t\u00c3\u00a9"), String(L"na\u00efve"),
                              String(L"plain"), String(L"\u20acuro \u03b1")}) {
    SCOPED_TRACE(WideToUtf8(value));
    DeleteFileW(fileName.c_str());
    {
      TMemIniFile ini(fileName);
      ini.WriteString(L"A", L"K", value);
      ini.UpdateFile();
    }
    EXPECT_EQ(TMemIniFile(fileName).ReadString(L"A", L"K", L"<missing>"), value);
  }
  for (const std::string& bytes :
       {std::string("\xEF\xBB\xBF[A]\r\nK=caf\xE9\r\n\r\n"), std::string("[A]\r\nK=\xCE\xB1\r\n\r\n"),
        std::string("[A]\r\nK=\x81\x8D\r\n\r\n")}) {
    SCOPED_TRACE(bytes);
    WriteFileBytes(fileName, bytes);
    {
      TMemIniFile ini(fileName);
      EXPECT_NO_THROW(ini.WriteString(L"A", L"K", ini.ReadString(L"A", L"K", L"")));
      ini.UpdateFile();
    }
    EXPECT_EQ(FileBytes(fileName), bytes);
  }
  DeleteFileW(fileName.c_str());
}

// Names the profile functions keep apart stay apart: they compare ordinally, without case only.
TEST(MemIniFile, NamesCompareOrdinallyWithoutCase) {
  const std::pair<String, String> apart[] = {
      {L"Stra\u00dfe", L"Strasse"},              // sharp s
      {L"Ab\u00adc", L"Abc"},                    // soft hyphen
      {L"\u0644\u0640\u0627", L"\u0644\u0627"},  // Arabic tatweel
      {L"\u00e1", L"a\u0301"},                   // composed and decomposed
  };
  TMemIniFile ini(L"");
  for (const auto& [first, second] : apart) {
    for (bool asSection : {true, false}) {
      SCOPED_TRACE(asSection ? "sections" : "keys");
      const auto write = [&](const String& name, const String& value) {
        asSection ? ini.WriteString(name, L"Key", value) : ini.WriteString(L"Keys", name, value);
      };
      const auto read = [&](const String& name) {
        return asSection ? ini.ReadString(name, L"Key", L"") : ini.ReadString(L"Keys", name, L"");
      };
      write(first, L"1");
      write(second, L"2");
      EXPECT_EQ(read(first), L"1");
      EXPECT_EQ(read(second), L"2");
      EXPECT_EQ(read(AnsiUpperCase(second)), L"2");
    }
  }
}

// Two instances of an application keep one settings file each in a store of their own. One saves every change
// at once; the other, which changed nothing, saves too (at its end, on a timer): it writes nothing, so that no
// change of the first is lost. A store that saved its own change and changed nothing since leaves later saves
// alone too, and a save that failed keeps the change for the next.
TEST(MemIniFile, AStoreThatChangedNothingWritesNothingOverAnotherInstancesSave) {
  const String fileName = TempFileName(L"bc_mem_instances.ini");
  constexpr int kKeys = 300;
  std::string text = "[Window]\r\nLeft=10\r\n";
  for (int key = 0; key < kKeys; ++key) text += "Key" + std::to_string(key) + "=0\r\n";
  WriteFileBytes(fileName, text);
  TMemIniFile idle(fileName);
  for (int key = 0; key < kKeys; ++key) {
    TMemIniFile writer(fileName);
    writer.WriteString(L"Window", L"Key" + IntToStr(key), L"640");
    writer.UpdateFile();
    idle.UpdateFile();
  }
  TMemIniFile read(fileName);
  int kept = 0;
  for (int key = 0; key < kKeys; ++key) kept += read.ReadString(L"Window", L"Key" + IntToStr(key), L"") == L"640";
  EXPECT_EQ(kept, kKeys);

  // What a store changed back is no change either.
  const std::vector<std::function<void(TMemIniFile&)>> changedBack = {
      [](TMemIniFile& ini) {
        ini.WriteString(L"Window", L"Key0", L"1");
        ini.WriteString(L"Window", L"Key0", L"640");
      },
      [](TMemIniFile& ini) {
        ini.WriteString(L"Window", L"Added", L"1");
        ini.DeleteKey(L"Window", L"Added");
      },
  };
  for (const auto& change : changedBack) {
    TMemIniFile changer(fileName);
    change(changer);
    TMemIniFile writer(fileName);
    writer.WriteString(L"Window", L"Left", L"641");
    writer.UpdateFile();
    changer.UpdateFile();
    EXPECT_EQ(TMemIniFile(fileName).ReadString(L"Window", L"Left", L""), L"641");
  }

  idle.WriteString(L"Window", L"Top", L"5");
  idle.UpdateFile();
  {
    TMemIniFile writer(fileName);
    writer.WriteString(L"Window", L"Left", L"640");
    writer.UpdateFile();
  }
  idle.UpdateFile();
  EXPECT_EQ(TMemIniFile(fileName).ReadString(L"Window", L"Left", L""), L"640");
  EXPECT_EQ(TMemIniFile(fileName).ReadString(L"Window", L"Top", L""), L"5");

  idle.WriteString(L"Window", L"Width", L"7");
  const std::string before = FileBytes(fileName);
  SetFileAttributesW(fileName.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_THROW(idle.UpdateFile(), EFCreateError);
  SetFileAttributesW(fileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(FileBytes(fileName), before);
  idle.UpdateFile();
  EXPECT_EQ(TMemIniFile(fileName).ReadString(L"Window", L"Width", L""), L"7");
  DeleteFileW(fileName.c_str());
}

// Saves of files as people leave them, byte for byte: each line keeps its end and the file its missing last end,
// new lines end as most of the file's lines end; a changed line keeps the file's spelling of its key and the blanks
// around "=" and the value; keys added to a section written twice go to its first copy, where the profile
// functions read them; sections of odd names the file has take keys where they are. The profile functions read
// every value written.
TEST(MemIniFile, ASaveKeepsLineEndsSpacingAndTheFilesSpellingOfKeys) {
  struct TWrite {
    String Section, Ident, Value;
    bool ProfileFinds = true;  // whether the profile functions see it (not in a later copy of its section)
  };
  struct TCase {
    const char* Name;
    std::string Before;
    std::vector<TWrite> Writes;
    std::string After;
  };
  const TCase cases[] = {
      {"line feeds",
       "[A]\nk=1\n",
       {{L"A", L"k", L"2"}, {L"A", L"new", L"3"}, {L"B", L"x", L"y"}},
       "[A]\nk=2\nnew=3\n\n[B]\nx=y\n\n"},
      {"carriage returns",
       "[A]\rk=1\r",
       {{L"A", L"k", L"2"}, {L"A", L"new", L"3"}, {L"B", L"x", L"y"}},
       "[A]\rk=2\rnew=3\r\r[B]\rx=y\r\r"},
      {"no last line end", "[A]\r\nk=1", {{L"A", L"new", L"3"}}, "[A]\r\nk=1\r\nnew=3"},
      {"no last line end, a changed value", "[A]\nk=1", {{L"A", L"K", L"2"}}, "[A]\nk=2"},
      {"no last line end, a new section", "[A]\nk=1", {{L"B", L"x", L"y"}}, "[A]\nk=1\n\n[B]\nx=y\n"},
      {"mixed ends", "[A]\nk=1\r\nj=2\r", {{L"A", L"new", L"3"}}, "[A]\nk=1\r\nj=2\rnew=3\n"},
      {"mostly one end", ";x\n[A]\r\nk=1\r\n", {{L"A", L"new", L"3"}}, ";x\n[A]\r\nk=1\r\nnew=3\r\n"},
      {"spacing and the key's case",
       "[A]\r\nplain_2  =  old value  \r\n",
       {{L"A", L"PLAIN_2", L"new value"}},
       "[A]\r\nplain_2  =  new value  \r\n"},
      {"tabs and quotes", "[A]\n\tKey\t=\t'old'\t\n", {{L"A", L"key", L" padded "}}, "[A]\n\tKey\t=\t\" padded \"\t\n"},
      {"a section written twice",
       "[A]\r\na=1\r\n[B]\r\nb=1\r\n[a]\r\nc=1\r\n",
       {{L"A", L"new", L"2"}, {L"A", L"c", L"5", false}},
       "[A]\r\na=1\r\nnew=2\r\n[B]\r\nb=1\r\n[a]\r\nc=5\r\n"},
      {"a first copy of comments only",
       "[A]\r\n; note\r\n\r\n[A]\r\nx=1\r\n",
       {{L"A", L"new", L"2"}},
       "[A]\r\n; note\r\nnew=2\r\n\r\n[A]\r\nx=1\r\n"},
      {"odd section names",
       "[a]b]\r\nab=1\r\n[[x]]\r\nxx=1\r\n[\"q\"]\r\nq=1\r\n[ S ] ; spaced\r\ns=1\r\n",
       {{L"a]b", L"n", L"1"}, {L"[x]", L"n", L"2"}, {L"\"q\"", L"n", L"3"}, {L"S", L"n", L"4"}},
       "[a]b]\r\nab=1\r\nn=1\r\n[[x]]\r\nxx=1\r\nn=2\r\n[\"q\"]\r\nq=1\r\nn=3\r\n[ S ] ; spaced\r\ns=1\r\nn=4\r\n"},
      {"an empty file", "", {{L"A", L"k", L"v"}}, "[A]\r\nk=v\r\n\r\n"},
  };
  const String fileName = TempFileName(L"bc_mem_line_ends.ini");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFileBytes(fileName, c.Before);
    {
      TMemIniFile ini(fileName);
      for (const TWrite& write : c.Writes) ini.WriteString(write.Section, write.Ident, write.Value);
      ini.UpdateFile();
    }
    EXPECT_EQ(FileBytes(fileName), c.After);
    for (const TWrite& write : c.Writes) {
      if (!write.ProfileFinds) continue;
      EXPECT_EQ(TIniFile(fileName).ReadString(write.Section, write.Ident, L"<missing>"), write.Value)
          << WideToUtf8(write.Section + L"/" + write.Ident);
    }
  }
  // The section the profile functions keep the lines before the first section in, where "[]" puts keys they never
  // find, is named when it cannot be written.
  WriteFileBytes(fileName, "x=0\r\n[]\r\nk=1\r\n");
  TMemIniFile ini(fileName);
  EXPECT_EQ(ini.ReadString(L"", L"k", L""), L"1");
  try {
    ini.WriteString(L"", L"added", L"1");
    ADD_FAILURE() << "stored";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), L"Cannot store [] in " + fileName);
  }
  DeleteFileW(fileName.c_str());
}

namespace {

// One line of a settings file as a person writes it; a key's line is kept in its parts, so that its value can be
// changed the way a person would change it.
struct TPersonsLine {
  String Text;     // a line that names no key
  String Section;  // the section of a key, as the profile functions read it
  String Key;      // the key, as they read it; empty for a line that names none
  bool FirstCopy;  // whether the key is in the first copy of its section, where they find it
  String Before;   // what comes before the value: the key as spelt, the blanks and "="
  String Value;    // as stored
  String After;    // the blanks after the value
  String Line() const { return Key.empty() ? Text : Before + Value + After; }
};

// The spacing a person leaves: before a key, around "=", after a value.
struct TSpacing {
  const wchar_t *Lead, *BeforeEquals, *AfterEquals, *Trail;
};

// A file of one of the shapes people leave, with the spacing given.
std::vector<TPersonsLine> PersonsFile(int shape, const TSpacing& spacing) {
  std::vector<TPersonsLine> lines;
  auto text = [&](const String& line) { lines.push_back({line, L"", L"", false, L"", L"", L""}); };
  String section;
  bool firstCopy = true;
  auto header = [&](const String& line, const String& name, bool first) {
    text(line);
    section = name;
    firstCopy = first;
  };
  // A key as read, spelt in the file as written, with its stored value; the spacing is the file's unless given.
  auto key = [&](const String& read, const String& spelt, const String& value, const wchar_t* afterEquals = nullptr,
                 const wchar_t* trail = nullptr) {
    lines.push_back(
        {L"", section, read, firstCopy,
         spacing.Lead + spelt + spacing.BeforeEquals + L"=" + (afterEquals ? afterEquals : spacing.AfterEquals), value,
         trail ? trail : spacing.Trail});
  };
  switch (shape) {
    case 0:  // comments, blank lines, a comment after a header
      text(L"; settings, edited by hand");
      header(L"[Main]", L"Main", true);
      key(L"Left", L"Left", L"10");
      key(L"Caption", L"Caption", L"My Browser");
      text(L"; a comment");
      key(L"top", L"top", L"20");
      text(L"");
      header(L"[Other] ; the rest", L"Other", true);
      key(L"Path", L"Path", L"\"C:\\Program Files\\x\"");
      key(L"Empty", L"Empty", L"");
      break;
    case 1:  // a section written twice, in another case the second time
      header(L"[Main]", L"Main", true);
      key(L"a", L"a", L"1");
      key(L"B", L"B", L"2");
      header(L"[Other]", L"Other", true);
      key(L"c", L"c", L"3");
      header(L"[MAIN]", L"Main", false);
      key(L"b", L"b", L"20");
      key(L"d", L"d", L"4");
      break;
    case 2: {  // odd section names, and a line before the first section
      text(L"stray=1");
      const struct {
        const wchar_t *Header, *Name, *Key;
        bool Found;  // whether the profile functions find the section's keys
      } odd[] = {{L"[a]b]", L"a]b", L"ab", true},    {L"[[x]]", L"[x]", L"xx", true},
                 {L"[\"q\"]", L"\"q\"", L"q", true}, {L"[ Spaced ]", L"Spaced", L"sp", true},
                 {L"[]", L"", L"e", false},          {L"[   ]", L"", L"f", false}};
      for (const auto& section : odd) {
        header(section.Header, section.Name, section.Found);
        key(section.Key, section.Key, IntToStr(&section - odd + 1));
      }
      break;
    }
    case 3:  // control characters, text to the profile functions unless they trim them
      header(L"[Control]", L"Control", true);
      key(L"k1", L"k1", L"\x01x");
      key(L"k2", L"k2", L"x\x1f");
      key(L"key\x01", L"key\x01", L"v");
      key(L"K", L"\x1aK", L"w");
      key(L"k3", L"k3", L"v", L"\x0b", L"\x0b");
      key(L"k4", L"k4", L"\x7f");
      break;
    default:  // quotes
      header(L"[Quotes]", L"Quotes", true);
      key(L"q1", L"q1", L"'single'");
      key(L"q2", L"q2", L"\"double\"");
      key(L"q3", L"q3", L"\" padded \"");
      key(L"q4", L"q4", L"a\"b");
      key(L"q5", L"q5", L"\"");
      break;
  }
  return lines;
}

constexpr int kPersonsShapes = 5;
const TSpacing kSpacings[] = {{L"", L"", L"", L""},
                              {L"", L" ", L" ", L""},
                              {L"", L"  ", L"  ", L"  "},
                              {L"\t", L"\t", L"\t", L"\t"},
                              {L" ", L"", L"", L" "}};
// Line ends: CR LF, LF, CR, and CR LF and LF in turn.
const char* const kLineEnds[] = {"\r\n", "\n", "\r", nullptr};

std::string LineEnd(int ends, size_t line) { return kLineEnds[ends] ? kLineEnds[ends] : line % 2 ? "\n" : "\r\n"; }

std::string Rendered(const std::vector<TPersonsLine>& lines, int ends, bool lastEnd) {
  std::string bytes;
  for (size_t i = 0; i < lines.size(); ++i) {
    bytes += WideToAnsi(lines[i].Line());
    if (i + 1 < lines.size() || lastEnd) bytes += LineEnd(ends, i);
  }
  return bytes;
}

// The lines of bytes with their ends, as the profile functions split them.
std::vector<std::pair<std::string, std::string>> LinesWithEnds(const std::string& bytes) {
  std::vector<std::pair<std::string, std::string>> lines;
  for (size_t at = 0; at < bytes.size();) {
    const size_t end = std::min(bytes.find_first_of("\r\n", at), bytes.size());
    size_t next = end;
    if (next < bytes.size() && bytes[next] == '\r') ++next;
    if (next < bytes.size() && bytes[next] == '\n' && (next == end || bytes[end] == '\r')) ++next;
    lines.emplace_back(bytes.substr(at, end - at), bytes.substr(end, next - end));
    at = next;
  }
  return lines;
}

// Every value the profile functions read, by section and key; each section once, as they list it first.
std::vector<std::pair<std::pair<String, String>, String>> ProfileContent(const String& fileName) {
  TIniFile profile(fileName);
  std::vector<std::pair<std::pair<String, String>, String>> content;
  TStringList sections;
  profile.ReadSections(&sections);
  TStringList seen;
  seen.SetCaseSensitive(false);
  for (int s = 0; s < sections.Count(); ++s) {
    const String section = sections.Strings(s);
    if (seen.IndexOf(section) >= 0) continue;
    seen.Add(section);
    TStringList keys;
    profile.ReadSection(section, &keys);
    for (int k = 0; k < keys.Count(); ++k)
      content.push_back({{section, keys.Strings(k)}, profile.ReadString(section, keys.Strings(k), L"<none>")});
  }
  return content;
}

}  // namespace

// Settings files in the shapes people leave them (line ends of each kind, with and without the last one, spacing
// around "=", keys in another case, sections written twice, odd section names, control characters, quotes), read
// side by side with the profile functions: the store reads every value they read; unchanged, it writes nothing; a
// changed value changes only that value's bytes; keys added land where the profile functions find them, every line
// before keeps its bytes and its end, and each new line ends as the file's first line does.
TEST(MemIniFile, FilesAsPeopleEditThemReadAndSaveAsTheProfileFunctionsSeeThem) {
  const String fileName = TempFileName(L"bc_mem_persons.ini");
  int files = 0;
  for (int shape = 0; shape < kPersonsShapes; ++shape)
    for (const TSpacing& spacing : kSpacings)
      for (int ends = 0; ends < static_cast<int>(std::size(kLineEnds)); ++ends)
        for (bool lastEnd : {true, false}) {
          SCOPED_TRACE(testing::Message() << "shape " << shape << ", spacing " << (&spacing - kSpacings) << ", ends "
                                          << ends << (lastEnd ? "" : ", no last end"));
          ++files;
          std::vector<TPersonsLine> lines = PersonsFile(shape, spacing);
          const std::string original = Rendered(lines, ends, lastEnd);
          WriteFileBytes(fileName, original);
          const auto content = ProfileContent(fileName);
          ASSERT_FALSE(content.empty());
          {
            TMemIniFile memory(fileName);
            for (const auto& [name, value] : content)
              EXPECT_EQ(memory.ReadString(name.first, AnsiUpperCase(name.second), L"<none>"), value)
                  << testing::PrintToString(WideToUtf8(name.first + L"/" + name.second));
            memory.UpdateFile();
          }
          ASSERT_EQ(FileBytes(fileName), original) << "an unchanged store wrote";

          // The first key the profile functions list in each section takes a new value, spelt in lower case.
          {
            TMemIniFile memory(fileName);
            TStringList changed;
            changed.SetCaseSensitive(false);
            for (TPersonsLine& line : lines) {
              if (line.Key.empty() || !line.FirstCopy || changed.IndexOf(line.Section) >= 0) continue;
              changed.Add(line.Section);
              line.Value = L"changed " + IntToStr(changed.Count());
              memory.WriteString(line.Section, AnsiLowerCase(line.Key), line.Value);
            }
            memory.UpdateFile();
          }
          EXPECT_EQ(FileBytes(fileName), Rendered(lines, ends, lastEnd));

          // Every section they list takes a key more.
          WriteFileBytes(fileName, original);
          TStringList added;
          added.SetCaseSensitive(false);
          {
            TMemIniFile memory(fileName);
            for (const auto& [name, value] : content) {
              if (added.IndexOf(name.first) >= 0) continue;
              added.Add(name.first);
              memory.WriteString(name.first, L"added_" + IntToStr(added.Count()), L"a");
            }
            memory.UpdateFile();
          }
          const auto after = ProfileContent(fileName);
          for (const auto& entry : content)
            EXPECT_NE(std::find(after.begin(), after.end(), entry), after.end())
                << testing::PrintToString(WideToUtf8(entry.first.first + L"/" + entry.first.second));
          EXPECT_EQ(std::count_if(after.begin(), after.end(),
                                  [](const auto& entry) { return entry.first.second.rfind(L"added_", 0) == 0; }),
                    added.Count())
              << "every key added is found by the profile functions";
          auto kept = LinesWithEnds(FileBytes(fileName));
          const std::string fileEnd = LineEnd(ends, 0);
          for (size_t i = 0; i < kept.size(); ++i) {
            if (kept[i].first.rfind("added_", 0) != 0) continue;
            const bool last = i + 1 == kept.size();
            EXPECT_EQ(kept[i].second, last && !lastEnd ? "" : fileEnd) << kept[i].first;
            // The line it follows, the file's last without an end, takes the file's end.
            if (last && !lastEnd) {
              EXPECT_EQ(kept[i - 1].second, fileEnd);
              kept[i - 1].second.clear();
            }
            kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i--));
          }
          EXPECT_EQ(kept, LinesWithEnds(original));
        }
  EXPECT_EQ(files, 200);
  DeleteFileW(fileName.c_str());
}

namespace {

// What a store reads: every value by its folded section and key.
std::map<std::pair<String, String>, String> StoreContent(const TCustomIniFile& ini) {
  std::map<std::pair<String, String>, String> content;
  TStringList sections;
  ini.ReadSections(&sections);
  for (int s = 0; s < sections.Count(); ++s) {
    TStringList keys;
    ini.ReadSection(sections.Strings(s), &keys);
    for (int k = 0; k < keys.Count(); ++k)
      content.try_emplace({AnsiUpperCase(sections.Strings(s)), AnsiUpperCase(keys.Strings(k))},
                          ini.ReadString(sections.Strings(s), keys.Strings(k), L"<none>"));
  }
  return content;
}

}  // namespace

// Files as people leave them, damaged: the store reads them without errors; unchanged, it leaves them byte for
// byte; a value changed and a key added are all that a save changes in what it reads, and a write it refuses
// raises only its own error.
TEST(MemIniFile, MutationsOfHandEditedFilesChangeOnlyWhatIsWritten) {
  std::vector<std::string> samples;
  for (int shape = 0; shape < kPersonsShapes; ++shape)
    for (int ends = 0; ends < static_cast<int>(std::size(kLineEnds)); ++ends)
      samples.push_back(Rendered(PersonsFile(shape, kSpacings[(shape + ends) % std::size(kSpacings)]), ends, ends % 2));
  const String fileName = TempFileName(L"bc_mem_persons_damaged.ini");
  TMutator mutator(7601);
  int refused = 0;
  for (int i = 0; i < 400 && !testing::Test::HasFailure(); ++i) {
    SCOPED_TRACE(i);
    const std::string damaged = mutator.Mutate(samples[mutator.Below(samples.size())]);
    WriteFileBytes(fileName, damaged);
    auto expected = StoreContent(TMemIniFile(fileName));
    {
      TMemIniFile ini(fileName);
      ini.UpdateFile();
      ASSERT_EQ(FileBytes(fileName), damaged) << "an unchanged store wrote";
      TStringList sections, keys;
      ini.ReadSections(&sections);
      if (sections.Count() > 0) ini.ReadSection(sections.Strings(0), &keys);
      if (keys.Count() > 0) {
        try {
          ini.WriteString(sections.Strings(0), keys.Strings(0), L"changed");
          expected[{AnsiUpperCase(sections.Strings(0)), AnsiUpperCase(keys.Strings(0))}] = L"changed";
        } catch (const EIniFileException&) {
          ++refused;
        }
      }
      ini.WriteString(L"Added", L"Key", L"1");
      expected[{L"ADDED", L"KEY"}] = L"1";
      ini.UpdateFile();
    }
    EXPECT_EQ(StoreContent(TMemIniFile(fileName)), expected);
  }
  EXPECT_GT(refused, 0);
  DeleteFileW(fileName.c_str());
}

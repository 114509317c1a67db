#include "shell/text_routines.h"

#include <gtest/gtest.h>

using namespace shell;

namespace {

TEST(CharTables, CaseAndClassOfTheCodePage) {
  const struct {
    char Char;
    char Lower;
    char Upper;
    char Reverse;
    bool IsLower;
    bool IsUpper;
  } cases[] = {
      {'a', 'a', 'A', 'A', true, false},  {'Z', 'z', 'Z', 'z', false, true},      {'5', '5', '5', '5', false, false},
      {' ', ' ', ' ', ' ', false, false}, {'\0', '\0', '\0', '\0', false, false}, {'[', '[', '[', '[', false, false},
  };
  for (const auto& test : cases) {
    const auto index = static_cast<uint8_t>(test.Char);
    EXPECT_EQ(LowerCaseMap[index], static_cast<uint8_t>(test.Lower)) << test.Char;
    EXPECT_EQ(UpperCaseMap[index], static_cast<uint8_t>(test.Upper)) << test.Char;
    EXPECT_EQ(ReverseCaseMap[index], static_cast<uint8_t>(test.Reverse)) << test.Char;
    EXPECT_EQ(CharIsLower(test.Char), test.IsLower) << test.Char;
    EXPECT_EQ(CharIsUpper(test.Char), test.IsUpper) << test.Char;
  }
  EXPECT_TRUE(CharTypes['7'] & C1_DIGIT);
  EXPECT_TRUE(CharTypes[' '] & C1_SPACE);
  // Every letter of the code page, not only ASCII, swaps case both ways.
  int letters = 0;
  for (int c = 0; c < 256; ++c) {
    if (!(CharTypes[c] & C1_UPPER) || LowerCaseMap[c] == c) continue;
    ++letters;
    EXPECT_EQ(ReverseCaseMap[ReverseCaseMap[c]], c) << c;
  }
  EXPECT_GE(letters, 26);
}

TEST(TextRoutines, SuffixesZerosAndNil) {
  const struct {
    const wchar_t* Suffix;
    const wchar_t* Text;
    const wchar_t* Expected;
  } suffixes[] = {{L"\r\n", L"a", L"a\r\n"}, {L"\r\n", L"a\r\n", L"a\r\n"},
                  {L"\r\n", L"", L"\r\n"},   {L"\r\n", L"\n", L"\n\r\n"},
                  {L"", L"a", L"a"},         {L"abc", L"bc", L"bcabc"}};
  for (const auto& test : suffixes) EXPECT_EQ(StrEnsureSuffix(test.Suffix, test.Text), test.Expected);

  String wide(L"ab\0cd", 5);
  StrResetLength(wide);
  EXPECT_EQ(wide, L"ab");
  std::string bytes("\0x", 2);
  StrResetLength(bytes);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(StrLen(L"abc"), 3u);
  EXPECT_EQ(StrLen(nullptr), 0u);

  std::string empty, full = "x";
  EXPECT_EQ(PCharOrNil(empty), nullptr);
  EXPECT_EQ(PCharOrNil(full), full.data());
}

}  // namespace

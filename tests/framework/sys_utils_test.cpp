#include "framework/sys_utils.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "framework/exceptions.h"
#include "temp_files.h"

TEST(TextHelpers, IntegerConversions) {
  EXPECT_EQ(IntToStr(-42), L"-42");
  EXPECT_EQ(IntToStr(9000000000LL), L"9000000000");
  EXPECT_EQ(StrToInt(L"  17"), 17);
  EXPECT_EQ(StrToInt(L"-2147483648"), INT_MIN);
  EXPECT_EQ(StrToInt(L"+5"), 5);
  EXPECT_EQ(StrToInt(L"$1F"), 31);
  EXPECT_EQ(StrToInt(L"0x10"), 16);
  EXPECT_EQ(StrToInt(L"$FFFFFFFF"), -1);
  EXPECT_EQ(StrToIntDef(L"2147483648", 7), 7);
  EXPECT_EQ(StrToIntDef(L"12 ", 7), 7);
  EXPECT_EQ(StrToIntDef(L"", 7), 7);
  EXPECT_EQ(StrToIntDef(L"-", 7), 7);
  EXPECT_EQ(StrToIntDef(L"$", 7), 7);
  try {
    StrToInt(L"12a");
    FAIL();
  } catch (const EConvertError& error) {
    EXPECT_EQ(error.Message(), L"'12a' is not a valid integer value");
  }
}

TEST(TextHelpers, TrimCaseAndCompare) {
  EXPECT_EQ(Trim(L"\t\r\n a b \x01"), L"a b");
  EXPECT_EQ(Trim(L"   "), L"");
  EXPECT_EQ(TrimLeft(L"  x "), L"x ");
  EXPECT_EQ(TrimRight(L"  x "), L"  x");
  EXPECT_EQ(UpperCase(L"abc\u00e9"), L"ABC\u00e9");
  EXPECT_EQ(AnsiUpperCase(L"abc\u00e9"), L"ABC\u00c9");
  EXPECT_EQ(LowerCase(L"ABC\u00c9"), L"abc\u00c9");
  EXPECT_EQ(AnsiLowerCase(L"ABC\u00c9"), L"abc\u00e9");
  EXPECT_TRUE(SameText(L"Feed", L"fEED"));
  EXPECT_FALSE(SameText(L"Feed", L"Feeds"));
  EXPECT_LT(CompareText(L"apple", L"BANANA"), 0);
  EXPECT_GT(CompareText(L"b", L"A"), 0);
  EXPECT_EQ(AnsiCompareText(L"\u00e9t\u00e9", L"\u00c9T\u00c9"), 0);
  EXPECT_NE(AnsiCompareStr(L"a", L"A"), 0);
  EXPECT_EQ(Pos(L"lo", L"hello lo"), 4u);
  EXPECT_EQ(Pos(L"x", L"hello"), 0u);
  EXPECT_EQ(Pos(L"", L"hello"), 0u);
  EXPECT_EQ(QuotedStr(L"it's"), L"'it''s'");
}

TEST(TextHelpers, StringReplace) {
  using F = TReplaceFlag;
  EXPECT_EQ(StringReplace(L"a-b-c", L"-", L"+", {}), L"a+b-c");
  EXPECT_EQ(StringReplace(L"a-b-c", L"-", L"+", {F::rfReplaceAll}), L"a+b+c");
  EXPECT_EQ(StringReplace(L"Ab ab AB", L"ab", L"x", {F::rfReplaceAll, F::rfIgnoreCase}), L"x x x");
  EXPECT_EQ(StringReplace(L"Ab ab AB", L"ab", L"x", {F::rfReplaceAll}), L"Ab x AB");
  // Replacements are not searched again.
  EXPECT_EQ(StringReplace(L"aaa", L"a", L"aa", {F::rfReplaceAll}), L"aaaaaa");
  EXPECT_EQ(StringReplace(L"abc", L"", L"x", {F::rfReplaceAll}), L"abc");
  // Long inputs stay linear: a quadratic replace would take minutes here.
  String big(2000000, L'a');
  EXPECT_EQ(StringReplace(big, L"a", L"bc", {F::rfReplaceAll}).size(), 4000000u);
}

// A cut never leaves half of a surrogate pair; lone halves in the text stay as they are.
TEST(TextHelpers, CutTextKeepsCharactersWhole) {
  const String emoji = L"\U0001F600";
  const struct {
    String Text;
    size_t Limit;
    String Cut;
  } cases[] = {
      {L"abc", 5, L"abc"},
      {L"abc", 2, L"ab"},
      {L"abc", 0, L""},
      {L"a" + emoji + L"b", 2, L"a"},
      {L"a" + emoji + L"b", 3, L"a" + emoji},
      {emoji, 1, L""},
      {L"a\xD83D"
       L"b",
       2, L"a\xD83D"},
      {L"a\xDE00"
       L"b",
       2, L"a\xDE00"},
  };
  for (const auto& c : cases) EXPECT_EQ(CutText(c.Text, c.Limit), c.Cut) << c.Limit;
}

TEST(FileNameHelpers, PartsOfPaths) {
  EXPECT_EQ(ExtractFilePath(L"C:\\dir\\file.txt"), L"C:\\dir\\");
  EXPECT_EQ(ExtractFileName(L"C:\\dir\\file.txt"), L"file.txt");
  EXPECT_EQ(ExtractFileName(L"C:file.txt"), L"file.txt");
  EXPECT_EQ(ExtractFilePath(L"file.txt"), L"");
  EXPECT_EQ(ExtractFileExt(L"C:\\dir.x\\file.tar.gz"), L".gz");
  EXPECT_EQ(ExtractFileExt(L"C:\\dir.x\\file"), L"");
  EXPECT_EQ(ChangeFileExt(L"C:\\dir.x\\file", L".fed"), L"C:\\dir.x\\file.fed");
  EXPECT_EQ(ChangeFileExt(L"page.tmp", L".fed"), L"page.fed");
  EXPECT_EQ(ChangeFileExt(L"page.tmp", L""), L"page");
  EXPECT_EQ(IncludeTrailingPathDelimiter(L"C:\\a"), L"C:\\a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter(L"C:\\a\\"), L"C:\\a\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(L"C:\\a\\"), L"C:\\a");

  TTempFile file(L"sys_utils_exists.txt");
  EXPECT_FALSE(FileExists(file.Path()));
  HANDLE handle = CreateFileW(file.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  CloseHandle(handle);
  EXPECT_TRUE(FileExists(file.Path()));
  EXPECT_FALSE(DirectoryExists(file.Path()));
  String folder = ExtractFilePath(file.Path());
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_FALSE(FileExists(folder));
}

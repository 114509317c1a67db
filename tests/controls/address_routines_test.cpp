#include "controls/address_routines.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "framework/exceptions.h"

using namespace controls;

TEST(FastSearch, ExampleTable) {
  EXPECT_EQ(FastPos(L"ab", L"xxab"), 3);
  EXPECT_EQ(FastPos(L"b", L"abc"), 2);
  EXPECT_EQ(FastPos(L"", L"abc"), 0);
  EXPECT_EQ(FastPos(L"abcd", L"abc"), 0);
  EXPECT_EQ(FastPos(L"aba", L"abbaba"), 4);
  EXPECT_EQ(FastPos(L"abc", L"abc"), 1);
  EXPECT_EQ(FastPos(L"x", L""), 0);

  EXPECT_EQ(LastPos(L"abcabc", L"abc", 0), 4);
  EXPECT_EQ(LastPos(L"abcabc", L"abc", 3), 1);
  EXPECT_EQ(LastPos(L"abcabc", L"abc", 5), 4);
  EXPECT_EQ(LastPos(L"abcabc", L"c", 5), 3);
  EXPECT_EQ(LastPos(L"abcabc", L"", 0), 0);
  EXPECT_EQ(LastPos(L"ab", L"abc", 0), 0);
  EXPECT_EQ(LastPos(L"abcabc", L"x", 0), 0);
  // Starts from stored files or callers: past the end falls back to the last possible position, below 1 finds
  // nothing.
  EXPECT_EQ(LastPos(L"abcabc", L"abc", INT_MAX), 4);
  EXPECT_EQ(LastPos(L"abcabc", L"c", INT_MAX - 1), 6);
  EXPECT_EQ(LastPos(L"abcabc", L"abc", -1), 0);
  EXPECT_EQ(LastPos(L"abcabc", L"abc", INT_MIN), 0);
}

TEST(FastSearch, CharactersBeyondOneByteShareSkipBuckets) {
  // U+0161 and 'a' (0x61) share a bucket; the search must neither skip a match nor stop.
  EXPECT_EQ(FastPos(L"\x0161", L"aaa\x0161"), 4);
  EXPECT_EQ(FastPos(L"a\x0161",
                    L"\x0161\x0161"
                    L"aa\x0161"),
            4);
  EXPECT_EQ(FastPos(L"\x0161"
                    L"b",
                    L"ab\x0161"
                    L"b"),
            3);
  EXPECT_EQ(FastPos(L"\x0161", L"aaaa"), 0);
}

TEST(FastSearch, SkipTable) {
  TSkipTable table;
  try {
    BuildSkipTable(L"x", 0, table);
    ADD_FAILURE() << "a length of 0 was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), L"BufferLen is 0");
  }
  BuildSkipTable(L"abca", 4, table);
  EXPECT_EQ(table['a'], 3);  // the last character's own occurrence does not count
  EXPECT_EQ(table['b'], 2);
  EXPECT_EQ(table['c'], 1);
  EXPECT_EQ(table['z'], 4);
  BuildSkipTable(L"q", 1, table);
  EXPECT_EQ(table['q'], 0) << "a one-character pattern's own entry";
  EXPECT_EQ(table['a'], 1);
}

TEST(FastSearch, AgreesWithStandardLibraryOnRandomTexts) {
  std::mt19937 random(20261207);
  // A small alphabet makes matches and near matches frequent; the wide letters collide with 'a' and 'b'.
  const wchar_t alphabet[] = {L'a', L'b', L'c', L'\x0161', L'\x0262'};
  auto randomText = [&](int maxLength) {
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<int> letter(0, 4);
    String text(static_cast<size_t>(length(random)), L' ');
    for (wchar_t& ch : text) ch = alphabet[letter(random)];
    return text;
  };
  for (int round = 0; round < 20000; ++round) {
    const String text = randomText(40);
    const String pattern = randomText(6);
    const size_t found = pattern.empty() ? String::npos : text.find(pattern);
    ASSERT_EQ(FastPos(pattern, text), found == String::npos ? 0 : static_cast<int>(found) + 1)
        << "pattern size " << pattern.size() << " round " << round;

    const int n = static_cast<int>(pattern.size());
    const int length = static_cast<int>(text.size());
    std::uniform_int_distribution<int> start(0, length + 2);
    const int startPos = start(random);
    int expected = 0;
    if (n >= 1 && length >= n) {
      const int from = (startPos == 0 || startPos + n > length) ? length - n + 1 : startPos;
      const size_t last = text.rfind(pattern, static_cast<size_t>(from - 1));
      expected = last == String::npos ? 0 : static_cast<int>(last) + 1;
    }
    ASSERT_EQ(LastPos(text, pattern, startPos), expected) << "start " << startPos << " round " << round;

    std::uniform_int_distribution<int> index(-1, length + 2);
    std::uniform_int_distribution<int> count(-1, length + 2);
    const int i = index(random);
    const int c = count(random);
    const String piece = (i >= 1 && i <= length && c >= 1) ? text.substr(static_cast<size_t>(i - 1), c) : String();
    ASSERT_EQ(FastCopy(text, i, c), piece);
  }
}

TEST(FastCopy, ExampleTable) {
  EXPECT_EQ(FastCopy(L"abcdef", 4, 10), L"def");
  EXPECT_EQ(FastCopy(L"abcdef", 2, 3), L"bcd");
  EXPECT_EQ(FastCopy(L"abc", 0, 2), L"");
  EXPECT_EQ(FastCopy(L"abc", 5, 1), L"");
  EXPECT_EQ(FastCopy(L"abc", 1, 0), L"");
  EXPECT_EQ(FastCopy(L"", 1, 1), L"");
  EXPECT_EQ(FastCopy(L"abc", 2, 0x7FFFFFFF), L"bc");
}

TEST(AddressRoutines, HostPart) {
  EXPECT_EQ(UrlHostPart(L"http://Ab.Cd/e/f"), L"Ab.Cd");
  EXPECT_EQ(UrlHostPart(L"http://localhost/x"), L"");
  EXPECT_EQ(UrlHostPart(L"ab.cd"), L"ab.cd");
  EXPECT_EQ(UrlHostPart(L"/a.b"), L"/a.b");
  EXPECT_EQ(UrlHostPart(L"ftp://user@host.org:21/p?q=1"), L"user@host.org:21");
  EXPECT_EQ(UrlHostPart(L"http://.x/"), L"");
  EXPECT_EQ(UrlHostPart(L""), L"");
}

TEST(AddressRoutines, SafeFileName) {
  EXPECT_EQ(SafeFileName(L"a b:c"), L"a-b-c");
  EXPECT_EQ(SafeFileName(L"\\/:*?\"<>| "), L"----------");
  EXPECT_EQ(SafeFileName(L"plain.name-1"), L"plain.name-1");
}

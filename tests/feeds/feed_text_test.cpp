#include "feeds/feed_text.h"

#include <gtest/gtest.h>

using namespace feeds;

TEST(FeedText, EncodeUTF8) {
  EXPECT_EQ(EncodeUTF8(L""), "");
  EXPECT_EQ(EncodeUTF8(L"A"), "A");
  EXPECT_EQ(EncodeUTF8(L"\u007F"), "\x7F");
  EXPECT_EQ(EncodeUTF8(L"\u00E9\u20AC"), "\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(EncodeUTF8(L"\u0080\u07FF\u0800\uFFFF"), "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
  // A surrogate pair is one character of four bytes; a lone half keeps its own three bytes.
  EXPECT_EQ(EncodeUTF8(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(EncodeUTF8(L"a\xD83D"), "a\xED\xA0\xBD");
  EXPECT_EQ(EncodeUTF8(L"\xDE00z"), "\xED\xB8\x80z");
  // Long texts: the first character beyond ASCII at the end of a block, in a later block, and none at all.
  EXPECT_EQ(EncodeUTF8(String(31, L'a') + L"\u00E9" + String(40, L'b')),
            std::string(31, 'a') + "\xC3\xA9" + std::string(40, 'b'));
  EXPECT_EQ(EncodeUTF8(String(70, L'a') + L"\xD83D\xDE00!"), std::string(70, 'a') + "\xF0\x9F\x98\x80!");
  EXPECT_EQ(EncodeUTF8(String(64, L'x')), std::string(64, 'x'));
}

TEST(FeedText, ReplaceAllIgnoreCase) {
  EXPECT_EQ(ReplaceAllIgnoreCase(std::string("a &lt;&LT;b&Lt; c"), "&lt;", "<"), "a <<b< c");
  // Inserted text is never searched again.
  EXPECT_EQ(ReplaceAllIgnoreCase(std::string("aaaa"), "aa", "a"), "aa");
  EXPECT_EQ(ReplaceAllIgnoreCase(std::string("abc"), "b", "bb"), "abbc");
  EXPECT_EQ(ReplaceAllIgnoreCase(std::string("abc"), "", "x"), "abc");
  EXPECT_EQ(ReplaceAllIgnoreCase(std::string(""), "a", "x"), "");
  // Text that is not replaced keeps its case; only A-Z fold.
  EXPECT_EQ(ReplaceAllIgnoreCase(std::string("Keep <A HREF=x> Case"), "<a href=", "<a target=\"_blank\" href="),
            "Keep <a target=\"_blank\" href=x> Case");
  EXPECT_EQ(ReplaceAllIgnoreCase(std::string("\xC3\x89t\xC3\xA9"), "\xC3\xA9", "e"), "\xC3\x89te");
  EXPECT_EQ(ReplaceAllIgnoreCase(String(L"<![CDATA[x]]><![cdata[y]]>"), L"<![cdata[", L""), L"x]]>y]]>");
}

TEST(FeedText, FindEither) {
  const std::string text = std::string(13, 'x') + "&" + std::string(10, '\xFF') + "<\x80\x7F\r";
  struct {
    char A, B;
    size_t From, Found;
  } const cases[] = {
      {'&', '<', 0, 13},
      {'<', '&', 0, 13},
      {'<', '<', 0, 24},
      {'&', '<', 14, 24},
      {'\r', '\n', 0, 27},
      {'\n', '\n', 0, std::string::npos},
      {'\x80', 'q', 3, 25},
      {'\x7F', 'q', 0, 26},
      {'x', 'x', 12, 12},
      {'x', 'x', 13, std::string::npos},
      {'&', '&', 28, std::string::npos},
      {'&', '&', 99, std::string::npos},
  };
  for (const auto& c : cases) EXPECT_EQ(FindEither(text, c.A, c.B, c.From), c.Found) << c.A << c.B << c.From;
  EXPECT_EQ(FindEither("", '&', '<'), std::string::npos);
  EXPECT_EQ(FindByte("ab<", '<'), 2u);
}

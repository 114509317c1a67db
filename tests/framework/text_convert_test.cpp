#include "framework/text_convert.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(TextConversion, Utf8RoundTripsEveryPlane) {
  const String text = L"A\u00e9\u20ac\U0001F600";
  const std::string bytes = WideToUtf8(text);
  EXPECT_EQ(bytes, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToWide(bytes), text);
  EXPECT_EQ(WideToUtf8(L""), "");
  EXPECT_EQ(Utf8ToWide(""), L"");
  // Embedded NULs are characters like any other.
  EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), String(L"a\0b", 3));
}

TEST(TextConversion, CodePagesAndUnmappableCharacters) {
  EXPECT_EQ(WideToAnsi(L"\u041f\u0440\u0438", 1251), "\xCF\xF0\xE8");
  EXPECT_EQ(AnsiToWide("\xCF\xF0\xE8", 1251), L"\u041f\u0440\u0438");
  EXPECT_EQ(AnsiToWide("\xE9", 1252), L"\u00e9");
  // A character the code page lacks becomes its default character, never a silent drop.
  EXPECT_EQ(WideToAnsi(L"a\u4e2db", 1252), "a?b");
  EXPECT_EQ(AnsiToWide(WideToAnsi(L"plain ascii")), L"plain ascii");
}

// Text longer than a piece converts in pieces cut between characters, to exactly what one conversion of the whole
// gives, at every length and piece size: surrogate pairs, UTF-8 sequences and double-byte characters fall across
// every piece edge. Pieces of 0 or of more than the platform takes are held to the sizes that work.
TEST(TextConversion, TextLongerThanAPieceConvertsWhole) {
  const String pattern = L"ab\u0436\u4e2d\U0001F600c\u00e9\u3042\r\n";
  String text;
  for (int i = 0; i < 5; ++i) text += pattern;
  const UINT codePages[] = {CP_UTF8, 1252, 1251, 932, 936, 949, 950};
  const size_t pieces[] = {0, 1, 4, 5, 6, 7, 11, SIZE_MAX};
  for (UINT codePage : codePages) {
    for (size_t length = 0; length <= text.size(); ++length) {
      const std::wstring_view part(text.data(), length);
      const std::string bytes = WideToAnsi(part, codePage);
      const String back = AnsiToWide(bytes, codePage);
      for (size_t piece : pieces) {
        EXPECT_EQ(WideToAnsi(part, codePage, piece), bytes) << codePage << " " << length << " " << piece;
        EXPECT_EQ(AnsiToWide(bytes, codePage, piece), back) << codePage << " " << length << " " << piece;
      }
    }
  }
}

// A stateful code page is cut only after a line break, where it is back in its first state: text without one in
// a piece fails whole instead of converting in part.
TEST(TextConversion, StatefulCodePageIsCutAtLineBreaksOnly) {
  constexpr UINT Utf7 = 65000;
  const String lines = L"\u0436\u0436\u0436\u0436\r\n\u4e2d\u4e2d\u4e2d\r\nplain\r\n";
  const std::string bytes = WideToAnsi(lines, Utf7);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(AnsiToWide(WideToAnsi(lines, Utf7, 5), Utf7), lines);
  EXPECT_EQ(AnsiToWide(bytes, Utf7, 16), lines);
  EXPECT_EQ(AnsiToWide(bytes, Utf7, 8), L"") << "a line longer than a piece";
}

// Bytes that are not UTF-8 convert in pieces to what the whole gives: the platform may take the bytes after a
// sequence that a piece's end cuts short into its replacement character, so no piece ends where one starts short.
TEST(TextConversion, InvalidUtf8InPiecesConvertsAsTheWhole) {
  const std::string bytes("a\xE9\nbc\xF0\x9F\nd\xC3\ne\xE2\x82\nfgh\x80\x80\x80\x80i\xED\xA0\x80j\0k\xF4\x90\x80\x80",
                          33);
  const String whole = AnsiToWide(bytes, CP_UTF8);
  for (size_t piece = 4; piece <= bytes.size(); ++piece) EXPECT_EQ(AnsiToWide(bytes, CP_UTF8, piece), whole) << piece;
}

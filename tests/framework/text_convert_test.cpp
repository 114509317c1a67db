#include "framework/text_convert.h"

#include <gtest/gtest.h>

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

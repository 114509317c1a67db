#include "framework/text_convert.h"

#include <gtest/gtest.h>

#include <string>

#include "support/hostile_input.h"

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

// Any bytes read as UTF-8 or UTF-32 keeping every byte are written back as they were, whatever forms no character;
// what does form characters reads as those characters.
TEST(TextConversion, TextKeepingBytesGivesEveryByteBack) {
  TMutator random(2024);
  const std::string sample = "[Main]\r\nName=caf\xC3\xA9 \xF0\x9F\x98\x80\r\n";
  for (UINT codePage : {UINT(CP_UTF8), CodePageUtf32LE, CodePageUtf32BE}) {
    for (int i = 0; i < 300; ++i) {
      std::string bytes = random.Mutate(sample);
      if (i % 3 == 0)
        for (size_t n = random.Below(12); n > 0; --n) bytes += static_cast<char>(random.Below(256));
      ASSERT_EQ(EncodeKeepingBytes(DecodeKeepingBytes(bytes, codePage), codePage), bytes) << codePage << " " << i;
    }
  }
  EXPECT_EQ(DecodeKeepingBytes(sample, CP_UTF8), L"[Main]\r\nName=caf\u00e9 \U0001F600\r\n");
  EXPECT_EQ(DecodeKeepingBytes(std::string("\0\0\0a\0\x01\xF6\0", 8), CodePageUtf32BE), L"a\U0001F600");
  EXPECT_TRUE(IsUtf8(sample));
  EXPECT_FALSE(IsUtf8("caf\xE9"));
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));  // an encoded surrogate
  EXPECT_FALSE(IsUtf8("\xC0\xAF"));      // an overlong slash
}

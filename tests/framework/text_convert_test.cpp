#include "framework/text_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

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

namespace {

String PlatformToWide(std::string_view bytes, UINT codePage) {
  const int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  String text(static_cast<size_t>(std::max(size, 0)), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
  return text;
}

std::string PlatformFromWide(std::wstring_view text, UINT codePage) {
  const int size =
      WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace

// Text longer than a piece converts in pieces to exactly what one platform call over the whole gives, in every code
// page, at every length and piece size: characters, UTF-7 base64 runs, sequences that are not UTF-8 and runs of lead
// bytes fall across every piece edge, and a run longer than a piece (no cut in it) converts too. Pieces of 0 or of
// more than the platform takes are held to the sizes that work.
TEST(TextConversion, PiecesConvertAsOneWholePlatformCall) {
  constexpr UINT Utf7 = 65000;
  const UINT codePages[] = {437,   850,   866,   874,   932,   936,   949,   950,   1250,  1251,   1252,
                            1253,  1254,  1255,  1256,  1257,  1258,  1361,  10000, 10001, 10002,  10003,
                            10008, 20127, 20866, 20932, 20949, 28591, 28595, 28605, Utf7,  CP_UTF8};
  const String runs = String(30, L'\u0436') + L"x" + String(9, L'\u4e2d') + L"+-" + String(11, L'\u00e9') + L".";
  const String texts[] = {
      L"ab\u0436\u4e2d\U0001F600c\u00e9\u3042\r\nab\u0436\u4e2d\U0001F600c\u00e9\u3042\r\n\u0436 1+1=2-\u0436-a",
      runs,
      String(L"\u0436\xD800"
             L"a\u0436\xDC00\u0436"),
  };
  std::mt19937 random(57);
  std::vector<std::string> byteTexts = {
      std::string(20, '\xE0') + "a" + std::string(20, '\xF0') +
          "\xE0\xE0"
          "a\xE0",
      std::string(41, '\x81') + "b\x81",
      std::string("a\xE9\nbc\xF0\x9F\nd\xC3\ne\xE2\x82\nfgh\x80\x80\x80\x80i\xED\xA0\x80j\0k\xF4\x90\x80\x80", 33),
      "+BDYENgQ2BDYENgQ2BDYENgQ2BDYENgQ2BDYENgQ2-a+-+BDY.+" + std::string(30, 'A') + "\x80+",
  };
  for (int i = 0; i < 3; ++i) {
    std::string bytes(48, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() % 256);
    byteTexts.push_back(bytes);
  }
  const size_t pieces[] = {0, 4, 5, 6, 7, 11, 16, SIZE_MAX};
  for (UINT codePage : codePages) {
    ASSERT_TRUE(IsValidCodePage(codePage)) << codePage;
    std::vector<std::string> allBytes = byteTexts;
    for (const String& text : texts) {
      const std::string bytes = PlatformFromWide(text, codePage);
      allBytes.push_back(bytes);
      for (size_t length = 1; length <= text.size(); ++length) {
        const std::wstring_view part(text.data(), length);
        const std::string whole = PlatformFromWide(part, codePage);
        for (size_t piece : pieces)
          ASSERT_EQ(WideToAnsi(part, codePage, piece), whole) << codePage << " " << length << " " << piece;
      }
    }
    for (const std::string& bytes : allBytes) {
      for (size_t length = 1; length <= bytes.size(); ++length) {
        const std::string_view part(bytes.data(), length);
        const String whole = PlatformToWide(part, codePage);
        for (size_t piece : pieces)
          ASSERT_EQ(AnsiToWide(part, codePage, piece), whole) << codePage << " " << length << " " << piece;
      }
    }
  }

  // At the real piece size: a UTF-7 base64 run and UTF-8 lead bytes longer than a piece, with no cut anywhere.
  const String longRun(TextConversionPiece + 3, L'\u0436');
  const std::string utf7 = PlatformFromWide(longRun, Utf7);
  EXPECT_TRUE(WideToAnsi(longRun, Utf7) == utf7);
  EXPECT_TRUE(AnsiToWide(utf7, Utf7) == longRun);
  const std::string leadBytes = std::string(TextConversionPiece + 3, '\xE0') + "abc";
  const String replaced = AnsiToWide(leadBytes, CP_UTF8);
  EXPECT_EQ(replaced.size(), PlatformToWide(leadBytes, CP_UTF8).size());
  EXPECT_TRUE(replaced == PlatformToWide(leadBytes, CP_UTF8));
}

// Any bytes read as UTF-8 or UTF-32 keeping every byte are written back as they were, whatever forms no character;
// what does form characters reads as those characters.
TEST(TextConversion, TextKeepingBytesGivesEveryByteBack) {
  TMutator random(2024);
  const std::string sample = "[Main]\r\nName=caf\xC3\xA9 \xF0\x9F\x98\x80\r\n";
  // The code pages of one byte a character, and of two (where a lead byte may stand alone or before a byte no
  // character trails with), as an ANSI settings file of such a system holds them.
  for (UINT codePage : {UINT(CP_UTF8), CodePageUtf32LE, CodePageUtf32BE, 1252u, 1251u, 932u, 936u, 949u, 950u}) {
    for (int i = 0; i < 300; ++i) {
      std::string bytes = random.Mutate(sample);
      if (i % 3 == 0)
        for (size_t n = random.Below(12); n > 0; --n) bytes += static_cast<char>(random.Below(256));
      ASSERT_EQ(EncodeKeepingBytes(DecodeKeepingBytes(bytes, codePage), codePage), bytes) << codePage << " " << i;
    }
  }
  EXPECT_EQ(DecodeKeepingBytes(sample, CP_UTF8), L"[Main]\r\nName=caf\u00e9 \U0001F600\r\n");
  // A lead byte before a byte that is no trail, or at the end, is kept alone; the byte after it is read as itself.
  EXPECT_EQ(DecodeKeepingBytes("\x82\xA0\x82\x0Dx\x82", 932),
            String(L"\u3042") + wchar_t(0xDC82) + L"\rx" + wchar_t(0xDC82));
  EXPECT_EQ(DecodeKeepingBytes(std::string("\0\0\0a\0\x01\xF6\0", 8), CodePageUtf32BE), L"a\U0001F600");
  EXPECT_TRUE(IsUtf8(sample));
  EXPECT_FALSE(IsUtf8("caf\xE9"));
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));  // an encoded surrogate
  EXPECT_FALSE(IsUtf8("\xC0\xAF"));      // an overlong slash
}

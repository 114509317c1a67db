#include "framework/text_convert.h"

namespace {

std::string FromWide(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                 nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

String ToWide(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  String out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// UTF-16 bytes in either order as characters, and back.
String FromUtf16(std::string_view bytes, bool bigEndian) {
  String text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  return text;
}

std::string ToUtf16(std::wstring_view text, bool bigEndian) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const auto high = static_cast<char>(text[i] >> 8);
    const auto low = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i] = bigEndian ? high : low;
    bytes[2 * i + 1] = bigEndian ? low : high;
  }
  return bytes;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) { return FromWide(text, CP_UTF8); }
String Utf8ToWide(std::string_view text) { return ToWide(text, CP_UTF8); }
AnsiString WideToAnsi(std::wstring_view text, UINT codePage) { return FromWide(text, codePage); }
String AnsiToWide(std::string_view text, UINT codePage) { return ToWide(text, codePage); }

std::optional<String> DecodeText(std::string_view bytes, UINT codePage) {
  if (codePage == CodePageUtf16LE || codePage == CodePageUtf16BE) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    return FromUtf16(bytes, codePage == CodePageUtf16BE);
  }
  String text = ToWide(bytes, codePage);
  if (text.empty() && !bytes.empty()) return std::nullopt;
  return text;
}

std::optional<std::string> EncodeText(std::wstring_view text, UINT codePage) {
  if (codePage == CodePageUtf16LE || codePage == CodePageUtf16BE) return ToUtf16(text, codePage == CodePageUtf16BE);
  std::string bytes = FromWide(text, codePage);
  if (bytes.empty() && !text.empty()) return std::nullopt;
  return bytes;
}

bool FitsCodePage(std::wstring_view text, UINT codePage) {
  // Characters outside the code page become its default or a look-alike; either way they do not come back.
  return AnsiToWide(WideToAnsi(text, codePage), codePage) == text;
}

std::string_view TextMark(UINT codePage) {
  switch (codePage) {
    case CP_UTF8:
      return "\xEF\xBB\xBF";
    case CodePageUtf16LE:
      return "\xFF\xFE";
    case CodePageUtf16BE:
      return "\xFE\xFF";
    default:
      return {};
  }
}

UINT CodePageOfMark(std::string_view bytes) {
  for (UINT codePage : {UINT(CP_UTF8), CodePageUtf16LE, CodePageUtf16BE})
    if (bytes.substr(0, TextMark(codePage).size()) == TextMark(codePage)) return codePage;
  return CP_ACP;
}

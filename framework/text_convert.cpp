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

constexpr wchar_t kKeptByteBase = 0xDC00;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendCodePoint(String& text, char32_t point) {
  if (point < 0x10000) {
    text += static_cast<wchar_t>(point);
    return;
  }
  point -= 0x10000;
  text += static_cast<wchar_t>(0xD800 + (point >> 10));
  text += static_cast<wchar_t>(0xDC00 + (point & 0x3FF));
}

void KeepBytes(String& text, std::string_view bytes) {
  for (char byte : bytes) text += static_cast<wchar_t>(kKeptByteBase + static_cast<unsigned char>(byte));
}

bool IsCharacter(char32_t point) { return point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF); }

// The length of the UTF-8 sequence of one character at bytes[at], with its code point; 0 when none starts there.
size_t Utf8Sequence(std::string_view bytes, size_t at, char32_t& point) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  size_t length = 1;
  char32_t smallest = 0;
  if (lead < 0x80) {
    point = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, point = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, point = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, point = lead & 0x07, smallest = 0x10000;
  } else {
    return 0;
  }
  if (bytes.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    point = point << 6 | (next & 0x3F);
  }
  return point >= smallest && IsCharacter(point) ? length : 0;
}

String Utf8KeepingBytes(std::string_view bytes) {
  String text;
  text.reserve(bytes.size());
  for (size_t at = 0; at < bytes.size();) {
    char32_t point = 0;
    const size_t length = Utf8Sequence(bytes, at, point);
    if (length == 0) {
      KeepBytes(text, bytes.substr(at, 1));
      ++at;
    } else {
      AppendCodePoint(text, point);
      at += length;
    }
  }
  return text;
}

String Utf32KeepingBytes(std::string_view bytes, bool bigEndian) {
  String text;
  text.reserve(bytes.size() / 4);
  size_t at = 0;
  for (; bytes.size() - at >= 4; at += 4) {
    char32_t point = 0;
    for (int i = 0; i < 4; ++i) {
      const auto byte = static_cast<unsigned char>(bytes[at + (bigEndian ? i : 3 - i)]);
      point = point << 8 | byte;
    }
    if (IsCharacter(point))
      AppendCodePoint(text, point);
    else
      KeepBytes(text, bytes.substr(at, 4));
  }
  KeepBytes(text, bytes.substr(at));
  return text;
}

// The code points of text, kept bytes as themselves (negative: ~byte), for the encoders below.
template <class Emit>
void ForEachCodePoint(std::wstring_view text, Emit&& emit) {
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      emit(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00), false);
      ++i;
    } else if (c >= kKeptByteBase && c <= kKeptByteBase + 0xFF) {
      emit(static_cast<char32_t>(c - kKeptByteBase), true);
    } else {
      emit(IsHighSurrogate(c) || IsLowSurrogate(c) ? char32_t(0xFFFD) : char32_t(c), false);
    }
  }
}

std::string Utf8Bytes(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  ForEachCodePoint(text, [&](char32_t point, bool keptByte) {
    if (keptByte || point < 0x80) {
      bytes += static_cast<char>(point);
    } else if (point < 0x800) {
      bytes += static_cast<char>(0xC0 | point >> 6);
      bytes += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
      bytes += static_cast<char>(0xE0 | point >> 12);
      bytes += static_cast<char>(0x80 | (point >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (point & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | point >> 18);
      bytes += static_cast<char>(0x80 | (point >> 12 & 0x3F));
      bytes += static_cast<char>(0x80 | (point >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (point & 0x3F));
    }
  });
  return bytes;
}

std::string Utf32Bytes(std::wstring_view text, bool bigEndian) {
  std::string bytes;
  bytes.reserve(text.size() * 4);
  ForEachCodePoint(text, [&](char32_t point, bool keptByte) {
    if (keptByte) {
      bytes += static_cast<char>(point);
      return;
    }
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(point >> 8 * (bigEndian ? 3 - i : i));
  });
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

String DecodeKeepingBytes(std::string_view bytes, UINT codePage) {
  if (codePage == CP_UTF8) return Utf8KeepingBytes(bytes);
  if (codePage == CodePageUtf32LE || codePage == CodePageUtf32BE)
    return Utf32KeepingBytes(bytes, codePage == CodePageUtf32BE);
  return DecodeText(bytes, codePage).value_or(String());
}

std::string EncodeKeepingBytes(std::wstring_view text, UINT codePage) {
  if (codePage == CP_UTF8) return Utf8Bytes(text);
  if (codePage == CodePageUtf32LE || codePage == CodePageUtf32BE) return Utf32Bytes(text, codePage == CodePageUtf32BE);
  return EncodeText(text, codePage).value_or(std::string());
}

bool IsUtf8(std::string_view bytes) {
  char32_t point = 0;
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = Utf8Sequence(bytes, at, point);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

bool IsWellFormedText(std::wstring_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
      ++i;
    else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
      return false;
  }
  return true;
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
    case CodePageUtf32LE:
      return std::string_view("\xFF\xFE\0\0", 4);
    case CodePageUtf32BE:
      return std::string_view("\0\0\xFE\xFF", 4);
    default:
      return {};
  }
}

UINT CodePageOfMark(std::string_view bytes) {
  // UTF-32LE's mark begins as UTF-16LE's does: it is asked first.
  for (UINT codePage : {CodePageUtf32LE, CodePageUtf32BE, UINT(CP_UTF8), CodePageUtf16LE, CodePageUtf16BE})
    if (bytes.substr(0, TextMark(codePage).size()) == TextMark(codePage)) return codePage;
  return CP_ACP;
}

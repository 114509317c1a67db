#include "framework/text_convert.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// The longest character of any code page, in bytes: what one UTF-16 unit can become at most.
constexpr size_t MaxBytesPerUnit = 8;
static_assert(TextConversionPiece * MaxBytesPerUnit <= static_cast<size_t>(INT_MAX));
constexpr size_t MinPiece = 4;
// The longest piece one platform call takes: a piece that must grow to its next cut may grow this far.
constexpr size_t LongestWidePiece = static_cast<size_t>(INT_MAX) / MaxBytesPerUnit;
constexpr size_t LongestBytePiece = static_cast<size_t>(INT_MAX);
constexpr UINT CodePageUtf7 = 65000;

size_t PieceSize(size_t asked) { return std::clamp(asked, MinPiece, TextConversionPiece); }

// UTF-7 writes these characters as themselves wherever they stand, so that its encoder is back in its first state
// after one, and they end any base64 run before them.
bool IsUtf7Direct(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L' ' || c == L'\t' ||
         c == L'\r' || c == L'\n';
}

// Where the piece of UTF-16 text from start ends: at most pieceSize units on where a cut lies there, else at the
// next cut. A cut is never between the two halves of a character, and for UTF-7 only after a character it writes
// as itself, where its encoder is back in its first state.
size_t WidePieceEnd(std::wstring_view text, size_t start, size_t pieceSize, UINT codePage) {
  const size_t limit = std::min(text.size(), start + pieceSize);
  if (limit == text.size()) return limit;
  if (codePage != CodePageUtf7) return IS_HIGH_SURROGATE(text[limit - 1]) ? limit - 1 : limit;
  for (size_t end = limit; end > start; --end)
    if (IsUtf7Direct(text[end - 1])) return end;
  for (size_t end = limit + 1; end < text.size(); ++end)
    if (IsUtf7Direct(text[end - 1])) return end;
  return text.size();
}

// Where a piece of bytes in a code page may end: between two characters, and for a stateful code page where it is
// back in its first state.
class TByteCuts {
 public:
  explicit TByteCuts(UINT codePage) {
    // A system whose ANSI code page is UTF-8 cuts its ANSI text as UTF-8.
    if (codePage == CP_ACP) codePage = GetACP();
    if (codePage == CP_OEMCP) codePage = GetOEMCP();
    if (codePage == CP_UTF8) {
      kind_ = Kind::Utf8;
      return;
    }
    if (codePage == CodePageUtf7) {
      kind_ = Kind::Utf7;
      return;
    }
    CPINFO info{};
    if (!GetCPInfo(codePage, &info)) {
      kind_ = Kind::LineBreaks;
    } else if (info.MaxCharSize == 1) {
      kind_ = Kind::Anywhere;
    } else if (info.MaxCharSize == 2 && info.LeadByte[0] != 0) {
      kind_ = Kind::LeadBytes;
      for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) lead_[b] = true;
    } else {
      kind_ = Kind::LineBreaks;
    }
  }

  // The end of the piece from start: the last cut at most pieceSize bytes on, else the next cut after that, else
  // the end of the bytes.
  size_t PieceEnd(std::string_view bytes, size_t start, size_t pieceSize) const {
    const size_t limit = std::min(bytes.size(), start + pieceSize);
    if (limit == bytes.size()) return limit;
    switch (kind_) {
      case Kind::Anywhere:
        return limit;
      case Kind::Utf8:
        // Not where a sequence that needs bytes past the end starts in the last three: it would be a character
        // cut in two, or, when the bytes are not UTF-8, a replacement character that the platform lets take every
        // byte left in the piece.
        for (size_t end = limit; end > start; --end)
          if (EndsWholeSequences(bytes, start, end)) return end;
        for (size_t end = limit + 1; end < bytes.size(); ++end)
          if (EndsWholeSequences(bytes, start, end)) return end;
        return bytes.size();
      case Kind::LeadBytes: {
        // Trail bytes look like lead bytes: characters are counted from the start of the piece.
        size_t end = start;
        while (end < limit) end += lead_[static_cast<unsigned char>(bytes[end])] ? 2 : 1;
        return end > limit ? end - 2 : end;
      }
      case Kind::Utf7:
        return Utf7PieceEnd(bytes, start, limit);
      case Kind::LineBreaks: {
        const size_t before = bytes.substr(start, limit - start).rfind('\n');
        if (before != std::string_view::npos) return start + before + 1;
        const size_t after = bytes.find('\n', limit);
        return after == std::string_view::npos ? bytes.size() : after + 1;
      }
    }
    return bytes.size();
  }

 private:
  enum class Kind { Anywhere, Utf8, Utf7, LeadBytes, LineBreaks };
  static size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    return byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
  }
  static bool EndsWholeSequences(std::string_view bytes, size_t start, size_t end) {
    for (size_t back = 1; back <= 3 && back <= end - start; ++back)
      if (SequenceLength(bytes[end - back]) > back) return false;
    return true;
  }
  static bool IsBase64(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
  }
  // UTF-7 is cut only outside its base64 runs ("+" up to the first byte outside base64, a "-" there belonging to
  // the run), where its decoder is back in its first state.
  static size_t Utf7PieceEnd(std::string_view bytes, size_t start, size_t limit) {
    size_t lastCut = start;
    bool inRun = false;
    for (size_t at = start; at < bytes.size(); ++at) {
      if (!inRun && at > start) lastCut = at;
      if (at >= limit && lastCut > start) return lastCut;
      // A byte outside base64 ends the run: a "-" as part of it, any other as text of its own.
      inRun = inRun ? IsBase64(bytes[at]) : bytes[at] == '+';
    }
    return bytes.size();
  }
  Kind kind_ = Kind::Anywhere;
  bool lead_[256] = {};
};

// One platform call over a piece: its size, or -1 when it fails. A piece may rightly make nothing (a UTF-7 run too
// short for a character): only the system's error tells a failure.
template <class Convert>
int ConvertPiece(Convert convert) {
  SetLastError(ERROR_SUCCESS);
  const int size = convert();
  return size == 0 && GetLastError() != ERROR_SUCCESS ? -1 : size;
}

// Converts the units of a text in the pieces that end(start) marks: every piece is measured first, room for the
// whole is made once, then each piece converts into its place. A piece longer than one call takes, or one that
// fails, fails the whole: nothing is returned in part.
template <class Out, class End, class Convert>
Out ConvertInPieces(size_t units, size_t longestPiece, End end, Convert convert) {
  size_t total = 0;
  for (size_t start = 0, stop = 0; start < units; start = stop) {
    stop = end(start);
    if (stop - start > longestPiece) return {};
    const int size = ConvertPiece([&] { return convert(start, stop, nullptr, 0); });
    if (size < 0) return {};
    total += static_cast<size_t>(size);
  }
  Out out(total, typename Out::value_type{});
  size_t written = 0;
  for (size_t start = 0, stop = 0; start < units; start = stop) {
    stop = end(start);
    const int room = static_cast<int>(std::min<size_t>(total - written, INT_MAX));
    const int size = ConvertPiece([&] { return convert(start, stop, out.data() + written, room); });
    if (size < 0) return {};
    written += static_cast<size_t>(size);
  }
  return out;
}

std::string FromWide(std::wstring_view text, UINT codePage, size_t pieceSize) {
  pieceSize = PieceSize(pieceSize);
  return ConvertInPieces<std::string>(
      text.size(), LongestWidePiece, [&](size_t start) { return WidePieceEnd(text, start, pieceSize, codePage); },
      [&](size_t start, size_t stop, char* out, int room) {
        return WideCharToMultiByte(codePage, 0, text.data() + start, static_cast<int>(stop - start), out, room, nullptr,
                                   nullptr);
      });
}

String ToWide(std::string_view bytes, UINT codePage, size_t pieceSize) {
  pieceSize = PieceSize(pieceSize);
  const TByteCuts cuts(codePage);
  return ConvertInPieces<String>(
      bytes.size(), LongestBytePiece, [&](size_t start) { return cuts.PieceEnd(bytes, start, pieceSize); },
      [&](size_t start, size_t stop, wchar_t* out, int room) {
        return MultiByteToWideChar(codePage, 0, bytes.data() + start, static_cast<int>(stop - start), out, room);
      });
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

bool IsKeptByte(wchar_t c) { return c >= kKeptByteBase && c <= kKeptByteBase + 0xFF; }

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
    } else if (IsKeptByte(c)) {
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

size_t Utf8Length(std::wstring_view text) {
  size_t bytes = 0;
  for (wchar_t c : text) bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : (c >= 0xD800 && c < 0xE000) ? 2 : 3;
  return bytes;
}

std::string WideToUtf8(std::wstring_view text) { return FromWide(text, CP_UTF8, TextConversionPiece); }
String Utf8ToWide(std::string_view text) { return ToWide(text, CP_UTF8, TextConversionPiece); }
AnsiString WideToAnsi(std::wstring_view text, UINT codePage, size_t pieceSize) {
  return FromWide(text, codePage, pieceSize);
}
String AnsiToWide(std::string_view text, UINT codePage, size_t pieceSize) { return ToWide(text, codePage, pieceSize); }

std::optional<String> DecodeText(std::string_view bytes, UINT codePage) {
  if (codePage == CodePageUtf16LE || codePage == CodePageUtf16BE) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    return FromUtf16(bytes, codePage == CodePageUtf16BE);
  }
  String text = ToWide(bytes, codePage, TextConversionPiece);
  if (text.empty() && !bytes.empty()) return std::nullopt;
  return text;
}

std::optional<std::string> EncodeText(std::wstring_view text, UINT codePage) {
  if (codePage == CodePageUtf16LE || codePage == CodePageUtf16BE) return ToUtf16(text, codePage == CodePageUtf16BE);
  std::string bytes = FromWide(text, codePage, TextConversionPiece);
  if (bytes.empty() && !text.empty()) return std::nullopt;
  return bytes;
}

namespace {

// Whether the code page takes one or two bytes a character: then its characters can be told apart one by one.
bool IsByteOrDoubleByteCodePage(UINT codePage) {
  CPINFO info{};
  return codePage != CodePageUtf16LE && codePage != CodePageUtf16BE && GetCPInfo(codePage, &info) &&
         info.MaxCharSize <= 2;
}

// The text of bytes in a code page of one or two bytes a character, each character of which goes back to its own
// bytes; the bytes of one that would not (a lead byte without a trail, a pair that names nothing) are kept.
String AnsiKeepingBytes(std::string_view bytes, UINT codePage, bool doubleByte) {
  String text;
  text.reserve(bytes.size());
  wchar_t wide[2];
  char back[4];
  for (size_t at = 0; at < bytes.size();) {
    const size_t length =
        doubleByte && at + 1 < bytes.size() && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[at])) ? 2 : 1;
    const int units =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data() + at, static_cast<int>(length), wide, 2);
    const int again =
        units > 0 ? WideCharToMultiByte(codePage, 0, wide, units, back, sizeof back, nullptr, nullptr) : 0;
    if (units > 0 && again == static_cast<int>(length) && std::memcmp(back, bytes.data() + at, length) == 0) {
      text.append(wide, static_cast<size_t>(units));
      at += length;
    } else {
      // The first byte alone is kept; the next is read again as the start of a character of its own.
      KeepBytes(text, bytes.substr(at, 1));
      ++at;
    }
  }
  return text;
}

}  // namespace

String DecodeKeepingBytes(std::string_view bytes, UINT codePage) {
  if (codePage == CP_UTF8) return Utf8KeepingBytes(bytes);
  if (codePage == CodePageUtf32LE || codePage == CodePageUtf32BE)
    return Utf32KeepingBytes(bytes, codePage == CodePageUtf32BE);
  std::optional<String> text = DecodeText(bytes, codePage);
  if (!IsByteOrDoubleByteCodePage(codePage)) return text.value_or(String());
  // Most files read whole; only one with bytes that form no character of the code page is read one by one.
  if (text && EncodeText(*text, codePage) == std::string(bytes)) return *text;
  CPINFO info{};
  GetCPInfo(codePage, &info);
  return AnsiKeepingBytes(bytes, codePage, info.MaxCharSize == 2);
}

std::string EncodeKeepingBytes(std::wstring_view text, UINT codePage) {
  if (codePage == CP_UTF8) return Utf8Bytes(text);
  if (codePage == CodePageUtf32LE || codePage == CodePageUtf32BE) return Utf32Bytes(text, codePage == CodePageUtf32BE);
  if (!IsByteOrDoubleByteCodePage(codePage) || std::none_of(text.begin(), text.end(), IsKeptByte))
    return EncodeText(text, codePage).value_or(std::string());
  // The kept bytes go back as they were; the text between them as the code page writes it.
  std::string bytes;
  for (size_t at = 0; at < text.size();) {
    if (IsKeptByte(text[at])) {
      bytes += static_cast<char>(text[at++] - kKeptByteBase);
      continue;
    }
    size_t end = at;
    while (end < text.size() && !IsKeptByte(text[end])) ++end;
    std::optional<std::string> run = EncodeText(text.substr(at, end - at), codePage);
    if (!run) return {};
    bytes += *run;
    at = end;
  }
  return bytes;
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

bool IsTextKeepingBytes(std::wstring_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
      ++i;
    else if ((IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) && !IsKeptByte(text[i]))
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

#include "framework/text_convert.h"

#include <algorithm>
#include <climits>

namespace {

// The longest character of any code page, in bytes: what one UTF-16 unit can become at most.
constexpr size_t MaxBytesPerUnit = 8;
static_assert(TextConversionPiece * MaxBytesPerUnit <= static_cast<size_t>(INT_MAX));
constexpr size_t MinPiece = 4;

size_t PieceSize(size_t asked) { return std::clamp(asked, MinPiece, TextConversionPiece); }

// Where the piece of UTF-16 text from start ends: at most pieceSize units on, never between the two halves of a
// character.
size_t WidePieceEnd(std::wstring_view text, size_t start, size_t pieceSize) {
  size_t end = std::min(text.size(), start + pieceSize);
  if (end < text.size() && IS_HIGH_SURROGATE(text[end - 1])) --end;
  return end;
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

  // The end of the piece from start, at most pieceSize bytes on; start when there is no cut in it.
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
        return limit;
      case Kind::LeadBytes: {
        // Trail bytes look like lead bytes: characters are counted from the start of the piece.
        size_t end = start;
        while (end < limit) end += lead_[static_cast<unsigned char>(bytes[end])] ? 2 : 1;
        return end > limit ? end - 2 : end;
      }
      case Kind::LineBreaks: {
        const size_t lineBreak = bytes.substr(start, limit - start).rfind('\n');
        return lineBreak == std::string_view::npos ? start : start + lineBreak + 1;
      }
    }
    return start;
  }

 private:
  enum class Kind { Anywhere, Utf8, LeadBytes, LineBreaks };
  static size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    return byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
  }
  static bool EndsWholeSequences(std::string_view bytes, size_t start, size_t end) {
    for (size_t back = 1; back <= 3 && back <= end - start; ++back)
      if (SequenceLength(bytes[end - back]) > back) return false;
    return true;
  }
  Kind kind_ = Kind::Anywhere;
  bool lead_[256] = {};
};

// Converts the units of a text in the pieces that end(start) marks: every piece is measured first, room for the
// whole is made once, then each piece converts into its place. A piece that fails, or a text without a cut, fails
// the whole: nothing is returned in part.
template <class Out, class End, class Convert>
Out ConvertInPieces(size_t units, End end, Convert convert) {
  size_t total = 0;
  for (size_t start = 0, stop = 0; start < units; start = stop) {
    stop = end(start);
    const int size = stop > start ? convert(start, stop, nullptr, 0) : 0;
    if (size <= 0) return {};
    total += static_cast<size_t>(size);
  }
  Out out(total, typename Out::value_type{});
  size_t written = 0;
  for (size_t start = 0, stop = 0; start < units; start = stop) {
    stop = end(start);
    const int room = static_cast<int>(std::min<size_t>(total - written, INT_MAX));
    const int size = convert(start, stop, out.data() + written, room);
    if (size <= 0) return {};
    written += static_cast<size_t>(size);
  }
  return out;
}

std::string FromWide(std::wstring_view text, UINT codePage, size_t pieceSize) {
  pieceSize = PieceSize(pieceSize);
  return ConvertInPieces<std::string>(
      text.size(), [&](size_t start) { return WidePieceEnd(text, start, pieceSize); },
      [&](size_t start, size_t stop, char* out, int room) {
        return WideCharToMultiByte(codePage, 0, text.data() + start, static_cast<int>(stop - start), out, room, nullptr,
                                   nullptr);
      });
}

String ToWide(std::string_view bytes, UINT codePage, size_t pieceSize) {
  pieceSize = PieceSize(pieceSize);
  const TByteCuts cuts(codePage);
  return ConvertInPieces<String>(
      bytes.size(), [&](size_t start) { return cuts.PieceEnd(bytes, start, pieceSize); },
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

}  // namespace

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

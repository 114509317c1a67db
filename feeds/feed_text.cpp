#include "feeds/feed_text.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace feeds {

namespace {

template <class Char>
Char FoldAsciiCase(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c + ('a' - 'A')) : c;
}

template <class Char>
size_t Find(const std::basic_string<Char>& text, const std::basic_string<Char>& pattern, size_t from) {
  const size_t length = pattern.size();
  if (length == 0 || text.size() < length) return std::basic_string<Char>::npos;
  const Char first = FoldAsciiCase(pattern[0]);
  const bool firstIsLetter = first >= 'a' && first <= 'z';
  for (size_t at = from; at + length <= text.size(); ++at) {
    if (!firstIsLetter) {
      // Most patterns start with punctuation ("&lt;", "<a href=", "%%"): the library's search skips ahead.
      at = text.find(first, at);
      if (at == std::basic_string<Char>::npos || at + length > text.size()) break;
    } else if (FoldAsciiCase(text[at]) != first) {
      continue;
    }
    size_t i = 1;
    while (i < length && FoldAsciiCase(text[at + i]) == FoldAsciiCase(pattern[i])) ++i;
    if (i == length) return at;
  }
  return std::basic_string<Char>::npos;
}

// One pass over the text, without folded copies.
template <class Char>
std::basic_string<Char> ReplaceAll(const std::basic_string<Char>& text, const std::basic_string<Char>& oldText,
                                   const std::basic_string<Char>& newText) {
  size_t found = Find(text, oldText, 0);
  if (found == std::basic_string<Char>::npos) return text;
  std::basic_string<Char> result;
  result.reserve(text.size() + newText.size());
  size_t from = 0;
  for (; found != std::basic_string<Char>::npos; found = Find(text, oldText, from)) {
    result.append(text, from, found - from);
    result += newText;
    from = found + oldText.size();
  }
  result.append(text, from, std::basic_string<Char>::npos);
  return result;
}

// Writes one character as UTF-8 and returns the position after it.
char* PutCharacter(char* out, unsigned code) {
  if (code < 0x80) {
    *out++ = static_cast<char>(code);
  } else if (code < 0x800) {
    *out++ = static_cast<char>(0xC0 | (code >> 6));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (code >> 12));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (code >> 18));
    *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Calls visit with each character of the text: a surrogate pair as one, a lone surrogate half as itself.
template <class Visit>
void ForEachCharacter(std::wstring_view text, Visit&& visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned code = static_cast<unsigned>(text[i]);
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned>(text[i + 1]) - 0xDC00);
      ++i;
    }
    visit(code);
  }
}

// The length of the text's ASCII start. Blocks are tested whole, with no branch per character, so that the
// compiler can test many characters at once.
size_t AsciiPrefixLength(std::wstring_view text) {
  constexpr size_t kBlock = 32;
  size_t ascii = 0;
  for (; text.size() - ascii >= kBlock; ascii += kBlock) {
    unsigned bits = 0;
    for (size_t i = 0; i < kBlock; ++i) bits |= static_cast<unsigned>(text[ascii + i]);
    if (bits >= 0x80) break;
  }
  while (ascii < text.size() && static_cast<unsigned>(text[ascii]) < 0x80) ++ascii;
  return ascii;
}

// The bytes of a 64-bit word, each set to c.
constexpr uint64_t Repeated(char c) { return 0x0101010101010101u * static_cast<unsigned char>(c); }

// Whether any byte of the word is zero.
constexpr bool HasZeroByte(uint64_t word) { return ((word - Repeated(1)) & ~word & Repeated('\x80')) != 0; }

}  // namespace

size_t FindEither(std::string_view text, char a, char b, size_t from) {
  // Eight bytes are tested at once: the runtime's own search goes byte by byte, and feed text between two marks
  // runs long.
  const uint64_t as = Repeated(a), bs = Repeated(b);
  size_t at = from;
  for (; at < text.size() && text.size() - at >= sizeof(uint64_t); at += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, sizeof word);
    if (HasZeroByte(word ^ as) || HasZeroByte(word ^ bs)) break;
  }
  for (; at < text.size(); ++at)
    if (text[at] == a || text[at] == b) return at;
  return std::string_view::npos;
}

std::string EncodeUTF8(std::wstring_view text) {
  // Feed text is mostly ASCII: the ASCII start is narrowed as it is, only the rest is encoded, and that is
  // measured first so that the result has its exact length.
  const size_t ascii = AsciiPrefixLength(text);
  const std::wstring_view rest = text.substr(ascii);
  size_t length = ascii;
  ForEachCharacter(rest, [&](unsigned code) { length += code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4; });
  std::string out(length, '\0');
  char* end = out.data();
  for (size_t i = 0; i < ascii; ++i) *end++ = static_cast<char>(text[i]);
  ForEachCharacter(rest, [&](unsigned code) { end = PutCharacter(end, code); });
  return out;
}

void AppendUTF8(std::string& out, unsigned code) {
  char bytes[4];
  out.append(bytes, PutCharacter(bytes, code));
}

size_t FindIgnoreCase(const std::string& text, const std::string& pattern, size_t from) {
  return Find(text, pattern, from);
}

size_t FindIgnoreCase(const String& text, const String& pattern, size_t from) { return Find(text, pattern, from); }

bool StartsWithIgnoreCase(std::string_view text, size_t at, std::string_view pattern) {
  if (at > text.size() || text.size() - at < pattern.size()) return false;
  for (size_t i = 0; i < pattern.size(); ++i)
    if (FoldAsciiCase(text[at + i]) != FoldAsciiCase(pattern[i])) return false;
  return true;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithIgnoreCase(a, 0, b);
}

std::string ReplaceAllIgnoreCase(const std::string& text, const std::string& oldText, const std::string& newText) {
  return ReplaceAll(text, oldText, newText);
}

String ReplaceAllIgnoreCase(const String& text, const String& oldText, const String& newText) {
  return ReplaceAll(text, oldText, newText);
}

}  // namespace feeds

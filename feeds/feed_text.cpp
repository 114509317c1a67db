#include "feeds/feed_text.h"

namespace {

template <class Char>
Char FoldAsciiCase(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c + ('a' - 'A')) : c;
}

template <class Char>
std::basic_string<Char> FoldAsciiCase(const std::basic_string<Char>& text) {
  std::basic_string<Char> folded(text);
  for (Char& c : folded) c = FoldAsciiCase(c);
  return folded;
}

// Searches a folded copy once, so the whole replacement costs one pass over the text.
template <class Char>
std::basic_string<Char> ReplaceAll(const std::basic_string<Char>& text, const std::basic_string<Char>& oldText,
                                   const std::basic_string<Char>& newText) {
  if (oldText.empty()) return text;
  const std::basic_string<Char> folded = FoldAsciiCase(text);
  const std::basic_string<Char> pattern = FoldAsciiCase(oldText);
  std::basic_string<Char> result;
  size_t from = 0;
  for (size_t found = folded.find(pattern); found != std::basic_string<Char>::npos;
       found = folded.find(pattern, from)) {
    if (result.empty()) result.reserve(text.size() + newText.size());
    result.append(text, from, found - from);
    result += newText;
    from = found + pattern.size();
  }
  if (from == 0) return text;
  result.append(text, from, std::basic_string<Char>::npos);
  return result;
}

void AppendUnit(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::string EncodeUTF8(const String& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned code = static_cast<unsigned>(text[i]);
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned>(text[i + 1]) - 0xDC00);
      ++i;
    }
    AppendUnit(out, code);
  }
  return out;
}

std::string ReplaceAllIgnoreCase(const std::string& text, const std::string& oldText, const std::string& newText) {
  return ReplaceAll(text, oldText, newText);
}

String ReplaceAllIgnoreCase(const String& text, const String& oldText, const String& newText) {
  return ReplaceAll(text, oldText, newText);
}

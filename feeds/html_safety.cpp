#include "feeds/html_safety.h"

#include <string_view>
#include <vector>

#include "feeds/feed_text.h"

namespace feeds {

namespace {

struct TRange {
  size_t First;
  size_t Last;  // one past the end
};

// One tag as the browser would read it: its name, where it ends and which attributes must go.
struct TTag {
  std::string Name;  // lower case
  bool Closing = false;
  size_t End = 0;  // one past the ">" (or the end of the text when the tag is not closed)
  std::vector<TRange> Removed;
};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
bool IsDigitInBase(char c, bool hex) { return IsAsciiDigit(c) || (hex && Lower(c) >= 'a' && Lower(c) <= 'f'); }
unsigned DigitValue(char c) {
  return IsAsciiDigit(c) ? static_cast<unsigned>(c - '0') : static_cast<unsigned>(Lower(c) - 'a' + 10);
}

// Elements that run code, or (a link) fetch a style sheet that can.
bool IsBlockedElement(const std::string& name) {
  return name == "script" || name == "object" || name == "embed" || name == "applet" || name == "iframe" ||
         name == "link";
}

// Of those, the ones without content or end tag: only their tag goes.
bool IsEmptyElement(const std::string& name) { return name == "embed" || name == "link"; }

// The named character references that can spell out a scheme: its colon, and the blanks browsers skip in it.
struct TSchemeReference {
  std::string_view Name;
  unsigned char Character;
};
const TSchemeReference kSchemeReferences[] = {{"&colon;", ':'}, {"&Tab;", '\t'}, {"&NewLine;", '\n'}};

// The start of the value as a browser resolves an address, up to the given length: numeric character references
// and those named ones decoded, and blanks and control characters (which browsers skip inside a scheme) dropped,
// in lower case.
std::string NormalizedAddressStart(std::string_view value, size_t length) {
  std::string out;
  for (size_t i = 0; i < value.size() && out.size() < length; ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    for (const TSchemeReference& reference : kSchemeReferences) {
      if (c == '&' && value.substr(i, reference.Name.size()) == reference.Name) {
        c = reference.Character;
        i += reference.Name.size() - 1;
      }
    }
    if (c == '&' && i + 1 < value.size() && value[i + 1] == '#') {
      size_t digits = i + 2;
      bool hex = digits < value.size() && Lower(value[digits]) == 'x';
      if (hex) ++digits;
      size_t stop = digits;
      unsigned long code = 0;
      for (; stop < value.size() && IsDigitInBase(value[stop], hex); ++stop)
        if (code < 0x110000) code = code * (hex ? 16 : 10) + DigitValue(value[stop]);
      if (stop > digits) {
        c = code < 0x80 ? static_cast<unsigned char>(code) : '?';
        i = stop < value.size() && value[stop] == ';' ? stop : stop - 1;
      }
    }
    if (c > 32) out += Lower(static_cast<char>(c));
  }
  return out;
}

bool IsScriptAddress(std::string_view value) {
  const std::string_view schemes[] = {"javascript:", "vbscript:"};
  std::string address = NormalizedAddressStart(value, schemes[0].size());
  for (std::string_view scheme : schemes)
    if (std::string_view(address).substr(0, scheme.size()) == scheme) return true;
  return false;
}

// A refresh instruction ("0; url=...") names its address after a delay, with or without "url=": a meta content
// that holds a script address anywhere is taken for one.
bool HoldsScriptAddress(std::string_view value) {
  std::string text = NormalizedAddressStart(value, value.size());
  return text.find("javascript:") != std::string::npos || text.find("vbscript:") != std::string::npos;
}

// Style text the page's browser could run: an expression, a behavior binding, a script address or an imported
// sheet, also when character references spell them out; CSS escapes, which can spell any word, count as well.
bool IsActiveStyle(std::string_view style) {
  std::string text = NormalizedAddressStart(style, style.size());
  if (text.find('\\') != std::string::npos) return true;
  for (const char* word : {"expression", "behavior", "binding", "javascript", "vbscript", "@import"})
    if (text.find(word) != std::string::npos) return true;
  return false;
}

// Reads the tag that starts at text[start] == '<'; false when the "<" opens no tag.
bool ReadTag(const std::string& text, size_t start, TTag& tag) {
  size_t i = start + 1;
  tag.Closing = i < text.size() && text[i] == '/';
  if (tag.Closing) ++i;
  if (i >= text.size() || !IsAsciiLetter(text[i])) return false;
  while (i < text.size() && (IsAsciiLetter(text[i]) || IsAsciiDigit(text[i]))) tag.Name += Lower(text[i++]);
  while (i < text.size()) {
    while (i < text.size() && (IsSpace(text[i]) || text[i] == '/')) ++i;
    if (i >= text.size() || text[i] == '>') break;
    size_t attributeStart = i;
    std::string name;
    while (i < text.size() && !IsSpace(text[i]) && text[i] != '=' && text[i] != '>' && text[i] != '/')
      name += Lower(text[i++]);
    if (name.empty()) name += text[i++];  // a stray character such as a quote; skip it as a nameless attribute
    size_t afterName = i;
    while (i < text.size() && IsSpace(text[i])) ++i;
    std::string_view value;
    if (i < text.size() && text[i] == '=') {
      ++i;
      while (i < text.size() && IsSpace(text[i])) ++i;
      if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
        char quote = text[i++];
        size_t close = text.find(quote, i);
        if (close == std::string::npos) close = text.size();
        value = std::string_view(text).substr(i, close - i);
        i = close < text.size() ? close + 1 : close;
      } else {
        size_t valueStart = i;
        while (i < text.size() && !IsSpace(text[i]) && text[i] != '>') ++i;
        value = std::string_view(text).substr(valueStart, i - valueStart);
      }
    } else {
      i = afterName;
    }
    bool refresh = tag.Name == "meta" && name == "content" && HoldsScriptAddress(value);
    bool activeStyle = name == "style" && IsActiveStyle(value);
    if (name.rfind("on", 0) == 0 || IsScriptAddress(value) || refresh || activeStyle)
      tag.Removed.push_back({attributeStart, i});
  }
  tag.End = i < text.size() ? i + 1 : text.size();
  return true;
}

// Where an element of that name that is open at "from" ends: one past its end tag, or "from" when none follows.
size_t ElementEnd(const std::string& text, size_t from, const std::string& name) {
  const std::string endTag = "</" + name;
  for (size_t at = text.find('<', from); at != std::string::npos; at = text.find('<', at + 1)) {
    if (!StartsWithIgnoreCase(text, at, endTag)) continue;
    size_t after = at + endTag.size();
    if (after < text.size() && (IsAsciiLetter(text[after]) || IsAsciiDigit(text[after]))) continue;
    size_t close = text.find('>', after);
    return close == std::string::npos ? text.size() : close + 1;
  }
  return from;
}

}  // namespace

std::string EscapeHTMLAttribute(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    switch (c) {
      case '%':
        // The page's placeholders are "%%" words that later steps fill with unescaped text; one inside an
        // attribute would let that text close the attribute.
        out += i + 1 < value.size() && value[i + 1] == '%' ? "&#37;" : "%";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string SafeAddressAttribute(const std::string& address) {
  return IsScriptAddress(address) ? std::string() : EscapeHTMLAttribute(address);
}

std::string RemoveActiveContent(const std::string& markup) {
  if (markup.find('<') == std::string::npos) return markup;
  std::string out;
  out.reserve(markup.size());
  size_t from = 0;
  for (size_t at = markup.find('<'); at != std::string::npos; at = markup.find('<', from)) {
    out.append(markup, from, at - from);
    TTag tag;
    if (!ReadTag(markup, at, tag)) {
      out += '<';
      from = at + 1;
      continue;
    }
    if (IsBlockedElement(tag.Name)) {
      from = tag.Closing || IsEmptyElement(tag.Name) ? tag.End : ElementEnd(markup, tag.End, tag.Name);
      continue;
    }
    if (tag.Name == "style" && !tag.Closing) {
      // Without an end tag the browser takes the rest of the text for the style sheet.
      size_t end = ElementEnd(markup, tag.End, tag.Name);
      if (IsActiveStyle(std::string_view(markup).substr(tag.End, end == tag.End ? std::string::npos : end - tag.End))) {
        from = end;
        continue;
      }
    }
    size_t copied = at;
    for (const TRange& removed : tag.Removed) {
      out.append(markup, copied, removed.First - copied);
      copied = removed.Last;
    }
    out.append(markup, copied, tag.End - copied);
    from = tag.End;
  }
  out.append(markup, from, std::string::npos);
  return out;
}

}  // namespace feeds

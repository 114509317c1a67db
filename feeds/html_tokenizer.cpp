#include "feeds/html_tokenizer.h"

#include "feeds/feed_text.h"

namespace feeds {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsAsciiDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
// The value of a decimal or hexadecimal digit.
unsigned HexValue(char c) {
  return IsAsciiDigit(c) ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

// Elements whose content the parser does not read as markup, and those whose content is text with references.
const std::string_view kRawTextElements[] = {"script",  "style",    "xmp",      "iframe",
                                             "noembed", "noframes", "noscript", "plaintext"};
const std::string_view kEscapableTextElements[] = {"title", "textarea"};

template <size_t N>
bool IsOneOf(std::string_view name, const std::string_view (&names)[N]) {
  for (std::string_view candidate : names)
    if (EqualsIgnoreCase(name, candidate)) return true;
  return false;
}

struct TNamedReference {
  std::string_view Name;
  unsigned Code;
};

// The references that addresses and styles commonly hold. Any other stays as written, its "&" a character of
// the value; the sanitiser escapes that "&" again, so the browser reads the very text that was checked.
const TNamedReference kNamedReferences[] = {{"amp", '&'}, {"AMP", '&'},  {"lt", '<'},   {"LT", '<'},    {"gt", '>'},
                                            {"GT", '>'},  {"quot", '"'}, {"QUOT", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};

// The character a numeric reference names, U+FFFD for none.
unsigned ReferencedCharacter(unsigned code) {
  bool none = code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
  return none ? 0xFFFD : code;
}

}  // namespace

bool THTMLTokenizer::Next(THTMLToken& token) {
  token.Attributes.clear();
  token.Element = {};
  if (!pendingElement_.empty()) {
    ReadRawText(token);
    if (!token.Text.empty()) return true;
  }
  const size_t size = markup_.size();
  while (position_ < size) {
    size_t open = FindByte(markup_, '<', position_);
    if (open != position_) {
      size_t end = open == std::string_view::npos ? size : open;
      token.Kind = THTMLTokenKind::Text;
      token.Text = markup_.substr(position_, end - position_);
      position_ = end;
      return true;
    }
    const char next = open + 1 < size ? markup_[open + 1] : '\0';
    const char afterNext = open + 2 < size ? markup_[open + 2] : '\0';
    if (IsAsciiLetter(next) || (next == '/' && IsAsciiLetter(afterNext))) return ReadTag(token, open);
    if (next == '/' && afterNext == '>') {
      position_ = open + 3;
    } else if (next == '!' && markup_.substr(open, 4) == "<!--") {
      SkipComment(open);
    } else if (next == '!' || next == '?' || (next == '/' && open + 2 < size)) {
      // Document types, CDATA markers, processing instructions and bad end tags: comments up to the next ">".
      size_t close = markup_.find('>', open);
      position_ = close == std::string_view::npos ? size : close + 1;
    } else {
      // A "<" that opens nothing is text, up to the next "<".
      size_t end = FindByte(markup_, '<', open + 1);
      if (end == std::string_view::npos) end = size;
      token.Kind = THTMLTokenKind::Text;
      token.Text = markup_.substr(open, end - open);
      position_ = end;
      return true;
    }
  }
  return false;
}

bool THTMLTokenizer::ReadTag(THTMLToken& token, size_t open) {
  const size_t size = markup_.size();
  size_t i = open + 1;
  const bool endTag = markup_[i] == '/';
  if (endTag) ++i;
  const size_t nameStart = i;
  while (i < size && !IsSpace(markup_[i]) && markup_[i] != '/' && markup_[i] != '>') ++i;
  token.Kind = endTag ? THTMLTokenKind::EndTag : THTMLTokenKind::StartTag;
  token.Text = markup_.substr(nameStart, i - nameStart);
  for (;;) {
    while (i < size && (IsSpace(markup_[i]) || markup_[i] == '/')) ++i;
    if (i >= size) break;
    if (markup_[i] == '>') {
      position_ = i + 1;
      if (!endTag && IsOneOf(token.Text, kRawTextElements)) {
        pendingElement_ = token.Text;
        pendingKind_ = THTMLTokenKind::RawText;
      } else if (!endTag && IsOneOf(token.Text, kEscapableTextElements)) {
        pendingElement_ = token.Text;
        pendingKind_ = THTMLTokenKind::EscapableText;
      }
      return true;
    }
    // A name may start with "=" and hold quotes; it ends at a blank, "/", ">" or "=".
    const size_t attributeStart = i++;
    while (i < size && !IsSpace(markup_[i]) && markup_[i] != '/' && markup_[i] != '>' && markup_[i] != '=') ++i;
    THTMLAttribute attribute{markup_.substr(attributeStart, i - attributeStart), {}};
    while (i < size && IsSpace(markup_[i])) ++i;
    if (i < size && markup_[i] == '=') {
      ++i;
      while (i < size && IsSpace(markup_[i])) ++i;
      if (i >= size) break;
      const char quote = markup_[i];
      if (quote == '"' || quote == '\'') {
        size_t close = markup_.find(quote, i + 1);
        if (close == std::string_view::npos) break;
        attribute.Value = markup_.substr(i + 1, close - i - 1);
        i = close + 1;
      } else {
        const size_t valueStart = i;
        while (i < size && !IsSpace(markup_[i]) && markup_[i] != '>') ++i;
        attribute.Value = markup_.substr(valueStart, i - valueStart);
      }
    }
    if (!endTag) token.Attributes.push_back(attribute);
  }
  // The markup ended inside the tag: the parser drops such a tag.
  position_ = size;
  token.Attributes.clear();
  return false;
}

void THTMLTokenizer::ReadRawText(THTMLToken& token) {
  const std::string_view element = pendingElement_;
  pendingElement_ = {};
  token.Kind = pendingKind_;
  token.Element = element;
  const size_t size = markup_.size();
  size_t end = size;
  if (!EqualsIgnoreCase(element, "plaintext")) {
    for (size_t at = markup_.find("</", position_); at != std::string_view::npos; at = markup_.find("</", at + 2)) {
      const size_t after = at + 2 + element.size();
      if (after < size && StartsWithIgnoreCase(markup_, at + 2, element) &&
          (IsSpace(markup_[after]) || markup_[after] == '/' || markup_[after] == '>')) {
        end = at;
        break;
      }
    }
  }
  token.Text = markup_.substr(position_, end - position_);
  position_ = end;
}

void THTMLTokenizer::SkipComment(size_t open) {
  const size_t size = markup_.size();
  size_t i = open + 4;
  // "<!-->" and "<!--->" end at once.
  if (markup_.substr(i, 1) == ">" || markup_.substr(i, 2) == "->") {
    position_ = markup_.find('>', i) + 1;
    return;
  }
  for (size_t dashes = markup_.find("--", i); dashes != std::string_view::npos; dashes = markup_.find("--", i)) {
    if (markup_.substr(dashes + 2, 1) == ">") {
      position_ = dashes + 3;
      return;
    }
    if (markup_.substr(dashes + 2, 2) == "!>") {
      position_ = dashes + 4;
      return;
    }
    i = dashes + 1;
  }
  position_ = size;
}

size_t CharacterReferenceLength(std::string_view text, size_t at) {
  size_t i = at + 1;
  if (i < text.size() && text[i] == '#') {
    const bool hex = i + 1 < text.size() && (text[i + 1] | 0x20) == 'x';
    i += hex ? 2 : 1;
    const size_t digits = i;
    while (i < text.size() && (hex ? IsHexDigit(text[i]) : IsAsciiDigit(text[i]))) ++i;
    if (i == digits) return 0;
  } else {
    if (i >= text.size() || !IsAsciiLetter(text[i])) return 0;
    while (i < text.size() && (IsAsciiLetter(text[i]) || IsAsciiDigit(text[i]))) ++i;
  }
  return i < text.size() && text[i] == ';' ? i + 1 - at : 0;
}

std::string DecodeCharacterReferences(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  size_t from = 0;
  for (size_t at = value.find('&'); at != std::string_view::npos; at = value.find('&', from)) {
    out.append(value, from, at - from);
    from = at + 1;
    size_t i = at + 1;
    if (i < value.size() && value[i] == '#') {
      const bool hex = i + 1 < value.size() && (value[i + 1] | 0x20) == 'x';
      i += hex ? 2 : 1;
      const size_t digits = i;
      unsigned code = 0;
      for (; i < value.size() && (hex ? IsHexDigit(value[i]) : IsAsciiDigit(value[i])); ++i)
        if (code <= 0x10FFFF) code = code * (hex ? 16 : 10) + HexValue(value[i]);
      if (i == digits) {
        out += '&';
        continue;
      }
      AppendUTF8(out, ReferencedCharacter(code));
      from = i < value.size() && value[i] == ';' ? i + 1 : i;
      continue;
    }
    while (i < value.size() && (IsAsciiLetter(value[i]) || IsAsciiDigit(value[i]))) ++i;
    const std::string_view name = value.substr(at + 1, i - at - 1);
    const TNamedReference* found = nullptr;
    if (i < value.size() && value[i] == ';')
      for (const TNamedReference& reference : kNamedReferences)
        if (reference.Name == name) found = &reference;
    if (!found) {
      out += '&';
      continue;
    }
    AppendUTF8(out, found->Code);
    from = i + 1;
  }
  out.append(value, from, std::string_view::npos);
  return out;
}

}  // namespace feeds

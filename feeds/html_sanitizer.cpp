#include "feeds/html_sanitizer.h"

#include <array>
#include <cstdint>
#include <vector>

#include "feeds/feed_text.h"
#include "feeds/html_allowlist.h"
#include "feeds/html_tokenizer.h"

namespace feeds {

namespace {

// How deep the elements of one text may nest; deeper start tags go, so that a pathological nesting cannot
// exhaust the browser's layout.
constexpr size_t kMaxDepth = 100;

// Escaping choices.
constexpr unsigned kKeepReferences = 1;  // a well-formed character reference stays as written
constexpr unsigned kEscapeQuote = 2;     // '"' becomes a reference, for a double-quoted attribute

const char* const kReplacementCharacter = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence of a character beyond ASCII at text[at], 0 for an invalid one.
size_t UTF8SequenceLength(std::string_view text, size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogate halves
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  const unsigned char second = static_cast<unsigned char>(text[at + 1]);
  if (second < low || second > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  return length;
}

// The bytes that AppendEscaped does not copy as they are; feed text is mostly plain ASCII, which a table lookup
// passes at once.
constexpr std::array<bool, 256> kNeedsEscape = [] {
  std::array<bool, 256> table{};
  for (unsigned c = 0x80; c < 256; ++c) table[c] = true;
  for (unsigned char c : {'<', '>', '&', '"', '\0'}) table[c] = true;
  return table;
}();

bool NeedsEscape(char c) { return kNeedsEscape[static_cast<unsigned char>(c)]; }

// Appends the text with "<", ">" and "&" escaped, NUL and invalid UTF-8 replaced by U+FFFD.
void AppendEscaped(std::string& out, std::string_view text, unsigned flags) {
  size_t i = 0;
  while (i < text.size()) {
    size_t plain = i;
    while (plain < text.size() && !NeedsEscape(text[plain])) ++plain;
    out.append(text, i, plain - i);
    i = plain;
    if (i == text.size()) break;
    const char c = text[i];
    size_t length = 1;
    if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += flags & kEscapeQuote ? "&quot;" : "\"";
    } else if (c == '&') {
      length = flags & kKeepReferences ? CharacterReferenceLength(text, i) : 0;
      if (length == 0) {
        out += "&amp;";
        length = 1;
      } else {
        out.append(text, i, length);
      }
    } else if (c == '\0' || (length = UTF8SequenceLength(text, i)) == 0) {
      out += kReplacementCharacter;
      length = 1;
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
}

// Elements whose content is code, not text for the reader: it goes with them.
bool HoldsCode(std::string_view element) {
  return EqualsIgnoreCase(element, "script") || EqualsIgnoreCase(element, "style");
}

size_t ElementIndex(std::string_view name) { return AllowedElementIndex(*FindAllowedElement(name)); }

// Writes one text out anew: the allowed elements with their allowed attributes, the rest as escaped text.
class TSanitizer {
 public:
  TSanitizer(std::string& out, std::string_view markup) : tokenizer_(markup), out_(out) {
    out_.reserve(out_.size() + markup.size() + markup.size() / 8 + 16);
  }

  void Run() {
    THTMLToken token;
    while (tokenizer_.Next(token)) {
      switch (token.Kind) {
        case THTMLTokenKind::Text:
        case THTMLTokenKind::EscapableText:
          AppendEscaped(out_, token.Text, kKeepReferences);
          break;
        case THTMLTokenKind::RawText:
          if (!HoldsCode(token.Element)) AppendEscaped(out_, token.Text, 0);
          break;
        case THTMLTokenKind::StartTag:
          Open(token);
          break;
        case THTMLTokenKind::EndTag:
          Close(token.Text);
          break;
      }
    }
    while (depth_ > 0) Pop();
  }

 private:
  bool IsOpen(size_t element) const { return openCounts_[element] > 0; }
  const THTMLElementRule* Top() const { return depth_ > 0 ? open_[depth_ - 1] : nullptr; }

  void Open(const THTMLToken& tag) {
    const THTMLElementRule* element = FindAllowedElement(tag.Text);
    if (!element) return;
    static const size_t table = ElementIndex("table"), row = ElementIndex("tr");
    if ((element->Flags & kNeedsTable) && !IsOpen(table)) return;
    if ((element->Flags & kNeedsRow) && !IsOpen(row)) return;
    while (depth_ > 0 && (Top()->Group & element->Closes)) Pop();
    if (depth_ > 0 && (Top()->Flags & kTableFrame) && !(element->Flags & (kNeedsTable | kNeedsRow))) return;
    const bool isVoid = element->Flags & kVoidElement;
    if (!isVoid && depth_ >= kMaxDepth) return;
    WriteStartTag(*element, tag.Attributes);
    if (isVoid) return;
    open_[depth_++] = element;
    ++openCounts_[AllowedElementIndex(*element)];
  }

  // An end tag closes its element and every element opened inside it; one without an open element goes.
  void Close(std::string_view name) {
    const THTMLElementRule* element = FindAllowedElement(name);
    if (!element || !IsOpen(AllowedElementIndex(*element))) return;
    while (Top() != element) Pop();
    Pop();
  }

  void Pop() {
    const THTMLElementRule* element = open_[--depth_];
    --openCounts_[AllowedElementIndex(*element)];
    out_ += "</";
    out_ += element->Name;
    out_ += '>';
  }

  void WriteStartTag(const THTMLElementRule& element, const std::vector<THTMLAttribute>& attributes) {
    out_ += '<';
    out_ += element.Name;
    uint64_t seen = 0;
    for (const THTMLAttribute& attribute : attributes) {
      const int index = AllowedAttributeIndex(element, attribute.Name);
      // The first of a repeated name is the one the browser reads.
      if (index < 0 || (seen >> index & 1)) continue;
      seen |= uint64_t{1} << index;
      const THTMLAttributeRule& rule = AllowedAttribute(index);
      switch (rule.Kind) {
        case THTMLAttributeKind::Text:
          WriteAttribute(rule.Name, attribute.Value, kKeepReferences | kEscapeQuote);
          break;
        case THTMLAttributeKind::Address: {
          std::string decoded;
          std::string_view address = attribute.Value;
          if (address.find('&') != std::string_view::npos) address = decoded = DecodeCharacterReferences(address);
          if (IsAllowedAddress(address)) WriteAttribute(rule.Name, address, kEscapeQuote);
          break;
        }
        case THTMLAttributeKind::Style: {
          const std::string style = ReducedStyle(DecodeCharacterReferences(attribute.Value));
          if (!style.empty()) WriteAttribute(rule.Name, style, kEscapeQuote);
          break;
        }
      }
    }
    out_ += '>';
  }

  void WriteAttribute(std::string_view name, std::string_view value, unsigned flags) {
    out_ += ' ';
    out_ += name;
    if (value.empty()) return;
    out_ += "=\"";
    AppendEscaped(out_, value, flags);
    out_ += '"';
  }

  THTMLTokenizer tokenizer_;
  std::array<const THTMLElementRule*, kMaxDepth> open_{};
  size_t depth_ = 0;
  std::array<uint32_t, kMaxAllowedElements> openCounts_{};  // per rule: how many are open, to match an end tag at once
  std::string& out_;
};

}  // namespace

void AppendSanitizedHTML(std::string& out, std::string_view markup) {
  // Most titles, names and dates hold nothing to read or escape.
  size_t plain = 0;
  while (plain < markup.size() && !NeedsEscape(markup[plain])) ++plain;
  if (plain == markup.size())
    out += markup;
  else
    TSanitizer(out, markup).Run();
}

std::string SanitizeHTML(std::string_view markup) {
  std::string out;
  AppendSanitizedHTML(out, markup);
  return out;
}

void AppendEscapedHTMLAttribute(std::string& out, std::string_view value) { AppendEscaped(out, value, kEscapeQuote); }

void AppendSafeAddressAttribute(std::string& out, std::string_view address) {
  if (IsAllowedAddress(address)) AppendEscapedHTMLAttribute(out, address);
}

}  // namespace feeds

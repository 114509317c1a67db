#include "feeds/html_allowlist.h"

#include <iterator>

#include "feeds/feed_text.h"

namespace feeds {

namespace {

using enum THTMLAttributeKind;

constexpr THTMLAttributeRule kAttributes[] = {
    {"title", Text},       {"lang", Text},        {"dir", Text},     {"style", Style},      {"href", Address},
    {"target", Text},      {"src", Address},      {"alt", Text},     {"width", Text},       {"height", Text},
    {"border", Text},      {"hspace", Text},      {"vspace", Text},  {"align", Text},       {"valign", Text},
    {"clear", Text},       {"noshade", Text},     {"size", Text},    {"color", Text},       {"face", Text},
    {"start", Text},       {"type", Text},        {"value", Text},   {"cite", Address},     {"datetime", Text},
    {"cellpadding", Text}, {"cellspacing", Text}, {"bgcolor", Text}, {"bordercolor", Text}, {"summary", Text},
    {"frame", Text},       {"rules", Text},       {"span", Text},    {"colspan", Text},     {"rowspan", Text},
    {"nowrap", Text},
};
static_assert(std::size(kAttributes) <= 64, "one bit per attribute");

// The first four attributes are those every element may carry.
constexpr uint64_t kCommonAttributes = 0xF;

// The bits of the blank-separated attribute names, with the common ones.
constexpr uint64_t Attributes(std::string_view names) {
  uint64_t bits = kCommonAttributes;
  while (!names.empty()) {
    size_t blank = names.find(' ');
    std::string_view name = names.substr(0, blank);
    names = blank == std::string_view::npos ? std::string_view() : names.substr(blank + 1);
    size_t index = 0;
    while (kAttributes[index].Name != name) ++index;  // an unknown name runs past the end: no constant expression
    bits |= uint64_t{1} << index;
  }
  return bits;
}

// Groups of elements that a start tag closes; the lead of a table is its caption or a column group.
constexpr uint8_t kParagraph = 1, kListItem = 2, kDefinition = 4, kCell = 8, kRow = 16, kSection = 32, kTableLead = 64;
constexpr uint8_t kTableParts = kCell | kRow | kSection | kTableLead;

constexpr THTMLElementRule Element(std::string_view name, std::string_view attributes = {}, uint8_t flags = 0,
                                   uint8_t group = 0, uint8_t closes = 0) {
  return {name, flags, group, closes, Attributes(attributes)};
}

constexpr THTMLElementRule kElements[] = {
    Element("a", "href target"),
    Element("abbr"),
    Element("acronym"),
    Element("address"),
    Element("b"),
    Element("bdo"),
    Element("big"),
    Element("blockquote", "cite"),
    Element("br", "clear", kVoidElement),
    Element("caption", "align", kNeedsTable, kTableLead, kTableParts),
    Element("center"),
    Element("cite"),
    Element("code"),
    Element("col", "span width align valign", kVoidElement | kNeedsTable),
    Element("colgroup", "span width align valign", kNeedsTable | kTableFrame, kTableLead, kTableParts),
    Element("dd", "", 0, kDefinition, kDefinition),
    Element("del", "cite datetime"),
    Element("dfn"),
    Element("dir"),
    Element("div", "align"),
    Element("dl"),
    Element("dt", "", 0, kDefinition, kDefinition),
    Element("em"),
    Element("font", "face size color"),
    Element("h1", "align"),
    Element("h2", "align"),
    Element("h3", "align"),
    Element("h4", "align"),
    Element("h5", "align"),
    Element("h6", "align"),
    Element("hr", "align noshade size width color", kVoidElement),
    Element("i"),
    Element("img", "src alt width height border hspace vspace align", kVoidElement),
    Element("ins", "cite datetime"),
    Element("kbd"),
    Element("li", "type value", 0, kListItem, kListItem),
    Element("ol", "start type"),
    Element("p", "align", 0, kParagraph, kParagraph),
    Element("pre", "width"),
    Element("q", "cite"),
    Element("s"),
    Element("samp"),
    Element("small"),
    Element("span"),
    Element("strike"),
    Element("strong"),
    Element("sub"),
    Element("sup"),
    Element("table", "border cellpadding cellspacing width bgcolor bordercolor align summary frame rules", kTableFrame),
    Element("tbody", "align valign", kNeedsTable | kTableFrame, kSection, kTableParts),
    Element("td", "colspan rowspan width height bgcolor align valign nowrap", kNeedsRow, kCell, kCell | kTableLead),
    Element("tfoot", "align valign", kNeedsTable | kTableFrame, kSection, kTableParts),
    Element("th", "colspan rowspan width height bgcolor align valign nowrap", kNeedsRow, kCell, kCell | kTableLead),
    Element("thead", "align valign", kNeedsTable | kTableFrame, kSection, kTableParts),
    Element("tr", "align valign bgcolor height", kNeedsTable | kTableFrame, kRow, kCell | kRow | kTableLead),
    Element("tt"),
    Element("u"),
    Element("ul", "type"),
    Element("var"),
};

static_assert(std::size(kElements) <= kMaxAllowedElements, "a fixed array counts the open elements of each rule");

const std::string_view kStyleProperties[] = {
    "color",           "background-color", "font-family",    "font-size",       "font-style",
    "font-variant",    "font-weight",      "text-align",     "text-decoration", "text-indent",
    "text-transform",  "line-height",      "letter-spacing", "word-spacing",    "white-space",
    "vertical-align",  "direction",        "margin",         "margin-top",      "margin-right",
    "margin-bottom",   "margin-left",      "padding",        "padding-top",     "padding-right",
    "padding-bottom",  "padding-left",     "border",         "border-top",      "border-right",
    "border-bottom",   "border-left",      "border-color",   "border-style",    "border-width",
    "border-collapse", "border-spacing",   "width",          "height",          "float",
    "clear",           "list-style-type",
};

const std::string_view kAddressSchemes[] = {"http", "https", "ftp", "mailto"};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
bool IsAsciiAlphanumeric(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Without blanks and control characters at either end.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

bool IsPlainStyleValue(std::string_view value) {
  for (char c : value)
    if (!IsAsciiAlphanumeric(c) && c != ' ' && c != '#' && c != '%' && c != '.' && c != ',' && c != '-') return false;
  return !value.empty();
}

}  // namespace

const THTMLElementRule* FindAllowedElement(std::string_view name) {
  if (name.empty()) return nullptr;
  const char first = Lower(name[0]);
  for (const THTMLElementRule& element : kElements)
    if (element.Name[0] == first && EqualsIgnoreCase(element.Name, name)) return &element;
  return nullptr;
}

size_t AllowedElementIndex(const THTMLElementRule& element) { return static_cast<size_t>(&element - kElements); }

int AllowedAttributeIndex(const THTMLElementRule& element, std::string_view name) {
  if (name.empty()) return -1;
  const char first = Lower(name[0]);
  for (size_t i = 0; i < std::size(kAttributes); ++i)
    if ((element.Attributes >> i & 1) && kAttributes[i].Name[0] == first && EqualsIgnoreCase(kAttributes[i].Name, name))
      return static_cast<int>(i);
  return -1;
}

const THTMLAttributeRule& AllowedAttribute(int index) { return kAttributes[index]; }

bool IsAllowedAddress(std::string_view address) {
  address = Trimmed(address);
  size_t end = address.find_first_of(":/?#");
  if (end == std::string_view::npos || address[end] != ':') return true;
  // A scheme: only the listed ones, written with nothing but their letters.
  const std::string_view scheme = address.substr(0, end);
  for (std::string_view allowed : kAddressSchemes)
    if (EqualsIgnoreCase(scheme, allowed)) return true;
  return false;
}

std::string ReducedStyle(std::string_view style) {
  std::string out;
  while (!style.empty()) {
    const size_t semicolon = style.find(';');
    const std::string_view declaration = style.substr(0, semicolon);
    style = semicolon == std::string_view::npos ? std::string_view() : style.substr(semicolon + 1);
    const size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view property = Trimmed(declaration.substr(0, colon));
    const std::string_view value = Trimmed(declaration.substr(colon + 1));
    for (std::string_view allowed : kStyleProperties) {
      if (!EqualsIgnoreCase(property, allowed) || !IsPlainStyleValue(value)) continue;
      if (!out.empty()) out += "; ";
      out.append(allowed).append(": ").append(value);
    }
  }
  return out;
}

}  // namespace feeds

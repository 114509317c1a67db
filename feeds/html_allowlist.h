// What markup from a feed may keep in the feed page: text formatting, paragraphs, lists, tables, links and images,
// with the attributes that shape them. Nothing that loads or runs code is listed; addresses keep only schemes that
// navigate or fetch plain content, and styles only simple properties with plain values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace feeds {

// Flags of an element rule.
constexpr uint8_t kVoidElement = 1;  // has no content and no end tag
constexpr uint8_t kNeedsTable = 2;   // a table part: only inside a table opened by the same text
constexpr uint8_t kNeedsRow = 4;     // a cell: only inside a row opened by the same text
// Holds table parts only (a table, its sections, rows and column groups): any other element opened in it would
// land beside the table, and a table opened in it ends it.
constexpr uint8_t kTableFrame = 8;

struct THTMLElementRule {
  std::string_view Name;  // lower case
  uint8_t Flags;
  // A start tag closes the element open at the top while that element's group is among these, as the parser
  // ends an open paragraph at a new paragraph or an open cell at a new row.
  uint8_t Group;
  uint8_t Closes;
  uint64_t Attributes;  // one bit per index into the attribute rules
};

enum class THTMLAttributeKind {
  Text,     // any text
  Address,  // a link or image address: see IsAllowedAddress
  Style     // inline style: see ReducedStyle
};

struct THTMLAttributeRule {
  std::string_view Name;  // lower case
  THTMLAttributeKind Kind;
};

// At most this many element rules, so that a sanitiser can count open elements per rule in a fixed array.
constexpr size_t kMaxAllowedElements = 64;

// The rule of an allowed element, its name in any letter case, or null.
const THTMLElementRule* FindAllowedElement(std::string_view name);
// Rules are numbered from 0 to fewer than kMaxAllowedElements.
size_t AllowedElementIndex(const THTMLElementRule& element);

// The index of the attribute, its name in any letter case, when the element may carry it; -1 otherwise.
int AllowedAttributeIndex(const THTMLElementRule& element, std::string_view name);
const THTMLAttributeRule& AllowedAttribute(int index);

// The address (its character references decoded) is relative or uses http, https, ftp or mailto.
bool IsAllowedAddress(std::string_view address);

// The allowed declarations of an inline style (character references decoded), written "name: value" and joined
// by "; "; empty when none is left. A declaration is allowed when its property is a simple one of text, colour,
// box or list, and its value holds only letters, digits, blanks, "#", "%", ".", "," and "-": no function,
// comment, escape, string or address can be written with those.
std::string ReducedStyle(std::string_view style);

}  // namespace feeds

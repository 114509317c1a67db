// Reads markup into tokens the way a browser's HTML parser does: comments, document types and processing
// instructions end where the parser ends them and yield nothing; the content of raw-text elements (script, style,
// xmp, iframe, ...) and of escapable raw-text elements (title, textarea) is text up to their own end tag; a tag
// left open at the end of the markup yields nothing. Each character is read a bounded number of times.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace feeds {

enum class THTMLTokenKind {
  Text,           // ordinary text; character references in it mean characters
  RawText,        // the content of a raw-text element: every character stands for itself
  EscapableText,  // the content of an escapable raw-text element: text, references mean characters
  StartTag,
  EndTag
};

// One attribute as written: the value still holds its character references.
struct THTMLAttribute {
  std::string_view Name;
  std::string_view Value;
};

// Views into the markup; valid while the markup lives.
struct THTMLToken {
  THTMLTokenKind Kind = THTMLTokenKind::Text;
  std::string_view Text;                   // the text, or the tag name as written
  std::string_view Element;                // for raw-text and escapable text: the name of the element that holds it
  std::vector<THTMLAttribute> Attributes;  // of a start tag, in the order written, repeated names included
};

class THTMLTokenizer {
 public:
  explicit THTMLTokenizer(std::string_view markup) : markup_(markup) {}

  // Reads the next token into token, reusing its attribute list; false at the end of the markup.
  bool Next(THTMLToken& token);

 private:
  bool ReadTag(THTMLToken& token, size_t open);
  void ReadRawText(THTMLToken& token);
  void SkipComment(size_t open);

  std::string_view markup_;
  size_t position_ = 0;
  // Set by the start tag of a raw-text or escapable raw-text element: its content is the next token.
  std::string_view pendingElement_;
  THTMLTokenKind pendingKind_ = THTMLTokenKind::RawText;
};

// The length of the complete character reference ("&name;", "&#123;", "&#x7B;") at text[at], 0 for none.
size_t CharacterReferenceLength(std::string_view text, size_t at);

// An attribute value as the browser reads it: numeric references and the common named ones (amp, lt, gt, quot,
// apos, nbsp) decoded; any other "&" stands for itself. A reference to no character gives U+FFFD.
std::string DecodeCharacterReferences(std::string_view value);

}  // namespace feeds

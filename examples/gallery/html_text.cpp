#include "html_text.h"

#include <array>
#include <string>

#include "feeds/html_tokenizer.h"
#include "framework/text_convert.h"

namespace {

using feeds::THTMLToken;
using feeds::THTMLTokenKind;

bool IsNamed(std::string_view name, std::string_view expected) {
  if (name.size() != expected.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if ((name[i] | 0x20) != expected[i]) return false;
  return true;
}

// Elements that start a line of their own.
bool BreaksLine(std::string_view tag) {
  static constexpr std::array<std::string_view, 14> kBlocks{"p",  "br", "div", "tr", "table", "h1", "h2",
                                                            "h3", "h4", "h5",  "h6", "li",    "hr", "blockquote"};
  for (std::string_view block : kBlocks)
    if (IsNamed(tag, block)) return true;
  return false;
}

class TTextCollector {
 public:
  explicit TTextCollector(bool oneLine) : oneLine_(oneLine) {}

  void AddText(std::string_view utf8) {
    for (char c : utf8) {
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        pendingBlank_ = !text_.empty() && text_.back() != '\n';
        continue;
      }
      if (pendingBlank_) text_ += ' ';
      pendingBlank_ = false;
      text_ += c;
    }
  }
  void BreakLine() {
    pendingBlank_ = false;
    if (oneLine_) {
      pendingBlank_ = !text_.empty();
      return;
    }
    // At most one empty line between blocks.
    if (text_.empty() || (text_.size() >= 2 && text_.ends_with("\n\n"))) return;
    text_ += '\n';
  }
  void SetApart() { pendingBlank_ = !text_.empty() && text_.back() != '\n'; }
  String Result() const {
    std::string text = text_;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return Utf8ToWide(text);
  }

 private:
  bool oneLine_;
  bool pendingBlank_ = false;
  std::string text_;
};

String Collect(std::string_view markup, bool oneLine) {
  TTextCollector collector(oneLine);
  feeds::THTMLTokenizer tokenizer(markup);
  THTMLToken token;
  while (tokenizer.Next(token)) {
    switch (token.Kind) {
      case THTMLTokenKind::Text:
      case THTMLTokenKind::EscapableText:
        collector.AddText(feeds::DecodeCharacterReferences(token.Text));
        break;
      case THTMLTokenKind::RawText:
        break;
      case THTMLTokenKind::StartTag:
      case THTMLTokenKind::EndTag:
        if (BreaksLine(token.Text))
          collector.BreakLine();
        else if (IsNamed(token.Text, "td") || IsNamed(token.Text, "th"))
          collector.SetApart();
        break;
    }
  }
  return collector.Result();
}

}  // namespace

String HtmlToText(std::string_view utf8Markup) { return Collect(utf8Markup, false); }

String HtmlToLine(std::string_view utf8Markup) { return Collect(utf8Markup, true); }

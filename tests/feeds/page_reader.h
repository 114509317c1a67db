// A small HTML reader of the tests, written apart from the sanitiser: it walks a page as a browser's parser does
// (comments, raw-text elements, attributes with and without quotes, character references) and lists what could
// run code there: script-capable elements, event attributes, data bindings, script addresses and active styles.
// It also checks that the elements of a sanitised text are balanced.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace page_reader {

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline bool Blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

inline std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

inline bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// How often part occurs in text, the occurrences not overlapping.
inline size_t Count(std::string_view text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// Numeric references and the named ones that can spell a scheme or a style, decoded as a browser decodes them.
inline std::string Decoded(std::string_view value) {
  static const struct {
    const char* Name;
    char Character;
  } named[] = {{"&colon;", ':'}, {"&tab;", '\t'},  {"&newline;", '\n'}, {"&lpar;", '('},  {"&rpar;", ')'},
               {"&sol;", '/'},   {"&bsol;", '\\'}, {"&amp;", '&'},      {"&lt;", '<'},    {"&gt;", '>'},
               {"&quot;", '"'},  {"&apos;", '\''}, {"&ast;", '*'},      {"&period;", '.'}};
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '&') {
      out += value[i];
      continue;
    }
    std::string rest = Lowered(value.substr(i, 12));
    bool done = false;
    for (const auto& reference : named) {
      if (StartsWith(rest, reference.Name)) {
        out += reference.Character;
        i += std::string_view(reference.Name).size() - 1;
        done = true;
        break;
      }
    }
    if (done) continue;
    if (i + 2 < value.size() && value[i + 1] == '#') {
      size_t j = i + 2;
      int base = Lower(value[j]) == 'x' ? 16 : 10;
      if (base == 16) ++j;
      unsigned long code = 0;
      size_t start = j;
      for (; j < value.size(); ++j) {
        char c = Lower(value[j]);
        int digit = c >= '0' && c <= '9' ? c - '0' : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        code = std::min<unsigned long>(code * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit),
                                       0x10FFFF);
      }
      if (j > start) {
        out += code < 0x80 ? static_cast<char>(code) : '?';
        i = j < value.size() && value[j] == ';' ? j : j - 1;
        continue;
      }
    }
    out += '&';
  }
  return out;
}

// The address as a browser resolves its scheme: without blanks and control characters, in lower case.
inline bool IsScriptAddress(std::string_view value) {
  std::string squeezed;
  for (char c : Decoded(value))
    if (static_cast<unsigned char>(c) > ' ') squeezed += Lower(c);
  for (const char* scheme : {"javascript:", "vbscript:", "livescript:", "mocha:", "data:"})
    if (StartsWith(squeezed, scheme)) return true;
  return false;
}

inline bool IsActiveStyle(std::string_view value) {
  std::string style = Lowered(Decoded(value));
  for (const char* active : {"expression", "url(", "behavior", "binding", "\\", "/*", "@import", "javascript", "("})
    if (Contains(style, active)) return true;
  return false;
}

struct TReading {
  std::vector<std::string> Findings;  // what could run code, one line each
  bool Balanced = true;               // every end tag closes the innermost open element, and none is left open
};

// Reads the markup; the page's own content-type declaration is the one meta element that is not a finding.
inline TReading Read(std::string_view html) {
  static const char* const kForbidden[] = {
      "script",   "style",   "iframe",  "frame",  "frameset", "object", "embed",   "applet",      "base",   "link",
      "form",     "input",   "button",  "select", "textarea", "svg",    "math",    "xml",         "import", "isindex",
      "template", "bgsound", "marquee", "xss",    "set",      "t:set",  "?import", "html:script", "layer",  "ilayer"};
  static const char* const kRawText[] = {"script", "style",   "xmp",      "textarea", "title",
                                         "iframe", "noembed", "noframes", "noscript", "plaintext"};
  static const char* const kAddresses[] = {
      "href",     "src",    "cite",   "action",  "formaction", "background", "dynsrc",  "lowsrc", "data",  "codebase",
      "longdesc", "usemap", "poster", "classid", "archive",    "xlink:href", "content", "to",     "values"};
  static const char* const kVoid[] = {"br", "hr", "img", "col", "meta", "wbr", "area", "input", "link", "base"};
  TReading reading;
  std::vector<std::string> open;
  size_t i = 0;
  const size_t n = html.size();
  auto finding = [&](const std::string& what) { reading.Findings.push_back(what); };
  while (i < n) {
    if (html[i] != '<') {
      ++i;
      continue;
    }
    if (StartsWith(html.substr(i), "<!--")) {
      size_t j = i + 4;
      // The page's host control reads a conditional comment's content as markup.
      if (StartsWith(Lowered(html.substr(j, 4)), "[if")) finding("conditional comment");
      if (StartsWith(html.substr(j), ">") || StartsWith(html.substr(j), "->")) {
        i = html.find('>', j) + 1;
        continue;
      }
      size_t end = n;
      for (size_t k = j; k + 2 < n; ++k) {
        if (html.substr(k, 3) == "-->" || html.substr(k, 4) == "--!>") {
          end = k + (html[k + 2] == '>' ? 3 : 4);
          break;
        }
      }
      i = end;
      continue;
    }
    char next = i + 1 < n ? html[i + 1] : '\0';
    bool endTag = next == '/';
    char first = i + 2 < n ? html[i + 2] : '\0';
    if (next == '!' || next == '?' || (endTag && !std::isalpha(static_cast<unsigned char>(first)))) {
      if (next == '?') finding("processing instruction");
      size_t close = html.find('>', i);
      i = close == std::string_view::npos ? n : close + 1;
      continue;
    }
    if (!endTag && !std::isalpha(static_cast<unsigned char>(next))) {
      ++i;
      continue;
    }
    // A tag: its name, then attributes until ">".
    size_t j = i + (endTag ? 2 : 1);
    std::string name;
    while (j < n && !Blank(html[j]) && html[j] != '/' && html[j] != '>') name += Lower(html[j++]);
    std::vector<std::pair<std::string, std::string>> attributes;
    bool closed = false;
    while (j < n) {
      while (j < n && (Blank(html[j]) || html[j] == '/')) ++j;
      if (j < n && html[j] == '>') {
        closed = true;
        ++j;
        break;
      }
      std::string attribute;
      if (j < n) attribute += Lower(html[j++]);
      while (j < n && !Blank(html[j]) && html[j] != '/' && html[j] != '>' && html[j] != '=')
        attribute += Lower(html[j++]);
      while (j < n && Blank(html[j])) ++j;
      std::string value;
      if (j < n && html[j] == '=') {
        ++j;
        while (j < n && Blank(html[j])) ++j;
        if (j < n && (html[j] == '"' || html[j] == '\'' || html[j] == '`')) {
          char quote = html[j++];
          while (j < n && html[j] != quote) value += html[j++];
          ++j;
        } else {
          while (j < n && !Blank(html[j]) && html[j] != '>') value += html[j++];
        }
      }
      attributes.emplace_back(attribute, value);
    }
    i = j;
    if (!closed) continue;
    if (endTag) {
      if (open.empty() || open.back() != name) reading.Balanced = false;
      if (!open.empty()) open.pop_back();
      continue;
    }
    bool isVoid = false;
    for (const char* v : kVoid) isVoid = isVoid || name == v;
    if (!isVoid) open.push_back(name);
    for (const char* forbidden : kForbidden)
      if (name == forbidden) finding("element " + name);
    bool contentType = false;
    for (const auto& [attribute, value] : attributes) {
      contentType = contentType || (attribute == "http-equiv" && Lowered(value) == "content-type");
      if (StartsWith(attribute, "on")) finding("event attribute " + attribute + " on " + name);
      if (StartsWith(attribute, "data") || attribute == "formaction" || attribute == "action" ||
          attribute == "dynsrc" || attribute == "lowsrc" || attribute == "background" || attribute == "xmlns")
        finding("attribute " + attribute + " on " + name);
      for (const char* address : kAddresses)
        if (attribute == address && IsScriptAddress(value)) finding("script address in " + attribute + " on " + name);
      if (attribute == "style" && IsActiveStyle(value)) finding("active style on " + name);
      if (Contains(value, "&{")) finding("script entity in " + attribute + " on " + name);
    }
    if (name == "meta" && !contentType) finding("element meta");
    for (const char* raw : kRawText) {
      if (name != raw) continue;
      if (name == "plaintext") {
        i = n;
        break;
      }
      std::string endName = "</" + name;
      size_t k = i;
      while (k < n && !(html[k] == '<' && Lowered(html.substr(k, endName.size())) == endName)) ++k;
      i = k;
    }
  }
  if (!open.empty()) reading.Balanced = false;
  return reading;
}

// The findings joined into one text, for a test's message.
inline std::string Joined(const std::vector<std::string>& findings) {
  std::string text;
  for (const std::string& finding : findings) text += finding + "; ";
  return text;
}

}  // namespace page_reader

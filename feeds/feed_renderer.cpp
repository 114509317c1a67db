// Rendering the model of the last load as one HTML page from the page template.
#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "feeds/feed.h"
#include "feeds/feed_captions.h"
#include "feeds/feed_text.h"
#include "feeds/html_sanitizer.h"
#include "framework/streams.h"
#include "framework/text_convert.h"

namespace feeds {

std::string sUpdate = "Update";
std::string sUpdated = "Updated:";
std::string sVSource = "View Source";
std::string sTop = "^Top^";

HMODULE FeedTemplateModule = nullptr;

namespace {

const char* const kCRLF = "\r\n";

// Appends the text with every line break (CR, LF or CR LF) written as CR LF.
void AppendLines(std::string& out, std::string_view text) {
  const char* const end = text.data() + text.size();
  const char* from = text.data();
  for (const char* at = from; at != end; ++at) {
    if (*at != '\r' && *at != '\n') continue;
    out.append(from, at);
    out += kCRLF;
    if (*at == '\r' && at + 1 != end && at[1] == '\n') ++at;
    from = at + 1;
  }
  out.append(from, end);
}

// The page as a list of lines would give it back: every line break CR LF, and CR LF after the last line.
std::string AsLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendLines(out, text);
  if (!out.empty() && (out.size() < 2 || out.compare(out.size() - 2, 2, kCRLF) != 0)) out += kCRLF;
  return out;
}

// Text the model holds in the ANSI code page, as UTF-8 for the page.
std::string PlainToUtf8(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return WideToUtf8(AnsiToWide(text));
  return text;  // ASCII is the same in every ANSI code page and in UTF-8
}

// A value as part of the page's lines: its line breaks written as CR LF.
std::string LineText(std::string text) {
  if (text.find('\r') == std::string::npos && text.find('\n') == std::string::npos) return text;
  std::string out;
  out.reserve(text.size() + 16);
  AppendLines(out, text);
  return out;
}

// Feed text that is written into the page as markup. Every feed value of the page passes through this or
// AddressAttribute, so their lines are already in the page's form and the content needs no pass of its own.
std::string Markup(const std::string& utf8) { return LineText(SanitizeHTML(utf8)); }

// A feed address written into a double-quoted attribute.
std::string AddressAttribute(const std::string& utf8) { return LineText(SafeAddressAttribute(utf8)); }

// Finds the next "&" or "<" of a text, each with the library's fast search, remembering both positions.
class TMarkupStarts {
 public:
  explicit TMarkupStarts(std::string_view text) : text_(text), ampersand_(Find('&', 0)), bracket_(Find('<', 0)) {}
  // The position of the next "&" or "<" at or after from, or the end of the text.
  size_t Next(size_t from) {
    if (ampersand_ < from) ampersand_ = Find('&', from);
    if (bracket_ < from) bracket_ = Find('<', from);
    return std::min(ampersand_, bracket_);
  }

 private:
  size_t Find(char c, size_t from) const {
    size_t at = text_.find(c, from);
    return at == std::string_view::npos ? text_.size() : at;
  }
  std::string_view text_;
  size_t ampersand_;
  size_t bracket_;
};

// The description trimmed, its escaped markup made live and its links opening a new window: "&gt;" becomes ">",
// then "&lt;" becomes "<", then "<a href=" gains the new-window target, all in any letter case. One pass gives
// the same text as the three replacements in turn: neither entity can form the other, and the rest of a link's
// start ("a href=") holds no character an entity stands for.
std::string ItemDescription(const TRSSItem& item) {
  std::string_view description = item.Description();
  while (!description.empty() && static_cast<unsigned char>(description.front()) <= 32) description.remove_prefix(1);
  while (!description.empty() && static_cast<unsigned char>(description.back()) <= 32) description.remove_suffix(1);
  const std::string_view linkStart = "a href=";
  std::string text;
  text.reserve(description.size() + 256);  // room for the targets of some links
  TMarkupStarts starts(description);
  size_t from = 0;
  for (size_t at = starts.Next(0); at != description.size(); at = starts.Next(from)) {
    text.append(description, from, at - from);
    from = at + 1;
    if (description[at] == '&') {
      if (StartsWithIgnoreCase(description, at, "&gt;")) {
        text += '>';
        from = at + 4;
        continue;
      }
      if (!StartsWithIgnoreCase(description, at, "&lt;")) {
        text += '&';
        continue;
      }
      from = at + 4;
    }
    if (StartsWithIgnoreCase(description, from, linkStart)) {
      text += "<a target=\"_blank\" href=";
      from += linkStart.size();
    } else {
      text += '<';
    }
  }
  text.append(description, from, std::string_view::npos);
  return Markup(text);
}

// Passes the page to the stream in large pieces as it is made, so that the content is never held whole in memory
// and copied once more.
class TPageWriter {
 public:
  explicit TPageWriter(TStream& stream) : stream_(stream) { buffer_.reserve(kPieceSize + 4096); }

  void Add(std::string_view text) {
    buffer_ += text;
    if (buffer_.size() >= kPieceSize) Flush();
  }
  // One line of the page: markup and values from Markup, Address or LineText, then CR LF.
  void AddLine(std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) buffer_ += piece;
    Add(kCRLF);
  }
  void Flush() {
    if (!buffer_.empty()) stream_.WriteBuffer(buffer_.data(), static_cast<int32_t>(buffer_.size()));
    buffer_.clear();
  }

 private:
  static constexpr size_t kPieceSize = 64 * 1024;
  TStream& stream_;
  std::string buffer_;
};

// A placeholder of the page template and the text it stands for.
struct TPlaceholderValue {
  std::string_view Placeholder;
  std::string Value;
};

// The texts of one entry that both the index and the body show, in line form.
struct TEntryTexts {
  std::string Anchor;
  std::string Title;
  std::string Date;
};

TEntryTexts EntryTexts(const TRSSItem& item, int number) {
  TEntryTexts texts;
  texts.Anchor = std::to_string(number);
  texts.Title = item.Title().empty() ? std::string("[Blank Title]") : Markup(item.Title());
  texts.Date = item.PubDate()->IsSet() ? Markup(EncodeUTF8(item.PubDate()->FormatRFC822()))
                                       : Markup(PlainToUtf8(item.StrDate()));
  return texts;
}

void AddImage(TPageWriter& out, const TRSSImage& image) {
  std::string url = image.Required()->URL();
  if (!image.Include() || url.empty()) return;
  out.AddLine({"<p style=\"margin-top: 0; margin-bottom: 5\">"});
  std::string link = image.Required()->Link();
  if (!link.empty()) out.AddLine({"<a target=\"_blank\" href=\"", AddressAttribute(PlainToUtf8(link)), "\">"});
  std::string title = image.Required()->Title();
  if (!title.empty())
    out.AddLine({"<img border=\"0\" src=\"", AddressAttribute(PlainToUtf8(url)), "\" alt=\"",
                 LineText(EscapeHTMLAttribute(title)), "\">"});
  else
    out.AddLine({"<img border=\"0\" src=\"", AddressAttribute(PlainToUtf8(url)), "\">"});
  out.AddLine({"</a></p>"});
}

void AddIndexEntry(TPageWriter& out, const TEntryTexts& texts) {
  out.AddLine({"<b><p style=\"margin-top: 0; margin-bottom: 0\"><a href=\"#", texts.Anchor,
               "\"><font face=\"Verdana\" size=\"2\" color=\"#003399\">"});
  if (!texts.Date.empty()) {
    out.AddLine({texts.Title,
                 "</font></a><font face=\"Arial\" size=\"1\" color=\"#AAAAAA\">"
                 "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;",
                 texts.Date, "</font></p></b>"});
  } else {
    out.AddLine({texts.Title});
    out.AddLine({"</font></p></a></b>"});
  }
}

// top is the caption of the link back to the top of the page, in line form.
void AddBodyEntry(TPageWriter& out, const TRSSItem& item, const TEntryTexts& texts, const std::string& top) {
  const std::string& date = texts.Date;
  const std::string author = Markup(PlainToUtf8(item.Author()));
  const bool linked = !item.Link().empty();
  out.AddLine({"<tr><td width=\"100%\">"});
  if (linked)
    out.AddLine(
        {"<b><a name=\"", texts.Anchor, "\"></a><a target=\"_blank\" href=\"", AddressAttribute(item.Link()), "\">"});
  else
    out.AddLine({"<b><a name=\"", texts.Anchor, "\"></a>"});
  out.AddLine({"<p style=\"margin-top: 10; margin-bottom: 0\"><font face=\"Verdana\" size=\"2\" color=\"#339933\">"});
  out.AddLine({texts.Title});
  out.AddLine({linked ? "</font></p></a></b>" : "</font></p></b>"});
  if (!author.empty() || !date.empty()) {
    out.AddLine(
        {"<p style=\"margin-top: 0; margin-bottom: 0\" align=\"right\"><font face=\"Arial\" size=\"1\" "
         "color=\"#AAAAAA\">"});
    out.AddLine({date, !date.empty() && !author.empty() ? ", " : "", author});
    out.AddLine({"</font></p>"});
  }
  out.AddLine(
      {"<p style=\"margin-top: 5; margin-bottom: 0\" align=\"justify\"><font face=\"Verdana\" size=\"2\" "
       "color=\"#000000\">"});
  out.AddLine({ItemDescription(item)});
  out.AddLine({"</font></p>"});
  out.AddLine(
      {"<p style=\"margin-top: 0; margin-bottom: 0\" align=\"right\"><a href=\"#TOP\"><b><font "
       "face=\"Verdana\" size=\"2\" color=\"#003399\">",
       top, "</font></b></a></p>"});
  out.AddLine({"</td></tr><tr><td width=\"100%\"><hr noshade color=\"#AAAAAA\"></td></tr>"});
}

}  // namespace

void TFeed::RenderHTML(TStream* stream) {
  if (!stream) return;
  TResourceStream resource(FeedTemplateModule ? FeedTemplateModule : GetModuleHandleW(nullptr), L"HTMLTEMPLATE",
                           L"TXT");
  const std::string page =
      AsLines(std::string(static_cast<const char*>(resource.Memory()), static_cast<size_t>(resource.Size())));

  const TRSSChannelReq& required = *channel_->Required();
  const TRSSChannelOpt& optional = *channel_->Optional();
  const std::string title = Markup(required.Title());
  std::string date;
  if (optional.LastBuildDate()->IsSet())
    date = LineText(sUpdated) + " " + Markup(EncodeUTF8(optional.LastBuildDate()->FormatRFC822()));
  else if (!optional.Modified().empty())
    date = LineText(sUpdated) + " " + Markup(PlainToUtf8(optional.Modified()));
  // The placeholders of the template with their values. Each value is written as it is: a placeholder that feed
  // text brings in stays text.
  const TPlaceholderValue values[] = {
      {"%%UPDATE%%", LineText(sUpdate)},
      {"%%VIEWSOURCE%%", LineText(sVSource)},
      {"%%TITLE%%", required.Link().empty()
                        ? title
                        : "<a target=\"_blank\" href=\"" + AddressAttribute(PlainToUtf8(required.Link())) +
                              "\"><font color=\"#FFFFFF\">" + title + "</font></a>"},
      {"%%XMLDATE%%", date},
      {"%%TITLECAPTION%%", title},
      {"%%TITLEDESC%%", Markup(required.Desc())},
      {"%%COPYRIGHT%%", Markup(optional.Copyright())},
  };

  std::vector<TEntryTexts> entries;
  entries.reserve(static_cast<size_t>(items_->Count()));
  for (int i = 0; i < items_->Count(); ++i) entries.push_back(EntryTexts(*items_->Items(i), i));
  const std::string top = LineText(sTop);
  // The content: the index of the entries, then their bodies.
  auto addContent = [&](TPageWriter& out) {
    out.AddLine(
        {"<table border=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" bordercolor=\"#111111\" "
         "width=\"100%\">"});
    out.AddLine({"<tr><td width=\"100%\">"});
    AddImage(out, *optional.Image());
    for (const TEntryTexts& entry : entries) AddIndexEntry(out, entry);
    out.AddLine({"<p style=\"margin-top: 0; margin-bottom: 0\">&nbsp;</p>"});
    out.AddLine({"<hr noshade color=\"#AAAAAA\"></td></tr>"});
    for (int i = 0; i < items_->Count(); ++i)
      AddBodyEntry(out, *items_->Items(i), entries[static_cast<size_t>(i)], top);
    out.AddLine({"</table>"});
  };

  // One pass over the template, each placeholder written as its value; the content, the largest, goes out as it
  // is made.
  TPageWriter out(*stream);
  const std::string_view content = "%%CONTENT%%";
  // The value of the placeholder that stands at that position of the template, or null.
  auto valueAt = [&](size_t at) -> const TPlaceholderValue* {
    for (const TPlaceholderValue& value : values)
      if (StartsWithIgnoreCase(page, at, value.Placeholder)) return &value;
    return nullptr;
  };
  size_t from = 0;
  for (size_t at = page.find("%%"); at != std::string::npos; at = page.find("%%", from)) {
    out.Add(std::string_view(page).substr(from, at - from));
    if (StartsWithIgnoreCase(page, at, content)) {
      addContent(out);
      from = at + content.size();
    } else if (const TPlaceholderValue* value = valueAt(at)) {
      out.Add(value->Value);
      from = at + value->Placeholder.size();
    } else {
      out.Add("%");
      from = at + 1;
    }
  }
  out.Add(std::string_view(page).substr(from));
  out.Flush();
}

}  // namespace feeds

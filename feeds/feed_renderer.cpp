// Rendering the model of the last load as one HTML page from the page template.
#include <charconv>
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

// Writes the line breaks of what out holds from that position on as CR LF.
void MakeLines(std::string& out, size_t from) {
  if (FindEither(out, '\r', '\n', from) == std::string_view::npos) return;
  const std::string value = out.substr(from);
  out.resize(from);
  AppendLines(out, value);
}

// Text the model holds in the ANSI code page, as UTF-8 for the page.
std::string PlainToUtf8(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return WideToUtf8(AnsiToWide(text));
  return text;  // ASCII is the same in every ANSI code page and in UTF-8
}

// Appends feed text that is written into the page as markup, its line breaks as CR LF. Every feed value of the
// page passes through this or AppendAddressAttribute, so their lines are already in the page's form and the
// content needs no pass of its own.
void AppendMarkup(std::string& out, std::string_view utf8) {
  const size_t from = out.size();
  AppendSanitizedHTML(out, utf8);
  MakeLines(out, from);
}

// Appends a feed address written into a double-quoted attribute.
void AppendAddressAttribute(std::string& out, std::string_view utf8) {
  const size_t from = out.size();
  AppendSafeAddressAttribute(out, utf8);
  MakeLines(out, from);
}

std::string Markup(std::string_view utf8) {
  std::string out;
  AppendMarkup(out, utf8);
  return out;
}

std::string LineText(std::string_view text) {
  std::string out;
  AppendLines(out, text);
  return out;
}

// The description trimmed, its escaped markup made live and its links opening a new window: "&gt;" becomes ">",
// then "&lt;" becomes "<", then "<a href=" gains the new-window target, all in any letter case. One pass gives
// the same text as the three replacements in turn: neither entity can form the other, and the rest of a link's
// start ("a href=") holds no character an entity stands for. The text replaces what text held.
void LiveDescription(const TRSSItem& item, std::string& text) {
  std::string_view description = item.Description();
  while (!description.empty() && static_cast<unsigned char>(description.front()) <= 32) description.remove_prefix(1);
  while (!description.empty() && static_cast<unsigned char>(description.back()) <= 32) description.remove_suffix(1);
  const std::string_view linkStart = "a href=";
  text.clear();
  text.reserve(description.size() + 256);  // room for the targets of some links
  size_t from = 0;
  for (size_t at = FindEither(description, '&', '<'); at != std::string_view::npos;
       at = FindEither(description, '&', '<', from)) {
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
}

// Makes the page in one buffer, feed values appended there as they are made safe, and passes it to the stream in
// large pieces, so that the content is never held whole in memory and copied once more.
class TPageWriter {
 public:
  explicit TPageWriter(TStream& stream) : stream_(stream) { buffer_.reserve(kPieceSize + 4096); }

  // Markup of the page, as it is.
  void Add(std::string_view text) { buffer_ += text; }
  // One line of the page: markup and values already in line form, then CR LF.
  void AddLine(std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) buffer_ += piece;
    EndLine();
  }
  // Feed values, made safe and in line form as they are appended.
  void AddMarkup(std::string_view utf8) { AppendMarkup(buffer_, utf8); }
  void AddAddressAttribute(std::string_view utf8) { AppendAddressAttribute(buffer_, utf8); }
  void AddEscapedAttribute(std::string_view text) {
    const size_t from = buffer_.size();
    AppendEscapedHTMLAttribute(buffer_, text);
    MakeLines(buffer_, from);
  }
  void AddNumber(int number) {
    char digits[16];
    buffer_.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
  }
  void EndLine() {
    buffer_ += kCRLF;
    if (buffer_.size() >= kPieceSize) Flush();
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

// The texts of the entries that both the index and the body show, in line form, one after another in one block.
class TEntryTexts {
 public:
  explicit TEntryTexts(const TRSSItems& items) {
    ends_.reserve(2 * static_cast<size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i) Add(*items.Items(i));
  }
  std::string_view Title(int entry) const { return Text(2 * static_cast<size_t>(entry)); }
  std::string_view Date(int entry) const { return Text(2 * static_cast<size_t>(entry) + 1); }

 private:
  void Add(const TRSSItem& item) {
    if (item.Title().empty())
      text_ += "[Blank Title]";
    else
      AppendMarkup(text_, item.Title());
    ends_.push_back(text_.size());
    if (item.PubDate()->IsSet())
      AppendMarkup(text_, EncodeUTF8(item.PubDate()->FormatRFC822()));
    else
      AppendMarkup(text_, PlainToUtf8(item.StrDate()));
    ends_.push_back(text_.size());
  }
  std::string_view Text(size_t index) const {
    const size_t start = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_).substr(start, ends_[index] - start);
  }

  std::string text_;
  std::vector<size_t> ends_;  // where each title and each date ends
};

void AddImage(TPageWriter& out, const TRSSImage& image) {
  std::string url = image.Required()->URL();
  if (!image.Include() || url.empty()) return;
  out.AddLine({"<p style=\"margin-top: 0; margin-bottom: 5\">"});
  std::string link = image.Required()->Link();
  if (!link.empty()) {
    out.Add("<a target=\"_blank\" href=\"");
    out.AddAddressAttribute(PlainToUtf8(link));
    out.AddLine({"\">"});
  }
  std::string title = image.Required()->Title();
  out.Add("<img border=\"0\" src=\"");
  out.AddAddressAttribute(PlainToUtf8(url));
  if (!title.empty()) {
    out.Add("\" alt=\"");
    out.AddEscapedAttribute(title);
  }
  out.AddLine({"\">"});
  out.AddLine({"</a></p>"});
}

void AddIndexEntry(TPageWriter& out, const TEntryTexts& texts, int entry) {
  out.Add("<b><p style=\"margin-top: 0; margin-bottom: 0\"><a href=\"#");
  out.AddNumber(entry);
  out.AddLine({"\"><font face=\"Verdana\" size=\"2\" color=\"#003399\">"});
  const std::string_view date = texts.Date(entry);
  if (!date.empty()) {
    out.AddLine({texts.Title(entry),
                 "</font></a><font face=\"Arial\" size=\"1\" color=\"#AAAAAA\">"
                 "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;",
                 date, "</font></p></b>"});
  } else {
    out.AddLine({texts.Title(entry)});
    out.AddLine({"</font></p></a></b>"});
  }
}

// top is the caption of the link back to the top of the page, in line form; description is scratch room.
void AddBodyEntry(TPageWriter& out, const TRSSItem& item, const TEntryTexts& texts, int entry, const std::string& top,
                  std::string& description) {
  const std::string_view date = texts.Date(entry);
  const std::string author = Markup(PlainToUtf8(item.Author()));
  const bool linked = !item.Link().empty();
  out.AddLine({"<tr><td width=\"100%\">"});
  out.Add("<b><a name=\"");
  out.AddNumber(entry);
  if (linked) {
    out.Add("\"></a><a target=\"_blank\" href=\"");
    out.AddAddressAttribute(item.Link());
    out.AddLine({"\">"});
  } else {
    out.AddLine({"\"></a>"});
  }
  out.AddLine({"<p style=\"margin-top: 10; margin-bottom: 0\"><font face=\"Verdana\" size=\"2\" color=\"#339933\">"});
  out.AddLine({texts.Title(entry)});
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
  LiveDescription(item, description);
  out.AddMarkup(description);
  out.EndLine();
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
  if (optional.LastBuildDate()->IsSet() || !optional.Modified().empty()) {
    date = LineText(sUpdated) + " ";
    AppendMarkup(date, optional.LastBuildDate()->IsSet() ? EncodeUTF8(optional.LastBuildDate()->FormatRFC822())
                                                         : PlainToUtf8(optional.Modified()));
  }
  std::string linkedTitle = title;
  if (!required.Link().empty()) {
    linkedTitle = "<a target=\"_blank\" href=\"";
    AppendAddressAttribute(linkedTitle, PlainToUtf8(required.Link()));
    linkedTitle += "\"><font color=\"#FFFFFF\">" + title + "</font></a>";
  }
  // The placeholders of the template with their values. Each value is written as it is: a placeholder that feed
  // text brings in stays text.
  const TPlaceholderValue values[] = {
      {"%%UPDATE%%", LineText(sUpdate)},
      {"%%VIEWSOURCE%%", LineText(sVSource)},
      {"%%TITLE%%", linkedTitle},
      {"%%XMLDATE%%", date},
      {"%%TITLECAPTION%%", title},
      {"%%TITLEDESC%%", Markup(required.Desc())},
      {"%%COPYRIGHT%%", Markup(optional.Copyright())},
  };

  const TEntryTexts entries(*items_);
  const std::string top = LineText(sTop);
  std::string description;
  // The content: the index of the entries, then their bodies.
  auto addContent = [&](TPageWriter& out) {
    out.AddLine(
        {"<table border=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" bordercolor=\"#111111\" "
         "width=\"100%\">"});
    out.AddLine({"<tr><td width=\"100%\">"});
    AddImage(out, *optional.Image());
    for (int i = 0; i < items_->Count(); ++i) AddIndexEntry(out, entries, i);
    out.AddLine({"<p style=\"margin-top: 0; margin-bottom: 0\">&nbsp;</p>"});
    out.AddLine({"<hr noshade color=\"#AAAAAA\"></td></tr>"});
    for (int i = 0; i < items_->Count(); ++i) AddBodyEntry(out, *items_->Items(i), entries, i, top, description);
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

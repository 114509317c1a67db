// Rendering the model of the last load as one HTML page from the page template.
#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "feeds/feed.h"
#include "feeds/feed_captions.h"
#include "feeds/feed_text.h"
#include "feeds/html_safety.h"
#include "framework/streams.h"
#include "framework/text_convert.h"

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

void Replace(std::string& page, const char* placeholder, const std::string& value) {
  page = AsLines(ReplaceAllIgnoreCase(page, placeholder, value));
}

// Text the model holds in the ANSI code page, as UTF-8 for the page.
std::string PlainToUtf8(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return WideToUtf8(AnsiToWide(text));
  return text;  // ASCII is the same in every ANSI code page and in UTF-8
}

// A value as part of the page's lines: its line breaks written as CR LF.
std::string LineText(const std::string& text) {
  if (std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; })) return text;
  std::string out;
  AppendLines(out, text);
  return out;
}

// Feed text that is written into the page as markup. Every feed value of the index and the body passes through
// this or Address, so their lines are already in the page's form and the content needs no pass of its own.
std::string Markup(const std::string& utf8) { return LineText(RemoveActiveContent(utf8)); }

// A feed address written into a double-quoted attribute.
std::string Address(const std::string& utf8) { return LineText(SafeAddressAttribute(utf8)); }

// Adds one line of the index or the body: the markup of the line and values from Markup, Address or LineText.
void AddLine(std::string& lines, std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces) lines += piece;
  lines += kCRLF;
}

// The description trimmed, its escaped markup made live and its links opening a new window.
std::string ItemDescription(const TRSSItem& item) {
  const std::string& description = item.Description();
  size_t first = 0;
  size_t last = description.size();
  while (first < last && static_cast<unsigned char>(description[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(description[last - 1]) <= 32) --last;
  std::string text = description.substr(first, last - first);
  const char* const replacements[][2] = {{"&gt;", ">"}, {"&lt;", "<"}, {"<a href=", "<a target=\"_blank\" href="}};
  for (const auto& replacement : replacements)
    if (FindIgnoreCase(text, replacement[0]) != std::string::npos)
      text = ReplaceAllIgnoreCase(text, replacement[0], replacement[1]);
  return Markup(text);
}

std::string ItemDate(const TRSSItem& item) {
  if (item.PubDate()->IsSet()) return Markup(WideToUtf8(item.PubDate()->FormatRFC822()));
  return Markup(PlainToUtf8(item.StrDate()));
}

void Write(TStream& stream, const std::string& bytes) {
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

void AddImage(std::string& index, const TRSSImage& image) {
  std::string url = image.Required()->URL();
  if (!image.Include() || url.empty()) return;
  AddLine(index, {"<p style=\"margin-top: 0; margin-bottom: 5\">"});
  std::string link = image.Required()->Link();
  if (!link.empty()) AddLine(index, {"<a target=\"_blank\" href=\"", Address(PlainToUtf8(link)), "\">"});
  std::string title = image.Required()->Title();
  if (!title.empty())
    AddLine(index, {"<img border=\"0\" src=\"", Address(PlainToUtf8(url)), "\" alt=\"",
                    LineText(EscapeHTMLAttribute(title)), "\">"});
  else
    AddLine(index, {"<img border=\"0\" src=\"", Address(PlainToUtf8(url)), "\">"});
  AddLine(index, {"</a></p>"});
}

// top is the caption of the link back to the top of the page, in line form.
void AddItem(std::string& index, std::string& body, const TRSSItem& item, int number, const std::string& top) {
  const std::string anchor = std::to_string(number);
  const std::string title = item.Title().empty() ? std::string("[Blank Title]") : Markup(item.Title());
  const std::string date = ItemDate(item);
  const std::string author = Markup(PlainToUtf8(item.Author()));
  const bool linked = !item.Link().empty();

  AddLine(index, {"<b><p style=\"margin-top: 0; margin-bottom: 0\"><a href=\"#", anchor,
                  "\"><font face=\"Verdana\" size=\"2\" color=\"#003399\">"});
  if (!date.empty()) {
    AddLine(index, {title,
                    "</font></a><font face=\"Arial\" size=\"1\" color=\"#AAAAAA\">"
                    "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;",
                    date, "</font></p></b>"});
  } else {
    AddLine(index, {title});
    AddLine(index, {"</font></p></a></b>"});
  }

  AddLine(body, {"<tr><td width=\"100%\">"});
  if (linked)
    AddLine(body, {"<b><a name=\"", anchor, "\"></a><a target=\"_blank\" href=\"", Address(item.Link()), "\">"});
  else
    AddLine(body, {"<b><a name=\"", anchor, "\"></a>"});
  AddLine(body, {"<p style=\"margin-top: 10; margin-bottom: 0\"><font face=\"Verdana\" size=\"2\" color=\"#339933\">"});
  AddLine(body, {title});
  AddLine(body, {linked ? "</font></p></a></b>" : "</font></p></b>"});
  if (!author.empty() || !date.empty()) {
    AddLine(body, {"<p style=\"margin-top: 0; margin-bottom: 0\" align=\"right\"><font face=\"Arial\" size=\"1\" "
                   "color=\"#AAAAAA\">"});
    AddLine(body, {date, !date.empty() && !author.empty() ? ", " : "", author});
    AddLine(body, {"</font></p>"});
  }
  AddLine(body, {"<p style=\"margin-top: 5; margin-bottom: 0\" align=\"justify\"><font face=\"Verdana\" size=\"2\" "
                 "color=\"#000000\">"});
  AddLine(body, {ItemDescription(item)});
  AddLine(body, {"</font></p>"});
  AddLine(body, {"<p style=\"margin-top: 0; margin-bottom: 0\" align=\"right\"><a href=\"#TOP\"><b><font "
                 "face=\"Verdana\" size=\"2\" color=\"#003399\">",
                 top, "</font></b></a></p>"});
  AddLine(body, {"</td></tr><tr><td width=\"100%\"><hr noshade color=\"#AAAAAA\"></td></tr>"});
}

}  // namespace

void TFeed::RenderHTML(TStream* stream) {
  if (!stream) return;
  TResourceStream resource(FeedTemplateModule ? FeedTemplateModule : GetModuleHandleW(nullptr), L"HTMLTEMPLATE",
                           L"TXT");
  std::string page =
      AsLines(std::string(static_cast<const char*>(resource.Memory()), static_cast<size_t>(resource.Size())));

  Replace(page, "%%UPDATE%%", sUpdate);
  Replace(page, "%%VIEWSOURCE%%", sVSource);

  const TRSSChannelReq& required = *channel_->Required();
  const TRSSChannelOpt& optional = *channel_->Optional();
  const std::string title = Markup(required.Title());
  if (!required.Link().empty()) {
    std::string fragment = "<a target=\"_blank\" href=\"%%TITLELINK%%\"><font color=\"#FFFFFF\">%%TITLE%%</font></a>";
    fragment = ReplaceAllIgnoreCase(fragment, "%%TITLE%%", title);
    fragment = ReplaceAllIgnoreCase(fragment, "%%TITLELINK%%", Address(PlainToUtf8(required.Link())));
    Replace(page, "%%TITLE%%", fragment);
  } else {
    Replace(page, "%%TITLE%%", title);
  }

  if (optional.LastBuildDate()->IsSet())
    Replace(page, "%%XMLDATE%%", sUpdated + " " + Markup(WideToUtf8(optional.LastBuildDate()->FormatRFC822())));
  else if (!optional.Modified().empty())
    Replace(page, "%%XMLDATE%%", sUpdated + " " + Markup(PlainToUtf8(optional.Modified())));
  else
    Replace(page, "%%XMLDATE%%", std::string());

  Replace(page, "%%TITLECAPTION%%", title);
  Replace(page, "%%TITLEDESC%%", Markup(required.Desc()));
  Replace(page, "%%COPYRIGHT%%", Markup(optional.Copyright()));

  std::string index;
  std::string body;
  // Room for the whole content up front: a large feed would otherwise copy it over and over while it grows.
  size_t texts = 0;
  for (int i = 0; i < items_->Count(); ++i)
    texts += items_->Items(i)->Title().size() + items_->Items(i)->Description().size();
  index.reserve(static_cast<size_t>(items_->Count()) * 400 + texts / 4 + 1024);
  body.reserve(static_cast<size_t>(items_->Count()) * 1000 + texts * 5 / 4 + 64);
  AddLine(index, {"<table border=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" bordercolor=\"#111111\" "
                  "width=\"100%\">"});
  AddLine(index, {"<tr><td width=\"100%\">"});
  AddImage(index, *optional.Image());
  const std::string top = LineText(sTop);
  for (int i = 0; i < items_->Count(); ++i) AddItem(index, body, *items_->Items(i), i, top);
  AddLine(index, {"<p style=\"margin-top: 0; margin-bottom: 0\">&nbsp;</p>"});
  AddLine(index, {"<hr noshade color=\"#AAAAAA\"></td></tr>"});
  AddLine(body, {"</table>"});

  // The content is the last value put in, so the page goes to the stream piece by piece around its places.
  const std::string placeholder = "%%CONTENT%%";
  size_t from = 0;
  for (size_t at = FindIgnoreCase(page, placeholder); at != std::string::npos;
       at = FindIgnoreCase(page, placeholder, from)) {
    Write(*stream, page.substr(from, at - from));
    Write(*stream, index);
    Write(*stream, body);
    from = at + placeholder.size();
  }
  Write(*stream, page.substr(from));
}

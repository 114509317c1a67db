// Rendering the model of the last load as one HTML page from the page template.
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

namespace {

const char* const kCRLF = "\r\n";

// The page as a list of lines would give it back: every line break CR LF, and CR LF after the last line.
std::string AsLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += kCRLF;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out.size() < 2 || out.compare(out.size() - 2, 2, kCRLF) != 0)) out += kCRLF;
  return out;
}

void Replace(std::string& page, const char* placeholder, const std::string& value) {
  page = AsLines(ReplaceAllIgnoreCase(page, placeholder, value));
}

// Text the model holds in the ANSI code page, as UTF-8 for the page.
std::string PlainToUtf8(const std::string& text) { return WideToUtf8(AnsiToWide(text)); }

// Feed text that is written into the page as markup.
std::string Markup(const std::string& utf8) { return RemoveActiveContent(utf8); }

// A feed address written into a double-quoted attribute.
std::string Address(const std::string& utf8) { return SafeAddressAttribute(utf8); }

void AddLine(std::string& lines, const std::string& line) {
  lines += line;
  lines += kCRLF;
}

std::string ItemDescription(const TRSSItem& item) {
  std::string text = item.Description();
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
  text = text.substr(first, last - first);
  text = ReplaceAllIgnoreCase(text, "&gt;", ">");
  text = ReplaceAllIgnoreCase(text, "&lt;", "<");
  text = ReplaceAllIgnoreCase(text, "<a href=", "<a target=\"_blank\" href=");
  return Markup(text);
}

std::string ItemDate(const TRSSItem& item) {
  if (item.PubDate()->IsSet()) return WideToUtf8(item.PubDate()->FormatRFC822());
  return Markup(PlainToUtf8(item.StrDate()));
}

void AddImage(std::string& index, const TRSSImage& image) {
  std::string url = image.Required()->URL();
  if (!image.Include() || url.empty()) return;
  AddLine(index, "<p style=\"margin-top: 0; margin-bottom: 5\">");
  std::string link = image.Required()->Link();
  if (!link.empty()) AddLine(index, "<a target=\"_blank\" href=\"" + Address(PlainToUtf8(link)) + "\">");
  std::string title = image.Required()->Title();
  if (!title.empty())
    AddLine(index, "<img border=\"0\" src=\"" + Address(PlainToUtf8(url)) + "\" alt=\"" + EscapeHTMLAttribute(title) + "\">");
  else
    AddLine(index, "<img border=\"0\" src=\"" + Address(PlainToUtf8(url)) + "\">");
  AddLine(index, "</a></p>");
}

void AddItem(std::string& index, std::string& body, const TRSSItem& item, int number) {
  const std::string anchor = std::to_string(number);
  const std::string title = item.Title().empty() ? std::string("[Blank Title]") : Markup(item.Title());
  const std::string date = ItemDate(item);
  const std::string author = Markup(PlainToUtf8(item.Author()));
  const bool linked = !item.Link().empty();

  AddLine(index, "<b><p style=\"margin-top: 0; margin-bottom: 0\"><a href=\"#" + anchor +
                     "\"><font face=\"Verdana\" size=\"2\" color=\"#003399\">");
  if (!date.empty()) {
    AddLine(index, title + "</font></a><font face=\"Arial\" size=\"1\" color=\"#AAAAAA\">"
                           "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;" +
                       date + "</font></p></b>");
  } else {
    AddLine(index, title);
    AddLine(index, "</font></p></a></b>");
  }

  AddLine(body, "<tr><td width=\"100%\">");
  if (linked)
    AddLine(body, "<b><a name=\"" + anchor + "\"></a><a target=\"_blank\" href=\"" + Address(item.Link()) + "\">");
  else
    AddLine(body, "<b><a name=\"" + anchor + "\"></a>");
  AddLine(body, "<p style=\"margin-top: 10; margin-bottom: 0\"><font face=\"Verdana\" size=\"2\" color=\"#339933\">");
  AddLine(body, title);
  AddLine(body, linked ? "</font></p></a></b>" : "</font></p></b>");
  if (!author.empty() || !date.empty()) {
    AddLine(body,
            "<p style=\"margin-top: 0; margin-bottom: 0\" align=\"right\"><font face=\"Arial\" size=\"1\" "
            "color=\"#AAAAAA\">");
    AddLine(body, !date.empty() && !author.empty() ? date + ", " + author : date + author);
    AddLine(body, "</font></p>");
  }
  AddLine(body,
          "<p style=\"margin-top: 5; margin-bottom: 0\" align=\"justify\"><font face=\"Verdana\" size=\"2\" "
          "color=\"#000000\">");
  AddLine(body, ItemDescription(item));
  AddLine(body, "</font></p>");
  AddLine(body,
          "<p style=\"margin-top: 0; margin-bottom: 0\" align=\"right\"><a href=\"#TOP\"><b><font face=\"Verdana\" "
          "size=\"2\" color=\"#003399\">" +
              sTop + "</font></b></a></p>");
  AddLine(body, "</td></tr><tr><td width=\"100%\"><hr noshade color=\"#AAAAAA\"></td></tr>");
}

}  // namespace

void TFeed::RenderHTML(TStream* stream) {
  if (!stream) return;
  TResourceStream resource(GetModuleHandleW(nullptr), L"HTMLTEMPLATE", L"TXT");
  std::string page = AsLines(std::string(static_cast<const char*>(resource.Memory()),
                                         static_cast<size_t>(resource.Size())));

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
    Replace(page, "%%XMLDATE%%", sUpdated + " " + WideToUtf8(optional.LastBuildDate()->FormatRFC822()));
  else if (!optional.Modified().empty())
    Replace(page, "%%XMLDATE%%", sUpdated + " " + Markup(PlainToUtf8(optional.Modified())));
  else
    Replace(page, "%%XMLDATE%%", std::string());

  Replace(page, "%%TITLECAPTION%%", title);
  Replace(page, "%%TITLEDESC%%", Markup(required.Desc()));
  Replace(page, "%%COPYRIGHT%%", Markup(optional.Copyright()));

  std::string index;
  std::string body;
  AddLine(index,
          "<table border=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" bordercolor=\"#111111\" "
          "width=\"100%\">");
  AddLine(index, "<tr><td width=\"100%\">");
  AddImage(index, *optional.Image());
  for (int i = 0; i < items_->Count(); ++i) AddItem(index, body, *items_->Items(i), i);
  AddLine(index, "<p style=\"margin-top: 0; margin-bottom: 0\">&nbsp;</p>");
  AddLine(index, "<hr noshade color=\"#AAAAAA\"></td></tr>");
  AddLine(body, "</table>");
  Replace(page, "%%CONTENT%%", index + body);

  stream->WriteBuffer(page.data(), static_cast<int32_t>(page.size()));
}

#include <gtest/gtest.h>

#include "feed_fixtures.h"
#include "feeds/feed_captions.h"
#include "framework/text_convert.h"

using namespace feeds;

namespace {

std::string TemplateText() {
  TResourceStream resource(GetModuleHandleW(nullptr), L"HTMLTEMPLATE", L"TXT");
  return std::string(static_cast<const char*>(resource.Memory()), static_cast<size_t>(resource.Size()));
}

std::string Replaced(std::string text, const std::string& placeholder, const std::string& value) {
  size_t at = text.find(placeholder);
  return at == std::string::npos ? text : text.replace(at, placeholder.size(), value);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const char* const kIndexStart =
    "<table border=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" bordercolor=\"#111111\" "
    "width=\"100%\">\r\n<tr><td width=\"100%\">\r\n";
const char* const kIndexEnd =
    "<p style=\"margin-top: 0; margin-bottom: 0\">&nbsp;</p>\r\n"
    "<hr noshade color=\"#AAAAAA\"></td></tr>\r\n";

}  // namespace

TEST(FeedTemplate, HoldsEachPlaceholderOnceWithCRLFLines) {
  std::string text = TemplateText();
  for (const char* placeholder : {"%%TITLECAPTION%%", "%%TITLE%%", "%%TITLEDESC%%", "%%XMLDATE%%", "%%UPDATE%%",
                                  "%%VIEWSOURCE%%", "%%CONTENT%%", "%%COPYRIGHT%%"}) {
    size_t first = text.find(placeholder);
    EXPECT_NE(first, std::string::npos) << placeholder;
    EXPECT_EQ(text.find(placeholder, first + 1), std::string::npos) << placeholder;
  }
  EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(text.back(), '\n');
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << i;
    }
    if (text[i] == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << i;
    }
    ASSERT_LT(static_cast<unsigned char>(text[i]), 0x80) << i;
  }
  EXPECT_TRUE(Contains(text, "text/html; charset=UTF-8"));
  EXPECT_TRUE(Contains(text, "<a name=\"TOP\"></a>"));
  EXPECT_TRUE(Contains(text, "\r\n%%CONTENT%%\r\n"));
  EXPECT_TRUE(Contains(text, "href=\"#UPDATE\""));
  EXPECT_TRUE(Contains(text, "href=\"#XMLSOURCE\""));
  // The footer: the copyright right-aligned in the wide cell, then an empty narrow one.
  EXPECT_TRUE(Contains(text,
                       "<td width=\"99%\" align=\"right\">\r\n"
                       "            <p style=\"margin-top: 0; margin-bottom: 0\"><font face=\"Verdana\" size=\"1\" "
                       "color=\"#FFFFFF\">%%COPYRIGHT%%</font></p>\r\n"
                       "          </td>\r\n"
                       "          <td width=\"1%\"></td>\r\n"));
}

TEST(FeedRendering, EmptyFeedGivesTheBareTemplate) {
  TFeed feed;
  std::string expected = TemplateText() + "\r\n";
  for (const char* empty : {"%%TITLECAPTION%%", "%%TITLE%%", "%%TITLEDESC%%", "%%XMLDATE%%", "%%COPYRIGHT%%"})
    expected = Replaced(expected, empty, "");
  expected = Replaced(expected, "%%UPDATE%%", "Update");
  expected = Replaced(expected, "%%VIEWSOURCE%%", "View Source");
  expected = Replaced(expected, "%%CONTENT%%", std::string(kIndexStart) + kIndexEnd + "</table>\r\n");
  EXPECT_EQ(RenderPage(feed), expected);
}

TEST(FeedRendering, WritesAtThePositionAndKeepsTheTail) {
  TFeed feed;
  std::string page = RenderPage(feed);
  TMemoryStream stream;
  std::string before = "HEAD";
  std::string tail(page.size() + 100, 'x');
  WriteBytes(stream, before + tail);
  stream.SetPosition(static_cast<int64_t>(before.size()));
  feed.RenderHTML(&stream);
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(before.size() + page.size()));
  std::string all = StreamBytes(stream);
  EXPECT_EQ(all.size(), before.size() + tail.size());
  EXPECT_EQ(all, before + page + std::string(100, 'x'));

  feed.RenderHTML(nullptr);
}

TEST(FeedRendering, AMissingTemplateRaisesBeforeWriting) {
  TFeed feed;
  TMemoryStream stream;
  WriteBytes(stream, "kept");
  FeedTemplateModule = GetModuleHandleW(L"kernel32.dll");
  EXPECT_THROW(feed.RenderHTML(&stream), EResNotFound);
  FeedTemplateModule = nullptr;
  EXPECT_EQ(StreamBytes(stream), "kept");
  EXPECT_EQ(stream.Position(), 4);
}

TEST(FeedRendering, ChannelHeader) {
  TFeed feed;
  LoadFixture(feed, "rss091.xml");
  std::string page = RenderPage(feed);
  EXPECT_TRUE(Contains(page, "<title>Harbour Notes</title>"));
  EXPECT_TRUE(Contains(page,
                       "<a target=\"_blank\" href=\"http://harbour.example/\"><font color=\"#FFFFFF\">"
                       "Harbour Notes</font></a>"));
  EXPECT_TRUE(Contains(page, ">Tides, boats and weather<"));
  EXPECT_TRUE(Contains(page, ">\xC2\xA9 2001 Harbour Notes<"));
  EXPECT_TRUE(Contains(page, "Updated: " + WideToUtf8(feed.Channel()->Optional()->LastBuildDate()->FormatRFC822())));
  EXPECT_TRUE(Contains(page, " +0100<"));
  EXPECT_TRUE(Contains(page,
                       "<p style=\"margin-top: 0; margin-bottom: 5\">\r\n"
                       "<a target=\"_blank\" href=\"http://harbour.example/\">\r\n"
                       "<img border=\"0\" src=\"http://harbour.example/logo.gif\" alt=\"Harbour Notes\">\r\n"
                       "</a></p>\r\n"));

  // Without a link the title is plain; without a build date the raw modification date is shown.
  LoadFixture(feed, "atom03.xml");
  feed.Channel()->Required()->SetLink("");
  page = RenderPage(feed);
  EXPECT_TRUE(Contains(page, "color=\"#FFFFFF\">Workshop Diary</font></b>"));
  EXPECT_TRUE(Contains(page, ">Updated: 2004-02-03T04:05:06Z<"));
}

TEST(FeedRendering, ItemBlocks) {
  TFeed feed;
  LoadFixture(feed, "rss20.xml");
  const TRSSItem& mars = *feed.Items()->Items(0);
  const std::string date = WideToUtf8(mars.PubDate()->FormatRFC822());
  std::string page = RenderPage(feed);

  EXPECT_TRUE(Contains(page,
                       "<b><p style=\"margin-top: 0; margin-bottom: 0\"><a href=\"#0\"><font face=\"Verdana\" "
                       "size=\"2\" color=\"#003399\">\r\nMars at opposition</font></a><font face=\"Arial\" "
                       "size=\"1\" color=\"#AAAAAA\">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;" +
                           date + "</font></p></b>\r\n"));
  EXPECT_TRUE(Contains(page,
                       "<tr><td width=\"100%\">\r\n"
                       "<b><a name=\"0\"></a><a target=\"_blank\" href=\"http://sky.example/mars\">\r\n"
                       "<p style=\"margin-top: 10; margin-bottom: 0\"><font face=\"Verdana\" size=\"2\" "
                       "color=\"#339933\">\r\n"
                       "Mars at opposition\r\n"
                       "</font></p></a></b>\r\n"
                       "<p style=\"margin-top: 0; margin-bottom: 0\" align=\"right\"><font face=\"Arial\" size=\"1\" "
                       "color=\"#AAAAAA\">\r\n" +
                           date +
                           ", ann@sky.example\r\n"
                           "</font></p>\r\n"
                           "<p style=\"margin-top: 5; margin-bottom: 0\" align=\"justify\"><font face=\"Verdana\" "
                           "size=\"2\" color=\"#000000\">\r\n"
                           "Mars is <i>bright</i>.\r\n"
                           "</font></p>\r\n"
                           "<p style=\"margin-top: 0; margin-bottom: 0\" align=\"right\"><a href=\"#TOP\"><b><font "
                           "face=\"Verdana\" size=\"2\" color=\"#003399\">^Top^</font></b></a></p>\r\n"
                           "</td></tr><tr><td width=\"100%\"><hr noshade color=\"#AAAAAA\"></td></tr>\r\n"));
  // The zone text is part of the formatted date.
  EXPECT_TRUE(Contains(page, " +0200</font></p></b>"));
  // The last item has no link.
  EXPECT_TRUE(Contains(page, "<b><a name=\"2\"></a>\r\n"));
  // A title given as markup keeps its own title element, whose content a browser reads as text.
  EXPECT_TRUE(Contains(page, "\r\nMoon &lt;em&gt;and&lt;/em&gt; Venus\r\n</font></p></b>\r\n"));
  EXPECT_TRUE(Contains(page, "</table>\r\n\r\n          </td>"));
}

TEST(FeedRendering, BlankTitlesAndItemsWithoutDates) {
  TFeed feed;
  LoadDocument(feed, Rss("<item><description>x</description></item>"
                         "<item><title>Dated</title><dc:date>2004-05-06</dc:date></item>"));
  std::string page = RenderPage(feed);
  EXPECT_TRUE(Contains(page, "color=\"#003399\">\r\n[Blank Title]\r\n</font></p></a></b>\r\n"));
  EXPECT_TRUE(Contains(page,
                       "color=\"#339933\">\r\n[Blank Title]\r\n</font></p></b>\r\n"
                       "<p style=\"margin-top: 5; margin-bottom: 0\" align=\"justify\">"));
  // A raw date is shown as it stands, in the index and in the block.
  EXPECT_TRUE(Contains(page,
                       "Dated</font></a><font face=\"Arial\" size=\"1\" color=\"#AAAAAA\">"
                       "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;2004-05-06</font></p></b>"));
  EXPECT_TRUE(Contains(page, "color=\"#AAAAAA\">\r\n2004-05-06\r\n</font></p>"));
}

TEST(FeedRendering, DescriptionsBecomeLiveMarkup) {
  TFeed feed;
  LoadDocument(feed, Rss("<item><description>  a &amp;lt;&amp;lt;b&amp;gt; &amp;LT;i&amp;GT;c "
                         "&lt;A HREF=\"http://x.example/\"&gt;Link Text&lt;/A&gt;\r\n\t</description></item>"));
  std::string page = RenderPage(feed);
  EXPECT_TRUE(Contains(page,
                       "color=\"#000000\">\r\na &lt;<b> <i>c <a target=\"_blank\" "
                       "href=\"http://x.example/\">Link Text</a></i></b>\r\n</font></p>"));
}

TEST(FeedRendering, CaptionsAreReadAtEachRendering) {
  TFeed feed;
  LoadFixture(feed, "rss091.xml");
  std::string savedUpdate = sUpdate, savedUpdated = sUpdated, savedSource = sVSource, savedTop = sTop;
  sUpdate = "Aktualisieren";
  sUpdated = "Aktualisiert:";
  sVSource = "Quelltext";
  sTop = "\xE2\x86\x91";
  std::string page = RenderPage(feed);
  sUpdate = savedUpdate, sUpdated = savedUpdated, sVSource = savedSource, sTop = savedTop;
  EXPECT_TRUE(Contains(page, ">Aktualisieren</font></a>"));
  EXPECT_TRUE(Contains(page, ">Quelltext</font></a>"));
  EXPECT_TRUE(Contains(page, ">Aktualisiert: "));
  EXPECT_TRUE(Contains(page, "color=\"#003399\">\xE2\x86\x91</font>"));
  EXPECT_FALSE(Contains(page, "^Top^"));
}

// Texts the model keeps in the ANSI code page reach the UTF-8 page as UTF-8.
TEST(FeedRendering, PlainFieldsAreWrittenAsUTF8) {
  const std::string author = WideToAnsi(L"Zo\u00EB");
  const std::string rawDate = WideToAnsi(L"M\u00E4rz 2004");
  ASSERT_EQ(AnsiToWide(author), L"Zo\u00EB") << "the ANSI code page must hold the test's letters";
  ASSERT_EQ(AnsiToWide(rawDate), L"M\u00E4rz 2004");
  TFeed feed;
  TRSSItem* item = feed.Items()->Add();
  item->SetTitle("T");
  item->SetAuthor(author);
  item->SetStrDate(rawDate);
  feed.Channel()->Optional()->SetModified(rawDate);
  std::string page = RenderPage(feed);
  EXPECT_TRUE(Contains(page, "\r\nM\xC3\xA4rz 2004, Zo\xC3\xAB\r\n"));
  EXPECT_TRUE(Contains(page, ">Updated: M\xC3\xA4rz 2004<"));
  EXPECT_FALSE(Contains(page, author));
}

TEST(FeedRendering, TextsOutsideTheANSICodePageSurvive) {
  TFeed feed;
  LoadFixture(feed, "unicode-utf8.xml");
  std::string page = RenderPage(feed);
  EXPECT_TRUE(Contains(page,
                       "<b>Gr\xC3\xB6\xC3\x9F"
                       "e</b> &amp; \xE5\xA4\xA7\xE3\x81\x8D\xE3\x81\x95 \xF0\x9F\x98\x80"));
  EXPECT_TRUE(Contains(page,
                       "<title>\xC3\x9Cn\xC3\xAF"
                       "c\xC3\xB6"
                       "d\xC3\xA9 \xE2\x80\x94 "));
  EXPECT_TRUE(Contains(page, ">\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC<"));
}

TEST(FeedRendering, FeedsCannotRunCodeInThePage) {
  TFeed feed;
  LoadFixture(feed, "unsafe.xml");
  std::string page = RenderPage(feed);
  std::string lower = page;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  for (const char* active : {"<script", "<iframe", "<object", "<embed", "onerror=\"", "onerror=alert", "onload=\"",
                             "onclick=\"", "onmouseover=\"", "javascript:", "alert(5)", "alert(9)", "alert(10)"})
    EXPECT_FALSE(Contains(lower, active)) << active;
  // Quotes in addresses cannot close the attribute.
  EXPECT_TRUE(Contains(page, "href=\"http://mischief.example/&quot;onmouseover=&quot;alert(1)\""));
  EXPECT_TRUE(Contains(page,
                       "src=\"http://mischief.example/a.gif&quot; onerror=&quot;alert(2)\" "
                       "alt=\"logo&quot; onload=&quot;alert(3)\""));
  EXPECT_TRUE(Contains(page, "href=\"http://mischief.example/item&quot;&gt;&lt;script&gt;alert(6)&lt;/script&gt;\""));
  // The zone text of a date is feed text as well.
  ASSERT_TRUE(feed.Items()->Items(0)->PubDate()->IsSet());
  // Ordinary markup is untouched.
  EXPECT_TRUE(Contains(page, ">Ordinary <b>bold</b> description<"));
  EXPECT_TRUE(Contains(page, "<a target=\"_blank\" href=\"http://fine.example/\">fine</a>"));
  EXPECT_TRUE(Contains(page, "<img src=\"x\">Headline"));
}

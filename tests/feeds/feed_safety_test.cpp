#include <gtest/gtest.h>

#include <random>

#include "feed_fixtures.h"
#include "framework/text_convert.h"
#include "hostile_fragments.h"
#include "page_reader.h"

using namespace feeds;

namespace {

// Every field of the model that reaches the page.
const struct {
  const char* Name;
  void (*Set)(TFeed& feed, const std::string& text);
} kFields[] = {
    {"channel title", [](TFeed& f, const std::string& v) { f.Channel()->Required()->SetTitle(v); }},
    {"channel link", [](TFeed& f, const std::string& v) { f.Channel()->Required()->SetLink(v); }},
    {"channel description", [](TFeed& f, const std::string& v) { f.Channel()->Required()->SetDesc(v); }},
    {"copyright", [](TFeed& f, const std::string& v) { f.Channel()->Optional()->SetCopyright(v); }},
    {"modified", [](TFeed& f, const std::string& v) { f.Channel()->Optional()->SetModified(v); }},
    {"image address", [](TFeed& f, const std::string& v) { f.Channel()->Optional()->Image()->Required()->SetURL(v); }},
    {"image title", [](TFeed& f, const std::string& v) { f.Channel()->Optional()->Image()->Required()->SetTitle(v); }},
    {"image link", [](TFeed& f, const std::string& v) { f.Channel()->Optional()->Image()->Required()->SetLink(v); }},
    {"item title", [](TFeed& f, const std::string& v) { f.Items()->Items(0)->SetTitle(v); }},
    {"item link", [](TFeed& f, const std::string& v) { f.Items()->Items(0)->SetLink(v); }},
    {"item description", [](TFeed& f, const std::string& v) { f.Items()->Items(0)->SetDescription(v); }},
    {"item author", [](TFeed& f, const std::string& v) { f.Items()->Items(0)->SetAuthor(v); }},
    {"item date", [](TFeed& f, const std::string& v) { f.Items()->Items(0)->SetStrDate(v); }},
    {"item date zone",
     [](TFeed& f, const std::string& v) { f.Items()->Items(1)->PubDate()->SetTimeZone(Utf8ToWide(v)); }},
    {"second item title", [](TFeed& f, const std::string& v) { f.Items()->Items(1)->SetTitle(v); }},
    {"second item description", [](TFeed& f, const std::string& v) { f.Items()->Items(1)->SetDescription(v); }},
};

// A feed with an image and two items, so that every field above is shown.
void PrepareFeed(TFeed& feed) {
  feed.Channel()->Optional()->Image()->SetInclude(true);
  feed.Items()->Add();
  feed.Items()->Add();
}

// Reads the page as a browser would and expects nothing active in it, with the page's own structure intact.
void ExpectSafePage(const std::string& page, const std::string& what) {
  page_reader::TReading reading = page_reader::Read(page);
  EXPECT_TRUE(reading.Findings.empty()) << page_reader::Joined(reading.Findings) << "\nfrom: " << what;
  EXPECT_EQ(page.find("href=\"#UPDATE\""), page.rfind("href=\"#UPDATE\"")) << what;
  EXPECT_NE(page.find("href=\"#XMLSOURCE\""), std::string::npos) << what;
  EXPECT_EQ(page.substr(page.size() - 9), "</html>\r\n") << what;
}

}  // namespace

TEST(FeedSafety, HostileFragmentsInEveryField) {
  for (const std::string& fragment : HostileFragments()) {
    TFeed feed;
    PrepareFeed(feed);
    for (const auto& field : kFields) field.Set(feed, fragment);
    ExpectSafePage(RenderPage(feed), fragment);
    if (HasFailure()) break;
  }
}

// Pieces of hostile fragments cut at random places and spread over random fields, so that what one value leaves
// open another could close.
TEST(FeedSafety, FragmentsJoinedAcrossFields) {
  std::mt19937 random(7122026);
  const std::vector<std::string>& fragments = HostileFragments();
  auto pick = [&](size_t size) { return std::uniform_int_distribution<size_t>(0, size - 1)(random); };
  for (int round = 0; round < 400; ++round) {
    TFeed feed;
    PrepareFeed(feed);
    std::string record;
    for (const auto& field : kFields) {
      if (pick(3) == 0) continue;
      std::string text;
      for (size_t pieces = 1 + pick(3); pieces > 0; --pieces) {
        const std::string& fragment = fragments[pick(fragments.size())];
        size_t cut = pick(fragment.size() + 1);
        text += pick(2) == 0 ? fragment.substr(0, cut) : fragment.substr(cut);
      }
      field.Set(feed, text);
      record += std::string(field.Name) + ": " + text + "\n";
    }
    ExpectSafePage(RenderPage(feed), record);
    if (HasFailure()) break;
  }
}

TEST(FeedSafety, AQuoteLeftOpenStaysInItsValue) {
  TFeed feed;
  LoadDocument(feed, Rss("<title>T</title><copyright>' onerror='alert(1)'&gt;</copyright>"
                         "<item><description>&lt;img src=x title='</description></item>"));
  std::string page = RenderPage(feed);
  ExpectSafePage(page, "quotes across fields");
  EXPECT_NE(page.find(">' onerror='alert(1)'&gt;</font>"), std::string::npos);
  EXPECT_EQ(page.find("<img"), std::string::npos);
}

// Values are written as they are: a placeholder in feed text is text.
TEST(FeedSafety, PlaceholdersInFeedTextStayText) {
  std::string manyContents;
  for (int i = 0; i < 300; ++i) manyContents += "%%CONTENT%%";
  TFeed feed;
  LoadDocument(feed, Rss("<title>" + manyContents +
                         "</title>"
                         "<description>d\" onmouseover=\"alert(11)</description>"
                         "<copyright>&lt;a href=\"%%TITLEDESC%%\"&gt;c&lt;/a&gt; %%XMLDATE%% %%COPYRIGHT%%</copyright>"
                         "<lastBuildDate>Sat, 07 Sep 2002 00:00:01 %%TITLE%%</lastBuildDate>"
                         "<item><title>Only item %%TITLECAPTION%%</title></item>"));
  std::string page = RenderPage(feed);
  ExpectSafePage(page, "placeholders");
  EXPECT_EQ(page_reader::Count(page, "<a name=\"0\">"), 1u);
  EXPECT_EQ(page_reader::Count(page, "%%CONTENT%%"), 600u);  // the title and the caption
  EXPECT_LT(page.size(), 16000u);
  EXPECT_NE(page.find("<a href=\"%%TITLEDESC%%\">c</a> %%XMLDATE%% %%COPYRIGHT%%"), std::string::npos);
  EXPECT_NE(page.find(" 00:00:01 %%TITLE%%"), std::string::npos);
  EXPECT_NE(page.find("Only item %%TITLECAPTION%%"), std::string::npos);
}

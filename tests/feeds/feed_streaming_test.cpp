#include <gtest/gtest.h>

#include <memory>

#include "feed_fixtures.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"

using namespace feeds;

namespace {

size_t PositionOf(const String& text, const wchar_t* part) {
  size_t at = text.find(part);
  EXPECT_NE(at, String::npos) << part;
  return at;
}

}  // namespace

// The feed component is stored with its form: every published part, in the published order, defaults left out.
TEST(FeedStreaming, StoresAndRestoresTheModel) {
  TFeed feed;
  feed.SetName(L"FeedParser");
  LoadFixture(feed, "rss091.xml");
  feed.XMLFileOptions()->SetParseOptions({TParseOption::poPreserveWhiteSpace});
  feed.Items()->Items(0)->Categories()->Add()->SetTitle("tides");
  String text = ComponentToText(&feed);

  EXPECT_LT(PositionOf(text, L"XMLFileOptions.ParseOptions = [poPreserveWhiteSpace]"),
            PositionOf(text, L"Channel.Required.Title = 'Harbour Notes'"));
  EXPECT_LT(PositionOf(text, L"Channel.Required.Title"), PositionOf(text, L"Channel.Optional.Language = langEN_GB"));
  EXPECT_LT(PositionOf(text, L"Channel.Optional.SkipHours.h07 = True"),
            PositionOf(text, L"Channel.Optional.SkipHours.h00 = True"));
  EXPECT_LT(PositionOf(text, L"Items = <"), PositionOf(text, L"Version = '0.91'"));
  EXPECT_EQ(text.find(L"XMLFileOptions.Options"), String::npos);
  EXPECT_EQ(text.find(L"Channel.Optional.TTL"), String::npos);
  EXPECT_EQ(text.find(L"SkipHours.h01"), String::npos);

  std::unique_ptr<TComponent> created(ReadComponentFromText(text, nullptr));
  auto* copy = ObjectAs<TFeed>(created.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Version(), "0.91");
  EXPECT_TRUE(copy->XMLFileOptions()->ParseOptions().Contains(TParseOption::poPreserveWhiteSpace));
  const TRSSChannelOpt& optional = *copy->Channel()->Optional();
  EXPECT_EQ(copy->Channel()->Required()->Title(), "Harbour Notes");
  EXPECT_EQ(optional.Language(), TLanguages::langEN_GB);
  EXPECT_EQ(optional.Copyright(), "\xC2\xA9 2001 Harbour Notes");
  EXPECT_EQ(optional.LastBuildDate()->TimeZone(), L"+0100");
  EXPECT_EQ(optional.LastBuildDate()->DateTime(), feed.Channel()->Optional()->LastBuildDate()->DateTime());
  EXPECT_EQ(optional.Image()->Optional()->Width(), 144);
  EXPECT_TRUE(optional.TextInput()->Include());
  EXPECT_TRUE(optional.SkipHours()->Hour(0));
  EXPECT_TRUE(optional.SkipHours()->Hour(7));
  EXPECT_FALSE(optional.SkipHours()->Hour(1));
  EXPECT_TRUE(optional.SkipDays()->Saturday());
  ASSERT_EQ(copy->Items()->Count(), 2);
  EXPECT_EQ(copy->Items()->Items(1)->Title(), "Caf\xC3\xA9 on the quay");
  ASSERT_EQ(copy->Items()->Items(0)->Categories()->Count(), 1);
  EXPECT_EQ(copy->Items()->Items(0)->Categories()->Items(0)->Title(), "tides");
}

#include <gtest/gtest.h>

#include "feeds/feed.h"
#include "feeds/languages.h"

using namespace feeds;

TEST(FeedModel, FreshComponentDefaults) {
  TFeed feed;
  EXPECT_EQ(feed.Version(), "2.0");
  EXPECT_EQ(feed.Items()->Count(), 0);
  EXPECT_EQ(feed.Channel()->Required()->Title(), "");
  const TRSSChannelOpt& optional = *feed.Channel()->Optional();
  EXPECT_EQ(optional.Language(), TLanguages::langEN);
  EXPECT_EQ(static_cast<int>(optional.Language()), 14);
  EXPECT_EQ(optional.TTL(), 60);
  EXPECT_EQ(optional.Docs(), DefaultFeedDocs);
  EXPECT_EQ(optional.Cloud()->Port(), 0);
  EXPECT_FALSE(optional.Cloud()->Include());
  EXPECT_FALSE(optional.Image()->Include());
  EXPECT_EQ(optional.Categories()->Count(), 0);
  EXPECT_FALSE(optional.PubDate()->IsSet());
  EXPECT_EQ(optional.LastBuildDate()->TimeZone(), L"GMT");
  for (int hour = 0; hour < TRSSChannelSkipHours::HourCount; ++hour) EXPECT_FALSE(optional.SkipHours()->Hour(hour));
  EXPECT_FALSE(optional.SkipDays()->Sunday());
  EXPECT_EQ(feed.XMLFileOptions()->DOMVendor(), DefaultDOMVendor);
  EXPECT_TRUE(feed.XMLFileOptions()->ParseOptions().Empty());
  EXPECT_EQ(feed.XMLFileOptions()->Options(),
            TXMLDocOptions({TXMLDocOption::doNodeAutoCreate, TXMLDocOption::doAttrNull, TXMLDocOption::doAutoPrefix,
                            TXMLDocOption::doNamespaceDecl}));
}

TEST(FeedModel, RequiredTextsReadBlankAsEmpty) {
  TRSSChannelReq channel;
  channel.SetTitle(" \t\r\n ");
  channel.SetLink("  ");
  channel.SetDesc("  kept as stored  ");
  EXPECT_EQ(channel.Title(), "");
  EXPECT_EQ(channel.Link(), "");
  EXPECT_EQ(channel.Desc(), "  kept as stored  ");

  TRSSImageReq image;
  image.SetURL("\x01\x1F ");
  image.SetTitle(" t");
  EXPECT_EQ(image.URL(), "");
  EXPECT_EQ(image.Title(), " t");
}

TEST(FeedModel, SettersClampTheirRanges) {
  TRSSChannelOpt optional;
  optional.SetTTL(0);
  EXPECT_EQ(optional.TTL(), 0);
  optional.SetTTL(-7);
  EXPECT_EQ(optional.TTL(), 0);
  optional.SetTTL(1);
  EXPECT_EQ(optional.TTL(), 1);

  TRSSImageOpt image;
  image.SetWidth(200);
  image.SetHeight(-5);
  EXPECT_EQ(image.Width(), 144);
  EXPECT_EQ(image.Height(), 0);
  image.SetWidth(-1);
  image.SetHeight(401);
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(image.Height(), 400);
  image.SetWidth(88);
  image.SetHeight(31);
  EXPECT_EQ(image.Width(), 88);
  EXPECT_EQ(image.Height(), 31);

  TRSSCloud cloud;
  cloud.SetPort(0);
  EXPECT_EQ(cloud.Port(), 1);
  cloud.SetPort(8080);
  EXPECT_EQ(cloud.Port(), 8080);

  TRSSChannelSkipHours hours;
  hours.SetHour(23, true);
  EXPECT_TRUE(hours.Hour(23));
  EXPECT_THROW(hours.SetHour(24, true), EListError);
  EXPECT_THROW(hours.Hour(-1), EListError);
}

TEST(FeedModel, LanguageCodes) {
  EXPECT_EQ(LanguageCode(TLanguages::langZH_CN), "zh-cn");
  EXPECT_EQ(LanguageCode(TLanguages::langZH_TW), "zh-tw");
  EXPECT_EQ(LanguageCode(TLanguages::langAF), "af");
  EXPECT_EQ(LanguageCode(TLanguages::langEN_US), "en-us");
  EXPECT_EQ(LanguageCode(TLanguages::langHAW), "haw");
  EXPECT_EQ(LanguageCode(TLanguages::langUK), "uk");
  EXPECT_EQ(LanguageCode(TLanguages::langX), "");
  EXPECT_EQ(static_cast<int>(TLanguages::langX), LanguageCodeCount);
}

// The object-valued setters copy into the object the model keeps, so the caller's object stays the caller's.
TEST(FeedModel, ObjectSettersCopy) {
  TRSSChannelOpt optional;
  TRSSImage* kept = optional.Image();
  {
    TRSSImage image;
    image.SetInclude(true);
    image.Required()->SetURL("http://x.example/logo.png");
    image.Optional()->SetWidth(88);
    optional.SetImage(&image);
    image.Required()->SetURL("changed afterwards");
  }
  EXPECT_EQ(optional.Image(), kept);
  EXPECT_TRUE(optional.Image()->Include());
  EXPECT_EQ(optional.Image()->Required()->URL(), "http://x.example/logo.png");
  EXPECT_EQ(optional.Image()->Optional()->Width(), 88);

  TRSSChannelCategories categories;
  categories.Add()->SetCategory("one");
  categories.Add()->SetCategory("two");
  optional.SetCategories(&categories);
  categories.Items(0)->SetCategory("changed");
  ASSERT_EQ(optional.Categories()->Count(), 2);
  EXPECT_EQ(optional.Categories()->Items(0)->Category(), "one");

  TRFC822DateTime date;
  date.SetTimeZone(L"EST");
  optional.SetPubDate(&date);
  EXPECT_EQ(optional.PubDate()->TimeZone(), L"EST");
  EXPECT_TRUE(optional.PubDate()->IsSet());
  EXPECT_NE(optional.PubDate(), &date);

  TFeed feed;
  TRSSChannel channel;
  channel.Required()->SetTitle("Copied");
  channel.Optional()->SetTTL(5);
  feed.SetChannel(&channel);
  EXPECT_NE(feed.Channel(), &channel);
  EXPECT_EQ(feed.Channel()->Required()->Title(), "Copied");
  EXPECT_EQ(feed.Channel()->Optional()->TTL(), 5);

  TRSSItems items;
  TRSSItem* item = items.Add();
  item->SetTitle("An item");
  item->PubDate()->SetTimeZone(L"+0100");
  item->Categories()->Add()->SetTitle("c");
  feed.SetItems(&items);
  ASSERT_EQ(feed.Items()->Count(), 1);
  EXPECT_NE(feed.Items()->Items(0), item);
  EXPECT_EQ(feed.Items()->Items(0)->Title(), "An item");
  EXPECT_EQ(feed.Items()->Items(0)->PubDate()->TimeZone(), L"+0100");
  EXPECT_EQ(feed.Items()->Items(0)->Categories()->Items(0)->Title(), "c");

  TXMLFileOptions options;
  options.SetParseOptions({TParseOption::poPreserveWhiteSpace});
  feed.SetXMLFileOptions(&options);
  EXPECT_NE(feed.XMLFileOptions(), &options);
  EXPECT_TRUE(feed.XMLFileOptions()->ParseOptions().Contains(TParseOption::poPreserveWhiteSpace));

  // Objects of another class are refused.
  EXPECT_THROW(optional.Cloud()->Assign(&date), EConvertError);
}

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "feed_fixtures.h"
#include "framework/text_convert.h"
#include "page_reader.h"

using namespace feeds;

TEST(FeedReading, Rss20ChannelAndItems) {
  TFeed feed;
  LoadFixture(feed, "rss20.xml");
  EXPECT_EQ(feed.Version(), "2.0");
  const TRSSChannelReq& required = *feed.Channel()->Required();
  const TRSSChannelOpt& optional = *feed.Channel()->Optional();
  EXPECT_EQ(required.Title(), "Night Sky");
  EXPECT_EQ(required.Link(), "http://sky.example/");
  EXPECT_EQ(required.Desc(), "What to look for after dark");
  EXPECT_EQ(optional.Language(), TLanguages::langDE_DE);
  EXPECT_EQ(optional.XLang(), "");
  EXPECT_EQ(optional.Generator(), "handwritten");
  EXPECT_EQ(optional.TTL(), 90);
  ASSERT_EQ(optional.Categories()->Count(), 2);
  EXPECT_EQ(optional.Categories()->Items(0)->Category(), "astronomy");
  EXPECT_EQ(optional.Categories()->Items(0)->Domain(), "http://sky.example/cats");
  EXPECT_EQ(optional.Categories()->Items(1)->Category(), "weather");
  EXPECT_EQ(optional.Categories()->Items(1)->Domain(), "");
  // A cloud without attributes is not included and reads nothing else.
  EXPECT_FALSE(optional.Cloud()->Include());
  EXPECT_EQ(optional.Cloud()->Port(), 0);

  ASSERT_EQ(feed.Items()->Count(), 3);
  const TRSSItem& mars = *feed.Items()->Items(0);
  EXPECT_EQ(mars.Title(), "Mars at opposition");
  EXPECT_EQ(mars.Link(), "http://sky.example/mars");
  EXPECT_EQ(mars.Description(), "Mars is <i>bright</i>.");
  EXPECT_EQ(mars.Author(), "ann@sky.example");
  EXPECT_TRUE(mars.PubDate()->IsSet());
  EXPECT_NEAR(mars.PubDate()->DateTime(), At(2002, 9, 7, 0, 0, 1), 1e-8);
  EXPECT_EQ(mars.StrDate(), "");
  // Elements the reader does not take stay empty.
  EXPECT_EQ(mars.Comments(), "");
  EXPECT_EQ(mars.GUID()->GUID(), "");

  const TRSSItem& meteors = *feed.Items()->Items(1);
  EXPECT_EQ(meteors.Title(), "Meteors <b>tonight</b>");
  EXPECT_EQ(meteors.Description(), "<p>Long text with <a href=\"http://sky.example/map\">a map</a>.</p>");
  EXPECT_EQ(meteors.StrDate(), "2002-09-08T21:00:00Z");
  EXPECT_EQ(meteors.PubDate()->TimeZone(), L"+0200");
  EXPECT_NEAR(meteors.PubDate()->DateTime(), At(2002, 9, 8, 21, 0, 0), 1e-8);

  // Markup without CDATA stays whole, the title's own tags included; the last description element wins; an
  // item nested in an item is not read.
  const TRSSItem& moon = *feed.Items()->Items(2);
  EXPECT_EQ(moon.Title(), "<title>Moon <em>and</em> Venus</title>");
  EXPECT_EQ(moon.Description(), "last wins");
  EXPECT_EQ(moon.PubDate()->FormatRFC822(English()), L"Mon, 09 Sep 2002 20:15:00 EST");
}

TEST(FeedReading, Rss091ChannelParts) {
  TFeed feed;
  LoadFixture(feed, "rss091.xml");
  EXPECT_EQ(feed.Version(), "0.91");
  const TRSSChannelOpt& optional = *feed.Channel()->Optional();
  EXPECT_EQ(optional.Language(), TLanguages::langEN_GB);
  EXPECT_EQ(optional.Copyright(), "\xC2\xA9 2001 Harbour Notes");
  EXPECT_EQ(optional.ManagingEditor(), "editor@harbour.example");
  EXPECT_EQ(optional.WebMaster(), "web@harbour.example");
  EXPECT_EQ(optional.Rating().substr(0, 10), "(PICS-1.1 ");
  EXPECT_EQ(optional.Docs(), "http://harbour.example/docs");
  EXPECT_TRUE(optional.PubDate()->IsSet());
  EXPECT_EQ(optional.LastBuildDate()->TimeZone(), L"+0100");
  EXPECT_NEAR(optional.LastBuildDate()->DateTime(), At(2001, 9, 3, 9, 30, 15), 1e-8);

  const TRSSImage& image = *optional.Image();
  EXPECT_TRUE(image.Include());
  EXPECT_EQ(image.Required()->Title(), "Harbour Notes");
  EXPECT_EQ(image.Required()->URL(), "http://harbour.example/logo.gif");
  EXPECT_EQ(image.Required()->Link(), "http://harbour.example/");
  EXPECT_EQ(image.Optional()->Width(), 144);
  EXPECT_EQ(image.Optional()->Height(), 31);
  EXPECT_EQ(image.Optional()->Description(), "The harbour at dawn");

  const TRSSTextInput& input = *optional.TextInput();
  EXPECT_TRUE(input.Include());
  EXPECT_EQ(input.Title(), "Search");
  EXPECT_EQ(input.Description(), "Search the notes");
  EXPECT_EQ(input.TextInputName(), "q");
  EXPECT_EQ(input.Link(), "http://harbour.example/search");

  for (int hour = 0; hour < TRSSChannelSkipHours::HourCount; ++hour)
    EXPECT_EQ(optional.SkipHours()->Hour(hour), hour == 0 || hour == 7) << hour;
  EXPECT_TRUE(optional.SkipDays()->Saturday());
  EXPECT_FALSE(optional.SkipDays()->Sunday());

  ASSERT_EQ(feed.Items()->Count(), 2);
  EXPECT_EQ(feed.Items()->Items(0)->Description(), "The highest tide of the year <b>tonight</b>.");
  EXPECT_EQ(feed.Items()->Items(1)->Title(), "Caf\xC3\xA9 on the quay");
}

TEST(FeedReading, Rss092CloudAndClamps) {
  TFeed feed;
  LoadFixture(feed, "rss092.xml");
  EXPECT_EQ(feed.Version(), "0.92");
  const TRSSChannelOpt& optional = *feed.Channel()->Optional();
  const TRSSCloud& cloud = *optional.Cloud();
  EXPECT_TRUE(cloud.Include());
  EXPECT_EQ(cloud.Domain(), "rpc.garden.example");
  EXPECT_EQ(cloud.Port(), 1);
  EXPECT_EQ(cloud.Path(), "/RPC2");
  EXPECT_EQ(cloud.RegisterProcedure(), "notify.me");
  EXPECT_EQ(cloud.Protocol(), "xml-rpc");
  EXPECT_EQ(optional.TTL(), 0);
  ASSERT_EQ(feed.Items()->Count(), 2);
  EXPECT_EQ(feed.Items()->Items(0)->Title(), "Beans");
  EXPECT_FALSE(feed.Items()->Items(0)->Enclosure()->Include());
  EXPECT_EQ(feed.Items()->Items(0)->Categories()->Count(), 0);
  EXPECT_EQ(feed.Items()->Items(1)->Title(), "");
  // Item categories belong to the item, which does not read them; the channel has none.
  EXPECT_EQ(optional.Categories()->Count(), 0);
}

TEST(FeedReading, Rss10ItemsBesideTheChannel) {
  TFeed feed;
  feed.SetVersion("kept");
  LoadFixture(feed, "rss10.rdf");
  EXPECT_EQ(feed.Version(), "kept");
  const TRSSChannelReq& required = *feed.Channel()->Required();
  const TRSSChannelOpt& optional = *feed.Channel()->Optional();
  EXPECT_EQ(required.Title(), "Bird Counts");
  EXPECT_EQ(required.Link(), "http://birds.example/");
  EXPECT_EQ(required.Desc(), "Weekly counts from the marsh");
  EXPECT_EQ(optional.Copyright(), "Counted by volunteers");
  EXPECT_EQ(optional.Modified(), "2003-04-05T06:07:08+00:00");
  // The channel's empty image reference is followed by the image element itself.
  EXPECT_TRUE(optional.Image()->Include());
  EXPECT_EQ(optional.Image()->Required()->Title(), "Heron");
  EXPECT_EQ(optional.Image()->Required()->URL(), "http://birds.example/heron.png");
  // The names are compared exactly: "textinput" is not "textInput".
  EXPECT_FALSE(optional.TextInput()->Include());
  ASSERT_EQ(feed.Items()->Count(), 2);
  EXPECT_EQ(feed.Items()->Items(0)->Title(), "Week one");
  EXPECT_EQ(feed.Items()->Items(0)->Description(), "Twelve herons.");
  EXPECT_EQ(feed.Items()->Items(0)->StrDate(), "2003-04-01");
  EXPECT_EQ(feed.Items()->Items(1)->Link(), "http://birds.example/w2");
  EXPECT_EQ(feed.Items()->Items(1)->Description(), "");
}

TEST(FeedReading, Atom03Entries) {
  TFeed feed;
  LoadFixture(feed, "atom03.xml");
  EXPECT_EQ(feed.Version(), "0.3");
  const TRSSChannelReq& required = *feed.Channel()->Required();
  EXPECT_EQ(required.Title(), "Workshop Diary");
  EXPECT_EQ(required.Link(), "http://workshop.example/");
  EXPECT_EQ(required.Desc(), "Wood, glue and patience");
  EXPECT_EQ(feed.Channel()->Optional()->Copyright(), "Copyright 2004 the workshop");
  EXPECT_EQ(feed.Channel()->Optional()->Modified(), "2004-02-03T04:05:06Z");

  ASSERT_EQ(feed.Items()->Count(), 2);
  const TRSSItem& first = *feed.Items()->Items(0);
  EXPECT_EQ(first.Title(), "Dovetails");
  EXPECT_EQ(first.Link(), "http://workshop.example/dovetails");
  EXPECT_EQ(first.StrDate(), "2004-02-01T10:00:00Z");
  EXPECT_EQ(first.Author(), "Pat Joiner");
  EXPECT_EQ(first.Description(), "Cutting them by hand.");
  EXPECT_FALSE(first.PubDate()->IsSet());

  const TRSSItem& second = *feed.Items()->Items(1);
  EXPECT_EQ(second.Link(), "");
  EXPECT_EQ(second.StrDate(), "2004-02-03T09:00:00Z");
  EXPECT_EQ(second.Description(), "<p>Clamp <b>everything</b>.</p>");
}

TEST(FeedReading, LegacyEncodingsAndUnicode) {
  TFeed utf8;
  ASSERT_NO_THROW(LoadFixture(utf8, "cyrillic-utf8.xml"));
  const std::string title =
      "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8 "
      "\xD0\xB3\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB4\xD0\xB0";
  EXPECT_EQ(utf8.Channel()->Required()->Title(), title);
  for (const char* name : {"cyrillic-koi8r.xml", "cyrillic-1251.xml"}) {
    TFeed feed;
    ASSERT_NO_THROW(LoadFixture(feed, name)) << name;
    EXPECT_EQ(feed.Channel()->Required()->Title(), title) << name;
    EXPECT_EQ(feed.Channel()->Required()->Desc(), utf8.Channel()->Required()->Desc()) << name;
    ASSERT_EQ(feed.Items()->Count(), 1) << name;
    EXPECT_EQ(feed.Items()->Items(0)->Title(), utf8.Items()->Items(0)->Title()) << name;
    // The author is a field the model keeps in the ANSI code page.
    EXPECT_EQ(feed.Items()->Items(0)->Author(), WideToAnsi(L"\u0418\u0432\u0430\u043D")) << name;
  }

  TFeed unicode;
  LoadFixture(unicode, "unicode-utf8.xml");
  EXPECT_EQ(unicode.Channel()->Required()->Title(),
            "\xC3\x9Cn\xC3\xAF"
            "c\xC3\xB6"
            "d\xC3\xA9 \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x9C\x93");
  // A title given as CDATA markup keeps every character, whatever the ANSI code page holds.
  ASSERT_EQ(unicode.Items()->Count(), 1);
  EXPECT_EQ(unicode.Items()->Items(0)->Title(),
            "<b>Gr\xC3\xB6\xC3\x9F"
            "e</b> & \xE5\xA4\xA7\xE3\x81\x8D\xE3\x81\x95 \xF0\x9F\x98\x80");
  EXPECT_EQ(unicode.Items()->Items(0)->Description(),
            "Stra\xC3\x9F"
            "e <i>nach</i> Z\xC3\xBCrich");
}

TEST(FeedReading, TitleAndDescriptionMarkup) {
  TFeed feed;
  LoadDocument(feed, Rss("<item><title>A <![CDATA[<i>first</i>]]> and <![CDATA[second]]></title>"
                         "<description>Some <b>markup</b> and <![CDATA[<u>cdata</u>]]></description></item>"
                         "<item><title/><description></description></item>"
                         "<item><title><![CDATA[unclosed]]></title><description>  padded  </description></item>"));
  ASSERT_EQ(feed.Items()->Count(), 3);
  EXPECT_EQ(feed.Items()->Items(0)->Title(), "<i>first</i>");
  const std::string description = feed.Items()->Items(0)->Description();
  EXPECT_EQ(description.find("<![CDATA["), std::string::npos);
  EXPECT_EQ(description.find("]]>"), std::string::npos);
  EXPECT_EQ(description.rfind("<description>", 0), 0u);
  EXPECT_NE(description.find("Some <b>markup</b> and <u>cdata</u></description>"), std::string::npos);
  // Empty elements give empty texts, not their own markup.
  EXPECT_EQ(feed.Items()->Items(1)->Title(), "");
  EXPECT_EQ(feed.Items()->Items(1)->Description(), "");
  EXPECT_EQ(feed.Items()->Items(2)->Title(), "unclosed");
  EXPECT_EQ(feed.Items()->Items(2)->Description(), "  padded  ");
}

TEST(FeedReading, LanguageCodesOutsideTheTable) {
  struct Case {
    const char* code;
    TLanguages language;
    const char* xlang;
  } cases[] = {
      {"de-de", TLanguages::langDE_DE, ""},
      {"DE", TLanguages::langX, "DE"},
      {"tlh", TLanguages::langX, "tlh"},
      {"zh-tw", TLanguages::langZH_TW, ""},
  };
  for (const Case& c : cases) {
    TFeed feed;
    LoadDocument(feed, Rss(std::string("<language>") + c.code + "</language>"));
    EXPECT_EQ(feed.Channel()->Optional()->Language(), c.language) << c.code;
    EXPECT_EQ(feed.Channel()->Optional()->XLang(), c.xlang) << c.code;
  }
}

// One bad field must not cost the fields that follow it in the same item, image or cloud.
TEST(FeedReading, ABadFieldLosesOnlyItself) {
  TFeed feed;
  LoadDocument(feed,
               Rss("<image><url>http://x.example/i.png</url><width>wide</width><height>20</height>"
                   "<title>Logo</title></image>"
                   "<cloud domain=\"d.example\" port=\"eighty\" path=\"/rpc\" protocol=\"soap\"/>"
                   "<ttl>soon</ttl><title>After the bad ttl</title>"
                   "<item><title>First</title><dc:date>2002-01-01</dc:date>"
                   "<pubDate>Someday, 99 Foo 2002 25:61:00 GMT</pubDate>"
                   "<link>http://x.example/1</link><author>me@x.example</author>"
                   "<description>still read</description></item>"
                   "<entry><title>Atom</title><link rel=\"alternate\"/><author><name>Al</name></author></entry>"));
  const TRSSChannelOpt& optional = *feed.Channel()->Optional();
  EXPECT_EQ(optional.Image()->Required()->URL(), "http://x.example/i.png");
  EXPECT_EQ(optional.Image()->Optional()->Width(), 0);
  EXPECT_EQ(optional.Image()->Optional()->Height(), 20);
  EXPECT_EQ(optional.Image()->Required()->Title(), "Logo");
  EXPECT_TRUE(optional.Cloud()->Include());
  EXPECT_EQ(optional.Cloud()->Domain(), "d.example");
  EXPECT_EQ(optional.Cloud()->Port(), 0);
  EXPECT_EQ(optional.Cloud()->Path(), "/rpc");
  EXPECT_EQ(optional.Cloud()->RegisterProcedure(), "");
  EXPECT_EQ(optional.Cloud()->Protocol(), "soap");
  EXPECT_EQ(optional.TTL(), 60);
  EXPECT_EQ(feed.Channel()->Required()->Title(), "After the bad ttl");

  ASSERT_EQ(feed.Items()->Count(), 2);
  const TRSSItem& item = *feed.Items()->Items(0);
  EXPECT_EQ(item.Title(), "First");
  EXPECT_EQ(item.StrDate(), "2002-01-01");
  EXPECT_FALSE(item.PubDate()->IsSet());
  EXPECT_EQ(item.PubDate()->TimeZone(), L"GMT");
  EXPECT_EQ(item.Link(), "http://x.example/1");
  EXPECT_EQ(item.Author(), "me@x.example");
  EXPECT_EQ(item.Description(), "still read");
  // An alternate link without an address is passed over; the author after it is read.
  EXPECT_EQ(feed.Items()->Items(1)->Link(), "");
  EXPECT_EQ(feed.Items()->Items(1)->Author(), "Al");
}

TEST(FeedReading, MalformedDocumentsRaiseAndKeepTheModel) {
  TFeed feed;
  LoadFixture(feed, "rss20.xml");
  const char* broken[] = {"malformed-truncated.xml", "malformed-html.xml"};
  for (const char* name : broken) {
    EXPECT_THROW(LoadFixture(feed, name), EDOMParseError) << name;
    EXPECT_EQ(feed.Channel()->Required()->Title(), "Night Sky") << name;
    EXPECT_EQ(feed.Items()->Count(), 3) << name;
    EXPECT_EQ(feed.Version(), "2.0") << name;
  }
  EXPECT_THROW(LoadDocument(feed, ""), EDOMParseError);
  EXPECT_EQ(feed.Items()->Count(), 3);
}

// Every downloaded page is tested for a feed: an XML declaration that is not well-formed, or whose version or
// encoding runs longer than any real one (the platform's parser has faulted on a version of two dozen digits), is
// refused before the parser reads it; the declarations feeds carry load, in one and in two bytes a character.
TEST(FeedReading, HostileXMLDeclarationsAreRefusedBeforeTheParser) {
  const std::string body = "<rss version=\"2.0\"><channel><title>Declared</title></channel></rss>";
  struct TCase {
    std::string Declaration;
    bool Loads;
  };
  const TCase cases[] = {
      {"<?xml version=\"1.00000000000000000000000001\"?>", false},
      {"<?xml version=\"1." + std::string(22, '0') + "\"?>", false},
      {"<?xml version=\"1." + std::string(98, '9') + "\"?>", false},
      {"<?xml version=\"1.0\" encoding=\"" + std::string(300, 'a') + "\"?>", false},
      {"<?xml version=\"1.0\" encoding=\"9UTF\"?>", false},
      {"<?xml version=\"2.0\"?>", false},
      {"<?xml version=\"1.0\" standalone=\"maybe\"?>", false},
      {"<?xml version=\"1.0\" version=\"1.0\"?>", false},
      {"<?xml version='1.0?>", false},
      {"<?xml encoding=\"UTF-8\"?>", false},
      {"<?xml version=\"1.0\"?>", true},
      {"<?xml version='1.0' encoding='utf-8' standalone='yes' ?>", true},
      {"<?xml version = \"1.1\"\tencoding = \"ISO-8859-1\"?>", true},
      {"<?xml-stylesheet href=\"a.xsl\"?>", true},
      {"", true},
  };
  for (const TCase& c : cases) {
    for (const bool wide : {false, true}) {
      SCOPED_TRACE(c.Declaration + (wide ? " (two bytes a character)" : ""));
      std::string bytes = c.Declaration + body;
      if (wide) {
        std::string units = "\xFF\xFE";
        for (char ch : bytes) units += std::string{ch, '\0'};
        bytes = units;
        // A declaration in two bytes a character names an encoding of two.
        if (c.Declaration.find("ISO-8859-1") != std::string::npos) continue;
      }
      TFeed feed;
      if (c.Loads) {
        LoadDocument(feed, bytes);
        EXPECT_EQ(feed.Channel()->Required()->Title(), "Declared");
      } else {
        EXPECT_THROW(LoadDocument(feed, bytes), EDOMParseError);
      }
    }
  }
}

// The platform's parser passes over any run of byte-order marks and guesses two bytes a character without one, so
// a long version behind such a run reached it and faulted: whatever marks and form come first, a hostile
// declaration is refused, and the ordinary one loads or is refused, but never ends the program.
TEST(FeedReading, HostileDeclarationsBehindAnyMarksAreRefused) {
  const std::string body = "<rss version=\"2.0\"><channel><title>Marked</title></channel></rss>";
  auto utf16 = [](const std::string& text, bool bigEndian) {
    std::string units;
    for (char ch : text) units += bigEndian ? std::string{'\0', ch} : std::string{ch, '\0'};
    return units;
  };
  const std::string utf8Mark = "\xEF\xBB\xBF", leMark = "\xFF\xFE", beMark = "\xFE\xFF";
  struct TForm {
    const char* Name;
    std::function<std::string(const std::string&)> Encode;
  };
  const TForm forms[] = {
      {"two UTF-8 marks", [&](const std::string& t) { return utf8Mark + utf8Mark + t; }},
      {"ten UTF-8 marks",
       [&](const std::string& t) {
         std::string marks;
         for (int i = 0; i < 10; ++i) marks += utf8Mark;
         return marks + t;
       }},
      {"UTF-8 mark, UTF-16 with its mark", [&](const std::string& t) { return utf8Mark + leMark + utf16(t, false); }},
      {"UTF-8 mark, UTF-16 without a mark", [&](const std::string& t) { return utf8Mark + utf16(t, false); }},
      {"UTF-16 without a mark", [&](const std::string& t) { return utf16(t, false); }},
      {"UTF-16 big-endian without a mark", [&](const std::string& t) { return utf16(t, true); }},
      {"UTF-16 mark, UTF-8 mark, UTF-16", [&](const std::string& t) { return leMark + utf8Mark + utf16(t, false); }},
      {"two UTF-16 marks", [&](const std::string& t) { return leMark + leMark + utf16(t, false); }},
      {"big-endian mark, UTF-8 mark, big-endian",
       [&](const std::string& t) { return beMark + utf8Mark + utf16(t, true); }},
      {"UTF-16 mark, UTF-8", [&](const std::string& t) { return leMark + t; }},
  };
  const std::string hostile[] = {"<?xml version=\"1." + std::string(98, '9') + "\"?>",
                                 "<?xml version=\"1.00000000000000000000000001\"?>",
                                 "<?xml version=\"1.0\" encoding=\"" + std::string(300, 'a') + "\"?>"};
  for (const TForm& form : forms) {
    SCOPED_TRACE(form.Name);
    for (const std::string& declaration : hostile) {
      TFeed feed;
      EXPECT_THROW(LoadDocument(feed, form.Encode(declaration + body)), EDOMParseError) << declaration;
    }
    TFeed feed;
    try {
      LoadDocument(feed, form.Encode("<?xml version=\"1.0\"?>" + body));
      EXPECT_EQ(feed.Channel()->Required()->Title(), "Marked");
    } catch (const EDOMParseError&) {
    }
  }
}

// A comment holding "--" is not well-formed, and the platform's parser takes time quadratic in a run of dashes
// after "<!--" before it says so: such a comment is refused before it is parsed, in one or two bytes a character.
TEST(FeedReading, CommentsHoldingTwoDashesAreRefusedBeforeTheParser) {
  const std::string dashes(138 * 1024, '-');
  const std::string body = "<rss version=\"2.0\"><channel><title>Commented</title></channel></rss>";
  struct TCase {
    std::string Document;
    bool Loads;
  };
  const TCase cases[] = {
      {"<?xml version=\"1.0\"?><!--" + dashes + body, false},
      {"<!--" + dashes + "-->" + body, false},
      {"<rss version=\"2.0\"><channel><title>Commented</title></channel><!-- a -- b --></rss>", false},
      {"<!-- a - b -->" + body, true},
      {"<!---->" + body, true},
      {"<rss version=\"2.0\"><channel><title><![CDATA[Commented <!-- -- -->]]></title></channel></rss>", true},
      {"<rss version=\"2.0\"><channel><title>Commented</title></channel><?note <!-- -- ?></rss>", true},
  };
  for (const TCase& c : cases) {
    for (const bool wide : {false, true}) {
      SCOPED_TRACE(c.Document.substr(0, 80) + (wide ? " (two bytes a character)" : ""));
      std::string bytes = c.Document;
      if (wide) {
        std::string units = "\xFF\xFE";
        for (char ch : bytes) units += std::string{ch, '\0'};
        bytes = units;
      }
      TFeed feed;
      if (c.Loads) {
        LoadDocument(feed, bytes);
        EXPECT_EQ(feed.Channel()->Required()->Title().substr(0, 9), "Commented");
      } else {
        try {
          LoadDocument(feed, bytes);
          ADD_FAILURE() << "loaded";
        } catch (const EDOMParseError& error) {
          EXPECT_NE(std::wstring(error.Message()).find(L"\"--\""), std::wstring::npos) << WideToUtf8(error.Message());
        }
      }
    }
  }
}

// The DOM expands entities in attribute values without limit: a document type declaring entities is refused as
// malformed, while one that only names an external definition loads (and nothing is fetched).
TEST(FeedReading, DocumentTypesDeclaringEntitiesAreRefused) {
  TFeed feed;
  LoadFixture(feed, "rss20.xml");
  std::string references;
  for (int i = 0; i < 1000; ++i) references += "&a;";
  const std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"" + std::string(100000, 'a') +
                           "\">]><rss version=\"" + references + "\"><channel><title>Bomb</title></channel></rss>";
  EXPECT_THROW(LoadDocument(feed, bomb), EDOMParseError);
  EXPECT_EQ(feed.Channel()->Required()->Title(), "Night Sky");
  EXPECT_EQ(feed.Items()->Count(), 3);
  EXPECT_EQ(feed.Version(), "2.0");

  LoadDocument(feed,
               "<?xml version=\"1.0\"?><!DOCTYPE rss SYSTEM \"http://x.example/rss-0.91.dtd\">"
               "<rss version=\"0.91\"><channel><title>External</title></channel></rss>");
  EXPECT_EQ(feed.Channel()->Required()->Title(), "External");
  EXPECT_EQ(feed.Version(), "0.91");
}

// Item links are kept as UTF-8 whatever the format, as the page writes them.
TEST(FeedReading, ItemLinksAreUTF8InEveryFormat) {
  const std::string address = "http://x.example/caf\xC3\xA9/\xD0\xB6\xE2\x82\xAC";
  const std::string documents[] = {
      Rss("<item><link>" + address + "</link></item>"),
      "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><channel><title>C</title></channel>"
      "<item><link>" +
          address + "</link></item></rdf:RDF>",
      "<feed version=\"0.3\"><entry><link rel=\"alternate\" href=\"" + address + "\"/></entry></feed>",
  };
  for (const std::string& document : documents) {
    TFeed feed;
    LoadDocument(feed, document);
    ASSERT_EQ(feed.Items()->Count(), 1) << document;
    EXPECT_EQ(feed.Items()->Items(0)->Link(), address) << document;
    EXPECT_NE(RenderPage(feed).find("href=\"" + address + "\""), std::string::npos) << document;
  }
}

// Randomly mutated feeds, with document types and entity declarations among the pieces put in: a load either
// succeeds or raises the parser's error and keeps the model, and a page rendered after it runs nothing.
TEST(FeedReading, MutatedDocuments) {
  std::mt19937 random(1207);
  auto pick = [&](size_t size) { return std::uniform_int_distribution<size_t>(0, size == 0 ? 0 : size - 1)(random); };
  std::vector<std::string> samples;
  for (const char* name : {"rss091.xml", "rss20.xml", "rss10.rdf", "atom03.xml", "unsafe.xml", "cyrillic-koi8r.xml"})
    samples.push_back(FixtureBytes(name));
  const std::string pieces[] = {"<!DOCTYPE rss [",
                                "<!ENTITY a \"aaaa\">",
                                "]>",
                                "&a;",
                                "<!ELEMENT rss ANY>",
                                "<!--",
                                "-->",
                                "<![CDATA[",
                                "]]>",
                                "<item>",
                                "</item>",
                                "&lt;script&gt;",
                                "\"",
                                "'",
                                "<",
                                "&",
                                "\xEF\xBB\xBF",
                                std::string("\0", 1),
                                "\xFF\xFE",
                                "\xFE\xFF",
                                "<!------------",
                                "<?xml version=\"1." + std::string(30, '9') + "\"?>"};
  const std::string marks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
  for (int round = 0; round < 300; ++round) {
    std::string bytes = samples[pick(samples.size())];
    for (int step = 0, steps = 1 + static_cast<int>(pick(4)); step < steps; ++step) {
      size_t at = pick(bytes.size() + 1);
      switch (pick(5)) {
        case 0:
          bytes.insert(at, pieces[pick(std::size(pieces))]);
          break;
        case 4:
          bytes.insert(0, marks[pick(std::size(marks))]);
          break;
        case 1:
          bytes.erase(at, 1 + pick(8));
          break;
        case 2:
          if (!bytes.empty()) bytes[pick(bytes.size())] = static_cast<char>(pick(256));
          break;
        default:
          bytes.insert(at, bytes.substr(pick(bytes.size()), pick(40)));
      }
    }
    TFeed feed;
    feed.Channel()->Required()->SetTitle("Previous");
    try {
      LoadDocument(feed, bytes);
    } catch (const EDOMParseError&) {
      EXPECT_EQ(feed.Channel()->Required()->Title(), "Previous");
    } catch (const std::exception& error) {
      ADD_FAILURE() << error.what() << "\nfrom: " << bytes;
    }
    page_reader::TReading reading = page_reader::Read(RenderPage(feed));
    EXPECT_TRUE(reading.Findings.empty()) << page_reader::Joined(reading.Findings) << "\nfrom: " << bytes;
    if (HasFailure()) break;
  }
}

TEST(FeedReading, ForeignDocumentsGiveAnEmptyModel) {
  TFeed feed;
  LoadFixture(feed, "rss091.xml");
  LoadFixture(feed, "foreign.xml");
  EXPECT_EQ(feed.Items()->Count(), 0);
  EXPECT_EQ(feed.Channel()->Required()->Title(), "");
  EXPECT_EQ(feed.Channel()->Optional()->TTL(), 60);
  EXPECT_FALSE(feed.Channel()->Optional()->Image()->Include());
  EXPECT_EQ(feed.Channel()->Optional()->Language(), TLanguages::langEN);
  // The root's version attribute is read whatever the document is.
  EXPECT_EQ(feed.Version(), "7");
}

TEST(FeedReading, EachLoadStartsFromDefaults) {
  TFeed feed;
  LoadFixture(feed, "rss091.xml");
  TRSSChannel* first = feed.Channel();
  EXPECT_EQ(feed.Channel()->Optional()->Language(), TLanguages::langEN_GB);
  LoadDocument(feed, "<rss><channel><item><title>Only</title></item></channel></rss>");
  EXPECT_NE(feed.Channel(), first);
  EXPECT_EQ(feed.Version(), "0.91");
  EXPECT_EQ(feed.Channel()->Optional()->Language(), TLanguages::langEN);
  EXPECT_FALSE(feed.Channel()->Optional()->SkipHours()->Hour(7));
  ASSERT_EQ(feed.Items()->Count(), 1);
  EXPECT_EQ(feed.Items()->Items(0)->Title(), "Only");
}

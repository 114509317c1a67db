#include "feeds/rfc822_date.h"

#include <gtest/gtest.h>

#include "feed_fixtures.h"
#include "framework/exceptions.h"

using namespace feeds;

namespace {

const TFormatSettings& German() {
  static const TFormatSettings settings =
      LocaleFormatSettings(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
  return settings;
}

void ExpectDate(const TRFC822DateTime& date, TDateTime expected, const wchar_t* zone) {
  EXPECT_NEAR(date.DateTime(), expected, 1e-8);
  EXPECT_EQ(date.TimeZone(), zone);
  EXPECT_TRUE(date.IsSet());
}

}  // namespace

TEST(RFC822Date, ParsesTheUsualForm) {
  TRFC822DateTime date;
  date.ParseRFC822(L"Sat, 07 Sep 2002 00:00:01 GMT", English());
  ExpectDate(date, At(2002, 9, 7, 0, 0, 1), L"GMT");
  EXPECT_EQ(date.FormatRFC822(English()), L"Sat, 07 Sep 2002 00:00:01 GMT");
}

TEST(RFC822Date, KeepsTheZoneAsText) {
  TRFC822DateTime plus;
  plus.ParseRFC822(L"Sun, 08 Sep 2002 10:00:00 +0200", English());
  TRFC822DateTime gmt;
  gmt.ParseRFC822(L"Sun, 08 Sep 2002 10:00:00 GMT", English());
  EXPECT_EQ(plus.DateTime(), gmt.DateTime());
  EXPECT_EQ(plus.TimeZone(), L"+0200");
  EXPECT_EQ(plus.FormatRFC822(English()), L"Sun, 08 Sep 2002 10:00:00 +0200");
}

TEST(RFC822Date, BlanksAroundAndBetweenParts) {
  TRFC822DateTime date;
  date.ParseRFC822(L" \t\r\n Mon,   09  Sep   2002  20:15:00   EST \r\n", English());
  ExpectDate(date, At(2002, 9, 9, 20, 15, 0), L"EST");
  // A tab between two parts does not separate them.
  TRFC822DateTime tabbed;
  EXPECT_THROW(tabbed.ParseRFC822(L"Mon, 09\tSep 2002 20:15:00 EST", English()), EConvertError);
}

TEST(RFC822Date, OldYearsMonthCaseAndMissingWeekday) {
  struct Case {
    const wchar_t* text;
    TDateTime expected;
  } cases[] = {
      {L"Tue, 10 Jun 03 04:00:00 GMT", At(2003, 6, 10, 4, 0, 0)},
      {L"Tue, 10 Jun 49 04:00:00 GMT", At(2049, 6, 10, 4, 0, 0)},
      {L"Thu, 10 Jun 99 04:00:00 GMT", At(1999, 6, 10, 4, 0, 0)},
      {L"Tue, 10 Jun 50 04:00:00 GMT", At(1950, 6, 10, 4, 0, 0)},
      {L"Tue, 10 Jun 103 04:00:00 GMT", At(2003, 6, 10, 4, 0, 0)},
      {L"Sat, 07 sep 2002 00:00:01 GMT", At(2002, 9, 7, 0, 0, 1)},
      {L"Sat, 07 SEP 2002 00:00:01 GMT", At(2002, 9, 7, 0, 0, 1)},
      {L"07 Sep 2002 00:00:01 GMT", At(2002, 9, 7, 0, 0, 1)},
      {L"7 Dec 02 23:59 GMT", At(2002, 12, 7, 23, 59, 0)},
  };
  for (const Case& c : cases) {
    TRFC822DateTime date;
    date.ParseRFC822(c.text, English());
    ExpectDate(date, c.expected, L"GMT");
  }
}

// Before 30 December 1899 the value is negative, and its time of day counts away from zero as the date does.
TEST(RFC822Date, DatesBeforeTheEpochKeepTheirTime) {
  const wchar_t* dates[] = {
      L"Wed, 01 Jan 1800 06:00:00 GMT", L"Fri, 29 Dec 1899 23:59:59 GMT", L"Sat, 30 Dec 1899 12:00:00 GMT",
      L"Sun, 31 Dec 1899 18:30:00 GMT", L"Mon, 01 Jan 0001 00:00:01 GMT", L"Fri, 31 Dec 1599 12:00:00 GMT",
  };
  for (const wchar_t* text : dates) {
    TRFC822DateTime date;
    date.ParseRFC822(text, English());
    EXPECT_EQ(date.FormatRFC822(English()), text);
  }
  TRFC822DateTime date;
  date.ParseRFC822(L"Wed, 01 Jan 1800 06:00:00 GMT", English());
  ExpectDate(date, At(1800, 1, 1, 6, 0, 0), L"GMT");
}

TEST(RFC822Date, AnUnknownMonthNameMeansJanuary) {
  TRFC822DateTime date;
  date.ParseRFC822(L"Sat, 07 Sept 2002 00:00:01 GMT", English());
  ExpectDate(date, At(2002, 1, 7, 0, 0, 1), L"GMT");
}

TEST(RFC822Date, FailuresRaiseAfterTheZoneIsReplaced) {
  TRFC822DateTime date;
  date.ParseRFC822(L"Sat, 07 Sep 2002 00:00:01 GMT", English());
  const TDateTime before = date.DateTime();

  // Without a zone the time is taken for it, and the year is then read as the time.
  EXPECT_THROW(date.ParseRFC822(L"Sat, 07 Sep 2002 00:00:01", English()), EConvertError);
  EXPECT_EQ(date.TimeZone(), L"00:00:01");
  EXPECT_EQ(date.DateTime(), before);

  const wchar_t* broken[] = {
      L"Wed, 31 Apr 2002 10:00:00 GMT",  // no such day
      L"Sat, xx Sep 2002 10:00:00 GMT",  // day not a number
      L"Sat, 07 Sep year 10:00:00 GMT",  // year not a number
      L"Sat, 07 Sep 2002 25:00:00 GMT",  // hour out of range
      L"Sat, 07 Sep 2002 10.00.00 GMT",  // not the locale's separator
      L"garbage",
      L"",
  };
  for (const wchar_t* text : broken) {
    TRFC822DateTime fresh;
    EXPECT_THROW(fresh.ParseRFC822(text, English()), EConvertError) << text;
    EXPECT_FALSE(fresh.IsSet()) << text;
  }
}

TEST(RFC822Date, FreshDatesAndTheSetFlag) {
  TDateTime before = Now();
  TRFC822DateTime date;
  TDateTime after = Now();
  EXPECT_FALSE(date.IsSet());
  EXPECT_EQ(date.TimeZone(), L"GMT");
  EXPECT_GE(date.DateTime(), before);
  EXPECT_LE(date.DateTime(), after);
  EXPECT_EQ(date.FormatRFC822(English()),
            FormatDateTime(L"ddd, dd mmm yyyy hh:nn:ss", date.DateTime(), English()) + L" GMT");

  // Storing the value already held does not mark the date as set; a new value does, and nothing clears it.
  date.SetTimeZone(L"GMT");
  date.SetDateTime(date.DateTime());
  EXPECT_FALSE(date.IsSet());
  date.SetTimeZone(L"EST");
  EXPECT_TRUE(date.IsSet());
  date.SetTimeZone(L"GMT");
  EXPECT_TRUE(date.IsSet());
}

TEST(RFC822Date, FormatsWithTheLocaleNames) {
  TRFC822DateTime date;
  date.ParseRFC822(L"Tue, 04 Mar 2003 05:06:07 CET", English());
  String german = date.FormatRFC822(German());
  EXPECT_EQ(german, German().ShortDayNames[2] + L", 04 " + German().ShortMonthNames[2] + L" 2003 05:06:07 CET");
  EXPECT_NE(German().ShortMonthNames[2], English().ShortMonthNames[2]);
}

TEST(RFC822Date, LastBlankPosition) {
  EXPECT_EQ(LastBlankPos(L"a b c"), 4u);
  EXPECT_EQ(LastBlankPos(L"abc"), 0u);
  EXPECT_EQ(LastBlankPos(L"a\tb"), 0u);
  EXPECT_EQ(LastBlankPos(L"ab "), 3u);
}

TEST(RFC822Date, AssignCopiesEverything) {
  TRFC822DateTime source;
  source.ParseRFC822(L"Sat, 07 Sep 2002 00:00:01 +0100", English());
  TRFC822DateTime copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.DateTime(), source.DateTime());
  EXPECT_EQ(copy.TimeZone(), L"+0100");
  EXPECT_TRUE(copy.IsSet());
}

#include "framework/date_time.h"

#include <gtest/gtest.h>

#include <cmath>

#include "framework/exceptions.h"

namespace {

struct Parts {
  WORD year, month, day, hour, minute, second, msec;
  bool operator==(const Parts&) const = default;
};

Parts Split(TDateTime value) {
  Parts p{};
  DecodeDate(value, p.year, p.month, p.day);
  DecodeTime(value, p.hour, p.minute, p.second, p.msec);
  return p;
}

// Fixed English names, so the formatting tests do not depend on the prefix's locale.
TFormatSettings English() {
  return LocaleFormatSettings(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
}

template <class F>
String ConvertErrorOf(F call) {
  try {
    call();
  } catch (const EConvertError& error) {
    return error.Message();
  }
  return L"(no error)";
}

}  // namespace

TEST(DateEncoding, KnownDaysAndRoundTrips) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2002, 9, 7), 37506.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(DayOfWeek(EncodeDate(2002, 9, 7)), 7);    // a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 31)), 1);  // a Sunday

  for (Parts p : {Parts{2002, 9, 7, 0, 0, 1, 0}, Parts{2000, 2, 29, 23, 59, 59, 999}, Parts{1, 1, 1, 6, 30, 0, 0},
                  Parts{1899, 12, 29, 18, 0, 0, 0}, Parts{9999, 12, 31, 12, 0, 0, 1}, Parts{3, 6, 10, 4, 0, 0, 0},
                  Parts{1900, 3, 1, 0, 0, 0, 0}}) {
    TDateTime value = EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec);
    EXPECT_EQ(Split(value), p) << p.year << "-" << p.month << "-" << p.day;
    SYSTEMTIME system = DateTimeToSystemTime(value);
    EXPECT_EQ(SystemTimeToDateTime(system), value);
  }
  // Before day 0 the fraction still counts forward from midnight.
  EXPECT_EQ(Split(-1.25), (Parts{1899, 12, 29, 6, 0, 0, 0}));
}

TEST(DateEncoding, ValidationRaisesConversionErrors) {
  const String dateError = L"Invalid argument to date encode";
  const String timeError = L"Invalid argument to time encode";
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(2003, 4, 31); }), dateError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(2003, 2, 29); }), dateError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(0, 1, 1); }), dateError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(10000, 1, 1); }), dateError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(2003, 13, 1); }), dateError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(2003, 1, 0); }), dateError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeTime(24, 0, 0, 0); }), timeError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeTime(0, 60, 0, 0); }), timeError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeTime(0, 0, 60, 0); }), timeError);
  EXPECT_EQ(ConvertErrorOf([] { EncodeTime(0, 0, 0, 1000); }), timeError);
  EXPECT_NO_THROW(EncodeDate(2004, 2, 29));

  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2004));
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2001, 4), 30);
}

TEST(DateClock, NowAgreesWithTheLocalClock) {
  SYSTEMTIME before;
  GetLocalTime(&before);
  TDateTime now = Now();
  TDateTime expected = SystemTimeToDateTime(before);
  EXPECT_NEAR(now, expected, 5.0 / 86400);
  EXPECT_EQ(Date(), std::trunc(now));
  EXPECT_NEAR(Time(), now - std::trunc(now), 5.0 / 86400);
}

TEST(DateFormatting, PatternsAndLocaleNames) {
  TFormatSettings english = English();
  EXPECT_EQ(english.ShortDayNames[0], L"Sun");
  EXPECT_EQ(english.LongDayNames[6], L"Saturday");
  EXPECT_EQ(english.ShortMonthNames[8], L"Sep");
  EXPECT_EQ(english.LongMonthNames[0], L"January");

  TDateTime value = EncodeDateTime(2002, 9, 7, 0, 0, 1, 0);
  EXPECT_EQ(FormatDateTime(L"ddd, dd mmm yyyy hh:nn:ss", value, english), L"Sat, 07 Sep 2002 00:00:01");
  TDateTime afternoon = EncodeDateTime(2003, 6, 10, 16, 5, 9, 42);
  EXPECT_EQ(FormatDateTime(L"dddd d mmmm yy h:mm:ss.zzz", afternoon, english), L"Tuesday 10 June 03 16:05:09.042");
  EXPECT_EQ(FormatDateTime(L"h:nn am/pm, H A/P, m/d", afternoon, english), L"4:05 pm, 4 P, 6/10");
  EXPECT_EQ(FormatDateTime(L"'at' hh \"o'clock\"", afternoon, english), L"at 16 o'clock");

  TFormatSettings custom = english;
  custom.TimeSeparator = L'.';
  custom.DateSeparator = L'-';
  EXPECT_EQ(FormatDateTime(L"yyyy/mm/dd hh:nn", afternoon, custom), L"2003-06-10 16.05");
}

TEST(DateFormatting, LocaleTimeConversion) {
  TFormatSettings english = English();
  EXPECT_EQ(StrToTime(L"00:00:01", english), EncodeTime(0, 0, 1, 0));
  EXPECT_EQ(StrToTime(L" 4:05 ", english), EncodeTime(4, 5, 0, 0));
  EXPECT_EQ(StrToTime(L"16", english), EncodeTime(16, 0, 0, 0));
  EXPECT_EQ(StrToTime(L"4:05 PM", english), EncodeTime(16, 5, 0, 0));
  EXPECT_EQ(StrToTime(L"12:30 am", english), EncodeTime(0, 30, 0, 0));
  EXPECT_EQ(StrToTime(L"10:00:00.250", english), EncodeTime(10, 0, 0, 250));
  for (const wchar_t* bad : {L"2002", L"24:00", L"10:60", L"", L"10:", L"10:00 GMT", L"13:00 PM", L"1O:00"})
    EXPECT_EQ(ConvertErrorOf([&] { StrToTime(bad, english); }), L"'" + String(bad) + L"' is not a valid time");

  TFormatSettings dotted = english;
  dotted.TimeSeparator = L'.';
  EXPECT_EQ(StrToTime(L"07.30.15", dotted), EncodeTime(7, 30, 15, 0));
  EXPECT_THROW(StrToTime(L"07:30", dotted), EConvertError);
}

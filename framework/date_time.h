// The date-time value (days since 30 December 1899, the fraction being the time of day), its encoding and
// decoding, the clock, the locale's names and separators, formatting and the locale's time conversion.
#pragma once

#include <windows.h>

#include <array>

#include "framework/object.h"

using TDateTime = double;

// Raise EConvertError "Invalid argument to date encode" / "Invalid argument to time encode" for values outside
// years 1..9999, the month's days, hours 0..23, minutes and seconds 0..59 and milliseconds 0..999.
TDateTime EncodeDate(WORD year, WORD month, WORD day);
TDateTime EncodeTime(WORD hour, WORD minute, WORD second, WORD millisecond);
// The time lies on the same side of 0 as the date: before 30 December 1899 it is subtracted.
TDateTime EncodeDateTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD millisecond);
bool TryEncodeDate(WORD year, WORD month, WORD day, TDateTime& value);
bool TryEncodeTime(WORD hour, WORD minute, WORD second, WORD millisecond, TDateTime& value);
// A negative value's fraction counts forward from midnight of its day, as for positive values.
void DecodeDate(TDateTime value, WORD& year, WORD& month, WORD& day);
void DecodeTime(TDateTime value, WORD& hour, WORD& minute, WORD& second, WORD& millisecond);

bool IsLeapYear(WORD year);
WORD DaysInMonth(WORD year, WORD month);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime value);

// The local clock.
TDateTime Now();
TDateTime Date();
TDateTime Time();

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time);
SYSTEMTIME DateTimeToSystemTime(TDateTime value);

// The names and separators of a locale. Day arrays start with Sunday, month arrays with January.
struct TFormatSettings {
  std::array<String, 12> ShortMonthNames;
  std::array<String, 12> LongMonthNames;
  std::array<String, 7> ShortDayNames;
  std::array<String, 7> LongDayNames;
  wchar_t DateSeparator = L'/';
  wchar_t TimeSeparator = L':';
  wchar_t DecimalSeparator = L'.';
  String TimeAMString;
  String TimePMString;
};

TFormatSettings LocaleFormatSettings(LCID locale);
// The user's default locale, read on first use.
const TFormatSettings& FormatSettings();

// Pattern letters: d dd ddd dddd (day, two digits, short and long day name), m mm mmm mmmm (month; minutes right
// after h or hh), yy yyyy, h hh, n nn, s ss, z zzz, am/pm and a/p (12-hour clock), "/" and ":" (the locale's
// separators); text in double or single quotes is copied; other characters stand for themselves.
String FormatDateTime(const String& format, TDateTime value, const TFormatSettings& settings = FormatSettings());

// Hours[:minutes[:seconds[<decimal separator>milliseconds]]] with the locale's time separator, an optional AM/PM
// marker before or after, blanks around. Raises EConvertError "'%s' is not a valid time" otherwise.
TDateTime StrToTime(const String& text, const TFormatSettings& settings = FormatSettings());
bool TryStrToTime(const String& text, TDateTime& value, const TFormatSettings& settings = FormatSettings());

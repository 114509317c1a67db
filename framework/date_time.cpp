#include "framework/date_time.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <utility>

#include "framework/exceptions.h"
#include "framework/sys_utils.h"

namespace {

constexpr int64_t kMSecsPerDay = 86400000;
// Days from 1 January of year 1 to 30 December 1899, day 0 of the date-time value.
constexpr int kDateDelta = 693594;

constexpr WORD kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// The whole days and the milliseconds of the day of a value, rounded to the millisecond. The day counts from
// 1 January of year 1 (day 1); the milliseconds are never negative.
struct TimeStamp {
  int64_t day;
  int64_t msecs;
};

TimeStamp ToTimeStamp(TDateTime value) {
  int64_t total = std::llround(value * static_cast<double>(kMSecsPerDay));
  return {total / kMSecsPerDay + kDateDelta, std::llabs(total % kMSecsPerDay)};
}

String LocaleText(LCID locale, LCTYPE type) {
  wchar_t buffer[100];
  int length = GetLocaleInfoW(locale, type, buffer, 100);
  return length > 0 ? String(buffer, static_cast<size_t>(length - 1)) : String();
}

wchar_t LocaleChar(LCID locale, LCTYPE type, wchar_t fallback) {
  String text = LocaleText(locale, type);
  return text.empty() ? fallback : text[0];
}

String Padded(int value, size_t digits) {
  String text = std::to_wstring(value);
  return text.size() < digits ? String(digits - text.size(), L'0') + text : text;
}

bool StartsWithText(const String& text, size_t at, const String& prefix) {
  return !prefix.empty() && text.size() - at >= prefix.size() && SameText(text.substr(at, prefix.size()), prefix);
}

class DateTimeFormatter {
 public:
  DateTimeFormatter(const String& format, TDateTime value, const TFormatSettings& settings)
      : format_(format), settings_(settings) {
    DecodeDate(value, year_, month_, day_);
    DecodeTime(value, hour_, minute_, second_, msec_);
    dayOfWeek_ = DayOfWeek(value);
    String lower = LowerCase(format);
    twelveHour_ = lower.find(L"am/pm") != String::npos || lower.find(L"a/p") != String::npos ||
                  lower.find(L"ampm") != String::npos;
  }

  String Run() {
    while (at_ < format_.size()) Step();
    return out_;
  }

 private:
  size_t RunOf(wchar_t letter) {
    size_t count = 0;
    while (at_ + count < format_.size() && std::towlower(format_[at_ + count]) == letter) ++count;
    at_ += count;
    return count;
  }

  void Number(int value, size_t count) { out_ += count >= 2 ? Padded(value, 2) : std::to_wstring(value); }

  void Step() {
    wchar_t c = format_[at_];
    wchar_t letter = static_cast<wchar_t>(std::towlower(c));
    bool lastWasHour = lastWasHour_;
    lastWasHour_ = false;
    switch (letter) {
      case L'd': {
        size_t count = RunOf(L'd');
        if (count <= 2)
          Number(day_, count);
        else
          out_ += count == 3 ? settings_.ShortDayNames[dayOfWeek_ - 1] : settings_.LongDayNames[dayOfWeek_ - 1];
        return;
      }
      case L'm': {
        size_t count = RunOf(L'm');
        if (lastWasHour && count <= 2)
          Number(minute_, count);
        else if (count <= 2)
          Number(month_, count);
        else
          out_ += count == 3 ? settings_.ShortMonthNames[month_ - 1] : settings_.LongMonthNames[month_ - 1];
        return;
      }
      case L'y': {
        size_t count = RunOf(L'y');
        out_ += count <= 2 ? Padded(year_ % 100, 2) : Padded(year_, 4);
        return;
      }
      case L'h': {
        int hour = hour_;
        if (twelveHour_) hour = hour % 12 == 0 ? 12 : hour % 12;
        Number(hour, RunOf(L'h'));
        lastWasHour_ = true;
        return;
      }
      case L'n':
        Number(minute_, RunOf(L'n'));
        return;
      case L's':
        Number(second_, RunOf(L's'));
        return;
      case L'z':
        out_ += RunOf(L'z') >= 3 ? Padded(msec_, 3) : std::to_wstring(msec_);
        return;
      case L'a':
        AmPm();
        return;
      case L'/':
        out_ += settings_.DateSeparator;
        break;
      case L':':
        out_ += settings_.TimeSeparator;
        lastWasHour_ = lastWasHour;  // "hh:mm" still means minutes
        break;
      case L'"':
      case L'\'': {
        size_t end = format_.find(c, at_ + 1);
        if (end == String::npos) end = format_.size();
        out_.append(format_, at_ + 1, end - at_ - 1);
        at_ = end + 1;
        return;
      }
      default:
        out_ += c;
        break;
    }
    ++at_;
  }

  void AmPm() {
    bool pm = hour_ >= 12;
    if (StartsWithText(format_, at_, L"am/pm")) {
      String marker = format_.substr(at_ + (pm ? 3 : 0), 2);
      out_ += marker;
      at_ += 5;
    } else if (StartsWithText(format_, at_, L"a/p")) {
      out_ += format_[at_ + (pm ? 2 : 0)];
      at_ += 3;
    } else if (StartsWithText(format_, at_, L"ampm")) {
      out_ += pm ? settings_.TimePMString : settings_.TimeAMString;
      at_ += 4;
    } else {
      out_ += format_[at_++];
    }
  }

  const String& format_;
  const TFormatSettings& settings_;
  String out_;
  size_t at_ = 0;
  WORD year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0, msec_ = 0;
  int dayOfWeek_ = 1;
  bool twelveHour_ = false;
  bool lastWasHour_ = false;
};

// Reads the pieces of a time; false at the first thing out of place.
class TimeScanner {
 public:
  TimeScanner(const String& text, const TFormatSettings& settings) : text_(text), settings_(settings) {}

  bool Scan(TDateTime& value) {
    SkipBlanks();
    int pmBase = Marker();
    if (pmBase >= 0) SkipBlanks();
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (!Number(hour)) return false;
    if (Char(settings_.TimeSeparator)) {
      if (!Number(minute)) return false;
      if (Char(settings_.TimeSeparator)) {
        if (!Number(second)) return false;
        if (Char(settings_.DecimalSeparator) && !Number(msec)) return false;
      }
    }
    SkipBlanks();
    if (pmBase < 0) {
      pmBase = Marker();
      SkipBlanks();
    }
    if (at_ != text_.size()) return false;
    if (pmBase >= 0) {
      if (hour == 0 || hour > 12) return false;
      hour = hour % 12 + pmBase;
    }
    return TryEncodeTime(static_cast<WORD>(hour), static_cast<WORD>(minute), static_cast<WORD>(second),
                         static_cast<WORD>(msec), value);
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() && text_[at_] == L' ') ++at_;
  }

  bool Char(wchar_t c) {
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }

  // Up to five digits: anything longer is no valid part of a time anyway.
  bool Number(int& value) {
    size_t start = at_;
    value = 0;
    while (at_ < text_.size() && at_ - start < 5 && text_[at_] >= L'0' && text_[at_] <= L'9')
      value = value * 10 + (text_[at_++] - L'0');
    return at_ > start && !(at_ < text_.size() && text_[at_] >= L'0' && text_[at_] <= L'9');
  }

  // 0 after an AM marker, 12 after a PM marker, -1 when there is none.
  int Marker() {
    const std::pair<String, int> markers[] = {
        {settings_.TimeAMString, 0}, {L"AM", 0}, {settings_.TimePMString, 12}, {L"PM", 12}};
    for (const auto& [marker, base] : markers) {
      if (StartsWithText(text_, at_, marker)) {
        at_ += marker.size();
        return base;
      }
    }
    return -1;
  }

  const String& text_;
  const TFormatSettings& settings_;
  size_t at_ = 0;
};

}  // namespace

bool IsLeapYear(WORD year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

WORD DaysInMonth(WORD year, WORD month) { return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1]; }

bool TryEncodeDate(WORD year, WORD month, WORD day, TDateTime& value) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  int days = day;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, static_cast<WORD>(m));
  int y = year - 1;
  value = static_cast<TDateTime>(y * 365 + y / 4 - y / 100 + y / 400 + days - kDateDelta);
  return true;
}

bool TryEncodeTime(WORD hour, WORD minute, WORD second, WORD millisecond, TDateTime& value) {
  if (hour > 23 || minute > 59 || second > 59 || millisecond > 999) return false;
  value = static_cast<TDateTime>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond) / kMSecsPerDay;
  return true;
}

TDateTime EncodeDate(WORD year, WORD month, WORD day) {
  TDateTime value = 0;
  if (!TryEncodeDate(year, month, day, value)) throw EConvertError(L"Invalid argument to date encode");
  return value;
}

TDateTime EncodeTime(WORD hour, WORD minute, WORD second, WORD millisecond) {
  TDateTime value = 0;
  if (!TryEncodeTime(hour, minute, second, millisecond, value)) throw EConvertError(L"Invalid argument to time encode");
  return value;
}

TDateTime EncodeDateTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD millisecond) {
  TDateTime date = EncodeDate(year, month, day);
  TDateTime time = EncodeTime(hour, minute, second, millisecond);
  return date >= 0 ? date + time : date - time;
}

void DecodeDate(TDateTime value, WORD& year, WORD& month, WORD& day) {
  int64_t days = ToTimeStamp(value).day;
  if (days <= 0) {
    year = month = day = 0;
    return;
  }
  // Whole 400-, 100-, 4- and 1-year cycles from 1 January of year 1; the last year of a cycle is the long one.
  constexpr int64_t kDays1 = 365, kDays4 = kDays1 * 4 + 1, kDays100 = kDays4 * 25 - 1, kDays400 = kDays100 * 4 + 1;
  int64_t rest = days - 1;
  int64_t y = 1 + rest / kDays400 * 400;
  rest %= kDays400;
  int64_t centuries = std::min<int64_t>(rest / kDays100, 3);
  y += centuries * 100;
  rest -= centuries * kDays100;
  y += rest / kDays4 * 4;
  rest %= kDays4;
  int64_t years = std::min<int64_t>(rest / kDays1, 3);
  y += years;
  rest -= years * kDays1;
  year = static_cast<WORD>(y);
  month = 1;
  while (rest >= DaysInMonth(year, month)) rest -= DaysInMonth(year, month++);
  day = static_cast<WORD>(rest + 1);
}

void DecodeTime(TDateTime value, WORD& hour, WORD& minute, WORD& second, WORD& millisecond) {
  int64_t msecs = ToTimeStamp(value).msecs;
  hour = static_cast<WORD>(msecs / 3600000);
  minute = static_cast<WORD>(msecs / 60000 % 60);
  second = static_cast<WORD>(msecs / 1000 % 60);
  millisecond = static_cast<WORD>(msecs % 1000);
}

int DayOfWeek(TDateTime value) { return static_cast<int>(ToTimeStamp(value).day % 7) + 1; }

TDateTime Now() {
  SYSTEMTIME time;
  GetLocalTime(&time);
  return SystemTimeToDateTime(time);
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  SYSTEMTIME time;
  GetLocalTime(&time);
  return EncodeTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) {
  return EncodeDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
  SYSTEMTIME time{};
  DecodeDate(value, time.wYear, time.wMonth, time.wDay);
  DecodeTime(value, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
  time.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) - 1);
  return time;
}

TFormatSettings LocaleFormatSettings(LCID locale) {
  TFormatSettings settings;
  for (int i = 0; i < 12; ++i) {
    settings.ShortMonthNames[i] = LocaleText(locale, LOCALE_SABBREVMONTHNAME1 + static_cast<LCTYPE>(i));
    settings.LongMonthNames[i] = LocaleText(locale, LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(i));
  }
  // The locale counts days from Monday; the arrays start with Sunday.
  for (int i = 0; i < 7; ++i) {
    LCTYPE offset = static_cast<LCTYPE>((i + 6) % 7);
    settings.ShortDayNames[i] = LocaleText(locale, LOCALE_SABBREVDAYNAME1 + offset);
    settings.LongDayNames[i] = LocaleText(locale, LOCALE_SDAYNAME1 + offset);
  }
  settings.DateSeparator = LocaleChar(locale, LOCALE_SDATE, L'/');
  settings.TimeSeparator = LocaleChar(locale, LOCALE_STIME, L':');
  settings.DecimalSeparator = LocaleChar(locale, LOCALE_SDECIMAL, L'.');
  settings.TimeAMString = LocaleText(locale, LOCALE_S1159);
  settings.TimePMString = LocaleText(locale, LOCALE_S2359);
  return settings;
}

const TFormatSettings& FormatSettings() {
  static const TFormatSettings settings = LocaleFormatSettings(LOCALE_USER_DEFAULT);
  return settings;
}

String FormatDateTime(const String& format, TDateTime value, const TFormatSettings& settings) {
  return DateTimeFormatter(format, value, settings).Run();
}

bool TryStrToTime(const String& text, TDateTime& value, const TFormatSettings& settings) {
  return TimeScanner(text, settings).Scan(value);
}

TDateTime StrToTime(const String& text, const TFormatSettings& settings) {
  TDateTime value = 0;
  if (!TryStrToTime(text, value, settings)) throw EConvertError(Format(L"'%s' is not a valid time", {text}));
  return value;
}

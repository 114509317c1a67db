#include "feeds/rfc822_date.h"

#include <string_view>

#include "framework/properties.h"

namespace feeds {

namespace {

const wchar_t* const kMonthNames[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                        L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

// Removes characters with codes up to 32 at both ends.
std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && text.front() <= L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() <= L' ') text.remove_suffix(1);
  return text;
}

// The part after the last blank; the text keeps what stands before that blank, trimmed.
std::wstring_view TakeLastWord(std::wstring_view& text) {
  size_t blank = text.rfind(L' ');
  if (blank == std::wstring_view::npos) {
    std::wstring_view word = text;
    text = {};
    return word;
  }
  std::wstring_view word = text.substr(blank + 1);
  text = Trimmed(text.substr(0, blank));
  return word;
}

// The part before the first blank; the text keeps what follows that blank, trimmed.
std::wstring_view TakeFirstWord(std::wstring_view& text) {
  size_t blank = text.find(L' ');
  std::wstring_view word = text.substr(0, blank);
  text = blank == std::wstring_view::npos ? std::wstring_view() : Trimmed(text.substr(blank + 1));
  return word;
}

// A decimal integer with an optional sign, else EConvertError.
int DecimalNumber(std::wstring_view text) {
  std::wstring_view digits = text;
  bool negative = !digits.empty() && digits[0] == L'-';
  if (!digits.empty() && (digits[0] == L'-' || digits[0] == L'+')) digits.remove_prefix(1);
  long long value = 0;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9' || value > 99999999) value = -1;
    if (value < 0) break;
    value = value * 10 + (c - L'0');
  }
  if (digits.empty() || value < 0) throw EConvertError(Format(L"'%s' is not a valid integer value", {String(text)}));
  return static_cast<int>(negative ? -value : value);
}

// Years of two digits are 1950-2049, years of three digits count from 1900.
int FullYear(std::wstring_view text) {
  int year = DecimalNumber(text);
  bool plainDigits = text[0] >= L'0' && text[0] <= L'9';
  if (plainDigits && text.size() <= 2) return year < 50 ? 2000 + year : 1900 + year;
  if (plainDigits && text.size() == 3) return 1900 + year;
  return year;
}

wchar_t FoldAsciiCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

int MonthNumber(std::wstring_view name) {
  for (int i = 0; i < 12; ++i) {
    std::wstring_view month = kMonthNames[i];
    bool same = name.size() == month.size();
    for (size_t k = 0; same && k < name.size(); ++k) same = FoldAsciiCase(name[k]) == FoldAsciiCase(month[k]);
    if (same) return i + 1;
  }
  return 1;
}

// The number in decimal, with leading zeros up to the width.
void AppendDigits(String& text, unsigned value, size_t width) {
  wchar_t digits[8];
  size_t count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0 && count < 8);
  for (size_t i = count; i < width; ++i) text += L'0';
  while (count > 0) text += digits[--count];
}

}  // namespace

size_t LastBlankPos(const String& text) {
  size_t blank = text.rfind(L' ');
  return blank == String::npos ? 0 : blank + 1;
}

TRFC822DateTime::TRFC822DateTime() : timeZone_(L"GMT"), dateTime_(Now()) {}

void TRFC822DateTime::SetTimeZone(const String& value) {
  if (timeZone_ == value) return;
  timeZone_ = value;
  isSet_ = true;
}

void TRFC822DateTime::SetDateTime(TDateTime value) {
  if (dateTime_ == value) return;
  dateTime_ = value;
  isSet_ = true;
}

void TRFC822DateTime::ParseRFC822(const String& text, const TFormatSettings& settings) {
  std::wstring_view rest = Trimmed(text);
  size_t zoneBlank = rest.rfind(L' ');
  timeZone_ = String(zoneBlank == std::wstring_view::npos ? rest : rest.substr(zoneBlank + 1));
  if (zoneBlank != std::wstring_view::npos) rest = Trimmed(rest.substr(0, zoneBlank));
  // The weekday is optional: a first word that is not a number is taken to be it.
  if (!rest.empty() && !(rest[0] >= L'0' && rest[0] <= L'9')) TakeFirstWord(rest);
  TDateTime time = StrToTime(String(TakeLastWord(rest)), settings);
  size_t yearBlank = rest.rfind(L' ');
  int year = FullYear(yearBlank == std::wstring_view::npos ? rest : rest.substr(yearBlank + 1));
  int day = DecimalNumber(TakeFirstWord(rest));
  int month = MonthNumber(TakeFirstWord(rest));
  if (year < 1 || year > 9999 || day < 1 || day > 31) throw EConvertError(L"Invalid argument to date encode");
  // The time goes on the same side of zero as the date, so that a date before 30 December 1899 keeps it.
  WORD hour, minute, second, millisecond;
  DecodeTime(time, hour, minute, second, millisecond);
  SetDateTime(EncodeDateTime(static_cast<WORD>(year), static_cast<WORD>(month), static_cast<WORD>(day), hour, minute,
                             second, millisecond));
}

String TRFC822DateTime::FormatRFC822(const TFormatSettings& settings) const {
  // The pattern "ddd, dd mmm yyyy hh:nn:ss", written out directly: a page formats one date per entry.
  WORD year, month, day, hour, minute, second, millisecond;
  DecodeDate(dateTime_, year, month, day);
  DecodeTime(dateTime_, hour, minute, second, millisecond);
  const String& dayName = settings.ShortDayNames[static_cast<size_t>(DayOfWeek(dateTime_) - 1)];
  const String& monthName = settings.ShortMonthNames[static_cast<size_t>(month - 1)];
  String text;
  text.reserve(dayName.size() + monthName.size() + timeZone_.size() + 20);
  text += dayName;
  text += L", ";
  AppendDigits(text, day, 2);
  text += L' ';
  text += monthName;
  text += L' ';
  AppendDigits(text, year, 4);
  text += L' ';
  AppendDigits(text, hour, 2);
  text += settings.TimeSeparator;
  AppendDigits(text, minute, 2);
  text += settings.TimeSeparator;
  AppendDigits(text, second, 2);
  text += L' ';
  return text += timeZone_;
}

void TRFC822DateTime::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRFC822DateTime>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  timeZone_ = other->timeZone_;
  dateTime_ = other->dateTime_;
  isSet_ = other->isSet_;
}

const TPublishedTable& TRFC822DateTime::PublishedTable() const {
  using P = TPublished<TRFC822DateTime>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Float(L"DateTime", &TRFC822DateTime::DateTime, &TRFC822DateTime::SetDateTime),
          P::Text(L"TimeZone", &TRFC822DateTime::TimeZone, &TRFC822DateTime::SetTimeZone).Default(String(L"GMT")),
      });
  return table;
}

}  // namespace feeds

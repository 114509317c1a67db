#include "feeds/rfc822_date.h"

#include "framework/sys_utils.h"

namespace {

const wchar_t* const kMonthNames[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                        L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

// The part after the last blank; the text keeps what stands before that blank, trimmed.
String TakeLastWord(String& text) {
  size_t blank = LastBlankPos(text);
  String word = text.substr(blank);
  text = Trim(text.substr(0, blank == 0 ? 0 : blank - 1));
  return word;
}

// The part before the first blank; the text keeps what follows that blank, trimmed.
String TakeFirstWord(String& text) {
  size_t blank = text.find(L' ');
  String word = text.substr(0, blank);
  text = blank == String::npos ? String() : Trim(text.substr(blank + 1));
  return word;
}

int FullYear(const String& text) {
  int year = StrToInt(text);
  String digits = Trim(text);
  if (year >= 0 && digits.size() <= 2) return year < 50 ? 2000 + year : 1900 + year;
  if (year >= 0 && digits.size() == 3) return 1900 + year;
  return year;
}

int MonthNumber(const String& name) {
  for (int i = 0; i < 12; ++i)
    if (SameText(name, kMonthNames[i])) return i + 1;
  return 1;
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
  String rest = Trim(text);
  size_t zoneBlank = LastBlankPos(rest);
  timeZone_ = rest.substr(zoneBlank);
  if (zoneBlank > 0) rest = Trim(rest.substr(0, zoneBlank - 1));
  // The weekday is optional: a first word that is not a number is taken to be it.
  if (!rest.empty() && !(rest[0] >= L'0' && rest[0] <= L'9')) TakeFirstWord(rest);
  TDateTime time = StrToTime(TakeLastWord(rest), settings);
  String yearText = rest.substr(LastBlankPos(rest));
  int year = FullYear(yearText);
  int day = StrToInt(TakeFirstWord(rest));
  int month = MonthNumber(TakeFirstWord(rest));
  if (year < 1 || year > 9999 || day < 1 || day > 31) throw EConvertError(L"Invalid argument to date encode");
  SetDateTime(EncodeDate(static_cast<WORD>(year), static_cast<WORD>(month), static_cast<WORD>(day)) + time);
}

String TRFC822DateTime::FormatRFC822(const TFormatSettings& settings) const {
  return FormatDateTime(L"ddd, dd mmm yyyy hh:nn:ss", dateTime_, settings) + L" " + timeZone_;
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

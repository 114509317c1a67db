// One date of a feed in the form "Sat, 07 Sep 2002 00:00:01 GMT": parsed into a date-time and a zone text, and
// formatted back with the user's locale names. The zone is kept as text and never applied to the value.
#pragma once

#include "framework/component.h"
#include "framework/date_time.h"

namespace feeds {

class TRFC822DateTime : public TPersistent {
  BC_CLASS(TRFC822DateTime, TPersistent)
  // The zone "GMT" and the current local time, not yet set.
  TRFC822DateTime();

  const String& TimeZone() const { return timeZone_; }
  // A changed value marks the date as set.
  void SetTimeZone(const String& value);
  TDateTime DateTime() const { return dateTime_; }
  void SetDateTime(TDateTime value);
  // A value has been assigned since creation; nothing clears it.
  bool IsSet() const { return isSet_; }

  // Fills the date from its text. The weekday may be left out; a year of two digits means 1950-2049 and one of
  // three digits counts from 1900; month names match in any case, and a name that is none of them means January.
  // Raises EConvertError when the text has another shape; the zone text has already been replaced then, while
  // the date and IsSet keep their values.
  void ParseRFC822(const String& text, const TFormatSettings& settings = FormatSettings());
  // "ddd, dd mmm yyyy hh:nn:ss" in the user's locale, a blank and the zone text.
  String FormatRFC822(const TFormatSettings& settings = FormatSettings()) const;

  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  String timeZone_;
  TDateTime dateTime_;
  bool isSet_ = false;
};

// The 1-based position of the last blank (code 32) in the text, 0 when there is none.
size_t LastBlankPos(const String& text);

}  // namespace feeds

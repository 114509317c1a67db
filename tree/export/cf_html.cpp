#include "tree/export/cf_html.h"

#include <cstdio>

namespace tree {

namespace {

constexpr std::string_view DocumentStart =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><html><head><META http-equiv=Content-Type "
    "content=\"text/html; charset=utf-8\"></head><body><!--StartFragment-->";
constexpr std::string_view DocumentEnd = "<!--EndFragment--></body></html>";
constexpr int OffsetDigits = 8;

std::string HeaderLine(const char* label, std::size_t value, int digits) {
  char number[32];
  std::snprintf(number, sizeof number, "%0*zu", digits, value);
  return std::string(label) + number + "\r\n";
}

std::string Header(std::size_t startHtml, std::size_t endHtml, std::size_t startFragment, std::size_t endFragment,
                   int digits) {
  return "Version:1.0\r\n" + HeaderLine("StartHTML:", startHtml, digits) + HeaderLine("EndHTML:", endHtml, digits) +
         HeaderLine("StartFragment:", startFragment, digits) + HeaderLine("EndFragment:", endFragment, digits);
}

}  // namespace

std::string MakeCFHtml(std::string_view fragment) {
  // Every offset is written with the same number of digits, so the header's length is known before its numbers:
  // eight, unless the largest offset needs more.
  int digits = OffsetDigits;
  for (;;) {
    const std::size_t headerLength = Header(0, 0, 0, 0, digits).size();
    const std::size_t startFragment = headerLength + DocumentStart.size();
    const std::size_t endFragment = startFragment + fragment.size();
    const std::size_t endHtml = endFragment + DocumentEnd.size();
    if (std::to_string(endHtml).size() > static_cast<std::size_t>(digits)) {
      digits = static_cast<int>(std::to_string(endHtml).size());
      continue;
    }
    std::string data = Header(headerLength, endHtml, startFragment, endFragment, digits);
    data.reserve(endHtml);
    data.append(DocumentStart).append(fragment).append(DocumentEnd);
    return data;
  }
}

}  // namespace tree

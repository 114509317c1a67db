#include "framework/text_convert.h"

namespace {

std::string FromWide(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                 nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

String ToWide(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  String out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) { return FromWide(text, CP_UTF8); }
String Utf8ToWide(std::string_view text) { return ToWide(text, CP_UTF8); }
AnsiString WideToAnsi(std::wstring_view text, UINT codePage) { return FromWide(text, codePage); }
String AnsiToWide(std::string_view text, UINT codePage) { return ToWide(text, codePage); }

#include "shell/text_routines.h"

#include <cwchar>

namespace shell {

std::array<WORD, 256> CharTypes{};
std::array<uint8_t, 256> LowerCaseMap{};
std::array<uint8_t, 256> UpperCaseMap{};
std::array<uint8_t, 256> ReverseCaseMap{};

namespace {

uint8_t ConvertCase(uint8_t c, DWORD(WINAPI* convert)(LPSTR, DWORD)) {
  char text = static_cast<char>(c);
  convert(&text, 1);
  return static_cast<uint8_t>(text);
}

template <class Text>
void CutAtZero(Text& text) {
  const auto zero = text.find(typename Text::value_type{});
  if (zero != Text::npos) text.resize(zero);
}

}  // namespace

// The tables describe the ANSI code page byte by byte, so they are built with the code page's own calls.
void InitCharTables() {
  for (int i = 0; i < 256; ++i) {
    const char c = static_cast<char>(i);
    WORD type = 0;
    GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, &c, 1, &type);
    CharTypes[i] = type;
    LowerCaseMap[i] = ConvertCase(static_cast<uint8_t>(i), &CharLowerBuffA);
    UpperCaseMap[i] = ConvertCase(static_cast<uint8_t>(i), &CharUpperBuffA);
  }
  for (int i = 0; i < 256; ++i) {
    if (CharTypes[i] & C1_UPPER)
      ReverseCaseMap[i] = LowerCaseMap[i];
    else if (CharTypes[i] & C1_LOWER)
      ReverseCaseMap[i] = UpperCaseMap[i];
    else
      ReverseCaseMap[i] = static_cast<uint8_t>(i);
  }
}

bool CharIsLower(char c) { return (CharTypes[static_cast<uint8_t>(c)] & C1_LOWER) != 0; }

bool CharIsUpper(char c) { return (CharTypes[static_cast<uint8_t>(c)] & C1_UPPER) != 0; }

String StrEnsureSuffix(const String& suffix, const String& text) {
  const bool hasSuffix =
      text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
  return hasSuffix ? text : text + suffix;
}

size_t StrLen(const wchar_t* text) { return text ? std::wcslen(text) : 0; }

void StrResetLength(String& text) { CutAtZero(text); }

void StrResetLength(std::string& text) { CutAtZero(text); }

char* PCharOrNil(std::string& text) { return text.empty() ? nullptr : text.data(); }

}  // namespace shell

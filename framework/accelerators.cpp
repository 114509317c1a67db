#include "framework/accelerators.h"

wchar_t FindAccelChar(const String& caption) {
  wchar_t found = 0;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (i + 1 == caption.size()) break;
    // The character after the '&' is passed over either way, so "&&" is consumed as one literal.
    ++i;
    if (caption[i] != L'&') found = caption[i];
  }
  return found;
}

bool IsAccel(wchar_t key, const String& caption) {
  wchar_t accel = FindAccelChar(caption);
  return accel != 0 && key != 0 &&
         CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, &key, 1, &accel, 1) == CSTR_EQUAL;
}

String StripAccelChars(const String& caption) {
  String text;
  text.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
    text.push_back(caption[i]);
  }
  return text;
}

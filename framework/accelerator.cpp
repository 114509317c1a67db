#include "framework/accelerator.h"

#include <windows.h>

namespace {

wchar_t UpperCase(wchar_t c) {
  return static_cast<wchar_t>(
      reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))));
}

}  // namespace

bool IsAccel(wchar_t key, const String& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') return UpperCase(caption[i + 1]) == UpperCase(key);
    ++i;
  }
  return false;
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

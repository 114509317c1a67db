#include "controls/typed_urls.h"

#include <algorithm>
#include <memory>
#include <type_traits>

namespace controls {

const wchar_t* const TypedURLsKey = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

namespace {

struct TKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using TKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TKeyCloser>;

String ValueName(int number) { return L"Url" + std::to_wstring(number); }

}  // namespace

namespace {

// The text of a string value, or false for a value that is missing or of another type.
bool ReadStringValue(HKEY key, const String& name, String& value) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  value.assign(size / sizeof(wchar_t), L'\0');
  if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS)
    return false;
  value.resize(std::min(value.size(), size / sizeof(wchar_t)));
  value.resize(wcsnlen(value.c_str(), value.size()));
  return true;
}

}  // namespace

std::vector<String> ReadTypedURLs() {
  std::vector<String> urls;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return urls;
  const TKey key(opened);
  for (int k = 1; k <= MaxTypedURLs; ++k) {
    String value;
    if (ReadStringValue(key.get(), ValueName(k), value) && !value.empty()) urls.push_back(value);
  }
  return urls;
}

void WriteTypedURLs(const std::vector<String>& urls) {
  HKEY created = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, TypedURLsKey, 0, nullptr, 0, KEY_WRITE | KEY_QUERY_VALUE, nullptr, &created,
                      nullptr) != ERROR_SUCCESS)
    return;
  const TKey key(created);
  const int count = static_cast<int>(urls.size());
  const int written = count < MaxTypedURLs - 1 ? count + 1 : MaxTypedURLs;
  for (int k = 1; k <= written; ++k) {
    const String value = k - 1 < count ? urls[static_cast<size_t>(k - 1)] : String();
    RegSetValueExW(key.get(), ValueName(k).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  // A load passes over gaps, so an address left after the end mark would come back behind the saved ones: the
  // history read into the list is now written above, and what a load would still find after it goes.
  for (int k = written + 1; k <= MaxTypedURLs; ++k) {
    String value;
    if (ReadStringValue(key.get(), ValueName(k), value) && !value.empty())
      RegDeleteValueW(key.get(), ValueName(k).c_str());
  }
}

}  // namespace controls

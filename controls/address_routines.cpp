#include "controls/address_routines.h"

#include <algorithm>
#include <string_view>

#include "framework/exceptions.h"

namespace controls {

namespace {

size_t Bucket(wchar_t ch) { return static_cast<size_t>(ch) & 0xFF; }

}  // namespace

void BuildSkipTable(const wchar_t* pattern, size_t length, TSkipTable& table) {
  if (length == 0) throw Exception(L"BufferLen is 0");
  table.fill(static_cast<int>(length));
  if (length == 1) {
    table[Bucket(pattern[0])] = 0;
    return;
  }
  // A later occurrence gives a smaller shift and overwrites, so a shared bucket keeps its smallest shift.
  for (size_t i = 0; i + 1 < length; ++i) table[Bucket(pattern[i])] = static_cast<int>(length - 1 - i);
}

int FastPos(const String& subStr, const String& s) {
  const size_t n = subStr.size();
  const size_t textLength = s.size();
  if (n < 1 || textLength < n) return 0;
  TSkipTable skip;
  BuildSkipTable(subStr.data(), n, skip);
  const wchar_t* text = s.data();
  const wchar_t* pattern = subStr.data();
  for (size_t end = n - 1; end < textLength;) {
    size_t matched = 0;
    while (matched < n && text[end - matched] == pattern[n - 1 - matched]) ++matched;
    if (matched == n) return static_cast<int>(end - n + 2);
    // Only a one-character pattern has a 0 entry, and its own character would have matched; a 0 met here is a
    // wider character of the same bucket, past which the window must still move.
    end += static_cast<size_t>(std::max(skip[Bucket(text[end])], 1));
  }
  return 0;
}

int LastPos(const String& s, const String& subStr, int startPos) {
  const int n = static_cast<int>(subStr.size());
  const int textLength = static_cast<int>(s.size());
  if (n < 1 || textLength < n) return 0;
  int position = startPos;
  // Compared without adding: a start near INT_MAX must not wrap around.
  if (startPos == 0 || startPos > textLength - n) position = textLength - n + 1;
  for (; position >= 1; --position) {
    const wchar_t* window = s.data() + position - 1;
    if (window[0] != subStr[0]) continue;
    int k = n - 1;
    while (k > 0 && window[k] == subStr[k]) --k;
    if (k == 0) return position;
  }
  return 0;
}

String FastCopy(const String& s, int index, int count) {
  const int length = static_cast<int>(s.size());
  if (length == 0 || index < 1 || count < 1 || index > length) return String();
  count = std::min(count, length - index + 1);
  return String(s.data() + index - 1, static_cast<size_t>(count));
}

String UrlHostPart(const String& url) {
  const int scheme = FastPos(L"://", url);
  String rest = scheme >= 1 ? FastCopy(url, scheme + 3, static_cast<int>(url.size())) : url;
  const int slash = FastPos(L"/", rest);
  if (slash > 1) rest = FastCopy(rest, 1, slash - 1);
  return FastPos(L".", rest) >= 2 ? rest : String();
}

String SafeFileName(const String& s) {
  static constexpr wchar_t kUnfit[] = L" \\/:*?\"<>|";
  String result = s;
  for (wchar_t& ch : result)
    if (std::wstring_view(kUnfit).find(ch) != std::wstring_view::npos) ch = L'-';
  return result;
}

}  // namespace controls

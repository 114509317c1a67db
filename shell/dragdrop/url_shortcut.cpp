#include "shell/dragdrop/url_shortcut.h"

#include "framework/strings.h"
#include "framework/sys_utils.h"

namespace shell {

namespace {

const size_t kShortcutNameLength = 120;
// What a shortcut can need, a long address and other sections besides: a file (or a link to an endless one) is
// read no further.
const size_t kShortcutReadLimit = 256 * 1024;
const wchar_t kSectionName[] = L"[InternetShortcut]";
const wchar_t kURLKey[] = L"URL=";
const size_t kURLKeyLength = 4;
const wchar_t kUnsafeNameCharacters[] = L"\"'*,/:<>?\\|";

bool StartsWithText(const String& text, const String& prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool ReadURLFromLines(const TStrings& lines, String& url) {
  for (int i = 0; i + 1 < lines.Count(); ++i) {
    if (!SameText(lines.Strings(i), kSectionName)) continue;
    for (int j = i + 1; j < lines.Count(); ++j) {
      String line = lines.Strings(j);
      if (StartsWithText(line, kURLKey)) {
        String value = line.substr(kURLKeyLength);
        url = value.substr(0, value.find(L'\0'));
        return true;
      }
      if (!line.empty() && line[0] == L'[') return false;
    }
    return false;
  }
  return false;
}

}  // namespace

bool ReadURLFromShortcutText(const AnsiString& text, String& url) {
  TStringList lines;
  lines.SetText(AnsiToWide(text));
  return ReadURLFromLines(lines, url);
}

bool ReadURLFromShortcutStream(TStream& stream, String& url) {
  AnsiString text;
  char chunk[4096];
  int32_t got = 0;
  while (text.size() <= kShortcutReadLimit && (got = stream.Read(chunk, sizeof(chunk))) > 0)
    text.append(chunk, static_cast<size_t>(got));
  // A line the limit cuts would give a cut address: only lines whose text lies within it count, the one whose end
  // comes right after it too.
  if (text.size() > kShortcutReadLimit) {
    const size_t lineEnd = text.find_last_of("\r\n", kShortcutReadLimit);
    text.resize(lineEnd == AnsiString::npos ? 0 : lineEnd);
  }
  return ReadURLFromShortcutText(text, url);
}

bool ReadURLFromShortcutFile(const String& fileName, String& url) {
  // A dropped name may be gone, a folder or locked by now, or a device or a pipe, which the file stream refuses:
  // that is a drop without an address.
  try {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    return ReadURLFromShortcutStream(file, url);
  } catch (const EStreamError&) {
    return false;
  }
}

String UrlToShortcutFileName(const String& url) {
  String name = url;
  for (const wchar_t* prefix : {L"http://", L"ftp://", L"mailto:", L"file:"})
    if (StartsWithText(name, prefix)) {
      name.erase(0, String(prefix).size());
      break;
    }
  name = CutText(name, kShortcutNameLength);
  name = name.substr(0, name.find(L'/'));
  // Each run of unsafe characters becomes one blank; a run at the end goes.
  bool dropNext = true;
  for (size_t i = name.size(); i-- > 0;) {
    if (String(kUnsafeNameCharacters).find(name[i]) == String::npos) {
      dropNext = false;
    } else if (dropNext) {
      name.erase(i, 1);
    } else {
      name[i] = L' ';
      dropNext = true;
    }
  }
  return (name.empty() ? String(L"untitled") : name) + L".url";
}

}  // namespace shell

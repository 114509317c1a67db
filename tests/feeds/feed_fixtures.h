// Helpers of the feed tests: dates in a fixed locale, the hand-written documents in data/, loading them and
// rendering pages.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "feeds/feed.h"
#include "framework/date_time.h"
#include "framework/streams.h"

using namespace feeds;

// The tests read and write dates in a fixed locale, whatever the user's locale is.
inline const TFormatSettings& English() {
  static const TFormatSettings settings =
      LocaleFormatSettings(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
  return settings;
}

inline TDateTime At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  return EncodeDateTime(year, month, day, hour, minute, second, 0);
}

inline std::string FixtureBytes(const char* name) {
  std::ifstream file(std::string(BC_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteBytes(TStream& stream, const std::string& bytes) {
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

inline std::string StreamBytes(TStream& stream) {
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.SetPosition(0);
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

inline void LoadDocument(TFeed& feed, const std::string& bytes) {
  TMemoryStream stream;
  WriteBytes(stream, bytes);
  stream.SetPosition(0);
  feed.LoadFromStream(stream);
}

inline void LoadFixture(TFeed& feed, const char* name) { LoadDocument(feed, FixtureBytes(name)); }

// The page rendered into an empty stream.
inline std::string RenderPage(TFeed& feed) {
  TMemoryStream stream;
  feed.RenderHTML(&stream);
  return StreamBytes(stream);
}

// A whole RSS 2.0 document around the given channel content.
inline std::string Rss(const std::string& channelContent) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel>" +
         channelContent + "</channel></rss>";
}

#include "shell/dragdrop/data_format_map.h"

#include <algorithm>
#include <memory>

namespace shell {

namespace {

std::unique_ptr<TDataFormatMap>& MapInstance() {
  static std::unique_ptr<TDataFormatMap> map;
  return map;
}

std::unique_ptr<TDataFormatClasses>& ClassesInstance() {
  static std::unique_ptr<TDataFormatClasses> classes;
  return classes;
}

void FreeDragDropTables() {
  MapInstance().reset();
  ClassesInstance().reset();
}

}  // namespace

void TDataFormatMap::Add(const TDataFormatClass& dataFormat, const TClipboardFormatClass& clipboardFormat, int priority,
                         TConversionScopes scopes, TDataDirections directions) {
  auto existing = std::find_if(entries_.begin(), entries_.end(), [&](const TDataFormatMapEntry& entry) {
    return entry.DataFormat.InheritsFrom(dataFormat.Class()) &&
           entry.ClipboardFormat.InheritsFrom(clipboardFormat.Class());
  });
  TDataFormatMapEntry entry;
  if (existing != entries_.end()) {
    entry = *existing;
    entries_.erase(existing);
    entry.ConversionScopes += scopes;
    entry.DataDirections += directions;
  } else {
    entry.ConversionScopes = scopes;
    entry.DataDirections = directions;
  }
  entry.DataFormat = dataFormat;
  entry.ClipboardFormat = clipboardFormat;
  entry.Priority = priority;

  // Behind the last entry of the same class whose priority is lower, else at the start of that class's run.
  auto place = entries_.end();
  auto last = std::find_if(entries_.rbegin(), entries_.rend(),
                           [&](const TDataFormatMapEntry& other) { return other.DataFormat == dataFormat; });
  if (last != entries_.rend()) {
    auto run = last;
    while (run != entries_.rend() && run->DataFormat == dataFormat && run->Priority >= priority) ++run;
    place = run.base();
  }
  entries_.insert(place, entry);
}

void TDataFormatMap::DeleteByDataFormat(const TClass* cls) {
  std::erase_if(entries_, [&](const TDataFormatMapEntry& entry) { return entry.DataFormat.InheritsFrom(cls); });
}

void TDataFormatMap::DeleteByClipboardFormat(const TClass* cls) {
  std::erase_if(entries_, [&](const TDataFormatMapEntry& entry) { return entry.ClipboardFormat.InheritsFrom(cls); });
}

void TDataFormatMap::GetClipboardFormatsFor(const TClass* dataFormat, TClipboardFormats& formats,
                                            TConversionScope scope) const {
  formats.Clear();
  for (const TDataFormatMapEntry& entry : entries_) {
    if (!entry.ConversionScopes.Contains(scope) || !dataFormat->InheritsFrom(entry.DataFormat.Class())) continue;
    std::unique_ptr<TClipboardFormat> format = entry.ClipboardFormat.Create();
    format->SetDataDirections(entry.DataDirections);
    formats.Add(format.release());
  }
}

void TDataFormatClasses::Add(const TDataFormatClass& cls) {
  if (std::find(classes_.begin(), classes_.end(), cls) == classes_.end()) classes_.push_back(cls);
}

void TDataFormatClasses::Remove(const TDataFormatClass& cls) { std::erase(classes_, cls); }

TDataFormatMap& DataFormatMap() {
  auto& map = MapInstance();
  if (!map) map = std::make_unique<TDataFormatMap>();
  return *map;
}

TDataFormatClasses& DataFormatClasses() {
  auto& classes = ClassesInstance();
  if (!classes) classes = std::make_unique<TDataFormatClasses>();
  return *classes;
}

void RegisterDataFormat(const TDataFormatClass& cls) { DataFormatClasses().Add(cls); }

void RegisterDataConversion(const TDataFormatClass& dataFormat, const TClipboardFormatClass& clipboardFormat,
                            int priority, TConversionScopes scopes, TDataDirections directions) {
  DataFormatMap().Add(dataFormat, clipboardFormat, priority, scopes, directions);
}

void UnregisterDataFormat(const TDataFormatClass& cls) {
  DataFormatMap().DeleteByDataFormat(cls.Class());
  DataFormatClasses().Remove(cls);
}

void UnregisterClipboardFormatClass(const TClipboardFormatClass& cls) {
  DataFormatMap().DeleteByClipboardFormat(cls.Class());
}

const TUnit& DragDropUnit() {
  static const TUnit unit{L"DragDrop", nullptr, &FreeDragDropTables, {&FrameworkUnit()}};
  return unit;
}

}  // namespace shell

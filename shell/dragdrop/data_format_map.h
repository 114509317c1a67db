// The process-wide conversion map: which clipboard format classes serve which data format class, with a priority
// and the side and directions each pairing is used for; and the list of registered data format classes. The units
// that define concrete formats fill both when they start and empty them when they end.
#pragma once

#include <vector>

#include "framework/class_ref.h"
#include "framework/startup.h"
#include "shell/dragdrop/data_format.h"

namespace shell {

using TClipboardFormatClass = TClassRef<TClipboardFormat>;
using TDataFormatClass = TClassRef<TCustomDataFormat, TDragDropComponent*>;

struct TDataFormatMapEntry {
  TDataFormatClass DataFormat;
  TClipboardFormatClass ClipboardFormat;
  int Priority = 0;
  TConversionScopes ConversionScopes;
  TDataDirections DataDirections;
};

class TDataFormatMap {
 public:
  // Adds a pairing, or merges it into the one registered for the same classes (or classes derived from them),
  // and places it among the entries of its data format class: lower priorities first, the later of equal ones
  // first.
  void Add(const TDataFormatClass& dataFormat, const TClipboardFormatClass& clipboardFormat, int priority,
           TConversionScopes scopes, TDataDirections directions);
  // Deletes every entry whose data format (or clipboard format) class is cls or derives from it.
  void DeleteByDataFormat(const TClass* cls);
  void DeleteByClipboardFormat(const TClass* cls);
  // Fills formats with a new clipboard format for every entry of dataFormat (or a base of it) on the scope's side.
  void GetClipboardFormatsFor(const TClass* dataFormat, TClipboardFormats& formats, TConversionScope scope) const;
  const std::vector<TDataFormatMapEntry>& Entries() const { return entries_; }

 private:
  std::vector<TDataFormatMapEntry> entries_;
};

class TDataFormatClasses {
 public:
  void Add(const TDataFormatClass& cls);
  void Remove(const TDataFormatClass& cls);
  const std::vector<TDataFormatClass>& Classes() const { return classes_; }

 private:
  std::vector<TDataFormatClass> classes_;
};

// Made on first use; freed when the drag-and-drop unit ends.
TDataFormatMap& DataFormatMap();
TDataFormatClasses& DataFormatClasses();

void RegisterDataFormat(const TDataFormatClass& cls);
void RegisterDataConversion(const TDataFormatClass& dataFormat, const TClipboardFormatClass& clipboardFormat,
                            int priority, TConversionScopes scopes, TDataDirections directions);
void UnregisterDataFormat(const TDataFormatClass& cls);
void UnregisterClipboardFormatClass(const TClipboardFormatClass& cls);

// The unit that owns the map and the class list; the units of concrete formats require it.
const TUnit& DragDropUnit();

}  // namespace shell

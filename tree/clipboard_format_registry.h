// The process-wide registry of clipboard formats that trees can offer: each format with the tree class that may
// offer it and a priority that orders the formats a tree offers.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <vector>

#include "framework/object.h"

namespace tree {

struct TClipboardFormatEntry {
  String Description;
  const TClass* TreeClass;
  std::uint32_t Priority;
  FORMATETC FormatEtc;
};

class TClipboardFormatList : public TObject {
  BC_CLASS(TClipboardFormatList, TObject)
  TClipboardFormatList() = default;
  ~TClipboardFormatList() override { Clear(); }
  TClipboardFormatList(const TClipboardFormatList&) = delete;
  TClipboardFormatList& operator=(const TClipboardFormatList&) = delete;

  // Keeps the list ordered by priority; entries of equal priority stay in the order they came.
  void Add(const String& description, const TClass* treeClass, std::uint32_t priority, const FORMATETC& formatEtc);
  void Clear() { entries_.clear(); }
  // The formats a tree of this class offers, lowest priority value first.
  void EnumerateFormats(const TClass* treeClass, std::vector<FORMATETC>& formats) const;
  // The class registered for a description (without regard to case), searching the newest entry first; null
  // (and format untouched) when there is none.
  const TClass* FindFormat(const String& description, CLIPFORMAT& format) const;
  const std::vector<TClipboardFormatEntry>& Entries() const { return entries_; }

 private:
  std::vector<TClipboardFormatEntry> entries_;
};

// The registry; null outside the library's lifetime.
TClipboardFormatList* ClipboardFormatRegistry();

// Registers a named format with the system and the registry; answers the system's format id.
CLIPFORMAT RegisterTreeClipboardFormat(const String& description, const TClass* treeClass, std::uint32_t priority,
                                       LONG lindex = -1, DWORD aspect = DVASPECT_CONTENT, DVTARGETDEVICE* ptd = nullptr,
                                       DWORD tymed = TYMED_HGLOBAL);
// Registers a standard or already registered format by id; a standard id without a description adds nothing.
CLIPFORMAT RegisterTreeClipboardFormat(CLIPFORMAT format, const TClass* treeClass, std::uint32_t priority);

// The format ids of the library, set when the library starts.
extern CLIPFORMAT TreeDataFormat;
extern CLIPFORMAT HTMLFormat;
extern CLIPFORMAT RTFNoObjectsFormat;
extern CLIPFORMAT RTFFormat;
extern CLIPFORMAT CSVFormat;
extern CLIPFORMAT TreeReferenceFormat;

// Library start and end: creates and frees the registry and registers the tree's own formats.
void CreateClipboardFormatRegistry();
void FreeClipboardFormatRegistry();
// The text formats (HTML, RTF without objects, RTF, CSV, plain and Unicode text) for the tree class that renders
// node texts; its unit calls this once when it starts.
void RegisterTextTreeClipboardFormats(const TClass* textTreeClass);

}  // namespace tree

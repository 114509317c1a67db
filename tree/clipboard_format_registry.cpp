#include "tree/clipboard_format_registry.h"

#include <algorithm>
#include <memory>
#include <string>

#include "framework/text_convert.h"
#include "tree/base_tree.h"

namespace tree {

CLIPFORMAT TreeDataFormat = 0;
CLIPFORMAT HTMLFormat = 0;
CLIPFORMAT RTFNoObjectsFormat = 0;
CLIPFORMAT RTFFormat = 0;
CLIPFORMAT CSVFormat = 0;
CLIPFORMAT TreeReferenceFormat = 0;

namespace {

std::unique_ptr<TClipboardFormatList> registry;

// Descriptions of the standard formats 1..16, by id.
const wchar_t* StandardFormatDescription(CLIPFORMAT format) {
  static const wchar_t* const names[] = {L"Plain text",
                                         L"Windows bitmap",
                                         L"Windows metafile",
                                         L"Symbolic link",
                                         L"Data interchange format",
                                         L"Tiff image",
                                         L"OEM text",
                                         L"DIB image",
                                         L"Palette data",
                                         L"Pen data",
                                         L"Riff audio data",
                                         L"Wav audio data",
                                         L"Unicode text",
                                         L"Enhanced metafile image",
                                         L"File name(s)",
                                         L"Locale descriptor"};
  if (format < 1 || format > 16) return nullptr;
  return names[format - 1];
}

}  // namespace

void TClipboardFormatList::Add(const String& description, const TClass* treeClass, std::uint32_t priority,
                               const FORMATETC& formatEtc) {
  auto at = std::upper_bound(entries_.begin(), entries_.end(), priority,
                             [](std::uint32_t p, const TClipboardFormatEntry& e) { return p < e.Priority; });
  entries_.insert(at, TClipboardFormatEntry{description, treeClass, priority, formatEtc});
}

void TClipboardFormatList::EnumerateFormats(const TClass* treeClass, std::vector<FORMATETC>& formats) const {
  formats.clear();
  for (const TClipboardFormatEntry& entry : entries_)
    if (treeClass && treeClass->InheritsFrom(entry.TreeClass)) formats.push_back(entry.FormatEtc);
}

const TClass* TClipboardFormatList::FindFormat(const String& description, CLIPFORMAT& format) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (CompareStringOrdinal(it->Description.c_str(), -1, description.c_str(), -1, TRUE) == CSTR_EQUAL) {
      format = it->FormatEtc.cfFormat;
      return it->TreeClass;
    }
  }
  return nullptr;
}

TClipboardFormatList* ClipboardFormatRegistry() { return registry.get(); }

CLIPFORMAT RegisterTreeClipboardFormat(const String& description, const TClass* treeClass, std::uint32_t priority,
                                       LONG lindex, DWORD aspect, DVTARGETDEVICE* ptd, DWORD tymed) {
  // The system keeps format names in 8-bit form; the registry keeps the name as given.
  std::string name = WideToAnsi(description);
  auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name.c_str()));
  if (registry) registry->Add(description, treeClass, priority, FORMATETC{format, ptd, aspect, lindex, tymed});
  return format;
}

CLIPFORMAT RegisterTreeClipboardFormat(CLIPFORMAT format, const TClass* treeClass, std::uint32_t priority) {
  String description;
  if (format < 17) {
    const wchar_t* standard = StandardFormatDescription(format);
    if (!standard) return format;
    description = standard;
  } else {
    char name[2049] = {};
    int length = GetClipboardFormatNameA(format, name, sizeof name);
    description = AnsiToWide(std::string(name, length > 0 ? length : 0));
  }
  if (registry)
    registry->Add(description, treeClass, priority, FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
  return format;
}

void CreateClipboardFormatRegistry() {
  registry = std::make_unique<TClipboardFormatList>();
  TreeReferenceFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Node Tree Reference"));
  TreeDataFormat = RegisterTreeClipboardFormat(L"Node Tree Data", TBaseTree::StaticClass(), 50, -1, DVASPECT_CONTENT,
                                               nullptr, TYMED_HGLOBAL | TYMED_ISTREAM);
}

void RegisterTextTreeClipboardFormats(const TClass* textTreeClass) {
  HTMLFormat = RegisterTreeClipboardFormat(L"HTML Format", textTreeClass, 80);
  RTFNoObjectsFormat = RegisterTreeClipboardFormat(L"Rich Text Format Without Objects", textTreeClass, 84);
  RTFFormat = RegisterTreeClipboardFormat(L"Rich Text Format", textTreeClass, 85);
  CSVFormat = RegisterTreeClipboardFormat(L"CSV", textTreeClass, 90);
  RegisterTreeClipboardFormat(CF_TEXT, textTreeClass, 100);
  RegisterTreeClipboardFormat(CF_UNICODETEXT, textTreeClass, 95);
}

void FreeClipboardFormatRegistry() { registry.reset(); }

}  // namespace tree

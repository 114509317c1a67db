// The string tree's text formats as clipboard and drag data: each rendering in a block of global memory, made when
// a consumer asks the tree's data object for it.
#include <cstring>
#include <new>
#include <string>

#include "framework/com_guard.h"
#include "framework/global_memory.h"
#include "tree/clipboard_format_registry.h"
#include "tree/export/cf_html.h"
#include "tree/string_tree.h"

namespace tree {

namespace {

// Moveable, zero-initialised and shareable, as the clipboard expects of its blocks.
constexpr UINT ClipboardBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE;

// size bytes of data, followed by the zeros of the terminator (the block is one terminator longer).
HGLOBAL ClipboardBlock(const void* data, std::size_t size, std::size_t terminatorSize) {
  TGlobalMemory block(GlobalAlloc(ClipboardBlockFlags, size + terminatorSize));
  if (!block) throw std::bad_alloc();
  TGlobalLock lock(block.Get());
  if (!lock.Data()) throw std::bad_alloc();
  std::memcpy(lock.Data(), data, size);
  return block.Release();
}

HGLOBAL ClipboardBlock(const std::string& bytes) { return ClipboardBlock(bytes.data(), bytes.size(), 1); }

// The list separator of the user's locale (its first character), a comma when it has none.
wchar_t ListSeparator() {
  wchar_t separator[4] = {};
  return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, separator, 4) > 1 ? separator[0] : L',';
}

}  // namespace

HGLOBAL TCustomStringTree::ContentToClipboard(CLIPFORMAT format, TVSTTextSourceType source) {
  if (format == 0) return nullptr;
  if (format == CF_TEXT) return ClipboardBlock(ContentToText(source, L'\t'));
  if (format == CF_UNICODETEXT) {
    const String text = ContentToUnicode(source, L'\t');
    return ClipboardBlock(text.data(), text.size() * sizeof(wchar_t), sizeof(wchar_t));
  }
  if (format == CSVFormat) return ClipboardBlock(ContentToText(source, ListSeparator()));
  if (format == RTFFormat || format == RTFNoObjectsFormat) return ClipboardBlock(ContentToRTF(source));
  if (format == HTMLFormat) return ClipboardBlock(MakeCFHtml(ContentToHTML(source)));
  return nullptr;
}

HRESULT TCustomStringTree::RenderOLEData(const FORMATETC& formatEtcIn, STGMEDIUM& medium, bool forClipboard) {
  if (formatEtcIn.tymed & TYMED_HGLOBAL) {
    // Called by a data object on behalf of OLE: nothing the application's text handlers raise may pass this point.
    HGLOBAL data = nullptr;
    HRESULT result = ComGuard([&] {
      data = ContentToClipboard(formatEtcIn.cfFormat,
                                forClipboard ? TVSTTextSourceType::tstCutCopySet : TVSTTextSourceType::tstSelected);
    });
    if (FAILED(result)) return result;
    if (data) {
      medium.tymed = TYMED_HGLOBAL;
      medium.hGlobal = data;
      medium.pUnkForRelease = nullptr;
      return S_OK;
    }
  }
  return inherited::RenderOLEData(formatEtcIn, medium, forClipboard);
}

}  // namespace tree

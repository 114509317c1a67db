#include "tree/tree_clipboard_formats.h"

#include "tree/base_tree.h"
#include "tree/clipboard_format_registry.h"

namespace tree {

TClipboardFormats::TClipboardFormats(TBaseTree* owner) : owner_(owner) {
  SetSorted(true);
  SetDuplicates(TDuplicates::dupIgnore);
}

TPersistent* TClipboardFormats::GetOwner() const { return owner_; }

bool TClipboardFormats::Accepts(const String& name) const {
  TClipboardFormatList* registry = ClipboardFormatRegistry();
  if (!registry || !owner_) return false;
  CLIPFORMAT format = 0;
  const TClass* treeClass = registry->FindFormat(name, format);
  return treeClass && owner_->InheritsFrom(treeClass);
}

int TClipboardFormats::AddObject(const String& text, TObject* object) {
  if (!Accepts(text)) return -1;
  return inherited::AddObject(text, object);
}

void TClipboardFormats::InsertObject(int index, const String& text, TObject* object) {
  (void)index;
  // The list is sorted, so an accepted name takes its place in the order.
  if (Accepts(text)) inherited::AddObject(text, object);
}

}  // namespace tree

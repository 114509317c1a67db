// The names of the clipboard formats one tree offers: a sorted list without duplicates that takes only names
// registered for the tree's class or one of its ancestors.
#pragma once

#include "framework/strings.h"

namespace tree {

class TBaseTree;

class TClipboardFormats : public TStringList {
  BC_CLASS(TClipboardFormats, TStringList)
  explicit TClipboardFormats(TBaseTree* owner = nullptr);

  // -1 (and nothing added) for a name not registered for the owner's class.
  int AddObject(const String& text, TObject* object) override;
  // Does nothing for a name not registered for the owner's class.
  void InsertObject(int index, const String& text, TObject* object) override;
  TBaseTree* Owner() const { return owner_; }
  TPersistent* GetOwner() const override;

 private:
  bool Accepts(const String& name) const;

  TBaseTree* owner_;
};

}  // namespace tree

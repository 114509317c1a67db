#include "tree/string_tree_options.h"

#include "framework/properties.h"
#include "tree/base_tree.h"

namespace tree {

TCustomStringTreeOptions::TCustomStringTreeOptions(TBaseTree* owner) : TCustomTreeOptions(owner) {}

void TCustomStringTreeOptions::SetStringOptions(TTreeStringOptions value) {
  if (value == stringOptions_) return;
  bool staticSwitched = value.Contains(TTreeStringOption::toShowStaticText) !=
                        stringOptions_.Contains(TTreeStringOption::toShowStaticText);
  stringOptions_ = value;
  TBaseTree* tree = Owner();
  if (staticSwitched && tree && !tree->IsLoading() && tree->HandleAllocated()) tree->Invalidate();
}

void TCustomStringTreeOptions::AssignTo(TPersistent* dest) const {
  if (auto* options = ObjectAs<TCustomStringTreeOptions>(dest)) options->SetStringOptions(stringOptions_);
  inherited::AssignTo(dest);
}

const TPublishedTable& TStringTreeOptions::PublishedTable() const {
  using P = TPublished<TStringTreeOptions>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Set(L"StringOptions", &TStringTreeOptions::StringOptions, &TStringTreeOptions::SetStringOptions,
                 {L"toSaveCaptions", L"toShowStaticText", L"toAutoAcceptEditChange"})
              .Default(DefaultStringOptions),
      });
  return table;
}

}  // namespace tree

// The option object of string trees: the five sets of every tree plus the string options that decide whether
// captions are saved with the nodes, whether a second, static text is shown, and whether an editor's change is
// accepted when the editor goes away.
#pragma once

#include "framework/set.h"
#include "tree/tree_options.h"

namespace tree {

enum class TTreeStringOption { toSaveCaptions, toShowStaticText, toAutoAcceptEditChange };
using TTreeStringOptions = TSet<TTreeStringOption, 8>;
inline const TTreeStringOptions DefaultStringOptions{TTreeStringOption::toSaveCaptions,
                                                     TTreeStringOption::toAutoAcceptEditChange};

// The string options of forms stored by older versions (their "StringOptions" value).
enum class TOldVTStringOption { soSaveCaptions, soShowStaticText };
using TOldVTStringOptions = TSet<TOldVTStringOption, 8>;

class TCustomStringTreeOptions : public TCustomTreeOptions {
  BC_CLASS(TCustomStringTreeOptions, TCustomTreeOptions)
  explicit TCustomStringTreeOptions(TBaseTree* owner = nullptr);

  TTreeStringOptions StringOptions() const { return stringOptions_; }
  // Switching toShowStaticText repaints a tree that has a window and is not loading.
  void SetStringOptions(TTreeStringOptions value);

 protected:
  // Another string tree's options take the string options first, then the five sets.
  void AssignTo(TPersistent* dest) const override;

 private:
  TTreeStringOptions stringOptions_ = DefaultStringOptions;
};

// Publishes the string options next to the five sets.
class TStringTreeOptions : public TCustomStringTreeOptions {
  BC_CLASS(TStringTreeOptions, TCustomStringTreeOptions)
  explicit TStringTreeOptions(TBaseTree* owner = nullptr) : TCustomStringTreeOptions(owner) {}
  const TPublishedTable& PublishedTable() const override;
};

}  // namespace tree

// An edit link of the tests' own: it edits nothing, answers as told and records the calls the tree makes, so that
// trees without a default editor can run edits.
#pragma once

#include <string>
#include <vector>

#include "framework/com_object.h"
#include "tree/base_tree.h"
#include "tree/edit/tree_edit_link.h"

namespace tree_test {

class TRecordingEditLink : public TComObject<tree::ITreeEditLink> {
 public:
  bool prepares = true;
  bool begins = true;
  bool ends = true;
  std::vector<std::string> calls;
  RECT bounds{};
  tree::PTreeNode node = nullptr;

  bool STDMETHODCALLTYPE BeginEdit() override { return Record("BeginEdit", begins); }
  bool STDMETHODCALLTYPE CancelEdit() override { return Record("CancelEdit", true); }
  bool STDMETHODCALLTYPE EndEdit() override { return Record("EndEdit", ends); }
  bool STDMETHODCALLTYPE PrepareEdit(tree::TBaseTree*, tree::PTreeNode edited, tree::TColumnIndex) override {
    node = edited;
    return Record("PrepareEdit", prepares);
  }
  RECT STDMETHODCALLTYPE GetBounds() override { return bounds; }
  void STDMETHODCALLTYPE ProcessMessage(TMessage&) override {}
  TRaised STDMETHODCALLTYPE SetBounds(RECT r) override {
    bounds = r;
    calls.push_back("SetBounds");
    return TRaised(true);
  }

 private:
  bool Record(const char* call, bool answer) {
    calls.push_back(call);
    return answer;
  }
};

// OnCreateEditor handing out link (one new reference each time).
inline tree::TTreeCreateEditorEvent ProvideLink(TRecordingEditLink* link) {
  return [link](tree::TBaseTree*, tree::PTreeNode, tree::TColumnIndex, tree::ITreeEditLink*& result) {
    link->AddRef();
    result = link;
  };
}

}  // namespace tree_test

// Incremental search: typed characters gather into a text that the owner matches against nodes, walking from the
// focused (or last found, or first) node in the chosen direction and wrapping around at the ends.
#include <string_view>

#include "framework/text_convert.h"
#include "tree/base_tree.h"

namespace tree {

namespace {

// The ANSI code page of the keyboard layout's locale; the system's when the locale names none.
UINT KeyboardLayoutCodePage() {
  const LCID locale = MAKELCID(LOWORD(reinterpret_cast<ULONG_PTR>(GetKeyboardLayout(0))), SORT_DEFAULT);
  UINT codePage = 0;
  if (GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&codePage),
                     sizeof codePage / sizeof(wchar_t)) == 0 ||
      codePage == CP_ACP || !IsValidCodePage(codePage))
    return GetACP();
  return codePage;
}

// A Unicode window receives UTF-16 already (the system converts what ANSI senders post by the input locale); an
// ANSI window receives a byte of the keyboard layout's code page.
wchar_t SearchCharacter(HWND window, WORD charCode) {
  if (!window || IsWindowUnicode(window) || charCode > 0xFF) return static_cast<wchar_t>(charCode);
  const char byte = static_cast<char>(charCode);
  String wide = AnsiToWide(std::string_view(&byte, 1), KeyboardLayoutCodePage());
  return wide.size() == 1 ? wide[0] : L'\0';
}

// The nodes a search visits, in its direction, and where it goes on after the last one.
class TSearchWalk {
 public:
  TSearchWalk(TBaseTree& tree, TIncrementalSearch mode, bool backward)
      : tree_(tree), mode_(mode), backward_(backward) {}

  // The first node of the walk: the first, or with a backward walk the last, node the mode visits.
  PTreeNode Wrap() {
    switch (mode_) {
      case TIncrementalSearch::isVisibleOnly:
        return backward_ ? tree_.GetLastVisible() : tree_.GetFirstVisible();
      case TIncrementalSearch::isInitializedOnly:
        if (!backward_) return tree_.GetFirstInitialized();
        {
          PTreeNode last = tree_.GetLastNoInit();
          return !last || last->Has(nsInitialized) ? last : PreviousInitialized(last);
        }
      default:
        return backward_ ? tree_.GetLast() : tree_.GetFirst();
    }
  }

  // The node after node, wrapping around.
  PTreeNode Step(PTreeNode node) {
    PTreeNode next = Next(node);
    return next ? next : Wrap();
  }

 private:
  PTreeNode Next(PTreeNode node) {
    switch (mode_) {
      case TIncrementalSearch::isVisibleOnly:
        return backward_ ? tree_.GetPreviousVisible(node) : tree_.GetNextVisible(node);
      case TIncrementalSearch::isInitializedOnly:
        return backward_ ? PreviousInitialized(node) : tree_.GetNextInitialized(node);
      default:
        return backward_ ? tree_.GetPrevious(node) : tree_.GetNext(node);
    }
  }

  PTreeNode PreviousInitialized(PTreeNode node) const {
    for (node = tree_.GetPreviousNoInit(node); node; node = tree_.GetPreviousNoInit(node))
      if (node->Has(nsInitialized)) return node;
    return nullptr;
  }

  TBaseTree& tree_;
  TIncrementalSearch mode_;
  bool backward_;
};

}  // namespace

void TBaseTree::EndIncrementalSearch() {
  StopTimer(SearchTimer);
  DoStateChange({}, {TTreeState::stIncrementalSearching});
  searchBuffer_.clear();
  lastSearchNode_ = nullptr;
}

TRaised TBaseTree::HandleIncrementalSearch(WORD charCode) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  StopTimer(SearchTimer);
  if (incrementalSearch_ == TIncrementalSearch::isNone) return TRaised(!life.Ended());
  const wchar_t character = SearchCharacter(HandleAllocated() ? Handle() : nullptr, charCode);
  if (character != L'\0') {
    DoStateChange({TTreeState::stIncrementalSearching});
    PTreeNode start = nullptr;
    switch (incrementalSearchStart_) {
      case TSearchStart::ssLastHit:
        start = lastSearchNode_;
        break;
      case TSearchStart::ssFocusedNode:
        start = focusedNode_;
        break;
      case TSearchStart::ssAlwaysStartOver:
        break;
    }
    if ((incrementalSearch_ == TIncrementalSearch::isInitializedOnly && start && !start->Has(nsInitialized)) ||
        (incrementalSearch_ == TIncrementalSearch::isVisibleOnly && !FullyVisible(start)))
      start = nullptr;

    TSearchWalk walk(*this, incrementalSearch_, incrementalSearchDirection_ == TSearchDirection::sdBackward);
    // Typing the one character of the text again moves on to its next match instead of searching a longer text.
    const bool repeated = searchBuffer_.size() == 1 && searchBuffer_[0] == character;
    if (!start)
      start = walk.Wrap();
    else if (searchBuffer_.empty() || repeated)
      start = walk.Step(start);
    const String text = repeated ? searchBuffer_ : searchBuffer_ + character;

    // The handler may free the node it is asked about or the one the walk started from (which ends the walk), or
    // the tree: the walk has lost its place, and the search ends there with nothing found.
    const TNodeWatch startWatch(*this, start);
    PTreeNode found = nullptr;
    bool lost = false;
    for (PTreeNode run = start; run;) {
      int answer = 0;
      lost = DoIncrementalSearch(run, text, answer).NodeGone() || startWatch.Ended();
      const bool match = answer == 0;
      if (lost) break;
      if (match) {
        found = run;
        break;
      }
      run = walk.Step(run);
      if (run == start) break;
    }
    if (life.Ended()) return TRaised(false);
    if (found) {
      // Each step raises handlers (the change, the focus events, opening the node's ancestors) that may free the
      // node found, or the tree.
      const TNodeWatch foundWatch(*this, found);
      searchBuffer_ = text;
      if (ClearSelection().Gone()) return TRaised(false);
      if (!foundWatch.Ended() && SetFocusedNode(found).TreeGone()) return TRaised(false);
      if (!foundWatch.Ended() && SetSelected(found, true).TreeGone()) return TRaised(false);
      if (!foundWatch.Ended()) lastSearchNode_ = found;
    } else if (start && !lost) {
      MessageBeep(MB_OK);
    }
  }
  if (HandleAllocated()) SetTimer(Handle(), SearchTimer, incrementalSearchTimeout_, nullptr);
  return TRaised(!life.Ended());
}

}  // namespace tree

// A random model check of two shown trees, each run numbered: random steps over the public operations, keys and
// clicks sent to the first tree's window, edits by keys, clicks and calls, drags and drops within and between the
// trees, header columns and paints, on trees at times large enough for the worker to build their position caches,
// while every handler the trees raise may, at random, delete the node it is about, that node's parent, a sibling or
// every node, add, remove or move a header column, raise, or refuse. After every step both trees are
// checked against a walk of their links. A failure names its run and step and the steps before it, so that it
// replays. TREE_MODEL_RUNS (how many), TREE_MODEL_FIRST_RUN, TREE_MODEL_STEPS and TREE_MODEL_GUARD (0: freed node
// blocks unguarded, 1: guarded, 2: both; guarded by default) make a longer run; TREE_MODEL_TRACE=1 prints each step
// before it runs.
#include "support/model_check.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "framework/application.h"
#include "framework/streams.h"
#include "support/fault_recorder.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/test_environment.h"
#include "support/test_window.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_drag_manager.h"
#include "tree/tree_error.h"
#include "tree/tree_header.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

using AM = TTreeNodeAttachMode;

// The record of a node: its key, and a mark that its OnFreeNode ran.
struct TRecord {
  int Key;
  int Freed;
};
constexpr int FreedMark = 0x5EEDDEAD;

class TModelTree : public TStringTree {
 public:
  using TBaseTree::DoStateChange;
  explicit TModelTree(HWND host, int left) : TStringTree(nullptr) {
    EXPECT_TRUE(SetNodeDataSize(sizeof(TRecord)).Alive());
    EXPECT_TRUE(SetParentWindow(host).Alive());
    EXPECT_TRUE(SetBounds(left, 0, 220, 200).Alive());
    HandleNeeded();
    EXPECT_TRUE(SetVisible(true).Alive());
    SetChangeDelay(0);
    SetAnimationDuration(0);
    // Nothing happens by a timer within a step, so that a run replays the same handler calls: an edit starts by
    // F2, a search ends with the tree's next search, no hint or scroll waits for a time.
    SetEditDelay(600000);
    SetIncrementalSearchTimeout(600000);
    SetAutoScrollDelay(600000);
    SetShowHint(false);
  }
};

// The trees, their handlers and the steps of one run, whose number starts its random numbers.
class TModelCheck : public TModelCheckRun {
 public:
  TModelCheck(HWND host, unsigned run, bool guarded)
      : TModelCheckRun(run), guarded_(guarded), first_(host, 0), second_(host, 230) {
    for (TModelTree* tree : {&first_, &second_}) Wire(*tree);
    TTreeMiscOptions misc = first_.TreeOptions()->MiscOptions();
    misc += {TTreeMiscOption::toCheckSupport, TTreeMiscOption::toEditable, TTreeMiscOption::toToggleOnDblClick};
    first_.TreeOptions()->SetMiscOptions(misc);
    TTreeAutoOptions autoOptions = first_.TreeOptions()->AutoOptions();
    first_.TreeOptions()->SetAutoOptions(autoOptions + TTreeAutoOption::toAutoTristateTracking);
    first_.SetIncrementalSearch(TIncrementalSearch::isAll);
  }
  ~TModelCheck() {
    for (TModelTree* tree : {&first_, &second_}) Unwire(*tree);
  }

  // Runs the steps; answers the first fault found, with what led to it.
  std::string Run(unsigned steps) {
    for (step_ = 0; step_ < steps; ++step_) {
      const bool bracket = Chance(8);
      TModelTree& tree = Chance(4) ? second_ : first_;
      if (bracket) EXPECT_TRUE(tree.BeginUpdate().Alive());
      std::string name = Attempt([&] { Step(tree); });
      if (bracket) name += " in a bracket" + Attempt([&] { EXPECT_TRUE(tree.EndUpdate().Alive()); });
      Remember(name);
      // A fault the platform swallowed inside a window procedure counts as a fault of this step.
      std::string fault = TakeFaultReport();
      if (fault.empty()) fault = Check(first_, "first tree");
      if (fault.empty()) fault = Check(second_, "second tree");
      if (fault.empty() && !unexpected_.empty()) fault = unexpected_;
      if (!fault.empty()) return fault + "\nat step " + std::to_string(step_) + "; the steps before:\n" + History();
    }
    return {};
  }

 private:
  // Runs work; answers the step's name and what ended it, when it raised what an application expects.
  template <class Work>
  std::string Attempt(Work work) {
    current_.clear();
    try {
      work();
      return current_;
    } catch (const EChaos&) {
      return current_ + " (raised)";
    } catch (const ETreeError& e) {
      return current_ + " (tree error " + std::to_string(e.HelpContext()) + ")";
    } catch (const Exception& e) {
      // Any other error is the tree's own fault: the check names the step it left.
      if (unexpected_.empty()) unexpected_ = "an exception left the step: " + std::string(e.what());
      return current_ + " (failed)";
    }
  }

  PTreeNode Pick(TModelTree& tree) {
    const std::vector<PTreeNode> nodes = AllNodes(tree);
    return nodes.empty() ? nullptr : nodes[Below(static_cast<unsigned>(nodes.size()))];
  }
  PTreeNode PickOrNull(TModelTree& tree) { return Chance(5) ? nullptr : Pick(tree); }

  // ---- the handlers

  // Blocks guarded are never handed out again: a node freed before is one no handler may be told of.
  bool Alive(const char* event, PTreeNode node) {
    if (!guarded_ || !node || !freed_.count(node)) return true;
    if (unexpected_.empty()) unexpected_ = std::string(event) + " was handed a node freed before";
    return false;
  }

  // Whether this handler call does something on its own: rarely, and only a few calls deep.
  bool Acts() { return depth_ < 2 && Chance(14); }

  // A handler's deed about node of tree: delete it, its parent, a sibling or every node, or raise; for an asking
  // event (allowed), refuse too.
  void Chaos(const char* event, TBaseTree* tree, PTreeNode node, bool* allowed = nullptr) {
    // Blocks guarded are never handed out again: a node freed before is one no handler may be told of.
    if (!Alive(event, node) || !Acts()) return;
    ++depth_;
    struct TDepth {
      int& depth;
      ~TDepth() { --depth; }
    } leave{depth_};
    if (Chance(8)) {
      ChangeColumns(event, *tree);
      return;
    }
    const unsigned deed = Below(allowed ? 7 : 6);
    if (node == tree->RootNode()) node = nullptr;
    if (tracing_) {
      static const char* const deeds[] = {
          "deletes the node", "deletes its parent", "deletes a sibling", "clears the tree", "raises", "raises",
          "refuses"};
      std::fprintf(stderr, "  %s %s\n", event, deeds[deed]);
      std::fflush(stderr);
    }
    switch (deed) {
      case 0:
        if (node) EXPECT_TRUE(tree->DeleteNode(node).Alive());
        break;
      case 1:
        if (node && node->Parent != tree->RootNode()) EXPECT_TRUE(tree->DeleteNode(node->Parent).Alive());
        break;
      case 2:
        if (node) EXPECT_TRUE(tree->DeleteNode(node->NextSibling ? node->NextSibling : node->PrevSibling).Alive());
        break;
      case 3:
        if (Chance(3)) EXPECT_TRUE(tree->Clear().Alive());
        break;
      case 4:
      case 5:
        if (raising_) throw EChaos();
        break;
      default:
        *allowed = false;
    }
  }

  // A handler's other deed: a header column added, removed or moved.
  void ChangeColumns(const char* event, TBaseTree& tree) {
    TTreeColumns* columns = tree.Header()->Columns();
    const int count = columns->Count();
    const unsigned how = Below(3);
    if (tracing_) {
      static const char* const hows[] = {"adds a column", "removes a column", "moves a column"};
      std::fprintf(stderr, "  %s %s\n", event, hows[how]);
      std::fflush(stderr);
    }
    if (how == 0 && count < 4) EXPECT_TRUE(columns->Add()->SetWidth(40 + static_cast<int>(Below(80))).Alive());
    if (how == 1 && count > 0) columns->Delete(static_cast<int>(Below(static_cast<unsigned>(count))));
    if (how == 2 && count > 1)
      columns->Items(static_cast<int>(Below(static_cast<unsigned>(count))))
          ->SetPosition(static_cast<int>(Below(static_cast<unsigned>(count))));
  }

  void Wire(TModelTree& tree) {
    TModelTree* self = &tree;
    tree.OnInitNode = [this](TBaseTree* t, PTreeNode, PTreeNode node, TTreeNodeInitStates& states) {
      if (!Alive("OnInitNode", node)) return;
      Record(t, node).Key = nextKey_++;
      if (Chance(3)) states |= ivsHasChildren;
      if (Chance(6)) states |= ivsExpanded;
      if (Chance(10)) states |= ivsSelected;
      if (Chance(12)) states |= ivsDisabled;
      // As an application does: its own call may raise handlers, which may free the node.
      const TNodeWatch watch(*t, node);
      t->SetCheckType(node, static_cast<TCheckType>(Below(4)));
      if (!watch.Ended()) Chaos("OnInitNode", t, node);
    };
    tree.OnInitChildren = [this](TBaseTree* t, PTreeNode node, std::uint32_t& count) {
      if (!Alive("OnInitChildren", node)) return;
      count = Below(4);
      Chaos("OnInitChildren", t, node);
    };
    tree.OnFreeNode = [this](TBaseTree* t, PTreeNode node) {
      if (!Alive("OnFreeNode", node)) return;
      Chaos("OnFreeNode", t, node);
      Record(t, node).Freed = FreedMark;
      if (guarded_) freed_.insert(node);
    };
    tree.OnChange = [this](TBaseTree* t, PTreeNode node) { Chaos("OnChange", t, node); };
    tree.OnStructureChange = [this](TBaseTree* t, PTreeNode node, TChangeReason) {
      Chaos("OnStructureChange", t, node);
    };
    tree.OnExpanding = [this](TBaseTree* t, PTreeNode node, bool& allowed) { Chaos("OnExpanding", t, node, &allowed); };
    tree.OnExpanded = [this](TBaseTree* t, PTreeNode node) { Chaos("OnExpanded", t, node); };
    tree.OnCollapsing = [this](TBaseTree* t, PTreeNode node, bool& allowed) {
      Chaos("OnCollapsing", t, node, &allowed);
    };
    tree.OnCollapsed = [this](TBaseTree* t, PTreeNode node) { Chaos("OnCollapsed", t, node); };
    tree.OnChecking = [this](TBaseTree* t, PTreeNode node, TCheckState&, bool& allowed) {
      Chaos("OnChecking", t, node, &allowed);
    };
    tree.OnChecked = [this](TBaseTree* t, PTreeNode node) { Chaos("OnChecked", t, node); };
    tree.OnFocusChanging = [this](TBaseTree* t, PTreeNode, PTreeNode node, TColumnIndex, TColumnIndex, bool& allowed) {
      Chaos("OnFocusChanging", t, node, &allowed);
    };
    tree.OnFocusChanged = [this](TBaseTree* t, PTreeNode node, TColumnIndex) { Chaos("OnFocusChanged", t, node); };
    tree.OnGetText = [this, self](TBaseTree* t, PTreeNode node, TColumnIndex column, TVSTTextType, String& text) {
      if (!Alive("OnGetText", node)) return;
      text = L"Node " + std::to_wstring(Record(t, node).Key) + (column > 0 ? L" more" : L"");
      (void)self;
      Chaos("OnGetText", t, node);
    };
    tree.OnPaintText = [this](TBaseTree* t, TCanvas*, PTreeNode node, TColumnIndex, TVSTTextType) {
      Chaos("OnPaintText", t, node);
    };
    tree.OnCompareNodes = [this](TBaseTree* t, PTreeNode a, PTreeNode b, TColumnIndex, int& result) {
      if (!Alive("OnCompareNodes", a)) return;
      result = Record(t, a).Key - Record(t, b).Key;
      Chaos("OnCompareNodes", t, a);
    };
    tree.OnNodeMoving = [this](TBaseTree* t, PTreeNode node, PTreeNode, bool& allowed) {
      Chaos("OnNodeMoving", t, node, &allowed);
    };
    tree.OnNodeMoved = [this](TBaseTree* t, PTreeNode node) { Chaos("OnNodeMoved", t, node); };
    tree.OnNodeCopying = [this](TBaseTree* t, PTreeNode node, PTreeNode, bool& allowed) {
      Chaos("OnNodeCopying", t, node, &allowed);
    };
    tree.OnNodeCopied = [this](TBaseTree* t, PTreeNode node) { Chaos("OnNodeCopied", t, node); };
    tree.OnSaveNode = [this](TBaseTree* t, PTreeNode node, TStream& stream) {
      if (!Alive("OnSaveNode", node)) return;
      stream.WriteBuffer(&Record(t, node).Key, sizeof(int));
      Chaos("OnSaveNode", t, node);
    };
    tree.OnLoadNode = [this](TBaseTree* t, PTreeNode node, TStream& stream) {
      if (!Alive("OnLoadNode", node)) return;
      int key = 0;
      stream.ReadBuffer(&key, sizeof key);
      Record(t, node).Key = key;
      Chaos("OnLoadNode", t, node);
    };
    tree.OnEditing = [this](TBaseTree* t, PTreeNode node, TColumnIndex, bool& allowed) {
      Chaos("OnEditing", t, node, &allowed);
    };
    tree.OnIncrementalSearch = [this](TBaseTree* t, PTreeNode node, const String&, int& result) {
      if (!Alive("OnIncrementalSearch", node)) return;
      result = Chance(3) ? 0 : 1;
      Chaos("OnIncrementalSearch", t, node);
    };
    tree.OnGetImageIndex = [this](TBaseTree* t, PTreeNode node, TTreeImageKind, TColumnIndex, bool&, int&) {
      Chaos("OnGetImageIndex", t, node);
    };
    tree.OnHotChange = [this](TBaseTree* t, PTreeNode, PTreeNode node) { Chaos("OnHotChange", t, node); };
    tree.OnBeforeItemErase = [this](TBaseTree* t, TCanvas*, PTreeNode node, const RECT&, TColor&, TItemEraseAction&) {
      Chaos("OnBeforeItemErase", t, node);
    };
    tree.OnAfterCellPaint = [this](TBaseTree* t, TCanvas*, PTreeNode node, TColumnIndex, const RECT&) {
      Chaos("OnAfterCellPaint", t, node);
    };
    tree.OnResetNode = [this](TBaseTree* t, PTreeNode node) { Chaos("OnResetNode", t, node); };
    tree.OnDragAllowed = [this](TBaseTree* t, PTreeNode node, TColumnIndex, bool& allowed) {
      allowed = false;
      Chaos("OnDragAllowed", t, node);
    };
    tree.OnNewText = [this](TBaseTree* t, PTreeNode node, TColumnIndex, const String& text) {
      // A row renamed to nothing is deleted, as applications do.
      if (Alive("OnNewText", node) && text.empty() && node) {
        EXPECT_TRUE(t->DeleteNode(node).Alive());
        return;
      }
      Chaos("OnNewText", t, node);
    };
    tree.OnEdited = [this](TBaseTree* t, PTreeNode node, TColumnIndex) { Chaos("OnEdited", t, node); };
    tree.OnEditCancelled = [this](TBaseTree* t, TColumnIndex) { Chaos("OnEditCancelled", t, t->FocusedNode()); };
    tree.OnDragOver = [this](TBaseTree* t, TObject*, TShiftState, TDragState, POINT, TDropMode, DWORD&, bool& accept) {
      accept = true;
      Chaos("OnDragOver", t, t->DropTargetNode(), &accept);
    };
    tree.OnDragDrop = [this](TBaseTree* t, TObject* source, IDataObject* data, const TFormatArray&, TShiftState, POINT,
                             DWORD& effect, TDropMode) {
      Chaos("OnDragDrop", t, t->DropTargetNode());
      auto* from = ObjectAs<TBaseTree>(source);
      t->ProcessOLEData(from, data, t->DropTargetNode(), static_cast<AM>(1 + Below(4)),
                        from && effect == DROPEFFECT_MOVE);
    };
    tree.OnColumnResize = [this, self](TTreeHeader*, TColumnIndex) {
      Chaos("OnColumnResize", self, self->FocusedNode());
    };
  }

  // The trees go with handlers that only free: a deletion while they go would reach freed parts.
  void Unwire(TModelTree& tree) {
    raising_ = false;
    tree.OnFreeNode = [](TBaseTree* t, PTreeNode node) { Record(t, node).Freed = FreedMark; };
    for (TTreeChangeEvent* event : {&tree.OnChange, &tree.OnExpanded, &tree.OnCollapsed, &tree.OnChecked,
                                    &tree.OnNodeMoved, &tree.OnNodeCopied, &tree.OnResetNode})
      *event = nullptr;
    tree.OnStructureChange = nullptr;
    tree.OnFocusChanged = nullptr;
    tree.OnFocusChanging = nullptr;
    tree.OnHotChange = nullptr;
    tree.OnGetText = nullptr;
    tree.OnPaintText = nullptr;
    tree.OnNewText = nullptr;
    tree.OnEdited = nullptr;
    tree.OnEditCancelled = nullptr;
    tree.OnDragOver = nullptr;
    tree.OnDragDrop = nullptr;
    tree.OnColumnResize = nullptr;
  }

  static TRecord& Record(TBaseTree* tree, PTreeNode node) { return *tree->GetNodeData<TRecord>(node); }

  // ---- the steps

  // Names the step about to run; with TREE_MODEL_TRACE set it is printed first, so that a fault that ends the
  // program shows where it happened.
  void Say(const std::string& name) {
    current_ = name;
    if (tracing_) {
      std::fprintf(stderr, "step %u: %s\n", step_, name.c_str());
      std::fflush(stderr);
    }
  }

  void Step(TModelTree& tree) {
    TModelTree& other = &tree == &first_ ? second_ : first_;
    // A tree grown large gets smaller steps, so that every step is checked in little time.
    const bool large = tree.TotalCount() > 150;
    const char* which = &tree == &first_ ? "first: " : "second: ";
    switch (Below(34)) {
      case 0:
        if (large) {
          Say(std::string(which) + "DeleteNode (large)");
          EXPECT_TRUE(tree.DeleteNode(Pick(tree)).Alive());
          return;
        }
        Say(std::string(which) + "AddChild");
        tree.AddChild(PickOrNull(tree));
        return;
      case 1:
        Say(std::string(which) + "InsertNode");
        tree.InsertNode(PickOrNull(tree), static_cast<AM>(Below(5)));
        return;
      case 2:
        Say(std::string(which) + "DeleteNode");
        EXPECT_TRUE(tree.DeleteNode(Pick(tree)).Alive());
        return;
      case 3: {
        const bool intoOther = Chance(3);
        PTreeNode target = intoOther ? PickOrNull(other) : PickOrNull(tree);
        if (intoOther && !target) target = other.RootNode();
        Say(std::string(which) + (intoOther ? "MoveTo (other tree)" : "MoveTo"));
        EXPECT_FALSE(tree.MoveTo(Pick(tree), target, static_cast<AM>(Below(5)), Chance(4)).TreeGone());
        return;
      }
      case 4:
        Say(std::string(which) + "ToggleNode");
        EXPECT_FALSE(tree.ToggleNode(Pick(tree)).TreeGone());
        return;
      case 5:
        if (Chance(2)) {
          Say(std::string(which) + "FullExpand");
          EXPECT_TRUE(tree.FullExpand(PickOrNull(tree)).Alive());
          return;
        }
        Say(std::string(which) + "FullCollapse");
        EXPECT_TRUE(tree.FullCollapse(PickOrNull(tree)).Alive());
        return;
      case 6:
        Say(std::string(which) + "CheckState");
        if (PTreeNode node = Pick(tree)) {
          const TNodeWatch watch(tree, node);
          tree.SetCheckType(node, static_cast<TCheckType>(Below(4)));
          if (!watch.Ended()) EXPECT_FALSE(tree.SetCheckState(node, static_cast<TCheckState>(2 * Below(3))).TreeGone());
        }
        return;
      case 7: {
        Say(std::string(which) + "SetSelected");
        TTreeSelectionOptions options = tree.TreeOptions()->SelectionOptions();
        if (Chance(5))
          EXPECT_TRUE(tree.TreeOptions()
                          ->SetSelectionOptions(options.Contains(TTreeSelectionOption::toMultiSelect)
                                                    ? options - TTreeSelectionOption::toMultiSelect
                                                    : options + TTreeSelectionOption::toMultiSelect)
                          .Alive());
        EXPECT_FALSE(tree.SetSelected(Pick(tree), !Chance(4)).TreeGone());
        return;
      }
      case 8:
        Say(std::string(which) + "SelectAll");
        EXPECT_TRUE(tree.SelectAll(Chance(2)).Alive());
        return;
      case 9:
        Say(std::string(which) + "DeleteSelectedNodes");
        EXPECT_TRUE(tree.DeleteSelectedNodes().Alive());
        return;
      case 10:
        Say(std::string(which) + "SetFocusedNode");
        EXPECT_FALSE(tree.SetFocusedNode(PickOrNull(tree)).TreeGone());
        return;
      case 11:
        if (Chance(2)) {
          Say(std::string(which) + "Sort");
          tree.Sort(PickOrNull(tree), 0, static_cast<TSortDirection>(Below(2)), Chance(2));
          return;
        }
        Say(std::string(which) + "SortTree");
        EXPECT_TRUE(tree.SortTree(0, static_cast<TSortDirection>(Below(2)), Chance(2)).Alive());
        return;
      case 12:
        Say(std::string(which) + "SetIsVisible");
        if (PTreeNode node = Pick(tree)) tree.SetIsVisible(node, !node->Has(nsVisible));
        return;
      case 13: {
        if (Chance(2))
          tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toInitOnSave);
        const bool intoOther = large || Chance(2);
        Say(std::string(which) +
            (intoOther ? "SaveToStream, LoadFromStream into the other tree" : "SaveToStream, LoadFromStream"));
        TMemoryStream stream;
        tree.SaveToStream(stream, Chance(3) ? Pick(tree) : nullptr);
        stream.SetPosition(0);
        EXPECT_TRUE((intoOther ? other : tree).LoadFromStream(stream).Alive());
        return;
      }
      case 14:
        switch (Below(4)) {
          case 0:
            Say(std::string(which) + "ContentToText");
            tree.ContentToText(TVSTTextSourceType::tstAll, L',');
            return;
          case 1:
            Say(std::string(which) + "ContentToUnicode");
            tree.ContentToUnicode(static_cast<TVSTTextSourceType>(Below(5)), L'\t');
            return;
          case 2:
            Say(std::string(which) + "ContentToRTF");
            tree.ContentToRTF(TVSTTextSourceType::tstVisible);
            return;
          default:
            Say(std::string(which) + "ContentToHTML");
            tree.ContentToHTML(TVSTTextSourceType::tstSelected);
            return;
        }
      case 15: {
        const unsigned how = Below(3);
        TModelTree& into = Chance(2) ? tree : other;
        Say(std::string(which) +
            (how == 0   ? "CopyToClipboard, "
             : how == 1 ? "CutToClipboard, "
                        : "") +
            (&into == &tree ? "PasteFromClipboard" : "PasteFromClipboard into the other tree"));
        if (how == 0) tree.CopyToClipboard();
        if (how == 1) tree.CutToClipboard();
        EXPECT_FALSE(into.SetFocusedNode(PickOrNull(into)).TreeGone());
        into.SetDefaultPasteMode(static_cast<AM>(1 + Below(4)));
        if (how != 2 || !large) into.PasteFromClipboard();
        return;
      }
      case 16:
        Say(std::string(which) + "DeleteChildren");
        EXPECT_FALSE(tree.DeleteChildren(PickOrNull(tree), Chance(2)).TreeGone());
        return;
      case 17:
        Say(std::string(which) + "Clear");
        if (Chance(4)) EXPECT_TRUE(tree.Clear().Alive());
        return;
      case 18:
        Say(std::string(which) + "ScrollIntoView");
        tree.ScrollIntoView(Pick(tree), Chance(2), Chance(2));
        return;
      case 19:
        Say(std::string(which) + "SetNodeHeight");
        tree.SetNodeHeight(Pick(tree), static_cast<std::uint16_t>(Below(3) ? 10 + Below(30) : Below(2) * 65535));
        return;
      case 20:
        Say(std::string(which) + "SetChildCount");
        EXPECT_FALSE(tree.SetChildCount(PickOrNull(tree), large ? Below(2) : Below(8)).TreeGone());
        return;
      case 21:
        if (Chance(2)) {
          Say(std::string(which) + "ReinitNode");
          tree.ReinitNode(PickOrNull(tree), Chance(2));
          return;
        }
        Say(std::string(which) + "ResetNode");
        EXPECT_FALSE(tree.ResetNode(Pick(tree)).TreeGone());
        return;
      case 22:
        Say(std::string(which) + "ValidateNode");
        tree.ValidateNode(PickOrNull(tree), Chance(2));
        return;
      case 23:
      case 24:
        Key(first_);
        return;
      case 25:
      case 26:
        Click(first_);
        return;
      case 27:
        Paint(tree);
        return;
      case 28:
        Say(std::string(which) + "SetRootNodeCount");
        EXPECT_TRUE(tree.SetRootNodeCount(large ? Below(20) : Below(40)).Alive());
        return;
      case 29:
      case 30:
        Edit(tree);
        return;
      case 31:
        Drag(tree, Chance(2) ? other : tree);
        return;
      case 32:
        // Large enough for the worker to build the position cache while the next steps run.
        if (Chance(6) && !large) {
          Say(std::string(which) + "SetRootNodeCount (for the position cache)");
          EXPECT_TRUE(tree.SetRootNodeCount(CacheThreshold + 1 + Below(500)).Alive());
          return;
        }
        Say(std::string(which) + "header column");
        ChangeColumns("a step", tree);
        return;
      default:
        Say(std::string(which) + "SetTopNode");
        EXPECT_TRUE(tree.SetTopNode(Pick(tree)).Alive());
        return;
    }
  }

  // An edit started by a call, or the running one fed keys, a click elsewhere, or ended or cancelled by a call.
  void Edit(TModelTree& tree) {
    const char* which = &tree == &first_ ? "first: " : "second: ";
    HWND editor = FindWindowExW(tree.Handle(), nullptr, L"TTreeEdit", nullptr);
    if (!tree.IsEditing() || !editor) {
      Say(std::string(which) + "EditNode");
      tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toEditable);
      // Now and then a column the header does not hold: no edit starts then.
      tree.EditNode(Pick(tree),
                    static_cast<int>(Below(static_cast<unsigned>(tree.Header()->Columns()->Count()) + 2)) - 1);
      return;
    }
    switch (Below(7)) {
      case 0:
      case 1: {
        Say(std::string(which) + "typing in the editor");
        if (Chance(3)) SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        for (unsigned i = Below(4); i > 0; --i) SendMessageW(editor, WM_CHAR, L'a' + Below(26), 1);
        return;
      }
      case 2:
        Say(std::string(which) + "Enter in the editor");
        SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
        return;
      case 3:
        Say(std::string(which) + "Escape in the editor");
        SendMessageW(editor, WM_KEYDOWN, VK_ESCAPE, 1);
        return;
      case 4:
        Click(tree);
        return;
      case 5:
        Say(std::string(which) + "EndEditNode");
        tree.EndEditNode();
        return;
      default:
        Say(std::string(which) + "CancelEditNode");
        tree.CancelEditNode();
        return;
    }
  }

  // The selection of source dragged over a point of tree, then dropped there or taken away.
  void Drag(TModelTree& tree, TModelTree& source) {
    const char* which = &tree == &first_ ? "first: " : "second: ";
    const bool drop = !Chance(3);
    Say(std::string(which) + (&source == &tree ? "a drag within the tree, " : "a drag from the other tree, ") +
        (drop ? "dropped" : "left"));
    tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toAcceptOLEDrop);
    if (PTreeNode node = Pick(source)) EXPECT_FALSE(source.SetSelected(node, true).TreeGone());
    Microsoft::WRL::ComPtr<IDataObject> data;
    *data.ReleaseAndGetAddressOf() = source.GetDragManager()->GetDataObject();
    Microsoft::WRL::ComPtr<IDropTarget> target;
    tree.GetDragManager()->QueryInterface(IID_PPV_ARGS(&target));
    if (!data || !target) return;
    auto at = [&] {
      POINT p{static_cast<LONG>(Below(220)), static_cast<LONG>(Below(200))};
      ClientToScreen(tree.Handle(), &p);
      return POINTL{p.x, p.y};
    };
    const DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    DWORD effect = allowed;
    target->DragEnter(data.Get(), MK_LBUTTON, at(), &effect);
    for (unsigned moves = Below(3); moves > 0; --moves) {
      effect = allowed;
      target->DragOver(Chance(3) ? MK_LBUTTON | MK_SHIFT : MK_LBUTTON, at(), &effect);
    }
    effect = allowed;
    if (drop)
      target->Drop(data.Get(), MK_LBUTTON, at(), &effect);
    else
      target->DragLeave();
  }

  // A key, with Shift or Ctrl held at times, to the tree's window.
  void Key(TModelTree& tree) {
    static const WORD keys[] = {VK_UP,   VK_DOWN,   VK_LEFT, VK_RIGHT,    VK_HOME,     VK_END,    VK_PRIOR,
                                VK_NEXT, VK_SPACE,  VK_ADD,  VK_SUBTRACT, VK_MULTIPLY, VK_DIVIDE, VK_BACK,
                                VK_F2,   VK_ESCAPE, 'A',     'N',         'M'};
    const WORD key = keys[Below(std::size(keys))];
    BYTE saved[256]{};
    GetKeyboardState(saved);
    BYTE state[256]{};
    if (Chance(3)) state[VK_SHIFT] = 0x80;
    if (Chance(5)) state[VK_CONTROL] = 0x80;
    Say("key " + std::to_string(key) + (state[VK_SHIFT] ? " with Shift" : "") +
        (state[VK_CONTROL] ? " with Ctrl" : ""));
    SetKeyboardState(state);
    SendMessageW(tree.Handle(), WM_KEYDOWN, key, 1);
    if (key >= 'A' && key <= 'Z') SendMessageW(tree.Handle(), WM_CHAR, key + 32, 1);
    SendMessageW(tree.Handle(), WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
    SetKeyboardState(saved);
    ProcessPendingMessages();
  }

  // A click, a double click or a right click at a random point of the tree's window.
  void Click(TModelTree& tree) {
    const LPARAM at = MAKELPARAM(Below(220), Below(200));
    const unsigned kind = Below(4);
    Say(kind == 3 ? "right click" : kind == 2 ? "double click" : "click");
    const UINT down = kind == 3 ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    const UINT up = kind == 3 ? WM_RBUTTONUP : WM_LBUTTONUP;
    const WPARAM keys = Chance(4) ? MK_CONTROL : Chance(4) ? MK_SHIFT : 0;
    SendMessageW(tree.Handle(), down, keys | (kind == 3 ? MK_RBUTTON : MK_LBUTTON), at);
    SendMessageW(tree.Handle(), up, keys, at);
    if (kind == 2) {
      SendMessageW(tree.Handle(), WM_LBUTTONDBLCLK, keys | MK_LBUTTON, at);
      SendMessageW(tree.Handle(), WM_LBUTTONUP, keys, at);
    }
    if (Chance(2)) SendMessageW(tree.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(Below(220), Below(200)));
    ProcessPendingMessages();
  }

  void Paint(TModelTree& tree) {
    if (Chance(2)) {
      Say("paint");
      RedrawWindow(tree.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
      return;
    }
    Say("print");
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 220, 200);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(tree.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }

  // ---- the checks

  std::string Check(TModelTree& tree, const char* which) {
    std::string fault = CheckInvariants(tree);
    if (!fault.empty()) return std::string(which) + ": " + fault;
    const std::vector<PTreeNode> nodes = AllNodes(tree);
    const std::unordered_set<PTreeNode> reachable(nodes.begin(), nodes.end());
    std::uint32_t selected = 0;
    for (PTreeNode node : nodes) {
      if (Record(&tree, node).Freed == FreedMark) return std::string(which) + ": a node handed to OnFreeNode is linked";
      if (node->Has(nsSelected)) ++selected;
      if (node->Has(nsDeleting) || node->Has(nsClearing) || node->Has(nsChecking))
        return std::string(which) + ": a node keeps a state of work done";
    }
    if (selected != tree.SelectedCount())
      return std::string(which) + ": SelectedCount " + std::to_string(tree.SelectedCount()) + " for " +
             std::to_string(selected) + " selected nodes";
    if (tree.GetSortedSelection(false).size() != selected) return std::string(which) + ": the selected walk differs";
    for (const auto& [name, node] :
         {std::pair{"focused", tree.FocusedNode()}, std::pair{"hot", tree.HotNode()},
          std::pair{"drop target", tree.DropTargetNode()}, std::pair{"edit", tree.EditPendingNode()}})
      if (node && !reachable.count(node)) return std::string(which) + ": the " + name + " node is not in the tree";
    if (tree.UpdateCount() != 0) return std::string(which) + ": update count " + std::to_string(tree.UpdateCount());
    const TTreeStates states = tree.TreeStates();
    for (TTreeState state : {TTreeState::stUpdating, TTreeState::stFullExpand, TTreeState::stFullCollapse,
                             TTreeState::stInAnimation, TTreeState::stPainting, TTreeState::stClipboardFlushing})
      if (states.Contains(state))
        return std::string(which) + ": the tree keeps state " + std::to_string(static_cast<int>(state));
    return {};
  }

 public:
  // Exceptions that reach the application's handler: only the handlers' own may.

 private:
  const bool guarded_;
  // The nodes handed to OnFreeNode, while freed blocks are guarded.
  std::unordered_set<PTreeNode> freed_;
  TModelTree first_, second_;
  int depth_ = 0;
  int nextKey_ = 1;
  bool raising_ = true;
  std::string current_;
  const bool tracing_ = EnvironmentNumber("TREE_MODEL_TRACE", 0) != 0;
};

struct TreeModelCheck : ::testing::Test {
  TTestEnvironment environment;
  TTestWindow host{RECT{40, 40, 500, 260}};
  POINT savedCursor{};
  TreeModelCheck() {
    environment.SetVisualStyles(false);
    SetForegroundWindow(host.Handle());
    // The mouse rests away from the trees: only the clicks and moves of the steps reach them.
    GetCursorPos(&savedCursor);
    SetCursorPos(900, 900);
  }
  ~TreeModelCheck() override {
    SetCursorPos(savedCursor.x, savedCursor.y);
    TNodeSlab::SetGuardFreedBlocks(false);
    OleSetClipboard(nullptr);
  }
};

TEST_F(TreeModelCheck, HandlersThatFreeOrRaiseLeaveBothTreesWhole) {
  const auto [runs, firstRun, steps, guard] = ModelCheckCounts("TREE", 3, 250);
  for (unsigned run = firstRun; run < firstRun + runs; ++run) {
    for (const bool guarded : {false, true}) {
      if ((guarded && guard == 0) || (!guarded && guard == 1)) continue;
      SCOPED_TRACE(testing::Message() << "run " << run << (guarded ? ", freed blocks guarded" : ""));
      TNodeSlab::SetGuardFreedBlocks(guarded);
      TModelCheck check(host.Handle(), run, guarded);
      const TErrorsReportedTo reported(check);
      const std::string fault = check.Run(steps);
      ASSERT_EQ(fault, "");
    }
  }
}

}  // namespace
}  // namespace tree_test

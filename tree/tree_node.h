// The node record every tree keeps a million of: a plain header followed, in the same block, by the tree's
// internal data area and the application's record. Field order, widths and state bit positions are read
// directly by applications and stored in streams, so they are fixed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tree {

class TBaseTree;

// Bits of TTreeNode::States.
enum TTreeNodeState : std::uint16_t {
  nsInitialized = 1u << 0,
  nsChecking = 1u << 1,
  nsCutOrCopy = 1u << 2,
  nsDisabled = 1u << 3,
  nsDeleting = 1u << 4,
  nsExpanded = 1u << 5,
  nsHasChildren = 1u << 6,
  nsVisible = 1u << 7,
  nsSelected = 1u << 8,
  nsInitialUserData = 1u << 9,
  nsClearing = 1u << 11,
};

// What stream saving keeps of States: transient and creation-only flags go.
constexpr std::uint16_t StreamStateMask = 0xFDE9;
// What ReinitNode keeps before initializing again.
constexpr std::uint16_t ReinitStateMask = 0xFFE9;
// What ResetNode keeps: the node is uninitialized, collapsed and childless afterwards.
constexpr std::uint16_t ResetStateMask = 0xFF88;

// Bits of TTreeNode::Deferred. Kept lazily so that growing a deep chain or a long sibling list at either end
// costs the same per node: a stale count marks every ancestor up to the first one already marked, and a stale
// index list is renumbered once when an index is asked for. Inside an update bracket a changed height marks the
// ancestors the same way instead of being added to each of them, so that opening a deep chain from the top down
// costs the same per level; whatever reads a height brings the marked ones up to date first.
enum TNodeDeferred : std::uint8_t {
  ndCountStale = 1u << 0,    // TotalCount may be wrong below this node
  ndIndexesStale = 1u << 1,  // the Index values of this node's children may be wrong
  ndHeightStale = 1u << 2,   // TotalHeight may be wrong at this node or below it
  // Set on the paths climbed by the two nodes CompareNodePositions orders, only while it runs.
  ndClimbedFromFirst = 1u << 3,
  ndClimbedFromSecond = 1u << 4,
  // Set on the nodes a TWatchedNodes of the tree lists, while it does.
  ndListed = 1u << 5,
  // Set while OnInitNode runs for the node: what its handler does to the node (repainting it, asking where it
  // lies) finds it being initialized, not uninitialized.
  ndInitializing = 1u << 6,
  // Set on the rows of a pending cut or copy and on their ancestors: deleting such a node takes rows the clipboard
  // still renders from.
  ndHoldsCutCopy = 1u << 7,
};

// Check box states; the odd values are the pressed look of the even ones.
enum class TCheckState : std::uint8_t {
  csUncheckedNormal,
  csUncheckedPressed,
  csCheckedNormal,
  csCheckedPressed,
  csMixedNormal,
  csMixedPressed
};
enum class TCheckType : std::uint8_t { ctNone, ctTriStateCheckBox, ctCheckBox, ctRadioButton, ctButton };

struct TTreeNode {
  std::uint32_t Index;
  std::uint32_t ChildCount;
  std::uint16_t NodeHeight;
  std::uint16_t States;
  std::uint8_t Align;
  TCheckState CheckState;
  TCheckType CheckType;
  // Work the tree left for later on this node (TNodeDeferred bits); never stored.
  std::uint8_t Deferred;
  std::uint32_t TotalCount;
  // The shown height of the subtree. A total past what 32 bits hold (thousands of the tallest rows) reads
  // WideTotalHeight here; the tree keeps it whole (TBaseTree::NodeTotalHeight), so the record stays this size.
  std::uint32_t TotalHeight;
  TTreeNode* Parent;
  TTreeNode* PrevSibling;
  TTreeNode* NextSibling;
  TTreeNode* FirstChild;
  TTreeNode* LastChild;

  bool Has(std::uint16_t state) const { return (States & state) != 0; }
};
using PTreeNode = TTreeNode*;

constexpr std::uint32_t WideTotalHeight = 0xFFFFFFFF;

// The areas that follow the header start on this boundary, so an application record can hold any scalar,
// including 16-byte SSE values, on 64-bit systems.
constexpr std::size_t NodeAreaAlignment = 16;
constexpr std::size_t AlignNodeArea(std::size_t size) {
  return (size + NodeAreaAlignment - 1) & ~(NodeAreaAlignment - 1);
}
constexpr std::size_t TreeNodeSize = AlignNodeArea(sizeof(TTreeNode));

// Flags an OnInitNode handler may request for a node.
enum TTreeNodeInitState : std::uint8_t {
  ivsDisabled = 1u << 0,
  ivsExpanded = 1u << 1,
  ivsHasChildren = 1u << 2,
  ivsSelected = 1u << 3,
};
using TTreeNodeInitStates = std::uint8_t;

enum class TTreeNodeAttachMode { amNoWhere, amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast };

enum class TChangeReason {
  crIgnore,
  crAccumulated,
  crChildAdded,
  crChildDeleted,
  crNodeAdded,
  crNodeCopied,
  crNodeMoved
};

enum class TTreeUpdateState { usBegin, usBeginSynch, usSynch, usUpdate, usEnd, usEndSynch };

// The tree that owns a node: the hidden root (the node that is its own next sibling) keeps the tree in Parent.
TBaseTree* TreeOfNode(const TTreeNode* node);

}  // namespace tree

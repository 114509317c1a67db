// The tree's binary node form: saving and loading whole trees or subtrees, node chunks for the clipboard and for
// moves between trees. Every read is bounded by the data really present, so hostile input ends in the tree's own
// errors.
#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/streams.h"
#include "framework/whole_file.h"
#include "tree/base_tree.h"
#include "tree/node_walk.h"
#include "tree/tree_error.h"

namespace tree {

// A base chunk's body, whichever version wrote it.
struct TBaseBody {
  std::uint32_t ChildCount = 0;
  std::uint16_t Height = 0;
  std::uint16_t States = 0;
  std::uint8_t Align = 0;
  TCheckState CheckState{};
  TCheckType CheckType{};
};

// A chunk of a node other than its frame and base chunk (the application's data, a caption): its handlers may
// delete nodes, so it is read once every node of the read is linked, its totals summed and its selection taken.
struct TLaterChunk {
  PTreeNode Node;
  std::int64_t Start;
  std::int32_t Type, Size;
};

namespace {

// The magic's six 16-bit words; word 3 is the version, word 4 a space that readers do not compare.
constexpr std::uint16_t MagicWords[6] = {0x2045, 0x0056, 0x0054, 0, 0x0020, 0x2046};
constexpr std::uint16_t StreamVersion = 2;
constexpr int MagicSize = 12;

struct TChunkHeader {
  std::int32_t ChunkType;
  std::int32_t ChunkSize;
};
constexpr int ChunkHeaderSize = 8;

// The base chunk's body from version 2 on, packed.
constexpr int BaseBodySize = 17;
// Version 1 stored States as one byte whose bit 7 meant selected.
constexpr int OldBaseBodySize = 12;
constexpr std::uint8_t OldSelectedBit = 0x80;

// Flags a stream may not hand a node: they describe work in progress of the tree that wrote it.
constexpr std::uint16_t ReadStateMask = StreamStateMask & ~nsClearing;

std::int64_t Remaining(TStream& stream) { return stream.Size() - stream.Position(); }

TChunkHeader ReadChunkHeader(TStream& stream) {
  TChunkHeader header{};
  if (Remaining(stream) < ChunkHeaderSize) RaiseTreeError(teStreamTooShort);
  stream.ReadBuffer(&header.ChunkType, 4);
  stream.ReadBuffer(&header.ChunkSize, 4);
  if (header.ChunkSize < 0 || header.ChunkSize > Remaining(stream)) RaiseTreeError(teStreamTooShort);
  return header;
}

// Writes a chunk header whose size is stored once the payload is known; answers where the header starts.
std::int64_t BeginChunk(TStream& stream, TChunkType type) {
  std::int64_t start = stream.Position();
  std::int32_t header[2] = {type, 0};
  stream.WriteBuffer(header, sizeof header);
  return start;
}

void EndChunk(TStream& stream, std::int64_t start) {
  std::int64_t end = stream.Position();
  auto size = static_cast<std::int32_t>(end - start - ChunkHeaderSize);
  stream.SetPosition(start + 4);
  stream.WriteBuffer(&size, 4);
  stream.SetPosition(end);
}

template <class T>
T ReadValue(TStream& stream) {
  T value{};
  stream.ReadBuffer(&value, sizeof value);
  return value;
}

void WriteBaseBody(TStream& stream, PTreeNode node, std::uint32_t childCount) {
  std::uint8_t body[BaseBodySize] = {};
  std::uint32_t height = node->NodeHeight;
  std::uint16_t states = node->States & StreamStateMask;
  std::memcpy(body, &childCount, 4);
  std::memcpy(body + 4, &height, 4);
  std::memcpy(body + 8, &states, 2);
  body[10] = node->Align;
  body[11] = static_cast<std::uint8_t>(node->CheckState);
  body[12] = static_cast<std::uint8_t>(node->CheckType);
  stream.WriteBuffer(body, sizeof body);
}

TCheckState SafeCheckState(std::uint8_t value) {
  return value <= static_cast<std::uint8_t>(TCheckState::csMixedPressed) ? static_cast<TCheckState>(value)
                                                                         : TCheckState::csUncheckedNormal;
}

TCheckType SafeCheckType(std::uint8_t value) {
  return value <= static_cast<std::uint8_t>(TCheckType::ctButton) ? static_cast<TCheckType>(value) : TCheckType::ctNone;
}

TBaseBody ReadBaseBody(TStream& stream, int version, std::int64_t chunkSize) {
  int bodySize = version >= 2 ? BaseBodySize : OldBaseBodySize;
  if (chunkSize < bodySize) RaiseTreeError(teStreamTooShort);
  std::int64_t start = stream.Position();
  std::uint8_t body[BaseBodySize] = {};
  stream.ReadBuffer(body, bodySize);
  TBaseBody result;
  std::uint32_t height = 0;
  std::memcpy(&result.ChildCount, body, 4);
  std::memcpy(&height, body + 4, 4);
  // The record keeps 16 bits: a taller row is as tall as a row can be, not a row of height 0.
  result.Height = static_cast<std::uint16_t>(std::min<std::uint32_t>(height, 0xFFFF));
  int tail = 8;
  if (version >= 2) {
    std::memcpy(&result.States, body + 8, 2);
    result.States &= ReadStateMask;
    tail = 10;
  } else {
    result.States = nsVisible | ((body[8] & OldSelectedBit) ? nsSelected : 0);
    tail = 9;
  }
  result.Align = body[tail];
  result.CheckState = SafeCheckState(body[tail + 1]);
  result.CheckType = SafeCheckType(body[tail + 2]);
  if (stream.Position() != start + bodySize) stream.SetPosition(start + bodySize);
  return result;
}

// Links a node read from a stream as last child of parent, leaving the totals to the end of the read.
void LinkReadChild(PTreeNode parent, PTreeNode child) {
  child->Parent = parent;
  child->PrevSibling = parent->LastChild;
  child->Index = parent->ChildCount;
  if (parent->LastChild)
    parent->LastChild->NextSibling = child;
  else
    parent->FirstChild = child;
  parent->LastChild = child;
  ++parent->ChildCount;
  parent->States |= nsHasChildren;
}

}  // namespace

// ---- writing

void TBaseTree::SaveToStream(TStream& stream, PTreeNode node) {
  std::uint16_t magic[6];
  std::memcpy(magic, MagicWords, sizeof magic);
  magic[3] = StreamVersion;
  stream.WriteBuffer(magic, sizeof magic);
  TWatchedNodes listed(*this);
  if (node && node != root_) {
    listed.Add(node);
  } else {
    for (PTreeNode child = root_->FirstChild; child; child = child->NextSibling) listed.Add(child);
  }
  const std::vector<PTreeNode> nodes = NodesToWrite(listed);
  auto count = static_cast<std::uint32_t>(nodes.size());
  const std::int64_t countStart = stream.Position();
  stream.WriteBuffer(&count, 4);
  // The handlers of the chunks may free nodes still to write, or the tree.
  const auto written = static_cast<std::uint32_t>(WriteNodeChunks(stream, nodes).size());
  if (written == count) return;
  const std::int64_t end = stream.Position();
  stream.SetPosition(countStart);
  stream.WriteBuffer(&written, 4);
  stream.SetPosition(end);
}

std::vector<PTreeNode> TBaseTree::NodesToWrite(const TWatchedNodes& nodes) {
  if (options_->MiscOptions().Contains(TTreeMiscOption::toInitOnSave))
    for (std::size_t i = 0; i < nodes.Size(); ++i)
      if (!nodes.Freed(i)) ValidateNode(nodes.Node(i), true);
  return nodes.Survivors();
}

void TBaseTree::SaveToFile(const String& fileName, PTreeNode node) {
  SaveWholeFile(fileName, [&](TStream& stream) { SaveToStream(stream, node); });
}

void TBaseTree::WriteNode(TStream& stream, PTreeNode node) {
  TWatchedNodes listed(*this);
  listed.Add(node);
  WriteNodeChunks(stream, NodesToWrite(listed));
}

std::vector<std::size_t> TBaseTree::WriteNodeChunks(TStream& stream, const std::vector<PTreeNode>& nodes) {
  // One frame per open level on the heap instead of one call: a chain nested a million deep is written with the
  // stack it started with. Every node the walk goes to is listed before a handler can run, so that a freed one
  // is known.
  constexpr std::size_t None = static_cast<std::size_t>(-1);
  struct TOpenNode {
    std::size_t Node;  // places in listed
    std::int64_t NodeStart;
    std::int64_t BaseStart;
    std::uint32_t Announced;  // the child count its base chunk says
    std::uint32_t Written;
    std::size_t LastChild, NextChild;
  };
  TWatchedNodes listed(*this);
  for (PTreeNode node : nodes) listed.Add(node);
  std::vector<TOpenNode> open;
  auto enter = [&](std::size_t place) {
    PTreeNode next = listed.Node(place);
    const std::int64_t nodeStart = BeginChunk(stream, NodeChunk);
    const std::int64_t baseStart = BeginChunk(stream, BaseChunk);
    // Children of a node that was never initialized stay unsaved; the count says how many chunks follow, so the
    // node's children come back on demand after loading.
    const std::uint32_t count = next->Has(nsInitialized) ? next->ChildCount : 0;
    WriteBaseBody(stream, next, count);
    std::size_t first = None;
    if (count > 0) {
      listed.Add(next->FirstChild);
      first = listed.Size() - 1;
    }
    open.push_back(TOpenNode{place, nodeStart, baseStart, count, 0, None, first});
  };
  // The child after the last one written, which may have gone, or another taken its place.
  auto nextChild = [&](TOpenNode& frame) -> std::size_t {
    if (frame.NextChild != None && !listed.Freed(frame.NextChild)) return frame.NextChild;
    if (frame.LastChild == None || listed.Freed(frame.LastChild)) return None;
    PTreeNode after = listed.Node(frame.LastChild)->NextSibling;
    if (!after) return None;
    listed.Add(after);
    return listed.Size() - 1;
  };
  std::vector<std::size_t> written;
  for (std::size_t top = 0; top < nodes.size() && !listed.TreeGone(); ++top) {
    if (listed.Freed(top)) continue;
    written.push_back(top);
    enter(top);
    while (!open.empty()) {
      TOpenNode& frame = open.back();
      const bool lives = !listed.Freed(frame.Node);
      if (const std::size_t child = lives ? nextChild(frame) : None; child != None) {
        PTreeNode after = listed.Node(child)->NextSibling;
        frame.LastChild = child;
        frame.NextChild = None;
        if (after) {
          listed.Add(after);
          frame.NextChild = listed.Size() - 1;
        }
        ++frame.Written;
        enter(child);
        continue;
      }
      const TOpenNode done = frame;
      open.pop_back();
      if (done.Written != done.Announced) {
        const std::int64_t end = stream.Position();
        stream.SetPosition(done.BaseStart + ChunkHeaderSize);
        stream.WriteBuffer(&done.Written, 4);
        stream.SetPosition(end);
      }
      EndChunk(stream, done.BaseStart);
      // The stream is the caller's: the chunk closes whatever the node's handler freed, which the list tells.
      if (lives && WriteChunks(stream, listed.Node(done.Node)).TreeGone()) {
        EndChunk(stream, done.NodeStart);
        return written;
      }
      EndChunk(stream, done.NodeStart);
    }
  }
  return written;
}

TNodeRaised TBaseTree::WriteChunks(TStream& stream, PTreeNode node) {
  std::int64_t userStart = BeginChunk(stream, UserChunk);
  const TNodeRaised raised = DoSaveUserData(node, stream);
  if (stream.Position() == userStart + ChunkHeaderSize) {
    stream.SetPosition(userStart);
    stream.SetSize(stream.Size() - ChunkHeaderSize);
  } else {
    EndChunk(stream, userStart);
  }
  return raised;
}

// ---- reading

TRaised TBaseTree::LoadFromStream(TStream& stream) {
  // Everything is checked or read before the old content goes: a failed load leaves the tree as it was.
  std::uint16_t magic[6] = {};
  if (Remaining(stream) < MagicSize || stream.Read(magic, MagicSize) < MagicSize) RaiseTreeError(teStreamTooShort);
  for (int word : {0, 1, 2, 5})
    if (magic[word] != MagicWords[word]) RaiseTreeError(teStreamFormat);
  int version = magic[3];
  if (version >= 3) RaiseTreeError(teStreamVersion);
  std::uint32_t count = 0x7FFFFFFF;
  if (version >= 2) {
    if (Remaining(stream) < 4) RaiseTreeError(teStreamTooShort);
    count = ReadValue<std::uint32_t>(stream);
  }
  // OnGetNodeDataSize runs before the first node is made; OnUpdating may free the tree too.
  const TLifeWatch life = LifeWatch();
  if (ValidateNodeDataSize().Gone() || BeginUpdate().Gone()) return TRaised(false);
  // The new nodes grow below a hidden, closed holder that is no child of the root: nothing they do reaches the
  // tree's heights, visible count or selection until they take the old content's place.
  PTreeNode holder = MakeNewNode();
  holder->States = 0;
  holder->Parent = root_;
  loadHolder_ = holder;
  std::vector<TLaterChunk> later;
  try {
    while (stream.Position() < stream.Size() && count > 0) {
      --count;
      PTreeNode node = MakeNewNode();
      InternalConnectNode(node, holder, this, TTreeNodeAttachMode::amAddChildLast);
      ReadNodeLinks(stream, version, node, later);
    }
  } catch (...) {
    loadHolder_ = nullptr;
    DropStreamSelection(holder, false);
    // The exception passes on whatever the frees' handlers and the bracket's end do; the frees' handlers may free
    // the tree, and the holder with it.
    TFirstFailure failure;
    if (FreeDescendants(holder, failure) && FreeNodeBlock(holder).Alive()) (void)EndUpdate();
    throw;
  }
  loadHolder_ = nullptr;
  // The read rows' selected flags are taken in once the rows are in their place, with no other row's.
  const std::vector<PTreeNode> selected = DropStreamSelection(holder, false);
  PTreeNode first = holder->FirstChild;
  PTreeNode last = holder->LastChild;
  std::uint32_t loaded = holder->ChildCount;
  holder->FirstChild = holder->LastChild = nullptr;
  holder->ChildCount = 0;
  // The holder was never initialized: its going raises nothing.
  (void)FreeNodeBlock(holder);
  // The read nodes take the old content's place also when a handler of its going raises; the exception follows
  // once they have.
  TFirstFailure failure;
  if (failure.Run(life, [this] { return Clear(); }).Gone()) {
    failure.Raise();
    return TRaised(false);
  }
  // The rows a handler added once the tree was empty (or those a Clear cut short left) stay, and the read rows
  // follow them.
  for (PTreeNode run = first; run; run = run->NextSibling) run->Parent = root_;
  if (first) {
    if (root_->LastChild) {
      root_->LastChild->NextSibling = first;
      first->PrevSibling = root_->LastChild;
      root_->Deferred |= ndIndexesStale;
    } else {
      root_->FirstChild = first;
    }
    root_->LastChild = last;
    root_->ChildCount += loaded;
  }
  SumChildren(root_);
  MarkStale(root_, ndCountStale);
  visibleCount_ = CountVisibleChildren(root_);
  InvalidateCache();
  // Taking the selection in raises OnChange, and the nodes' own chunks their handlers, which meet the nodes in their
  // place; any of them may free the tree. The first failure passes on once the bracket has ended.
  bool lives = failure.Run(life, [&] { return AdoptSelection(selected); }).Alive();
  if (lives && !failure.Failed())
    lives = failure.Run(life, [&] { return ReadLaterChunks(stream, version, later); }).Alive();
  if (lives) lives = failure.Run(life, [this] { return DoNodeCopied(nullptr).Tree(); }).Alive();
  if (lives) lives = failure.Run(life, [this] { return EndUpdate(); }).Alive();
  failure.Raise();
  return TRaised(lives);
}

TRaised TBaseTree::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  return LoadFromStream(stream);
}

TNodeRaised TBaseTree::ReadNode(TStream& stream, int version, PTreeNode node) {
  const TNodeWatch watch(*this, node);
  if (ValidateNodeDataSize().Gone() || watch.Ended()) return TNodeRaised(watch);
  std::vector<TLaterChunk> later;
  ReadNodeLinks(stream, version, node, later);
  if (ReadLaterChunks(stream, version, later).Gone()) return TNodeRaised(false, false);
  return TNodeRaised(watch);
}

void TBaseTree::ReadNodeLinks(TStream& stream, int version, PTreeNode node, std::vector<TLaterChunk>& later) {
  // One frame per open level on the heap instead of one call, so nesting is bounded by the data alone (every
  // level takes a node and a base chunk header). The nodes below node are linked without their totals, which are
  // summed once at the end, also when the read fails.
  struct TOpenNode {
    PTreeNode Node;
    std::int64_t End;
    std::int64_t BaseEnd;  // while the base chunk's children are read, else -1
    std::uint32_t ChildrenLeft;
    bool BaseRead;
  };
  std::vector<TOpenNode> open;
  auto enter = [&](PTreeNode next) {
    TChunkHeader header = ReadChunkHeader(stream);
    if (header.ChunkType != NodeChunk) RaiseTreeError(teNodeChunkMissing);
    open.push_back(TOpenNode{next, stream.Position() + header.ChunkSize, -1, 0, false});
  };
  const bool hadChildren = node->ChildCount > 0;
  const std::uint32_t shownBefore = hadChildren && FullyVisible(node) ? CountVisibleChildren(node) : 0;
  auto settle = [&] { SettleReadNodes(node, shownBefore); };
  try {
    enter(node);
    while (!open.empty()) {
      TOpenNode& top = open.back();
      if (top.BaseEnd >= 0) {
        if (top.ChildrenLeft > 0) {
          // Each child needs at least its chunk header inside the base chunk; a count the data cannot hold is
          // refused before a node is made for it.
          if (top.BaseEnd - stream.Position() < ChunkHeaderSize) RaiseTreeError(teStreamTooShort);
          --top.ChildrenLeft;
          PTreeNode child = MakeNewNode();
          LinkReadChild(top.Node, child);
          enter(child);
          continue;
        }
        if (stream.Position() != top.BaseEnd) RaiseTreeError(teNodeChunkOverrun);
        top.BaseEnd = -1;
        continue;
      }
      if (stream.Position() < top.End) {
        TChunkHeader inner = ReadChunkHeader(stream);
        if (stream.Position() + inner.ChunkSize > top.End) RaiseTreeError(teNodeChunkOverrun);
        // A node has one base chunk. A second one would apply its states to a node whose children are linked but
        // not yet counted: hiding it took them out of the visible count without their having been put in.
        if (inner.ChunkType == BaseChunk && top.BaseRead) RaiseTreeError(teStreamFormat);
        if (inner.ChunkType == BaseChunk) top.BaseRead = true;
        if (inner.ChunkType == BaseChunk && top.Node != node) {
          std::int64_t baseEnd = stream.Position() + inner.ChunkSize;
          TBaseBody body = ReadBaseBody(stream, version, inner.ChunkSize);
          PTreeNode read = top.Node;
          read->NodeHeight = body.Height;
          read->States = body.States;
          read->Align = body.Align;
          read->CheckState = body.CheckState;
          read->CheckType = body.CheckType;
          top.BaseEnd = baseEnd;
          top.ChildrenLeft = body.ChildCount;
        } else if (inner.ChunkType == BaseChunk) {
          std::int64_t baseEnd = stream.Position() + inner.ChunkSize;
          top.ChildrenLeft = ApplyBaseBody(node, ReadBaseBody(stream, version, inner.ChunkSize));
          top.BaseEnd = baseEnd;
        } else {
          later.push_back(TLaterChunk{top.Node, stream.Position(), inner.ChunkType, inner.ChunkSize});
          stream.SetPosition(stream.Position() + inner.ChunkSize);
        }
        continue;
      }
      if (stream.Position() != top.End) RaiseTreeError(teNodeChunkOverrun);
      open.pop_back();
    }
  } catch (...) {
    settle();
    throw;
  }
  settle();
}

TRaised TBaseTree::ReadLaterChunks(TStream& stream, int version, const std::vector<TLaterChunk>& later) {
  if (later.empty()) return TRaised(true);
  const std::int64_t end = stream.Position();
  TWatchedNodes owners(*this);
  for (const TLaterChunk& chunk : later) owners.Add(chunk.Node);
  for (std::size_t i = 0; i < later.size() && !owners.TreeGone(); ++i) {
    // A node a handler deleted takes its remaining chunks with it.
    if (owners.Freed(i)) continue;
    stream.SetPosition(later[i].Start);
    if (ReadChunk(stream, version, later[i].Node, later[i].Type, later[i].Size).TreeGone()) return TRaised(false);
  }
  if (owners.TreeGone()) return TRaised(false);
  stream.SetPosition(end);
  return TRaised(true);
}

std::uint32_t TBaseTree::ApplyBaseBody(PTreeNode node, const TBaseBody& body) {
  if (node != root_) {
    SetNodeHeight(node, body.Height);
    // Visibility goes through the path that keeps the parent's height and the visible count right; a node
    // that already holds children keeps its expanded state for the same reason, and a selected node stays in the
    // selection.
    SetIsVisible(node, (body.States & nsVisible) != 0);
    std::uint16_t kept =
        nsVisible | (node->ChildCount > 0 ? nsExpanded | nsHasChildren : 0) | (node->Has(nsSelected) ? nsSelected : 0);
    node->States = static_cast<std::uint16_t>((node->States & kept) | (body.States & ~kept));
  }
  node->Align = body.Align;
  node->CheckState = body.CheckState;
  node->CheckType = body.CheckType;
  return body.ChildCount;
}

void TBaseTree::SumChildren(PTreeNode node) {
  node->TotalCount = SummedCount(node);
  SetTotalHeight(node, SummedHeight(node));
  node->Deferred &= ~(ndCountStale | ndHeightStale);
}

void TBaseTree::SettleReadNodes(PTreeNode top, std::uint32_t shownBefore) {
  // Post-order along the links, without a stack: every node below top sums its children once.
  if (top->FirstChild) {
    PTreeNode run = top->FirstChild;
    while (run->FirstChild) run = run->FirstChild;
    while (run != top) {
      SumChildren(run);
      if (run->NextSibling) {
        run = run->NextSibling;
        while (run->FirstChild) run = run->FirstChild;
      } else {
        run = run->Parent;
      }
    }
  }
  AdjustTotalHeight(top, static_cast<std::int64_t>(SummedHeight(top)), false);
  // Top's own totals are exact now, as is every one below it, and its ancestors follow.
  SetTotalCount(top, SummedCount(top));
  top->Deferred &= ~ndHeightStale;
  if (FullyVisible(top)) visibleCount_ += CountVisibleChildren(top) - shownBefore;
  InvalidateCache();
}

TNodeRaised TBaseTree::ReadChunk(TStream& stream, int version, PTreeNode node, int chunkType, int chunkSize) {
  (void)version;
  const std::int64_t end = stream.Position() + chunkSize;
  if (chunkType != UserChunk || chunkSize <= 0) {
    stream.SetPosition(end);
    return TNodeRaised(true, true);
  }
  // The stream is the caller's: it is left at the chunk's end whatever the handler freed.
  const TNodeRaised raised = DoLoadUserData(node, stream);
  if (stream.Position() != end) stream.SetPosition(end);
  return raised;
}

void TBaseTree::SkipNode(TStream& stream) {
  TChunkHeader header = ReadChunkHeader(stream);
  if (header.ChunkType != NodeChunk) RaiseTreeError(teNodeChunkMissing);
  stream.SetPosition(stream.Position() + header.ChunkSize);
}

std::vector<PTreeNode> TBaseTree::DropStreamSelection(PTreeNode node, bool selectedBefore) {
  // The nodes below node are new: a selected flag of theirs came from the stream.
  std::vector<PTreeNode> selected;
  for (PTreeNode run = node == root_ ? root_->FirstChild : node; run;) {
    if (run->Has(nsSelected) && !(run == node && selectedBefore)) {
      run->States &= ~nsSelected;
      selected.push_back(run);
    }
    // Walk the subtree without leaving it.
    if (run->FirstChild) {
      run = run->FirstChild;
      continue;
    }
    while (run != node && run != root_ && !run->NextSibling) run = run->Parent;
    if (run == node || run == root_) break;
    run = run->NextSibling;
  }
  return selected;
}

TRaised TBaseTree::AdoptSelection(const std::vector<PTreeNode>& selected) {
  if (selected.empty() || !options_->SelectionOptions().Contains(TTreeSelectionOption::toMultiSelect))
    return TRaised(true);
  return AddToSelection(selected);
}

TNodeRaised TBaseTree::InternalAddFromStream(TStream& stream, int version, PTreeNode node) {
  if (!node) node = root_;
  // OnGetNodeDataSize runs before the first node is made, never in the middle of the read; OnChange, as the read
  // nodes join the selection, and the handlers of their own chunks may free the node or the tree.
  const TNodeWatch watch(*this, node);
  if (ValidateNodeDataSize().Gone() || watch.Ended()) return TNodeRaised(watch);
  const bool selectedBefore = node->Has(nsSelected);
  std::vector<TLaterChunk> later;
  // A failed read takes no selected flag into the selection (dropping them raises nothing): the caller removes
  // what it read.
  try {
    ReadNodeLinks(stream, version, node, later);
  } catch (...) {
    DropStreamSelection(node, selectedBefore);
    throw;
  }
  if (AdoptSelection(DropStreamSelection(node, selectedBefore)).Gone() || watch.Ended()) return TNodeRaised(watch);
  if (ReadLaterChunks(stream, version, later).Gone()) return TNodeRaised(false, false);
  return TNodeRaised(watch);
}

}  // namespace tree

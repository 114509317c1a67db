// The tree's binary node form: saving and loading whole trees or subtrees, node chunks for the clipboard and for
// moves between trees. Every read is bounded by the data really present, so hostile input ends in the tree's own
// errors.
#include <algorithm>
#include <cstring>

#include "framework/streams.h"
#include "tree/base_tree.h"
#include "tree/tree_error.h"

namespace tree {

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

// Nesting deeper than this is refused: reading, freeing and writing descend once per level.
constexpr int MaxNestingDepth = 1024;

// Flags a stream may not hand a node: they describe work in progress of the tree that wrote it.
constexpr std::uint16_t ReadStateMask = StreamStateMask & ~nsClearing;

thread_local int readDepth = 0;

struct TDepthGuard {
  TDepthGuard() {
    if (++readDepth > MaxNestingDepth) {
      --readDepth;
      RaiseTreeError(teNodeChunkOverrun);
    }
  }
  ~TDepthGuard() { --readDepth; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;
};

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

TCheckState SafeCheckState(std::uint8_t value) {
  return value <= static_cast<std::uint8_t>(TCheckState::csMixedPressed) ? static_cast<TCheckState>(value)
                                                                         : TCheckState::csUncheckedNormal;
}

TCheckType SafeCheckType(std::uint8_t value) {
  return value <= static_cast<std::uint8_t>(TCheckType::ctButton) ? static_cast<TCheckType>(value) : TCheckType::ctNone;
}

}  // namespace

// ---- writing

void TBaseTree::SaveToStream(TStream& stream, PTreeNode node) {
  std::uint16_t magic[6];
  std::memcpy(magic, MagicWords, sizeof magic);
  magic[3] = StreamVersion;
  stream.WriteBuffer(magic, sizeof magic);
  if (!node || node == root_) {
    std::uint32_t count = root_->ChildCount;
    stream.WriteBuffer(&count, 4);
    for (PTreeNode child = root_->FirstChild; child; child = child->NextSibling) WriteNode(stream, child);
  } else {
    std::uint32_t count = 1;
    stream.WriteBuffer(&count, 4);
    WriteNode(stream, node);
  }
}

void TBaseTree::SaveToFile(const String& fileName, PTreeNode node) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream, node);
}

void TBaseTree::WriteNode(TStream& stream, PTreeNode node) {
  if (options_->MiscOptions().Contains(TTreeMiscOption::toInitOnSave)) {
    if (!node->Has(nsInitialized)) InitNode(node);
    if (node->Has(nsHasChildren) && node->ChildCount == 0) InitChildren(node);
  }
  std::int64_t start = BeginChunk(stream, NodeChunk);
  WriteChunks(stream, node);
  EndChunk(stream, start);
}

void TBaseTree::WriteChunks(TStream& stream, PTreeNode node) {
  std::int64_t start = BeginChunk(stream, BaseChunk);
  // Children of a node that was never initialized stay unsaved; the count says how many chunks follow, so the
  // node's children come back on demand after loading.
  bool withChildren = node->Has(nsInitialized);
  std::uint8_t body[BaseBodySize] = {};
  std::uint32_t childCount = withChildren ? node->ChildCount : 0;
  std::uint32_t height = node->NodeHeight;
  std::uint16_t states = node->States & StreamStateMask;
  std::memcpy(body, &childCount, 4);
  std::memcpy(body + 4, &height, 4);
  std::memcpy(body + 8, &states, 2);
  body[10] = node->Align;
  body[11] = static_cast<std::uint8_t>(node->CheckState);
  body[12] = static_cast<std::uint8_t>(node->CheckType);
  stream.WriteBuffer(body, sizeof body);
  if (withChildren)
    for (PTreeNode child = node->FirstChild; child; child = child->NextSibling) WriteNode(stream, child);
  EndChunk(stream, start);

  std::int64_t userStart = BeginChunk(stream, UserChunk);
  DoSaveUserData(node, stream);
  if (stream.Position() == userStart + ChunkHeaderSize) {
    stream.SetPosition(userStart);
    stream.SetSize(stream.Size() - ChunkHeaderSize);
  } else {
    EndChunk(stream, userStart);
  }
}

// ---- reading

void TBaseTree::LoadFromStream(TStream& stream) {
  Clear();
  std::uint16_t magic[6] = {};
  if (Remaining(stream) < MagicSize || stream.Read(magic, MagicSize) < MagicSize) RaiseTreeError(teStreamTooShort);
  for (int word : {0, 1, 2, 5})
    if (magic[word] != MagicWords[word]) RaiseTreeError(teStreamFormat);
  int version = magic[3];
  if (version >= 3) RaiseTreeError(teStreamVersion);
  BeginUpdate();
  try {
    std::uint32_t count = 0x7FFFFFFF;
    if (version >= 2) {
      if (Remaining(stream) < 4) RaiseTreeError(teStreamTooShort);
      count = ReadValue<std::uint32_t>(stream);
    }
    while (stream.Position() < stream.Size() && count > 0) {
      --count;
      PTreeNode node = MakeNewNode();
      InternalConnectNode(node, root_, this, TTreeNodeAttachMode::amAddChildLast);
      InternalAddFromStream(stream, version, node);
    }
    DoNodeCopied(nullptr);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TBaseTree::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TBaseTree::ReadNode(TStream& stream, int version, PTreeNode node) {
  TDepthGuard depth;
  TChunkHeader header = ReadChunkHeader(stream);
  if (header.ChunkType != NodeChunk) RaiseTreeError(teNodeChunkMissing);
  std::int64_t end = stream.Position() + header.ChunkSize;
  while (stream.Position() < end) {
    TChunkHeader inner = ReadChunkHeader(stream);
    if (stream.Position() + inner.ChunkSize > end) RaiseTreeError(teNodeChunkOverrun);
    ReadChunk(stream, version, node, inner.ChunkType, inner.ChunkSize);
  }
  if (stream.Position() != end) RaiseTreeError(teNodeChunkOverrun);
}

bool TBaseTree::ReadChunk(TStream& stream, int version, PTreeNode node, int chunkType, int chunkSize) {
  std::int64_t start = stream.Position();
  std::int64_t end = start + chunkSize;
  switch (chunkType) {
    case BaseChunk: {
      int bodySize = version >= 2 ? BaseBodySize : OldBaseBodySize;
      if (chunkSize < bodySize) RaiseTreeError(teStreamTooShort);
      std::uint8_t body[BaseBodySize] = {};
      stream.ReadBuffer(body, bodySize);
      std::uint32_t childCount = 0, height = 0;
      std::memcpy(&childCount, body, 4);
      std::memcpy(&height, body + 4, 4);
      std::uint16_t states = 0;
      int tail = 8;
      if (version >= 2) {
        std::memcpy(&states, body + 8, 2);
        states &= ReadStateMask;
        tail = 10;
      } else {
        states = nsVisible | ((body[8] & OldSelectedBit) ? nsSelected : 0);
        tail = 9;
      }
      if (node != root_) {
        SetNodeHeight(node, static_cast<std::uint16_t>(height));
        // Visibility goes through the path that keeps the parent's height and the visible count right; a node
        // that already holds children keeps its expanded state for the same reason.
        SetIsVisible(node, (states & nsVisible) != 0);
        std::uint16_t kept = nsVisible | (node->ChildCount > 0 ? nsExpanded | nsHasChildren : 0);
        node->States = static_cast<std::uint16_t>((node->States & kept) | (states & ~kept));
      }
      node->Align = body[tail];
      node->CheckState = SafeCheckState(body[tail + 1]);
      node->CheckType = SafeCheckType(body[tail + 2]);
      std::int64_t childrenStart = start + bodySize;
      if (stream.Position() != childrenStart) stream.SetPosition(childrenStart);
      for (std::uint32_t i = 0; i < childCount; ++i) {
        // Each child needs at least its chunk header inside this chunk; a count the data cannot hold is refused
        // before a node is made for it.
        if (end - stream.Position() < ChunkHeaderSize) RaiseTreeError(teStreamTooShort);
        PTreeNode child = MakeNewNode();
        InternalConnectNode(child, node, this, TTreeNodeAttachMode::amAddChildLast);
        ReadNode(stream, version, child);
      }
      if (stream.Position() != end) RaiseTreeError(teNodeChunkOverrun);
      return true;
    }
    case UserChunk: {
      if (chunkSize <= 0) return false;
      DoLoadUserData(node, stream);
      bool advanced = stream.Position() > start;
      if (stream.Position() != end) stream.SetPosition(end);
      return advanced;
    }
    default:
      stream.SetPosition(end);
      return false;
  }
}

void TBaseTree::SkipNode(TStream& stream) {
  TChunkHeader header = ReadChunkHeader(stream);
  if (header.ChunkType != NodeChunk) RaiseTreeError(teNodeChunkMissing);
  stream.SetPosition(stream.Position() + header.ChunkSize);
}

void TBaseTree::InternalAddFromStream(TStream& stream, int version, PTreeNode node) {
  if (!node) node = root_;
  // Selected flags read from the stream are taken into the selection (or dropped) even when the read fails
  // part-way, so that no node carries a flag the selection does not know.
  auto adoptSelection = [&] {
    bool multi = options_->SelectionOptions().Contains(TTreeSelectionOption::toMultiSelect);
    std::vector<PTreeNode> selected;
    PTreeNode stop = node == root_ ? nullptr : node->NextSibling;
    for (PTreeNode run = node == root_ ? root_->FirstChild : node; run && run != stop;) {
      if (run->Has(nsSelected) && !std::binary_search(selection_.begin(), selection_.end(), run)) {
        run->States &= ~nsSelected;
        if (multi) selected.push_back(run);
      }
      // Walk the subtree without leaving it (the node's next sibling ends the walk).
      if (run->FirstChild) {
        run = run->FirstChild;
        continue;
      }
      while (run && run != node && !run->NextSibling) run = run->Parent;
      if (!run || run == node || run == root_) break;
      run = run->NextSibling;
    }
    if (!selected.empty()) AddToSelection(selected);
  };
  try {
    ReadNode(stream, version, node);
  } catch (...) {
    adoptSelection();
    throw;
  }
  adoptSelection();
}

}  // namespace tree

// The tree's native clipboard data: cut, copy and paste, rendering the node form for a data object, inserting
// nodes from a data object, moving nodes into another tree, and the same-process tree reference.
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "framework/global_memory.h"
#include "framework/stg_medium.h"
#include "framework/streams.h"
#include "tree/base_tree.h"
#include "tree/clipboard_format_registry.h"
#include "tree/ole_memory_stream.h"
#include "tree/tree_data_object.h"
#include "tree/tree_error.h"

namespace tree {

namespace {

constexpr DWORD NodeDataMedia = TYMED_HGLOBAL | TYMED_ISTREAM;
// A stream medium from another process is copied in pieces of this size.
constexpr ULONG StreamCopyStep = 64 * 1024;
// The memory stream that takes a copy addresses at most this many bytes.
constexpr std::uint64_t MaxStreamMedium = 0x7FFFFFFF;

FORMATETC TreeDataFormatEtc() { return FORMATETC{TreeDataFormat, nullptr, DVASPECT_CONTENT, -1, NodeDataMedia}; }

// Copies no more than the stream says it holds: a sender's stream that never ends cannot fill this process. A
// stream that cannot tell its size, or fails to be read, is no data: false.
bool CopyComStream(IStream* source, TMemoryStream& target) {
  STATSTG status{};
  if (FAILED(source->Stat(&status, STATFLAG_NONAME))) return false;
  LARGE_INTEGER zero{};
  source->Seek(zero, STREAM_SEEK_SET, nullptr);
  std::uint64_t left = std::min<std::uint64_t>(status.cbSize.QuadPart, MaxStreamMedium);
  std::vector<std::uint8_t> buffer(StreamCopyStep);
  while (left > 0) {
    ULONG wanted = static_cast<ULONG>(std::min<std::uint64_t>(left, StreamCopyStep));
    ULONG read = 0;
    HRESULT result = source->Read(buffer.data(), wanted, &read);
    if (FAILED(result)) return false;
    read = std::min(read, wanted);
    if (read > 0) target.WriteBuffer(buffer.data(), static_cast<int32_t>(read));
    left -= read;
    if (read < wanted) break;
  }
  target.SetPosition(0);
  return true;
}

// The nodes none of whose ancestors is among them, in their order: a node below another goes along with it, and
// listed on its own as well would be copied twice. A climb only where the parent changes, and a look-up only past
// the root's children.
std::vector<PTreeNode> Outermost(const std::vector<PTreeNode>& nodes, PTreeNode root) {
  std::vector<PTreeNode> sorted;
  auto listed = [&](PTreeNode node) {
    if (sorted.empty()) {
      sorted = nodes;
      std::sort(sorted.begin(), sorted.end(), std::less<PTreeNode>());
    }
    return std::binary_search(sorted.begin(), sorted.end(), node, std::less<PTreeNode>());
  };
  std::vector<PTreeNode> outermost;
  outermost.reserve(nodes.size());
  PTreeNode parent = nullptr;
  bool below = false;
  for (PTreeNode node : nodes) {
    if (node->Parent != parent) {
      parent = node->Parent;
      below = false;
      for (PTreeNode up = parent; up && up != root && !below; up = up->Parent) below = listed(up);
    }
    if (!below) outermost.push_back(node);
  }
  return outermost;
}

}  // namespace

// ---- cut, copy, paste

IDataObject* TBaseTree::CreateClipboardDataObject() {
  Microsoft::WRL::ComPtr<IDataObject> dataObject = new TTreeDataObject(this, true);
  return dataObject.Detach();
}

void TBaseTree::CutOrCopyToClipboard(bool cut) {
  if (selectionCount_ == 0) return;
  Microsoft::WRL::ComPtr<IDataObject> dataObject;
  *dataObject.ReleaseAndGetAddressOf() = CreateClipboardDataObject();
  if (!dataObject || OleSetClipboard(dataObject.Get()) != S_OK) return;
  // The data object this one replaces cancels the marks it stood for when it goes: before the new marks are made.
  clipboardData_ = dataObject;
  MarkCutCopyNodes(cut);
  if (HandleAllocated()) Invalidate();
}

void TBaseTree::CopyToClipboard() { CutOrCopyToClipboard(false); }

void TBaseTree::CutToClipboard() { CutOrCopyToClipboard(true); }

bool TBaseTree::PasteFromClipboard() {
  Microsoft::WRL::ComPtr<IDataObject> dataObject;
  if (FAILED(OleGetClipboard(&dataObject)) || !dataObject) RaiseTreeError(teClipboardFailed);
  TBaseTree* source = FindReferencedTree(dataObject.Get());
  bool optimized = source && source->HasState(TTreeState::stCutPending);
  // The paste's handlers may free the source tree, or this one.
  const TLifeWatch sourceLife = source ? source->LifeWatch() : TLifeWatch();
  bool result = ProcessOLEData(source, dataObject.Get(), focusedNode_, defaultPasteMode_, optimized);
  // The paste's last act on the source; cut rows that went nowhere stay where they are.
  if (result && source && source != this && !sourceLife.Ended()) (void)source->FinishCutOrCopy();
  return result;
}

void TBaseTree::BeforeDestruction() {
  // Raised here, while every part of the tree still exists: the renderings of what a cut or copy put on the
  // clipboard (OnSaveNode and the other data handlers), so that the person keeps the data they copied. Then, with
  // the tree marked as destroying, a running edit is cancelled while its editor, a child of the tree, still exists,
  // which tells no handler. The deletion under way owns the tree: a handler that deletes it again only abandons it
  // (TComponent::DestroyWhole), so none of them can end its life before its destructors run, and no answer of
  // theirs can stop the destruction.
  (void)ReleaseClipboard();
  Destroying();
  CancelEditNode();
  inherited::BeforeDestruction();
}

TRaised TBaseTree::ReleaseClipboard() {
  if (!clipboardData_) return TRaised(true);
  if (OleIsCurrentClipboard(clipboardData_.Get()) == S_OK) {
    // The nodes still exist, so the data can be rendered for good; only a failing flush leaves it empty.
    const TLifeWatch life = LifeWatch();
    states_ += TTreeState::stClipboardFlushing;
    if (FAILED(OleFlushClipboard())) OleSetClipboard(nullptr);
    if (life.Ended()) return TRaised(false);
    clipboardData_.Reset();
    states_ -= TTreeState::stClipboardFlushing;
  }
  clipboardData_.Reset();
  return TRaised(true);
}

TRaised TBaseTree::HandOverClipboardBefore(PTreeNode node) {
  if (!ClipboardRendersFrom(node)) return TRaised(true);
  if (ReleaseClipboard().Gone()) return TRaised(false);
  CancelCutOrCopy();
  return TRaised(true);
}

bool TBaseTree::ClipboardRendersFrom(PTreeNode node) const {
  // Rows on no pending cut or copy cost this test alone. A rendering under way, the flush among them, renders
  // from what is left.
  if (!clipboardData_ || renderings_ > 0 || states_.Contains(TTreeState::stClipboardFlushing) ||
      !(states_.Contains(TTreeState::stCutPending) || states_.Contains(TTreeState::stCopyPending)))
    return false;
  if (node->Deferred & ndHoldsCutCopy) return true;
  // A row on the clipboard takes its subtree along.
  if (node != root_)
    for (PTreeNode run = node->Parent; run && run != root_; run = run->Parent)
      if (run->Has(nsCutOrCopy)) return true;
  return false;
}

// ---- rendering

HRESULT TBaseTree::RenderOLEData(const FORMATETC& formatEtcIn, STGMEDIUM& medium, bool forClipboard) {
  // Called by a data object on behalf of OLE: nothing an owner's handler raises may pass this point.
  try {
    if (formatEtcIn.cfFormat != TreeDataFormat || !(formatEtcIn.tymed & NodeDataMedia)) {
      HRESULT result = E_FAIL;
      // The answer stands whether or not the handler freed the tree.
      (void)DoRenderOLEData(formatEtcIn, medium, forClipboard, result);
      return result;
    }
    auto stream = std::make_unique<TMemoryStream>();
    TMemoryStream& data = *stream;
    TWatchedNodes listed(*this);
    for (PTreeNode node : forClipboard ? GetSortedCutCopySet(true) : GetSortedSelection(true)) listed.Add(node);
    WriteNodeChunks(data, NodesToWrite(listed));
    if (data.Size() == 0) return E_FAIL;
    auto size = static_cast<ULONG>(data.Size());
    if (formatEtcIn.tymed & TYMED_ISTREAM) {
      // The written bytes themselves, through an adapter whose copy sizes its destination once: the clipboard's
      // hand-over copies them into a memory stream that would otherwise grow on every write.
      data.SetPosition(0);
      Microsoft::WRL::ComPtr<IStream> adapter(new TStreamAdapter(stream.release(), TStreamOwnership::soOwned));
      medium.tymed = TYMED_ISTREAM;
      medium.pstm = adapter.Detach();
      medium.pUnkForRelease = nullptr;
      return S_OK;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size + 4);
    if (!block) return E_OUTOFMEMORY;
    TGlobalMemory owner(block);
    TGlobalLock lock(block);
    if (!lock.Data()) return E_OUTOFMEMORY;
    std::memcpy(lock.Data(), &size, 4);
    std::memcpy(lock.As<std::uint8_t>() + 4, data.Memory(), size);
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = owner.Release();
    medium.pUnkForRelease = nullptr;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// ---- inserting

bool TBaseTree::ProcessOLEData(TBaseTree* source, IDataObject* dataObject, PTreeNode target, TTreeNodeAttachMode mode,
                               bool optimized) {
  FORMATETC format = TreeDataFormatEtc();
  // Nodes put nowhere would belong to no parent: nothing is pasted.
  if (mode == TTreeNodeAttachMode::amNoWhere) return false;
  if (!dataObject || dataObject->QueryGetData(&format) != S_OK) return false;
  if (!target) target = root_;
  if (target == root_) {
    if (mode == TTreeNodeAttachMode::amInsertBefore) mode = TTreeNodeAttachMode::amAddChildFirst;
    if (mode == TTreeNodeAttachMode::amInsertAfter) mode = TTreeNodeAttachMode::amAddChildLast;
  }
  // A handler of the moves or copies may free this tree: then nothing of the paste is left to finish.
  const TLifeWatch life = LifeWatch();
  bool result = true;
  // Every handler from the bracket's OnUpdating on may free the target, which ends the paste.
  const TNodeWatch targetWatch(*this, target);
  const TRaised pasted = BulkWork(TTreeStates{}, [&] {
    if (targetWatch.Ended()) {
      result = false;
      return !targetWatch.TreeGone();
    }
    if (optimized && source) {
      // Nodes moved here leave the source's drag selection, so the source does not delete them after its drag.
      std::vector<PTreeNode> nodes = source->HasState(TTreeState::stOleDragging) ? std::move(source->dragSelection_)
                                                                                 : source->GetSortedCutCopySet(true);
      source->dragSelection_.clear();
      // The handlers of a move may free nodes still to move, which are passed over, or the target or either
      // tree, which ends the paste.
      TWatchedNodes moving(*source);
      for (PTreeNode node : nodes) moving.Add(node);
      // The nodes keep their order: each one put after the target, or first below it, goes in front of those put
      // there before it, so those go last first.
      const bool lastFirst = mode == TTreeNodeAttachMode::amInsertAfter || mode == TTreeNodeAttachMode::amAddChildFirst;
      const std::size_t count = moving.Size();
      auto moveAll = [&] {
        for (std::size_t step = 0; step < count && !moving.TreeGone() && !targetWatch.Ended(); ++step) {
          const std::size_t i = lastFirst ? count - 1 - step : step;
          PTreeNode node = moving.Node(i);
          if (!moving.Freed(i) && node != target && !HasAsParent(target, node) &&
              source->MoveTo(node, target, mode, false).TreeGone())
            break;
        }
        return !moving.TreeGone();
      };
      // Into another tree the nodes go as copies, all in one pass: their OnNodeMoving first, then the copies of
      // those allowed and the deletion of what was copied, each tree in a bracket so that its scroll bars, repaint
      // and events come once.
      auto moveAllAcross = [&] {
        std::vector<bool> allows(count, true);
        for (std::size_t i = 0; i < count && !moving.TreeGone() && !targetWatch.Ended(); ++i) {
          bool allowed = true;
          if (!moving.Freed(i) &&
              source->DoNodeMoving(moving.Node(i), target == root_ ? nullptr : target, allowed).TreeGone())
            break;
          allows[i] = allowed;
        }
        if (moving.TreeGone() || targetWatch.Ended()) return !moving.TreeGone();
        std::vector<PTreeNode> allowed;
        for (std::size_t i = 0; i < count; ++i)
          if (allows[i] && !moving.Freed(i)) allowed.push_back(moving.Node(i));
        const TLifeWatch sourceLife = source->LifeWatch();
        moving.Close();
        if (source->MoveToOtherTree(allowed, nullptr, target, this, mode) && !sourceLife.Ended() &&
            source->FinishMove(nullptr).Gone())
          return false;
        return !sourceLife.Ended();
      };
      if (source == this)
        moveAll();
      else if (source->BulkWork(TTreeStates{}, moveAllAcross).Gone())
        return !life.Ended();
    } else {
      // A stream first: data flushed to the clipboard keeps a stream's bytes without the length of a block.
      TStgMedium medium;
      FORMATETC asStream = format;
      asStream.tymed = TYMED_ISTREAM;
      FORMATETC asBlock = format;
      asBlock.tymed = TYMED_HGLOBAL;
      // Data of this process is rendered now, by handlers (saving the nodes) that may free the target.
      if (dataObject->GetData(&asStream, medium.ReleaseAndGetAddressOf()) != S_OK &&
          dataObject->GetData(&asBlock, medium.ReleaseAndGetAddressOf()) != S_OK) {
        result = false;
      } else if (targetWatch.Ended()) {
        result = false;
      } else if (medium.Get().tymed == TYMED_HGLOBAL) {
        TGlobalLock lock(medium.Get().hGlobal);
        // The stored length is the sender's claim; the block's real size bounds it.
        if (lock.Size() >= 4) {
          std::uint32_t length = 0;
          std::memcpy(&length, lock.Data(), 4);
          std::uint64_t available = lock.Size() - 4;
          TOLEMemoryStream stream(lock.As<std::uint8_t>() + 4,
                                  static_cast<int64_t>(std::min<std::uint64_t>(length, available)));
          if (AddNodesFromStream(stream, target, mode).Gone()) return false;
        }
      } else if (medium.Get().tymed == TYMED_ISTREAM && medium.Get().pstm) {
        TMemoryStream stream;
        result = CopyComStream(medium.Get().pstm, stream);
        if (result && AddNodesFromStream(stream, target, mode).Gone()) return false;
      } else {
        result = false;
      }
    }
    return !life.Ended();
  });
  return pasted.Alive() && result;
}

TRaised TBaseTree::AddNodesFromStream(TStream& stream, PTreeNode target, TTreeNodeAttachMode mode) {
  // OnGetNodeDataSize runs before the first node is made, never in the middle of the paste.
  if (ValidateNodeDataSize().Gone()) return TRaised(false);
  // A read that fails part-way takes back every node this paste made (those a handler left): the tree is left as
  // it was.
  TWatchedNodes added(*this);
  try {
    while (stream.Position() < stream.Size()) {
      // A handler that frees the new node or the target (the node before, once they follow one another) ends the
      // paste: the nodes still in the stream have no place.
      const TNodeWatch targetWatch(*this, target);
      PTreeNode node = MakeNewNode();
      InternalConnectNode(node, target, this, mode);
      added.Add(node);
      const TNodeWatch copied(*this, node);
      // The handlers of what is read (the application's data, the selection's OnChange) may free the node, or the
      // target.
      const TNodeRaised read = InternalAddFromStream(stream, 2, node);
      if (read.NodeGone() || targetWatch.Ended()) return read.Tree();
      bool allowed = true;
      if (DoNodeCopying(node, target == root_ ? nullptr : target, allowed).TreeGone()) return TRaised(false);
      if (copied.Ended() || targetWatch.Ended()) {
        // The paste ends here, whatever the deletion's handlers free.
        if (!copied.Ended() && DeleteNode(node).Gone()) return TRaised(false);
        return TRaised(!targetWatch.TreeGone());
      }
      if (!allowed) {
        // The refused copy's OnFreeNode may free the target, or every node: the rest of the paste has no place.
        if (DeleteNode(node).Gone()) return TRaised(false);
        if (targetWatch.Ended()) return TRaised(!targetWatch.TreeGone());
        continue;
      }
      const TNodeRaised reported = DoNodeCopied(node);
      if (reported.NodeGone() || targetWatch.Ended()) return reported.Tree();
      // Several nodes keep their order: each one after follows the one inserted before it.
      if (mode == TTreeNodeAttachMode::amInsertAfter || mode == TTreeNodeAttachMode::amAddChildFirst) {
        target = node;
        mode = TTreeNodeAttachMode::amInsertAfter;
      }
    }
  } catch (...) {
    for (std::size_t i = added.Size(); i-- > 0 && !added.TreeGone();)
      if (!added.Freed(i) && DeleteNode(added.Node(i)).Gone()) break;
    throw;
  }
  return TRaised(true);
}

bool TBaseTree::MoveToOtherTree(const std::vector<PTreeNode>& sources, PTreeNode parent, PTreeNode target,
                                TBaseTree* targetTree, TTreeNodeAttachMode mode) {
  // The handlers of either tree (the initializations of what is written, the reports of the copies, the frees of
  // what leaves) may free nodes or either tree: each step goes on only with what is left.
  const TLifeWatch life = LifeWatch(), targetLife = targetTree->LifeWatch();
  const TNodeWatch parentWatch(*this, parent), targetWatch(*targetTree, target);
  // OnGetNodeDataSize of the target runs before its first node is made.
  if (targetTree->ValidateNodeDataSize().Gone() || life.Ended() || parentWatch.Ended() || targetWatch.Ended())
    return false;
  // Only initializations before the write raise handlers that may free sources. Each list of the tree's nodes
  // learns of every node freed while it lives: the deletions at the end find this one gone.
  std::vector<PTreeNode> nodes;
  if (options_->MiscOptions().Contains(TTreeMiscOption::toInitOnSave)) {
    TWatchedNodes listed(*this);
    for (PTreeNode node : sources) listed.Add(node);
    nodes = Outermost(NodesToWrite(listed), root_);
  } else {
    nodes = Outermost(sources, root_);
  }
  if (nodes.empty() || parentWatch.Ended() || targetWatch.Ended()) return false;
  TWatchedNodes listedToDelete(*this);
  for (PTreeNode node : nodes) listedToDelete.Add(node);
  TMemoryStream stream;
  // What the copies are copies of: the handlers of the chunks may free nodes still to write, or either tree.
  const std::vector<std::size_t> written = WriteNodeChunks(stream, nodes);
  // A node its own chunks' handlers freed is not moved: every one of them, nothing is.
  bool anyLeft = false;
  for (std::size_t place : written) anyLeft = anyLeft || !listedToDelete.Freed(place);
  if (!anyLeft || parentWatch.Ended() || targetWatch.Ended()) return false;
  stream.SetPosition(0);
  if (targetTree->BeginUpdate().Gone()) return false;
  // Its OnUpdating may have freed the target: then nothing moves.
  if (targetWatch.Ended()) {
    (void)targetTree->EndUpdate();
    return false;
  }
  // Until the source goes, a failure takes the copies a handler left back out of the target: nothing has moved.
  TWatchedNodes added(*targetTree);
  try {
    while (stream.Position() < stream.Size()) {
      // The target is the node before once they follow one another.
      const TNodeWatch placeWatch(*targetTree, target);
      PTreeNode node = targetTree->MakeNewNode();
      InternalConnectNode(node, target, targetTree, mode);
      added.Add(node);
      if (targetTree->InternalAddFromStream(stream, 2, node).NodeGone() || placeWatch.Ended()) break;
      // The copy moved, though its handler freed it; the nodes after it have no place to follow it to.
      if (targetTree->DoNodeMoved(node).NodeGone() || placeWatch.Ended()) break;
      if (mode == TTreeNodeAttachMode::amInsertAfter || mode == TTreeNodeAttachMode::amAddChildFirst) {
        target = node;
        mode = TTreeNodeAttachMode::amInsertAfter;
      }
    }
  } catch (...) {
    // The handlers of taking the copies back may raise too: the bracket ends all the same, and the first
    // exception is the one passed on.
    TFirstFailure cleanup;
    for (std::size_t i = added.Size(); i-- > 0 && !added.TreeGone();)
      if (!added.Freed(i) && cleanup.Run(targetLife, [&] { return targetTree->DeleteNode(added.Node(i)); }).Gone())
        break;
    if (!targetLife.Ended()) (void)cleanup.Run(targetLife, [&] { return targetTree->EndUpdate(); });
    throw;
  }
  // Once the copies are made, the move goes on to its end, whatever the handlers of the bracket's end raise or
  // free: what follows watches this tree and the parent.
  TFirstFailure failure;
  if (!targetLife.Ended()) (void)failure.Run(targetLife, [&] { return targetTree->EndUpdate(); });
  // Only what was copied leaves the source; nodes the move did not reach stay where they were.
  if (life.Ended() || parentWatch.Ended()) {
    failure.Raise();
    return true;
  }
  // Each way ends the move, whatever the deletions' handlers free.
  if (parent && added.Size() == nodes.size()) {
    (void)failure.Run(parentWatch, [&] { return DeleteChildren(parent, false); });
  } else {
    // The last first, in one bracket; the handlers of the copies and of each deletion may free nodes still to
    // delete.
    if (BeginUpdate().Gone()) {
      failure.Raise();
      return true;
    }
    for (std::size_t i = added.Size(); i-- > 0 && !listedToDelete.TreeGone();)
      if (!listedToDelete.Freed(written[i]) && failure.Run(life, [&] { return DeleteNode(nodes[written[i]]); }).Gone())
        break;
    if (!life.Ended()) (void)failure.Run(life, [&] { return EndUpdate(); });
  }
  failure.Raise();
  return true;
}

}  // namespace tree

// The string tree's texts: retrieval through the events, measuring and its cache, hints, the caption chunk of the
// node stream, the stored default text and the old string options.
#include "tree/string_tree.h"

#include <cstring>
#include <iterator>
#include <utility>

#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/messages.h"
#include "framework/streams.h"
#include "tree/edit/string_edit_link.h"
#include "tree/paint/measure_canvas.h"
#include "tree/published_tree.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

// The old string options by their ordinal, each with the option it became.
struct TOldStringOptionTarget {
  const wchar_t* Name;
  TTreeStringOption Option;
};
constexpr TOldStringOptionTarget OldStringOptionTargets[] = {
    {L"soSaveCaptions", TTreeStringOption::toSaveCaptions},
    {L"soShowStaticText", TTreeStringOption::toShowStaticText},
};

// Lends a tree's reused text buffer for one call; a nested call (from an event handler) finds the buffer empty and
// simply uses a fresh one. A handler of the call may free the tree: the buffer then went with it.
class TBorrowedText {
 public:
  TBorrowedText(String& pool, TLifeWatch life) : text(std::move(pool)), pool_(pool), life_(std::move(life)) {}
  ~TBorrowedText() {
    if (!life_.Ended()) pool_ = std::move(text);
  }
  TBorrowedText(const TBorrowedText&) = delete;
  TBorrowedText& operator=(const TBorrowedText&) = delete;

  String text;

 private:
  String& pool_;
  TLifeWatch life_;
};

// Restores the font's change handler when the watched call ends, also by an exception.
class TFontWatch {
 public:
  // The tree whose life is watched owns chained; the font is its own too when fontDiesWithTree.
  TFontWatch(TFont* font, TNotifyEvent& chained, TNotifyEvent watcher, const TLifeWatch& life, bool fontDiesWithTree)
      : font_(font),
        chained_(chained),
        savedChained_(chained),
        savedHandler_(font->OnChange),
        life_(life),
        fontDiesWithTree_(fontDiesWithTree) {
    chained_ = savedHandler_;
    font_->OnChange = watcher;
  }
  // A handler may have freed the tree: what went with it is not touched, and a font that lives on is handed back.
  ~TFontWatch() {
    if (life_.Ended()) {
      if (!fontDiesWithTree_) font_->OnChange = savedHandler_;
      return;
    }
    font_->OnChange = savedHandler_;
    chained_ = savedChained_;
  }
  TFontWatch(const TFontWatch&) = delete;
  TFontWatch& operator=(const TFontWatch&) = delete;

 private:
  TFont* font_;
  TNotifyEvent& chained_;
  TNotifyEvent savedChained_;
  TNotifyEvent savedHandler_;
  const TLifeWatch& life_;
  bool fontDiesWithTree_;
};

}  // namespace

TCustomStringTree::TCustomStringTree(TComponent* owner)
    : TBaseTree(owner), measureCanvas_(std::make_unique<TMeasureCanvas>()) {
  ReplaceTreeOptions(std::make_unique<TCustomStringTreeOptions>(this));
  widthOffset_ = AllocateInternalDataArea(sizeof(std::int32_t));
  ReadTextMetrics();
}

// A tree that was not deleted (a member, or on the stack) renders its text formats for the clipboard here, while
// it still can, and ends its edit.
TCustomStringTree::~TCustomStringTree() {
  // The tree goes whatever the renderings' handlers do.
  (void)ReleaseClipboard();
  (void)EndEditAsTreeGoes();
}

void TCustomStringTree::BeforeDestruction() {
  // Raised here, while every part of the tree still exists: the renderings of what a cut or copy put on the
  // clipboard (OnGetText, OnSaveNode and the other data handlers), so that the person keeps the data they copied;
  // then, with the tree marked as destroying, the text of a running edit (OnNewText with toAutoAcceptEditChange), so
  // that the person keeps what they typed; no handler is told that the edit ended or was cancelled. The deletion
  // under way owns the tree: a handler that deletes it again only abandons it (TComponent::DestroyWhole), so none of
  // them can end its life before its destructors run, and no answer of theirs can stop the destruction.
  (void)ReleaseClipboard();
  (void)EndEditAsTreeGoes();
  inherited::BeforeDestruction();
}

TRaised TCustomStringTree::EndEditAsTreeGoes() {
  Destroying();
  if (!IsEditing()) return TRaised(true);
  bool ended = false;
  return TreeOptions()->StringOptions().Contains(TTreeStringOption::toAutoAcceptEditChange) ? DoEndEdit(ended)
                                                                                            : DoCancelEdit();
}

const TClass* TCustomStringTree::GetOptionsClass() const { return TCustomStringTreeOptions::StaticClass(); }

void TCustomStringTree::SetDefaultText(const String& value) {
  if (value == defaultText_) return;
  defaultText_ = value;
  // Nodes whose handler leaves the text alone show the new one, at a new width.
  ResetNodeWidths();
  if (!IsLoading() && HandleAllocated()) Invalidate();
}

bool TCustomStringTree::FetchText(PTreeNode node, TColumnIndex column, String& buffer) {
  buffer.clear();
  if (!node || node == RootNode()) return true;
  if (!node->Has(nsInitialized) && !InitNode(node)) return false;
  buffer = defaultText_;
  const TNodeRaised raised = DoGetText(node, column, TVSTTextType::ttNormal, buffer);
  if (!raised.NodeGone()) return true;
  // The buffer may be the freed tree's own.
  if (!raised.TreeGone()) buffer.clear();
  return false;
}

String TCustomStringTree::Text(PTreeNode node, TColumnIndex column) {
  String text;
  // A node its handler freed has no text.
  if (!FetchText(node, column, text)) return String();
  return text;
}

// ---- dispatchers

TNodeRaised TCustomStringTree::DoGetText(PTreeNode node, TColumnIndex column, TVSTTextType textType, String& text) {
  return RaiseNodeEvent(node, OnGetText, this, node, column, textType, text);
}

TNodeRaised TCustomStringTree::DoNewText(PTreeNode node, TColumnIndex column, const String& text) {
  // A row renamed to nothing is often deleted by the handler: nothing of it is touched then.
  const TNodeRaised raised = RaiseNodeEvent(node, OnNewText, this, node, column, text);
  if (raised.NodeGone()) return raised;
  // The width measured for the old text goes with it: the row is measured and drawn anew.
  InvalidateNode(node);
  return raised;
}

TNodeRaised TCustomStringTree::DoPaintText(PTreeNode node, TCanvas* canvas, TColumnIndex column,
                                           TVSTTextType textType) {
  return RaiseNodeEvent(node, OnPaintText, this, canvas, node, column, textType);
}

TNodeRaised TCustomStringTree::PaintTextWatched(PTreeNode node, TCanvas* canvas, TColumnIndex column,
                                                TVSTTextType textType) {
  fontChanged_ = false;
  const TLifeWatch life = LifeWatch();
  TFontWatch watch(canvas->Font(), watchedFontChange_, TNotifyEvent(this, &TCustomStringTree::WatchedFontChanged), life,
                   canvas == measureCanvas_.get());
  return DoPaintText(node, canvas, column, textType);
}

void TCustomStringTree::WatchedFontChanged(TObject* sender) {
  fontChanged_ = true;
  if (watchedFontChange_) watchedFontChange_(sender);
}

// ---- measuring

void TCustomStringTree::ReadTextMetrics() {
  measureCanvas_->Font()->Assign(Font());
  TEXTMETRICW metrics{};
  GetTextMetricsW(measureCanvas_->Handle(), &metrics);
  textHeight_ = metrics.tmHeight;
  ellipsisWidth_ = measureCanvas_->TextWidth(L"...");
}

TNodeRaised TCustomStringTree::CalculateTextWidth(TCanvas* canvas, PTreeNode node, TColumnIndex column,
                                                  const String& text, int& width) {
  width = 2 * TextMargin();
  if (text.empty()) return TNodeRaised(true, true);
  TakeFont(canvas->Font(), Font());
  const TNodeRaised raised = DoPaintText(node, canvas, column, TVSTTextType::ttNormal);
  if (raised.TreeGone()) return raised;
  width += canvas->TextWidth(text);
  return raised;
}

int TCustomStringTree::StoredWidth(PTreeNode node) const {
  std::int32_t width = 0;
  std::memcpy(&width, reinterpret_cast<const char*>(node) + widthOffset_, sizeof width);
  return width;
}

void TCustomStringTree::StoreWidth(PTreeNode node, int width) {
  auto value = static_cast<std::int32_t>(width);
  std::memcpy(reinterpret_cast<char*>(node) + widthOffset_, &value, sizeof value);
}

TNodeRaised TCustomStringTree::GetNodeWidth(PTreeNode node, TColumnIndex column, int& width) {
  width = 0;
  if (!node || node == RootNode()) return TNodeRaised(true, true);
  const bool cached = column == Header()->MainColumn();
  if (cached && StoredWidth(node) != 0) {
    width = StoredWidth(node);
    return TNodeRaised(true, true);
  }
  TBorrowedText probe(probeText_, LifeWatch());
  const TLifeWatch life = LifeWatch();
  if (!FetchText(node, column, probe.text)) return TNodeRaised(!life.Ended(), false);
  // OnPaintText sets the font the text is measured in, and may free the node.
  const TNodeRaised raised = CalculateTextWidth(measureCanvas_.get(), node, column, probe.text, width);
  if (raised.NodeGone()) {
    width = 0;
    return raised;
  }
  if (cached) StoreWidth(node, width);
  return raised;
}

void TCustomStringTree::ResetNodeWidths() {
  for (PTreeNode node = GetFirstNoInit(); node; node = GetNextNoInit(node))
    if (node->Has(nsInitialized)) StoreWidth(node, 0);
}

bool TCustomStringTree::ColumnIsEmpty(PTreeNode node, TColumnIndex column) {
  TBorrowedText probe(probeText_, LifeWatch());
  // A node its text's handler freed has no cells to span into: the walks over a row's empty cells stop there.
  return FetchText(node, column, probe.text) && probe.text.empty();
}

TNodeRaised TCustomStringTree::GetTextInfo(PTreeNode node, TColumnIndex column, TFont* font, RECT& r,
                                            String& text) {
  // OnPaintText, OnGetText, and measuring the row, may free the node or the tree: there is then nothing to tell of
  // it.
  const TNodeWatch watch(*this, node);
  r = RECT{};
  text.clear();
  TCanvas* canvas = measureCanvas_.get();
  TakeFont(canvas->Font(), Font());
  // OnPaintText may add or remove columns too: the column asked about is then not the one it was.
  const std::uint64_t columnChanges = Header()->Columns()->LayoutChanges();
  if (PaintTextWatched(node, canvas, column, TVSTTextType::ttNormal).NodeGone()) return TNodeRaised(watch);
  if (Header()->Columns()->LayoutChanges() != columnChanges) return TNodeRaised(watch);
  int height = textHeight_;
  if (fontChanged_) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas->Handle(), &metrics);
    height = metrics.tmHeight;
  }
  font->Assign(canvas->Font());
  r = GetDisplayRect(node, column, true);
  if (watch.Ended()) return TNodeRaised(watch);
  if (TreeOptions()->PaintOptions().Contains(TTreePaintOption::toShowHorzGridLines)) --r.bottom;
  InflateRect(&r, 0, -((r.bottom - r.top - height) / 2));
  if (!FetchText(node, column, text)) r = RECT{};
  return TNodeRaised(watch);
}

TNodeRaised TCustomStringTree::DoCreateEditor(PTreeNode node, TColumnIndex column, ITreeEditLink*& link) {
  const TNodeRaised raised = inherited::DoCreateEditor(node, column, link);
  if (raised.NodeGone() || link) return raised;
  link = new TStringEditLink();
  link->AddRef();
  return raised;
}

// ---- hints

TNodeRaised TCustomStringTree::DoGetNodeHint(PTreeNode node, TColumnIndex column, String& hint) {
  const TNodeRaised raised = inherited::DoGetNodeHint(node, column, hint);
  if (raised.NodeGone()) return raised;
  return RaiseNodeEvent(node, OnGetHint, this, node, column, TVSTTextType::ttNormal, hint);
}

TNodeRaised TCustomStringTree::DoGetNodeTooltip(PTreeNode node, TColumnIndex column, String& tooltip) {
  const TLifeWatch life = LifeWatch();
  if (FetchText(node, column, tooltip)) return TNodeRaised(true, true);
  return TNodeRaised(!life.Ended(), false);
}

// ---- what resets measured widths

void TCustomStringTree::Dispatch(TMessage& message) {
  if (message.Msg != CM_FONTCHANGED) return inherited::Dispatch(message);
  inherited::Dispatch(message);
  ReadTextMetrics();
  ResetNodeWidths();
}

RECT TCustomStringTree::InvalidateNode(PTreeNode node) {
  if (node && node != RootNode()) StoreWidth(node, 0);
  return inherited::InvalidateNode(node);
}

void TCustomStringTree::ReinitNode(PTreeNode node, bool recursive) {
  if (node && node != RootNode()) StoreWidth(node, 0);
  inherited::ReinitNode(node, recursive);
}

TRaised TCustomStringTree::MainColumnChanged() {
  ResetNodeWidths();
  return inherited::MainColumnChanged();
}

// ---- the node stream

TNodeRaised TCustomStringTree::WriteChunks(TStream& stream, PTreeNode node) {
  // OnSaveNode, and OnGetText, may free the node, or the tree.
  const TNodeRaised raised = inherited::WriteChunks(stream, node);
  if (raised.NodeGone() || !TreeOptions()->StringOptions().Contains(TTreeStringOption::toSaveCaptions) ||
      node == RootNode() || !node->Has(nsInitialized))
    return raised;
  TBorrowedText caption(probeText_, LifeWatch());
  const TLifeWatch life = LifeWatch();
  if (!FetchText(node, Header()->MainColumn(), caption.text)) return TNodeRaised(!life.Ended(), false);
  if (caption.text.empty()) return raised;
  std::int32_t header[2] = {CaptionChunk, static_cast<std::int32_t>(2 * caption.text.size())};
  stream.WriteBuffer(header, sizeof header);
  stream.WriteBuffer(caption.text.data(), header[1]);
  return raised;
}

TNodeRaised TCustomStringTree::ReadChunk(TStream& stream, int version, PTreeNode node, int chunkType, int chunkSize) {
  if (chunkType != CaptionChunk) return inherited::ReadChunk(stream, version, node, chunkType, chunkSize);
  // The stream reader has bounded the chunk by the data really present; an odd last byte is skipped.
  std::int64_t end = stream.Position() + chunkSize;
  String caption(static_cast<std::size_t>(chunkSize / 2), L'\0');
  stream.ReadBuffer(caption.data(), static_cast<std::int32_t>(2 * caption.size()));
  if (stream.Position() != end) stream.SetPosition(end);
  // The root has no record for the application to keep a caption in.
  if (node == RootNode()) return TNodeRaised(true, true);
  return DoNewText(node, Header()->MainColumn(), caption);
}

// ---- stored values

void TCustomStringTree::ReadDefaultText(TReader& reader) { SetDefaultText(reader.ReadString()); }

void TCustomStringTree::ReadOldStringOptions(TReader& reader) {
  TOldVTStringOptions old;
  for (const String& name : reader.ReadSet())
    for (std::size_t i = 0; i < std::size(OldStringOptionTargets); ++i)
      if (_wcsicmp(name.c_str(), OldStringOptionTargets[i].Name) == 0) old += static_cast<TOldVTStringOption>(i);
  TTreeStringOptions options;
  for (std::size_t i = 0; i < std::size(OldStringOptionTargets); ++i)
    if (old.Contains(static_cast<TOldVTStringOption>(i))) options += OldStringOptionTargets[i].Option;
  TreeOptions()->SetStringOptions(options);
}

void TCustomStringTree::DefineProperties(TFiler& filer) {
  inherited::DefineProperties(filer);
  filer.DefineProperty(
      L"WideDefaultText", [this](TReader& reader) { ReadDefaultText(reader); },
      [this](TWriter& writer) { writer.WriteString(defaultText_); }, true);
  filer.DefineProperty(
      L"StringOptions", [this](TReader& reader) { ReadOldStringOptions(reader); }, nullptr, false);
}

}  // namespace tree

namespace tree {

TStringTree::TStringTree(TComponent* owner) : TCustomStringTree(owner) {
  ReplaceTreeOptions(std::make_unique<TStringTreeOptions>(this));
}

const TClass* TStringTree::GetOptionsClass() const { return TStringTreeOptions::StaticClass(); }

const TPublishedTable& TStringTree::PublishedTable() const {
  using P = TPublished<TStringTree>;
  static const TPublishedTable table(&PublishedTreeTable(TBaseTree::PublishedTable()),
                                     {
                                         P::Event(L"OnGetHint", &TStringTree::OnGetHint),
                                         P::Event(L"OnGetText", &TStringTree::OnGetText),
                                         P::Event(L"OnNewText", &TStringTree::OnNewText),
                                         P::Event(L"OnPaintText", &TStringTree::OnPaintText),
                                         P::Event(L"OnShortenString", &TStringTree::OnShortenString),
                                     });
  return table;
}

}  // namespace tree

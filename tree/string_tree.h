// TCustomStringTree: the tree whose cells show text. Every text comes from the application through OnGetText each
// time it is needed; only the width of a node's main-column text is kept, in the node's internal area. A second,
// static text may follow the normal one. TStringTree publishes the properties and events.
#pragma once

#include <memory>
#include <string>

#include "framework/text_convert.h"
#include "tree/base_tree.h"
#include "tree/string_tree_options.h"

namespace tree {

class TMeasureCanvas;

enum class TVSTTextType { ttNormal, ttStatic };
// The nodes an export takes, in tree order: every node, the initialized ones, the selection, the cut/copy set, the
// nodes on the visible path.
enum class TVSTTextSourceType { tstAll, tstInitialized, tstSelected, tstCutCopySet, tstVisible };

using TVSTGetTextEvent =
    TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column, TVSTTextType TextType, String& CellText)>;
using TVSTNewTextEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column, const String& NewText)>;
using TTreePaintText = TDelegate<void(TBaseTree* Sender, TCanvas* TargetCanvas, PTreeNode Node, TColumnIndex Column,
                                      TVSTTextType TextType)>;
using TVSTShortenStringEvent =
    TDelegate<void(TBaseTree* Sender, TCanvas* TargetCanvas, PTreeNode Node, TColumnIndex Column, const String& S,
                   int TextSpace, bool RightToLeft, String& Result, bool& Done)>;

class TCustomStringTree : public TBaseTree {
  BC_CLASS(TCustomStringTree, TBaseTree)
  explicit TCustomStringTree(TComponent* owner);
  ~TCustomStringTree() override;
  void BeforeDestruction() override;

  // What a node shows before OnGetText changes it; "Node" by default.
  const String& DefaultText() const { return defaultText_; }
  void SetDefaultText(const String& value);
  // The node's text in column (initializing the node first); empty for null and the root.
  String Text(PTreeNode node, TColumnIndex column);
  TCustomStringTreeOptions* TreeOptions() const {
    return static_cast<TCustomStringTreeOptions*>(TBaseTree::TreeOptions());
  }
  // Height of a line of text and width of "..." in the tree's font.
  int TextHeight() const { return textHeight_; }
  int EllipsisWidth() const { return ellipsisWidth_; }

  // ---- content export: the nodes of source, every visible column in position order
  // Tab- or list-separated text in the system code page; a cell that holds the separator or a line break is quoted.
  AnsiString ContentToText(TVSTTextSourceType source, wchar_t separator);
  String ContentToUnicode(TVSTTextSourceType source, wchar_t separator);
  // A table document; every character of the texts is a Unicode escape.
  AnsiString ContentToRTF(TVSTTextSourceType source);
  // A styled table in UTF-8, texts with their markup characters as entities.
  std::string ContentToHTML(TVSTTextSourceType source, const String& caption = String());
  // A new shareable block of global memory holding source in one of the text formats (plain, Unicode, CSV, both
  // RTF kinds, "HTML Format"), or null for any other format.
  HGLOBAL ContentToClipboard(CLIPFORMAT format, TVSTTextSourceType source);
  // The text formats come from ContentToClipboard (the cut/copy set for the clipboard, else the selection); the
  // others from the inherited rendering.
  HRESULT RenderOLEData(const FORMATETC& formatEtcIn, STGMEDIUM& medium, bool forClipboard) override;

  void Dispatch(TMessage& message) override;
  RECT InvalidateNode(PTreeNode node) override;
  void ReinitNode(PTreeNode node, bool recursive) override;

  TVSTGetTextEvent OnGetHint;
  TVSTGetTextEvent OnGetText;
  TVSTNewTextEvent OnNewText;
  TTreePaintText OnPaintText;
  TVSTShortenStringEvent OnShortenString;

 protected:
  // 2 x TextMargin, plus the extent of a non-empty text in the tree's font as OnPaintText leaves it.
  // The answer is whether the tree and the node outlived OnPaintText.
  virtual TNodeRaised CalculateTextWidth(TCanvas* canvas, PTreeNode node, TColumnIndex column, const String& text,
                                         int& width);
  virtual TNodeRaised DoGetText(PTreeNode node, TColumnIndex column, TVSTTextType textType, String& text);
  virtual TNodeRaised DoNewText(PTreeNode node, TColumnIndex column, const String& text);
  virtual TNodeRaised DoPaintText(PTreeNode node, TCanvas* canvas, TColumnIndex column, TVSTTextType textType);
  // s cut to width with an ellipsis into result, unless OnShortenString does it.
  virtual TNodeRaised DoShortenString(TCanvas* canvas, PTreeNode node, TColumnIndex column, const String& s, int width,
                                      bool rightToLeft, int ellipsisWidth, String& result);

  void DefineProperties(TFiler& filer) override;
  void AdjustPaintCellRect(TNodePaintInfo& paintInfo, TColumnIndex& nextNonEmpty) override;
  bool ColumnIsEmpty(PTreeNode node, TColumnIndex column) override;
  TNodeRaised DoGetNodeHint(PTreeNode node, TColumnIndex column, String& hint) override;
  TNodeRaised DoGetNodeTooltip(PTreeNode node, TColumnIndex column, String& tooltip) override;
  // The main column's width comes from the node's cache, measured when it is 0; other columns are measured each
  // time.
  TNodeRaised GetNodeWidth(PTreeNode node, TColumnIndex column, int& width) override;
  TNodeRaised DoPaintNode(TNodePaintInfo& paintInfo) override;
  const TClass* GetOptionsClass() const override;
  TNodeRaised GetTextInfo(PTreeNode node, TColumnIndex column, TFont* font, RECT& r, String& text) override;
  // OnCreateEditor's link, else a TStringEditLink.
  TNodeRaised DoCreateEditor(PTreeNode node, TColumnIndex column, ITreeEditLink*& link) override;
  TRaised MainColumnChanged() override;
  // With toSaveCaptions, after the inherited chunks: the main-column text as a caption chunk.
  TNodeRaised WriteChunks(TStream& stream, PTreeNode node) override;
  // A caption chunk goes to DoNewText for the main column.
  TNodeRaised ReadChunk(TStream& stream, int version, PTreeNode node, int chunkType, int chunkSize) override;

  // The canvas font for a cell's normal text: the tree font, hot tracking, and the highlight colours of a
  // selected or drop-target cell.
  void InitializeTextProperties(TNodePaintInfo& paintInfo);
  // DoPaintText, noting whether the canvas font changed meanwhile (FontChanged).
  TNodeRaised PaintTextWatched(PTreeNode node, TCanvas* canvas, TColumnIndex column, TVSTTextType textType);
  bool FontChanged() const { return fontChanged_; }
  // Forgets every measured main-column width.
  void ResetNodeWidths();

 private:
  friend class TTreeHintWindow;
  friend class TContentExport;
  // The default editor reads the cell's text information and hands the new text over.
  friend class TStringEditLink;
  friend class TTreeEdit;

  // The node's text into buffer (DefaultText first, then OnGetText); empty for null and the root. False, with the
  // buffer empty, when a handler freed the node (its initialization, or OnGetText).
  [[nodiscard]] bool FetchText(PTreeNode node, TColumnIndex column, String& buffer);
  // Both end where a handler they raise (OnPaintText, OnShortenString) freed the node.
  TNodeRaised PaintNormalText(TNodePaintInfo& paintInfo, String& text);
  TNodeRaised PaintStaticText(TNodePaintInfo& paintInfo, const String& text);
  void DrawCellText(TNodePaintInfo& paintInfo, const String& text, RECT r, UINT format);
  void ReadTextMetrics();
  // Ends an edit as the tree goes, as if the editor's window went first, while the tree can still take the text:
  // it is kept with toAutoAcceptEditChange, through OnNewText: the answer tells whether the tree outlived it.
  TRaised EndEditAsTreeGoes();
  void WatchedFontChanged(TObject* sender);
  int StoredWidth(PTreeNode node) const;
  void StoreWidth(PTreeNode node, int width);
  void ReadDefaultText(TReader& reader);
  void ReadOldStringOptions(TReader& reader);

  String defaultText_ = L"Node";
  std::size_t widthOffset_ = 0;
  int textHeight_ = 0;
  int ellipsisWidth_ = 0;
  bool fontChanged_ = false;
  TNotifyEvent watchedFontChange_;
  std::unique_ptr<TMeasureCanvas> measureCanvas_;
  // Reused by painting and measuring so that a painted cell allocates nothing.
  String cellText_;
  String probeText_;
};

class TStringTree : public TCustomStringTree {
  BC_CLASS(TStringTree, TCustomStringTree)
  explicit TStringTree(TComponent* owner);
  const TPublishedTable& PublishedTable() const override;

 protected:
  const TClass* GetOptionsClass() const override;
};

}  // namespace tree

#include "tree_page.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "command_strip.h"
#include "framework/splitter.h"
#include "framework/streams.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "status_line.h"
#include "text_view.h"
#include "tree/string_tree.h"
#include "tree/tree_colors.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

using namespace tree;

namespace {

constexpr std::uint32_t kFolders = 1000;
constexpr std::uint32_t kItemsPerFolder = 99;
// Selected rows of a tree without the focus, plainly apart from the white of the rows around them.
constexpr TColor kUnfocusedSelection = static_cast<TColor>(0xD8D8D8);
// Milliseconds between a change of a tree's rows and the page's count of them.
constexpr UINT kCountDelay = 50;
// The most rows the right tree may hold for its export to follow each change of them: an export costs every row,
// and a change of one row in a tree of hundreds of thousands would keep the window from answering for seconds.
// Larger trees are exported when asked.
constexpr std::uint32_t kLiveExportRows = 10000;

// Each row carries one number that names it wherever it goes: folder f (from 0) is (f + 1) * 100, its item i (from
// 0) is f * 100 + i + 1, so no row is 0 and a folder's number is a multiple of 100.
std::uintptr_t FolderNumber(std::uint32_t folder) { return (folder + 1) * 100u; }
std::uintptr_t ItemNumber(std::uint32_t folder, std::uint32_t item) { return folder * 100u + item + 1; }
bool IsFolder(std::uintptr_t number) { return number % 100 == 0; }
// Every third item starts checked, so each folder starts with some of its items checked.
bool IsCheckedItem(std::uintptr_t number) { return number % 3 == 0; }

// A folder's tri-state check box says what its items' boxes say, before the items are made.
TCheckState FolderCheckState(std::uintptr_t number) {
  std::uint32_t checked = 0;
  for (std::uint32_t item = 0; item < kItemsPerFolder; ++item)
    if (IsCheckedItem(ItemNumber(static_cast<std::uint32_t>(number / 100 - 1), item))) ++checked;
  if (checked == 0) return TCheckState::csUncheckedNormal;
  return checked == kItemsPerFolder ? TCheckState::csCheckedNormal : TCheckState::csMixedNormal;
}

std::uintptr_t& NumberOf(TBaseTree* tree, PTreeNode node) { return *tree->GetNodeData<std::uintptr_t>(node); }

String DefaultName(std::uintptr_t number) {
  if (IsFolder(number)) return L"Folder " + std::to_wstring(number / 100);
  return L"Item " + std::to_wstring(number / 100 + 1) + L"." + std::to_wstring(number % 100);
}

// Sizes and dates that vary from row to row without being stored.
String SizeText(std::uintptr_t number) {
  if (IsFolder(number)) return String();
  return std::to_wstring((number * 2654435761u) % 90000 / 10 + 1) + L" KB";
}

String DateText(std::uintptr_t number) {
  const unsigned day = number % 28 + 1;
  const unsigned month = number / 7 % 12 + 1;
  const unsigned year = 1990 + number / 100 % 30;
  wchar_t text[16];
  swprintf(text, std::size(text), L"%04u-%02u-%02u", year, month, day);
  return text;
}

bool IsButtonPress(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

// When the message last taken from the thread's queue was made, on the clock of GetTickCount64: the message's own
// time has 32 bits, and lies in the past, less than their 49 days.
ULONGLONG QueuedMessageTime() {
  const ULONGLONG now = GetTickCount64();
  return now - static_cast<DWORD>(static_cast<DWORD>(now) - static_cast<DWORD>(GetMessageTime()));
}

struct TExportButton {
  const wchar_t* Caption;
  const wchar_t* ShortCaption;
  TTreeExport Format;
};

const TExportButton kExportButtons[] = {{L"Export as text", L"Text", TTreeExport::teText},
                                        {L"Export as HTML", L"HTML", TTreeExport::teHtml},
                                        {L"Export as RTF", L"RTF", TTreeExport::teRtf}};

}  // namespace

TTreePage::TTreePage(TComponent* owner) : controls::TPcTabSheet(owner) {
  // Nothing handles the events of a control in the making.
  (void)SetCaption(L"Tree");
}

String TTreePage::RowName(TBaseTree* tree, PTreeNode node) const {
  auto typed = typedNames_.find(node);
  return typed != typedNames_.end() ? typed->second : DefaultName(NumberOf(tree, node));
}

TStringTree* TTreePage::MakeTree(bool large) {
  auto* tree = new TStringTree(this);
  // A new tree has no rows to rebuild.
  (void)tree->SetNodeDataSize(sizeof(std::uintptr_t));
  TTreeHeader* header = tree->Header();
  for (auto [caption, width, alignment] :
       {std::tuple{L"Name", large ? 260 : 200, TAlignment::taLeftJustify},
        std::tuple{L"Size", 80, TAlignment::taRightJustify}, std::tuple{L"Modified", 90, TAlignment::taLeftJustify}}) {
    TTreeColumn* column = header->Columns()->Add();
    column->SetText(caption);
    // The tree has no handler of its columns' sizes yet.
    (void)column->SetWidth(width);
    column->SetAlignment(alignment);
  }
  // No column is sized to fit: showing the header raises nothing.
  (void)header->SetOptions(header->Options() + TTreeHeaderOption::hoVisible);
  TCustomStringTreeOptions* options = tree->TreeOptions();
  options->SetMiscOptions(options->MiscOptions() + TTreeMiscOption::toCheckSupport + TTreeMiscOption::toEditable);
  // A new tree has no selection to empty.
  (void)options->SetSelectionOptions(options->SelectionOptions() + TTreeSelectionOption::toMultiSelect);
  options->SetStringOptions(options->StringOptions() + TTreeStringOption::toShowStaticText);
  options->SetPaintOptions(options->PaintOptions() + TTreePaintOption::toShowVertGridLines);
  tree->Colors()->SetColor(TTreeColors::UnfocusedSelectionColorIndex, kUnfocusedSelection);
  tree->Colors()->SetColor(TTreeColors::UnfocusedSelectionBorderColorIndex, kUnfocusedSelection);
  tree->SetDragMode(TDragMode::dmAutomatic);
  // Typing a row's name goes to it, among the rows shown, as in the platform's tree view.
  tree->SetIncrementalSearch(TIncrementalSearch::isVisibleOnly);
  tree->OnIncrementalSearch = [this](TBaseTree* sender, PTreeNode node, const String& text, int& result) {
    result = SameText(RowName(sender, node).substr(0, text.size()), text) ? 0 : 1;
  };
  tree->OnKeyDown = TKeyEvent(this, &TTreePage::TreeKeyDown);
  // A deletion is told before the rows go: told a moment later, the counts are the new ones, and a run of changes
  // is counted once.
  tree->SetChangeDelay(kCountDelay);
  tree->OnStructureChange = [this](TBaseTree* sender, PTreeNode, TChangeReason) { (void)RowsChanged(sender); };
  // Rows pasted, dropped or moved in are told one by one, inside the update bracket of the paste or drop.
  tree->OnNodeCopied = [this](TBaseTree* sender, PTreeNode) { (void)RowsMoved(sender); };
  tree->OnNodeMoved = [this](TBaseTree* sender, PTreeNode) { (void)RowsMoved(sender); };
  tree->OnUpdating = [this](TBaseTree*, TTreeUpdateState state) {
    if (state == TTreeUpdateState::usEnd) (void)ShowRowsChanged();
  };

  tree->OnInitNode = [large](TBaseTree* sender, PTreeNode parent, PTreeNode node, TTreeNodeInitStates& states) {
    std::uintptr_t& number = NumberOf(sender, node);
    // Rows dragged in or added keep the number they came with; the items of a folder that moved before they were
    // made come as the folder's own.
    if (number == 0 && parent)
      number = ItemNumber(static_cast<std::uint32_t>(NumberOf(sender, parent) / 100 - 1), node->Index);
    if (number == 0 && large) number = FolderNumber(node->Index);
    const bool folder = IsFolder(number);
    sender->SetCheckType(node, folder ? TCheckType::ctTriStateCheckBox : TCheckType::ctCheckBox);
    if (folder && large && !parent) {
      states |= ivsHasChildren;
      node->CheckState = FolderCheckState(number);
    }
    if (!folder && IsCheckedItem(number)) node->CheckState = TCheckState::csCheckedNormal;
  };
  tree->OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = kItemsPerFolder; };
  tree->OnGetText = [this](TBaseTree* sender, PTreeNode node, TColumnIndex column, TVSTTextType type, String& text) {
    const std::uintptr_t number = NumberOf(sender, node);
    if (type == TVSTTextType::ttStatic) {
      text = column <= 0 && IsFolder(number) && node->ChildCount ? L"(" + std::to_wstring(node->ChildCount) + L")"
                                                                 : String();
      return;
    }
    text = column <= 0 ? RowName(sender, node) : column == 1 ? SizeText(number) : DateText(number);
  };
  tree->OnPaintText = [](TBaseTree*, TCanvas* canvas, PTreeNode, TColumnIndex, TVSTTextType type) {
    if (type == TVSTTextType::ttStatic) canvas->Font()->SetColor(clGrayText);
  };
  tree->OnEditing = [](TBaseTree*, PTreeNode, TColumnIndex column, bool& allowed) { allowed = column <= 0; };
  // Also reached for the name a row brings along in the tree's stream of it, once its number has been read.
  tree->OnNewText = [this](TBaseTree* sender, PTreeNode node, TColumnIndex, const String& text) {
    if (text == DefaultName(NumberOf(sender, node)))
      typedNames_.erase(node);
    else
      typedNames_[node] = text;
    (void)RowsChanged(sender);
  };
  // Told for each row of a deletion, before the bracket around it ends.
  tree->OnFreeNode = [this](TBaseTree*, PTreeNode node) {
    typedNames_.erase(node);
    rowsMoved_ = true;
    rowsMovedAt_ = GetTickCount64();
  };
  IgnoreButtonsPressedBeforeRowsMoved(tree);
  // The number is all of a row's own data that the stream does not carry.
  tree->OnSaveNode = [](TBaseTree* sender, PTreeNode node, TStream& stream) {
    const std::uint64_t number = NumberOf(sender, node);
    stream.WriteBuffer(&number, sizeof(number));
  };
  tree->OnLoadNode = [](TBaseTree* sender, PTreeNode node, TStream& stream) {
    std::uint64_t number = 0;
    stream.ReadBuffer(&number, sizeof(number));
    NumberOf(sender, node) = static_cast<std::uintptr_t>(number);
  };
  tree->OnDragOver = [](TBaseTree* sender, TObject* source, TShiftState, TDragState, POINT, TDropMode, DWORD& effect,
                        bool& accept) {
    // Rows go between the two trees, copied unless Shift moves them; within one tree they stay where they are.
    auto* from = ObjectAs<TBaseTree>(source);
    accept = from && from != sender;
    if (accept && effect != DROPEFFECT_MOVE) effect = DROPEFFECT_COPY;
  };
  tree->OnDragDrop = [this](TBaseTree* sender, TObject* source, IDataObject* data, const TFormatArray&, TShiftState,
                            POINT, DWORD& effect, TDropMode mode) {
    auto* from = ObjectAs<TBaseTree>(source);
    // The handler's last act: the rows' handlers may free either tree.
    if (from && from != sender) (void)DropRows(sender, from, data, effect, mode);
  };
  return tree;
}

TRaised TTreePage::DropRows(TBaseTree* into, TBaseTree* from, IDataObject* data, DWORD effect, TDropMode mode) {
  // Dropped anywhere but on a row, the rows go to the end.
  PTreeNode target = into->DropTargetNode();
  TTreeNodeAttachMode attach = TTreeNodeAttachMode::amInsertAfter;
  if (!target) {
    target = into->RootNode();
    attach = TTreeNodeAttachMode::amAddChildLast;
  } else if (mode == TDropMode::dpAbove) {
    attach = TTreeNodeAttachMode::amInsertBefore;
  } else if (mode == TDropMode::dpOnNode && IsFolder(NumberOf(into, target))) {
    attach = TTreeNodeAttachMode::amAddChildLast;
  }
  // The dragged rows come selected, as they were where they came from: they alone, so that the next drag takes
  // what this one brought. Copies are read from the dragged data, new rows with the numbers, names and checks of
  // the dragged ones; moved rows leave the other tree, in their order.
  const TLifeWatch life = into->LifeWatch();
  if (into->ClearSelection().Gone()) return TRaised(false);
  into->ProcessOLEData(from, data, target, attach, effect == DROPEFFECT_MOVE);
  return TRaised(!life.Ended());
}

void TTreePage::TreeKeyDown(TObject* sender, WORD& key, TShiftState shift) {
  auto* tree = ObjectAs<TBaseTree>(sender);
  const bool ctrl = shift == TShiftState{TShiftStateItem::ssCtrl};
  if (key == VK_DELETE && shift.Empty()) {
    // The handler's last act: the deletion's handlers may free the tree.
    (void)tree->DeleteSelectedNodes();
  } else if (ctrl && key == L'C') {
    tree->CopyToClipboard();
  } else if (ctrl && key == L'X') {
    tree->CutToClipboard();
  } else if (ctrl && key == L'V') {
    // Pasted rows go into a focused folder, after a focused item, or at the end.
    PTreeNode focused = tree->FocusedNode();
    tree->SetDefaultPasteMode(focused && !IsFolder(NumberOf(tree, focused)) ? TTreeNodeAttachMode::amInsertAfter
                                                                            : TTreeNodeAttachMode::amAddChildLast);
    tree->PasteFromClipboard();
  } else {
    return;
  }
  key = 0;
}

void TTreePage::IgnoreButtonsPressedBeforeRowsMoved(TBaseTree* tree) {
  tree->SetWindowProc([this, treeProc = tree->WindowProc()](TMessage& message) {
    // A press in the very millisecond the page was done cannot have been aimed at what it showed then either.
    if (IsButtonPress(message.Msg) && QueuedMessageTime() <= rowsMovedAt_) return;
    treeProc(message);
  });
}

TRaised TTreePage::RowsMoved(TBaseTree* tree) {
  rowsMoved_ = true;
  rowsMovedAt_ = GetTickCount64();
  return RowsChanged(tree);
}

TRaised TTreePage::RowsChanged(TBaseTree* tree) {
  countsStale_ = true;
  if (tree == small_) exportStale_ = true;
  if (tree->UpdateCount() != 0) return TRaised(true);
  return ShowRowsChanged();
}

TRaised TTreePage::ShowRowsChanged() {
  // Rows arrive while the page is being filled, before there is anything to show them in.
  if (!countsStale_ || !statusLine_ || !exportText_) return TRaised(true);
  countsStale_ = false;
  const TLifeWatch life = LifeWatch();
  if (AnswerFor(life, statusLine_->ShowText(
                          std::to_wstring(large_->TotalCount()) + L" nodes on the left, " +
                          std::to_wstring(small_->TotalCount()) +
                          L" on the right. Drag rows across to copy them, with Shift to move them; F2 renames; "
                          L"Delete, Ctrl+X, C and V."))
          .Gone())
    return TRaised(false);
  if (!exportStale_) return TRaised(true);
  if (small_->TotalCount() <= kLiveExportRows) return Export(exportFormat_);
  exportStale_ = false;
  return AnswerFor(life, exportText_->SetLines(
                             L"The rows on the right changed. There are " + std::to_wstring(small_->TotalCount()) +
                             L" of them, more than are exported after each change: an export button exports them."));
}

TRaised TTreePage::Resize() {
  if (controls::TPcTabSheet::Resize().Gone()) return TRaised(false);
  // A narrow page shares its width between the trees instead of giving it all to the one on the right, and a low
  // one its height between the trees and the export box; a large one gives them back the sizes they had.
  const int width = std::max(std::min(smallTreeWidth_, ClientWidth() / 2), 1);
  if (small_ && small_->Width() != width && small_->SetWidth(width).Gone()) return TRaised(false);
  if (!exportText_ || !strip_) return TRaised(true);
  // The status line wraps onto more lines as the page narrows; in a low page it leaves the trees their share.
  const int stripHeight = std::max(TCommandStrip::RowHeight, ClientHeight() / 4);
  if (strip_->Constraints()->MaxHeight() != stripHeight) {
    strip_->Constraints()->SetMaxHeight(stripHeight);
    if (strip_->LayOut().Gone()) return TRaised(false);
  }
  const int room = ClientHeight() - strip_->Height() - exportSplitter_->Height();
  const int height = std::max(std::min(exportHeight_, room / 3), 1);
  if (exportText_->Height() != height && exportText_->SetHeight(height).Gone()) return TRaised(false);
  return TRaised(true);
}

TRaised TTreePage::Populate() {
  std::vector<TStripButton> buttons;
  for (const TExportButton& button : kExportButtons)
    buttons.push_back({button.Caption,
                       [this, format = button.Format] {
                         // The button's last act.
                         (void)Export(format);
                       },
                       button.ShortCaption});
  strip_ = AddCommandStrip(this, buttons, 120);
  statusLine_ = strip_->Status();

  exportText_ = new TTextView(this);
  if (exportText_->SetHeight(exportHeight_).Gone() || exportText_->SetAlign(TAlign::alBottom).Gone() ||
      exportText_->SetParent(this).Gone())
    return TRaised(false);
  exportSplitter_ = new TSplitter(this);
  if (exportSplitter_->SetHeight(4).Gone() || exportSplitter_->SetAlign(TAlign::alBottom).Gone() ||
      exportSplitter_->SetParent(this).Gone())
    return TRaised(false);
  exportSplitter_->OnMoved = [this](TObject*) { exportHeight_ = exportText_->Height(); };

  small_ = MakeTree(false);
  if (small_->SetWidth(smallTreeWidth_).Gone() || small_->SetAlign(TAlign::alRight).Gone() ||
      small_->SetParent(this).Gone())
    return TRaised(false);
  auto* sideSplitter = new TSplitter(this);
  if (sideSplitter->SetWidth(4).Gone() || sideSplitter->SetAlign(TAlign::alRight).Gone() ||
      sideSplitter->SetParent(this).Gone())
    return TRaised(false);
  sideSplitter->OnMoved = [this](TObject*) { smallTreeWidth_ = small_->Width(); };

  large_ = MakeTree(true);
  if (large_->SetAlign(TAlign::alClient).Gone() || large_->SetParent(this).Gone()) return TRaised(false);
  // Every row made now, so that the page can count them at any time and a folder carries its items wherever it
  // goes; inside the bracket the counts are told once.
  if (large_->BeginUpdate().Gone() || large_->SetRootNodeCount(kFolders).Gone()) return TRaised(false);
  large_->ValidateNode(nullptr, true);
  if (large_->EndUpdate().Gone()) return TRaised(false);
  PTreeNode first = large_->GetFirst();
  if (large_->SetExpanded(first, true).TreeGone() || large_->SetFocusedNode(large_->GetFirstChild(first)).TreeGone() ||
      large_->SetSelected(large_->GetFirstChild(first), true).TreeGone())
    return TRaised(false);

  for (std::uintptr_t number : {ItemNumber(4, 6), ItemNumber(41, 0), FolderNumber(7)})
    small_->AddChild(nullptr, reinterpret_cast<const void*>(number));

  return RowsChanged(small_);
}

TRaised TTreePage::Export(TTreeExport format) {
  exportFormat_ = format;
  exportStale_ = false;
  String text;
  switch (format) {
    case TTreeExport::teText:
      text = small_->ContentToUnicode(TVSTTextSourceType::tstAll, L'\t');
      break;
    case TTreeExport::teHtml:
      text = Utf8ToWide(small_->ContentToHTML(TVSTTextSourceType::tstAll, L"Collected rows"));
      break;
    case TTreeExport::teRtf:
      text = AnsiToWide(small_->ContentToRTF(TVSTTextSourceType::tstAll));
      break;
  }
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, exportText_->SetLines(text));
}

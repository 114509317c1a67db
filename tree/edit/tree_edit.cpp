#include "tree/edit/tree_edit.h"

#include <wrl/client.h>

#include "framework/messages.h"
#include "tree/edit/string_edit_link.h"
#include "tree/string_tree.h"

namespace tree {

namespace {

// Holds the link, and with it this edit, through a call that may end the edit and let the tree drop its link. The
// last reference may go with the guard: a handler touches nothing of the edit after its guard is gone.
using TLinkGuard = Microsoft::WRL::ComPtr<ITreeEditLink>;

bool AutoAccepts(TCustomStringTree* tree) {
  return tree->TreeOptions()->StringOptions().Contains(TTreeStringOption::toAutoAcceptEditChange);
}

}  // namespace

TTreeEdit::TTreeEdit(TStringEditLink* link) : TCustomEdit(nullptr), link_(link) {
  SetShowHint(false);
  SetParentShowHint(false);
  // Nothing handles the events of a control in the making.
  (void)SetVisible(false);
  SetBorderStyle(TBorderStyle::bsSingle);
}

TTreeEdit::~TTreeEdit() {
  if (link_) link_->ForgetEdit();
}

TStringEditLink* TTreeEdit::RunningLink() const {
  return link_ && !link_->Stopped() && link_->Tree() ? link_ : nullptr;
}

void TTreeEdit::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= ES_MULTILINE;
  params.Style &= ~WS_BORDER;
  params.ExStyle &= ~WS_EX_CLIENTEDGE;
  TCustomStringTree* tree = link_ ? link_->Tree() : nullptr;
  if (tree && tree->TreeStates().Contains(TTreeState::stUseThemes))
    params.ExStyle |= WS_EX_CLIENTEDGE;
  else
    params.Style |= WS_BORDER;
}

void TTreeEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_KEYDOWN:
      WMKeyDown(message);
      break;
    case WM_CHAR:
      if (message.WParam != VK_TAB && message.WParam != VK_ESCAPE) inherited::Dispatch(message);
      break;
    case WM_GETDLGCODE:
      inherited::Dispatch(message);
      message.Result |= DLGC_WANTTAB;
      break;
    case CN_COMMAND:
      if (HIWORD(message.WParam) == EN_UPDATE) {
        TStringEditLink* link = RunningLink();
        if (link && !link->Tree()->TreeOptions()->MiscOptions().Contains(TTreeMiscOption::toGridExtensions) &&
            AutoAdjustSize().Gone())
          return;
      }
      inherited::Dispatch(message);
      break;
    case WM_KILLFOCUS:
      WMKillFocus(message);
      break;
    case WM_DESTROY:
      WMDestroy(message);
      break;
    default:
      inherited::Dispatch(message);
  }
}

void TTreeEdit::WMKeyDown(TMessage& message) {
  TStringEditLink* link = RunningLink();
  switch (message.WParam) {
    case VK_RETURN:
      if (link) {
        TLinkGuard guard(link);
        bool ended = false;
        if (link->Tree()->EndEditing(ended).Gone()) return;
      }
      return;
    case VK_ESCAPE:
      if (link) {
        TLinkGuard guard(link);
        link->Tree()->Perform(message.Msg, message.WParam, message.LParam);
      }
      return;
    case VK_UP:
      message.WParam = VK_LEFT;
      break;
    case VK_DOWN:
      message.WParam = VK_RIGHT;
      break;
    default:
      break;
  }
  inherited::Dispatch(message);
}

// Wherever the focus goes, the edit ends there: kept with toAutoAcceptEditChange, else discarded, so that no
// editor lingers over a tree the user has left.
void TTreeEdit::WMKillFocus(TMessage& message) {
  inherited::Dispatch(message);
  TStringEditLink* link = RunningLink();
  if (!link) return;
  TLinkGuard guard(link);
  TCustomStringTree* tree = link->Tree();
  bool ended = false;
  if ((AutoAccepts(tree) ? tree->EndEditing(ended) : tree->CancelEditing()).Gone()) return;
}

void TTreeEdit::WMDestroy(TMessage& message) {
  TStringEditLink* link = RunningLink();
  TLinkGuard guard(link);
  // The text goes to the tree whatever OnNewText frees; the editor, held by the guard, is destroyed as it was.
  if (link && AutoAccepts(link->Tree()) && link->TextChanged() &&
      link->Tree()->DoNewText(link->Node(), link->Column(), Text()).TreeGone()) {
    inherited::Dispatch(message);
    return;
  }
  inherited::Dispatch(message);
}

TRaised TTreeEdit::AutoAdjustSize() {
  TStringEditLink* link = RunningLink();
  if (!link || !HandleAllocated()) return TRaised(true);
  TCustomStringTree* tree = link->Tree();
  HWND window = Handle();
  SendMessageW(window, WM_SETREDRAW, FALSE, 0);
  String text = Text();
  SIZE extent{};
  HDC dc = GetDC(window);
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, oldFont);
  ReleaseDC(window, dc);
  const int width = extent.cx + 2 * tree->TextMargin();
  // A shrinking edit uncovers the tree's row, which must be drawn again.
  if (width < Width()) tree->InvalidateNode(link->Node());
  RECT r = BoundsRect();
  if (link->Alignment() == TAlignment::taRightJustify)
    r.left = r.right - width;
  else
    r.right = r.left + width;
  if (link->SetBounds(r).Gone()) return TRaised(false);
  SendMessageW(window, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window, nullptr, TRUE);
  return TRaised(true);
}

}  // namespace tree

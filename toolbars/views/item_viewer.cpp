#include "toolbars/views/item_viewer.h"

#include "framework/image_list.h"
#include "framework/win_control.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/views/view.h"
#include "toolbars/views/viewer_canvas.h"

namespace toolbars {

namespace {

// The room a toolbar-style button keeps around its content.
constexpr int kToolbarPadding = 6;

}  // namespace

TBarItemViewer::TBarItemViewer(TBarView* view, TBarCustomItem* item) : view_(view), item_(item) {}

String TBarItemViewer::CaptionText() const {
  const String& caption = item_->Caption();
  return caption.substr(0, caption.find(L'\t'));
}

bool TBarItemViewer::CaptionShown() const {
  if (!CaptionText().empty() &&
      (!IsToolbarSize() || item_->ImageIndex() < 0 || item_->DisplayMode() == TBarItemDisplayMode::nbdmTextOnly ||
       item_->DisplayMode() == TBarItemDisplayMode::nbdmImageAndText))
    return true;
  // A button with its image above its caption keeps the caption line, so that such buttons line up.
  return HasOption(TBarItemOption::tboImageAboveCaption);
}

bool TBarItemViewer::IsImageShown() const {
  if (item_->ImageIndex() < 0) return false;
  switch (item_->DisplayMode()) {
    case TBarItemDisplayMode::nbdmDefault:
    case TBarItemDisplayMode::nbdmImageAndText:
      return true;
    case TBarItemDisplayMode::nbdmTextOnlyInMenus:
      return IsToolbarStyle();
    case TBarItemDisplayMode::nbdmTextOnly:
      break;
  }
  return false;
}

TCustomImageList* TBarItemViewer::GetImageList() const {
  if (item_->Images()) return item_->Images();
  for (TBarView* view = view_; view; view = view->ParentView()) {
    if (view->CurParentItem() && view->CurParentItem()->SubMenuImages()) return view->CurParentItem()->SubMenuImages();
    if (view->ParentItem() && view->ParentItem()->SubMenuImages()) return view->ParentItem()->SubMenuImages();
  }
  return nullptr;
}

bool TBarItemViewer::IsRotated() const {
  return view_->Orientation() == TBarViewOrientation::tbvoVertical && !HasOption(TBarItemOption::tboNoRotation) &&
         !HasOption(TBarItemOption::tboImageAboveCaption);
}

bool TBarItemViewer::IsToolbarSize() const { return view_->IsToolbar() || HasOption(TBarItemOption::tboToolbarSize); }

bool TBarItemViewer::IsToolbarStyle() const { return view_->IsToolbar() || HasOption(TBarItemOption::tboToolbarStyle); }

bool TBarItemViewer::IsPtInButtonPart(int x, int y) const {
  (void)y;
  if (!item_->HasStyle(isSplitButton)) return !item_->HasStyle(isSubmenu);
  const int arrow = IsToolbarStyle() ? kSplitArrowWidth : GetSystemMetrics(SM_CXMENUCHECK);
  return x < (boundsRect_.right - boundsRect_.left) - arrow;
}

bool TBarItemViewer::UsesSameWidth() const {
  return HasOption(TBarItemOption::tboImageAboveCaption) && HasOption(TBarItemOption::tboSameWidth) && CaptionShown();
}

TRaised TBarItemViewer::Entering(TBarItemViewer* oldSelected) {
  (void)oldSelected;
  return RaiseEvent(item_->OnSelect, item_, this, true);
}

TRaised TBarItemViewer::Leaving() { return RaiseEvent(item_->OnSelect, item_, this, false); }

void TBarItemViewer::Invalidate() { view_->InvalidateViewer(this); }

int TBarItemViewer::Index() const { return view_->IndexOf(this); }

POINT TBarItemViewer::ScreenToClient(POINT point) const {
  POINT client = view_->Window() ? view_->Window()->ScreenToClient(point) : point;
  return POINT{client.x - boundsRect_.left, client.y - boundsRect_.top};
}

UINT TBarItemViewer::GetDrawTextFlags() const {
  if (!AreKeyboardCuesEnabled() && view_->HasState(vsUseHiddenAccels) && !view_->HasState(vsShowAccels))
    return DT_HIDEPREFIX;
  return 0;
}

int TBarItemViewer::MenuLeftMargin(TCustomImageList* images, int height) const {
  if (!images) return height;
  return MulDiv(images->Width() + 3, height, images->Height() + 3);
}

TRaised TBarItemViewer::CalcSize(TCanvas* canvas, int& width, int& height) {
  const bool toolbarStyle = IsToolbarStyle();
  width = height = toolbarStyle ? kToolbarPadding : 0;
  HDC dc = FontDC(canvas);
  const int along = toolbarStyle ? kToolbarPadding : 0;
  if (!toolbarStyle || CaptionShown()) {
    const String caption = CaptionText();
    if (IsRotated()) {
      HFONT rotated = CreateRotatedFont(dc);
      HGDIOBJ old = SelectObject(dc, rotated);
      width += GetTextHeight(dc);
      height += GetTextWidth(dc, caption, true) + along;
      SelectObject(dc, old);
      DeleteObject(rotated);
    } else {
      height += GetTextHeight(dc);
      width += GetTextWidth(dc, caption, true) + along;
    }
  }
  TCustomImageList* images = GetImageList();
  if (toolbarStyle) {
    if (IsImageShown() && images) {
      if (!IsRotated() && !HasOption(TBarItemOption::tboImageAboveCaption)) {
        width += images->Width() + 1;
        height = std::max(height, images->Height() + kToolbarPadding);
      } else {
        height += images->Height();
        width = std::max(width, images->Width() + kToolbarPadding + 1);
      }
    }
    if (item_->HasStyle(isSubmenu)) {
      if (item_->HasStyle(isSplitButton))
        width += kSplitArrowWidth;
      else if (HasOption(TBarItemOption::tboDropdownArrow))
        (view_->Orientation() == TBarViewOrientation::tbvoVertical ? height : width) += kDropdownArrowSize;
    }
    return TRaised(true);
  }
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  height += metrics.tmExternalLeading + 4;
  if (images) height = std::max(height, images->Height() + 3);
  width += MenuLeftMargin(images, height) + 6;
  const String shortCut = item_->GetShortCutText();
  if (!shortCut.empty()) width += GetTextExtentWidth(dc, shortCut) + height - 6;
  width += height;
  return TRaised(true);
}

TRaised TBarItemViewer::KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state) {
  (void)key, (void)shift, (void)state;
  return TRaised(true);
}

TRaised TBarItemViewer::MouseDown(TShiftState shift, int x, int y, TBarTrackingState& state) {
  if (item_->Draggable()) DragSource = item_->DragLink();
  if (!item_->Enabled()) {
    if (view_ == state.RootView && IsToolbarStyle()) state.Done = true;
    return TRaised(true);
  }
  if (IsPtInButtonPart(x, y)) {
    if (!IsToolbarStyle()) return TRaised(true);
    if (view_->IsToolbar()) view_->ExcludeState(vsKeyMode);
    view_->CloseChildPopups();
    view_->SetMouseButtonDown();
    Invalidate();
    return TRaised(true);
  }
  const bool wasInMenuMode = view_->IsToolbar() && view_->HasState(vsKeyMode);
  // The item's OnPopup may delete the item (and this viewer with it) or free the view.
  const TLifeWatch life = LifeWatch();
  if (view_->OpenChildPopup(false).Gone() || life.Ended()) return TRaised(false);
  if (!view_->OpenViewer()) return TRaised(true);
  if (wasInMenuMode) state.Again = true;
  if (TBarView* toolbar = view_->GetParentToolbarView()) toolbar->IncludeState(vsKeyMode);
  if (!shift.Contains(TShiftStateItem::ssDouble) || item_->HasStyle(isSplitButton)) return TRaised(true);
  TBarView* popupView = view_->OpenViewerView();
  if (!popupView) return TRaised(true);
  for (int i = 0; i < popupView->ViewerCount(); ++i) {
    TBarItemViewer* viewer = popupView->Viewers(i);
    TBarCustomItem* item = viewer->Item();
    if (!viewer->Show() || !item->EffectiveOptions().Contains(TBarItemOption::tboDefault) ||
        !item->HasStyle(isSelectable) || !item->Enabled() || !item->Visible())
      continue;
    const bool sound = !(popupView == state.RootView && !popupView->IsPopup());
    const TLifeWatch itemLife = item->LifeWatch();
    if (popupView->GivePriority(viewer).Gone() && life.Ended()) return TRaised(false);
    if (!itemLife.Ended()) RecordItemClick(state, item, sound);
    state.Done = true;
    return TRaised(!life.Ended());
  }
  return TRaised(true);
}

TRaised TBarItemViewer::MouseMove(int x, int y) {
  if (DragSource && GetKeyState(VK_LBUTTON) < 0) UpdateDropMarks(this, x, y);
  return TRaised(true);
}

TRaised TBarItemViewer::MouseUp(int x, int y, TBarTrackingState& state) {
  const bool wasDown = view_->MouseButtonDown();
  view_->CancelMouseButtonDown();
  const bool rootToolbar = state.RootView == view_ && !view_->IsPopup();
  if (view_->Selected() == this && view_->MouseOverSelected() && item_->Enabled() &&
      !item_->HasStyle(isClicksTransparent)) {
    if (item_->HasStyle(isSubmenu) && !IsPtInButtonPart(x, y)) {
      if (rootToolbar && state.Again) state.Done = true;
      return TRaised(true);
    }
    if (IsToolbarStyle() && !wasDown) return TRaised(true);
    TBarCustomItem* item = item_;
    const TLifeWatch life = LifeWatch();
    const TLifeWatch itemLife = item->LifeWatch();
    const TRaised prioritized = view_->GivePriority(this);
    if (!itemLife.Ended()) RecordItemClick(state, item, !rootToolbar);
    state.Done = true;
    return TRaised(prioritized.Alive() && !life.Ended());
  }
  if (rootToolbar) state.Done = true;
  return TRaised(true);
}

TRaised TBarItemViewer::MouseWheel(int wheelDelta, int x, int y) {
  (void)wheelDelta, (void)x, (void)y;
  return TRaised(true);
}

HCURSOR TBarItemViewer::GetCursor(int x, int y) const {
  (void)x, (void)y;
  return nullptr;
}

TRaised TBarSeparatorItemViewer::CalcSize(TCanvas* canvas, int& width, int& height) {
  if (IsToolbarStyle()) {
    width = height = kToolbarPadding;
    return TRaised(true);
  }
  width = height = 0;
  height += DivRoundUp(2 * GetTextHeight(FontDC(canvas)), 3);
  return TRaised(true);
}

}  // namespace toolbars

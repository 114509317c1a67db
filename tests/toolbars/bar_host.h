// A stand-in for the framework's toolbar window: a plain child window that shows one view of an item tree and
// paints it. The gallery shows its bars with the same host.
#pragma once

#include "framework/application.h"
#include "framework/win_control.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/views/view.h"

namespace bar_host {

// A view that remembers the size its last layout asked for and, optionally, resizes its window to it.
class THostView : public toolbars::TBarView {
  BC_CLASS(THostView, toolbars::TBarView)
  THostView(TComponent* owner, toolbars::TBarView* parentView, toolbars::TBarCustomItem* parentItem,
            TWinControl* window, bool isToolbar, bool customizing, bool usePriorityList)
      : TBarView(owner, parentView, parentItem, window, isToolbar, customizing, usePriorityList) {}

  SIZE LastSize() const { return lastSize_; }
  int LayoutCount() const { return layoutCount_; }
  // The window's client area follows the layout, with this frame on each side.
  void SetAutoSizeWindow(bool value, POINT frame = {}) {
    autoSizeWindow_ = value;
    frame_ = frame;
  }

 protected:
  TRaised SizeChanged(int width, int height) override {
    lastSize_ = SIZE{width, height};
    ++layoutCount_;
    if (!autoSizeWindow_ || !Window()) return TRaised(true);
    const TLifeWatch life = LifeWatch();
    return AnswerFor(
        life, Window()->SetBounds(Window()->Left(), Window()->Top(), width + 2 * frame_.x, height + 2 * frame_.y));
  }

 private:
  SIZE lastSize_{};
  int layoutCount_ = 0;
  bool autoSizeWindow_ = false;
  POINT frame_{};
};

// A child window of a foreign parent window that shows a toolbar (or menu-bar) view of root's children.
class TBarHostWindow : public TCustomControl {
  BC_CLASS(TBarHostWindow, TCustomControl)
  TBarHostWindow(TComponent* owner, HWND parentWindow, RECT bounds, toolbars::TBarCustomItem* root, bool isToolbar)
      : TCustomControl(owner) {
    SetColor(clBtnFace);
    // Nothing handles the events of a control in the making.
    (void)SetBoundsRect(bounds);
    view_ = new THostView(this, nullptr, root, this, isToolbar, false, true);
    (void)SetParentWindow(parentWindow);
    HandleNeeded();
    view_->InvalidatePositions();
    if (view_->ValidatePositions().Gone()) return;
  }
  // The same bar as a child control of a framework window.
  TBarHostWindow(TComponent* owner, TWinControl* parent, RECT bounds, toolbars::TBarCustomItem* root, bool isToolbar)
      : TCustomControl(owner) {
    SetColor(clBtnFace);
    // Nothing handles the events of a control in the making.
    (void)SetBoundsRect(bounds);
    view_ = new THostView(this, nullptr, root, this, isToolbar, false, true);
    (void)SetParent(parent);
    view_->InvalidatePositions();
    if (view_->ValidatePositions().Gone()) return;
  }
  THostView* View() const { return view_; }

  void Dispatch(TMessage& message) override {
    // Printing runs the paint handling, as a pop-up window of the framework prints.
    if (message.Msg == WM_PRINTCLIENT)
      toolbars::HandleWMPrintClient(this, message);
    else
      TCustomControl::Dispatch(message);
  }

 protected:
  TRaised Paint() override {
    RECT client = ClientRect();
    FillRect(Canvas()->Handle(), &client, Brush()->Handle());
    const TLifeWatch life = LifeWatch();
    return AnswerFor(life, view_->DrawSubitems(Canvas()));
  }

 private:
  THostView* view_ = nullptr;
};

}  // namespace bar_host

// TBarPopupWindow: the borderless top-level window that shows a submenu, a pop-up menu or a chevron list. It
// never takes the activation, closes only when the framework frees it, draws a thin menu frame of its own and the
// scroll arrows of a menu taller than the screen. Its TBarPopupView lays the items out and keeps the window sized
// to them.
#pragma once

#include <memory>

#include "toolbars/popups/popup_window_base.h"
#include "toolbars/views/view.h"

struct TUnit;

namespace toolbars {

// Sent by a pop-up window to itself once it is on screen (WParam 3), for windows that add shadows then.
constexpr UINT CM_POPUPSHOWN = 1578;
constexpr WPARAM kPopupShownCode = 3;

class TBarPopupWindow;

class TBarPopupView : public TBarView {
  BC_CLASS(TBarPopupView, TBarView)
  using TBarView::TBarView;

  TFont* GetFont() override;

 protected:
  // The window follows the content: its client area is the content, the frame lies around it.
  TRaised SizeChanged(int width, int height) override;
};

class TBarPopupWindow : public TBarPopupWindowBase {
  BC_CLASS(TBarPopupWindow, TBarPopupWindowBase)
  TBarPopupWindow(TComponent* owner, TBarView* parentView, TBarCustomItem* item, bool customizing);
  ~TBarPopupWindow() override;

  static TBarViewClass DefaultViewClass() { return TBarViewClass::Of<TBarPopupView>(); }

  TBarView* View() const override { return view_; }
  POINT NCSize() const override { return POINT{3, 3}; }
  void BeforeDestruction() override;
  void Dispatch(TMessage& message) override;

 protected:
  // A themed window passes the class of its own view.
  TBarPopupWindow(TComponent* owner, TBarView* parentView, TBarCustomItem* item, bool customizing,
                  TBarViewClass viewClass);
  // Paints the frame into a DC of the whole window, in window coordinates.
  virtual void PaintFrame(HDC dc);
  virtual void PaintScrollArrows();
  void CreateParams(TCreateParams& params) override;
  void DestroyWindowHandle() override;
  TRaised Paint() override;

 private:
  void CMShowingChanged();
  void CMHintShow(TMessage& message);
  void WMNCCalcSize(TMessage& message);
  void WMNCPaint(TMessage& message);
  static void PrintFrame(HWND wnd, HDC dc, void* data);
  // The view goes before the rest of the window, its child pop-ups closed and its timers stopped.
  void DestroyView();

  TBarView* view_ = nullptr;
};

// Pop-up windows and menu tracking: installs TBarPopupWindow as the items' pop-up window and the framework's
// tracking loop. The toolbar framework's unit starts it.
const TUnit& PopupsUnit();

}  // namespace toolbars

// The themed pop-up windows: a submenu, pop-up menu or tool box whose frame, background and drop shadow come from
// the current theme, and the chevron's pop-up. Each answers the view-type query with the kind of pop-up it is, and
// one still open when the theme changes takes the new theme's frame.
#pragma once

#include <memory>

#include "toolbars/popups/popup_window.h"
#include "toolbars/theme/shadows.h"
#include "toolbars/theme/theme.h"

namespace toolbars {

class TStyledPopupView : public TBarPopupView {
  BC_CLASS(TStyledPopupView, TBarPopupView)
  using TBarPopupView::TBarPopupView;
};

class TStyledPopupWindow : public TBarPopupWindow {
  BC_CLASS(TStyledPopupWindow, TBarPopupWindow)
  TStyledPopupWindow(TComponent* owner, TBarView* parentView, TBarCustomItem* item, bool customizing);
  ~TStyledPopupWindow() override;

  // The layered shadow while one is shown; null with the system's shadow or none.
  TShadows* Shadows() const { return shadows_.get(); }
  // vtChevronPopup, vtListPopup, vtToolBoxPopup or vtPopupMenu.
  virtual int ViewType() const;
  // The theme's border of the view type on every side.
  POINT NCSize() const override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void DestroyWindowHandle() override;
  void PaintFrame(HDC dc) override;

 private:
  // A list pop-up never has a shadow.
  bool ShadowsAllowed() const;
  // The toolbar-style item that opened the pop-up, in screen coordinates; empty for none or a menu's item.
  RECT OpenerScreenRect() const;
  void CreateShadow();
  // Measured again by the new theme, content and frame, and repainted.
  [[nodiscard]] TRaised ThemeChanged();
  void WMEraseBkgnd(TMessage& message);

  std::unique_ptr<TShadows> shadows_;
};

class TStyledChevronPopupWindow : public TStyledPopupWindow {
  BC_CLASS(TStyledChevronPopupWindow, TStyledPopupWindow)
  using TStyledPopupWindow::TStyledPopupWindow;

  int ViewType() const override { return vtChevronPopup; }
};

}  // namespace toolbars

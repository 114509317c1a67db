#include "theme_parts_section.h"

#include <functional>
#include <iterator>
#include <memory>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "framework/win_control.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/theme/theme_manager.h"

using namespace toolbars;

namespace {

constexpr int kColumns = 8;
constexpr int kCellWidth = 72;
constexpr int kSampleHeight = 40;
constexpr int kLabelHeight = 16;
constexpr int kRowHeight = kSampleHeight + kLabelHeight + 4;

using TPartPainter =
    std::function<void(TStyledTheme* theme, TCanvas* canvas, const RECT& cell, TCustomImageList* images)>;

struct TPartSample {
  const wchar_t* Label;
  TPartPainter Paint;
};

TStyledItemPaintInfo Item(int viewType, int options, uint8_t hover = hkNone, bool pushed = false, bool checked = false,
                          bool enabled = true) {
  TStyledItemPaintInfo info{};
  info.ViewType = viewType;
  info.ItemOptions = options | ioAppActive;
  info.HoverKind = hover;
  info.Pushed = pushed;
  info.Checked = checked;
  info.Enabled = enabled;
  return info;
}

RECT Inset(const RECT& cell, int dx, int dy) {
  return RECT{cell.left + dx, cell.top + dy, cell.right - dx, cell.bottom - dy};
}

const TPartSample kSamples[] = {
    {L"Hot face", [](auto* t, auto* c, auto& r,
                     auto*) { t->PaintButtonFace(c, Inset(r, 12, 6), Item(vtToolbar, ioToolbarStyle, hkHot)); }},
    {L"Pushed face",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintButtonFace(c, Inset(r, 12, 6), Item(vtToolbar, ioToolbarStyle, hkNone, true));
     }},
    {L"Checked face",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintButtonFace(c, Inset(r, 12, 6), Item(vtToolbar, ioToolbarStyle, hkNone, false, true));
     }},
    {L"Opaque hot",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintButtonFace(c, Inset(r, 12, 6), Item(vtToolbar | vtOpaque, ioToolbarStyle, hkHot));
     }},
    {L"Split arrow",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledItemPaintInfo info = Item(vtToolbar, ioToolbarStyle, hkHot);
       info.ComboPart = cpComboArrow;
       t->PaintButtonFace(c, Inset(r, 26, 6), info);
     }},
    {L"Item frame",
     [](auto* t, auto* c, auto& r, auto*) {
       c->Brush()->SetColor(clWindow);
       t->PaintItemFrame(c, Inset(r, 6, 9), Item(vtToolbar, 0, hkHot));
     }},
    {L"Edit box",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledItemPaintInfo info = Item(vtToolbar, 0);
       TStyledEditFrameInfo edit{};
       edit.RightWidth = 13;
       edit.RightButton.ButtonType = ebDropDown;
       c->Brush()->SetColor(clWindow);
       t->PaintEditFrame(c, Inset(r, 4, 9), info, edit);
     }},
    {L"Spin",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledItemPaintInfo info = Item(vtToolbar, 0);
       t->PaintEditButton(c, Inset(r, 28, 6), info, TStyledEditButtonInfo{ebSpin, ebsHot});
     }},
    {L"Caption",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintItemCaption(c, r, Item(vtToolbar, ioToolbarStyle), L"&File", DT_SINGLELINE | DT_CENTER | DT_VCENTER,
                           false);
     }},
    {L"Disabled",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintItemCaption(c, r, Item(vtToolbar, ioToolbarStyle, hkNone, false, false, false), L"&Edit",
                           DT_SINGLELINE | DT_CENTER | DT_VCENTER, false);
     }},
    {L"Check", [](auto* t, auto* c, auto& r, auto*) { t->PaintCheckGlyph(c, r, Item(vtPopupMenu, 0)); }},
    {L"Chevron",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintChevronGlyph(c, RECT{r.left + 30, r.top + 12, r.left + 43, r.bottom}, Item(vtToolbar, 0));
     }},
    {L"Vertical",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledItemPaintInfo info = Item(vtToolbar, 0);
       info.IsVertical = true;
       t->PaintChevronGlyph(c, RECT{r.left + 20, r.top + 12, r.left + 48, r.bottom}, info);
     }},
    {L"Arrow", [](auto* t, auto* c, auto& r, auto*) { t->PaintDropDownArrow(c, r, Item(vtPopupMenu, 0)); }},
    {L"Image",
     [](auto* t, auto* c, auto& r, auto* images) {
       t->PaintItemImage(c, RECT{r.left + 29, r.top + 13, r.left + 45, r.top + 29}, Item(vtToolbar, ioToolbarStyle),
                         images, 0);
     }},
    {L"Hot image",
     [](auto* t, auto* c, auto& r, auto* images) {
       t->PaintItemImage(c, RECT{r.left + 29, r.top + 13, r.left + 45, r.top + 29},
                         Item(vtToolbar, ioToolbarStyle, hkHot), images, 0);
     }},
    {L"Menu row",
     [](auto* t, auto* c, auto& r, auto*) {
       c->Brush()->SetColor(MenuBackColor);
       c->FillRect(r);
       t->PaintMenuItem(c, Inset(r, 2, 10), Item(vtPopupMenu, ioHasSubmenu, hkHot));
     }},
    {L"Checked row",
     [](auto* t, auto* c, auto& r, auto*) {
       c->Brush()->SetColor(MenuBackColor);
       c->FillRect(r);
       TStyledItemPaintInfo info = Item(vtPopupMenu, 0, hkNone, false, true);
       info.PopupMargin = 20;
       const RECT row = Inset(r, 2, 10);
       t->PaintMenuItem(c, row, info);
       t->PaintCheckGlyph(c, RECT{row.left + 1, row.top, row.left + 21, row.bottom}, info);
     }},
    {L"Separators",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintSeparator(c, RECT{r.left + 4, r.top + 4, r.left + 12, r.bottom - 4}, Item(vtToolbar, 0), false, false);
       t->PaintSeparator(c, RECT{r.left + 14, r.top + 16, r.right - 4, r.top + 24}, Item(vtToolbar, 0), true, false);
     }},
    {L"Pop-up",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledPopupPaintInfo info{};
       info.ViewType = vtPopupMenu;
       t->PaintPopupFrame(c, Inset(r, 8, 4), info);
     }},
    {L"List pop-up",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledPopupPaintInfo info{};
       info.ViewType = vtListPopup;
       t->PaintPopupFrame(c, Inset(r, 8, 4), info);
     }},
    {L"Scroll",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintScrollButton(c, RECT{r.left + 12, r.top + 12, r.left + 30, r.top + 28}, sbUp, false);
       t->PaintScrollButton(c, RECT{r.left + 36, r.top + 12, r.left + 54, r.top + 28}, sbDown, true);
     }},
    {L"MDI buttons",
     [](auto* t, auto* c, auto& r, auto*) {
       for (UINT kind = mbClose; kind <= mbRestore; ++kind)
         t->PaintMdiButton(c,
                           RECT{r.left + 2 + static_cast<LONG>(kind) * 17, r.top + 12,
                                r.left + 18 + static_cast<LONG>(kind) * 17, r.top + 26},
                           Item(vtMenuBar, 0), kind);
     }},
    {L"Check boxes",
     [](auto* t, auto* c, auto& r, auto*) {
       t->PaintStandardControl(c, RECT{r.left + 4, r.top + 13, r.left + 17, r.top + 26}, scCheckBox, 0);
       t->PaintStandardControl(c, RECT{r.left + 21, r.top + 13, r.left + 34, r.top + 26}, scCheckBox, scsChecked);
       t->PaintStandardControl(c, RECT{r.left + 38, r.top + 13, r.left + 51, r.top + 26}, scRadioButton, scsChecked);
       t->PaintStandardControl(c, RECT{r.left + 55, r.top + 13, r.left + 68, r.top + 26}, scCheckBox, scsMixed);
     }},
    {L"Toolbar",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledToolbarPaintInfo info{};
       info.AllowDrag = true;
       info.BorderSize = POINT{1, 1};
       info.CloseButtonState = cbsShown;
       info.BorderStyle = 1;
       const int saved = SaveDC(c->Handle());
       SetViewportOrgEx(c->Handle(), r.left + 4, r.top + 6, nullptr);
       c->Brush()->SetColor(t->ViewBackColor(vtToolbar));
       t->PaintToolbarFrame(c, RECT{0, 0, 64, 30}, info);
       RestoreDC(c->Handle(), saved);
     }},
    {L"Grip",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledToolbarPaintInfo info{};
       info.AllowDrag = true;
       info.BorderSize = POINT{1, 1};
       const int saved = SaveDC(c->Handle());
       SetViewportOrgEx(c->Handle(), r.left + 4, r.top + 6, nullptr);
       c->Brush()->SetColor(t->ViewBackColor(vtToolbar));
       t->PaintToolbarFrame(c, RECT{0, 0, 64, 30}, info);
       RestoreDC(c->Handle(), saved);
     }},
    {L"Docked",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledDockedCaptionInfo info{};
       info.HorizontalCaption = true;
       info.ShowCaption = true;
       info.CloseButtonState = cbsShown;
       info.Caption = L"Panel";
       t->PaintDockedCaption(c, Inset(r, 2, 2), info);
     }},
    {L"Floating",
     [](auto* t, auto* c, auto& r, auto*) {
       TStyledWindowPaintInfo info{};
       info.ClientWidth = 60;
       info.ClientHeight = 4;
       info.FloatingBorderSize = POINT{3, 3};
       info.ShowCaption = true;
       info.Active = true;
       info.Caption = L"Tools";
       info.CloseButtonState = cbsShown;
       info.RedrawPart = rpBorder | rpCaption | rpCloseButton;
       const int saved = SaveDC(c->Handle());
       SetViewportOrgEx(c->Handle(), r.left + 3, r.top + 2, nullptr);
       t->PaintFloatingFrame(c, RECT{0, 0, 66, 10 + GetSystemMetrics(SM_CYSMCAPTION)}, info);
       RestoreDC(c->Handle(), saved);
     }},
    {L"Status bar",
     [](auto* t, auto* c, auto& r, auto*) {
       const RECT bar{r.left + 2, r.top + 10, r.right - 2, r.top + 30};
       t->PaintStatusBarPart(c, bar, spBackground);
       t->PaintStatusBarPart(c, RECT{bar.left + 2, bar.top + 2, bar.left + 34, bar.bottom}, spPane);
       t->PaintStatusBarPart(c, RECT{bar.left + 34, bar.top + 2, bar.right, bar.bottom}, spLastPane);
       t->PaintStatusBarPart(c, RECT{bar.right - 16, bar.bottom - 16, bar.right, bar.bottom}, spSizeGrip);
     }},
    {L"Dock",
     [](auto* t, auto* c, auto& r, auto*) {
       FillRect(c->Handle(), &r, GetSysColorBrush(COLOR_BTNFACE));
       t->PaintViewBackground(c, r, Inset(r, 4, 4), r, t->ViewBackColor(vtDock), false, vtDock);
       t->PaintDockBackground(c, Inset(r, 4, 4), Inset(r, 4, 4), dpTop);
     }},
};

// A panel that paints every sample through the current theme and repaints when the theme's colours change.
class TThemePartsPanel : public TCustomControl {
  BC_CLASS(TThemePartsPanel, TCustomControl)
  explicit TThemePartsPanel(TComponent* owner) : TCustomControl(owner) {
    AddThemeNotification(this);
    images_ = std::make_unique<TImageList>();
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf32bit);
    picture.SetSize(16, 16);
    picture.Canvas()->Brush()->SetColor(clFuchsia);
    picture.Canvas()->FillRect(RECT{0, 0, 16, 16});
    picture.Canvas()->Brush()->SetColor(clNavy);
    picture.Canvas()->Ellipse(1, 1, 15, 15);
    picture.Canvas()->Brush()->SetColor(clYellow);
    picture.Canvas()->Ellipse(5, 5, 11, 11);
    images_->AddMasked(&picture, clFuchsia);
  }
  ~TThemePartsPanel() override { RemoveThemeNotification(this); }

  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_STYLEDSYSCOMMAND) {
      if (message.WParam == tcAfterChange) Invalidate();
      return;
    }
    TCustomControl::Dispatch(message);
  }

 protected:
  TRaised Paint() override {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(ClientRect());
    TStyledTheme* theme = CurrentTheme();
    if (!theme) return TRaised(true);
    for (size_t i = 0; i < std::size(kSamples); ++i) {
      const int column = static_cast<int>(i) % kColumns;
      const int row = static_cast<int>(i) / kColumns;
      const RECT cell{column * kCellWidth + 4, row * kRowHeight + 2, (column + 1) * kCellWidth,
                      row * kRowHeight + 2 + kSampleHeight};
      const int saved = SaveDC(canvas->Handle());
      IntersectClipRect(canvas->Handle(), cell.left, cell.top, cell.right, cell.bottom);
      canvas->Font()->SetColor(clBtnText);
      kSamples[i].Paint(theme, canvas, cell, images_.get());
      RestoreDC(canvas->Handle(), saved);
      canvas->Refresh();
      RECT label{cell.left, cell.bottom + 1, cell.right, cell.bottom + kLabelHeight};
      canvas->Brush()->SetStyle(TBrushStyle::bsClear);
      canvas->Font()->SetColor(clBtnText);
      canvas->TextRect(label, kSamples[i].Label, DT_SINGLELINE | DT_CENTER | DT_NOPREFIX);
    }
    return TRaised(true);
  }

 private:
  std::unique_ptr<TImageList> images_;
};

}  // namespace

int BuildThemePartsSection(TWinControl* host) {
  const int rows = (static_cast<int>(std::size(kSamples)) + kColumns - 1) / kColumns;
  auto* panel = new TThemePartsPanel(host);
  if (panel->SetBounds(0, 0, kColumns * kCellWidth + 4, rows * kRowHeight + 4).Gone() || panel->SetParent(host).Gone())
    return 0;
  return panel->Height();
}

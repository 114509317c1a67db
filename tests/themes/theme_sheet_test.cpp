// One picture of every part each theme paints, in its typical states, kept for a person to look at (see
// KeepCaptureForViewing); the test checks only that each theme painted every cell.
#include <functional>
#include <string>
#include <vector>

#include "theme_fixture.h"

using namespace toolbars;

namespace {

constexpr int kCell = 64;
constexpr int kRowHeight = 40;

using TPartPainter = std::function<void(TStyledTheme* theme, TCanvas* canvas, const RECT& cell)>;

TStyledItemPaintInfo Part(int viewType, int options, uint8_t hover = hkNone, bool pushed = false, bool checked = false,
                          bool enabled = true) {
  TStyledItemPaintInfo info{};
  info.ViewType = viewType;
  info.ItemOptions = options;
  info.HoverKind = hover;
  info.Pushed = pushed;
  info.Checked = checked;
  info.Enabled = enabled;
  info.ImageColumnWidth = 20;
  return info;
}

RECT Inset(const RECT& cell, int dx, int dy) { return {cell.left + dx, cell.top + dy, cell.right - dx, cell.bottom - dy}; }

const std::vector<TPartPainter>& Parts() {
  static const std::vector<TPartPainter> parts{
      [](auto* t, auto* c, auto& r) { t->PaintButtonFace(c, Inset(r, 16, 8), Part(vtToolbar, ioToolbarStyle, hkHot)); },
      [](auto* t, auto* c, auto& r) {
        t->PaintButtonFace(c, Inset(r, 16, 8), Part(vtToolbar, ioToolbarStyle, hkNone, true, true));
      },
      [](auto* t, auto* c, auto& r) {
        t->PaintButtonFace(c, Inset(r, 16, 8), Part(vtToolbar, ioToolbarStyle, hkNone, false, true));
        t->PaintCheckGlyph(c, Inset(r, 16, 8), Part(vtToolbar, ioToolbarStyle, hkNone, false, true));
      },
      [](auto* t, auto* c, auto& r) {
        TStyledItemPaintInfo info = Part(vtToolbar, ioToolbarStyle, hkHot);
        info.ButtonPart = cpComboArrow;
        t->PaintButtonFace(c, Inset(r, 24, 8), info);
      },
      [](auto* t, auto* c, auto& r) {
        t->PaintChevronGlyph(c, {r.left + 20, r.top, r.left + 34, r.top + 24}, Part(vtToolbar, ioToolbarStyle, hkHot));
      },
      [](auto* t, auto* c, auto& r) {
        t->PaintMdiButton(c, Inset(r, 20, 10), Part(vtMenuBar, ioToolbarStyle, hkHot), mbClose);
      },
      [](auto* t, auto* c, auto& r) {
        TStyledItemPaintInfo info = Part(vtToolbar, 0);
        TStyledEditFrameInfo edit{};
        edit.RightWidth = 13;
        edit.RightButton.ButtonType = ebSpin;
        edit.RightButton.ButtonState = ebsHot;
        t->PaintEditFrame(c, Inset(r, 4, 10), info, edit);
      },
      [](auto* t, auto* c, auto& r) {
        TStyledPopupPaintInfo popup{};
        popup.ViewType = vtPopupMenu;
        t->PaintPopupFrame(c, Inset(r, 4, 4), popup);
        t->PaintMenuItem(c, {r.left + 5, r.top + 8, r.right - 5, r.top + 22},
                         Part(vtPopupMenu, ioHasSubmenu, hkHot));
        t->PaintSeparator(c, {r.left + 5, r.top + 22, r.right - 5, r.top + 30}, Part(vtPopupMenu, 0), true, false);
      },
      [](auto* t, auto* c, auto& r) {
        t->PaintViewBackground(c, {}, Inset(r, 2, 8), Inset(r, 2, 8), t->ViewBackColor(vtToolbar), false, vtToolbar);
        t->PaintSeparator(c, {r.left + 28, r.top + 8, r.left + 36, r.bottom - 8}, Part(vtToolbar, 0), false, false);
      },
      [](auto* t, auto* c, auto& r) {
        t->PaintStandardControl(c, {r.left + 8, r.top + 12, r.left + 21, r.top + 25}, scCheckBox, scsChecked | scsHot);
        t->PaintStandardControl(c, {r.left + 36, r.top + 12, r.left + 49, r.top + 25}, scRadioButton, scsChecked);
      },
      [](auto* t, auto* c, auto& r) {
        t->PaintScrollButton(c, {r.left + 8, r.top + 12, r.left + 28, r.top + 28}, sbDown, true);
        t->PaintScrollButton(c, {r.left + 34, r.top + 12, r.left + 54, r.top + 28}, sbRight, false);
      },
      [](auto* t, auto* c, auto& r) {
        t->PaintStatusBarPart(c, Inset(r, 2, 6), spBackground);
        t->PaintStatusBarPart(c, Inset(r, 6, 10), spPane);
        t->PaintStatusBarPart(c, {r.right - 18, r.bottom - 22, r.right - 2, r.bottom - 6}, spSizeGrip);
      },
  };
  return parts;
}

const std::vector<TPartPainter>& Frames() {
  static const std::vector<TPartPainter> frames{
      [](auto* t, auto* c, auto& r) {
        TStyledToolbarPaintInfo toolbar{};
        toolbar.ViewType = vtToolbar;
        toolbar.AllowDrag = true;
        toolbar.BorderStyle = 1;
        toolbar.DragHandleStyle = dhDouble;
        toolbar.CloseButtonState = cbsShown | cbsHot;
        toolbar.BorderSize = {2, 2};
        c->Brush()->SetColor(t->ViewBackColor(vtToolbar));
        // A frame is painted in its window's coordinates.
        HDC dc = c->Handle();
        POINT origin{};
        SetViewportOrgEx(dc, r.left + 4, r.top + 6, &origin);
        t->PaintToolbarFrame(c, {0, 0, 3 * kCell - 8, kRowHeight - 12}, toolbar);
        SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
      },
      [](auto* t, auto* c, auto& r) {
        TStyledDockedCaptionInfo caption{};
        caption.ViewType = vtToolWindow;
        caption.HorizontalCaption = true;
        caption.BorderSize = {2, 2};
        caption.ShowCaption = true;
        caption.CloseButtonState = cbsShown;
        caption.Caption = L"Docked";
        c->Brush()->SetColor(t->ViewBackColor(vtToolWindow));
        t->PaintDockedCaption(c, {r.left + 3 * kCell + 4, r.top + 2, r.left + 6 * kCell - 4, r.bottom - 2}, caption);
      },
      [](auto* t, auto* c, auto& r) {
        TStyledWindowPaintInfo window{};
        window.ViewType = vtToolbar | vtFloating;
        window.ClientWidth = 3 * kCell - 14;
        window.ClientHeight = kRowHeight - 10;
        window.ShowCaption = true;
        window.FloatingBorderSize = {3, 3};
        window.CloseButtonState = cbsShown | cbsHot;
        window.RedrawPart = rpBorder | rpCaption | rpCloseButton;
        window.Caption = L"Floating";
        window.Active = true;
        c->Brush()->SetColor(t->ViewBackColor(vtToolbar));
        const int left = r.left + 6 * kCell + 4;
        HDC dc = c->Handle();
        POINT origin{};
        SetViewportOrgEx(dc, left, r.top + 2, &origin);
        t->PaintFloatingFrame(c, {0, 0, 3 * kCell - 8, kRowHeight - 4}, window);
        SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
      },
  };
  return frames;
}

}  // namespace

TEST_F(ThemeTest, EveryThemePaintsEveryPartIntoOneSheet) {
  const wchar_t* names[] = {L"Default", L"Pastel", L"Adaptive", L"Emboss", L"Gloss", L"Relief", L"Crystal", L"Ridge"};
  const int columns = static_cast<int>(Parts().size());
  TThemeSurface sheet(columns * kCell, static_cast<int>(std::size(names)) * 2 * kRowHeight);
  sheet.Canvas()->Brush()->SetColor(clBtnFace);
  sheet.Canvas()->FillRect({0, 0, columns * kCell, static_cast<int>(std::size(names)) * 2 * kRowHeight});
  for (size_t row = 0; row < std::size(names); ++row) {
    SCOPED_TRACE(std::wstring(names[row]));
    TStyledTheme* theme = Theme<TStyledTheme>(names[row]);
    const int top = static_cast<int>(row) * 2 * kRowHeight;
    for (int column = 0; column < columns; ++column) {
      const RECT cell{column * kCell, top, (column + 1) * kCell, top + kRowHeight};
      TWindowCapture before(kCell, kRowHeight);
      BitBlt(before.DC(), 0, 0, kCell, kRowHeight, sheet.Capture().DC(), cell.left, cell.top, SRCCOPY);
      Parts()[static_cast<size_t>(column)](theme, sheet.Canvas(), cell);
      int changed = 0;
      for (int y = 0; y < kRowHeight; ++y)
        for (int x = 0; x < kCell; ++x) changed += before.Pixel(x, y) != sheet.Pixel(cell.left + x, cell.top + y);
      EXPECT_GT(changed, 0) << "part " << column;
    }
    for (const TPartPainter& frame : Frames())
      frame(theme, sheet.Canvas(), {0, top + kRowHeight, columns * kCell, top + 2 * kRowHeight});
  }
  KeepCaptureForViewing(sheet.Capture(), L"theme_sheet");
}

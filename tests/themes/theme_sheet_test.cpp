// One picture of every part each theme paints, in its typical states, kept for a person to look at (see
// KeepCaptureForViewing). Each part must paint something, and only inside the rectangles it was given; where the
// looks define exact pixels of a part (glyph patterns, stripes), those are checked too.
#include <functional>
#include <string>
#include <vector>

#include "theme_fixture.h"
#include "themes/theme_drawing.h"
#include "toolbars/theme/color_utils.h"

using namespace toolbars;

namespace {

constexpr int kCell = 64;
constexpr int kRowHeight = 40;

using TPartPainter = std::function<void(TStyledTheme* theme, TCanvas* canvas, const RECT& cell)>;

// A part of the sheet: the rectangle of its cell it was given to paint in (all of its rectangles together), and
// how it is painted.
struct TSheetPart {
  RECT Bounds;
  TPartPainter Paint;
};

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

RECT Inset(const RECT& cell, int dx, int dy) {
  return {cell.left + dx, cell.top + dy, cell.right - dx, cell.bottom - dy};
}

const std::vector<TSheetPart>& Parts() {
  static const std::vector<TSheetPart> parts{
      {{16, 8, 48, 32},
       [](auto* t, auto* c, auto& r) {
         t->PaintButtonFace(c, Inset(r, 16, 8), Part(vtToolbar, ioToolbarStyle, hkHot));
       }},
      {{16, 8, 48, 32},
       [](auto* t, auto* c, auto& r) {
         t->PaintButtonFace(c, Inset(r, 16, 8), Part(vtToolbar, ioToolbarStyle, hkNone, true, true));
       }},
      {{16, 8, 48, 32},
       [](auto* t, auto* c, auto& r) {
         t->PaintButtonFace(c, Inset(r, 16, 8), Part(vtToolbar, ioToolbarStyle, hkNone, false, true));
         t->PaintCheckGlyph(c, Inset(r, 16, 8), Part(vtToolbar, ioToolbarStyle, hkNone, false, true));
       }},
      // The arrow part of a split button reaches one pixel left of its rectangle, onto the main part's edge.
      {{23, 8, 40, 32},
       [](auto* t, auto* c, auto& r) {
         TStyledItemPaintInfo info = Part(vtToolbar, ioToolbarStyle, hkHot);
         info.ButtonPart = cpComboArrow;
         t->PaintButtonFace(c, Inset(r, 24, 8), info);
       }},
      {{20, 0, 34, 24},
       [](auto* t, auto* c, auto& r) {
         t->PaintChevronGlyph(c, {r.left + 20, r.top, r.left + 34, r.top + 24}, Part(vtToolbar, ioToolbarStyle, hkHot));
       }},
      {{20, 10, 44, 30},
       [](auto* t, auto* c, auto& r) {
         t->PaintMdiButton(c, Inset(r, 20, 10), Part(vtMenuBar, ioToolbarStyle, hkHot), mbClose);
       }},
      {{4, 10, 60, 30},
       [](auto* t, auto* c, auto& r) {
         TStyledItemPaintInfo info = Part(vtToolbar, 0);
         TStyledEditFrameInfo edit{};
         edit.RightWidth = 13;
         edit.RightButton.ButtonType = ebSpin;
         edit.RightButton.ButtonState = ebsHot;
         t->PaintEditFrame(c, Inset(r, 4, 10), info, edit);
       }},
      {{4, 4, 60, 36},
       [](auto* t, auto* c, auto& r) {
         TStyledPopupPaintInfo popup{};
         popup.ViewType = vtPopupMenu;
         t->PaintPopupFrame(c, Inset(r, 4, 4), popup);
         t->PaintMenuItem(c, {r.left + 5, r.top + 8, r.right - 5, r.top + 22}, Part(vtPopupMenu, ioHasSubmenu, hkHot));
         t->PaintSeparator(c, {r.left + 5, r.top + 22, r.right - 5, r.top + 30}, Part(vtPopupMenu, 0), true, false);
       }},
      // The gradient of the Adaptive look reaches one pixel past the background's rectangle, as that look has it.
      {{2, 8, 63, 33},
       [](auto* t, auto* c, auto& r) {
         t->PaintViewBackground(c, {}, Inset(r, 2, 8), Inset(r, 2, 8), t->ViewBackColor(vtToolbar), false, vtToolbar);
         t->PaintSeparator(c, {r.left + 28, r.top + 8, r.left + 36, r.bottom - 8}, Part(vtToolbar, 0), false, false);
       }},
      {{8, 12, 49, 25},
       [](auto* t, auto* c, auto& r) {
         t->PaintStandardControl(c, {r.left + 8, r.top + 12, r.left + 21, r.top + 25}, scCheckBox, scsChecked | scsHot);
         t->PaintStandardControl(c, {r.left + 36, r.top + 12, r.left + 49, r.top + 25}, scRadioButton, scsChecked);
       }},
      {{8, 12, 54, 28},
       [](auto* t, auto* c, auto& r) {
         t->PaintScrollButton(c, {r.left + 8, r.top + 12, r.left + 28, r.top + 28}, sbDown, true);
         t->PaintScrollButton(c, {r.left + 34, r.top + 12, r.left + 54, r.top + 28}, sbRight, false);
       }},
      {{2, 6, 62, 34},
       [](auto* t, auto* c, auto& r) {
         t->PaintStatusBarPart(c, Inset(r, 2, 6), spBackground);
         t->PaintStatusBarPart(c, Inset(r, 6, 10), spPane);
         t->PaintStatusBarPart(c, {r.right - 18, r.bottom - 22, r.right - 2, r.bottom - 6}, spSizeGrip);
       }},
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

// Pixels the looks define, relative to the part's cell: the chevron pattern of the themes built on the colour
// tables, rows 4 to 8 of its button; their check mark around the face's middle; Emboss's stripes, dark on the
// view's first row and every third row after it, light on the row below.
struct TDefinedPixel {
  const wchar_t* Theme;
  size_t Part;
  POINT At;
  std::function<COLORREF(TStyledTheme* theme)> Color;
  // False: the pixel is any colour but that one (a gap in a glyph).
  bool Painted = true;
};

COLORREF HotToolbarText(TStyledTheme* theme) {
  return Rgb(theme->ItemTextColor(Part(vtToolbar, ioToolbarStyle, hkHot)));
}
COLORREF CheckedToolbarText(TStyledTheme* theme) {
  return Rgb(theme->ItemTextColor(Part(vtToolbar, ioToolbarStyle, hkNone, false, true)));
}
COLORREF ToolbarFace(TStyledTheme* theme) { return Rgb(theme->ViewBackColor(vtToolbar)); }
COLORREF StripeDark(TStyledTheme* theme) {
  return Rgb(themes::NearestColor(ShiftColorBrightness(theme->ViewBackColor(vtToolbar), -8)));
}
COLORREF StripeLight(TStyledTheme* theme) {
  const TColor face = theme->ViewBackColor(vtToolbar);
  const int luminance = ColorLuminance(face);
  return Rgb(themes::NearestColor(ShiftColorBrightness(face, (luminance < 200 ? (200 - luminance) / 20 : 0) + 8)));
}

std::vector<TDefinedPixel> DefinedPixels() {
  std::vector<TDefinedPixel> pixels;
  for (const wchar_t* theme : {L"Pastel", L"Adaptive"}) {
    // Chevron rows 0xCC and 0x33 from the glyph's corner (22, 4).
    for (int x : {22, 23, 26, 27}) pixels.push_back({theme, 4, {x, 4}, HotToolbarText});
    for (int x : {24, 25, 28, 29}) pixels.push_back({theme, 4, {x, 6}, HotToolbarText});
    pixels.push_back({theme, 4, {24, 4}, HotToolbarText, false});
    // The check mark's corner at the middle (30, 20) less its offsets, and its long stroke.
    for (POINT at : {POINT{30, 21}, POINT{32, 19}, POINT{34, 17}, POINT{28, 20}})
      pixels.push_back({theme, 2, at, CheckedToolbarText});
  }
  for (int y = 8; y < 32; ++y) {
    const int phase = (y - 8) % 3;
    pixels.push_back({L"Emboss", 8, {5, y}, phase == 0 ? StripeDark : phase == 1 ? StripeLight : ToolbarFace});
  }
  return pixels;
}

}  // namespace

TEST_F(ThemeTest, EveryThemePaintsEveryPartIntoOneSheet) {
  const wchar_t* names[] = {L"Default", L"Pastel", L"Adaptive", L"Emboss", L"Gloss", L"Relief", L"Crystal", L"Ridge"};
  const int columns = static_cast<int>(Parts().size());
  const std::vector<TDefinedPixel> defined = DefinedPixels();
  TThemeSurface sheet(columns * kCell, static_cast<int>(std::size(names)) * 2 * kRowHeight);
  sheet.Canvas()->Brush()->SetColor(clBtnFace);
  sheet.Canvas()->FillRect({0, 0, columns * kCell, static_cast<int>(std::size(names)) * 2 * kRowHeight});
  for (size_t row = 0; row < std::size(names); ++row) {
    SCOPED_TRACE(std::wstring(names[row]));
    TStyledTheme* theme = Theme<TStyledTheme>(names[row]);
    const int top = static_cast<int>(row) * 2 * kRowHeight;
    for (int column = 0; column < columns; ++column) {
      SCOPED_TRACE("part " + std::to_string(column));
      const TSheetPart& part = Parts()[static_cast<size_t>(column)];
      const RECT cell{column * kCell, top, (column + 1) * kCell, top + kRowHeight};
      TWindowCapture before(kCell, kRowHeight);
      BitBlt(before.DC(), 0, 0, kCell, kRowHeight, sheet.Capture().DC(), cell.left, cell.top, SRCCOPY);
      part.Paint(theme, sheet.Canvas(), cell);
      int inside = 0;
      int outside = 0;
      for (int y = 0; y < kRowHeight; ++y) {
        for (int x = 0; x < kCell; ++x) {
          if (before.Pixel(x, y) == sheet.Pixel(cell.left + x, cell.top + y)) continue;
          const POINT at{x, y};
          ++(PtInRect(&part.Bounds, at) ? inside : outside);
        }
      }
      EXPECT_GT(inside, 0);
      EXPECT_EQ(outside, 0) << "pixels painted outside the part's rectangles";
      for (const TDefinedPixel& pixel : defined) {
        if (pixel.Part != static_cast<size_t>(column) || std::wstring(pixel.Theme) != names[row]) continue;
        const COLORREF painted = sheet.Pixel(cell.left + pixel.At.x, cell.top + pixel.At.y);
        EXPECT_EQ(painted == pixel.Color(theme), pixel.Painted) << "at " << pixel.At.x << ", " << pixel.At.y;
      }
    }
    for (const TPartPainter& frame : Frames())
      frame(theme, sheet.Canvas(), {0, top + kRowHeight, columns * kCell, top + 2 * kRowHeight});
  }
  KeepCaptureForViewing(sheet.Capture(), L"theme_sheet");
}

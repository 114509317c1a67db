// Every painter of a theme in every state, twice over: once into a sheet a person can look at (see
// KeepCaptureForViewing), once into rectangles an application may well pass (empty, one line, inverted, far larger
// than the window). Painting must never fail, hang or keep GDI objects, and must leave the brush solid.
#include <functional>
#include <string>
#include <vector>

#include "support/gdi_room.h"
#include "theme_fixture.h"
#include "themes/glass_gradients.h"
#include "themes/theme_drawing.h"

using namespace toolbars;

namespace {

using TPainter = std::function<void(TStyledTheme* theme, TCanvas* canvas, const RECT& rect)>;

struct TPainterRow {
  std::string Name;
  std::vector<TPainter> States;
};

struct TItemState {
  const char* Name;
  bool Enabled, Pushed, Checked, SubmenuParent;
  uint8_t Hover;
  int Options;
};

constexpr TItemState kItemStates[] = {
    {"normal", true, false, false, false, hkNone, 0},
    {"hot", true, false, false, false, hkHot, 0},
    {"pushed", true, true, false, false, hkHot, 0},
    {"checked", true, false, true, false, hkNone, 0},
    {"checked hot", true, false, true, false, hkHot, 0},
    {"submenu open", true, true, false, true, hkNone, 0},
    {"disabled", false, false, false, false, hkHot, 0},
    {"disabled keyboard-hot", false, false, false, false, hkKeyboardHot, 0},
    {"designing", true, false, false, false, hkNone, ioDesigning},
};

constexpr int kItemViews[] = {vtToolbar, vtToolbar | vtOpaque, vtMenuBar, vtPopupMenu};

TStyledItemPaintInfo ItemIn(int viewType, const TItemState& state, int options = 0, uint8_t buttonPart = cpWhole) {
  TStyledItemPaintInfo info{};
  info.ViewType = viewType;
  info.ItemOptions = state.Options | options | (IsViewType(viewType, vtPopupMenu) ? 0 : ioToolbarStyle);
  info.Enabled = state.Enabled;
  info.Pushed = state.Pushed;
  info.Checked = state.Checked;
  info.IsSubmenuParent = state.SubmenuParent;
  info.HoverKind = state.Hover;
  info.ButtonPart = buttonPart;
  info.ImageColumnWidth = 12;
  return info;
}

// A row per item painter and view, a column per item state.
void AddItemRows(std::vector<TPainterRow>& rows) {
  using TItemPainter = std::function<void(TStyledTheme*, TCanvas*, const RECT&, TStyledItemPaintInfo&)>;
  const struct {
    const char* Name;
    int Options;
    uint8_t ButtonPart;
    TItemPainter Paint;
  } painters[] = {
      {"face", 0, cpWhole, [](auto* t, auto* c, auto& r, auto& i) { t->PaintButtonFace(c, r, i); }},
      {"split main", ioDropDownCombo, cpMainOfCombo,
       [](auto* t, auto* c, auto& r, auto& i) { t->PaintButtonFace(c, r, i); }},
      {"split arrow", ioDropDownCombo, cpComboArrow,
       [](auto* t, auto* c, auto& r, auto& i) { t->PaintButtonFace(c, r, i); }},
      {"item frame", 0, cpWhole, [](auto* t, auto* c, auto& r, auto& i) { t->PaintItemFrame(c, r, i); }},
      {"menu item", ioHasSubmenu | ioDropDownCombo, cpWhole,
       [](auto* t, auto* c, auto& r, auto& i) { t->PaintMenuItem(c, r, i); }},
      {"highlight", 0, cpWhole, [](auto* t, auto* c, auto& r, auto& i) { t->PaintMenuItemHighlight(c, r, i); }},
      {"edit, drop-down", 0, cpWhole,
       [](auto* t, auto* c, auto& r, auto& i) {
         TStyledEditFrameInfo edit{};
         edit.RightWidth = 11;
         edit.RightButton.ButtonType = ebDropDown;
         edit.RightButton.ButtonState =
             (i.Enabled ? 0 : ebsDisabled) | (i.HoverKind ? ebsHot : 0) | (i.Pushed ? ebsPushed : 0);
         t->PaintEditFrame(c, r, i, edit);
       }},
      {"edit, spin", 0, cpWhole,
       [](auto* t, auto* c, auto& r, auto& i) {
         TStyledEditFrameInfo edit{};
         edit.RightWidth = 11;
         edit.RightButton.ButtonType = ebSpin;
         edit.RightButton.ButtonState = (i.Enabled ? 0 : ebsDisabled) | (i.HoverKind ? ebsHot : 0) |
                                        (i.Pushed ? ebsLowerPushed : 0) | (i.Checked ? ebsPushed : 0);
         t->PaintEditFrame(c, r, i, edit);
       }},
      {"arrow", 0, cpWhole, [](auto* t, auto* c, auto& r, auto& i) { t->PaintDropDownArrow(c, r, i); }},
      {"chevron", 0, cpWhole, [](auto* t, auto* c, auto& r, auto& i) { t->PaintChevronGlyph(c, r, i); }},
      {"check", 0, cpWhole, [](auto* t, auto* c, auto& r, auto& i) { t->PaintCheckGlyph(c, r, i); }},
      {"MDI close", 0, cpWhole, [](auto* t, auto* c, auto& r, auto& i) { t->PaintMdiButton(c, r, i, mbClose); }},
      {"caption", 0, cpWhole,
       [](auto* t, auto* c, auto& r, auto& i) {
         t->PaintItemCaption(c, r, i, L"Ab", DT_SINGLELINE | DT_VCENTER, false);
       }},
  };
  for (const auto& painter : painters)
    for (int view : kItemViews) {
      TPainterRow row{std::string(painter.Name) + " in view " + std::to_string(view), {}};
      for (const TItemState& state : kItemStates) {
        const TItemPainter paint = painter.Paint;
        const int options = painter.Options;
        const uint8_t part = painter.ButtonPart;
        row.States.push_back([paint, view, state, options, part](TStyledTheme* t, TCanvas* c, const RECT& r) {
          TStyledItemPaintInfo info = ItemIn(view, state, options, part);
          paint(t, c, r, info);
        });
      }
      rows.push_back(std::move(row));
    }
}

void AddViewRows(std::vector<TPainterRow>& rows) {
  TPainterRow backgrounds{"view backgrounds", {}};
  for (int view : {vtToolbar, vtToolbar | vtOpaque, vtMenuBar, vtToolWindow, vtPopupMenu, vtListPopup, vtChevronPopup,
                   vtToolBoxPopup, vtDock})
    backgrounds.States.push_back([view](TStyledTheme* t, TCanvas* c, const RECT& r) {
      t->PaintViewBackground(c, {}, r, r, t->ViewBackColor(view), false, view);
    });
  rows.push_back(std::move(backgrounds));

  TPainterRow separators{"separators", {}};
  for (int view : {vtToolbar, vtPopupMenu, vtListPopup})
    for (bool horizontal : {true, false})
      for (bool enabled : {true, false})
        separators.States.push_back([view, horizontal, enabled](TStyledTheme* t, TCanvas* c, const RECT& r) {
          TStyledItemPaintInfo info{};
          info.ViewType = view;
          info.Enabled = enabled;
          info.ImageColumnWidth = 12;
          t->PaintSeparator(c, r, info, horizontal, false);
        });
  rows.push_back(std::move(separators));

  TPainterRow scrolls{"scroll buttons", {}};
  for (int kind : {sbUp, sbDown, sbLeft, sbRight, 0})
    for (bool hot : {false, true})
      scrolls.States.push_back(
          [kind, hot](TStyledTheme* t, TCanvas* c, const RECT& r) { t->PaintScrollButton(c, r, kind, hot); });
  rows.push_back(std::move(scrolls));

  TPainterRow controls{"standard controls", {}};
  for (int kind : {scCheckBox, scRadioButton})
    for (int state : {0, scsChecked, scsMixed, scsDisabled | scsChecked, scsHot, scsHot | scsChecked,
                      scsPushed | scsHot, scsPushed | scsHot | scsChecked})
      controls.States.push_back([kind, state](TStyledTheme* t, TCanvas* c, const RECT& r) {
        t->PaintStandardControl(c, {r.left, r.top, r.left + 13, r.top + 13}, kind, state);
      });
  rows.push_back(std::move(controls));

  TPainterRow status{"status bar", {}};
  for (int part : {spBackground, spPane, spLastPane, spSizeGrip})
    status.States.push_back([part](TStyledTheme* t, TCanvas* c, const RECT& r) { t->PaintStatusBarPart(c, r, part); });
  status.States.push_back([](TStyledTheme* t, TCanvas* c, const RECT& r) {
    TStyledPopupPaintInfo popup{};
    popup.ViewType = vtPopupMenu;
    popup.ParentRect = {r.left + 4, r.top - 10, r.left + 20, r.top + 1};
    t->PaintPopupFrame(c, r, popup);
  });
  rows.push_back(std::move(status));
}

// Frames of windows: wider cells.
void AddFrameRows(std::vector<TPainterRow>& rows) {
  for (int view : {vtToolbar, vtMenuBar, vtToolWindow, vtToolbar | vtOpaque}) {
    TPainterRow toolbars{"toolbar frames of view " + std::to_string(view), {}};
    for (bool vertical : {false, true})
      for (int close : {0, cbsShown, cbsShown | cbsHot, cbsShown | cbsPushed})
        toolbars.States.push_back([view, vertical, close](TStyledTheme* t, TCanvas* c, const RECT& r) {
          TStyledToolbarPaintInfo toolbar{};
          toolbar.ViewType = view;
          toolbar.IsVertical = vertical;
          toolbar.AllowDrag = true;
          toolbar.BorderStyle = 1;
          toolbar.DragHandleStyle = close == cbsShown ? dhSingle : dhDouble;
          toolbar.CloseButtonState = close;
          toolbar.BorderSize = {2, 2};
          // A frame is painted in its window's coordinates.
          HDC dc = c->Handle();
          POINT origin{};
          SetViewportOrgEx(dc, r.left, r.top, &origin);
          t->PaintToolbarFrame(c, {0, 0, vertical ? 26 : r.right - r.left, r.bottom - r.top}, toolbar);
          SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        });
    rows.push_back(std::move(toolbars));
  }

  TPainterRow captions{"docked captions", {}};
  for (bool horizontal : {true, false})
    for (int close : {0, cbsShown, cbsShown | cbsHot, cbsShown | cbsPushed})
      captions.States.push_back([horizontal, close](TStyledTheme* t, TCanvas* c, const RECT& r) {
        TStyledDockedCaptionInfo caption{};
        caption.ViewType = vtToolWindow;
        caption.HorizontalCaption = horizontal;
        caption.BorderSize = {2, 2};
        caption.ShowCaption = true;
        caption.CloseButtonState = close;
        caption.Caption = L"Docked";
        c->Brush()->SetColor(t->ViewBackColor(vtToolWindow));
        t->PaintDockedCaption(c, r, caption);
      });
  rows.push_back(std::move(captions));

  for (int view : {vtToolbar | vtFloating, vtToolWindow | vtFloating, vtDock | vtFloating}) {
    TPainterRow floating{"floating frames of view " + std::to_string(view), {}};
    for (bool active : {true, false})
      for (int close : {cbsShown, cbsShown | cbsHot, cbsShown | cbsPushed})
        floating.States.push_back([view, active, close](TStyledTheme* t, TCanvas* c, const RECT& r) {
          TStyledWindowPaintInfo window{};
          window.ViewType = view;
          window.ClientWidth = r.right - r.left - 6;
          window.ClientHeight = r.bottom - r.top - 6;
          window.ShowCaption = true;
          window.FloatingBorderSize = {3, 3};
          window.CloseButtonState = close;
          window.RedrawPart = rpBorder | rpCaption | rpCloseButton;
          window.Caption = L"Floating";
          window.Active = active;
          c->Brush()->SetColor(t->ViewBackColor(view));
          // A frame is painted in its window's coordinates.
          HDC dc = c->Handle();
          POINT origin{};
          SetViewportOrgEx(dc, r.left, r.top, &origin);
          t->PaintFloatingFrame(c, {0, 0, r.right - r.left, r.bottom - r.top}, window);
          SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        });
    rows.push_back(std::move(floating));
  }
}

const std::vector<TPainterRow>& SmallRows() {
  static const std::vector<TPainterRow> rows = [] {
    std::vector<TPainterRow> all;
    AddItemRows(all);
    AddViewRows(all);
    return all;
  }();
  return rows;
}

const std::vector<TPainterRow>& FrameRows() {
  static const std::vector<TPainterRow> rows = [] {
    std::vector<TPainterRow> all;
    AddFrameRows(all);
    return all;
  }();
  return rows;
}

constexpr int kCell = 44;
constexpr int kCellHeight = 28;
constexpr int kFrameCell = 120;
constexpr int kFrameCellHeight = 44;

size_t Widest(const std::vector<TPainterRow>& rows) {
  size_t widest = 0;
  for (const TPainterRow& row : rows) widest = std::max(widest, row.States.size());
  return widest;
}

// Paints every row into a sheet; each row must change some pixel.
void PaintSheet(TStyledTheme* theme, const std::vector<TPainterRow>& rows, int cellWidth, int cellHeight,
                const std::wstring& name) {
  const int columns = static_cast<int>(Widest(rows));
  const int width = columns * cellWidth;
  const int height = static_cast<int>(rows.size()) * cellHeight;
  TThemeSurface sheet(width, height);
  for (size_t r = 0; r < rows.size(); ++r) {
    SCOPED_TRACE(rows[r].Name);
    const int top = static_cast<int>(r) * cellHeight;
    const RECT band{0, top, width, top + cellHeight};
    const int untouched = sheet.Capture().CountPixels(kPaper, &band);
    for (size_t column = 0; column < rows[r].States.size(); ++column) {
      const int left = static_cast<int>(column) * cellWidth;
      const RECT cell{left + 3, top + 3, left + cellWidth - 3, top + cellHeight - 3};
      const int saved = SaveDC(sheet.Canvas()->Handle());
      IntersectClipRect(sheet.Canvas()->Handle(), left, top, left + cellWidth, top + cellHeight);
      rows[r].States[column](theme, sheet.Canvas(), cell);
      RestoreDC(sheet.Canvas()->Handle(), saved);
      sheet.Canvas()->Refresh();
    }
    EXPECT_LT(sheet.Capture().CountPixels(kPaper, &band), untouched);
  }
  // For the eye: twice the size, on a mid grey where nothing was painted. Made pixel by pixel, this took nearly all
  // of the test's time, so it is made only when it is kept.
  if (!CapturesAreKeptForViewing()) return;
  TWindowCapture view(2 * width, 2 * height);
  StretchBlt(view.DC(), 0, 0, 2 * width, 2 * height, sheet.Capture().DC(), 0, 0, width, height, SRCCOPY);
  for (int y = 0; y < view.Height(); ++y)
    for (int x = 0; x < view.Width(); ++x)
      if (view.Pixel(x, y) == kPaper) view.SetPixel(x, y, RGB(96, 128, 96));
  KeepCaptureForViewing(view, name);
}

class ThemeStateSheet : public ThemeTest, public testing::WithParamInterface<const wchar_t*> {};

}  // namespace

TEST_P(ThemeStateSheet, EveryPainterInEveryStateWithoutKeepingGdiObjects) {
  TStyledTheme* theme = Theme<TStyledTheme>(GetParam());
  const std::wstring name = std::wstring(L"states_") + GetParam();
  // The first round makes what the theme and the framework keep for good (fonts, pattern bitmaps).
  PaintSheet(theme, SmallRows(), kCell, kCellHeight, name);
  PaintSheet(theme, FrameRows(), kFrameCell, kFrameCellHeight, name + L"_frames");
  const int before = GdiRoom();
  PaintSheet(theme, SmallRows(), kCell, kCellHeight, name);
  PaintSheet(theme, FrameRows(), kFrameCell, kFrameCellHeight, name + L"_frames");
  EXPECT_EQ(GdiRoom(), before);
}

INSTANTIATE_TEST_SUITE_P(Themes, ThemeStateSheet,
                         testing::Values(L"Default", L"Pastel", L"Adaptive", L"Emboss", L"Gloss", L"Relief", L"Crystal",
                                         L"Ridge"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           return std::string(info.param, info.param + wcslen(info.param));
                         });

TEST_P(ThemeStateSheet, DegenerateRectanglesPaintWithoutFailing) {
  TStyledTheme* theme = Theme<TStyledTheme>(GetParam());
  const bool themeOfTheSet = theme->InheritsFrom(themes::TStyledTableTheme::StaticClass());
  const struct {
    const char* Name;
    RECT Rect;
  } rects[] = {
      {"empty", {20, 20, 20, 20}},     {"one row", {2, 20, 60, 21}},
      {"one column", {20, 2, 21, 60}}, {"two rows", {2, 20, 60, 22}},
      {"three rows", {2, 20, 60, 23}}, {"one pixel", {20, 20, 21, 21}},
      {"inverted", {60, 60, 2, 2}},    {"inverted rows", {2, 40, 60, 30}},
      {"at the origin", {0, 0, 0, 0}}, {"larger than the window", {-3000, -3000, 3000, 3000}},
  };
  TThemeSurface surface(80, 80);
  std::vector<TPainterRow> rows = SmallRows();
  rows.insert(rows.end(), FrameRows().begin(), FrameRows().end());
  int before = 0;
  for (int round = 0; round < 2; ++round) {
    if (round == 1) before = GdiRoom();
    for (const auto& rect : rects) {
      SCOPED_TRACE(rect.Name);
      for (const TPainterRow& row : rows)
        for (const TPainter& paint : row.States) {
          paint(theme, surface.Canvas(), rect.Rect);
          // The themes of this set hand the canvas back with a solid brush.
          if (themeOfTheSet) {
            ASSERT_EQ(surface.Canvas()->Brush()->Style(), TBrushStyle::bsSolid) << row.Name;
          }
        }
    }
  }
  EXPECT_EQ(GdiRoom(), before);
}

TEST(ThemeGradients, ShortEmptyAndInvertedRectanglesPaintCleanly) {
  const struct {
    const char* Name;
    RECT Rect;
    bool Painted;
  } rects[] = {{"one row", {0, 5, 10, 6}, true},    {"two rows", {0, 5, 10, 7}, true},
               {"three rows", {0, 5, 10, 8}, true}, {"empty", {0, 5, 10, 5}, false},
               {"inverted", {10, 9, 0, 0}, false},  {"one column", {5, 0, 6, 10}, true}};
  const struct {
    const char* Name;
    std::function<void(TCanvas*, const RECT&)> Paint;
  } gradients[] = {
      {"band down",
       [](TCanvas* c, const RECT& r) { themes::GlassBand(c, r, RGB(10, 10, 10), RGB(250, 250, 250), true); }},
      {"band across",
       [](TCanvas* c, const RECT& r) { themes::GlassBand(c, r, RGB(10, 10, 10), RGB(250, 250, 250), false); }},
      {"three bands", [](TCanvas* c, const RECT& r) { themes::ButtonGradient(c, r); }},
      {"linear",
       [](TCanvas* c, const RECT& r) { themes::GradientFill(c, r, RGB(10, 10, 10), RGB(250, 250, 250), false); }},
  };
  for (const auto& rect : rects)
    for (const auto& gradient : gradients) {
      SCOPED_TRACE(std::string(gradient.Name) + ", " + rect.Name);
      TThemeSurface surface(12, 12);
      gradient.Paint(surface.Canvas(), rect.Rect);
      const int outside = surface.Capture().CountPixels(kPaper);
      const RECT& r = rect.Rect;
      const int area = rect.Painted ? (r.right - r.left) * (r.bottom - r.top) : 0;
      EXPECT_EQ(outside, 144 - area);
    }
  // One line deep, a band is its far colour.
  TThemeSurface line(12, 12);
  themes::GlassBand(line.Canvas(), {0, 5, 10, 6}, RGB(10, 10, 10), RGB(250, 250, 250), true);
  EXPECT_EQ(line.Pixel(5, 5), RGB(10, 10, 10));
}

TEST(ThemeGradients, LinesOutsideTheClipAreLeftAlone) {
  TThemeSurface surface(20, 20);
  HDC dc = surface.Canvas()->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, 0, 20, 10);
  themes::GlassBand(surface.Canvas(), {-100000, -100000, 100000, 100000}, RGB(10, 10, 10), RGB(250, 250, 250), true);
  themes::ButtonGradient(surface.Canvas(), {-100000, 10, 100000, 100000});
  RestoreDC(dc, saved);
  // The band's middle rows, where the clip is; nothing below it.
  EXPECT_EQ(surface.Capture().CountPixels(kPaper), 20 * 10);
  EXPECT_EQ(surface.Pixel(5, 5), surface.Pixel(15, 5));
}

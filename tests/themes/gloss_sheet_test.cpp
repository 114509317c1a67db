// Every Gloss painter in each of its states on one sheet, kept as a picture for a person to look at: each cell must
// paint (or, where the state shows nothing, stay blank) and stay inside its cell. And a sweep of every painter over
// empty, inverted, one-pixel and huge rectangles: each returns, leaves the device context's state and the count of
// GDI objects as they were, and paints nothing for a rectangle with no inside.
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "theme_fixture.h"
#include "themes/styled_gloss_theme.h"

using namespace toolbars;

namespace {

constexpr int kCell = 48;

TStyledItemPaintInfo Info(int viewType, int options, bool enabled, bool pushed, bool checked, uint8_t hover) {
  TStyledItemPaintInfo info{};
  info.ViewType = viewType;
  info.ItemOptions = options;
  info.Enabled = enabled;
  info.Pushed = pushed;
  info.Checked = checked;
  info.HoverKind = hover;
  info.ImageColumnWidth = 16;
  return info;
}

// The item states of the sheet's columns.
struct TItemState {
  const char* Name;
  bool Enabled, Pushed, Checked;
  uint8_t Hover;
  bool SubmenuParent;
};
const TItemState kStates[] = {
    {"normal", true, false, false, hkNone, false},
    {"hot", true, false, false, hkHot, false},
    {"pushed", true, true, false, hkHot, false},
    {"checked", true, false, true, hkNone, false},
    {"checked, hot", true, false, true, hkHot, false},
    {"disabled", false, false, false, hkNone, false},
    {"disabled, keyboard", false, false, false, hkKeyboardHot, false},
    {"submenu open", true, true, false, hkHot, true},
};

// An item painter given the item record of a state and the cell's rectangle.
using TItemPainter =
    std::function<void(TStyledTheme* theme, TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo info)>;

struct TItemRow {
  const char* Name;
  int ViewType, Options;
  uint8_t ButtonPart;
  bool Vertical;
  RECT Inside;  // the painter's rectangle within the cell
  TItemPainter Paint;
  // States in which the painter shows nothing.
  std::vector<const char*> Blank;
};

const std::vector<TItemRow>& ItemRows() {
  static const RECT face{12, 12, 36, 34};
  static const std::vector<TItemRow> rows{
      {"toolbar face",
       vtToolbar,
       ioToolbarStyle,
       cpWhole,
       false,
       face,
       [](auto* t, auto* c, auto& r, auto i) { t->PaintButtonFace(c, r, i); },
       {"normal", "disabled"}},
      {"vertical toolbar face",
       vtToolbar,
       ioToolbarStyle,
       cpWhole,
       true,
       face,
       [](auto* t, auto* c, auto& r, auto i) { t->PaintButtonFace(c, r, i); },
       {"normal", "disabled"}},
      {"opaque toolbar face",
       vtToolbar | vtOpaque,
       ioToolbarStyle,
       cpWhole,
       false,
       face,
       [](auto* t, auto* c, auto& r, auto i) { t->PaintButtonFace(c, r, i); },
       {}},
      {"floating toolbar face",
       vtToolbar | vtFloating,
       ioToolbarStyle,
       cpWhole,
       false,
       face,
       [](auto* t, auto* c, auto& r, auto i) { t->PaintButtonFace(c, r, i); },
       {"normal", "disabled"}},
      {"menu-bar face",
       vtMenuBar,
       ioToolbarStyle,
       cpWhole,
       false,
       face,
       [](auto* t, auto* c, auto& r, auto i) { t->PaintButtonFace(c, r, i); },
       {"normal", "disabled"}},
      {"split arrow part",
       vtToolbar,
       ioToolbarStyle,
       cpComboArrow,
       false,
       {24, 12, 36, 34},
       [](auto* t, auto* c, auto& r, auto i) { t->PaintButtonFace(c, r, i); },
       {}},
      {"face with image",
       vtToolbar,
       ioToolbarStyle,
       cpWhole,
       false,
       face,
       [](auto* t, auto* c, auto& r, auto i) {
         t->PaintButtonFace(c, r, i);
         static TImageList* images = [] {
           auto* list = new TImageList();
           list->SetWidth(16);
           list->SetHeight(16);
           TBitmap picture;
           picture.SetPixelFormat(TPixelFormat::pf24bit);
           picture.SetSize(16, 16);
           picture.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(200, 40, 40)));
           picture.Canvas()->FillRect({0, 0, 16, 16});
           picture.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(20, 20, 120)));
           picture.Canvas()->FillRect({4, 4, 12, 12});
           list->AddMasked(&picture, clNone);
           return list;
         }();
         i.HasImage = true;
         i.ImageWidth = 16;
         i.ImageHeight = 16;
         t->PaintItemImage(c, {r.left + 4, r.top + 3, r.left + 20, r.top + 19}, i, images, 0);
       },
       {}},
      {"edit frame with spin",
       vtToolbar,
       0,
       cpWhole,
       false,
       {4, 14, 44, 32},
       [](auto* t, auto* c, auto& r, auto i) {
         TStyledEditFrameInfo edit{};
         edit.RightWidth = 12;
         edit.RightButton.ButtonType = ebSpin;
         edit.RightButton.ButtonState =
             (i.HoverKind ? ebsHot : 0) | (i.Pushed ? ebsLowerPushed : 0) | (i.Enabled ? 0 : ebsDisabled);
         t->PaintEditFrame(c, r, i, edit);
       },
       {}},
      {"edit frame with drop-down",
       vtToolbar,
       0,
       cpWhole,
       false,
       {4, 14, 44, 32},
       [](auto* t, auto* c, auto& r, auto i) {
         TStyledEditFrameInfo edit{};
         edit.RightWidth = 12;
         edit.RightButton.ButtonType = ebDropDown;
         edit.RightButton.ButtonState = (i.Pushed ? ebsPushed : 0) | (i.Enabled ? 0 : ebsDisabled);
         t->PaintEditFrame(c, r, i, edit);
       },
       {}},
      {"pop-up menu item",
       vtPopupMenu,
       ioHasSubmenu | ioDropDownCombo,
       cpWhole,
       false,
       {2, 14, 46, 34},
       [](auto* t, auto* c, auto& r, auto i) {
         t->PaintMenuItem(c, r, i);
         t->PaintItemCaption(c, {r.left + 18, r.top, r.right - 12, r.bottom}, i, L"Go", DT_SINGLELINE | DT_VCENTER,
                             false);
       },
       {}},
      {"check mark",
       vtPopupMenu,
       0,
       cpWhole,
       false,
       {16, 16, 32, 32},
       [](auto* t, auto* c, auto& r, auto i) { t->PaintCheckGlyph(c, r, i); },
       {}},
      {"chevron",
       vtToolbar,
       ioToolbarStyle,
       cpWhole,
       false,
       {20, 0, 32, 24},
       [](auto* t, auto* c, auto& r, auto i) { t->PaintChevronGlyph(c, r, i); },
       {}},
      {"vertical chevron",
       vtToolbar,
       ioToolbarStyle,
       cpWhole,
       true,
       {12, 16, 36, 28},
       [](auto* t, auto* c, auto& r, auto i) { t->PaintChevronGlyph(c, r, i); },
       {}},
      {"close button",
       vtMenuBar,
       ioToolbarStyle,
       cpWhole,
       false,
       face,
       [](auto* t, auto* c, auto& r, auto i) { t->PaintMdiButton(c, r, i, mbClose); },
       {}},
      {"drop-down arrows",
       vtToolbar,
       ioToolbarStyle,
       cpWhole,
       false,
       face,
       [](auto* t, auto* c, auto& r, auto i) { t->PaintDropDownArrow(c, r, i); },
       {}},
      {"vertical separator",
       vtToolbar,
       0,
       cpWhole,
       false,
       {20, 6, 28, 42},
       [](auto* t, auto* c, auto& r, auto i) { t->PaintSeparator(c, r, i, false, false); },
       {"disabled", "disabled, keyboard"}},
      {"horizontal separator",
       vtPopupMenu,
       0,
       cpWhole,
       false,
       {4, 20, 44, 28},
       [](auto* t, auto* c, auto& r, auto i) { t->PaintSeparator(c, r, i, true, false); },
       {}},
  };
  return rows;
}

// A frame-level painter in one of its variants.
struct TFramePart {
  const char* Name;
  RECT Inside;
  std::function<void(TStyledTheme* theme, TCanvas* canvas, const RECT& rect)> Paint;
};

TStyledToolbarPaintInfo Toolbar(int viewType, bool vertical, int style, int closeState) {
  TStyledToolbarPaintInfo info{};
  info.ViewType = viewType;
  info.IsVertical = vertical;
  info.AllowDrag = true;
  info.DragHandleStyle = style;
  info.CloseButtonState = closeState;
  info.BorderSize = {2, 2};
  return info;
}

TStyledWindowPaintInfo Window(int viewType, bool active, int closeState) {
  TStyledWindowPaintInfo info{};
  info.ViewType = viewType;
  info.ClientWidth = 3 * kCell - 6;
  info.ClientHeight = 2 * kCell - 6;
  info.ShowCaption = true;
  info.FloatingBorderSize = {3, 3};
  info.CloseButtonState = closeState;
  info.RedrawPart = rpBorder | rpCaption | rpCloseButton;
  info.Caption = L"Floating";
  info.Active = active;
  return info;
}

TStyledDockedCaptionInfo Docked(bool horizontal, int closeState) {
  TStyledDockedCaptionInfo info{};
  info.ViewType = vtToolWindow;
  info.HorizontalCaption = horizontal;
  info.BorderSize = {2, 2};
  info.ShowCaption = true;
  info.CloseButtonState = closeState;
  info.Caption = L"Docked window";
  return info;
}

// Frames are three cells wide and two high.
const std::vector<TFramePart>& FrameParts() {
  static const RECT wide{2, 24, 3 * kCell - 2, 60};
  static const RECT tall{40, 2, 72, 2 * kCell - 2};
  static const RECT window{0, 0, 3 * kCell, 2 * kCell};
  static const std::vector<TFramePart> parts{
      {"docked toolbar", wide,
       [](auto* t, auto* c, auto& r) { t->PaintToolbarFrame(c, r, Toolbar(vtToolbar, false, dhDouble, 0)); }},
      {"docked toolbar with close button", wide,
       [](auto* t, auto* c, auto& r) {
         t->PaintToolbarFrame(c, r, Toolbar(vtToolbar, false, dhSingle, cbsShown | cbsHot));
       }},
      {"vertical toolbar with close button", tall,
       [](auto* t, auto* c, auto& r) {
         t->PaintToolbarFrame(c, r, Toolbar(vtToolbar, true, dhDouble, cbsShown | cbsPushed));
       }},
      {"menu bar", wide,
       [](auto* t, auto* c, auto& r) { t->PaintToolbarFrame(c, r, Toolbar(vtMenuBar, false, dhNone, 0)); }},
      {"docked caption, hot close",
       {2, 2, 3 * kCell - 2, 2 * kCell - 2},
       [](auto* t, auto* c, auto& r) { t->PaintDockedCaption(c, r, Docked(true, cbsShown | cbsHot)); }},
      {"docked side caption, pushed close",
       {2, 2, 3 * kCell - 2, 2 * kCell - 2},
       [](auto* t, auto* c, auto& r) { t->PaintDockedCaption(c, r, Docked(false, cbsShown | cbsPushed)); }},
      {"floating toolbar, active", window,
       [](auto* t, auto* c, auto& r) {
         t->PaintFloatingFrame(c, r, Window(vtToolbar | vtFloating, true, cbsShown | cbsHot));
       }},
      {"floating toolbar, inactive", window,
       [](auto* t, auto* c, auto& r) { t->PaintFloatingFrame(c, r, Window(vtToolbar | vtFloating, false, cbsShown)); }},
      {"floating dock, pushed close", window,
       [](auto* t, auto* c, auto& r) {
         t->PaintFloatingFrame(c, r, Window(vtDock | vtFloating, true, cbsShown | cbsPushed));
       }},
      {"pop-up opened from above",
       {4, 4, 3 * kCell - 4, 2 * kCell - 4},
       [](auto* t, auto* c, auto& r) {
         TStyledPopupPaintInfo popup{};
         popup.ViewType = vtPopupMenu;
         popup.ParentRect = {r.left + 10, r.top - 20, r.left + 60, r.top + 1};
         t->PaintPopupFrame(c, r, popup);
         TStyledItemPaintInfo item = Info(vtPopupMenu, 0, true, false, false, hkHot);
         t->PaintMenuItem(c, {r.left + 2, r.top + 6, r.right - 2, r.top + 26}, item);
         t->PaintItemCaption(c, {r.left + 24, r.top + 6, r.right - 2, r.top + 26}, item, L"Open",
                             DT_SINGLELINE | DT_VCENTER, false);
         t->PaintSeparator(c, {r.left + 2, r.top + 28, r.right - 2, r.top + 34},
                           Info(vtPopupMenu, 0, true, false, false, 0), true, false);
       }},
      {"scroll buttons",
       {4, 4, 3 * kCell - 4, 2 * kCell - 4},
       [](auto* t, auto* c, auto& r) {
         const int kinds[] = {sbUp, sbDown, sbLeft, sbRight};
         for (int i = 0; i < 4; ++i) {
           const RECT button{r.left + i * 32, r.top + 4, r.left + i * 32 + 28, r.top + 20};
           t->PaintScrollButton(c, button, kinds[i], i % 2 == 0);
         }
       }},
      {"standard controls",
       {4, 4, 3 * kCell - 4, 2 * kCell - 4},
       [](auto* t, auto* c, auto& r) {
         const int states[] = {
             0, scsChecked, scsChecked | scsHot, scsHot | scsPushed, scsMixed, scsChecked | scsDisabled};
         for (int i = 0; i < 6; ++i) {
           t->PaintStandardControl(c, {r.left + i * 20, r.top + 4, r.left + i * 20 + 13, r.top + 17}, scCheckBox,
                                   states[i]);
           t->PaintStandardControl(c, {r.left + i * 20, r.top + 24, r.left + i * 20 + 13, r.top + 37}, scRadioButton,
                                   states[i]);
         }
       }},
      {"status bar",
       {4, 4, 3 * kCell - 4, 2 * kCell - 4},
       [](auto* t, auto* c, auto& r) {
         t->PaintStatusBarPart(c, r, spBackground);
         t->PaintStatusBarPart(c, {r.left, r.top, r.left + 60, r.bottom}, spPane);
         t->PaintStatusBarPart(c, {r.left + 60, r.top, r.right - 20, r.bottom}, spLastPane);
         t->PaintStatusBarPart(c, {r.right - 16, r.bottom - 16, r.right, r.bottom}, spSizeGrip);
       }},
  };
  return parts;
}

// Pixels of the capture outside rect that are not the paper colour.
int PaintedOutside(const TThemeSurface& surface, const RECT& rect) {
  int painted = 0;
  for (int y = 0; y < surface.Capture().Height(); ++y)
    for (int x = 0; x < surface.Capture().Width(); ++x) {
      const POINT p{x, y};
      painted += !PtInRect(&rect, p) && surface.Pixel(x, y) != kPaper;
    }
  return painted;
}

// The parts of a device context's state that its canvas does not manage, which a painter must leave as it found
// them.
struct TDCState {
  int Rop, Stretch, MapMode;
  HGDIOBJ Bitmap;
  RECT Clip;
  POINT Origin;
  bool operator==(const TDCState& other) const {
    return Rop == other.Rop && Stretch == other.Stretch && MapMode == other.MapMode && Bitmap == other.Bitmap &&
           EqualRect(&Clip, &other.Clip) && Origin.x == other.Origin.x && Origin.y == other.Origin.y;
  }
};

TDCState StateOf(HDC dc) {
  TDCState state{GetROP2(dc), GetStretchBltMode(dc), GetMapMode(dc), GetCurrentObject(dc, OBJ_BITMAP), {}, {}};
  GetClipBox(dc, &state.Clip);
  GetViewportOrgEx(dc, &state.Origin);
  return state;
}

class GlossSheetTest : public ThemeTest {
 protected:
  TStyledTheme* Gloss() { return Theme<TStyledTheme>(L"Gloss"); }
};

}  // namespace

TEST_F(GlossSheetTest, EveryPainterInEveryStateOnOneSheet) {
  TStyledTheme* theme = Gloss();
  const int columns = static_cast<int>(std::size(kStates));
  const int itemRows = static_cast<int>(ItemRows().size());
  const int frameRows = static_cast<int>((FrameParts().size() + 2) / 3) * 2;
  TThemeSurface sheet(columns * kCell, (itemRows + frameRows) * kCell);
  sheet.Canvas()->Brush()->SetColor(clBtnFace);
  sheet.Canvas()->FillRect({0, 0, columns * kCell, (itemRows + frameRows) * kCell});
  // Each cell goes onto the sheet with what it left unpainted in the face colour, for a person to look at.
  const auto place = [&](const TThemeSurface& cell, int x, int y) {
    for (int cy = 0; cy < cell.Capture().Height(); ++cy)
      for (int cx = 0; cx < cell.Capture().Width(); ++cx)
        if (cell.Pixel(cx, cy) != kPaper) SetPixelV(sheet.Capture().DC(), x + cx, y + cy, cell.Pixel(cx, cy));
  };
  for (int row = 0; row < itemRows; ++row) {
    const TItemRow& item = ItemRows()[static_cast<size_t>(row)];
    for (int column = 0; column < columns; ++column) {
      const TItemState& state = kStates[column];
      SCOPED_TRACE(testing::Message() << item.Name << ", " << state.Name);
      TStyledItemPaintInfo info =
          Info(item.ViewType, item.Options, state.Enabled, state.Pushed, state.Checked, state.Hover);
      info.IsSubmenuParent = state.SubmenuParent;
      info.ButtonPart = item.ButtonPart;
      info.Vertical = item.Vertical;
      TThemeSurface cell(kCell, kCell);
      cell.Canvas()->Font()->SetName(L"Tahoma");
      cell.Canvas()->Font()->SetSize(8);
      item.Paint(theme, cell.Canvas(), item.Inside, info);
      bool blank = false;
      for (const char* name : item.Blank) blank = blank || std::string(name) == state.Name;
      const int painted = kCell * kCell - cell.Capture().CountPixels(kPaper);
      if (blank) {
        EXPECT_EQ(painted, 0);
      } else {
        EXPECT_GT(painted, 0);
      }
      // Nothing beyond the painter's rectangle but the split arrow part's one column to the left and the toolbar
      // image's one pixel up and left.
      RECT allowed = item.Inside;
      InflateRect(&allowed, 1, 1);
      EXPECT_EQ(PaintedOutside(cell, allowed), 0);
      place(cell, column * kCell, row * kCell);
    }
  }
  for (size_t i = 0; i < FrameParts().size(); ++i) {
    const TFramePart& part = FrameParts()[i];
    SCOPED_TRACE(part.Name);
    TThemeSurface cell(3 * kCell, 2 * kCell);
    cell.Canvas()->Font()->SetName(L"Tahoma");
    cell.Canvas()->Font()->SetSize(8);
    cell.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(120, 120, 160)));
    part.Paint(theme, cell.Canvas(), part.Inside);
    EXPECT_GT(3 * kCell * 2 * kCell - cell.Capture().CountPixels(kPaper), 0);
    RECT allowed = part.Inside;
    // A toolbar's stripes start one row above it, a pop-up's opening runs along its edge.
    InflateRect(&allowed, 1, 1);
    EXPECT_EQ(PaintedOutside(cell, allowed), 0);
    place(cell, static_cast<int>(i % 3) * 3 * kCell, (itemRows + static_cast<int>(i / 3) * 2) * kCell);
  }
  KeepCaptureForViewing(sheet.Capture(), L"gloss_sheet");
}

TEST_F(GlossSheetTest, EveryPainterReturnsCleanlyOnDegenerateRectangles) {
  TStyledTheme* theme = Gloss();
  TImageList images;
  images.SetWidth(16);
  images.SetHeight(16);
  const struct {
    const char* Name;
    RECT Rect;
    bool Hollow;  // nothing inside: nothing may be painted
  } rects[] = {
      {"empty", {20, 20, 20, 20}, true},
      {"inverted", {40, 40, 10, 10}, true},
      {"inverted across", {40, 10, 10, 40}, true},
      {"one pixel", {20, 20, 21, 21}, false},
      {"one row", {5, 20, 60, 21}, false},
      {"one column", {20, 5, 21, 60}, false},
      {"two pixels", {20, 20, 22, 22}, false},
      {"negative", {-30, -30, -20, -20}, false},
      {"far larger than the canvas", {-(1 << 17), -(1 << 17), 1 << 17, 1 << 17}, false},
  };
  using TPainter = std::function<void(const RECT& r, TStyledItemPaintInfo& info, TCanvas* c)>;
  const std::vector<std::pair<const char*, TPainter>> painters{
      {"view background",
       [&](auto& r, auto&, auto* c) { theme->PaintViewBackground(c, r, r, r, theme->ViewBackColor(0), false, 0); }},
      {"button face", [&](auto& r, auto& i, auto* c) { theme->PaintButtonFace(c, r, i); }},
      {"caption",
       [&](auto& r, auto& i, auto* c) { theme->PaintItemCaption(c, r, i, L"Caption", DT_SINGLELINE, false); }},
      {"rotated caption",
       [&](auto& r, auto& i, auto* c) { theme->PaintItemCaption(c, r, i, L"Caption", DT_SINGLELINE, true); }},
      {"check glyph", [&](auto& r, auto& i, auto* c) { theme->PaintCheckGlyph(c, r, i); }},
      {"chevron", [&](auto& r, auto& i, auto* c) { theme->PaintChevronGlyph(c, r, i); }},
      {"edit frame",
       [&](auto& r, auto& i, auto* c) {
         TStyledEditFrameInfo edit{};
         edit.RightWidth = 12;
         edit.RightButton.ButtonType = ebSpin;
         edit.RightButton.ButtonState = ebsHot | ebsLowerPushed;
         theme->PaintEditFrame(c, r, i, edit);
       }},
      {"edit button",
       [&](auto& r, auto& i, auto* c) {
         theme->PaintEditButton(c, r, i, {ebDropDown, ebsPushed});
       }},
      {"docked caption",
       [&](auto& r, auto&, auto* c) { theme->PaintDockedCaption(c, r, Docked(false, cbsShown | cbsHot)); }},
      {"docked top caption", [&](auto& r, auto&, auto* c) { theme->PaintDockedCaption(c, r, Docked(true, cbsShown)); }},
      {"drop-down arrow", [&](auto& r, auto& i, auto* c) { theme->PaintDropDownArrow(c, r, i); }},
      {"floating frame",
       [&](auto& r, auto&, auto* c) {
         TStyledWindowPaintInfo window = Window(vtToolbar | vtFloating, true, cbsShown);
         window.ClientWidth = r.right - r.left - 6;
         window.ClientHeight = r.bottom - r.top - 6;
         theme->PaintFloatingFrame(c, r, window);
       }},
      {"item frame", [&](auto& r, auto& i, auto* c) { theme->PaintItemFrame(c, r, i); }},
      {"item image", [&](auto& r, auto& i, auto* c) { theme->PaintItemImage(c, r, i, &images, 0); }},
      {"MDI button", [&](auto& r, auto& i, auto* c) { theme->PaintMdiButton(c, r, i, mbRestore); }},
      {"menu item", [&](auto& r, auto& i, auto* c) { theme->PaintMenuItem(c, r, i); }},
      {"menu item highlight", [&](auto& r, auto& i, auto* c) { theme->PaintMenuItemHighlight(c, r, i); }},
      {"scroll button", [&](auto& r, auto&, auto* c) { theme->PaintScrollButton(c, r, sbLeft, true); }},
      {"pop-up frame",
       [&](auto& r, auto&, auto* c) {
         TStyledPopupPaintInfo popup{};
         popup.ViewType = vtPopupMenu;
         popup.ParentRect = {r.left, r.top - 10, r.right, r.top + 1};
         theme->PaintPopupFrame(c, r, popup);
       }},
      {"separator", [&](auto& r, auto& i, auto* c) { theme->PaintSeparator(c, r, i, true, false); }},
      {"vertical separator", [&](auto& r, auto& i, auto* c) { theme->PaintSeparator(c, r, i, false, false); }},
      {"toolbar frame",
       [&](auto& r, auto&, auto* c) { theme->PaintToolbarFrame(c, r, Toolbar(vtToolbar, false, dhDouble, cbsShown)); }},
      {"vertical toolbar frame",
       [&](auto& r, auto&, auto* c) { theme->PaintToolbarFrame(c, r, Toolbar(vtMenuBar, true, dhSingle, cbsShown)); }},
      {"check box",
       [&](auto& r, auto&, auto* c) { theme->PaintStandardControl(c, r, scCheckBox, scsChecked | scsHot); }},
      {"radio button",
       [&](auto& r, auto&, auto* c) {
         theme->PaintStandardControl(c, r, scRadioButton, scsChecked | scsHot | scsPushed);
       }},
      {"status background", [&](auto& r, auto&, auto* c) { theme->PaintStatusBarPart(c, r, spBackground); }},
      {"status pane", [&](auto& r, auto&, auto* c) { theme->PaintStatusBarPart(c, r, spPane); }},
      {"size grip", [&](auto& r, auto&, auto* c) { theme->PaintStatusBarPart(c, r, spSizeGrip); }},
  };
  const TStyledItemPaintInfo items[] = {Info(vtToolbar, ioToolbarStyle, true, true, false, hkHot),
                                        Info(vtPopupMenu, ioHasSubmenu | ioDropDownCombo, true, false, true, hkHot),
                                        Info(vtMenuBar, ioToolbarStyle, false, false, false, hkKeyboardHot)};
  for (const auto& [name, paint] : painters) {
    for (const auto& rect : rects) {
      for (const TStyledItemPaintInfo& item : items) {
        SCOPED_TRACE(testing::Message() << name << ", " << rect.Name << ", view " << std::hex << item.ViewType);
        TThemeSurface surface(80, 80);
        HDC dc = surface.Canvas()->Handle();
        const TDCState before = StateOf(dc);
        const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        TStyledItemPaintInfo info = item;
        paint(rect.Rect, info, surface.Canvas());
        EXPECT_EQ(info.Pushed, item.Pushed);
        EXPECT_TRUE(StateOf(dc) == before);
        EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);
        if (rect.Hollow) {
          EXPECT_EQ(surface.Capture().CountPixels(kPaper), 80 * 80);
        }
      }
    }
  }
}

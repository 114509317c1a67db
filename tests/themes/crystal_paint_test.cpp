// The Crystal theme: glass gradients, cut-corner faces in fixed greys, the three-band edit frame, glass captions
// with their small cross buttons, dotted pop-up separators.
#include "theme_fixture.h"
#include "themes/styled_crystal_theme.h"
#include "toolbars/theme/color_utils.h"

using namespace toolbars;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

constexpr COLORREF Grey(int level) { return RGB(level, level, level); }

class CrystalTest : public ThemeTest {
 protected:
  themes::TStyledCrystalTheme* Crystal() { return Theme<themes::TStyledCrystalTheme>(L"Crystal"); }
};

}  // namespace

TEST_F(CrystalTest, ColoursAndMetrics) {
  themes::TStyledCrystalTheme* theme = Crystal();
  for (int view : {vtToolbar, vtMenuBar, vtToolWindow, vtPopupMenu, vtListPopup, vtDock})
    EXPECT_EQ(Rgb(theme->ViewBackColor(view)), kWhite) << view;
  EXPECT_EQ(Rgb(theme->ViewBackColor(0)), kFace);
  const auto& bar = theme->ToolbarItems();
  // A pushed item is framed in pure red (seen on a toolbar handle's close button), a hot one in grey.
  EXPECT_EQ(Rgb(bar[themes::tsPushed].Frame), RGB(255, 0, 0));
  EXPECT_EQ(Rgb(bar[themes::tsPushed].Text), kBlack);
  EXPECT_EQ(Rgb(bar[themes::tsHot].Frame), Grey(0xA0));
  EXPECT_EQ(Rgb(bar[themes::tsDisabled].Frame), Grey(0xD0));
  EXPECT_EQ(Rgb(theme->PopupItems()[themes::psHot].Frame), Grey(0xC0));
  EXPECT_EQ(theme->PopupItems()[themes::psHot].Fill, bar[themes::tsHot].Fill);
  EXPECT_EQ(Rgb(theme->Colors().PopupFrame), Grey(0xC0));
  EXPECT_EQ(Rgb(themes::CrystalColors().ToolbarEdge), Grey(0xB0));
  EXPECT_EQ(Rgb(themes::CrystalColors().SeparatorShadow), Rgb(BlendColorsNearest(clBtnShadow, clBtnFace, 48)));
  const struct {
    int Index, Value;
  } metrics[] = {{10, 12}, {20, 8}, {21, 3}, {35, 7}, {50, 5}, {60, 1}, {65, 14}, {99, -1}};
  for (const auto& metric : metrics) EXPECT_EQ(theme->IntegerMetric(metric.Index), metric.Value) << metric.Index;
  EXPECT_TRUE(theme->BooleanMetric(3));
  EXPECT_FALSE(theme->BooleanMetric(1));
  EXPECT_FALSE(theme->BooleanMetric(5));
}

TEST_F(CrystalTest, BarsAreGlassFromWhiteWithAStepAtTheMiddle) {
  themes::TStyledCrystalTheme* theme = Crystal();
  const struct {
    const char* Name;
    int ViewType;
    RECT View;
    std::vector<std::pair<POINT, COLORREF>> Pixels;
  } views[] = {
      // White at the top, 0xF0-ward to just before the middle, a step down to 235, back towards 240.
      {"wide toolbar",
       vtToolbar,
       {0, 0, 100, 21},
       {{{50, 0}, kWhite}, {{50, 10}, Grey(242)}, {{50, 11}, Grey(235)}, {{50, 20}, Grey(239)}}},
      {"menu bar", vtMenuBar, {0, 0, 100, 21}, {{{50, 0}, kWhite}, {{50, 11}, Grey(235)}}},
      {"tool window", vtToolWindow | vtOpaque, {0, 0, 100, 21}, {{{50, 0}, kWhite}, {{50, 11}, Grey(235)}}},
      // Across a tall bar, the second half goes on towards the overshoot.
      {"tall toolbar", vtToolbar, {0, 0, 21, 100}, {{{0, 50}, kWhite}, {{11, 50}, Grey(235)}, {{20, 50}, Grey(231)}}},
      {"opaque toolbar",
       vtToolbar | vtOpaque,
       {0, 0, 100, 21},
       {{{50, 0}, RGB(255, 0, 0)}, {{50, 20}, RGB(255, 0, 0)}}},
      {"pop-up", vtPopupMenu, {0, 0, 100, 21}, {{{50, 0}, RGB(255, 0, 0)}, {{50, 11}, RGB(255, 0, 0)}}},
  };
  for (const auto& view : views) {
    SCOPED_TRACE(view.Name);
    TThemeSurface surface(100, 100);
    theme->PaintViewBackground(surface.Canvas(), {}, view.View, view.View, clRed, false, view.ViewType);
    for (const auto& [at, color] : view.Pixels) EXPECT_EQ(surface.Pixel(at.x, at.y), color) << at.x << "," << at.y;
  }
  // Only the clip's part is painted; a transparent view nothing.
  TThemeSurface clipped(100, 30);
  theme->PaintViewBackground(clipped.Canvas(), {}, {0, 0, 100, 21}, {0, 0, 50, 30}, clRed, false, vtToolbar);
  EXPECT_EQ(clipped.Pixel(49, 0), kWhite);
  EXPECT_EQ(clipped.Pixel(50, 0), kPaper);
  EXPECT_EQ(clipped.Pixel(10, 21), kPaper);
  theme->PaintViewBackground(clipped.Canvas(), {}, {0, 0, 100, 21}, {0, 0, 100, 21}, clRed, true, vtToolbar);
  EXPECT_EQ(clipped.Pixel(60, 0), kPaper);
}

TEST_F(CrystalTest, FacesHaveCutCornersInTheirStatesGreys) {
  themes::TStyledCrystalTheme* theme = Crystal();
  const COLORREF opaqueFrame = Rgb(MixColorsPercent(clHighlight, clWindow, 20));
  const struct {
    const char* Name;
    int ViewType, Options;
    bool Pushed, Checked;
    uint8_t Hover, ButtonPart;
    std::vector<std::pair<POINT, COLORREF>> Pixels;
  } faces[] = {
      {"normal", vtToolbar, ioToolbarStyle, false, false, hkNone, cpWhole, {{{5, 0}, kPaper}, {{5, 5}, kPaper}}},
      // Two frames: the inner cut by one in the face grey, the outer cut by two in the hot frame colour.
      {"hot",
       vtToolbar,
       ioToolbarStyle,
       false,
       false,
       hkHot,
       cpWhole,
       {{{0, 0}, kPaper},
        {{1, 0}, Grey(0xE0)},
        {{0, 1}, Grey(0xE0)},
        {{1, 1}, Grey(0xA0)},
        {{5, 0}, Grey(0xA0)},
        {{19, 5}, Grey(0xA0)},
        {{5, 5}, Grey(0xE0)}}},
      {"pushed",
       vtToolbar,
       ioToolbarStyle,
       true,
       false,
       hkHot,
       cpWhole,
       {{{1, 0}, Grey(0xD0)}, {{5, 0}, Grey(0x90)}, {{5, 5}, Grey(0xC0)}}},
      // Checked without hover: a light face with an inner shadow along its left and top.
      {"checked",
       vtToolbar,
       ioToolbarStyle,
       false,
       true,
       hkNone,
       cpWhole,
       {{{5, 0}, Grey(0xF8)},
        {{1, 5}, Grey(0xB8)},
        {{5, 1}, Grey(0xB8)},
        {{5, 5}, Grey(0xD8)},
        {{2, 17}, Grey(0xD8)},
        {{1, 18}, Grey(0xF8)}}},
      {"checked hot",
       vtToolbar,
       ioToolbarStyle,
       false,
       true,
       hkHot,
       cpWhole,
       {{{5, 0}, Grey(0x80)}, {{5, 5}, Grey(0xD0)}}},
      {"opaque toolbar",
       vtToolbar | vtOpaque,
       ioToolbarStyle,
       false,
       false,
       hkNone,
       cpWhole,
       {{{5, 0}, opaqueFrame}, {{1, 1}, opaqueFrame}, {{5, 5}, kWhite}}},
      {"pop-up item, corners cut by one",
       vtPopupMenu,
       0,
       false,
       false,
       hkHot,
       cpWhole,
       {{{0, 0}, kPaper}, {{1, 0}, Grey(0xA0)}, {{5, 5}, Grey(0xE0)}}},
      {"split main part, square on the right",
       vtToolbar,
       ioToolbarStyle,
       false,
       false,
       hkHot,
       cpMainOfCombo,
       {{{0, 0}, kPaper}, {{19, 0}, Grey(0xA0)}, {{19, 19}, Grey(0xA0)}}},
      {"menu bar, hot: a thin frame only",
       vtMenuBar,
       ioToolbarStyle,
       false,
       false,
       hkHot,
       cpWhole,
       {{{5, 0}, Grey(0xA0)}, {{0, 0}, kPaper}, {{5, 5}, kPaper}}},
      {"menu bar, pushed",
       vtMenuBar,
       ioToolbarStyle,
       true,
       false,
       hkHot,
       cpWhole,
       {{{5, 0}, Grey(0x80)}, {{5, 5}, Grey(0xD0)}}},
  };
  for (const auto& face : faces) {
    SCOPED_TRACE(face.Name);
    TStyledItemPaintInfo info = Item(face.ViewType, face.Options, face.Hover);
    info.Pushed = face.Pushed;
    info.Checked = face.Checked;
    info.ButtonPart = face.ButtonPart;
    TThemeSurface surface(20, 20);
    theme->PaintButtonFace(surface.Canvas(), {0, 0, 20, 20}, info);
    for (const auto& [at, color] : face.Pixels) EXPECT_EQ(surface.Pixel(at.x, at.y), color) << at.x << "," << at.y;
  }
  // A disabled menu-bar item that is pushed and reached by the keyboard is drawn as pushed.
  TStyledItemPaintInfo keyboard = Item(vtMenuBar, ioToolbarStyle, hkKeyboardHot);
  keyboard.Enabled = false;
  keyboard.Pushed = true;
  TThemeSurface pushed(20, 20);
  theme->PaintButtonFace(pushed.Canvas(), {0, 0, 20, 20}, keyboard);
  EXPECT_EQ(pushed.Pixel(5, 0), Grey(0x80));
  EXPECT_EQ(pushed.Pixel(5, 5), Grey(0xD0));
  // The arrow part of a split button reaches one pixel left and shows the arrow in the item's text colour.
  TStyledItemPaintInfo arrow = Item(vtToolbar, ioToolbarStyle, hkHot);
  arrow.ButtonPart = cpComboArrow;
  TThemeSurface surface(30, 20);
  theme->PaintButtonFace(surface.Canvas(), {10, 0, 22, 20}, arrow);
  EXPECT_EQ(surface.Pixel(9, 5), Grey(0xA0));
  EXPECT_EQ(surface.Pixel(15, 10), Rgb(theme->ToolbarItems()[themes::tsHot].Text));
}

TEST_F(CrystalTest, EditFramesShowThreeGreyBands) {
  themes::TStyledCrystalTheme* theme = Crystal();
  {
    // 18 rows inside the frame in three bands: 248 down to 216, up to 240, back to 248.
    TThemeSurface surface(40, 20);
    theme->PaintItemFrame(surface.Canvas(), {0, 0, 40, 20}, Item(vtToolbar, 0, hkHot));
    const struct { int Row, Level; } rows[] = {{1, 248}, {6, 216}, {11, 240}, {12, 241}, {18, 248}};
    for (const auto& row : rows) EXPECT_EQ(surface.Pixel(20, row.Row), Grey(row.Level)) << row.Row;
    EXPECT_EQ(surface.Pixel(20, 0), Grey(0xA0));
    EXPECT_EQ(surface.Pixel(0, 0), kPaper);
  }
  const struct {
    const char* Name;
    bool Enabled, Pushed;
    uint8_t Hover;
    COLORREF Frame, Inside;
  } frames[] = {{"quiet", true, false, hkNone, kPaper, kPaper},
                {"pushed", true, true, hkHot, Grey(0xC0), Grey(216)},
                {"disabled: the toolbar colour one pixel in", false, false, hkHot, kPaper, kPaper}};
  for (const auto& frame : frames) {
    SCOPED_TRACE(frame.Name);
    TStyledItemPaintInfo info = Item(vtToolbar, 0, frame.Hover);
    info.Enabled = frame.Enabled;
    info.Pushed = frame.Pushed;
    TThemeSurface surface(40, 20);
    theme->PaintItemFrame(surface.Canvas(), {0, 0, 40, 20}, info);
    EXPECT_EQ(surface.Pixel(20, 0), frame.Frame);
    EXPECT_EQ(surface.Pixel(20, 6), frame.Inside);
    EXPECT_EQ(surface.Pixel(20, 1), frame.Enabled ? (frame.Pushed ? Grey(248) : kPaper) : kWhite);
  }
  {
    // In an edit the white box covers the bands but for its quiet drop-down button, which lets them show.
    TStyledItemPaintInfo info = Item(vtToolbar, 0, hkHot);
    TStyledEditFrameInfo edit{};
    edit.RightWidth = 13;
    edit.RightButton.ButtonType = ebDropDown;
    TThemeSurface surface(60, 20);
    theme->PaintEditFrame(surface.Canvas(), {0, 0, 60, 20}, info, edit);
    EXPECT_EQ(surface.Pixel(10, 10), kWhite);
    EXPECT_EQ(surface.Pixel(10, 1), kWhite);
    EXPECT_EQ(surface.Pixel(50, 6), Grey(216));
    EXPECT_EQ(surface.Pixel(47, 6), Grey(0xD0));
    EXPECT_EQ(surface.Pixel(46, 6), kWhite);
  }
}

TEST_F(CrystalTest, SpinHalvesKeepTheirFramesUnlessPushedOrHot) {
  themes::TStyledCrystalTheme* theme = Crystal();
  const struct {
    const char* Name;
    int State;
    COLORREF UpperTop, UpperInside, LowerBottom, LowerInside;
  } spins[] = {
      // Pushed: 0xC0 at the top to white at the bottom.
      {"upper pushed", ebsPushed, Grey(0xC0), Grey(227), Grey(0xD0), kPaper},
      {"lower pushed", ebsLowerPushed, Grey(0xD0), kPaper, kWhite, Grey(220)},
      {"hot", ebsHot, Grey(0xD0), Grey(0xD0), Grey(0xD0), Grey(0xD0)},
      {"disabled", ebsDisabled, kPaper, kPaper, kPaper, kPaper},
  };
  for (const auto& spin : spins) {
    SCOPED_TRACE(spin.Name);
    TStyledItemPaintInfo info = Item(vtToolbar);
    TStyledEditButtonInfo button{ebSpin, spin.State};
    TThemeSurface surface(40, 20);
    theme->PaintEditButton(surface.Canvas(), {20, 0, 33, 20}, info, button);
    EXPECT_EQ(surface.Pixel(23, 0), spin.UpperTop);
    EXPECT_EQ(surface.Pixel(23, 5), spin.UpperInside);
    EXPECT_EQ(surface.Pixel(23, 19), spin.LowerBottom);
    EXPECT_EQ(surface.Pixel(23, 14), spin.LowerInside);
    EXPECT_FALSE(info.Pushed);
  }
}

TEST_F(CrystalTest, CaptionsAreGlassWithASmallCrossButton) {
  themes::TStyledCrystalTheme* theme = Crystal();
  const int z = GetSystemMetrics(SM_CYSMCAPTION);
  const struct {
    const char* Name;
    int Close;
    COLORREF Frame, Fill, Cross;
  } buttons[] = {{"hot", cbsShown | cbsHot, Grey(0x80), kWhite, kBlack},
                 {"pushed", cbsShown | cbsPushed, Grey(0x80), Grey(0xC0), kWhite},
                 {"quiet: no frame or fill of its own", cbsShown, kPaper, kPaper, kBlack}};
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.Name);
    TStyledDockedCaptionInfo caption{};
    caption.ViewType = vtToolWindow;
    caption.HorizontalCaption = true;
    caption.BorderSize = {2, 2};
    caption.ShowCaption = true;
    caption.CloseButtonState = button.Close;
    caption.Caption = L"Panel";
    TThemeSurface surface(120, 60);
    surface.Canvas()->Brush()->SetColor(clRed);
    theme->PaintDockedCaption(surface.Canvas(), {0, 0, 120, 60}, caption);
    EXPECT_EQ(surface.Pixel(0, 10), kFace);
    EXPECT_EQ(surface.Pixel(1, 10), RGB(255, 0, 0));
    // The band from white at its top, closed by a grey line.
    EXPECT_EQ(surface.Pixel(10, 2), kWhite);
    EXPECT_EQ(surface.Pixel(10, 2 + z - 1), Grey(0xC0));
    EXPECT_GT(surface.Capture().CountPixels(kBlack), 0) << "the caption's text";
    const RECT square{118 - (z - 1), 2, 118, 2 + z - 1};
    if (button.Frame != kPaper) {
      EXPECT_EQ(surface.Pixel(square.left, square.top + z / 2), button.Frame);
      EXPECT_EQ(surface.Pixel(square.left + 2, square.top + 2), button.Fill);
    } else {
      EXPECT_EQ(surface.Pixel(square.left, square.top + z / 2), surface.Pixel(10, square.top + z / 2));
    }
    // The 8 x 7 cross: its top-left stroke at the centre less three.
    const int cx = (square.left + square.right - 7) / 2;
    const int cy = (square.top + square.bottom - 7) / 2;
    EXPECT_EQ(surface.Pixel(cx, cy), button.Cross);
    EXPECT_EQ(surface.Pixel(cx + 3, cy + 3), button.Cross);
  }
  // The close button of a toolbar's handle takes the toolbar table: red when pushed.
  TStyledToolbarPaintInfo toolbar{};
  toolbar.ViewType = vtToolbar;
  toolbar.AllowDrag = true;
  toolbar.DragHandleStyle = dhSingle;
  toolbar.CloseButtonState = cbsShown | cbsPushed;
  TThemeSurface bar(100, 26);
  theme->PaintToolbarFrame(bar.Canvas(), {0, 0, 100, 26}, toolbar);
  EXPECT_GT(bar.Capture().CountPixels(RGB(255, 0, 0)), 0);
  // The floating window's, in grey; an inactive one's in the disabled frame colour.
  for (bool active : {true, false}) {
    SCOPED_TRACE(active);
    TStyledWindowPaintInfo window{};
    window.ViewType = vtToolbar | vtFloating;
    window.ClientWidth = 100;
    window.ClientHeight = 40;
    window.ShowCaption = true;
    window.FloatingBorderSize = {3, 3};
    window.CloseButtonState = cbsShown | cbsPushed;
    window.RedrawPart = rpBorder | rpCaption | rpCloseButton;
    window.Caption = L"Tools";
    window.Active = active;
    TThemeSurface surface(106, 46);
    surface.Canvas()->Brush()->SetColor(clRed);
    theme->PaintFloatingFrame(surface.Canvas(), {0, 0, 106, 46}, window);
    EXPECT_EQ(surface.Pixel(0, 20), Grey(0x90));
    EXPECT_EQ(surface.Pixel(10, 3), kWhite);
    const RECT square{103 - (z - 1), 3, 103, 3 + z - 1};
    EXPECT_EQ(surface.Pixel(square.left, square.top + z / 2), active ? Grey(0x80) : Grey(0xD0));
    EXPECT_EQ(surface.Capture().CountPixels(RGB(255, 0, 0), &square), 0);
    // The caption's text is dark on the white glass: black while active.
    const RECT text{3, 3, square.left, 3 + z - 1};
    EXPECT_EQ(surface.Capture().CountPixels(kBlack, &text) > 0, active);
  }
}

TEST_F(CrystalTest, ToolbarsHaveARoundedGlassFrameAndEtchedGrips) {
  themes::TStyledCrystalTheme* theme = Crystal();
  TStyledToolbarPaintInfo toolbar{};
  toolbar.ViewType = vtToolbar;
  toolbar.AllowDrag = true;
  toolbar.DragHandleStyle = dhSingle;
  TThemeSurface surface(80, 26);
  theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 80, 26}, toolbar);
  EXPECT_EQ(surface.Pixel(40, 25), Grey(0xB0));
  EXPECT_EQ(surface.Pixel(79, 10), Grey(0xB0));
  EXPECT_EQ(surface.Pixel(40, 0), kWhite);
  EXPECT_EQ(surface.Pixel(0, 10), kWhite);
  EXPECT_EQ(surface.Pixel(0, 0), Grey(0xE0));
  // A single grip: grey dashes with white under them, every second row from the handle's top + 3.
  EXPECT_EQ(surface.Pixel(2 + 1, 2 + 3), Grey(0xA0));
  EXPECT_EQ(surface.Pixel(2 + 3, 2 + 3), Grey(0xA0));
  EXPECT_EQ(surface.Pixel(2 + 1, 2 + 4), kWhite);
  // A wide frame lower down a canvas is still shaded from its top.
  TThemeSurface lower(80, 130);
  theme->PaintToolbarFrame(lower.Canvas(), {0, 100, 80, 126}, toolbar);
  EXPECT_GE(GetRValue(lower.Pixel(40, 101)), 250);
  EXPECT_LT(GetRValue(lower.Pixel(40, 113)), 240);
  EXPECT_EQ(lower.Pixel(10, 112), lower.Pixel(70, 112));
  // Other views get no frame.
  toolbar.ViewType = vtDock;
  TThemeSurface dock(80, 26);
  theme->PaintToolbarFrame(dock.Canvas(), {0, 0, 80, 26}, toolbar);
  EXPECT_EQ(dock.Pixel(40, 25), kPaper);
}

TEST_F(CrystalTest, SeparatorsMenuItemsAndCaptions) {
  themes::TStyledCrystalTheme* theme = Crystal();
  const COLORREF shadow = Rgb(themes::CrystalColors().SeparatorShadow);
  {
    TStyledItemPaintInfo info = Item(vtPopupMenu);
    info.ImageColumnWidth = 20;
    TThemeSurface surface(100, 30);
    theme->PaintSeparator(surface.Canvas(), {2, 20, 100, 30}, info, true, false);
    // Dots every third pixel from 14 pixels in, whatever the image column, in the separator's middle.
    EXPECT_EQ(surface.Pixel(16, 25), Grey(0x90));
    EXPECT_EQ(surface.Pixel(17, 25), kPaper);
    EXPECT_EQ(surface.Pixel(19, 25), Grey(0x90));
    EXPECT_EQ(surface.Pixel(15, 25), kPaper);
    EXPECT_EQ(surface.Pixel(85, 25), Grey(0x90));
    EXPECT_EQ(surface.Pixel(88, 25), kPaper);
  }
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled);
    TStyledItemPaintInfo info = Item(vtToolbar);
    info.Enabled = enabled;
    TThemeSurface surface(20, 30);
    theme->PaintSeparator(surface.Canvas(), {0, 0, 10, 30}, info, false, false);
    EXPECT_EQ(surface.Pixel(5, 10), enabled ? kWhite : kPaper);
    EXPECT_EQ(surface.Pixel(4, 10), enabled ? shadow : kPaper);
    TThemeSurface horizontal(60, 20);
    theme->PaintSeparator(horizontal.Canvas(), {0, 10, 60, 20}, info, true, false);
    EXPECT_EQ(horizontal.Pixel(10, 16), kWhite);
    EXPECT_EQ(horizontal.Pixel(10, 15), shadow);
  }
  {
    // A checked menu item: a light box over the image column, framed in white with cut corners; the image
    // column is white and a hot split item's divider white.
    TStyledItemPaintInfo info = Item(vtPopupMenu, ioDropDownCombo);
    info.Checked = true;
    info.ImageColumnWidth = 20;
    TThemeSurface surface(120, 20);
    theme->PaintMenuItem(surface.Canvas(), {0, 0, 120, 20}, info);
    EXPECT_EQ(surface.Pixel(10, 10), Grey(0xD8));
    EXPECT_EQ(surface.Pixel(2, 10), Grey(0xB8));
    EXPECT_EQ(surface.Pixel(10, 1), kWhite);
    EXPECT_EQ(surface.Pixel(1, 1), kWhite);
    EXPECT_EQ(surface.Pixel(0, 0), kWhite);
    info.HoverKind = hkHot;
    TThemeSurface hot(120, 20);
    theme->PaintMenuItem(hot.Canvas(), {0, 0, 120, 20}, info);
    EXPECT_EQ(hot.Pixel(10, 10), Grey(0xD0));
    EXPECT_EQ(hot.Pixel(10, 1), Grey(0x90));
    EXPECT_EQ(hot.Pixel(120 - GetSystemMetrics(SM_CXMENUCHECK) - 1, 10), kWhite);
  }
  {
    // Every enabled caption takes the application's caption colour, in pop-ups too; a disabled one its item's.
    const TColor saved = CaptionTextColor;
    CaptionTextColor = clRed;
    for (bool enabled : {true, false}) {
      TStyledItemPaintInfo info = Item(vtPopupMenu);
      info.Enabled = enabled;
      TThemeSurface surface(60, 20);
      surface.Canvas()->Font()->SetColor(clBlue);
      theme->PaintItemCaption(surface.Canvas(), {0, 0, 60, 20}, info, L"Wide", DT_SINGLELINE, false);
      EXPECT_EQ(surface.Capture().CountPixels(RGB(255, 0, 0)) > 0, enabled);
      EXPECT_EQ(surface.Canvas()->Brush()->Style(), TBrushStyle::bsSolid);
    }
    CaptionTextColor = saved;
  }
}

TEST_F(CrystalTest, ScrollButtonsControlsAndTheSizeGrip) {
  themes::TStyledCrystalTheme* theme = Crystal();
  for (bool hot : {true, false}) {
    SCOPED_TRACE(hot);
    TThemeSurface surface(20, 16);
    theme->PaintScrollButton(surface.Canvas(), {0, 0, 20, 16}, sbDown, hot);
    // Corners softened in the face colour.
    EXPECT_EQ(surface.Pixel(0, 0), kFace);
    EXPECT_EQ(surface.Pixel(19, 15), kFace);
    EXPECT_EQ(surface.Pixel(5, 0), hot ? Grey(0xA0) : Grey(0xD0));
    // Hot: glass from white at the top.
    EXPECT_GE(GetRValue(surface.Pixel(3, 2)), 250);
    EXPECT_EQ(GetRValue(surface.Pixel(3, 13)) < 245, hot);
    EXPECT_EQ(surface.Pixel(10, 8), kText);
  }
  {
    TThemeSurface surface(40, 13);
    theme->PaintStandardControl(surface.Canvas(), {0, 0, 13, 13}, scCheckBox, scsChecked);
    theme->PaintStandardControl(surface.Canvas(), {20, 0, 33, 13}, scRadioButton, scsChecked);
    EXPECT_EQ(surface.Pixel(5, 0), Grey(0xC0));
    EXPECT_EQ(surface.Pixel(0, 0), kPaper);
    // The glass fill from white at its top.
    EXPECT_EQ(surface.Pixel(5, 1), kWhite);
    EXPECT_LT(GetRValue(surface.Pixel(2, 9)), 0xFF);
    EXPECT_GT(surface.Capture().CountPixels(Rgb(theme->ToolbarItems()[themes::tsNormal].Text)), 10);
    // The radio button's 13-pixel round outline and its dot.
    EXPECT_EQ(surface.Pixel(20 + 4, 0), Grey(0xC0));
    EXPECT_EQ(surface.Pixel(20 + 0, 6), Grey(0xC0));
    EXPECT_EQ(surface.Pixel(20 + 1, 1), kPaper);
    EXPECT_EQ(surface.Pixel(20 + 6, 6), Rgb(theme->ToolbarItems()[themes::tsNormal].Text));
  }
  {
    const COLORREF light = Rgb(BlendColorsNearest(clBtnFace, clBtnHighlight, 64));
    const COLORREF dark = Rgb(BlendColorsNearest(clBtnFace, clBtnShadow, 64));
    // Below 9 pixels six touching lines from two pixels off the corner; from 13 pixels spaced by one.
    TThemeSurface small(8, 8);
    theme->PaintStatusBarPart(small.Canvas(), {0, 0, 8, 8}, spSizeGrip);
    EXPECT_EQ(small.Pixel(8 - 1 - 2, 7), light);
    EXPECT_EQ(small.Pixel(8 - 1 - 3, 7), dark);
    EXPECT_EQ(small.Pixel(8 - 1 - 1, 7), kPaper);
    TThemeSurface large(16, 16);
    theme->PaintStatusBarPart(large.Canvas(), {0, 0, 16, 16}, spSizeGrip);
    EXPECT_EQ(large.Pixel(16 - 1 - 2, 15), light);
    EXPECT_EQ(large.Pixel(16 - 1 - 3, 15), kPaper);
    EXPECT_EQ(large.Pixel(16 - 1 - 4, 15), dark);
    TThemeSurface pane(40, 20);
    theme->PaintStatusBarPart(pane.Canvas(), {0, 0, 40, 20}, spPane);
    EXPECT_EQ(pane.Pixel(37, 10), kShadow);
    EXPECT_EQ(pane.Pixel(38, 10), kLight);
  }
}

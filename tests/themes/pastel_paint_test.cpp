// What the Pastel theme paints, pixel by pixel, under pinned system colours. The Adaptive theme shares every
// painter not replaced in its own tests, so these cases run for both where the colours agree.
#include <string>

#include "theme_fixture.h"
#include "themes/pastel_look.h"
#include "themes/styled_pastel_theme.h"

using namespace toolbars;
using themes::TColorKind;

namespace {

// Mixes of the pinned colours that no contrast step moves.
constexpr COLORREF kPastelToolbar = RGB(209, 209, 209);  // 16.5 % window over face
constexpr COLORREF kPastelPopup = RGB(247, 247, 247);    // 14.3 % face over window
constexpr COLORREF kPushedFill = RGB(128, 128, 208);     // highlight and window half and half

class PastelTest : public ThemeTest {
 protected:
  themes::TStyledPastelLook* Pastel() { return Theme<themes::TStyledPastelLook>(L"Pastel"); }
};

}  // namespace

TEST_F(PastelTest, ViewColoursAndBackgrounds) {
  themes::TStyledPastelLook* theme = Pastel();
  const struct {
    int ViewType;
    COLORREF Color;
  } views[] = {{vtToolbar, kPastelToolbar}, {vtToolWindow, kPastelToolbar}, {vtMenuBar, kFace},
               {vtPopupMenu, kPastelPopup}, {vtChevronPopup, kPastelPopup}, {vtListPopup, kWindow},
               {vtDock, kPastelPopup},       {0, kFace}};
  for (const auto& view : views) {
    SCOPED_TRACE(testing::Message() << std::hex << view.ViewType);
    EXPECT_EQ(Rgb(theme->ViewBackColor(view.ViewType)), view.Color);
    TThemeSurface surface(20, 20);
    // Only the part inside the clip is filled; transparent views are left alone.
    theme->PaintViewBackground(surface.Canvas(), {}, {0, 0, 20, 20}, {5, 5, 30, 30}, theme->ViewBackColor(view.ViewType),
                               false, view.ViewType);
    theme->PaintViewBackground(surface.Canvas(), {}, {0, 0, 20, 20}, {0, 0, 4, 4}, clRed, true, view.ViewType);
    EXPECT_EQ(surface.Pixel(10, 10), view.Color);
    EXPECT_EQ(surface.Pixel(4, 4), kPaper);
    EXPECT_EQ(surface.Pixel(1, 1), kPaper);
  }
}

TEST_F(PastelTest, ButtonFacesInTheirStates) {
  themes::TStyledPastelLook* theme = Pastel();
  const auto& rows = theme->ToolbarItems();
  const struct {
    const char* Name;
    bool Checked, Pushed, Enabled;
    uint8_t Hover;
    int Options;
    COLORREF Frame, Fill;
  } faces[] = {
      {"normal", false, false, true, hkNone, ioToolbarStyle, kPaper, kPaper},
      {"hot", false, false, true, hkHot, ioToolbarStyle, Rgb(rows[themes::tsHot].Frame), Rgb(rows[themes::tsHot].Fill)},
      {"checked", true, false, true, hkNone, ioToolbarStyle, kSelection, Rgb(rows[themes::tsChecked].Fill)},
      {"checked and pushed", true, true, true, hkNone, ioToolbarStyle, kSelection, kPushedFill},
      {"disabled, keyboard", false, false, false, hkKeyboardHot, ioToolbarStyle, kSelection,
       Rgb(rows[themes::tsHot].Fill)},
      {"designing", false, false, true, hkNone, ioToolbarStyle | ioDesigning, RGB(160, 160, 160), kPaper},
  };
  for (const auto& face : faces) {
    SCOPED_TRACE(face.Name);
    TStyledItemPaintInfo info = Item(vtToolbar, face.Options, face.Hover);
    info.Checked = face.Checked;
    info.Pushed = face.Pushed;
    info.Enabled = face.Enabled;
    TThemeSurface surface(24, 22);
    theme->PaintButtonFace(surface.Canvas(), {0, 0, 24, 22}, info);
    EXPECT_EQ(surface.Pixel(0, 0), face.Frame);
    EXPECT_EQ(surface.Pixel(23, 21), face.Frame);
    EXPECT_EQ(surface.Pixel(5, 5), face.Fill);
  }
}

TEST_F(PastelTest, PopupFrameOpensTowardsTheParentItem) {
  themes::TStyledPastelLook* theme = Pastel();
  TThemeSurface surface(60, 40);
  TStyledPopupPaintInfo popup{};
  popup.ViewType = vtPopupMenu;
  popup.ParentRect = {10, -20, 30, 1};
  theme->PaintPopupFrame(surface.Canvas(), {0, 0, 60, 40}, popup);
  EXPECT_EQ(surface.Pixel(5, 0), Rgb(theme->Colors().PopupFrame));
  EXPECT_EQ(surface.Pixel(0, 20), Rgb(theme->Colors().PopupFrame));
  EXPECT_EQ(surface.Pixel(20, 20), kPastelPopup);
  EXPECT_EQ(surface.Pixel(20, 0), kPastelToolbar);
  EXPECT_EQ(surface.Pixel(11, 0), kPastelToolbar);
  EXPECT_EQ(surface.Pixel(29, 0), Rgb(theme->Colors().PopupFrame));
}

TEST_F(PastelTest, SeparatorsSitInTheMiddleOfTheirOwnRectangle) {
  themes::TStyledPastelLook* theme = Pastel();
  constexpr int kColumn = 20;
  const struct {
    const char* Name;
    int ViewType;
    bool Enabled, Horizontal;
    POINT Line;       // a pixel of the line
    POINT Beside;     // next to it, left alone
    bool Band;        // the image column band is painted
  } separators[] = {
      {"pop-up", vtPopupMenu, true, true, {kColumn + 9, 45}, {kColumn + 8, 45}, true},
      {"blank pop-up", vtPopupMenu, false, true, {-1, -1}, {kColumn + 9, 45}, true},
      {"toolbar", vtToolbar, true, true, {0, 45}, {0, 44}, false},
      {"vertical", vtToolbar, true, false, {50, 42}, {49, 42}, false},
      {"blank vertical", vtToolbar, false, false, {-1, -1}, {50, 42}, false},
  };
  for (const auto& separator : separators) {
    SCOPED_TRACE(separator.Name);
    TStyledItemPaintInfo info = Item(separator.ViewType);
    info.Enabled = separator.Enabled;
    info.ImageColumnWidth = kColumn;
    TThemeSurface surface(100, 60);
    theme->PaintSeparator(surface.Canvas(), {0, 40, 100, 50}, info, separator.Horizontal, false);
    const TColor line = separator.ViewType == vtPopupMenu ? theme->Colors().ImageColumnSeparator : theme->Colors().Separator;
    if (separator.Line.x >= 0) {
      EXPECT_EQ(surface.Pixel(separator.Line.x, separator.Line.y), Rgb(line));
    }
    EXPECT_EQ(surface.Pixel(separator.Beside.x, separator.Beside.y), kPaper);
    EXPECT_EQ(surface.Pixel(kColumn + 1, 41), separator.Band ? kPastelToolbar : kPaper);
    EXPECT_EQ(surface.Pixel(5, 25), kPaper);
  }
}

TEST_F(PastelTest, MenuItemsShowTheImageColumnAndTheirHighlight) {
  themes::TStyledPastelLook* theme = Pastel();
  const auto& popup = theme->PopupItems();
  const struct {
    const char* Name;
    bool Enabled;
    uint8_t Hover;
    COLORREF Frame, Fill;
  } items[] = {{"normal", true, hkNone, kPastelToolbar, kPaper},
               {"hot", true, hkHot, Rgb(popup[themes::psHot].Frame), Rgb(popup[themes::psHot].Fill)},
               {"disabled, keyboard", false, hkKeyboardHot, kSelection, kPastelPopup},
               {"disabled, mouse", false, hkHot, kPastelToolbar, kPaper}};
  for (const auto& item : items) {
    SCOPED_TRACE(item.Name);
    TStyledItemPaintInfo info = Item(vtPopupMenu, ioHasSubmenu, item.Hover);
    info.Enabled = item.Enabled;
    info.ImageColumnWidth = 20;
    TThemeSurface surface(120, 40);
    theme->PaintMenuItem(surface.Canvas(), {0, 20, 120, 40}, info);
    EXPECT_EQ(surface.Pixel(1, 20), item.Frame);
    EXPECT_EQ(surface.Pixel(0, 30), kPastelToolbar);
    EXPECT_EQ(surface.Pixel(60, 30), item.Fill);
    // The submenu arrow points right in the middle of the row.
    const int x = 120 - (2 * GetSystemMetrics(SM_CXMENUCHECK)) / 3 - 1;
    EXPECT_EQ(surface.Pixel(x + 1, 30), Rgb(theme->ItemTextColor(info)));
  }
}

TEST_F(PastelTest, GlyphsInTheItemColour) {
  themes::TStyledPastelLook* theme = Pastel();
  const COLORREF text = Rgb(theme->ToolbarItems()[themes::tsNormal].Text);
  {
    TThemeSurface surface(16, 16);
    theme->PaintCheckGlyph(surface.Canvas(), {0, 0, 16, 16}, Item(vtPopupMenu));
    EXPECT_EQ(surface.Pixel(6, 9), text);
    EXPECT_EQ(surface.Pixel(10, 5), text);
    EXPECT_EQ(surface.Pixel(2, 2), kPaper);
  }
  {
    // The horizontal chevron takes rows 4 to 8 of its button, wherever the button is.
    TThemeSurface surface(40, 50);
    theme->PaintChevronGlyph(surface.Canvas(), {10, 20, 30, 40}, Item(vtToolbar, ioToolbarStyle));
    EXPECT_EQ(surface.Pixel(12, 24), text);
    EXPECT_EQ(surface.Pixel(12, 25), kPaper);
    EXPECT_EQ(surface.Pixel(14, 25), text);
    EXPECT_EQ(surface.Pixel(15, 26), text);
    EXPECT_EQ(surface.Pixel(16, 26), kPaper);
    EXPECT_EQ(surface.Pixel(12, 28), text);
    for (int y = 0; y < 50; ++y)
      if (y < 24 || y > 28) {
        EXPECT_EQ(surface.Pixel(12, y), kPaper) << y;
      }
  }
  const struct {
    UINT Kind;
    POINT Glyph;  // a pixel of the glyph in a 20 x 20 button
  } buttons[] = {{mbClose, {6, 6}}, {mbMinimize, {6, 13}}, {mbRestore, {5, 8}}, {mbMaximize, {-1, -1}}};
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.Kind);
    const TStyledItemPaintInfo info = Item(vtMenuBar, ioToolbarStyle, hkHot);
    TThemeSurface surface(20, 20);
    theme->PaintMdiButton(surface.Canvas(), {0, 0, 20, 20}, info, button.Kind);
    const COLORREF fill = Rgb(theme->ToolbarItems()[themes::tsHot].Fill);
    if (button.Glyph.x >= 0) {
      EXPECT_EQ(surface.Pixel(button.Glyph.x, button.Glyph.y), Rgb(theme->ItemTextColor(info)));
      EXPECT_EQ(surface.Pixel(3, 10), fill);
    } else {
      EXPECT_EQ(surface.Capture().CountPixels(Rgb(theme->ItemTextColor(info))), 0);
    }
  }
}

TEST_F(PastelTest, StatusBarGripLinesByItsSize) {
  themes::TStyledPastelLook* theme = Pastel();
  const struct {
    int Size;
    int Lines;
    COLORREF Last;
  } grips[] = {{8, 6, kLight}, {10, 9, kLight}, {13, 9, kLight}, {16, 12, kLight}};
  for (const auto& grip : grips) {
    SCOPED_TRACE(grip.Size);
    TThemeSurface surface(20, 20);
    theme->PaintStatusBarPart(surface.Canvas(), {0, 0, grip.Size, grip.Size}, spSizeGrip);
    // The last line starts Lines - 1 pixels left of the corner; nothing lies further left on the bottom row.
    EXPECT_EQ(surface.Pixel(grip.Size - grip.Lines, grip.Size - 1), grip.Last);
    EXPECT_EQ(surface.Pixel(grip.Size - grip.Lines - 1, grip.Size - 1), kPaper);
  }
  TThemeSurface surface(40, 20);
  theme->PaintStatusBarPart(surface.Canvas(), {0, 0, 40, 20}, spPane);
  EXPECT_EQ(surface.Pixel(37, 5), Rgb(theme->Colors().StatusPaneFrame));
  EXPECT_EQ(surface.Pixel(38, 5), kPaper);
}

TEST_F(PastelTest, StandardControlsInTheirStates) {
  themes::TStyledPastelLook* theme = Pastel();
  const auto& rows = theme->ToolbarItems();
  const struct {
    const char* Name;
    int Kind, State;
    COLORREF Border, Mark;
  } controls[] = {
      {"check box", scCheckBox, scsChecked, kShadow, Rgb(rows[themes::tsNormal].Text)},
      {"mixed", scCheckBox, scsMixed, kShadow, kShadow},
      {"pushed", scCheckBox, scsChecked | scsPushed, Rgb(rows[themes::tsPushed].Frame), Rgb(rows[themes::tsPushed].Text)},
      {"disabled", scCheckBox, scsChecked | scsDisabled, kShadow, Rgb(rows[themes::tsDisabled].Text)},
      {"radio", scRadioButton, scsChecked | scsHot, Rgb(rows[themes::tsHot].Frame), Rgb(rows[themes::tsHot].Text)},
      {"other kind", 3, scsChecked, kPaper, kPaper},
  };
  for (const auto& control : controls) {
    SCOPED_TRACE(control.Name);
    TThemeSurface surface(15, 15);
    theme->PaintStandardControl(surface.Canvas(), {0, 0, 15, 15}, control.Kind, control.State);
    EXPECT_EQ(surface.Pixel(1, 7), control.Border);
    EXPECT_EQ(surface.Pixel(7, 7), control.Mark);
  }
}

TEST_F(PastelTest, CaptionsAndFrames) {
  themes::TStyledPastelLook* theme = Pastel();
  const int z = GetSystemMetrics(SM_CYSMCAPTION);
  {
    TStyledDockedCaptionInfo caption{};
    caption.ViewType = vtToolWindow;
    caption.HorizontalCaption = true;
    caption.BorderSize = {2, 2};
    caption.ShowCaption = true;
    caption.CloseButtonState = cbsShown | cbsHot;
    caption.Caption = L"Panel";
    TThemeSurface surface(120, 60);
    surface.Canvas()->Brush()->SetColor(clRed);
    theme->PaintDockedCaption(surface.Canvas(), {0, 0, 120, 60}, caption);
    EXPECT_EQ(surface.Pixel(0, 10), kFace);
    EXPECT_EQ(surface.Pixel(1, 10), RGB(255, 0, 0));
    EXPECT_EQ(surface.Pixel(1, 1), kFace);
    EXPECT_EQ(surface.Pixel(5, 2 + z - 1), RGB(255, 0, 0));
    // The hot close button at the caption's right end.
    EXPECT_EQ(surface.Pixel(117, 2), Rgb(theme->ToolbarItems()[themes::tsHot].Frame));
  }
  {
    TStyledWindowPaintInfo window{};
    window.ViewType = vtToolbar | vtFloating;
    window.ClientWidth = 100;
    window.ClientHeight = 40;
    window.ShowCaption = true;
    window.FloatingBorderSize = {3, 3};
    window.CloseButtonState = cbsShown | cbsHot;
    window.RedrawPart = rpBorder | rpCaption | rpCloseButton;
    window.Caption = L"Tools";
    window.Active = false;
    TThemeSurface surface(106, 46);
    surface.Canvas()->Brush()->SetColor(clRed);
    theme->PaintFloatingFrame(surface.Canvas(), {0, 0, 106, 46}, window);
    const themes::TFloatingColors& inactive = theme->Colors().Floating[0][1];
    EXPECT_EQ(surface.Pixel(0, 20), Rgb(inactive.Border));
    EXPECT_EQ(surface.Pixel(2, 20), RGB(255, 0, 0));
    // An inactive window's close button has the disabled colours: no fill, its cross in the caption text colour.
    const RECT button{103 - (z - 1), 3, 103, 3 + z - 1};
    const RECT rect = button;
    EXPECT_EQ(surface.Capture().CountPixels(Rgb(theme->ToolbarItems()[themes::tsHot].Frame), &rect), 0);
    EXPECT_GT(surface.Capture().CountPixels(Rgb(inactive.CaptionText), &rect), 0);
  }
  {
    TStyledToolbarPaintInfo toolbar{};
    toolbar.ViewType = vtToolbar;
    toolbar.AllowDrag = true;
    toolbar.BorderStyle = 1;
    toolbar.DragHandleStyle = dhSingle;
    TThemeSurface surface(80, 26);
    surface.Canvas()->Brush()->SetColor(clRed);
    theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 80, 26}, toolbar);
    EXPECT_EQ(surface.Pixel(0, 0), kLight);
    EXPECT_EQ(surface.Pixel(79, 25), kShadow);
    // Grip dashes three pixels long, every second row of the handle.
    EXPECT_EQ(surface.Pixel(3, 7), Rgb(theme->Colors().Grip));
    EXPECT_EQ(surface.Pixel(5, 7), Rgb(theme->Colors().Grip));
    EXPECT_EQ(surface.Pixel(3, 8), kPaper);
  }
  {
    // A vertical toolbar's close button sits at the far end of its handle: the grip stops before it.
    TStyledToolbarPaintInfo toolbar{};
    toolbar.ViewType = vtToolbar;
    toolbar.IsVertical = true;
    toolbar.AllowDrag = true;
    toolbar.DragHandleStyle = dhSingle;
    toolbar.CloseButtonState = cbsShown;
    TThemeSurface surface(26, 80);
    theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 26, 80}, toolbar);
    const RECT button{11, 2, 24, 15};
    EXPECT_EQ(surface.Pixel(5, 7), Rgb(theme->Colors().Grip));
    EXPECT_EQ(surface.Capture().CountPixels(Rgb(theme->Colors().Grip), &button), 0);
    EXPECT_GT(surface.Capture().CountPixels(Rgb(theme->ToolbarItems()[themes::tsNormal].Text), &button), 0);
  }
}

TEST_F(PastelTest, LowColourKeepsSystemColours) {
  themes::TStyledPastelLook* theme = Pastel();
  const bool saved = LowColor;
  LowColor = true;
  theme->SetupColorCache();
  const auto systemOrNone = [](TColor color) { return color == clNone || (color & 0xFF000000) == 0x80000000; };
  for (const themes::TItemColors& row : theme->ToolbarItems()) {
    EXPECT_TRUE(systemOrNone(row.Fill) && systemOrNone(row.Text) && systemOrNone(row.Frame));
  }
  for (const themes::TItemColors& row : theme->PopupItems()) {
    EXPECT_TRUE(systemOrNone(row.Fill) && systemOrNone(row.Text) && systemOrNone(row.Frame));
  }
  EXPECT_EQ(theme->ViewBackColor(vtToolbar), clBtnFace);
  EXPECT_EQ(theme->ViewBackColor(vtPopupMenu), clWindow);
  EXPECT_EQ(theme->Colors().Grip, clBtnText);
  LowColor = saved;
  theme->SetupColorCache();
  EXPECT_EQ(Rgb(theme->ViewBackColor(vtToolbar)), kPastelToolbar);
}

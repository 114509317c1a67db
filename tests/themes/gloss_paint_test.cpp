// What the Gloss theme paints, pixel by pixel, under pinned system colours: striped backgrounds, glossy and
// cut-corner faces, captions and glyphs, edit boxes, menu items, dotted separators, scroll buttons, pop-up, toolbar,
// docked and floating frames, status bars and the standard controls.
#include <string>

#include "theme_fixture.h"
#include "themes/styled_gloss_theme.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/stock_objects.h"

using namespace toolbars;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBase = RGB(153, 153, 217);
constexpr COLORREF kBaseDark = RGB(145, 145, 209);   // 8 darker
constexpr COLORREF kBaseLight = RGB(163, 163, 227);  // 8 and 2 more lighter, the base being dark
constexpr COLORREF kToolbar = RGB(244, 244, 244);
constexpr COLORREF kToolbarDark = RGB(236, 236, 236);
constexpr COLORREF kToolbarLight = RGB(252, 252, 252);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kEdge = RGB(160, 160, 160);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kEditFrame = RGB(205, 205, 205);
constexpr COLORREF kPaleFrame = RGB(224, 224, 224);

class GlossPaintTest : public ThemeTest {
 protected:
  themes::TStyledGlossTheme* Gloss() { return Theme<themes::TStyledGlossTheme>(L"Gloss"); }
  COLORREF HotFrame() { return Rgb(Gloss()->ToolbarItems()[themes::tsHot].Frame); }
  COLORREF HotFill() { return Rgb(Gloss()->ToolbarItems()[themes::tsHot].Fill); }
  COLORREF NormalText() { return Rgb(Gloss()->ToolbarItems()[themes::tsNormal].Text); }
};

TStyledItemPaintInfo State(TStyledItemPaintInfo info, bool enabled, bool pushed, bool checked) {
  info.Enabled = enabled;
  info.Pushed = pushed;
  info.Checked = checked;
  return info;
}

}  // namespace

TEST_F(GlossPaintTest, BackgroundsAreStripedFromTheViewsTop) {
  themes::TStyledGlossTheme* theme = Gloss();
  const struct {
    const char* Name;
    int ViewType;
    COLORREF Row0, Row1, Row2;
  } views[] = {
      {"toolbar", vtToolbar, kToolbarDark, kToolbarLight, kToolbar},
      {"pop-up", vtPopupMenu, kToolbarDark, kToolbarLight, kToolbar},
      {"opaque toolbar", vtToolbar | vtOpaque, kToolbar, kToolbar, kToolbar},
      {"plain dock", vtDock | 1, kToolbar, kToolbar, kToolbar},
  };
  for (const auto& view : views) {
    SCOPED_TRACE(view.Name);
    // Rows 0 to 30: the last stripe's light row would fall on row 31, outside the view.
    TThemeSurface surface(30, 34);
    theme->PaintViewBackground(surface.Canvas(), {}, {0, 0, 30, 31}, {0, 0, 30, 31}, 0x00F4F4F4, false, view.ViewType);
    EXPECT_EQ(surface.Pixel(5, 0), view.Row0);
    EXPECT_EQ(surface.Pixel(5, 1), view.Row1);
    EXPECT_EQ(surface.Pixel(5, 2), view.Row2);
    EXPECT_EQ(surface.Pixel(29, 27), view.Row0);
    EXPECT_EQ(surface.Pixel(5, 30), view.Row0);
    EXPECT_EQ(surface.Pixel(5, 31), kPaper);
    // Transparent views and a colour of none are left alone.
    TThemeSurface untouched(10, 10);
    theme->PaintViewBackground(untouched.Canvas(), {}, {0, 0, 10, 10}, {0, 0, 10, 10}, 0x00F4F4F4, true, view.ViewType);
    theme->PaintViewBackground(untouched.Canvas(), {}, {0, 0, 10, 10}, {0, 0, 10, 10}, clNone, false, view.ViewType);
    EXPECT_EQ(untouched.Capture().CountPixels(kPaper), 100);
  }
  // A repaint of the lower part keeps the stripes on the rows of a full repaint, and paints nothing outside it.
  TThemeSurface full(30, 40);
  theme->PaintViewBackground(full.Canvas(), {}, {0, 0, 30, 40}, {0, 0, 30, 40}, 0x00F4F4F4, false, vtToolbar);
  // Each phase of the stripes at the clip's top.
  for (int top : {10, 11, 12}) {
    TThemeSurface part(30, 40);
    theme->PaintViewBackground(part.Canvas(), {}, {0, 0, 30, 40}, {0, top, 30, 25}, 0x00F4F4F4, false, vtToolbar);
    for (int y = 0; y < 40; ++y)
      EXPECT_EQ(part.Pixel(3, y), y >= top && y < 25 ? full.Pixel(3, y) : kPaper) << "clip from " << top << ", row " << y;
  }
  // The highlight stripes of a dark colour are lifted more.
  TThemeSurface hot(20, 6);
  theme->PaintViewBackground(hot.Canvas(), {}, {0, 0, 20, 6}, {0, 0, 20, 6}, static_cast<TColor>(kBase), false, 0);
  EXPECT_EQ(hot.Pixel(4, 0), kBaseDark);
  EXPECT_EQ(hot.Pixel(4, 1), kBaseLight);
  EXPECT_EQ(hot.Pixel(4, 2), kBase);
}

TEST_F(GlossPaintTest, ButtonFacesInTheirStates) {
  themes::TStyledGlossTheme* theme = Gloss();
  const COLORREF mid = RGB(204, 204, 236);          // 20 % highlight over window
  const COLORREF midDisabled = RGB(217, 217, 241);  // 15 %
  const struct {
    const char* Name;
    TStyledItemPaintInfo Info;
    COLORREF Corner, Edge, Diagonal, Inside, TopInside;
  } faces[] = {
      // Corner (0, 0), top edge (2, 0), the cut's diagonal (1, 1), inside (5, 10), the top row inside (5, 1).
      {"normal", Item(vtToolbar, ioToolbarStyle), kPaper, kPaper, kPaper, kPaper, kPaper},
      {"hot", Item(vtToolbar, ioToolbarStyle, hkHot), kPaper, kBase, kBase, kPaper, kPaper},
      {"pushed", State(Item(vtToolbar, ioToolbarStyle), true, true, false), kPaper, kBase, kBase, 0, kWhite},
      {"checked", State(Item(vtToolbar, ioToolbarStyle), true, false, true), kPaper, kBase, kBase, 0, kWhite},
      {"checked, disabled", State(Item(vtToolbar, ioToolbarStyle), false, false, true), kPaper, kPaper, kPaper, kPaper,
       kPaper},
      {"disabled, keyboard", State(Item(vtToolbar, ioToolbarStyle, hkKeyboardHot), false, false, false), kPaper, kBase,
       kBase, kPaper, kPaper},
      {"disabled, mouse", State(Item(vtToolbar, ioToolbarStyle, hkHot), false, false, false), kPaper, kPaper, kPaper,
       kPaper, kPaper},
      {"designing", Item(vtToolbar, ioToolbarStyle | ioDesigning), kPaper, kBase, kBase, kPaper, kPaper},
      {"opaque", Item(vtToolbar | vtOpaque, ioToolbarStyle), kPaper, mid, mid, kToolbar, kToolbar},
      {"opaque, disabled", State(Item(vtToolbar | vtOpaque, ioToolbarStyle), false, false, false), kPaper, midDisabled,
       midDisabled, kPaper, kPaper},
      {"not toolbar-style, hot", Item(vtToolbar, 0, hkHot), kPaper, kBase, kPaper, kPaper, kPaper},
      {"menu bar, hot", Item(vtMenuBar, ioToolbarStyle, hkHot), kSilver, kSilver, kPaper, kPaper, kPaper},
      {"menu bar, pushed", State(Item(vtMenuBar, ioToolbarStyle), true, true, false), kBaseDark, kBaseDark, kBaseLight,
       kBaseLight, kBaseLight},
      {"menu bar, normal", Item(vtMenuBar, ioToolbarStyle), kPaper, kPaper, kPaper, kPaper, kPaper},
  };
  for (const auto& face : faces) {
    SCOPED_TRACE(face.Name);
    TThemeSurface surface(24, 22);
    theme->PaintButtonFace(surface.Canvas(), {0, 0, 24, 22}, face.Info);
    EXPECT_EQ(surface.Pixel(0, 0), face.Corner);
    EXPECT_EQ(surface.Pixel(2, 0), face.Edge);
    EXPECT_EQ(surface.Pixel(1, 1), face.Diagonal);
    if (face.Inside != 0) {
      EXPECT_EQ(surface.Pixel(5, 10), face.Inside);
    }
    EXPECT_EQ(surface.Pixel(5, 1), face.TopInside);
  }
  // Cuts of one pixel where the item is not toolbar-style, and on the split parts' inner sides.
  TThemeSurface plain(24, 22);
  theme->PaintButtonFace(plain.Canvas(), {0, 0, 24, 22}, Item(vtToolbar, 0, hkHot));
  EXPECT_EQ(plain.Pixel(1, 0), kBase);
  EXPECT_EQ(plain.Pixel(0, 1), kBase);
  TStyledItemPaintInfo main = Item(vtToolbar, ioToolbarStyle, hkHot);
  main.ButtonPart = cpMainOfCombo;
  TThemeSurface mainPart(24, 22);
  theme->PaintButtonFace(mainPart.Canvas(), {0, 0, 24, 22}, main);
  EXPECT_EQ(mainPart.Pixel(1, 0), kPaper);
  EXPECT_EQ(mainPart.Pixel(22, 0), kBase);
  EXPECT_EQ(mainPart.Pixel(23, 0), kPaper);
  // The arrow part reaches one pixel left of its rectangle and carries its arrow.
  TStyledItemPaintInfo arrow = main;
  arrow.ButtonPart = cpComboArrow;
  TThemeSurface arrowPart(24, 22);
  theme->PaintButtonFace(arrowPart.Canvas(), {4, 0, 16, 22}, arrow);
  EXPECT_EQ(arrowPart.Pixel(4, 0), kBase);
  EXPECT_EQ(arrowPart.Pixel(3, 1), kBase);
  EXPECT_EQ(arrowPart.Pixel(3, 0), kPaper);
  EXPECT_EQ(arrowPart.Pixel(10, 10), kBlack);
}

TEST_F(GlossPaintTest, APushedFaceHasAGlossyStepInTheMiddle) {
  themes::TStyledGlossTheme* theme = Gloss();
  TThemeSurface surface(24, 22);
  theme->PaintButtonFace(surface.Canvas(), {0, 0, 24, 22}, State(Item(vtToolbar, ioToolbarStyle), true, true, false));
  // From white at the top towards the base, a step darker than the base, back towards it at the bottom.
  EXPECT_EQ(surface.Pixel(8, 1), kWhite);
  EXPECT_EQ(surface.Pixel(8, 20), RGB(149, 149, 215));
  int darkest = 255;
  int step = 0;
  for (int y = 1; y < 21; ++y) {
    const int red = GetRValue(surface.Pixel(8, y));
    if (y > 1) step = std::max(step, GetRValue(surface.Pixel(8, y - 1)) - red);
    darkest = std::min(darkest, red);
  }
  EXPECT_LT(darkest, 153);
  EXPECT_GT(step, 30);
  // A checked face, not hot, starts from a paler base.
  TThemeSurface checked(24, 22);
  theme->PaintButtonFace(checked.Canvas(), {0, 0, 24, 22}, State(Item(vtToolbar, ioToolbarStyle), true, false, true));
  EXPECT_GT(GetRValue(checked.Pixel(8, 20)), GetRValue(surface.Pixel(8, 20)));
}

TEST_F(GlossPaintTest, CaptionColoursByViewAndState) {
  themes::TStyledGlossTheme* theme = Gloss();
  const TColor savedCaption = CaptionTextColor;
  CaptionTextColor = static_cast<TColor>(RGB(0, 120, 0));
  TStyledItemPaintInfo splitMain = Item(vtToolbar, ioToolbarStyle, hkHot);
  splitMain.ButtonPart = cpMainOfCombo;
  splitMain.IsSubmenuParent = true;
  const struct {
    const char* Name;
    TStyledItemPaintInfo Info;
    COLORREF Text;
  } captions[] = {
      {"hot menu-bar item", Item(vtMenuBar, ioToolbarStyle, hkHot), kText},
      {"pushed hot menu-bar item", State(Item(vtMenuBar, ioToolbarStyle, hkHot), true, true, false), kWhite},
      {"open split item", splitMain, RGB(0, 120, 0)},
      {"hot pop-up item", Item(vtPopupMenu, 0, hkHot), kWhite},
      {"toolbar item", Item(vtToolbar, ioToolbarStyle), RGB(0, 120, 0)},
      {"disabled toolbar item", State(Item(vtToolbar, ioToolbarStyle), false, false, false),
       Rgb(theme->ToolbarItems()[themes::tsDisabled].Text)},
      {"disabled pop-up item", State(Item(vtPopupMenu), false, false, false),
       Rgb(theme->PopupItems()[themes::psDisabled].Text)},
  };
  for (const auto& caption : captions) {
    SCOPED_TRACE(caption.Name);
    for (bool rotated : {false, true}) {
      TThemeSurface surface(60, 60);
      surface.Canvas()->Font()->SetName(L"Tahoma");
      surface.Canvas()->Font()->SetSize(14);
      theme->PaintItemCaption(surface.Canvas(), {0, 0, 60, 60}, caption.Info, L"HHH", DT_SINGLELINE, rotated);
      EXPECT_GT(surface.Capture().CountPixels(caption.Text), 10) << rotated;
      // The brush is solid again and nothing was filled behind the text.
      EXPECT_EQ(surface.Canvas()->Brush()->Style(), TBrushStyle::bsSolid);
      EXPECT_EQ(surface.Pixel(59, 59), kPaper);
    }
  }
  CaptionTextColor = savedCaption;
}

TEST_F(GlossPaintTest, CheckMarksChevronsAndMdiButtons) {
  themes::TStyledGlossTheme* theme = Gloss();
  for (bool enabled : {true, false}) {
    TThemeSurface surface(16, 16);
    theme->PaintCheckGlyph(surface.Canvas(), {0, 0, 16, 16}, State(Item(vtPopupMenu), enabled, false, true));
    const COLORREF mark = enabled ? kBlack : Rgb(theme->PopupItems()[themes::psDisabled].Text);
    EXPECT_EQ(surface.Pixel(6, 9), mark) << enabled;
    EXPECT_EQ(surface.Pixel(10, 5), mark) << enabled;
    EXPECT_EQ(surface.Pixel(2, 2), kPaper) << enabled;
  }
  // The chevron stands on a hot face in the item's text colour, on rows 4 to 8 of its button.
  TThemeSurface chevron(40, 50);
  theme->PaintChevronGlyph(chevron.Canvas(), {10, 20, 30, 40}, Item(vtToolbar, ioToolbarStyle, hkHot));
  EXPECT_EQ(chevron.Pixel(12, 24), kBlack);
  EXPECT_EQ(chevron.Pixel(12, 20), kBase);
  EXPECT_EQ(chevron.Pixel(12, 4), kPaper);
  // A close button: the hot face, its cross; a maximise button the face alone.
  for (UINT kind : {mbClose, mbMaximize}) {
    TThemeSurface surface(20, 20);
    theme->PaintMdiButton(surface.Canvas(), {0, 0, 20, 20}, Item(vtMenuBar, ioToolbarStyle, hkHot), kind);
    EXPECT_EQ(surface.Pixel(5, 0), kSilver) << kind;
    EXPECT_EQ(surface.Capture().CountPixels(kBlack) > 0, kind == mbClose) << kind;
  }
}

TEST_F(GlossPaintTest, ItemAndEditFrames) {
  themes::TStyledGlossTheme* theme = Gloss();
  const struct {
    const char* Name;
    TStyledItemPaintInfo Info;
    COLORREF Edge, Inner, InnerTop;  // (3, 0), (1, 1) and (5, 1)
  } frames[] = {
      {"normal", Item(vtToolbar), kPaper, kPaper, kPaper},
      {"hot", Item(vtToolbar, 0, hkHot), HotFrame(), kWhite, kWhite},
      {"pushed", State(Item(vtToolbar, 0, hkHot), true, true, false), kPaleFrame, kWhite, kWhite},
      {"disabled", State(Item(vtToolbar), false, false, false), kPaper, kToolbar, kToolbar},
      {"disabled, keyboard", State(Item(vtToolbar, 0, hkKeyboardHot), false, false, false), kPaper, kWhite, kWhite},
  };
  for (const auto& frame : frames) {
    SCOPED_TRACE(frame.Name);
    TThemeSurface surface(30, 20);
    theme->PaintItemFrame(surface.Canvas(), {0, 0, 30, 20}, frame.Info);
    EXPECT_EQ(surface.Pixel(3, 0), frame.Edge);
    EXPECT_EQ(surface.Pixel(1, 1), frame.Inner);
    EXPECT_EQ(surface.Pixel(5, 1), frame.InnerTop);
    EXPECT_EQ(surface.Pixel(0, 0), kPaper);
  }

  // An edit box of 60 x 20 with a spin button 13 wide: the box frame, its white inside, then the button.
  const struct {
    const char* Name;
    TStyledItemPaintInfo Info;
    COLORREF BoxFrame, BoxInside;
  } edits[] = {{"normal", Item(vtToolbar), kEditFrame, kWhite},
               {"hot", Item(vtToolbar, 0, hkHot), kWhite, kWhite},
               {"disabled", State(Item(vtToolbar), false, false, false), kPaleFrame, kPaper}};
  for (const auto& edit : edits) {
    SCOPED_TRACE(edit.Name);
    TStyledItemPaintInfo info = edit.Info;
    TStyledEditFrameInfo frame{};
    frame.RightWidth = 13;
    frame.RightButton.ButtonType = ebSpin;
    TThemeSurface surface(60, 20);
    theme->PaintEditFrame(surface.Canvas(), {0, 0, 60, 20}, info, frame);
    EXPECT_EQ(surface.Pixel(20, 1), edit.BoxFrame);
    EXPECT_EQ(surface.Pixel(1, 10), edit.BoxFrame);
    EXPECT_EQ(surface.Pixel(20, 2), edit.BoxInside);
    // The button's parts are framed in the edit frame colour from one pixel right of their rectangle.
    EXPECT_EQ(surface.Pixel(47, 1), kEditFrame);
    EXPECT_EQ(surface.Pixel(58, 18), kEditFrame);
  }
}

TEST_F(GlossPaintTest, EditButtonsInTheirStates) {
  themes::TStyledGlossTheme* theme = Gloss();
  const COLORREF arrow = NormalText();
  const struct {
    const char* Name;
    int Kind, State;
    COLORREF UpperEdge, UpperTop, LowerTop, LowerEdge;  // (1, 0), (6, 0), (6, 10), (1, 19)
    COLORREF UpperArrow, LowerArrow;
  } buttons[] = {
      {"spin", ebSpin, 0, kEditFrame, kEditFrame, kEditFrame, kEditFrame, arrow, arrow},
      // A pushed part's arrow takes the pushed row's text colour.
      {"spin, lower pushed", ebSpin, ebsLowerPushed, kEditFrame, kEditFrame, kSilver, kWhite, arrow, kBlack},
      {"spin, upper pushed", ebSpin, ebsPushed, kSilver, kSilver, kEditFrame, kEditFrame, kBlack, arrow},
      {"spin, hot", ebSpin, ebsHot, kWhite, kWhite, kWhite, 0, arrow, arrow},
      {"spin, disabled", ebSpin, ebsDisabled | ebsHot, kPaper, kPaper, kPaper, kPaper, arrow, arrow},
      // A drop-down button of an edit carries the pair of arrows of a whole item.
      {"drop-down", ebDropDown, 0, kEditFrame, kEditFrame, 0, kEditFrame, arrow, arrow},
      {"drop-down, pushed", ebDropDown, ebsPushed, kSilver, kSilver, 0, kWhite, arrow, arrow},
      {"drop-down, hot", ebDropDown, ebsHot, kPaper, kPaper, 0, kPaper, arrow, arrow},
      {"drop-down, disabled", ebDropDown, ebsDisabled, kPaleFrame, kPaleFrame, 0, kPaleFrame, arrow, arrow},
  };
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.Name);
    TStyledItemPaintInfo info = Item(vtToolbar);
    TStyledEditButtonInfo buttonInfo{button.Kind, button.State};
    TThemeSurface surface(14, 20);
    theme->PaintEditButton(surface.Canvas(), {0, 0, 14, 20}, info, buttonInfo);
    EXPECT_FALSE(info.Pushed);
    EXPECT_EQ(surface.Pixel(0, 5), kPaper);
    EXPECT_EQ(surface.Pixel(1, 0), button.UpperEdge);
    EXPECT_EQ(surface.Pixel(6, 0), button.UpperTop);
    if (button.LowerTop != 0) {
      EXPECT_EQ(surface.Pixel(6, 10), button.LowerTop);
    }
    if (button.LowerEdge != 0) {
      EXPECT_EQ(surface.Pixel(1, 19), button.LowerEdge);
    }
    // Up and down arrows in the middle of each part, or an up and a down arrow in the middle of the button.
    const bool spin = button.Kind == ebSpin;
    EXPECT_EQ(surface.Pixel(7, spin ? 4 : 7), button.UpperArrow);
    EXPECT_EQ(surface.Pixel(7, spin ? 14 : 12), button.LowerArrow);
    EXPECT_NE(surface.Pixel(7, spin ? 16 : 9), arrow);
  }
}

TEST_F(GlossPaintTest, DropDownArrowsByPartAndDirection) {
  themes::TStyledGlossTheme* theme = Gloss();
  const struct {
    const char* Name;
    uint8_t Part;
    bool Vertical;
    POINT Painted[2];
    POINT Clear;
  } arrows[] = {
      {"split arrow", cpComboArrow, false, {{10, 10}, {8, 9}}, {10, 12}},
      {"split arrow, vertical", cpComboArrow, true, {{9, 9}, {10, 10}}, {11, 9}},
      {"pair", cpWhole, false, {{10, 12}, {10, 7}}, {10, 10}},
      {"pair, vertical", cpWhole, true, {{8, 10}, {13, 10}}, {10, 10}},
  };
  for (const auto& arrow : arrows) {
    SCOPED_TRACE(arrow.Name);
    TStyledItemPaintInfo info = Item(vtToolbar);
    info.ButtonPart = arrow.Part;
    info.Vertical = arrow.Vertical;
    TThemeSurface surface(20, 20);
    theme->PaintDropDownArrow(surface.Canvas(), {0, 0, 20, 20}, info);
    for (const POINT& p : arrow.Painted) EXPECT_EQ(surface.Pixel(p.x, p.y), NormalText()) << p.x << "," << p.y;
    EXPECT_EQ(surface.Pixel(arrow.Clear.x, arrow.Clear.y), kPaper);
  }
}

TEST_F(GlossPaintTest, MenuItemsStripesDividersArrowsAndCheckBoxes) {
  themes::TStyledGlossTheme* theme = Gloss();
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  const int split = 120 - w - 1;
  const int arrowX = 120 - (2 * w) / 3 - 1;
  const COLORREF text = Rgb(theme->PopupItems()[themes::psNormal].Text);
  const COLORREF gray = Rgb(theme->PopupItems()[themes::psDisabled].Text);
  const struct {
    const char* Name;
    TStyledItemPaintInfo Info;
    COLORREF Row0, Row1, Divider, Arrow;
  } items[] = {
      {"normal", Item(vtPopupMenu, ioHasSubmenu | ioDropDownCombo), kPaper, kPaper, kBlack, text},
      {"hot", Item(vtPopupMenu, ioHasSubmenu | ioDropDownCombo, hkHot), kBaseDark, kBaseLight, kWhite, kWhite},
      {"keyboard-hot", Item(vtPopupMenu, ioHasSubmenu | ioDropDownCombo, hkKeyboardHot), kBaseDark, kBaseLight, kBlack,
       kWhite},
      {"disabled, keyboard",
       State(Item(vtPopupMenu, ioHasSubmenu | ioDropDownCombo, hkKeyboardHot), false, false, false), kBaseDark,
       kBaseLight, Rgb(theme->PopupItems()[themes::psDisabledHot].Text), kWhite},
      {"disabled, mouse", State(Item(vtPopupMenu, ioHasSubmenu | ioDropDownCombo, hkHot), false, false, false), kPaper,
       kPaper, gray, kWhite},
  };
  for (const auto& item : items) {
    SCOPED_TRACE(item.Name);
    TStyledItemPaintInfo info = item.Info;
    info.ImageColumnWidth = 20;
    TThemeSurface surface(120, 44);
    theme->PaintMenuItem(surface.Canvas(), {0, 20, 120, 40}, info);
    EXPECT_EQ(surface.Pixel(40, 20), item.Row0);
    EXPECT_EQ(surface.Pixel(40, 21), item.Row1);
    EXPECT_EQ(surface.Pixel(40, 40), kPaper);
    EXPECT_EQ(surface.Pixel(split, 25), item.Divider);
    EXPECT_EQ(surface.Pixel(split, 20), item.Row0);
    // The submenu arrow points right in the middle of the item.
    EXPECT_EQ(surface.Pixel(arrowX + 1, 30), item.Arrow);
    EXPECT_EQ(surface.Pixel(40, 19), kPaper);
  }
  // A checked item's box over the image column: white inside a cut-corner frame, grey or in the base colour.
  for (uint8_t hover : {hkNone, hkHot}) {
    TStyledItemPaintInfo info = State(Item(vtPopupMenu, 0, hover), true, false, true);
    info.ImageColumnWidth = 20;
    TThemeSurface surface(120, 44);
    theme->PaintMenuItem(surface.Canvas(), {0, 20, 120, 40}, info);
    const COLORREF frame = hover == hkNone ? kEdge : kBase;
    EXPECT_EQ(surface.Pixel(2, 24), frame) << int(hover);
    EXPECT_EQ(surface.Pixel(10, 22), frame) << int(hover);
    EXPECT_EQ(surface.Pixel(19, 30), frame) << int(hover);
    EXPECT_EQ(surface.Pixel(10, 30), kWhite) << int(hover);
    EXPECT_EQ(surface.Pixel(20, 30), hover == hkNone ? kPaper : kBaseLight) << int(hover);
  }
}

TEST_F(GlossPaintTest, SeparatorsAreDotsEveryThirdPixel) {
  themes::TStyledGlossTheme* theme = Gloss();
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled);
    TStyledItemPaintInfo info = State(Item(vtPopupMenu), enabled, false, false);
    TThemeSurface across(100, 60);
    theme->PaintSeparator(across.Canvas(), {10, 40, 100, 50}, info, true, false);
    // Horizontal dots still show on a disabled separator.
    for (int x = 10; x < 100; ++x) EXPECT_EQ(across.Pixel(x, 45), (x - 10) % 3 == 0 ? kBlack : kPaper) << x;
    EXPECT_EQ(across.Capture().CountPixels(kBlack), 30);
    TThemeSurface down(100, 60);
    theme->PaintSeparator(down.Canvas(), {40, 10, 50, 60}, State(Item(vtToolbar), enabled, false, false), false, false);
    EXPECT_EQ(down.Capture().CountPixels(kBlack), enabled ? 17 : 0);
    if (enabled) {
      EXPECT_EQ(down.Pixel(45, 10), kBlack);
      EXPECT_EQ(down.Pixel(45, 11), kPaper);
      EXPECT_EQ(down.Pixel(45, 58), kBlack);
    }
  }
}

TEST_F(GlossPaintTest, ScrollButtonsWithSoftenedCorners) {
  themes::TStyledGlossTheme* theme = Gloss();
  for (bool hot : {false, true}) {
    SCOPED_TRACE(hot);
    TThemeSurface surface(22, 18);
    theme->PaintScrollButton(surface.Canvas(), {1, 1, 21, 17}, sbDown, hot);
    const COLORREF pen = hot ? kBase : RGB(159, 159, 159);
    EXPECT_EQ(surface.Pixel(2, 1), pen);
    EXPECT_EQ(surface.Pixel(1, 2), pen);
    for (const POINT& corner : {POINT{1, 1}, POINT{20, 1}, POINT{20, 16}, POINT{1, 16}})
      EXPECT_EQ(surface.Pixel(corner.x, corner.y), kSilver) << corner.x << "," << corner.y;
    EXPECT_EQ(surface.Pixel(0, 0), kPaper);
    EXPECT_EQ(surface.Pixel(21, 17), kPaper);
    EXPECT_EQ(surface.Pixel(3, 2), hot ? kWhite : kToolbar);
    // The arrow points down from the middle.
    EXPECT_EQ(surface.Pixel(11, 8), hot ? kWhite : kBlack);
  }
}

TEST_F(GlossPaintTest, PopupFrameOpensTowardsTheParentItem) {
  themes::TStyledGlossTheme* theme = Gloss();
  const struct {
    const char* Name;
    RECT Parent;
    int From, To;  // the opened run along the edge
    bool Horizontal;
    int At;
  } openings[] = {
      {"above", {10, -20, 30, 1}, 11, 29, true, 0},  {"above, wider", {-5, -20, 70, 1}, 1, 59, true, 0},
      {"below", {10, 39, 30, 60}, 11, 29, true, 39}, {"left", {-20, 10, 1, 30}, 11, 29, false, 0},
      {"right", {59, 5, 80, 50}, 6, 39, false, 59},
  };
  for (const auto& opening : openings) {
    SCOPED_TRACE(opening.Name);
    TThemeSurface surface(60, 40);
    TStyledPopupPaintInfo popup{};
    popup.ViewType = vtPopupMenu;
    popup.ParentRect = opening.Parent;
    theme->PaintPopupFrame(surface.Canvas(), {0, 0, 60, 40}, popup);
    EXPECT_EQ(surface.Pixel(20, 20), kWhite);
    const int length = opening.Horizontal ? 60 : 40;
    for (int i = 0; i < length; ++i) {
      const COLORREF pixel = opening.Horizontal ? surface.Pixel(i, opening.At) : surface.Pixel(opening.At, i);
      EXPECT_EQ(pixel, i >= opening.From && i < opening.To ? kToolbar : kSilver) << i;
    }
  }
}

TEST_F(GlossPaintTest, ToolbarFramesEdgesGripsAndCloseButtons) {
  themes::TStyledGlossTheme* theme = Gloss();
  const struct {
    const char* Name;
    int ViewType;
    COLORREF BottomStart, RightTop;
  } kinds[] = {{"toolbar", vtToolbar, kToolbarDark, kToolbarLight},
               {"menu bar", vtMenuBar, kGrey, kEdge},
               {"dock", vtDock, kToolbarDark, kToolbarLight}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.Name);
    TStyledToolbarPaintInfo toolbar{};
    toolbar.ViewType = kind.ViewType;
    toolbar.BorderSize = {2, 2};
    TThemeSurface surface(100, 30);
    theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 100, 30}, toolbar);
    // The stripes start one row above the frame.
    EXPECT_EQ(surface.Pixel(50, 0), kToolbarLight);
    EXPECT_EQ(surface.Pixel(50, 1), kToolbar);
    EXPECT_EQ(surface.Pixel(50, 2), kToolbarDark);
    const bool edged = kind.ViewType != vtDock;
    EXPECT_EQ(surface.Pixel(0, 29), kind.BottomStart);
    EXPECT_EQ(surface.Pixel(50, 29), edged ? (kind.ViewType == vtMenuBar ? kGrey : kEdge) : kToolbarDark);
    EXPECT_EQ(surface.Pixel(99, 0), kind.RightTop);
    EXPECT_EQ(surface.Pixel(99, 15), edged ? kEdge : kToolbarLight);
  }
  // Grip bumps every fourth row, two runs for the double style, in blends of silver with grey and white.
  const COLORREF d64 = RGB(143, 143, 143);
  const COLORREF h128 = RGB(222, 222, 222);
  for (int style : {dhDouble, dhSingle, dhNone}) {
    SCOPED_TRACE(style);
    TStyledToolbarPaintInfo toolbar{};
    toolbar.ViewType = vtToolbar;
    toolbar.AllowDrag = true;
    toolbar.DragHandleStyle = style;
    TThemeSurface surface(100, 30);
    theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 100, 30}, toolbar);
    const int bumps = style == dhNone ? 0 : style == dhDouble ? 10 : 5;
    EXPECT_EQ(surface.Capture().CountPixels(d64), bumps);
    if (style != dhNone) {
      for (int y : {6, 10, 14, 18, 22}) EXPECT_EQ(surface.Pixel(3, y), d64) << y;
      EXPECT_EQ(surface.Pixel(5, 8), h128);
    }
  }
  // A hot close button at the handle's start, in the hot row's colours, the grip moved after it.
  TStyledToolbarPaintInfo toolbar{};
  toolbar.ViewType = vtToolbar;
  toolbar.AllowDrag = true;
  toolbar.DragHandleStyle = dhSingle;
  toolbar.CloseButtonState = cbsShown | cbsHot;
  TThemeSurface surface(100, 40);
  theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 100, 40}, toolbar);
  EXPECT_EQ(surface.Pixel(2, 2), HotFrame());
  EXPECT_EQ(surface.Pixel(14, 14), HotFrame());
  EXPECT_EQ(surface.Pixel(3, 3), HotFill());
  EXPECT_GT(surface.Capture().CountPixels(kBlack), 10);
  EXPECT_EQ(surface.Pixel(7, 18), d64);
}

TEST_F(GlossPaintTest, DockedCaptionsAlongTheTopAndTheSide) {
  themes::TStyledGlossTheme* theme = Gloss();
  const int h = GetSystemMetrics(SM_CYSMCAPTION);
  const COLORREF k = RGB(240, 0, 0);
  for (bool lowColor : {false, true}) {
    for (bool horizontal : {true, false}) {
      SCOPED_TRACE(testing::Message() << "low colour " << lowColor << ", horizontal " << horizontal);
      const bool saved = LowColor;
      LowColor = lowColor;
      TStyledDockedCaptionInfo caption{};
      caption.HorizontalCaption = horizontal;
      caption.BorderSize = {2, 2};
      caption.ShowCaption = true;
      caption.CloseButtonState = cbsShown | cbsHot;
      caption.Caption = L"Docked window";
      TThemeSurface surface(120, 120);
      surface.Canvas()->Brush()->SetColor(static_cast<TColor>(k));
      theme->PaintDockedCaption(surface.Canvas(), {0, 0, 120, 120}, caption);
      LowColor = saved;
      // The edge: a face ring outside a ring in the brush colour, or a checker between two brush rings.
      EXPECT_EQ(surface.Pixel(0, 60), lowColor ? k : kFace);
      EXPECT_EQ(surface.Pixel(1, 60), lowColor ? surface.Pixel(1, 60) : k);
      if (lowColor) {
        EXPECT_NE(surface.Pixel(1, 60), surface.Pixel(1, 61));
      }
      EXPECT_EQ(surface.Pixel(1, 1), lowColor ? k : kFace);
      if (horizontal) {
        // The bar: white at the top, the edge colour on its last row, the brush colour under it.
        EXPECT_EQ(surface.Pixel(30, 2), kWhite);
        EXPECT_EQ(surface.Pixel(30, h - 1 + 1), kEdge);
        EXPECT_EQ(surface.Pixel(30, h + 1), k);
        // The hot close button at the right end.
        EXPECT_EQ(surface.Pixel(118 - (h - 1), 2), kGrey);
        EXPECT_EQ(surface.Pixel(116, 4), kWhite);
      } else {
        EXPECT_EQ(surface.Pixel(2, 60), kWhite);
        EXPECT_EQ(surface.Pixel(h - 1 + 1, 60), kEdge);
        EXPECT_EQ(surface.Pixel(h + 1, 60), k);
        EXPECT_EQ(surface.Pixel(2, 118 - (h - 1)), kGrey);
      }
      EXPECT_GT(surface.Capture().CountPixels(kBlack), 20);
    }
  }
}

TEST_F(GlossPaintTest, AHiddenDockedCaptionLeavesOnlyTheEdge) {
  TStyledDockedCaptionInfo caption{};
  caption.HorizontalCaption = true;
  caption.BorderSize = {2, 2};
  caption.ShowCaption = false;
  caption.CloseButtonState = cbsShown;
  caption.Caption = L"Docked window";
  TThemeSurface surface(120, 120);
  surface.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(240, 0, 0)));
  Gloss()->PaintDockedCaption(surface.Canvas(), {0, 0, 120, 120}, caption);
  EXPECT_EQ(surface.Pixel(0, 60), kFace);
  EXPECT_EQ(surface.Capture().CountPixels(kPaper), 116 * 116);
}

TEST_F(GlossPaintTest, ADockedCaptionsTextStopsBeforeItsCloseButton) {
  themes::TStyledGlossTheme* theme = Gloss();
  const int h = GetSystemMetrics(SM_CYSMCAPTION);
  for (bool horizontal : {true, false}) {
    SCOPED_TRACE(horizontal);
    TStyledDockedCaptionInfo caption{};
    caption.HorizontalCaption = horizontal;
    caption.BorderSize = {2, 2};
    caption.ShowCaption = true;
    caption.CloseButtonState = cbsShown | cbsPushed;
    caption.Caption = L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
    TThemeSurface surface(120, 120);
    surface.Canvas()->Brush()->SetColor(clBtnFace);
    theme->PaintDockedCaption(surface.Canvas(), {0, 0, 120, 120}, caption);
    // The pushed button is grey with a white cross: no black text inside it.
    const RECT button = horizontal ? RECT{118 - (h - 1), 2, 118, 2 + h - 1} : RECT{2, 118 - (h - 1), 2 + h - 1, 118};
    EXPECT_EQ(surface.Capture().CountPixels(kBlack, &button), 0);
    EXPECT_GT(surface.Capture().CountPixels(kSilver, &button), 0);
    EXPECT_GT(surface.Capture().CountPixels(kBlack), 20);
  }
}

TEST_F(GlossPaintTest, FloatingFramesActiveAndInactive) {
  themes::TStyledGlossTheme* theme = Gloss();
  const int h = GetSystemMetrics(SM_CYSMCAPTION);
  const COLORREF k = RGB(240, 0, 0);
  const struct {
    const char* Name;
    int ViewType;
    bool Active;
    int CloseState;
    COLORREF Border, CloseFrame, CloseFill;
  } windows[] = {
      {"toolbar, active, hot close", vtToolbar | vtFloating, true, cbsShown | cbsHot, RGB(153, 153, 153), kGrey,
       kWhite},
      {"toolbar, active, pushed close", vtToolbar | vtFloating, true, cbsShown | cbsPushed, RGB(153, 153, 153), kGrey,
       kSilver},
      {"toolbar, inactive", vtToolbar | vtFloating, false, cbsShown | cbsHot, RGB(153, 153, 153), kPaleFrame, kWhite},
      {"dock, inactive", vtDock | vtFloating, false, cbsShown, kGrey, kPaleFrame, kWhite},
      {"dock, active", vtDock | vtFloating, true, cbsShown, RGB(153, 153, 153), kToolbarDark, kToolbarLight},
  };
  for (const auto& window : windows) {
    SCOPED_TRACE(window.Name);
    TStyledWindowPaintInfo info{};
    info.ViewType = window.ViewType;
    info.ClientWidth = 144;
    info.ClientHeight = 54;
    info.ShowCaption = true;
    info.FloatingBorderSize = {3, 3};
    info.CloseButtonState = window.CloseState;
    info.RedrawPart = rpBorder | rpCaption | rpCloseButton;
    info.Caption = L"Floating";
    info.Active = window.Active;
    TThemeSurface surface(150, 60);
    surface.Canvas()->Brush()->SetColor(static_cast<TColor>(k));
    theme->PaintFloatingFrame(surface.Canvas(), {0, 0, 150, 60}, info);
    EXPECT_EQ(surface.Pixel(0, 0), window.Border);
    EXPECT_EQ(surface.Pixel(2, 2), window.Border);
    EXPECT_EQ(surface.Pixel(50, 2), k);
    EXPECT_EQ(surface.Pixel(2, 30), k);
    // The bottom corners are cut except a dock's bottom left.
    EXPECT_EQ(surface.Pixel(2, 57), (window.ViewType & vtDock) ? k : window.Border);
    // The caption bar: stripes of the toolbar colour, the edge colour on its last row, the brush colour below.
    EXPECT_EQ(surface.Pixel(50, 3), kToolbarDark);
    EXPECT_EQ(surface.Pixel(50, 4), kToolbarLight);
    EXPECT_EQ(surface.Pixel(50, 3 + h - 2), kEdge);
    EXPECT_EQ(surface.Pixel(50, 3 + h - 1), k);
    EXPECT_EQ(surface.Pixel(50, 40), kPaper);
    EXPECT_EQ(surface.Pixel(147 - (h - 1), 3), window.CloseFrame);
    EXPECT_EQ(surface.Pixel(147 - (h - 1) + 1, 4), window.CloseFill);
  }
}

TEST_F(GlossPaintTest, StatusBarBackgroundDotsAndGrip) {
  themes::TStyledGlossTheme* theme = Gloss();
  TThemeSurface surface(60, 30);
  theme->PaintStatusBarPart(surface.Canvas(), {0, 0, 60, 30}, spBackground);
  EXPECT_EQ(surface.Pixel(10, 0), kToolbarDark);
  EXPECT_EQ(surface.Pixel(10, 1), kToolbarLight);
  EXPECT_EQ(surface.Pixel(10, 2), kToolbar);
  for (int part : {spPane, spLastPane}) {
    TThemeSurface panes(60, 30);
    theme->PaintStatusBarPart(panes.Canvas(), {0, 0, 40, 20}, part);
    const int x = part == spPane ? 37 : 40;
    for (int y = 0; y < 30; ++y) EXPECT_EQ(panes.Pixel(x, y), y % 3 == 0 && y < 19 ? kBlack : kPaper) << y;
    EXPECT_EQ(panes.Capture().CountPixels(kBlack), 7);
  }
  // Dark and light diagonals from the corner: touching below 9 pixels, a gap after each pair from 9, after each
  // line from 13.
  const COLORREF dark = RGB(124, 124, 124);
  const COLORREF light = RGB(236, 236, 236);
  const struct {
    int Size;
    std::vector<COLORREF> Bottom;  // the bottom row from x = right - 3 leftwards
  } grips[] = {{8, {dark, light, dark, light, dark, light}},
               {10, {dark, light, kPaper, dark, light, kPaper, dark, light}},
               {16, {dark, kPaper, light, kPaper, dark, kPaper, light, kPaper, dark, kPaper, light}}};
  for (const auto& grip : grips) {
    SCOPED_TRACE(grip.Size);
    TThemeSurface corner(40, 40);
    theme->PaintStatusBarPart(corner.Canvas(), {40 - grip.Size, 40 - grip.Size, 40, 40}, spSizeGrip);
    for (size_t i = 0; i < grip.Bottom.size(); ++i)
      EXPECT_EQ(corner.Pixel(37 - static_cast<int>(i), 39), grip.Bottom[i]) << i;
    EXPECT_EQ(corner.Pixel(38, 39), kPaper);
  }
}

TEST_F(GlossPaintTest, CheckBoxesAndRadioButtonsInTheirStates) {
  themes::TStyledGlossTheme* theme = Gloss();
  const COLORREF gray = Rgb(theme->ToolbarItems()[themes::tsDisabled].Text);
  const struct {
    const char* Name;
    int State;
    COLORREF Pen, Top, Low, Mark;  // outline (5, 0); fill at (5, 1) and (2, 10), 0 unchecked; the mark, kPaper none
  } states[] = {
      {"normal", 0, kSilver, kPaper, kPaper, kPaper},
      {"checked", scsChecked, kSilver, kWhite, 0, NormalText()},
      {"mixed", scsMixed, kSilver, kWhite, 0, kShadow},
      {"hot", scsHot, HotFrame(), kWhite, 0, kPaper},
      {"hot and pushed", scsHot | scsPushed, kSilver, kSilver, kWhite, kPaper},
      {"hot, pushed and checked", scsHot | scsPushed | scsChecked, kSilver, kSilver, RGB(249, 249, 249), kBlack},
      {"disabled and checked", scsDisabled | scsChecked, kSilver, kWhite, 0, gray},
      {"pushed, not hot", scsPushed, kSilver, kPaper, kPaper, kPaper},
  };
  for (int kind : {scCheckBox, scRadioButton}) {
    for (const auto& state : states) {
      SCOPED_TRACE(testing::Message() << state.Name << (kind == scCheckBox ? ", check box" : ", radio button"));
      TThemeSurface surface(13, 13);
      theme->PaintStandardControl(surface.Canvas(), {0, 0, 13, 13}, kind, state.State);
      EXPECT_EQ(surface.Pixel(5, 0), state.Pen);
      EXPECT_EQ(surface.Pixel(0, 0), kPaper);
      EXPECT_EQ(surface.Pixel(5, 1), state.Top);
      if (state.Low != 0) {
        EXPECT_EQ(surface.Pixel(2, 10), state.Low);
      }
      // A check box shows its mark checked or mixed, a radio button its dot only checked.
      const bool marked = state.Mark != kPaper && (kind == scCheckBox || (state.State & scsChecked));
      const POINT mark = kind == scCheckBox ? POINT{5, 8} : POINT{6, 6};
      if (marked) {
        EXPECT_EQ(surface.Pixel(mark.x, mark.y), state.Mark);
      } else {
        EXPECT_EQ(surface.Capture().CountPixels(kBlack), 0);
      }
      if (kind == scCheckBox) {
        EXPECT_EQ(surface.Pixel(1, 0), state.Pen);
      } else {
        // The circle's outline and its cut-off corners.
        EXPECT_EQ(surface.Pixel(0, 5), state.Pen);
        EXPECT_EQ(surface.Pixel(1, 1), kPaper);
        EXPECT_EQ(surface.Pixel(2, 1), state.Pen);
      }
    }
  }
  TThemeSurface other(13, 13);
  theme->PaintStandardControl(other.Canvas(), {0, 0, 13, 13}, 3, scsChecked | scsHot);
  EXPECT_EQ(other.Capture().CountPixels(kPaper), 169);
}

TEST_F(GlossPaintTest, TheSameLookWithAndWithoutVisualStyles) {
  const auto paint = [this](TThemeSurface& surface) {
    themes::TStyledGlossTheme* theme = Gloss();
    TStyledToolbarPaintInfo toolbar{};
    toolbar.ViewType = vtToolbar;
    toolbar.AllowDrag = true;
    toolbar.CloseButtonState = cbsShown | cbsHot;
    theme->PaintToolbarFrame(surface.Canvas(), {0, 0, 120, 30}, toolbar);
    theme->PaintButtonFace(surface.Canvas(), {20, 3, 44, 25},
                           State(Item(vtToolbar, ioToolbarStyle), true, true, false));
    theme->PaintStandardControl(surface.Canvas(), {50, 5, 63, 18}, scCheckBox, scsChecked | scsHot);
    theme->PaintStandardControl(surface.Canvas(), {70, 5, 83, 18}, scRadioButton, scsChecked);
    EXPECT_FALSE(theme->BooleanMetric(5));
  };
  TThemeSurface classic(120, 30);
  paint(classic);
  Environment.SetVisualStyles(true);
  TThemeSurface styled(120, 30);
  paint(styled);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_EQ(styled.Pixel(x, y), classic.Pixel(x, y)) << x << "," << y;
}

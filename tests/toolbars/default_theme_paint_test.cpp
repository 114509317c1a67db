#include <functional>
#include <string>
#include <vector>

#include "default_theme_fixture.h"
#include "framework/image_list.h"
#include "toolbars/theme/theme_manager.h"

using namespace toolbars;

namespace {

struct TPixelCheck {
  int X, Y;
  COLORREF Color;
};
// At least one pixel of the colour (Least > 0), or none (Least 0).
struct TCountCheck {
  COLORREF Color;
  int Least;
};

using TPainter = std::function<void(TStyledDefaultTheme*, TCanvas*)>;

struct TPaintCase {
  const char* Name;
  bool FlatMenus;
  TPainter Paint;
  std::vector<TPixelCheck> Pixels;
  std::vector<TCountCheck> Counts;
};

TStyledItemPaintInfo With(TStyledItemPaintInfo info, const std::function<void(TStyledItemPaintInfo&)>& change) {
  change(info);
  return info;
}

TStyledItemPaintInfo Info(int viewType, int options = 0) {
  TStyledItemPaintInfo info{};
  info.ViewType = viewType;
  info.ItemOptions = options;
  info.Enabled = true;
  return info;
}

void Hot(TStyledItemPaintInfo& i) { i.HoverKind = hkHot; }
void Checked(TStyledItemPaintInfo& i) { i.Checked = true; }
void Pushed(TStyledItemPaintInfo& i) { i.Pushed = true; }
void Disabled(TStyledItemPaintInfo& i) { i.Enabled = false; }

constexpr RECT kCell{0, 0, 24, 22};

// An active floating frame captioned "Tools" with a 3-pixel border round a client area 10 pixels high.
TStyledWindowPaintInfo ToolsFrame(int clientWidth, int closeButtonState) {
  TStyledWindowPaintInfo info{};
  info.ClientWidth = clientWidth;
  info.ClientHeight = 10;
  info.FloatingBorderSize = POINT{3, 3};
  info.ShowCaption = true;
  info.Caption = L"Tools";
  info.Active = true;
  info.CloseButtonState = closeButtonState;
  info.RedrawPart = rpBorder | rpCaption | rpCloseButton;
  return info;
}

}  // namespace

class DefaultThemePaintTest : public DefaultThemeTest {
 protected:
  void Run(const std::vector<TPaintCase>& cases) {
    for (const TPaintCase& c : cases) {
      UseClassic(c.FlatMenus);
      TPaintSurface surface(40, 40, kPaper);
      surface.Canvas()->Font()->SetName(L"Arial");
      surface.Canvas()->Font()->SetHeight(-13);
      c.Paint(Theme(), surface.Canvas());
      for (const TPixelCheck& p : c.Pixels)
        EXPECT_EQ(surface.Pixel(p.X, p.Y), p.Color) << c.Name << " at " << p.X << "," << p.Y;
      for (const TCountCheck& n : c.Counts) {
        const int count = surface.Capture().CountPixels(n.Color);
        if (n.Least > 0)
          EXPECT_GE(count, n.Least) << c.Name << " colour " << std::hex << n.Color;
        else
          EXPECT_EQ(count, 0) << c.Name << " colour " << std::hex << n.Color;
      }
      KeepCaptureForViewing(surface.Capture(),
                            std::wstring(L"default_theme_") + std::wstring(c.Name, c.Name + strlen(c.Name)));
    }
  }
};

TEST_F(DefaultThemePaintTest, ButtonFacesInClassicLook) {
  Run({
      {"plain face paints nothing",
       false,
       [](auto* t, auto* c) { t->PaintButtonFace(c, kCell, Info(vtToolbar, ioToolbarStyle)); },
       {{0, 0, kPaper}, {23, 21, kPaper}},
       {}},
      {"hot face is raised",
       false,
       [](auto* t, auto* c) { t->PaintButtonFace(c, kCell, With(Info(vtToolbar, ioToolbarStyle), Hot)); },
       {{0, 0, kLight}, {23, 21, kShadow}, {10, 10, kPaper}},
       {}},
      {"pushed face is sunken",
       false,
       [](auto* t, auto* c) { t->PaintButtonFace(c, kCell, With(Info(vtToolbar, ioToolbarStyle), Pushed)); },
       {{0, 0, kShadow}, {23, 21, kLight}, {10, 10, kPaper}},
       {}},
      {"checked face that is not hot is dithered",
       false,
       [](auto* t, auto* c) { t->PaintButtonFace(c, kCell, With(Info(vtToolbar, ioToolbarStyle), Checked)); },
       {{0, 0, kShadow}, {2, 2, kFace}, {3, 2, kLight}, {10, 10, kFace}, {11, 10, kLight}},
       {}},
      {"checked and hot face is not dithered",
       false,
       [](auto* t, auto* c) {
         t->PaintButtonFace(c, kCell, With(With(Info(vtToolbar, ioToolbarStyle), Checked), Hot));
       },
       {{0, 0, kShadow}, {10, 10, kPaper}},
       {}},
      {"hot face with flat menus is highlighted",
       true,
       [](auto* t, auto* c) { t->PaintButtonFace(c, kCell, With(Info(vtToolbar, ioToolbarStyle), Hot)); },
       {{0, 0, kLight}, {10, 10, kSelection}},
       {}},
      {"hot flat menu bar item is only filled",
       true,
       [](auto* t, auto* c) { t->PaintButtonFace(c, kCell, With(Info(vtMenuBar, ioToolbarStyle), Hot)); },
       {{0, 0, kSelection}, {23, 21, kSelection}},
       {}},
      {"opaque face is a flat frame",
       false,
       [](auto* t, auto* c) { t->PaintButtonFace(c, kCell, Info(vtToolbar | vtOpaque, ioToolbarStyle)); },
       {{0, 0, kShadow}, {10, 10, kFace}},
       {}},
      {"hot opaque face is raised",
       false,
       [](auto* t, auto* c) { t->PaintButtonFace(c, kCell, With(Info(vtToolbar | vtOpaque, ioToolbarStyle), Hot)); },
       {{0, 0, k3DLight}, {23, 21, kDarkShadow}, {10, 10, kFace}},
       {}},
      {"combo arrow part draws its arrow",
       false,
       [](auto* t, auto* c) {
         t->PaintButtonFace(c, kCell,
                            With(Info(vtToolbar, ioToolbarStyle), [](auto& i) { i.ComboPart = cpComboArrow; }));
       },
       {{11, 10, kMenuText}, {9, 10, kMenuText}, {13, 10, kMenuText}, {11, 12, kMenuText}, {11, 13, kPaper}},
       {}},
  });
}

TEST_F(DefaultThemePaintTest, CaptionsGlyphsAndArrows) {
  Run({
      {"enabled toolbar caption in the caption colour",
       false,
       [](auto* t, auto* c) {
         t->PaintItemCaption(c, kCell, Info(vtToolbar, ioToolbarStyle), L"W", DT_SINGLELINE | DT_CENTER, false);
       },
       {},
       {{kText, 4}, {kLight, 0}, {kShadow, 0}}},
      {"disabled classic caption is embossed",
       false,
       [](auto* t, auto* c) {
         t->PaintItemCaption(c, kCell, With(Info(vtToolbar, ioToolbarStyle), Disabled), L"W", DT_SINGLELINE, false);
       },
       {},
       {{kText, 0}, {kLight, 4}, {kShadow, 4}}},
      {"hot pop-up caption in the highlight text colour",
       false,
       [](auto* t, auto* c) {
         t->PaintItemCaption(c, kCell, With(Info(vtPopupMenu), Hot), L"W", DT_SINGLELINE, false);
       },
       {},
       {{kSelectionText, 4}, {kText, 0}}},
      {"disabled pop-up caption hot by keyboard is grey",
       false,
       [](auto* t, auto* c) {
         t->PaintItemCaption(c, kCell,
                             With(With(Info(vtPopupMenu), Disabled), [](auto& i) { i.HoverKind = hkKeyboardHot; }),
                             L"W", DT_SINGLELINE, false);
       },
       {},
       {{kGray, 4}, {kLight, 0}}},
      {"rotated caption",
       false,
       [](auto* t, auto* c) {
         t->PaintItemCaption(c, RECT{0, 0, 20, 40}, Info(vtToolbar, ioToolbarStyle), L"WW", DT_CENTER, true);
       },
       {},
       {{kText, 4}}},
      {"check mark",
       false,
       [](auto* t, auto* c) {
         t->PaintCheckGlyph(c, RECT{0, 0, 16, 16}, Info(vtPopupMenu));
       },
       {{7, 10, kText}, {11, 6, kText}, {4, 8, kLight}},
       {}},
      {"disabled check mark",
       false,
       [](auto* t, auto* c) {
         t->PaintCheckGlyph(c, RECT{0, 0, 16, 16}, With(Info(vtPopupMenu), Disabled));
       },
       {{7, 10, kGray}},
       {{kLight, 0}}},
      {"chevron",
       false,
       [](auto* t, auto* c) {
         t->PaintChevronGlyph(c, RECT{0, 0, 13, 20}, Info(vtToolbar));
       },
       {{2, 4, kText}, {3, 4, kText}, {4, 4, kPaper}, {6, 4, kText}, {4, 6, kText}, {2, 8, kText}, {2, 9, kPaper}},
       {}},
      {"pushed chevron moves",
       false,
       [](auto* t, auto* c) {
         t->PaintChevronGlyph(c, RECT{0, 0, 13, 20}, With(Info(vtToolbar), Pushed));
       },
       {{2, 4, kPaper}, {3, 5, kText}},
       {}},
      {"vertical chevron",
       false,
       [](auto* t, auto* c) {
         t->PaintChevronGlyph(c, RECT{0, 0, 20, 13}, With(Info(vtToolbar), [](auto& i) { i.IsVertical = true; }));
       },
       {{11, 2, kText}, {15, 2, kText}, {12, 2, kPaper}},
       {}},
      {"disabled chevron",
       false,
       [](auto* t, auto* c) {
         t->PaintChevronGlyph(c, RECT{0, 0, 13, 20}, With(Info(vtToolbar), Disabled));
       },
       {{2, 4, kShadow}, {2, 9, kLight}},
       {{kText, 0}}},
      {"drop-down arrow",
       false,
       [](auto* t, auto* c) {
         t->PaintDropDownArrow(c, RECT{0, 0, 10, 10}, Info(vtPopupMenu));
       },
       {{3, 4, kText}, {7, 4, kText}, {5, 6, kText}, {2, 4, kPaper}, {5, 7, kPaper}},
       {}},
      {"disabled drop-down arrow",
       false,
       [](auto* t, auto* c) {
         t->PaintDropDownArrow(c, RECT{0, 0, 10, 10}, With(Info(vtToolbar, ioToolbarStyle), Disabled));
       },
       {{3, 4, kShadow}, {8, 5, kLight}},
       {}},
  });
}

TEST_F(DefaultThemePaintTest, MenuRowsSeparatorsAndHighlights) {
  Run({
      {"hot menu row with a submenu",
       false,
       [](auto* t, auto* c) {
         t->PaintMenuItem(c, RECT{0, 0, 40, 20}, With(Info(vtPopupMenu, ioHasSubmenu), Hot));
       },
       {{1, 1, kSelection}},
       {{kSelectionText, 7}}},
      {"checked menu row gets a sunken image column",
       false,
       [](auto* t, auto* c) {
         t->PaintMenuItem(c, RECT{0, 0, 40, 20}, With(Info(vtPopupMenu), [](auto& i) {
                            i.Checked = true;
                            i.PopupMargin = 18;
                          }));
       },
       {{1, 0, kShadow}, {0, 0, kPaper}, {30, 10, kPaper}},
       {}},
      {"disabled mouse-hot row is not highlighted",
       false,
       [](auto* t, auto* c) {
         t->PaintMenuItemHighlight(c, RECT{0, 0, 40, 20}, With(Info(vtPopupMenu), Disabled));
       },
       {{5, 5, kPaper}},
       {}},
      {"disabled keyboard-hot row is highlighted",
       false,
       [](auto* t, auto* c) {
         t->PaintMenuItemHighlight(c, RECT{0, 0, 40, 20}, With(With(Info(vtPopupMenu), Disabled), [](auto& i) {
                                     i.HoverKind = hkKeyboardHot;
                                   }));
       },
       {{5, 5, kSelection}},
       {}},
      {"split row edge",
       false,
       [](auto* t, auto* c) {
         t->PaintMenuItem(c, RECT{0, 0, 40, 20}, Info(vtPopupMenu, ioDropDownCombo));
       },
       {{40 - GetSystemMetrics(SM_CXMENUCHECK), 5, kShadow}, {41 - GetSystemMetrics(SM_CXMENUCHECK), 5, kLight}},
       {}},
      {"vertical separator",
       false,
       [](auto* t, auto* c) {
         t->PaintSeparator(c, RECT{0, 0, 8, 30}, Info(vtToolbar), false, false);
       },
       {{3, 0, kShadow}, {4, 0, kLight}, {3, 29, kShadow}},
       {}},
      {"line-only separator is indented",
       false,
       [](auto* t, auto* c) {
         t->PaintSeparator(c, RECT{0, 0, 8, 30}, Info(vtToolbar), false, true);
       },
       {{3, 3, kPaper}, {3, 4, kShadow}, {3, 25, kShadow}, {3, 26, kPaper}},
       {}},
      {"pop-up separator is indented 12",
       false,
       [](auto* t, auto* c) {
         t->PaintSeparator(c, RECT{0, 0, 40, 9}, Info(vtPopupMenu), true, false);
       },
       {{11, 3, kPaper}, {12, 3, kShadow}, {12, 4, kLight}, {27, 3, kShadow}, {28, 3, kPaper}},
       {}},
      {"blank separator paints nothing",
       false,
       [](auto* t, auto* c) {
         t->PaintSeparator(c, RECT{0, 0, 8, 30}, With(Info(vtToolbar), Disabled), false, false);
       },
       {},
       {{kPaper, 1600}}},
  });
}

TEST_F(DefaultThemePaintTest, FramesBackgroundsAndEditBoxes) {
  Run({
      {"view background fills paint and clip together",
       false,
       [](auto* t, auto* c) {
         t->PaintViewBackground(c, RECT{0, 0, 40, 40}, RECT{0, 0, 20, 20}, RECT{10, 10, 40, 40}, clBtnShadow, false,
                                vtToolbar);
       },
       {{9, 9, kPaper}, {10, 10, kShadow}, {19, 19, kShadow}, {20, 20, kPaper}},
       {}},
      {"transparent view background",
       false,
       [](auto* t, auto* c) {
         t->PaintViewBackground(c, RECT{0, 0, 40, 40}, RECT{0, 0, 40, 40}, RECT{0, 0, 40, 40}, clBtnShadow, true, 0);
       },
       {},
       {{kPaper, 1600}}},
      {"classic dock background is left alone",
       false,
       [](auto* t, auto* c) {
         t->PaintDockBackground(c, RECT{0, 0, 40, 40}, RECT{0, 0, 40, 40}, dpTop);
       },
       {},
       {{kPaper, 1600}}},
      {"list pop-up frame",
       false,
       [](auto* t, auto* c) {
         TStyledPopupPaintInfo info{};
         info.ViewType = vtListPopup;
         t->PaintPopupFrame(c, RECT{0, 0, 30, 30}, info);
       },
       {{0, 0, kFrame}, {1, 1, kWindow}, {2, 2, kWindow}, {3, 3, kPaper}},
       {}},
      {"flat pop-up frame",
       true,
       [](auto* t, auto* c) {
         TStyledPopupPaintInfo info{};
         info.ViewType = vtPopupMenu;
         t->PaintPopupFrame(c, RECT{0, 0, 30, 30}, info);
       },
       {{0, 0, kShadow}, {1, 1, kMenu}, {2, 2, kMenu}, {3, 3, kPaper}},
       {}},
      {"raised pop-up frame",
       false,
       [](auto* t, auto* c) {
         TStyledPopupPaintInfo info{};
         info.ViewType = vtToolBoxPopup;
         t->PaintPopupFrame(c, RECT{0, 0, 30, 30}, info);
       },
       {{0, 0, k3DLight}, {29, 29, kDarkShadow}, {2, 2, kFace}, {3, 3, kPaper}},
       {}},
      {"hot item frame",
       false,
       [](auto* t, auto* c) {
         c->Brush()->SetColor(clWindow);
         t->PaintItemFrame(c, RECT{0, 0, 30, 20}, With(Info(vtToolbar), Hot));
       },
       {{0, 0, kShadow}, {29, 19, kLight}, {1, 1, kWindow}, {2, 2, kWindow}, {3, 3, kPaper}},
       {}},
      {"edit box with a drop-down button",
       false,
       [](auto* t, auto* c) {
         c->Brush()->SetColor(clWindow);
         TStyledItemPaintInfo info = Info(vtToolbar);
         TStyledEditFrameInfo edit{};
         edit.RightWidth = 11;
         edit.RightButton.ButtonType = ebDropDown;
         t->PaintEditFrame(c, RECT{0, 0, 40, 20}, info, edit);
       },
       {{5, 10, kWindow}, {27, 10, kWindow}},
       {{kText, 6}}},
      {"spin buttons",
       false,
       [](auto* t, auto* c) {
         TStyledItemPaintInfo info = Info(vtToolbar);
         TStyledEditButtonInfo spin{ebSpin, ebsLowerPushed};
         t->PaintEditButton(c, RECT{0, 0, 12, 20}, info, spin);
       },
       {{0, 10, kShadow}, {6, 4, kText}, {6, 16, kText}},
       {}},
      {"status bar panes and grip",
       false,
       [](auto* t, auto* c) {
         t->PaintStatusBarPart(c, RECT{0, 0, 40, 20}, spBackground);
         t->PaintStatusBarPart(c, RECT{0, 0, 20, 20}, spPane);
         t->PaintStatusBarPart(c, RECT{20, 20, 40, 40}, spSizeGrip);
       },
       {{0, 0, kShadow},
        {17, 19, kLight},
        {16, 0, kShadow},
        {17, 0, kLight},
        {18, 5, kFace},
        {39, 39, kFace},
        {38, 39, kLight}},
       {}},
      {"check box and radio button",
       false,
       [](auto* t, auto* c) {
         t->PaintStandardControl(c, RECT{0, 0, 13, 13}, scCheckBox, scsChecked);
         t->PaintStandardControl(c, RECT{20, 0, 33, 13}, scRadioButton, scsDisabled | scsChecked);
       },
       {{0, 0, kShadow}, {1, 1, kWindow}, {6, 7, kText}, {20, 6, kShadow}, {26, 6, kGray}},
       {}},
  });
}

TEST_F(DefaultThemePaintTest, ToolbarAndWindowFrames) {
  Run({
      {"double drag handle without close button",
       false,
       [](auto* t, auto* c) {
         TStyledToolbarPaintInfo info{};
         info.AllowDrag = true;
         info.BorderSize = POINT{2, 2};
         c->Brush()->SetColor(clBtnFace);
         t->PaintToolbarFrame(c, RECT{0, 0, 40, 30}, info);
       },
       {{4, 10, kLight}, {6, 10, kShadow}, {7, 10, kLight}, {9, 10, kShadow}, {20, 10, kFace}},
       {}},
      {"close button on the drag handle",
       false,
       [](auto* t, auto* c) {
         TStyledToolbarPaintInfo info{};
         info.AllowDrag = true;
         info.BorderSize = POINT{2, 2};
         info.DragHandleStyle = dhSingle;
         info.CloseButtonState = cbsShown | cbsHot;
         c->Brush()->SetColor(clBtnFace);
         t->PaintToolbarFrame(c, RECT{0, 0, 40, 30}, info);
       },
       {{4, 4, kLight}, {5, 6, kText}, {10, 6, kText}, {7, 8, kText}, {7, 6, kFace}, {7, 17, kLight}},
       {}},
      {"docked caption with close button",
       false,
       [](auto* t, auto* c) {
         TStyledDockedCaptionInfo info{};
         info.HorizontalCaption = true;
         info.ShowCaption = true;
         info.CloseButtonState = cbsShown;
         info.Caption = L"Panel";
         t->PaintDockedCaption(c, RECT{0, 0, 40, 40}, info);
       },
       {{0, 0, kFace}, {1, 1, kLight}},
       {{kText, 10}}},
      {"floating frame",
       false,
       [](auto* t, auto* c) {
         TStyledWindowPaintInfo info{};
         info.ClientWidth = 34;
         info.ClientHeight = 10;
         info.FloatingBorderSize = POINT{3, 3};
         info.RedrawPart = rpBorder;
         t->PaintFloatingFrame(c, RECT{0, 0, 40, 40}, info);
       },
       {{0, 0, k3DLight}, {1, 1, kLight}, {39, 39, kDarkShadow}, {5, 5, kPaper}, {2, 20, kFace}},
       {}},
      {"floating caption and close button",
       false,
       [](auto* t, auto* c) {
         TStyledWindowPaintInfo info{};
         info.ClientWidth = 34;
         info.ClientHeight = 4;
         info.FloatingBorderSize = POINT{3, 3};
         info.ShowCaption = true;
         info.Active = true;
         info.CloseButtonState = cbsShown;
         info.RedrawPart = rpCaption | rpCloseButton;
         t->PaintFloatingFrame(c, RECT{0, 0, 40, 40}, info);
       },
       {{3, 3 + GetSystemMetrics(SM_CYSMCAPTION) - 1, kFace}, {1, 1, kPaper}},
       {{kCaption, 20}, {kText, 6}}},
      {"MDI close button and scroll button",
       false,
       [](auto* t, auto* c) {
         t->PaintMdiButton(c, RECT{0, 0, 16, 14}, Info(vtMenuBar), mbClose);
         t->PaintScrollButton(c, RECT{20, 0, 36, 14}, sbDown, false);
       },
       {},
       {{kText, 12}, {kFace, 20}}},
  });
}

TEST_F(DefaultThemePaintTest, ImagesByStateAndBackground) {
  auto images = MakeBandImageList();
  struct TCase {
    const char* Name;
    COLORREF Face;
    std::function<void(TStyledItemPaintInfo&)> State;
    COLORREF Red;
  };
  const TCase cases[] = {
      {"disabled on a light face is a shadow", kFace, Disabled, RGB(139, 139, 139)},
      {"disabled on a dark face is greyed", RGB(40, 40, 40), Disabled, RGB(187, 187, 187)},
      {"plain image is blended", kFace, [](auto&) {}, RGB(242, 42, 42)},
      {"plain image on a white face is drawn", RGB(255, 255, 255), [](auto&) {}, RGB(255, 0, 0)},
      {"checked image is drawn one lower", kFace, Checked, RGB(255, 0, 0)},
  };
  for (const TCase& c : cases) {
    Environment.SetSysColor(COLOR_BTNFACE, c.Face);
    Refresh();
    TPaintSurface surface(24, 24, RGB(200, 200, 200));
    TStyledItemPaintInfo info = With(Info(vtToolbar, ioToolbarStyle), c.State);
    Theme()->PaintItemImage(surface.Canvas(), RECT{1, 1, 17, 17}, info, images.get(), 0);
    // The image sits one pixel up and left of the rectangle, one down and right again when checked or pushed.
    const int shift = info.Checked ? 1 : 0;
    EXPECT_EQ(surface.Pixel(6 + shift, 5 + shift), c.Red) << c.Name;
    EXPECT_EQ(surface.Pixel(1 + shift, 1 + shift), RGB(200, 200, 200)) << c.Name;
  }
  // Hot: two shadows below and right, then the image.
  TPaintSurface surface(24, 24, RGB(200, 200, 200));
  Theme()->PaintItemImage(surface.Canvas(), RECT{1, 1, 17, 17}, With(Info(vtToolbar), Hot), images.get(), 0);
  EXPECT_EQ(surface.Pixel(6, 5), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(13, 7), RGB(177, 177, 177));
  EXPECT_EQ(surface.Pixel(12, 8), RGB(156, 156, 156));
}

TEST_F(DefaultThemePaintTest, DisabledCaptionWithVisualStylesIsGrey) {
  if (!UseStyles()) GTEST_SKIP() << "the test machine paints without visual styles";
  TPaintSurface surface(40, 40, kPaper);
  surface.Canvas()->Font()->SetName(L"Arial");
  surface.Canvas()->Font()->SetHeight(-13);
  Theme()->PaintItemCaption(surface.Canvas(), kCell, With(Info(vtToolbar, ioToolbarStyle), Disabled), L"W",
                            DT_SINGLELINE, false);
  EXPECT_GE(surface.Capture().CountPixels(kGray), 4);
  EXPECT_EQ(surface.Capture().CountPixels(kText), 0);
}

TEST_F(DefaultThemePaintTest, EveryPainterDrawsWithTheMachinesVisualStyles) {
  TStyledItemPaintInfo hot = With(Info(vtToolbar, ioToolbarStyle), Hot);
  struct TCase {
    const char* Name;
    TPainter Paint;
  };
  const TCase cases[] = {
      {"button face", [&](auto* t, auto* c) { t->PaintButtonFace(c, kCell, hot); }},
      {"checked button face", [&](auto* t, auto* c) { t->PaintButtonFace(c, kCell, With(hot, Checked)); }},
      {"dock background",
       [](auto* t, auto* c) {
         t->PaintDockBackground(c, RECT{0, 0, 40, 40}, RECT{0, 0, 40, 40}, dpTop);
       }},
      {"separator",
       [](auto* t, auto* c) {
         t->PaintSeparator(c, RECT{0, 0, 8, 30}, Info(vtToolbar), false, false);
       }},
      {"toolbar frame",
       [](auto* t, auto* c) {
         TStyledToolbarPaintInfo info{};
         info.AllowDrag = true;
         info.BorderSize = POINT{2, 2};
         info.CloseButtonState = cbsShown;
         c->Brush()->SetColor(clBtnFace);
         t->PaintToolbarFrame(c, RECT{0, 0, 40, 30}, info);
       }},
      {"floating frame",
       [](auto* t, auto* c) { t->PaintFloatingFrame(c, RECT{0, 0, 40, 40}, ToolsFrame(34, cbsShown)); }},
      {"docked caption",
       [](auto* t, auto* c) {
         TStyledDockedCaptionInfo info{};
         info.ShowCaption = true;
         info.CloseButtonState = cbsShown | cbsHot;
         info.Caption = L"Side";
         t->PaintDockedCaption(c, RECT{0, 0, 40, 40}, info);
       }},
      {"edit frame",
       [&](auto* t, auto* c) {
         TStyledItemPaintInfo info = hot;
         TStyledEditFrameInfo edit{};
         edit.RightWidth = 11;
         edit.RightButton.ButtonType = ebDropDown;
         t->PaintEditFrame(c, RECT{0, 0, 40, 20}, info, edit);
       }},
      {"spin button",
       [&](auto* t, auto* c) {
         TStyledItemPaintInfo info = hot;
         t->PaintEditButton(c, RECT{0, 0, 12, 20}, info, TStyledEditButtonInfo{ebSpin, ebsHot});
       }},
      {"MDI button",
       [&](auto* t, auto* c) {
         t->PaintMdiButton(c, RECT{0, 0, 16, 14}, hot, mbClose);
       }},
      {"scroll button",
       [](auto* t, auto* c) {
         t->PaintScrollButton(c, RECT{0, 0, 16, 14}, sbUp, false);
       }},
      {"check box",
       [](auto* t, auto* c) {
         t->PaintStandardControl(c, RECT{0, 0, 13, 13}, scCheckBox, scsChecked);
       }},
      {"status bar",
       [](auto* t, auto* c) {
         t->PaintStatusBarPart(c, RECT{0, 0, 40, 20}, spBackground);
         t->PaintStatusBarPart(c, RECT{0, 20, 30, 40}, spPane);
       }},
  };
  std::vector<std::vector<COLORREF>> classic;
  const auto paint = [&](const TCase& c) {
    TPaintSurface surface(40, 40, kPaper);
    c.Paint(Theme(), surface.Canvas());
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) pixels.push_back(surface.Pixel(x, y));
    KeepCaptureForViewing(surface.Capture(), L"default_theme_styled_" + std::wstring(c.Name, c.Name + strlen(c.Name)));
    return pixels;
  };
  for (const TCase& c : cases) classic.push_back(paint(c));
  if (!UseStyles()) GTEST_SKIP() << "the test machine paints without visual styles";
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::vector<COLORREF> styled = paint(cases[i]);
    EXPECT_NE(std::count(styled.begin(), styled.end(), kPaper), static_cast<long>(styled.size())) << cases[i].Name;
    EXPECT_NE(styled, classic[i]) << cases[i].Name;
  }
}

TEST_F(DefaultThemePaintTest, AStyledFloatingFrameCoversItsWholeFrame) {
  if (!UseStyles()) GTEST_SKIP() << "the test machine paints without visual styles";
  const int caption = GetSystemMetrics(SM_CYSMCAPTION);
  for (int close : {cbsShown, cbsShown | cbsHot, cbsShown | cbsPushed}) {
    const TStyledWindowPaintInfo info = ToolsFrame(64, close);
    const RECT frame{0, 0, 70, 3 + caption + 10 + 3};
    TPaintSurface surface(frame.right, frame.bottom, kPaper);
    Theme()->PaintFloatingFrame(surface.Canvas(), frame, info);
    int unpainted = 0;
    for (int y = 0; y < frame.bottom; ++y)
      for (int x = 0; x < frame.right; ++x) {
        const bool client = x >= 3 && x < 67 && y >= 3 + caption && y < 3 + caption + 10;
        if (!client && surface.Pixel(x, y) == kPaper) ++unpainted;
      }
    EXPECT_EQ(unpainted, 0) << "close state " << close;
  }
}

TEST_F(DefaultThemePaintTest, TheArrowPartOfASplitButtonShowsItsArrowWithVisualStyles) {
  if (!UseStyles()) GTEST_SKIP() << "the test machine paints without visual styles";
  for (uint8_t hover : {hkNone, hkHot}) {
    TStyledItemPaintInfo info = Info(vtToolbar, ioToolbarStyle);
    info.ComboPart = cpComboArrow;
    info.HoverKind = hover;
    TPaintSurface surface(11, 22, kPaper);
    Theme()->PaintButtonFace(surface.Canvas(), RECT{0, 0, 11, 22}, info);
    EXPECT_GE(surface.Capture().CountPixels(static_cast<COLORREF>(ColorToRGB(MenuTextColor))), 5) << int{hover};
  }
}

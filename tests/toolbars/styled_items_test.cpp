#include <gtest/gtest.h>

#include "styled_fixture.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/styled/font_settings.h"
#include "toolbars/styled/styled_item_viewer.h"
#include "toolbars/views/view.h"

using namespace toolbars;

namespace {

TEST(FontSettings, TriStatesAndSizesChangeOnlyWhatTheySay) {
  const struct {
    TTriState Bold;
    TTriState Italic;
    TFontSize Size;
    TFontStyles Start;
    int StartSize;
    TFontStyles Expected;
    int ExpectedSize;
  } cases[] = {
      {TTriState::tsDefault, TTriState::tsDefault, 100, TFontStyles{TFontStyle::fsBold}, 8,
       TFontStyles{TFontStyle::fsBold}, 8},
      {TTriState::tsTrue, TTriState::tsDefault, 150, TFontStyles{}, 8, TFontStyles{TFontStyle::fsBold}, 12},
      {TTriState::tsFalse, TTriState::tsTrue, 100, TFontStyles{TFontStyle::fsBold}, 10,
       TFontStyles{TFontStyle::fsItalic}, 10},
      {TTriState::tsDefault, TTriState::tsFalse, 50, TFontStyles{TFontStyle::fsItalic} + TFontStyle::fsUnderline, 9,
       TFontStyles{TFontStyle::fsUnderline}, 5},
  };
  for (const auto& c : cases) {
    TFontSettings settings;
    settings.SetBold(c.Bold);
    settings.SetItalic(c.Italic);
    settings.SetSize(c.Size);
    TFont font;
    font.SetSize(c.StartSize);
    font.SetStyle(c.Start);
    const String name = font.Name();
    ApplyFontSettings(settings, &font);
    EXPECT_EQ(font.Style(), c.Expected);
    EXPECT_EQ(font.Size(), c.ExpectedSize);
    EXPECT_EQ(font.Name(), name);
  }
  TFontSettings named;
  named.SetName(L"Courier New");
  named.SetColor(clRed);
  TFont font;
  ApplyFontSettings(named, &font);
  EXPECT_EQ(font.Name(), L"Courier New");
  EXPECT_EQ(font.Color(), clRed);
}

TEST(FontSettings, ChangesAreAnnouncedOnceAndOnlyWhenReal) {
  struct TCounter : TObject {
    int Count = 0;
    void Changed(TObject*) { ++Count; }
  } counter;
  TFontSettings settings;
  settings.OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  settings.SetSize(100);
  settings.SetBold(TTriState::tsDefault);
  EXPECT_EQ(counter.Count, 0);
  settings.SetSize(120);
  EXPECT_EQ(counter.Count, 1);
  TFontSettings source;
  source.SetItalic(TTriState::tsTrue);
  source.SetName(L"Arial");
  settings.Assign(&source);
  EXPECT_EQ(counter.Count, 2);
  EXPECT_EQ(settings.Size(), 100);
  EXPECT_EQ(settings.Italic(), TTriState::tsTrue);
  EXPECT_EQ(settings.Name(), L"Arial");
}

TEST_F(StyledItemsTest, FontSettingsReachTheCaptionFontAndTheLayout) {
  TStyledItem* item = Add(L"Bold");
  Bar(true);
  const SIZE before = SizeOf(item);
  item->FontSettings()->SetBold(TTriState::tsTrue);
  item->FontSettings()->SetSize(200);
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  const SIZE after = SizeOf(item);
  EXPECT_GT(after.cx, before.cx);
  EXPECT_GT(after.cy, before.cy);
  Paint();
  EXPECT_TRUE(theme_.LastFont.Style().Contains(TFontStyle::fsBold));
  EXPECT_EQ(theme_.LastFont.Size(), (bar_->View()->GetFont()->Size() * 200 + 50) / 100);
  // The view's own font is left as it was.
  EXPECT_FALSE(bar_->View()->GetFont()->Style().Contains(TFontStyle::fsBold));
}

TEST_F(StyledItemsTest, AdjustFontEventSeesTheStateAndDefaultItemsAreBold) {
  TStyledItem* item = Add(L"Hot");
  item->SetOptions(TBarItemOptions{TBarItemOption::tboDefault});
  int flags = -1;
  struct TSink : TObject {
    int* Flags = nullptr;
    void Adjust(TBarCustomItem*, TBarItemViewer*, TFont* font, int stateFlags) {
      *Flags = stateFlags;
      font->SetColor(clLime);
    }
  } sink;
  sink.Flags = &flags;
  item->OnAdjustFont = TAdjustFontEvent(&sink, &TSink::Adjust);
  item->SetEnabled(false);
  Bar(false);
  // Selected from the keyboard, with the pointer away from the bar.
  PointerAt(POINT{0, 0});
  EXPECT_TRUE(bar_->View()->SetSelected(ViewerOf(item)).Alive());
  Paint();
  EXPECT_EQ(flags, sfDisabled);
  EXPECT_TRUE(theme_.LastFont.Style().Contains(TFontStyle::fsBold));
  EXPECT_EQ(theme_.Last["PaintMenuItem"].HoverKind, hkKeyboardHot);
}

TEST_F(StyledItemsTest, ToolbarSizesFollowLayoutImageArrowsAndMinimums) {
  auto images = MakeBandImageList();
  struct TCase {
    const wchar_t* Name;
    TStyledItemLayout Layout;
    bool Image;
    bool Combo;
    bool Arrow;
  } cases[] = {
      {L"plain", TStyledItemLayout::stlAuto, false, false, false},
      {L"left", TStyledItemLayout::stlGlyphLeft, true, false, false},
      {L"top", TStyledItemLayout::stlGlyphTop, true, false, false},
      {L"combo", TStyledItemLayout::stlAuto, false, true, false},
      {L"arrow", TStyledItemLayout::stlAuto, false, false, true},
  };
  std::vector<TStyledSubmenuItem*> items;
  for (const auto& c : cases) {
    auto* item = Add<TStyledSubmenuItem>(L"Text");
    item->SetLayout(c.Layout);
    item->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
    if (c.Image) {
      item->SetImages(images.get());
      item->SetImageIndex(0);
    }
    item->SetDropdownCombo(c.Combo);
    if (c.Arrow) item->SetOptions(TBarItemOptions{TBarItemOption::tboDropdownArrow});
    Add(L"child", item);
    items.push_back(item);
  }
  Bar(true);
  const SIZE plain = Measure(items[0]);
  // Caption plus 4 along the text, plus 6 of frame both ways.
  TPaintSurface surface(10, 10);
  surface.Canvas()->SetFont(bar_->View()->GetFont());
  SIZE text{};
  static_cast<TStyledItemViewer*>(ViewerOf(items[0]))->GetTextSize(surface.Canvas(), L"Text", false, text, 0);
  EXPECT_EQ(plain.cx, 6 + text.cx + 4);
  EXPECT_EQ(plain.cy, 6 + text.cy);
  const SIZE left = Measure(items[1]);
  EXPECT_EQ(left.cx, plain.cx + 16 + 1);
  EXPECT_EQ(left.cy, std::max<LONG>(plain.cy, 16 + 6));
  const SIZE top = Measure(items[2]);
  EXPECT_EQ(top.cx, std::max<LONG>(plain.cx, 16 + 7));
  EXPECT_EQ(top.cy, plain.cy + 16);
  EXPECT_EQ(Measure(items[3]).cx, plain.cx + 11);
  EXPECT_EQ(Measure(items[4]).cx, plain.cx + 8);

  items[0]->SetMinWidth(plain.cx + 40);
  items[0]->SetMinHeight(plain.cy - 3);
  EXPECT_EQ(Measure(items[0]).cx, plain.cx + 40);
  EXPECT_EQ(Measure(items[0]).cy, plain.cy);
}

TEST_F(StyledItemsTest, AutoLayoutPutsTheImageOnTopInVerticalBars) {
  auto images = MakeBandImageList();
  TStyledItem* item = Add(L"Text");
  item->SetImages(images.get());
  item->SetImageIndex(0);
  item->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  Bar(true);
  const SIZE horizontal = Measure(item);
  bar_->View()->SetOrientation(TBarViewOrientation::tbvoVertical);
  const SIZE vertical = Measure(item);
  // Glyph-top with a caption that runs downwards: the image adds to the height.
  EXPECT_GT(vertical.cy, horizontal.cy);
  item->SetLayout(TStyledItemLayout::stlGlyphLeft);
  EXPECT_EQ(Measure(item).cx, horizontal.cx);
}

TEST_F(StyledItemsTest, PopupEntriesAreMeasuredFromTheThemeMetrics) {
  TStyledItem* item = Add(L"Entry");
  Bar(false);
  TPaintSurface surface(10, 10);
  surface.Canvas()->SetFont(bar_->View()->GetFont());
  auto* viewer = static_cast<TStyledItemViewer*>(ViewerOf(item));
  SIZE text{};
  viewer->GetTextSize(surface.Canvas(), L"Entry", false, text, DT_SINGLELINE);
  const int height = std::max<int>(2 * 2 + text.cy, 2 * 2 + 16);
  const int width = text.cx + 1 + GetPopupMargin(viewer) + 2 + 3 + height;
  EXPECT_EQ(Measure(item).cx, width);
  EXPECT_EQ(Measure(item).cy, height);
}

TEST_F(StyledItemsTest, ImageColumnSurvivesMarginsThatCancelTheImage) {
  auto images = MakeBandImageList();
  TStyledItem* item = Add(L"Entry");
  item->SetImages(images.get());
  Bar(false);
  // 16 + 2 * -8 = 0: the column width must not divide by it.
  TRecordingTheme::IntegerAnswers()[30] = -8;
  EXPECT_GE(GetPopupMargin(ViewerOf(item)), 0);
}

TEST_F(StyledItemsTest, ToolbarPaintingGoesThroughTheTheme) {
  auto images = MakeBandImageList();
  TStyledItem* button = Add(L"Button");
  button->SetImages(images.get());
  button->SetImageIndex(0);
  button->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  auto* combo = Add<TStyledSubmenuItem>(L"Combo");
  combo->SetDropdownCombo(true);
  Add(L"child", combo);
  auto* arrow = Add<TStyledSubmenuItem>(L"Arrow");
  arrow->SetOptions(TBarItemOptions{TBarItemOption::tboDropdownArrow});
  Add(L"child", arrow);
  Bar(true);
  Paint();
  EXPECT_TRUE(Logged("PaintItemCaption Button"));
  EXPECT_TRUE(Logged("PaintItemImage 0"));
  EXPECT_TRUE(Logged("PaintDropDownArrow 4097"));
  // One face for every item, two for the combo.
  EXPECT_EQ(CountLogged("PaintButtonFace"), 4);
  EXPECT_EQ(theme_.Last["PaintButtonFace"].ItemOptions & (ioToolbarStyle | ioHasSubmenu),
            ioToolbarStyle | ioHasSubmenu);
  // The image is centred in a cell of image width + 2 at the left of the content.
  const RECT bounds = ViewerOf(button)->BoundsRect();
  const RECT image = theme_.LastRect["PaintItemImage"];
  EXPECT_EQ(image.right - image.left, 16);
  EXPECT_EQ(image.left, 2 + 1);
  EXPECT_EQ(image.top, ((bounds.bottom - bounds.top) - 16) / 2);
}

TEST_F(StyledItemsTest, PopupEntriesPaintRowCheckAndSubmenuState) {
  TStyledItem* checked = Add(L"Checked");
  checked->SetChecked(true);
  auto* submenu = Add<TStyledSubmenuItem>(L"More");
  Add(L"child", submenu);
  Bar(false);
  Paint();
  EXPECT_EQ(CountLogged("PaintMenuItem"), 2);
  EXPECT_EQ(CountLogged("PaintCheckGlyph"), 1);
  EXPECT_TRUE(Logged("PaintItemCaption Checked"));
  // The arrow of a submenu is the theme's, told by the option bit.
  EXPECT_EQ(theme_.Last["PaintMenuItem"].ItemOptions & (ioHasSubmenu | ioToolbarStyle), ioHasSubmenu);
  EXPECT_EQ(theme_.Last["PaintMenuItem"].ViewType, vtPopupMenu);
  EXPECT_EQ(theme_.LastFormat & (DT_SINGLELINE | DT_VCENTER), static_cast<UINT>(DT_SINGLELINE | DT_VCENTER));
}

TEST_F(StyledItemsTest, DrawImageEventGetsTheImageRectangleAndState) {
  auto images = MakeBandImageList();
  TStyledItem* item = Add(L"Image");
  item->SetImages(images.get());
  item->SetImageIndex(5);  // out of range: the theme is not asked, the event still is
  RECT seen{};
  int flags = -1;
  struct TSink : TObject {
    RECT* Rect = nullptr;
    int* Flags = nullptr;
    void Draw(TBarCustomItem*, TBarItemViewer*, TCanvas*, const RECT& r, POINT, int f) {
      *Rect = r;
      *Flags = f;
    }
  } sink;
  sink.Rect = &seen;
  sink.Flags = &flags;
  item->OnDrawImage = TDrawImageEvent(&sink, &TSink::Draw);
  item->SetChecked(true);
  Bar(false);
  Paint();
  EXPECT_EQ(CountLogged("PaintItemImage"), 0);
  EXPECT_EQ(flags, sfChecked);
  EXPECT_EQ(seen.right - seen.left, 16);
}

TEST_F(StyledItemsTest, ThemedPlacementOverlapsTheDropDownByOnePixel) {
  auto* item = Add<TStyledSubmenuItem>(L"Menu");
  Bar(true);
  const struct {
    bool Themed;
    bool Submenu;
    int Y;
  } cases[] = {{false, false, 100}, {true, false, 99}, {true, true, 100}};
  for (const auto& c : cases) {
    TRecordingTheme::BooleanAnswers()[1] = c.Themed;
    TBarPopupPositionRec rec;
    rec.PositionAsSubmenu = c.Submenu;
    rec.MonitorRect = RECT{0, 0, 2000, 2000};
    rec.ParentItemRect = RECT{10, 80, 60, 100};
    rec.X = 10;
    rec.Y = 100;
    rec.W = 120;
    rec.H = 200;
    item->GetPopupPosition(bar_->View(), nullptr, rec);
    EXPECT_EQ(rec.Y, c.Y);
    EXPECT_EQ(rec.W, 120);
    EXPECT_EQ(rec.H, 200);
  }
}

TEST_F(StyledItemsTest, ReleaseOverAToolbarButtonClicksIt) {
  TStyledItem* item = Add(L"Click");
  Bar(true);
  TBarView* view = bar_->View();
  const RECT bounds = ViewerOf(item)->BoundsRect();
  POINT centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  ClientToScreen(bar_->Handle(), &centre);
  PointerAt(centre);
  view->IncludeState(vsModal);
  EXPECT_TRUE(view->SetSelected(ViewerOf(item)).Alive());
  ASSERT_TRUE(view->MouseOverSelected());
  TBarDoneActionData done;
  TBarTrackingState state;
  state.RootView = view;
  state.DoneRecord = &done;
  // No press was seen on the button: a plain button would not click, a themed one does.
  EXPECT_TRUE(ViewerOf(item)->MouseUp(4, 4, state).Alive());
  EXPECT_TRUE(state.Done);
  EXPECT_EQ(done.Kind, TBarDoneActionKind::tbdaClickItem);
  EXPECT_EQ(done.ClickItem, item);
}

TEST_F(StyledItemsTest, SeparatorSizesAndLines) {
  auto* sized = Add<TStyledSeparatorItem>(L"");
  sized->SetSize(-5);
  EXPECT_EQ(sized->Size(), -1);
  const struct {
    bool Toolbar;
    int Size;
    int Metric;
    SIZE Expected;
  } cases[] = {
      {true, 7, -1, {7, 7}},
      {false, 7, -1, {0, 7}},
      {false, -1, 9, {9, 9}},
      {true, -1, 5, {5, 5}},
  };
  for (const auto& c : cases) {
    TRecordingTheme::IntegerAnswers()[c.Toolbar ? 50 : 35] = c.Metric;
    sized->SetSize(c.Size);
    if (bar_) delete bar_;
    Bar(c.Toolbar);
    const SIZE measured = Measure(sized);
    EXPECT_EQ(measured.cx, c.Expected.cx);
    EXPECT_EQ(measured.cy, c.Expected.cy);
  }
  // Without a theme size the framework's separator size stands.
  TRecordingTheme::IntegerAnswers()[35] = -1;
  sized->SetSize(-1);
  delete bar_;
  Bar(false);
  int w = 0;
  int h = 0;
  TPaintSurface surface(10, 10);
  surface.Canvas()->SetFont(bar_->View()->GetFont());
  EXPECT_TRUE(TBarSeparatorItemViewer(bar_->View(), sized).CalcSize(surface.Canvas(), w, h).Alive());
  EXPECT_EQ(Measure(sized).cy, h);

  // A separator between two entries is shown.
  auto* first = new TStyledItem(&owner_);
  first->SetCaption(L"First");
  root_->Insert(0, first);
  Add(L"Last");
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  Paint();
  EXPECT_TRUE(Logged("PaintSeparator " + std::to_string(vtPopupMenu)));
  EXPECT_TRUE(theme_.LastHorizontal);
  EXPECT_TRUE(theme_.LastLineOnly);
  sized->SetSize(0);
  EXPECT_TRUE(bar_->View()->ValidatePositions().Alive());
  Paint();
  EXPECT_EQ(CountLogged("PaintSeparator"), 0);
}

TEST_F(StyledItemsTest, ThemedImageTakesTheStateFlags) {
  auto images = MakeBandImageList();
  TPaintSurface surface(20, 20);
  DrawThemedImage(surface.Canvas(), RECT{0, 0, 16, 16}, images.get(), 0, sfHot | sfChecked);
  EXPECT_EQ(theme_.Last["PaintItemImage"].HoverKind, hkHot);
  EXPECT_TRUE(theme_.Last["PaintItemImage"].Checked);
  EXPECT_TRUE(theme_.Last["PaintItemImage"].Enabled);
  EXPECT_EQ(theme_.Last["PaintItemImage"].ItemOptions, ioToolbarStyle);
  DrawThemedImage(surface.Canvas(), RECT{0, 0, 16, 16}, images.get(), 0, sfDisabled);
  EXPECT_FALSE(theme_.Last["PaintItemImage"].Enabled);
  EXPECT_EQ(theme_.Last["PaintItemImage"].HoverKind, hkNone);
}

}  // namespace

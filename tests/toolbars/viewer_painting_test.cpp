#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "bar_host.h"
#include "framework/bitmap.h"
#include "support/hostile_input.h"
#include "support/test_environment.h"
#include "support/test_window.h"
#include "support/window_capture.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/item_drag.h"
#include "toolbars/popups/tracking.h"
#include "toolbars/views/item_viewer.h"

using namespace toolbars;
using bar_host::TBarHostWindow;

namespace {

constexpr COLORREF kFace = RGB(200, 200, 200);
constexpr COLORREF kHighlight = RGB(0, 0, 160);
constexpr COLORREF kHighlightText = RGB(255, 255, 0);
constexpr COLORREF kShadow = RGB(100, 100, 100);
constexpr COLORREF kLight = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kGray = RGB(130, 130, 130);

// One bar in a window of its own, painted classic with pinned colours.
class ClassicViewerPainting : public TEnvironmentTest {
 protected:
  void SetUp() override {
    Environment.SetVisualStyles(false);
    Environment.SetKeyboardCues(true);
    for (int element : {COLOR_BTNFACE, COLOR_MENU}) Environment.SetSysColor(element, kFace);
    Environment.SetSysColor(COLOR_HIGHLIGHT, kHighlight);
    Environment.SetSysColor(COLOR_HIGHLIGHTTEXT, kHighlightText);
    Environment.SetSysColor(COLOR_BTNSHADOW, kShadow);
    Environment.SetSysColor(COLOR_BTNHIGHLIGHT, kLight);
    for (int element : {COLOR_BTNTEXT, COLOR_MENUTEXT, COLOR_WINDOWTEXT}) Environment.SetSysColor(element, kText);
    Environment.SetSysColor(COLOR_GRAYTEXT, kGray);
    frame_ = std::make_unique<TTestWindow>(RECT{100, 100, 500, 300});
    root_ = new TBarRootItem(&owner_);
  }
  TBarCustomItem* Add(const wchar_t* caption) {
    auto* item = new TBarCustomItem(&owner_);
    item->SetCaption(caption);
    root_->Add(item);
    return item;
  }
  TBarHostWindow* Bar(bool isToolbar) {
    bar_ = new TBarHostWindow(&owner_, frame_->Handle(), RECT{0, 0, 400, 200}, root_, isToolbar);
    return bar_;
  }
  TWindowCapture Capture(const wchar_t* name) {
    TWindowCapture capture = TWindowCapture::OfClient(bar_->Handle());
    KeepCaptureForViewing(capture, name);
    return capture;
  }
  RECT Bounds(TBarCustomItem* item) { return bar_->View()->Find(item)->BoundsRect(); }

  TComponent owner_{nullptr};
  std::unique_ptr<TTestWindow> frame_;
  TBarCustomItem* root_ = nullptr;
  TBarHostWindow* bar_ = nullptr;
};

}  // namespace

TEST_F(ClassicViewerPainting, SelectedMenuRowIsFilledAndShowsItsShortCut) {
  TBarCustomItem* open = Add(L"&Open\tCtrl+O");
  TBarCustomItem* checked = Add(L"Checked");
  checked->SetChecked(true);
  Bar(false);
  TBarView* view = bar_->View();
  EXPECT_TRUE(view->SetSelected(view->Find(open)).Alive());
  const TWindowCapture capture = Capture(L"menu_rows");
  const RECT row = Bounds(open);
  // Without image or check the selection bar starts at the very left.
  EXPECT_EQ(capture.Pixel(row.left + 1, row.top + 1), kHighlight);
  EXPECT_EQ(capture.Pixel(row.right - 1, row.bottom - 1), kHighlight);
  const int shownText = capture.CountPixels(kHighlightText, &row);
  EXPECT_GT(shownText, 20) << "caption and short-cut in the selection text colour";
  // The short-cut ends one row height before the right edge.
  RECT shortCutArea{row.right - (row.bottom - row.top) - 60, row.top, row.right - (row.bottom - row.top), row.bottom};
  EXPECT_GT(capture.CountPixels(kHighlightText, &shortCutArea), 5);
  RECT arrowColumn{row.right - (row.bottom - row.top), row.top, row.right, row.bottom};
  EXPECT_EQ(capture.CountPixels(kHighlightText, &arrowColumn), 0) << "no submenu, no arrow";

  // A checked row that is not selected: a sunken image cell with the dither fill and a check mark.
  const RECT check = Bounds(checked);
  const int cell = check.bottom - check.top;
  EXPECT_EQ(capture.Pixel(check.left, check.top), kShadow) << "sunken cell frame";
  EXPECT_EQ(capture.Pixel(check.left + cell - 1, check.bottom - 1), kLight);
  RECT cellInside{check.left + 1, check.top + 1, check.left + cell - 1, check.bottom - 1};
  EXPECT_GT(capture.CountPixels(kText, &cellInside), 10) << "the check mark";
  EXPECT_GT(capture.CountPixels(kLight, &cellInside), 10) << "the dither fill";
  EXPECT_EQ(capture.CountPixels(kHighlight, &check), 0);
}

TEST_F(ClassicViewerPainting, ToolbarButtonsFramesAndSeparators) {
  TBarCustomItem* hot = Add(L"Hot");
  root_->Add(new TBarSeparatorItem(&owner_));
  TBarCustomItem* checked = Add(L"Down");
  checked->SetChecked(true);
  TBarCustomItem* disabled = Add(L"Off");
  disabled->SetEnabled(false);
  Bar(true);
  TBarView* view = bar_->View();
  EXPECT_TRUE(view->SetSelected(view->Find(hot)).Alive());
  const TWindowCapture capture = Capture(L"toolbar_buttons");
  // The selected button is raised: light on the top-left, shadow on the bottom-right.
  const RECT h = Bounds(hot);
  EXPECT_EQ(capture.Pixel(h.left, h.top + 3), kLight);
  EXPECT_EQ(capture.Pixel(h.right - 1, h.top + 3), kShadow);
  // The checked button is sunken with the dither fill inside.
  const RECT c = Bounds(checked);
  EXPECT_EQ(capture.Pixel(c.left, c.top + 3), kShadow);
  EXPECT_EQ(capture.Pixel(c.right - 1, c.top + 3), kLight);
  EXPECT_NE(capture.Pixel(c.left + 1, c.top + 1), capture.Pixel(c.left + 2, c.top + 1)) << "dithered";
  // The separator is an etched line down its middle.
  const RECT s = view->Viewers(1)->BoundsRect();
  const int x = s.left + (s.right - s.left) / 2 - 1;
  EXPECT_EQ(capture.Pixel(x, s.top + 5), kShadow);
  EXPECT_EQ(capture.Pixel(x + 1, s.top + 5), kLight);
  // A disabled caption is drawn embossed: highlight behind, shadow in front, and never in the text colour.
  const RECT d = Bounds(disabled);
  EXPECT_GT(capture.CountPixels(kShadow, &d), 10);
  EXPECT_GT(capture.CountPixels(kLight, &d), 10);
  EXPECT_EQ(capture.CountPixels(kText, &d), 0);
  // An unselected, unchecked button has no frame.
  EXPECT_TRUE(view->SetSelected(nullptr).Alive());
  const TWindowCapture plain = Capture(L"toolbar_plain");
  EXPECT_EQ(plain.Pixel(h.left, h.top + 3), kFace);
}

TEST_F(ClassicViewerPainting, ViewerParts) {
  struct TSplit : TBarCustomItem {
    explicit TSplit(TComponent* owner) : TBarCustomItem(owner) {
      SetItemStyle(static_cast<TBarItemStyle>(ItemStyle() | isSubmenu | isSplitButton));
    }
  };
  TBarCustomItem* split = new TSplit(&owner_);
  split->SetCaption(L"Split");
  root_->Add(split);
  TBarCustomItem* tabbed = Add(L"Open\tCtrl+O");
  tabbed->SetShortCut(TextToShortCut(L"Ctrl+P"));
  auto* images = new TImageList(&owner_);
  TBarCustomItem* imaged = Add(L"Imaged");
  imaged->SetImages(images);
  imaged->SetImageIndex(0);
  imaged->SetDisplayMode(TBarItemDisplayMode::nbdmTextOnlyInMenus);
  TBarCustomItem* aboveEmpty = Add(L"");
  aboveEmpty->SetOptions({TBarItemOption::tboImageAboveCaption});
  Bar(true);
  TBarView* toolbar = bar_->View();
  TBarItemViewer* splitViewer = toolbar->Find(split);
  const int width = splitViewer->BoundsRect().right - splitViewer->BoundsRect().left;
  EXPECT_TRUE(splitViewer->IsPtInButtonPart(width - kSplitArrowWidth - 1, 0));
  EXPECT_FALSE(splitViewer->IsPtInButtonPart(width - kSplitArrowWidth, 0));
  EXPECT_EQ(toolbar->Find(tabbed)->CaptionText(), L"Open");
  EXPECT_EQ(tabbed->GetShortCutText(), L"Ctrl+O");
  EXPECT_TRUE(toolbar->Find(imaged)->IsImageShown()) << "text only in menus: an image on a toolbar";
  EXPECT_TRUE(toolbar->Find(aboveEmpty)->CaptionShown()) << "an image-above-caption button keeps its caption line";
  TBarHostWindow* menu = new TBarHostWindow(&owner_, frame_->Handle(), RECT{0, 0, 200, 200}, root_, false);
  EXPECT_FALSE(menu->View()->Find(imaged)->IsImageShown());
  EXPECT_FALSE(menu->View()->Find(split)->IsToolbarStyle());
}

TEST_F(ClassicViewerPainting, DropDownAndSplitArrowsPointDown) {
  struct TSubmenuItem : TBarCustomItem {
    TSubmenuItem(TComponent* owner, TBarItemStyle extra) : TBarCustomItem(owner) {
      SetItemStyle(static_cast<TBarItemStyle>(ItemStyle() | isSubmenu | extra));
    }
  };
  TBarCustomItem* dropdown = new TSubmenuItem(&owner_, 0);
  dropdown->SetCaption(L"Drop");
  dropdown->SetOptions({TBarItemOption::tboDropdownArrow});
  root_->Add(dropdown);
  TBarCustomItem* split = new TSubmenuItem(&owner_, isSplitButton);
  split->SetCaption(L"Split");
  root_->Add(split);
  Bar(true);
  const TWindowCapture capture = Capture(L"toolbar_arrows");
  struct TCase {
    const char* name;
    TBarCustomItem* item;
    int arrowWidth;
  };
  for (const TCase& c : {TCase{"drop-down", dropdown, 8}, TCase{"split", split, kSplitArrowWidth}}) {
    SCOPED_TRACE(c.name);
    const RECT bounds = Bounds(c.item);
    // The arrow's rows of text-coloured pixels, top to bottom: each row no wider than the one above, the first
    // one the widest, and more than one row (a glyph pointing right would widen and then narrow again).
    std::vector<int> widths;
    for (int y = bounds.top; y < bounds.bottom; ++y) {
      const RECT row{bounds.right - c.arrowWidth, y, bounds.right, y + 1};
      const int width = capture.CountPixels(kText, &row);
      if (width > 0) widths.push_back(width);
    }
    ASSERT_GE(widths.size(), 2u);
    EXPECT_GE(widths.front(), 5);
    EXPECT_EQ(widths.back(), 1) << "it ends in a point";
    for (size_t i = 1; i < widths.size(); ++i) EXPECT_LT(widths[i], widths[i - 1]) << "row " << i;
  }
}

TEST_F(ClassicViewerPainting, DuringAnItemDragTheDraggedEntryIsTheHighlightedOne) {
  TBarCustomItem* dragged = Add(L"Dragged");
  TBarCustomItem* under = Add(L"Under the pointer");
  TBarCustomItem* folder = Add(L"Folder");
  folder->Add(new TBarCustomItem(&owner_));
  TBarCustomItem* other = Add(L"Other");
  TBarCustomItem* links[] = {dragged, under, folder, other};
  for (TBarCustomItem*& link : links) {
    link->SetDraggable(true);
    link->SetDragLink(reinterpret_cast<uintptr_t>(&link));
  }
  Bar(false);
  TBarView* view = bar_->View();
  auto highlighted = [&](TBarCustomItem* item) {
    const TWindowCapture capture = Capture(L"menu_drag");
    const RECT row = Bounds(item);
    return capture.Pixel(row.left + 1, row.top + 1) == kHighlight;
  };
  struct TCase {
    const char* name;
    TBarCustomItem* selected;
    uintptr_t dragSource;
    uintptr_t contextLink;
    std::vector<TBarCustomItem*> shown;
  };
  const std::vector<TCase> cases = {
      {"no drag: the selection", under, 0, 0, {under}},
      {"drag: the dragged entry, not the one under the pointer", under, links[0]->DragLink(), 0, {dragged}},
      {"drag over a folder: the dragged entry and the open folder", folder, links[0]->DragLink(), 0, {dragged, folder}},
      {"the owner's menu for an entry is up", under, 0, links[3]->DragLink(), {under, other}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(view->SetSelected(view->Find(c.selected)).Alive());
    DragSource = c.dragSource;
    ContextMenuState.Active = c.contextLink != 0;
    ContextMenuState.Link = c.contextLink;
    for (TBarCustomItem* item : links) {
      const bool expected = std::find(c.shown.begin(), c.shown.end(), item) != c.shown.end();
      EXPECT_EQ(highlighted(item), expected) << item->Caption();
    }
  }
  DragSource = 0;
  ContextMenuState = TBarContextMenuState{};
}

namespace {

// A 16 x 16 image list whose image 0 is one plain colour.
TImageList* SolidList(TComponent* owner, COLORREF color) {
  auto* list = new TImageList(owner);
  list->SetSize(16, 16);
  TBitmap bitmap;
  bitmap.SetSize(16, 16);
  RECT all{0, 0, 16, 16};
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(bitmap.Canvas()->Handle(), &all, brush);
  DeleteObject(brush);
  list->AddMasked(&bitmap, clFuchsia);
  return list;
}

}  // namespace

TEST(BarImageList, StateListsDrawTheirOwnImages) {
  TComponent owner(nullptr);
  auto* list = new TBarCustomImageList(&owner);
  list->SetSize(16, 16);
  {
    TBitmap normal;
    normal.SetSize(16, 16);
    RECT all{0, 0, 16, 16};
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(normal.Canvas()->Handle(), &all, brush);
    DeleteObject(brush);
    list->AddMasked(&normal, clFuchsia);
  }
  list->SetDisabledImageList(SolidList(&owner, RGB(0, 255, 0)));
  list->SetCheckedImageList(SolidList(&owner, RGB(255, 0, 0)));
  list->SetPressedImageList(SolidList(&owner, RGB(255, 0, 255 - 1)));
  struct TCase {
    bool Enabled, Pressed, Checked;
    COLORREF Expected;
  };
  const TCase cases[] = {{false, true, true, RGB(0, 255, 0)},
                         {true, true, true, RGB(255, 0, 0)},
                         {true, true, false, RGB(255, 0, 254)},
                         {true, false, false, RGB(0, 0, 255)}};
  for (const TCase& c : cases) {
    TWindowCapture capture(16, 16);
    TCanvas canvas;
    canvas.SetHandle(capture.DC());
    list->DrawForState(&canvas, 0, 0, 0, c.Enabled, c.Pressed, c.Checked);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(capture.Pixel(8, 8), c.Expected) << c.Enabled << c.Pressed << c.Checked;
  }
  // Without a disabled list the normal image is drawn greyed, not in full colour.
  list->SetDisabledImageList(nullptr);
  TWindowCapture greyed(16, 16);
  TCanvas canvas;
  canvas.SetHandle(greyed.DC());
  list->DrawForState(&canvas, 0, 0, 0, false, false, false);
  canvas.SetHandle(nullptr);
  EXPECT_NE(greyed.Pixel(8, 8), RGB(0, 0, 255));

  list->SetCheckedImageList(list);
  EXPECT_EQ(list->CheckedImageList(), nullptr) << "the list itself counts as none";
  TCustomImageList* pressed = list->PressedImageList();
  int changes = 0;
  list->OnChange = TNotifyEvent([&](TObject*) { ++changes; });
  TBitmap more;
  more.SetSize(16, 16);
  static_cast<TImageList*>(pressed)->AddMasked(&more, clFuchsia);
  EXPECT_GT(changes, 0) << "a change of a state list is a change of this list";
  delete pressed;
  EXPECT_EQ(list->PressedImageList(), nullptr) << "a freed state list leaves no dangling reference";
}

TEST(BarImageList, SourceBitmapFillsTheList) {
  TComponent owner(nullptr);
  auto* list = new TBarCustomImageList(&owner);
  list->SetSize(16, 16);
  EXPECT_EQ(list->SourceBitmapMaskColor(), clFuchsia);
  list->SourceBitmap()->SetSize(48, 16);
  EXPECT_EQ(list->Count(), 3);
}

// The list is filled again under one change notice: a handler that frees the list as it hears of it is its last.
TEST(BarImageList, FreedAsItsSourceBitmapFillsIt) {
  TGuardedAllocations guard;
  auto* list = new TBarCustomImageList(nullptr);
  list->SetSize(16, 16);
  list->SourceBitmap()->SetSize(32, 16);
  int changes = 0;
  list->OnChange = TNotifyEvent([&](TObject*) {
    ++changes;
    delete std::exchange(list, nullptr);
  });
  list->SourceBitmap()->SetSize(48, 16);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(changes, 1);
}

// What the gallery's pages do: the feed page reads its samples and refuses a hostile feed cleanly, the tree page
// holds 100,000 rows that move between its two trees and export, the pages lay themselves out again when the form
// changes size, and theme switches leave nothing acquired.
#include "gallery_pages.h"

#include <string>

#include "controls/tabs/page_control.h"
#include "feeds_page.h"
#include "gallery_fixture.h"
#include "section_sheet.h"
#include "text_view.h"
#include "toolbars/theme/theme_registry.h"
#include "tree/string_tree.h"
#include "tree_page.h"

using tree::PTreeNode;
using tree::TStringTree;

namespace {

String Titles(TStringTree* list) {
  String titles;
  for (PTreeNode node = list->GetFirst(); node; node = list->GetNext(node)) titles += list->Text(node, 0) + L"|";
  return titles;
}

}  // namespace

TEST_F(GalleryTest, TheFeedPageReadsBothSamplesWithTheirOldDatesAndForeignText) {
  TFeedsPage* page = Form()->FeedsPage();
  ASSERT_TRUE(page->LoadSample(TSampleFeed::sfRSS));
  EXPECT_EQ(page->ItemList()->RootNodeCount(), 6u);
  const String rss = Titles(page->ItemList());
  EXPECT_NE(rss.find(L"\u041F\u0435\u0440\u0432\u044B\u0439"), String::npos) << "Cyrillic";
  EXPECT_NE(rss.find(L"\u039F \u039C\u03B1\u03C1\u03B1\u03B8"), String::npos) << "Greek";
  EXPECT_NE(rss.find(L"The wall opens at last|"), String::npos) << "markup in a title is read as text";
  PTreeNode first = page->ItemList()->GetFirst();
  EXPECT_NE(page->ItemList()->Text(first, 1).find(L"1999"), String::npos);
  EXPECT_NE(page->ItemList()->Text(page->ItemList()->GetNext(first), 1).find(L"1957"), String::npos);
  EXPECT_NE(page->PageText()->Text().find(L"Almanac of Old News"), String::npos);
  EXPECT_EQ(page->PageText()->Text().find(L"<"), String::npos) << "the page shows as text, not markup";

  ASSERT_TRUE(page->LoadSample(TSampleFeed::sfAtom));
  EXPECT_EQ(page->ItemList()->RootNodeCount(), 3u);
  EXPECT_NE(Titles(page->ItemList()).find(L"Krak\u00F3w"), String::npos);
  EXPECT_NE(page->ItemList()->Text(page->ItemList()->GetFirst(), 2).find(L"\u00C9lodie"), String::npos);
  EXPECT_NE(page->PageText()->Text().find(L"Carnet de voyage"), String::npos);
}

TEST_F(GalleryTest, AHostileFeedIsRefusedWithItsReasonAndLeavesThePageAsItWas) {
  TFeedsPage* page = Form()->FeedsPage();
  ASSERT_TRUE(page->LoadSample(TSampleFeed::sfAtom));
  const String titles = Titles(page->ItemList());
  const String text = page->PageText()->Text();
  EXPECT_FALSE(page->LoadSample(TSampleFeed::sfHostile));
  EXPECT_NE(page->Status().find(L"Hostile feed was not read: "), String::npos)
      << testing::PrintToString(page->Status());
  EXPECT_NE(page->Status().find(L"entities"), String::npos) << testing::PrintToString(page->Status());
  EXPECT_EQ(Titles(page->ItemList()), titles);
  EXPECT_EQ(page->PageText()->Text(), text);
}

TEST_F(GalleryTest, TheTreePageHoldsAHundredThousandRows) {
  TStringTree* large = Form()->TreePage()->LargeTree();
  EXPECT_EQ(large->RootNodeCount(), 1000u);
  large->ValidateNode(nullptr, true);
  EXPECT_EQ(large->TotalCount(), 100000u);
  PTreeNode last = large->GetLast();
  EXPECT_EQ(large->Text(last, 0), L"Item 1000.99");
  EXPECT_EQ(large->Text(large->GetFirst(), 0), L"Folder 1");
  EXPECT_EQ(large->CheckType(large->GetFirst()), tree::TCheckType::ctTriStateCheckBox);
}

TEST_F(GalleryTest, RowsMoveAndCopyBetweenTheTreesKeepingTheirNamesAndExport) {
  TTreePage* page = Form()->TreePage();
  TStringTree* large = page->LargeTree();
  TStringTree* small = page->SmallTree();
  PTreeNode folder = large->GetFirst();
  large->SetExpanded(folder, true);
  PTreeNode row = large->GetFirstChild(folder);
  large->OnNewText(large, row, 0, L"Renamed row");
  ASSERT_EQ(large->Text(row, 0), L"Renamed row");
  const std::uint32_t smallBefore = small->RootNodeCount();
  const std::uint32_t folderBefore = folder->ChildCount;

  struct TCase {
    DWORD Effect;
    std::uint32_t LeftInFolder;
  };
  for (const TCase& c : {TCase{DROPEFFECT_COPY, folderBefore}, TCase{DROPEFFECT_MOVE, folderBefore - 1}}) {
    large->ClearSelection();
    large->SetSelected(row, true);
    DWORD effect = c.Effect;
    small->OnDragDrop(small, large, nullptr, {}, {}, POINT{}, effect, tree::TDropMode::dpNowhere);
    EXPECT_EQ(folder->ChildCount, c.LeftInFolder);
  }
  ASSERT_EQ(small->RootNodeCount(), smallBefore + 2);
  EXPECT_EQ(small->Text(small->GetLast(), 0), L"Renamed row");
  EXPECT_EQ(small->Text(small->GetPrevious(small->GetLast()), 0), L"Renamed row");

  page->Export(TTreeExport::teHtml);
  EXPECT_NE(page->ExportText()->Text().find(L"Renamed row"), String::npos);
  EXPECT_NE(page->ExportText()->Text().find(L"<table"), String::npos);
  page->Export(TTreeExport::teRtf);
  EXPECT_EQ(page->ExportText()->Text().rfind(L"{\\rtf", 0), 0u);
  page->Export(TTreeExport::teText);
  EXPECT_NE(page->ExportText()->Text().find(L"Folder 8"), String::npos);
}

TEST_F(GalleryTest, TheFormFitsTheScreenAndLaysItselfOutAgainWhenResized) {
  EXPECT_LE(Form()->Width(), 1280);
  EXPECT_LE(Form()->Height(), 1024);
  const int toolbarsPage = FindGalleryPage(L"toolbars");
  ASSERT_TRUE(Form()->ShowPage(toolbarsPage));
  auto* sheet = ObjectAs<TSectionSheet>(Form()->Pages()->Pages(toolbarsPage));
  ASSERT_NE(sheet, nullptr);
  ASSERT_GE(sheet->Sections().size(), 2u);
  const RECT bounds = Form()->BoundsRect();
  for (SIZE size : {SIZE{1240, 940}, SIZE{900, 560}, SIZE{1240, 940}}) {
    Form()->SetBounds(bounds.left, bounds.top, size.cx, size.cy);
    Settle();
    SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
    RECT client;
    GetClientRect(Form()->Handle(), &client);
    const RECT pages = Form()->Pages()->BoundsRect();
    EXPECT_LE(pages.right, client.right);
    EXPECT_LE(pages.bottom, client.bottom);
    EXPECT_GT(pages.right - pages.left, client.right / 2) << "the pages take what the bars leave";
    // Sections flow into a new column when the page is too short for the next one.
    TWinControl* first = sheet->Sections()[0];
    TWinControl* second = sheet->Sections()[1];
    if (first->Height() + second->Height() + 24 > sheet->ClientHeight())
      EXPECT_GT(second->Left(), first->Left());
    else
      EXPECT_EQ(second->Left(), first->Left());
    EXPECT_LE(second->Top() + second->Height(), std::max(sheet->ClientHeight(), second->Top() + second->Height()));
  }
  Form()->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

// Each switch lays out and repaints the whole form: 25 rounds through every theme keep the test within seconds.
TEST_F(GalleryTest, RepeatedThemeSwitchesLeaveOneThemeAcquired) {
  const auto& themes = toolbars::ThemeRegistry();
  for (int i = 0; i < 25 * static_cast<int>(themes.size()); ++i) ASSERT_TRUE(Form()->SelectTheme(themes[static_cast<size_t>(i) % themes.size()].Name));
  // Some themes build on the default theme and hold it while they are held: end on it to see every other go.
  ASSERT_TRUE(Form()->SelectTheme(L"Default"));
  for (const toolbars::TThemeRegistryEntry& entry : themes) {
    if (entry.Name == L"Default")
      EXPECT_GE(entry.RefCount, 1);
    else
      EXPECT_EQ(entry.Instance, nullptr) << testing::PrintToString(entry.Name) << " is still held";
  }
  EXPECT_FALSE(Form()->SelectTheme(L"No such theme"));
  EXPECT_EQ(Form()->ThemeName(), L"Default");
}

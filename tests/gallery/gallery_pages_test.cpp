// What the gallery's pages do: the feed page reads its samples and refuses a hostile feed cleanly, the tree page
// holds 100,000 rows that move between its two trees and export, the pages lay themselves out again when the form
// changes size, and theme switches leave nothing acquired.
#include "gallery_pages.h"

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <utility>

#include "controls/tabs/page_control.h"
#include "controls/tabs/tab_painter.h"
#include "feeds_page.h"
#include "gallery_fixture.h"
#include "section_sheet.h"
#include "status_line.h"
#include "support/window_capture.h"
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
  // The page's words stay apart as the page shows them.
  const String pageText = page->PageText()->Text();
  EXPECT_NE(pageText.find(L"View Source"), String::npos)
      << testing::PrintToString(pageText.substr(pageText.find(L"Source") - 30, 40));
  EXPECT_EQ(page->PageText()->Text().find(L"<"), String::npos) << "the page shows as text, not markup";

  ASSERT_TRUE(page->LoadSample(TSampleFeed::sfAtom));
  EXPECT_EQ(Form()->Status()->Caption(), page->Status()) << "the window says what was read last";
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
  EXPECT_EQ(Form()->Status()->Caption(), page->Status());
  EXPECT_EQ(Titles(page->ItemList()), titles);
  EXPECT_EQ(page->PageText()->Text(), text);
}

// A text longer than the box shows is cut at the end of a line, or inside one longer than the room; the note of
// what is left stands on a line of its own either way.
TEST_F(GalleryTest, TheNoteOfACutTextStandsOnItsOwnLine) {
  TTextView* box = Form()->TreePage()->ExportText();
  const size_t room = TTextView::ShownCharacters;
  const struct {
    String Text;
    size_t Left;
  } cases[] = {{String(room + 100, L'x'), 100}, {String(room - 10, L'a') + L"\n" + String(200, L'b'), 200}};
  for (const auto& c : cases) {
    EXPECT_TRUE(box->SetLines(c.Text).Alive());
    const String shown = box->Text();
    const size_t note = shown.find(L"(and ");
    ASSERT_NE(note, String::npos);
    EXPECT_EQ(shown.substr(note - 2), L"\r\n(and " + std::to_wstring(c.Left) + L" more characters, not shown here)");
  }
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

// What a row shows in its three columns.
struct TRowText {
  String Name, Size, Modified;
  bool operator==(const TRowText&) const = default;
};

void PrintTo(const TRowText& row, std::ostream* out) {
  *out << testing::PrintToString(row.Name) << " " << testing::PrintToString(row.Size) << " "
       << testing::PrintToString(row.Modified);
}

TRowText RowText(TStringTree* tree, PTreeNode node) {
  return TRowText{tree->Text(node, 0), tree->Text(node, 1), tree->Text(node, 2)};
}

TEST_F(GalleryTest, RowsCopiedOrMovedBetweenTheTreesKeepTheirSizeDateAndName) {
  TTreePage* page = Form()->TreePage();
  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"tree")));
  Settle();
  TStringTree* large = page->LargeTree();
  TStringTree* small = page->SmallTree();
  PTreeNode firstFolder = large->GetFirst();
  EXPECT_FALSE(large->SetExpanded(firstFolder, true).TreeGone());
  struct TCase {
    const wchar_t* Row;
    bool FromSmall;
    bool Shift;  // moves instead of copying
  };
  // The rows the gallery starts the small tree with go left and back; rows of the large one go right.
  const TCase cases[] = {
      {L"Item 42.1", true, true}, {L"Item 5.7", true, true},    {L"Item 1.2", false, false},
      {L"Item 1.3", false, true}, {L"Item 42.1", false, false}, {L"Folder 8", true, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(c.Row) << (c.Shift ? " moved" : " copied"));
    TStringTree* from = c.FromSmall ? small : large;
    TStringTree* into = c.FromSmall ? large : small;
    PTreeNode row = FindRow(from, c.Row);
    ASSERT_NE(row, nullptr);
    const TRowText before = RowText(from, row);
    const std::uint32_t fromCount = from->TotalCount();
    const std::uint32_t intoCount = into->TotalCount();
    EXPECT_TRUE(from->ClearSelection().Alive());
    EXPECT_FALSE(from->AddToSelection(row).TreeGone());
    // Into the large tree the rows go into its first folder, after the rows it has.
    DropSelection(from, into, c.FromSmall ? firstFolder : nullptr, c.Shift);
    EXPECT_EQ(from->TotalCount(), c.Shift ? fromCount - 1 : fromCount);
    EXPECT_EQ(into->TotalCount(), intoCount + 1);
    PTreeNode arrived = c.FromSmall ? large->GetLastChild(firstFolder) : small->GetLast();
    ASSERT_NE(arrived, nullptr);
    EXPECT_EQ(RowText(into, arrived), before);
  }
  // Every row has a name of its own: renaming a copy leaves the row it was copied from as it was, and rows moved
  // one after another keep theirs.
  PTreeNode copy = small->GetLast();
  small->OnNewText(small, copy, 0, L"Renamed copy");
  EXPECT_EQ(small->Text(copy, 0), L"Renamed copy");
  for (auto [tree, name] : {std::pair{large, L"Folder 8"}, std::pair{large, L"Item 42.1"},
                            std::pair{large, L"Item 5.7"}, std::pair{small, L"Item 1.3"}}) {
    EXPECT_NE(FindRow(tree, name), nullptr) << testing::PrintToString(name);
  }
  // A renamed row takes its name along when it moves.
  EXPECT_TRUE(small->ClearSelection().Alive());
  EXPECT_FALSE(small->AddToSelection(copy).TreeGone());
  DropSelection(small, large, firstFolder, true);
  EXPECT_EQ(large->Text(large->GetLastChild(firstFolder), 0), L"Renamed copy");
  EXPECT_EQ(FindRow(small, L"Renamed copy"), nullptr);

  EXPECT_TRUE(page->Export(TTreeExport::teHtml).Alive());
  EXPECT_NE(page->ExportText()->Text().find(L"Item 1.2"), String::npos);
  EXPECT_NE(page->ExportText()->Text().find(L"<table"), String::npos);
  EXPECT_TRUE(page->Export(TTreeExport::teRtf).Alive());
  EXPECT_EQ(page->ExportText()->Text().rfind(L"{\\rtf", 0), 0u);
  EXPECT_TRUE(page->Export(TTreeExport::teText).Alive());
  EXPECT_NE(page->ExportText()->Text().find(L"Item 1.2"), String::npos);
}

TEST_F(GalleryTest, AFolderCheckBoxSaysWhatItsItemsSay) {
  TStringTree* large = Form()->TreePage()->LargeTree();
  PTreeNode folder = large->GetNextSibling(large->GetFirst());
  EXPECT_EQ(large->CheckState(folder), tree::TCheckState::csMixedNormal);
  EXPECT_FALSE(large->SetExpanded(folder, true).TreeGone());
  int checked = 0;
  for (PTreeNode item = large->GetFirstChild(folder); item; item = large->GetNextSibling(item))
    if (large->CheckState(item) == tree::TCheckState::csCheckedNormal) ++checked;
  EXPECT_GT(checked, 0);
  EXPECT_LT(checked, static_cast<int>(folder->ChildCount));
  EXPECT_FALSE(large->SetExpanded(folder, false).TreeGone());
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
    EXPECT_TRUE(Form()->SetBounds(bounds.left, bounds.top, size.cx, size.cy).Alive());
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
  EXPECT_TRUE(
      Form()->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top).Alive());
}

// Two rounds through every theme: a theme the form does not let go, the first time or a later one, stays held. Each
// switch lays out and repaints the whole form, some thousand messages: more rounds would only make the test long,
// beside busy processes above all.
TEST_F(GalleryTest, RepeatedThemeSwitchesLeaveOneThemeAcquired) {
  const auto& themes = toolbars::ThemeRegistry();
  for (int i = 0; i < 2 * static_cast<int>(themes.size()); ++i)
    ASSERT_TRUE(Form()->SelectTheme(themes[static_cast<size_t>(i) % themes.size()].Name));
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

// The mouse drags a row from the small tree onto the large one's first folder, as a user does: the row is
// copied with its size and date, and no window keeps the mouse afterwards.
TEST_F(GalleryTest, AMouseDragCopiesARowWithItsData) {
  TTreePage* page = Form()->TreePage();
  ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(L"tree")));
  SetForegroundWindow(Form()->Handle());
  Settle();
  TStringTree* large = page->LargeTree();
  TStringTree* small = page->SmallTree();
  PTreeNode folder = large->GetFirst();
  EXPECT_FALSE(large->SetExpanded(folder, true).TreeGone());
  large->ScrollIntoView(folder, false);
  PTreeNode row = small->GetFirst();
  ASSERT_NE(row, nullptr);
  const TRowText dragged = RowText(small, row);
  const std::uint32_t before = large->TotalCount();
  const POINT from = RowPoint(small, row);
  const POINT to = RowPoint(large, folder);
  const bool inTime = DragWithMouse(from, to, [&] { return large->TotalCount() > before; });
  EXPECT_TRUE(inTime);
  ASSERT_EQ(large->TotalCount(), before + 1);
  EXPECT_EQ(RowText(large, large->GetLastChild(folder)), dragged);
  Settle();
  EXPECT_EQ(GetCapture(), nullptr) << "no window keeps the mouse after the drag";
  EXPECT_TRUE(large->DeleteNode(large->GetLastChild(folder)).Alive());
}

// Whichever page shows, its tab's face stands out from the faces of the others.
TEST_F(GalleryTest, TheSelectedPagesTabStandsOut) {
  controls::TPcPageControl* pages = Form()->Pages();
  for (int active = 0; active < pages->PageCount(); ++active) {
    SCOPED_TRACE(testing::PrintToString(GalleryPages()[static_cast<size_t>(active)].Caption));
    ASSERT_TRUE(Form()->ShowPage(active));
    Settle();
    const TWindowCapture picture = TWindowCapture::OfClient(pages->Handle());
    // The colour most of a tab is painted in, its edges and neighbours left out.
    auto face = [&](int page) {
      RECT tab = pages->Painter()->ButtonOf(pages->Pages(page))->Rect();
      InflateRect(&tab, -3, -3);
      std::map<COLORREF, int> counts;
      for (int y = tab.top; y < tab.bottom; ++y)
        for (int x = tab.left; x < tab.right; ++x) ++counts[picture.Pixel(x, y)];
      return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })
          ->first;
    };
    const COLORREF selected = face(active);
    for (int page = 0; page < pages->PageCount(); ++page) {
      if (page == active) continue;
      EXPECT_GE(Contrast(selected, face(page)), 1.5) << "beside the tab of page " << page;
    }
  }
}

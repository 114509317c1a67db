// The tree page as a person works it, by mouse and keyboard: its parts share the smallest window, a column resized
// in the header repaints the captions it moves, typing a row's name finds it, the Edit menu selects the folders,
// Delete and the clipboard keys change the rows and the page's counts and export follow, and a selection stays
// visible while another control has the focus.
#include <cwchar>
#include <cwctype>
#include <functional>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/speed_button.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "status_line.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/window_capture.h"
#include "text_view.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"
#include "tree_page.h"

using tree::PTreeNode;
using tree::TStringTree;

namespace {

TTreePage* ShowTreePage(TGalleryForm* form) {
  form->ShowPage(FindGalleryPage(L"tree"));
  SetForegroundWindow(form->Handle());
  Application->ProcessMessages();
  return form->TreePage();
}

// Focuses the tree and makes the row its only selected, focused one.
void FocusRow(TStringTree* tree, PTreeNode row) {
  EXPECT_TRUE(tree->SetFocus().Alive());
  EXPECT_TRUE(tree->ClearSelection().Alive());
  EXPECT_FALSE(tree->SetFocusedNode(row).TreeGone());
  EXPECT_FALSE(tree->SetSelected(row, true).TreeGone());
  Application->ProcessMessages();
}

// A point of the tree, on the screen, below the rows of a tree that holds few: a click there focuses no row, and
// rows dropped there go to the end.
POINT BelowTheRows(TStringTree* tree) {
  RECT window;
  GetWindowRect(tree->Handle(), &window);
  return POINT{(window.left + window.right) / 2, window.bottom - 20};
}

// Types the text on the keyboard: letters, digits and spaces.
void TypeText(const String& text) {
  for (wchar_t ch : text) {
    if (ch == L' ')
      SendKeyPress(VK_SPACE);
    else
      SendKeyPress(static_cast<WORD>(std::towupper(ch)), std::iswupper(ch) != 0);
  }
}

}  // namespace

// The form's smallest size, reached from a middle one and from full size: the trees keep rows under their headers,
// the export box keeps a part of the page, and none covers another; the full size gives the export box its height
// back.
TEST_F(GalleryTest, AtTheSmallestWindowTheTreesAndTheExportBoxShareThePage) {
  TTreePage* page = ShowTreePage(Form());
  const RECT bounds = Form()->BoundsRect();
  const int exportHeight = page->ExportText()->Height();
  for (SIZE from : {SIZE{622, 520}, SIZE{1240, 940}}) {
    SCOPED_TRACE(testing::Message() << "from " << from.cx << " x " << from.cy);
    EXPECT_TRUE(Form()->SetBounds(bounds.left, bounds.top, from.cx, from.cy).Alive());
    Settle();
    EXPECT_TRUE(Form()->SetBounds(bounds.left, bounds.top, 0, 0).Alive());
    Settle();
    const RECT exported = page->ExportText()->BoundsRect();
    EXPECT_GT(exported.bottom - exported.top, 0);
    EXPECT_GE(exported.top, 0);
    EXPECT_LE(exported.bottom, page->ClientHeight());
    for (TStringTree* tree : {page->LargeTree(), page->SmallTree()}) {
      EXPECT_LE(tree->BoundsRect().bottom, exported.top) << "a tree covers the export box";
      EXPECT_GE(tree->ClientHeight(), static_cast<int>(tree->DefaultNodeHeight())) << "no row shows under the header";
    }
  }
  EXPECT_TRUE(
      Form()->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top).Alive());
  Settle();
  EXPECT_EQ(page->ExportText()->Height(), exportHeight);
}

// A column's edge dragged in the header by the mouse: what the header shows afterwards is what it paints afresh,
// the captions of the columns right of it moved along.
TEST_F(GalleryTest, AColumnResizedInTheHeaderRepaintsTheCaptionsItMoves) {
  TStringTree* large = ShowTreePage(Form())->LargeTree();
  tree::TTreeHeader* header = large->Header();
  tree::TTreeColumn* name = header->Columns()->Items(0);
  const int width = name->Width();
  RECT window;
  GetWindowRect(large->Handle(), &window);
  const RECT band = header->HeaderRect();
  const POINT edge{window.left + band.left + name->GetLeft() + width, window.top + (band.top + band.bottom) / 2};
  POINT savedCursor{};
  GetCursorPos(&savedCursor);
  SetCursorPos(edge.x, edge.y);
  SendMouse(MOUSEEVENTF_MOVE);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  for (int step = 1; step <= 4; ++step) {
    SetCursorPos(edge.x - 15 * step, edge.y);
    SendMouse(MOUSEEVENTF_MOVE);
    EXPECT_TRUE(PumpUntil([&] { return name->Width() == width - 15 * step; })) << name->Width();
  }
  SendMouse(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([] { return GetCapture() == nullptr; }));
  SetCursorPos(savedCursor.x, savedCursor.y);
  Settle();

  const TWindowCapture shown = TWindowCapture::AsShown(large->Handle());
  const TWindowCapture painted = TWindowCapture::OfWindow(large->Handle());
  EXPECT_EQ(shown.CountDifferentPixels(painted, &band), 0) << "pixels of the header not painted again";
  KeepCaptureForViewing(shown, L"header_after_resize");
  EXPECT_TRUE(name->SetWidth(width).Alive());
}

// Typed on the keyboard into the large tree, a row name with a space goes to that row and checks nothing; once
// the search has timed out, Space checks the focused row again.
TEST_F(GalleryTest, TypingARowsNameFindsItAndSpaceChecksOnlyWhenNoSearchRuns) {
  TStringTree* large = ShowTreePage(Form())->LargeTree();
  PTreeNode start = large->GetFirst();
  FocusRow(large, start);
  const tree::TCheckState startState = large->CheckState(start);
  TypeText(L"Folder 12");
  EXPECT_TRUE(PumpUntil([&] { return large->Text(large->FocusedNode(), 0) == L"Folder 12"; }))
      << testing::PrintToString(large->Text(large->FocusedNode(), 0));
  EXPECT_EQ(large->CheckState(start), startState) << "the space checked the folder where the search began";
  for (PTreeNode folder = large->GetFirst(); folder; folder = large->GetNextSibling(folder))
    ASSERT_NE(large->CheckState(folder), tree::TCheckState::csCheckedNormal)
        << testing::PrintToString(large->Text(folder, 0));

  PTreeNode found = large->FocusedNode();
  const tree::TCheckState foundState = large->CheckState(found);
  ASSERT_TRUE(PumpUntil([&] { return !large->TreeStates().Contains(tree::TTreeState::stIncrementalSearching); }));
  SendKeyPress(VK_SPACE);
  EXPECT_TRUE(PumpUntil([&] { return large->CheckState(found) != foundState; }));
  EXPECT_FALSE(large->SetCheckState(found, foundState).TreeGone());
}

// Edit > Select every folder, from the keyboard, on the tree page as it starts (its first item selected).
TEST_F(GalleryTest, SelectEveryFolderSelectsTheFoldersAlone) {
  TStringTree* large = ShowTreePage(Form())->LargeTree();
  PTreeNode firstItem = large->GetFirstChild(large->GetFirst());
  FocusRow(large, firstItem);
  ASSERT_TRUE(ChooseFromMenu(L'E', {L'S'}));
  ASSERT_EQ(Form()->LastCommand(), L"Select every folder");
  EXPECT_EQ(large->SelectedCount(), large->RootNodeCount());
  EXPECT_FALSE(large->Selected(firstItem));
  EXPECT_EQ(Form()->Status()->Caption(), L"Selected " + std::to_wstring(large->RootNodeCount()) + L" rows");
  EXPECT_TRUE(large->ClearSelection().Alive());
}

// Rows copied, cut, pasted and deleted with the keys: the page's counts of both trees and the export of the small
// one follow every change.
TEST_F(GalleryTest, DeleteAndTheClipboardKeysChangeTheRowsAndTheCountsAndExportFollow) {
  TTreePage* page = ShowTreePage(Form());
  TStringTree* large = page->LargeTree();
  TStringTree* small = page->SmallTree();
  TStatusLine* said = OwnedBelow<TStatusLine>(page).front();
  PTreeNode folder = FindRow(large, L"Folder 7");
  ASSERT_NE(folder, nullptr);
  EXPECT_FALSE(large->SetExpanded(folder, true).TreeGone());
  struct TStep {
    const char* Name;
    TStringTree* Tree;
    const wchar_t* Row;  // selected before the key; null: the tree's first row
    WORD Key;
    bool Ctrl;
    int LargeChange, SmallChange;  // 0 for both: the row is marked as cut or copied
    const wchar_t* Exported;       // a row the export shows afterwards, or with ! one it no longer shows
  };
  const TStep steps[] = {
      {"copy", large, L"Item 7.4", L'C', true, 0, 0, nullptr},
      {"paste", small, nullptr, L'V', true, 0, 1, L"Item 7.4"},
      {"delete", small, L"Item 7.4", VK_DELETE, false, 0, -1, L"!Item 7.4"},
      {"cut", large, L"Item 7.5", L'X', true, 0, 0, nullptr},
      {"paste of the cut row", small, nullptr, L'V', true, -1, 1, L"Item 7.5"},
      {"cut back", small, L"Item 7.5", L'X', true, 0, 0, nullptr},
      {"paste back into its folder", large, L"Folder 7", L'V', true, 1, -1, L"!Item 7.5"},
  };
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Name);
    PTreeNode row = step.Row ? FindRow(step.Tree, step.Row) : step.Tree->GetFirst();
    ASSERT_NE(row, nullptr);
    FocusRow(step.Tree, row);
    const std::uint32_t largeCount = large->TotalCount();
    const std::uint32_t smallCount = small->TotalCount();
    SendKeyPress(step.Key, false, step.Ctrl);
    const std::uint32_t largeWanted = largeCount + step.LargeChange;
    const std::uint32_t smallWanted = smallCount + step.SmallChange;
    const String counts =
        std::to_wstring(largeWanted) + L" nodes on the left, " + std::to_wstring(smallWanted) + L" on the right.";
    const bool marks = step.LargeChange == 0 && step.SmallChange == 0;
    EXPECT_TRUE(PumpUntil([&] {
      return large->TotalCount() == largeWanted && small->TotalCount() == smallWanted &&
             said->Caption().rfind(counts, 0) == 0 && (!marks || row->Has(tree::nsCutOrCopy));
    })) << large->TotalCount()
        << " " << small->TotalCount() << " " << testing::PrintToString(said->Caption());
    if (!step.Exported) continue;
    const bool shown = step.Exported[0] != L'!';
    const String exported = shown ? step.Exported : step.Exported + 1;
    EXPECT_TRUE(PumpUntil([&] { return (page->ExportText()->Text().find(exported) != String::npos) == shown; }))
        << testing::PrintToString(page->ExportText()->Text());
  }
  EXPECT_FALSE(large->SetExpanded(folder, false).TreeGone());
}

// With the focus in the other tree, the large tree's selected row stands out from the rows around it.
TEST_F(GalleryTest, ASelectionStaysVisibleWhileAnotherControlHasTheFocus) {
  TTreePage* page = ShowTreePage(Form());
  TStringTree* large = page->LargeTree();
  PTreeNode row = large->GetFirst();
  FocusRow(large, row);
  EXPECT_TRUE(page->SmallTree()->SetFocus().Alive());
  Settle();
  const TWindowCapture picture = TWindowCapture::OfClient(large->Handle());
  const RECT text = large->GetDisplayRect(row, 0, true);
  const COLORREF selection = picture.Pixel(text.right - 2, (text.top + text.bottom) / 2);
  const COLORREF window = picture.Pixel(text.right + 30, (text.top + text.bottom) / 2);
  KeepCaptureForViewing(picture, L"unfocused_selection");
  EXPECT_GE(Contrast(selection, window), 1.25) << std::hex << selection << " on " << window;
  EXPECT_TRUE(large->ClearSelection().Alive());
}

// The mouse rests on a row's check box, drawn hot; the docked Favorites window is hidden from the keyboard and the
// tree moves under the mouse: what is hot is what the mouse now lies on, as a move of the mouse would make it.
TEST_F(GalleryTest, ACheckBoxIsNoLongerHotOnceTheTreeMovesFromUnderTheMouse) {
  TStringTree* large = ShowTreePage(Form())->LargeTree();
  EXPECT_FALSE(large->SetExpanded(large->GetFirst(), true).TreeGone());
  large->ScrollIntoView(large->GetFirst(), false);
  Settle();
  PTreeNode row = large->GetNextSibling(large->GetFirstChild(large->GetFirst()));
  const RECT text = large->GetDisplayRect(row, 0, true);
  // The check box lies just left of the text.
  POINT box{text.left - 10, (text.top + text.bottom) / 2};
  ClientToScreen(large->Handle(), &box);
  POINT savedCursor{};
  GetCursorPos(&savedCursor);
  SetCursorPos(box.x, box.y);
  SendMouse(MOUSEEVENTF_MOVE);
  ASSERT_TRUE(PumpUntil([&] { return large->HotNode() == row; }));
  const RECT before = large->BoundsRect();
  ASSERT_TRUE(ChooseFromMenu(L'V', {L'T', L'F'}));  // View > Toolbars > Favorites
  Settle();
  POINT client = box;
  ScreenToClient(large->Handle(), &client);
  tree::THitInfo hit;
  large->GetHitTestInfoAt(client.x, client.y, true, hit);
  const bool onRow = hit.HitPositions.Contains(tree::TNodeHitPosition::hpOnLabel) ||
                     hit.HitPositions.Contains(tree::TNodeHitPosition::hpOnCheckBox);
  EXPECT_EQ(large->HotNode(), onRow ? hit.HitNode : nullptr);
  EXPECT_NE(large->BoundsRect().right - large->BoundsRect().left, before.right - before.left)
      << "the tree did not move";
  ASSERT_TRUE(ChooseFromMenu(L'V', {L'T', L'F'}));
  SetCursorPos(savedCursor.x, savedCursor.y);
}

// From the keyboard, as a person does it: a folder copied by Ctrl+C, then every folder (Edit > Select every folder,
// Shift+Ctrl+C: 100,000 rows), each pasted by Ctrl+V into the right tree after a click there, and at last every row
// of the right tree selected and deleted. Each change reaches the counts and the export box once, however many rows
// it takes (an export of a few rows, or for many the word that they are exported when asked), the right tree's
// scroll bar comes or goes on the screen too, and the window answers again within seconds.
TEST_F(GalleryTest, RowsPastedOrDeletedByTheThousandAreCountedAndExportedOnce) {
  TTreePage* page = ShowTreePage(Form());
  TStringTree* large = page->LargeTree();
  TStringTree* small = page->SmallTree();
  TStatusLine* said = OwnedBelow<TStatusLine>(page).front();
  EXPECT_FALSE(large->SetExpanded(large->GetFirst(), false).TreeGone());
  const POINT belowRows = BelowTheRows(small);
  // Each export the page shows is a new text for the box.
  int exports = 0;
  TTextView* box = page->ExportText();
  const TWndMethod boxProc = box->WindowProc();
  box->SetWindowProc([&](TMessage& message) {
    if (message.Msg == WM_SETTEXT) ++exports;
    boxProc(message);
  });
  struct TStep {
    const char* Name;
    std::function<void()> Input;
    std::uint32_t SmallWanted;
    // How the box starts: an export of a few rows, or for many the word that an export button exports them.
    const wchar_t* BoxStart;
  };
  const std::uint32_t start = small->TotalCount();
  const TStep steps[] = {
      {"a folder",
       [&] {
         FocusRow(large, FindRow(large, L"Folder 2"));
         SendKeyPress(L'C', false, true);
         SendMouseClick(belowRows);
         SendKeyPress(L'V', false, true);
       },
       start + 100, L"Name\t"},
      {"every folder",
       [&] {
         EXPECT_TRUE(ChooseFromMenu(L'E', {L'S'}));
         SendKeyPress(L'C', true, true);
         EXPECT_TRUE(ServeUntil([&] { return Form()->LastCommand() == L"Copy selected rows"; }));
         SendMouseClick(belowRows);
         SendKeyPress(L'V', false, true);
       },
       start + 100 + 100000, L"The rows on the right changed. There are 100"},
      {"every row deleted",
       [&] {
         SendMouseClick(belowRows);
         SendKeyPress(L'A', false, true);
         SendKeyPress(VK_DELETE);
       },
       0, L"Name\t"},
  };
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Name);
    exports = 0;
    step.Input();
    const String counts = std::to_wstring(large->TotalCount()) + L" nodes on the left, " +
                          std::to_wstring(step.SmallWanted) + L" on the right.";
    const bool shown = PumpUntil(
        [&] { return small->TotalCount() == step.SmallWanted && said->Caption().rfind(counts, 0) == 0; }, 60000);
    EXPECT_TRUE(shown) << small->TotalCount() << " " << testing::PrintToString(said->Caption());
    // A change told late would come within a few of the page's count delays.
    PumpFor(300);
    EXPECT_EQ(exports, 1);
    EXPECT_EQ(box->Text().rfind(step.BoxStart, 0), 0u) << testing::PrintToString(box->Text().substr(0, 80));
    // The right tree shows what it paints when made to paint it all again: its scroll bar, which came or went with
    // the rows, too. It shows it once it has painted what it marked to paint; a part it left unmarked shows stale.
    EXPECT_TRUE(PumpUntil([&] { return !GetUpdateRect(small->Handle(), nullptr, FALSE); }));
    const TWindowCapture onScreen = TWindowCapture::AsShown(small->Handle());
    RedrawWindow(small->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_EQ(onScreen.CountDifferentPixels(TWindowCapture::AsShown(small->Handle())), 0)
        << "pixels of the right tree not painted again";
    if (!shown || exports != 1) break;
  }
  box->SetWindowProc(boxProc);
  EXPECT_EQ(box->Text(), L"Name\tSize\tModified\r\n");
}

// Folder 2 dragged into the right tree with Shift held, and at once, while the page still handles that drop, the same
// drag again from the same place, aimed at Folder 2 as the screen still shows it: exactly that folder moves, once;
// Folder 3, which has come under the pointer since, stays where it was.
TEST_F(GalleryTest, TwoQuickMovesOfAFolderMoveThatFolderAlone) {
  TTreePage* page = ShowTreePage(Form());
  TStringTree* large = page->LargeTree();
  TStringTree* small = page->SmallTree();
  EXPECT_FALSE(large->SetExpanded(large->GetFirst(), false).TreeGone());
  large->ScrollIntoView(large->GetFirst(), false);
  Settle();
  const POINT from = RowPoint(large, FindRow(large, L"Folder 2"));
  const POINT to = BelowTheRows(small);
  const std::uint32_t largeCount = large->TotalCount();
  const std::uint32_t smallCount = small->TotalCount();
  auto moveTo = [](POINT at) {
    SetCursorPos(at.x, at.y);
    SendMouse(MOUSEEVENTF_MOVE);
  };
  auto shift = [](bool up) {
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_SHIFT;
    key.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &key, sizeof key);
  };
  // The way of one drag after its press: 80 pixels right, Shift, then on into the right tree.
  const std::vector<POINT> way{{from.x + 20, from.y}, {from.x + 80, from.y}, {(from.x + to.x) / 2, to.y}, to};
  // The second press comes later after the first than a double click may, so that it is a press of its own.
  const UINT step = GetDoubleClickTime() / static_cast<UINT>(way.size()) + 50;
  POINT savedCursor{};
  GetCursorPos(&savedCursor);
  bool allGiven = false;
  moveTo(from);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  const bool inTime = RunModalWithInput(
      [&] {
        for (size_t i = 0; i < way.size(); ++i)
          PostInputFromLoop(
              [&, i] {
                moveTo(way[i]);
                if (i == 1) shift(false);
              },
              step * static_cast<UINT>(i + 1));
        // The first drag's release and the whole second drag wait in the queue together.
        PostInputFromLoop(
            [&] {
              shift(false);
              SendMouse(MOUSEEVENTF_LEFTUP);
              moveTo(from);
              SendMouse(MOUSEEVENTF_LEFTDOWN);
              for (POINT at : way) moveTo(at);
              shift(false);
              SendMouse(MOUSEEVENTF_LEFTUP);
              shift(true);
              allGiven = true;
            },
            step * static_cast<UINT>(way.size() + 1));
      },
      [&] { PumpUntil([&] { return allGiven && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_LBUTTON) >= 0; }, 20000); },
      25000);
  SetCursorPos(savedCursor.x, savedCursor.y);
  Settle();
  EXPECT_TRUE(inTime);
  EXPECT_EQ(small->TotalCount(), smallCount + 100);
  EXPECT_EQ(large->TotalCount(), largeCount - 100);
  EXPECT_NE(FindRow(small, L"Folder 2"), nullptr);
  EXPECT_EQ(FindRow(small, L"Folder 3"), nullptr);
  EXPECT_EQ(large->Text(large->GetNextSibling(large->GetFirst()), 0), L"Folder 3");
}

// A row's name clicked, F2, then Escape or Enter without a move of the mouse, and then the mouse leaves the tree for
// the page's export box: no row of the tree stays hot.
TEST_F(GalleryTest, NoRowStaysHotAfterAnEditBegunUnderTheMouse) {
  TTreePage* page = ShowTreePage(Form());
  TStringTree* large = page->LargeTree();
  EXPECT_FALSE(large->SetExpanded(large->GetFirst(), true).TreeGone());
  large->ScrollIntoView(large->GetFirst(), false);
  Settle();
  PTreeNode row = FindRow(large, L"Item 1.2");
  const POINT name = RowPoint(large, row);
  RECT box;
  GetWindowRect(page->ExportText()->Handle(), &box);
  const POINT outside{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  POINT savedCursor{};
  GetCursorPos(&savedCursor);
  for (WORD ending : {WORD{VK_ESCAPE}, WORD{VK_RETURN}}) {
    SCOPED_TRACE(ending == VK_ESCAPE ? "Escape" : "Enter");
    SendMouseClick(name);
    ASSERT_TRUE(PumpUntil([&] { return large->FocusedNode() == row && large->HotNode() == row; }));
    SendKeyPress(VK_F2);
    ASSERT_TRUE(PumpUntil([&] { return large->IsEditing(); }));
    SendKeyPress(ending);
    ASSERT_TRUE(PumpUntil([&] { return !large->IsEditing(); }));
    Settle();
    SetCursorPos(outside.x, outside.y);
    SendMouse(MOUSEEVENTF_MOVE);
    EXPECT_TRUE(PumpUntil([&] { return large->HotNode() == nullptr; })) << "the row stays hot";
  }
  SetCursorPos(savedCursor.x, savedCursor.y);
}

// Two rows dragged one after the other by the mouse into the right tree: after each drop the right tree's selection
// is the row that drop brought, alone, so that a drag from there takes that row only.
TEST_F(GalleryTest, ADropSelectsOnlyTheRowsItBrought) {
  TTreePage* page = ShowTreePage(Form());
  TStringTree* large = page->LargeTree();
  TStringTree* small = page->SmallTree();
  EXPECT_FALSE(large->SetExpanded(large->GetFirst(), true).TreeGone());
  large->ScrollIntoView(large->GetFirst(), false);
  Settle();
  const POINT belowRows = BelowTheRows(small);
  for (const wchar_t* name : {L"Item 1.2", L"Item 1.3"}) {
    SCOPED_TRACE(testing::PrintToString(name));
    const std::uint32_t before = small->TotalCount();
    EXPECT_TRUE(
        DragWithMouse(RowPoint(large, FindRow(large, name)), belowRows, [&] { return small->TotalCount() > before; }));
    ASSERT_EQ(small->TotalCount(), before + 1);
    EXPECT_EQ(small->SelectedCount(), 1u);
    EXPECT_EQ(small->Text(small->GetFirstSelected(), 0), name);
  }
}

namespace {

// The rows a window's painting put text on, from the first to the last (0 when none): dark pixels on the light face
// of the status line.
int InkedRows(HWND window) {
  const TWindowCapture picture = TWindowCapture::OfClient(window);
  int first = -1, last = -1;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const COLORREF pixel = picture.Pixel(x, y);
      if (GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) >= 3 * 0x80) continue;
      if (first < 0) first = y;
      last = y;
      break;
    }
  return first < 0 ? 0 : last - first + 1;
}

}  // namespace

// The form at its full size, at its smallest and at sizes between: each export button of the tree page lies inside
// the page and a click on it shows its format, and the status line lies inside the strip: where the strip has room it
// shows its whole text, on as many lines as the text takes wrapped at words in its width, in a low window one line
// of it (not a line cut across), and at the smallest size nothing.
TEST_F(GalleryTest, TheTreePagesExportButtonsStayInReachAndItsStatusShowsWhole) {
  TTreePage* page = ShowTreePage(Form());
  TStatusLine* said = OwnedBelow<TStatusLine>(page).front();
  struct TButtonCase {
    const wchar_t* Format;
    std::function<bool(const String&)> Shown;
  };
  const TButtonCase buttons[] = {
      {L"HTML", [](const String& text) { return text.find(L"<table") != String::npos; }},
      {L"RTF", [](const String& text) { return text.rfind(L"{\\rtf", 0) == 0; }},
      {L"text", [](const String& text) { return text.rfind(L"Name\t", 0) == 0; }},
  };
  enum class TStatusShown { nothing, oneLine, whole };
  struct TSizeCase {
    SIZE Size;
    TStatusShown Status;
  };
  const RECT bounds = Form()->BoundsRect();
  // From the smallest size to those that put the status line below the buttons, the strip grows to show it.
  const TSizeCase sizes[] = {{SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top}, TStatusShown::whole},
                             {SIZE{0, 0}, TStatusShown::nothing},
                             {SIZE{800, 560}, TStatusShown::whole},
                             {SIZE{520, 360}, TStatusShown::oneLine}};
  for (const auto& [size, status] : sizes) {
    SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
    EXPECT_TRUE(Form()->SetBounds(bounds.left, bounds.top, size.cx, size.cy).Alive());
    Settle();
    RECT pageRect;
    GetWindowRect(page->Handle(), &pageRect);
    for (const TButtonCase& button : buttons) {
      SCOPED_TRACE(testing::PrintToString(button.Format));
      TSpeedButton* found = nullptr;
      // Its caption ends with the format's name, whether the whole caption or the short one shows.
      const size_t length = wcslen(button.Format);
      for (TSpeedButton* each : OwnedBelow<TSpeedButton>(page)) {
        const String caption = each->Caption();
        if (caption.size() >= length && _wcsicmp(caption.c_str() + caption.size() - length, button.Format) == 0)
          found = each;
      }
      ASSERT_NE(found, nullptr);
      RECT face = found->BoundsRect();
      MapWindowPoints(found->Parent()->Handle(), nullptr, reinterpret_cast<POINT*>(&face), 2);
      RECT inPage;
      IntersectRect(&inPage, &face, &pageRect);
      EXPECT_TRUE(EqualRect(&inPage, &face)) << "the button passes the page's edge";
      SendMouseClick(POINT{(face.left + face.right) / 2, (face.top + face.bottom) / 2});
      EXPECT_TRUE(PumpUntil([&] { return button.Shown(page->ExportText()->Text()); }))
          << testing::PrintToString(page->ExportText()->Text().substr(0, 40));
    }
    RECT line;
    GetWindowRect(said->Handle(), &line);
    ASSERT_LE(line.bottom, pageRect.bottom) << "the status line passes the page's edge";
    EXPECT_LE(said->BoundsRect().bottom, said->Parent()->ClientHeight()) << "the strip cuts the status line off";
    if (status == TStatusShown::nothing) continue;
    // The text wrapped at words in the line's width, measured here in the line's font.
    RECT wrapped{0, 0, said->ClientWidth() - 12, 0};
    HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, said->Font()->Handle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    const String caption = said->Caption();
    DrawTextW(screen, caption.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    const int lines = (wrapped.bottom - wrapped.top) / metrics.tmHeight;
    const int inked = InkedRows(said->Handle());
    if (status == TStatusShown::whole) {
      EXPECT_LE(wrapped.bottom - wrapped.top, said->ClientHeight()) << "the line is lower than its text";
      EXPECT_GT(inked, (lines - 1) * metrics.tmHeight) << lines << " lines of text";
    } else {
      EXPECT_GT(lines, 1) << "the text fits on one line";
      EXPECT_GT(inked, 0);
      EXPECT_LE(inked, metrics.tmHeight) << "more than one line of text";
    }
  }
  EXPECT_TRUE(
      Form()->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top).Alive());
  Settle();
}

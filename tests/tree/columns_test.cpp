// Columns of a tree header: widths and their limits, display positions, hit tests, the auto-size column, hidden
// columns and the change events.
#include <gtest/gtest.h>

#include <vector>

#include "header_tree.h"

namespace tree_test {
namespace {

using O = TTreeColumnOption;

std::vector<int> Order(TTreeColumns& columns) {
  std::vector<int> order;
  for (int position = 0; position < columns.Count(); ++position) order.push_back(columns.PositionToIndex(position));
  return order;
}

TEST(Columns, NewColumnDefaults) {
  TTestTree tree;
  TTreeColumns& columns = *tree.Header()->Columns();
  columns.Add();
  TTreeColumn* column = columns.Add();
  EXPECT_EQ(column->Width(), 50);
  EXPECT_EQ(column->MinWidth(), 10);
  EXPECT_EQ(column->MaxWidth(), 10000);
  EXPECT_EQ(column->Margin(), 4);
  EXPECT_EQ(column->Spacing(), 4);
  EXPECT_EQ(column->ImageIndex(), -1);
  EXPECT_EQ(column->Options(), TTreeColumnOptions::FromBits(0xFF));
  EXPECT_EQ(column->Position(), 1);
  EXPECT_EQ(column->Left(), 50);
  EXPECT_EQ(tree.Header()->MainColumn(), 0);
}

TEST(Columns, WidthLimits) {
  struct TCase {
    int minWidth, maxWidth, width, expectedWidth, expectedMin, expectedMax;
  };
  const TCase cases[] = {
      {10, 10000, 20000, 10000, 10, 10000},  // the upper limit
      {10, 10000, 3, 10, 10, 10000},         // the lower limit
      {80, 10000, 50, 80, 80, 10000},        // a minimum above the width widens the column
      {10, 30, 50, 30, 10, 30},              // a maximum below it narrows the column
      {-5, 20000, 60, 60, 0, 10000},         // limits outside their own range
      {40, 20, 50, 40, 40, 40},              // a maximum below the minimum meets it
  };
  for (const TCase& c : cases) {
    TTestTree tree;
    TTreeColumn* column = tree.Header()->Columns()->Add();
    EXPECT_TRUE(column->SetMinWidth(c.minWidth).Alive());
    EXPECT_TRUE(column->SetMaxWidth(c.maxWidth).Alive());
    EXPECT_TRUE(column->SetWidth(c.width).Alive());
    EXPECT_EQ(column->Width(), c.expectedWidth) << c.minWidth << " " << c.maxWidth << " " << c.width;
    EXPECT_EQ(column->MinWidth(), c.expectedMin);
    EXPECT_EQ(column->MaxWidth(), c.expectedMax);
  }
  TTestTree tree;
  TTreeColumn* column = tree.Header()->Columns()->Add();
  column->SetMargin(-3);
  EXPECT_EQ(column->Margin(), 4);
  EXPECT_TRUE(column->SetWidth(70).Alive());
  EXPECT_EQ(column->LastWidth(), 50);
}

// Positions outside the columns are clamped instead of indexing past the position array.
TEST(Columns, PositionMoves) {
  struct TCase {
    int index, position;
    std::vector<int> order;
  };
  const TCase cases[] = {
      {0, 2, {1, 2, 0}},  {2, 0, {2, 0, 1}},  {1, 1, {0, 1, 2}}, {0, 99, {1, 2, 0}},
      {2, -5, {2, 0, 1}}, {1, -1, {1, 0, 2}}, {0, 3, {1, 2, 0}},
  };
  for (const TCase& c : cases) {
    TTestTree tree;
    TTreeColumns& columns = *tree.Header()->Columns();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(columns.Add()->SetWidth(10 * (i + 2)).Alive());
    columns.Items(c.index)->SetPosition(c.position);
    EXPECT_EQ(Order(columns), c.order) << c.index << " to " << c.position;
    int left = 0;
    for (int position = 0; position < 3; ++position) {
      TTreeColumn* column = columns.Items(columns.PositionToIndex(position));
      EXPECT_EQ(column->Position(), position);
      EXPECT_EQ(column->Left(), left);
      left += column->Width();
    }
  }
}

TEST(Columns, RemovingColumnsKeepsPositionsValid) {
  TTestTree tree;
  TTreeColumns& columns = *tree.Header()->Columns();
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(columns.Add()->SetWidth(20 + i).Alive());
  columns.Items(0)->SetPosition(3);  // order 1 2 3 0
  columns.Delete(2);                 // the old 3 becomes 2
  EXPECT_EQ(Order(columns), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(columns.Items(2)->Width(), 23);
  EXPECT_EQ(columns.TotalWidth(), 20 + 21 + 23);
  columns.Clear();
  EXPECT_EQ(columns.TotalWidth(), 0);
  EXPECT_EQ(tree.Header()->MainColumn(), NoColumn);
}

TEST(Columns, HitTestsAndHiddenColumns) {
  TTestWindow host(RECT{100, 100, 500, 400});
  THeaderTree tree(host.Handle(), 300, 200, {40, 60, 80});
  TTreeColumns& columns = *tree.Header()->Columns();
  columns.Items(1)->SetOptions(columns.Items(1)->Options() - O::coVisible);
  struct TCase {
    POINT p;
    TColumnIndex expected;
  };
  const TCase cases[] = {
      {{-1, 5}, InvalidColumn},
      {{0, 5}, 0},
      {{39, 5}, 0},
      {{40, 5}, 2},
      {{119, 5}, 2},
      {{120, 5}, InvalidColumn},
      {{10, -1}, InvalidColumn},
      {{10, 500}, InvalidColumn},
  };
  for (const TCase& c : cases) EXPECT_EQ(columns.ColumnFromPosition(c.p), c.expected) << c.p.x << "," << c.p.y;
  EXPECT_EQ(columns.TotalWidth(), 120);
  EXPECT_EQ(columns.GetNextVisibleColumn(0), 2);
  EXPECT_EQ(columns.GetPreviousVisibleColumn(2), 0);
  EXPECT_EQ(columns.GetNextVisibleColumn(2), InvalidColumn);
  EXPECT_EQ(columns.GetFirstVisibleColumn(), 0);
  EXPECT_EQ(columns.GetLastVisibleColumn(), 2);
  EXPECT_EQ(columns.GetVisibleColumns().size(), 2u);
  int left = 0, right = 0;
  columns.GetColumnBounds(NoColumn, left, right);
  EXPECT_EQ(right, tree.ClientWidth());
  columns.GetColumnBounds(2, left, right);
  EXPECT_EQ(left, 40);
  EXPECT_EQ(right, 120);
}

TEST(Columns, AutoSizeColumnTakesTheRest) {
  TTestWindow host(RECT{100, 100, 500, 400});
  THeaderTree tree(host.Handle(), 300, 200, {40, 60, 80});
  TTreeColumns& columns = *tree.Header()->Columns();
  std::vector<TColumnIndex> resized;
  tree.OnColumnResize = [&](TTreeHeader*, TColumnIndex column) { resized.push_back(column); };
  tree.Header()->SetAutoSizeIndex(1);
  EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + TTreeHeaderOption::hoAutoResize).Alive());
  int client = tree.ClientWidth();
  EXPECT_EQ(columns.Items(1)->Width(), client - 120);
  EXPECT_EQ(resized, std::vector<TColumnIndex>{1});
  // Widening another column takes room from the auto-size column, down to its minimum.
  EXPECT_TRUE(columns.Items(1)->SetMinWidth(50).Alive());
  EXPECT_TRUE(columns.Items(0)->SetWidth(client).Alive());
  EXPECT_EQ(columns.Items(1)->Width(), 50);
  // A column left of the auto-size one gives its room back; one right of it has nothing after it to take from.
  resized.clear();
  EXPECT_TRUE(columns.Items(0)->SetWidth(40).Alive());
  EXPECT_EQ(columns.Items(1)->Width(), client - 120);
  EXPECT_TRUE(columns.Items(2)->SetWidth(30).Alive());
  EXPECT_EQ(columns.Items(1)->Width(), client - 120);
  EXPECT_EQ(resized, (std::vector<TColumnIndex>{1, 0, 2}));
  // With the auto-size column last but one, a resized first column makes it take the rest.
  tree.Header()->SetAutoSizeIndex(2);
  EXPECT_EQ(columns.Items(2)->Width(), client - 40 - (client - 120));
}

// A resized column repaints the rows from its own left edge on (all of them when text may span columns).
TEST(Columns, ResizeRepaintsFromTheColumnsLeftEdge) {
  TTestWindow host(RECT{100, 100, 500, 400});
  THeaderTree tree(host.Handle(), 300, 200, {40, 60, 80});
  TTreeColumns& columns = *tree.Header()->Columns();
  struct TCase {
    bool autoSpan;
    int width;
    LONG left;
  };
  for (const TCase& c : {TCase{false, 70, 40}, TCase{true, 60, 0}}) {
    TTreeAutoOptions options = tree.TreeOptions()->AutoOptions() - TTreeAutoOption::toAutoSpanColumns;
    tree.TreeOptions()->SetAutoOptions(c.autoSpan ? options + TTreeAutoOption::toAutoSpanColumns : options);
    ValidateRect(tree.Handle(), nullptr);
    EXPECT_TRUE(columns.Items(1)->SetWidth(c.width).Alive());
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(tree.Handle(), &update, FALSE)) << c.autoSpan;
    EXPECT_EQ(update.left, c.left) << c.autoSpan;
    EXPECT_EQ(update.right, tree.ClientWidth()) << c.autoSpan;
  }
}

TEST(Columns, ChangeEventsAndSetters) {
  TTestWindow host(RECT{100, 100, 500, 400});
  THeaderTree tree(host.Handle(), 300, 200, {40, 60, 80});
  TTreeColumns& columns = *tree.Header()->Columns();
  std::vector<TColumnIndex> resized;
  TTreeHeader* sender = nullptr;
  tree.OnColumnResize = [&](TTreeHeader* header, TColumnIndex column) {
    sender = header;
    resized.push_back(column);
  };
  EXPECT_TRUE(columns.Items(2)->SetWidth(90).Alive());
  EXPECT_TRUE(columns.Items(2)->SetWidth(90).Alive());
  EXPECT_TRUE(columns.Items(0)->SetMinWidth(45).Alive());
  EXPECT_EQ(resized, (std::vector<TColumnIndex>{2, 0}));
  EXPECT_EQ(sender, tree.Header());
  // Inside an update bracket nothing is announced.
  columns.BeginUpdate();
  EXPECT_TRUE(columns.Items(1)->SetWidth(20).Alive());
  columns.EndUpdate();
  EXPECT_EQ(resized.size(), 2u);
  EXPECT_EQ(columns.Items(2)->Left(), 65);

  tree.SetBiDiMode(TBiDiMode::bdRightToLeft);
  columns.Items(0)->ParentBiDiModeChanged();
  EXPECT_TRUE(columns.Items(0)->UseRightToLeftReading());
  columns.Items(1)->SetBiDiMode(TBiDiMode::bdLeftToRight);
  EXPECT_FALSE(columns.Items(1)->Options().Contains(O::coParentBidiMode));
  columns.Items(1)->SetOptions(columns.Items(1)->Options() + O::coParentBidiMode);
  EXPECT_EQ(columns.Items(1)->BiDiMode(), TBiDiMode::bdRightToLeft);

  columns.Items(0)->SetText(L"\x0418\x043C\x044F");
  EXPECT_EQ(columns.Items(0)->DisplayName(), L"Column 0");
  columns.Items(1)->SetText(L"Name");
  EXPECT_EQ(columns.Items(1)->DisplayName(), L"Name");

  struct TSortCase {
    int value, expected;
  };
  for (TSortCase c : {TSortCase{99, 2}, TSortCase{-5, -1}, TSortCase{1, 1}}) {
    EXPECT_TRUE(tree.Header()->SetSortColumn(c.value).Alive());
    EXPECT_EQ(tree.Header()->SortColumn(), c.expected);
  }
  EXPECT_TRUE(tree.Header()->SetMainColumn(7).Alive());
  EXPECT_EQ(tree.Header()->MainColumn(), 2);
}

TEST(Columns, AssignCopiesEveryProperty) {
  TTestTree source, target;
  TTreeColumns& from = *source.Header()->Columns();
  for (int i = 0; i < 3; ++i) from.Add()->SetText(L"c" + std::to_wstring(i));
  EXPECT_TRUE(from.Items(0)->SetWidth(77).Alive());
  from.Items(1)->SetAlignment(TAlignment::taCenter);
  from.Items(2)->SetLayout(TTreeHeaderColumnLayout::blGlyphTop);
  from.Items(2)->SetPosition(0);
  target.Header()->Columns()->Assign(&from);
  TTreeColumns& to = *target.Header()->Columns();
  ASSERT_EQ(to.Count(), 3);
  EXPECT_EQ(to.Items(0)->Width(), 77);
  EXPECT_EQ(to.Items(1)->Alignment(), TAlignment::taCenter);
  EXPECT_EQ(to.Items(2)->Layout(), TTreeHeaderColumnLayout::blGlyphTop);
  EXPECT_EQ(to.Items(2)->Text(), L"c2");
  EXPECT_EQ(Order(to), Order(from));
}

}  // namespace
}  // namespace tree_test

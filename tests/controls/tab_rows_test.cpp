#include "controls/tabs/tab_rows.h"

#include <gtest/gtest.h>

#include <vector>

using namespace controls;

namespace {

struct TRowCase {
  const char* Name;
  std::vector<int> Widths;
  int Avail;
  bool RaggedRight;
  int Rows;
  std::vector<int> ExpectedWidths;
  std::vector<int> ExpectedRows;
};

}  // namespace

TEST(TabRows, SplitBalanceAndStretch) {
  const TRowCase cases[] = {
      {"three long tabs each get a stretched row", {60, 60, 60}, 100, false, 3, {100, 100, 100}, {1, 2, 3}},
      {"balancing moves nothing, rows stretch from the first tab",
       {40, 40, 40, 30},
       100,
       false,
       2,
       {50, 50, 55, 45},
       {1, 1, 2, 2}},
      {"ragged rows keep their widths", {40, 40, 40, 30}, 100, true, 2, {40, 40, 40, 30}, {1, 1, 2, 2}},
      {"a tab longer than the row is cut and alone", {30, 150, 30}, 100, false, 3, {100, 100, 100}, {1, 2, 3}},
      {"short rows first: the last tab of a full row moves down",
       {30, 30, 30, 20},
       100,
       false,
       2,
       {50, 50, 55, 45},
       {1, 1, 2, 2}},
      {"one row is not stretched", {20, 30}, 100, false, 1, {20, 30}, {1, 1}},
      {"no tabs, no rows", {}, 100, false, 0, {}, {}},
      {"a row of no length still gives every tab a row", {5, 5}, 0, false, 2, {1, 1}, {1, 2}},
  };
  for (const TRowCase& c : cases) {
    std::vector<TTabRowEntry> entries;
    for (int width : c.Widths) entries.push_back(TTabRowEntry{width, 1});
    EXPECT_EQ(SplitRows(entries, c.Avail, c.RaggedRight), c.Rows) << c.Name;
    std::vector<int> widths;
    std::vector<int> rows;
    for (const TTabRowEntry& entry : entries) {
      widths.push_back(entry.Width);
      rows.push_back(entry.Row);
    }
    EXPECT_EQ(widths, c.ExpectedWidths) << c.Name;
    EXPECT_EQ(rows, c.ExpectedRows) << c.Name;
  }
}

TEST(TabRows, RotationBringsARowNextToThePage) {
  const struct {
    int RowCount;
    int LastRow;
    std::vector<int> Expected;
  } cases[] = {
      {3, 1, {3, 1, 2}},  // the outermost row goes next to the page, the others keep their order
      {3, 2, {2, 3, 1}},
      {3, 3, {1, 2, 3}},  // already last
      {0, 1, {1, 2, 3}},  // no rows: nothing to turn
  };
  for (const auto& c : cases) {
    std::vector<TTabRowEntry> entries{{10, 1}, {10, 2}, {10, 3}};
    RotateRows(entries, c.RowCount, c.LastRow);
    EXPECT_EQ((std::vector<int>{entries[0].Row, entries[1].Row, entries[2].Row}), c.Expected)
        << c.RowCount << "/" << c.LastRow;
  }
}

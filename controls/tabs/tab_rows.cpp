#include "controls/tabs/tab_rows.h"

#include <algorithm>

namespace controls {

namespace {

// The entries [first, end) form a run that may be rebalanced: while a row without its last tab is still at
// least as long as the row after it, that tab moves down, so the short rows come first. Rows are contiguous, so a
// row is its start index and its total, and one pass costs one step per row.
void BalanceRun(std::vector<TTabRowEntry>& entries, size_t first, size_t end) {
  if (end - first < 2 || entries[first].Row == entries[end - 1].Row) return;
  const int firstRow = entries[first].Row;
  const size_t rowCount = static_cast<size_t>(entries[end - 1].Row - firstRow + 1);
  std::vector<size_t> starts(rowCount + 1, end);
  std::vector<int> totals(rowCount, 0);
  for (size_t i = end; i-- > first;) {
    const size_t row = static_cast<size_t>(entries[i].Row - firstRow);
    starts[row] = i;
    totals[row] += entries[i].Width;
  }
  for (bool moved = true; moved;) {
    moved = false;
    for (size_t row = 0; row + 1 < rowCount; ++row) {
      const size_t last = starts[row + 1] - 1;
      // A row keeps at least one tab, so the rows stay in place.
      if (last <= starts[row]) continue;
      const int width = entries[last].Width;
      if (totals[row] - width < totals[row + 1]) continue;
      entries[last].Row += 1;
      starts[row + 1] = last;
      totals[row] -= width;
      totals[row + 1] += width;
      moved = true;
    }
  }
}

// Deals the missing length of each row out one pixel at a time, from the row's first tab on.
void StretchRows(std::vector<TTabRowEntry>& entries, int avail) {
  size_t begin = 0;
  while (begin < entries.size()) {
    size_t end = begin;
    int total = 0;
    while (end < entries.size() && entries[end].Row == entries[begin].Row) total += entries[end++].Width;
    const int count = static_cast<int>(end - begin);
    const int extra = avail - total;
    if (extra > 0) {
      for (int k = 0; k < count; ++k) entries[begin + k].Width += extra / count + (k < extra % count ? 1 : 0);
    }
    begin = end;
  }
}

}  // namespace

int SplitRows(std::vector<TTabRowEntry>& entries, int avail, bool raggedRight) {
  if (entries.empty()) return 0;
  avail = std::max(avail, 1);
  int row = 1;
  int used = 0;
  size_t runStart = 0;
  auto closeRun = [&](size_t end) {
    if (!raggedRight) BalanceRun(entries, runStart, end);
    runStart = end;
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    const int width = entries[i].Width;
    if (width >= avail || (i >= 1 && width + entries[i - 1].Width >= avail)) closeRun(i);
    if (width < avail) {
      if (used + width <= avail) {
        used += width;
      } else {
        ++row;
        used = width;
      }
      entries[i].Row = row;
    } else {
      // A tab as long as the row: alone on a row of its own, and the run goes on after it.
      entries[i].Width = avail;
      if (used > 0) ++row;
      entries[i].Row = row;
      ++row;
      used = 0;
      runStart = i + 1;
    }
  }
  closeRun(entries.size());
  const int rowCount = entries.back().Row;
  if (rowCount > 1 && !raggedRight) StretchRows(entries, avail);
  return rowCount;
}

void RotateRows(std::vector<TTabRowEntry>& entries, int rowCount, int lastRow) {
  if (rowCount < 1) return;
  const int shift = rowCount - lastRow;
  if (shift <= 0) return;
  for (TTabRowEntry& entry : entries) entry.Row = (entry.Row - 1 + shift) % rowCount + 1;
}

}  // namespace controls

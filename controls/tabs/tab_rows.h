// How the tabs of a multi-row tab strip are dealt out to rows: in order, a new row whenever the next tab does not
// fit, rows of a run rebalanced so that later rows are not the short ones, and every row stretched to the full
// length when there is more than one.
#pragma once

#include <vector>

namespace controls {

// One tab for the row split: its length along the row (changed by balancing and stretching) and its 1-based row.
struct TTabRowEntry {
  int Width = 0;
  int Row = 1;
};

// Deals the entries to rows of length avail and answers the number of rows (0 for no entries). With raggedRight
// the rows keep the measured widths; a tab at least as long as a row gets a row of its own, cut to avail.
int SplitRows(std::vector<TTabRowEntry>& entries, int avail, bool raggedRight);

// Turns the rows so that row lastRow becomes the last one (next to the page); the others keep their cyclic order.
void RotateRows(std::vector<TTabRowEntry>& entries, int rowCount, int lastRow);

}  // namespace controls

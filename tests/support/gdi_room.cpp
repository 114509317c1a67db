#include "support/gdi_room.h"

#include <windows.h>

#include <vector>

int GdiRoom() {
  std::vector<HBRUSH> brushes;
  while (brushes.size() < 200000) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    if (!brush) break;
    brushes.push_back(brush);
  }
  for (HBRUSH brush : brushes) DeleteObject(brush);
  return static_cast<int>(brushes.size());
}

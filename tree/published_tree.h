// What the published tree classes (TStringTree, TDrawTree) store with forms beyond the tree object's own table:
// the control properties a tree shows at design time, the tree's remaining properties, and every event.
#pragma once

#include "framework/properties.h"

namespace tree {

// The shared table; baseTable is the tree object's own (TBaseTree's), which it extends.
const TPublishedTable& PublishedTreeTable(const TPublishedTable& baseTable);

}  // namespace tree

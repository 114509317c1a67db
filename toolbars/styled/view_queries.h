// What a themed painter asks of the window around it: its view type (which family of view an item sits in) and
// its effective background colour. Themed windows answer the two messages; the framework's plain windows do not,
// and a view in one gets the type its own kind implies.
#pragma once

#include <windows.h>

#include "framework/graphics.h"

class TControl;

namespace toolbars {

class TBarCustomItem;
class TBarView;

// The view-type query: the answer is the message result, 0 for a window that is not themed.
constexpr UINT CM_STYLEDVIEWTYPE = 1261;
// The colour query: a themed window puts its colour into WParam and answers non-zero.
constexpr UINT CM_STYLEDEFFECTIVECOLOR = 1262;

// The type of a pop-up opened for parentItem: a list pop-up when the item holds a list item alone, a tool-box
// pop-up when it is an edit item or asks for one, else a pop-up menu.
int PopupViewTypeOf(TBarCustomItem* parentItem);
// 0 without a control.
int GetViewTypeOf(TControl* control);
// The type the view's window answers; for a window that does not answer, a pop-up view has the type its item
// implies (PopupViewTypeOf) and a bar is a toolbar.
int GetViewType(TBarView* view);
// clBtnFace without a control, the control's Color when it does not answer.
TColor GetEffectiveColor(TControl* control);

}  // namespace toolbars

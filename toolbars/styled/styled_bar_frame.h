// What the themed toolbar and the themed tool window share: their view-type flags, their effective colour when
// they have none of their own, and their docked frame and background painted by the current theme.
#pragma once

#include <windows.h>

#include "framework/graphics.h"
#include "toolbars/docks/dockable_window.h"
#include "toolbars/theme/theme.h"

namespace toolbars {

// family | vtFloating while floating | vtResizable while a resizable window floats.
int DockableViewType(const TBarCustomDockableWindow& window, int family);
// The dock's (or, off any dock, the parent's) effective colour; clBtnFace without either.
TColor ParentEffectiveColor(const TBarCustomDockableWindow& window);

// Close-button rules of the docked frame: a toolbar shows pushed or else hot, a tool window either independently.
enum class TCloseButtonStates { csPushedOrHot, csIndependent };

// Docked on a dock whose background picture also shows on its windows: the client area shows the picture, not the
// theme's background.
bool ShowsDockPicture(const TBarCustomDockableWindow& window);

// The record the theme's docked-frame painters take.
void FillToolbarPaintInfo(TBarCustomDockableWindow& window, int viewType, TCloseButtonStates closeStates,
                          TStyledToolbarPaintInfo& info);
// Paints the docked frame of window through theme: into dc as given (drawToDC), else into the window DC clipped
// to clip and to the frame.
void PaintStyledDockedFrame(TStyledTheme* theme, TBarCustomDockableWindow& window, bool drawToDC, HDC dc, HRGN clip,
                            int viewType, TColor effectiveColor, TCloseButtonStates closeStates);
// Paints the docked frame through the current theme when there is one and window is docked with a handle;
// answers false (nothing painted) otherwise, for the framework's own frame.
bool PaintStyledNonClient(TBarCustomDockableWindow& window, bool drawToDC, HDC dc, HRGN clip, int viewType,
                          TColor effectiveColor, TCloseButtonStates closeStates);
// The current theme's floating border of the view type; false without a current theme.
bool StyledFloatingBorderSize(int viewType, SIZE& size);
// A snap distance as stored (negative values become 0), handed on to the themed floating frame window floats in.
int ApplySnapDistance(TBarCustomDockableWindow& window, int distance);
// The client area's background through theme, lined up with the dock's when docked.
void PaintStyledClientBackground(TStyledTheme* theme, TBarCustomDockableWindow& window, HDC dc, int viewType,
                                 TColor effectiveColor);
// After a theme switch: the frame is measured again (the floating frame's while floating, the window inside keeping
// its size), the content arranged and everything repainted. The sizes raise the window's handlers: whether the
// window outlived them.
TRaised ResetStyledFrame(TBarCustomDockableWindow& window);

}  // namespace toolbars

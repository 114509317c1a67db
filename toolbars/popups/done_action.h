// What the user chose in a menu is not carried out inside the menu: the tracking fills a done-action record, and
// after every pop-up has closed the caller carries it out here; a click even arrives through a posted message,
// so the command runs from the application's own message loop.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/life_token.h"
#include "framework/raise_event.h"

namespace toolbars {

class TBarCustomItem;
class TBarView;

enum class TBarDoneActionKind : uint8_t { tbdaNone, tbdaClickItem, tbdaSysKey, tbdaHelp };

struct TBarDoneActionData {
  TBarDoneActionKind Kind = TBarDoneActionKind::tbdaNone;
  TBarCustomItem* ClickItem = nullptr;  // tbdaClickItem
  // The item's life: handlers and the application's timers may free it before the click is done.
  TLifeWatch ClickItemLife;
  HWND Wnd = nullptr;   // tbdaSysKey: the window that opens its system menu
  int HelpContext = 0;  // tbdaHelp
  // tbdaClickItem: play the menu command sound; tbdaSysKey: the character typed.
  uint32_t Flag = 0;
};

// The state of one run of the tracking loop; every viewer and view operation the loop calls may change it.
struct TBarTrackingState {
  TBarView* RootView = nullptr;
  bool Again = false;
  bool Done = false;
  TBarDoneActionData* DoneRecord = nullptr;
};

// The deferred click of an item, posted to the thread's click window.
constexpr UINT WM_BAR_CLICKITEM = 0x500;

void DoneAction(const TBarDoneActionData& data);
// Makes the tracking's done action a click of item, with or without the menu command sound.
void RecordItemClick(TBarTrackingState& state, TBarCustomItem* item, bool sound);

// The modal loop that tracks menus and toolbars; the menu tracking installs it. Without one a modal pop-up
// closes at once with nothing chosen. It answers whether its root view outlived the handlers it ran.
using TTrackingLoopProc = TRaised (*)(TBarView* view, bool startedByMouse, bool menuMode, TBarDoneActionData& done,
                                   bool trackRightButton, bool selectFirst);
TTrackingLoopProc SetTrackingLoop(TTrackingLoopProc proc);
TTrackingLoopProc TrackingLoop();

// Blocks opening submenus while the application runs its context action on a menu entry.
extern bool BlockSubmenus;

// The thread's count of living items and its click window, which goes with the last item.
void ItemCreated();
void ItemDestroyed();
// Destroys the click window at the end of the run.
void FreeClickWindow();

}  // namespace toolbars

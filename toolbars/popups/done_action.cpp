#include "toolbars/popups/done_action.h"

#include <windows.h>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/screen.h"
#include "framework/window_alloc.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/item.h"

namespace toolbars {

bool BlockSubmenus = false;

namespace {

thread_local int itemCount = 0;
thread_local HWND clickWindow = nullptr;
thread_local TBarCustomItem* clickItem = nullptr;
// The chosen item may be freed before the posted click comes (by a handler, or by a timer of the application).
thread_local TLifeWatch clickItemLife;
TTrackingLoopProc trackingLoop = nullptr;

void ClickWindowProc(TMessage& message) {
  if (message.Msg == WM_BAR_CLICKITEM) {
    TBarCustomItem* item = clickItemLife.Ended() ? nullptr : clickItem;
    clickItem = nullptr;
    clickItemLife = TLifeWatch();
    if (item) {
      // The command may free its item (with the bar or form that holds it) before it raises.
      const TLifeWatch life = item->LifeWatch();
      try {
        if (item->Click().Gone()) return;
      } catch (...) {
        if (Application) Application->HandleException(life.Ended() ? nullptr : item);
      }
    }
    return;
  }
  message.Result = DefWindowProcW(clickWindow, message.Msg, message.WParam, message.LParam);
}

}  // namespace

void DoneAction(const TBarDoneActionData& data) {
  switch (data.Kind) {
    case TBarDoneActionKind::tbdaNone:
      break;
    case TBarDoneActionKind::tbdaClickItem:
      if (data.Flag && NeedToPlaySound(L"MenuCommand")) PlayMenuSound(L"MenuCommand");
      if (data.ClickItemLife.Ended()) break;
      clickItem = data.ClickItem;
      clickItemLife = data.ClickItemLife;
      if (!clickWindow) clickWindow = AllocateHWnd(TWndMethod(&ClickWindowProc));
      PostMessageW(clickWindow, WM_BAR_CLICKITEM, 0, 0);
      break;
    case TBarDoneActionKind::tbdaSysKey:
      SendMessageW(data.Wnd, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(data.Flag));
      break;
    case TBarDoneActionKind::tbdaHelp: {
      if (!Application) break;
      TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
      if (form && form->BorderIcons().Contains(TBorderIcon::biHelp))
        Application->HelpCommand(HELP_CONTEXTPOPUP, static_cast<ULONG_PTR>(data.HelpContext));
      else
        Application->HelpContext(data.HelpContext);
      break;
    }
  }
}

void RecordItemClick(TBarTrackingState& state, TBarCustomItem* item, bool sound) {
  if (!state.DoneRecord) return;
  *state.DoneRecord = TBarDoneActionData{};
  state.DoneRecord->Kind = TBarDoneActionKind::tbdaClickItem;
  state.DoneRecord->ClickItem = item;
  state.DoneRecord->ClickItemLife = item ? item->LifeWatch() : TLifeWatch();
  state.DoneRecord->Flag = sound ? 1 : 0;
}

TTrackingLoopProc SetTrackingLoop(TTrackingLoopProc proc) {
  TTrackingLoopProc previous = trackingLoop;
  trackingLoop = proc;
  return previous;
}

TTrackingLoopProc TrackingLoop() { return trackingLoop; }

void ItemCreated() { ++itemCount; }

void ItemDestroyed() {
  if (--itemCount == 0) FreeClickWindow();
}

void FreeClickWindow() {
  if (clickWindow) DeallocateHWnd(clickWindow);
  clickWindow = nullptr;
}

}  // namespace toolbars

// The page control as a dock site: every control docked into it gets a page of its own, whose tab follows the
// client's caption and visibility, and the page goes again when the client leaves.
#include <algorithm>

#include "controls/tabs/page_control.h"
#include "framework/form.h"

namespace controls {

TPcTabSheet* TPcCustomPageControl::DockSheetOf(TControl* client) const {
  if (!client || client->HostDockSite() != this) return nullptr;
  auto* sheet = ObjectAs<TPcTabSheet>(client->Parent());
  return sheet && sheet->PageControl() == this ? sheet : nullptr;
}

TControl* TPcCustomPageControl::DockClientOnPage(TPcTabSheet* page) const {
  if (!page || page->ControlCount() == 0) return nullptr;
  TControl* first = page->Controls(0);
  return first->HostDockSite() == this ? first : nullptr;
}

void TPcCustomPageControl::CMDockClient(TMessage& message) {
  auto* object = reinterpret_cast<TDragDockObject*>(message.WParam);
  TControl* client = object->Control();
  if (TPcTabSheet* sheet = DockSheetOf(client)) {
    // Docked here already: it keeps its page.
    if (undockingPage_ == sheet) undockingPage_ = nullptr;
    client->SetAlign(TAlign::alClient);
    message.Result = 1;
    return;
  }
  newDockSheet_ = new TPcTabSheet(this);
  if (auto* form = ObjectAs<TCustomForm>(client)) newDockSheet_->SetCaption(form->Caption());
  newDockSheet_->SetPageControl(this);
  TCustomControl::Dispatch(message);
  newDockSheet_->SetTabVisible(client->Visible());
  if (client->Visible()) SetActivePage(newDockSheet_);
  client->SetAlign(TAlign::alClient);
  WatchDockClient(client, newDockSheet_);
  newDockSheet_ = nullptr;
  message.Result = 0;
}

void TPcCustomPageControl::DoAddDockClient(TControl* client, const RECT& rect) {
  if (newDockSheet_)
    client->SetParent(newDockSheet_);
  else
    TCustomControl::DoAddDockClient(client, rect);
}

void TPcCustomPageControl::CMUnDockClient(TMessage& message) {
  auto* client = reinterpret_cast<TControl*>(message.LParam);
  if (TPcTabSheet* sheet = DockSheetOf(client)) {
    undockingPage_ = sheet;
    client->SetAlign(TAlign::alNone);
  }
  message.Result = 0;
}

void TPcCustomPageControl::DoRemoveDockClient(TControl* client) {
  TCustomControl::DoRemoveDockClient(client);
  TPcTabSheet* clientSheet = nullptr;
  for (auto it = watchedClients_.begin(); it != watchedClients_.end(); ++it) {
    if (it->Client != client) continue;
    clientSheet = it->Sheet;
    client->SetWindowProc(it->Previous);
    client->RemoveFreeNotification(this);
    watchedClients_.erase(it);
    break;
  }
  TPcTabSheet* sheet = undockingPage_;
  // A client freed while docked never undocked: its page goes as for an undock, unless the client goes because its
  // page is being freed.
  if (!sheet && client->IsDestroying() && std::find(pages_.begin(), pages_.end(), clientSheet) != pages_.end() &&
      !clientSheet->IsDestroying())
    sheet = clientSheet;
  if (!sheet || IsDestroying()) return;
  // The client still sits on its page until its new site takes it; freeing the page would free the client.
  if (client->Parent() == sheet) client->SetParent(this);
  // The page change's events may free this control or the page.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch sheetLife = sheet->LifeWatch();
  SelectNextPage(true, true);
  if (life.Ended()) return;
  undockingPage_ = nullptr;
  if (!sheetLife.Ended()) delete sheet;
}

void TPcCustomPageControl::WatchDockClient(TControl* client, TPcTabSheet* sheet) {
  TWndMethod previous = client->WindowProc();
  watchedClients_.push_back(TWatchedClient{client, previous, sheet});
  client->FreeNotification(this);
  client->SetWindowProc([this, client, previous](TMessage& message) {
    if (previous)
      previous(message);
    else
      client->WndProc(message);
    if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_VISIBLECHANGED) DockClientChanged(client, message);
  });
}

void TPcCustomPageControl::DockClientChanged(TControl* client, TMessage& message) {
  TPcTabSheet* sheet = DockSheetOf(client);
  if (!sheet) return;
  if (message.Msg == CM_VISIBLECHANGED) {
    sheet->SetTabVisible(client->Visible());
    return;
  }
  const String text = client->Caption();
  sheet->SetCaption(text.substr(0, text.find_first_of(L"\r\n")));
}

}  // namespace controls

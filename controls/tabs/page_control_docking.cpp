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
  message.Result = 0;
  // The page's activation raises OnChanging and OnChange, the client's move its own handlers: any of them may free
  // this control, the page or the client, and nothing of what went is touched afterwards.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch clientLife = client->LifeWatch();
  auto* sheet = new TPcTabSheet(this);
  const TLifeWatch sheetLife = sheet->LifeWatch();
  const auto gone = [&] {
    if (!life.Ended() && (clientLife.Ended() || sheetLife.Ended())) newDockSheet_ = nullptr;
    return life.Ended() || clientLife.Ended() || sheetLife.Ended();
  };
  newDockSheet_ = sheet;
  if (auto* form = ObjectAs<TCustomForm>(client)) sheet->SetCaption(form->Caption());
  sheet->SetPageControl(this);
  if (gone()) return;
  TCustomControl::Dispatch(message);
  if (gone()) return;
  sheet->SetTabVisible(client->Visible());
  if (gone()) return;
  if (client->Visible()) SetActivePage(sheet);
  if (gone()) return;
  client->SetAlign(TAlign::alClient);
  if (gone()) return;
  WatchDockClient(client, sheet);
  newDockSheet_ = nullptr;
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
    // The client's handlers (its OnHide as it hides) may free this control, which puts the client's own procedure
    // back and so frees this one, or the client: what the rest needs is taken first, and nothing that went is
    // touched afterwards.
    TPcCustomPageControl* const control = this;
    TControl* const watched = client;
    const TLifeWatch life = control->LifeWatch();
    const TLifeWatch clientLife = watched->LifeWatch();
    if (previous)
      previous(message);
    else
      watched->WndProc(message);
    if (life.Ended() || clientLife.Ended()) return;
    if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_VISIBLECHANGED) control->DockClientChanged(watched, message);
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

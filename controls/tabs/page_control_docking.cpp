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
    message.Result = 1;
    if (client->SetAlign(TAlign::alClient).Gone()) return;
    return;
  }
  message.Result = 0;
  // The page's activation raises OnChanging and OnChange, the client's move its own handlers: any of them may free
  // this control, the page or the client, and nothing of what went is touched afterwards.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch clientLife = client->LifeWatch();
  auto* sheet = new TPcTabSheet(this);
  const TLifeWatch sheetLife = sheet->LifeWatch();
  // Each step's own answer is about one of the three: all three lives are asked after it.
  const auto gone = [&](TRaised) {
    if (!life.Ended() && (clientLife.Ended() || sheetLife.Ended())) newDockSheet_ = nullptr;
    return life.Ended() || clientLife.Ended() || sheetLife.Ended();
  };
  newDockSheet_ = sheet;
  if (auto* form = ObjectAs<TCustomForm>(client); form && gone(sheet->SetCaption(form->Caption()))) return;
  if (gone(sheet->SetPageControl(this))) return;
  TCustomControl::Dispatch(message);
  if (gone(TRaised(true))) return;
  if (gone(sheet->SetTabVisible(client->Visible()))) return;
  if (client->Visible() && gone(SetActivePage(sheet))) return;
  if (gone(client->SetAlign(TAlign::alClient))) return;
  WatchDockClient(client, sheet);
  newDockSheet_ = nullptr;
}

TRaised TPcCustomPageControl::DoAddDockClient(TControl* client, const RECT& rect) {
  if (!newDockSheet_) return TCustomControl::DoAddDockClient(client, rect);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, client->SetParent(newDockSheet_));
}

void TPcCustomPageControl::CMUnDockClient(TMessage& message) {
  auto* client = reinterpret_cast<TControl*>(message.LParam);
  message.Result = 0;
  if (TPcTabSheet* sheet = DockSheetOf(client)) {
    undockingPage_ = sheet;
    if (client->SetAlign(TAlign::alNone).Gone()) return;
  }
}

TRaised TPcCustomPageControl::DoRemoveDockClient(TControl* client) {
  if (TCustomControl::DoRemoveDockClient(client).Gone()) return TRaised(false);
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
  if (!sheet || IsDestroying()) return TRaised(true);
  // The client still sits on its page until its new site takes it; freeing the page would free the client. The
  // move and the page change raise handlers, which may free this control or the page.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch sheetLife = sheet->LifeWatch();
  if (client->Parent() == sheet && AnswerFor(life, client->SetParent(this)).Gone()) return TRaised(false);
  if (SelectNextPage(true, true).Gone()) return TRaised(false);
  undockingPage_ = nullptr;
  if (!sheetLife.Ended()) delete sheet;
  return TRaised(!life.Ended());
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
    if ((message.Msg == CM_TEXTCHANGED || message.Msg == CM_VISIBLECHANGED) &&
        control->DockClientChanged(watched, message).Gone())
      return;
  });
}

TRaised TPcCustomPageControl::DockClientChanged(TControl* client, TMessage& message) {
  TPcTabSheet* sheet = DockSheetOf(client);
  if (!sheet) return TRaised(true);
  // The page's tab and caption follow the client's; their handlers (the page changes) may free this control.
  const TLifeWatch life = LifeWatch();
  if (message.Msg == CM_VISIBLECHANGED) return AnswerFor(life, sheet->SetTabVisible(client->Visible()));
  const String text = client->Caption();
  return AnswerFor(life, sheet->SetCaption(text.substr(0, text.find_first_of(L"\r\n"))));
}

}  // namespace controls

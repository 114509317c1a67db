// Docking of controls into dock sites and floating them in windows of their own.
#include <algorithm>

#include "framework/application.h"
#include "framework/form.h"

namespace {

// Every dock site, so a dock drag can find the one under the mouse.
std::vector<TWinControl*>& DockSites() {
  static std::vector<TWinControl*> sites;
  return sites;
}

}  // namespace

void TWinControl::SetDockSite(bool value) {
  if (dockSite_ == value) return;
  dockSite_ = value;
  auto& sites = DockSites();
  if (value)
    sites.push_back(this);
  else
    sites.erase(std::remove(sites.begin(), sites.end(), this), sites.end());
}

TWinControl* FindDockSite(TControl* client, POINT screenPoint) {
  auto* clientWindow = ObjectAs<TWinControl>(client);
  for (auto it = DockSites().rbegin(); it != DockSites().rend(); ++it) {
    TWinControl* site = *it;
    if (site == client || (clientWindow && clientWindow->ContainsControl(site)) || !site->Showing()) continue;
    RECT influence;
    bool canDock = true;
    // A site that its handler freed takes nothing; the rest are asked in turn.
    if (site->GetSiteInfo(client, influence, screenPoint, canDock).Gone()) continue;
    if (canDock && PtInRect(&influence, screenPoint)) return site;
  }
  return nullptr;
}

TRaised TWinControl::DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept) {
  GetWindowRect(Handle(), &source->DockRect);
  return RaiseEvent(OnDockOver, this, source, x, y, state, accept);
}

bool TControl::ManualDock(TWinControl* newDockSite, TControl* dropControl, TAlign controlSide) {
  RECT screen = BoundsRect();
  if (parent_) {
    POINT origin = parent_->ClientOrigin();
    OffsetRect(&screen, origin.x, origin.y);
  }
  if (!newDockSite) return ManualFloat(screen);
  if (!newDockSite->DockSite()) return false;
  // The old site's OnUnDock may free it, and this control with the page it stood on, or the new site.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch siteLife = newDockSite->LifeWatch();
  if (hostDockSite_ && !hostDockSite_->DoUnDock(newDockSite, this)) return false;
  if (life.Ended() || siteLife.Ended()) return false;
  TDragDockObject object(this);
  object.DockRect = screen;
  object.DropOnControl = dropControl;
  object.DropAlign = controlSide;
  POINT center{(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
  return newDockSite->Perform(CM_DOCKCLIENT, reinterpret_cast<WPARAM>(&object), PointToLParam(center)) == 0;
}

bool TControl::ManualFloat(const RECT& screenRect) {
  // The site's OnUnDock, and the handlers the float raises after, may free this control (with the page it stood
  // on, say).
  const TLifeWatch life = LifeWatch();
  if (hostDockSite_ && !hostDockSite_->DoUnDock(nullptr, this)) return false;
  if (life.Ended()) return true;
  if (auto* form = ObjectAs<TCustomForm>(this)) {
    // A form floats as itself: a top-level window again.
    if (hostDockSite_) {
      TWinControl* old = hostDockSite_;
      hostDockSite_ = nullptr;
      auto& clients = old->dockClients_;
      clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
      // The old site's page change raises handlers, which may free this form.
      if (AnswerFor(life, old->DoRemoveDockClient(this)).Gone()) return true;
    }
    // Its handlers may free it on the way: it floats, or it went, and either way it is done here.
    if (form->SetParent(nullptr).Gone() || form->SetBoundsRect(screenRect).Gone()) return true;
    // The float's last act on the form.
    (void)form->Show();
    return true;
  }
  // The new host's handlers may free it, and this control with the host.
  auto* host = new TCustomDockForm(Application);
  if (host->SetClientSize(screenRect.right - screenRect.left, screenRect.bottom - screenRect.top).Gone()) return true;
  POINT origin = host->ClientOrigin();
  RECT window = host->BoundsRect();
  if (host->SetBounds(screenRect.left - (origin.x - window.left), screenRect.top - (origin.y - window.top),
                      window.right - window.left, window.bottom - window.top)
          .Gone())
    return true;
  RECT client = host->ClientRect();
  if (Dock(host, client).Gone() || life.Ended()) return true;
  // The float's last act on the host.
  (void)host->Show();
  return true;
}

TRaised TControl::Dock(TWinControl* newDockSite, const RECT& rect) {
  if (hostDockSite_ != newDockSite) {
    TWinControl* old = hostDockSite_;
    hostDockSite_ = newDockSite;
    if (old) {
      auto& clients = old->dockClients_;
      clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
      // The old site's page change raises handlers, which may free this control or the new site.
      const TLifeWatch life = LifeWatch();
      const TLifeWatch siteLife = newDockSite ? newDockSite->LifeWatch() : TLifeWatch();
      if (AnswerFor(life, old->DoRemoveDockClient(this)).Gone()) return TRaised(false);
      if (newDockSite && siteLife.Ended()) {
        hostDockSite_ = nullptr;
        newDockSite = nullptr;
      }
    }
    if (newDockSite) newDockSite->dockClients_.push_back(this);
  }
  if (SetBoundsRect(rect).Gone()) return TRaised(false);
  if (!newDockSite) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, newDockSite->DoAddDockClient(this, rect));
}

bool TWinControl::DoUnDock(TWinControl* newTarget, TControl* client) {
  bool allow = true;
  // A site its handler freed lets its client go.
  if (RaiseEvent(OnUnDock, this, client, newTarget, allow).Gone()) return true;
  if (allow) Perform(CM_UNDOCKCLIENT, reinterpret_cast<WPARAM>(newTarget), reinterpret_cast<LPARAM>(client));
  return allow;
}

TRaised TWinControl::GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos, bool& canDock) {
  GetWindowRect(Handle(), &influenceRect);
  return RaiseEvent(OnGetSiteInfo, this, client, influenceRect, mousePos, canDock);
}

TRaised TWinControl::DoAddDockClient(TControl* client, const RECT& rect) {
  (void)rect;
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, client->SetParent(this));
}

TRaised TWinControl::DoRemoveDockClient(TControl* client) {
  (void)client;
  return TRaised(true);
}

void TWinControl::CMDockClient(TMessage& message) {
  auto* object = reinterpret_cast<TDragDockObject*>(message.WParam);
  message.Result = 0;
  RECT rect = object->DockRect;
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
  // The client's move raises its handlers and this site's, which may free either.
  const TLifeWatch life = LifeWatch();
  DisableAlign();
  const bool clientLives = object->Control()->Dock(this, rect).Alive();
  if (life.Ended() || EnableAlign().Gone() || !clientLives) return;
  POINT point = ScreenToClient(MessagePoint(message.LParam));
  if (RaiseEvent(OnDockDrop, this, object, point.x, point.y).Gone()) return;
}

TCustomDockForm::TCustomDockForm(TComponent* owner) : TCustomForm(owner) {
  SetBorderStyle(TFormBorderStyle::bsSizeToolWin);
  SetDockSite(true);
}

TRaised TCustomDockForm::DoRemoveDockClient(TControl* client) {
  if (TCustomForm::DoRemoveDockClient(client).Gone()) return TRaised(false);
  if (DockClientCount() == 0 && !IsDestroying()) Release();
  return TRaised(true);
}

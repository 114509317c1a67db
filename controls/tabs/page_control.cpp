#include "controls/tabs/page_control.h"

#include <algorithm>
#include <string>

#include "controls/tabs/tab_painter.h"
#include "framework/accelerators.h"
#include "framework/exception_hook.h"
#include "framework/first_failure.h"
#include "framework/form.h"
#include "framework/properties.h"

namespace controls {

namespace {

constexpr int kDefaultSize = 200;
// The largest tab height or width kept: more than any screen shows, small enough for the layout's sums.
constexpr int kMaxTabSize = 32767;
constexpr wchar_t kInvalidPageIndex[] = L"%d is an invalid PageIndex value.  PageIndex must be between 0 and %d";
constexpr wchar_t kListIndexError[] = L"List index out of bounds (%d)";

}  // namespace

// ---- the sheet ----

TPcTabSheet::TPcTabSheet(TComponent* owner) : TWinControl(owner) {
  // Nothing handles the events of a control in the making.
  (void)SetAlign(TAlign::alClient);
  SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls + TControlStyleItem::csNoDesignVisible);
  (void)SetVisible(false);
}

TPcTabSheet::~TPcTabSheet() {
  if (!pageControl_) return;
  TPcCustomPageControl* control = pageControl_;
  if (control->undockingPage_ == this) control->undockingPage_ = nullptr;
  // The next page's activation raises handlers that may free the control or the form ("the last tab closed closes
  // the window"), which free the children and components they still hold: the page leaves both first.
  if (TComponent* owner = Owner()) owner->RemoveComponent(this);
  // Nothing may leave a destructor: what the parent's alignment, OnChanging or OnChange raised is reported as the
  // application's loop does.
  ReportFailures([this] { return SetParent(nullptr); });
  if (pageControl_) ReportFailures([this, control] { return control->RemovePage(this); });
}

void TPcTabSheet::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

TRaised TPcTabSheet::SetPageControl(TPcCustomPageControl* value) {
  if (pageControl_ == value) return TRaised(true);
  // Leaving one control and joining another activate pages, whose handlers may free this page.
  const TLifeWatch life = LifeWatch();
  if (pageControl_ && AnswerFor(life, pageControl_->RemovePage(this)).Gone()) return TRaised(false);
  if (SetParent(value).Gone()) return TRaised(false);
  if (!value) return TRaised(true);
  if (AnswerFor(life, value->InsertPage(this)).Gone()) return TRaised(false);
  if (HandleAllocated() && SetBounds(0, 0, value->ClientWidth(), value->ClientHeight()).Gone()) return TRaised(false);
  if (value->ActivePage() || IsLoading()) return TRaised(true);
  return AnswerFor(life, value->SetActivePage(this));
}

void TPcTabSheet::SetParentComponent(TComponent* value) {
  // The form reader's last act on the page: nothing is raised while it loads.
  if (auto* control = ObjectAs<TPcCustomPageControl>(value))
    (void)SetPageControl(control);
  else
    TWinControl::SetParentComponent(value);
}

int TPcTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TPcTabSheet::SetPageIndex(int value) {
  if (!pageControl_) return;
  const int last = pageControl_->PageCount() - 1;
  if (value > last) throw EListError(Format(kInvalidPageIndex, {std::to_wstring(value), std::to_wstring(last)}));
  if (value < 0) throw EListError(Format(kListIndexError, {std::to_wstring(value)}));
  pageControl_->MovePage(this, value);
}

int TPcTabSheet::TabIndex() const {
  if (!tabShowing_ || !pageControl_) return -1;
  int index = 0;
  for (TPcTabSheet* page : pageControl_->pages_) {
    if (page == this) return index;
    if (page->tabShowing_) ++index;
  }
  return -1;
}

void TPcTabSheet::SetImageIndex(int value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  if (tabShowing_) pageControl_->Refresh();
}

TRaised TPcTabSheet::SetTabVisible(bool value) {
  if (tabVisible_ == value) return TRaised(true);
  tabVisible_ = value;
  return UpdateTabShowing();
}

void TPcTabSheet::SetHighlighted(bool value) {
  highlighted_ = value;
  if (pageControl_ && !Reading()) pageControl_->Refresh();
}

TRaised TPcTabSheet::UpdateTabShowing() {
  const bool showing = pageControl_ && tabVisible_ && GetParentForm(this);
  if (showing == tabShowing_) return TRaised(true);
  tabShowing_ = showing;
  if (!pageControl_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, pageControl_->TabShowingChanged(this));
}

void TPcTabSheet::Dispatch(TMessage& message) {
  TWinControl::Dispatch(message);
  switch (message.Msg) {
    case CM_TEXTCHANGED:
      if (tabShowing_) {
        pageControl_->Painter()->CaptionChanged(this);
        pageControl_->Refresh();
      }
      break;
    case CM_SHOWINGCHANGED:
      if (!showingHeld_ && DoShowingChanged().Gone()) return;
      break;
    default:
      break;
  }
}

TRaised TPcTabSheet::DoShowingChanged() { return RaiseEvent(Showing() ? OnShow : OnHide, this); }

TRaised TPcTabSheet::ShowAsPage(bool value) {
  // The event waits until the framework is done showing or hiding the page, which it does on the page itself.
  const bool wasShowing = Showing();
  showingHeld_ = true;
  bool lives = false;
  try {
    lives = SetVisible(value).Alive();
  } catch (...) {
    showingHeld_ = false;
    throw;
  }
  if (!lives) return TRaised(false);
  showingHeld_ = false;
  return Showing() != wasShowing ? DoShowingChanged() : TRaised(true);
}

TRaised TPcTabSheet::HideWithoutEvents() {
  // The page raises no events of its own, but the parent's alignment may raise others'.
  showingHeld_ = true;
  bool lives = false;
  try {
    lives = SetVisible(false).Alive();
  } catch (...) {
    showingHeld_ = false;
    throw;
  }
  if (lives) showingHeld_ = false;
  return TRaised(lives);
}

// ---- the control: pages and the active page ----

TPcCustomPageControl::TPcCustomPageControl(TComponent* owner)
    : TCustomControl(owner), imageChangeLink_(std::make_unique<TChangeLink>()) {
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), kDefaultSize, kDefaultSize);
  SetControlStyle(TControlStyle{TControlStyleItem::csOpaque, TControlStyleItem::csDoubleClicks});
  SetTabStop(true);
  imageChangeLink_->OnChange = TNotifyEvent(this, &TPcCustomPageControl::ImageListChange);
  painter_ = CreatePainter(style_, this);
  painter_->RebuildButtons();
}

TPcCustomPageControl::~TPcCustomPageControl() {
  Destroying();
  for (const TWatchedClient& watched : watchedClients_) watched.Client->SetWindowProc(watched.Previous);
  watchedClients_.clear();
  for (TPcTabSheet* page : pages_) {
    page->pageControl_ = nullptr;
    page->tabShowing_ = false;
  }
  pages_.clear();
  activePage_ = nullptr;
  if (images_) images_->UnRegisterChanges(imageChangeLink_.get());
}

TPcTabSheet* TPcCustomPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) throw EListError(Format(kListIndexError, {std::to_wstring(index)}));
  return pages_[index];
}

TRaised TPcCustomPageControl::InsertPage(TPcTabSheet* page) {
  pages_.push_back(page);
  page->pageControl_ = this;
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, page->UpdateTabShowing());
}

TRaised TPcCustomPageControl::RemovePage(TPcTabSheet* page) {
  TPcTabSheet* next = FindNextPage(page, true, !IsDesigning());
  if (next == page) next = nullptr;
  page->pageControl_ = nullptr;
  page->tabShowing_ = false;
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  painter_->RemoveButton(page, false);
  if (IsDestroying()) {
    // The form goes with all its pages: no page is activated, no event reaches a form half taken apart.
    if (activePage_ == page) activePage_ = nullptr;
    return TRaised(true);
  }
  // A page that goes cannot stay active, whatever OnChanging says or raises: the control forgets it first, and the
  // first exception a handler raised follows. A page being destroyed is forgotten before any handler runs, so that
  // none is told of it as the active page, and it raises no OnHide of its own as it dies.
  if (page->IsDestroying() && activePage_ == page) activePage_ = nullptr;
  const TLifeWatch life = LifeWatch();
  TFirstFailure failure;
  TRaised lives = failure.Run(life, [&] { return SetActivePage(next); });
  if (lives.Alive() && activePage_ == page) lives = failure.Run(life, [&] { return ChangeActivePage(nullptr); });
  if (lives.Alive()) {
    if (activePage_ == page) activePage_ = nullptr;
    Refresh();
  }
  failure.Raise();
  return lives;
}

void TPcCustomPageControl::MovePage(TPcTabSheet* page, int index) {
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  pages_.insert(pages_.begin() + index, page);
  if (page->TabShowing())
    painter_->MoveButton(page);
  else
    Refresh();
}

TRaised TPcCustomPageControl::TabShowingChanged(TPcTabSheet* page) {
  // Making the window and laying the tabs out again raise handlers (OnResize of the control or a page), which may
  // free this control.
  const TLifeWatch life = LifeWatch();
  HandleNeeded();
  if (life.Ended()) return TRaised(false);
  if (page->TabShowing()) {
    painter_->AddButton(page, true);
    return TRaised(!life.Ended());
  }
  painter_->RemoveButton(page, true);
  if (life.Ended()) return TRaised(false);
  return UpdateActivePage();
}

TRaised TPcCustomPageControl::UpdateActivePage() {
  const int index = ActiveTabIndex();
  return SetActivePage(index < 0 ? nullptr : PageForTab(index));
}

int TPcCustomPageControl::VisibleTabCount() const {
  return static_cast<int>(std::count_if(pages_.begin(), pages_.end(), [this](const TPcTabSheet* page) {
    return page->TabShowing() || page == activePage_;
  }));
}

TPcTabSheet* TPcCustomPageControl::PageForTab(int tabIndex) const {
  if (tabIndex < 0 || tabIndex >= VisibleTabCount()) return nullptr;
  for (TPcTabSheet* page : pages_)
    if ((page->TabShowing() || page == activePage_) && page->TabIndex() == tabIndex) return page;
  return nullptr;
}

int TPcCustomPageControl::ActiveTabIndex() const { return activePage_ ? activePage_->TabIndex() : -1; }

int TPcCustomPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

TRaised TPcCustomPageControl::SetActivePageIndex(int index) {
  return SetActivePage(index >= 0 && index < PageCount() ? pages_[index] : nullptr);
}

TRaised TPcCustomPageControl::SetActivePage(TPcTabSheet* page) {
  if (page && page->PageControl() != this) return TRaised(true);
  if (page == activePage_) return TRaised(true);
  const TLifeWatch pageLife = page ? page->LifeWatch() : TLifeWatch();
  bool allow = true;
  if (const TRaised raised = CanChange(page, allow); raised.Gone() || !allow) return raised;
  // OnChanging may have freed the page it allowed, or moved it away.
  if (page && (pageLife.Ended() || page->PageControl() != this)) return TRaised(true);
  if (ChangeActivePage(page).Gone()) return TRaised(false);
  if (HandleAllocated()) painter_->MakeActiveVisible();
  // The page change's last act: the tabs laid out again.
  Refresh();
  return TRaised(true);
}

TRaised TPcCustomPageControl::CanChange(TPcTabSheet* page, bool& allow) {
  return IsLoading() ? TRaised(true) : RaiseEvent(OnChanging, this, page, allow);
}

TRaised TPcCustomPageControl::ChangeActivePage(TPcTabSheet* page) {
  if (page == activePage_) return TRaised(true);
  TPcTabSheet* old = activePage_;
  // The focus moves, OnShow, OnHide and OnChange may free this control, either page or both. After each, nothing
  // that went is touched, and a change that a handler overtook (freeing the old page activates the next one)
  // ends there, its page hidden again unless it became the active one.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch pageLife = page ? page->LifeWatch() : TLifeWatch();
  auto overtaken = [&] {
    if (life.Ended()) return true;
    const bool pageGone = page && pageLife.Ended();
    if (activePage_ == old && !pageGone) return false;
    // A page no longer wanted is hidden again, unless its handlers freed it or this control.
    if (page && !pageGone && page != activePage_ && page->ShowAsPage(false).Gone()) return true;
    return true;
  };
  TCustomForm* form = GetParentForm(this);
  if (form && old && old->ContainsControl(form->ActiveControl())) {
    try {
      if (form->SetActiveControl(old).Gone()) return TRaised(false);
    } catch (const EInvalidOperation&) {
      // The page cannot take the focus: the move is refused like one a validating OnExit refuses.
    }
    if (overtaken() || form->ActiveControl() != old) return TRaised(!life.Ended());
  }
  if (page) {
    page->BringToFront();
    // What the handlers did is told by overtaken(), which also hides a page no longer wanted. An OnShow that
    // raises leaves the old page the active one: the new one is hidden again, quietly, and the exception goes on.
    bool pageLives = false;
    try {
      pageLives = page->ShowAsPage(true).Alive();
    } catch (...) {
      // The failed show's last act on the page, whatever the hiding's handlers do.
      if (!life.Ended() && !pageLife.Ended() && activePage_ != page) (void)page->HideWithoutEvents();
      throw;
    }
    if (overtaken() || !pageLives) return TRaised(!life.Ended());
    if (form && old && form->ActiveControl() == old) {
      if (page->CanFocus() ? form->SetActiveControl(page).Gone() : CanFocus() && form->SetActiveControl(this).Gone())
        return TRaised(false);
      if (overtaken()) return TRaised(!life.Ended());
    }
  }
  if (old) {
    // An OnHide that raises comes after the old page went out of sight: the new one is the active one all the
    // same, and the exception goes on.
    bool oldLives = false;
    try {
      oldLives = old->ShowAsPage(false).Alive();
    } catch (...) {
      if (!life.Ended() && activePage_ == old && (!page || !pageLife.Ended())) activePage_ = page;
      throw;
    }
    if (overtaken() || !oldLives) return TRaised(!life.Ended());
  }
  activePage_ = page;
  if (form && page && form->ActiveControl() == page) {
    if (AnswerFor(life, page->SelectFirst()).Gone()) return TRaised(false);
    if (activePage_ != page) return TRaised(true);
  }
  return Change();
}

TRaised TPcCustomPageControl::Change() { return IsLoading() ? TRaised(true) : RaiseEvent(OnChange, this); }

TPcTabSheet* TPcCustomPageControl::FindNextPage(TPcTabSheet* current, bool goForward, bool checkTabVisible) const {
  if (pages_.empty()) return nullptr;
  const int count = PageCount();
  auto it = std::find(pages_.begin(), pages_.end(), current);
  int start = it != pages_.end() ? static_cast<int>(it - pages_.begin()) : (goForward ? count - 1 : 0);
  int index = start;
  do {
    index = goForward ? (index + 1) % count : (index + count - 1) % count;
    if (!checkTabVisible || pages_[index]->TabVisible()) return pages_[index];
  } while (index != start);
  return nullptr;
}

TRaised TPcCustomPageControl::SelectNextPage(bool goForward, bool checkTabVisible) {
  TPcTabSheet* page = FindNextPage(activePage_, goForward, checkTabVisible);
  // SetActivePage asks OnChanging itself; asking here too would ask the user twice for one key press.
  return page && page != activePage_ ? SetActivePage(page) : TRaised(true);
}

// ---- properties ----

void TPcCustomPageControl::Refresh() {
  // While the form is read every sheet added would lay out all the tabs again: once, when loading ends, is enough.
  if (IsLoading() || layoutDeferred_ > 0 || !HandleAllocated() || !painter_) return;
  if (AlignDisabled()) {
    // Inside an update bracket: the layout waits for the alignment that closing the bracket runs.
    layoutPending_ = true;
    // The alignment is the last act of every caller's change of the tabs.
    (void)Realign();
    return;
  }
  LayOut();
  const RECT area = PageArea();
  // Aligning walks every page, for each page a caller adds or frees; the pages need it only when the area they
  // fill changed, as a page that shows or moves asks for its own. The alignment is the last act of every caller's
  // change of the tabs.
  if (!EqualRect(&area, &alignedArea_)) (void)Realign();
}

RECT TPcCustomPageControl::PageArea() {
  RECT area = ClientRect();
  AdjustClientRect(area);
  return area;
}

void TPcCustomPageControl::LayOut() {
  layoutPending_ = false;
  // The page area depends on the rows, so the tabs are laid out before the sheets are aligned to it.
  painter_->Recalculate();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TPcCustomPageControl::SetHideButtons(bool value) {
  if (hideButtons_ == value) return;
  hideButtons_ = value;
  Refresh();
}

void TPcCustomPageControl::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  if (images_) {
    images_->UnRegisterChanges(imageChangeLink_.get());
    images_->RemoveFreeNotification(this);
  }
  images_ = value;
  if (images_) {
    images_->RegisterChanges(imageChangeLink_.get());
    images_->FreeNotification(this);
  }
  Refresh();
}

void TPcCustomPageControl::ImageListChange(TObject* sender) {
  (void)sender;
  Refresh();
}

void TPcCustomPageControl::SetMultiLine(bool value) {
  if (multiLine_ == value || IsSide(tabPosition_)) return;
  multiLine_ = value;
  Refresh();
}

void TPcCustomPageControl::SetOwnerDraw(bool value) {
  if (ownerDraw_ == value) return;
  ownerDraw_ = value;
  Refresh();
}

void TPcCustomPageControl::SetRaggedRight(bool value) {
  if (raggedRight_ == value) return;
  raggedRight_ = value;
  if (multiLine_) Refresh();
}

void TPcCustomPageControl::SetScrollOpposite(bool value) {
  if (scrollOpposite_ == value) return;
  scrollOpposite_ = value;
  if (multiLine_) Refresh();
}

void TPcCustomPageControl::SetStyle(TPcTabStyle value) {
  if (style_ == value) return;
  style_ = value;
  painter_.reset();
  painter_ = CreatePainter(style_, this);
  painter_->RebuildButtons();
}

void TPcCustomPageControl::SetTabHeight(int value) {
  value = std::clamp(value, 0, kMaxTabSize);
  if (tabHeight_ == value) return;
  tabHeight_ = value;
  Refresh();
}

void TPcCustomPageControl::SetTabWidth(int value) {
  value = std::clamp(value, 0, kMaxTabSize);
  if (tabWidth_ == value) return;
  tabWidth_ = value;
  Refresh();
}

void TPcCustomPageControl::SetTabPosition(TPcTabPosition value) {
  if (tabPosition_ == value) return;
  tabPosition_ = value;
  if (IsSide(value)) multiLine_ = true;
  Refresh();
}

// ---- framework hooks ----

void TPcCustomPageControl::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  params.WindowClass.style = (params.WindowClass.style & ~(CS_HREDRAW | CS_VREDRAW)) | CS_DBLCLKS;
}

TRaised TPcCustomPageControl::CreateWnd() {
  if (TCustomControl::CreateWnd().Gone()) return TRaised(false);
  Refresh();
  return TRaised(true);
}

void TPcCustomPageControl::AdjustClientRect(RECT& rect) {
  if (painter_) painter_->AdjustClientRect(rect);
  TCustomControl::AdjustClientRect(rect);
}

bool TPcCustomPageControl::CanFocus() const { return !hideButtons_ && TCustomControl::CanFocus(); }

TRaised TPcCustomPageControl::ShowControl(TControl* control) {
  if (auto* page = ObjectAs<TPcTabSheet>(control); page && page->PageControl() == this && SetActivePage(page).Gone())
    return TRaised(false);
  return TCustomControl::ShowControl(control);
}

TRaised TPcCustomPageControl::SetParent(TWinControl* value) {
  if (TCustomControl::SetParent(value).Gone()) return TRaised(false);
  // Each page's tab comes or goes with the form, which may activate pages.
  const TLifeWatch life = LifeWatch();
  std::vector<std::pair<TPcTabSheet*, TLifeWatch>> pages;
  for (TPcTabSheet* page : pages_) pages.emplace_back(page, page->LifeWatch());
  for (const auto& [page, pageLife] : pages) {
    const TRaised shown = pageLife.Ended() ? TRaised(true) : page->UpdateTabShowing();
    if (AnswerFor(life, shown).Gone()) return TRaised(false);
  }
  return TRaised(true);
}

TRaised TPcCustomPageControl::Loaded() {
  if (TCustomControl::Loaded().Gone()) return TRaised(false);
  ++layoutDeferred_;
  for (TPcTabSheet* page : pages_) page->SetHighlighted(page->Highlighted());
  --layoutDeferred_;
  Refresh();
  return TRaised(true);
}

TRaised TPcCustomPageControl::AlignControls(TControl* control, RECT& rect) {
  // The page area is not known before the tabs are laid out, which waits for the end of loading.
  if (IsLoading()) return TRaised(true);
  if (layoutPending_) {
    LayOut();
  } else if (auto* page = ObjectAs<TPcTabSheet>(control); page && !page->Visible()) {
    // A hidden page takes no room, so its own request to be aligned changes nothing; answering it would walk
    // every page, for each page a form reads.
    return TRaised(true);
  }
  alignedArea_ = PageArea();
  return TCustomControl::AlignControls(control, rect);
}

void TPcCustomPageControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  (void)root;
  for (TPcTabSheet* page : pages_) proc(page);
}

void TPcCustomPageControl::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == images_) SetImages(nullptr);
  watchedClients_.erase(std::remove_if(watchedClients_.begin(), watchedClients_.end(),
                                       [component](const TWatchedClient& w) { return w.Client == component; }),
                        watchedClients_.end());
}

TRaised TPcCustomPageControl::Paint() {
  TCanvas* canvas = Canvas();
  if (!activePage_) {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
  }
  return painter_->Paint();
}

TRaised TPcCustomPageControl::KeyDown(WORD& key, TShiftState shift) {
  // OnKeyDown, and OnChanging and OnChange of the page the key selects, may free the control.
  const TRaised raised = TCustomControl::KeyDown(key, shift);
  if (raised.Gone() || (key != VK_LEFT && key != VK_RIGHT)) return raised;
  const bool right = key == VK_RIGHT;
  key = 0;
  return SelectNextPage(right, true);
}

bool TPcCustomPageControl::DialogKey(TMessage& message) {
  if (message.WParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0 || !HandleAllocated()) return false;
  HWND focus = GetFocus();
  if (focus != Handle() && !IsChild(Handle(), focus)) return false;
  message.Result = 1;
  // Taking the key is the last act on the control: it is taken whatever the page change's handlers freed.
  (void)SelectNextPage(GetKeyState(VK_SHIFT) >= 0, true);
  return true;
}

bool TPcCustomPageControl::DialogChar(TMessage& message) {
  const auto key = static_cast<wchar_t>(message.WParam);
  for (TPcTabSheet* page : pages_) {
    if (page->TabVisible() && page->Enabled() && IsAccel(key, page->Caption())) {
      message.Result = 1;
      // Taking the key is the last act on the control: it is taken whatever the page change's handlers freed.
      (void)SetActivePage(page);
      return true;
    }
  }
  return false;
}

TRaised TPcCustomPageControl::MouseButtonDown(TMessage& message, bool doubleClick) {
  captureWnd_ = GetCapture();
  SetCapture(Handle());
  // OnMouseDown and the events of the page change may free the control, or the page pressed with its client.
  const TLifeWatch life = LifeWatch();
  TCustomControl::Dispatch(message);
  if (life.Ended()) return TRaised(false);
  const POINT point = MessagePoint(message.LParam);
  // The docked client's page is found before the press may move the rows.
  TPcTabSheet* clientPage = nullptr;
  if (DockSite() && (style_ == TPcTabStyle::pctsTabs || style_ == TPcTabStyle::pctsFlat)) {
    if (TPcPageControlButton* button = painter_->ButtonAt(point); button && DockClientOnPage(button->Page()))
      clientPage = button->Page();
  }
  const TLifeWatch clientPageLife = clientPage ? clientPage->LifeWatch() : TLifeWatch();
  // No docked client's page was pressed, or it went with the press.
  if (painter_->MouseDown(point.x, point.y).Gone() || life.Ended() || clientPageLife.Ended())
    return TRaised(!life.Ended());
  TControl* client = DockClientOnPage(clientPage);
  if (!client) return TRaised(true);
  // Undocking and the drag raise the client's handlers, which may free it or this control.
  if (doubleClick) {
    client->ManualDock(nullptr);
    return TRaised(!life.Ended());
  }
  return AnswerFor(life, client->BeginDrag(false, -1));
}

void TPcCustomPageControl::MouseButtonUp(TMessage& message) {
  const TLifeWatch life = LifeWatch();
  TCustomControl::Dispatch(message);
  // OnMouseUp or OnClick freed the control, and its window with the capture.
  if (life.Ended()) return;
  if (captureWnd_)
    SetCapture(captureWnd_);
  else if (GetCapture() == Handle())
    ReleaseCapture();
  captureWnd_ = nullptr;
  painter_->MouseUp();
}

void TPcCustomPageControl::SetCursorOverTabs() {
  POINT point;
  GetCursorPos(&point);
  point = ScreenToClient(point);
  const RECT area = painter_->TabAreaRect();
  painter_->MouseMove(PtInRect(&area, point) ? point : POINT{-1, -1});
}

void TPcCustomPageControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      TCustomControl::Dispatch(message);
      message.Result |= DLGC_WANTARROWS;
      return;
    case CM_DIALOGKEY:
      if (!DialogKey(message)) TCustomControl::Dispatch(message);
      return;
    case CM_DIALOGCHAR:
      if (!DialogChar(message)) TCustomControl::Dispatch(message);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The window procedure watches the control's life itself; nothing follows the press here.
      (void)MouseButtonDown(message, message.Msg == WM_LBUTTONDBLCLK);
      return;
    case WM_LBUTTONUP:
      MouseButtonUp(message);
      return;
    case WM_ERASEBKGND:
      // The page and the painter cover everything while a page shows; erasing would only flicker.
      if (activePage_)
        message.Result = 1;
      else
        TCustomControl::Dispatch(message);
      return;
    case WM_SIZE:
      TCustomControl::Dispatch(message);
      Refresh();
      return;
    case WM_TIMER:
      if (message.WParam == TPcPageControlButtons::kScrollTimerId)
        painter_->TimerTick();
      else
        TCustomControl::Dispatch(message);
      return;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(message.WParam) == Handle()) SetCursorOverTabs();
      TCustomControl::Dispatch(message);
      return;
    case CM_MOUSELEAVE:
      TCustomControl::Dispatch(message);
      painter_->MouseMove(POINT{-1, -1});
      return;
    case CM_FOCUSCHANGED:
      if (TPcPageControlButton* active = painter_->ActiveButton(); active && HandleAllocated())
        InvalidateRect(Handle(), &active->Rect(), FALSE);
      TCustomControl::Dispatch(message);
      return;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(message);
      Canvas()->SetFont(Font());
      Refresh();
      return;
    case CM_SYSCOLORCHANGE:
      TCustomControl::Dispatch(message);
      Refresh();
      return;
    case CM_DOCKCLIENT:
      CMDockClient(message);
      return;
    case CM_UNDOCKCLIENT:
      CMUnDockClient(message);
      return;
    default:
      TCustomControl::Dispatch(message);
      return;
  }
}

// ---- stored forms ----

const TPublishedTable& TPcTabSheet::PublishedTable() const {
  using P = TPublished<TPcTabSheet>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          ControlProperty(L"BorderWidth"),
          ControlProperty(L"Caption"),
          ControlProperty(L"DragMode"),
          ControlProperty(L"Enabled"),
          ControlProperty(L"Font"),
          ControlProperty(L"Constraints"),
          ControlProperty(L"ParentFont"),
          ControlProperty(L"ParentShowHint"),
          ControlProperty(L"PopupMenu"),
          ControlProperty(L"ShowHint"),
          P::Boolean(L"Highlighted", &TPcTabSheet::Highlighted, &TPcTabSheet::SetHighlighted).Default(false),
          P::Integer(L"ImageIndex", &TPcTabSheet::ImageIndex, &TPcTabSheet::SetImageIndex).Default(0),
          P::Boolean(L"TabVisible", &TPcTabSheet::TabVisible, &TPcTabSheet::SetTabVisible).Default(true),
          ControlProperty(L"OnContextPopup"),
          ControlProperty(L"OnDragDrop"),
          ControlProperty(L"OnDragOver"),
          ControlProperty(L"OnEndDrag"),
          ControlProperty(L"OnEnter"),
          ControlProperty(L"OnExit"),
          P::Event(L"OnHide", &TPcTabSheet::OnHide),
          ControlProperty(L"OnMouseDown"),
          ControlProperty(L"OnMouseMove"),
          ControlProperty(L"OnMouseUp"),
          ControlProperty(L"OnResize"),
          P::Event(L"OnShow", &TPcTabSheet::OnShow),
          ControlProperty(L"OnStartDrag"),
      });
  return table;
}

const TPublishedTable& TPcPageControl::PublishedTable() const {
  using P = TPublished<TPcPageControl>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          ControlProperty(L"Align"),
          ControlProperty(L"Anchors"),
          ControlProperty(L"BiDiMode"),
          ControlProperty(L"Constraints"),
          ControlProperty(L"DockSite"),
          ControlProperty(L"DragCursor"),
          ControlProperty(L"DragKind"),
          ControlProperty(L"DragMode"),
          ControlProperty(L"Enabled"),
          ControlProperty(L"Font"),
          ControlProperty(L"ParentBiDiMode"),
          ControlProperty(L"ParentFont"),
          ControlProperty(L"ParentShowHint"),
          ControlProperty(L"PopupMenu"),
          ControlProperty(L"ShowHint"),
          ControlProperty(L"TabOrder"),
          ControlProperty(L"Visible"),
          P::Component(L"ActivePage", &TPcPageControl::ActivePage, &TPcPageControl::SetActivePage),
          P::Boolean(L"HideButtons", &TPcPageControl::HideButtons, &TPcPageControl::SetHideButtons),
          P::Boolean(L"HotTrack", &TPcPageControl::HotTrack, &TPcPageControl::SetHotTrack),
          P::Component(L"Images", &TPcPageControl::Images, &TPcPageControl::SetImages),
          P::Boolean(L"MultiLine", &TPcPageControl::MultiLine, &TPcPageControl::SetMultiLine),
          P::Boolean(L"OwnerDraw", &TPcPageControl::OwnerDraw, &TPcPageControl::SetOwnerDraw),
          P::Boolean(L"RaggedRight", &TPcPageControl::RaggedRight, &TPcPageControl::SetRaggedRight),
          P::Boolean(L"ScrollOpposite", &TPcPageControl::ScrollOpposite, &TPcPageControl::SetScrollOpposite),
          P::Enumeration(L"Style", &TPcPageControl::Style, &TPcPageControl::SetStyle,
                         {L"pctsTabs", L"pctsButtons", L"pctsFlatButtons", L"pctsFlat"})
              .Default(TPcTabStyle::pctsFlat),
          P::Integer(L"TabHeight", &TPcPageControl::TabHeight, &TPcPageControl::SetTabHeight),
          P::Enumeration(L"TabPosition", &TPcPageControl::TabPosition, &TPcPageControl::SetTabPosition,
                         {L"pctpTop", L"pctpBottom", L"pctpLeft", L"pctpRight"}),
          P::Integer(L"TabWidth", &TPcPageControl::TabWidth, &TPcPageControl::SetTabWidth),
          ControlProperty(L"TabStop"),
          P::Event(L"OnChange", &TPcPageControl::OnChange),
          P::Event(L"OnChanging", &TPcPageControl::OnChanging),
          ControlProperty(L"OnContextPopup"),
          ControlProperty(L"OnDockDrop"),
          ControlProperty(L"OnDockOver"),
          ControlProperty(L"OnDragDrop"),
          ControlProperty(L"OnDragOver"),
          P::Event(L"OnDrawTab", &TPcPageControl::OnDrawTab),
          P::Event(L"OnDrawTabEx", &TPcPageControl::OnDrawTabEx),
          ControlProperty(L"OnEndDock"),
          ControlProperty(L"OnEndDrag"),
          ControlProperty(L"OnEnter"),
          ControlProperty(L"OnExit"),
          P::Event(L"OnGetImageIndex", &TPcPageControl::OnGetImageIndex),
          ControlProperty(L"OnGetSiteInfo"),
          ControlProperty(L"OnMouseDown"),
          ControlProperty(L"OnMouseMove"),
          ControlProperty(L"OnMouseUp"),
          ControlProperty(L"OnResize"),
          ControlProperty(L"OnStartDock"),
          ControlProperty(L"OnStartDrag"),
          ControlProperty(L"OnUnDock"),
      });
  return table;
}

namespace {

void RegisterPageControl() {
  RegisterPersistentClass(TPcPageControl::StaticClass());
  RegisterPersistentClass(TPcTabSheet::StaticClass());
}

void UnregisterPageControl() {
  UnregisterPersistentClass(TPcTabSheet::StaticClass());
  UnregisterPersistentClass(TPcPageControl::StaticClass());
}

}  // namespace

const TUnit& PageControlUnit() {
  static const TUnit unit{L"PageControl", &RegisterPageControl, &UnregisterPageControl, {&ControlsUnit()}};
  return unit;
}

}  // namespace controls

#include "toolbars/docks/dockable_window.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <map>
#include <utility>
#include <vector>

#include "framework/application.h"
#include "framework/exception_hook.h"
#include "framework/exceptions.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/menus.h"
#include "framework/messages.h"
#include "framework/strings.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/capture_loop.h"
#include "toolbars/docks/floating_window_parent.h"

namespace toolbars {

namespace {

// Every window that floats now, so that activation and changes of their forms reach them.
std::vector<TBarCustomDockableWindow*>& FloatingWindows() {
  static std::vector<TBarCustomDockableWindow*> windows;
  return windows;
}

HWND FormWindow(TCustomForm* form) { return form && form->HandleAllocated() ? form->Handle() : nullptr; }

// Whether owner owns wnd directly or through other owned windows.
bool OwnedBy(HWND wnd, HWND owner) {
  for (HWND up = GetWindow(wnd, GW_OWNER); up; up = GetWindow(up, GW_OWNER))
    if (up == owner) return true;
  return false;
}

}  // namespace

TBarCustomDockableWindow::TBarCustomDockableWindow(TComponent* owner) : TCustomControl(owner) {
  TControlStyle style = ControlStyle();
  style = style + TControlStyle{TControlStyleItem::csAcceptsControls, TControlStyleItem::csClickEvents,
                                TControlStyleItem::csDoubleClicks, TControlStyleItem::csSetCaption};
  style = style - TControlStyle{TControlStyleItem::csCaptureMouse, TControlStyleItem::csOpaque};
  SetControlStyle(style);
  SetColor(clBtnFace);
  // Activation and the showing, hiding and minimising of forms decide whether floating windows show.
  InstallHookProc(&HookProc,
                  {THookProcKind::hkDestroyWindow, THookProcKind::hkActivateApp, THookProcKind::hkWindowPosChanged},
                  IsDesigning());
  InitTrackMouseEvent();
}

TBarCustomDockableWindow::~TBarCustomDockableWindow() {
  EndLife();
  Destroying();
  ListAsFloating(false);
  // Leaving the floating form may raise its handlers: nothing may leave a destructor.
  if (floatParent_ && Parent() == floatParent_.get()) ReportFailures([this] { return TCustomControl::SetParent(nullptr); });
  // The window may be freed from a handler of its floating form (its OnMove, a drag or a close from the caption).
  ReleaseFloatParent();
  UninstallHookProc(&HookProc);
}

// ---- properties ----

TRaised TBarCustomDockableWindow::SetAutoResize(bool value) {
  if (autoResize_ == value) return TRaised(true);
  autoResize_ = value;
  if (!value) return TRaised(true);
  return Arrange();
}

void TBarCustomDockableWindow::FrameChangedNow() {
  if (HandleAllocated())
    SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TBarCustomDockableWindow::SetBorderStyle(TBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  if (docked_) FrameChangedNow();
}

TRaised TBarCustomDockableWindow::SetDragHandleStyle(TBarDragHandleStyle value) {
  if (dragHandleStyle_ == value) return TRaised(true);
  dragHandleStyle_ = value;
  if (!docked_) return TRaised(true);
  FrameChangedNow();
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, currentDock_->ArrangeToolbars());
}

TRaised TBarCustomDockableWindow::SetCloseButtonWhenDocked(bool value) {
  if (closeButtonWhenDocked_ == value) return TRaised(true);
  closeButtonWhenDocked_ = value;
  if (!docked_) return TRaised(true);
  FrameChangedNow();
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, currentDock_->ArrangeToolbars());
}

void TBarCustomDockableWindow::RedrawFloatingFrame(int what) {
  if (floating_ && floatParent_) floatParent_->RedrawNCArea(what);
}

void TBarCustomDockableWindow::SetCloseButton(bool value) {
  if (closeButton_ == value) return;
  closeButton_ = value;
  RedrawFloatingFrame(kFloatingFrameCaption | kFloatingFrameCloseButton);
}

void TBarCustomDockableWindow::SetResizable(bool value) {
  if (resizable_ == value) return;
  resizable_ = value;
  if (floating_ && floatParent_) floatParent_->RecreateWnd();
}

TRaised TBarCustomDockableWindow::SetShowCaption(bool value) {
  if (showCaption_ == value) return TRaised(true);
  showCaption_ = value;
  if (!floating_ || !floatParent_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  if (AnswerFor(life, floatParent_->SetBounds(floatParent_->Left(), floatParent_->Top(), floatParent_->Width(),
                                               floatParent_->Height()))
          .Gone())
    return TRaised(false);
  if (floatParent_->HandleAllocated())
    SetWindowPos(floatParent_->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return Arrange();
}

void TBarCustomDockableWindow::SetFloatingMode(TBarFloatingMode value) {
  if (floatingMode_ == value) return;
  floatingMode_ = value;
  UpdateVisibility();
}

void TBarCustomDockableWindow::SetHideWhenInactive(bool value) {
  if (hideWhenInactive_ == value) return;
  hideWhenInactive_ = value;
  UpdateVisibility();
}

TRaised TBarCustomDockableWindow::SetDockPos(int value) {
  if (dockPos_ == value) return TRaised(true);
  dockPos_ = value;
  if (!docked_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, currentDock_->ArrangeToolbars());
}

TRaised TBarCustomDockableWindow::SetDockRow(int value) {
  if (dockRow_ == value) return TRaised(true);
  dockRow_ = value;
  if (!docked_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, currentDock_->ArrangeToolbars());
}

TRaised TBarCustomDockableWindow::SetFullSize(bool value) {
  if (fullSize_ == value) return TRaised(true);
  fullSize_ = value;
  if (!docked_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, currentDock_->ArrangeToolbars());
}

TRaised TBarCustomDockableWindow::SetStretch(bool value) {
  if (stretch_ == value) return TRaised(true);
  stretch_ = value;
  if (!docked_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, currentDock_->ArrangeToolbars());
}

void TBarCustomDockableWindow::SetDefaultDock(TBarDock* value) {
  if (defaultDock_ == value) return;
  defaultDock_ = value;
  if (value) value->FreeNotification(this);
}

TRaised TBarCustomDockableWindow::ChangeLastDock(TBarDock* value) {
  if (lastDock_ == value) return TRaised(true);
  // The docks' lists change, whose OnInsertRemoveBar may free this window or the docks.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch valueLife = value ? value->LifeWatch() : TLifeWatch();
  if (lastDock_ && lastDock_ != Parent() && AnswerFor(life, lastDock_->ChangeDockList(false, this)).Gone())
    return TRaised(false);
  if (value && valueLife.Ended()) value = nullptr;
  lastDock_ = value;
  if (!value) return TRaised(true);
  value->FreeNotification(this);
  return AnswerFor(life, value->ChangeDockList(true, this));
}

TRaised TBarCustomDockableWindow::SetLastDock(TBarDock* value) {
  TBarDock* taken = useLastDock_ && docked_ ? currentDock_ : value;
  if (taken == lastDock_) return TRaised(true);
  // Joining the dock's list may show the window there, and the dock's OnInsertRemoveBar may free it.
  if (ChangeLastDock(taken).Gone()) return TRaised(false);
  useLastDock_ = true;
  return TRaised(true);
}

TRaised TBarCustomDockableWindow::SetUseLastDock(bool value) {
  if (value) {
    useLastDock_ = true;
    return ChangeLastDock(currentDock_);
  }
  if (ChangeLastDock(nullptr).Gone()) return TRaised(false);
  useLastDock_ = false;
  return TRaised(true);
}

TCustomForm* TBarCustomDockableWindow::ToolbarParentForm() const {
  if (floatParent_ && Parent() == floatParent_.get()) return floatParent_->ParentForm();
  return GetParentForm(this);
}

TCustomForm* TBarCustomDockableWindow::ValidToolbarParentForm() const {
  TCustomForm* form = ToolbarParentForm();
  if (!form) throw EInvalidOperation(Format(L"Control '%s' has no parent window", {Name()}));
  return form;
}

TRaised TBarCustomDockableWindow::SetCurrentDock(TBarDock* value) {
  if (IsLoading()) return TRaised(true);
  return SetParent(value ? static_cast<TWinControl*>(value) : ValidToolbarParentForm());
}

// ---- frame geometry ----

int TBarCustomDockableWindow::DragHandleSize() const {
  if (closeButtonWhenDocked_) return 14;
  switch (dragHandleStyle_) {
    case TBarDragHandleStyle::dhDouble:
      return 9;
    case TBarDragHandleStyle::dhNone:
      return 0;
    case TBarDragHandleStyle::dhSingle:
      return 6;
  }
  return 0;
}

void TBarCustomDockableWindow::NonClientSize(SIZE& size) const {
  size = SIZE{};
  if (!docked_) return;
  size = SIZE{4, 4};
  if (!currentDock_->AllowDrag()) return;
  if (currentDock_->IsVertical())
    size.cy += DragHandleSize();
  else
    size.cx += DragHandleSize();
}

int TBarCustomDockableWindow::NonClientWidth() const {
  SIZE size{};
  NonClientSize(size);
  return size.cx;
}

int TBarCustomDockableWindow::NonClientHeight() const {
  SIZE size{};
  NonClientSize(size);
  return size.cy;
}

void TBarCustomDockableWindow::GetDockedNCArea(bool vertical, POINT& topLeft, POINT& bottomRight) const {
  topLeft = POINT{2, 2};
  bottomRight = POINT{2, 2};
  if (vertical)
    topLeft.y += DragHandleSize();
  else
    topLeft.x += DragHandleSize();
}

int TBarCustomDockableWindow::DockedFrameLength(const TBarDock* dock) const {
  const bool vertical = dock->IsVertical();
  if (dock == currentDock_ && docked_) return vertical ? NonClientHeight() : NonClientWidth();
  POINT topLeft{}, bottomRight{};
  GetDockedNCArea(vertical, topLeft, bottomRight);
  return vertical ? topLeft.y + bottomRight.y : topLeft.x + bottomRight.x;
}

SIZE TBarCustomDockableWindow::FloatingBorderSize() const {
  if (resizable_) return SIZE{GetSystemMetrics(SM_CXSIZEFRAME), GetSystemMetrics(SM_CYSIZEFRAME)};
  return SIZE{GetSystemMetrics(SM_CXFIXEDFRAME), GetSystemMetrics(SM_CYFIXEDFRAME)};
}

void TBarCustomDockableWindow::GetFloatingNCArea(POINT& topLeft, POINT& bottomRight) const {
  SIZE border = FloatingBorderSize();
  topLeft = POINT{border.cx, border.cy};
  bottomRight = topLeft;
  if (showCaption_) topLeft.y += GetSystemMetrics(SM_CYSMCAPTION);
}

void TBarCustomDockableWindow::CloseButtonRect(bool leftRight, RECT& rect) const {
  int side = DragHandleSize() - 3;
  POINT origin = leftRight ? POINT{ClientWidth() + 2 - side, 3} : POINT{3, 2};
  rect = RECT{origin.x, origin.y, origin.x + side, origin.y + side};
}

const TClass* TBarCustomDockableWindow::GetFloatingWindowParentClass() const {
  return TBarFloatingWindowParent::StaticClass();
}

bool TBarCustomDockableWindow::ChildControlAt(POINT point, TControl*& found) const {
  found = nullptr;
  for (int i = ControlCount() - 1; i >= 0; --i) {
    TControl* control = Controls(i);
    if (!control->Visible() || ChildControlTransparent(control)) continue;
    RECT bounds = control->BoundsRect();
    if (PtInRect(&bounds, point)) {
      found = control;
      return true;
    }
  }
  return false;
}

TRaised TBarCustomDockableWindow::DockChangingHidden(bool floating, TBarDock* dockingTo) {
  if (IsDestroying()) return TRaised(true);
  return RaiseEvent(OnDockChangingHidden, this, floating, dockingTo);
}

// ---- re-parenting ----

void TBarCustomDockableWindow::UpdateFloatingList() { ListAsFloating(floating_); }

// Watching every message the thread takes costs a request per message, so the watch runs only while something
// floats.
void TBarCustomDockableWindow::ListAsFloating(bool floating) {
  auto& list = FloatingWindows();
  const bool wasWatching = !list.empty();
  std::erase(list, this);
  if (floating) list.push_back(this);
  if (list.empty() == !wasWatching) return;
  if (wasWatching)
    UninstallHookProc(&WatchMessagesProc);
  else
    InstallHookProc(&WatchMessagesProc, {THookProcKind::hkGetMessage}, false);
}

void TBarCustomDockableWindow::WatchMessagesProc(THookProcKind, HWND, WPARAM, LPARAM) {
  KeepFramesAboveForms(FloatingWindows());
}

TRaised TBarCustomDockableWindow::SetParent(TWinControl* value) {
  TWinControl* oldParent = Parent();
  auto* newDock = ObjectAs<TBarDock>(value);
  bool newFloating = value && value->Is<TBarFloatingWindowParent>();
  if (value == oldParent) {
    currentDock_ = newDock;
    floating_ = newFloating;
    docked_ = newDock != nullptr;
    UpdateFloatingList();
    return TRaised(true);
  }
  auto* oldDock = ObjectAs<TBarDock>(oldParent);
  bool destroying = IsDestroying();
  // Every event from here on, and every arrangement (it moves windows, whose OnMove runs), may free this window or
  // a dock. The move stops where that happens, touches neither again, and lets go of what is still alive.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch oldDockLife = oldDock ? oldDock->LifeWatch() : TLifeWatch();
  const TLifeWatch newDockLife = newDock ? newDock->LifeWatch() : TLifeWatch();
  const auto abandoned = [&] { return life.Ended() || (newDock && newDockLife.Ended()); };
  if (!destroying && value) {
    if (RaiseEvent(OnDockChanging, this, newFloating, newDock).Gone() || abandoned()) return TRaised(!life.Ended());
    if (RaiseEvent(OnRecreating, this).Gone() || abandoned()) return TRaised(!life.Ended());
  }
  ++hiddenWhileChanging_;
  ++noMoveEvent_;
  UpdateVisibility();
  if (oldDock) oldDock->BeginArrange();
  if (newDock) newDock->BeginArrange();
  ++inArrangement_;
  bool moved = false;
  if ((!value || DockChangingHidden(newFloating, newDock).Alive()) && !abandoned()) {
    BeginUpdate();
    moved = ChangeParentHidden(oldParent, value, newDockLife);
    if (!life.Ended() && EndUpdate().Gone()) return TRaised(false);
  }
  if (!life.Ended()) {
    --inArrangement_;
    --noMoveEvent_;
    --hiddenWhileChanging_;
  }
  // Ending the docks' brackets arranges them; a dock its windows' handlers freed is passed over.
  for (const auto& [dock, dockLife] : {std::pair{oldDock, oldDockLife}, std::pair{newDock, newDockLife}})
    if (dock && !dockLife.Ended() && dock->EndArrange().Gone()) continue;
  if (life.Ended()) return TRaised(false);
  UpdateVisibility();
  if (!moved) return TRaised(!life.Ended());
  if (value && !IsLoading() && noMoveEvent_ == 0 && RaiseEvent(OnMove, this).Gone()) return TRaised(false);
  if (destroying || !value) return TRaised(!life.Ended());
  if (RaiseEvent(OnRecreated, this).Gone()) return TRaised(false);
  return RaiseEvent(OnDockChanged, this);
}

bool TBarCustomDockableWindow::ChangeParentHidden(TWinControl* oldParent, TWinControl* value,
                                                  const TLifeWatch& newDockLife) {
  auto* oldDock = ObjectAs<TBarDock>(oldParent);
  auto* newDock = ObjectAs<TBarDock>(value);
  const TLifeWatch life = LifeWatch();
  shrunkSize_ = 0;
  if (oldDock) {
    if (!(useLastDock_ && oldDock == lastDock_) && AnswerFor(life, oldDock->ChangeDockList(false, this)).Gone())
      return false;
    if (AnswerFor(life, oldDock->ToolbarVisibilityChanged(this, true)).Gone()) return false;
  }
  // The old dock's event freed the dock the window was going to: it stays where it was.
  if (newDock && newDockLife.Ended()) {
    // The window's last act on the old dock.
    if (oldDock) (void)oldDock->ChangeDockList(true, this);
    return false;
  }

  // The window itself survives: it is detached while the framework moves it, then moved by the platform.
  HWND wnd = WindowHandle();
  if (wnd && value) {
    SetWindowHandle(nullptr);
    if (TCustomControl::SetParent(nullptr).Gone()) return false;
    ::SetParent(wnd, value->Handle());
    SetWindowHandle(wnd);
    if (TCustomControl::SetParent(value).Gone()) return false;
    SetWindowPos(wnd, nullptr, Left(), Top(), Width(), Height(), SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (TCustomControl::SetParent(value).Gone()) {
    return false;
  }
  currentDock_ = newDock;
  floating_ = value && value->Is<TBarFloatingWindowParent>();
  docked_ = newDock != nullptr;
  effectiveDockRow_ = -1;

  if (auto* oldFloating = ObjectAs<TBarFloatingWindowParent>(oldParent);
      oldFloating && !dragging_ && oldFloating == floatParent_.get())
    ReleaseFloatParent();

  // From here on the window has its new parent, whatever the events below do; the caller sees whether it lives.
  if (newDock) {
    if (useLastDock_ && !dragging_) {
      if (SetLastDock(newDock).Gone() || AnswerFor(life, newDock->ToolbarVisibilityChanged(this, false)).Gone())
        return true;
    } else if (AnswerFor(life, newDock->ChangeDockList(true, this)).Gone()) {
      return true;
    }
  }
  UpdateFloatingList();
  if (floating_ && floatParent_ &&
      AnswerFor(life, floatParent_->SetBounds(floatingPosition_.x, floatingPosition_.y, floatParent_->Width(),
                                              floatParent_->Height()))
          .Gone())
    return true;
  // The move's last act: the caller learns from its watch whether the window lives.
  (void)Arrange();
  return true;
}

TRaised TBarCustomDockableWindow::FloatOrDock(bool floating) {
  if (floating == floating_) return TRaised(true);
  if (!floating) return SetParent(ValidToolbarParentForm());
  if (IsDesigning()) return TRaised(true);
  TCustomForm* form = ValidToolbarParentForm();
  if (!floatParent_ || floatParent_->ParentForm() != form) {
    std::unique_ptr<TBarFloatingWindowParent> parent(
        static_cast<TBarFloatingWindowParent*>(GetFloatingWindowParentClass()->Create(nullptr)));
    parent->SetParentForm(form);
    parent->SetDockableWindow(this);
    wchar_t name[40];
    swprintf(name, 40, L"NBFloatingWindowParent_%.8x",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(parent.get()) & 0xFFFFFFFFu));
    parent->SetName(name);
    // The new form raises no handler of the window's before it shows (the parent form's own are its own).
    (void)parent->SetCaption(Caption());
    POINT topLeft{}, bottomRight{};
    GetFloatingNCArea(topLeft, bottomRight);
    (void)parent->SetBounds(floatingPosition_.x, floatingPosition_.y, ClientWidth() + topLeft.x + bottomRight.x,
                            ClientHeight() + topLeft.y + bottomRight.y);
    parent->SetShowHint(true);
    // The form's first move runs the window's OnMove, which may free the window.
    const TLifeWatch life = LifeWatch();
    const bool parentLives = parent->SetVisible(true).Alive();
    if (life.Ended()) {
      if (parentLives) parent->SetDockableWindow(nullptr);
      return TRaised(false);
    }
    floatParent_ = std::move(parent);
  }
  form->FreeNotification(this);
  if (SetParent(floatParent_.get()).Gone()) return TRaised(false);
  return SetBounds(0, 0, Width(), Height());
}

TRaised TBarCustomDockableWindow::PlaceFloating(POINT point) {
  floatingPosition_ = point;
  if (!floating_ || !floatParent_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, floatParent_->SetBounds(point.x, point.y, floatParent_->Width(), floatParent_->Height()));
}

TRaised TBarCustomDockableWindow::MoveOnScreen(bool onlyIfFullyOffscreen) {
  if (!floating_ || !floatParent_) return TRaised(true);
  RECT rect = floatParent_->BoundsRect();
  RECT area = GetRectOfMonitorContainingRect(rect, true);
  RECT overlap{};
  if (onlyIfFullyOffscreen && IntersectRect(&overlap, &rect, &area)) return TRaised(true);
  int dx = 0, dy = 0;
  if (rect.right > area.right) dx = area.right - rect.right;
  if (rect.bottom > area.bottom) dy = area.bottom - rect.bottom;
  if (rect.left + dx < area.left) dx = area.left - rect.left;
  if (rect.top + dy < area.top) dy = area.top - rect.top;
  OffsetRect(&rect, dx, dy);
  // The floating form's move runs the window's OnMove.
  const TLifeWatch life = LifeWatch();
  if (AnswerFor(life, floatParent_->SetBoundsRect(rect)).Gone()) return TRaised(false);
  floatingPosition_ = POINT{rect.left, rect.top};
  return TRaised(true);
}

// ---- layout ----

TRaised TBarCustomDockableWindow::Arrange() {
  if (updateLockCount_ > 0 || IsLoading() || !Parent()) {
    needsRelayout_ = true;
    return TRaised(true);
  }
  needsRelayout_ = false;
  SIZE size{};
  if (LayoutForDock(true, DockTypeOf(currentDock_, floating_), size, currentDock_, floating_).Gone())
    return TRaised(false);
  return autoResize_ || docked_ || floating_ ? ChangeSize(size.cx, size.cy) : TRaised(true);
}

TRaised TBarCustomDockableWindow::EndUpdate() {
  return --updateLockCount_ == 0 && needsRelayout_ ? Arrange() : TRaised(true);
}

TRaised TBarCustomDockableWindow::ChangeSize(int width, int height) {
  if (docked_) {
    const TLifeWatch life = LifeWatch();
    return AnswerFor(life, currentDock_->ArrangeToolbars());
  }
  width += NonClientWidth();
  height += NonClientHeight();
  if (!floating_) {
    if (Anchors().Contains(TAnchorKind::akLeft) && Anchors().Contains(TAnchorKind::akRight)) width = Width();
    if (Anchors().Contains(TAnchorKind::akTop) && Anchors().Contains(TAnchorKind::akBottom)) height = Height();
  }
  ++inArrangement_;
  if (SetBounds(Left(), Top(), width, height).Gone()) return TRaised(false);
  --inArrangement_;
  return TRaised(true);
}

TRaised TBarCustomDockableWindow::SetBounds(int left, int top, int width, int height) {
  if (floating_ && !IsDesigning() && floatParent_ && Parent() == floatParent_.get()) {
    POINT topLeft{}, bottomRight{};
    GetFloatingNCArea(topLeft, bottomRight);
    const TLifeWatch life = LifeWatch();
    if (AnswerFor(life, floatParent_->SetBounds(floatParent_->Left(), floatParent_->Top(),
                                                 width + topLeft.x + bottomRight.x, height + topLeft.y + bottomRight.y))
            .Gone())
      return TRaised(false);
    left = 0;
    top = 0;
  }
  if ((width != Width() || height != Height()) && inArrangement_ == 0) SizeChanging(width, height);
  if (IsDesigning() && docked_ && !IsLoading() && inArrangement_ == 0 && (left != Left() || top != Top())) {
    bool vertical = currentDock_->IsVertical();
    dockRow_ = currentDock_->RowAt(vertical ? left + width / 2 : top + height / 2);
    dockPos_ = vertical ? top : left;
    if (TCustomControl::SetBounds(Left(), Top(), width, height).Gone()) return TRaised(false);
    const TLifeWatch life = LifeWatch();
    return AnswerFor(life, currentDock_->ArrangeToolbars());
  }
  // OnMove may free the window, so it runs once the framework is done with the new bounds.
  moved_ = false;
  ++noMoveEvent_;
  if (TCustomControl::SetBounds(left, top, width, height).Gone()) return TRaised(false);
  --noMoveEvent_;
  return moved_ && noMoveEvent_ == 0 ? RaiseEvent(OnMove, this) : TRaised(true);
}

// ---- showing ----

bool TBarCustomDockableWindow::ShouldBeVisible() const {
  if (!Visible() || hiddenWhileChanging_ > 0) return false;
  if (!floating_ || IsDesigning()) return true;
  if (floatingMode_ == TBarFloatingMode::fmOnTopOfParentForm) {
    TCustomForm* form = ToolbarParentForm();
    HWND formWnd = FormWindow(form);
    if (!formWnd) return false;
    HWND frameWnd = formWnd;
    if (form->FormStyle() == TFormStyle::fsMDIChild) {
      frameWnd = Application ? FormWindow(Application->MainForm()) : nullptr;
      if (!frameWnd) return false;
    }
    if (Application && Application->Handle() && IsIconic(Application->Handle())) return false;
    for (HWND wnd : {formWnd, frameWnd})
      if (!IsWindowVisible(wnd) || IsIconic(wnd)) return false;
  }
  if (hideWhenInactive_ && !ApplicationIsActive()) return false;
  return true;
}

void TBarCustomDockableWindow::SetFloatingOwner() {
  HWND floatWnd = floatParent_->Handle();
  HWND formWnd = FormWindow(floatParent_->ParentForm());
  HWND owner =
      floatingMode_ == TBarFloatingMode::fmOnTopOfAllForms ? (Application ? Application->Handle() : nullptr) : formWnd;
  if (reinterpret_cast<HWND>(GetWindowLongPtrW(floatWnd, GWLP_HWNDPARENT)) != owner)
    SetWindowLongPtrW(floatWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  if (formWnd) PlaceFrameAboveForm(floatWnd, formWnd);
}

// Above the form and the windows it owns: directly below the first window above it that it does not own.
void TBarCustomDockableWindow::PlaceFrameAboveForm(HWND floatWnd, HWND formWnd) {
  bool topmostFloat = (GetWindowLongPtrW(floatWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  HWND insertAfter = HWND_TOP;
  for (HWND above = GetWindow(formWnd, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    if (above == floatWnd || OwnedBy(above, formWnd)) continue;
    if (topmostFloat) {
      bool chainNotTopmost = false;
      for (HWND up = above; up; up = GetWindow(up, GW_OWNER))
        if (!(GetWindowLongPtrW(up, GWL_EXSTYLE) & WS_EX_TOPMOST)) chainNotTopmost = true;
      if (chainNotTopmost) continue;
    }
    insertAfter = above;
    break;
  }
  SetWindowPos(floatWnd, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The window system keeps owned windows above their owner only on some platforms: under an X server a form that is
// raised, or that the server reports as exposed where its frame lies, moves above its own floating frames without
// any message to them. So every change of a window's place, and every message the thread takes while something
// floats (the exposure comes in between two of them), checks that each frame is still in front. As that runs for
// every message and each step through the window order is a request to the window system, the order above a form
// is walked once for all its frames, and only as far as its highest frame. The frames are held by handle: a
// re-stack may run code that frees a dockable window.
void TBarCustomDockableWindow::KeepFramesAboveForms(const std::vector<TBarCustomDockableWindow*>& windows) {
  std::map<HWND, std::vector<HWND>> framesOfForm;
  for (TBarCustomDockableWindow* window : windows) {
    if (!window->floating_ || !window->floatParent_ || !window->floatParent_->HandleAllocated() ||
        window->IsDesigning())
      continue;
    HWND floatWnd = window->floatParent_->Handle();
    HWND formWnd = GetWindow(floatWnd, GW_OWNER);
    if (formWnd && formWnd == FormWindow(window->floatParent_->ParentForm()) && IsWindowVisible(floatWnd))
      framesOfForm[formWnd].push_back(floatWnd);
  }
  std::vector<std::pair<HWND, HWND>> framesBelow;
  for (auto& [formWnd, frames] : framesOfForm) {
    for (HWND above = GetWindow(formWnd, GW_HWNDPREV); above && !frames.empty(); above = GetWindow(above, GW_HWNDPREV))
      std::erase(frames, above);
    for (HWND floatWnd : frames) framesBelow.emplace_back(floatWnd, formWnd);
  }
  for (auto [floatWnd, formWnd] : framesBelow)
    if (IsWindow(floatWnd)) PlaceFrameAboveForm(floatWnd, formWnd);
}

void TBarCustomDockableWindow::UpdateTopmostFlag() {
  HWND floatWnd = floatParent_->Handle();
  bool topmost;
  if (floatingMode_ == TBarFloatingMode::fmOnTopOfAllForms) {
    topmost = Enabled();
  } else {
    HWND owner = GetWindow(floatWnd, GW_OWNER);
    topmost = owner && (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
  bool now = (GetWindowLongPtrW(floatWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (topmost != now)
    SetWindowPos(floatWnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TBarCustomDockableWindow::ApplyInactiveCaption() {
  bool inactive = floating_ && !hideWhenInactive_ && !IsDesigning() && !ApplicationIsActive();
  if (inactive == inactiveCaption_) return;
  inactiveCaption_ = inactive;
  RedrawFloatingFrame(kFloatingFrameAll);
}

void TBarCustomDockableWindow::UpdateVisibility() {
  if (!HandleAllocated()) return;
  bool show = ShouldBeVisible();
  if (floating_ && floatParent_ && Parent() == floatParent_.get() && !IsDesigning()) {
    if (show) SetFloatingOwner();
    UpdateTopmostFlag();
    floatParent_->SetShouldBeVisible(show);
    floatParent_->Perform(CM_SHOWINGCHANGED);
  }
  HWND wnd = WindowHandle();
  bool wasActive = floating_ && floatParent_ && GetActiveWindow() == floatParent_->Handle();
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
               (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!show && wasActive) ActivateOtherThreadWindow(floatParent_->Handle());
  ApplyInactiveCaption();
}

void TBarCustomDockableWindow::HookProc(THookProcKind kind, HWND wnd, WPARAM, LPARAM lParam) {
  std::vector<TBarCustomDockableWindow*> windows = FloatingWindows();
  switch (kind) {
    case THookProcKind::hkActivateApp:
      for (TBarCustomDockableWindow* window : windows) window->UpdateVisibility();
      break;
    case THookProcKind::hkWindowPosChanged: {
      auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      constexpr UINT kStateChanged = 0x8000;
      if (!pos) break;
      if (!(pos->flags & SWP_NOZORDER)) KeepFramesAboveForms(windows);
      if (!(pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED | kStateChanged))) break;
      for (TBarCustomDockableWindow* window : windows) {
        if (window->floatingMode_ != TBarFloatingMode::fmOnTopOfParentForm) continue;
        HWND formWnd = FormWindow(window->ToolbarParentForm());
        if (formWnd && (formWnd == wnd || IsChild(wnd, formWnd))) window->UpdateVisibility();
      }
      break;
    }
    case THookProcKind::hkDestroyWindow:
      for (TBarCustomDockableWindow* window : windows) {
        TBarFloatingWindowParent* parent = window->floatParent_.get();
        if (parent && parent->HandleAllocated() && GetWindow(parent->Handle(), GW_OWNER) == wnd)
          SetWindowLongPtrW(parent->Handle(), GWLP_HWNDPARENT,
                            reinterpret_cast<LONG_PTR>(Application ? Application->Handle() : nullptr));
      }
      break;
    case THookProcKind::hkGetMessage:
      break;
  }
}

// ---- closing and re-docking ----

TRaised TBarCustomDockableWindow::Close() {
  bool canClose = true;
  if (const TRaised raised = RaiseEvent(OnCloseQuery, this, canClose); raised.Gone() || !canClose) return raised;
  if (Hide().Gone()) return TRaised(false);
  return RaiseEvent(OnClose, this);
}

TRaised TBarCustomDockableWindow::DoubleClick() {
  if (!floating_) return TRaised(true);
  if (lastDock_) return SetCurrentDock(lastDock_);
  if (!defaultDock_) return TRaised(true);
  dockRow_ = 0;
  dockPos_ = -8;
  return SetCurrentDock(defaultDock_);
}

// ---- component housekeeping ----

bool TBarCustomDockableWindow::HasParent() const {
  return !(Parent() && Parent()->Is<TBarFloatingWindowParent>()) && TCustomControl::HasParent();
}

TComponent* TBarCustomDockableWindow::GetParentComponent() const {
  if (Parent() && Parent()->Is<TBarFloatingWindowParent>()) return nullptr;
  return TCustomControl::GetParentComponent();
}

void TBarCustomDockableWindow::DefineProperties(TFiler& filer) {
  TCustomControl::DefineProperties(filer);
  filer.DefineProperty(
      L"SavedAtRunTime", [this](TReader& reader) { savedAtRunTime_ = reader.ReadBoolean(); },
      [](TWriter& writer) { writer.WriteBoolean(true); }, !IsDesigning());
}

HPALETTE TBarCustomDockableWindow::GetPalette() const {
  return docked_ && currentDock_ ? currentDock_->GetPalette() : nullptr;
}

void TBarCustomDockableWindow::ReleaseFloatParent() {
  std::unique_ptr<TBarFloatingWindowParent> form = std::move(floatParent_);
  if (!form) return;
  form->SetDockableWindow(nullptr);
  form->SetParentForm(nullptr);
  if (!form->HandleAllocated()) return;
  // The form may be running one of its own handlers (a double-click on its caption, a drag from it that docked
  // the window): it goes out of sight and out of its owner's hands now and is freed once that handler returned.
  HWND handle = form->Handle();
  ShowWindow(handle, SW_HIDE);
  SetWindowLongPtrW(handle, GWLP_HWNDPARENT, 0);
  form.release()->Release();
}

TRaised TBarCustomDockableWindow::Loaded() {
  if (TCustomControl::Loaded().Gone()) return TRaised(false);
  // Stored at design time on a floating form, the form's place was kept in the owning form's client coordinates.
  if (!savedAtRunTime_ && !IsDesigning() && floating_ && floatParent_) {
    if (TCustomForm* form = floatParent_->ParentForm(); form && form->HandleAllocated()) {
      POINT origin{0, 0};
      ::ClientToScreen(form->Handle(), &origin);
      RECT bounds = floatParent_->BoundsRect();
      OffsetRect(&bounds, origin.x, origin.y);
      const TLifeWatch life = LifeWatch();
      if (AnswerFor(life, floatParent_->SetBoundsRect(bounds)).Gone()) return TRaised(false);
      floatingPosition_ = POINT{bounds.left, bounds.top};
    }
    if (MoveOnScreen(false).Gone()) return TRaised(false);
  }
  return Arrange();
}

void TBarCustomDockableWindow::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == defaultDock_) defaultDock_ = nullptr;
  if (component == lastDock_) lastDock_ = nullptr;
  std::erase(dockForms_, component);
  if (floatParent_ && component == floatParent_->ParentForm()) {
    if (Parent() != floatParent_.get()) {
      floatParent_.reset();
    } else if (floatingMode_ == TBarFloatingMode::fmOnTopOfAllForms) {
      floatParent_->SetParentForm(nullptr);
    } else {
      if (TCustomControl::SetParent(nullptr).Gone()) return;
      floating_ = false;
      UpdateFloatingList();
    }
  }
}

void TBarCustomDockableWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (!IsDesigning()) params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

bool TBarCustomDockableWindow::IsMovable() const { return (docked_ && currentDock_->AllowDrag()) || floating_; }

}  // namespace toolbars

#include "framework/control.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/control_canvas.h"
#include "framework/exception_hook.h"
#include "framework/form.h"
#include "framework/menus.h"
#include "framework/screen.h"
#include "framework/win_control.h"

namespace {

// The windowless control that holds the mouse capture through its parent's window.
TControl* captureControl = nullptr;

bool IsDoubleClick(UINT msg) { return msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK; }

}  // namespace

// ---- TSizeConstraints ----

void TSizeConstraints::Assign(const TPersistent* source) {
  if (auto* other = ObjectAs<const TSizeConstraints>(source)) {
    minWidth_ = other->minWidth_;
    minHeight_ = other->minHeight_;
    maxWidth_ = other->maxWidth_;
    maxHeight_ = other->maxHeight_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TSizeConstraints::SetMinWidth(int value) {
  if (value == minWidth_) return;
  minWidth_ = value;
  if (maxWidth_ > 0 && minWidth_ > maxWidth_) maxWidth_ = minWidth_;
  Changed();
}

void TSizeConstraints::SetMinHeight(int value) {
  if (value == minHeight_) return;
  minHeight_ = value;
  if (maxHeight_ > 0 && minHeight_ > maxHeight_) maxHeight_ = minHeight_;
  Changed();
}

void TSizeConstraints::SetMaxWidth(int value) {
  if (value == maxWidth_) return;
  maxWidth_ = value;
  if (maxWidth_ > 0 && minWidth_ > maxWidth_) minWidth_ = maxWidth_;
  Changed();
}

void TSizeConstraints::SetMaxHeight(int value) {
  if (value == maxHeight_) return;
  maxHeight_ = value;
  if (maxHeight_ > 0 && minHeight_ > maxHeight_) minHeight_ = maxHeight_;
  Changed();
}

void TSizeConstraints::Changed() {
  // The last act of every caller: each is done with the constraints.
  if (RaiseEvent(OnChange, this).Gone()) return;
}

// ---- capture ----

TControl* GetCaptureControl() {
  TControl* result = FindControl(GetCapture());
  if (result && captureControl && captureControl->Parent() == result) result = captureControl;
  return result;
}

TControl* WindowlessCaptureControl() { return captureControl; }

void SetCaptureControl(TControl* control) {
  captureControl = nullptr;
  ReleaseCapture();
  if (!control) return;
  auto* win = ObjectAs<TWinControl>(control);
  if (!win) {
    if (!control->Parent()) return;
    captureControl = control;
    win = control->Parent();
  }
  SetCapture(win->Handle());
}

// ---- TControl ----

TControl::TControl(TComponent* owner)
    : TComponent(owner), constraints_(std::make_unique<TSizeConstraints>()), font_(std::make_unique<TFont>()) {
  windowProc_ = TWndMethod(this, &TControl::WndProc);
  font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
  constraints_->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
  controlStyle_ = {TControlStyleItem::csCaptureMouse, TControlStyleItem::csClickEvents, TControlStyleItem::csSetCaption,
                   TControlStyleItem::csDoubleClicks};
}

TControl::~TControl() {
  Destroying();
  if (Application) Application->ControlDestroyed(this);
  if (Screen) Screen->ControlDestroyed(this);
  if (captureControl == this) SetCaptureControl(nullptr);
  DragControlDestroyed(this);
  TWinControl* host = hostDockSite_;
  if (host) {
    hostDockSite_ = nullptr;
    auto& clients = host->dockClients_;
    clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
  }
  // The parent aligns the rest of its children, whose handlers may raise: nothing may leave a destructor.
  ReportFailures([this] { return SetParent(nullptr); });
  // A client freed while docked leaves its site as one that undocks does, so that the site drops what it made
  // for it.
  if (host) ReportFailures([this, host] { return host->DoRemoveDockClient(this); });
}

void TControl::CheckParent(const TWinControl* value) {
  if (!value) return;
  if (value == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
  // It would be its own ancestor then, and every walk up the parents would go round for ever.
  if (auto* self = ObjectAs<TWinControl>(this); self && self->ContainsControl(value))
    throw EInvalidOperation(L"A control cannot have one of its own children as its parent");
  // A parent whose deletion has begun has let its children go: one joining it now would outlive it.
  if (value->childrenGone_) throw EInvalidOperation(L"A control cannot join a parent that is being destroyed");
}

TRaised TControl::SetParent(TWinControl* value) {
  if (parent_ == value) return TRaised(true);
  CheckParent(value);
  // Leaving and joining raise handlers (the focus moving on, the control showing), which may free the control or
  // either parent: nothing freed is touched after, and a new parent freed meanwhile takes nothing in.
  const TLifeSince life(LifeWatch());
  const TLifeWatch valueLife = value ? value->LifeWatch() : TLifeWatch();
  if (parent_) {
    // Told while the control still has its parent: a windowed control leaves it before it is destroyed.
    if (Application) Application->ControlRemoved(this);
    if (parent_->RemoveControl(this).Gone()) return TRaised(false);
    // A handler raised on the way out moved the control to another parent: where it put it stands.
    if (parent_) return TRaised(true);
  }
  if (!value || valueLife.Ended()) return TRaised(true);
  // The handlers of the leaving may have put the new parent inside this control, or begun its deletion.
  CheckParent(value);
  if (value->InsertControl(this).Gone()) return TRaised(false);
  UpdateAnchorRules();
  return TRaised(true);
}

void TControl::Abandon() {
  TComponent::Abandon();
  // Leaving the parent is the last act on a control whose deletion runs already.
  (void)SetParent(nullptr);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* value) {
  // The form reader's last act on the control: nothing is raised while it loads.
  if (auto* win = ObjectAs<TWinControl>(value)) (void)SetParent(win);
}

TRaised TControl::SetBounds(int left, int top, int width, int height) {
  bool resize = true;
  if (const TRaised raised = CanResize(width, height, resize); raised.Gone() || !resize) return raised;
  ConstrainSize(width, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return TRaised(true);
  InvalidateControl(visible_, false);
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  UpdateAnchorRules();
  Invalidate();
  if (RequestAlign().Gone()) return TRaised(false);
  return IsLoading() ? TRaised(true) : Resize();
}

void TControl::StoreBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

TRaised TControl::CanResize(int& newWidth, int& newHeight, bool& resize) {
  return RaiseEvent(OnCanResize, this, newWidth, newHeight, resize);
}

bool TControl::CanAutoSize(int& newWidth, int& newHeight) {
  (void)newWidth, (void)newHeight;
  return false;
}

void TControl::ConstrainSize(int& width, int& height) const {
  const TSizeConstraints& c = *constraints_;
  if (c.MaxWidth() > 0 && width > c.MaxWidth()) width = c.MaxWidth();
  if (c.MinWidth() > 0 && width < c.MinWidth()) width = c.MinWidth();
  if (c.MaxHeight() > 0 && height > c.MaxHeight()) height = c.MaxHeight();
  if (c.MinHeight() > 0 && height < c.MinHeight()) height = c.MinHeight();
}

TRaised TControl::SetAutoSize(bool value) {
  if (autoSize_ == value) return TRaised(true);
  autoSize_ = value;
  return value ? AdjustSize() : TRaised(true);
}

TRaised TControl::AdjustSize() {
  if (!autoSize_ || IsLoading()) return TRaised(true);
  int width = width_;
  int height = height_;
  return CanAutoSize(width, height) ? SetBounds(left_, top_, width, height) : TRaised(true);
}

void TControl::ConstraintsChanged(TObject* sender) {
  (void)sender;
  // The constraints' change ends with this: their handler's last act.
  (void)SetBounds(left_, top_, width_, height_);
}

RECT TControl::ClientRect() const { return RECT{0, 0, width_, height_}; }

int TControl::ClientWidth() const {
  RECT r = ClientRect();
  return r.right - r.left;
}

int TControl::ClientHeight() const {
  RECT r = ClientRect();
  return r.bottom - r.top;
}

TRaised TControl::SetClientSize(int width, int height) {
  RECT client = ClientRect();
  return SetBounds(left_, top_, width_ - (client.right - client.left) + width,
                   height_ - (client.bottom - client.top) + height);
}

POINT TControl::ClientOrigin() const {
  if (!parent_) throw EInvalidOperation(Format(L"Control '%s' has no parent window", {Name()}));
  POINT origin = parent_->ClientOrigin();
  origin.x += left_;
  origin.y += top_;
  return origin;
}

POINT TControl::ClientToScreen(POINT point) const {
  POINT origin = ClientOrigin();
  return POINT{point.x + origin.x, point.y + origin.y};
}

POINT TControl::ScreenToClient(POINT point) const {
  POINT origin = ClientOrigin();
  return POINT{point.x - origin.x, point.y - origin.y};
}

TRaised TControl::SetAlign(TAlign value) {
  if (align_ == value) return TRaised(true);
  TAlign old = align_;
  align_ = value;
  // Each alignment implies the anchors of the edges it follows.
  switch (value) {
    case TAlign::alNone:
      if (old != TAlign::alNone) anchors_ = {TAnchorKind::akLeft, TAnchorKind::akTop};
      break;
    case TAlign::alTop:
      anchors_ = {TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight};
      break;
    case TAlign::alBottom:
      anchors_ = {TAnchorKind::akLeft, TAnchorKind::akRight, TAnchorKind::akBottom};
      break;
    case TAlign::alLeft:
      anchors_ = {TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akBottom};
      break;
    case TAlign::alRight:
      anchors_ = {TAnchorKind::akRight, TAnchorKind::akTop, TAnchorKind::akBottom};
      break;
    case TAlign::alClient:
      anchors_ = {TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight, TAnchorKind::akBottom};
      break;
  }
  return RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (anchors_ == value) return;
  anchors_ = value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (anchorMove_ || IsLoading()) return;
  using A = TAnchorKind;
  if (anchors_ == TAnchors{A::akLeft, A::akTop}) {
    originalParentSize_ = POINT{0, 0};
    return;
  }
  if (anchors_.Contains(A::akRight))
    anchorRules_.x = anchors_.Contains(A::akLeft) ? width_ : left_;
  else
    anchorRules_.x = left_ + width_ / 2;
  if (anchors_.Contains(A::akBottom))
    anchorRules_.y = anchors_.Contains(A::akTop) ? height_ : top_;
  else
    anchorRules_.y = top_ + height_ / 2;
  if (!parent_) return;
  if (parent_->HandleAllocated()) {
    RECT r = parent_->ClientRect();
    originalParentSize_ = POINT{r.right, r.bottom};
  } else {
    originalParentSize_ = POINT{parent_->Width(), parent_->Height()};
  }
}

TRaised TControl::RequestAlign() {
  if (!parent_) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, parent_->AlignControl(this));
}

TRaised TControl::Show() {
  if (parent_ && parent_->ShowControl(this).Gone()) return TRaised(false);
  return SetVisible(true);
}

TRaised TControl::SetVisible(bool value) {
  if (visible_ == value) return TRaised(true);
  visible_ = value;
  // The parent makes room first, so the change's handlers see the new layout; one of them may free the control.
  if (RequestAlign().Gone()) return TRaised(false);
  const TLifeWatch life = LifeWatch();
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  return TRaised(!life.Ended());
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED);
}

String TControl::GetText() const {
  auto* self = const_cast<TControl*>(this);
  LRESULT length = self->Perform(WM_GETTEXTLENGTH);
  if (length <= 0) return String();
  String buffer(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = self->Perform(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return buffer;
}

TRaised TControl::SetText(const String& value) {
  if (GetText() == value) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  if (life.Ended()) return TRaised(false);
  Perform(CM_TEXTCHANGED);
  return TRaised(!life.Ended());
}

void TControl::FontChanged(TObject* sender) {
  (void)sender;
  parentFont_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (parentFont_ == value) return;
  parentFont_ = value;
  if (parent_ && !IsLoading()) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  parentColor_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  if (parent_ && !IsLoading()) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode value) {
  if (biDiMode_ == value) return;
  biDiMode_ = value;
  parentBiDiMode_ = false;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool value) {
  if (parentBiDiMode_ == value) return;
  parentBiDiMode_ = value;
  if (parent_ && !IsLoading()) Perform(CM_PARENTBIDIMODECHANGED);
}

bool TControl::UseRightToLeftReading() const { return biDiMode_ != TBiDiMode::bdLeftToRight; }

bool TControl::UseRightToLeftAlignment() const { return biDiMode_ == TBiDiMode::bdRightToLeft; }

bool TControl::UseRightToLeftScrollBar() const {
  return biDiMode_ == TBiDiMode::bdRightToLeft || biDiMode_ == TBiDiMode::bdRightToLeftNoAlign;
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const {
  if (UseRightToLeftAlignment()) {
    if ((flags & DT_RIGHT) == DT_RIGHT)
      flags &= ~DT_RIGHT;
    else if ((flags & DT_CENTER) == 0)
      flags |= DT_RIGHT;
  }
  return flags | DrawTextBiDiModeFlagsReadingOnly();
}

UINT TControl::DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

void TControl::SetShowHint(bool value) {
  if (showHint_ == value) return;
  showHint_ = value;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (parentShowHint_ == value) return;
  parentShowHint_ = value;
  if (parent_ && !IsLoading()) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (popupMenu_ == value) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = value;
  if (value) value->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == popupMenu_) popupMenu_ = nullptr;
  if (component && component == Action()) (void)SetAction(nullptr);
}

void TControl::SetCursor(TCursor value) {
  if (cursor_ == value) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  if (windowProc_)
    windowProc_(message);
  else
    WndProc(message);
  return message.Result;
}

void TControl::WndProc(TMessage& message) {
  if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST && message.Msg != WM_MOUSEWHEEL &&
      message.Msg != WM_MOUSEHWHEEL) {
    if (!controlStyle_.Contains(TControlStyleItem::csDoubleClicks) && IsDoubleClick(message.Msg))
      message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    switch (message.Msg) {
      case WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (dragMode_ == TDragMode::dmAutomatic && !IsDesigning()) {
          // The press's last act: the drag's handlers may free this control.
          (void)BeginDrag(true);
          return;
        }
        controlState_ += TControlStateItem::csLButtonDown;
        break;
      case WM_LBUTTONUP:
        controlState_ -= TControlStateItem::csLButtonDown;
        break;
      default:
        break;
    }
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
      (void)WMMouseButton(message, TMouseButton::mbLeft, true, false);
      break;
    case WM_LBUTTONDBLCLK:
      (void)WMMouseButton(message, TMouseButton::mbLeft, true, true);
      break;
    case WM_LBUTTONUP:
      (void)WMMouseButton(message, TMouseButton::mbLeft, false, false);
      break;
    case WM_RBUTTONDOWN:
      (void)WMMouseButton(message, TMouseButton::mbRight, true, false);
      break;
    case WM_RBUTTONDBLCLK:
      (void)WMMouseButton(message, TMouseButton::mbRight, true, true);
      break;
    case WM_RBUTTONUP:
      (void)WMMouseButton(message, TMouseButton::mbRight, false, false);
      break;
    case WM_MBUTTONDOWN:
      (void)WMMouseButton(message, TMouseButton::mbMiddle, true, false);
      break;
    case WM_MBUTTONDBLCLK:
      (void)WMMouseButton(message, TMouseButton::mbMiddle, true, true);
      break;
    case WM_MBUTTONUP:
      (void)WMMouseButton(message, TMouseButton::mbMiddle, false, false);
      break;
    case WM_MOUSEMOVE:
      WMMouseMove(message);
      break;
    case WM_MOUSEWHEEL:
      WMMouseWheel(message);
      break;
    case WM_CONTEXTMENU:
      WMContextMenu(message);
      break;
    case WM_CANCELMODE:
      if (MouseCapture()) SetMouseCapture(false);
      DefaultHandler(message);
      break;
    case CM_MOUSEWHEEL:
      CMMouseWheel(message);
      break;
    case CM_PARENTFONTCHANGED:
      CMParentFontChanged(message);
      break;
    case CM_PARENTCOLORCHANGED:
      CMParentColorChanged(message);
      break;
    case CM_PARENTSHOWHINTCHANGED:
      CMParentShowHintChanged(message);
      break;
    case CM_PARENTBIDIMODECHANGED:
      CMParentBiDiModeChanged(message);
      break;
    case CM_ENABLEDCHANGED:
      CMEnabledChanged(message);
      break;
    case CM_VISIBLECHANGED:
      CMVisibleChanged(message);
      break;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_BIDIMODECHANGED:
      Invalidate();
      break;
    case CM_DRAG:
      CMDrag(message);
      break;
    default:
      TComponent::Dispatch(message);
      break;
  }
}

void TControl::DefaultHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<wchar_t*>(message.LParam);
      size_t capacity = static_cast<size_t>(message.WParam);
      if (!buffer || capacity == 0) {
        message.Result = 0;
        break;
      }
      size_t count = std::min(capacity - 1, text_.size());
      std::copy_n(text_.c_str(), count, buffer);
      buffer[count] = L'\0';
      message.Result = static_cast<LRESULT>(count);
      break;
    }
    case WM_GETTEXTLENGTH:
      message.Result = static_cast<LRESULT>(text_.size());
      break;
    case WM_SETTEXT:
      text_ = message.LParam ? reinterpret_cast<const wchar_t*>(message.LParam) : L"";
      message.Result = TRUE;
      break;
    default:
      break;
  }
}

TRaised TControl::WMMouseButton(TMessage& message, TMouseButton button, bool down, bool doubleClick) {
  // Each step raises handlers, and one may free this control: what is left of the press goes nowhere then.
  const TLifeWatch life = LifeWatch();
  DefaultHandler(message);
  if (life.Ended()) return TRaised(false);
  if (button == TMouseButton::mbLeft) {
    if (down) {
      if (controlStyle_.Contains(TControlStyleItem::csCaptureMouse)) SetMouseCapture(true);
      if (controlStyle_.Contains(TControlStyleItem::csClickEvents)) {
        if (doubleClick) {
          if (DblClick().Gone()) return TRaised(false);
        } else {
          controlState_ += TControlStateItem::csClicked;
        }
      }
    } else {
      if (controlStyle_.Contains(TControlStyleItem::csCaptureMouse)) SetMouseCapture(false);
      if (controlState_.Contains(TControlStateItem::csClicked)) {
        controlState_ -= TControlStateItem::csClicked;
        POINT point = MessagePoint(message.LParam);
        RECT client = ClientRect();
        if (PtInRect(&client, point) && Click().Gone()) return TRaised(false);
      }
    }
    if (life.Ended()) return TRaised(false);
  }
  if (controlStyle_.Contains(TControlStyleItem::csNoStdEvents)) return TRaised(true);
  POINT point = MessagePoint(message.LParam);
  TShiftState shift = KeysToShiftState(LOWORD(message.WParam));
  if (!down) return MouseUp(button, shift, point.x, point.y);
  if (doubleClick) shift += TShiftStateItem::ssDouble;
  return MouseDown(button, shift, point.x, point.y);
}

void TControl::WMMouseMove(TMessage& message) {
  const TLifeWatch life = LifeWatch();
  DefaultHandler(message);
  if (life.Ended()) return;
  if (controlStyle_.Contains(TControlStyleItem::csNoStdEvents)) return;
  POINT point = MessagePoint(message.LParam);
  if (MouseMove(KeysToShiftState(LOWORD(message.WParam)), point.x, point.y).Gone()) return;
}

void TControl::WMContextMenu(TMessage& message) {
  if (message.Result != 0) return;
  POINT screen = MessagePoint(message.LParam);
  // (-1, -1) is a context menu asked for from the keyboard.
  bool fromKeyboard = screen.x == -1 && screen.y == -1;
  POINT point = screen;
  if (!fromKeyboard) {
    point = ScreenToClient(screen);
    RECT client = ClientRect();
    if (!PtInRect(&client, point)) {
      DefaultHandler(message);
      return;
    }
  }
  bool handled = false;
  const TRaised raised = DoContextPopup(point, handled);
  message.Result = handled ? 1 : 0;
  if (handled || raised.Gone()) return;
  if (popupMenu_ && popupMenu_->AutoPopup()) {
    popupMenu_->SetPopupComponent(this);
    if (fromKeyboard) screen = ClientToScreen(POINT{0, 0});
    message.Result = 1;
    // The menu's handlers may free this control: showing it is the message's last act.
    (void)popupMenu_->Popup(screen.x, screen.y);
    return;
  }
  DefaultHandler(message);
}

void TControl::WMMouseWheel(TMessage& message) {
  const TLifeWatch life = LifeWatch();
  MouseWheelHandler(message);
  if (message.Result == 0 && !life.Ended()) DefaultHandler(message);
}

void TControl::MouseWheelHandler(TMessage& message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this)
    form->MouseWheelHandler(message);
  else
    message.Result = Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
}

void TControl::CMMouseWheel(TMessage& message) {
  TShiftState shift = KeysToShiftState(LOWORD(message.WParam));
  int delta = static_cast<short>(HIWORD(message.WParam));
  bool handled = false;
  // A handler that freed the control has used the wheel.
  if (DoMouseWheel(shift, delta, MessagePoint(message.LParam), handled).Gone() || handled) {
    message.Result = 1;
  } else if (parent_) {
    message.Result = parent_->Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
  }
}

TRaised TControl::DoMouseWheel(TShiftState shift, int wheelDelta, POINT mousePos, bool& handled) {
  const TRaised raised = RaiseEvent(OnMouseWheel, this, shift, wheelDelta, mousePos, handled);
  if (handled || raised.Gone()) return raised;
  if (wheelDelta < 0) return DoMouseWheelDown(shift, mousePos, handled);
  if (wheelDelta > 0) return DoMouseWheelUp(shift, mousePos, handled);
  return raised;
}

TRaised TControl::DoMouseWheelDown(TShiftState shift, POINT mousePos, bool& handled) {
  return RaiseEvent(OnMouseWheelDown, this, shift, mousePos, handled);
}

TRaised TControl::DoMouseWheelUp(TShiftState shift, POINT mousePos, bool& handled) {
  return RaiseEvent(OnMouseWheelUp, this, shift, mousePos, handled);
}

void TControl::CMParentFontChanged(TMessage& message) {
  if (!parentFont_) return;
  if (message.WParam != 0)
    SetFont(reinterpret_cast<const TFont*>(message.LParam));
  else if (parent_)
    SetFont(parent_->Font());
  parentFont_ = true;
}

void TControl::CMParentColorChanged(TMessage& message) {
  if (!parentColor_) return;
  if (message.WParam != 0)
    SetColor(static_cast<TColor>(message.LParam));
  else if (parent_)
    SetColor(parent_->Color());
  parentColor_ = true;
}

void TControl::CMParentShowHintChanged(TMessage& message) {
  (void)message;
  if (!parentShowHint_ || !parent_) return;
  SetShowHint(parent_->ShowHint());
  parentShowHint_ = true;
}

void TControl::CMParentBiDiModeChanged(TMessage& message) {
  (void)message;
  if (!parentBiDiMode_ || !parent_) return;
  SetBiDiMode(parent_->BiDiMode());
  parentBiDiMode_ = true;
}

void TControl::CMEnabledChanged(TMessage& message) {
  (void)message;
  Invalidate();
}

void TControl::CMVisibleChanged(TMessage& message) {
  (void)message;
  InvalidateControl(true, visible_ && controlStyle_.Contains(TControlStyleItem::csOpaque));
}

TRaised TControl::Click() {
  TBasicAction* action = Action();
  if (OnClick && action && OnClick != action->OnExecute()) return RaiseEvent(OnClick, this);
  if (IsDesigning() || !actionLink_) return RaiseEvent(OnClick, this);
  // The action's handler may free this control too.
  const TLifeWatch life = LifeWatch();
  actionLink_->Execute(this);
  return TRaised(!life.Ended());
}

TRaised TControl::DblClick() { return RaiseEvent(OnDblClick, this); }

TRaised TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  return RaiseEvent(OnMouseDown, this, button, shift, x, y);
}

TRaised TControl::MouseMove(TShiftState shift, int x, int y) { return RaiseEvent(OnMouseMove, this, shift, x, y); }

TRaised TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  return RaiseEvent(OnMouseUp, this, button, shift, x, y);
}

TRaised TControl::DoContextPopup(POINT mousePos, bool& handled) {
  return RaiseEvent(OnContextPopup, this, mousePos, handled);
}

TRaised TControl::BeginDrag(bool immediate, int threshold) {
  bool docking = dragKind_ == TDragKind::dkDock;
  if (Is<TCustomForm>() && !docking) throw EInvalidOperation(L"Cannot drag a form");
  if (DragControl()) return TRaised(true);
  // Releasing the press and OnStartDrag or OnStartDock raise handlers, which may free this control.
  const TLifeWatch life = LifeWatch();
  if (controlState_.Contains(TControlStateItem::csLButtonDown)) {
    // The press that starts the drag is over: release it without a click.
    controlState_ -= TControlStateItem::csClicked;
    POINT point;
    GetCursorPos(&point);
    Perform(WM_LBUTTONUP, 0, PointToLParam(ScreenToClient(point)));
    if (life.Ended()) return TRaised(false);
  }
  if (threshold < 0) threshold = GetSystemMetrics(SM_CXDRAG);
  TDragObject* object = nullptr;
  if (docking) {
    TDragDockObject* dockObject = nullptr;
    if (DoStartDock(dockObject).Gone()) return TRaised(false);
    object = dockObject;
  } else {
    if (DoStartDrag(object).Gone()) return TRaised(false);
  }
  bool owns = object == nullptr;
  if (owns) object = docking ? new TDragDockObject(this) : new TDragControlObject(this);
  DragInit(this, object, owns, immediate, threshold);
  return TRaised(!life.Ended());
}

TRaised TControl::DoStartDock(TDragDockObject*& dragObject) { return RaiseEvent(OnStartDock, this, dragObject); }

TRaised TControl::DoEndDock(TObject* target, int x, int y) { return RaiseEvent(OnEndDock, this, target, x, y); }

void TControl::EndDrag(bool drop) {
  if (Dragging()) DragDone(drop);
}

TRaised TControl::DoStartDrag(TDragObject*& dragObject) { return RaiseEvent(OnStartDrag, this, dragObject); }

TRaised TControl::DoEndDrag(TObject* target, int x, int y) { return RaiseEvent(OnEndDrag, this, target, x, y); }

TRaised TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  // Without a handler nothing is accepted.
  accept = static_cast<bool>(OnDragOver);
  return RaiseEvent(OnDragOver, this, source, x, y, state, accept);
}

TRaised TControl::DragDrop(TObject* source, int x, int y) { return RaiseEvent(OnDragDrop, this, source, x, y); }

void TControl::CMDrag(TMessage& message) {
  auto* rec = reinterpret_cast<TDragRec*>(message.LParam);
  auto kind = static_cast<TDragMessage>(message.WParam);
  if (kind == TDragMessage::dmFindTarget) {
    message.Result = reinterpret_cast<LRESULT>(this);
    return;
  }
  TControl* target = rec->Target;
  if (!target) return;
  TObject* source = rec->Source;
  if (auto* controlObject = ObjectAs<TDragControlObject>(rec->Source)) source = controlObject->Control();
  POINT point = target->ScreenToClient(rec->Pos);
  switch (kind) {
    case TDragMessage::dmDragEnter:
    case TDragMessage::dmDragLeave:
    case TDragMessage::dmDragMove: {
      static const TDragState kStates[] = {TDragState::dsDragEnter, TDragState::dsDragLeave, TDragState::dsDragMove};
      bool accept = true;
      // A target its handler freed accepts nothing.
      const bool lives = target->DragOver(source, point.x, point.y, kStates[static_cast<int>(kind)], accept).Alive();
      message.Result = lives && accept ? 1 : 0;
      break;
    }
    case TDragMessage::dmDragDrop:
      if (target->DragDrop(source, point.x, point.y).Gone()) return;
      break;
    default:
      break;
  }
}

TRaised TControl::Resize() { return RaiseEvent(OnResize, this); }

void TControl::InvalidateControl(bool isVisible, bool isOpaque) {
  if (!isVisible || !parent_ || !parent_->HandleAllocated()) return;
  RECT rect = BoundsRect();
  bool erase = !(isOpaque || parent_->ControlStyle().Contains(TControlStyleItem::csOpaque));
  InvalidateRect(parent_->Handle(), &rect, erase);
}

void TControl::Invalidate() { InvalidateControl(visible_, controlStyle_.Contains(TControlStyleItem::csOpaque)); }

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  if (controlStyle_.Contains(TControlStyleItem::csOpaque)) {
    HDC dc = GetDC(parent_->Handle());
    IntersectClipRect(dc, left_, top_, left_ + width_, top_ + height_);
    parent_->PaintControls(dc, this);
    ReleaseDC(parent_->Handle(), dc);
  } else {
    Invalidate();
    Update();
  }
}

void TControl::SetZOrder(bool topMost) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (topMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  Invalidate();
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
  if (MouseCapture() == value) return;
  SetCaptureControl(value ? this : nullptr);
}

TRaised TControl::Loaded() {
  loadedRun_ = true;
  if (TComponent::Loaded().Gone()) return TRaised(false);
  if (TBasicAction* action = Action(); action && ActionChange(action, true).Gone()) return TRaised(false);
  if (parent_) {
    if (parentColor_) Perform(CM_PARENTCOLORCHANGED);
    if (parentFont_) Perform(CM_PARENTFONTCHANGED);
    if (parentShowHint_) Perform(CM_PARENTSHOWHINTCHANGED);
    if (parentBiDiMode_) Perform(CM_PARENTBIDIMODECHANGED);
  }
  UpdateAnchorRules();
  return RequestAlign();
}

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::Canvas() const { return canvas_.get(); }

void TGraphicControl::Dispatch(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    WMPaint(message);
    return;
  }
  TControl::Dispatch(message);
}

void TGraphicControl::WMPaint(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  if (!dc || IsDestroying()) return;
  if (canvas_->PaintOn(dc, [this] { return Paint(); }).Gone()) return;
}

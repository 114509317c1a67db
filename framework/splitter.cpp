#include "framework/splitter.h"

#include <algorithm>

#include "framework/properties.h"
#include "framework/win_control.h"

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  // Nothing handles the events of a control in the making.
  (void)SetAlign(TAlign::alLeft);
  (void)SetBounds(0, 0, 3, 100);
  SetCursor(crHSplit);
}

void TSplitter::SetMinSize(int value) { minSize_ = std::max(value, 1); }

void TSplitter::SetBeveled(bool value) {
  if (beveled_ == value) return;
  beveled_ = value;
  Invalidate();
}

TRaised TSplitter::SetBounds(int left, int top, int width, int height) {
  // OnCanResize and OnResize may free the splitter.
  if (TGraphicControl::SetBounds(left, top, std::max(width, 0), std::max(height, 0)).Gone()) return TRaised(false);
  // Alignment always passes through here, so the cursor follows the axis the splitter moves on.
  if (Align() != TAlign::alNone && Align() != TAlign::alClient) SetCursor(Horizontal() ? crHSplit : crVSplit);
  return TRaised(true);
}

TControl* TSplitter::FindControl() const {
  TWinControl* parent = Parent();
  if (!parent) return nullptr;
  POINT point{};
  switch (Align()) {
    case TAlign::alTop:
      point = {Left(), Top() - 1};
      break;
    case TAlign::alBottom:
      point = {Left(), Top() + Height()};
      break;
    case TAlign::alLeft:
      point = {Left() - 1, Top()};
      break;
    case TAlign::alRight:
      point = {Left() + Width(), Top()};
      break;
    default:
      return nullptr;
  }
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* control = parent->Controls(i);
    if (control == this || !control->Visible() || !control->Enabled()) continue;
    RECT bounds = control->BoundsRect();
    // A collapsed neighbour still counts: its empty bounds grow by one pixel towards the top left.
    if (bounds.right == bounds.left) --bounds.left;
    if (bounds.bottom == bounds.top) --bounds.top;
    if (PtInRect(&bounds, point)) return control;
  }
  return nullptr;
}

int TSplitter::MaxSizeOf(const TControl* control) const {
  TWinControl* parent = Parent();
  const bool horizontal = Horizontal();
  int free = horizontal ? parent->ClientWidth() : parent->ClientHeight();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* other = parent->Controls(i);
    if (!other->Visible()) continue;
    const TAlign align = other->Align();
    const bool sameAxis = horizontal ? (align == TAlign::alLeft || align == TAlign::alRight)
                                     : (align == TAlign::alTop || align == TAlign::alBottom);
    if (sameAxis) free -= SizeOf(other);
  }
  return std::max(free + SizeOf(control), 0);
}

TRaised TSplitter::DoCanResize(int& newSize, bool& accept) {
  accept = true;
  const TRaised raised = RaiseEvent(OnCanResize, this, newSize, accept);
  if (raised.Gone()) return raised;
  if (accept && newSize < minSize_) newSize = autoSnap_ ? 0 : minSize_;
  return raised;
}

TRaised TSplitter::SizeControl(int newSize) {
  TControl* c = control_;
  // The neighbour's handlers (its resizing, the parent's alignment) may free the splitter.
  const TLifeWatch life = LifeWatch();
  switch (Align()) {
    case TAlign::alLeft:
      return AnswerFor(life, c->SetWidth(newSize));
    case TAlign::alTop:
      return AnswerFor(life, c->SetHeight(newSize));
    case TAlign::alRight:
      return AnswerFor(life, c->SetBounds(c->Left() + c->Width() - newSize, c->Top(), newSize, c->Height()));
    case TAlign::alBottom:
      return AnswerFor(life, c->SetBounds(c->Left(), c->Top() + c->Height() - newSize, c->Width(), newSize));
    default:
      return TRaised(true);
  }
}

TRaised TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // OnMouseDown, and OnMoved of a drag still on, may free the splitter.
  TRaised raised = TGraphicControl::MouseDown(button, shift, x, y);
  if (raised.Gone() || button != TMouseButton::mbLeft) return raised;
  raised = StopSizing();
  if (raised.Gone()) return raised;
  TControl* control = FindControl();
  if (!control) return raised;
  control_ = control;
  control_->FreeNotification(this);
  // Parent coordinates stay true while the splitter itself moves under the mouse.
  downPos_ = {Left() + x, Top() + y};
  oldSize_ = SizeOf(control_);
  maxSize_ = MaxSizeOf(control_);
  newSize_ = oldSize_;
  sizing_ = true;
  return raised;
}

TRaised TSplitter::MouseMove(TShiftState shift, int x, int y) {
  // OnMouseMove and OnCanResize may free the splitter, or the neighbour, which ends the drag.
  TRaised raised = TGraphicControl::MouseMove(shift, x, y);
  if (raised.Gone() || !sizing_) return raised;
  const int delta = Horizontal() ? Left() + x - downPos_.x : Top() + y - downPos_.y;
  int size = Align() == TAlign::alLeft || Align() == TAlign::alTop ? oldSize_ + delta : oldSize_ - delta;
  size = std::clamp(size, 0, maxSize_);
  bool accept = true;
  raised = DoCanResize(size, accept);
  if (raised.Gone() || !accept || !sizing_) return raised;
  // Neither MinSize nor OnCanResize takes the neighbour past the room its parent has.
  size = std::clamp(size, 0, maxSize_);
  if (size == newSize_) return raised;
  newSize_ = size;
  return SizeControl(size);
}

TRaised TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TRaised raised = TGraphicControl::MouseUp(button, shift, x, y);
  if (raised.Gone() || button != TMouseButton::mbLeft) return raised;
  return StopSizing();
}

TRaised TSplitter::StopSizing() {
  if (!sizing_) return TRaised(true);
  sizing_ = false;
  TControl* control = control_;
  control_ = nullptr;
  control->RemoveFreeNotification(this);
  return RaiseEvent(OnMoved, this);
}

void TSplitter::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation != TOperation::opRemove || component != control_) return;
  // Nothing is left to size: the drag ends here, without OnMoved, which would run while the neighbour is freed.
  control_ = nullptr;
  sizing_ = false;
}

TRaised TSplitter::Paint() {
  TCanvas* canvas = Canvas();
  RECT r = ClientRect();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  if (beveled_) DrawEdge(canvas->Handle(), &r, BDR_RAISEDINNER, Horizontal() ? BF_LEFT | BF_RIGHT : BF_TOP | BF_BOTTOM);
  return TRaised(true);
}

const TPublishedTable& TSplitter::PublishedTable() const {
  using P = TPublished<TSplitter>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          ControlProperty(L"Align"),
          ControlProperty(L"Color"),
          ControlProperty(L"ParentColor"),
          ControlProperty(L"Visible"),
          P::Boolean(L"AutoSnap", &TSplitter::AutoSnap, &TSplitter::SetAutoSnap).Default(true),
          P::Boolean(L"Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled).Default(false),
          P::Integer(L"MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30),
          P::Event(L"OnCanResize", &TSplitter::OnCanResize),
          P::Event(L"OnMoved", &TSplitter::OnMoved),
      });
  return table;
}

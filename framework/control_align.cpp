// Alignment of a windowed control's children: each Align kind takes its edge of the client area in turn, the
// client-aligned ones what is left; anchored children keep their distances to the anchored edges.
#include <algorithm>
#include <vector>

#include "framework/win_control.h"

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  if (--alignLevel_ == 0 && ControlState().Contains(TControlStateItem::csAlignmentNeeded)) Realign();
}

void TWinControl::AlignControl(TControl* control) {
  if (!handle_ || IsDestroying()) return;
  if (alignLevel_ != 0) {
    SetControlState(ControlState() + TControlStateItem::csAlignmentNeeded);
    return;
  }
  DisableAlign();
  RECT rect = ClientRect();
  AlignControls(control, rect);
  SetControlState(ControlState() - TControlStateItem::csAlignmentNeeded);
  --alignLevel_;
}

void TWinControl::AdjustClientRect(RECT& rect) { (void)rect; }

void TWinControl::AlignControls(TControl* control, RECT& rect) { AlignChildren(control, rect); }

namespace {

TAnchors AnchorsOfAlign(TAlign align) {
  using A = TAnchorKind;
  switch (align) {
    case TAlign::alTop:
      return {A::akLeft, A::akTop, A::akRight};
    case TAlign::alBottom:
      return {A::akLeft, A::akRight, A::akBottom};
    case TAlign::alLeft:
      return {A::akLeft, A::akTop, A::akBottom};
    case TAlign::alRight:
      return {A::akRight, A::akTop, A::akBottom};
    case TAlign::alClient:
      return {A::akLeft, A::akTop, A::akRight, A::akBottom};
    default:
      return {A::akLeft, A::akTop};
  }
}

// Whether c1 comes before c2 among the controls of one alignment: nearer the edge they align to first.
// One axis of an anchored control. With the far edge anchored, the rule is the size (both edges anchored) or the
// position (far edge only) the control had when the parent had originalParent pixels, and it grows as the parent
// does; with neither edge anchored, the rule is the centre, kept at the same proportion of the parent.
void AnchorAxis(bool nearAnchored, bool farAnchored, int parent, int originalParent, int rule, int& position,
                int& size) {
  if (farAnchored) {
    if (nearAnchored)
      size = parent - (originalParent - rule);
    else
      position = parent - (originalParent - rule);
  } else if (!nearAnchored) {
    position = MulDiv(rule, parent, originalParent) - size / 2;
  }
}

bool InsertBefore(const TControl* c1, const TControl* c2, TAlign align) {
  switch (align) {
    case TAlign::alTop:
      return c1->Top() < c2->Top();
    case TAlign::alBottom:
      return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
    case TAlign::alLeft:
      return c1->Left() < c2->Left();
    case TAlign::alRight:
      return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
    default:
      return false;
  }
}

}  // namespace

void TWinControl::AlignChildren(TControl* control, RECT& rect) {
  bool anythingToDo = std::any_of(controls_.begin(), controls_.end(), [](const TControl* c) {
    return c->Align() != TAlign::alNone || c->Anchors() != TAnchors{TAnchorKind::akLeft, TAnchorKind::akTop};
  });
  if (!anythingToDo) return;
  AdjustClientRect(rect);
  RECT client = ClientRect();

  auto position = [&](TControl* c, TAlign align) {
    if (align == TAlign::alNone || c->Anchors() != AnchorsOfAlign(align)) {
      // Anchored edges keep their distance to the parent's edges; an axis with neither edge anchored keeps the
      // control's centre at the same proportion of the parent.
      if (c->originalParentSize_.x != 0 && c->originalParentSize_.y != 0) {
        int newLeft = c->Left(), newTop = c->Top(), newWidth = c->Width(), newHeight = c->Height();
        POINT parentSize{client.right, client.bottom};
        TAnchors anchors = c->Anchors();
        AnchorAxis(anchors.Contains(TAnchorKind::akLeft), anchors.Contains(TAnchorKind::akRight), parentSize.x,
                   c->originalParentSize_.x, c->anchorRules_.x, newLeft, newWidth);
        AnchorAxis(anchors.Contains(TAnchorKind::akTop), anchors.Contains(TAnchorKind::akBottom), parentSize.y,
                   c->originalParentSize_.y, c->anchorRules_.y, newTop, newHeight);
        c->anchorMove_ = true;
        c->SetBounds(newLeft, newTop, newWidth, newHeight);
        c->anchorMove_ = false;
      }
      if (align == TAlign::alNone) return;
    }
    int newWidth = rect.right - rect.left;
    if (newWidth < 0 || align == TAlign::alLeft || align == TAlign::alRight) newWidth = c->Width();
    int newHeight = rect.bottom - rect.top;
    if (newHeight < 0 || align == TAlign::alTop || align == TAlign::alBottom) newHeight = c->Height();
    int newLeft = rect.left;
    int newTop = rect.top;
    switch (align) {
      case TAlign::alTop:
        rect.top += newHeight;
        break;
      case TAlign::alBottom:
        rect.bottom -= newHeight;
        newTop = rect.bottom;
        break;
      case TAlign::alLeft:
        rect.left += newWidth;
        break;
      case TAlign::alRight:
        rect.right -= newWidth;
        newLeft = rect.right;
        break;
      default:
        break;
    }
    c->anchorMove_ = true;
    c->SetBounds(newLeft, newTop, newWidth, newHeight);
    c->anchorMove_ = false;
    // A control that did not take the size it was given (constraints, OnCanResize) gives the rest back.
    int dw = newWidth - c->Width();
    int dh = newHeight - c->Height();
    switch (align) {
      case TAlign::alTop:
        rect.top -= dh;
        break;
      case TAlign::alBottom:
        rect.bottom += dh;
        break;
      case TAlign::alLeft:
        rect.left -= dw;
        break;
      case TAlign::alRight:
        rect.right += dw;
        break;
      case TAlign::alClient:
        rect.right += dw;
        rect.bottom += dh;
        break;
      default:
        break;
    }
  };

  for (TAlign align :
       {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient, TAlign::alNone}) {
    std::vector<TControl*> list;
    if (control && control->Align() == align && (align == TAlign::alNone || control->Visible()) &&
        ContainsControl(control) && control->Parent() == this)
      list.push_back(control);
    for (TControl* c : controls_) {
      if (c == control || c->Align() != align || (align != TAlign::alNone && !c->Visible())) continue;
      size_t j = 0;
      while (j < list.size() && !InsertBefore(c, list[j], align)) ++j;
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(j), c);
    }
    for (TControl* c : list) position(c, align);
  }
}

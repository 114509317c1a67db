// Alignment of a windowed control's children: each Align kind takes its edge of the client area in turn, the
// client-aligned ones what is left; anchored children keep their distances to the anchored edges.
#include <algorithm>
#include <utility>
#include <vector>

#include "framework/win_control.h"

void TWinControl::DisableAlign() { ++alignLevel_; }

TRaised TWinControl::EnableAlign() {
  if (--alignLevel_ == 0 && ControlState().Contains(TControlStateItem::csAlignmentNeeded)) return Realign();
  return TRaised(true);
}

TRaised TWinControl::AlignControl(TControl* control) {
  if (!handle_ || IsDestroying()) return TRaised(true);
  if (alignLevel_ != 0) {
    SetControlState(ControlState() + TControlStateItem::csAlignmentNeeded);
    return TRaised(true);
  }
  DisableAlign();
  RECT rect = ClientRect();
  if (AlignControls(control, rect).Gone()) return TRaised(false);
  SetControlState(ControlState() - TControlStateItem::csAlignmentNeeded);
  --alignLevel_;
  return TRaised(true);
}

void TWinControl::AdjustClientRect(RECT& rect) { (void)rect; }

TRaised TWinControl::AlignControls(TControl* control, RECT& rect) { return AlignChildren(control, rect); }

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

TRaised TWinControl::AlignChildren(TControl* control, RECT& rect) {
  bool anythingToDo = std::any_of(controls_.begin(), controls_.end(), [](const TControl* c) {
    return c->Align() != TAlign::alNone || c->Anchors() != TAnchors{TAnchorKind::akLeft, TAnchorKind::akTop};
  });
  if (!anythingToDo) return TRaised(true);
  AdjustClientRect(rect);
  RECT client = ClientRect();
  // Each child's new bounds raise its OnCanResize and OnResize, which may free this control, the child or any
  // other child: a freed child is passed over and takes none of the room, and this control freed ends the work.
  const TLifeWatch life = LifeWatch();
  // Answers whether both this control and the child outlived the child's new bounds.
  const auto setBounds = [&life](TControl* c, int left, int top, int width, int height) {
    c->anchorMove_ = true;
    if (c->SetBounds(left, top, width, height).Gone() || life.Ended()) return false;
    c->anchorMove_ = false;
    return true;
  };

  // Answers whether this control outlived the child's new bounds.
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
        if (!setBounds(c, newLeft, newTop, newWidth, newHeight)) return !life.Ended();
      }
      if (align == TAlign::alNone) return true;
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
    const bool childLives = setBounds(c, newLeft, newTop, newWidth, newHeight);
    if (life.Ended()) return false;
    // A control that did not take the size it was given (constraints, OnCanResize) gives the rest back; a freed
    // one gives all of it back.
    const int dw = newWidth - (childLives ? c->Width() : 0);
    const int dh = newHeight - (childLives ? c->Height() : 0);
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
    return true;
  };

  const TLifeWatch controlLife = control ? control->LifeWatch() : TLifeWatch();
  for (TAlign align :
       {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient, TAlign::alNone}) {
    if (controlLife.Ended()) control = nullptr;
    std::vector<std::pair<TControl*, TLifeWatch>> list;
    if (control && control->Align() == align && (align == TAlign::alNone || control->Visible()) &&
        ContainsControl(control) && control->Parent() == this)
      list.emplace_back(control, controlLife);
    for (TControl* c : controls_) {
      if (c == control || c->Align() != align || (align != TAlign::alNone && !c->Visible())) continue;
      size_t j = 0;
      while (j < list.size() && !InsertBefore(c, list[j].first, align)) ++j;
      list.emplace(list.begin() + static_cast<std::ptrdiff_t>(j), c, c->LifeWatch());
    }
    for (const auto& [c, childLife] : list)
      if (!childLife.Ended() && !position(c, align)) return TRaised(false);
  }
  return TRaised(true);
}

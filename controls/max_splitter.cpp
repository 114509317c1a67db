#include "controls/max_splitter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "framework/bitmap.h"
#include "framework/form.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/properties.h"

namespace controls {

namespace {

constexpr TColor kDefaultHighlightColor = 0xFFCFCF;
constexpr TColor kButtonShadeColor = clGray;
// A press that moves this far along the drag axis is a drag, not a click on the button.
constexpr int kClickSlop = 6;
// The neighbour's size asked for to push the splitter as far as it goes in either direction.
constexpr int kFarAway = 3000;
constexpr std::int64_t kFarTarget = std::int64_t{1} << 24;
// Gap between the button's ends and its arrows, and between an arrow and the grip texture.
constexpr int kArrowInset = 4;

int Channel(int caption, int face) { return caption + MulDiv(180, face - caption, 255); }

}  // namespace

TColor AutoButtonHighlightColor() {
  const auto caption = static_cast<COLORREF>(ColorToRGB(clActiveCaption));
  const auto face = static_cast<COLORREF>(ColorToRGB(clBtnFace));
  return static_cast<TColor>(RGB(Channel(GetRValue(caption), GetRValue(face)),
                                 Channel(GetGValue(caption), GetGValue(face)),
                                 Channel(GetBValue(caption), GetBValue(face))));
}

TMaxSplitter::TMaxSplitter(TComponent* owner) : TSplitter(owner), buttonHighlightColor_(kDefaultHighlightColor) {
  SetBeveled(false);
  // Nothing handles the events of a control in the making.
  (void)SetWidth(10);
}

// ---- properties ----

void TMaxSplitter::SetButtonValue(TColor& field, TColor value) {
  if (field == value) return;
  field = value;
  if (showButton_) Invalidate();
}

void TMaxSplitter::SetShowButton(bool value) {
  if (showButton_ == value) return;
  showButton_ = value;
  Invalidate();
}

void TMaxSplitter::SetButtonWidthType(TSplitterButtonWidthType value) {
  if (buttonWidthType_ == value) return;
  buttonWidthType_ = value;
  if (value == TSplitterButtonWidthType::btwPercentage) buttonWidth_ = std::min(buttonWidth_, 100);
  if (showButton_) Invalidate();
}

void TMaxSplitter::SetButtonWidth(int value) {
  value = std::max(value, 0);
  if (buttonWidthType_ == TSplitterButtonWidthType::btwPercentage) value = std::min(value, 100);
  if (buttonWidth_ == value) return;
  buttonWidth_ = value;
  if (showButton_) Invalidate();
}

void TMaxSplitter::SetAutoHighlightColor(bool value) {
  if (autoHighlightColor_ == value) return;
  autoHighlightColor_ = value;
  buttonHighlightColor_ = value ? AutoButtonHighlightColor() : kDefaultHighlightColor;
  if (showButton_) Invalidate();
}

void TMaxSplitter::SetAllowDrag(bool value) {
  allowDrag_ = value;
  POINT cursor;
  GetCursorPos(&cursor);
  const POINT client = ScreenToClient(cursor);
  ButtonHitTest(client.x, client.y);
}

int TMaxSplitter::NeighbourSize() const {
  const TControl* neighbour = FindControl();
  return neighbour ? SizeOf(neighbour) : -1;
}

TRaised TMaxSplitter::SetMaximized(bool value) {
  // The sizing drag's events, OnRestore and OnMaximize may free the splitter.
  if (value != maximized_) {
    if (IsLoading()) {
      maximized_ = value;
      return TRaised(true);
    }
    const int size = NeighbourSize();
    if (size < 0) return TRaised(true);
    if (value) {
      if (minimized_)
        minimized_ = false;
      else
        restorePos_ = size;
      if (UpdateControlSize(-kFarAway).Gone()) return TRaised(false);
      maximized_ = true;
    } else {
      if (UpdateControlSize(restorePos_).Gone()) return TRaised(false);
      maximized_ = false;
      if (DoRestore().Gone()) return TRaised(false);
    }
  }
  if (DoMaximize().Gone()) return TRaised(false);
  Invalidate();
  return TRaised(true);
}

TRaised TMaxSplitter::SetMinimized(bool value) {
  if (value == minimized_) return TRaised(true);
  if (IsLoading()) {
    minimized_ = value;
    return TRaised(true);
  }
  const int size = NeighbourSize();
  if (size < 0) return TRaised(true);
  if (value) {
    if (maximized_)
      maximized_ = false;
    else
      restorePos_ = size;
    minimized_ = true;
    const bool towardsEnd = Align() == TAlign::alTop || Align() == TAlign::alRight;
    if (UpdateControlSize(towardsEnd ? kFarAway : -kFarAway).Gone()) return TRaised(false);
    return DoMinimize();
  }
  minimized_ = false;
  if (UpdateControlSize(restorePos_).Gone()) return TRaised(false);
  return DoRestore();
}

// ---- sizing ----

TRaised TMaxSplitter::UpdateControlSize(int newSize) {
  const TControl* neighbour = FindControl();
  if (!neighbour) return TRaised(true);
  int press = 0;
  // Worked out wide: the size may come from a form and be anything.
  std::int64_t target = 0;
  switch (Align()) {
    case TAlign::alTop:
      press = Top();
      target = std::int64_t{neighbour->Top()} + newSize;
      break;
    case TAlign::alBottom:
      press = Top();
      target = std::int64_t{neighbour->Top()} + neighbour->Height() - Height() - newSize;
      break;
    case TAlign::alLeft:
      press = Left();
      target = std::int64_t{neighbour->Left()} + newSize;
      break;
    case TAlign::alRight:
      press = Left();
      target = std::int64_t{neighbour->Left()} + neighbour->Width() - Width() - newSize;
      break;
    default:
      return TRaised(true);
  }
  // Far enough to push the neighbour to either limit, near enough for the drag's own sums.
  const int to = static_cast<int>(std::clamp<std::int64_t>(target, -kFarTarget, kFarTarget));
  const bool horizontal = Horizontal();
  const TShiftState held{TShiftStateItem::ssLeft};
  // Each step of the drag raises events that may free the splitter.
  if (MouseDown(TMouseButton::mbLeft, held, horizontal ? press : 0, horizontal ? 0 : press).Gone()) return TRaised(false);
  if (MouseMove(held, horizontal ? to : 0, horizontal ? 0 : to).Gone()) return TRaised(false);
  if (MouseUp(TMouseButton::mbLeft, held, horizontal ? to : 0, horizontal ? 0 : to).Gone()) return TRaised(false);
  if (Parent()) Parent()->Update();
  return TRaised(true);
}

TRaised TMaxSplitter::DoCanResize(int& newSize, bool& accept) {
  const TRaised raised = TSplitter::DoCanResize(newSize, accept);
  if (raised.Gone()) return raised;
  if (accept && newSize < MinSize()) newSize = MinSize();
  return raised;
}

TRaised TMaxSplitter::Loaded() {
  if (TSplitter::Loaded().Gone()) return TRaised(false);
  if (restorePos_ == -1) restorePos_ = NeighbourSize();
  return TRaised(true);
}

TRaised TMaxSplitter::SetBounds(int left, int top, int width, int height) {
  if (TSplitter::SetBounds(left, top, width, height).Gone()) return TRaised(false);
  if (restorePos_ < 0) restorePos_ = NeighbourSize();
  return TRaised(true);
}

// ---- events ----

TRaised TMaxSplitter::DoMaximize() { return RaiseEvent(OnMaximize, this); }

TRaised TMaxSplitter::DoMinimize() { return RaiseEvent(OnMinimize, this); }

TRaised TMaxSplitter::DoRestore() { return RaiseEvent(OnRestore, this); }

TRaised TMaxSplitter::DoClose() { return RaiseEvent(OnClose, this); }

// ---- the button ----

RECT TMaxSplitter::ButtonRect() const {
  if (!showButton_) return RECT{};
  const bool horizontal = Horizontal();
  const int length = horizontal ? ClientHeight() : ClientWidth();
  const int thickness = horizontal ? ClientWidth() : ClientHeight();
  const int width =
      buttonWidthType_ == TSplitterButtonWidthType::btwPercentage ? buttonWidth_ * length / 100 : buttonWidth_;
  if (width < 1) return RECT{};
  // Along the splitter the button is centred and stays a pixel inside both ends; across it the button spans the
  // whole thickness, less the bevel.
  const int start = std::max((length - width) / 2, 1);
  const int end = std::max(std::min((length - width) / 2 + width, length - 1), start);
  const int inset = Beveled() ? 3 : 0;
  if (horizontal) return RECT{inset, start, thickness - inset, end};
  return RECT{start, inset, end, thickness - inset};
}

bool TMaxSplitter::ButtonHitTest(int x, int y) {
  const RECT r = ButtonRect();
  bool hit = false;
  if (!IsRectEmpty(&r)) hit = Horizontal() ? y >= r.top && y <= r.bottom : x >= r.left && x <= r.right;
  if (!hit && allowDrag_)
    SetCursor(Horizontal() ? crHSplit : crVSplit);
  else
    SetCursor(buttonCursor_);
  return hit;
}

int TMaxSplitter::DrawArrow(TCanvas* canvas, const RECT& rect, TColor color, int size, int offset) {
  const int s = std::max(size % 2 == 0 ? size - 1 : size, 1);
  const int base = 2 * s - 1;
  TAlign towards = Align();
  if (maximized_) {
    switch (towards) {
      case TAlign::alTop:
        towards = TAlign::alBottom;
        break;
      case TAlign::alBottom:
        towards = TAlign::alTop;
        break;
      case TAlign::alLeft:
        towards = TAlign::alRight;
        break;
      default:
        towards = TAlign::alLeft;
        break;
    }
  }
  const bool horizontal = Horizontal();
  // Along: where the base starts; across: where the arrow's s rows start.
  const int alongStart = horizontal ? rect.top : rect.left;
  const int alongEnd = horizontal ? rect.bottom : rect.right;
  const int along = offset >= 0 ? alongStart + offset : alongEnd + offset - base;
  const int acrossStart = horizontal ? rect.left : rect.top;
  const int acrossExtent = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
  const int across = acrossStart + (acrossExtent - s) / 2;
  const bool pointsBack = towards == TAlign::alLeft || towards == TAlign::alTop;
  const TColor rgb = ColorToRGB(color);
  for (int row = 0; row < s; ++row) {
    // Row 0 is the tip; each row further from it is two pixels wider.
    const int depth = pointsBack ? across + row : across + s - 1 - row;
    for (int i = s - 1 - row; i <= s - 1 + row; ++i) {
      if (horizontal)
        canvas->SetPixels(depth, along + i, rgb);
      else
        canvas->SetPixels(along + i, depth, rgb);
    }
  }
  return base;
}

void TMaxSplitter::PaintButton(bool highlight) {
  if (!showButton_ || !Enabled() || !GetParentForm(this)) return;
  if (autoHighlightColor_) buttonHighlightColor_ = AutoButtonHighlightColor();
  const RECT button = ButtonRect();
  const int w = button.right - button.left;
  const int h = button.bottom - button.top;
  if (w <= 0 || h <= 0) return;
  TBitmap bitmap;
  bitmap.SetSize(w, h);
  TCanvas* canvas = bitmap.Canvas();
  const TColor face = highlight ? buttonHighlightColor_ : buttonColor_;
  // The button is described along the splitter: a grey and a white line across each end, the face between.
  const bool horizontal = Horizontal();
  const int length = horizontal ? h : w;
  auto fillAcross = [&](int start, int end, TColor color) {
    canvas->Brush()->SetColor(color);
    canvas->FillRect(horizontal ? RECT{0, start, w, end} : RECT{start, 0, end, h});
  };
  fillAcross(0, length, face);
  fillAcross(0, 1, kButtonShadeColor);
  fillAcross(length - 2, length - 1, kButtonShadeColor);
  fillAcross(1, 2, clWhite);
  fillAcross(length - 1, length, clWhite);
  highlighted_ = highlight;

  RECT area = horizontal ? RECT{0, 0, w - 2, h - 1} : RECT{0, 0, w - 1, h - 2};
  LONG& areaStart = horizontal ? area.top : area.left;
  LONG& areaEnd = horizontal ? area.bottom : area.right;
  areaStart += kArrowInset;
  areaEnd -= kArrowInset;
  const int arrowSize = horizontal ? area.right - area.left : area.bottom - area.top;
  DrawArrow(canvas, area, arrowColor_, arrowSize, 1);
  const int base = DrawArrow(canvas, area, arrowColor_, arrowSize, -1);
  areaStart += kArrowInset + base;
  areaEnd -= kArrowInset + base;

  if (area.right - area.left >= 3 && area.bottom - area.top >= 3) {
    const TColor texture1 = ColorToRGB(textureColor1_);
    const TColor texture2 = ColorToRGB(textureColor2_);
    for (int y = area.top; y < area.bottom; y += 3) {
      for (int x = area.left; x < area.right; x += 3) {
        RECT cell{x, y, std::min<LONG>(x + 3, area.right), std::min<LONG>(y + 3, area.bottom)};
        canvas->Brush()->SetColor(face);
        canvas->FillRect(cell);
        if (x + 1 < cell.right && y + 1 < cell.bottom) canvas->SetPixels(x + 1, y + 1, texture1);
        if (x + 2 < cell.right && y + 2 < cell.bottom) canvas->SetPixels(x + 2, y + 2, texture2);
      }
    }
  }
  Canvas()->Draw(button.left, button.top, &bitmap);
}

TRaised TMaxSplitter::Paint() {
  if (TSplitter::Paint().Gone()) return TRaised(false);
  PaintButton(highlighted_);
  return TRaised(true);
}

// ---- mouse ----

void TMaxSplitter::HighlightAt(POINT client) {
  const bool hit = ButtonHitTest(client.x, client.y);
  if (hit != highlighted_) PaintButton(hit);
}

void TMaxSplitter::WMLButtonDown(TMessage& message) {
  if (Enabled()) {
    const POINT point = MessagePoint(message.LParam);
    buttonDown_ = ButtonHitTest(point.x, point.y);
    if (buttonDown_) downPos_ = ClientToScreen(point);
  }
  if (allowDrag_)
    TSplitter::Dispatch(message);
  else
    DefaultHandler(message);
}

void TMaxSplitter::WMLButtonUp(TMessage& message) {
  const bool wasMaximized = maximized_;
  // OnMouseUp, OnMoved, OnMaximize and OnRestore may free the splitter.
  const TLifeWatch life = LifeWatch();
  TSplitter::Dispatch(message);
  if (life.Ended()) return;
  const POINT point = MessagePoint(message.LParam);
  const bool onButton = buttonDown_ && ButtonHitTest(point.x, point.y) &&
                        std::abs(AlongDragAxis(ClientToScreen(point)) - AlongDragAxis(downPos_)) < kClickSlop;
  buttonDown_ = false;
  if (onButton) {
    if (StopSizing().Gone() || SetMaximized(!maximized_).Gone()) return;
  } else if (allowDrag_) {
    if (const TControl* neighbour = FindControl()) {
      maximized_ = SizeOf(neighbour) <= MinSize();
      if (maximized_) {
        if (UpdateControlSize(MinSize()).Gone() || (!wasMaximized && DoMaximize().Gone())) return;
      } else {
        restorePos_ = SizeOf(neighbour);
        if (wasMaximized && DoRestore().Gone()) return;
      }
    }
  }
  if (!life.Ended()) Invalidate();
}

void TMaxSplitter::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      if (allowDrag_) {
        const TLifeWatch life = LifeWatch();
        TSplitter::Dispatch(message);
        if (!life.Ended()) HighlightAt(MessagePoint(message.LParam));
      } else {
        DefaultHandler(message);
      }
      return;
    case CM_MOUSEENTER: {
      const TLifeWatch life = LifeWatch();
      TSplitter::Dispatch(message);
      if (life.Ended()) return;
      POINT cursor;
      GetCursorPos(&cursor);
      HighlightAt(ScreenToClient(cursor));
      return;
    }
    case CM_MOUSELEAVE: {
      const TLifeWatch life = LifeWatch();
      TSplitter::Dispatch(message);
      if (life.Ended()) return;
      if (highlighted_) PaintButton(false);
      buttonDown_ = false;
      return;
    }
    // The second press of a quick pair comes as a double click: it presses the button too.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      WMLButtonDown(message);
      return;
    case WM_LBUTTONUP:
      WMLButtonUp(message);
      return;
    default:
      TSplitter::Dispatch(message);
  }
}

// ---- streaming ----

void TMaxSplitter::DefineProperties(TFiler& filer) {
  TSplitter::DefineProperties(filer);
  filer.DefineProperty(
      L"RestorePos", [this](TReader& reader) { restorePos_ = reader.ReadInteger(); },
      [this](TWriter& writer) { writer.WriteInteger(restorePos_); }, maximized_ || minimized_);
}

const TPublishedTable& TMaxSplitter::PublishedTable() const {
  using P = TPublished<TMaxSplitter>;
  using M = TMaxSplitter;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          ControlProperty(L"Enabled"),
          P::Boolean(L"Beveled", &M::Beveled, &M::SetBeveled).Default(false),
          P::Boolean(L"ShowButton", &M::ShowButton, &M::SetShowButton).Default(true),
          P::Enumeration(L"ButtonWidthType", &M::ButtonWidthType, &M::SetButtonWidthType,
                         {L"btwPixels", L"btwPercentage"})
              .Default(TSplitterButtonWidthType::btwPixels),
          P::Integer(L"ButtonWidth", &M::ButtonWidth, &M::SetButtonWidth).Default(100),
          P::Event(L"OnMaximize", &M::OnMaximize),
          P::Event(L"OnMinimize", &M::OnMinimize),
          P::Event(L"OnRestore", &M::OnRestore),
          P::Event(L"OnClose", &M::OnClose),
          P::Boolean(L"Maximized", &M::Maximized, &M::SetMaximized).Default(false),
          P::Boolean(L"Minimized", &M::Minimized, &M::SetMinimized).Default(false),
          P::Color(L"ButtonColor", &M::ButtonColor, &M::SetButtonColor).Default(clBtnFace),
          P::Color(L"ButtonHighlightColor", &M::ButtonHighlightColor, &M::SetButtonHighlightColor)
              .Default(kDefaultHighlightColor),
          P::Color(L"ArrowColor", &M::ArrowColor, &M::SetArrowColor).Default(clNavy),
          P::Color(L"TextureColor1", &M::TextureColor1, &M::SetTextureColor1).Default(clWhite),
          P::Color(L"TextureColor2", &M::TextureColor2, &M::SetTextureColor2).Default(clNavy),
          P::Boolean(L"AutoHighlightColor", &M::AutoHighlightColor, &M::SetAutoHighlightColor).Default(false),
          P::Boolean(L"AllowDrag", &M::AllowDrag, &M::SetAllowDrag).Default(true),
          P::Integer(L"ButtonCursor", &M::ButtonCursor, &M::SetButtonCursor).Default(crDefault),
          P::Text(L"Version", &M::Version, &M::SetVersion),
      });
  return table;
}

namespace {

void RegisterMaxSplitter() { RegisterPersistentClass(TMaxSplitter::StaticClass()); }
void UnregisterMaxSplitter() { UnregisterPersistentClass(TMaxSplitter::StaticClass()); }

}  // namespace

const TUnit& MaxSplitterUnit() {
  static const TUnit unit{L"MaxSplitter", &RegisterMaxSplitter, &UnregisterMaxSplitter, {&ControlsUnit()}};
  return unit;
}

}  // namespace controls

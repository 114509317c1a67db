#include "tree/tree_hint_window.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/screen.h"
#include "framework/window_dc.h"
#include "tree/base_tree.h"
#include "tree/draw_tree.h"
#include "tree/screen_source.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_drawing.h"
#include "tree/tree_header.h"
#include "tree/tree_unit.h"

namespace tree {

namespace {

constexpr int ShadowWidth = 5;
// Darkness of the shadow's layers, outermost first.
constexpr int ShadowAlphas[ShadowWidth] = {5, 10, 20, 35, 50};

// A memory DC with a font selected, for measuring before the window exists.
class TMeasureDC {
 public:
  explicit TMeasureDC(HFONT font) : dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_, font)) {}
  ~TMeasureDC() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  TMeasureDC(const TMeasureDC&) = delete;
  TMeasureDC& operator=(const TMeasureDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

bool TooltipMode(const TTreeHintData& data) {
  return data.Node && data.Tree && !data.TreeLife.Ended() && data.Tree->HintMode() == TTreeHintMode::hmTooltip;
}

}  // namespace

bool HintWindowDestroyed = false;

TTreeHintWindow::TTreeHintWindow(TComponent* owner) : THintWindow(owner) {
  Make32BitBitmap(background_, 0, 0);
  Make32BitBitmap(drawBuffer_, 0, 0);
  Make32BitBitmap(target_, 0, 0);
  HintWindowDestroyed = false;
}

TTreeHintWindow::~TTreeHintWindow() { HintWindowDestroyed = true; }

int TTreeHintWindow::ShadowSize() { return HasMMX ? ShadowWidth : 0; }

void TTreeHintWindow::CreateParams(TCreateParams& params) {
  THintWindow::CreateParams(params);
  params.Style = WS_POPUP;
  params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

RECT TTreeHintWindow::CalcHintRect(int maxWidth, const String& hint, void* data) {
  (void)hint;
  SetBiDiMode(TBiDiMode::bdLeftToRight);
  hintData_ = data ? *static_cast<const TTreeHintData*>(data) : TTreeHintData();
  TBaseTree* tree = LiveTree();
  if (!tree) return RECT{};
  // A draw tree sizes (and later draws) its node hints itself.
  if (auto* drawTree = ObjectAs<TCustomDrawTree>(tree); drawTree && hintData_.Node) {
    if (drawTree->DoGetHintSize(hintData_.Node, hintData_.Column, hintData_.HintRect).NodeGone()) return RECT{};
    RECT result = hintData_.HintRect;
    OffsetRect(&result, -result.left, -result.top);
    return result;
  }

  TTreeColumns* columns = tree->Header()->Columns();
  if (hintData_.Column > NoColumn && columns->IsValidColumn(hintData_.Column)) {
    hintData_.BidiMode = columns->Items(hintData_.Column)->BiDiMode();
    hintData_.Alignment = columns->Items(hintData_.Column)->Alignment();
  } else {
    hintData_.BidiMode = tree->BiDiMode();
    hintData_.Alignment = tree->Alignment();
  }
  if (hintData_.BidiMode != TBiDiMode::bdLeftToRight && hintData_.Alignment != TAlignment::taCenter)
    hintData_.Alignment =
        hintData_.Alignment == TAlignment::taLeftJustify ? TAlignment::taRightJustify : TAlignment::taLeftJustify;

  bool tooltip = TooltipMode(hintData_);
  Canvas()->SetFont(tooltip || !Screen ? tree->Font() : Screen->HintFont());
  // Each handler may free the node or the tree: there is no hint to show then.
  if (auto* stringTree = ObjectAs<TCustomStringTree>(tree);
      stringTree && tooltip &&
      stringTree->DoPaintText(hintData_.Node, Canvas(), hintData_.Column, TVSTTextType::ttNormal).NodeGone())
    return RECT{};
  TMeasureDC measure(Canvas()->Font()->Handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(measure.Get(), &metrics);
  textHeight_ = metrics.tmHeight;

  if (!hintData_.DefaultHint.empty())
    hintData_.HintText = hintData_.DefaultHint;
  else if (tree->HintMode() == TTreeHintMode::hmTooltip
               ? tree->DoGetNodeTooltip(hintData_.Node, hintData_.Column, hintData_.HintText).NodeGone()
               : tree->DoGetNodeHint(hintData_.Node, hintData_.Column, hintData_.HintText).NodeGone())
    return RECT{};
  if (hintData_.HintText.empty()) return RECT{};

  RECT result{};
  if (!tooltip) {
    result = RECT{0, 0, maxWidth, textHeight_};
    DrawWideText(measure.Get(), hintData_.HintText.c_str(), static_cast<int>(hintData_.HintText.size()), result,
                 DT_CALCRECT, true);
    result.bottom += 6;
    result.right += 2 * tree->TextMargin() + 2;
  } else {
    result = tree->GetDisplayRect(hintData_.Node, hintData_.Column, true, true);
    if (!LiveTree()) return RECT{};
    if (tree->TreeOptions()->PaintOptions().Contains(TTreePaintOption::toShowHorzGridLines)) --result.bottom;
    InflateRect(&result, 1, 1);
    OffsetRect(&result, -result.left, -result.top);
  }
  result.right += ShadowSize();
  result.bottom += ShadowSize();
  return result;
}

TRaised TTreeHintWindow::ActivateHint(RECT rect, const String& hint) {
  TBaseTree* tree = LiveTree();
  if (!tree) return TRaised(true);
  if (tree->HasState(TTreeState::stInAnimation)) {
    if (Application) Application->CancelHint();
    return TRaised(true);
  }
  if (SetCaption(hint).Gone()) return TRaised(false);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (Screen) {
    // Bottom first, then top, right and left: the top-left corner wins on a desktop too small for the hint.
    RECT desktop = Screen->DesktopRect();
    if (rect.top + height > desktop.bottom) rect.top = desktop.bottom - height;
    if (rect.top < desktop.top) rect.top = desktop.top;
    if (rect.left + width > desktop.right) rect.left = desktop.right - width;
    if (rect.left < desktop.left) rect.left = desktop.left;
  }
  if (SetBounds(rect.left, rect.top, width, height).Gone()) return TRaised(false);
  // The window's own handlers ran: the tree may have gone meanwhile.
  tree = LiveTree();
  if (!tree) return TRaised(true);
  SetWindowPos(Handle(), nullptr, rect.left, rect.top, width, height,
               SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOOWNERZORDER);
  Make32BitBitmap(background_, width, height);
  Make32BitBitmap(drawBuffer_, width, height);
  Make32BitBitmap(target_, width, height);
  if (tree->HandleAllocated()) tree->Update();
  {
    TScreenDC screen;
    BitBlt(background_.Canvas()->Handle(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
  }
  KillTimer(Handle(), HintAnimationTimer);
  animation_ = tree->DoGetAnimationType(tree->HintAnimation());
  step_ = 0;
  int duration = static_cast<int>(tree->AnimationDuration());
  if (animation_ == THintAnimationType::hatFade) {
    steps_ = 255;
    duration *= 2;
  } else if (animation_ == THintAnimationType::hatSlide) {
    steps_ = height;
  } else {
    animation_ = THintAnimationType::hatNone;
  }
  if (animation_ != THintAnimationType::hatNone) {
    int ticks = std::max(1, duration / static_cast<int>(HintAnimationInterval));
    stepSize_ = std::max(1, steps_ / ticks);
    step_ = 1;
    SetTimer(Handle(), HintAnimationTimer, HintAnimationInterval, nullptr);
  }
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  ValidateRect(Handle(), nullptr);
  // A drawing handler that raises still gives the DC back.
  const TWindowDC dc(Handle(), GetDC(Handle()));
  if (DrawHint().Gone()) return TRaised(false);
  InternalPaint(dc.Handle(), step_);
  return TRaised(true);
}

void TTreeHintWindow::AnimationTick() {
  // The hint may have been hidden while the animation ran: then it ends here.
  if (!HandleAllocated() || !IsWindowVisible(Handle()) || animation_ == THintAnimationType::hatNone) {
    KillTimer(WindowHandle(), HintAnimationTimer);
    animation_ = THintAnimationType::hatNone;
    return;
  }
  // A hint window that went away meanwhile ends the animation: the whole hint shows at once.
  step_ = HintWindowDestroyed ? steps_ : step_ + stepSize_;
  if (step_ >= steps_) {
    KillTimer(Handle(), HintAnimationTimer);
    animation_ = THintAnimationType::hatNone;
    step_ = 0;
  }
  const TWindowDC dc(Handle(), GetDC(Handle()));
  InternalPaint(dc.Handle(), step_);
}

TRaised TTreeHintWindow::DrawHint() {
  int shadow = ShadowSize();
  int width = drawBuffer_.Width() - shadow, height = drawBuffer_.Height() - shadow;
  TBaseTree* tree = LiveTree();
  if (!tree) return TRaised(true);
  TCanvas* canvas = drawBuffer_.Canvas();
  canvas->SetFont(Canvas()->Font());
  // The tree's handlers may free the tree, or this hint: a hint whose tree went draws nothing more of it.
  const TLifeWatch life = LifeWatch();
  if (auto* drawTree = ObjectAs<TCustomDrawTree>(tree); drawTree && hintData_.Node)
    return AnswerFor(life, drawTree->DoDrawHint(canvas, hintData_.Node, RECT{0, 0, width, height}, hintData_.Column)
                               .Tree());
  int textTop = 2;
  if (TooltipMode(hintData_)) {
    RECT cell{};
    String text;
    const bool treeGone = tree->GetTextInfo(hintData_.Node, hintData_.Column, canvas->Font(), cell, text).TreeGone();
    if (life.Ended()) return TRaised(false);
    if (treeGone) return TRaised(true);
    textTop = (height - textHeight_) / 2;
  }
  HDC dc = canvas->Handle();
  canvas->Font()->SetColor(clInfoText);
  SelectObject(dc, canvas->Font()->Handle());
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
  HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
  Rectangle(dc, 0, 0, width, height);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);

  int margin = tree->TextMargin() + 1;
  RECT r{margin, 1, width - margin, height - 1};
  UINT format = DT_LEFT;
  if (hintData_.BidiMode != TBiDiMode::bdLeftToRight) {
    format = DT_RIGHT | DT_RTLREADING;
    ++r.right;
  }
  r.top = textTop;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  DrawWideText(dc, hintData_.HintText.c_str(), static_cast<int>(hintData_.HintText.size()), r, format, false);
  return TRaised(true);
}

void TTreeHintWindow::DrawShadow(HDC dc, int width, int height) {
  int s = ShadowSize();
  for (int layer = 0; layer < s; ++layer) {
    RECT bottom{s + layer, height - s, width - layer, height - layer};
    RECT right{width - s, s + layer, width - layer, height - s};
    BlendBitmapRect(nullptr, dc, bottom, POINT{}, TBlendMode::blendConstantWithColor, ShadowAlphas[layer], 0);
    BlendBitmapRect(nullptr, dc, right, POINT{}, TBlendMode::blendConstantWithColor, ShadowAlphas[layer], 0);
  }
}

void TTreeHintWindow::InternalPaint(HDC dc, int step) {
  int width = drawBuffer_.Width(), height = drawBuffer_.Height(), shadow = ShadowSize();
  HDC buffer = drawBuffer_.Canvas()->Handle(), target = target_.Canvas()->Handle();
  BitBlt(target, 0, 0, width, height, background_.Canvas()->Handle(), 0, 0, SRCCOPY);
  if (animation_ == THintAnimationType::hatFade) {
    BlendBitmapRect(buffer, target, RECT{0, 0, width - shadow, height - shadow}, POINT{0, 0}, TBlendMode::blendConstant,
                    step * 256 / 255, 0);
  } else if (animation_ == THintAnimationType::hatSlide && step >= 1) {
    // The hint's bottom rows come down from the top edge.
    int rows = std::min(step, height - shadow);
    BitBlt(target, 0, 0, width - shadow, rows, buffer, 0, height - shadow - rows, SRCCOPY);
    BitBlt(dc, 0, 0, width, height, target, 0, 0, SRCCOPY);
    return;
  } else {
    BitBlt(target, 0, 0, width - shadow, height - shadow, buffer, 0, 0, SRCCOPY);
  }
  if (shadow > 0) DrawShadow(target, width, height);
  BitBlt(dc, 0, 0, width, height, target, 0, 0, SRCCOPY);
}

TRaised TTreeHintWindow::Paint() {
  if (DrawHint().Gone()) return TRaised(false);
  InternalPaint(Canvas()->Handle(), step_);
  return TRaised(true);
}

bool TTreeHintWindow::IsHintMsg(const MSG& msg) {
  if (msg.message == WM_NCMOUSEMOVE) return false;
  if (!HandleAllocated() || !IsWindowVisible(WindowHandle())) return false;
  return THintWindow::IsHintMsg(msg);
}

void TTreeHintWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      message.Result = 1;
      return;
    case WM_NCPAINT:
      message.Result = 0;
      return;
    case CM_TEXTCHANGED:
      return;
    case WM_TIMER:
      if (message.WParam == HintAnimationTimer) {
        AnimationTick();
        return;
      }
      break;
    default:
      break;
  }
  THintWindow::Dispatch(message);
}

}  // namespace tree

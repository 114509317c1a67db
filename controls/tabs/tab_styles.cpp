#include "controls/tabs/tab_styles.h"

#include <algorithm>
#include <vector>

namespace controls {

namespace {

constexpr int kLightBrushLift = 20;
// The NetFlat scroll buttons' squares: the arrow button is this much shorter than the tab.
constexpr int kNetFlatScrollInset = 15;

RECT Shrunk(RECT rect, int by) {
  InflateRect(&rect, -by, -by);
  return rect;
}

RECT Moved(const RECT& rect, const RECT& by) {
  return RECT{rect.left + by.left, rect.top + by.top, rect.right + by.right, rect.bottom + by.bottom};
}

// One edge piece of a classic tab: offsets applied to the tab's rectangle as they are (not turned), then the
// edge kind and the side drawn.
struct TEdgePiece {
  RECT Offsets;
  UINT Edge;
  UINT Side;
};

// The edges of a classic tab for each side it may sit on; w and h are the tab's width and height. The one-pixel
// pieces cut the two outer corners.
std::vector<TEdgePiece> StandardTabEdges(TPcTabPosition position, int w, int h) {
  switch (position) {
    case TPcTabPosition::pctpBottom:
      return {{{0, 0, 0, -2}, BDR_RAISEDINNER, BF_LEFT},
              {{0, 0, 0, -2}, EDGE_RAISED, BF_RIGHT},
              {{1, 1, 2 - w, -1}, BDR_SUNKENOUTER, BF_BOTTOM},
              {{2, 0, -2, 0}, EDGE_RAISED, BF_BOTTOM},
              {{w - 2, 0, -1, -1}, BDR_RAISEDOUTER, BF_BOTTOM}};
    case TPcTabPosition::pctpLeft:
      return {{{3, 0, 0, 0}, EDGE_RAISED, BF_BOTTOM},          {{2, 0, 3 - w, 0}, BDR_RAISEDINNER, BF_BOTTOM},
              {{2, 0, 3 - w, -1}, BDR_RAISEDOUTER, BF_BOTTOM}, {{1, 0, 2 - w, -1}, BDR_RAISEDINNER, BF_BOTTOM},
              {{0, 2, 0, -2}, BDR_RAISEDINNER, BF_LEFT},       {{1, 1, 0, 2 - h}, BDR_RAISEDINNER, BF_LEFT},
              {{2, 0, 0, 0}, BDR_RAISEDINNER, BF_TOP}};
    case TPcTabPosition::pctpRight:
      return {{{0, 0, -2, 0}, BDR_RAISEDINNER, BF_TOP},
              {{w - 2, 1, -1, 0}, BDR_RAISEDINNER, BF_TOP},
              {{0, 2, 0, -2}, EDGE_RAISED, BF_RIGHT},
              {{0, 2, -2, 0}, EDGE_RAISED, BF_BOTTOM},
              {{w - 2, 0, -1, -1}, BDR_RAISEDOUTER, BF_BOTTOM}};
    case TPcTabPosition::pctpTop:
    default:
      return {{{0, 2, 0, 0}, BDR_RAISEDINNER, BF_LEFT},
              {{1, 1, 2 - w, 0}, BDR_RAISEDINNER, BF_TOP},
              {{2, 0, -2, 0}, BDR_RAISEDINNER, BF_TOP},
              {{0, 2, 0, 0}, EDGE_RAISED, BF_RIGHT},
              {{w - 2, 1, -1, 0}, BDR_SUNKENINNER, BF_TOP}};
  }
}

// The parts every style's button shares: the painter it draws for and the placement helpers.
class TStyledButton : public TPcPageControlButton {
 public:
  using TPcPageControlButton::TPcPageControlButton;

 protected:
  TPcTabPosition Position() const { return Owner()->PageControl()->TabPosition(); }
  int Indent() const { return Owner()->GetIndent(); }
  RECT Inset(const RECT& rect, int dLeft, int dTop, int dRight, int dBottom) const {
    return InsetForPosition(rect, Position(), dLeft, dTop, dRight, dBottom);
  }
  void Fill(const RECT& rect, HBRUSH brush) const { ::FillRect(DC(), &rect, brush); }
  void Edge(RECT rect, UINT edge, UINT sides) const { ::DrawEdge(DC(), &rect, edge, sides); }
  void Focus(const RECT& rect) const {
    if (ShowsFocus()) ::DrawFocusRect(DC(), &rect);
  }
};

}  // namespace

// ---- the light brush ----

TPcPageControlLightBrush::~TPcPageControlLightBrush() {
  if (brush_) DeleteObject(brush_);
}

HBRUSH TPcPageControlLightBrush::Handle() {
  if (!brush_) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto lift = [](int channel) { return static_cast<BYTE>(std::min(channel + kLightBrushLift, 255)); };
    brush_ = CreateSolidBrush(RGB(lift(GetRValue(face)), lift(GetGValue(face)), lift(GetBValue(face))));
  }
  return brush_;
}

// ---- pctsTabs ----

class TPcPageControlStandardButton : public TStyledButton {
 public:
  using TStyledButton::TStyledButton;

  void Paint() override {
    const int m = Indent();
    const bool oneRow = Owner()->GetRowCount() == 1;
    const bool highlighted = Owner()->IsHighlighted(this);
    RECT r;
    if (Active()) {
      r = Inset(Rect(), -m, oneRow ? 0 : -m, m, m - 1);
      if (Position() == TPcTabPosition::pctpBottom || Position() == TPcTabPosition::pctpRight) r = Inset(r, 0, 0, 0, 1);
    } else {
      r = oneRow ? Inset(Rect(), 0, m, 0, 0) : Rect();
    }
    if (highlighted) {
      Fill(Inset(r, 1, 1, -1, 0), GetSysColorBrush(COLOR_HIGHLIGHT));
    } else if (Active()) {
      TCanvas* canvas = Owner()->Canvas();
      canvas->Brush()->SetColor(Owner()->PageControl()->Color());
      canvas->FillRect(r);
    }
    for (const TEdgePiece& piece : StandardTabEdges(Position(), r.right - r.left, r.bottom - r.top))
      Edge(Moved(r, piece.Offsets), piece.Edge, piece.Side);
    r = Shrunk(r, 1);
    const RECT text = Active() ? Inset(ContentRect(Rect()), -m, -m, -m, -m) : ContentRect(Rect());
    if (DrawContent(r, ImageRect(Rect()), text)) Focus(Shrunk(r, m + 1));
  }
};

void TPcPageControlStandardButtons::GetPageBorders(int& left, int& top, int& right, int& bottom) const {
  left = 1;
  top = 1;
  right = 2;
  bottom = 2;
}

void TPcPageControlStandardButtons::DrawPageBorder() {
  const RECT frame{-1, -1, PageControl()->Width(), PageControl()->Height()};
  DrawEdge(InsetForPosition(frame, PageControl()->TabPosition(), 0, GetTabsAreaHeight(), 0, 0), EDGE_RAISED, BF_RECT);
}

void TPcPageControlStandardButtons::DrawScrollButtons() {
  if (!NeedScrollButtons()) return;
  HDC dc = Canvas()->Handle();
  RECT left = LeftScrollRect();
  RECT right = RightScrollRect();
  DrawFrameControl(dc, &left, DFC_SCROLL, DFCS_SCROLLLEFT | (ScrollState() == ssLeftPressed ? DFCS_PUSHED : 0));
  DrawFrameControl(dc, &right, DFC_SCROLL, DFCS_SCROLLRIGHT | (ScrollState() == ssRightPressed ? DFCS_PUSHED : 0));
  ExcludeScrollStrip();
}

bool TPcPageControlStandardButtons::IsHighlighted(const TPcPageControlButton* button) const {
  return button->Page()->Highlighted();
}

std::unique_ptr<TPcPageControlButton> TPcPageControlStandardButtons::CreateButton(TPcTabSheet* sheet) {
  return std::make_unique<TPcPageControlStandardButton>(this, sheet);
}

// ---- pctsButtons ----

class TPcPageControlBtnButton : public TStyledButton {
 public:
  using TStyledButton::TStyledButton;

  void Paint() override {
    RECT r = Shrunk(Rect(), 1);
    if (Active()) {
      Edge(r, EDGE_SUNKEN, BF_RECT);
      r = Shrunk(r, 2);
      Fill(r, static_cast<TPcPageControlBtnButtons*>(Owner())->LightBrush());
      Focus(r);
    } else {
      Edge(r, EDGE_RAISED, BF_RECT);
    }
    DrawContent(r, ImageRect(Rect()), ContentRect(Rect()));
  }
};

int TPcPageControlBtnButtons::GetTabHeight() const {
  const int height = TPcPageControlStandardButtons::GetTabHeight();
  return PageControl()->TabHeight() == 0 ? height + 2 * GetIndent() : height;
}

void TPcPageControlBtnButtons::GetPageBorders(int& left, int& top, int& right, int& bottom) const {
  TPcPageControlButtons::GetPageBorders(left, top, right, bottom);
}

bool TPcPageControlBtnButtons::IsHighlighted(const TPcPageControlButton* button) const {
  return TPcPageControlButtons::IsHighlighted(button);
}

std::unique_ptr<TPcPageControlButton> TPcPageControlBtnButtons::CreateButton(TPcTabSheet* sheet) {
  return std::make_unique<TPcPageControlBtnButton>(this, sheet);
}

// ---- pctsFlatButtons ----

class TPcPageControlFlatBtnButton : public TStyledButton {
 public:
  using TStyledButton::TStyledButton;

  void CalcWidth() override {
    TStyledButton::CalcWidth();
    if (Owner()->PageControl()->TabWidth() == 0) SetWidth(Width() + 4 * Indent());
  }

  void Paint() override {
    const int m = Indent();
    RECT face = Inset(Rect(), m, 0, -3 * m, 0);
    if (Active()) {
      Edge(face, EDGE_SUNKEN, BF_RECT);
      face = Shrunk(face, 2);
      Fill(face, static_cast<TPcPageControlBtnButtons*>(Owner())->LightBrush());
      Focus(face);
    } else if (Owner()->HotButton() == this) {
      Edge(face, BDR_RAISEDINNER, BF_RECT);
    }
    UINT separator = BF_RIGHT;
    if (Position() == TPcTabPosition::pctpLeft) separator = BF_TOP;
    if (Position() == TPcTabPosition::pctpRight) separator = BF_BOTTOM;
    Edge(Shrunk(Rect(), 1), EDGE_ETCHED, separator);
    DrawContent(face, ImageRect(Inset(Rect(), m, 0, 0, 0)), Inset(ContentRect(Rect()), m, 0, -3 * m, 0));
  }
};

std::unique_ptr<TPcPageControlButton> TPcPageControlFlatBtnButtons::CreateButton(TPcTabSheet* sheet) {
  return std::make_unique<TPcPageControlFlatBtnButton>(this, sheet);
}

// ---- pctsFlat ----

class TPcPageControlNetFlatButton : public TStyledButton {
 public:
  using TStyledButton::TStyledButton;

  void Paint() override {
    const int m = Indent();
    const RECT& rect = Rect();
    const int length = IsSide(Position()) ? rect.bottom - rect.top : rect.right - rect.left;
    const int thickness = IsSide(Position()) ? rect.right - rect.left : rect.bottom - rect.top;
    RECT face = rect;
    if (Active()) {
      face = Inset(rect, -1, m, 0, 0);
      Fill(face, GetSysColorBrush(COLOR_BTNFACE));
      const HBRUSH outer = static_cast<TPcPageControlNetFlatButtons*>(Owner())->OuterLineBrush();
      Fill(Inset(rect, length - 1, 2, 0, -2), GetSysColorBrush(COLOR_BTNTEXT));
      Fill(Inset(rect, -1, 2, -length, -2), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      Fill(Inset(rect, 0, 2, 0, 3 - thickness), outer);
      Fill(Inset(rect, -m, thickness - m - 1, -Width(), -m), outer);
    } else {
      Fill(Inset(rect, length - 1, 2, 0, -4), GetSysColorBrush(COLOR_BTNFACE));
    }
    DrawContent(face, ImageRect(rect), Inset(ContentRect(rect), 0, 2 * m, 0, -1));
  }
};

int TPcPageControlNetFlatButtons::GetTabHeight() const {
  const int height = TPcPageControlButtons::GetTabHeight();
  return PageControl()->TabHeight() == 0 ? height + GetIndent() : height;
}

HBRUSH TPcPageControlNetFlatButtons::OuterLineBrush() const {
  const TPcTabPosition position = PageControl()->TabPosition();
  if (position == TPcTabPosition::pctpTop || position == TPcTabPosition::pctpLeft)
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  return GetSysColorBrush(COLOR_BTNTEXT);
}

void TPcPageControlNetFlatButtons::DrawBackground() { FillRect(TabAreaRect(), lightBrush_.Handle()); }

void TPcPageControlNetFlatButtons::DrawPageBorder() {
  if (ButtonCount() == 0) return;
  const TPcTabPosition position = PageControl()->TabPosition();
  const RECT area = TabAreaRect();
  const int rows = GetRowCount();
  const int areaHeight = GetTabsAreaHeight();
  for (int row = 0; row < rows; ++row) {
    const int d = (GetTabHeight() + GetIndent()) * (rows - row);
    const RECT band = InsetForPosition(area, position, 0, d - 3, 0, d - areaHeight);
    FillRect(InsetForPosition(band, position, 0, 1, 0, 0), COLOR_BTNFACE);
    FillRect(InsetForPosition(band, position, 0, 0, 0, -2), OuterLineBrush());
  }
}

void TPcPageControlNetFlatButtons::CalcScrollButtonRects() {
  if (!NeedScrollButtons()) {
    SetScrollRects(RECT{}, RECT{});
    return;
  }
  const int m = GetIndent();
  const RECT r = InsetForPosition(TabAreaRect(), PageControl()->TabPosition(), 0,
                                  GetTabHeight() - kNetFlatScrollInset - 2 * m, 0, -2 * m);
  const int h = r.bottom - r.top;
  const RECT right{r.right - h, r.top, r.right, r.bottom};
  SetScrollRects(RECT{right.left - 2 * m - h, r.top, right.left - 2 * m, r.bottom}, right);
}

void TPcPageControlNetFlatButtons::DrawScrollButton(const RECT& rect, bool pressed, bool hot, bool pointsLeft) {
  HDC dc = Canvas()->Handle();
  if (pressed || hot) DrawEdge(Shrunk(rect, 2), pressed ? BDR_SUNKENINNER : BDR_RAISEDOUTER, BF_RECT);
  const RECT inner = Shrunk(rect, 1);
  const int x = (inner.bottom - inner.top) - 6;
  int n = (x - 1) / 2 + (x % 2 != 0 ? 1 : 0);
  n = std::max(n, 3);
  const int x0 = (inner.left + inner.right - n) / 2;
  const int y0 = (inner.top + inner.bottom - 2 * n + 1) / 2;
  POINT points[3];
  if (pointsLeft) {
    points[0] = POINT{x0 + n - 1, y0};
    points[1] = POINT{x0 + n - 1, y0 + 2 * n - 2};
    points[2] = POINT{x0, y0 + n - 1};
  } else {
    points[0] = POINT{x0, y0};
    points[1] = POINT{x0, y0 + 2 * n - 2};
    points[2] = POINT{x0 + n - 1, y0 + n - 1};
  }
  const COLORREF color = GetSysColor(pressed ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  ::Polygon(dc, points, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void TPcPageControlNetFlatButtons::DrawScrollButtons() {
  if (!NeedScrollButtons()) return;
  DrawScrollButton(LeftScrollRect(), ScrollState() == ssLeftPressed, ScrollState() == ssLeftHot, true);
  DrawScrollButton(RightScrollRect(), ScrollState() == ssRightPressed, ScrollState() == ssRightHot, false);
  ExcludeScrollStrip();
}

std::unique_ptr<TPcPageControlButton> TPcPageControlNetFlatButtons::CreateButton(TPcTabSheet* sheet) {
  return std::make_unique<TPcPageControlNetFlatButton>(this, sheet);
}

std::unique_ptr<TPcPageControlButtons> CreatePainter(TPcTabStyle style, TPcCustomPageControl* pageControl) {
  switch (style) {
    case TPcTabStyle::pctsTabs:
      return std::make_unique<TPcPageControlStandardButtons>(pageControl);
    case TPcTabStyle::pctsButtons:
      return std::make_unique<TPcPageControlBtnButtons>(pageControl);
    case TPcTabStyle::pctsFlatButtons:
      return std::make_unique<TPcPageControlFlatBtnButtons>(pageControl);
    case TPcTabStyle::pctsFlat:
    default:
      return std::make_unique<TPcPageControlNetFlatButtons>(pageControl);
  }
}

}  // namespace controls

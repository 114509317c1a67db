#include "controls/tabs/tab_painter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "controls/tabs/tab_styles.h"
#include "framework/form.h"

namespace controls {

namespace {

constexpr int kRotatedUp = 900;
constexpr int kRotatedDown = -900;
constexpr wchar_t kMeasureText[] = L"Wt";
constexpr int kCaptionPadding = 10;

// No coordinate of a tab gets near this; products of tab sizes and row counts stop here, so no sum overflows.
constexpr std::int64_t kMaxExtent = std::int64_t{1} << 24;

int Bounded(std::int64_t value) { return static_cast<int>(std::clamp(value, -kMaxExtent, kMaxExtent)); }

int RectWidth(const RECT& rect) { return rect.right - rect.left; }
int RectHeight(const RECT& rect) { return rect.bottom - rect.top; }

// The hover colour of a caption: the system's hot-light colour where the systems of that time had one for
// tabs (the 98/ME family and NT 5), pure blue on every other.
COLORREF HotCaptionColor() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
  const bool known = GetVersionExW(&info) != 0;
  const bool nineX = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMinorVersion != 0;
  const bool nt5 = info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 5;
  return known && (nineX || nt5) ? GetSysColor(COLOR_HOTLIGHT) : static_cast<COLORREF>(ColorToRGB(clBlue));
}

// The caption of a page as its tab shows it: one blank for an empty caption, so the tab has a size.
String TabCaption(TPcTabSheet* page) {
  String caption = page->Caption();
  return caption.empty() ? String(L" ") : caption;
}

}  // namespace

RECT InsetForPosition(const RECT& r, TPcTabPosition position, int dLeft, int dTop, int dRight, int dBottom) {
  switch (position) {
    case TPcTabPosition::pctpBottom:
      return RECT{r.left + dLeft, r.top - dBottom, r.right + dRight, r.bottom - dTop};
    case TPcTabPosition::pctpLeft:
      return RECT{r.left + dTop, r.top + dLeft, r.right + dBottom, r.bottom + dRight};
    case TPcTabPosition::pctpRight:
      return RECT{r.left - dBottom, r.top + dLeft, r.right - dTop, r.bottom + dRight};
    case TPcTabPosition::pctpTop:
    default:
      return RECT{r.left + dLeft, r.top + dTop, r.right + dRight, r.bottom + dBottom};
  }
}

// ---- one button ----

void TPcPageControlButton::Reset() {
  rect_ = RECT{};
  width_ = 0;
  row_ = 1;
}

bool TPcPageControlButton::Active() const { return page_ == owner_->PageControl()->ActivePage(); }

bool TPcPageControlButton::ShowsFocus() const {
  if (!Active()) return false;
  TCustomForm* form = GetParentForm(owner_->PageControl());
  return form && form->ActiveControl() == owner_->PageControl();
}

HDC TPcPageControlButton::DC() const { return owner_->Canvas()->Handle(); }

RECT TPcPageControlButton::ImageRect(const RECT& rect) const {
  TCustomImageList* images = owner_->PageControl()->Images();
  const int part = images ? images->Width() + 2 * owner_->GetIndent() : 0;
  if (IsSide(owner_->PageControl()->TabPosition()))
    return RECT{rect.left, rect.top, rect.right, rect.top + std::min(part, RectHeight(rect))};
  return RECT{rect.left, rect.top, rect.left + std::min(part, RectWidth(rect)), rect.bottom};
}

RECT TPcPageControlButton::ContentRect(const RECT& rect) const {
  const RECT image = ImageRect(rect);
  return IsSide(owner_->PageControl()->TabPosition()) ? RECT{rect.left, image.bottom, rect.right, rect.bottom}
                                                      : RECT{image.right, rect.top, rect.right, rect.bottom};
}

void TPcPageControlButton::CalcWidth() {
  TPcCustomPageControl* control = owner_->PageControl();
  TCustomImageList* images = control->Images();
  const int imagePart = images ? images->Width() + 2 * owner_->GetIndent() : 0;
  if (control->TabWidth() != 0) {
    width_ = std::max(control->TabWidth(), imagePart);
  } else {
    // Measured once: a layout of many tabs would otherwise measure every caption again for each tab added.
    if (captionWidth_ < 0) captionWidth_ = owner_->Canvas()->TextWidth(TabCaption(page_));
    width_ = captionWidth_ + kCaptionPadding + imagePart;
  }
}

bool TPcPageControlButton::DrawContent(const RECT& face, const RECT& imageRect, const RECT& textRect) {
  TPcCustomPageControl* control = owner_->PageControl();
  // OnDrawTab and OnGetImageIndex may free the control or this tab's page, and this tab with either.
  const TLifeWatch controlLife = control->LifeWatch();
  const TLifeWatch pageLife = page_->LifeWatch();
  if (control->OwnerDraw() && control->OnDrawTab) {
    if (control->RaiseEvent(control->OnDrawTab, control, page_->TabIndex(), face, Active()).Gone()) return false;
  } else {
    if (DrawImage(imageRect).Gone() || controlLife.Ended() || pageLife.Ended()) return false;
    DrawText(textRect);
  }
  return !controlLife.Ended() && !pageLife.Ended();
}

TRaised TPcPageControlButton::DrawImage(const RECT& rect) {
  TPcCustomPageControl* control = owner_->PageControl();
  TCustomImageList* images = control->Images();
  if (!images || !images->HandleAllocated()) return TRaised(true);
  int index = page_->ImageIndex();
  if (control->OnGetImageIndex) {
    const TLifeWatch pageLife = page_->LifeWatch();
    if (control->RaiseEvent(control->OnGetImageIndex, control, page_->PageIndex(), index).Gone() || pageLife.Ended())
      return TRaised(false);
  }
  if (index < 0 || index >= images->Count()) return TRaised(true);
  const int x = rect.left + (RectWidth(rect) - images->Width()) / 2;
  const int y = rect.top + (RectHeight(rect) - images->Height()) / 2;
  auto listColor = [](TColor color) -> COLORREF {
    if (color == clNone) return CLR_NONE;
    if (color == clDefault) return CLR_DEFAULT;
    return static_cast<COLORREF>(ColorToRGB(color));
  };
  static constexpr UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT style = kStyles[static_cast<int>(images->DrawingStyle())];
  if (images->ImageType() == TImageType::itMask) style |= ILD_MASK;
  ImageList_DrawEx(images->Handle(), index, DC(), x, y, 0, 0, listColor(images->BkColor()),
                   listColor(images->BlendColor()), style);
  return TRaised(true);
}

void TPcPageControlButton::DrawText(const RECT& rect) {
  TCanvas* canvas = owner_->Canvas();
  HDC dc = canvas->Handle();
  const TPcTabPosition position = owner_->PageControl()->TabPosition();
  COLORREF color;
  if (owner_->IsHighlighted(this))
    color = GetSysColor(COLOR_HIGHLIGHTTEXT);
  else if (owner_->HotButton() == this)
    color = HotCaptionColor();
  else
    color = static_cast<COLORREF>(ColorToRGB(canvas->Font()->Color()));
  const String caption = TabCaption(page_);
  // Also selects the canvas font into the DC for the raw calls below.
  const SIZE extent = canvas->TextExtent(caption);
  const COLORREF previousColor = SetTextColor(dc, color);
  const int previousMode = SetBkMode(dc, TRANSPARENT);
  if (!IsSide(position)) {
    RECT target = rect;
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &target,
                DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  } else {
    HRGN previous = CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = GetClipRgn(dc, previous) == 1;
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    int x;
    int y;
    if (position == TPcTabPosition::pctpLeft) {
      x = rect.left + (RectWidth(rect) - extent.cy) / 2;
      y = rect.top + (RectHeight(rect) + extent.cx) / 2;
    } else {
      x = rect.left + (RectWidth(rect) + extent.cy) / 2;
      y = rect.top + (RectHeight(rect) - extent.cx) / 2;
    }
    ExtTextOutW(dc, x, y, 0, nullptr, caption.c_str(), static_cast<UINT>(caption.size()), nullptr);
    SelectClipRgn(dc, hadClip ? previous : nullptr);
    DeleteObject(previous);
  }
  SetBkMode(dc, previousMode);
  SetTextColor(dc, previousColor);
}

// ---- the painter ----

TPcPageControlButtons::TPcPageControlButtons(TPcCustomPageControl* pageControl) : pageControl_(pageControl) {}

TPcPageControlButtons::~TPcPageControlButtons() {
  if (timerRunning_ && pageControl_->HandleAllocated()) KillTimer(pageControl_->Handle(), kScrollTimerId);
}

TCanvas* TPcPageControlButtons::Canvas() const { return pageControl_->Canvas(); }

void TPcPageControlButtons::AddButton(TPcTabSheet* sheet, bool refresh) {
  // The last page's tab is the last tab; finding its index would walk every page, for each page a form adds.
  const int pageCount = pageControl_->PageCount();
  const bool lastPage = pageCount > 0 && pageControl_->Pages(pageCount - 1) == sheet;
  const int index = lastPage ? ButtonCount() : std::clamp(sheet->TabIndex(), 0, ButtonCount());
  buttons_.insert(buttons_.begin() + index, CreateButton(sheet));
  if (refresh) pageControl_->Refresh();
}

void TPcPageControlButtons::CaptionChanged(const TPcTabSheet* sheet) {
  if (TPcPageControlButton* button = ButtonOf(sheet)) button->ForgetCaptionWidth();
}

void TPcPageControlButtons::RemoveButton(TPcTabSheet* sheet, bool refresh) {
  auto it = std::find_if(buttons_.begin(), buttons_.end(), [sheet](const auto& b) { return b->Page() == sheet; });
  if (it != buttons_.end()) {
    if (hotButton_ == it->get()) hotButton_ = nullptr;
    buttons_.erase(it);
  }
  if (refresh) pageControl_->Refresh();
}

void TPcPageControlButtons::MoveButton(TPcTabSheet* sheet) {
  auto it = std::find_if(buttons_.begin(), buttons_.end(), [sheet](const auto& b) { return b->Page() == sheet; });
  if (it != buttons_.end()) {
    std::unique_ptr<TPcPageControlButton> button = std::move(*it);
    buttons_.erase(it);
    const int index = std::clamp(sheet->TabIndex(), 0, ButtonCount());
    buttons_.insert(buttons_.begin() + index, std::move(button));
  }
  pageControl_->Refresh();
}

void TPcPageControlButtons::RebuildButtons() {
  hotButton_ = nullptr;
  buttons_.clear();
  for (int i = 0; i < pageControl_->VisibleTabCount(); ++i) {
    TPcTabSheet* sheet = pageControl_->PageForTab(i);
    // An active page whose tab is hidden counts in the row but has no button.
    if (sheet && sheet->TabShowing()) AddButton(sheet, false);
  }
  pageControl_->Refresh();
}

int TPcPageControlButtons::IndexOf(const TPcPageControlButton* button) const {
  for (int i = 0; i < ButtonCount(); ++i)
    if (buttons_[i].get() == button) return i;
  return -1;
}

TPcPageControlButton* TPcPageControlButtons::ButtonOf(const TPcTabSheet* sheet) const {
  if (!sheet) return nullptr;
  for (const auto& button : buttons_)
    if (button->Page() == sheet) return button.get();
  return nullptr;
}

TPcPageControlButton* TPcPageControlButtons::ActiveButton() const { return ButtonOf(pageControl_->ActivePage()); }

TPcPageControlButton* TPcPageControlButtons::ButtonAt(POINT point) const {
  for (const auto& button : buttons_)
    if (PtInRect(&button->Rect(), point)) return button.get();
  return nullptr;
}

int TPcPageControlButtons::GetTabHeight() const {
  if (pageControl_->TabHeight() != 0) return pageControl_->TabHeight();
  int height = 3 * GetIndent() + textHeight_;
  if (TCustomImageList* images = pageControl_->Images()) height = std::max(height, images->Height() + 2 * GetIndent());
  return height;
}

int TPcPageControlButtons::GetRowCount() const { return pageControl_->MultiLine() ? rowCount_ : 1; }

int TPcPageControlButtons::GetTabsAreaHeight() const {
  if (buttons_.empty() || pageControl_->HideButtons()) return 0;
  return Bounded((std::int64_t{GetTabHeight()} + GetIndent()) * GetRowCount());
}

int TPcPageControlButtons::GetRowLength() const {
  const int length = IsSide(pageControl_->TabPosition()) ? pageControl_->Height() : pageControl_->Width();
  return length - 2 * GetRowIndent();
}

void TPcPageControlButtons::GetPageBorders(int& left, int& top, int& right, int& bottom) const {
  left = top = right = bottom = 0;
}

bool TPcPageControlButtons::IsHighlighted(const TPcPageControlButton* button) const {
  (void)button;
  return false;
}

RECT TPcPageControlButtons::TabAreaRect() const {
  const TPcTabPosition position = pageControl_->TabPosition();
  const int thickness = IsSide(position) ? pageControl_->Width() : pageControl_->Height();
  return InsetForPosition(RECT{0, 0, pageControl_->Width(), pageControl_->Height()}, position, 0, 0, 0,
                          GetTabsAreaHeight() - thickness);
}

void TPcPageControlButtons::AdjustClientRect(RECT& rect) const {
  int left;
  int top;
  int right;
  int bottom;
  GetPageBorders(left, top, right, bottom);
  rect.left += left;
  rect.top += top;
  rect.right -= right;
  rect.bottom -= bottom;
  const TPcTabPosition position = pageControl_->TabPosition();
  rect = InsetForPosition(rect, position, 0, GetTabsAreaHeight(), 0, 0);
  // Tabs taller than the control leave an empty page area, never one turned inside out.
  if (rect.top > rect.bottom) {
    if (position == TPcTabPosition::pctpBottom)
      rect.bottom = rect.top;
    else
      rect.top = rect.bottom;
  }
  if (rect.left > rect.right) {
    if (position == TPcTabPosition::pctpRight)
      rect.right = rect.left;
    else
      rect.left = rect.right;
  }
}

void TPcPageControlButtons::ApplyFont() {
  TFont* font = Canvas()->Font();
  const TPcTabPosition position = pageControl_->TabPosition();
  if (!IsSide(position)) return;
  LOGFONTW logFont{};
  if (!GetObjectW(font->Handle(), sizeof logFont, &logFont)) return;
  const int escapement = position == TPcTabPosition::pctpLeft ? kRotatedUp : kRotatedDown;
  if (logFont.lfEscapement == escapement) return;
  logFont.lfEscapement = escapement;
  logFont.lfOrientation = escapement;
  logFont.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  font->SetHandle(CreateFontIndirectW(&logFont));
}

void TPcPageControlButtons::KeepCaptionWidthsForFont() {
  LOGFONTW font{};
  GetObjectW(Canvas()->Font()->Handle(), sizeof font, &font);
  if (std::memcmp(&font, &measuredFont_, sizeof font) == 0) return;
  measuredFont_ = font;
  for (const auto& button : buttons_) button->ForgetCaptionWidth();
}

void TPcPageControlButtons::Recalculate() {
  Canvas()->SetFont(pageControl_->Font());
  ApplyFont();
  KeepCaptionWidthsForFont();
  textHeight_ = Canvas()->TextHeight(kMeasureText);
  CalcTabWidths();
  CalcRows();
  CalcScrollButtonRects();
  AdjustFirstVisible();
  CalcScrollButtonRects();
  CalcTabRects();
}

void TPcPageControlButtons::CalcTabWidths() {
  for (const auto& button : buttons_) {
    button->Reset();
    button->CalcWidth();
  }
}

void TPcPageControlButtons::CalcRows() {
  rowCount_ = 1;
  if (!pageControl_->MultiLine()) return;
  firstVisible_ = 0;
  rowEntries_.clear();
  for (const auto& button : buttons_) rowEntries_.push_back(TTabRowEntry{button->Width(), 1});
  rowCount_ = std::max(1, SplitRows(rowEntries_, GetRowLength(), pageControl_->RaggedRight()));
  if (TPcPageControlButton* active = ActiveButton(); active && ActiveRowLast())
    RotateRows(rowEntries_, rowCount_, rowEntries_[IndexOf(active)].Row);
  for (int i = 0; i < ButtonCount(); ++i) {
    buttons_[i]->SetWidth(rowEntries_[i].Width);
    buttons_[i]->SetRow(rowEntries_[i].Row);
  }
}

bool TPcPageControlButtons::NeedScrollButtons() const {
  if (buttons_.empty() || pageControl_->MultiLine()) return false;
  if (firstVisible_ > 0) return true;
  // Decided from the widths, as the layout will place the tabs: the row overflows when a tab before the last
  // one already reaches the row's end, or the last one ends past the control.
  const int rowLength = GetRowLength();
  int end = GetRowIndent();
  for (int i = 0; i < ButtonCount(); ++i) {
    end += buttons_[i]->Width();
    if (i + 1 < ButtonCount() && end >= rowLength) return true;
  }
  const int length = IsSide(pageControl_->TabPosition()) ? pageControl_->Height() : pageControl_->Width();
  return end > length;
}

void TPcPageControlButtons::SetScrollRects(const RECT& left, const RECT& right) {
  leftScrollRect_ = left;
  rightScrollRect_ = right;
}

void TPcPageControlButtons::CalcScrollButtonRects() {
  if (!NeedScrollButtons()) {
    SetScrollRects(RECT{}, RECT{});
    return;
  }
  const RECT r = InsetForPosition(TabAreaRect(), pageControl_->TabPosition(), 0,
                                  GetTabHeight() - textHeight_ - 2 * GetIndent(), 0, -GetIndent());
  const int h = RectHeight(r);
  const RECT right{r.right - h, r.top, r.right, r.bottom};
  SetScrollRects(RECT{right.left - 1 - h, r.top, right.left, r.bottom}, right);
}

void TPcPageControlButtons::AdjustFirstVisible() {
  if (pageControl_->MultiLine() || firstVisible_ <= 0) return;
  firstVisible_ = std::min(firstVisible_, std::max(0, ButtonCount() - 1));
  const int scrollWidth = rightScrollRect_.right - leftScrollRect_.left;
  std::int64_t space = GetRowLength() - scrollWidth;
  for (int i = firstVisible_; i < ButtonCount(); ++i) space -= buttons_[i]->Width();
  while (firstVisible_ >= 1 && space >= 1) {
    if (firstVisible_ == 1) space += scrollWidth;
    space -= buttons_[firstVisible_ - 1]->Width();
    if (space > 0)
      --firstVisible_;
    else
      break;
  }
}

void TPcPageControlButtons::CalcTabRects() {
  const TPcTabPosition position = pageControl_->TabPosition();
  const int step = GetTabHeight() + GetIndent();
  const int rowLength = GetRowLength();
  const int rowIndent = GetRowIndent();
  const int areaHeight = GetTabsAreaHeight();
  const RECT area = TabAreaRect();
  const bool multiLine = pageControl_->MultiLine();
  // The running end of each row; rows are numbered from 1.
  std::vector<int> rowEnds(static_cast<size_t>(GetRowCount()) + 1, rowIndent);
  for (int i = firstVisible_; i < ButtonCount(); ++i) {
    TPcPageControlButton* button = buttons_[i].get();
    const int row = std::clamp(button->Row(), 1, GetRowCount());
    const int x = rowEnds[row];
    rowEnds[row] += button->Width();
    const int y = Bounded(std::int64_t{row - 1} * step);
    button->SetRect(
        InsetForPosition(area, position, x, y, x + button->Width() - rowLength - 2 * rowIndent, y + step - areaHeight));
    if (!multiLine && x + button->Width() >= rowLength) break;
  }
}

void TPcPageControlButtons::MakeActiveVisible() {
  if (pageControl_->MultiLine()) return;
  const int active = IndexOf(ActiveButton());
  if (firstVisible_ < active) {
    const int rowLength = GetRowLength();
    std::int64_t sum = 0;
    bool overflow = false;
    for (const auto& button : buttons_) {
      button->CalcWidth();
      sum += button->Width();
      if (sum > rowLength) overflow = true;
    }
    int space = rowLength - (overflow ? 2 * GetTabsAreaHeight() : 0);
    int i = active;
    while (space > 0 && i >= firstVisible_) {
      space -= buttons_[i]->Width();
      if (space > 0) --i;
    }
    if (i >= firstVisible_) firstVisible_ = i + (space < 0 ? 1 : 0);
    firstVisible_ = std::min(firstVisible_, active);
  } else if (active >= 0) {
    firstVisible_ = active;
  }
}

void TPcPageControlButtons::ScrollTo(int index) {
  if (buttons_.empty()) return;
  index = std::clamp(index, 0, ButtonCount() - 1);
  const TPcPageControlButton* last = buttons_.back().get();
  if (index > firstVisible_ && last->LaidOut()) {
    const int lastEnd = IsSide(pageControl_->TabPosition()) ? last->Rect().bottom : last->Rect().right;
    const int scrollStart = IsSide(pageControl_->TabPosition()) ? leftScrollRect_.top : leftScrollRect_.left;
    if (lastEnd < scrollStart) return;
  }
  if (index == firstVisible_) return;
  firstVisible_ = index;
  pageControl_->Refresh();
}

// ---- mouse and timer ----

TRaised TPcPageControlButtons::MouseDown(int x, int y) {
  if (pageControl_->IsDesigning()) return TRaised(true);
  const POINT point{x, y};
  if (PtInRect(&leftScrollRect_, point)) {
    SetScrollState(ssLeftPressed);
    ScrollTo(firstVisible_ - 1);
    return TRaised(true);
  }
  if (PtInRect(&rightScrollRect_, point)) {
    SetScrollState(ssRightPressed);
    ScrollTo(firstVisible_ + 1);
    return TRaised(true);
  }
  TPcPageControlButton* button = ButtonAt(point);
  if (!button) return TRaised(true);
  // The page change or the focus may free the control, and these buttons with it.
  if (!button->Active()) return pageControl_->SetActivePage(button->Page());
  if (FocusOnActiveClick() && !pageControl_->Focused() && pageControl_->CanFocus()) return pageControl_->SetFocus();
  return TRaised(true);
}

void TPcPageControlButtons::MouseUp() { SetScrollState(ssNone); }

void TPcPageControlButtons::MouseMove(POINT point) {
  // Hovering a scroll button is no press: the hot tab still follows the mouse (and clears when it leaves).
  const bool pressing = scrollState_ != ssNone && scrollState_ != ssLeftHot && scrollState_ != ssRightHot;
  if (pageControl_->HotTrack() && !pressing) SetHotButton(ButtonAt(point));
  if (TracksScrollButtons() && (scrollState_ == ssNone || scrollState_ == ssLeftHot || scrollState_ == ssRightHot)) {
    if (PtInRect(&leftScrollRect_, point))
      SetScrollState(ssLeftHot);
    else if (PtInRect(&rightScrollRect_, point))
      SetScrollState(ssRightHot);
    else
      SetScrollState(ssNone);
  }
}

void TPcPageControlButtons::SetScrollState(TScrollState state) {
  if (state == scrollState_) return;
  scrollState_ = state;
  if (pageControl_->HandleAllocated()) {
    HWND window = pageControl_->Handle();
    RECT strip;
    UnionRect(&strip, &leftScrollRect_, &rightScrollRect_);
    InvalidateRect(window, &strip, FALSE);
    if (!timerRunning_ && (state == ssLeftPressed || state == ssRightPressed))
      timerRunning_ = SetTimer(window, kScrollTimerId, kScrollRepeatMs, nullptr) != 0;
    if (state == ssNone && timerRunning_) {
      KillTimer(window, kScrollTimerId);
      timerRunning_ = false;
    }
  }
}

void TPcPageControlButtons::TimerTick() {
  if (scrollState_ == ssNone) {
    if (timerRunning_) KillTimer(pageControl_->Handle(), kScrollTimerId);
    timerRunning_ = false;
    return;
  }
  POINT cursor;
  GetCursorPos(&cursor);
  cursor = pageControl_->ScreenToClient(cursor);
  const bool overLeft = PtInRect(&leftScrollRect_, cursor) != 0;
  const bool overRight = PtInRect(&rightScrollRect_, cursor) != 0;
  switch (scrollState_) {
    case ssLeftPressed:
      if (!overLeft) SetScrollState(ssLeftPressedOff);
      break;
    case ssLeftPressedOff:
      if (overLeft) SetScrollState(ssLeftPressed);
      break;
    case ssRightPressed:
      if (!overRight) SetScrollState(ssRightPressedOff);
      break;
    case ssRightPressedOff:
      if (overRight) SetScrollState(ssRightPressed);
      break;
    default:
      break;
  }
  if (scrollState_ == ssLeftPressed)
    ScrollTo(firstVisible_ - 1);
  else if (scrollState_ == ssRightPressed)
    ScrollTo(firstVisible_ + 1);
}

void TPcPageControlButtons::SetHotButton(TPcPageControlButton* button) {
  if (button == hotButton_) return;
  TPcPageControlButton* old = hotButton_;
  hotButton_ = button && IsHighlighted(button) ? nullptr : button;
  InvalidateButton(old);
  InvalidateButton(hotButton_);
}

void TPcPageControlButtons::InvalidateButton(const TPcPageControlButton* button) const {
  if (!button || !pageControl_->HandleAllocated()) return;
  const RECT rect = InvalidateWholeTab() ? button->Rect() : button->ContentRect(button->Rect());
  InvalidateRect(pageControl_->Handle(), &rect, FALSE);
}

// ---- drawing ----

void TPcPageControlButtons::FillRect(const RECT& rect, HBRUSH brush) const {
  ::FillRect(Canvas()->Handle(), &rect, brush);
}

void TPcPageControlButtons::FillRect(const RECT& rect, int sysColor) const {
  FillRect(rect, GetSysColorBrush(sysColor));
}

void TPcPageControlButtons::DrawEdge(RECT rect, UINT edge, UINT sides) const {
  ::DrawEdge(Canvas()->Handle(), &rect, edge, sides);
}

void TPcPageControlButtons::ExcludeScrollStrip() {
  const RECT area = TabAreaRect();
  if (IsSide(pageControl_->TabPosition()))
    ExcludeClipRect(Canvas()->Handle(), area.left, leftScrollRect_.top, area.right, area.bottom);
  else
    ExcludeClipRect(Canvas()->Handle(), leftScrollRect_.left, area.top, area.right, area.bottom);
}

void TPcPageControlButtons::DrawBackground() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(pageControl_->Color());
  canvas->FillRect(TabAreaRect());
}

TRaised TPcPageControlButtons::Paint() {
  if (!pageControl_->HideButtons() && !buttons_.empty()) return PaintTabs();
  DrawPageBorder();
  return TRaised(true);
}

TRaised TPcPageControlButtons::PaintTabs() {
  DrawBackground();
  DrawPageBorder();
  DrawScrollButtons();
  return DrawTabs();
}

TRaised TPcPageControlButtons::DrawTabs() {
  std::unique_ptr<TFont> savedFont;
  if (pageControl_->OnDrawTabEx) {
    savedFont = std::make_unique<TFont>();
    savedFont->Assign(Canvas()->Font());
  }
  // Tabs outside the part being painted are skipped: with many rows most of them are.
  RECT clip;
  const bool clipped = GetClipBox(Canvas()->Handle(), &clip) != ERROR;
  InflateRect(&clip, GetIndent(), GetIndent());  // an active tab reaches past its rectangle
  // The tabs' drawing handlers may free the control, and this painter with it.
  const TLifeWatch controlLife = pageControl_->LifeWatch();
  TPcPageControlButton* active = nullptr;
  for (const auto& button : buttons_) {
    RECT visible;
    if (!button->LaidOut() || (clipped && !IntersectRect(&visible, &clip, &button->Rect()))) continue;
    if (button->Active())
      active = button.get();
    else if (!DrawTab(button.get(), savedFont.get()))
      return TRaised(!controlLife.Ended());
  }
  if (active) DrawTab(active, savedFont.get());
  return TRaised(!controlLife.Ended());
}

bool TPcPageControlButtons::DrawTab(TPcPageControlButton* button, const TFont* savedFont) {
  // A handler that frees the control ends the pass; one that frees a page took its tab away and asked for a
  // fresh layout and paint, so this pass ends too.
  const TLifeWatch controlLife = pageControl_->LifeWatch();
  const TLifeWatch pageLife = button->Page()->LifeWatch();
  if (savedFont) {
    TPcDrawTabExRecord record(button->Page());
    record.Font()->Assign(savedFont);
    if (pageControl_->RaiseEvent(pageControl_->OnDrawTabEx, pageControl_, &record).Gone() || pageLife.Ended())
      return false;
    Canvas()->SetFont(record.Font());
    ApplyFont();
  }
  button->Paint();
  if (controlLife.Ended()) return false;
  if (savedFont) Canvas()->SetFont(savedFont);
  return !pageLife.Ended();
}

}  // namespace controls

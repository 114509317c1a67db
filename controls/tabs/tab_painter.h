// The tab painter of a page control: one button per tab that shows, measured and laid out in one scrolling row
// or in several rows along the tab side, the page area left for the sheets, the tab under the mouse, the two
// scroll buttons with their repeat timer, and the drawing of each tab. Geometry is worked out for tabs on top
// and turned to the real side by InsetForPosition; "length" runs along the row and "thickness" across it. The
// four styles (controls/tab_styles.h) override the virtual answers and draw the pictures.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "controls/tabs/page_control.h"
#include "controls/tabs/tab_rows.h"

namespace controls {

class TPcPageControlButtons;

// A rectangle moved by offsets given as for tabs on top: mirrored for the bottom, axes swapped for the sides.
RECT InsetForPosition(const RECT& rect, TPcTabPosition position, int dLeft, int dTop, int dRight, int dBottom);

// The tab of one page. Rect is empty while the tab is not laid out; Row is 1-based, row 1 the outermost.
class TPcPageControlButton {
 public:
  TPcPageControlButton(TPcPageControlButtons* owner, TPcTabSheet* page) : page_(page), owner_(owner) {}
  virtual ~TPcPageControlButton() = default;
  TPcPageControlButton(const TPcPageControlButton&) = delete;
  TPcPageControlButton& operator=(const TPcPageControlButton&) = delete;

  TPcTabSheet* Page() const { return page_; }
  TPcPageControlButtons* Owner() const { return owner_; }
  const RECT& Rect() const { return rect_; }
  void SetRect(const RECT& value) { rect_ = value; }
  int Width() const { return width_; }
  void SetWidth(int value) { width_ = value; }
  int Row() const { return row_; }
  void SetRow(int value) { row_ = value; }
  bool LaidOut() const { return !IsRectEmpty(&rect_); }
  void Reset();
  // The caption is measured again at the next layout.
  void ForgetCaptionWidth() { captionWidth_ = -1; }

  // The page is the control's active page; it shows the focus while the control is its form's active control.
  bool Active() const;
  bool ShowsFocus() const;
  // The image part at the start of the tab and the rest of it (for tabs on the side: along the column).
  RECT ImageRect(const RECT& rect) const;
  RECT ContentRect(const RECT& rect) const;

  virtual void Paint() = 0;
  virtual void DrawText(const RECT& rect);
  [[nodiscard]] virtual TRaised DrawImage(const RECT& rect);
  virtual void CalcWidth();

 protected:
  // Style drawing ends the same way: owner drawing in face, else the image and the caption. False when a handler
  // freed the control or the page, and with either this tab.
  bool DrawContent(const RECT& face, const RECT& imageRect, const RECT& textRect);
  HDC DC() const;

 private:
  TPcTabSheet* page_;
  TPcPageControlButtons* owner_;
  RECT rect_{};
  int width_ = 0;
  int row_ = 1;
  // The caption's text width in the font of the layouts, -1 until measured.
  int captionWidth_ = -1;
};

// The painter: owns the buttons, observes the control.
class TPcPageControlButtons {
 public:
  // What the scroll buttons are doing.
  enum TScrollState : BYTE {
    ssNone,
    ssLeftPressed,
    ssRightPressed,
    ssLeftPressedOff,
    ssRightPressedOff,
    ssLeftHot,
    ssRightHot
  };
  static constexpr UINT_PTR kScrollTimerId = 1;
  static constexpr UINT kScrollRepeatMs = 200;

  explicit TPcPageControlButtons(TPcCustomPageControl* pageControl);
  virtual ~TPcPageControlButtons();
  TPcPageControlButtons(const TPcPageControlButtons&) = delete;
  TPcPageControlButtons& operator=(const TPcPageControlButtons&) = delete;

  TPcCustomPageControl* PageControl() const { return pageControl_; }
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TPcPageControlButton* Buttons(int index) const { return buttons_.at(index).get(); }
  int FirstVisible() const { return firstVisible_; }
  const RECT& LeftScrollRect() const { return leftScrollRect_; }
  const RECT& RightScrollRect() const { return rightScrollRect_; }
  TScrollState ScrollState() const { return scrollState_; }
  bool TimerRunning() const { return timerRunning_; }
  TPcPageControlButton* HotButton() const { return hotButton_; }
  // The canvas the tabs are measured and drawn with: the control's, with the font turned for side tabs.
  TCanvas* Canvas() const;

  void AddButton(TPcTabSheet* sheet, bool refresh);
  // The page's caption changed: its tab is measured again.
  void CaptionChanged(const TPcTabSheet* sheet);
  void RemoveButton(TPcTabSheet* sheet, bool refresh);
  void MoveButton(TPcTabSheet* sheet);
  void RebuildButtons();
  TPcPageControlButton* ButtonOf(const TPcTabSheet* sheet) const;
  TPcPageControlButton* ActiveButton() const;
  TPcPageControlButton* ButtonAt(POINT point) const;
  void MakeActiveVisible();
  void ScrollTo(int index);
  bool NeedScrollButtons() const;
  RECT TabAreaRect() const;
  int TextHeight() const { return textHeight_; }

  [[nodiscard]] TRaised MouseDown(int x, int y);
  void MouseUp();
  // The mouse is at a client point; (-1, -1) when it left the control.
  void MouseMove(POINT point);
  // The repeat timer of a held scroll button fired.
  void TimerTick();

  virtual int GetIndent() const { return 2; }
  virtual int GetTabHeight() const;
  int GetRowCount() const;
  int GetTabsAreaHeight() const;
  int GetRowLength() const;
  virtual int GetRowIndent() const { return GetIndent(); }
  virtual void GetPageBorders(int& left, int& top, int& right, int& bottom) const;
  // False when a handler freed the control or the page of the tab: the pass ends.
  virtual bool DrawTab(TPcPageControlButton* button, const TFont* savedFont);
  virtual void DrawBackground();
  virtual void DrawPageBorder() {}
  virtual bool FocusOnActiveClick() const { return true; }
  virtual bool ActiveRowLast() const { return true; }
  virtual bool InvalidateWholeTab() const { return false; }
  virtual bool TracksScrollButtons() const { return false; }
  virtual bool IsHighlighted(const TPcPageControlButton* button) const;
  virtual void Recalculate();
  virtual void CalcTabWidths();
  virtual void CalcTabRects();
  virtual void CalcScrollButtonRects();
  virtual void AdjustClientRect(RECT& rect) const;
  virtual TRaised Paint();
  virtual TRaised PaintTabs();
  virtual void DrawScrollButtons() = 0;

 protected:
  virtual std::unique_ptr<TPcPageControlButton> CreateButton(TPcTabSheet* sheet) = 0;
  void SetScrollRects(const RECT& left, const RECT& right);
  // Keeps the tabs from being drawn over the scroll buttons and the strip after them.
  void ExcludeScrollStrip();
  void FillRect(const RECT& rect, HBRUSH brush) const;
  void FillRect(const RECT& rect, int sysColor) const;
  void DrawEdge(RECT rect, UINT edge, UINT sides) const;

 private:
  void CalcRows();
  void AdjustFirstVisible();
  void ApplyFont();
  // Forgets the measured captions when the layout font is not the one they were measured in.
  void KeepCaptionWidthsForFont();
  TRaised DrawTabs();
  void SetScrollState(TScrollState state);
  void SetHotButton(TPcPageControlButton* button);
  void InvalidateButton(const TPcPageControlButton* button) const;
  int IndexOf(const TPcPageControlButton* button) const;

  std::vector<std::unique_ptr<TPcPageControlButton>> buttons_;
  TPcCustomPageControl* pageControl_;
  int firstVisible_ = 0;
  RECT leftScrollRect_{};
  RECT rightScrollRect_{};
  TScrollState scrollState_ = ssNone;
  bool timerRunning_ = false;
  int rowCount_ = 1;
  TPcPageControlButton* hotButton_ = nullptr;
  int textHeight_ = 0;
  // The font the buttons' caption widths were measured in.
  LOGFONTW measuredFont_{};
  // Reused across layouts, so a re-layout of many tabs allocates nothing.
  std::vector<TTabRowEntry> rowEntries_;
};

// The painter of a style.
std::unique_ptr<TPcPageControlButtons> CreatePainter(TPcTabStyle style, TPcCustomPageControl* pageControl);

}  // namespace controls

// TPcPageControl: a tabbed container. Tabs run along one side in one scrolling row or in several rows, and the
// rest of the control shows one page (TPcTabSheet) at a time. The control keeps the pages, the active page and
// the order of the change events; a painter of the chosen Style measures, lays out, paints and hit-tests the tabs
// (controls/tab_painter.h). As a dock site it gives every control docked into it a page of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/image_list.h"
#include "framework/startup.h"
#include "framework/win_control.h"

namespace controls {

class TPcCustomPageControl;
class TPcTabSheet;
class TPcPageControlButtons;

enum class TPcTabPosition : std::uint8_t { pctpTop, pctpBottom, pctpLeft, pctpRight };
enum class TPcTabStyle : std::uint8_t { pctsTabs, pctsButtons, pctsFlatButtons, pctsFlat };

// Tabs on the left or right run top to bottom, with their captions turned.
inline bool IsSide(TPcTabPosition position) {
  return position == TPcTabPosition::pctpLeft || position == TPcTabPosition::pctpRight;
}

// What OnDrawTabEx may change before one tab is drawn: the font the tab's caption is drawn with.
class TPcDrawTabExRecord {
 public:
  explicit TPcDrawTabExRecord(TPcTabSheet* page) : page_(page), font_(std::make_unique<TFont>()) {}
  TPcTabSheet* Page() const { return page_; }
  TFont* Font() const { return font_.get(); }

 private:
  TPcTabSheet* page_;
  std::unique_ptr<TFont> font_;
};

using TPcTabChangingEvent = TDelegate<void(TObject* Sender, TPcTabSheet* NewPage, bool& AllowChange)>;
using TPcDrawTabEvent = TDelegate<void(TPcCustomPageControl* Control, int TabIndex, const RECT& Rect, bool Active)>;
using TPcDrawTabExEvent = TDelegate<void(TPcCustomPageControl* Control, TPcDrawTabExRecord* EventRecord)>;
using TPcTabGetImageEvent = TDelegate<void(TObject* Sender, int TabIndex, int& ImageIndex)>;

// One page of a page control. The page is owned by its form (or, for a docked client, by the page control); the
// control's list only points at it.
class TPcTabSheet : public TWinControl {
  BC_CLASS(TPcTabSheet, TWinControl)
  explicit TPcTabSheet(TComponent* owner);
  ~TPcTabSheet() override;
  const TPublishedTable& PublishedTable() const override;

  TPcCustomPageControl* PageControl() const { return pageControl_; }
  // Moving the page, or showing its tab, activates pages, whose handlers (OnChanging, OnChange, OnShow) may free it:
  // these setters answer whether it outlived them.
  [[nodiscard]] TRaised SetPageControl(TPcCustomPageControl* value);
  // The position among all pages of the control; -1 without a control. Raises EListError for a position past
  // the last page.
  int PageIndex() const;
  void SetPageIndex(int value);
  // The position among the tabs that show; -1 while the page has no tab.
  int TabIndex() const;
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  bool TabVisible() const { return tabVisible_; }
  [[nodiscard]] TRaised SetTabVisible(bool value);
  // The page has a tab now: it sits on a form, in a control, and its tab is wanted.
  bool TabShowing() const { return tabShowing_; }
  bool Highlighted() const { return highlighted_; }
  void SetHighlighted(bool value);

  void Dispatch(TMessage& message) override;
  void SetParentComponent(TComponent* value) override;

  TNotifyEvent OnHide;
  TNotifyEvent OnShow;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  friend class TPcCustomPageControl;
  [[nodiscard]] TRaised UpdateTabShowing();
  // Shows or hides the page for its control. OnShow or OnHide follows once the page is done with it, so that a
  // handler may free the page or its control.
  TRaised ShowAsPage(bool value);
  // Hides a page that a handler's exception left shown, raising nothing.
  [[nodiscard]] TRaised HideWithoutEvents();
  TRaised DoShowingChanged();

  int imageIndex_ = 0;
  TPcCustomPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
  bool tabShowing_ = false;
  bool highlighted_ = false;
  // True while ShowAsPage holds the showing events back.
  bool showingHeld_ = false;
};

class TPcCustomPageControl : public TCustomControl {
  BC_CLASS(TPcCustomPageControl, TCustomControl)
  explicit TPcCustomPageControl(TComponent* owner);
  ~TPcCustomPageControl() override;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  // The page at index; raises EListError for an index out of range.
  TPcTabSheet* Pages(int index) const;
  TPcTabSheet* ActivePage() const { return activePage_; }
  // Asks OnChanging, then shows the page and raises OnChange; a page of another control is ignored. The handlers
  // may free this control: the page changes answer whether it outlived them.
  [[nodiscard]] TRaised SetActivePage(TPcTabSheet* page);
  int ActivePageIndex() const;
  // An index out of range makes no page active.
  [[nodiscard]] TRaised SetActivePageIndex(int index);
  // The page after (or before) current with wrap-around, skipping pages without TabVisible when asked; current
  // itself only after a full circle, null when there are no pages.
  TPcTabSheet* FindNextPage(TPcTabSheet* current, bool goForward, bool checkTabVisible) const;
  [[nodiscard]] TRaised SelectNextPage(bool goForward, bool checkTabVisible = true);
  // Pages that have a tab, with the active page counted even when its tab is hidden.
  int VisibleTabCount() const;
  TPcTabSheet* PageForTab(int tabIndex) const;
  int ActiveTabIndex() const;

  TPcPageControlButtons* Painter() const { return painter_.get(); }
  TPcTabSheet* UndockingPage() const { return undockingPage_; }

  bool HideButtons() const { return hideButtons_; }
  void SetHideButtons(bool value);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  // Only tabs at the top or bottom can be put back in one row.
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool value);
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool value);
  bool RaggedRight() const { return raggedRight_; }
  void SetRaggedRight(bool value);
  bool ScrollOpposite() const { return scrollOpposite_; }
  void SetScrollOpposite(bool value);
  TPcTabStyle Style() const { return style_; }
  void SetStyle(TPcTabStyle value);
  // 0 means: measured from the font and the images. Negative values become 0, values past 32767 become 32767.
  int TabHeight() const { return tabHeight_; }
  void SetTabHeight(int value);
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int value);
  TPcTabPosition TabPosition() const { return tabPosition_; }
  void SetTabPosition(TPcTabPosition value);

  // Lays the tabs out again and repaints the control; while the control is loading, once loading ends, and
  // between DisableAlign and EnableAlign, once the bracket closes.
  void Refresh();
  bool CanFocus() const override;
  TRaised ShowControl(TControl* control) override;
  TRaised SetParent(TWinControl* value) override;
  void Dispatch(TMessage& message) override;
  TRaised Loaded() override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  TPcDrawTabEvent OnDrawTab;
  TPcDrawTabExEvent OnDrawTabEx;
  TPcTabGetImageEvent OnGetImageIndex;
  TNotifyEvent OnChange;
  TPcTabChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised CreateWnd() override;
  void AdjustClientRect(RECT& rect) override;
  TRaised AlignControls(TControl* control, RECT& rect) override;
  TRaised Paint() override;
  TRaised KeyDown(WORD& key, TShiftState shift) override;
  void Notification(TComponent* component, TOperation operation) override;
  TRaised DoAddDockClient(TControl* client, const RECT& rect) override;
  TRaised DoRemoveDockClient(TControl* client) override;
  // allow false keeps the active page.
  virtual TRaised CanChange(TPcTabSheet* page, bool& allow);
  virtual TRaised Change();

 private:
  friend class TPcTabSheet;
  [[nodiscard]] TRaised InsertPage(TPcTabSheet* page);
  [[nodiscard]] TRaised RemovePage(TPcTabSheet* page);
  [[nodiscard]] TRaised ChangeActivePage(TPcTabSheet* page);
  [[nodiscard]] TRaised UpdateActivePage();
  void MovePage(TPcTabSheet* page, int index);
  [[nodiscard]] TRaised TabShowingChanged(TPcTabSheet* page);
  void ImageListChange(TObject* sender);
  // A press on the tabs: answers whether the control outlived its handlers and those of the page change, the
  // undocking or the drag it starts.
  [[nodiscard]] TRaised MouseButtonDown(TMessage& message, bool doubleClick);
  void MouseButtonUp(TMessage& message);
  bool DialogKey(TMessage& message);
  bool DialogChar(TMessage& message);
  void SetCursorOverTabs();
  // The client area left for the pages.
  RECT PageArea();
  void LayOut();

  // Docking (controls/page_control_docking.cpp).
  void CMDockClient(TMessage& message);
  void CMUnDockClient(TMessage& message);
  // The page that holds a docked client of this control, or null.
  TPcTabSheet* DockSheetOf(TControl* client) const;
  // The docked client on the page of a tab, when the page holds one.
  TControl* DockClientOnPage(TPcTabSheet* page) const;
  void WatchDockClient(TControl* client, TPcTabSheet* sheet);
  [[nodiscard]] TRaised DockClientChanged(TControl* client, TMessage& message);

  std::vector<TPcTabSheet*> pages_;
  TPcTabSheet* activePage_ = nullptr;
  TPcTabSheet* newDockSheet_ = nullptr;
  TPcTabSheet* undockingPage_ = nullptr;
  std::unique_ptr<TChangeLink> imageChangeLink_;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TPcPageControlButtons> painter_;
  TPcTabPosition tabPosition_ = TPcTabPosition::pctpTop;
  bool multiLine_ = false;
  bool raggedRight_ = false;
  TPcTabStyle style_ = TPcTabStyle::pctsFlat;
  HWND captureWnd_ = nullptr;
  bool hideButtons_ = false;
  bool hotTrack_ = false;
  bool ownerDraw_ = false;
  bool scrollOpposite_ = false;
  int tabHeight_ = 0;
  int tabWidth_ = 0;
  // Above 0 while Loaded re-applies the sheets' flags: their layouts wait for the one that follows.
  int layoutDeferred_ = 0;
  // A layout asked for inside an update bracket, done when the bracket's alignment runs.
  bool layoutPending_ = false;
  // The page area of the last alignment of the pages; none before the first.
  RECT alignedArea_{-1, -1, -1, -1};
  // The window procedures of docked clients that the control watches for caption and visibility changes, and
  // the page each client was docked on.
  struct TWatchedClient {
    TControl* Client;
    TWndMethod Previous;
    TPcTabSheet* Sheet;
  };
  std::vector<TWatchedClient> watchedClients_;
};

class TPcPageControl : public TPcCustomPageControl {
  BC_CLASS(TPcPageControl, TPcCustomPageControl)
  using TPcCustomPageControl::TPcCustomPageControl;
  const TPublishedTable& PublishedTable() const override;
};

// Registers the page control and its sheets for stored forms.
const TUnit& PageControlUnit();

}  // namespace controls

// The four looks of the page control's tabs, one painter per Style: classic raised tabs, push buttons, flat
// buttons with separators, and flat tabs on a light strip. They share the painter's layout and differ in a few
// virtual answers and in their pictures, all in system colours so the tabs follow the desktop colour scheme.
#pragma once

#include <windows.h>

#include "controls/tabs/tab_painter.h"

namespace controls {

// A solid brush a little lighter than the button face, made on first use and kept: the strip and the pressed
// faces keep the colour of the moment it was made.
class TPcPageControlLightBrush {
 public:
  TPcPageControlLightBrush() = default;
  ~TPcPageControlLightBrush();
  TPcPageControlLightBrush(const TPcPageControlLightBrush&) = delete;
  TPcPageControlLightBrush& operator=(const TPcPageControlLightBrush&) = delete;
  HBRUSH Handle();

 private:
  HBRUSH brush_ = nullptr;
};

// pctsTabs: raised tabs, the active one larger and joined to a raised page frame.
class TPcPageControlStandardButtons : public TPcPageControlButtons {
 public:
  using TPcPageControlButtons::TPcPageControlButtons;
  void GetPageBorders(int& left, int& top, int& right, int& bottom) const override;
  void DrawPageBorder() override;
  void DrawScrollButtons() override;
  bool IsHighlighted(const TPcPageControlButton* button) const override;

 protected:
  std::unique_ptr<TPcPageControlButton> CreateButton(TPcTabSheet* sheet) override;
};

// pctsButtons: raised buttons, the active one sunken; rows keep their order.
class TPcPageControlBtnButtons : public TPcPageControlStandardButtons {
 public:
  using TPcPageControlStandardButtons::TPcPageControlStandardButtons;
  int GetTabHeight() const override;
  int GetRowIndent() const override { return 0; }
  void GetPageBorders(int& left, int& top, int& right, int& bottom) const override;
  void DrawPageBorder() override {}
  bool ActiveRowLast() const override { return false; }
  bool IsHighlighted(const TPcPageControlButton* button) const override;
  HBRUSH LightBrush() { return lightBrush_.Handle(); }

 protected:
  std::unique_ptr<TPcPageControlButton> CreateButton(TPcTabSheet* sheet) override;

 private:
  TPcPageControlLightBrush lightBrush_;
};

// pctsFlatButtons: flat buttons between etched separators, raised under the mouse.
class TPcPageControlFlatBtnButtons : public TPcPageControlBtnButtons {
 public:
  using TPcPageControlBtnButtons::TPcPageControlBtnButtons;
  bool InvalidateWholeTab() const override { return true; }

 protected:
  std::unique_ptr<TPcPageControlButton> CreateButton(TPcTabSheet* sheet) override;
};

// pctsFlat: flat tabs on a light strip, the active one in the page's colour, with scroll buttons of its own.
class TPcPageControlNetFlatButtons : public TPcPageControlButtons {
 public:
  using TPcPageControlButtons::TPcPageControlButtons;
  int GetTabHeight() const override;
  int GetRowIndent() const override { return 3 * GetIndent(); }
  void DrawBackground() override;
  void DrawPageBorder() override;
  bool FocusOnActiveClick() const override { return false; }
  bool TracksScrollButtons() const override { return true; }
  void CalcScrollButtonRects() override;
  void DrawScrollButtons() override;
  // The colour of the tabs' outer line and of the page line: light on the top and left, dark on the others.
  HBRUSH OuterLineBrush() const;

 protected:
  std::unique_ptr<TPcPageControlButton> CreateButton(TPcTabSheet* sheet) override;

 private:
  void DrawScrollButton(const RECT& rect, bool pressed, bool hot, bool pointsLeft);
  TPcPageControlLightBrush lightBrush_;
};

}  // namespace controls

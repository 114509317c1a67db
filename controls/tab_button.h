// TTabButton: the tab of one browser page, a speed button painted as a small raised or sunken box with the
// page's icon and its title (cut with an ellipsis, bold while active, blue under the mouse), which reports middle
// and right clicks through events of its own.
#pragma once

#include <memory>

#include "framework/icon.h"
#include "framework/speed_button.h"
#include "framework/startup.h"

namespace controls {

// Called when a tab goes down, with its TabIndex; the main window's procedure releases every other tab.
using TTabButtonDownProc = void(WINAPI*)(int TabIndex);
extern TTabButtonDownProc TabButtonDownProc;

// The glyph kind in which the page's own icon replaces the glyph.
constexpr int PageIconGlyphKind = 9;

class TTabButton : public TSpeedButton {
  BC_CLASS(TTabButton, TSpeedButton)
  explicit TTabButton(TComponent* owner);
  ~TTabButton() override;

  // Unlike the inherited setter, it ignores GroupIndex and AllowAllUp, and a tab set down (again or not) is
  // reported to TabButtonDownProc.
  void SetDown(bool value);
  // Repaints the icon area at once, after the page icon changed.
  void RedrawTab();

  bool Hot() const { return hot_; }
  int TabIndex() const { return tabIndex_; }
  void SetTabIndex(int value) { tabIndex_ = value; }
  int GlyphKind() const { return glyphKind_; }
  void SetGlyphKind(int value) { glyphKind_ = value; }
  bool HotCaption() const { return hotCaption_; }
  void SetHotCaption(bool value) { hotCaption_ = value; }
  TIcon* PageIcon() const { return pageIcon_.get(); }
  bool HasPageIcon() const { return hasPageIcon_; }
  void SetHasPageIcon(bool value) { hasPageIcon_ = value; }

  // Values the page window keeps with its tab; the tab itself does nothing with them.
  struct TOwnerData {
    TColor ShadeColor = static_cast<TColor>(0x606060);
    TColor LightColor = static_cast<TColor>(0xF0FBFF);
    int Value1 = -1;
    int Value2 = -1;
    bool Flag1 = false;
    bool Flag2 = false;
  } OwnerData;

  void Dispatch(TMessage& message) override;

  TNotifyEvent OnMiddleClick;
  TNotifyEvent OnRightClick;

 protected:
  TRaised Paint() override;

 private:
  // The state and the bold caption as the enabled state and Down make them.
  void SettleTabState();
  void PaintFace(TCanvas* canvas, bool frame, bool caption);
  void PaintGlyph(TCanvas* canvas);
  // A release that ends a press over the tab raises event: answers whether the tab outlived it.
  TRaised ButtonUp(TMessage& message, bool& pressed, const TNotifyEvent& event);

  bool middleDown_ = false;
  bool rightDown_ = false;
  bool hot_ = false;
  int tabIndex_ = 0;
  int glyphKind_ = PageIconGlyphKind;
  bool hotCaption_ = false;
  std::unique_ptr<TIcon> pageIcon_;
  bool hasPageIcon_ = false;
};

// Registers TTabButton for stored forms.
const TUnit& TabButtonUnit();

}  // namespace controls

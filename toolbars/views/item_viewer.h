// TBarItemViewer: the visual of one item inside one view. It measures the item, paints it in the classic look,
// tells which part of it a point hits, and turns mouse input into selection, pop-ups and clicks. Themed viewers
// override measuring and painting and keep the rest.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/graphics.h"
#include "framework/shift_state.h"
#include "toolbars/items/item.h"

class TCustomImageList;

namespace toolbars {

struct TBarTrackingState;

// Viewer flag bits.
constexpr uint8_t vfInvalidated = 0x01;  // an invalidation of its rectangle is pending
constexpr uint8_t vfLineSep = 0x02;      // a separator that ends a row or column

// The width of the arrow part of a split button in toolbar style.
constexpr int kSplitArrowWidth = 11;
// What the drop-down arrow of a toolbar-style drop-down button adds to its size.
constexpr int kDropdownArrowSize = 8;

// A viewer dies with its view, or on its own when its item goes or the view rebuilds its viewers, possibly inside
// a handler of its item: its own life tells.
class TBarItemViewer : public TObject, protected TEventSource {
  BC_CLASS(TBarItemViewer, TObject)
  TBarItemViewer(TBarView* view, TBarCustomItem* item);

  using TEventSource::LifeWatch;

  TBarView* View() const { return view_; }
  TBarCustomItem* Item() const { return item_; }
  const RECT& BoundsRect() const { return boundsRect_; }
  bool Show() const { return show_; }
  bool Clipped() const { return clipped_; }
  bool OffEdge() const { return offEdge_; }
  int DropMark() const { return dropMark_; }
  void SetDropMark(int value) { dropMark_ = value; }
  uint8_t Flags() const { return flags_; }
  bool IsLineSep() const { return (flags_ & vfLineSep) != 0; }

  virtual TRaised CalcSize(TCanvas* canvas, int& width, int& height);
  virtual void DrawItemCaption(TCanvas* canvas, RECT rect, const String& caption, UINT drawTextFlags,
                               bool showDisabledShadow);
  // Raise the item's OnSelect; the answer is whether the viewer outlived it.
  virtual TRaised Entering(TBarItemViewer* oldSelected);
  virtual String CaptionText() const;
  virtual bool IsToolbarSize() const;
  virtual bool IsToolbarStyle() const;
  virtual bool IsPtInButtonPart(int x, int y) const;
  // The tracking's input; each answers whether the viewer outlived the handlers it raised.
  virtual TRaised KeyDown(WORD& key, TShiftState shift, TBarTrackingState& state);
  virtual TRaised Leaving();
  virtual void Invalidate();
  virtual TRaised MouseDown(TShiftState shift, int x, int y, TBarTrackingState& state);
  virtual TRaised MouseMove(int x, int y);
  virtual TRaised MouseUp(int x, int y, TBarTrackingState& state);
  virtual TRaised MouseWheel(int wheelDelta, int x, int y);
  // The cursor the viewer wants at (x, y) in its own coordinates; null leaves the arrow.
  virtual HCURSOR GetCursor(int x, int y) const;
  virtual TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                        bool useDisabledShadow);
  virtual bool UsesSameWidth() const;
  virtual bool CaptionShown() const;

  bool IsImageShown() const;
  // The item's images, else the submenu images of the views that lead to this one.
  TCustomImageList* GetImageList() const;
  bool IsRotated() const;
  int Index() const;
  POINT ScreenToClient(POINT point) const;
  // DT_HIDEPREFIX while the accelerators of the view are hidden.
  UINT GetDrawTextFlags() const;

 protected:
  bool HasOption(TBarItemOption option) const { return item_->EffectiveOptions().Contains(option); }
  // The left margin of a menu row of the given height (the image column).
  int MenuLeftMargin(TCustomImageList* images, int height) const;

 private:
  friend class TBarView;
  TBarView* view_;
  TBarCustomItem* item_;
  RECT boundsRect_{};
  bool show_ = false;
  bool clipped_ = false;
  bool offEdge_ = false;
  int dropMark_ = 0;
  uint8_t flags_ = 0;
};

class TBarSeparatorItemViewer : public TBarItemViewer {
  BC_CLASS(TBarSeparatorItemViewer, TBarItemViewer)
  using TBarItemViewer::TBarItemViewer;

  TRaised CalcSize(TCanvas* canvas, int& width, int& height) override;
  TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                bool useDisabledShadow) override;
  bool UsesSameWidth() const override { return false; }
};

}  // namespace toolbars

// TBarToolWindow, a dockable panel whose client area holds ordinary controls: it keeps a client size of its own
// within minimum and maximum sizes and reports it to its dock, and takes the size a full-size or stretching dock
// row or the user gives it.
#pragma once

#include "toolbars/docks/dockable_window.h"

namespace toolbars {

class TBarToolWindow : public TBarCustomDockableWindow {
  BC_CLASS(TBarToolWindow, TBarCustomDockableWindow)
  explicit TBarToolWindow(TComponent* owner);
  const TPublishedTable& PublishedTable() const override;

  // The client area: the whole window while it has no parent.
  int ClientAreaWidth() const;
  TRaised SetClientAreaWidth(int value);
  int ClientAreaHeight() const;
  TRaised SetClientAreaHeight(int value);
  TRaised SetClientAreaSize(int width, int height);

  // Limits of the client size while the user sizes the floating window; a maximum of 0 sets none.
  int MinClientWidth() const { return minClientWidth_; }
  void SetMinClientWidth(int value) { minClientWidth_ = value; }
  int MinClientHeight() const { return minClientHeight_; }
  void SetMinClientHeight(int value) { minClientHeight_ = value; }
  int MaxClientWidth() const { return maxClientWidth_; }
  void SetMaxClientWidth(int value) { maxClientWidth_ = value; }
  int MaxClientHeight() const { return maxClientHeight_; }
  void SetMaxClientHeight(int value) { maxClientHeight_ = value; }

  // The client size the window wants when docked.
  int StoredClientWidth() const { return storedClientWidth_; }
  int StoredClientHeight() const { return storedClientHeight_; }

  TRaised LayoutForDock(bool canMoveControls, TBarDockType previousDockType, SIZE& size, TBarDock* dockingTo,
                        bool floating) override;
  TRaised BaseSize(SIZE& size) override;
  void MinMaxClientSize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight) override;
  void SizeChanging(int newWidth, int newHeight) override;
  TRaised ReadPositionData(TDockPositionStore& store) override;
  void WritePositionData(TDockPositionStore& store) override;

 protected:
  TRaised Paint() override;

 private:
  SIZE SizeForDock(const TBarDock* dock) const;
  int RoomAcross(const TBarDock* dock) const;
  static int ClampedClientLength(int value, int minimum, int maximum, int monitor);

  int minClientWidth_ = 32;
  int minClientHeight_ = 32;
  int maxClientWidth_ = 0;
  int maxClientHeight_ = 0;
  int storedClientHeight_ = 0;
  int storedClientWidth_ = 0;
};

}  // namespace toolbars

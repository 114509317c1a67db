#include "docks_section.h"

#include <memory>

#include "framework/bitmap.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/dock.h"
#include "toolbars/docks/dock_background.h"
#include "toolbars/docks/dockable_window.h"

using namespace toolbars;

namespace {

// A bar whose area is its caption, written across (or, on a left or right dock, down) its client area.
class TCaptionBar : public TBarCustomDockableWindow {
  BC_CLASS(TCaptionBar, TBarCustomDockableWindow)
  explicit TCaptionBar(TComponent* owner) : TBarCustomDockableWindow(owner) {}

  int Length = 90;

  void LayoutForDock(bool, TBarDockType, SIZE& size, TBarDock* dockingTo, bool) override {
    size = dockingTo && dockingTo->IsVertical() ? SIZE{22, Length} : SIZE{Length, 22};
  }
  void BaseSize(SIZE& size) override { LayoutForDock(false, TBarDockType::dtNotDocked, size, CurrentDock(), false); }

 protected:
  void Paint() override {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    RECT client = ClientRect();
    String caption = Caption();
    if (CurrentDock() && CurrentDock()->IsVertical())
      DrawRotatedText(canvas->Handle(), caption, client, DT_CENTER);
    else
      DrawTextW(canvas->Handle(), caption.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
};

// The frame the docks line: a plain window in the application work-space colour.
class TDockFrame : public TCustomControl {
  BC_CLASS(TDockFrame, TCustomControl)
  explicit TDockFrame(TComponent* owner) : TCustomControl(owner) { SetColor(clAppWorkSpace); }
};

TBarDock* AddDock(TWinControl* frame, TBarDockPosition position) {
  auto* dock = new TBarDock(frame);
  dock->SetPosition(position);
  dock->SetParent(frame);
  return dock;
}

TCaptionBar* AddBar(TBarDock* dock, const wchar_t* caption, int length, int row, int pos) {
  auto* bar = new TCaptionBar(dock->Owner());
  bar->SetCaption(caption);
  bar->Length = length;
  bar->SetHideWhenInactive(false);
  bar->SetDockRow(row);
  bar->SetDockPos(pos);
  bar->SetCurrentDock(dock);
  return bar;
}

// Diagonal stripes of two blues, tiled behind the bottom dock and its bar.
std::unique_ptr<TBitmap> StripePicture() {
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      picture->Canvas()->SetPixels(x, y, ((x + y) / 4) % 2 ? TColor(0xE8C8A0) : TColor(0xF4E4D0));
  return picture;
}

}  // namespace

int BuildDocksSection(TWinControl* host) {
  auto* frame = new TDockFrame(host);
  frame->SetBounds(10, 8, 580, 150);
  frame->SetParent(host);
  TBarDock* top = AddDock(frame, TBarDockPosition::dpTop);
  top->SetBoundLines({TBarDockBoundLine::blTop, TBarDockBoundLine::blBottom});
  TBarDock* bottom = AddDock(frame, TBarDockPosition::dpBottom);
  TBarDock* left = AddDock(frame, TBarDockPosition::dpLeft);
  TBarDock* right = AddDock(frame, TBarDockPosition::dpRight);

  AddBar(top, L"Menu", 120, 0, 0)->SetFullSize(true);
  AddBar(top, L"Standard", 200, 1, 0);
  AddBar(top, L"Address", 160, 1, 0)->SetStretch(true);
  TCaptionBar* links = AddBar(top, L"Links", 100, 1, 500);
  links->SetDragHandleStyle(TBarDragHandleStyle::dhDouble);
  AddBar(left, L"Side", 60, 0, 0);
  TCaptionBar* panel = AddBar(right, L"Panel", 60, 0, 0);
  panel->SetCloseButtonWhenDocked(true);

  auto* background = new TBarBackground(frame);
  background->SetBitmap(StripePicture().get());
  bottom->SetBackground(background);
  AddBar(bottom, L"Status", 180, 0, 20)->SetBorderStyle(TBorderStyle::bsNone);
  AddBar(bottom, L"Search", 140, 0, 260);
  return 166;
}

#include "toolbars/bars/tool_window.h"

#include <algorithm>
#include <limits>
#include <map>

#include "framework/properties.h"
#include "framework/sys_utils.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/dock_positions.h"

namespace toolbars {

namespace {

const wchar_t* const kClientWidth = L"ClientWidth";
const wchar_t* const kClientHeight = L"ClientHeight";

// The length the longest row of a left or right dock needs: the lengths of its windows, a tool window's only down
// to its smallest client height, as its dock gives it no more than the dock has.
int LongestRow(const TBarDock& dock) {
  std::map<int, int> rows;
  for (int i = 0; i < dock.ToolbarCount(); ++i) {
    TBarCustomDockableWindow* window = dock.Toolbars(i);
    const auto* tool = ObjectAs<TBarToolWindow>(window);
    rows[window->EffectiveDockRow()] +=
        tool ? tool->MinClientHeight() + tool->DockedFrameLength(&dock) : window->Height();
  }
  int longest = 0;
  for (const auto& [row, length] : rows) longest = std::max(longest, length);
  return longest;
}

}  // namespace

TBarToolWindow::TBarToolWindow(TComponent* owner) : TBarCustomDockableWindow(owner) {
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 32, 32);
}

int TBarToolWindow::ClientAreaWidth() const { return Parent() ? ClientWidth() : Width(); }
int TBarToolWindow::ClientAreaHeight() const { return Parent() ? ClientHeight() : Height(); }
TRaised TBarToolWindow::SetClientAreaWidth(int value) { return SetClientAreaSize(value, ClientAreaHeight()); }
TRaised TBarToolWindow::SetClientAreaHeight(int value) { return SetClientAreaSize(ClientAreaWidth(), value); }

TRaised TBarToolWindow::SetClientAreaSize(int width, int height) {
  if (Parent()) {
    const RECT client = ClientRect();
    width += Width() - (client.right - client.left);
    height += Height() - (client.bottom - client.top);
  }
  return SetBounds(Left(), Top(), width, height);
}

void TBarToolWindow::SizeChanging(int newWidth, int newHeight) {
  storedClientWidth_ = newWidth;
  storedClientHeight_ = newHeight;
  if (!Parent()) return;
  const RECT client = ClientRect();
  storedClientWidth_ += (client.right - client.left) - Width();
  storedClientHeight_ += (client.bottom - client.top) - Height();
}

// A stored size (the application's, a file's or the user's) never takes the window past its dock or its form: it
// is only as long as the dock, and only as deep as the dock's holder leaves room for.
SIZE TBarToolWindow::SizeForDock(const TBarDock* dock) const {
  SIZE size{storedClientWidth_, storedClientHeight_};
  if (!dock) return size;
  const bool vertical = dock->IsVertical();
  LONG& along = vertical ? size.cy : size.cx;
  LONG& across = vertical ? size.cx : size.cy;
  const int dockLength = (vertical ? dock->ClientHeight() : dock->ClientWidth()) - DockedFrameLength(dock);
  if (FullSize()) {
    along = dockLength;
  } else if (Stretch()) {
    // The dock stretches the window from its smallest length.
    along = vertical ? minClientHeight_ : minClientWidth_;
  }
  along = std::max(0, std::min<int>(along, dockLength));
  across = std::max(0, std::min<int>(across, RoomAcross(dock)));
  return size;
}

// What the dock's holder leaves across the dock once its other docks and aligned controls, the dock's frame and
// other rows and the window's own frame have their room; for a top or bottom dock the docks beside the client keep
// the length their longest row needs, too.
int TBarToolWindow::RoomAcross(const TBarDock* dock) const {
  const TWinControl* holder = dock->Parent();
  if (!holder) return std::numeric_limits<int>::max();
  const bool vertical = dock->IsVertical();
  int room = dock->RoomInHolder(TBarDock::TOtherDocks::kAsTheirRowsAsk);
  int besideClient = 0;
  for (int i = 0; i < holder->ControlCount(); ++i) {
    const auto* beside = ObjectAs<TBarDock>(holder->Controls(i));
    if (beside && beside != dock && beside->Visible() && beside->IsVertical() && !vertical)
      besideClient = std::max(besideClient, LongestRow(*beside));
  }
  room -= besideClient;
  room -= vertical ? dock->Width() - dock->ClientWidth() : dock->Height() - dock->ClientHeight();
  const int ownRow = Docked() && CurrentDock() == dock ? EffectiveDockRow() : -1;
  for (int row = 0; row <= dock->GetHighestRow(true); ++row) {
    bool fullSizeRow = false;
    if (row != ownRow) room -= dock->GetRowSize(row, fullSizeRow);
  }
  POINT topLeft{};
  POINT bottomRight{};
  GetDockedNCArea(vertical, topLeft, bottomRight);
  return room - (vertical ? topLeft.x + bottomRight.x : topLeft.y + bottomRight.y);
}

TRaised TBarToolWindow::LayoutForDock(bool canMoveControls, TBarDockType previousDockType, SIZE& size,
                                      TBarDock* dockingTo, bool floating) {
  (void)canMoveControls, (void)previousDockType;
  size = SizeForDock(floating ? nullptr : dockingTo);
  return TRaised(true);
}

TRaised TBarToolWindow::BaseSize(SIZE& size) {
  size = SizeForDock(Docked() ? CurrentDock() : nullptr);
  return TRaised(true);
}

void TBarToolWindow::MinMaxClientSize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight) {
  minWidth = minClientWidth_;
  minHeight = minClientHeight_;
  maxWidth = maxClientWidth_;
  maxHeight = maxClientHeight_;
}

// A stored client length within the window's own limits (a maximum of 0 means none) and never longer than the
// monitor the window is on; the minimum wins over the monitor, as it does while the user sizes the window.
int TBarToolWindow::ClampedClientLength(int value, int minimum, int maximum, int monitor) {
  int upper = std::max(0, monitor);
  if (maximum > 0) upper = std::min(upper, maximum);
  return std::max({std::min(value, upper), minimum, 0});
}

TRaised TBarToolWindow::ReadPositionData(TDockPositionStore& store) {
  if (!Resizable()) return TRaised(true);
  const int height = StrToIntDef(store.Read(Name(), kClientHeight, IntToStr(storedClientHeight_)), storedClientHeight_);
  const int width = StrToIntDef(store.Read(Name(), kClientWidth, IntToStr(storedClientWidth_)), storedClientWidth_);
  RECT screen{};
  if (HandleAllocated())
    GetWindowRect(Handle(), &screen);
  else
    screen = BoundsRect();
  // With its floating frame the window fits in the work area of its monitor.
  const RECT work = GetRectOfMonitorContainingRect(screen, true);
  POINT frameTopLeft{};
  POINT frameBottomRight{};
  GetFloatingNCArea(frameTopLeft, frameBottomRight);
  return SetClientAreaSize(ClampedClientLength(width, minClientWidth_, maxClientWidth_,
                                        work.right - work.left - frameTopLeft.x - frameBottomRight.x),
                    ClampedClientLength(height, minClientHeight_, maxClientHeight_,
                                        work.bottom - work.top - frameTopLeft.y - frameBottomRight.y));
}

void TBarToolWindow::WritePositionData(TDockPositionStore& store) {
  store.Write(Name(), kClientWidth, IntToStr(storedClientWidth_));
  store.Write(Name(), kClientHeight, IntToStr(storedClientHeight_));
}

TRaised TBarToolWindow::Paint() {
  if (!IsDesigning()) return TRaised(true);
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetColor(clBtnShadow);
  canvas->Pen()->SetStyle(TPenStyle::psDot);
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->Rectangle(ClientRect());
  return TRaised(true);
}

const TPublishedTable& TBarToolWindow::PublishedTable() const {
  using P = TPublished<TBarToolWindow>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Integer(L"ClientAreaHeight", &TBarToolWindow::ClientAreaHeight, &TBarToolWindow::SetClientAreaHeight),
          P::Integer(L"ClientAreaWidth", &TBarToolWindow::ClientAreaWidth, &TBarToolWindow::SetClientAreaWidth),
          P::Integer(L"MaxClientHeight", &TBarToolWindow::MaxClientHeight, &TBarToolWindow::SetMaxClientHeight)
              .Default(0),
          P::Integer(L"MaxClientWidth", &TBarToolWindow::MaxClientWidth, &TBarToolWindow::SetMaxClientWidth).Default(0),
          P::Integer(L"MinClientHeight", &TBarToolWindow::MinClientHeight, &TBarToolWindow::SetMinClientHeight)
              .Default(32),
          P::Integer(L"MinClientWidth", &TBarToolWindow::MinClientWidth, &TBarToolWindow::SetMinClientWidth)
              .Default(32),
      });
  return table;
}

}  // namespace toolbars

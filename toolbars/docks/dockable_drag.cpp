// The modal mouse loops that move a dockable window between docks and floating positions, and that size its
// floating frame.
#include <algorithm>
#include <vector>

#include "framework/screen.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/docks/capture_loop.h"
#include "toolbars/docks/dockable_window.h"
#include "toolbars/docks/floating_window_parent.h"

namespace toolbars {

namespace {

struct TRowSize {
  int Size;
  bool Full;
};

// A place the window may go: a dock (with its screen rectangle and rows) or, without a dock, floating.
struct TDockTarget {
  TBarDock* Dock = nullptr;
  TLifeWatch DockLife;
  SIZE Size{};
  std::vector<TRowSize> Rows;
};

bool IsCtrlDown() { return GetKeyState(VK_CONTROL) < 0; }

RECT ScreenRectOf(TWinControl* control) {
  RECT rect{};
  GetWindowRect(control->Handle(), &rect);
  return rect;
}

}  // namespace

// The state of one drag, kept together so the evaluation steps can share it. The drag runs the application's code
// (the docks' and the window's events, and whatever the loop dispatches), which may free the window or a dock it
// holds: it then ends at once and touches neither again.
struct TDockableDrag {
  TBarCustomDockableWindow* Window;
  TLifeWatch WindowLife;
  TBarDock* StartDock = nullptr;
  TLifeWatch StartDockLife;
  int StartRow = 0;
  int StartPos = 0;
  POINT Press{};
  POINT Grab{};
  SIZE StartSize{};
  bool Vertical = false;
  bool Crowded = false;
  bool CanDock = false;
  bool NoDocking = false;
  bool CannotFloat = false;
  bool Smooth = false;
  bool Accepted = false;
  HCURSOR StartCursor = nullptr;
  HDC DesktopDC = nullptr;
  std::vector<TDockTarget> Targets;  // the docks, then the floating record last
  TDockTarget* Target = nullptr;     // null: floating
  RECT Outline{};
  // The thickness the outline on screen was drawn with, so that it is erased even when its window is gone.
  SIZE OutlineThickness{};
  POINT LastPosition{};
  bool Running = false;

  explicit TDockableDrag(TBarCustomDockableWindow* window) : Window(window), WindowLife(window->LifeWatch()) {
    StartDock = window->CurrentDock();
    if (StartDock) StartDockLife = StartDock->LifeWatch();
  }

  bool Gone() const {
    if (WindowLife.Ended() || (StartDock && StartDockLife.Ended())) return true;
    return std::any_of(Targets.begin(), Targets.end(),
                       [](const TDockTarget& target) { return target.Dock && target.DockLife.Ended(); });
  }

  TDockTarget& FloatingRecord() { return Targets.back(); }

  void AddCandidate(TBarDock* dock) {
    for (const TDockTarget& target : Targets)
      if (target.Dock == dock) return;
    TDockTarget target;
    target.Dock = dock;
    target.DockLife = dock->LifeWatch();
    Targets.push_back(target);
  }

  bool IsTarget(TBarDock* dock) const { return dock->AllowDrag() && Window->DockableTo().Contains(dock->Position()); }

  // Depth first: the docks of each edge in the order top, bottom, left, right, then the other windowed children.
  void SearchControl(TWinControl* control) {
    static constexpr TBarDockPosition order[] = {TBarDockPosition::dpTop, TBarDockPosition::dpBottom,
                                                 TBarDockPosition::dpLeft, TBarDockPosition::dpRight};
    for (TBarDockPosition position : order) {
      for (int i = 0; i < control->ControlCount(); ++i) {
        auto* dock = ObjectAs<TBarDock>(control->Controls(i));
        if (!dock || dock->Position() != position || !dock->Showing() || Window->ContainsControl(dock)) continue;
        if (IsTarget(dock)) AddCandidate(dock);
      }
    }
    for (int i = 0; i < control->ControlCount(); ++i) {
      auto* child = ObjectAs<TWinControl>(control->Controls(i));
      if (!child || child->Is<TBarDock>() || !child->Showing() || Window->ContainsControl(child)) continue;
      SearchControl(child);
    }
  }

  TRaised BuildTargets() {
    TBarDock* current = Window->CurrentDock();
    if (Window->DockMode() == TBarDockMode::dmCannotFloatOrChangeDocks) {
      if (current) AddCandidate(current);
    } else {
      if (current && IsTarget(current)) AddCandidate(current);
      if (TCustomForm* form = Window->ToolbarParentForm()) SearchControl(form);
      if (Screen) {
        for (int i = 0; i < Screen->FormCount(); ++i) {
          TCustomForm* form = Screen->Forms(i);
          auto& forms = Window->DockForms();
          if (std::find(forms.begin(), forms.end(), form) != forms.end()) SearchControl(form);
        }
      }
    }
    TBarDockType currentType = DockTypeOf(current, Window->Floating());
    for (TDockTarget& target : Targets) {
      TBarDock* dock = target.Dock;
      dock->CommitPositions();
      if (dock == current) {
        target.Size = SIZE{Window->Width(), Window->Height()};
      } else {
        // The measuring handlers may free the window or a dock: the drag then ends before it starts.
        if (Window->LayoutForDock(false, currentType, target.Size, dock, false).Gone() || Gone()) return TRaised(!Gone());
        POINT topLeft{}, bottomRight{};
        Window->GetDockedNCArea(dock->IsVertical(), topLeft, bottomRight);
        target.Size.cx += topLeft.x + bottomRight.x;
        target.Size.cy += topLeft.y + bottomRight.y;
      }
      for (int row = 0; row <= dock->GetHighestRow(true); ++row) {
        bool full = false;
        int size = dock->GetRowSize(row, full);
        target.Rows.push_back({size, full});
      }
    }
    TDockTarget floating;
    if (Window->LayoutForDock(false, currentType, floating.Size, nullptr, true).Gone() || Gone()) return TRaised(!Gone());
    POINT topLeft{}, bottomRight{};
    Window->GetFloatingNCArea(topLeft, bottomRight);
    floating.Size.cx += topLeft.x + bottomRight.x;
    floating.Size.cy += topLeft.y + bottomRight.y;
    Targets.push_back(floating);
    return TRaised(!Gone());
  }

  RECT OutlineFor(POINT p, SIZE size) const {
    int left = p.x - MulDiv(size.cx - 1, Grab.x, StartSize.cx);
    int top = p.y - MulDiv(size.cy - 1, Grab.y, StartSize.cy);
    return RECT{left, top, left + size.cx, top + size.cy};
  }

  bool InDockingZone(const TDockTarget& target, POINT p) const {
    RECT d = ScreenRectOf(target.Dock);
    InflateRect(&d, 3, 3);
    RECT r = OutlineFor(p, target.Size);
    int tx = MulDiv(25, Grab.x, StartSize.cx);
    int ty = MulDiv(25, Grab.y, StartSize.cy);
    if (p.x < d.left - (25 - tx) || p.x >= d.right + tx) return false;
    if (p.y < d.top - (25 - ty) || p.y >= d.bottom + ty) return false;
    if (target.Dock->IsVertical() && (p.y < d.top || p.y >= d.bottom)) return false;
    RECT overlap{};
    return IntersectRect(&overlap, &r, &d) != FALSE;
  }

  TDockTarget* RecordOf(TBarDock* dock) {
    for (TDockTarget& target : Targets)
      if (target.Dock == dock) return &target;
    return nullptr;
  }

  // The row under an offset across the dock: its first quarter inserts a row before it (between), its middle
  // half joins it, its last quarter falls to the next row; full-size rows split in halves.
  int RowOf(const std::vector<TRowSize>& rows, int offset, bool& between) const {
    int running = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
      int size = rows[i].Size;
      if (size == 0) continue;
      bool full = rows[i].Full || Window->FullSize();
      int edge = full ? size / 2 : size / 4;
      if (running + edge > offset) {
        between = true;
        return static_cast<int>(i);
      }
      running += size;
      if (!full && running - edge > offset) {
        between = false;
        return static_cast<int>(i);
      }
    }
    between = false;
    return static_cast<int>(rows.size());
  }

  SIZE FloatingThickness() const { return Window->FloatingBorderSize(); }

  // Draws the outline at newRect (none when null) and erases the one on screen.
  void DrawOutline(const RECT* newRect, bool newDocked) {
    const bool hadOutline = !IsRectEmpty(&Outline);
    const SIZE newThickness = newDocked ? SIZE{1, 1} : FloatingThickness();
    DrawHalftoneInvertRect(DesktopDC, newRect, hadOutline ? &Outline : nullptr, newThickness, OutlineThickness);
    OutlineThickness = newThickness;
  }

  // Re-parenting and hiding the window while it moves must not end the drag.
  void KeepCapture() {
    HWND wnd = Window->Handle();
    if (Running && GetCapture() != wnd) SetCapture(wnd);
  }

  TRaised ApplyPosition(POINT p) {
    TBarDock* dock = Target ? Target->Dock : nullptr;
    if (dock) {
      RECT dockRect = ScreenRectOf(dock);
      RECT outline = Outline;
      OffsetRect(&outline, -dockRect.left, -dockRect.top);
      bool vertical = dock->IsVertical();
      bool between = false;
      int row;
      if (dock->KeepMovingWindowOrder()) {
        row = Window->DockRow();
      } else {
        int centre = vertical ? (outline.left + outline.right) / 2 : (outline.top + outline.bottom) / 2;
        row = RowOf(Target->Rows, centre, between);
      }
      if (Crowded) {
        if (dock == StartDock && row == StartRow && !between) {
          int moved = vertical ? p.y - Press.y : p.x - Press.x;
          if (std::abs(moved) >= 10) {
            Crowded = false;
            dock->SetKeepMovingWindowOrder(true);
            SetCursor(LoadCursorW(nullptr, vertical ? IDC_SIZENS : IDC_SIZEWE));
          }
        } else {
          Crowded = false;
        }
      }
      Window->dockRow_ = row;
      Window->dockPos_ = vertical ? outline.top : outline.left;
      if (Window->CurrentDock() != dock) {
        if (Window->SetParent(dock).Gone() || Gone()) return TRaised(false);
        KeepCapture();
      }
      if (!(Window->Dragging() && Smooth)) dock->SetCommitNewPositions(true);
      Window->ownRow_ = between;
      if (dock->ArrangeToolbars().Gone() || WindowLife.Ended()) return TRaised(!Gone());
      Window->ownRow_ = false;
      if (Gone()) return TRaised(!Gone());
    } else {
      Crowded = false;
      if (Window->PlaceFloating(POINT{Outline.left, Outline.top}).Gone() || Gone()) return TRaised(false);
      if (Window->FloatOrDock(true).Gone() || Gone()) return TRaised(false);
      if (Window->MoveOnScreen(true).Gone() || Gone()) return TRaised(false);
      KeepCapture();
    }
    Window->Update();
    return TRaised(!Gone());
  }

  // Each step answers whether the drag goes on: whether the window and the docks it knows outlived the handlers.
  TRaised Evaluate(POINT p) {
    LastPosition = p;
    Target = nullptr;
    TBarDock* current = Window->CurrentDock();
    if (current && current->KeepMovingWindowOrder()) {
      Target = RecordOf(current);
    } else if (CanDock && !NoDocking) {
      for (TDockTarget& target : Targets) {
        if (!target.Dock || !InDockingZone(target, p)) continue;
        bool accept = true;
        if (target.Dock->RaiseEvent(target.Dock->OnRequestDock, target.Dock, Window, accept).Gone() || Gone()) return TRaised(!Gone());
        if (accept) {
          Target = &target;
          break;
        }
      }
    }
    RECT outline{};
    if (Target) {
      outline = OutlineFor(p, Target->Size);
    } else {
      RECT work = GetRectOfMonitorContainingPoint(p, true);
      POINT clamped{std::clamp(p.x, work.left, std::max(work.left, work.right - 1)),
                    std::clamp(p.y, work.top, std::max(work.top, work.bottom - 1))};
      outline = OutlineFor(clamped, FloatingRecord().Size);
      SIZE border = FloatingThickness();
      RECT area = work;
      InflateRect(&area, -(border.cx + 4), -(border.cy + 4));
      if (outline.bottom < area.top) OffsetRect(&outline, 0, area.top - outline.bottom);
      if (outline.top > area.bottom) OffsetRect(&outline, 0, area.bottom - outline.top);
      if (outline.right < area.left) OffsetRect(&outline, area.left - outline.right, 0);
      if (outline.left > area.right) OffsetRect(&outline, area.right - outline.left, 0);
      POINT topLeft{}, bottomRight{};
      Window->GetFloatingNCArea(topLeft, bottomRight);
      int lowestTop = work.top + 4 - topLeft.y;
      if (outline.top < lowestTop) OffsetRect(&outline, 0, lowestTop - outline.top);
    }
    bool docked = Target != nullptr;
    if (!Target && CannotFloat) {
      outline = RECT{};
      SetCursor(LoadCursorW(nullptr, IDC_NO));
    } else if (current && current->KeepMovingWindowOrder()) {
      SetCursor(LoadCursorW(nullptr, current->IsVertical() ? IDC_SIZENS : IDC_SIZEWE));
    } else {
      SetCursor(StartCursor);
    }
    if (!Smooth) {
      bool hasOutline = !IsRectEmpty(&outline);
      if (hasOutline || !IsRectEmpty(&Outline)) DrawOutline(hasOutline ? &outline : nullptr, docked);
      Outline = outline;
    } else {
      Outline = outline;
      if (!IsRectEmpty(&Outline) && ApplyPosition(p).Gone()) return TRaised(false);
    }
    return TRaised(!Gone());
  }

  // Takes the mouse, evaluates the press (docking at once only when canDockAtOnce) and follows the mouse until the
  // button is released, the drag is cancelled or what it moves is gone; then lets go of the screen.
  TRaised Run(bool canDockAtOnce) {
    const HWND wnd = Window->Handle();
    StartCursor = GetCursor();
    if (!Smooth) {
      LockWindowUpdate(GetDesktopWindow());
      DesktopDC = GetDCEx(GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    }
    SetCapture(wnd);
    Running = true;
    CanDock = canDockAtOnce;
    const bool goesOn = Evaluate(Press).Alive();
    CanDock = true;
    if (goesOn) {
      TCaptureLoopHandlers handlers;
      handlers.MouseMove = [this](POINT p) {
        // The move's last act: the loop asks whether the drag goes on after every message.
        if (!PointsEqual(p, LastPosition)) (void)Evaluate(p);
      };
      handlers.Key = [this](const MSG& msg) {
        if (msg.wParam == VK_ESCAPE) return true;
        if (msg.wParam == VK_CONTROL) {
          bool down = msg.message == WM_KEYDOWN;
          if (down != NoDocking) {
            NoDocking = down;
            // The key's last act: the loop asks whether the drag goes on after every message.
            (void)Evaluate(LastPosition);
          }
        }
        return false;
      };
      handlers.Gone = [this] { return Gone(); };
      Accepted = RunCaptureLoop(wnd, handlers);
    }
    Running = false;
    // Whether or not the window is still there: the mouse, the outline and the desktop are let go.
    if (GetCapture() == wnd) ReleaseCapture();
    if (!Smooth) {
      if (!IsRectEmpty(&Outline)) DrawHalftoneInvertRect(DesktopDC, nullptr, &Outline, SIZE{}, OutlineThickness);
      ReleaseDC(GetDesktopWindow(), DesktopDC);
      LockWindowUpdate(nullptr);
    }
    return TRaised(!Gone());
  }

  // Commits an accepted drop and leaves the window, when it is still there, and the docks as if no drag ran. What
  // each step answers is left to the watches, which every step after it asks; the answer is the window's.
  TRaised Finish() {
    if (!WindowLife.Ended()) {
      Window->dragging_ = false;
      if (Accepted && !Gone() && !IsRectEmpty(&Outline)) (void)ApplyPosition(LastPosition);
    }
    if (!WindowLife.Ended() && Window->useLastDock_ && Window->currentDock_)
      (void)Window->SetLastDock(Window->currentDock_);
    if (!WindowLife.Ended() && Window->floatParent_ && Window->Parent() != Window->floatParent_.get())
      Window->ReleaseFloatParent();
    LetGoOfDock(StartDock, StartDockLife);
    for (const TDockTarget& target : Targets) LetGoOfDock(target.Dock, target.DockLife);
    if (!WindowLife.Ended() && !Window->docked_) {
      Window->dockRow_ = StartRow;
      Window->dockPos_ = StartPos;
    }
    return TRaised(!WindowLife.Ended());
  }

  void LetGoOfDock(TBarDock* dock, const TLifeWatch& dockLife) {
    if (!dock || dockLife.Ended()) return;
    dock->SetKeepMovingWindowOrder(false);
    if (!WindowLife.Ended() && dock->MovingWindow() == Window) dock->SetMovingWindow(nullptr);
  }
};

TRaised TBarCustomDockableWindow::BeginMoving(int x, int y) {
  TDockableDrag drag(this);
  drag.StartRow = dockRow_;
  drag.StartPos = dockPos_;
  drag.Smooth = smoothDrag_;
  if (docked_) {
    currentDock_->SetMovingWindow(this);
    currentDock_->SetKeepMovingWindowOrder(false);
    currentDock_->SetMovingWindowOverflowed(false);
    currentDock_->SetCommitNewPositions(true);
    if (currentDock_->ArrangeToolbars().Gone() || drag.Gone()) return drag.Finish();
    drag.Vertical = currentDock_->IsVertical();
    drag.Crowded = currentDock_->MovingWindowOverflowed();
  }
  dragging_ = drag.Smooth;
  drag.Press = ClientToScreen(POINT{x, y});
  TWinControl* frame = floating_ && floatParent_ ? static_cast<TWinControl*>(floatParent_.get()) : this;
  RECT frameRect = ScreenRectOf(frame);
  drag.Grab = POINT{drag.Press.x - frameRect.left, drag.Press.y - frameRect.top};
  drag.StartSize =
      SIZE{std::max(1L, frameRect.right - frameRect.left - 1), std::max(1L, frameRect.bottom - frameRect.top - 1)};
  drag.NoDocking = IsCtrlDown();
  drag.CannotFloat = dockMode_ != TBarDockMode::dmCanFloat;
  if (drag.BuildTargets().Alive()) {
    ProcessPaintMessages();
    // The drag ends whatever the loop's handlers freed: Finish asks the watches itself.
    if (!drag.Gone()) (void)drag.Run(docked_);
  }
  return drag.Finish();
}

TRaised TBarCustomDockableWindow::ApplySizingRect(const RECT& rect) {
  BeginUpdate();
  if (SizingBeforeApply().Gone()) return TRaised(false);
  // A move of the floating form runs the window's OnMove, which may free it.
  const TLifeWatch life = LifeWatch();
  if (AnswerFor(life, floatParent_->SetBoundsRect(rect)).Gone()) return TRaised(false);
  const int width = floatParent_->ClientWidth();
  const int height = floatParent_->ClientHeight();
  // The user's size is the one the window keeps, as any size set from outside an arrangement.
  if (width != Width() || height != Height()) SizeChanging(width, height);
  if (TCustomControl::SetBounds(0, 0, width, height).Gone() || EndUpdate().Gone()) return TRaised(false);
  return MoveOnScreen(true);
}

TRaised TBarCustomDockableWindow::BeginSizing(int side) {
  if (!floating_ || !resizable_ || !floatParent_) return TRaised(true);
  int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
  MinMaxClientSize(minWidth, minHeight, maxWidth, maxHeight);
  POINT topLeft{}, bottomRight{};
  GetFloatingNCArea(topLeft, bottomRight);
  int frameWidth = topLeft.x + bottomRight.x;
  int frameHeight = topLeft.y + bottomRight.y;
  minWidth += frameWidth;
  minHeight += frameHeight;
  if (maxWidth > 0) maxWidth += frameWidth;
  if (maxHeight > 0) maxHeight += frameHeight;

  // The loop runs the application's code (the window's OnMove, timers), which may free the window: the loop then
  // ends at once and touches it no more.
  const TLifeWatch life = LifeWatch();
  if (SizingStarted(side).Gone()) return TRaised(false);
  ProcessPaintMessages();
  if (life.Ended()) return TRaised(false);
  bool smooth = smoothDrag_;
  HDC dc = nullptr;
  if (!smooth) {
    LockWindowUpdate(GetDesktopWindow());
    dc = GetDCEx(GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  }
  HWND wnd = Handle();
  SetCapture(wnd);
  bool clipped =
      floatingWindowOptions_.Contains(TBarFloatingWindowOption::fwoClipCursorWhileSizing) && !UsingMultipleMonitors();
  if (clipped) {
    RECT screen = GetRectOfPrimaryMonitor(false);
    ClipCursor(&screen);
  }
  RECT start = floatParent_->BoundsRect();
  RECT rect = start;
  SIZE thickness = FloatingBorderSize();
  if (!smooth) DrawHalftoneInvertRect(dc, &rect, nullptr, thickness, thickness);
  DWORD pressPos = GetMessagePos();
  POINT press{static_cast<short>(LOWORD(pressPos)), static_cast<short>(HIWORD(pressPos))};
  POINT last = press;
  bool left = side == HTLEFT || side == HTTOPLEFT || side == HTBOTTOMLEFT;
  bool right = side == HTRIGHT || side == HTTOPRIGHT || side == HTBOTTOMRIGHT;
  bool top = side == HTTOP || side == HTTOPLEFT || side == HTTOPRIGHT;
  bool bottom = side == HTBOTTOM || side == HTBOTTOMLEFT || side == HTBOTTOMRIGHT;
  TCaptureLoopHandlers handlers;
  handlers.MouseMove = [&](POINT p) {
    if (PointsEqual(p, last)) return;
    last = p;
    int dx = p.x - press.x;
    int dy = p.y - press.y;
    RECT next = start;
    if (left) next.left += dx;
    if (right) next.right += dx;
    if (top) next.top += dy;
    if (bottom) next.bottom += dy;
    auto limit = [](LONG& moving, LONG fixed, int size, int minimum, int maximum, bool movingIsLow) {
      int wanted = size < minimum ? minimum : (maximum > 0 && size > maximum ? maximum : size);
      if (wanted != size) moving = movingIsLow ? fixed - wanted : fixed + wanted;
    };
    if (left)
      limit(next.left, next.right, next.right - next.left, minWidth, maxWidth, true);
    else if (right)
      limit(next.right, next.left, next.right - next.left, minWidth, maxWidth, false);
    if (top)
      limit(next.top, next.bottom, next.bottom - next.top, minHeight, maxHeight, true);
    else if (bottom)
      limit(next.bottom, next.top, next.bottom - next.top, minHeight, maxHeight, false);
    SizingNewRect(next);
    // The move's last act: the loop asks the window's watch after every message.
    if (smooth)
      (void)ApplySizingRect(next);
    else
      DrawHalftoneInvertRect(dc, &next, &rect, thickness, thickness);
    rect = next;
  };
  handlers.Key = [](const MSG& msg) { return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE; };
  handlers.Gone = [&] { return life.Ended(); };
  bool accepted = RunCaptureLoop(wnd, handlers);
  if (clipped) ClipCursor(nullptr);
  if (!smooth) {
    DrawHalftoneInvertRect(dc, nullptr, &rect, thickness, thickness);
    ReleaseDC(GetDesktopWindow(), dc);
    LockWindowUpdate(nullptr);
    if (accepted && !life.Ended() && ApplySizingRect(rect).Gone()) return TRaised(false);
  }
  if (!life.Ended()) SizingEnded();
  return TRaised(!life.Ended());
}

}  // namespace toolbars

// Middle-button wheel panning: a small window marks where panning started and the view follows the mouse.
#include <cstdlib>
#include <utility>

#include "framework/regions.h"
#include "tree/base_tree.h"

namespace tree {

namespace {

constexpr wchar_t PanningWindowClass[] = L"TreePanningWindow";
constexpr int PanningWindowSize = 32;
// The images' background, left out of the panning window's shape.
constexpr COLORREF PanningTransparent = RGB(255, 0, 255);
constexpr UINT PanningTimerInterval = 20;

constexpr wchar_t MoveNorthSouth[] = L"TREE_MOVENS";
constexpr wchar_t MoveEastWest[] = L"TREE_MOVEEW";
constexpr wchar_t MoveAll[] = L"TREE_MOVEALL";
constexpr wchar_t MoveNorth[] = L"TREE_MOVEN";
constexpr wchar_t MoveSouth[] = L"TREE_MOVES";
constexpr wchar_t MoveEast[] = L"TREE_MOVEE";
constexpr wchar_t MoveWest[] = L"TREE_MOVEW";
constexpr wchar_t MoveNorthEast[] = L"TREE_MOVENE";
constexpr wchar_t MoveSouthEast[] = L"TREE_MOVESE";
constexpr wchar_t MoveNorthWest[] = L"TREE_MOVENW";
constexpr wchar_t MoveSouthWest[] = L"TREE_MOVESW";

// The image the panning window shows: the directions the view can move in.
const wchar_t* PanningImageName(bool horizontal, bool vertical) {
  if (!horizontal) return MoveNorthSouth;
  return vertical ? MoveAll : MoveEastWest;
}

// The cursor for the mouse at (dx, dy) from the anchor, given the directions the view can move in; null when it
// can move in none.
const wchar_t* PanningCursorName(int dx, int dy, bool horizontal, bool vertical) {
  if (std::abs(dx) <= PanningDeadZone && std::abs(dy) <= PanningDeadZone) {
    if (horizontal && vertical) return MoveAll;
    if (vertical) return MoveNorthSouth;
    return horizontal ? MoveEastWest : nullptr;
  }
  if (horizontal && vertical) {
    if (dx > PanningDeadZone)
      return dy < -PanningDeadZone ? MoveNorthEast : dy > PanningDeadZone ? MoveSouthEast : MoveEast;
    if (dx < -PanningDeadZone)
      return dy < -PanningDeadZone ? MoveNorthWest : dy > PanningDeadZone ? MoveSouthWest : MoveWest;
    return dy < 0 ? MoveNorth : MoveSouth;
  }
  if (vertical) return dy < 0 ? MoveNorth : MoveSouth;
  if (horizontal) return dx < 0 ? MoveWest : MoveEast;
  return nullptr;
}

// The cursors are kept as raw image data (a cursor resource of the tree would clash with those of other sets when
// a program links them all); the cursor made here belongs to the caller.
HCURSOR LoadPanningCursor(HINSTANCE instance, const wchar_t* name) {
  HRSRC resource = FindResourceW(instance, name, RT_RCDATA);
  HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
  auto* data = loaded ? static_cast<BYTE*>(LockResource(loaded)) : nullptr;
  if (!data) return nullptr;
  constexpr DWORD ResourceFormatVersion = 0x00030000;
  return CreateIconFromResourceEx(data, SizeofResource(instance, resource), FALSE, ResourceFormatVersion, 0, 0,
                                  LR_DEFAULTCOLOR);
}

// The window keeps its image in its user data; the region already cuts the magenta away.
void PaintPanningImage(HWND window, HDC dc) {
  auto image = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!image) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(source, image);
  BitBlt(dc, 0, 0, PanningWindowSize, PanningWindowSize, source, 0, 0, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
}

LRESULT CALLBACK PanningWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintPanningImage(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintPanningImage(window, reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Another module may have registered the class name first with a procedure of its own.
void RegisterPanningWindowClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, PanningWindowClass, &existing)) {
    if (existing.lpfnWndProc == PanningWindowProc) return;
    UnregisterClassW(PanningWindowClass, instance);
  }
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = PanningWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = PanningWindowClass;
  RegisterClassExW(&windowClass);
}

}  // namespace

void TBaseTree::StartWheelPanning(POINT position) {
  if (!HandleAllocated()) return;
  StopWheelPanning();
  StopTimer(ScrollTimer);
  DoStateChange({TTreeState::stWheelPanning, TTreeState::stWheelScrolling});
  panningAnchor_ = position;

  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterPanningWindowClass(instance);
  const wchar_t* image = PanningImageName(ClientWidth() < HorizontalRange(), ClientHeight() < VerticalRange());
  panningImage_ = static_cast<HBITMAP>(LoadImageW(instance, image, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  const int half = PanningWindowSize / 2;
  panningWindow_ =
      CreateWindowExW(WS_EX_TOOLWINDOW, PanningWindowClass, nullptr, WS_POPUP, position.x - half, position.y - half,
                      PanningWindowSize, PanningWindowSize, Handle(), nullptr, instance, nullptr);
  if (panningWindow_) {
    SetWindowLongPtrW(panningWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(panningImage_));
    SetWindowShape(panningWindow_, CreateRegionFromBitmap(panningImage_, PanningTransparent), false);
    ShowWindow(panningWindow_, SW_SHOWNOACTIVATE);
  }
  cursorBeforePanning_ = ::GetCursor();
  ::SetFocus(Handle());
  ::SetCapture(Handle());
  SetTimer(Handle(), ScrollTimer, PanningTimerInterval, nullptr);
}

void TBaseTree::StopWheelPanning() {
  if (!panningWindow_ && !HasState(TTreeState::stWheelPanning) && !HasState(TTreeState::stWheelScrolling)) return;
  StopTimer(ScrollTimer);
  // The states go before the capture, so that whoever hears the capture change finds panning over.
  DoStateChange({}, {TTreeState::stWheelPanning, TTreeState::stWheelScrolling});
  if (HandleAllocated() && ::GetCapture() == Handle()) ReleaseCapture();
  if (HWND window = std::exchange(panningWindow_, nullptr)) DestroyWindow(window);
  if (HBITMAP image = std::exchange(panningImage_, nullptr)) DeleteObject(image);
  if (HCURSOR cursor = std::exchange(panningCursor_, nullptr)) {
    // A cursor still on screen must not be destroyed.
    if (::GetCursor() == cursor) ::SetCursor(cursorBeforePanning_);
    DestroyCursor(cursor);
  }
  panningCursorName_ = nullptr;
}

void TBaseTree::AdjustPanningCursor(int x, int y) {
  POINT anchor = panningAnchor_;
  if (HandleAllocated()) ::ScreenToClient(Handle(), &anchor);
  const wchar_t* name = PanningCursorName(x - anchor.x, y - anchor.y, ClientWidth() < HorizontalRange(),
                                          ClientHeight() < VerticalRange());
  if (!name || name == panningCursorName_) return;
  HCURSOR cursor = LoadPanningCursor(GetModuleHandleW(nullptr), name);
  if (!cursor) return;
  HCURSOR previous = std::exchange(panningCursor_, cursor);
  panningCursorName_ = name;
  ::SetCursor(cursor);
  if (previous) DestroyCursor(previous);
}

}  // namespace tree

// The theme contract: every themed item, view, dock and frame of the framework is painted by filling one of the
// records below and calling an operation of the current theme. The order of the operations and of their
// arguments is fixed, since themes of other component sets implement it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/class_ref.h"
#include "framework/graphics.h"

class TCustomImageList;

namespace toolbars {

// The theme manager's notification to its subscribers; WParam is one of the codes below, LParam 0.
constexpr UINT CM_STYLEDSYSCOMMAND = WM_USER + 312;
constexpr WPARAM tcBeforeChange = 1;
constexpr WPARAM tcRebuildColors = 2;
constexpr WPARAM tcAfterChange = 3;
constexpr WPARAM tcAppActivated = 4;
constexpr WPARAM tcAppDeactivated = 5;

// View types: a family with its members, and flags of the toolbar family. A view is of a kind when every bit of
// the kind is set (IsViewType).
constexpr int vtToolbarFamily = 0x1000;
constexpr int vtToolbar = 0x1001;
constexpr int vtMenuBar = 0x1002;
constexpr int vtToolWindow = 0x1004;
constexpr int vtFloating = 0x0800;
constexpr int vtResizable = 0x0400;
constexpr int vtOpaque = 0x0200;
constexpr int vtPopupFamily = 0x2000;
constexpr int vtPopupMenu = 0x2001;
constexpr int vtListPopup = 0x2002;
constexpr int vtToolBoxPopup = 0x2004;
constexpr int vtChevronPopup = 0x2008;
constexpr int vtDock = 0x4000;

constexpr bool IsViewType(int viewType, int kind) { return (viewType & kind) == kind; }
// A toolbar-family view that paints its own background instead of showing its dock's.
constexpr bool IsOpaqueToolbar(int viewType) { return IsViewType(viewType, vtToolbarFamily) && (viewType & vtOpaque); }

// Item option bits of a paint-info record.
constexpr int ioToolbarStyle = 0x01;
constexpr int ioHasSubmenu = 0x04;
constexpr int ioDropDownCombo = 0x08;
constexpr int ioDesigning = 0x10;
constexpr int ioAppActive = 0x20;

// Hover kinds: a disabled item the keyboard selected stays highlighted (hkKeyboardHot).
constexpr uint8_t hkNone = 0;
constexpr uint8_t hkKeyboardHot = 1;
constexpr uint8_t hkHot = 2;

// Combo parts of an item.
constexpr uint8_t cpWhole = 0;
constexpr uint8_t cpMainOfArrowItem = 1;
constexpr uint8_t cpMainOfCombo = 2;
constexpr uint8_t cpComboArrow = 3;

// Close-button state bits, redraw parts, drag-handle styles and dock positions.
constexpr int cbsShown = 1;
constexpr int cbsHot = 2;
constexpr int cbsPushed = 4;
constexpr int rpBorder = 1;
constexpr int rpCaption = 2;
constexpr int rpCloseButton = 4;
constexpr int dhDouble = 0;
constexpr int dhNone = 1;
constexpr int dhSingle = 2;
constexpr int dpTop = 1;
constexpr int dpBottom = 2;
constexpr int dpLeft = 3;
constexpr int dpRight = 4;

// Edit buttons: kinds and state bits.
constexpr int ebDropDown = 1;
constexpr int ebSpin = 2;
constexpr int ebsDisabled = 1;
constexpr int ebsHot = 2;
constexpr int ebsPushed = 4;
constexpr int ebsLowerPushed = 8;

// Standard controls: kinds and state bits.
constexpr int scCheckBox = 1;
constexpr int scRadioButton = 2;
constexpr int scsChecked = 1;
constexpr int scsMixed = 2;
constexpr int scsDisabled = 4;
constexpr int scsHot = 8;
constexpr int scsPushed = 16;

// Margin ids, MDI buttons, scroll buttons and status-bar parts.
constexpr int miToolbarButton = 1;
constexpr int miStatusBarPanel = 3;
constexpr UINT mbClose = 0;
constexpr UINT mbMinimize = 1;
constexpr UINT mbMaximize = 2;
constexpr UINT mbRestore = 3;
constexpr int sbUp = 1;
constexpr int sbDown = 2;
constexpr int sbLeft = 3;
constexpr int sbRight = 4;
constexpr int spBackground = 0;
constexpr int spPane = 1;
constexpr int spLastPane = 2;
constexpr int spSizeGrip = 3;

// One item as a painter sees it. The caller zero-fills it before filling. Fields known under two names are one
// field with both names: the framework fills the first, themes may read either.
struct TStyledItemPaintInfo {
  int32_t ViewType;
  int32_t ItemOptions;
  bool Enabled;
  bool Pushed;
  uint8_t HoverKind;
  bool Checked;
  union {
    bool ImageShown;
    bool HasImage;
  };
  int32_t ImageWidth;
  int32_t ImageHeight;
  union {
    bool IsVertical;
    bool Vertical;
  };
  union {
    uint8_t ComboPart;
    uint8_t ButtonPart;
  };
  union {
    bool IsPopupParent;
    bool IsSubmenuParent;
  };
  union {
    int32_t PopupMargin;
    int32_t ImageColumnWidth;
  };
};

// Hot: enabled under the mouse or keyboard, or disabled but selected by the keyboard.
inline bool IsHot(const TStyledItemPaintInfo& info) {
  return (info.Enabled && info.HoverKind != hkNone) || (!info.Enabled && info.HoverKind == hkKeyboardHot);
}
inline bool IsToolbarStyle(const TStyledItemPaintInfo& info) { return (info.ItemOptions & ioToolbarStyle) != 0; }
inline bool IsDesigning(const TStyledItemPaintInfo& info) { return (info.ItemOptions & ioDesigning) != 0; }

struct TStyledMargins {
  int32_t LeftWidth;
  int32_t RightWidth;
  int32_t TopHeight;
  int32_t BottomHeight;
};

// The non-client area of a docked toolbar or tool window.
struct TStyledToolbarPaintInfo {
  HWND WindowHandle;
  int32_t ViewType;
  bool IsVertical;
  bool AllowDrag;
  uint8_t BorderStyle;
  POINT BorderSize;
  int32_t ClientWidth;
  int32_t ClientHeight;
  int32_t DragHandleStyle;
  int32_t CloseButtonState;
};

// The frame of a floating window.
struct TStyledWindowPaintInfo {
  HWND ParentHandle;
  HWND WindowHandle;
  int32_t ViewType;
  int32_t ClientWidth;
  int32_t ClientHeight;
  bool ShowCaption;
  POINT FloatingBorderSize;
  int32_t CloseButtonState;
  int32_t RedrawPart;
  const wchar_t* Caption;
  bool Active;
};

// The frame of a pop-up; ParentRect is the opening item in the pop-up's window coordinates, empty for none.
struct TStyledPopupPaintInfo {
  HWND WindowHandle;
  int32_t ViewType;
  POINT BorderSize;
  RECT ParentRect;
};

struct TStyledEditButtonInfo {
  int32_t ButtonType;
  int32_t ButtonState;
};

// The edit item's box: widths taken at the left and by the right button (0 for none), and both buttons.
struct TStyledEditFrameInfo {
  int32_t LeftWidth;
  int32_t RightWidth;
  TStyledEditButtonInfo LeftButton;
  TStyledEditButtonInfo RightButton;
};

// The caption strip of a docked panel.
struct TStyledDockedCaptionInfo {
  int32_t ViewType;
  bool HorizontalCaption;
  POINT BorderSize;
  bool ShowCaption;
  int32_t CloseButtonState;
  const wchar_t* Caption;
};

// A theme: created by the registry with its name, told of system changes by CM_STYLEDSYSCOMMAND through Dispatch.
// Every operation but the constructor is abstract; a concrete theme adds its own colour set-up after them.
class TStyledTheme : public TObject {
  BC_CLASS(TStyledTheme, TObject)
  explicit TStyledTheme(const String& name) : name_(name) {}

  const String& Name() const { return name_; }
  // Runs once the whole object exists (the registry calls it right after creating a theme): a constructor cannot
  // reach a derived class's overrides, this can.
  virtual void AfterConstruction() {}

  // Added to the position of an item's image.
  virtual POINT ItemImageOffset(TCanvas* canvas, const TStyledItemPaintInfo& itemInfo, TCustomImageList* imageList) = 0;
  virtual TColor ItemBackColor(const TStyledItemPaintInfo& itemInfo) = 0;
  virtual TColor ItemTextColor(const TStyledItemPaintInfo& itemInfo) = 0;
  virtual TColor ItemImageBackColor(const TStyledItemPaintInfo& itemInfo) = 0;
  virtual void MarginsById(int marginId, TStyledMargins& margins) = 0;
  // 1 the system's drop shadow, 2 layered shadows that spare the opening item, 3 layered shadows all round.
  virtual int PopupShadowKind() = 0;
  virtual void ViewBorderSize(int viewType, POINT& size) = 0;
  virtual TColor ViewBackColor(int viewType) = 0;
  virtual void ViewMargins(int viewType, TStyledMargins& margins) = 0;
  virtual void PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect, const RECT& clipRect,
                                   TColor color, bool transparent, int viewType) = 0;
  virtual void PaintButtonFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) = 0;
  // format holds DrawText flags.
  virtual void PaintItemCaption(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                const String& caption, UINT format, bool rotated) = 0;
  virtual void PaintCheckGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) = 0;
  virtual void PaintChevronGlyph(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) = 0;
  // The frame and then the right button; the item record may be changed while the button paints and put back.
  virtual void PaintEditFrame(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                              const TStyledEditFrameInfo& editInfo) = 0;
  virtual void PaintEditButton(TCanvas* canvas, const RECT& rect, TStyledItemPaintInfo& itemInfo,
                               const TStyledEditButtonInfo& buttonInfo) = 0;
  // position: dpTop, dpBottom, dpLeft or dpRight.
  virtual void PaintDockBackground(TCanvas* canvas, const RECT& clientRect, const RECT& paintRect, int position) = 0;
  virtual void PaintDockedCaption(TCanvas* canvas, const RECT& rect, const TStyledDockedCaptionInfo& captionInfo) = 0;
  virtual void PaintDropDownArrow(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) = 0;
  virtual void PaintFloatingFrame(TCanvas* canvas, const RECT& rect, const TStyledWindowPaintInfo& windowInfo) = 0;
  virtual void PaintItemFrame(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) = 0;
  virtual void PaintItemImage(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                              TCustomImageList* imageList, int imageIndex) = 0;
  // buttonKind: mbClose, mbMinimize, mbMaximize or mbRestore.
  virtual void PaintMdiButton(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                              UINT buttonKind) = 0;
  virtual void PaintMenuItem(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) = 0;
  virtual void PaintMenuItemHighlight(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) = 0;
  // buttonType: sbUp, sbDown, sbLeft or sbRight.
  virtual void PaintScrollButton(TCanvas* canvas, const RECT& rect, int buttonType, bool flat) = 0;
  virtual void PaintPopupFrame(TCanvas* canvas, const RECT& rect, const TStyledPopupPaintInfo& popupInfo) = 0;
  virtual void PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo, bool horizontal,
                              bool lineOnly) = 0;
  virtual void PaintToolbarFrame(TCanvas* canvas, const RECT& rect, const TStyledToolbarPaintInfo& toolbarInfo) = 0;
  // controlType: scCheckBox or scRadioButton; state: scs bits.
  virtual void PaintStandardControl(TCanvas* canvas, const RECT& rect, int controlType, int state) = 0;
  // part: spBackground, spPane, spLastPane or spSizeGrip.
  virtual void PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) = 0;
  virtual int IntegerMetric(int index) = 0;
  virtual bool BooleanMetric(int index) = 0;

 private:
  String name_;
};

// A class of theme: creates instances of exactly that class from a name.
using TStyledThemeClass = TClassRef<TStyledTheme, const String&>;

}  // namespace toolbars

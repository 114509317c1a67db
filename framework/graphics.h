// Colours, the three drawing tools (font, brush, pen) and the canvas that selects them into any device context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "framework/component.h"
#include "framework/delegate.h"
#include "framework/nesting_bracket.h"
#include "framework/set.h"

class TBitmap;
class TGraphic;

// 0x00BBGGRR for a plain colour; 0x800000NN for system colour NN, resolved by ColorToRGB when painted.
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

// "No colour": a painter given clNone skips that fill or frame.
constexpr TColor clNone = 0x1FFFFFFF;
// "Whatever the owner would use": resolved by the component that holds the property.
constexpr TColor clDefault = 0x20000000;

inline bool IsSystemColor(TColor color) { return color < 0; }
// The RGB value of a colour: a system colour becomes the system's current value; every other value is unchanged.
TColor ColorToRGB(TColor color);
// The stored name of a colour ("clBtnFace"), or false when it has none.
bool ColorToIdent(TColor color, String& ident);
bool IdentToColor(const String& ident, TColor& color);
// The name of a colour when it has one, else its value in hexadecimal ("$00C0FFEE").
String ColorToString(TColor color);

// A colour's stored name.
struct TColorName {
  TColor Color;
  const wchar_t* Name;
};
// Further names a component set adds (the table must outlive its registration): both lookups search the tables
// registered, the last first, before the framework's own names.
void RegisterColorNames(std::span<const TColorName> names);
void UnregisterColorNames(std::span<const TColorName> names);
// Reads a colour name, a "$" hexadecimal or a decimal value; raises EConvertError for anything else.
TColor StringToColor(const String& text);

// The common part of TFont, TBrush and TPen: an OnChange event raised after every effective change, and a
// lazily created handle. A change that the handle depends on only marks it stale: it is rebuilt on the next
// Handle(), after the listeners (a canvas) have had the chance to take the old one out of their DC.
class TGraphicsObject : public TPersistent, protected TEventSource {
  BC_CLASS(TGraphicsObject, TPersistent)
  TGraphicsObject() = default;
  TGraphicsObject(const TGraphicsObject&) = delete;
  TGraphicsObject& operator=(const TGraphicsObject&) = delete;
  ~TGraphicsObject() override;

  TNotifyEvent OnChange;

 protected:
  // Raises OnChange; handleAffected marks the handle stale.
  void Changed(bool handleAffected = true);
  // The current handle, built by CreateHandle when there is none or it is stale.
  HGDIOBJ GetHandle();
  // Takes ownership of handle, freeing the previous one.
  void AdoptHandle(HGDIOBJ handle);
  virtual HGDIOBJ CreateHandle() = 0;

 private:
  HGDIOBJ handle_ = nullptr;
  bool stale_ = false;
};

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, 4>;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
  BC_CLASS(TFont, TGraphicsObject)
  // Starts as the system's default interface font.
  TFont();
  const TPublishedTable& PublishedTable() const override;

  void Assign(const TPersistent* source) override;

  const String& Name() const { return name_; }
  void SetName(const String& value);
  // Point size; Height and Size are two views of one value, converted through PixelsPerInch.
  int Size() const;
  void SetSize(int value);
  // Character height in pixels, negative as the platform takes it (a positive value is the cell height).
  int Height() const { return height_; }
  void SetHeight(int value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value);
  int PixelsPerInch() const { return pixelsPerInch_; }
  // Changes the resolution Size is measured in; the pixel height stays, so Size changes.
  void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }

  // Created on first use from the values above.
  HFONT Handle() { return static_cast<HFONT>(GetHandle()); }
  // Adopts a font the caller made (a rotated one, say): the values are read back from it and the font is freed
  // with this object.
  void SetHandle(HFONT value);

 protected:
  HGDIOBJ CreateHandle() override;

 private:
  String name_;
  int height_ = 0;
  TFontStyles style_;
  TColor color_ = clWindowText;
  BYTE charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  int pixelsPerInch_ = 96;
  // Escapement and orientation of an adopted font, kept so that a later change of colour does not undo them.
  LONG escapement_ = 0;
  LONG orientation_ = 0;
};

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
  BC_CLASS(TBrush, TGraphicsObject)
  TBrush() = default;
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

  TColor Color() const { return color_; }
  // Also makes a clear brush solid again, as painting with a colour means.
  void SetColor(TColor value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle value);
  // A pattern bitmap, not owned; while set it overrides Style. A one-bit pattern takes the canvas's text colour
  // for its 0 bits and the brush colour for its 1 bits.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* value);

  HBRUSH Handle() { return static_cast<HBRUSH>(GetHandle()); }

 protected:
  HGDIOBJ CreateHandle() override;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  TBitmap* bitmap_ = nullptr;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};

class TPen : public TGraphicsObject {
  BC_CLASS(TPen, TGraphicsObject)
  TPen() = default;
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  int Width() const { return width_; }
  void SetWidth(int value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value);
  // The raster operation lines are drawn with; applied by the canvas, not part of the pen's handle.
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);

  HPEN Handle() { return static_cast<HPEN>(GetHandle()); }

 protected:
  HGDIOBJ CreateHandle() override;

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = TPenStyle::psSolid;
  TPenMode mode_ = TPenMode::pmCopy;
};

// Draws on a device context it is given (SetHandle) or, in a subclass, one it makes on demand (CreateHandle).
// The font, brush and pen are selected only when a drawing call needs them, and the DC's own objects are put
// back when the canvas lets go of the DC. Font, brush and pen changes take effect on the next drawing call.
//
// OnChanging and OnChange tell of drawing, and their handlers may free the canvas with its owner (a bitmap, a
// control). Paint code makes many drawing calls, through helpers and themes, on the canvas it was handed; none of
// them could hand on an answer, so no drawing call raises anything before it draws, and none raises anything
// within a drawing: a drawing is bracketed by BeginDrawing, which raises OnChanging and answers whether the
// canvas outlived it (a drawer told it is gone draws nothing), and EndDrawing, which raises OnChange as the
// drawer's last act. A control's paint and an owner-drawn item are such drawings. A drawing call made outside a
// bracket (an application drawing on a bitmap) raises OnChange as its own last act, as a font's or a list's
// change does, and so a bitmap, the picture that holds it, and an image showing that picture hear of it.
class TCanvas : public TPersistent, protected TEventSource {
  BC_CLASS(TCanvas, TPersistent)
  TCanvas();

  // A canvas goes with the control that paints on it, which a handler called while painting may free.
  using TEventSource::LifeWatch;
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The device context; a subclass is asked to create one when there is none. Raises EInvalidOperation
  // "Canvas does not allow drawing" when there is still none.
  HDC Handle();
  // Gives the canvas another DC (or none); the objects it selected into the previous one are taken out again.
  void SetHandle(HDC value);
  bool HandleAllocated() const { return handle_ != nullptr; }

  TFont* Font() const { return font_.get(); }
  TBrush* Brush() const { return brush_.get(); }
  TPen* Pen() const { return pen_.get(); }
  void SetFont(const TFont* value) { font_->Assign(value); }
  void SetBrush(const TBrush* value) { brush_->Assign(value); }

  POINT PenPos() const { return penPos_; }
  // The raster operation of Draw, StretchDraw and CopyRect; SRCCOPY by default.
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD value) { copyMode_ = value; }
  // The part of the DC that drawing can reach, in logical coordinates.
  RECT ClipRect();

  void MoveTo(int x, int y);
  // A line from the pen position to (x, y), leaving out that end point.
  void LineTo(int x, int y);
  void Polyline(const std::vector<POINT>& points);
  void Polygon(const std::vector<POINT>& points);
  // Shapes outlined with the pen and filled with the brush; right and bottom are exclusive.
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
  void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
  void Ellipse(int left, int top, int right, int bottom);
  void Ellipse(const RECT& rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
  // Fills with the brush and no outline.
  void FillRect(const RECT& rect);
  // A one-pixel frame in the brush.
  void FrameRect(const RECT& rect);
  void DrawFocusRect(const RECT& rect);

  void TextOut(int x, int y, const String& text);
  // Text at (x, y) clipped to rect; with an opaque brush the rest of rect is filled too.
  void TextRect(const RECT& rect, int x, int y, const String& text);
  // Text laid out by the platform's DrawText flags (alignment, single line, '&' prefixes, DT_CALCRECT) in rect,
  // in the canvas's font, on a transparent background while the brush is clear.
  void TextRect(RECT& rect, const String& text, UINT format);
  SIZE TextExtent(const String& text);
  int TextWidth(const String& text) { return TextExtent(text).cx; }
  int TextHeight(const String& text) { return TextExtent(text).cy; }

  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const RECT& rect, TGraphic* graphic);
  // Copies source's sourceRect into dest, stretched to fit, with CopyMode.
  void CopyRect(const RECT& dest, TCanvas* source, const RECT& sourceRect);

  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);

  // Serialises drawing from several threads; the tree locks its row bitmap's canvas while it paints.
  void Lock();
  void Unlock();
  // Locks only a canvas nobody, this thread included, has locked.
  bool TryLock();
  int LockCount() const { return lockCount_; }

  // Forgets what is selected, so the next drawing call selects the current font, brush and pen afresh.
  void Refresh();

  // A drawing's bracket; brackets nest, and only the outermost raises. BeginDrawing raises OnChanging and answers
  // whether the canvas outlived it; every BeginDrawing that answered so (and raised nothing) is matched by one
  // EndDrawing, which raises OnChange as its caller's last act on the canvas.
  [[nodiscard]] TRaised BeginDrawing();
  void EndDrawing();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Called when a handle is needed and none is set; a subclass makes one and passes it to SetHandle.
  virtual void CreateHandle() {}
  // Puts back the DC's own objects; subclasses call it before releasing a DC they made.
  void DeselectHandles();
  // Closes a bracket without raising anything, for a drawing that ends by an exception.
  void AbandonDrawing();
  virtual void Changed();

 private:
  enum class TState { csHandleValid, csFontValid, csPenValid, csBrushValid };
  using TStates = TSet<TState, 4>;

  void RequiredState(TStates required);
  // What every drawing call ends with: OnChange, unless a bracket is open.
  void Drawn();
  void SelectFont();
  void SelectPen();
  void SelectBrush();
  void FontChanged(TObject* sender);
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);

  HDC handle_ = nullptr;
  TStates state_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TBrush> brush_;
  std::unique_ptr<TPen> pen_;
  HGDIOBJ originalFont_ = nullptr;
  HGDIOBJ originalBrush_ = nullptr;
  HGDIOBJ originalPen_ = nullptr;
  POINT penPos_{};
  DWORD copyMode_ = SRCCOPY;
  CRITICAL_SECTION lock_;
  int lockCount_ = 0;
  TNestingBracket drawings_;
};

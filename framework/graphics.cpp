#include "framework/graphics.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <span>

#include "framework/bitmap.h"
#include "framework/exceptions.h"
#include "framework/properties.h"

namespace {

// Plain colours first, so a value shared by two names (clSilver, clLtGray) is stored under the first.
const TColorName kColorNames[] = {
    {clBlack, L"clBlack"},
    {clMaroon, L"clMaroon"},
    {clGreen, L"clGreen"},
    {clOlive, L"clOlive"},
    {clNavy, L"clNavy"},
    {clPurple, L"clPurple"},
    {clTeal, L"clTeal"},
    {clGray, L"clGray"},
    {clSilver, L"clSilver"},
    {clRed, L"clRed"},
    {clLime, L"clLime"},
    {clYellow, L"clYellow"},
    {clBlue, L"clBlue"},
    {clFuchsia, L"clFuchsia"},
    {clAqua, L"clAqua"},
    {clWhite, L"clWhite"},
    {clLtGray, L"clLtGray"},
    {clDkGray, L"clDkGray"},
    {clScrollBar, L"clScrollBar"},
    {clBackground, L"clBackground"},
    {clActiveCaption, L"clActiveCaption"},
    {clInactiveCaption, L"clInactiveCaption"},
    {clMenu, L"clMenu"},
    {clWindow, L"clWindow"},
    {clWindowFrame, L"clWindowFrame"},
    {clMenuText, L"clMenuText"},
    {clWindowText, L"clWindowText"},
    {clCaptionText, L"clCaptionText"},
    {clActiveBorder, L"clActiveBorder"},
    {clInactiveBorder, L"clInactiveBorder"},
    {clAppWorkSpace, L"clAppWorkSpace"},
    {clHighlight, L"clHighlight"},
    {clHighlightText, L"clHighlightText"},
    {clBtnFace, L"clBtnFace"},
    {clBtnShadow, L"clBtnShadow"},
    {clGrayText, L"clGrayText"},
    {clBtnText, L"clBtnText"},
    {clInactiveCaptionText, L"clInactiveCaptionText"},
    {clBtnHighlight, L"clBtnHighlight"},
    {cl3DDkShadow, L"cl3DDkShadow"},
    {cl3DLight, L"cl3DLight"},
    {clInfoText, L"clInfoText"},
    {clInfoBk, L"clInfoBk"},
    {clHotLight, L"clHotLight"},
    {clGradientActiveCaption, L"clGradientActiveCaption"},
    {clGradientInactiveCaption, L"clGradientInactiveCaption"},
    {clMenuHighlight, L"clMenuHighlight"},
    {clMenuBar, L"clMenuBar"},
    {clNone, L"clNone"},
    {clDefault, L"clDefault"},
};

int ScreenPixelsPerInch() {
  HDC screen = GetDC(nullptr);
  int ppi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return ppi > 0 ? ppi : 96;
}

const int kPenModeRop[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,        R2_COPYPEN,  R2_NOTCOPYPEN,
                           R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                           R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};

const int kPenStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};

// A one-bit DIB section would paint with its own colour table; a one-bit device-dependent copy paints its 0 bits
// in the DC's text colour and its 1 bits in the background colour, which is what a one-bit pattern means.
HBRUSH CreatePatternBrushOf(TBitmap& bitmap) {
  if (!bitmap.Monochrome()) return CreatePatternBrush(bitmap.Handle());
  int width = bitmap.Width();
  int height = bitmap.Height();
  int rowBytes = ((width + 15) / 16) * 2;
  std::vector<BYTE> bits(static_cast<size_t>(rowBytes) * height);
  for (int y = 0; y < height; ++y)
    std::memcpy(&bits[static_cast<size_t>(y) * rowBytes], bitmap.ScanLine(y), static_cast<size_t>((width + 7) / 8));
  HBITMAP plain = CreateBitmap(width, height, 1, 1, bits.data());
  HBRUSH brush = CreatePatternBrush(plain);
  DeleteObject(plain);
  return brush;
}

}  // namespace

TColor ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return static_cast<TColor>(GetSysColor(color & 0xFF));
  return color;
}

namespace {

// Tables of further names, the one registered last first.
std::vector<std::span<const TColorName>>& ExtraColorNames() {
  static std::vector<std::span<const TColorName>> tables;
  return tables;
}

template <class Match>
const TColorName* FindColorName(Match match) {
  const auto& tables = ExtraColorNames();
  for (auto table = tables.rbegin(); table != tables.rend(); ++table)
    for (const TColorName& entry : *table)
      if (match(entry)) return &entry;
  for (const TColorName& entry : kColorNames)
    if (match(entry)) return &entry;
  return nullptr;
}

}  // namespace

void RegisterColorNames(std::span<const TColorName> names) { ExtraColorNames().push_back(names); }

void UnregisterColorNames(std::span<const TColorName> names) {
  auto& tables = ExtraColorNames();
  for (auto table = tables.begin(); table != tables.end(); ++table)
    if (table->data() == names.data()) {
      tables.erase(table);
      return;
    }
}

bool ColorToIdent(TColor color, String& ident) {
  const TColorName* entry = FindColorName([color](const TColorName& e) { return e.Color == color; });
  if (entry) ident = entry->Name;
  return entry != nullptr;
}

bool IdentToColor(const String& ident, TColor& color) {
  const TColorName* entry =
      FindColorName([&ident](const TColorName& e) { return _wcsicmp(e.Name, ident.c_str()) == 0; });
  if (entry) color = entry->Color;
  return entry != nullptr;
}

String ColorToString(TColor color) {
  String ident;
  if (ColorToIdent(color, ident)) return ident;
  wchar_t text[16];
  swprintf(text, 16, L"$%.8X", static_cast<unsigned>(color));
  return text;
}

TColor StringToColor(const String& text) {
  TColor color;
  if (IdentToColor(text, color)) return color;
  const wchar_t* digits = text.c_str();
  int base = 10;
  if (!text.empty() && text[0] == L'$') {
    ++digits;
    base = 16;
  }
  wchar_t* end = nullptr;
  errno = 0;
  long long value = base == 16 ? static_cast<long long>(wcstoull(digits, &end, 16)) : wcstoll(digits, &end, 10);
  bool valid = *digits != 0 && !std::iswspace(*digits) && end && *end == 0 && errno == 0 && value >= INT32_MIN &&
               value <= static_cast<long long>(UINT32_MAX);
  if (!valid) throw EConvertError(Format(L"'%s' is not a valid integer value", {text}));
  return static_cast<TColor>(static_cast<std::uint32_t>(value));
}

// TGraphicsObject

TGraphicsObject::~TGraphicsObject() {
  if (handle_) DeleteObject(handle_);
}

void TGraphicsObject::Changed(bool handleAffected) {
  if (handleAffected) stale_ = true;
  // The last act of every caller: each is done with the object.
  if (RaiseEvent(OnChange, this).Gone()) return;
}

HGDIOBJ TGraphicsObject::GetHandle() {
  if (!handle_ || stale_) AdoptHandle(CreateHandle());
  return handle_;
}

void TGraphicsObject::AdoptHandle(HGDIOBJ handle) {
  if (handle_ && handle_ != handle) DeleteObject(handle_);
  handle_ = handle;
  stale_ = false;
}

// TFont

TFont::TFont() {
  pixelsPerInch_ = ScreenPixelsPerInch();
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  name_ = font.lfFaceName;
  height_ = font.lfHeight;
}

// Height is stored rather than Size: it is what the font is made from, so nothing is lost to rounding.
const TPublishedTable& TFont::PublishedTable() const {
  using P = TPublished<TFont>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Integer(L"Charset", &TFont::Charset, &TFont::SetCharset).Default(static_cast<BYTE>(DEFAULT_CHARSET)),
          P::Color(L"Color", &TFont::Color, &TFont::SetColor).Default(clWindowText),
          P::Integer(L"Height", &TFont::Height, &TFont::SetHeight),
          P::Text(L"Name", &TFont::Name, &TFont::SetName),
          P::Enumeration(L"Pitch", &TFont::Pitch, &TFont::SetPitch, {L"fpDefault", L"fpVariable", L"fpFixed"})
              .Default(TFontPitch::fpDefault),
          P::Set(L"Style", &TFont::Style, &TFont::SetStyle, {L"fsBold", L"fsItalic", L"fsUnderline", L"fsStrikeOut"})
              .Default(TFontStyles{}),
      });
  return table;
}

void TFont::Assign(const TPersistent* source) {
  const TFont* font = ObjectAs<const TFont>(source);
  if (!font) return TPersistent::Assign(source);
  if (font == this) return;
  name_ = font->name_;
  height_ = MulDiv(font->height_, pixelsPerInch_, font->pixelsPerInch_);
  style_ = font->style_;
  color_ = font->color_;
  charset_ = font->charset_;
  pitch_ = font->pitch_;
  escapement_ = font->escapement_;
  orientation_ = font->orientation_;
  Changed();
}

void TFont::SetName(const String& value) {
  if (value.empty() || value == name_) return;
  name_ = value;
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int value) { SetHeight(-MulDiv(value, pixelsPerInch_, 72)); }

void TFont::SetHeight(int value) {
  if (value == height_) return;
  height_ = value;
  Changed();
}

void TFont::SetStyle(TFontStyles value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TFont::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed(false);
}

void TFont::SetCharset(BYTE value) {
  if (value == charset_) return;
  charset_ = value;
  Changed();
}

void TFont::SetPitch(TFontPitch value) {
  if (value == pitch_) return;
  pitch_ = value;
  Changed();
}

HGDIOBJ TFont::CreateHandle() {
  LOGFONTW font{};
  font.lfHeight = height_;
  font.lfEscapement = escapement_;
  font.lfOrientation = orientation_;
  font.lfWeight = style_.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = style_.Contains(TFontStyle::fsItalic);
  font.lfUnderline = style_.Contains(TFontStyle::fsUnderline);
  font.lfStrikeOut = style_.Contains(TFontStyle::fsStrikeOut);
  font.lfCharSet = charset_;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = pitch_ == TFontPitch::fpFixed      ? FIXED_PITCH
                          : pitch_ == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                             : DEFAULT_PITCH;
  wcsncpy_s(font.lfFaceName, name_.c_str(), _TRUNCATE);
  return CreateFontIndirectW(&font);
}

void TFont::SetHandle(HFONT value) {
  LOGFONTW font{};
  if (!value || !GetObjectW(value, sizeof font, &font)) return;
  name_ = font.lfFaceName;
  height_ = font.lfHeight;
  escapement_ = font.lfEscapement;
  orientation_ = font.lfOrientation;
  TFontStyles style;
  if (font.lfWeight >= FW_BOLD) style += TFontStyle::fsBold;
  if (font.lfItalic) style += TFontStyle::fsItalic;
  if (font.lfUnderline) style += TFontStyle::fsUnderline;
  if (font.lfStrikeOut) style += TFontStyle::fsStrikeOut;
  style_ = style;
  charset_ = font.lfCharSet;
  int pitch = font.lfPitchAndFamily & 3;
  pitch_ = pitch == FIXED_PITCH      ? TFontPitch::fpFixed
           : pitch == VARIABLE_PITCH ? TFontPitch::fpVariable
                                     : TFontPitch::fpDefault;
  // Listeners let go of the old font before it is freed.
  Changed();
  AdoptHandle(value);
}

// TBrush

const TPublishedTable& TBrush::PublishedTable() const {
  using P = TPublished<TBrush>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Color(L"Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite),
                                         P::Enumeration(L"Style", &TBrush::Style, &TBrush::SetStyle,
                                                        {L"bsSolid", L"bsClear", L"bsHorizontal", L"bsVertical",
                                                         L"bsFDiagonal", L"bsBDiagonal", L"bsCross", L"bsDiagCross"})
                                             .Default(TBrushStyle::bsSolid),
                                     });
  return table;
}

void TBrush::Assign(const TPersistent* source) {
  const TBrush* brush = ObjectAs<const TBrush>(source);
  if (!brush) return TPersistent::Assign(source);
  if (brush == this) return;
  color_ = brush->color_;
  style_ = brush->style_;
  bitmap_ = brush->bitmap_;
  Changed();
}

void TBrush::SetColor(TColor value) {
  if (value == color_ && style_ != TBrushStyle::bsClear) return;
  color_ = value;
  if (style_ == TBrushStyle::bsClear) style_ = TBrushStyle::bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == bitmap_) return;
  bitmap_ = value;
  Changed();
}

HGDIOBJ TBrush::CreateHandle() {
  if (bitmap_ && !bitmap_->Empty()) return CreatePatternBrushOf(*bitmap_);
  COLORREF color = static_cast<COLORREF>(ColorToRGB(color_));
  switch (style_) {
    case TBrushStyle::bsSolid:
      return CreateSolidBrush(color);
    case TBrushStyle::bsClear:
      return GetStockObject(NULL_BRUSH);
    case TBrushStyle::bsHorizontal:
      return CreateHatchBrush(HS_HORIZONTAL, color);
    case TBrushStyle::bsVertical:
      return CreateHatchBrush(HS_VERTICAL, color);
    case TBrushStyle::bsFDiagonal:
      return CreateHatchBrush(HS_FDIAGONAL, color);
    case TBrushStyle::bsBDiagonal:
      return CreateHatchBrush(HS_BDIAGONAL, color);
    case TBrushStyle::bsCross:
      return CreateHatchBrush(HS_CROSS, color);
    case TBrushStyle::bsDiagCross:
      return CreateHatchBrush(HS_DIAGCROSS, color);
  }
  return CreateSolidBrush(color);
}

// TPen

const TPublishedTable& TPen::PublishedTable() const {
  using P = TPublished<TPen>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Color(L"Color", &TPen::Color, &TPen::SetColor).Default(clBlack),
          P::Enumeration(L"Mode", &TPen::Mode, &TPen::SetMode,
                         {L"pmBlack", L"pmWhite", L"pmNop", L"pmNot", L"pmCopy", L"pmNotCopy", L"pmMergePenNot",
                          L"pmMaskPenNot", L"pmMergeNotPen", L"pmMaskNotPen", L"pmMerge", L"pmNotMerge", L"pmMask",
                          L"pmNotMask", L"pmXor", L"pmNotXor"})
              .Default(TPenMode::pmCopy),
          P::Enumeration(L"Style", &TPen::Style, &TPen::SetStyle,
                         {L"psSolid", L"psDash", L"psDot", L"psDashDot", L"psDashDotDot", L"psClear", L"psInsideFrame"})
              .Default(TPenStyle::psSolid),
          P::Integer(L"Width", &TPen::Width, &TPen::SetWidth).Default(1),
      });
  return table;
}

void TPen::Assign(const TPersistent* source) {
  const TPen* pen = ObjectAs<const TPen>(source);
  if (!pen) return TPersistent::Assign(source);
  if (pen == this) return;
  color_ = pen->color_;
  width_ = pen->width_;
  style_ = pen->style_;
  mode_ = pen->mode_;
  Changed();
}

void TPen::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TPen::SetWidth(int value) {
  if (value < 0 || value == width_) return;
  width_ = value;
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == mode_) return;
  mode_ = value;
  Changed(false);
}

HGDIOBJ TPen::CreateHandle() {
  return CreatePen(kPenStyles[static_cast<int>(style_)], width_, static_cast<COLORREF>(ColorToRGB(color_)));
}

// TCanvas

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), brush_(std::make_unique<TBrush>()), pen_(std::make_unique<TPen>()) {
  InitializeCriticalSection(&lock_);
  font_->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  brush_->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
  pen_->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  DeleteCriticalSection(&lock_);
}

HDC TCanvas::Handle() {
  RequiredState({TState::csHandleValid, TState::csFontValid, TState::csPenValid, TState::csBrushValid});
  return handle_;
}

void TCanvas::SetHandle(HDC value) {
  if (value == handle_) return;
  if (handle_) DeselectHandles();
  handle_ = value;
  state_ = value ? TStates{TState::csHandleValid} : TStates{};
}

void TCanvas::DeselectHandles() {
  if (!handle_) return;
  if (state_.Contains(TState::csFontValid)) SelectObject(handle_, originalFont_);
  if (state_.Contains(TState::csPenValid)) SelectObject(handle_, originalPen_);
  if (state_.Contains(TState::csBrushValid)) SelectObject(handle_, originalBrush_);
  originalFont_ = originalPen_ = originalBrush_ = nullptr;
  state_ -= TStates{TState::csFontValid, TState::csPenValid, TState::csBrushValid};
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::RequiredState(TStates required) {
  TStates needed = required - state_;
  if (needed.Empty()) return;
  if (needed.Contains(TState::csHandleValid)) {
    CreateHandle();
    if (!handle_) throw EInvalidOperation(L"Canvas does not allow drawing");
    state_ += TState::csHandleValid;
  }
  if (needed.Contains(TState::csFontValid)) SelectFont();
  if (needed.Contains(TState::csPenValid)) SelectPen();
  if (needed.Contains(TState::csBrushValid)) SelectBrush();
}

void TCanvas::SelectFont() {
  HGDIOBJ previous = SelectObject(handle_, font_->Handle());
  if (!originalFont_) originalFont_ = previous;
  SetTextColor(handle_, static_cast<COLORREF>(ColorToRGB(font_->Color())));
  state_ += TState::csFontValid;
}

void TCanvas::SelectPen() {
  HGDIOBJ previous = SelectObject(handle_, pen_->Handle());
  if (!originalPen_) originalPen_ = previous;
  SetROP2(handle_, kPenModeRop[static_cast<int>(pen_->Mode())]);
  state_ += TState::csPenValid;
}

void TCanvas::SelectBrush() {
  // A one-bit pattern brush paints its 0 bits in the text colour: that is the font colour, as with text.
  if (brush_->Bitmap()) SetTextColor(handle_, static_cast<COLORREF>(ColorToRGB(font_->Color())));
  HGDIOBJ previous = SelectObject(handle_, brush_->Handle());
  if (!originalBrush_) originalBrush_ = previous;
  SetBkColor(handle_, static_cast<COLORREF>(ColorToRGB(brush_->Color())));
  SetBkMode(handle_, brush_->Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
  state_ += TState::csBrushValid;
}

void TCanvas::FontChanged(TObject*) {
  if (!state_.Contains(TState::csFontValid)) return;
  state_ -= TState::csFontValid;
  SelectObject(handle_, originalFont_);
}

void TCanvas::PenChanged(TObject*) {
  if (!state_.Contains(TState::csPenValid)) return;
  state_ -= TState::csPenValid;
  SelectObject(handle_, originalPen_);
}

void TCanvas::BrushChanged(TObject*) {
  if (!state_.Contains(TState::csBrushValid)) return;
  state_ -= TState::csBrushValid;
  SelectObject(handle_, originalBrush_);
}

TRaised TCanvas::BeginDrawing() {
  return drawings_.Begin(LifeWatch(), [this] { return RaiseEvent(OnChanging, this); });
}

void TCanvas::EndDrawing() {
  if (drawings_.End()) Changed();
}

void TCanvas::AbandonDrawing() { drawings_.Abandon(); }

void TCanvas::Drawn() {
  if (drawings_.Depth() == 0) Changed();
}

void TCanvas::Changed() {
  // The last act of every caller: a drawing call's, or a drawing's bracket's, each done with the canvas.
  if (RaiseEvent(OnChange, this).Gone()) return;
}

RECT TCanvas::ClipRect() {
  RequiredState({TState::csHandleValid});
  RECT rect{};
  GetClipBox(handle_, &rect);
  return rect;
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState({TState::csHandleValid});
  MoveToEx(handle_, x, y, nullptr);
  penPos_ = {x, y};
}

void TCanvas::LineTo(int x, int y) {
  RequiredState({TState::csHandleValid, TState::csPenValid, TState::csBrushValid});
  ::LineTo(handle_, x, y);
  penPos_ = {x, y};
  Drawn();
}

void TCanvas::Polyline(const std::vector<POINT>& points) {
  if (points.empty()) return;
  RequiredState({TState::csHandleValid, TState::csPenValid, TState::csBrushValid});
  ::Polyline(handle_, points.data(), static_cast<int>(points.size()));
  Drawn();
}

void TCanvas::Polygon(const std::vector<POINT>& points) {
  if (points.empty()) return;
  RequiredState({TState::csHandleValid, TState::csPenValid, TState::csBrushValid});
  ::Polygon(handle_, points.data(), static_cast<int>(points.size()));
  Drawn();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  RequiredState({TState::csHandleValid, TState::csPenValid, TState::csBrushValid});
  ::Rectangle(handle_, left, top, right, bottom);
  Drawn();
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
  RequiredState({TState::csHandleValid, TState::csPenValid, TState::csBrushValid});
  ::RoundRect(handle_, left, top, right, bottom, cornerWidth, cornerHeight);
  Drawn();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  RequiredState({TState::csHandleValid, TState::csPenValid, TState::csBrushValid});
  ::Ellipse(handle_, left, top, right, bottom);
  Drawn();
}

void TCanvas::FillRect(const RECT& rect) {
  RequiredState({TState::csHandleValid, TState::csBrushValid});
  ::FillRect(handle_, &rect, brush_->Handle());
  Drawn();
}

void TCanvas::FrameRect(const RECT& rect) {
  RequiredState({TState::csHandleValid, TState::csBrushValid});
  ::FrameRect(handle_, &rect, brush_->Handle());
  Drawn();
}

void TCanvas::DrawFocusRect(const RECT& rect) {
  RequiredState({TState::csHandleValid, TState::csBrushValid});
  ::DrawFocusRect(handle_, &rect);
  Drawn();
}

void TCanvas::TextOut(int x, int y, const String& text) {
  RequiredState({TState::csHandleValid, TState::csFontValid, TState::csBrushValid});
  ExtTextOutW(handle_, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  MoveTo(x + TextWidth(text), y);
  Drawn();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const String& text) {
  RequiredState({TState::csHandleValid, TState::csFontValid, TState::csBrushValid});
  UINT options = ETO_CLIPPED;
  if (brush_->Style() != TBrushStyle::bsClear) options |= ETO_OPAQUE;
  ExtTextOutW(handle_, x, y, options, &rect, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  Drawn();
}

void TCanvas::TextRect(RECT& rect, const String& text, UINT format) {
  RequiredState({TState::csHandleValid, TState::csFontValid, TState::csBrushValid});
  DrawTextW(handle_, text.c_str(), static_cast<int>(text.size()), &rect, format);
  Drawn();
}

SIZE TCanvas::TextExtent(const String& text) {
  RequiredState({TState::csHandleValid, TState::csFontValid});
  SIZE size{};
  GetTextExtentPoint32W(handle_, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  RequiredState({TState::csHandleValid});
  SetBkColor(handle_, static_cast<COLORREF>(ColorToRGB(brush_->Color())));
  graphic->Draw(this, RECT{x, y, x + graphic->Width(), y + graphic->Height()});
  Drawn();
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  RequiredState({TState::csHandleValid});
  graphic->Draw(this, rect);
  Drawn();
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* source, const RECT& sourceRect) {
  RequiredState({TState::csHandleValid, TState::csFontValid, TState::csBrushValid});
  source->RequiredState({TState::csHandleValid, TState::csFontValid, TState::csBrushValid});
  StretchBlt(handle_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source->handle_,
             sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left, sourceRect.bottom - sourceRect.top,
             copyMode_);
  Drawn();
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState({TState::csHandleValid});
  return static_cast<TColor>(GetPixel(handle_, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  RequiredState({TState::csHandleValid, TState::csPenValid});
  SetPixel(handle_, x, y, static_cast<COLORREF>(ColorToRGB(color)));
  Drawn();
}

void TCanvas::Lock() {
  EnterCriticalSection(&lock_);
  ++lockCount_;
}

void TCanvas::Unlock() {
  --lockCount_;
  LeaveCriticalSection(&lock_);
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&lock_)) return false;
  // The section lets its own thread in again; a canvas this thread is drawing with is just as busy.
  if (lockCount_ > 0) {
    LeaveCriticalSection(&lock_);
    return false;
  }
  ++lockCount_;
  return true;
}

#include "toolbars/styled/styled_edit_item.h"

#include <algorithm>

#include "framework/image_list.h"
#include "framework/properties.h"
#include "framework/startup.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/popups/popup_window_base.h"
#include "toolbars/styled/current_theme.h"
#include "toolbars/styled/styled_item_viewer.h"
#include "toolbars/styled/styled_popup_window.h"
#include "toolbars/styled/view_queries.h"
#include "toolbars/views/view.h"
#include "toolbars/views/viewer_canvas.h"

namespace toolbars {

namespace {

// The single-line, vertically centred format of a themed label.
constexpr UINT kLabelFormat = DT_SINGLELINE | DT_VCENTER;

UINT AlignmentFormat(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taRightJustify:
      return DT_RIGHT;
    case TAlignment::taCenter:
      return DT_CENTER;
    case TAlignment::taLeftJustify:
      break;
  }
  return DT_LEFT;
}

int LabelWidth(HDC dc, const String& caption) { return GetTextWidth(dc, caption, true); }

int MenuFontLabelWidth(const String& caption) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, BarMenuFont()->Handle());
  const int width = LabelWidth(dc, caption);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return width;
}

}  // namespace

// ---- the edit box

void TStyledEdit::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  if (HandleAllocated()) RecreateWnd();
}

void TStyledEdit::CreateParams(TCreateParams& params) {
  TEdit::CreateParams(params);
  params.Style &= ~static_cast<DWORD>(ES_LEFT | ES_RIGHT | ES_CENTER);
  if (alignment_ == TAlignment::taRightJustify) params.Style |= ES_RIGHT;
  if (alignment_ == TAlignment::taCenter) params.Style |= ES_CENTER;
}

// ---- the item

TStyledEditItem::TStyledEditItem(TComponent* owner)
    : TBarEditItem(owner), fontSettings_(std::make_unique<TFontSettings>()) {
  fontSettings_->OnChange = TNotifyEvent(this, &TStyledEditItem::FontSettingsChanged);
}

TStyledEditItem::~TStyledEditItem() = default;

void TStyledEditItem::FontSettingsChanged(TObject* sender) {
  (void)sender;
  Change(true);
}

void TStyledEditItem::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Change(true);
}

void TStyledEditItem::SetPasswordChar(wchar_t value) {
  if (passwordChar_ == value) return;
  passwordChar_ = value;
  Change(true);
}

void TStyledEditItem::SetShowImage(bool value) {
  if (showImage_ == value) return;
  showImage_ = value;
  Change(true);
}

TBarItemViewerClass TStyledEditItem::GetItemViewerClass(TBarView* view) const {
  return ShowsEditIn(view) ? TBarItemViewerClass::Of<TStyledEditItemViewer>()
                           : TBarItemViewerClass::Of<TStyledItemViewer>();
}

void TStyledEditItem::GetPopupPosition(TBarView* parentView, TBarPopupWindowBase* popupWindow,
                                       TBarPopupPositionRec& rec) {
  TBarEditItem::GetPopupPosition(parentView, popupWindow, rec);
  rec.PlaySound = !IsViewType(GetViewType(parentView), vtListPopup);
}

TBarPopupWindowClass TStyledEditItem::GetPopupWindowClass() const {
  return TBarPopupWindowClass::Of<TStyledPopupWindow>();
}

TRaised TStyledEditItem::DoBeginEdit(TBarEditItemViewer* viewer) {
  TEdit* edit = viewer->EditControl();
  if (auto* styled = ObjectAs<TStyledEdit>(edit)) styled->SetAlignment(alignment_);
  SendMessageW(edit->Handle(), EM_SETPASSWORDCHAR, passwordChar_, 0);
  edit->SelectAll();
  edit->SetReadOnly(readOnly_);
  TFont font;
  font.Assign(edit->Font());
  ApplyFontSettings(*fontSettings_, &font);
  edit->SetFont(&font);
  // OnBeginEdit may end the editing: the edit control goes with its viewer.
  const TLifeWatch viewerLife = viewer->LifeWatch();
  if (TBarEditItem::DoBeginEdit(viewer).Gone()) return TRaised(false);
  if (viewerLife.Ended() || viewer->EditControl() != edit) return TRaised(true);
  if (auto* themed = ObjectAs<TStyledEditItemViewer>(viewer)) themed->HookEditControl(edit);
  return TRaised(true);
}

TRaised TStyledEditItem::DoChange(const String& text) { return RaiseEvent(OnChange, this, text); }

const TPublishedTable& TStyledEditItem::PublishedTable() const {
  using P = TPublished<TStyledEditItem>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {P::Enumeration(L"Alignment", &TStyledEditItem::Alignment, &TStyledEditItem::SetAlignment,
                      {L"taLeftJustify", L"taRightJustify", L"taCenter"})
           .Default(TAlignment::taLeftJustify),
       P::Object(L"FontSettings", &TStyledEditItem::FontSettings),
       P::Integer(L"PasswordChar", &TStyledEditItem::PasswordChar, &TStyledEditItem::SetPasswordChar).Default(0),
       P::Boolean(L"ReadOnly", &TStyledEditItem::ReadOnly, &TStyledEditItem::SetReadOnly).Default(false),
       P::Boolean(L"ShowImage", &TStyledEditItem::ShowImage, &TStyledEditItem::SetShowImage).Default(false),
       P::Event(L"OnChange", &TStyledEditItem::OnChange)});
  return table;
}

const TUnit& StyledEditItemUnit() {
  static const TUnit unit{L"toolbars.StyledEditItem",
                          [] { RegisterPersistentClass(TStyledEditItem::StaticClass()); },
                          [] { UnregisterPersistentClass(TStyledEditItem::StaticClass()); },
                          {}};
  return unit;
}

// ---- the viewer

bool TStyledEditItemViewer::IsToolbarSize() const {
  return TBarEditItemViewer::IsToolbarSize() || IsViewType(GetViewType(View()), vtToolBoxPopup);
}

bool TStyledEditItemViewer::IsToolbarStyle() const {
  return TBarEditItemViewer::IsToolbarStyle() || IsViewType(GetViewType(View()), vtToolBoxPopup);
}

std::unique_ptr<TEdit> TStyledEditItemViewer::NewEditControl() const { return std::make_unique<TStyledEdit>(nullptr); }

int TStyledEditItemViewer::GetIndentBefore() const {
  TCustomImageList* images = GetImageList();
  return ShowsImage() && images ? images->Width() + 2 : 0;
}

TStyledEditFrameInfo TStyledEditItemViewer::GetEditMargins() const {
  TStyledEditFrameInfo info{};
  info.LeftWidth = GetIndentBefore();
  info.RightWidth = GetIndentAfter();
  return info;
}

TStyledItemPaintInfo TStyledEditItemViewer::GetPaintInfo(bool isSelected) const {
  TStyledItemPaintInfo info{};
  info.ViewType = GetViewType(View());
  const bool toolbarStyle = IsToolbarStyle();
  if (toolbarStyle) info.ItemOptions |= ioToolbarStyle;
  if (Item()->IsDesigning()) info.ItemOptions |= ioDesigning;
  info.Enabled = Item()->Enabled() || View()->Customizing();
  info.Checked = Item()->Checked();
  if (View()->Selected() == this && isSelected)
    info.HoverKind = Item()->Enabled() ? hkHot : (View()->MouseOverSelected() ? hkNone : hkKeyboardHot);
  if (!toolbarStyle) info.PopupMargin = GetPopupMargin(const_cast<TStyledEditItemViewer*>(this));
  return info;
}

int TStyledEditItemViewer::CaptionWidth() const {
  const String& caption = EditItem()->EditCaption();
  TStyledTheme* theme = CurrentTheme();
  return caption.empty() || !theme ? 0 : MenuFontLabelWidth(caption) + theme->IntegerMetric(34);
}

TRaised TStyledEditItemViewer::CalcSize(TCanvas* canvas, int& width, int& height) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) {
    return TBarEditItemViewer::CalcSize(canvas, width, height);
  }
  TCanvasFontSaver restore(canvas);
  canvas->SetFont(View()->GetFont());
  ApplyFontSettings(*StyledItem()->FontSettings(), canvas->Font());
  HDC dc = FontDC(canvas);
  const int h = GetTextHeight(dc) + 1;
  width = EditItem()->EditWidth();
  const bool toolbarStyle = IsToolbarStyle();
  const int frame = theme->IntegerMetric(60);
  if (!toolbarStyle) {
    if (theme->BooleanMetric(3))
      width += theme->IntegerMetric(32) + GetPopupMargin(this);
    else
      width += theme->IntegerMetric(33);
    const String& caption = EditItem()->EditCaption();
    if (!caption.empty()) width += LabelWidth(dc, caption) + theme->IntegerMetric(64) + theme->IntegerMetric(34);
  }
  const int minHeight = h + 2 * theme->IntegerMetric(62) + 2 * frame;
  height = toolbarStyle ? h + 2 * frame : h + DivRoundUp(h, 4);
  height = std::max(height, minHeight);
  if (theme->BooleanMetric(4))
    height += height & 1;
  else
    height |= 1;
  return TRaised(true);
}

RECT TStyledEditItemViewer::GetEditControlRect() const {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) return TBarEditItemViewer::GetEditControlRect();
  RECT rect = BoundsRect();
  const bool hasCaption = !EditItem()->EditCaption().empty();
  if (!IsToolbarStyle()) {
    if (theme->BooleanMetric(3))
      rect.left += theme->IntegerMetric(33) + GetPopupMargin(const_cast<TStyledEditItemViewer*>(this));
    else if (hasCaption)
      rect.left += theme->IntegerMetric(33) + theme->IntegerMetric(64);
    rect.left += CaptionWidth();
  }
  const int frame = theme->IntegerMetric(60) - 3;
  InflateRect(&rect, -(frame + theme->IntegerMetric(61)), -(frame + theme->IntegerMetric(62)));
  rect.left += GetIndentBefore();
  rect.right -= GetIndentAfter();
  return rect;
}

TRaised TStyledEditItemViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                     bool useDisabledShadow) {
  TStyledTheme* theme = CurrentTheme();
  if (!theme) {
    return TBarEditItemViewer::Paint(canvas, clientAreaRect, isSelected, isPushed, useDisabledShadow);
  }
  TCanvasFontSaver restore(canvas);
  TStyledItemPaintInfo info = GetPaintInfo(isSelected);
  const TStyledEditFrameInfo margins = GetEditMargins();
  TStyledEditItem* item = StyledItem();
  RECT box = clientAreaRect;
  const String& caption = item->EditCaption();
  if (!IsToolbarStyle()) {
    const bool columns = theme->BooleanMetric(3);
    const int labelLeft = box.left + (columns ? theme->IntegerMetric(31) + info.PopupMargin : theme->IntegerMetric(33));
    int labelRight = labelLeft;
    if (!caption.empty()) {
      canvas->SetFont(View()->GetFont());
      ApplyFontSettings(*item->FontSettings(), canvas->Font());
      labelRight = labelLeft + LabelWidth(FontDC(canvas), caption) + theme->IntegerMetric(34);
      theme->PaintItemCaption(canvas, RECT{labelLeft, box.top, labelRight, box.bottom}, info, caption,
                              kLabelFormat | GetDrawTextFlags(), false);
      if (!columns) labelRight += theme->IntegerMetric(64);
    }
    if (columns || !caption.empty()) box.left = labelRight;
    if (columns) box.right -= theme->IntegerMetric(31);
  }
  theme->PaintEditFrame(canvas, box, info, margins);

  const int frame = theme->IntegerMetric(60);
  RECT inner = box;
  InflateRect(&inner, -(frame + theme->IntegerMetric(61)), -(frame + theme->IntegerMetric(62)));
  TCustomImageList* images = GetImageList();
  if (ShowsImage() && images) {
    const int index = item->GetImageIndex();
    const int y = (inner.top + inner.bottom + 1 - images->Height()) / 2;
    const RECT place{inner.left, y, inner.left + images->Width(), y + images->Height()};
    if (index >= 0 && index < images->Count()) {
      if (item->Enabled())
        images->Draw(canvas, place.left, place.top, index, true);
      else
        DrawThemedImage(canvas, place, images, index, sfDisabled);
    }
    inner.left += margins.LeftWidth;
    inner.right -= margins.RightWidth + 1;
  }
  const String& text = item->Text();
  if (text.empty()) return TRaised(true);
  const String shown = item->PasswordChar() ? String(text.size(), item->PasswordChar()) : text;
  canvas->SetFont(BarMenuFont());
  ApplyFontSettings(*item->FontSettings(), canvas->Font());
  HDC dc = FontDC(canvas);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(item->Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &inner,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | AlignmentFormat(item->Alignment()));
  return TRaised(true);
}

void TStyledEditItemViewer::HookEditControl(TEdit* edit) {
  edit->OnChange = TNotifyEvent(this, &TStyledEditItemViewer::EditChanged);
  savedEditProc_ = edit->WindowProc();
  edit->SetWindowProc(TWndMethod(this, &TStyledEditItemViewer::StyledEditWndProc));
}

void TStyledEditItemViewer::EditChanged(TObject* sender) {
  TEdit* edit = EditControl();
  if (edit && NotifyTextChange(sender, edit->Text()).Gone()) return;
}

TRaised TStyledEditItemViewer::NotifyTextChange(TObject* sender, const String& text) {
  (void)sender;
  const TLifeWatch life = LifeWatch();
  if (StyledItem()->DoChange(text).Gone()) return TRaised(false);
  return TRaised(!life.Ended());
}

bool TStyledEditItemViewer::HandleEditMessage(TMessage& message) {
  (void)message;
  return false;
}

void TStyledEditItemViewer::StyledEditWndProc(TMessage& message) {
  if (!HandleEditMessage(message)) savedEditProc_(message);
}

}  // namespace toolbars

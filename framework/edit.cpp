#include "framework/edit.h"

#include "framework/properties.h"

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(TControlStyle{TControlStyleItem::csClickEvents, TControlStyleItem::csSetCaption,
                                TControlStyleItem::csDoubleClicks, TControlStyleItem::csFixedHeight});
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomEdit::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetMaxLength(int value) {
  if (value == maxLength_) return;
  maxLength_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

bool TCustomEdit::Modified() const {
  return HandleAllocated() && SendMessageW(WindowHandle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool value) {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETMODIFY, value, 0);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, L"EDIT");
  params.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (readOnly_) params.Style |= ES_READONLY;
  if (borderStyle_ == TBorderStyle::bsSingle) {
    if (Ctl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
}

TRaised TCustomEdit::CreateWnd() {
  if (TWinControl::CreateWnd().Gone()) return TRaised(false);
  // A handler raised while the window was made may have moved the edit where it has no window.
  if (HWND wnd = WindowHandle()) SendMessageW(wnd, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  return TRaised(true);
}

TRaised TCustomEdit::Change() { return RaiseEvent(OnChange, this); }

void TCustomEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_COMMAND:
      CNCommand(message);
      break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
      CNCtlColor(message);
      break;
    case CM_CTL3DCHANGED:
      TWinControl::Dispatch(message);
      RecreateWnd();
      break;
    default:
      TWinControl::Dispatch(message);
  }
}

void TCustomEdit::CNCommand(TMessage& message) {
  if (HIWORD(message.WParam) == EN_CHANGE && Change().Gone()) return;
}

void TCustomEdit::CNCtlColor(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(Brush()->Color())));
  message.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
}

const TPublishedTable& TEdit::PublishedTable() const {
  using P = TPublished<TEdit>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"BorderStyle", &TEdit::BorderStyle, &TEdit::SetBorderStyle, {L"bsNone", L"bsSingle"})
              .Default(TBorderStyle::bsSingle),
          P::Boolean(L"ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(false),
          P::Integer(L"MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0),
          P::Event(
              L"OnChange", [](TEdit* edit) { return edit->OnChange; },
              [](TEdit* edit, TNotifyEvent value) { edit->OnChange = value; }),
      });
  return table;
}

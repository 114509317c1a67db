#include "controls/xp_control.h"

#include "framework/accelerators.h"
#include "framework/properties.h"

namespace controls {

TXP_Control::TXP_Control(TComponent* owner) : TCustomControl(owner) {
  // A quick second click is a click like the first.
  SetControlStyle(ControlStyle() - TControlStyleItem::csDoubleClicks);
  SetTabStop(true);
}

void TXP_Control::CMDialogChar(TMessage& message) {
  if (Enabled() && IsAccel(static_cast<wchar_t>(message.WParam), Caption())) {
    message.Result = 1;
    // The OnExit and OnEnter that taking the focus raises may free the control.
    if (CanFocus() && SetFocus().Gone()) return;
    if (AcceleratorPressed().Gone()) return;
    return;
  }
  TCustomControl::Dispatch(message);
}

void TXP_Control::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGCHAR:
      CMDialogChar(message);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(message);
      focused_ = message.Msg == WM_SETFOCUS;
      Repaint();
      return;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      TCustomControl::Dispatch(message);
      Repaint();
      return;
    case WM_ERASEBKGND:
      message.Result = 1;
      return;
    default:
      TCustomControl::Dispatch(message);
  }
}

const TPublishedTable& TXP_Control::PublishedTable() const {
  static const TPublishedTable table(&inherited::PublishedTable(), {
                                                                       ControlProperty(L"Caption"),
                                                                       ControlProperty(L"Font"),
                                                                       ControlProperty(L"ParentFont"),
                                                                       ControlProperty(L"Enabled"),
                                                                       ControlProperty(L"ShowHint"),
                                                                       ControlProperty(L"TabStop"),
                                                                       ControlProperty(L"TabOrder"),
                                                                       ControlProperty(L"Visible"),
                                                                       ControlProperty(L"OnClick"),
                                                                   });
  return table;
}

}  // namespace controls

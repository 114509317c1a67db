#include "caption_panel.h"

TCaptionPanel::TCaptionPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
  SetParentColor(false);
}

TRaised TCaptionPanel::Paint() {
  RECT client = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(client);
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  Canvas()->Font()->SetColor(clWindowText);
  const String text = Caption();
  DrawTextW(Canvas()->Handle(), text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  return TRaised(true);
}

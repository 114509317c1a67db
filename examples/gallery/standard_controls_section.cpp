#include "standard_controls_section.h"

#include "caption_panel.h"
#include "framework/combo_box.h"
#include "framework/edit.h"
#include "framework/speed_button.h"
#include "framework/splitter.h"
#include "framework/win_control.h"

int BuildStandardControlsSection(TWinControl* host) {
  auto* edit = new TEdit(host);
  edit->SetBounds(10, 10, 200, 22);
  edit->SetText(L"An edit box: type here");
  edit->SetParent(host);

  auto* combo = new TCustomComboBox(host);
  combo->SetBounds(220, 10, 170, 22);
  combo->SetParent(host);
  for (const wchar_t* entry : {L"Combo box: first", L"Second entry", L"Third entry"}) combo->Items()->Add(entry);
  combo->SetItemIndex(0);

  int left = 400;
  for (const wchar_t* caption : {L"Left", L"Centre", L"Right"}) {
    auto* button = new TSpeedButton(host);
    button->SetBounds(left, 10, 62, 22);
    button->SetCaption(caption);
    button->SetGroupIndex(1);
    button->SetParent(host);
    if (left == 400) button->SetDown(true);
    left += 62;
  }

  auto* frame = new TCaptionPanel(host);
  frame->SetBounds(10, 42, 580, 70);
  frame->SetParent(host);
  auto* side = new TCaptionPanel(host);
  side->SetWidth(180);
  side->SetAlign(TAlign::alLeft);
  side->SetColor(static_cast<TColor>(0xF0E0C8));
  side->SetCaption(L"Drag the splitter");
  side->SetParent(frame);
  auto* splitter = new TSplitter(host);
  splitter->SetWidth(5);
  splitter->SetAlign(TAlign::alLeft);
  splitter->SetParent(frame);
  auto* rest = new TCaptionPanel(host);
  rest->SetAlign(TAlign::alClient);
  rest->SetColor(clWindow);
  rest->SetCaption(L"The rest of the frame");
  rest->SetParent(frame);
  return 122;
}

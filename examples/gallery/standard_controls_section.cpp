#include "standard_controls_section.h"

#include "caption_panel.h"
#include "framework/combo_box.h"
#include "framework/edit.h"
#include "framework/speed_button.h"
#include "framework/splitter.h"
#include "framework/win_control.h"

int BuildStandardControlsSection(TWinControl* host) {
  auto* edit = new TEdit(host);
  if (edit->SetBounds(10, 10, 200, 22).Gone() || edit->SetText(L"An edit box: type here").Gone() ||
      edit->SetParent(host).Gone())
    return 0;

  auto* combo = new TCustomComboBox(host);
  if (combo->SetBounds(220, 10, 170, 22).Gone() || combo->SetParent(host).Gone()) return 0;
  for (const wchar_t* entry : {L"Combo box: first", L"Second entry", L"Third entry"}) combo->Items()->Add(entry);
  combo->SetItemIndex(0);

  int left = 400;
  for (const wchar_t* caption : {L"Left", L"Centre", L"Right"}) {
    auto* button = new TSpeedButton(host);
    if (button->SetBounds(left, 10, 62, 22).Gone() || button->SetCaption(caption).Gone()) return 0;
    button->SetGroupIndex(1);
    if (button->SetParent(host).Gone()) return 0;
    if (left == 400) button->SetDown(true);
    left += 62;
  }

  auto* frame = new TCaptionPanel(host);
  if (frame->SetBounds(10, 42, 580, 70).Gone() || frame->SetParent(host).Gone()) return 0;
  auto* side = new TCaptionPanel(host);
  if (side->SetWidth(180).Gone() || side->SetAlign(TAlign::alLeft).Gone()) return 0;
  side->SetColor(static_cast<TColor>(0xF0E0C8));
  if (side->SetCaption(L"Drag the splitter").Gone() || side->SetParent(frame).Gone()) return 0;
  auto* splitter = new TSplitter(host);
  if (splitter->SetWidth(5).Gone() || splitter->SetAlign(TAlign::alLeft).Gone() || splitter->SetParent(frame).Gone())
    return 0;
  auto* rest = new TCaptionPanel(host);
  if (rest->SetAlign(TAlign::alClient).Gone()) return 0;
  rest->SetColor(clWindow);
  if (rest->SetCaption(L"The rest of the frame").Gone() || rest->SetParent(frame).Gone()) return 0;
  return 122;
}

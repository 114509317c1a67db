#include "flat_xp_section.h"

#include <utility>
#include <vector>

#include "controls/flat_controls_unit.h"
#include "controls/flat_gauge.h"
#include "controls/flat_panel.h"
#include "controls/flat_progress_bar.h"
#include "controls/max_splitter.h"
#include "controls/xp_button.h"
#include "controls/xp_check_box.h"
#include "controls/xp_radio_box.h"
#include "controls/xp_unit.h"
#include "framework/menus.h"
#include "sample_lost.h"
#include "status_line.h"

using namespace controls;

namespace {

template <class T>
T* Place(TWinControl* parent, int left, int top, int width, int height, const wchar_t* caption = nullptr) {
  auto* control = new T(parent);
  if (control->SetBounds(left, top, width, height).Gone() || (caption && control->SetCaption(caption).Gone()) ||
      control->SetParent(parent).Gone())
    SampleLost();
  return control;
}

// A side panel and a page area with the splitter between, as in the browser's main window.
TRaised BuildSplitterFrame(TWinControl* host) {
  auto* frame = Place<TFlatPanel>(host, 10, 8, 580, 90);
  if (frame->SetCaption(L"").Gone()) return TRaised(false);
  auto* side = Place<TFlatPanel>(frame, 0, 0, 150, 90, L"Side panel");
  if (side->SetAlign(TAlign::alLeft).Gone()) return TRaised(false);
  auto* splitter = Place<TMaxSplitter>(frame, 150, 0, 10, 90);
  if (splitter->SetAlign(TAlign::alLeft).Gone()) return TRaised(false);
  splitter->SetMinSize(1);
  splitter->SetButtonWidth(60);
  auto* page = Place<TFlatPanel>(frame, 160, 0, 420, 90, L"Page area");
  if (page->SetAlign(TAlign::alClient).Gone()) return TRaised(false);
  page->SetColor(clWindow);
  return TRaised(true);
}

// A status bar of flat panels with the page-loading gauge, and the progress bars.
TRaised BuildStatusRow(TWinControl* host) {
  auto* status = Place<TFlatPanel>(host, 10, 106, 580, 22);
  if (status->SetCaption(L"").Gone()) return TRaised(false);
  auto* text = Place<TFlatPanel>(status, 2, 2, 200, 18, L"Done");
  text->SetTransparent(true);
  text->SetAlignment(TAlignment::taLeftJustify);
  auto* count = Place<TFlatPanel>(status, 204, 2, 60, 18, L"3 stopped");
  count->SetTransparent(true);
  count->SetAlignment(TAlignment::taRightJustify);
  auto* gauge = Place<TFlatGauge>(status, 430, 2, 145, 18);
  gauge->SetProgress(62);
  gauge->SetColorBorder(0x8396A0);

  Place<TFlatProgressBar>(host, 10, 136, 381, 16)->SetPosition(50);
  auto* smooth = Place<TFlatProgressBar>(host, 10, 158, 381, 16);
  smooth->SetSmooth(true);
  smooth->SetMin(20);
  smooth->SetPosition(60);
  // Turning the bar exchanges its width and height.
  auto* vertical = Place<TFlatProgressBar>(host, 400, 136, 48, 16);
  if (vertical->SetOrientation(TProgressBarOrientation::pbVertical).Gone()) return TRaised(false);
  vertical->SetPosition(70);
  auto* disabled = Place<TFlatGauge>(host, 430, 136, 145, 25);
  disabled->SetMinValue(10);
  disabled->SetProgress(55);
  disabled->SetUseAdvColors(true);
  disabled->SetAdvColorBorder(30);
  return TRaised(true);
}

TRaised BuildXPRow(TWinControl* host) {
  auto* said = new TStatusLine(host);
  // Under the buttons, beside the check boxes: the section keeps its height.
  if (said->SetBounds(2, 220, 252, 22).Gone() || said->ShowText(L"Choose where and what, then Search.").Gone() ||
      said->SetParent(host).Gone())
    return TRaised(false);
  // Neither button is the form's default or cancel button: Enter and Escape belong to the box that has the focus
  // (the address box, the find bar), not to a sample on one page.
  auto* search = Place<TXP_Button>(host, 10, 192, 75, 24, L"Sear&ch");
  Place<TXP_Button>(host, 92, 192, 75, 24, L"Cancel")->OnClick = [said](TObject*) {
    if (said->ShowText(L"Nothing to cancel").Gone()) return;
  };
  Place<TXP_Button>(host, 174, 192, 75, 24, L"Disabled")->SetEnabled(false);
  // The access keys are the page's own: the form's bars and menus take the others.
  auto* title = Place<TXP_CheckBox>(host, 260, 188, 110, 17, L"Tit&le");
  title->SetChecked(true);
  auto* address = Place<TXP_CheckBox>(host, 260, 206, 110, 17, L"&URL");
  Place<TXP_CheckBox>(host, 260, 224, 110, 17, L"Disabled")->SetEnabled(false);
  // One group: choosing one clears the others.
  std::vector<TXP_RadioBox*> places;
  for (auto [caption, top] : {std::pair{L"&Web", 188}, std::pair{L"&Images", 206}, std::pair{L"&News", 224}})
    places.push_back(Place<TXP_RadioBox>(host, 380, top, 110, 17, caption));
  places.front()->SetChecked(true);
  search->OnClick = [said, title, address, places](TObject*) {
    String where;
    for (TXP_RadioBox* place : places)
      if (place->Checked()) where = StripHotkey(place->Caption());
    String what = title->Checked() ? L"titles" : L"";
    if (address->Checked()) what += what.empty() ? L"addresses" : L" and addresses";
    if (said->ShowText(what.empty() ? L"Search in titles or addresses: check one"
                                    : L"Would search the " + where + L" " + what)
            .Gone())
      return;
  };
  return TRaised(true);
}

}  // namespace

int BuildFlatXPSection(TWinControl* host) {
  InitializeUnit(FlatControlsUnit());
  InitializeUnit(MaxSplitterUnit());
  InitializeUnit(XPUnit());
  if (BuildSplitterFrame(host).Gone()) return 0;
  if (BuildStatusRow(host).Gone()) return 0;
  if (BuildXPRow(host).Gone()) return 0;
  return 248;
}

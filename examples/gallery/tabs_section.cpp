#include "tabs_section.h"

#include <string>

#include "controls/tabs/page_control.h"
#include "framework/edit.h"
#include "framework/startup.h"
#include "sample_lost.h"

using namespace controls;

namespace {

// A page control of pageCount pages, each holding an edit box that names its page.
TPcPageControl* MakePageControl(TWinControl* host, RECT bounds, TPcTabStyle style, TPcTabPosition position,
                                int pageCount, const wchar_t* prefix) {
  auto* control = new TPcPageControl(host);
  if (control->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top).Gone())
    SampleLost();
  control->SetStyle(style);
  control->SetTabPosition(position);
  if (control->SetParent(host).Gone()) SampleLost();
  for (int i = 0; i < pageCount; ++i) {
    auto* page = new TPcTabSheet(host);
    const String caption = prefix + std::to_wstring(i + 1);
    if (page->SetCaption(caption).Gone() || page->SetPageControl(control).Gone()) SampleLost();
    auto* edit = new TEdit(host);
    if (edit->SetBounds(8, 8, 160, 22).Gone() || edit->SetText(L"Contents of " + caption).Gone() ||
        edit->SetParent(page).Gone())
      SampleLost();
  }
  return control;
}

}  // namespace

int BuildTabsSection(TWinControl* host) {
  InitializeUnit(PageControlUnit());
  TPcPageControl* rows =
      MakePageControl(host, {10, 8, 295, 160}, TPcTabStyle::pctsTabs, TPcTabPosition::pctpTop, 14, L"Rows ");
  rows->SetMultiLine(true);
  if (rows->SetActivePageIndex(3).Gone()) return 0;
  rows->Pages(5)->SetHighlighted(true);

  TPcPageControl* scrolling =
      MakePageControl(host, {305, 8, 590, 160}, TPcTabStyle::pctsFlat, TPcTabPosition::pctpTop, 20, L"Scroll ");
  scrolling->SetHotTrack(true);
  if (scrolling->SetActivePageIndex(9).Gone()) return 0;

  MakePageControl(host, {10, 170, 200, 300}, TPcTabStyle::pctsFlatButtons, TPcTabPosition::pctpLeft, 4, L"Left ");
  MakePageControl(host, {205, 170, 395, 300}, TPcTabStyle::pctsButtons, TPcTabPosition::pctpBottom, 5, L"Btn ");
  MakePageControl(host, {400, 170, 590, 300}, TPcTabStyle::pctsFlat, TPcTabPosition::pctpRight, 3, L"Right ");
  return 308;
}

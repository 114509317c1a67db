#include "controls_section.h"

#include <vector>

#include "controls/address_box.h"
#include "controls/address_icons.h"
#include "controls/tab_button.h"
#include "framework/startup.h"

using namespace controls;

namespace {

// The page buttons of the row; one is down at a time, as in the browser's tab bar.
std::vector<TTabButton*>& PageButtons() {
  static std::vector<TTabButton*> buttons;
  return buttons;
}

void WINAPI ReleaseOtherPageButtons(int tabIndex) {
  for (TTabButton* button : PageButtons())
    if (button->Down() && button->TabIndex() != tabIndex) button->SetDown(false);
}

void PageButtonClick(TObject* sender) { static_cast<TTabButton*>(sender)->SetDown(true); }

}  // namespace

int BuildControlsSection(TWinControl* host) {
  InitializeUnit(AddressBoxUnit());
  // What the page window sets at start: where the address icons' temporary files go.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  IconTempDir = temp;
  IconShortcutFile = IconTempDir + L"$tmp$.url";

  auto* address = new TAddressBox(host);
  address->SetBounds(10, 8, 420, 22);
  address->SetFileOptions(TFileOptions{TFileOption::UrlHistory, TFileOption::UrlMRU});
  address->SetParent(host);

  auto* search = new TAlignComboBox(host);
  search->SetBounds(440, 8, 150, 22);
  search->SetShowLogo(true);
  search->SetParent(host);

  // The glyph a page button shows until its page has an icon of its own.
  TBitmap glyph;
  AddressImages->GetBitmap(DefaultPageIconIndex, &glyph);
  const wchar_t* titles[] = {L"Start page", L"A page with a rather long title that is cut", L"about:blank"};
  PageButtons().clear();
  for (int i = 0; i < 3; ++i) {
    auto* button = new TTabButton(host);
    button->SetBounds(10 + i * 150, 38, 148, 22);
    button->SetCaption(titles[i]);
    button->SetHint(titles[i]);
    button->SetTabIndex(i);
    button->SetGroupIndex(1);
    button->SetTransparent(true);
    button->SetHotCaption(true);
    button->SetGlyph(&glyph);
    button->OnClick = TNotifyEvent(&PageButtonClick);
    button->SetParent(host);
    PageButtons().push_back(button);
  }
  TabButtonDownProc = &ReleaseOtherPageButtons;
  PageButtons().front()->SetDown(true);
  return 68;
}

#include "controls_section.h"

#include <vector>

#include "controls/address_box.h"
#include "controls/address_icons.h"
#include "controls/tab_button.h"
#include "framework/startup.h"
#include "status_line.h"

using namespace controls;

namespace {

const wchar_t* const kSampleAddresses[] = {L"http://www.example.com/gallery", L"http://www.example.org/news",
                                           L"http://www.example.net/weather"};
const wchar_t* const kSampleSearches[] = {L"old town maps", L"weather this week", L"release notes"};

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

  auto* said = new TStatusLine(host);
  if (said->SetBounds(2, 66, 596, 22).Gone() ||
      said->ShowText(L"Type an address or words to look for and press Enter, or choose from a list.").Gone() ||
      said->SetParent(host).Gone())
    return 0;

  auto* address = new TAddressBox(host);
  if (address->SetBounds(10, 8, 420, 22).Gone()) return 0;
  address->SetFileOptions(TFileOptions{TFileOption::UrlHistory, TFileOption::UrlMRU});
  // The box reads the addresses typed before from the system; a few samples follow them.
  address->OnDropDown = [address](TObject*) {
    for (const wchar_t* url : kSampleAddresses)
      if (address->Items()->IndexOf(url) < 0) address->Items()->Add(url);
  };
  address->OnUrlSelected = [said](TObject*, String url) { (void)said->ShowText(L"Would open " + url); };
  if (address->SetParent(host).Gone()) return 0;

  auto* search = new TAlignComboBox(host);
  if (search->SetBounds(440, 8, 150, 22).Gone()) return 0;
  search->SetShowLogo(true);
  for (const wchar_t* words : kSampleSearches) search->Items()->Add(words);
  const auto searchFor = [said](const String& words) {
    return words.empty() ? TRaised(true) : said->ShowText(L"Would look for \"" + words + L"\"");
  };
  search->OnKeyDown = [searchFor, search](TObject*, WORD& key, TShiftState) {
    if (key == VK_RETURN && searchFor(search->Text()).Gone()) return;
  };
  // A choice from the list: the edit field takes the item's text only after this.
  search->OnClick = [searchFor, search](TObject*) {
    if (search->ItemIndex() >= 0 && searchFor(search->Items()->Strings(search->ItemIndex())).Gone()) return;
  };
  if (search->SetParent(host).Gone()) return 0;

  // The glyph a page button shows until its page has an icon of its own.
  TBitmap glyph;
  AddressImages->GetBitmap(DefaultPageIconIndex, &glyph);
  const wchar_t* titles[] = {L"Start page", L"A page with a rather long title that is cut", L"about:blank"};
  PageButtons().clear();
  for (int i = 0; i < 3; ++i) {
    auto* button = new TTabButton(host);
    if (button->SetBounds(10 + i * 150, 38, 148, 22).Gone() || button->SetCaption(titles[i]).Gone()) return 0;
    button->SetHint(titles[i]);
    button->SetTabIndex(i);
    button->SetGroupIndex(1);
    button->SetTransparent(true);
    button->SetHotCaption(true);
    button->SetGlyph(&glyph);
    button->OnClick = TNotifyEvent(&PageButtonClick);
    if (button->SetParent(host).Gone()) return 0;
    PageButtons().push_back(button);
  }
  TabButtonDownProc = &ReleaseOtherPageButtons;
  PageButtons().front()->SetDown(true);
  return 96;
}

#include "gallery_form.h"

#include <algorithm>

#include "controls/tabs/page_control.h"
#include "feeds_page.h"
#include "framework/screen.h"
#include "framework/sys_utils.h"
#include "gallery_pages.h"
#include "screenshot.h"
#include "status_line.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/styled/styled_switcher.h"
#include "toolbars/theme/theme_registry.h"
#include "tree_page.h"

using namespace toolbars;

namespace {

// The size the gallery asks for: a 1280 x 1024 screen holds it with room for the task bar.
constexpr int kPreferredWidth = 1240;
constexpr int kPreferredHeight = 940;
constexpr int kMinimumWidth = 400;
constexpr int kMinimumHeight = 300;

}  // namespace

TGalleryForm::TGalleryForm(TComponent* owner) : TForm(owner) {
  (void)SetCaption(L"Component gallery");
  SetKeyPreview(true);
  // Narrower than this, a bar's first item (the address box) would pass the edge, since docks never cut it.
  Constraints()->SetMinWidth(kMinimumWidth);
  Constraints()->SetMinHeight(kMinimumHeight);
  const RECT work = Screen->WorkAreaRect();
  const int width = std::min(kPreferredWidth, static_cast<int>(work.right - work.left));
  const int height = std::min(kPreferredHeight, static_cast<int>(work.bottom - work.top));
  (void)SetBounds(work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2,
                  width, height);

  // Whoever switches the theme, the Themes menu's checks follow.
  switcher_ = new TStyledSwitcher(this);
  switcher_->OnThemeChange = [this](TObject*) { SyncThemeItems(); };
  SelectTheme(L"Default");

  status_ = new TStatusLine(this);
  (void)status_->SetHeight(22);
  (void)status_->SetAlign(TAlign::alBottom);
  (void)status_->SetParent(this);
  (void)BuildBars();

  pages_ = new controls::TPcPageControl(this);
  // Raised tabs, the selected one joined to its page: in the flat style it differs from the others by a line.
  pages_->SetStyle(controls::TPcTabStyle::pctsTabs);
  (void)pages_->SetAlign(TAlign::alClient);
  (void)pages_->SetParent(this);
  for (const TGalleryPageInfo& info : GalleryPages()) {
    controls::TPcTabSheet* page = info.Create(this, pages_);
    (void)page->SetCaption(info.Caption);
    if (auto* feeds = ObjectAs<TFeedsPage>(page)) {
      feedsPage_ = feeds;
      feeds->OnLoaded = [this](const String& status, bool failed) { Report(status, failed); };
    }
    if (auto* tree = ObjectAs<TTreePage>(page)) treePage_ = tree;
  }
  pages_->OnChange = [this](TObject*) { MarkActivePage(); };
  ShowPage(0);
  Report(L"Ready");
}

bool TGalleryForm::ShowPage(int index) {
  if (index < 0 || index >= pages_->PageCount()) return false;
  if (pages_->SetActivePageIndex(index).Gone()) return false;
  MarkActivePage();
  return true;
}

bool TGalleryForm::SelectTheme(const String& name) {
  if (!IsThemeRegistered(name)) return false;
  switcher_->SetTheme(name);
  if (HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  return true;
}

String TGalleryForm::ThemeName() const { return switcher_->Theme(); }

TRaised TGalleryForm::IsShortCut(TMessage& message, bool& handled) {
  const TLifeWatch life = LifeWatch();
  if (menuBar_ && menuBar_->Items()->IsShortCut(message)) {
    handled = true;
    return TRaised(!life.Ended());
  }
  if (life.Ended()) return TRaised(false);
  return TForm::IsShortCut(message, handled);
}

TRaised TGalleryForm::Resize() {
  if (TForm::Resize().Gone()) return TRaised(false);
  // The floating bar stays inside the form when the form shrinks.
  if (floatingBar_ && floatingBar_->Floating() && floatingBar_->MoveOnScreen(true).Gone()) return TRaised(false);
  return TRaised(true);
}

void TGalleryForm::RunCommand(const String& caption, const TCommand& command) {
  lastCommand_ = caption;
  try {
    command();
  } catch (const Exception& e) {
    Report(caption + L": " + e.Message(), true);
  }
}

void TGalleryForm::Report(const String& text, bool failed) {
  // The report's last act, as it is its callers'.
  if (status_) (void)status_->ShowText(text, failed);
}

void TGalleryForm::SavePicture() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const String file = String(folder) + L"gallery.png";
  SaveScreenshot(this, file);
  Report(L"Saved a picture of the window as " + file);
}

void TGalleryForm::SyncThemeItems() {
  // The Themes menu lists the registry in its order.
  const auto& registry = ThemeRegistry();
  const String current = ThemeName();
  for (size_t i = 0; i < themeItems_.size() && i < registry.size(); ++i)
    themeItems_[i]->SetChecked(SameText(registry[i].Name, current));
}

void TGalleryForm::MarkActivePage() {
  const int active = pages_ ? pages_->ActivePageIndex() : -1;
  for (size_t i = 0; i < pageItems_.size(); ++i) pageItems_[i]->SetChecked(static_cast<int>(i) == active);
  // The raised tab alone is barely told from the others in pale system colours: it is highlighted as well.
  for (int i = 0; pages_ && i < pages_->PageCount(); ++i) pages_->Pages(i)->SetHighlighted(i == active);
}

#include "gallery_run.h"

#include "framework/application.h"
#include "framework/exceptions.h"
#include "gallery_form.h"
#include "gallery_pages.h"
#include "screenshot.h"
#include "toolbars/theme/theme_registry.h"

namespace {

template <class TList, class TName>
String JoinedNames(const TList& list, TName name) {
  String names;
  for (const auto& entry : list) names += (names.empty() ? L"" : L", ") + String(name(entry));
  return names;
}

}  // namespace

void ApplyGalleryOptions(TGalleryForm* form, const TGalleryOptions& options) {
  if (!options.Page.empty() && !form->ShowPage(FindGalleryPage(options.Page)))
    throw Exception(L"There is no page \"" + options.Page + L"\"; the pages are " +
                    JoinedNames(GalleryPages(), [](const TGalleryPageInfo& page) { return page.Name; }));
  if (!options.Theme.empty() && !form->SelectTheme(options.Theme))
    throw Exception(
        L"There is no theme \"" + options.Theme + L"\"; the themes are " +
        JoinedNames(toolbars::ThemeRegistry(), [](const toolbars::TThemeRegistryEntry& entry) { return entry.Name; }));
}

void RunGallery(const TGalleryOptions& options) {
  Application->SetTitle(L"Component gallery");
  Application->SetShowHint(true);
  TGalleryForm* form = Application->CreateForm<TGalleryForm>();
  ApplyGalleryOptions(form, options);
  // The program's last act: a form freed by its handlers is the program's business no more.
  static_cast<void>(options.Screenshot.empty() ? Application->Run() : RenderGallery(form, options.Screenshot));
}

TRaised RenderGallery(TGalleryForm* form, const String& fileName) {
  const TLifeWatch life = form->LifeWatch();
  if (form->Show().Gone()) return TRaised(false);
  Application->ProcessMessages();
  if (life.Ended()) return TRaised(false);
  SaveScreenshot(form, fileName);
  return TRaised(true);
}

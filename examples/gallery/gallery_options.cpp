#include "gallery_options.h"

#include "framework/exceptions.h"

TGalleryOptions ParseGalleryOptions(const std::vector<String>& arguments) {
  TGalleryOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const String& option = arguments[i];
    String* value = option == L"--screenshot" ? &options.Screenshot
                    : option == L"--page"     ? &options.Page
                    : option == L"--theme"    ? &options.Theme
                                              : nullptr;
    if (!value)
      throw Exception(L"Unknown option \"" + option + L"\"; the options are --screenshot, --page and --theme");
    if (i + 1 >= arguments.size() || arguments[i + 1].empty())
      throw Exception(L"The option " + option + L" needs a value");
    *value = arguments[++i];
  }
  return options;
}

// The gallery's main form: one captioned section per component set, in columns as tall as the work area, each
// filled by the builder that set registers in gallery_sections.cpp.
#pragma once

#include <vector>

#include "framework/form.h"

// Builds the sample controls of one component set inside host (which is 600 pixels wide) and answers the height
// they need.
using TGallerySectionBuilder = int (*)(TWinControl* host);

struct TGallerySectionInfo {
  const wchar_t* Title;
  TGallerySectionBuilder Build;
};

// The sections in the order the gallery shows them.
const std::vector<TGallerySectionInfo>& GallerySections();

class TGalleryForm : public TForm {
  BC_CLASS(TGalleryForm, TForm)
  explicit TGalleryForm(TComponent* owner);

 protected:
  // The gallery may be larger than the screen: the screenshot shows all of it.
  void Dispatch(TMessage& message) override;
};

// The pages of the gallery's page control, one per component set, by the names the command line uses.
#pragma once

#include <vector>

#include "controls/tabs/page_control.h"

struct TGalleryPageInfo {
  const wchar_t* Name;  // as "--page" takes it
  const wchar_t* Caption;
  // Makes the page, puts it on control and fills it.
  controls::TPcTabSheet* (*Create)(TComponent* owner, controls::TPcPageControl* control);
};

const std::vector<TGalleryPageInfo>& GalleryPages();
// The page's index in GalleryPages(), -1 for an unknown name (compared without case).
int FindGalleryPage(const String& name);

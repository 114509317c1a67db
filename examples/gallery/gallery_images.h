// The 16 x 16 pictures of the gallery's toolbars and menus, drawn at start instead of loaded.
#pragma once

#include <functional>

class TCanvas;
class TComponent;
class TImageList;

// Adds one 16 x 16 picture that draw paints over the mask colour (fuchsia), which comes out transparent.
void AddDrawnImage(TImageList* images, const std::function<void(TCanvas* canvas)>& draw);

enum TGalleryImage {
  giBack,
  giForward,
  giStop,
  giReload,
  giHome,
  giFeed,
  giTree,
  giFavorite,
  giPicture,
  giLink,
  giCount
};

TImageList* MakeGalleryImages(TComponent* owner);

// The 16 x 16 pictures of the gallery's toolbars and menus, drawn at start instead of loaded.
#pragma once

class TComponent;
class TImageList;

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

// The gallery's sections, one per component set, in the order they appear. A set adds its builder here.
#include "controls_section.h"
#include "flat_xp_section.h"
#include "framework_section.h"
#include "gallery_form.h"
#include "tree_header_section.h"

const std::vector<TGallerySectionInfo>& GallerySections() {
  static const std::vector<TGallerySectionInfo> sections{
      {L"Framework: controls, canvas and image list", &BuildFrameworkSection},
      {L"Window controls: address box and page buttons", &BuildControlsSection},
      {L"Window controls: splitter, flat look and XP look", &BuildFlatXPSection},
      {L"Tree control: header and columns", &BuildTreeHeaderSection},
  };
  return sections;
}

// What the gallery's command line asks for: "--screenshot FILE.png" renders the main form into FILE.png and ends;
// "--page NAME" and "--theme NAME" choose the page shown and the theme it is painted with.
#pragma once

#include <vector>

#include "framework/object.h"

struct TGalleryOptions {
  String Screenshot;
  String Page;
  String Theme;
};

// Raises Exception for an option it does not know or one without its value.
TGalleryOptions ParseGalleryOptions(const std::vector<String>& arguments);

// Runs the gallery as the program does, applies the command line's choices to the main form, and renders the form
// into a picture file.
#pragma once

#include "framework/raise_event.h"
#include "gallery_options.h"

class TGalleryForm;

// Shows the chosen page under the chosen theme. Raises Exception naming the known pages or themes for a name that
// is neither.
void ApplyGalleryOptions(TGalleryForm* form, const TGalleryOptions& options);
// The program's run: the application's title and hints, the main form with the command line's choices, then the
// message loop until the main form closes, or for a screenshot the picture instead. The units stay started.
void RunGallery(const TGalleryOptions& options);
// Shows the form, lets it finish painting and writes it, frame and floating bars included, as a PNG file; whether
// the form outlived its handlers.
TRaised RenderGallery(TGalleryForm* form, const String& fileName);

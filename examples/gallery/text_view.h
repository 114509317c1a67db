// A read-only box of several lines of text with a vertical scroll bar: the gallery shows rendered pages and
// exports in it.
#pragma once

#include "framework/edit.h"

class TTextView : public TCustomEdit {
  BC_CLASS(TTextView, TCustomEdit)
  explicit TTextView(TComponent* owner);

  // Line breaks may be bare line feeds; the box gets them as the pairs it needs. Of a text longer than
  // ShownCharacters the box shows the lines that fit in as many and says how much more there is: the platform's box
  // takes a moment for every line it lays out, so that a text of a hundred thousand lines would stop the program
  // for many seconds.
  TRaised SetLines(const String& text);

  static constexpr size_t ShownCharacters = 8192;

 protected:
  void CreateParams(TCreateParams& params) override;
};

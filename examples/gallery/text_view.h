// A read-only box of several lines of text with a vertical scroll bar: the gallery shows rendered pages and
// exports in it.
#pragma once

#include "framework/edit.h"

class TTextView : public TCustomEdit {
  BC_CLASS(TTextView, TCustomEdit)
  explicit TTextView(TComponent* owner);

  // Line breaks may be bare line feeds; the box gets them as the pairs it needs.
  void SetLines(const String& text);

 protected:
  void CreateParams(TCreateParams& params) override;
};

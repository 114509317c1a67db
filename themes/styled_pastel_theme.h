// "Pastel": a flat look in light blends of the window and button-face colours, pop-ups with a thin dark frame
// and an image column in the toolbar colour, hot items as pale highlight-tinted boxes.
#pragma once

#include "themes/pastel_look.h"

struct TUnit;

namespace themes {

class TStyledPastelTheme final : public TStyledPastelLook {
  BC_CLASS(TStyledPastelTheme, TStyledPastelLook)
  explicit TStyledPastelTheme(const String& name);

  void SetupColorCache() override;
};

// The unit's stock objects, shared by its live instances.
TStockGlyphs& PastelStockGlyphs();
// Registers "Pastel".
const TUnit& PastelThemeUnit();

}  // namespace themes

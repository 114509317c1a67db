// The theme units of this set, started together: each registers its theme under its name.
#pragma once

struct TUnit;

namespace themes {

const TUnit& ThemesUnit();

}  // namespace themes

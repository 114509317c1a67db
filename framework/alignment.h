// The horizontal alignment of a caption inside its control.
#pragma once

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

#pragma once
// The panel background: the enamelled faceplate with its legends, knob scales, shadows and the
// fixed hardware of the two switches.

#include <memory>

#include "rasterizer/lice_membitmap.h"

namespace kestrune::panelart {

// The 465 x 488 background image, opaque.
std::unique_ptr<LICE_MemBitmap> DrawBackground();

}  // namespace kestrune::panelart

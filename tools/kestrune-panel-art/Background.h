#pragma once
// The panel background: the enamelled faceplate with its legends, knob scales, shadows and the
// fixed hardware of the two switches.

#include <memory>

#include "rasterizer/lice_membitmap.h"

namespace kestrune::panelart {

class Typesetter;

// The 465 x 488 background image, opaque, lettered by type.
std::unique_ptr<LICE_MemBitmap> DrawBackground(const Typesetter& type);

}  // namespace kestrune::panelart

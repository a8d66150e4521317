#pragma once
// The knobs: a black skirt with a cream pointer, a knurled grip and a machined aluminium cap.
// Light falls from the upper left and stays put while the knob turns.

#include <memory>

#include "effect/PanelLayout.h"
#include "rasterizer/lice_membitmap.h"

namespace kestrune::panelart {

// The knob's skirt radius for a frame of the given width.
double KnobRadius(const PanelImage& knob);

// The 31-frame strip of a knob image: frame k points at -135 + 270 k / 30 degrees, each frame
// transparent around the knob.
std::unique_ptr<LICE_MemBitmap> DrawKnobStrip(const PanelImage& knob);

}  // namespace kestrune::panelart

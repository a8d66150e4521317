#pragma once
// The two switches: the circuit toggle (a chrome bat lever, down for the plain circuit and up for
// the bright one) and the bypass button (a red lamp that lights while the effect is bypassed).
// Their fixed parts, nut and bezel, belong to the background; each frame is the background under
// the switch with the moving part drawn over it, so frames are opaque and join it seamlessly.

#include <memory>

#include "rasterizer/lice_membitmap.h"

namespace kestrune::panelart {

// Draws the toggle's washer and nut and the bypass bezel, with their shadows, onto the background.
void DrawSwitchHardware(LICE_IBitmap* background);

// The circuit switch's two frames over the finished background: lever down, lever up.
std::unique_ptr<LICE_MemBitmap> DrawCircuitSwitch(LICE_IBitmap* background);

class Typesetter;

// The bypass switch's two frames over the finished background: lamp dark, lamp lit, each
// lettered BYPASS by type.
std::unique_ptr<LICE_MemBitmap> DrawBypassSwitch(LICE_IBitmap* background, const Typesetter& type);

}  // namespace kestrune::panelart

#pragma once
// Image-level compositing for the panel art: soft shadows and placing resolved layers.

#include "rasterizer/lice_membitmap.h"
#include "tools/kestrune-panel-art/Surface.h"

namespace kestrune::panelart {

// Composites layer over image at (x, y) by the layer's alpha, at opacity alpha.
void DrawOver(LICE_IBitmap* image, LICE_IBitmap* layer, int x, int y, float alpha = 1.0f);

// Darkens image under the shape that outline draws (in image coordinates, within area), blurred
// by `blur` passes of a 3 x 3 box, at opacity alpha: the shadow an object casts onto the panel.
// The shadow is cut at the area's edges.
void CastShadow(LICE_IBitmap* image, const Area& area, const Outline& outline, int blur, float alpha);

// Composites a surface's resolved image over image at the surface's place.
void DrawOver(LICE_IBitmap* image, const Surface& layer, float alpha = 1.0f);

}  // namespace kestrune::panelart

#pragma once
// Encodes rasteriser bitmaps as PNG files with libpng's writer.

#include <cstdint>
#include <vector>

#include "rasterizer/lice_bitmap.h"

namespace kestrune::panelart {

// The bitmap as an 8-bit PNG: RGB when every pixel is opaque, RGBA otherwise. The bytes depend only
// on the pixels (no time stamp, fixed compression settings), so equal pictures give equal files.
// Empty when the bitmap has no pixels or libpng fails.
std::vector<uint8_t> EncodePng(LICE_IBitmap* bitmap);

}  // namespace kestrune::panelart

#pragma once
// Helpers shared by the vector primitive tests.

#include <set>
#include <utility>

#include "tests/rasterizer/guarded_bitmap.h"

using PixelSet = std::set<std::pair<int, int>>;

// Coordinates (x, y) of every pixel that is no longer 0 (the bitmaps start cleared).
inline PixelSet Painted(GuardedBitmap& bm)
{
  PixelSet out;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      if (bm.px(x, y) != 0) out.insert({x, y});
  return out;
}

#pragma once

#include <algorithm>
#include <cmath>

#include "guarded_bitmap.h"
#include "rasterizer/lice_pixel.h"

// The Copy formula worked in floating point: s + trunc((d - s) * (256 - w) / 256).
inline int refCopy(int d, int s, int w) { return s + int(std::trunc((d - s) * (256.0 - w) / 256.0)); }

// Copy of whole pixels at weight w.
inline LICE_pixel refCopyPixel(LICE_pixel d, LICE_pixel s, int w)
{
  int out[4];
  for (int c = 0; c < 4; ++c) out[c] = refCopy(chanOf(d, c), chanOf(s, c), w);
  return LICE_RGBA(out[2], out[1], out[0], out[3]);
}

// Source-alpha Copy from its definition, on whole pixels.
inline LICE_pixel refSourceAlpha(LICE_pixel d, LICE_pixel s, int w)
{
  const int sa = chanOf(s, 3);
  if (sa == 0) return d;
  int out[4];
  if (w == 256)
  {
    if (sa == 255) return (s & 0x00FFFFFFu) | 0xFF000000u;
    for (int c = 0; c < 3; ++c)
      out[c] = chanOf(s, c) + int(std::trunc((chanOf(d, c) - chanOf(s, c)) * (255.0 - sa) / 256.0));
    out[3] = std::min(chanOf(d, 3) + sa, 255);
  }
  else
  {
    const int ww = int(std::trunc(w * (sa + 1) / 256.0));
    for (int c = 0; c < 3; ++c) out[c] = refCopy(chanOf(d, c), chanOf(s, c), ww);
    out[3] = std::min(chanOf(d, 3) + ww, 255);
  }
  return LICE_RGBA(out[2], out[1], out[0], out[3]);
}

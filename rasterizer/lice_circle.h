#pragma once

// Circles, discs and arcs. Colour, opacity and mode work as for lines (lice_line.h): the mode's
// low byte picks the formula, and nothing is drawn for null bitmaps, non-positive weights or low
// bytes above 5. Nothing is drawn either for a negative radius, or for a centre or radius that
// is not finite or exceeds 2^30 pixels. Every write is clipped to the bitmap.

#include "rasterizer/lice_bitmap.h"

// Outline of the circle with centre and radius rounded to whole pixels (+0.5, truncated),
// eight-fold symmetric, every pixel drawn once. With aa, each column (or row) of the outline
// weights the two pixels straddling the exact radius instead. Radii of exactly 1.5, 2, 2.5, 3,
// 3.5 and 4 are drawn from built-in coverage masks (2r + 1 pixels square, graded with aa, on/off
// without) placed around the centre.
void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel colour, float alpha, int mode, bool aa);

// The disc inside LICE_Circle's outline, filled with horizontal spans (with aa, each span's end
// pixels weighted by the exact radius); the same small radii use filled coverage masks.
void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel colour, float alpha, int mode,
                     bool aa);

// Part of LICE_Circle's outline between two angles in radians, 0 pointing up and increasing
// clockwise. A span of 2 pi or more draws the whole circle; a negative or not-a-number span draws
// nothing. The arc is cut at every multiple of pi / 2, and each piece is the outline clipped to
// the box spanned by the piece's end points (cx + r sin a + 0.5, cy - r cos a + 0.5, truncated).
void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, LICE_pixel colour,
              float alpha, int mode, bool aa);

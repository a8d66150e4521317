#pragma once

// Quadratic and cubic Bezier curves, drawn as flattened line segments or filled against a row
// or column. Colour, opacity and mode work as for lines (lice_line.h). The curve is flattened
// into at most 1024 straight segments, enough that the segments stray from the true curve by no
// more than tol pixels (tol below 0.01, or not a number, counts as 0.01). Nothing is drawn when
// a coordinate is not finite or exceeds 2^30 pixels.

#include "rasterizer/lice_bitmap.h"

// The quadratic curve from (xstart, ystart) to (xend, yend) pulled toward (xctl, yctl), as
// LICE_FLine segments (aa as there).
void LICE_DrawQBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl, float yctl, float xend, float yend,
                      LICE_pixel colour, float alpha, int mode, bool aa, float tol = 0.1f);

// The cubic curve from (xstart, ystart) to (xend, yend) with control points 1 and 2, as
// LICE_FLine segments (aa as there).
void LICE_DrawCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, LICE_pixel colour, float alpha, int mode, bool aa,
                      float tol = 0.1f);

// Fills, column by column, from the cubic curve down (or up) to row yfill inclusive. Each
// segment of the flattened curve fills the columns from its left end up to, not including, its
// right end (the last segment includes it), so a curve running left to right covers every
// column once. Copy at weights 256, 128, 64 and 192 uses the fast mixers.
void LICE_FillCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, int yfill, LICE_pixel colour, float alpha, int mode,
                      float tol = 0.1f);

// LICE_FillCBezier with rows and columns exchanged: fills row by row from the curve across to
// column xfill inclusive.
void LICE_FillCBezierX(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                       float yctl2, float xend, float yend, int xfill, LICE_pixel colour, float alpha, int mode,
                       float tol = 0.1f);

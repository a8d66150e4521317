#pragma once

// Filled trapezoids, convex polygons and triangles, without anti-aliasing. Colour, opacity and
// mode work as for lines (lice_line.h); Copy at weights 256, 128, 64 and 192 uses the fast
// mixers. Everything is clipped to the bitmap, and no coordinate can overflow the arithmetic.

#include "rasterizer/lice_bitmap.h"

// Fills rows y1..y2 (either order); row y spans from xa to xb inclusive (either order), where xa
// and xb move linearly, in 16.16 steps rounded to the nearest pixel, from x1a, x1b at y1 to x2a,
// x2b at y2. When y1 == y2 the single row spans x1a..x1b.
void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, LICE_pixel colour,
                        float alpha, int mode);

// Fills the convex polygon of npoints points (x[i], y[i]), in any order: the points are sorted
// by y (ties by x) and split into a left and a right chain between the top and bottom points,
// and the polygon is filled as one trapezoid per band between consecutive vertex rows, bands
// sharing no row. Points all on one row fill that row from the smallest to the largest x.
// Nothing for fewer than 3 points or null arrays; up to 512 points need no heap memory, more are
// copied to a heap block (nothing is drawn if it cannot be had).
void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints, LICE_pixel colour,
                            float alpha, int mode);

// LICE_FillConvexPolygon of the three points.
void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, LICE_pixel colour,
                       float alpha, int mode);

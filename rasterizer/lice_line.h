#pragma once

// Lines: clipping, integer lines (with optional anti-aliasing), floating-point lines and dashed
// lines. Every line takes a colour (native pixel), an opacity (weight LICE_OpacityWeight) and a
// mode whose low byte picks the formula (0 Copy, 1 Add, 2 ColorDodge, 3 Mul, 4 Overlay,
// 5 HSVAdjust; other low bytes, null bitmaps, bitmaps without bits and opacities whose weight is
// not positive draw nothing; the source-alpha flag and filter bits are ignored). Lines are
// clipped to the bitmap first, so no pixel outside it is ever touched.

#include "rasterizer/lice_bitmap.h"

// Clips the segment to the rectangle xlo..xhi-1 x ylo..yhi-1 (Cohen-Sutherland, at most 33
// rounds, intersections truncated toward zero). Returns true and stores the clipped end points
// when some of it is visible; false (points unchanged) when none is or a pointer is null.
bool LICE_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi);

// LICE_ClipLine in floating point. Also false for non-finite coordinates.
bool LICE_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi, float yhi);

// Draws the line from (x1, y1) to (x2, y2), both end points included. Horizontal and vertical
// lines cover every pixel between the ends; exact diagonals step one pixel in x and y (with aa:
// each diagonal pixel at three quarters and the two pixels completing each 2 x 2 step at a
// quarter); other lines are drawn from both ends toward the middle at once (with aa: two
// pixels per step weighted by the error term). The ends are taken smaller x first (then smaller
// y), so a line and its reverse cover the same pixels with the same weights.
void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel colour, float alpha, int mode, bool aa);

// Without aa: LICE_Line between the truncated end points. With aa: a Wu-style line between the
// exact end points, each column (or row) covering two pixels weighted by the line's fractional
// position. Nothing for non-finite coordinates.
void LICE_FLine(LICE_IBitmap* dest, float x1, float y1, float x2, float y2, LICE_pixel colour, float alpha, int mode,
                bool aa);

// Draws the clipped line as pxon pixels on, pxoff pixels off, starting with on at the first end
// point, each dash drawn as LICE_Line (aa as there). Nothing when pxon is not positive; a solid
// line when pxoff is not positive.
void LICE_DashedLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff, LICE_pixel colour,
                     float alpha, int mode, bool aa);

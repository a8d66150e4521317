#pragma once

#include "rasterizer/lice_bitmap.h"

// Rectangle operations beyond blits and fills. Rectangles are clipped to the bitmaps; null
// bitmaps or bitmaps without bits draw nothing.

// Fills the rectangle with a colour starting at (r0, g0, b0, a0) (1.0 = full channel) and
// changing by the d*dx amounts per pixel and d*dy amounts per row, channels held to 0..255.
// The mode's low byte picks the formula (Copy and Mul clamped); the weight is full, or the
// gradient's own alpha with LICE_BLIT_USE_ALPHA. Low bytes above 5 draw nothing.
void LICE_GradRect(LICE_IBitmap* dest, int x, int y, int w, int h, float r0, float g0, float b0, float a0,
                   float drdx, float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy, float dady,
                   int mode);

// Writes a 3 x 3 box blur of the source rectangle to (dstx, dsty); taps outside the rectangle are
// left out of the average. dest may not be src.
void LICE_Blur(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch);

// Each destination pixel becomes the rounded average of a 2 x 2 source block, over
// min(dest width, src width / 2) x min(dest height, src height / 2) pixels.
void LICE_HalveBlitAA(LICE_IBitmap* dest, LICE_IBitmap* src);

// Each channel becomes channel * scale + add (adds in channel units), clamped to 0..255.
void LICE_MultiplyAddRect(LICE_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc, float bsc,
                          float asc, float radd, float gadd, float badd, float aadd);

// Calls callback(pixel, context) for every pixel of the clipped rectangle, row by row.
void LICE_ProcessRect(LICE_IBitmap* dest, int x, int y, int w, int h, void (*callback)(LICE_pixel* px, void* context),
                      void* context);

// Flood-fills from (x, y): connected row runs whose pixels, masked with comparemask, equal the
// start pixel masked likewise become newcolour | (pixel & keepmask). Runs grow left and right of
// column x, moving down from row y while column x still matches, then up from row y - 1.
void LICE_SimpleFill(LICE_IBitmap* dest, int x, int y, LICE_pixel newcolour, LICE_pixel comparemask = 0xFFFFFFFF,
                     LICE_pixel keepmask = 0);

#pragma once

#include "rasterizer/lice_bitmap.h"

// Blits that walk the source along caller-given steps. Sampling is nearest or, with
// LICE_BLIT_FILTER_BILINEAR, bilinear; the formula comes from (mode & 0x100FF) as for the other
// image blits; samples outside the source region are skipped.

// Draws dstw x dsth destination pixels from (dstx, dsty). The source position starts at
// (srcx, srcy), moves by (dsdx, dtdx) per column and (dsdy, dtdy) per row, and the per-column
// steps themselves change by (dsdxdy, dtdxdy) per row. With cliptosourcerect samples are taken
// only inside (srcx, srcy, srcw, srch), otherwise anywhere in src.
void LICE_DeltaBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                    double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode);

// LICE_DeltaBlit whose opacity starts at alpha and changes by dadx per column, dady per row and
// dadxdy per row on the per-column step; the same as LICE_DeltaBlit when all three are below
// 0.0001 in magnitude.
void LICE_DeltaBlitAlpha(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                         float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy,
                         double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode,
                         double dadx, double dady, double dadxdy);

// Warps src into the destination rectangle: srcpoints holds div_w x div_h (x, y) source
// positions, row by row, for a lattice spread evenly over the rectangle (corners included), and
// each lattice cell is drawn with the delta loop. Nothing unless div_w and div_h are >= 2.
void LICE_TransformBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const float* srcpoints, int div_w, int div_h, float alpha, int mode);

// LICE_TransformBlit with a double-precision lattice.
void LICE_TransformBlit2(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                         const double* srcpoints, int div_w, int div_h, float alpha, int mode);

// LICE_TransformBlit2 whose lattice carries (x, y, alpha) triples; the opacity is interpolated
// across each cell like the position.
void LICE_TransformBlit2Alpha(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                              const double* srcpoints, int div_w, int div_h, int mode);

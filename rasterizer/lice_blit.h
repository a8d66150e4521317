#pragma once

#include "platform/gdi/swell_types.h"
#include "rasterizer/lice_bitmap.h"
#include "rasterizer/lice_combine.h"

// Blits and rectangle fills. Every operation clips to both bitmaps, does nothing for null
// bitmaps, bitmaps without bits, zero opacity or modes that draw nothing, and never reads or
// writes outside either bitmap whatever the coordinates. Opacity becomes the weight of
// LICE_OpacityWeight; the formula comes from the mode word (lice_combine.h).

// Copies srcrect of src (null: all of it) to (dstx, dsty) of dest. Opaque Copy moves rows
// overlap-safely (src may be dest); opacity 0.5 Copy halves and adds; modes 0xF0-0xFF copy one
// byte of each source pixel into one byte of the destination pixel. Filter bits are ignored.
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha,
               int mode);

// LICE_Blit of the source rectangle (srcx, srcy, srcx + srcw, srcy + srch).
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
               float alpha, int mode);

// Draws the source rectangle (srcx, srcy, srcw, srch) scaled into the destination rectangle,
// stepping in 16.16 fixed point: nearest pixel, bilinear with LICE_BLIT_FILTER_BILINEAR, or a
// box filter when that filter shrinks by 1.7:1 or more both ways. Negative sizes mirror; equal
// sizes fall back to LICE_Blit.
void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float alpha, int mode);

// Draws the source rectangle scaled into the destination rectangle and rotated by angle
// (radians) about the rectangle's centre shifted by (rotxcent, rotycent) source pixels. With
// cliptosourcerect, samples are taken only inside the source rectangle, else anywhere in src.
void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                      float rotxcent = 0.0f, float rotycent = 0.0f);

// Fills the rectangle with colour. With LICE_BLIT_USE_ALPHA the opacity is first multiplied by
// the colour's alpha / 255. Copy at weights 64, 128, 192 uses the fast mixers and 256 stores the
// colour; other Copy weights and modes 1-5 take both the weight and the alpha argument from the
// opacity (HSVAdjust's alpha at most 255).
void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel colour, float alpha, int mode);

// Resizes dest to src's size and copies src exactly, alpha included. Nothing for null bitmaps.
void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src);
